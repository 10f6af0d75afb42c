#pragma once

#include "livesite.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <memory>

// "Publish to folder": writes the files of the live results into a folder
// after each snapshot, for arenas that copy a folder to a web host. Each file
// is written whole under a temporary name and renamed into place (QSaveFile),
// so a copy taken at any moment never holds half a page; only files that
// changed are written, and the event pages of events that are gone are
// removed (nothing else in the folder is touched).
//
// Lives on a thread of its own (a slow network folder never holds up the
// server or the operator); setFolder and offer may be called from any thread,
// only the newest site offered is written. One lock guards what is offered.
class LiveFolderWriter : public QObject
{
    Q_OBJECT
public:
    explicit LiveFolderWriter(QObject* parent = nullptr);

    // The folder to write to; empty stops writing. Thread-safe.
    void setFolder(const QString& folder);
    // A newer site to write. Thread-safe; never waits for the writing.
    void offer(std::shared_ptr<const LiveSite> site);

signals:
    // After each writing: ok, and the folder or what failed.
    void written(bool ok, const QString& detail);

private:
    void writePending();
    bool writeSite(const QString& folder, const LiveSite& site, QString& error);

    QMutex m_mutex; // guards m_folder, m_pending and m_queued
    QString m_folder;
    std::shared_ptr<const LiveSite> m_pending;
    bool m_queued = false;

    // The writer's thread only.
    QString m_writtenFolder;
    QHash<QString, QByteArray> m_written; // file name -> entity tag of what is there
};
