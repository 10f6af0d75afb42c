#include "liveconnectionguard.h"

#include "app/log.h"
#include "livesecurity.h"

#include <QTcpSocket>
#include <algorithm>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A connection being closed is given this long to take its answer and hang up.
constexpr qint64 kLingerMs = 2000;
// Connections refused at once get their "503" only while there are fewer
// than this many of them still closing; beyond that they are cut at once.
constexpr int kMaxRefusing = 64;

const char* reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

} // namespace

LiveConnectionGuard::LiveConnectionGuard(const LiveLimits& limits, QObject* parent)
    : QTcpServer(parent), m_limits(limits)
{
    m_clock.start();
    const int shortest = std::min({m_limits.requestTimeoutMs, m_limits.idleTimeoutMs, 1000});
    m_sweep.setInterval(std::max(20, shortest / 2));
    connect(&m_sweep, &QTimer::timeout, this, &LiveConnectionGuard::sweep);
    m_sweep.start();
    // Out of descriptors (or any other failure to accept): QTcpServer stops
    // accepting; start again a little later rather than never.
    connect(this, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
        logReport("Failed to accept a connection.  LiveServer::Accept  Error:%s", errorString());
        QTimer::singleShot(200, this, [this] { resumeAccepting(); });
    });
}

LiveConnectionGuard::~LiveConnectionGuard() = default;

QByteArray LiveConnectionGuard::cannedResponse(int status)
{
    const QByteArray text = QByteArray(reasonPhrase(status)) + '\n';
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    out += "Content-Type: text/plain; charset=utf-8\r\nContent-Length: " + QByteArray::number(text.size()) +
           "\r\nConnection: close\r\n";
    if (status == 503)
        out += "Retry-After: 5\r\n";
    for (const auto& [name, value] : LiveSecurity::headers())
        out += name + ": " + value + "\r\n";
    return out + "\r\n" + text;
}

void LiveConnectionGuard::incomingConnection(qintptr handle)
{
    const qint64 now = m_clock.elapsed();
    const bool full = m_served >= m_limits.maxConnections;
    if (full && m_refusing >= kMaxRefusing) {
        ::close(int(handle));
        ++m_counters->refused;
        return;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        ::close(int(handle));
        delete socket;
        return;
    }
    // The socket never holds more than one request may have: past that it
    // stops reading, and the request is refused below.
    socket->setReadBufferSize(m_limits.maxRequestBytes);
    Watch watch;
    watch.socket = socket;
    watch.lastActivity = now;
    // A connection that ends no longer counts, at once.
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
    if (full) {
        // Refused at the door: it never reaches the HTTP server.
        ++m_counters->refused;
        watch.refused = true;
        m_watches.insert(socket, watch);
        Watch& w = m_watches[socket];
        socket->write(cannedResponse(503));
        beginClose(w);
        updateCount();
        return;
    }
    // Connected before the HTTP server's own handler: it sees each read first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    m_watches.insert(socket, watch);
    updateCount();
    addPendingConnection(socket);
}

void LiveConnectionGuard::onReadyRead(QTcpSocket* socket)
{
    const auto it = m_watches.find(socket);
    if (it == m_watches.end() || it->closingSince >= 0)
        return;
    Watch& w = *it;
    w.lastActivity = m_clock.elapsed();
    if (w.requestStarted < 0)
        w.requestStarted = w.lastActivity;
    // Called before the HTTP server reads: what is available now is new.
    w.unanswered += socket->bytesAvailable();
    if (w.unanswered >= m_limits.maxRequestBytes)
        reject(w, 431);
}

void LiveConnectionGuard::answered(QTcpSocket* socket)
{
    const auto it = m_watches.find(socket);
    if (it == m_watches.end())
        return;
    it->unanswered = 0;
    it->requestStarted = -1;
    it->lastActivity = m_clock.elapsed();
}

void LiveConnectionGuard::closeAfterWrite(QTcpSocket* socket)
{
    const auto it = m_watches.find(socket);
    if (it != m_watches.end() && it->closingSince < 0)
        beginClose(*it);
}

void LiveConnectionGuard::reject(Watch& watch, int status)
{
    ++m_counters->closed;
    if (watch.socket && watch.socket->state() == QAbstractSocket::ConnectedState)
        watch.socket->write(cannedResponse(status));
    beginClose(watch);
}

void LiveConnectionGuard::beginClose(Watch& watch)
{
    watch.closingSince = m_clock.elapsed();
    QTcpSocket* socket = watch.socket;
    if (!socket)
        return;
    // Nothing more is read as a request. Whatever the reader still sends is
    // read and dropped until it hangs up: closing a socket with unread bytes
    // would reset the connection and could lose the answer on its way.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    disconnect(socket, &QTcpSocket::bytesWritten, this, nullptr);
    if (socket->isTransactionStarted())
        socket->commitTransaction();
    socket->readAll();
    connect(socket, &QTcpSocket::readyRead, this, [socket] { socket->readAll(); });
    const auto finishWriting = [socket] {
        if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState)
            ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    };
    connect(socket, &QTcpSocket::bytesWritten, this, finishWriting);
    finishWriting();
}

void LiveConnectionGuard::sweep()
{
    const qint64 now = m_clock.elapsed();
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        Watch& w = *it;
        QTcpSocket* socket = w.socket;
        if (!socket) {
            it = m_watches.erase(it);
            continue;
        }
        const bool gone = socket->state() == QAbstractSocket::UnconnectedState;
        if (gone || (w.closingSince >= 0 && now - w.closingSince > kLingerMs)) {
            it = m_watches.erase(it); // before abort(), whose signal would look for it
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (w.closingSince < 0) {
            if (w.requestStarted >= 0 && now - w.requestStarted > m_limits.requestTimeoutMs)
                reject(w, 408);
            else if (w.requestStarted < 0 && now - w.lastActivity > m_limits.idleTimeoutMs)
                beginClose(w);
        }
        ++it;
    }
    updateCount();
}

void LiveConnectionGuard::forget(QTcpSocket* socket)
{
    if (m_watches.remove(socket) == 0)
        return;
    socket->deleteLater();
    updateCount();
}

void LiveConnectionGuard::updateCount()
{
    int refusing = 0;
    for (const Watch& w : std::as_const(m_watches))
        refusing += w.refused ? 1 : 0;
    m_refusing = refusing;
    m_served = int(m_watches.size()) - refusing;
    m_counters->open = m_served;
}
