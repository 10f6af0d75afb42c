// UDP streams on the loopback address: sending (with breakup and its pauses),
// receiving on the stream's own thread, port binding, threads and closing.
#include "platform/stream/rtddecoder.h"
#include "platform/stream/txstream.h"
#include "platform/threadhandoff.h"
#include "streamtesthelpers.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

// The scoreboard image used for sending: every Latin-1 character and one that
// is not Latin-1 (it must arrive as "?").
QString testImage()
{
    QString image;
    for (int i = 0; i < RtdProtocol::ImageLength; ++i)
        image.append(QChar(0x20 + (i * 7) % 224));
    image[5000] = QChar(0x20AC);
    return image;
}

std::unique_ptr<TxStream> udpStream(int port, const QString& name = QStringLiteral("RIP"))
{
    auto stream = std::make_unique<TxStream>();
    stream->setKind(TxStream::Udp);
    stream->setName(name);
    stream->setUdpPort(port);
    stream->setListenAddress(QStringLiteral("127.0.0.1"));
    return stream;
}

struct Delivery
{
    QString text;
    int offset = 0;
    QThread* thread = nullptr;
};

// Records what a stream delivers, from its I/O thread.
class DeliveryLog
{
public:
    TxStream::DataReceiver receiver()
    {
        return [this](const QString& text, int offset) {
            QMutexLocker lock(&m_mutex);
            m_items.append({text, offset, QThread::currentThread()});
        };
    }

    QList<Delivery> items() const
    {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }

    qsizetype size() const { return items().size(); }

private:
    mutable QMutex m_mutex;
    QList<Delivery> m_items;
};

} // namespace

TEST(TxStreamUdp, WholeImageWithBreakupArrivesIn21PiecesAndRebuildsExactly)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
    EXPECT_TRUE(stream->protocol().isAttached());

    const QString image = testImage();
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(stream->protocol().sendTextBlock(image, false, 0, true), TxStream::StatusOk);
    // The sender does not wait out the pauses, and what it sends next follows
    // the last piece.
    EXPECT_LT(timer.elapsed(), 40);
    ASSERT_EQ(stream->protocol().sendUpdateTrigger(), TxStream::StatusOk);

    QList<RtdMessage> messages = decodeAll(board.receive(22));
    // 2 ms after each of 21 pieces on the stream's thread; only loose bounds
    // (timings belong in bench/).
    EXPECT_GE(timer.elapsed(), 40);
    ASSERT_EQ(messages.size(), 22);
    EXPECT_EQ(messages.last().offset, RtdProtocol::UpdateTriggerOffset);
    EXPECT_TRUE(messages.last().update);
    messages.removeLast();
    QByteArray rebuilt(RtdProtocol::ImageLength, ' ');
    for (int i = 0; i < messages.size(); ++i) {
        const RtdMessage& m = messages[i];
        ASSERT_EQ(m.type, RtdMessage::TextBlock) << "piece " << i;
        EXPECT_EQ(m.offset, i * 475);
        EXPECT_LE(m.bytes.size(), 475);
        EXPECT_FALSE(m.update);
        rebuilt.replace(m.offset, m.bytes.size(), m.bytes);
    }
    EXPECT_EQ(messages.last().bytes.size(), 193);
    EXPECT_EQ(QString::fromLatin1(rebuilt), QString(image).replace(QChar(0x20AC), QLatin1Char('?')));
}

TEST(TxStreamUdp, TheSenderWaitsOnlyWhenTheStreamThreadIsAboutThreeImagesBehind)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    stream->protocol().setPieceDelay(std::chrono::milliseconds(20)); // 21 pieces: 420 ms an image
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    const QString image = testImage();

    // Three whole images (about 30 KB) are taken at once.
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(stream->protocol().sendTextBlock(image, false, 0, true), TxStream::StatusOk);
    EXPECT_LT(timer.elapsed(), 400);
    // A fourth would pass TxStream::MaxQueuedBytes: its sender waits for the
    // three before it, pauses included.
    timer.restart();
    ASSERT_EQ(stream->protocol().sendTextBlock(image, false, 0, true), TxStream::StatusOk);
    EXPECT_GE(timer.elapsed(), 800);

    const QList<RtdMessage> messages = decodeAll(board.receive(84));
    ASSERT_EQ(messages.size(), 84);
    for (int i = 0; i < messages.size(); ++i)
        EXPECT_EQ(messages[i].offset, (i % 21) * 475) << "piece " << i;
}

