#include "simrecording.h"

#include <QtEndian>

namespace {
const QByteArray Signature("SCVREC1\n");
constexpr int EntryHeader = 10;
// Longer than any datagram and any chunk a device hands over at once; a larger
// length is a damaged file, not a reason to allocate gigabytes.
constexpr quint32 MaxEntryBytes = 16 * 1024 * 1024;
} // namespace

bool SimRecorder::start(const QString& path)
{
    stop();
    m_entries = 0;
    m_error.clear();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_file.errorString();
        return false;
    }
    if (m_file.write(Signature) != Signature.size()) {
        m_error = m_file.errorString();
        m_file.close();
        return false;
    }
    return true;
}

bool SimRecorder::append(SimRecordEntry::Kind kind, quint32 atMs, const QByteArray& bytes, const QString& sender)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray from = sender.toLatin1().left(255);
    char header[EntryHeader];
    header[0] = static_cast<char>(kind);
    qToBigEndian(atMs, header + 1);
    header[5] = static_cast<char>(from.size());
    qToBigEndian(quint32(bytes.size()), header + 6);
    if (m_file.write(header, EntryHeader) != EntryHeader || m_file.write(from) != from.size() ||
        m_file.write(bytes) != bytes.size() ||
        !m_file.flush()) {
        m_error = m_file.errorString();
        m_file.close();
        return false;
    }
    ++m_entries;
    return true;
}

void SimRecorder::stop()
{
    if (m_file.isOpen())
        m_file.close();
}

std::optional<SimRecording> SimRecording::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (file.read(Signature.size()) != Signature) {
        if (error)
            *error = QStringLiteral("The file is not a simulator recording.");
        return std::nullopt;
    }
    SimRecording out;
    for (;;) {
        const QByteArray header = file.read(EntryHeader);
        if (header.isEmpty())
            break;
        const auto kind = static_cast<quint8>(header[0]);
        if (header.size() < EntryHeader) {
            out.truncated = true;
            break;
        }
        const auto senderLength = static_cast<quint8>(header[5]);
        const quint32 length = qFromBigEndian<quint32>(header.constData() + 6);
        if ((kind != SimRecordEntry::Datagram && kind != SimRecordEntry::StreamBytes) || length > MaxEntryBytes) {
            if (error)
                *error = QStringLiteral("The recording is damaged after %1 entries.").arg(out.entries.size());
            out.truncated = true;
            break;
        }
        SimRecordEntry entry;
        entry.kind = SimRecordEntry::Kind(kind);
        entry.atMs = qFromBigEndian<quint32>(header.constData() + 1);
        entry.sender = file.read(senderLength);
        entry.bytes = file.read(length);
        if (entry.sender.size() != senderLength || entry.bytes.size() != qsizetype(length)) {
            out.truncated = true;
            break;
        }
        out.entries.append(entry);
    }
    return out;
}

void SimReplay::start(SimRecording recording, qint64 nowMs)
{
    m_recording = std::move(recording);
    m_next = 0;
    m_startMs = nowMs;
}

QList<SimRecordEntry> SimReplay::due(qint64 nowMs)
{
    QList<SimRecordEntry> out;
    while (m_next < m_recording.entries.size() && m_recording.entries[m_next].atMs <= nowMs - m_startMs)
        out.append(m_recording.entries[m_next++]);
    return out;
}
