#include "seasonstandings.h"

#include <QMap>
#include <QSet>
#include <algorithm>

namespace {

QVector<StandingLine> largestFirst(QVector<StandingLine> lines)
{
    std::stable_sort(lines.begin(), lines.end(), [](const StandingLine& a, const StandingLine& b) {
        return a.amount != b.amount ? a.amount > b.amount : a.plrId < b.plrId;
    });
    return lines;
}

} // namespace

QVector<StandingLine> SeasonStandings::forEvent(const QVector<EarningsRow>& rows, const QString& eventId)
{
    QMap<quint32, StandingLine> sums;
    for (const EarningsRow& r : rows) {
        if (r.eventId != eventId || r.amount == 0)
            continue;
        StandingLine& line = sums[r.plrId];
        line.plrId = r.plrId;
        line.amount += r.amount;
        line.events = 1;
    }
    return largestFirst(sums.values().toVector());
}

QVector<StandingLine> SeasonStandings::allAround(const QVector<EarningsRow>& rows)
{
    QMap<quint32, StandingLine> sums;
    QMap<quint32, QSet<QString>> events;
    for (const EarningsRow& r : rows) {
        if (r.amount == 0)
            continue;
        StandingLine& line = sums[r.plrId];
        line.plrId = r.plrId;
        line.amount += r.amount;
        events[r.plrId].insert(r.eventId);
    }
    QVector<StandingLine> out;
    for (StandingLine line : sums) {
        line.events = int(events.value(line.plrId).size());
        if (line.events >= 2)
            out << line;
    }
    return largestFirst(out);
}
