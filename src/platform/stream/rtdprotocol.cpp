#include "rtdprotocol.h"

#include "crc32.h"
#include "txmessagebatch.h"
#include "txstream.h"

#include <QtEndian>
#include <cstring>
#include <limits>

namespace {

constexpr char Magic[4] = {'R', 'T', 'D', '\x01'};

void putU16(char* to, quint16 value)
{
    qToBigEndian(value, to);
}

void putI32(char* to, qint32 value)
{
    qToBigEndian(value, to);
}

// Adds a frame with room for its payload to batch and returns where the
// payload goes; the check sum is written when the frame is numbered (or by
// checked() for a frame that is not).
char* addFrame(TxMessageBatch& batch, quint8 type, quint8 flags, qsizetype payloadSize,
               std::chrono::microseconds pauseAfter = std::chrono::microseconds(0))
{
    char* out = batch.add(RtdProtocol::HeaderSize + payloadSize + RtdProtocol::CrcSize, pauseAfter);
    std::memcpy(out, Magic, 4);
    out[4] = static_cast<char>(type);
    out[5] = static_cast<char>(flags);
    const auto length = static_cast<quint16>(payloadSize);
    putU16(out + 6, length);
    putU16(out + 8, static_cast<quint16>(length ^ 0xFFFFu));
    return out + RtdProtocol::HeaderSize;
}

// Writes the frame's check sum over everything before it.
void seal(char* frame, qsizetype size)
{
    const qsizetype crcAt = size - RtdProtocol::CrcSize;
    qToBigEndian(crc32(frame, crcAt), frame + crcAt);
}

// The one frame of batch, sealed, as a byte array.
QByteArray sealedFrame(TxMessageBatch& batch)
{
    if (batch.count() != 1)
        return QByteArray();
    seal(batch.data(0), batch.message(0).size());
    return batch.copy(0);
}

void addTextFrame(TxMessageBatch& batch, qint32 offset, QByteArrayView text, bool update,
                  std::chrono::microseconds pauseAfter = std::chrono::microseconds(0))
{
    char* payload = addFrame(batch, RtdProtocol::TextBlockMessage, update ? RtdProtocol::UpdateFlag : 0,
                             4 + text.size(), pauseAfter);
    putI32(payload, offset);
    if (!text.isEmpty())
        std::memcpy(payload + 4, text.data(), size_t(text.size()));
}

// A play sequence's payload size, or -1 when its texts do not fit.
qsizetype playSequencePayload(const QByteArray& drive, const QByteArray& library, const QByteArray& sequence)
{
    // Each text is prefixed by its 16-bit length; together they must fit the payload.
    const qsizetype size = 12 + 6 + drive.size() + library.size() + sequence.size();
    return size > RtdProtocol::MaxPayload ? -1 : size;
}

void addPlaySequenceFrame(TxMessageBatch& batch, qint32 sign, qint32 mode, qint32 times,
                          const QByteArray& drive, const QByteArray& library, const QByteArray& sequence,
                          qsizetype payloadSize)
{
    char* p = addFrame(batch, RtdProtocol::PlaySequenceMessage, 0, payloadSize);
    putI32(p, sign);
    putI32(p + 4, mode);
    putI32(p + 8, times);
    p += 12;
    for (const QByteArray* text : {&drive, &library, &sequence}) {
        putU16(p, static_cast<quint16>(text->size()));
        if (!text->isEmpty())
            std::memcpy(p + 2, text->constData(), size_t(text->size()));
        p += 2 + text->size();
    }
}

// Whether the batch holds pieces to be followed by a pause.
bool hasPauses(const TxMessageBatch& batch)
{
    for (qsizetype i = 0; i < batch.count(); ++i)
        if (batch.pauseAfter(i).count() > 0)
            return true;
    return false;
}

void addShowFrameFrame(TxMessageBatch& batch, qint32 sign, qint32 frameNumber)
{
    char* p = addFrame(batch, RtdProtocol::ShowFrameMessage, 0, 8);
    putI32(p, sign);
    putI32(p + 4, frameNumber);
}

} // namespace

