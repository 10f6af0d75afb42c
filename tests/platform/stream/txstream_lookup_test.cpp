// Host names: looked up on the stream's own thread after open() returned, with
// what was sent meanwhile following once the address is known.
#include "platform/stream/rtddecoder.h"
#include "platform/stream/txstream.h"
#include "platform/threadhandoff.h"
#include "streamtesthelpers.h"

#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

// A resolver that answers only when the test says so, so that what happens
// before and after the answer is checked in order rather than by time.
class HeldLookup
{
public:
    TxStream::HostLookup lookup()
    {
        return [this](const QString& host, QObject* context, TxStream::LookupAnswer answer) {
            QMutexLocker lock(&m_mutex);
            m_hosts.append(host);
            m_context = context;
            m_answer = std::move(answer);
        };
    }

    QStringList hosts() const
    {
        QMutexLocker lock(&m_mutex);
        return m_hosts;
    }

    // Answers on the stream's thread, as a resolver does.
    void answer(const QList<QHostAddress>& addresses, const QString& error = QString())
    {
        QMutexLocker lock(&m_mutex);
        ThreadHandOff::post(m_context, [answer = m_answer, addresses, error] { answer(addresses, error); });
    }

private:
    mutable QMutex m_mutex;
    QStringList m_hosts;
    QObject* m_context = nullptr;
    TxStream::LookupAnswer m_answer;
};

} // namespace

TEST(TxStreamLookup, OpenReturnsBeforeTheAnswerAndWhatWasSentMeanwhileFollows)
{
    for (const int kind : {int(TxStream::Udp), int(TxStream::Tcp)}) {
        SCOPED_TRACE(kind == TxStream::Udp ? "UDP" : "TCP");
        UdpCollector board;
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        TxStream stream;
        stream.setKind(kind);
        stream.setName(QStringLiteral("Board"));
        stream.setUdpPort(board.port());
        stream.setDestinationHost(QStringLiteral("scoreboard.arena"));
        stream.setTcpPort(server.serverPort());
        stream.setTcpHost(QStringLiteral("scoreboard.arena"));
        HeldLookup resolver;
        stream.setHostLookup(resolver.lookup());

        ASSERT_EQ(stream.open(), TxStream::StatusOk) << stream.lastError().toStdString();
        EXPECT_EQ(resolver.hosts(), QStringList{QStringLiteral("scoreboard.arena")});
        EXPECT_TRUE(stream.isOpen());
        EXPECT_EQ(stream.statusText(), QStringLiteral("Resolving scoreboard.arena"));

        const QByteArray frame = RtdProtocol::numbered(RtdProtocol::encodeShowFrame(1, 7), 1);
        ASSERT_EQ(stream.protocol().showFrame(1, 7), TxStream::StatusOk);
        ASSERT_EQ(stream.sendText(QStringLiteral("then text")), TxStream::StatusOk);
        EXPECT_EQ(stream.queuedBytes(), frame.size() + 9);

        // The receiver listens on IPv4 only, as scoreboards do: it must be chosen.
        resolver.answer({QHostAddress(QStringLiteral("::1")), QHostAddress::LocalHost});
        QByteArray arrived;
        if (kind == TxStream::Udp) {
            const QList<QByteArray> datagrams = board.receive(2);
            ASSERT_EQ(datagrams.size(), 2);
            arrived = datagrams[0] + datagrams[1];
        } else {
            ASSERT_TRUE(server.waitForNewConnection(5000));
            QTcpSocket* peer = server.nextPendingConnection();
            while (arrived.size() < frame.size() + 9 && peer->waitForReadyRead(5000))
                arrived += peer->readAll();
        }
        EXPECT_EQ(arrived, frame + "then text");
        EXPECT_TRUE(waitUntil([&] { return stream.statusText() == QStringLiteral("Open"); }))
            << stream.statusText().toStdString();
        EXPECT_EQ(stream.queuedBytes(), 0);
    }
}

TEST(TxStreamLookup, AHostThatIsNotFoundFailsOnlyItsOwnStream)
{
    UdpCollector board;
    TxStream lost;
    lost.setKind(TxStream::Udp);
    lost.setName(QStringLiteral("Lost"));
    lost.setUdpPort(board.port());
    lost.setDestinationHost(QStringLiteral("nowhere.invalid"));
    HeldLookup resolver;
    lost.setHostLookup(resolver.lookup());
    QMutex mutex;
    QStringList problems;
    QObject::connect(
        &lost, &TxStream::problem, &lost,
        [&](const QString& text) {
            QMutexLocker lock(&mutex);
            problems.append(text);
        },
        Qt::DirectConnection);
    TxStream other;
    other.setKind(TxStream::Udp);
    other.setUdpPort(board.port());
    ASSERT_EQ(lost.open(), TxStream::StatusOk);
    ASSERT_EQ(other.open(), TxStream::StatusOk);
    ASSERT_EQ(lost.sendText(QStringLiteral("waiting")), TxStream::StatusOk);

    resolver.answer({}, QStringLiteral("Host not found"));
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return !problems.isEmpty();
    }));
    const QString reason = QStringLiteral("The host \"nowhere.invalid\" was not found: Host not found");
    EXPECT_FALSE(lost.isOpen());
    EXPECT_EQ(lost.statusText(), QStringLiteral("Failed: ") + reason);
    EXPECT_EQ(problems, QStringList{reason});
    EXPECT_TRUE(waitUntil([&] { return lost.queuedBytes() == 0; })) << "what waited is discarded";
    EXPECT_LT(lost.sendText(QStringLiteral("late")), 0);

    EXPECT_EQ(other.sendText(QStringLiteral("alive")), TxStream::StatusOk);
    EXPECT_EQ(board.receive(1), QList<QByteArray>{QByteArray("alive")}) << "nothing of the lost stream's";
}
