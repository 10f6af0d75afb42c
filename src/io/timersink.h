#pragma once

#include "db/records.h"
#include "results/resultrecord.h"

#include <QString>

// Where the timer input hands what it read. Called on the timer port's own
// thread, with the timer input's lock held: an implementation only queues the
// work for the user-interface thread and returns at once. It must never wait
// for that thread, nor call back into the timer input.
class TimerSink
{
public:
    virtual ~TimerSink() = default;

    // The running time as the console shows it (nine characters).
    virtual void postRunningTime(const QString& text) = 0;
    // A finished result of entry, to be saved on the user-interface thread
    // (which then publishes a new snapshot to the timer input).
    virtual void saveTimerResult(const RegEntry& entry, const ResultRecord& record) = 0;
    // The Run Performance view's clock: why the console's data was not taken,
    // or empty to clear it.
    virtual void showClockMessage(const QString& text) = 0;
};
