#include "manuallinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace ManualLinks {

QStringList chapters(const QString& folder)
{
    QStringList files = QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    if (files.removeAll(QStringLiteral("index.md")) > 0)
        files.prepend(QStringLiteral("index.md"));
    return files;
}

QStringList broken(const QString& folder)
{
    // [text](target) and ![text](target "title"): the target up to a space or ")".
    static const QRegularExpression link(QStringLiteral(R"(\]\(\s*<?([^)\s>]+)>?(?:\s+"[^"]*")?\s*\))"));
    QStringList out;
    const QDir dir(folder);
    for (const QString& chapter : chapters(folder)) {
        QFile file(dir.filePath(chapter));
        if (!file.open(QIODevice::ReadOnly)) {
            out << chapter + QStringLiteral(": cannot be read");
            continue;
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (auto it = link.globalMatch(text); it.hasNext();) {
            QString target = it.next().captured(1);
            if (target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:")) ||
                target.startsWith(u'#'))
                continue;
            target = target.section(u'#', 0, 0);
            const QFileInfo info(dir.filePath(target));
            if (target.isEmpty() || !info.isFile())
                out << chapter + QStringLiteral(": ") + target;
        }
    }
    return out;
}

} // namespace ManualLinks
