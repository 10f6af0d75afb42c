// Opening, closing, sending and receiving: everything that crosses into a
// stream's I/O thread.
#include "serialportmap.h"
#include "txstream.h"
#include "txstreamworker.h"

#include <QDateTime>
#include <QMetaMethod>
#include <QMutex>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// One call waiting to run on an I/O thread. The caller may give up while it is
// still pending; it then never runs, so its references to the caller's locals
// are never used after the caller returned.
class PendingCall
{
public:
    bool start()
    {
        std::lock_guard lock(m_mutex);
        if (m_state == State::Abandoned)
            return false;
        m_state = State::Running;
        return true;
    }

    void finish()
    {
        std::lock_guard lock(m_mutex);
        m_state = State::Done;
        m_done.notify_all();
    }

    bool waitUntil(QDeadlineTimer deadline)
    {
        std::unique_lock lock(m_mutex);
        const auto started = [this] {
            return m_state != State::Pending;
        };
        if (deadline.isForever()) {
            m_done.wait(lock, started);
        } else if (!m_done.wait_for(lock, deadline.remainingTimeAsDuration(), started)) {
            m_state = State::Abandoned;
            return false;
        }
        // Once running it finishes soon: wait for it whatever the deadline.
        m_done.wait(lock, [this] { return m_state == State::Done; });
        return true;
    }

private:
    enum class State { Pending, Running, Done, Abandoned };
    std::mutex m_mutex;
    std::condition_variable m_done;
    State m_state = State::Pending;
};

} // namespace

bool TxStream::onIoThread() const
{
    const QThread* thread = m_ioThread.load();
    return thread && thread == QThread::currentThread();
}

TxStreamWorker* TxStream::ownWorker() const
{
    // Worker first: open() publishes the worker before the thread and close()
    // withdraws the thread first, so a matching thread means a live worker.
    TxStreamWorker* worker = m_worker.load();
    const QThread* thread = m_ioThread.load();
    return (worker && thread && thread == QThread::currentThread()) ? worker : nullptr;
}

bool TxStream::callOnIoThread(TxStreamWorker* worker, const std::function<void()>& fn,
                              QDeadlineTimer deadline)
{
    if (worker->thread() == QThread::currentThread()) {
        fn();
        return true;
    }
    auto call = std::make_shared<PendingCall>();
    QMetaObject::invokeMethod(
        worker,
        [call, fn] {
            if (!call->start())
                return;
            fn();
            call->finish();
        },
        Qt::QueuedConnection);
    return call->waitUntil(deadline);
}

int TxStream::open()
{
    if (onIoThread()) {
        setLastError(QStringLiteral("A stream cannot be reopened from its own thread."));
        return StatusFailed;
    }
    QWriteLocker lifecycle(&m_lifecycle);
    if (m_thread)
        closeLocked();

    const TxStreamSettings s = settings();
    bool receiving = false;
    DataReceiver receiver;
    {
        QMutexLocker lock(&m_mutex);
        m_failure.clear();
        receiving = m_receiving;
        receiver = m_receiver;
    }
    m_deviceFailed = false;

    switch (s.kind) {
    case Serial:
    case Udp:
    case File:
    case Tcp:
        break;
    case Http:
    case Ipx:
        setLastError(QStringLiteral("%1 streams are not supported; \"%2\" cannot be opened.")
                         .arg(s.kind == Http ? QStringLiteral("HTTP") : QStringLiteral("IPX"), s.name));
        return StatusNotSupported;
    default:
        setLastError(QStringLiteral("No stream kind is set; \"%1\" cannot be opened.").arg(s.name));
        return StatusFailed;
    }

    // Attached before the device opens, so the device is usable through it the
    // moment it is open.
    m_protocol.attach();

    auto link = std::make_shared<TxStreamLink>();
    link->owner = this;
    const QString device = s.kind == Serial ? resolvedSerialDevice() : QString();
    auto* worker = new TxStreamWorker(link, s, device);
    worker->setReceiver(receiver);
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("TxStream %1").arg(s.name));
    worker->moveToThread(thread);
    // The worker and its device are deleted on their own thread as it ends.
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    thread->start();

    int status = StatusFailed;
    QString error;
    const QDeadlineTimer deadline(CallTimeoutMs);
    if (!callOnIoThread(
            worker, [&] { status = worker->openDevice(receiving, &error); }, deadline)) {
        status = StatusTimedOut;
        error = QStringLiteral("Opening \"%1\" did not finish in time.").arg(s.name);
    }
    if (status < 0) {
        thread->quit();
        if (thread->wait(StopTimeoutMs)) {
            delete thread;
        } else {
            QMutexLocker lock(&link->mutex);
            link->owner = nullptr;
            connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        }
        m_protocol.detach();
        setLastError(error);
        return status;
    }

    m_thread = thread;
    m_link = link;
    m_worker = worker;
    m_ioThread = thread;
    m_open = true;
    setLastError(QString());
    emit statusChanged();
    return StatusOk;
}

int TxStream::close()
{
    if (onIoThread()) {
        setLastError(QStringLiteral("A stream cannot be closed from its own thread."));
        return StatusFailed;
    }
    QWriteLocker lifecycle(&m_lifecycle);
    return closeLocked();
}

