#pragma once

#include "liveconnectionguard.h"
#include "livesite.h"

#include <QHostAddress>
#include <QObject>
#include <memory>

class LiveFolderWriter;
class LiveHttpServer;
class LiveService;

// The server's thread's side of LiveService: renders each snapshot it is
// handed into the site, gives the site to the HTTP server and to the folder
// writer, and opens and closes the listening socket. Everything runs on the
// server's thread (LiveService calls in through queued or blocking calls).
class LiveServerWorker : public QObject
{
    Q_OBJECT
public:
    LiveServerWorker(LiveService& service, LiveFolderWriter& writer, const LiveLimits& limits);
    ~LiveServerWorker() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error, quint16* bound,
                std::shared_ptr<const LiveCounters>* counters);
    void close();
    // Takes the newest snapshot from the service and renders it.
    void render();
    // Hands the site as it is to the folder writer (a folder was just chosen).
    void offerCurrent();

private:
    LiveService& m_service;
    LiveFolderWriter& m_writer;
    LiveLimits m_limits;
    LiveHttpServer* m_server = nullptr;
    std::shared_ptr<const LiveSite> m_site;
};
