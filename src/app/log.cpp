#include "log.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "Jun 30 21:49:08" as the classic ctime text has it from its fifth character.
QString ctimeMiddle(const QDateTime& t)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    return QString::asprintf("%s %2d %02d:%02d:%02d", kMonths[d.month() - 1], d.day(), tm.hour(), tm.minute(),
                             tm.second());
}

void writeToStandardError(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

Log::Log() : m_debugSink(writeToStandardError) {}

Log::~Log()
{
    Close();
}

QDateTime Log::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString Log::buildFilePath(const QString& given) const
{
    if (m_fileFlags & CompletePath)
        return given;
    if (m_fileFlags & TempDirectory) {
        QString dir = qEnvironmentVariable("TMP");
        if (dir.isEmpty())
            dir = qEnvironmentVariable("TEMP");
        if (dir.isEmpty())
            dir = QDir::tempPath();
        return dir + QLatin1Char('/') + given;
    }
    if (m_fileFlags & TimestampedFile) {
        QDir().mkpath(given);
        const QDateTime t = now();
        const QString name = QString::asprintf("%02d-%s-%02d-%02d-%02d-%02d.log", t.date().day(),
                                               kMonths[t.date().month() - 1], t.date().year() % 100,
                                               t.time().hour(), t.time().minute(), t.time().second());
        QString dir = given;
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        return dir + name;
    }
    return QString();
}

bool Log::openFile()
{
    m_file.setFileName(m_path);
    const QIODevice::OpenMode mode =
        (m_fileFlags & Append) ? (QIODevice::WriteOnly | QIODevice::Append)
                               : (QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_file.open(mode))
        return false;
    m_wasEmpty = m_file.size() == 0;
    return true;
}

void Log::closeFile()
{
    if (m_file.isOpen())
        m_file.close();
}

int Log::Open(const QString& path, int fileFlags, int lineFlags, int maxLevel, int rotationFlags, int maxSizeKB)
{
    QMutexLocker locker(&m_lock);
    if (m_active)
        return AlreadyOpen;

    const bool usesFile = fileFlags & (CompletePath | TempDirectory | TimestampedFile);
    if (!usesFile && !(fileFlags & DebuggerOutput))
        return NoOutput;

    m_fileFlags = fileFlags;
    m_lineFlags = lineFlags;
    m_maxLevel = maxLevel;
    m_rotationFlags = rotationFlags;
    m_maxBytes = static_cast<qint64>(maxSizeKB) * 1024;
    m_lineCount = 0;
    m_started.start();
    m_wasEmpty = false;
    m_givenPath = path;

    if (usesFile) {
        m_path = buildFilePath(path);
        if (m_path.isEmpty() || !openFile()) {
            m_path.clear();
            return CannotOpen;
        }
    } else {
        m_path.clear();
    }
    m_active = true;
    return Ok;
}

void Log::Close()
{
    QMutexLocker locker(&m_lock);
    const bool hadFile = m_file.isOpen();
    closeFile();
    if (hadFile && (m_fileFlags & DeleteIfEmpty) && m_wasEmpty && m_lineCount == 0)
        QFile::remove(m_path);
    m_active = false;
}

void Log::restartFile()
{
    closeFile();
    QFile::remove(m_path);
    if (m_fileFlags & TimestampedFile)
        m_path = buildFilePath(m_givenPath);
    if (!openFile())
        m_path.clear(); // the log goes on without a file
}

QDateTime Log::creationTime() const
{
    if (m_creationTime)
        return m_creationTime(m_path);
    // Linux file systems may not report a birth time; the modification time
    // stands in for it then.
    const QFileInfo info(m_path);
    QDateTime born = info.birthTime();
    if (!born.isValid())
        born = info.lastModified();
    return born;
}

bool Log::rotationCheck()
{
    struct stat st;
    if (::fstat(m_file.handle(), &st) != 0) {
        writeToStandardError(QStringLiteral("Problem getting file status: %1\n")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }

    const QDateTime created = creationTime();
    if (created.isValid()) {
        const QDate today = now().toUTC().date();
        const QDate born = created.toUTC().date();
        bool restart = false;
        if ((m_rotationFlags & Daily) && today.dayOfYear() != born.dayOfYear())
            restart = true;
        if (!restart && (m_rotationFlags & Weekly) && today.dayOfWeek() == born.dayOfWeek() &&
            today.dayOfYear() != born.dayOfYear())
            restart = true;
        if (restart) {
            restartFile();
            if (!m_file.isOpen())
                return true;
        }
    }

    if ((m_rotationFlags & SizeCap) && m_file.size() >= m_maxBytes) {
        // Emptied, not restarted: the file keeps its name and creation time.
        m_file.resize(0);
        m_file.seek(0);
    }
    return true;
}

QString Log::buildPrefix(int level) const
{
    QString prefix;
    if (m_lineFlags & LineNumber)
        prefix += QString::asprintf("%4ld - ", m_lineCount);
    if (m_lineFlags & WallClock) {
        const QDateTime t = now();
        prefix += QString::asprintf("%s.%03d - ", qPrintable(ctimeMiddle(t)), t.time().msec());
    }
    if (m_lineFlags & Elapsed) {
        const qint64 ms = m_started.isValid() ? m_started.elapsed() : 0;
        prefix += QString::asprintf("(%07lld.%03lld) - ", ms / 1000, ms % 1000);
    }
    if (m_lineFlags & Level)
        prefix += QString::asprintf("<%d> - ", level);
    if (m_lineFlags & Indent)
        prefix += QString(qMax(0, level) * 3, QLatin1Char(' '));
    return prefix;
}

int Log::WriteLine(const QString& text, int level)
{
    QMutexLocker locker(&m_lock);
    if (m_maxLevel <= 0)
        return Ok;

    if (m_file.isOpen() && !(m_rotationFlags & NoRotation)) {
        if (!rotationCheck())
            return StatusFailed;
    }

    if (m_active && level <= m_maxLevel) {
        ++m_lineCount;
        const QString prefix = buildPrefix(level);
        QString line = prefix;
        if (!prefix.isEmpty())
            line += QStringLiteral("~  ");
        line += text;
        if (line.size() > MaxLineChars - 1)
            line.truncate(MaxLineChars - 1);
        line += QLatin1Char('\n');

        if (m_file.isOpen()) {
            m_file.write(line.toUtf8());
            m_file.flush();
        }
        if ((m_fileFlags & DebuggerOutput) && m_debugSink)
            m_debugSink(line);
    }
    return Ok;
}

int Log::Report(int level, const QString& text)
{
    return WriteLine(text, level);
}

bool Log::isActive() const
{
    QMutexLocker locker(&m_lock);
    return m_active;
}

QString Log::path() const
{
    QMutexLocker locker(&m_lock);
    return m_path;
}

long Log::lineCount() const
{
    QMutexLocker locker(&m_lock);
    return m_lineCount;
}

void Log::setClock(std::function<QDateTime()> now)
{
    QMutexLocker locker(&m_lock);
    m_clock = std::move(now);
}

void Log::setCreationTimeSource(std::function<QDateTime(const QString&)> source)
{
    QMutexLocker locker(&m_lock);
    m_creationTime = std::move(source);
}

void Log::setDebugSink(std::function<void(const QString&)> sink)
{
    QMutexLocker locker(&m_lock);
    m_debugSink = sink ? std::move(sink) : std::function<void(const QString&)>(writeToStandardError);
}

Log& theLog()
{
    static Log log;
    return log;
}
