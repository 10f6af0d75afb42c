// Sending: what is written at once, what waits in the queue, and what is
// dropped when a receiver falls behind.
#include "txstreamworker.h"

#include <QFile>
#include <QSerialPort>
#include <QTcpSocket>
#include <QUdpSocket>
#include <thread>

int TxStreamWorker::send(const TxMessageBatch& batch, QString* error)
{
    if (m_failed) {
        *error = QStringLiteral("Cannot send on %1: %2").arg(label(), m_failure);
        return TxStream::StatusNotOpen;
    }
    bool dropped = false;
    int status = TxStream::StatusOk;
    for (qsizetype i = 0; i < batch.count(); ++i) {
        status = sendPiece(batch.message(i), &dropped, error);
        if (status < 0)
            break;
        if (batch.pauseAfter(i).count() > 0)
            std::this_thread::sleep_for(batch.pauseAfter(i));
    }
    // A send that dropped nothing ends a run of drops: the next one is reported again.
    if (!dropped)
        m_dropping = false;
    publishQueue();
    if (status == TxStream::StatusOk)
        offerDirectSend();
    return status;
}

void TxStreamWorker::offerDirectSend()
{
    // The socket exists once bound or once it sent its first datagram.
    if (m_udp && m_ready && !m_failed && m_queue.empty())
        m_link->direct.offer(m_udp->socketDescriptor(), m_destination, static_cast<quint16>(m_settings.udpPort));
}

void TxStreamWorker::sendHandedOver(const TxMessageBatch& batch)
{
    QString error;
    const int status = send(batch, &error);
    m_link->handedOverBytes -= batch.totalBytes();
    m_link->direct.pendingEnds();
    if (status < 0) {
        reportError(error);
        reportProblem(error);
    }
}

int TxStreamWorker::sendPiece(QByteArrayView bytes, bool* dropped, QString* error)
{
    if (m_file)
        return writeFile(bytes, error);
    // The queue of a UDP stream is emptied the moment its address is known.
    if (m_udp && m_ready)
        return writeDatagram(bytes, error);
    if (!m_udp && !queuedDevice()) {
        *error = QStringLiteral("Cannot send on %1: it is not open.").arg(label());
        return TxStream::StatusNotOpen;
    }
    const int status = enqueue(bytes, dropped, error);
    pump();
    return status;
}

int TxStreamWorker::writeDatagram(QByteArrayView bytes, QString* error)
{
    const qint64 written = m_udp->writeDatagram(bytes.data(), bytes.size(), m_destination,
                                                static_cast<quint16>(m_settings.udpPort));
    if (written != bytes.size()) {
        *error = QStringLiteral("Sending %1 bytes to %2:%3 failed: %4")
                     .arg(bytes.size())
                     .arg(m_destination.toString())
                     .arg(m_settings.udpPort)
                     .arg(m_udp->errorString());
        return TxStream::StatusFailed;
    }
    tap(TxStream::Sent, bytes);
    return TxStream::StatusOk;
}

int TxStreamWorker::writeFile(QByteArrayView bytes, QString* error)
{
    if (!m_file->isOpen()) {
        *error = QStringLiteral("Cannot send on %1: it is not open.").arg(label());
        return TxStream::StatusNotOpen;
    }
    // Written through at once, so that the file holds what was sent even if the
    // program ends without closing it.
    if (m_file->write(bytes.data(), bytes.size()) != bytes.size() || !m_file->flush()) {
        *error = QStringLiteral("Writing %1 bytes to the file \"%2\" failed: %3")
                     .arg(bytes.size())
                     .arg(m_settings.fileName, m_file->errorString());
        return TxStream::StatusFailed;
    }
    tap(TxStream::Sent, bytes);
    return TxStream::StatusOk;
}