TEST(TxStreamUdp, PiecesThatFailAfterTheSenderWentOnAreReported)
{
    // Bound to an IPv4 address, the socket cannot reach an IPv6 destination:
    // the send is accepted, and the failure comes from the stream's thread.
    auto stream = udpStream(freeUdpPort());
    stream->setDestinationHost(QStringLiteral("::1"));
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
    QMutex mutex;
    QStringList problems;
    QObject::connect(
        stream.get(), &TxStream::problem, stream.get(),
        [&](const QString& text) {
            QMutexLocker lock(&mutex);
            problems.append(text);
        },
        Qt::DirectConnection);

    ASSERT_EQ(stream->protocol().sendTextBlock(QString(1000, QLatin1Char('A')), false, 0, true),
              TxStream::StatusOk);
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return !problems.isEmpty();
    }));
    QMutexLocker lock(&mutex);
    EXPECT_TRUE(problems.first().startsWith(QStringLiteral("Sending "))) << problems.first().toStdString();
    EXPECT_EQ(stream->lastError(), problems.first());
}

TEST(TxStreamUdp, BreakupHonoursBaseOffsetAndUpdateFlagOnEveryPiece)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);

    ASSERT_EQ(stream->protocol().sendTextBlock(QString(1000, QLatin1Char('B')), true, 806, true), 0);
    QList<RtdMessage> messages = decodeAll(board.receive(3));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0].offset, 806);
    EXPECT_EQ(messages[1].offset, 806 + 475);
    EXPECT_EQ(messages[2].offset, 806 + 950);
    EXPECT_EQ(messages[2].bytes.size(), 50);
    for (const RtdMessage& m : messages)
        EXPECT_TRUE(m.update);

    // Exactly one piece's length goes out once, with or without breakup.
    ASSERT_EQ(stream->protocol().sendTextBlock(QString(475, QLatin1Char('C')), false, 0, true), 0);
    messages = decodeAll(board.receive(1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].bytes.size(), 475);
}

TEST(TxStreamUdp, WithoutBreakupTheTextGoesOnceUnlessItCannotFitOneMessage)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);

    ASSERT_EQ(stream->protocol().sendTextBlock(testImage(), true, 137, false), 0);
    QList<RtdMessage> messages = decodeAll(board.receive(1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].offset, 137);
    EXPECT_EQ(messages[0].bytes.size(), RtdProtocol::ImageLength);

    ASSERT_EQ(stream->protocol().sendTextBlock(QString(70000, QLatin1Char('L')), false, 0, false), 0);
    messages = decodeAll(board.receive(2));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].bytes.size(), RtdProtocol::MaxTextPerMessage);
    EXPECT_EQ(messages[1].offset, RtdProtocol::MaxTextPerMessage);
    EXPECT_EQ(messages[0].bytes.size() + messages[1].bytes.size(), 70000);

    ASSERT_EQ(stream->protocol().sendTextBlock(QString(), false, 12, true), 0);
    messages = decodeAll(board.receive(1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].type, RtdMessage::TextBlock);
    EXPECT_TRUE(messages[0].bytes.isEmpty());

    EXPECT_LT(stream->protocol().sendTextBlock(QStringLiteral("xx"), false, 2147483647, false), 0);
    EXPECT_TRUE(stream->lastError().contains(QStringLiteral("out of range")));
}