int TxStream::closeLocked()
{
    m_protocol.detach();
    if (!m_thread)
        return StatusOk;

    TxStreamWorker* worker = m_worker.load();
    const QDeadlineTimer deadline(StopTimeoutMs);
    callOnIoThread(
        worker, [worker] { worker->closeDevice(); }, deadline);
    m_thread->quit();
    const bool ended = m_thread->wait(deadline);

    if (ended) {
        releaseThread(false);
        emit statusChanged();
        return StatusOk;
    }
    releaseThread(true);
    setLastError(QStringLiteral("The thread of \"%1\" did not end within %2 ms and was left running.")
                     .arg(name())
                     .arg(StopTimeoutMs));
    emit statusChanged();
    return StatusTimedOut;
}

void TxStream::releaseThread(bool stillRunning)
{
    {
        QMutexLocker lock(&m_link->mutex);
        m_link->owner = nullptr;
    }
    m_ioThread = nullptr;
    m_worker = nullptr;
    m_open = false;
    m_link.reset();
    if (stillRunning) {
        // Forcing a thread to end can leave any state corrupt, so it is left to
        // finish on its own; it no longer reaches this stream, and its worker
        // and device go with it.
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    } else {
        delete m_thread;
    }
    m_thread = nullptr;
}

bool TxStream::isOpen() const
{
    return m_open.load() && !m_deviceFailed.load();
}

QString TxStream::statusText() const
{
    if (m_open.load() && m_deviceFailed.load()) {
        QMutexLocker lock(&m_mutex);
        return QStringLiteral("Failed: %1").arg(m_failure);
    }
    return m_open.load() ? QStringLiteral("Open") : QStringLiteral("Closed");
}

void TxStream::reportDeviceFailure(const QString& text)
{
    {
        QMutexLocker lock(&m_mutex);
        m_failure = text;
        m_lastError = text;
    }
    m_deviceFailed = true;
    emit statusChanged();
}

int TxStream::sendText(const QString& text)
{
    return sendBytes(RtdProtocol::toWireText(text));
}

int TxStream::sendBytes(const QByteArray& bytes)
{
    return sendMessages({bytes}, std::chrono::microseconds(0));
}

int TxStream::sendMessages(const QList<QByteArray>& messages, std::chrono::microseconds pauseAfterEach)
{
    int status = StatusFailed;
    QString error;
    // All messages go in one call on the I/O thread: one hand-over per text
    // block instead of one per piece.
    auto writeAll = [&](TxStreamWorker* worker) {
        status = StatusOk;
        for (const QByteArray& bytes : messages) {
            status = worker->write(bytes, &error);
            if (status < 0)
                return;
            if (pauseAfterEach.count() > 0)
                std::this_thread::sleep_for(pauseAfterEach);
        }
    };
    if (TxStreamWorker* own = ownWorker()) {
        // Our own thread (a receiver answering): the worker cannot go away
        // underneath us, as closing needs this thread.
        writeAll(own);
    } else {
        QReadLocker lifecycle(&m_lifecycle);
        TxStreamWorker* worker = m_worker.load();
        if (!worker) {
            setLastError(QStringLiteral("Cannot send on \"%1\": the stream is not open.").arg(name()));
            return StatusNotOpen;
        }
        if (!callOnIoThread(
                worker, [&] { writeAll(worker); }, QDeadlineTimer(CallTimeoutMs))) {
            status = StatusTimedOut;
            error = QStringLiteral("Sending on \"%1\" timed out: its thread did not respond within %2 ms.")
                        .arg(name())
                        .arg(CallTimeoutMs);
        }
    }
    if (status < 0)
        setLastError(error);
    return status;
}

void TxStream::setDataReceiver(DataReceiver receiver)
{
    {
        QMutexLocker lock(&m_mutex);
        m_receiver = receiver;
    }
    if (TxStreamWorker* own = ownWorker()) {
        own->setReceiver(std::move(receiver));
        return;
    }
    QReadLocker lifecycle(&m_lifecycle);
    TxStreamWorker* worker = m_worker.load();
    if (!worker)
        return;
    // Set on the I/O thread: once that ran, no delivery of the old receiver is
    // under way or still to come.
    if (!callOnIoThread(
            worker, [&] { worker->setReceiver(receiver); }, QDeadlineTimer(CallTimeoutMs)))
        setLastError(
            QStringLiteral("The receiver of \"%1\" could not be replaced: its thread did not respond.")
                .arg(name()));
}

int TxStream::setReceiving(bool on)
{
    int status = StatusOk;
    QString error;
    if (TxStreamWorker* own = ownWorker()) {
        status = own->setReceiving(on, &error);
    } else {
        QReadLocker lifecycle(&m_lifecycle);
        TxStreamWorker* worker = m_worker.load();
        if (worker &&
            !callOnIoThread(
                worker, [&] { status = worker->setReceiving(on, &error); }, QDeadlineTimer(CallTimeoutMs))) {
            status = StatusTimedOut;
            error = QStringLiteral("Receiving on \"%1\" could not be changed: its thread did not respond.")
                        .arg(name());
        }
    }
    QMutexLocker lock(&m_mutex);
    if (status < 0) {
        m_lastError = error;
        if (on)
            m_receiving = false;
        return status;
    }
    m_receiving = on;
    return StatusOk;
}

bool TxStream::isReceiving() const
{
    QMutexLocker lock(&m_mutex);
    return m_receiving;
}

void TxStream::emitTraffic(Direction direction, const QByteArray& bytes)
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&TxStream::traffic);
    if (isSignalConnected(signal))
        emit traffic(direction, bytes, QDateTime::currentMSecsSinceEpoch());
}
