#pragma once

#include "livesite.h"

#include <QAbstractHttpServer>
#include <memory>

class LiveConnectionGuard;

// Answers the live results' fixed names from the site it was given: GET and
// HEAD only, "/" for the index, an entity tag on every page and "304 Not
// Modified" for a reader who has it already, the security headers on every
// answer. No name of a request ever reaches the file system: a name that is
// not one of the site's pages is "404". The requests are read by Qt HTTP
// Server; the guard it is bound to keeps readers within the limits.
// Lives on the server's thread, like the guard.
class LiveHttpServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    // guard: listening already; it becomes a child of this server.
    LiveHttpServer(LiveConnectionGuard* guard, QObject* parent = nullptr);

    void setSite(std::shared_ptr<const LiveSite> site) { m_site = std::move(site); }
    std::shared_ptr<const LiveSite> site() const { return m_site; }
    LiveConnectionGuard* guard() const { return m_guard; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    LiveConnectionGuard* m_guard;
    std::shared_ptr<const LiveSite> m_site;
};

// Whether an If-None-Match header names the entity tag (a list of tags,
// weak ones included, or "*").
bool LiveMatchesEtag(const QByteArray& ifNoneMatch, const QByteArray& etag);