TEST(TxStreamUdp, DisplayCommandsAndTheUpdateTrigger)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);

    ASSERT_EQ(stream->protocol().playSequence(1, 0, 3, QStringLiteral("C"), QStringLiteral("RODEO"),
                                              QStringLiteral("BAREBACK \u00C9")),
              0);
    ASSERT_EQ(stream->protocol().showFrame(2, 20), 0);
    ASSERT_EQ(stream->protocol().sendUpdateTrigger(), 0);
    const QList<RtdMessage> messages = decodeAll(board.receive(3));
    ASSERT_EQ(messages.size(), 3);

    EXPECT_EQ(messages[0].type, RtdMessage::PlaySequence);
    EXPECT_EQ(messages[0].sign, 1);
    EXPECT_EQ(messages[0].mode, 0);
    EXPECT_EQ(messages[0].times, 3);
    EXPECT_EQ(messages[0].drive, "C");
    EXPECT_EQ(messages[0].library, "RODEO");
    EXPECT_EQ(messages[0].sequence, QByteArray("BAREBACK \xC9"));

    EXPECT_EQ(messages[1].type, RtdMessage::ShowFrame);
    EXPECT_EQ(messages[1].sign, 2);
    EXPECT_EQ(messages[1].frame, 20);

    EXPECT_EQ(messages[2].type, RtdMessage::TextBlock);
    EXPECT_EQ(messages[2].offset, 9694);
    EXPECT_EQ(messages[2].text(), QStringLiteral(" "));
    EXPECT_TRUE(messages[2].update);
}

TEST(TxStreamUdp, SendTextGoesAsItStands)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    const QString line = QStringLiteral("\x1B=%  1 SMITH \u00E9\u4E00");
    ASSERT_EQ(stream->sendText(line), 0);
    const QList<QByteArray> datagrams = board.receive(1);
    ASSERT_EQ(datagrams.size(), 1);
    EXPECT_EQ(datagrams[0], QByteArray("\x1B=%  1 SMITH \xE9?"));
}

TEST(TxStreamUdp, OutputOnlyStreamNeverBindsItsPort)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    ASSERT_EQ(stream->sendText(QStringLiteral("before")), 0);

    // The scoreboard on this machine can still take the port while we send to it.
    QUdpSocket board;
    ASSERT_TRUE(board.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress))
        << board.errorString().toStdString();
    ASSERT_EQ(stream->sendText(QStringLiteral("hello board")), 0);
    ASSERT_TRUE(board.waitForReadyRead(3000));
    EXPECT_EQ(board.receiveDatagram().data(), QByteArray("hello board"));
}

TEST(TxStreamUdp, ReceivedDataReachesTheReceiverOnTheStreamsThread)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port, QStringLiteral("TK2 Timer"));
    DeliveryLog log;
    stream->setDataReceiver(log.receiver());
    ASSERT_EQ(stream->setReceiving(true), 0);
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();

    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(static_cast<char>(255 - i));
    QByteArray large(65507, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 31);
    const QByteArray invalidUtf8("\xC3\x28\xFF\xFE", 4);

    QUdpSocket console;
    const QHostAddress to(QHostAddress::LocalHost);
    const QList<QByteArray> sent{QByteArray("0:12.345 "),
                                 QByteArray(),
                                 binary,
                                 invalidUtf8,
                                 large,
                                 RtdProtocol::encodeTextBlock(230, "  12.345", false),
                                 RtdProtocol::encodeShowFrame(1, 2),
                                 QByteArray("last")};
    for (const QByteArray& datagram : sent) {
        ASSERT_EQ(console.writeDatagram(datagram, to, port), datagram.size());
        QThread::msleep(5); // keep the order and the receive buffer easy
    }

    ASSERT_TRUE(waitUntil([&] { return log.size() >= 7; })) << "delivered " << log.size();
    QThread::msleep(50);
    const QList<Delivery> items = log.items();
    ASSERT_EQ(items.size(), 7) << "the show frame command is not delivered";
    EXPECT_EQ(items[0].text, QStringLiteral("0:12.345 "));
    EXPECT_TRUE(items[1].text.isEmpty());
    EXPECT_EQ(items[2].text, QString::fromLatin1(binary));
    EXPECT_EQ(items[3].text.size(), 4);
    EXPECT_EQ(items[3].text, QString::fromLatin1(invalidUtf8));
    EXPECT_EQ(items[4].text.size(), 65507);
    EXPECT_EQ(items[4].text, QString::fromLatin1(large));
    EXPECT_EQ(items[5].text, QStringLiteral("  12.345"));
    EXPECT_EQ(items[5].offset, 230);
    EXPECT_EQ(items[6].text, QStringLiteral("last"));
    for (const Delivery& item : items) {
        EXPECT_EQ(item.thread, stream->ioThread());
        EXPECT_NE(item.thread, QThread::currentThread());
        if (item.text != QStringLiteral("  12.345")) {
            EXPECT_EQ(item.offset, 0);
        }
    }
}

