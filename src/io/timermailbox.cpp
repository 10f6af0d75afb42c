#include "timermailbox.h"

#include "platform/threadhandoff.h"

#include <QObject>
#include <QTimer>

namespace {

bool sameEntry(const RegEntry& a, const RegEntry& b)
{
    return a.eventId == b.eventId && a.goRound == b.goRound && a.ptId == b.ptId && a.plrEnt == b.plrEnt;
}

} // namespace

TimerMailbox::TimerMailbox(Receivers receivers, int resultIntervalMs)
    : m_receivers(std::move(receivers)), m_resultIntervalMs(resultIntervalMs),
      m_context(std::make_unique<QObject>())
{
    m_resultTimer = new QTimer(m_context.get());
    m_resultTimer->setSingleShot(true);
    QObject::connect(m_resultTimer, &QTimer::timeout, m_context.get(), [this] { deliver(); });
}

// Destroying the context drops the deliveries still queued for it.
TimerMailbox::~TimerMailbox() = default;

void TimerMailbox::scheduleLocked()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    ++m_deliveries;
    ThreadHandOff::post(m_context.get(), [this] { deliver(); });
}

void TimerMailbox::postRunningTime(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    if (m_runningTime)
        ++m_replaced;
    m_runningTime = text;
    scheduleLocked();
}

void TimerMailbox::postClockMessage(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    if (m_clockMessage)
        ++m_replaced;
    m_clockMessage = text;
    scheduleLocked();
}

void TimerMailbox::postResult(const RegEntry& entry, const ResultRecord& record)
{
    QMutexLocker lock(&m_mutex);
    for (PendingResult& pending : m_results) {
        if (sameEntry(pending.entry, entry)) {
            pending = {entry, record};
            ++m_replaced;
            return; // a delivery is queued or the result timer runs
        }
    }
    m_results.push_back({entry, record});
    if (!m_resultsHeld)
        scheduleLocked();
}

void TimerMailbox::discardResults()
{
    QMutexLocker lock(&m_mutex);
    m_results.clear();
}

void TimerMailbox::deliver()
{
    std::optional<QString> runningTime;
    std::optional<QString> clockMessage;
    std::vector<PendingResult> results;
    {
        QMutexLocker lock(&m_mutex);
        m_scheduled = false;
        runningTime.swap(m_runningTime);
        clockMessage.swap(m_clockMessage);
        const qint64 wait =
            m_sinceResults.isValid() ? m_resultIntervalMs - m_sinceResults.elapsed() : qint64(0);
        if (wait <= 0) {
            results.swap(m_results);
            m_resultsHeld = false;
        } else if (!m_results.empty()) {
            // They stay pending until the timer delivers them.
            m_resultsHeld = true;
            if (!m_resultTimer->isActive())
                m_resultTimer->start(int(wait));
        }
    }
    // Outside the lock: the receivers save, refresh and publish, and the timer
    // input may post meanwhile.
    if (runningTime && m_receivers.runningTime)
        m_receivers.runningTime(*runningTime);
    if (clockMessage && m_receivers.clockMessage)
        m_receivers.clockMessage(*clockMessage);
    if (m_receivers.result) {
        for (const PendingResult& pending : results)
            m_receivers.result(pending.entry, pending.record);
    }
    if (!results.empty())
        m_sinceResults.start(); // the interval leaves the thread free after the saves
}
