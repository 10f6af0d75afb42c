#include "resultfeed.h"

#include "db/databasemanager.h"
#include "ui/mainframe.h"

#include <cstdio>

ResultFeed* ResultFeed::fromEnvironment(CMainFrame& frame)
{
    bool ok = false;
    const int interval = qEnvironmentVariableIntValue("SCORVANE_RESULT_FEED", &ok);
    if (!ok || interval <= 0)
        return nullptr;
    const int after = qEnvironmentVariableIntValue("SCORVANE_RESULT_FEED_FROM");
    return new ResultFeed(frame, interval, after > 0 ? after + 1 : 1);
}

ResultFeed::ResultFeed(CMainFrame& frame, int intervalMs, int firstSeq)
    : QObject(&frame), m_frame(frame), m_seq(firstSeq - 1)
{
    connect(&m_timer, &QTimer::timeout, this, &ResultFeed::feedOne);
    m_timer.start(intervalMs);
}

void ResultFeed::feedOne()
{
    CDatabaseManager& db = m_frame.database();
    if (!db.isRodeoOpen() || db.events().isEmpty())
        return;
    // The first event of the rodeo that has entries in go-round 1.
    const EventCfg* event = nullptr;
    QVector<EntryKey> keys;
    for (const EventCfg& candidate : db.events()) {
        const RegEntryCollection& held = candidate.isTeam() ? db.teamEntries() : db.playerEntries();
        for (const RegEntryCollection::CompetitorEntry& c : held.competitors()) {
            const RegEntryCollection::EventRegistration* r = c.event(candidate.id);
            if (c.teamFlag != RegEntry::MemberEntry && r && r->slot(1))
                keys << c.key;
        }
        if (!keys.isEmpty()) {
            event = &candidate;
            break;
        }
    }
    if (!event)
        return;

    const int seq = ++m_seq;
    RegEntry entry;
    entry.eventId = event->id;
    entry.goRound = 1;
    entry.ptId = entryKeyId(keys[seq % keys.size()]);
    entry.plrEnt = quint16(entryKeyNumber(keys[seq % keys.size()]));
    ResultRecord result;
    quint32 value = 0;
    if (event->isScored()) {
        result.score = value = 5000 + quint32(seq);
        result.success = 1;
    } else {
        result.time = value = 10000 + quint32(seq);
    }
    std::printf("saving %d %s 1 %u %d %s %u\n", seq, qPrintable(event->id), entry.ptId, int(entry.plrEnt),
                event->isScored() ? "JTot" : "RideTime", value);
    std::fflush(stdout);
    const bool saved = m_frame.SaveResult(entry, result);
    std::printf("%s %d\n", saved ? "saved" : "failed", seq);
    std::fflush(stdout);
}