TEST(TxStreamUdp, ReceivingBindsAndReleasesThePortWhileOpen)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    DeliveryLog log;
    stream->setDataReceiver(log.receiver());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    EXPECT_FALSE(stream->isReceiving());

    ASSERT_EQ(stream->setReceiving(true), 0);
    EXPECT_TRUE(stream->isReceiving());
    QUdpSocket other;
    EXPECT_FALSE(other.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress));
    QUdpSocket console;
    console.writeDatagram(QByteArray("tick"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return log.size() == 1; }));

    ASSERT_EQ(stream->setReceiving(false), 0);
    EXPECT_FALSE(stream->isReceiving());
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress))
        << other.errorString().toStdString();

    // Now the port is taken: enabling fails, and the stream still sends.
    EXPECT_LT(stream->setReceiving(true), 0);
    EXPECT_FALSE(stream->isReceiving());
    EXPECT_TRUE(stream->lastError().contains(QString::number(port))) << stream->lastError().toStdString();
    EXPECT_EQ(stream->sendText(QStringLiteral("still sending")), 0);
    ASSERT_TRUE(other.waitForReadyRead(3000));
    EXPECT_EQ(other.receiveDatagram().data(), QByteArray("still sending"));
}

TEST(TxStreamUdp, PortInUseFailsToOpenAndOtherStreamsKeepWorking)
{
    QUdpSocket squatter;
    ASSERT_TRUE(squatter.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    const int taken = squatter.localPort();

    auto timer = udpStream(taken, QStringLiteral("TK2 Timer"));
    timer->setReceiving(true);
    EXPECT_LT(timer->open(), 0);
    EXPECT_FALSE(timer->isOpen());
    EXPECT_EQ(timer->ioThread(), nullptr);
    EXPECT_TRUE(timer->lastError().contains(QString::number(taken))) << timer->lastError().toStdString();

    UdpCollector board;
    auto rip = udpStream(board.port());
    ASSERT_EQ(rip->open(), TxStream::StatusOk);
    ASSERT_EQ(rip->protocol().showFrame(1, 5), 0);
    const QList<RtdMessage> messages = decodeAll(board.receive(1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].frame, 5);

    // Once the port is free the same stream opens.
    squatter.close();
    EXPECT_EQ(timer->open(), TxStream::StatusOk) << timer->lastError().toStdString();
}

TEST(TxStreamUdp, TwoThreadsSendingAtOnceNeverInterleaveAMessage)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    stream->protocol().setPieceDelay(std::chrono::microseconds(0));

    constexpr int PerThread = 60;
    std::atomic<int> failures{0};
    auto sender = [&](char letter) {
        for (int i = 0; i < PerThread; ++i) {
            // 700 characters: two pieces each.
            if (stream->protocol().sendTextBlock(QString(700, QLatin1Char(letter)), false, i, true) != 0)
                ++failures;
        }
    };
    std::thread a(sender, 'a');
    std::thread b(sender, 'b');
    const QList<QByteArray> datagrams = board.receive(4 * PerThread, 10000);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_EQ(datagrams.size(), 4 * PerThread);
    int counts[2] = {0, 0};
    for (const RtdMessage& m : decodeAll(datagrams)) {
        ASSERT_EQ(m.type, RtdMessage::TextBlock);
        const char letter = m.bytes.at(0);
        ASSERT_TRUE(letter == 'a' || letter == 'b');
        EXPECT_EQ(m.bytes, QByteArray(m.bytes.size(), letter));
        ++counts[letter - 'a'];
    }
    EXPECT_EQ(counts[0], 2 * PerThread);
    EXPECT_EQ(counts[1], 2 * PerThread);
}

