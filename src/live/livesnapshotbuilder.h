#pragma once

#include "livesnapshot.h"

#include <QHash>
#include <QSet>
#include <deque>

class CDatabaseManager;
class Standings;
struct EventCfg;
struct RegEntry;

// Makes the snapshots of the live results from the open rodeo. Each event's
// standings are read once and kept until the event is marked changed: after
// a saved result only that event is read again (the current event straight
// from the standings the database manager holds), so a save costs the
// user-interface thread one event's rows, not the rodeo's. After any other
// change every event is read again, as many per build as a time budget
// allows (hasPending() says whether some are left for the next build), so
// that a large rodeo never holds the operator up for long. The texts come
// from the run lists' own formatting (ResultCellPieces).
//
// Call order: invalidateAll() when a rodeo opens or anything but a result
// may have changed; noteSaved() after each saved result; build() whenever a
// snapshot is wanted, again while hasPending(). User-interface thread only
// (it reads the database manager); what it returns is immutable and may go
// to any thread.
class LiveSnapshotBuilder
{
public:
    // The results saved last that the "now" page lists.
    static constexpr int RecentCount = 10;

    explicit LiveSnapshotBuilder(const CDatabaseManager& db) : m_db(db) {}

    // The pages' title; empty: the rodeo's name.
    void setTitle(const QString& title) { m_title = title; }
    // Every event is read again from the next build on. anotherRodeo: what
    // was read, and the saved results listed, are forgotten at once.
    void invalidateAll(bool anotherRodeo = false);
    // A result of entry's event was saved at localTime: the event is read
    // again and the entry heads the results saved last.
    void noteSaved(const RegEntry& entry, const QDateTime& localTime);

    // current: the entry being run (its event's standings are the database
    // manager's current ones), or null when nothing is. budgetMs: how long to
    // go on reading changed events after those that must be read (an event
    // with a saved result, an event never read); negative: no limit.
    std::shared_ptr<const LiveSnapshot> build(const RegEntry* current, int budgetMs = -1);
    // Changed events the last build left for the next.
    bool hasPending() const { return m_allChanged || !m_changed.isEmpty(); }

    // How many events the last build read (for the tests and the bench).
    int eventsReadLastBuild() const { return m_readLastBuild; }

private:
    struct Saved
    {
        QString eventId;
        int goRound = 0;
        EntryKey key = 0;
        QString at;
    };

    std::shared_ptr<const LiveEvent> makeEvent(const EventCfg& event, const Standings& standings) const;
    LiveStanding makeStanding(const EventCfg& event, const std::vector<ResultRecord>& records, int goRound,
                              const QString& title) const;
    // The competitor's texts: names, members and the animal drawn for goRound.
    LiveRow competitor(const EventCfg& event, EntryKey key, int goRound) const;
    LiveNow makeNow(const LiveSnapshot& snapshot, const RegEntry* current) const;

    const CDatabaseManager& m_db;
    QString m_title;
    QHash<QString, std::shared_ptr<const LiveEvent>> m_events;
    QSet<QString> m_changed; // to be read again
    QSet<QString> m_saved;   // ... at the next build, whatever the budget
    bool m_allChanged = true;
    std::deque<Saved> m_recent;
    quint64 m_version = 0;
    int m_readLastBuild = 0;
};
