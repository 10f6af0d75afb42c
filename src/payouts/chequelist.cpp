#include "chequelist.h"

#include <QMap>

QVector<ChequeLine> ChequeList::build(const QVector<EventPayout>& events, const MembersOf& membersOf)
{
    QMap<quint32, ChequeLine> lines;
    for (const EventPayout& event : events) {
        // Entries in order of their key, so that a contestant entered twice
        // (or in two teams) gets one line per event.
        const QHash<EntryKey, Cents> byEntry = event.byEntry();
        QList<EntryKey> keys = byEntry.keys();
        std::sort(keys.begin(), keys.end());
        for (EntryKey key : keys) {
            const Cents amount = byEntry.value(key);
            if (amount == 0)
                continue;
            for (quint32 plrId : membersOf(event, key)) {
                ChequeLine& line = lines[plrId];
                line.plrId = plrId;
                line.total += amount;
                if (!line.events.isEmpty() && line.events.last().first == event.eventId)
                    line.events.last().second += amount;
                else
                    line.events.append({event.eventId, amount});
            }
        }
    }
    return lines.values().toVector();
}
