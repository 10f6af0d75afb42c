// The live results server from outside, over loopback: what a reader gets for
// every page, and what the limits do to readers who break them.
#include "common/logcapture.h"
#include "live/livejson.h"
#include "live/liveservice.h"
#include "livetesthelpers.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class LiveServerTest : public ::testing::Test
{
protected:
    void start(const LiveLimits& limits = LiveLimits())
    {
        service = std::make_unique<LiveService>(limits);
        QString error;
        ASSERT_TRUE(service->startServer(QHostAddress::LocalHost, 0, &error)) << error.toStdString();
        port = service->serverPort();
        publish(sampleSnapshot(1));
    }
    void publish(std::shared_ptr<const LiveSnapshot> snapshot)
    {
        const quint64 version = snapshot->version;
        service->publish(std::move(snapshot));
        ASSERT_TRUE(waitUntil([&] { return service->servedVersion() == version; }, 2000));
    }
    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
    }
    // A GET (or another verb) through Qt's own HTTP client.
    QNetworkReply* send(const QString& path, const QByteArray& verb = "GET",
                        const QByteArray& ifNoneMatch = QByteArray())
    {
        QNetworkRequest request(url(path));
        if (!ifNoneMatch.isEmpty())
            request.setRawHeader("If-None-Match", ifNoneMatch);
        QNetworkReply* reply = client.sendCustomRequest(request, verb);
        EXPECT_TRUE(waitUntil([reply] { return reply->isFinished(); }, 5000)) << path.toStdString();
        return reply;
    }
    int status(QNetworkReply* reply) const
    {
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    LogCapture log;
    QNetworkAccessManager client;
    std::unique_ptr<LiveService> service;
    quint16 port = 0;
};

