#pragma once

#include "lostmessagecounter.h"
#include "platform/stream/rtddecoder.h"
#include "scoreboardimage.h"
#include "simrecording.h"
#include "trafficmeter.h"

#include <QHash>

// The scoreboard simulator's receiving side, without sockets: datagrams or
// byte-stream chunks go in (with the time they arrived), and it keeps the
// image, the last display command, the traffic, the messages that failed
// their check, those missed (by their numbers) and the bytes that were not
// part of any message. It can record what it is given.
class ScoreboardReceiver
{
public:
    // A datagram: exactly one message, or a bad packet when it begins like a
    // frame but is none, or bytes outside messages. Message numbers are
    // followed per sender.
    void datagram(const QByteArray& bytes, qint64 nowMs, const QString& sender = QString());
    // Bytes of a serial line or a TCP connection, re-synchronised as the page
    // describes; nowMs is also when a false header stops holding bytes back.
    void streamBytes(const QByteArray& bytes, qint64 nowMs);
    // The byte stream ended (connection closed, device gone): what was held
    // back is not a message.
    void endOfStream(qint64 nowMs);
    // Lets time pass without data (the window calls it a few times a second).
    void tick(qint64 nowMs);
    // Gives a recording's entries in order, as they arrived.
    void replay(const SimRecording& recording);

    // Records from now on (nowMs is the recording's time 0).
    bool startRecording(const QString& path, qint64 nowMs);
    void stopRecording() { m_recorder.stop(); }
    const SimRecorder& recorder() const { return m_recorder; }

    const ScoreboardImage& image() const { return m_image; }
    TrafficMeter& traffic() { return m_traffic; }
    long messages() const { return m_messages; }
    // The number of the last message (0: not numbered).
    quint8 lastNumber() const { return m_lastNumber; }
    // Frames that failed their check (magic present, rest wrong).
    long badPackets() const { return m_badPackets; }
    // When the last bad packet arrived (its nowMs), none before the first.
    std::optional<qint64> lastBadAt() const { return m_lastBadAt; }
    qint64 lostMessages() const;
    qint64 bytesOutsideMessages() const { return m_outside; }
    // "1234 messages, 2 bad, 3 lost, 17 bytes outside messages".
    QString countsText() const;
    void clear();

    // How long a byte stream may hold bytes back behind a header that never
    // completes before they are given up as not a message.
    static constexpr qint64 StallMs = RtdDecoder::StallTimeoutMs;

private:
    void take(const RtdMessage& message, qint64 nowMs, const QString& sender);
    void takeRaw(const QByteArray& bytes, qint64 nowMs);

    ScoreboardImage m_image;
    TrafficMeter m_traffic;
    QHash<QString, LostMessageCounter> m_lost; // by sender; "" for the byte stream
    RtdDecoder m_decoder;
    SimRecorder m_recorder;
    qint64 m_recordingStart = 0;
    qint64 m_heldSince = -1;
    long m_messages = 0;
    quint8 m_lastNumber = 0;
    long m_badPackets = 0;
    std::optional<qint64> m_lastBadAt;
    qint64 m_outside = 0;
};
