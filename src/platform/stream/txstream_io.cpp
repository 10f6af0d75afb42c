// Opening, closing, sending and receiving: everything that crosses into a
// stream's I/O thread.
#include "platform/threadhandoff.h"
#include "serialportmap.h"
#include "txstream.h"
#include "txstreamworker.h"

#include <QDateTime>
#include <QMetaMethod>
#include <QMutex>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <utility>

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

// Shared by the caller and a call posted to the I/O thread: the caller may
// give up and return while the call still waits or runs.
struct TxCallState
{
    enum class State { Waiting, Running, Done, Abandoned };
    std::mutex mutex;
    std::condition_variable done;
    State state = State::Waiting;
    int status = TxStream::StatusFailed;
    QString error;
};

std::shared_ptr<TxCallState> TxStream::postCall(TxStreamWorker* worker, const IoCall& call)
{
    auto pending = std::make_shared<TxCallState>();
    ThreadHandOff::post(worker, [pending, call, worker] {
        {
            std::lock_guard lock(pending->mutex);
            if (pending->state == TxCallState::State::Abandoned)
                return;
            pending->state = TxCallState::State::Running;
        }
        CallResult result = call(*worker);
        std::lock_guard lock(pending->mutex);
        pending->status = result.status;
        pending->error = std::move(result.error);
        pending->state = TxCallState::State::Done;
        pending->done.notify_all();
    });
    return pending;
}

std::optional<TxStream::CallResult> TxStream::awaitCall(TxCallState& pending, QDeadlineTimer deadline)
{
    std::unique_lock lock(pending.mutex);
    if (pending.done.wait_for(lock, deadline.remainingTimeAsDuration(),
                              [&] { return pending.state == TxCallState::State::Done; }))
        return CallResult{pending.status, pending.error};
    if (pending.state == TxCallState::State::Waiting)
        pending.state = TxCallState::State::Abandoned;
    return std::nullopt;
}

std::optional<TxStream::CallResult> TxStream::callOnIoThread(TxStreamWorker* worker, const IoCall& call,
                                                             QDeadlineTimer deadline)
{
    if (worker->thread() == QThread::currentThread())
        return call(*worker);
    return awaitCall(*postCall(worker, call), deadline);
}

TxStream::CallResult TxStream::callWorker(const IoCall& call, const QString& what)
{
    TxPendingSend pending = beginCall(call, what);
    return finishCall(pending);
}

TxPendingSend TxStream::beginCall(const IoCall& call, const QString& what)
{
    TxPendingSend pending;
    const auto known = [&](const CallResult& result) {
        pending.m_status = result.status;
        pending.m_error = result.error;
        return std::move(pending);
    };
    // Our own thread (a receiver answering): the worker cannot go away
    // underneath us, as closing needs this thread.
    if (TxStreamWorker* own = ownWorker())
        return known(call(*own));

    const QDeadlineTimer deadline(CallTimeoutMs);
    if (!m_lifecycle.tryLockForRead(int(deadline.remainingTime())))
        return known(
            {StatusTimedOut,
             QStringLiteral("%1 on \"%2\" timed out: the stream was being opened or closed for %3 ms.")
                 .arg(what, name())
                 .arg(CallTimeoutMs)});
    TxStreamWorker* worker = m_worker.load();
    if (!worker) {
        m_lifecycle.unlock();
        return known({StatusNotOpen,
                      QStringLiteral("%1 on \"%2\" failed: the stream is not open.").arg(what, name())});
    }
    // The read lock is held until the result is in (finishCall).
    pending.m_stream = this;
    pending.m_call = postCall(worker, call);
    pending.m_deadline = deadline;
    pending.m_what = what;
    return pending;
}

TxStream::CallResult TxStream::finishCall(TxPendingSend& pending)
{
    if (!pending.m_stream)
        return {pending.m_status, pending.m_error};
    CallResult result;
    if (const std::optional<CallResult> done = awaitCall(*pending.m_call, pending.m_deadline)) {
        result = *done;
    } else {
        result = {StatusTimedOut,
                  QStringLiteral("%1 on \"%2\" timed out: its thread did not respond within %3 ms.")
                      .arg(pending.m_what, name())
                      .arg(CallTimeoutMs)};
    }
    m_lifecycle.unlock();
    pending.m_stream = nullptr;
    pending.m_call.reset();
    pending.m_status = result.status;
    pending.m_error = result.error;
    return result;
}

TxPendingSend::TxPendingSend(TxPendingSend&& other) noexcept
    : m_stream(std::exchange(other.m_stream, nullptr)), m_call(std::move(other.m_call)),
      m_deadline(other.m_deadline), m_what(std::move(other.m_what)), m_error(std::move(other.m_error)),
      m_status(other.m_status)
{
}