RtdProtocol::RtdProtocol(TxStream& stream) : m_stream(stream) {}

QByteArray RtdProtocol::toWireText(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (const QChar c : text)
        *dst++ = c.unicode() > 0xFF ? '?' : static_cast<char>(c.unicode());
    return out;
}

QByteArray RtdProtocol::encodeTextBlock(qint32 offset, const QByteArray& wireText, bool update)
{
    if (wireText.size() > MaxTextPerMessage)
        return QByteArray();
    TxMessageBatch batch;
    addTextFrame(batch, offset, wireText, update);
    return sealedFrame(batch);
}

QByteArray RtdProtocol::encodePlaySequence(qint32 sign, qint32 mode, qint32 times, const QByteArray& drive,
                                           const QByteArray& library, const QByteArray& sequence)
{
    const qsizetype size = playSequencePayload(drive, library, sequence);
    if (size < 0)
        return QByteArray();
    TxMessageBatch batch;
    addPlaySequenceFrame(batch, sign, mode, times, drive, library, sequence, size);
    return sealedFrame(batch);
}

QByteArray RtdProtocol::encodeShowFrame(qint32 sign, qint32 frameNumber)
{
    TxMessageBatch batch;
    addShowFrameFrame(batch, sign, frameNumber);
    return sealedFrame(batch);
}

QByteArray RtdProtocol::numbered(const QByteArray& frame, quint8 number)
{
    if (frame.size() < HeaderSize + CrcSize)
        return frame;
    QByteArray out = frame;
    const auto flags = static_cast<quint8>(out[5]);
    out[5] = static_cast<char>((flags & UpdateFlag) | quint8((number & HighestNumber) << NumberShift));
    seal(out.data(), out.size());
    return out;
}

bool RtdProtocol::refuseDetached(const QString& what)
{
    if (isAttached())
        return false;
    m_stream.setLastError(QStringLiteral("Cannot send %1: the stream is not open.").arg(what));
    return true;
}

void RtdProtocol::numberFrames(TxMessageBatch& batch)
{
    quint8 number = m_lastNumber;
    // Numbered and sealed in place: each frame's check sum is made once.
    for (qsizetype i = 0; i < batch.count(); ++i) {
        number = nextNumber(number);
        char* frame = batch.data(i);
        const auto flags = static_cast<quint8>(frame[5]);
        frame[5] = static_cast<char>((flags & UpdateFlag) | quint8(number << NumberShift));
        seal(frame, batch.message(i).size());
    }
    // Numbers of messages that are not accepted are used up all the same:
    // the receiver then counts them as lost, which they are.
    m_lastNumber = number;
}

int RtdProtocol::sendNumbered(TxMessageBatch& batch, bool handOver, const QString& what)
{
    if (refuseDetached(what))
        return TxStream::StatusNotOpen;
    QMutexLocker lock(&m_numberMutex);
    numberFrames(batch);
    return m_stream.sendBatch(batch, handOver ? TxStream::Delivery::HandOver : TxStream::Delivery::Wait);
}

bool RtdProtocol::handsOver(const TxMessageBatch& batch, Delivery delivery)
{
    // Behind pieces still going out a send would wait for their pauses too;
    // handed over it follows them all the same.
    return delivery == Delivery::HandOver || hasPauses(batch) || m_stream.handingOver();
}

TxPendingSend RtdProtocol::startBatch(TxMessageBatch& batch, Delivery delivery)
{
    TxPendingSend pending;
    if (batch.isEmpty() || refuseDetached(QStringLiteral("the scoreboard messages"))) {
        pending.m_status = batch.isEmpty() ? TxStream::StatusOk : TxStream::StatusNotOpen;
        return pending;
    }
    const bool handOver = handsOver(batch, delivery);
    QMutexLocker lock(&m_numberMutex);
    numberFrames(batch);
    return m_stream.startBatch(batch, handOver ? TxStream::Delivery::HandOver : TxStream::Delivery::Wait);
}

