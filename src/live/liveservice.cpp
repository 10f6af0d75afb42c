#include "liveservice.h"

#include "app/log.h"
#include "livefolderwriter.h"
#include "liveserverworker.h"

#include <QMutexLocker>
#include <QThread>

LiveService::LiveService(const LiveLimits& limits, QObject* parent) : QObject(parent), m_limits(limits)
{
    m_folderThread = new QThread;
    m_folderThread->setObjectName(QStringLiteral("Live Folder"));
    m_writer = new LiveFolderWriter;
    m_writer->moveToThread(m_folderThread);
    connect(m_folderThread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &LiveFolderWriter::written, this, &LiveService::folderWritten, Qt::QueuedConnection);
    m_folderThread->start();

    m_serverThread = new QThread;
    m_serverThread->setObjectName(QStringLiteral("Live Server"));
    m_worker = new LiveServerWorker(*this, *m_writer, m_limits);
    m_worker->moveToThread(m_serverThread);
    connect(m_serverThread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_serverThread->start();
}

LiveService::~LiveService()
{
    // The server first: it hands sites to the writer until it ends.
    stopThread(m_serverThread, "Live Server");
    stopThread(m_folderThread, "Live Folder");
}

void LiveService::stopThread(QThread*& thread, const char* name)
{
    thread->quit();
    if (thread->wait(StopTimeoutMs)) {
        delete thread;
    } else {
        // Left to end by itself: a forced end could leave a file half-written.
        logReport("The thread did not end in time.  LiveService::Stop  Thread:%s", QString::fromLatin1(name));
    }
    thread = nullptr;
}

bool LiveService::startServer(const QHostAddress& address, quint16 port, QString* error)
{
    stopServer();
    bool ok = false;
    quint16 bound = 0;
    QString reason;
    std::shared_ptr<const LiveCounters> counters;
    QMetaObject::invokeMethod(
        m_worker, [&] { ok = m_worker->listen(address, port, &reason, &bound, &counters); },
        Qt::BlockingQueuedConnection);
    if (!ok) {
        if (error)
            *error = reason;
        return false;
    }
    m_port = bound;
    m_address = address;
    m_counters = std::move(counters);
    return true;
}

void LiveService::stopServer()
{
    if (m_port == 0)
        return;
    QMetaObject::invokeMethod(
        m_worker, [this] { m_worker->close(); }, Qt::BlockingQueuedConnection);
    m_port = 0;
}

void LiveService::setFolder(const QString& folder)
{
    m_folder = folder;
    m_writer->setFolder(folder);
    // The folder gets the site as it is now, not only after the next save.
    QMetaObject::invokeMethod(
        m_worker, [this] { m_worker->offerCurrent(); }, Qt::QueuedConnection);
}

void LiveService::publish(std::shared_ptr<const LiveSnapshot> snapshot)
{
    QMutexLocker lock(&m_mutex);
    m_pending = std::move(snapshot);
    if (m_renderQueued)
        return; // the render already queued takes this one
    m_renderQueued = true;
    QMetaObject::invokeMethod(
        m_worker, [this] { m_worker->render(); }, Qt::QueuedConnection);
}

std::shared_ptr<const LiveSnapshot> LiveService::takeSnapshot()
{
    QMutexLocker lock(&m_mutex);
    m_renderQueued = false;
    return std::move(m_pending);
}

int LiveService::openConnections() const
{
    return m_port != 0 && m_counters ? m_counters->open.load() : 0;
}

int LiveService::refusedConnections() const
{
    return m_counters ? m_counters->refused.load() : 0;
}

int LiveService::closedConnections() const
{
    return m_counters ? m_counters->closed.load() : 0;
}
