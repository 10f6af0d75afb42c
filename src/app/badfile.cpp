#include "badfile.h"

#include <QFile>
#include <QFileInfo>

namespace BadFile {

QString freeName(const QString& path)
{
    const QString first = path + QStringLiteral(".bad");
    if (!QFileInfo::exists(first))
        return first;
    for (int n = 2;; ++n) {
        const QString next = first + QString::number(n);
        if (!QFileInfo::exists(next))
            return next;
    }
}

QString keepAside(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists()) {
        if (error)
            *error = QStringLiteral("The file does not exist: %1").arg(path);
        return QString();
    }
    const QString target = freeName(path);
    // QFile::rename never replaces an existing file.
    if (!file.rename(target)) {
        if (error)
            *error = file.errorString();
        return QString();
    }
    return target;
}

} // namespace BadFile