// A short send is written by the sender's own thread once the socket is
// known; pieces with pauses still go out on the stream's thread. Whichever
// writes them, one thread's datagrams leave in the order it sent them, also
// after the socket was closed and made again.
TEST(TxStreamUdp, DatagramsLeaveInTheOrderSentWhicheverThreadWritesThem)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    stream->protocol().setPieceDelay(std::chrono::milliseconds(2));
    const QString image = testImage();
    constexpr int Rounds = 4;
    QList<QByteArray> datagrams;
    for (int round = 0; round < Rounds; ++round) {
        if (round % 2 == 0) {
            ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
        }
        ASSERT_EQ(stream->protocol().showFrame(1, round), TxStream::StatusOk);
        ASSERT_EQ(stream->protocol().sendTextBlock(image, false, 0, true), TxStream::StatusOk);
        ASSERT_EQ(stream->protocol().showFrame(2, round), TxStream::StatusOk);
        ASSERT_EQ(stream->protocol().sendUpdateTrigger(), TxStream::StatusOk);
        if (round % 2 == 1) {
            // Everything handed over is out before the socket closes.
            datagrams += board.receive(24 * 2);
            stream->close();
        }
    }
    ASSERT_EQ(datagrams.size(), 24 * Rounds);
    const QList<RtdMessage> messages = decodeAll(datagrams);
    ASSERT_EQ(messages.size(), 24 * Rounds);
    for (int round = 0; round < Rounds; ++round) {
        const RtdMessage* m = messages.constData() + 24 * round;
        EXPECT_EQ(m[0].frame, round) << "round " << round;
        EXPECT_EQ(m[0].sign, 1);
        for (int i = 0; i < 21; ++i)
            EXPECT_EQ(m[1 + i].offset, i * 475) << "round " << round << ", piece " << i;
        EXPECT_EQ(m[22].sign, 2) << "round " << round;
        EXPECT_EQ(m[23].offset, RtdProtocol::UpdateTriggerOffset) << "round " << round;
    }
}

TEST(TxStreamUdp, ReceiverMaySendOnItsOwnAndOtherStreams)
{
    UdpCollector board;
    auto rip = udpStream(board.port());
    ASSERT_EQ(rip->open(), TxStream::StatusOk);

    // The timer stream sends to its own port, so its answer comes back to it.
    const int timerPort = freeUdpPort();
    auto timer = udpStream(timerPort, QStringLiteral("Timer"));
    std::atomic<int> ownStatus{1};
    std::atomic<int> otherStatus{1};
    std::atomic<int> answers{0};
    timer->setDataReceiver([&](const QString& text, int offset) {
        if (text == QStringLiteral("ack")) {
            ++answers;
            return;
        }
        // What a result saved from the timer thread does: send to the scoreboards.
        otherStatus = rip->protocol().sendTextBlock(text, true, offset, true);
        ownStatus = timer->sendText(QStringLiteral("ack"));
    });
    ASSERT_EQ(timer->setReceiving(true), 0);
    ASSERT_EQ(timer->open(), TxStream::StatusOk);

    QUdpSocket console;
    console.writeDatagram(RtdProtocol::encodeTextBlock(230, QByteArray(600, '7'), false),
                          QHostAddress::LocalHost, timerPort);
    ASSERT_TRUE(waitUntil([&] { return answers.load() == 1; }));
    EXPECT_EQ(otherStatus.load(), 0);
    EXPECT_EQ(ownStatus.load(), 0);
    const QList<RtdMessage> messages = decodeAll(board.receive(2));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].offset, 230);
    EXPECT_EQ(messages[1].offset, 230 + 475);
}

