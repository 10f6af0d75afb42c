#include "livehttpserver.h"

#include "liveconnectionguard.h"
#include "livesecurity.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>

namespace {

using Status = QHttpServerResponder::StatusCode;

QByteArray headerValue(const QHttpServerRequest& request, const QByteArray& name)
{
    for (const auto& [key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return QByteArray();
}

void respond(QHttpServerResponder& responder, Status status, const LivePage* page, bool withBody,
             const QByteArray& allow = QByteArray())
{
    responder.writeStatusLine(status);
    for (const auto& [name, value] : LiveSecurity::headers())
        responder.writeHeader(name, value);
    // Readers ask again each time; the entity tag makes that cheap.
    responder.writeHeader("Cache-Control", "no-cache");
    responder.writeHeader("Connection", "keep-alive");
    if (!allow.isEmpty())
        responder.writeHeader("Allow", allow);
    QByteArray body;
    if (page) {
        responder.writeHeader("ETag", page->etag);
        // Other programs (a broadcaster's graphics page) may read the data.
        if (page->json)
            responder.writeHeader("Access-Control-Allow-Origin", "*");
        if (status != Status::NotModified) {
            responder.writeHeader("Content-Type", page->contentType);
            responder.writeHeader("Content-Length", QByteArray::number(page->body.size()));
            if (withBody)
                body = page->body;
        }
    } else if (status != Status::NotModified) {
        responder.writeHeader("Content-Length", "0");
    }
    responder.writeBody(body);
}

} // namespace

bool LiveMatchesEtag(const QByteArray& ifNoneMatch, const QByteArray& etag)
{
    for (QByteArray tag : ifNoneMatch.split(',')) {
        tag = tag.trimmed();
        if (tag == "*")
            return true;
        if (tag.startsWith("W/"))
            tag = tag.mid(2);
        if (!etag.isEmpty() && tag == etag)
            return true;
    }
    return false;
}

LiveHttpServer::LiveHttpServer(LiveConnectionGuard* guard, QObject* parent)
    : QAbstractHttpServer(parent), m_guard(guard), m_site(LiveSite::empty())
{
    bind(guard);
}

bool LiveHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    m_guard->answered(socket);
    if (request.headers().size() > m_guard->limits().maxHeaders) {
        socket->write(LiveConnectionGuard::cannedResponse(431));
        m_guard->closeAfterWrite(socket);
        return true;
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto method = request.method();
    const bool head = method == QHttpServerRequest::Method::Head;
    if (method != QHttpServerRequest::Method::Get && !head) {
        respond(responder, Status::MethodNotAllowed, nullptr, false, "GET, HEAD");
    } else {
        // The site is replaced as a whole: this request keeps the one it started with.
        const std::shared_ptr<const LiveSite> site = m_site;
        QString path = request.url().path(QUrl::FullyEncoded);
        if (path == QLatin1String("/"))
            path = QStringLiteral("/index.html");
        const LivePage* page = path.startsWith(QLatin1Char('/')) ? site->page(path.mid(1)) : nullptr;
        if (!page)
            respond(responder, Status::NotFound, &site->notFound(), !head);
        else if (LiveMatchesEtag(headerValue(request, "if-none-match"), page->etag))
            respond(responder, Status::NotModified, page, false);
        else
            respond(responder, Status::Ok, page, !head);
    }
    if (headerValue(request, "connection").trimmed().compare("close", Qt::CaseInsensitive) == 0)
        m_guard->closeAfterWrite(socket);
    return true;
}

void LiveHttpServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket)
{
    // Never reached: every request is answered above.
    socket->write(LiveConnectionGuard::cannedResponse(400));
    m_guard->closeAfterWrite(socket);
}
