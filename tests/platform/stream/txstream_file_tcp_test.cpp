// File and TCP streams: byte streams that a receiver decodes by re-synchronising.
#include "platform/stream/rtddecoder.h"
#include "platform/stream/txstream.h"
#include "streamtesthelpers.h"

#include <QFile>
#include <QMutex>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<RtdMessage> decodeStream(const QByteArray& bytes)
{
    RtdDecoder decoder;
    decoder.feed(bytes);
    decoder.flush();
    return decoder.takeMessages();
}

std::unique_ptr<TxStream> fileStream(const QString& path)
{
    auto stream = std::make_unique<TxStream>();
    stream->setKind(TxStream::File);
    stream->setName(QStringLiteral("Log file"));
    stream->setFileName(path);
    return stream;
}

// Reads from a connected socket until pred holds on what arrived.
QByteArray readUntil(QTcpSocket& socket, const std::function<bool(const QByteArray&)>& pred,
                     int timeoutMs = 5000)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (!pred(data) && timer.elapsed() < timeoutMs) {
        if (socket.bytesAvailable() == 0)
            socket.waitForReadyRead(50);
        data += socket.readAll();
    }
    return data;
}

} // namespace

TEST(TxStreamFile, AppendsFramesAndTextToTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board.out"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("HEAD");
    }
    auto stream = fileStream(path);
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
    ASSERT_EQ(stream->protocol().sendTextBlock(QString(500, QLatin1Char('x')), true, 10, true), 0);
    ASSERT_EQ(stream->sendText(QStringLiteral("plain\r\n")), 0);
    // Written through at once, not when the stream closes.
    EXPECT_TRUE(readFile(path).endsWith("plain\r\n"));
    ASSERT_EQ(stream->close(), 0);

    // A second session appends rather than truncates.
    ASSERT_EQ(stream->open(), TxStream::StatusOk);
    ASSERT_EQ(stream->protocol().showFrame(1, 9), 0);
    ASSERT_EQ(stream->close(), 0);

    const QList<RtdMessage> messages = decodeStream(readFile(path));
    ASSERT_EQ(messages.size(), 5);
    EXPECT_EQ(messages[0].bytes, QByteArray("HEAD"));
    EXPECT_EQ(messages[1].offset, 10);
    EXPECT_EQ(messages[2].offset, 10 + 475);
    EXPECT_TRUE(messages[2].update);
    EXPECT_EQ(messages[3].bytes, QByteArray("plain\r\n"));
    EXPECT_EQ(messages[4].type, RtdMessage::ShowFrame);
    EXPECT_EQ(messages[4].frame, 9);
}

TEST(TxStreamFile, TwoThreadsWritingAtOnceLeaveOnlyWholeMessages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("both.out"));
    auto stream = fileStream(path);
    ASSERT_EQ(stream->open(), TxStream::StatusOk);

    constexpr int PerThread = 200;
    std::atomic<int> failures{0};
    auto writer = [&](char letter) {
        for (int i = 0; i < PerThread; ++i) {
            if (stream->protocol().sendTextBlock(QString(100 + i, QLatin1Char(letter)), false, i, false) != 0)
                ++failures;
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    ASSERT_EQ(stream->close(), 0);
    EXPECT_EQ(failures.load(), 0);

    const QList<RtdMessage> messages = decodeStream(readFile(path));
    ASSERT_EQ(messages.size(), 2 * PerThread);
    for (const RtdMessage& m : messages) {
        ASSERT_EQ(m.type, RtdMessage::TextBlock);
        EXPECT_EQ(m.bytes.size(), 100 + m.offset);
        EXPECT_EQ(m.bytes, QByteArray(m.bytes.size(), m.bytes.at(0)));
    }
}

TEST(TxStreamTcp, ImageWithBreakupReachesAServerAsWholeFrames)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setTcpHost(QStringLiteral("127.0.0.1"));
    stream.setTcpPort(server.serverPort());
    ASSERT_EQ(stream.open(), TxStream::StatusOk) << stream.lastError().toStdString();
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_NE(peer, nullptr);

    ASSERT_EQ(
        stream.protocol().sendTextBlock(QString(RtdProtocol::ImageLength, QLatin1Char('#')), false, 0, true),
        0);
    const QByteArray data = readUntil(*peer, [](const QByteArray& d) { return d.count("RTD\x01") >= 21; });
    const QList<RtdMessage> messages = decodeStream(data);
    ASSERT_EQ(messages.size(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(messages[i].offset, i * 475);
}

TEST(TxStreamTcp, ReceivedBytesAreDecodedAcrossSplitWrites)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setTcpPort(server.serverPort());
    QMutex mutex;
    QList<QPair<QString, int>> received;
    stream.setDataReceiver([&](const QString& text, int offset) {
        QMutexLocker lock(&mutex);
        received.append({text, offset});
    });
    stream.setReceiving(true);
    ASSERT_EQ(stream.open(), TxStream::StatusOk);
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();

    const QByteArray frame = RtdProtocol::encodeTextBlock(230, " 1:02.345", false);
    peer->write(QByteArray("noise") + frame.left(7));
    peer->flush();
    peer->waitForBytesWritten(1000);
    QThread::msleep(50);
    peer->write(frame.mid(7));
    peer->flush();
    peer->waitForBytesWritten(1000);

    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return received.size() == 2;
    }));
    QMutexLocker lock(&mutex);
    EXPECT_EQ(received[0], qMakePair(QStringLiteral("noise"), 0));
    EXPECT_EQ(received[1], qMakePair(QStringLiteral(" 1:02.345"), 230));
}

