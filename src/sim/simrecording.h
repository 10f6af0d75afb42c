#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>

// What a simulator received, as it arrived: each datagram or each chunk of a
// byte stream with the milliseconds since recording began and, for a
// datagram, its sender. The file starts with "SCVREC1\n"; every entry is a
// kind byte (1 datagram, 2 stream bytes), the time (u32), the sender's length
// (u8) and the length (u32), big-endian, then the sender (Latin-1) and the
// bytes.
struct SimRecordEntry
{
    enum Kind : quint8 { Datagram = 1, StreamBytes = 2 };
    Kind kind = Datagram;
    quint32 atMs = 0;
    QByteArray bytes;
    QByteArray sender;

    bool operator==(const SimRecordEntry&) const = default;
};

class SimRecorder
{
public:
    // Starts a new file (an existing one is replaced); false with error() set
    // when it cannot be written.
    bool start(const QString& path);
    bool isRecording() const { return m_file.isOpen(); }
    // Appends an entry; a write failure stops the recording (error() says why).
    bool append(SimRecordEntry::Kind kind, quint32 atMs, const QByteArray& bytes,
                const QString& sender = QString());
    void stop();
    QString error() const { return m_error; }
    qint64 entries() const { return m_entries; }

private:
    QFile m_file;
    QString m_error;
    qint64 m_entries = 0;
};

struct SimRecording
{
    QList<SimRecordEntry> entries;
    // Set when the file ended inside an entry (a recording cut short): the
    // entries before it are kept.
    bool truncated = false;

    // None (and the reason in error) for a file that cannot be read or is no
    // recording.
    static std::optional<SimRecording> read(const QString& path, QString* error = nullptr);
};

// Plays a recording back at the pace it was recorded: each call hands out the
// entries that are due by then.
class SimReplay
{
public:
    void start(SimRecording recording, qint64 nowMs);
    QList<SimRecordEntry> due(qint64 nowMs);
    bool isPlaying() const { return m_next < m_recording.entries.size(); }
    void stop() { m_next = m_recording.entries.size(); }

private:
    SimRecording m_recording;
    qsizetype m_next = 0;
    qint64 m_startMs = 0;
};
