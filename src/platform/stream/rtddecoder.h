#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One unit read from an RTD link: a text block, a display command, or bytes
// that are not part of any message ("raw", for example plain text sent to an
// announcer terminal, or line noise).
struct RtdMessage
{
    enum Type { Raw, TextBlock, PlaySequence, ShowFrame };

    Type type = Raw;
    // The text of a text block (one byte per character, Latin-1) or the raw bytes.
    QByteArray bytes;
    qint32 offset = 0;
    bool update = false;
    // The sender's message number (flag bits 1 to 7), 0 when not numbered.
    quint8 number = 0;
    qint32 sign = 0;
    qint32 mode = 0;
    qint32 times = 0;
    qint32 frame = 0;
    QByteArray drive;
    QByteArray library;
    QByteArray sequence;

    QString text() const { return QString::fromLatin1(bytes); }
};

// Reads RTD messages exactly as docs/rtd-protocol.md describes them, without
// using the sending side's code, so that it also checks that page.
//
// For datagrams (UDP) each datagram is one message or, when it is not exactly
// one valid message, raw bytes. For byte streams (serial, TCP, files) feed() the
// bytes as they come and take the messages out; bytes that cannot belong to a
// message come out as raw messages, in order. Bytes that may still turn out to
// be the start of a message are held back until more bytes arrive or flush().
class RtdDecoder
{
public:
    // Exactly one valid message, or nothing.
    static std::optional<RtdMessage> decodeFrame(const QByteArray& bytes);
    // One datagram: its message, or a raw message holding the whole datagram.
    static RtdMessage decodeDatagram(const QByteArray& datagram);

    void feed(const QByteArray& bytes);
    QList<RtdMessage> takeMessages();
    // Hands out the held-back bytes as raw (the sender finished a unit).
    void flush();
    // Gives up the header the held-back bytes begin with: its first byte is
    // not part of a message, and the rest is searched again (a receiver does
    // this when a header's frame never completes, so that a false length
    // cannot hold valid messages back).
    void skipHeldHeader();
    // How long a byte-stream receiver lets held-back bytes wait for the rest
    // of their frame before it calls skipHeldHeader().
    static constexpr int StallTimeoutMs = 2000;
    void clear();
    qsizetype heldBytes() const { return m_buffer.size(); }

    // A one-line readable rendering for the traffic viewer and for test output;
    // texts longer than maxChars are cut with a note of what was left out.
    static QString describe(const RtdMessage& message, int maxChars = 200);
    // Bytes as Latin-1 text with control characters, backslash and the double
    // quote escaped ("\x1B", "\r", "\n", "\t", "\\", "\"").
    static QString escape(const QByteArray& bytes, int maxChars = -1);

    // CRC-32 (zlib / Ethernet), written out bit by bit as the page gives it.
    static quint32 crc32(const QByteArray& bytes);

private:
    void appendRaw(const QByteArray& bytes);
    void flushRaw();

    QByteArray m_buffer;
    QByteArray m_raw;
    QList<RtdMessage> m_messages;
};
