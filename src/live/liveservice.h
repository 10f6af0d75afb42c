#pragma once

#include "liveconnectionguard.h"
#include "livesnapshot.h"

#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class LiveFolderWriter;
class LiveServerWorker;
class QThread;

// The live results on the arena's network: an HTTP server and the "publish
// to folder" writer, each on a thread of its own, fed with the snapshots the
// user-interface thread publishes.
//
// publish() only hands the snapshot over: the pages are rendered on the
// server's thread (once per snapshot, whoever reads them) and written to the
// folder on the writer's thread, so no number of readers and no slow folder
// can hold up the operator. Only the newest snapshot is kept.
//
// Threads: everything here is called from the user-interface thread (the
// counters from any). The destructor asks both threads to end and waits for
// each up to StopTimeoutMs; a thread that does not end is logged and left
// alone, never ended forcibly. One lock guards the snapshot handed over.
class LiveService : public QObject
{
    Q_OBJECT
public:
    static constexpr int StopTimeoutMs = 5000;

    explicit LiveService(const LiveLimits& limits = LiveLimits(), QObject* parent = nullptr);
    ~LiveService() override;

    // Listens on address and port (0: any free port), on the server's thread;
    // a server already listening is closed first. False with the reason.
    bool startServer(const QHostAddress& address, quint16 port, QString* error = nullptr);
    void stopServer();
    bool isServing() const { return m_port != 0; }
    quint16 serverPort() const { return m_port; }
    QHostAddress serverAddress() const { return m_address; }

    // The folder written after each snapshot; empty: none.
    void setFolder(const QString& folder);
    QString folder() const { return m_folder; }

    // The newest snapshot of the scoring table. Never waits.
    void publish(std::shared_ptr<const LiveSnapshot> snapshot);
    // The version of the site the server answers with (any thread).
    quint64 servedVersion() const { return m_servedVersion.load(); }

    // The guard's counters (any thread); 0 while not serving.
    int openConnections() const;
    int refusedConnections() const;
    int closedConnections() const;

signals:
    // After each writing of the folder: ok, and the folder or what failed.
    void folderWritten(bool ok, const QString& detail);

private:
    friend class LiveServerWorker;
    // The snapshot to render next (the server's thread takes it).
    std::shared_ptr<const LiveSnapshot> takeSnapshot();
    static void stopThread(QThread*& thread, const char* name);

    LiveLimits m_limits;
    QThread* m_serverThread = nullptr;
    LiveServerWorker* m_worker = nullptr;
    QThread* m_folderThread = nullptr;
    LiveFolderWriter* m_writer = nullptr;

    QMutex m_mutex; // guards m_pending and m_renderQueued
    std::shared_ptr<const LiveSnapshot> m_pending;
    bool m_renderQueued = false;

    quint16 m_port = 0;
    QHostAddress m_address;
    QString m_folder;
    std::atomic<quint64> m_servedVersion{0};
    std::shared_ptr<const LiveCounters> m_counters;
};
