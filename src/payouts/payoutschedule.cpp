#include "payoutschedule.h"

#include <QRegularExpression>
#include <QStringList>
#include <numeric>

const ScheduleBand* PayoutSchedule::bandFor(int entries) const
{
    for (const ScheduleBand& band : bands)
        if (band.covers(entries))
            return &band;
    return nullptr;
}

QString PayoutSchedule::check() const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("The schedule needs a name.");
    if (bands.isEmpty())
        return QStringLiteral("The schedule \"%1\" has no lines.").arg(name);
    int expectedFrom = 1;
    for (int i = 0; i < bands.size(); ++i) {
        const ScheduleBand& b = bands.at(i);
        const QString line =
            QStringLiteral("Line %1 (%2 entries): ").arg(i + 1).arg(PayoutSchedules::entriesText(b));
        if (b.fromEntries < 1)
            return line + QStringLiteral("the entries start at 1 or more.");
        if (b.toEntries != 0 && b.toEntries < b.fromEntries)
            return line + QStringLiteral("the last number of entries is smaller than the first.");
        if (b.fromEntries > expectedFrom)
            return line + (i == 0 ? QStringLiteral("the first line starts at 1 entry.")
                                  : QStringLiteral("%1 to %2 entries are on no line.")
                                        .arg(expectedFrom)
                                        .arg(b.fromEntries - 1));
        if (b.fromEntries < expectedFrom)
            return line + QStringLiteral("it overlaps the line before.");
        if (b.shares.isEmpty())
            return line + QStringLiteral("no places are paid.");
        for (int s : b.shares)
            if (s <= 0)
                return line + QStringLiteral("every place paid needs a percentage over 0.");
        const qint64 sum = std::accumulate(b.shares.cbegin(), b.shares.cend(), qint64(0));
        if (sum != WholeShare)
            return line + QStringLiteral("the percentages add up to %1 %, not 100 %.")
                              .arg(Percent::format(int(std::min<qint64>(sum, 999999))));
        if (b.toEntries == 0) {
            if (i + 1 < bands.size())
                return line + QStringLiteral("only the last line can be open-ended.");
            return {};
        }
        expectedFrom = b.toEntries + 1;
    }
    return {};
}

namespace {

ScheduleBand band(int from, int to, std::initializer_list<int> percents)
{
    ScheduleBand b;
    b.fromEntries = from;
    b.toEntries = to;
    for (int p : percents)
        b.shares << p * 100;
    return b;
}

} // namespace

QVector<PayoutSchedule> PayoutSchedules::builtIn()
{
    PayoutSchedule standard;
    standard.name = QStringLiteral("Standard");
    standard.bands = {
        band(1, 5, {100}),
        band(6, 10, {50, 30, 20}),
        band(11, 20, {40, 30, 20, 10}),
        band(21, 30, {32, 26, 20, 14, 8}),
        band(31, 45, {29, 24, 19, 14, 9, 5}),
        band(46, 60, {26, 21, 17, 14, 10, 7, 5}),
        band(61, 75, {24, 19, 15, 13, 11, 8, 6, 4}),
        band(76, 90, {22, 18, 15, 12, 10, 9, 7, 4, 3}),
        band(91, 0, {21, 17, 14, 12, 10, 8, 6, 5, 4, 3}),
    };
    PayoutSchedule shortField;
    shortField.name = QStringLiteral("Short Field");
    shortField.bands = {band(1, 3, {100}), band(4, 6, {60, 40}), band(7, 0, {50, 30, 20})};
    PayoutSchedule jackpot;
    jackpot.name = QStringLiteral("Jackpot");
    jackpot.bands = {band(1, 4, {100}), band(5, 8, {60, 40}), band(9, 15, {50, 30, 20}),
                     band(16, 0, {40, 30, 20, 10})};
    PayoutSchedule winner;
    winner.name = QStringLiteral("Winner Takes All");
    winner.bands = {band(1, 0, {100})};
    return {standard, shortField, jackpot, winner};
}

QString PayoutSchedules::entriesText(const ScheduleBand& b)
{
    if (b.toEntries == 0)
        return QStringLiteral("%1 and more").arg(b.fromEntries);
    if (b.toEntries == b.fromEntries)
        return QString::number(b.fromEntries);
    return QStringLiteral("%1-%2").arg(b.fromEntries).arg(b.toEntries);
}

bool PayoutSchedules::parseShares(const QString& text, QVector<int>& out, QString* why)
{
    static const QRegularExpression separators(QStringLiteral("[\\s/;,]+"));
    QString plain = text;
    plain.replace(QLatin1Char('%'), QLatin1Char(' '));
    const QStringList parts = plain.split(separators, Qt::SkipEmptyParts);
    QVector<int> shares;
    for (const QString& part : parts) {
        int share = 0;
        QString reason;
        if (!Percent::parse(part, share, &reason)) {
            if (why)
                *why = reason;
            return false;
        }
        if (share == 0) {
            if (why)
                *why = QStringLiteral("Every place paid needs a percentage over 0.");
            return false;
        }
        shares << share;
    }
    if (shares.isEmpty()) {
        if (why)
            *why = QStringLiteral("No percentages are given.");
        return false;
    }
    out = shares;
    return true;
}

QString PayoutSchedules::formatShares(const QVector<int>& shares)
{
    QStringList parts;
    for (int s : shares)
        parts << Percent::format(s);
    return parts.join(QStringLiteral(" / "));
}
