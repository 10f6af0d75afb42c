#include "systeminfo.h"

#include <QFile>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QStringList>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace SystemInfo {

namespace {

QString readProcFile(const char* path)
{
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromLocal8Bit(f.readAll());
}

QString megabytes(qint64 kb)
{
    return kb < 0 ? QStringLiteral("unknown") : QStringLiteral("%1 MB").arg(kb / 1024);
}

QString userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid()))
            user = QString::fromLocal8Bit(pw->pw_name);
    }
    return user.isEmpty() ? QStringLiteral("unknown") : user;
}

} // namespace

Memory parseMemInfo(const QString& text)
{
    Memory m;
    static const QRegularExpression line(QStringLiteral(R"(^(\w+):\s+(\d+)\s*kB)"),
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const QString key = match.captured(1);
        const qint64 value = match.captured(2).toLongLong();
        if (key == QLatin1String("MemTotal"))
            m.totalKB = value;
        else if (key == QLatin1String("MemAvailable"))
            m.availableKB = value;
        else if (key == QLatin1String("SwapTotal"))
            m.swapTotalKB = value;
        else if (key == QLatin1String("SwapFree"))
            m.swapFreeKB = value;
    }
    return m;
}

QString parseCpuModel(const QString& text)
{
    static const QRegularExpression model(QStringLiteral(R"(^model name\s*:\s*(.+)$)"),
                                          QRegularExpression::MultilineOption);
    const auto match = model.match(text);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QString diskLine(qint64 totalBytes, qint64 freeBytes)
{
    if (totalBytes <= 0 || freeBytes < 0)
        return QStringLiteral("unknown");
    const qint64 totalMB = totalBytes / (1024 * 1024);
    const qint64 freeMB = freeBytes / (1024 * 1024);
    const qint64 usedPercent = (totalBytes - freeBytes) * 100 / totalBytes;
    return QStringLiteral("%1 MB free of %2 MB (%3% used)").arg(freeMB).arg(totalMB).arg(usedPercent);
}

QString text(const QString& dataFolder)
{
    QStringList lines;
    lines << QStringLiteral("User: %1").arg(userName());
    lines << QStringLiteral("Operating system: %1 (kernel %2 %3)")
                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion());

    QString cpu = parseCpuModel(readProcFile("/proc/cpuinfo"));
    if (cpu.isEmpty())
        cpu = QSysInfo::currentCpuArchitecture();
    lines << QStringLiteral("Processor: %1").arg(cpu);

    const Memory mem = parseMemInfo(readProcFile("/proc/meminfo"));
    lines << QStringLiteral("Physical memory: %1 available of %2").arg(megabytes(mem.availableKB), megabytes(mem.totalKB));
    lines << QStringLiteral("Virtual memory (swap): %1 free of %2").arg(megabytes(mem.swapFreeKB), megabytes(mem.swapTotalKB));

    const QStorageInfo disk(dataFolder);
    lines << QStringLiteral("Disk space (%1): %2")
                 .arg(disk.isValid() ? disk.rootPath() : dataFolder,
                      disk.isValid() ? diskLine(disk.bytesTotal(), disk.bytesAvailable()) : QStringLiteral("unknown"));

    QStringList protocols;
    if (QFile::exists(QStringLiteral("/proc/net/tcp")))
        protocols << QStringLiteral("TCP/IP");
    if (QFile::exists(QStringLiteral("/proc/net/tcp6")))
        protocols << QStringLiteral("TCP/IPv6");
    if (QFile::exists(QStringLiteral("/proc/net/udp")))
        protocols << QStringLiteral("UDP");
    lines << QStringLiteral("Network protocols: %1")
                 .arg(protocols.isEmpty() ? QStringLiteral("none found") : protocols.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

} // namespace SystemInfo