TxPendingSend& TxPendingSend::operator=(TxPendingSend&& other) noexcept
{
    if (this != &other) {
        release();
        m_stream = std::exchange(other.m_stream, nullptr);
        m_call = std::move(other.m_call);
        m_deadline = other.m_deadline;
        m_what = std::move(other.m_what);
        m_error = std::move(other.m_error);
        m_status = other.m_status;
    }
    return *this;
}

TxPendingSend::~TxPendingSend()
{
    release();
}

void TxPendingSend::release()
{
    if (m_stream)
        wait();
}

int TxPendingSend::wait()
{
    if (!m_stream)
        return m_status;
    TxStream* stream = m_stream;
    const TxStream::CallResult result = stream->finishCall(*this);
    if (result.status < 0)
        stream->setLastError(result.error);
    return result.status;
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
    HostLookup lookup;
    {
        QMutexLocker lock(&m_mutex);
        m_failure.clear();
        m_receiveFailure.clear();
        m_waitingFor.clear();
        receiving = m_receiving;
        receiver = m_receiver;
        lookup = m_hostLookup;
    }
    m_deviceFailed = false;
    m_queuedBytes = 0;
    m_droppedPieces = 0;

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
    auto* worker = new TxStreamWorker(link, s, device, std::move(lookup));
    worker->setReceiver(receiver);
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("TxStream %1").arg(s.name));
    worker->moveToThread(thread);
    // The worker and its device are deleted on their own thread as it ends.
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    thread->start();

    const CallResult opened =
        callOnIoThread(
            worker,
            [receiving](TxStreamWorker& w) {
                CallResult result;
                result.status = w.openDevice(receiving, &result.error);
                return result;
            },
            QDeadlineTimer(CallTimeoutMs))
            .value_or(CallResult{StatusTimedOut,
                                 QStringLiteral("Opening \"%1\" did not finish in time.").arg(s.name)});
    if (opened.status < 0) {
        thread->quit();
        if (thread->wait(StopTimeoutMs)) {
            delete thread;
        } else {
            QMutexLocker lock(&link->mutex);
            link->owner = nullptr;
            connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        }
        m_protocol.detach();
        setLastError(opened.error);
        return opened.status;
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

    const QDeadlineTimer deadline(StopTimeoutMs);
    callOnIoThread(
        m_worker.load(),
        [](TxStreamWorker& w) {
            w.closeDevice();
            return CallResult{StatusOk, QString()};
        },
        deadline);
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
    m_queuedBytes = 0; // closing discards what was still queued
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
    if (!m_open.load())
        return QStringLiteral("Closed");
    QString text;
    {
        QMutexLocker lock(&m_mutex);
        if (m_deviceFailed.load())
            return QStringLiteral("Failed: %1").arg(m_failure);
        if (!m_receiveFailure.isEmpty())
            return QStringLiteral("Failed to receive: %1").arg(m_receiveFailure);
        text = m_waitingFor.isEmpty() ? QStringLiteral("Open") : m_waitingFor;
    }
    const qint64 queued = m_queuedBytes.load();
    const qint64 dropped = m_droppedPieces.load();
    if (queued > 0 || dropped > 0)
        text += QStringLiteral(" (%1 bytes queued, %2 dropped)").arg(queued).arg(dropped);
    return text;
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
    emit problem(text);
}

void TxStream::reportProblem(const QString& text)
{
    emit statusChanged();
    emit problem(text);
}

void TxStream::setWaitingFor(const QString& text)
{
    {
        QMutexLocker lock(&m_mutex);
        m_waitingFor = text;
    }
    // While open() runs it announces the status itself once it has finished:
    // a receiver of the signal that called back into the stream now would wait
    // for the open under way.
    if (m_open.load())
        emit statusChanged();
}

void TxStream::setQueueState(qint64 queuedBytes, qint64 droppedPieces)
{
    m_queuedBytes = queuedBytes;
    m_droppedPieces = droppedPieces;
}

int TxStream::sendText(const QString& text)
{
    return sendBytes(RtdProtocol::toWireText(text));
}

int TxStream::sendBytes(const QByteArray& bytes)
{
    return sendMessages({bytes}, std::chrono::microseconds(0));
}

bool TxStream::handOver(const TxMessageBatch& batch)
{
    const qint64 bytes = batch.totalBytes();
    // An open or close under way, a failed device or an I/O thread that is
    // behind: the caller waits as for any other send (and learns why it failed).
    if (!m_lifecycle.tryLockForRead())
        return false;
    TxStreamWorker* worker = m_worker.load();
    const std::shared_ptr<TxStreamLink> link = m_link;
    const bool accepted =
        worker && link && !m_deviceFailed.load() && link->handedOverBytes.load() + bytes <= MaxQueuedBytes;
    if (accepted) {
        link->handedOverBytes += bytes;
        link->direct.pendingBegins();
        // Posted events reach the I/O thread in order, so whatever this thread
        // sends next follows these pieces. A worker closed meanwhile never
        // receives them, as closing discards what is queued.
        ThreadHandOff::post(worker, [worker, batch] { worker->sendHandedOver(batch); });
    }
    m_lifecycle.unlock();
    return accepted;
}

