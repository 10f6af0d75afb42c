// Receivers that fall behind: a serial line whose other end reads slowly or not
// at all, a TCP peer that never reads, and a serial device that goes away.
#include "platform/stream/rtddecoder.h"
#include "platform/stream/txstream.h"
#include "streamtesthelpers.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

namespace {

// A pseudo-terminal standing in for a scoreboard on a serial line: the stream
// opens the device end, the test reads the other end on a thread of its own,
// or stops reading to play a receiver that fell behind.
class PtyBoard
{
public:
    PtyBoard()
    {
        int device = -1;
        char name[256] = {};
        if (openpty(&m_master, &device, name, nullptr, nullptr) != 0)
            return;
        m_device = QString::fromLocal8Bit(name);
        ::close(device); // the stream opens it by name
    }

    ~PtyBoard()
    {
        stopReading();
        closeMaster();
    }

    QString device() const { return m_device; }

    // Reads what arrives, chunkBytes at a time with a short rest after each.
    void startReading(int chunkBytes)
    {
        m_stop = false;
        m_reader = std::thread([this, chunkBytes] {
            QByteArray chunk(chunkBytes, Qt::Uninitialized);
            while (!m_stop) {
                pollfd ready{m_master, POLLIN, 0};
                if (::poll(&ready, 1, 20) <= 0)
                    continue;
                const ssize_t count = ::read(m_master, chunk.data(), size_t(chunkBytes));
                if (count > 0) {
                    std::lock_guard lock(m_mutex);
                    m_received.append(chunk.constData(), count);
                    m_lastArrival.start();
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }

    void stopReading()
    {
        m_stop = true;
        if (m_reader.joinable())
            m_reader.join();
    }

    // True once nothing has arrived for quietMs.
    bool quietFor(int quietMs) const
    {
        std::lock_guard lock(m_mutex);
        return m_lastArrival.isValid() && m_lastArrival.elapsed() >= quietMs;
    }

    QByteArray received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    // The line goes away: the kernel removes the device end with it.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_device;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_received;
    QElapsedTimer m_lastArrival;
};

// Image number i: a whole scoreboard of one letter, so that every piece tells
// which image it belongs to.
QString image(int i)
{
    return QString(RtdProtocol::ImageLength, QChar(QLatin1Char('A' + i)));
}

constexpr int PiecesPerImage = 21;

// Counts what the stream reports for the log.
struct ProblemCount
{
    explicit ProblemCount(TxStream& stream)
    {
        QObject::connect(
            &stream, &TxStream::problem, &stream, [this](const QString&) { ++count; }, Qt::DirectConnection);
    }
    std::atomic<int> count{0};
};

// Decodes a byte stream; every message must be a text block of one image.
// Checks that they come in the order they were sent (image by image, offset by
// offset) and returns them.
QList<RtdMessage> decodeImagesInOrder(const QByteArray& bytes)
{
    RtdDecoder decoder;
    decoder.feed(bytes);
    decoder.flush();
    const QList<RtdMessage> messages = decoder.takeMessages();
    QPair<char, int> previous{0, -1};
    for (const RtdMessage& m : messages) {
        EXPECT_EQ(m.type, RtdMessage::TextBlock) << "a broken message reached the receiver";
        if (m.type != RtdMessage::TextBlock || m.bytes.isEmpty())
            continue;
        EXPECT_EQ(m.bytes, QByteArray(m.bytes.size(), m.bytes.at(0)));
        const QPair<char, int> key{m.bytes.at(0), m.offset};
        EXPECT_LT(previous, key) << "out of order at image " << key.first << ", offset " << key.second;
        previous = key;
    }
    return messages;
}

} // namespace

TEST(TxStreamQueue, SerialLineThatFallsBehindGetsTheNewestWholeAndStaysOpen)
{
    PtyBoard board;
    ASSERT_FALSE(board.device().isEmpty()) << "no pseudo-terminal";
    TxStream stream;
    stream.setKind(TxStream::Serial);
    stream.setName(QStringLiteral("RIP line"));
    stream.setSerialDevice(board.device());
    ProblemCount problems(stream);
    ASSERT_EQ(stream.open(), TxStream::StatusOk) << stream.lastError().toStdString();

    // The sign has stopped reading: far more than the line and the queue hold.
    stream.protocol().setPieceDelay(std::chrono::microseconds(0));
    constexpr int Stalled = 20;
    for (int i = 0; i < Stalled; ++i) {
        ASSERT_EQ(stream.protocol().sendTextBlock(image(i), false, 0, true), TxStream::StatusOk)
            << stream.lastError().toStdString();
        ASSERT_LE(stream.queuedBytes(), TxStream::MaxQueuedBytes);
    }
    EXPECT_GT(stream.droppedPieces(), 0);
    EXPECT_EQ(problems.count.load(), 1) << "one report for one run of drops";
    EXPECT_TRUE(stream.isOpen());
    EXPECT_TRUE(stream.statusText().startsWith(QStringLiteral("Open (")))
        << stream.statusText().toStdString();

    // It reads again, slowly, while refreshes go on with their pauses.
    board.startReading(256);
    stream.protocol().setPieceDelay(std::chrono::microseconds(2000));
    constexpr int Total = 26;
    for (int i = Stalled; i < Total; ++i) {
        ASSERT_EQ(stream.protocol().sendTextBlock(image(i), false, 0, true), TxStream::StatusOk);
        ASSERT_LE(stream.queuedBytes(), TxStream::MaxQueuedBytes);
    }
    ASSERT_TRUE(waitUntil([&] { return stream.queuedBytes() == 0 && board.quietFor(300); }, 20000));
    board.stopReading();

    const QList<RtdMessage> messages = decodeImagesInOrder(board.received());
    // Every piece either arrived or was counted as dropped.
    EXPECT_EQ(messages.size() + stream.droppedPieces(), Total * PiecesPerImage);
    ASSERT_GE(messages.size(), PiecesPerImage);
    QByteArray last(RtdProtocol::ImageLength, ' ');
    for (qsizetype i = messages.size() - PiecesPerImage; i < messages.size(); ++i)
        last.replace(messages[i].offset, messages[i].bytes.size(), messages[i].bytes);
    EXPECT_EQ(QString::fromLatin1(last), image(Total - 1)) << "the newest image arrives whole";
    EXPECT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.statusText(),
              QStringLiteral("Open (0 bytes queued, %1 dropped)").arg(stream.droppedPieces()));
}

TEST(TxStreamQueue, TcpPeerThatNeverReadsKeepsTheQueueBoundedAndTheStreamOpen)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setName(QStringLiteral("Board"));
    stream.setTcpPort(server.serverPort());
    ProblemCount problems(stream);
    ASSERT_EQ(stream.open(), TxStream::StatusOk) << stream.lastError().toStdString();
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_NE(peer, nullptr);

    // Until the socket buffers are full and pieces begin to drop, then as much again.
    stream.protocol().setPieceDelay(std::chrono::microseconds(0));
    constexpr int MostImages = 3000;
    int sent = 0;
    int afterFirstDrop = 0;
    while (sent < MostImages && afterFirstDrop < 20) {
        ASSERT_EQ(stream.protocol().sendTextBlock(image(sent % 26), false, 0, true), TxStream::StatusOk)
            << stream.lastError().toStdString();
        ASSERT_LE(stream.queuedBytes(), TxStream::MaxQueuedBytes);
        ++sent;
        if (stream.droppedPieces() > 0)
            ++afterFirstDrop;
    }
    EXPECT_GT(stream.droppedPieces(), 0) << sent << " images went into the socket buffers";
    // The kernel may still make room now and then, which ends a run of drops.
    EXPECT_GE(problems.count.load(), 1);
    EXPECT_TRUE(stream.isOpen());
    EXPECT_TRUE(stream.statusText().startsWith(QStringLiteral("Open (")))
        << stream.statusText().toStdString();
    EXPECT_EQ(peer->state(), QAbstractSocket::ConnectedState);
}

TEST(TxStreamQueue, SerialDeviceThatGoesAwayFailsTheStream)
{
    PtyBoard board;
    ASSERT_FALSE(board.device().isEmpty()) << "no pseudo-terminal";
    TxStream stream;
    stream.setKind(TxStream::Serial);
    stream.setName(QStringLiteral("Timer line"));
    stream.setSerialDevice(board.device());
    ProblemCount problems(stream);
    ASSERT_EQ(stream.open(), TxStream::StatusOk) << stream.lastError().toStdString();
    board.startReading(4096);
    ASSERT_EQ(stream.sendText(QStringLiteral("before")), TxStream::StatusOk);
    ASSERT_TRUE(waitUntil([&] { return board.received() == "before"; }));
    board.stopReading();

    board.closeMaster();
    // Whether the stream notices by reading or by its next write, it fails.
    stream.sendText(QStringLiteral("after"));
    ASSERT_TRUE(waitUntil([&] { return !stream.isOpen(); })) << stream.statusText().toStdString();
    EXPECT_TRUE(stream.statusText().startsWith(QStringLiteral("Failed: ")))
        << stream.statusText().toStdString();
    EXPECT_EQ(problems.count.load(), 1);
    EXPECT_LT(stream.sendText(QStringLiteral("gone")), 0);
    EXPECT_EQ(stream.queuedBytes(), 0);
}
