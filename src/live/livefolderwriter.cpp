#include "livefolderwriter.h"

#include "app/log.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>

LiveFolderWriter::LiveFolderWriter(QObject* parent) : QObject(parent) {}

void LiveFolderWriter::setFolder(const QString& folder)
{
    QMutexLocker lock(&m_mutex);
    m_folder = folder;
}

void LiveFolderWriter::offer(std::shared_ptr<const LiveSite> site)
{
    QMutexLocker lock(&m_mutex);
    m_pending = std::move(site);
    if (m_queued || m_folder.isEmpty())
        return;
    m_queued = true;
    QMetaObject::invokeMethod(this, &LiveFolderWriter::writePending, Qt::QueuedConnection);
}

void LiveFolderWriter::writePending()
{
    QString folder;
    std::shared_ptr<const LiveSite> site;
    {
        QMutexLocker lock(&m_mutex);
        m_queued = false;
        folder = m_folder;
        site = m_pending;
    }
    if (folder.isEmpty() || !site)
        return;
    QString error;
    const bool ok = writeSite(folder, *site, error);
    if (!ok)
        logReport(
            "The live results could not be written to the folder.  LiveFolder::Write  Path:%s, Error:%s",
            folder, error);
    emit written(ok, ok ? folder : error);
}

bool LiveFolderWriter::writeSite(const QString& folder, const LiveSite& site, QString& error)
{
    QDir dir(folder);
    if (!dir.exists() && !dir.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (folder != m_writtenFolder) {
        // Another folder: everything is written there anew, and event pages
        // left by an earlier run are ours to remove when their event is gone.
        m_written.clear();
        m_writtenFolder = folder;
        for (const QString& old : dir.entryList({QStringLiteral("event-*.html")}, QDir::Files))
            m_written.insert(old, QByteArray());
    }
    const QStringList names = site.names();
    bool ok = true;
    for (const QString& name : names) {
        const LivePage* page = site.page(name);
        if (!page || m_written.value(name) == page->etag)
            continue;
        QSaveFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(page->body) != page->body.size() ||
            !file.commit()) {
            error =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
            m_written.remove(name); // written again next time
            ok = false;
            continue;
        }
        m_written.insert(name, page->etag);
    }
    // The pages of events that are no longer there go: a reader following a
    // link must not find an old standing.
    for (auto it = m_written.begin(); it != m_written.end();) {
        if (names.contains(it.key())) {
            ++it;
            continue;
        }
        QFile::remove(dir.filePath(it.key()));
        it = m_written.erase(it);
    }
    return ok;
}
