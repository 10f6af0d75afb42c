#include "standingcells.h"

#include "platform/xml/xmldocument.h"
#include "results/values.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

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
    const QString type = eventRow.attribute(QStringLiteral("EvType"));
    rules.scored = type.startsWith(QLatin1Char('S'));
    rules.team = type.mid(1, 1) == QLatin1String("T");
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

QHash<QString, QString> StandingCells::names(const XmlDocument& doc, const QSet<QString>& ids, bool team)
{
    struct Contestant
    {
        QString bib;
        QString last;
        QString first;
    };
    // A team's members by its id, and the contestants that are needed.
    QHash<QString, std::pair<QString, QString>> members;
    QSet<QString> wanted = ids;
    if (team) {
        wanted.clear();
        for (const XmlNode& row :
             doc.selectNodes(QStringLiteral("/Database/Tables/Table[@Name = 'Teams']/data/row"))) {
            const QString id = row.attribute(QStringLiteral("TmId"));
            if (!ids.contains(id) || members.contains(id))
                continue; // the first row of an id counts
            const QString header = row.attribute(QStringLiteral("PlrId1"));
            const QString trailer = row.attribute(QStringLiteral("PlrId2"));
            members.insert(id, {header, trailer});
            wanted << header << trailer;
        }
    }
    QHash<QString, Contestant> contestants;
    for (const XmlNode& row :
         doc.selectNodes(QStringLiteral("/Database/Tables/Table[@Name = 'Rosters']/data/row"))) {
        const QString id = row.attribute(QStringLiteral("PlrId"));
        if (!wanted.contains(id) || contestants.contains(id))
            continue;
        contestants.insert(id, {row.attribute(QStringLiteral("PlrBib")),
                                row.attribute(QStringLiteral("PlrLastName")),
                                row.attribute(QStringLiteral("PlrFirstName"))});
    }

    QHash<QString, QString> out;
    for (const QString& id : ids) {
        if (!team) {
            const auto c = contestants.constFind(id);
            if (c != contestants.cend())
                out.insert(id, c->last + QStringLiteral(", ") + c->first);
            continue;
        }
        // A team or member that cannot be found leaves its parts empty.
        const auto m = members.value(id);
        const Contestant h = contestants.value(m.first);
        const Contestant t = contestants.value(m.second);
        out.insert(id, h.bib + QLatin1Char(' ') + h.last + QStringLiteral(", ") + t.bib + QLatin1Char(' ') +
                           t.last);
    }
    return out;
}

void StandingCells::write(XmlDocument& doc, const XmlNode& event, const Rules& rules)
{
    // The columns: the go-rounds in ascending go number (one that is no number
    // first, as the pages' header sorts them), then FINALS and TOTAL, each a
    // competitor's text by ptId (the first row of a competitor counts).
    struct Column
    {
        double go = 0;
        bool read = false;
        QHash<QString, QString> text;
    };
    QList<Column> goRounds;
    Column finals;
    Column total;
    QSet<QString> ids; // every competitor of the event
    for (const XmlNode& data : event.childElements()) {
        if (data.name() != QLatin1String("data"))
            continue;
        if (!data.hasAttribute(QStringLiteral("go")))
            continue; // no column of the pages
        const QString go = data.attribute(QStringLiteral("go"));
        Column* column = &finals;
        if (go == QLatin1String("TOTAL")) {
            column = &total;
        } else if (go != QLatin1String("FINALS")) {
            bool ok = false;
            const double number = go.toDouble(&ok);
            goRounds.append(Column{ok ? number : -std::numeric_limits<double>::infinity(), false, {}});
            column = &goRounds.last();
        }
        if (column->read)
            continue; // a second FINALS or TOTAL: the pages read the first
        column->read = true;
        for (const XmlNode& row : data.childElements()) {
            if (row.name() != QLatin1String("row"))
                continue;
            const QString pt = row.attribute(QStringLiteral("ptId"));
            ids.insert(pt);
            if (!column->text.contains(pt))
                column->text.insert(pt, column == &total ? totalText(row, rules) : resultText(row, rules));
        }
    }
    Column competitor;
    competitor.text = names(doc, ids, rules.team);

    std::stable_sort(goRounds.begin(), goRounds.end(),
                     [](const Column& a, const Column& b) { return a.go < b.go; });
    QList<const Column*> columns{&competitor};
    for (const Column& go : goRounds)
        columns << &go;
    columns << &finals << &total;

    const QString cellName = QStringLiteral("cell");
    for (const XmlNode& data : event.childElements()) {
        if (data.name() != QLatin1String("data"))
            continue;
        for (XmlNode row : data.childElements()) {
            if (row.name() != QLatin1String("row"))
                continue;
            for (const XmlNode& old : row.childElements())
                row.removeChild(old);
            const QString pt = row.attribute(QStringLiteral("ptId"));
            for (const Column* column : columns) {
                XmlNode cell = doc.createElement(cellName);
                const QString text = column->text.value(pt);
                if (!text.isEmpty())
                    cell.setText(text);
                row.appendChild(cell);
            }
        }
    }
}
