#pragma once

#include "app/log.h"

#include <QStringList>

#include <mutex>

// Routes the process-wide log into memory for the lifetime of the object, so a
// test can check which lines the code under test wrote.
class LogCapture
{
public:
    LogCapture()
    {
        theLog().Close();
        theLog().setDebugSink([this](const QString& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            QString l = line;
            if (l.endsWith(QLatin1Char('\n')))
                l.chop(1);
            m_lines << l;
        });
        theLog().Open(QString(), Log::DebuggerOutput, 0, 1, Log::NoRotation, 1024);
    }
    ~LogCapture()
    {
        theLog().Close();
        theLog().setDebugSink(nullptr);
    }

    QStringList lines() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    bool contains(const QString& line) const { return lines().contains(line); }
    bool containsPrefix(const QString& start) const
    {
        for (const QString& l : lines())
            if (l.startsWith(start))
                return true;
        return false;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};
