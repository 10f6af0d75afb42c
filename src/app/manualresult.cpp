#include "manualresult.h"

#include "messageformat.h"

#include <QDir>
#include <QFileInfo>

namespace ManualResult {

int checkManual(const QString& path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        return PathNotFound;
    if (!info.exists() || !info.isFile())
        return FileNotFound;
    if (!info.isReadable())
        return FileNotFound;
    return Success;
}

QString message(int code)
{
    if (code > 32)
        return QString();
    switch (code) {
    case OutOfMemory:
        return QStringLiteral("Out of Memory");
    case FileNotFound:
        return QStringLiteral("File not found.");
    case PathNotFound:
        return QStringLiteral("Path not found.");
    case BadFormat:
        return QStringLiteral("Bad Format");
    case NoAssociation:
        return QStringLiteral("Adobe Reader required. Please download from ") + QString::fromLatin1(ReaderDownloadUrl);
    default:
        return formatMessage("Could not open the manual. Error Code: %d", code);
    }
}

} // namespace ManualResult
