#include "startenvironment.h"

#include <QDir>
#include <QFileInfo>

namespace StartEnvironment {

QString systemGetenv(const char* name)
{
    return qEnvironmentVariable(name);
}

QString missingDisplayMessage(const Getenv& getenv, const QStringList& arguments)
{
    if (!getenv("DISPLAY").isEmpty() || !getenv("WAYLAND_DISPLAY").isEmpty() || !getenv("QT_QPA_PLATFORM").isEmpty())
        return {};
    for (const QString& argument : arguments)
        if (argument == QLatin1String("-platform") || argument.startsWith(QLatin1String("-platform=")) ||
            argument == QLatin1String("--platform"))
            return {};
    return QStringLiteral("scorvane-rodeo: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY "
                          "is set). Start it on a desktop, over \"ssh -X\", or as \"scorvane-rodeo --vnc\" to reach "
                          "the window with a VNC viewer on this machine.");
}

QString installedFile(const QString& applicationDir, const QString& name)
{
    const QDir dir(applicationDir);
    const QString beside = dir.absoluteFilePath(name);
    const QStringList candidates{beside, dir.absoluteFilePath(QStringLiteral("../share/scorvane-rodeo/") + name),
                                 dir.absoluteFilePath(QStringLiteral("../share/doc/scorvane-rodeo/") + name)};
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    return beside;
}

} // namespace StartEnvironment
