#pragma once

#include "portuser.h"
#include "timerfeed.h"

#include <QMutex>
#include <atomic>
#include <optional>

class TimerSink;

// The timing console's feed: one per configuration, attached first to its port
// so that it gets everything that arrives there. It reads the console's image
// (TimerFeed says how) and hands the running time, the clock's message and
// finished results to its sink.
//
// Threads. OnData runs on the timer port's I/O thread and never touches the
// database manager, its collections or the standings: it works on the snapshot
// the user-interface thread publishes (publishSnapshot) whenever the current
// entry changes or a result is saved, and on its own state. One lock guards
// the snapshot, that state and the sink; the sink is called with it held and
// only queues. setSink, publishSnapshot and takeOverFeed belong to the
// user-interface thread. The block counts may be read from any thread.
class TimerInput : public PortUser
{
public:
    TimerInput() : PortUser(Role::Timer) {}

    QString name() const override { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }

    void OnData(const QString& text, int offset) override;
    bool wantsData() const override { return true; }

    // Null stops the hand-overs; once this returns the old sink is not called.
    void setSink(TimerSink* sink);
    // The current entry, its event and its stored result; none when nothing is
    // current. Another entry than before forgets what was kept for the last.
    void publishSnapshot(std::optional<TimerSnapshot> snapshot);
    // A new configuration replaces this object: it takes over the sink, the
    // snapshot and what was kept from the one it replaces (whose sink is cleared).
    void takeOverFeed(TimerInput& previous);
    // A copy of the reader's state, for checking it.
    TimerFeed feed() const;

    // Blocks handed over since construction, those of them that were not read
    // at all (empty, wholly outside the image, a field not printable), and
    // those read only in part (characters outside the image left out).
    long receivedBlocks() const { return m_received.load(); }
    long ignoredBlocks() const { return m_ignored.load(); }
    long cutBlocks() const { return m_cut.load(); }

    // Name and port, as the configuration compares and copies them.
    bool sameConfiguration(const TimerInput& other) const;
    void copyConfiguration(const TimerInput& other);

protected:
    QString threadName() const override { return QStringLiteral("Timer"); }

private:
    QString m_name;
    int m_port = 0;

    mutable QMutex m_mutex; // guards m_feed and m_sink
    TimerFeed m_feed;
    TimerSink* m_sink = nullptr;

    std::atomic<long> m_received{0};
    std::atomic<long> m_ignored{0};
    std::atomic<long> m_cut{0};
};
