#include "datafolder.h"

#include <QDir>
#include <QStandardPaths>

namespace DataFolder {

QString path()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + QStringLiteral("Lumavantis/Scorvane Rodeo/");
}

bool ensureExists(const QString& folder)
{
    return QDir().mkpath(folder);
}

} // namespace DataFolder
