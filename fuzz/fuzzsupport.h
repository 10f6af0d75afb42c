// What the file-reading fuzz targets share: a Qt application, a private data
// folder for the files they write, and a prompt that answers without a window.
#pragma once

#include "app/userprompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Answers every message with OK / No and counts them.
class QuietPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        ++shown;
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? No : Ok;
    }
    int shown = 0;
};

inline QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// The data folder of this run (ends with "/"); removed at exit.
inline QString dataFolder()
{
    static QTemporaryDir dir;
    return dir.path() + QLatin1Char('/');
}

inline void writeFile(const QString& path, const uint8_t* data, size_t size)
{
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
}

} // namespace fuzz
