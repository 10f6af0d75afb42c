#include "rtddecoder.h"

#include <QtEndian>

namespace {

const QByteArray Magic("RTD\x01", 4);
constexpr int HeaderSize = 10;
constexpr int CrcSize = 4;
constexpr quint32 MaxPayload = 65493;

quint16 u16(const char* p)
{
    return qFromBigEndian<quint16>(p);
}

qint32 i32(const char* p)
{
    return qFromBigEndian<qint32>(p);
}

// Header fields that make a frame possible: known type, sane length and the
// length's complement. Returns the payload length, or -1.
int checkHeader(const char* h)
{
    const auto type = static_cast<quint8>(h[4]);
    if (type < 1 || type > 3)
        return -1;
    const quint16 length = u16(h + 6);
    if (length > MaxPayload || quint16(length ^ 0xFFFFu) != u16(h + 8))
        return -1;
    return length;
}

// Splits a play sequence payload's three length-prefixed texts; false when they
// do not fill the payload exactly.
bool readTexts(const char* p, qsizetype size, QByteArray* texts[3])
{
    qsizetype pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (size - pos < 2)
            return false;
        const quint16 n = u16(p + pos);
        pos += 2;
        if (size - pos < n)
            return false;
        *texts[i] = QByteArray(p + pos, n);
        pos += n;
    }
    return pos == size;
}

QString cut(const QByteArray& bytes, int maxChars)
{
    return QStringLiteral("\"%1\"").arg(RtdDecoder::escape(bytes, maxChars));
}

} // namespace

quint32 RtdDecoder::crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<quint8>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    }
    return ~crc;
}

std::optional<RtdMessage> RtdDecoder::decodeFrame(const QByteArray& bytes)
{
    if (bytes.size() < HeaderSize + CrcSize || !bytes.startsWith(Magic))
        return std::nullopt;
    const char* data = bytes.constData();
    const int length = checkHeader(data);
    if (length < 0 || bytes.size() != HeaderSize + length + CrcSize)
        return std::nullopt;
    const qsizetype crcAt = HeaderSize + length;
    if (crc32(bytes.left(crcAt)) != qFromBigEndian<quint32>(data + crcAt))
        return std::nullopt;

    const char* payload = data + HeaderSize;
    RtdMessage message;
    switch (static_cast<quint8>(data[4])) {
    case 1:
        if (length < 4)
            return std::nullopt;
        message.type = RtdMessage::TextBlock;
        message.update = (static_cast<quint8>(data[5]) & 0x01) != 0;
        message.offset = i32(payload);
        message.bytes = QByteArray(payload + 4, length - 4);
        break;
    case 2: {
        if (length < 18)
            return std::nullopt;
        message.type = RtdMessage::PlaySequence;
        message.sign = i32(payload);
        message.mode = i32(payload + 4);
        message.times = i32(payload + 8);
        QByteArray* texts[3] = {&message.drive, &message.library, &message.sequence};
        if (!readTexts(payload + 12, length - 12, texts))
            return std::nullopt;
        break;
    }
    case 3:
        if (length != 8)
            return std::nullopt;
        message.type = RtdMessage::ShowFrame;
        message.sign = i32(payload);
        message.frame = i32(payload + 4);
        break;
    default:
        return std::nullopt;
    }
    message.number = static_cast<quint8>(static_cast<quint8>(data[5]) >> 1);
    return message;
}

RtdMessage RtdDecoder::decodeDatagram(const QByteArray& datagram)
{
    if (std::optional<RtdMessage> message = decodeFrame(datagram))
        return *message;
    RtdMessage raw;
    raw.bytes = datagram;
    return raw;
}

void RtdDecoder::appendRaw(const QByteArray& bytes)
{
    m_raw.append(bytes);
}

void RtdDecoder::flushRaw()
{
    if (m_raw.isEmpty())
        return;
    // Raw bytes of several feeds that nobody took yet stay one message.
    if (!m_messages.isEmpty() && m_messages.constLast().type == RtdMessage::Raw) {
        m_messages.last().bytes.append(m_raw);
        m_raw.clear();
        return;
    }
    RtdMessage raw;
    raw.bytes = m_raw;
    m_messages.append(raw);
    m_raw.clear();
}

