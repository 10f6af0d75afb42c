#include "unreadablefile.h"

#include <QFile>
#include <QFileInfo>

QString UnreadableFile::keptName(const QString& path)
{
    const QString first = path + QStringLiteral(".bad");
    if (!QFileInfo::exists(first))
        return first;
    for (int n = 1;; ++n) {
        const QString next = first + QString::number(n);
        if (!QFileInfo::exists(next))
            return next;
    }
}

QString UnreadableFile::keep(const QString& path, QString& error)
{
    const QString kept = keptName(path);
    QFile file(path);
    // QFile::copy never overwrites: a name taken in the meantime fails here.
    if (!file.copy(kept)) {
        error = file.errorString();
        return QString();
    }
    error.clear();
    return kept;
}
