#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// What the program checks about where it runs before any window exists, and
// where it finds the files installed with it.
namespace StartEnvironment {

// Reads an environment variable (empty when unset).
using Getenv = std::function<QString(const char*)>;
QString systemGetenv(const char* name);

// The one line printed when there is no display to show the window on and
// no platform was asked for (QT_QPA_PLATFORM or -platform); empty when the
// program can start.
QString missingDisplayMessage(const Getenv& getenv, const QStringList& arguments);

// A file installed with the program: beside the executable (the build tree)
// or in the shared data folder of an installation (<prefix>/share/...).
// The first candidate that exists; the one beside the executable otherwise.
QString installedFile(const QString& applicationDir, const QString& name);

} // namespace StartEnvironment