int TxStreamWorker::enqueue(QByteArrayView bytes, bool* dropped, QString* error)
{
    if (bytes.size() > TxStream::MaxQueuedBytes) {
        *error = QStringLiteral("Cannot send %1 bytes at once on %2: at most %3 bytes can wait to be sent.")
                     .arg(bytes.size())
                     .arg(label())
                     .arg(TxStream::MaxQueuedBytes);
        return TxStream::StatusFailed;
    }
    // Room is made by dropping whole pieces that have not begun to go out,
    // oldest first: the newest text is what the sign should end up showing. The
    // piece going out is finished, or the receiver would see a broken message.
    while (queuedBytes() + bytes.size() > TxStream::MaxQueuedBytes) {
        auto oldest = m_queue.begin();
        if (oldest != m_queue.end() && oldest->handedOver > 0)
            ++oldest;
        if (oldest == m_queue.end())
            break;
        m_unhandedBytes -= oldest->bytes.size();
        m_queue.erase(oldest);
        countDrop(dropped);
    }
    if (queuedBytes() + bytes.size() > TxStream::MaxQueuedBytes) {
        // What is left is the piece going out, and it leaves no room for this one.
        countDrop(dropped);
        *error = QStringLiteral("A message of %1 bytes to %2 was dropped: %3 bytes still wait to be sent.")
                     .arg(bytes.size())
                     .arg(label())
                     .arg(queuedBytes());
        return TxStream::StatusFailed;
    }
    m_queue.push_back({bytes.toByteArray(), 0});
    m_unhandedBytes += bytes.size();
    return TxStream::StatusOk;
}

void TxStreamWorker::countDrop(bool* dropped)
{
    ++m_droppedPieces;
    *dropped = true;
    if (m_dropping)
        return;
    // One report for a run of drops, not one per piece: a receiver that stopped
    // reading would otherwise fill the log at every refresh.
    m_dropping = true;
    publishQueue();
    reportProblem(QStringLiteral("%1 takes its data more slowly than it is sent: %2 bytes wait, the most a "
                                 "stream holds, so the oldest unsent messages are being dropped (%3 so far).")
                      .arg(label())
                      .arg(TxStream::MaxQueuedBytes)
                      .arg(m_droppedPieces));
}

QIODevice* TxStreamWorker::queuedDevice() const
{
    if (m_serial)
        return m_serial;
    return m_tcp;
}

qint64 TxStreamWorker::queuedBytes() const
{
    const QIODevice* device = queuedDevice();
    return m_unhandedBytes + (device ? device->bytesToWrite() : 0);
}

void TxStreamWorker::pump()
{
    if (m_pumping || !m_ready || m_failed)
        return;
    m_pumping = true;
    if (m_udp) {
        while (!m_queue.empty()) {
            const QByteArray bytes = m_queue.front().bytes;
            m_queue.pop_front();
            m_unhandedBytes -= bytes.size();
            QString error;
            if (writeDatagram(bytes, &error) < 0) {
                // Its send was accepted long ago: there is nobody left to tell but the log.
                reportError(error);
                bool dropped = false;
                countDrop(&dropped);
            }
        }
    } else if (QIODevice* device = queuedDevice()) {
        for (bool progress = true; progress && !m_queue.empty() && !m_failed;) {
            while (!m_queue.empty() && device->bytesToWrite() < DeviceBufferBytes) {
                Piece& head = m_queue.front();
                const qint64 count = qMin<qint64>(DeviceBufferBytes - device->bytesToWrite(),
                                                  head.bytes.size() - head.handedOver);
                const qint64 written = device->write(head.bytes.constData() + head.handedOver, count);
                if (written <= 0) {
                    reportError(
                        QStringLiteral("Writing to %1 failed: %2").arg(label(), device->errorString()));
                    break;
                }
                head.handedOver += written;
                m_unhandedBytes -= written;
                if (head.handedOver == head.bytes.size()) {
                    tap(TxStream::Sent, head.bytes);
                    m_queue.pop_front();
                }
            }
            // Hand the buffer to the driver now rather than when the event loop
            // gets to it, so that the pauses between pieces are pauses on the
            // line; it takes what it has room for without blocking.
            const qint64 before = device->bytesToWrite();
            if (m_serial)
                m_serial->flush();
            else
                m_tcp->flush();
            progress = device->bytesToWrite() < before;
        }
    }
    if (m_queue.empty())
        m_dropping = false;
    m_pumping = false;
    publishQueue();
}

void TxStreamWorker::publishQueue()
{
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->setQueueState(queuedBytes(), m_droppedPieces);
}