TEST_F(LiveServerTest, EveryPageAndTheJsonAreServedWithTheSecurityHeaders)
{
    start();
    const struct
    {
        const char* path;
        const char* type;
    } pages[] = {{"/", "text/html"},
                 {"/index.html", "text/html"},
                 {"/now.html", "text/html"},
                 {"/event-BR.html", "text/html"},
                 {"/live.json", "application/json"},
                 {"/now.json", "application/json"},
                 {"/live.css", "text/css"},
                 {"/live.js", "text/javascript"}};
    for (const auto& p : pages) {
        QNetworkReply* reply = send(QString::fromLatin1(p.path));
        const QByteArray body = reply->readAll();
        SCOPED_TRACE(p.path);
        EXPECT_EQ(status(reply), 200);
        EXPECT_TRUE(
            reply->header(QNetworkRequest::ContentTypeHeader).toString().startsWith(QLatin1String(p.type)));
        EXPECT_FALSE(body.isEmpty());
        EXPECT_TRUE(reply->rawHeader("Content-Security-Policy").contains("script-src 'self'"));
        EXPECT_EQ(reply->rawHeader("X-Content-Type-Options"), "nosniff");
        EXPECT_FALSE(reply->hasRawHeader("Set-Cookie"));
        EXPECT_FALSE(reply->rawHeader("ETag").isEmpty());
        reply->deleteLater();
    }

    // The data of the pages, as JSON.
    QNetworkReply* json = send(QStringLiteral("/live.json"));
    const QJsonObject root = QJsonDocument::fromJson(json->readAll()).object();
    EXPECT_EQ(root.value(QStringLiteral("format")).toInt(), LiveJson::FormatVersion);
    EXPECT_EQ(root.value(QStringLiteral("now"))
                  .toObject()
                  .value(QStringLiteral("up"))
                  .toObject()
                  .value(QStringLiteral("name")),
              QStringLiteral("Wade Racer"));
    EXPECT_EQ(json->rawHeader("Access-Control-Allow-Origin"), "*");

    // A reader who has the page gets "not modified"; HEAD gets the headers only.
    const QByteArray tag = json->rawHeader("ETag");
    EXPECT_EQ(status(send(QStringLiteral("/live.json"), "GET", tag)), 304);
    EXPECT_EQ(status(send(QStringLiteral("/live.json"), "GET", "\"other\", W/" + tag)), 304);
    const RawReply head = exchange(port, "HEAD /now.html HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_GT(head.headers.value("content-length").toInt(), 0);

    // Nothing is written through the server.
    for (const QByteArray verb : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        QNetworkReply* reply = send(QStringLiteral("/now.json"), verb);
        EXPECT_EQ(status(reply), 405) << verb.constData();
        EXPECT_EQ(reply->rawHeader("Allow"), "GET, HEAD");
    }
}

TEST_F(LiveServerTest, NamesOutsideTheSiteAreNotFound)
{
    start();
    for (const QByteArray path : {"/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/event-BR.html/../../x",
                                  "//etc/passwd", "/LIVE.JSON", "/index.html%00", "/.%2fnow.html",
                                  "/C:%5cWindows%5cwin.ini", "/event-XX.html", "/favicon.ico"}) {
        const RawReply reply = exchange(port, getRequest(path));
        EXPECT_EQ(reply.status, 404) << path.constData();
        EXPECT_TRUE(reply.body.contains("There is no such page")) << path.constData();
    }
    // A query does not change the page.
    EXPECT_EQ(exchange(port, getRequest("/now.json?x=../../etc/passwd")).status, 200);
}

TEST_F(LiveServerTest, ASnapshotIsServedWithinOneSecond)
{
    start();
    QTcpSocket reader; // kept alive, as a polling page keeps its connection
    reader.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(reader.waitForConnected(2000));
    reader.write(getRequest("/now.json"));
    const QByteArray tag = readReply(reader).headers.value("etag");
    ASSERT_FALSE(tag.isEmpty());

    QElapsedTimer clock;
    clock.start();
    service->publish(sampleSnapshot(2, QStringLiteral("14.98")));
    RawReply seen;
    while (clock.elapsed() < 1000) {
        reader.write(getRequest("/now.json", "If-None-Match: " + tag + "\r\n"));
        seen = readReply(reader);
        if (seen.status == 200)
            break;
        ASSERT_EQ(seen.status, 304);
    }
    EXPECT_EQ(seen.status, 200) << "not served within one second";
    EXPECT_TRUE(seen.body.contains("14.98"));
}

TEST_F(LiveServerTest, RequestsBreakingALimitAreAnsweredAndClosedAndOthersGoOn)
{
    LiveLimits limits;
    limits.maxRequestBytes = 4096;
    limits.maxHeaders = 10;
    limits.requestTimeoutMs = 300;
    limits.idleTimeoutMs = 400;
    start(limits);

    const QByteArray manyHeaders = [] {
        QByteArray h;
        for (int i = 0; i < 20; ++i)
            h += "X-H" + QByteArray::number(i) + ": v\r\n";
        return h;
    }();
    const struct
    {
        const char* name;
        QByteArray bytes;
        int status; // 0: hung up on without an answer
    } cases[] = {
        {"huge header", getRequest("/", "X-Big: " + QByteArray(8000, 'a') + "\r\n"), 431},
        {"many headers", getRequest("/", manyHeaders), 431},
        {"huge body", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + QByteArray(20000, 'b'),
         431},
        {"garbage", QByteArray("\x00\xff\x13garbage\r\n\r\n", 14), 0},
        {"bad request line", "GET\r\n\r\n", 0},
        {"half a request", "GET /now.json HTTP/1.1\r\nHost: x\r\n", 408},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(c.bytes);
        const RawReply reply = readReply(socket, 3000);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_TRUE(waitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 3000));
        // Nobody else noticed.
        EXPECT_EQ(exchange(port, getRequest("/now.json")).status, 200);
    }

    // A slow sender, one byte at a time, is cut at the request's deadline.
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(slow.waitForConnected(2000));
    QElapsedTimer clock;
    clock.start();
    const QByteArray request = getRequest("/now.json");
    for (int i = 0; i < request.size() - 1 && slow.state() == QAbstractSocket::ConnectedState; ++i) {
        slow.write(request.mid(i, 1));
        waitUntil([] { return false; }, 100);
    }
    EXPECT_EQ(slow.state(), QAbstractSocket::UnconnectedState);
    EXPECT_LT(clock.elapsed(), 2000);

    // A kept-alive connection that asks nothing more is closed when idle.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(idle.waitForConnected(2000));
    idle.write(getRequest("/now.json"));
    EXPECT_EQ(readReply(idle).status, 200);
    EXPECT_TRUE(waitUntil([&] { return idle.state() == QAbstractSocket::UnconnectedState; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return service->openConnections() == 0; }, 3000));
}

