#pragma once

#include "db/records.h"
#include "results/resultrecord.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QObject;
class QTimer;

// Hands the timer input's work to the user-interface thread without letting a
// fast feed flood that thread's queue. Each kind of work keeps only its newest
// item: one running time text, one clock message and one result per entry
// (event, go-round, competitor and entry number). At most one delivery is
// queued at a time; it takes everything pending and calls the receivers.
// Results, whose saving holds the user-interface thread for a while (the row
// written to disk, the scoreboards refreshed), are delivered at most once per
// result interval after the last saves ended: a feed finishing runs faster
// than that cannot keep the thread busy saving, and the newest result still
// gets saved.
//
// Threads. Construct and destroy on the user-interface thread: deliveries run
// there. post*() may be called from any thread, but no longer once destruction
// begins (the owner first stops whoever posts). Deliveries still queued when
// the mailbox is destroyed are dropped.
class TimerMailbox
{
public:
    static constexpr int DefaultResultIntervalMs = 50;

    struct Receivers
    {
        std::function<void(const QString&)> runningTime;
        std::function<void(const QString&)> clockMessage;
        std::function<void(const RegEntry&, const ResultRecord&)> result;
    };

    explicit TimerMailbox(Receivers receivers, int resultIntervalMs = DefaultResultIntervalMs);
    ~TimerMailbox();
    TimerMailbox(const TimerMailbox&) = delete;
    TimerMailbox& operator=(const TimerMailbox&) = delete;

    void postRunningTime(const QString& text);
    void postClockMessage(const QString& text);
    void postResult(const RegEntry& entry, const ResultRecord& record);
    // Drops the results not yet delivered (the rodeo they belong to closes).
    void discardResults();

    // Items that replaced an older one of their kind before it was delivered.
    long replacedItems() const { return m_replaced.load(); }
    // Deliveries queued so far.
    long deliveries() const { return m_deliveries.load(); }

private:
    struct PendingResult
    {
        RegEntry entry;
        ResultRecord record;
    };
    void scheduleLocked();
    void deliver();

    const Receivers m_receivers;
    const int m_resultIntervalMs;
    std::unique_ptr<QObject> m_context; // lives on the user-interface thread

    QMutex m_mutex; // guards the pending items and the scheduled flag
    std::optional<QString> m_runningTime;
    std::optional<QString> m_clockMessage;
    std::vector<PendingResult> m_results;
    bool m_scheduled = false;   // a delivery is queued
    bool m_resultsHeld = false; // results wait for the result timer
    // User-interface thread only: when results were last delivered, and the
    // timer that delivers results held back until the interval passed.
    QElapsedTimer m_sinceResults;
    QTimer* m_resultTimer = nullptr;

    std::atomic<long> m_replaced{0};
    std::atomic<long> m_deliveries{0};
};