TEST(TxStreamUdp, ReceiverThatThrowsIsReportedAndDeliveryGoesOn)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    std::atomic<int> calls{0};
    stream->setDataReceiver([&](const QString& text, int) {
        ++calls;
        if (text == QStringLiteral("boom"))
            throw std::runtime_error("bad block");
    });
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    QUdpSocket console;
    console.writeDatagram(QByteArray("boom"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return calls.load() == 1; }));
    console.writeDatagram(QByteArray("fine"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return calls.load() == 2; }));
    EXPECT_TRUE(stream->lastError().contains(QStringLiteral("bad block")))
        << stream->lastError().toStdString();
    EXPECT_TRUE(stream->isOpen());
}

TEST(TxStreamUdp, ReplacedReceiverIsNeverCalledAgain)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    DeliveryLog first;
    DeliveryLog second;
    stream->setDataReceiver(first.receiver());
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    QUdpSocket console;
    console.writeDatagram(QByteArray("one"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return first.size() == 1; }));

    stream->setDataReceiver(second.receiver());
    console.writeDatagram(QByteArray("two"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return second.size() == 1; }));
    EXPECT_EQ(first.size(), 1);

    // Disabled receiving delivers nothing, and the port is free again.
    ASSERT_EQ(stream->setReceiving(false), 0);
    QUdpSocket other;
    EXPECT_TRUE(other.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress));
}

namespace {

// Read by the receiver below after it replaced itself: globals, because its own
// captures are exactly what must not be touched if it was destroyed.
std::weak_ptr<int> g_receiverToken;
std::atomic<int> g_tokenAliveAfterReplace{-1};
std::atomic<int> g_selfReplacingCalls{0};

} // namespace

TEST(TxStreamUdp, AReceiverMayReplaceItselfWhileItRuns)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    TxStream* raw = stream.get();
    auto token = std::make_shared<int>(7);
    g_receiverToken = token;
    g_tokenAliveAfterReplace = -1;
    g_selfReplacingCalls = 0;
    // The receiver's closure owns the token; the stream's copies are the only
    // ones once the test lets go of it.
    stream->setDataReceiver([raw, token](const QString&, int) {
        ++g_selfReplacingCalls;
        raw->setDataReceiver(nullptr); // the receiver that runs must live on until it returns
        g_tokenAliveAfterReplace = g_receiverToken.expired() ? 0 : 1;
    });
    token.reset();
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);

    QUdpSocket console;
    console.writeDatagram(QByteArray("once"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return g_tokenAliveAfterReplace.load() >= 0; }));
    EXPECT_EQ(g_tokenAliveAfterReplace.load(), 1) << "the running receiver was destroyed under its own feet";

    // Replaced means never called again, and the closure is released.
    console.writeDatagram(QByteArray("twice"), QHostAddress::LocalHost, port);
    QThread::msleep(100);
    EXPECT_EQ(g_selfReplacingCalls.load(), 1);
    EXPECT_TRUE(waitUntil([] { return g_receiverToken.expired(); }));
}

TEST(TxStreamUdp, TrafficTapSeesBothDirections)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    stream->setDestinationHost(QStringLiteral("localhost"));
    stream->setUdpPort(port);

    QMutex mutex;
    QList<QPair<TxStream::Direction, QByteArray>> seen;
    QObject::connect(
        stream.get(), &TxStream::traffic, stream.get(),
        [&](TxStream::Direction direction, const QByteArray& bytes, qint64 when) {
            EXPECT_GT(when, 0);
            QMutexLocker lock(&mutex);
            seen.append({direction, bytes});
        },
        Qt::DirectConnection);
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();

    // Sent to ourselves: the same datagram is seen going out and coming in.
    ASSERT_EQ(stream->protocol().showFrame(3, 4), 0);
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return seen.size() == 2;
    }));
    QMutexLocker lock(&mutex);
    EXPECT_EQ(seen[0].first, TxStream::Sent);
    EXPECT_EQ(seen[0].second, RtdProtocol::numbered(RtdProtocol::encodeShowFrame(3, 4), 1));
    EXPECT_EQ(seen[1].first, TxStream::Received);
    EXPECT_EQ(seen[1].second, seen[0].second);
}

