#pragma once

#include "messageformat.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <functional>
#include <QMutexLocker>
#include <mutex>

// The process-wide diagnostic log. Every component reports failures into it;
// flags given at Open decide where lines go (a file, the debugger output, or
// both), which prefixes each line carries, and when the file is restarted or
// emptied. One recursive lock guards everything, so lines from several
// threads never interleave and line numbers strictly increase.
class Log
{
public:
    // Where and how to write.
    enum FileFlag {
        CompletePath = 0x01,  // the path is the complete file path
        TempDirectory = 0x02, // the file goes into $TMP (or $TEMP)
        TimestampedFile = 0x04, // the path is a folder; the file is named after the time
        DebuggerOutput = 0x08,  // every line also goes to the debugger output
        DeleteIfEmpty = 0x10,   // at close, delete a file that stayed empty
        Append = 0x20           // append instead of emptying the file at open
    };
    // Prefixes of each line, written in this order.
    enum LineFlag {
        LineNumber = 0x10,
        WallClock = 0x02,
        Elapsed = 0x04,
        Level = 0x08,
        Indent = 0x100
    };
    enum RotationFlag {
        NoRotation = 0x01,
        Weekly = 0x02,
        Daily = 0x04,
        SizeCap = 0x08
    };
    enum Result {
        Ok = 0,
        CannotOpen = 1,
        AlreadyOpen = 4,
        NoOutput = 5,
        StatusFailed = 6
    };

    // A formatted line, prefixes and line break included, never exceeds this
    // many characters (a 1024-character buffer with its terminator).
    static constexpr int MaxLineChars = 1023;

    Log();
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    int Open(const QString& path, int fileFlags, int lineFlags, int maxLevel, int rotationFlags,
             int maxSizeKB);
    void Close();

    int WriteLine(const QString& text, int level);
    int Report(int level, const QString& text);
    template <typename... Args>
    int Report(int level, const char* format, const Args&... args)
    {
        return Report(level, formatMessage(format, args...));
    }

    bool isActive() const;
    QString path() const;
    long lineCount() const;

    // Hooks for tests and for platforms without file creation times.
    void setClock(std::function<QDateTime()> now);
    void setCreationTimeSource(std::function<QDateTime(const QString& path)> source);
    void setDebugSink(std::function<void(const QString& line)> sink);

private:
    bool openFile();
    void closeFile();
    void restartFile();
    bool rotationCheck();
    QString buildPrefix(int level) const;
    QString buildFilePath(const QString& given) const;
    QDateTime now() const;
    QDateTime creationTime() const;

    // A standard mutex rather than Qt's recursive one: its locking is visible
    // to ThreadSanitizer, which cannot see into the Qt library.
    mutable std::recursive_mutex m_lock;
    QString m_givenPath;
    QString m_path;
    QFile m_file;
    int m_fileFlags = 0;
    int m_lineFlags = 0;
    int m_maxLevel = 0;
    int m_rotationFlags = 0;
    qint64 m_maxBytes = 0;
    bool m_active = false;
    long m_lineCount = 0;
    QElapsedTimer m_started;
    bool m_wasEmpty = false;

    std::function<QDateTime()> m_clock;
    std::function<QDateTime(const QString&)> m_creationTime;
    std::function<void(const QString&)> m_debugSink;
};

// The log of this process.
Log& theLog();

// Every report of the program is made at level 1.
template <typename... Args>
inline void logReport(const char* format, const Args&... args)
{
    theLog().Report(1, format, args...);
}
