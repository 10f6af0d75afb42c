#include "rtdprotocol.h"

#include "crc32.h"
#include "txstream.h"

#include <QtEndian>
#include <limits>
#include <thread>

namespace {

constexpr char Magic[4] = {'R', 'T', 'D', '\x01'};

void appendU16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}

void appendI32(QByteArray& out, qint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void appendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray frame(quint8 type, quint8 flags, const QByteArray& payload)
{
    if (payload.size() > RtdProtocol::MaxPayload)
        return QByteArray();
    const auto length = static_cast<quint16>(payload.size());
    QByteArray out;
    out.reserve(RtdProtocol::HeaderSize + payload.size() + RtdProtocol::CrcSize);
    out.append(Magic, 4);
    out.append(static_cast<char>(type));
    out.append(static_cast<char>(flags));
    appendU16(out, length);
    appendU16(out, static_cast<quint16>(length ^ 0xFFFFu));
    out.append(payload);
    appendU32(out, crc32(out));
    return out;
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
    QByteArray payload;
    payload.reserve(4 + wireText.size());
    appendI32(payload, offset);
    payload.append(wireText);
    return frame(TextBlockMessage, update ? UpdateFlag : 0, payload);
}

QByteArray RtdProtocol::encodePlaySequence(qint32 sign, qint32 mode, qint32 times, const QByteArray& drive,
                                           const QByteArray& library, const QByteArray& sequence)
{
    // Each text is prefixed by its 16-bit length; together they must fit the payload.
    const qsizetype size = 12 + 6 + drive.size() + library.size() + sequence.size();
    if (size > MaxPayload)
        return QByteArray();
    QByteArray payload;
    payload.reserve(size);
    appendI32(payload, sign);
    appendI32(payload, mode);
    appendI32(payload, times);
    for (const QByteArray* text : {&drive, &library, &sequence}) {
        appendU16(payload, static_cast<quint16>(text->size()));
        payload.append(*text);
    }
    return frame(PlaySequenceMessage, 0, payload);
}

QByteArray RtdProtocol::encodeShowFrame(qint32 sign, qint32 frameNumber)
{
    QByteArray payload;
    appendI32(payload, sign);
    appendI32(payload, frameNumber);
    return frame(ShowFrameMessage, 0, payload);
}

QByteArray RtdProtocol::numbered(const QByteArray& frame, quint8 number)
{
    if (frame.size() < HeaderSize + CrcSize)
        return frame;
    QByteArray out = frame;
    const auto flags = static_cast<quint8>(out[5]);
    out[5] = static_cast<char>((flags & UpdateFlag) | quint8((number & HighestNumber) << NumberShift));
    const qsizetype crcAt = out.size() - CrcSize;
    char crc[4];
    qToBigEndian(crc32(out.constData(), crcAt), crc);
    out.replace(crcAt, CrcSize, crc, CrcSize);
    return out;
}

int RtdProtocol::sendNumbered(QList<QByteArray> messages, std::chrono::microseconds pauseAfterEach)
{
    QMutexLocker lock(&m_numberMutex);
    quint8 number = m_lastNumber;
    for (QByteArray& message : messages) {
        number = nextNumber(number);
        message = numbered(message, number);
    }
    const int status = m_stream.sendMessages(messages, pauseAfterEach);
    // Numbers of messages that were not accepted are used up all the same: the
    // receiver then counts them as lost, which they are.
    m_lastNumber = number;
    return status;
}

int RtdProtocol::send(const QByteArray& bytes, const QString& what)
{
    if (!isAttached()) {
        m_stream.setLastError(QStringLiteral("Cannot send %1: the stream is not open.").arg(what));
        return TxStream::StatusNotOpen;
    }
    return sendNumbered({bytes}, std::chrono::microseconds(0));
}

int RtdProtocol::sendTextBlock(const QString& text, bool update, int offset, bool breakupPackets)
{
    if (!isAttached()) {
        m_stream.setLastError(QStringLiteral("Cannot send a text block: the stream is not open."));
        return TxStream::StatusNotOpen;
    }
    const QByteArray wire = toWireText(text);
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
    const int pieceLength = pieces ? PieceLength : MaxTextPerMessage;
    const std::chrono::microseconds pause = pieces ? pieceDelay() : std::chrono::microseconds(0);
    QList<QByteArray> messages;
    qsizetype position = 0;
    do {
        messages.append(
            encodeTextBlock(static_cast<qint32>(offset + position), wire.mid(position, pieceLength), update));
        position += pieceLength;
    } while (position < wire.size());
    return sendNumbered(messages, pause);
}

int RtdProtocol::sendUpdateTrigger()
{
    return sendTextBlock(QStringLiteral(" "), true, UpdateTriggerOffset, false);
}

int RtdProtocol::playSequence(int sign, int mode, int times, const QString& drive, const QString& library,
                              const QString& sequence)
{
    const QByteArray bytes =
        encodePlaySequence(sign, mode, times, toWireText(drive), toWireText(library), toWireText(sequence));
    if (bytes.isEmpty()) {
        m_stream.setLastError(
            QStringLiteral("Cannot send the play sequence command: its texts are too long."));
        return TxStream::StatusFailed;
    }
    return send(bytes, QStringLiteral("the play sequence command"));
}

int RtdProtocol::showFrame(int sign, int frameNumber)
{
    return send(encodeShowFrame(sign, frameNumber), QStringLiteral("the show frame command"));
}
