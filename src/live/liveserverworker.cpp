#include "liveserverworker.h"

#include "app/log.h"
#include "livefolderwriter.h"
#include "livehttpserver.h"
#include "liveservice.h"

LiveServerWorker::LiveServerWorker(LiveService& service, LiveFolderWriter& writer, const LiveLimits& limits)
    : m_service(service), m_writer(writer), m_limits(limits), m_site(LiveSite::empty())
{
}

LiveServerWorker::~LiveServerWorker()
{
    close();
}

bool LiveServerWorker::listen(const QHostAddress& address, quint16 port, QString* error, quint16* bound,
                              std::shared_ptr<const LiveCounters>* counters)
{
    close();
    auto* guard = new LiveConnectionGuard(m_limits);
    if (!guard->listen(address, port)) {
        if (error)
            *error = guard->errorString();
        logReport(
            "Failed to listen for live results readers.  LiveServer::Listen  Address:%s, Port:%d, Error:%s",
            address.toString(), int(port), guard->errorString());
        delete guard;
        return false;
    }
    *bound = guard->serverPort();
    *counters = guard->counters();
    m_server = new LiveHttpServer(guard, this);
    m_server->setSite(m_site);
    return true;
}

void LiveServerWorker::close()
{
    // The guard and every connection go with the server.
    delete m_server;
    m_server = nullptr;
}

void LiveServerWorker::render()
{
    std::shared_ptr<const LiveSnapshot> snapshot = m_service.takeSnapshot();
    if (!snapshot)
        return;
    m_site = LiveSite::render(std::move(snapshot), m_site.get());
    if (m_server)
        m_server->setSite(m_site);
    m_service.m_servedVersion = m_site->version();
    m_writer.offer(m_site);
}

void LiveServerWorker::offerCurrent()
{
    if (m_site->version() > 0)
        m_writer.offer(m_site);
}