void RtdDecoder::feed(const QByteArray& bytes)
{
    m_buffer.append(bytes);
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = m_buffer.indexOf(Magic, pos);
        if (start < 0) {
            // Keep a tail that could still grow into the magic.
            qsizetype keep = qMin<qsizetype>(Magic.size() - 1, m_buffer.size() - pos);
            while (keep > 0 && !Magic.startsWith(QByteArrayView(m_buffer).last(keep)))
                --keep;
            appendRaw(m_buffer.mid(pos, m_buffer.size() - pos - keep));
            pos = m_buffer.size() - keep;
            break;
        }
        appendRaw(m_buffer.mid(pos, start - pos));
        pos = start;
        if (m_buffer.size() - pos < HeaderSize)
            break;
        const int length = checkHeader(m_buffer.constData() + pos);
        if (length < 0) {
            // Not a header after all: the magic's first byte is ordinary data.
            appendRaw(m_buffer.mid(pos, 1));
            ++pos;
            continue;
        }
        const qsizetype total = HeaderSize + length + CrcSize;
        if (m_buffer.size() - pos < total)
            break;
        std::optional<RtdMessage> message = decodeFrame(m_buffer.mid(pos, total));
        if (!message) {
            appendRaw(m_buffer.mid(pos, 1));
            ++pos;
            continue;
        }
        flushRaw();
        m_messages.append(*message);
        pos += total;
    }
    m_buffer.remove(0, pos);
    flushRaw();
}

QList<RtdMessage> RtdDecoder::takeMessages()
{
    QList<RtdMessage> out;
    out.swap(m_messages);
    return out;
}

void RtdDecoder::flush()
{
    appendRaw(m_buffer);
    m_buffer.clear();
    flushRaw();
}

void RtdDecoder::skipHeldHeader()
{
    if (m_buffer.isEmpty())
        return;
    appendRaw(m_buffer.left(1));
    m_buffer.remove(0, 1);
    feed(QByteArray());
}

void RtdDecoder::clear()
{
    m_buffer.clear();
    m_raw.clear();
    m_messages.clear();
}

QString RtdDecoder::escape(const QByteArray& bytes, int maxChars)
{
    const qsizetype shown = (maxChars >= 0 && bytes.size() > maxChars) ? maxChars : bytes.size();
    QString out;
    out.reserve(shown + 16);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto c = static_cast<quint8>(bytes.at(i));
        switch (c) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c < 0x20 || (c >= 0x7F && c < 0xA0))
                out += QStringLiteral("\\x") +
                       QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            else
                out += QChar(c);
        }
    }
    if (shown < bytes.size())
        out += QStringLiteral("... (%1 more)").arg(bytes.size() - shown);
    return out;
}

QString RtdDecoder::describe(const RtdMessage& message, int maxChars)
{
    switch (message.type) {
    case RtdMessage::TextBlock:
        return QStringLiteral("Text block at %1%2, %3 chars: %4")
            .arg(message.offset)
            .arg(message.update ? QStringLiteral(" (update)") : QString())
            .arg(message.bytes.size())
            .arg(cut(message.bytes, maxChars));
    case RtdMessage::PlaySequence:
        return QStringLiteral("Play sequence: sign %1, mode %2, times %3, drive %4, library %5, sequence %6")
            .arg(message.sign)
            .arg(message.mode)
            .arg(message.times)
            .arg(cut(message.drive, maxChars), cut(message.library, maxChars),
                 cut(message.sequence, maxChars));
    case RtdMessage::ShowFrame:
        return QStringLiteral("Show frame: sign %1, frame %2").arg(message.sign).arg(message.frame);
    case RtdMessage::Raw:
        break;
    }
    if (message.bytes.isEmpty())
        return QStringLiteral("0 bytes");
    return QStringLiteral("%1 bytes: %2").arg(message.bytes.size()).arg(cut(message.bytes, maxChars));
}
