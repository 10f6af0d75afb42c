// Ports: equality, users, receiving on the port's own thread, and failures that
// stay with the port that has them.
#include "io/ioconfiguration.h"
#include "iotesthelpers.h"

#include <QMutex>
#include <QThread>
#include <stdexcept>

namespace {

// A user that records what it is handed.
class RecordingUser : public PortUser
{
public:
    explicit RecordingUser(bool wants = true, bool throws = false)
        : PortUser(Role::Timer), m_wants(wants), m_throws(throws)
    {
    }

    QString name() const override { return QStringLiteral("recorder"); }
    bool wantsData() const override { return m_wants; }
    void OnData(const QString& text, int offset) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_items.append({text, offset});
            m_threads.append(QThread::currentThread());
        }
        if (m_throws)
            throw std::runtime_error("bad block");
    }

    QList<std::pair<QString, int>> items() const
    {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }
    QList<QThread*> threads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_threads;
    }

private:
    bool m_wants;
    bool m_throws;
    mutable QMutex m_mutex;
    QList<std::pair<QString, int>> m_items;
    QList<QThread*> m_threads;
};

std::unique_ptr<StreamPort> listeningPort(int number)
{
    auto port = std::make_unique<StreamPort>();
    port->setKind(StreamPort::Udp);
    port->setName(QStringLiteral("Console"));
    port->stream().setUdpPort(number);
    port->stream().setListenAddress(QStringLiteral("127.0.0.1"));
    return port;
}

void sendTo(int port, const QByteArray& datagram)
{
    QUdpSocket socket;
    socket.writeDatagram(datagram, QHostAddress::LocalHost, quint16(port));
    socket.waitForBytesWritten(1000);
}

TEST(StreamPort, EqualityCoversSettingsNameKindAndUsers)
{
    IoConfiguration a;
    IoConfiguration b;
    for (IoConfiguration* c : {&a, &b}) {
        auto port = std::make_unique<StreamPort>();
        port->setKind(StreamPort::Udp);
        port->setName(QStringLiteral("RIP"));
        port->stream().setUdpPort(20000);
        c->ports.push_back(std::move(port));
        auto rip = std::make_unique<RipStream>();
        rip->setName(QStringLiteral("Board"));
        rip->setPort(1);
        c->rips.push_back(std::move(rip));
        c->attachUsers();
    }
    EXPECT_TRUE(*a.ports[0] == *b.ports[0]);
    b.rips[0]->setName(QStringLiteral("Other"));
    EXPECT_FALSE(*a.ports[0] == *b.ports[0]);
    b.rips[0]->setName(QStringLiteral("Board"));
    b.ports[0]->stream().setDestinationHost(QStringLiteral("10.0.0.2"));
    EXPECT_FALSE(*a.ports[0] == *b.ports[0]);

    const auto copy = a.ports[0]->clone();
    EXPECT_TRUE(copy->users().isEmpty());
    EXPECT_FALSE(copy->isOpen());
    EXPECT_EQ(copy->settingsText(), a.ports[0]->settingsText());
    EXPECT_FALSE(copy->attachUser(nullptr));
    RecordingUser user;
    EXPECT_TRUE(copy->attachUser(&user));
    EXPECT_FALSE(copy->attachUser(&user)); // at most once
}

TEST(StreamPort, ReceivedDataOfAnyKindGoesToTheFirstUserOnThePortsThread)
{
    LogCapture log;
    auto port = listeningPort(freeUdpPort());
    RecordingUser first;
    RecordingUser second;
    port->attachUser(&first);
    port->attachUser(&second);
    ASSERT_EQ(port->open(), 0) << port->lastError().toStdString();
    ASSERT_EQ(port->connectSink(), 0) << port->lastError().toStdString();
    EXPECT_TRUE(port->isReceiving());
    const int number = port->stream().udpPort();

    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    const QByteArray big(60000, 'x');
    sendTo(number, RtdProtocol::encodeTextBlock(230, QByteArrayLiteral("  12.345 "), false));
    sendTo(number, binary);
    sendTo(number, big);
    sendTo(number, QByteArrayLiteral("RTD\x01"));

    ASSERT_TRUE(waitUntil([&] { return first.items().size() >= 4; }));
    const auto items = first.items();
    EXPECT_EQ(items[0], std::make_pair(QStringLiteral("  12.345 "), 230));
    EXPECT_EQ(items[1].first, QString::fromLatin1(binary));
    EXPECT_EQ(items[1].second, 0);
    EXPECT_EQ(items[2].first.size(), 60000);
    EXPECT_EQ(items[3].first, QStringLiteral("RTD\x01"));
    EXPECT_TRUE(second.items().isEmpty());
    for (QThread* thread : first.threads())
        EXPECT_EQ(thread, port->stream().ioThread());

    port->disconnectSink();
    EXPECT_FALSE(port->isReceiving());
    sendTo(number, QByteArrayLiteral("late"));
    QThread::msleep(100);
    EXPECT_EQ(first.items().size(), 4);
}