int RtdProtocol::appendTextBlock(TxMessageBatch& batch, QByteArrayView wire, bool update, int offset,
                                 bool breakupPackets)
{
    const qint64 lastOffset = qint64(offset) + wire.size();
    if (lastOffset > std::numeric_limits<qint32>::max()) {
        m_stream.setLastError(
            QStringLiteral(
                "Cannot send a text block of %1 characters at offset %2: the offset is out of range.")
                .arg(wire.size())
                .arg(offset));
        return TxStream::StatusFailed;
    }
    const bool pieces = breakupPackets && wire.size() > PieceLength;
    const qsizetype pieceLength = pieces ? PieceLength : MaxTextPerMessage;
    const std::chrono::microseconds pause = pieces ? pieceDelay() : std::chrono::microseconds(0);
    qsizetype position = 0;
    do {
        addTextFrame(batch, static_cast<qint32>(offset + position),
                     wire.sliced(position, qMin(pieceLength, wire.size() - position)), update, pause);
        position += pieceLength;
    } while (position < wire.size());
    return TxStream::StatusOk;
}

int RtdProtocol::appendPlaySequence(TxMessageBatch& batch, int sign, int mode, int times,
                                    const QString& drive, const QString& library, const QString& sequence)
{
    const QByteArray d = toWireText(drive);
    const QByteArray l = toWireText(library);
    const QByteArray q = toWireText(sequence);
    const qsizetype size = playSequencePayload(d, l, q);
    if (size < 0) {
        m_stream.setLastError(
            QStringLiteral("Cannot send the play sequence command: its texts are too long."));
        return TxStream::StatusFailed;
    }
    addPlaySequenceFrame(batch, sign, mode, times, d, l, q, size);
    return TxStream::StatusOk;
}

void RtdProtocol::appendShowFrame(TxMessageBatch& batch, int sign, int frameNumber)
{
    addShowFrameFrame(batch, sign, frameNumber);
}

void RtdProtocol::appendUpdateTrigger(TxMessageBatch& batch)
{
    addTextFrame(batch, UpdateTriggerOffset, " ", true);
}

int RtdProtocol::sendBatch(TxMessageBatch& batch, Delivery delivery)
{
    if (batch.isEmpty())
        return TxStream::StatusOk;
    return sendNumbered(batch, handsOver(batch, delivery), QStringLiteral("the scoreboard messages"));
}

int RtdProtocol::sendTextBlock(const QString& text, bool update, int offset, bool breakupPackets)
{
    if (!isAttached()) {
        m_stream.setLastError(QStringLiteral("Cannot send a text block: the stream is not open."));
        return TxStream::StatusNotOpen;
    }
    TxMessageBatch batch;
    const int status = appendTextBlock(batch, toWireText(text), update, offset, breakupPackets);
    if (status < 0)
        return status;
    // Pieces with pauses between them are handed over without waiting out the pauses.
    return sendNumbered(batch, handsOver(batch, Delivery::WaitUnlessPaused), QStringLiteral("a text block"));
}

int RtdProtocol::sendUpdateTrigger()
{
    return sendTextBlock(QStringLiteral(" "), true, UpdateTriggerOffset, false);
}

int RtdProtocol::playSequence(int sign, int mode, int times, const QString& drive, const QString& library,
                              const QString& sequence)
{
    TxMessageBatch batch;
    const int status = appendPlaySequence(batch, sign, mode, times, drive, library, sequence);
    if (status < 0)
        return status;
    return sendNumbered(batch, false, QStringLiteral("the play sequence command"));
}

int RtdProtocol::showFrame(int sign, int frameNumber)
{
    TxMessageBatch batch;
    appendShowFrame(batch, sign, frameNumber);
    return sendNumbered(batch, false, QStringLiteral("the show frame command"));
}