// What the fuzzer sends (its seeds and the inputs that once failed), one
// connection each, quickly, to a server that takes four at a time: every
// connection that ends stops counting at once, so the readers after them are
// served.
TEST_F(LiveServerTest, TheFuzzersInputsLeaveTheServerServing)
{
    LiveLimits limits;
    limits.maxConnections = 4;
    start(limits);
    const QDir corpus(QStringLiteral(TALLYRA_SOURCE_DIR "/fuzz/corpus/liverequest"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (int round = 0; round < 2; ++round) {
        for (const QString& name : files) {
            QFile file(corpus.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            {
                QTcpSocket socket; // the first byte chose the fuzzer's pieces
                socket.connectToHost(QHostAddress::LocalHost, port);
                ASSERT_TRUE(socket.waitForConnected(2000));
                socket.write(file.readAll().mid(1));
                readReply(socket, 150);
            }
            EXPECT_EQ(exchange(port, getRequest("/now.json")).status, 200) << name.toStdString();
        }
    }
}

TEST_F(LiveServerTest, TenThousandConnectionsAtOnceAreServedToTheLimitAndRefusedCleanlyBeyond)
{
    // Every client socket needs a descriptor of this process.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    const rlim_t wanted = 10000 + 1024;
    if (files.rlim_cur < wanted && files.rlim_max >= wanted) {
        files.rlim_cur = wanted;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    getrlimit(RLIMIT_NOFILE, &files);
    const int count = int(std::min<rlim_t>(10000, files.rlim_cur > 1024 ? files.rlim_cur - 1024 : 0));
    if (count < 10000)
        std::fprintf(stderr, "Only %d connections: the descriptor limit of this process is %llu.\n", count,
                     static_cast<unsigned long long>(files.rlim_cur));
    ASSERT_GT(count, 1000);
    start();

    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    crowd.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket* s = socket.get();
        QObject::connect(s, &QTcpSocket::connected, s, [s] { s->write(getRequest("/now.json")); });
        s->connectToHost(QHostAddress::LocalHost, port);
        crowd.push_back(std::move(socket));
    }
    // Every one is answered (200 or 503) or hung up on; none is left hanging.
    const auto settled = [&] {
        int open = 0;
        for (const auto& s : crowd)
            if (s->state() != QAbstractSocket::UnconnectedState && !s->peek(16).startsWith("HTTP/1."))
                ++open;
        return open == 0;
    };
    EXPECT_TRUE(waitUntil(settled, 90000));
    int served = 0;
    for (const auto& s : crowd)
        served += s->peek(16).startsWith("HTTP/1.1 200") ? 1 : 0;
    // Those served keep their connections; everyone else was told to come back.
    EXPECT_EQ(served, LiveLimits().maxConnections);
    EXPECT_EQ(service->openConnections(), LiveLimits().maxConnections);
    EXPECT_GE(service->refusedConnections(), count - served);
    const RawReply refused = exchange(port, getRequest("/now.json"));
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.headers.value("retry-after"), "5");

    // The crowd gone, the next reader is served at once.
    crowd.clear();
    EXPECT_TRUE(waitUntil([&] { return service->openConnections() == 0; }, 10000));
    EXPECT_EQ(exchange(port, getRequest("/now.json")).status, 200);
}

} // namespace