TEST(StreamPort, AUserThatThrowsIsLoggedAndThePortKeepsDelivering)
{
    LogCapture log;
    auto port = listeningPort(freeUdpPort());
    RecordingUser thrower(true, true);
    port->attachUser(&thrower);
    ASSERT_EQ(port->open(), 0);
    ASSERT_EQ(port->connectSink(), 0);
    const int number = port->stream().udpPort();
    sendTo(number, QByteArrayLiteral("one"));
    sendTo(number, QByteArrayLiteral("two"));
    ASSERT_TRUE(waitUntil([&] { return thrower.items().size() == 2; }));
    EXPECT_TRUE(log.contains("Failed to handle the received data.  StreamPort::OnData  Port:Console, "
                             "Error:std::runtime_error: bad block"));
}

TEST(StreamPort, OnlyAPortWhoseFirstUserWantsDataListens)
{
    auto port = listeningPort(freeUdpPort());
    RecordingUser deaf(false);
    port->attachUser(&deaf);
    ASSERT_EQ(port->open(), 0);
    ASSERT_EQ(port->connectSink(), 0);
    EXPECT_TRUE(port->isSinkConnected());
    EXPECT_FALSE(port->isReceiving());
    // Its number stays free for whatever listens there (a scoreboard on this machine).
    QUdpSocket board;
    EXPECT_TRUE(board.bind(QHostAddress::LocalHost, quint16(port->stream().udpPort()),
                           QAbstractSocket::DontShareAddress));
}

TEST(StreamPort, APortNumberInUseIsLoggedAndReportedAndOtherPortsWork)
{
    LogCapture log;
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    auto busy = listeningPort(taken.localPort());
    auto free = listeningPort(freeUdpPort());
    free->setName(QStringLiteral("Other"));
    RecordingUser a;
    RecordingUser b;
    busy->attachUser(&a);
    free->attachUser(&b);
    ASSERT_EQ(busy->open(), 0);
    ASSERT_EQ(free->open(), 0);
    EXPECT_LT(busy->connectSink(), 0);
    EXPECT_EQ(free->connectSink(), 0);
    EXPECT_TRUE(busy->statusText().startsWith(QStringLiteral("Failed to receive: ")))
        << busy->statusText().toStdString();
    EXPECT_TRUE(
        log.containsPrefix("Failed to receive on the port.  Mgr::StartCommunications  Port:Console, Error:"));
    EXPECT_TRUE(busy->stream().statusText().startsWith(QStringLiteral("Failed to receive: ")))
        << "the traffic window reads the stream's own status";
    sendTo(free->stream().udpPort(), QByteArrayLiteral("fine"));
    EXPECT_TRUE(waitUntil([&] { return b.items().size() == 1; }));

    // Tried again while the number is still taken, then once it is free: the
    // failure was logged once, and the port receives.
    EXPECT_TRUE(busy->hasFailed());
    EXPECT_FALSE(free->hasFailed());
    EXPECT_FALSE(busy->tryAgain());
    const int busyPort = taken.localPort();
    taken.close();
    EXPECT_TRUE(busy->tryAgain());
    EXPECT_FALSE(busy->hasFailed());
    EXPECT_EQ(busy->statusText(), QStringLiteral("Open"));
    EXPECT_EQ(log.lines().filter(QStringLiteral("Failed to receive on the port.")).size(), 1);
    sendTo(busyPort, QByteArrayLiteral("again"));
    EXPECT_TRUE(waitUntil([&] { return a.items().size() == 1; }));
}

TEST(StreamPort, WhatTheStreamReportsWhileOpenIsLogged)
{
    LogCapture log;
    StreamPort port;
    port.setKind(StreamPort::Udp);
    port.setName(QStringLiteral("Board"));
    port.stream().setUdpPort(20000);
    port.stream().setDestinationHost(QStringLiteral("board.invalid"));
    port.stream().setHostLookup([](const QString&, QObject* context, TxStream::LookupAnswer answer) {
        QMetaObject::invokeMethod(
            context, [answer] { answer({}, QStringLiteral("Host not found")); }, Qt::QueuedConnection);
    });
    ASSERT_EQ(port.open(), 0) << "the name is looked up after the port opened";
    EXPECT_TRUE(waitUntil([&] { return !port.isOpen(); }));
    EXPECT_TRUE(waitUntil([&] {
        return log.containsPrefix(
            QStringLiteral("The port reported a problem.  StreamPort::Stream  Port:Board, "
                           "Error:Error Description: The host \"board.invalid\" was not found: "
                           "Host not found"));
    })) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(port.statusText().startsWith(QStringLiteral("Failed: The host")))
        << port.statusText().toStdString();
}

TEST(StreamPort, AFileThatCannotBeOpenedIsLoggedAndReported)
{
    LogCapture log;
    QTemporaryDir dir;
    StreamPort port;
    port.setKind(StreamPort::File);
    port.setName(QStringLiteral("Record"));
    port.stream().setFileName(dir.path() + QStringLiteral("/no/such/folder/out.rtd"));
    EXPECT_LT(port.open(), 0);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.statusText().startsWith(QStringLiteral("Failed: ")));
    EXPECT_TRUE(log.containsPrefix("Failed to open the port.  Mgr::OpenPorts  Port:Record, Error:"));
    EXPECT_EQ(StreamPort::typeText(StreamPort::File), QStringLiteral("FILE"));
    EXPECT_EQ(StreamPort::kindFromType(QStringLiteral("udp/ip")), StreamPort::NoKind);
}

} // namespace
