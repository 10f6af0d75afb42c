#include "scoreboardreceiver.h"

namespace {
const QByteArray Magic("RTD\x01", 4);
}

void ScoreboardReceiver::take(const RtdMessage& message, qint64 nowMs, const QString& sender)
{
    if (message.type == RtdMessage::Raw) {
        takeRaw(message.bytes, nowMs);
        return;
    }
    ++m_messages;
    m_lastNumber = message.number;
    m_lost[sender].seen(message.number);
    m_image.apply(message);
}

// Bytes that are no message: each place where a frame began but failed its
// check is a bad packet; a scoreboard shows nothing of them.
void ScoreboardReceiver::takeRaw(const QByteArray& bytes, qint64 nowMs)
{
    m_outside += bytes.size();
    const qsizetype frames = bytes.count(Magic);
    if (frames > 0) {
        m_badPackets += long(frames);
        m_lastBadAt = nowMs;
    }
}

void ScoreboardReceiver::datagram(const QByteArray& bytes, qint64 nowMs, const QString& sender)
{
    if (m_recorder.isRecording())
        m_recorder.append(SimRecordEntry::Datagram, quint32(nowMs - m_recordingStart), bytes, sender);
    m_traffic.add(nowMs, bytes.size());
    if (std::optional<RtdMessage> message = RtdDecoder::decodeFrame(bytes)) {
        take(*message, nowMs, sender);
        return;
    }
    // One datagram is one frame or none: a datagram that begins like a frame
    // is one bad packet, whatever it holds further on.
    m_outside += bytes.size();
    if (bytes.contains(Magic)) {
        ++m_badPackets;
        m_lastBadAt = nowMs;
    }
}

void ScoreboardReceiver::streamBytes(const QByteArray& bytes, qint64 nowMs)
{
    if (m_recorder.isRecording())
        m_recorder.append(SimRecordEntry::StreamBytes, quint32(nowMs - m_recordingStart), bytes);
    m_traffic.add(nowMs, bytes.size());
    m_decoder.feed(bytes);
    const QList<RtdMessage> messages = m_decoder.takeMessages();
    for (const RtdMessage& message : messages)
        take(message, nowMs, QString());
    if (m_decoder.heldBytes() == 0)
        m_heldSince = -1;
    else if (m_heldSince < 0 || !messages.isEmpty())
        m_heldSince = nowMs;
    tick(nowMs);
}

void ScoreboardReceiver::tick(qint64 nowMs)
{
    // A header whose frame has not completed for StallMs is a false one.
    if (m_heldSince < 0 || nowMs - m_heldSince < StallMs || m_decoder.heldBytes() == 0)
        return;
    m_decoder.skipHeldHeader();
    for (const RtdMessage& message : m_decoder.takeMessages())
        take(message, nowMs, QString());
    // What is held now waits its own time.
    m_heldSince = m_decoder.heldBytes() == 0 ? -1 : nowMs;
}

qint64 ScoreboardReceiver::lostMessages() const
{
    qint64 lost = 0;
    for (const LostMessageCounter& counter : m_lost)
        lost += counter.lost();
    return lost;
}

void ScoreboardReceiver::endOfStream(qint64 nowMs)
{
    m_decoder.flush();
    for (const RtdMessage& message : m_decoder.takeMessages())
        take(message, nowMs, QString());
    m_heldSince = -1;
    // The next connection numbers its messages from 1 again.
    if (m_lost.contains(QString()))
        m_lost[QString()].seen(0);
}

void ScoreboardReceiver::replay(const SimRecording& recording)
{
    for (const SimRecordEntry& entry : recording.entries) {
        if (entry.kind == SimRecordEntry::Datagram)
            datagram(entry.bytes, entry.atMs, QString::fromLatin1(entry.sender));
        else
            streamBytes(entry.bytes, entry.atMs);
    }
}

bool ScoreboardReceiver::startRecording(const QString& path, qint64 nowMs)
{
    m_recordingStart = nowMs;
    return m_recorder.start(path);
}

QString ScoreboardReceiver::countsText() const
{
    return QStringLiteral("%1 messages, %2 bad, %3 lost, %4 bytes outside messages")
        .arg(m_messages)
        .arg(m_badPackets)
        .arg(lostMessages())
        .arg(m_outside);
}

void ScoreboardReceiver::clear()
{
    m_image.clear();
    m_traffic.clear();
    m_lost.clear();
    m_decoder.clear();
    m_heldSince = -1;
    m_messages = 0;
    m_lastNumber = 0;
    m_badPackets = 0;
    m_lastBadAt.reset();
    m_outside = 0;
}
