#pragma once

#include "records.h"

#include <QHash>
#include <QString>
#include <QVector>

// The registration entries of the open rodeo, organised per competitor entry
// (EntryKey): for each, the events it is entered in, and for each event the
// go-rounds with performance, running order and drawn animal. There is never
// more than one competitor entry per key; list order is the order of adding.
class RegEntryCollection
{
public:
    struct Slot
    {
        quint16 goRound = 0;
        quint16 perf = 0;
        quint16 ord = 0;
        quint16 stock = 0;
    };
    struct EventRegistration
    {
        QString eventId;
        // How the competitor is in this event: on his own, as a team, or as
        // a member of a team entered there (RegEntry::TeamFlag). One
        // contestant may be a team's member in one event and on his own in
        // another under the same key.
        quint32 teamFlag = RegEntry::OwnEntry;
        QVector<Slot> rounds; // in the order the go-rounds were added

        const Slot* slot(int goRound) const;
        int highestGoRound() const;
    };
    struct CompetitorEntry
    {
        quint32 key = 0;
        QString text;
        quint32 value = 0;
        QVector<EventRegistration> events;

        quint32 ptId() const { return key >> 8; }
        int plrEnt() const { return static_cast<int>(key & 0xFFu); }
        const EventRegistration* event(const QString& eventId) const;
    };
    struct Lookup
    {
        bool found = false;
        quint16 perf = 0;
        quint16 ord = 0;
        quint16 stock = 0;
        int entryCount = 0; // entries the competitor holds in the event
    };

    enum RemoveMode {
        RemoveCompetitor = 1,     // the competitor entry with everything under it
        RemoveEvent = 2,          // its registration in the entry's event
        RemoveHighestGoRound = 3, // its registration in the entry's go-round, only the highest held
        RemoveGoRound = 4         // exactly the entry's go-round, whichever it is
    };

    void clear();

    // Adds the entry's event and go-round to its competitor entry (creating it),
    // or updates the go-round's performance, running order and animal when it
    // is there already. An entry number above 1 makes entry number 1 of the
    // same competitor exist too (unless it is a team's own entry).
    bool add(const RegEntry& entry);
    bool remove(const RegEntry& entry, RemoveMode mode);

    bool contains(quint32 key) const { return m_index.contains(key); }
    // Whether any entry of the competitor (contestant or team id) is held.
    bool holdsCompetitor(quint32 ptId) const { return m_keysOfCompetitor.contains(ptId); }
    const CompetitorEntry* find(quint32 key) const;
    Lookup lookup(quint32 key, const QString& eventId, int goRound) const;
    // Entries the competitor (ptId) holds in the event: its highest entry
    // number that is registered there, 0 when not entered.
    int entryCount(quint32 ptId, const QString& eventId) const;

    int size() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const QVector<CompetitorEntry>& competitors() const { return m_items; }

    // Flattened rows, one per (competitor entry, event, go-round).
    QVector<RegEntry> entries(const QString& eventId = QString(), int goRound = 0) const;

private:
    CompetitorEntry& ensure(quint32 key);
    void removeAt(int index);
    void reindex();

    QVector<CompetitorEntry> m_items;
    QHash<quint32, int> m_index;
    QHash<quint32, QVector<quint32>> m_keysOfCompetitor; // ptId -> keys, for entry counts
};