// A false header claiming a long frame holds the frames behind it back only
// until the stall time-out; then they come through.
TEST(TxStreamTcp, AFalseHeaderIsGivenUpAfterTheStallTimeOut)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setTcpPort(server.serverPort());
    QMutex mutex;
    QList<QPair<QString, int>> received;
    stream.setDataReceiver([&](const QString& text, int offset) {
        QMutexLocker lock(&mutex);
        received.append({text, offset});
    });
    stream.setReceiving(true);
    ASSERT_EQ(stream.open(), TxStream::StatusOk);
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();

    const QByteArray falseHeader = RtdProtocol::encodeTextBlock(0, QByteArray(3000, 'Z'), false).left(10);
    peer->write(falseHeader + RtdProtocol::encodeTextBlock(230, "   12.34", false));
    peer->flush();
    peer->waitForBytesWritten(1000);
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return received.size() == 2;
    }, RtdDecoder::StallTimeoutMs + 3000));
    EXPECT_GE(waited.elapsed(), RtdDecoder::StallTimeoutMs - 100);
    QMutexLocker lock(&mutex);
    EXPECT_EQ(received[0].first.size(), 10) << "the false header, as bytes outside messages";
    EXPECT_EQ(received[1], qMakePair(QStringLiteral("   12.34"), 230));
}

TEST(TxStreamTcp, PeerGoingAwayIsReportedAndOtherStreamsCarryOn)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setName(QStringLiteral("Board"));
    stream.setTcpPort(server.serverPort());
    std::atomic<int> statusChanges{0};
    QObject::connect(
        &stream, &TxStream::statusChanged, &stream, [&] { ++statusChanges; }, Qt::DirectConnection);
    ASSERT_EQ(stream.open(), TxStream::StatusOk);
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();
    EXPECT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.statusText(), QStringLiteral("Open"));

    UdpCollector board;
    TxStream other;
    other.setKind(TxStream::Udp);
    other.setUdpPort(board.port());
    ASSERT_EQ(other.open(), TxStream::StatusOk);

    peer->abort();
    ASSERT_TRUE(waitUntil([&] { return !stream.isOpen(); }));
    EXPECT_TRUE(stream.statusText().startsWith(QStringLiteral("Failed: ")))
        << stream.statusText().toStdString();
    EXPECT_GE(statusChanges.load(), 2);
    EXPECT_LT(stream.sendText(QStringLiteral("gone")), 0);

    EXPECT_EQ(other.sendText(QStringLiteral("alive")), 0);
    EXPECT_EQ(board.receive(1).value(0), QByteArray("alive"));
    EXPECT_EQ(stream.close(), 0);
    EXPECT_EQ(stream.statusText(), QStringLiteral("Closed"));
}

TEST(TxStreamTcp, NobodyListeningFailsToOpen)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    server.close();

    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setTcpPort(port);
    EXPECT_LT(stream.open(), 0);
    EXPECT_FALSE(stream.isOpen());
    EXPECT_TRUE(stream.lastError().contains(QString::number(port))) << stream.lastError().toStdString();
}
