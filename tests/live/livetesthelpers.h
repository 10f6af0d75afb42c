#pragma once

#include "live/livesnapshot.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QTcpSocket>
#include <QThread>
#include <functional>
#include <memory>

// Runs the event loop until done() or the time is up; returns done().
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// One answer read off a raw socket: enough of HTTP to check the server from
// outside, the way a test client sees it.
struct RawReply
{
    int status = 0;                        // 0: no status line came
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    bool closed = false; // the server hung up
};

// Reads one answer (status line, headers, Content-Length bytes of body) from
// a connected socket, or what came before the server hung up or the time ran out.
// headOnly: the answer to a HEAD, which has no body whatever its length says.
inline RawReply readReply(QTcpSocket& socket, int timeoutMs = 3000, bool headOnly = false)
{
    RawReply reply;
    QByteArray data;
    int headerEnd = -1;
    qint64 wanted = -1;
    waitUntil(
        [&] {
            data += socket.readAll();
            if (headerEnd < 0)
                headerEnd = int(data.indexOf("\r\n\r\n"));
            if (headerEnd >= 0 && wanted < 0) {
                const QList<QByteArray> lines = data.left(headerEnd).split('\n');
                const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
                reply.status = statusLine.value(1).toInt();
                for (int i = 1; i < lines.size(); ++i) {
                    const int colon = int(lines[i].indexOf(':'));
                    if (colon > 0)
                        reply.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                             lines[i].mid(colon + 1).trimmed());
                }
                wanted =
                    reply.status == 304 || headOnly ? 0 : reply.headers.value("content-length").toLongLong();
            }
            if (wanted >= 0 && data.size() - headerEnd - 4 >= wanted)
                return true;
            reply.closed = socket.state() == QAbstractSocket::UnconnectedState;
            return reply.closed;
        },
        timeoutMs);
    if (headerEnd >= 0)
        reply.body = data.mid(headerEnd + 4, wanted >= 0 ? wanted : -1);
    reply.closed = reply.closed || socket.state() == QAbstractSocket::UnconnectedState;
    return reply;
}

// Sends request bytes on a new connection and reads the answer.
inline RawReply exchange(quint16 port, const QByteArray& request, int timeoutMs = 3000)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(timeoutMs))
        return {};
    socket.write(request);
    return readReply(socket, timeoutMs, request.startsWith("HEAD "));
}

inline QByteArray getRequest(const QByteArray& path, const QByteArray& extra = QByteArray())
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

// A small rodeo as the builder would make it: one timed event with one
// result, and the entry up.
inline std::shared_ptr<LiveSnapshot> sampleSnapshot(quint64 version,
                                                    const QString& time = QStringLiteral("15.52"))
{
    auto event = std::make_shared<LiveEvent>();
    event->id = QStringLiteral("BR");
    event->name = QStringLiteral("Barrel Racing");
    event->scored = false;
    LiveRow row;
    row.key = 0x100 | 1;
    row.bib = QStringLiteral("12");
    row.name = QStringLiteral("Wade Racer");
    row.shown = true;
    row.place = 1;
    row.time = time;
    event->goRounds.push_back({1, QStringLiteral("Go-Round 1"), {row}});
    event->overall = {0, QStringLiteral("Overall"), {row}};
    auto s = std::make_shared<LiveSnapshot>();
    s->version = version;
    s->title = QStringLiteral("Spring Rodeo");
    s->rodeoOpen = true;
    s->rodeo = QStringLiteral("Spring Rodeo");
    s->published = QDateTime::currentDateTimeUtc();
    s->events.push_back(event);
    s->now.running = true;
    s->now.eventId = event->id;
    s->now.eventName = event->name;
    s->now.scored = false;
    s->now.goRound = 1;
    s->now.round = QStringLiteral("Go-Round 1");
    s->now.performance = 1;
    s->now.hasUp = true;
    s->now.up = row;
    s->now.order = {row};
    return s;
}