int TxStream::sendMessages(const QList<QByteArray>& messages, std::chrono::microseconds pauseAfterEach)
{
    TxMessageBatch batch;
    for (const QByteArray& message : messages)
        batch.add(message, pauseAfterEach);
    // Pieces with pauses between them are handed over without waiting out the
    // pauses: the sender (a refresh after a saved result) goes on at once.
    return sendBatch(batch, pauseAfterEach.count() > 0 ? Delivery::HandOver : Delivery::Wait);
}

int TxStream::sendBatch(const TxMessageBatch& batch, Delivery delivery)
{
    return startBatch(batch, delivery).wait();
}

bool TxStream::handingOver()
{
    if (!m_lifecycle.tryLockForRead())
        return false;
    const bool pending = m_link && m_link->handedOverBytes.load() > 0;
    m_lifecycle.unlock();
    return pending;
}

std::shared_ptr<TxStreamLink> TxStream::directLink()
{
    if (onIoThread() || !m_lifecycle.tryLockForRead())
        return nullptr;
    std::shared_ptr<TxStreamLink> link = m_worker.load() && !m_deviceFailed.load() ? m_link : nullptr;
    m_lifecycle.unlock();
    return link;
}

TxPendingSend TxStream::startBatch(const TxMessageBatch& batch, Delivery delivery)
{
    if (delivery == Delivery::HandOver && !onIoThread() && handOver(batch))
        return TxPendingSend();
    // Datagrams the socket takes at once are written here, without waiting
    // for the I/O thread; whatever it did not take goes there as before.
    const std::shared_ptr<TxStreamLink> link = directLink();
    const qsizetype written =
        link ? link->direct.send(batch, [this](QByteArrayView bytes) { emitTraffic(Sent, bytes); }) : 0;
    if (written > 0 && written == batch.count())
        return TxPendingSend();
    // The send counts as pending from here until its call has run or has
    // been dropped (the last copy of the call goes with it).
    std::shared_ptr<void> pendingSend;
    if (link) {
        link->direct.pendingBegins();
        pendingSend = std::shared_ptr<void>(nullptr, [link](void*) { link->direct.pendingEnds(); });
    }
    const TxMessageBatch rest = written > 0 ? batch.tail(written) : batch;
    // All messages go in one call on the I/O thread: one hand-over per batch
    // instead of one per piece.
    TxPendingSend pending = beginCall(
        [rest, pendingSend](TxStreamWorker& worker) {
            CallResult sent;
            sent.status = worker.send(rest, &sent.error);
            return sent;
        },
        QStringLiteral("Sending"));
    // A result known at once (not open, sent directly) is the last error now.
    if (!pending.m_stream && pending.m_status < 0)
        setLastError(pending.m_error);
    return pending;
}

void TxStream::setDataReceiver(DataReceiver receiver)
{
    {
        QMutexLocker lock(&m_mutex);
        m_receiver = receiver;
    }
    // Set on the I/O thread: once that ran, no delivery of the old receiver is
    // under way or still to come.
    const CallResult result = callWorker(
        [receiver](TxStreamWorker& worker) {
            worker.setReceiver(receiver);
            return CallResult{StatusOk, QString()};
        },
        QStringLiteral("Replacing the receiver"));
    if (result.status == StatusTimedOut)
        setLastError(result.error);
}

int TxStream::setReceiving(bool on)
{
    CallResult result = callWorker(
        [on](TxStreamWorker& worker) {
            CallResult changed;
            changed.status = worker.setReceiving(on, &changed.error);
            return changed;
        },
        QStringLiteral("Changing receiving"));
    if (result.status == StatusNotOpen)
        result = {StatusOk, QString()}; // taken over at the next open()
    {
        QMutexLocker lock(&m_mutex);
        if (result.status < 0) {
            m_lastError = result.error;
            if (on) {
                m_receiving = false;
                m_receiveFailure = result.error;
            }
        } else {
            m_receiving = on;
            m_receiveFailure.clear();
        }
    }
    emit statusChanged();
    return result.status < 0 ? result.status : StatusOk;
}

bool TxStream::isReceiving() const
{
    QMutexLocker lock(&m_mutex);
    return m_receiving;
}

void TxStream::emitTraffic(Direction direction, QByteArrayView bytes)
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&TxStream::traffic);
    // A copy of its own: the bytes may stand in a batch that goes away.
    if (isSignalConnected(signal))
        emit traffic(direction, bytes.toByteArray(), QDateTime::currentMSecsSinceEpoch());
}
