#include "timerinput.h"

#include "timersink.h"

void TimerInput::OnData(const QString& text, int offset)
{
    ++m_received;
    QMutexLocker lock(&m_mutex);
    const TimerFeed::Outcome out = m_feed.onData(text, offset);
    if (out.ignored) {
        ++m_ignored; // the traffic viewer shows the bytes themselves
        return;
    }
    if (out.cut)
        ++m_cut;
    if (!m_sink)
        return;
    if (out.runningTime)
        m_sink->postRunningTime(*out.runningTime);
    if (out.clockMessage)
        m_sink->showClockMessage(*out.clockMessage);
    if (out.result)
        m_sink->saveTimerResult(out.entry, *out.result);
}

void TimerInput::setSink(TimerSink* sink)
{
    QMutexLocker lock(&m_mutex);
    m_sink = sink;
}

void TimerInput::publishSnapshot(std::optional<TimerSnapshot> snapshot)
{
    QMutexLocker lock(&m_mutex);
    m_feed.setSnapshot(std::move(snapshot));
}

void TimerInput::takeOverFeed(TimerInput& previous)
{
    if (&previous == this)
        return;
    TimerFeed feed;
    TimerSink* sink = nullptr;
    {
        QMutexLocker lock(&previous.m_mutex);
        feed = previous.m_feed;
        sink = previous.m_sink;
        previous.m_sink = nullptr;
    }
    QMutexLocker lock(&m_mutex);
    m_feed = feed;
    m_sink = sink;
}

TimerFeed TimerInput::feed() const
{
    QMutexLocker lock(&m_mutex);
    return m_feed;
}

bool TimerInput::sameConfiguration(const TimerInput& other) const
{
    return m_name == other.m_name && m_port == other.m_port;
}

void TimerInput::copyConfiguration(const TimerInput& other)
{
    m_name = other.m_name;
    m_port = other.m_port;
}
