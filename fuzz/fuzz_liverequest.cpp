// The live results server's handling of requests: the bytes go, as they are,
// over loopback to the HTTP server and the guard in front of it (both on this
// thread), and the answer is read until the server answers, hangs up, or
// 150 ms pass. The first byte says how the bytes are cut into writes, so a
// request also arrives in pieces. The guard's limits are small, so that
// refusals (too large, too many headers, too slow) are reached. After each
// input the server must still answer a plain request, and hold no more open
// connections than its limit. The entity-tag matching reads the bytes too.
#include "fuzzsupport.h"
#include "live/liveconnectionguard.h"
#include "live/livehttpserver.h"
#include "live/livesite.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <cstdio>

namespace {

LiveLimits limits()
{
    LiveLimits l;
    l.maxConnections = 16;
    l.maxRequestBytes = 2048;
    l.maxHeaders = 16;
    l.requestTimeoutMs = 60;
    l.idleTimeoutMs = 60;
    return l;
}

std::shared_ptr<const LiveSite> site()
{
    auto event = std::make_shared<LiveEvent>();
    event->id = QStringLiteral("BR");
    event->name = QStringLiteral("Barrel Racing");
    LiveRow row;
    row.name = QStringLiteral("Wade Racer");
    row.place = 1;
    row.time = QStringLiteral("15.52");
    event->goRounds.push_back({1, QStringLiteral("Go-Round 1"), {row}});
    auto snapshot = std::make_shared<LiveSnapshot>();
    snapshot->version = 1;
    snapshot->rodeoOpen = true;
    snapshot->events.push_back(event);
    return LiveSite::render(snapshot);
}

LiveHttpServer& server()
{
    fuzz::application();
    static LiveHttpServer* s = [] {
        auto* guard = new LiveConnectionGuard(limits());
        fuzz::check(guard->listen(QHostAddress::LocalHost, 0));
        auto* server = new LiveHttpServer(guard);
        server->setSite(site());
        return server;
    }();
    return *s;
}

void expect(bool condition, const char* what, const QByteArray& got)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s: [%s]\n", what, got.left(200).toPercentEncoding(" /:.").constData());
    std::abort();
}

// Sends the pieces and waits for an answer or the end of the connection.
QByteArray exchange(const QList<QByteArray>& pieces, int waitMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server().guard()->serverPort());
    QByteArray answer;
    QDeadlineTimer deadline(waitMs);
    qsizetype next = 0;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (socket.state() == QAbstractSocket::ConnectedState && next < pieces.size()) {
            socket.write(pieces[next++]);
            socket.flush();
        }
        answer += socket.readAll();
        if (answer.contains("\r\n\r\n") || (next > 0 && socket.state() == QAbstractSocket::UnconnectedState))
            break;
    }
    socket.abort();
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LiveHttpServer& s = server();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    LiveMatchesEtag(bytes, QByteArrayLiteral("\"0123456789abcdef0123\""));

    const int step = size ? 1 + data[0] % 64 : 1;
    QList<QByteArray> pieces;
    for (qsizetype at = 1; at < bytes.size(); at += step)
        pieces << bytes.mid(at, step);
    const QByteArray answer = exchange(pieces, 150);
    expect(answer.isEmpty() || answer.startsWith("HTTP/1."), "an answer that is no HTTP", answer);

    // Whatever came before, the next reader is served.
    const QByteArray plain = exchange({QByteArrayLiteral("GET /now.json HTTP/1.1\r\nHost: x\r\n\r\n")}, 2000);
    expect(plain.startsWith("HTTP/1.") && plain.contains(" 200 "), "the next reader was not served", plain);
    expect(s.guard()->counters()->open.load() <= limits().maxConnections, "too many connections open", {});
    return 0;
}