TEST(TxStreamUdp, CloseEndsTheThreadAndSendingFailsAfterwards)
{
    UdpCollector board;
    auto stream = udpStream(board.port());
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    QThread* thread = stream->ioThread();
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->isRunning());
    std::atomic<bool> finished{false};
    QObject::connect(
        thread, &QThread::finished, thread, [&] { finished = true; }, Qt::DirectConnection);

    EXPECT_EQ(stream->close(), TxStream::StatusOk);
    EXPECT_TRUE(finished.load());
    EXPECT_EQ(stream->ioThread(), nullptr);
    EXPECT_FALSE(stream->isOpen());
    EXPECT_FALSE(stream->protocol().isAttached());
    EXPECT_EQ(stream->statusText(), QStringLiteral("Closed"));
    EXPECT_EQ(stream->sendText(QStringLiteral("late")), TxStream::StatusNotOpen);
    EXPECT_EQ(stream->protocol().showFrame(1, 1), TxStream::StatusNotOpen);
    EXPECT_EQ(stream->close(), TxStream::StatusOk) << "closing twice is harmless";

    // Reopening starts a fresh thread.
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    ASSERT_EQ(stream->sendText(QStringLiteral("again")), 0);
    EXPECT_EQ(board.receive(1).value(0), QByteArray("again"));
}

TEST(TxStreamUdp, ThreadThatDoesNotEndIsReportedNotKilled)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port, QStringLiteral("Stuck"));
    QSemaphore entered;
    QSemaphore release;
    stream->setDataReceiver([&](const QString&, int) {
        entered.release();
        release.acquire();
    });
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    QUdpSocket console;
    console.writeDatagram(QByteArray("hang"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(entered.tryAcquire(1, 5000));

    // A send from another thread gives up instead of waiting for ever.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(stream->sendText(QStringLiteral("blocked")), TxStream::StatusTimedOut);
    EXPECT_GE(timer.elapsed(), 4500);
    EXPECT_TRUE(stream->lastError().contains(QStringLiteral("timed out")))
        << stream->lastError().toStdString();

    timer.restart();
    EXPECT_EQ(stream->close(), TxStream::StatusTimedOut);
    EXPECT_GE(timer.elapsed(), 4500);
    EXPECT_TRUE(stream->lastError().contains(QStringLiteral("did not end")))
        << stream->lastError().toStdString();
    EXPECT_FALSE(stream->isOpen());
    EXPECT_EQ(stream->ioThread(), nullptr);

    release.release();
    // The stream is usable again; the old thread ends on its own.
    stream->setDataReceiver(nullptr);
    stream->setReceiving(false);
    EXPECT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
}

TEST(TxStreamUdp, ReceiverMayDeleteItsOwnStream)
{
    const int port = freeUdpPort();
    auto stream = udpStream(port);
    TxStream* raw = stream.get();
    std::atomic<bool> deleted{false};
    stream->setDataReceiver([&](const QString&, int) {
        // The datagram below is sent after this thread's last use of the
        // stream: a hand-over the sanitizer cannot see by itself.
        ThreadHandOff::acquired(raw);
        delete raw;
        deleted = true;
    });
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    QThread* thread = stream->ioThread();
    // Connected while the thread runs: the slot touches nothing but a static.
    static std::atomic<bool> finished;
    finished = false;
    QObject::connect(
        thread, &QThread::finished, thread, [] { finished = true; }, Qt::DirectConnection);
    stream.release(); // the receiver owns it now
    ThreadHandOff::released(raw);

    QUdpSocket console;
    console.writeDatagram(QByteArray("bye"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return deleted.load() && finished.load(); }));
    // The port is free again once the thread ended.
    QUdpSocket other;
    EXPECT_TRUE(waitUntil(
        [&] { return other.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress); }));
}
