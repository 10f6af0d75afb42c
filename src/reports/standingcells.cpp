#include "standingcells.h"

#include "platform/xml/xmldocument.h"
#include "results/values.h"

#include <optional>

namespace {

const QString kShown = QStringLiteral("shown");

// A whole number of the row; nullopt when the attribute holds no number. A
// missing attribute counts as 0, as the sum of the time's parts takes it.
std::optional<quint64> number(const XmlNode& row, const QString& name)
{
    if (!row.hasAttribute(name))
        return 0;
    bool ok = false;
    const quint64 value = row.attribute(name).trimmed().toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString digits(quint64 value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

} // namespace

StandingCells::Rules StandingCells::rulesOf(const XmlNode& eventRow, const XmlNode& rodeoEventRow)
{
    Rules rules;
    rules.scored = eventRow.attribute(QStringLiteral("EvType")).startsWith(QLatin1Char('S'));
    const QString judges = rodeoEventRow.attribute(QStringLiteral("ReJudges"));
    rules.divisor = judges == QLatin1String("4") || judges.mid(1, 1) == QLatin1String("4") ? 2 : 1;
    rules.wholePoints = rodeoEventRow.attribute(QStringLiteral("ReFraction")) == QLatin1String("F");
    rules.precision = rodeoEventRow.attribute(QStringLiteral("RePrecision")).trimmed().toInt();
    return rules;
}

QString StandingCells::score(const QString& hundredths, const Rules& rules)
{
    bool ok = false;
    const quint32 value = hundredths.trimmed().toUInt(&ok);
    if (!ok || value == 0)
        return QString();
    return FormatScoreOutput(value, !rules.wholePoints, false, rules.divisor);
}

QString StandingCells::time(quint64 value, int precision)
{
    const quint64 minutes = value / 100000;
    const quint64 thousandths = value % 1000;
    QString text;
    if (minutes > 0)
        text = QString::number(minutes) + QLatin1Char(':');
    text += QString::number(value % 100000 / 1000) + QLatin1Char('.');
    if (precision == 3)
        return text + digits(thousandths, 3);
    if (precision == 2)
        return text + digits(thousandths / 10, 2);
    return text + QString::number(thousandths / 100);
}

QString StandingCells::resultText(const XmlNode& row, const Rules& rules)
{
    if (rules.scored)
        return score(row.attribute(QStringLiteral("JTot")), rules);
    const std::optional<quint64> ride = number(row, QStringLiteral("RideTime"));
    const std::optional<quint64> penalty = number(row, QStringLiteral("PenTime"));
    if (!ride || !penalty || *ride + *penalty == 0)
        return QString();
    return time(*ride + *penalty, rules.precision);
}

QString StandingCells::totalText(const XmlNode& row, const Rules& rules)
{
    QString text;
    if (rules.scored) {
        text = score(row.attribute(QStringLiteral("score")), rules);
    } else {
        const std::optional<quint64> total = number(row, QStringLiteral("time"));
        text = total && *total > 0 ? time(*total, rules.precision) : QStringLiteral("0");
    }
    return text + QLatin1Char('/') + row.attribute(QStringLiteral("ride"));
}

void StandingCells::write(const XmlNode& event, const Rules& rules)
{
    for (const XmlNode& data : event.childElements()) {
        if (data.name() != QLatin1String("data"))
            continue;
        const bool total = data.attribute(QStringLiteral("go")) == QLatin1String("TOTAL");
        for (XmlNode row : data.childElements()) {
            if (row.name() == QLatin1String("row"))
                row.setAttribute(kShown, total ? totalText(row, rules) : resultText(row, rules));
        }
    }
}
