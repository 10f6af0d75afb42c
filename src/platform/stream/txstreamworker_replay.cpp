// A file stream that receives: the recorded feed its file holds, read back.
#include "txstreamworker.h"

#include <QFile>
#include <QTimer>

namespace {

// Bytes read per turn of the I/O thread's event loop.
constexpr qint64 ReplayChunkBytes = 4096;

} // namespace

void TxStreamWorker::startReplay()
{
    stopReplay();
    m_replay = new QFile(m_settings.fileName, this);
    if (!m_replay->open(QIODevice::ReadOnly)) {
        reportError(QStringLiteral("The file \"%1\" cannot be read: %2")
                        .arg(m_settings.fileName, m_replay->errorString()));
        delete m_replay;
        m_replay = nullptr;
        return;
    }
    m_replayTimer = new QTimer(this);
    m_replayTimer->setInterval(0);
    connect(m_replayTimer, &QTimer::timeout, this, &TxStreamWorker::replayChunk);
    m_replayTimer->start();
}

void TxStreamWorker::replayChunk()
{
    if (!m_replay)
        return;
    const QByteArray data = m_replay->read(ReplayChunkBytes);
    if (data.isEmpty()) {
        // The end of the recording: what is held back cannot become a frame.
        m_decoder.flush();
        stopReplay();
    } else {
        tap(TxStream::Received, data);
        m_decoder.feed(data);
    }
    if (!m_receiving)
        return;
    const QList<RtdMessage> messages = m_decoder.takeMessages();
    for (const RtdMessage& message : messages)
        deliver(message);
}

void TxStreamWorker::stopReplay()
{
    if (m_replayTimer) {
        // Later: this may run inside the timer's own timeout (a receiver that
        // stops receiving).
        m_replayTimer->stop();
        m_replayTimer->deleteLater();
        m_replayTimer = nullptr;
    }
    delete m_replay;
    m_replay = nullptr;
}
