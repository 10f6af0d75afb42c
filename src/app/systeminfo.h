#pragma once

#include <QString>

// The system-information text of the About box: user, operating system,
// processor, memory, disk space of the data folder and network protocols.
namespace SystemInfo {

struct Memory
{
    qint64 totalKB = -1;
    qint64 availableKB = -1;
    qint64 swapTotalKB = -1;
    qint64 swapFreeKB = -1;
};

// Reads /proc/meminfo-style text ("MemTotal:  16318908 kB" lines).
Memory parseMemInfo(const QString& text);
// The processor's model name from /proc/cpuinfo-style text, empty when absent.
QString parseCpuModel(const QString& text);
// "<free> MB free of <total> MB (<used>% used)".
QString diskLine(qint64 totalBytes, qint64 freeBytes);

QString text(const QString& dataFolder);

} // namespace SystemInfo
