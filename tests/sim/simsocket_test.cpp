// The simulators on real links of this machine: the program's stream
// component sends to the scoreboard simulator over UDP and TCP, the timing
// console simulator sends through a pseudo-terminal that a serial stream
// reads, and what a recording holds replays to the same board.
#include "platform/stream/rtdprotocol.h"
#include "platform/stream/txstream.h"
#include "sim/consolelink.h"
#include "sim/scoreboardlistener.h"
#include "sim/scoreboardreceiver.h"
#include "sim/timingconsoledriver.h"
#include "stream/streamtesthelpers.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A listener feeding a receiver, as the scoreboard window wires them.
struct Board
{
    Board()
    {
        clock.start();
        QObject::connect(&listener, &ScoreboardListener::datagramReceived, &listener,
                         [this](const QByteArray& b, const QString& from) { receiver.datagram(b, clock.elapsed(), from); });
        QObject::connect(&listener, &ScoreboardListener::bytesReceived, &listener,
                         [this](const QByteArray& b) { receiver.streamBytes(b, clock.elapsed()); });
        QObject::connect(&listener, &ScoreboardListener::streamEnded, &listener,
                         [this] { receiver.endOfStream(clock.elapsed()); });
    }
    QElapsedTimer clock;
    ScoreboardListener listener;
    ScoreboardReceiver receiver;
};

int freeTcpPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

// The program's stream sends a whole image with breakup and the update
// trigger; the board shows it, counts every piece, and a datagram damaged on
// the way is flagged without changing the image.
TEST(ScoreboardSimulatorUdp, ShowsTheProgramsImageAndFlagsACorruptedPacket)
{
    Board board;
    const int port = freeUdpPort();
    ASSERT_TRUE(board.listener.open({ScoreboardListener::Udp, port, QString(), 9600}))
        << board.listener.error().toStdString();
    EXPECT_EQ(board.listener.statusText(), QStringLiteral("Listening on UDP port %1").arg(port));

    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("board.scvrec"));
    ASSERT_TRUE(board.receiver.startRecording(recording, board.clock.elapsed()));

    TxStream program;
    program.setKind(TxStream::Udp);
    program.setUdpPort(port);
    ASSERT_EQ(program.open(), TxStream::StatusOk) << program.lastError().toStdString();
    program.protocol().setPieceDelay(std::chrono::microseconds(500));
    QByteArray image(RtdProtocol::ImageLength, '.');
    image.replace(806, 12, "WADE   12.34");
    ASSERT_EQ(program.protocol().sendTextBlock(QString::fromLatin1(image), false, 0, true), 0);
    ASSERT_EQ(program.protocol().sendUpdateTrigger(), 0);
    ASSERT_TRUE(waitUntil([&] { return board.receiver.image().updates() == 1; }));
    EXPECT_EQ(board.receiver.image().shown(), image);
    EXPECT_EQ(board.receiver.messages(), 22); // 21 pieces and the trigger
    EXPECT_EQ(board.receiver.lastNumber(), 22) << "the stream numbers its messages from 1";
    EXPECT_EQ(board.receiver.lostMessages(), 0);
    EXPECT_EQ(board.receiver.badPackets(), 0);

    QUdpSocket line;
    QByteArray damaged = RtdProtocol::encodeTextBlock(806, "EVIL", true);
    damaged[damaged.size() - 1] = char(damaged.back() ^ 0x01);
    line.writeDatagram(damaged, QHostAddress::LocalHost, quint16(port));
    ASSERT_TRUE(waitUntil([&] { return board.receiver.badPackets() == 1; }));
    EXPECT_EQ(board.receiver.image().shown(), image);
    EXPECT_TRUE(board.receiver.lastBadAt().has_value());
    EXPECT_GE(board.receiver.traffic().totalBytes(), image.size() + 21 * 14);
    board.receiver.stopRecording();

    // Replaying the recording rebuilds the same board, bad packet included.
    const std::optional<SimRecording> read = SimRecording::read(recording);
    ASSERT_TRUE(read);
    ScoreboardReceiver replayed;
    replayed.replay(*read);
    EXPECT_EQ(replayed.image().shown(), board.receiver.image().shown());
    EXPECT_EQ(replayed.messages(), 22);
    EXPECT_EQ(replayed.badPackets(), 1);
}

// A piece that never arrives shows up as a lost message.
TEST(ScoreboardSimulatorUdp, CountsAMissingNumberAsALostPiece)
{
    Board board;
    const int port = freeUdpPort();
    ASSERT_TRUE(board.listener.open({ScoreboardListener::Udp, port, QString(), 9600}));
    QUdpSocket line;
    for (quint8 number : {1, 2, 4, 5}) // 3 is lost on the way
        line.writeDatagram(RtdProtocol::numbered(RtdProtocol::encodeTextBlock(number * 10, "x", false), number),
                           QHostAddress::LocalHost, quint16(port));
    ASSERT_TRUE(waitUntil([&] { return board.receiver.messages() == 4; }));
    EXPECT_EQ(board.receiver.lostMessages(), 1);
}

// The program's TCP stream connects to the board; its frames arrive as a byte
// stream, and closing the connection releases what was held back.
TEST(ScoreboardSimulatorTcp, TakesTheProgramsConnection)
{
    Board board;
    const int port = freeTcpPort();
    ASSERT_TRUE(board.listener.open({ScoreboardListener::Tcp, port, QString(), 9600}))
        << board.listener.error().toStdString();
    int ended = 0;
    QObject::connect(&board.listener, &ScoreboardListener::streamEnded, [&] { ++ended; });
    {
        TxStream program;
        program.setKind(TxStream::Tcp);
        program.setTcpPort(port);
        ASSERT_EQ(program.open(), TxStream::StatusOk) << program.lastError().toStdString();
        ASSERT_EQ(program.protocol().showFrame(1, 20), 0);
        ASSERT_EQ(program.protocol().sendTextBlock(QStringLiteral("RESULT"), true, 806, true), 0);
        ASSERT_EQ(program.sendBytes("RTD"), 0);
        ASSERT_TRUE(waitUntil([&] { return board.receiver.image().updates() == 2; }));
        EXPECT_EQ(board.receiver.image().commandText(), QStringLiteral("Show frame: sign 1, frame 20"));
        EXPECT_EQ(board.receiver.image().shown().mid(806, 6), "RESULT");
        EXPECT_TRUE(board.listener.statusText().contains(QStringLiteral("connected from")));
    }
    ASSERT_TRUE(waitUntil([&] { return ended > 0; }));
    EXPECT_EQ(board.receiver.bytesOutsideMessages(), 3);
    EXPECT_EQ(board.receiver.lostMessages(), 0);
}

TEST(ScoreboardSimulatorUdp, AnOccupiedPortIsReported)
{
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::Any, 0));
    ScoreboardListener listener;
    EXPECT_FALSE(listener.open({ScoreboardListener::Udp, holder.localPort(), QString(), 9600}));
    EXPECT_TRUE(listener.statusText().startsWith(QStringLiteral("Failed: "))) << listener.statusText().toStdString();
    EXPECT_FALSE(listener.isOpen());
}

// The timing console on a pseudo-terminal, read by a serial stream as the
// program's timer port would: the stopped image arrives whole and numbered.
TEST(TimingSimulatorPty, ASerialStreamReadsTheConsolesBlocks)
{
    TimingConsoleDriver driver;
    qint64 now = 0;
    driver.setClock([&] { return now; });
    ASSERT_TRUE(driver.link().open({ConsoleLink::Pty, QString(), 0, QString(), 9600}))
        << driver.link().error().toStdString();
    const QString device = driver.link().ptyDevice();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/")));

    TxStream program;
    program.setKind(TxStream::Serial);
    program.setSerialDevice(device);
    QMutex mutex;
    QList<QPair<QString, int>> blocks;
    program.setDataReceiver([&](const QString& text, int offset) {
        QMutexLocker lock(&mutex);
        blocks.append({text, offset});
    });
    ASSERT_EQ(program.open(), TxStream::StatusOk) << program.lastError().toStdString();
    ASSERT_EQ(program.setReceiving(true), TxStream::StatusOk);

    driver.start();
    now = 4200;
    driver.tick();
    now = 12340;
    driver.stop();
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return blocks.size() == 3;
    }));
    QMutexLocker lock(&mutex);
    EXPECT_EQ(blocks[1].first.left(9), QStringLiteral("    4.20 "));
    EXPECT_EQ(blocks[2].first.size(), TimingConsole::ImageLength);
    EXPECT_EQ(blocks[2].first.mid(230, 9), QStringLiteral("    12.34"));
    EXPECT_EQ(driver.link().sentBlocks(), 3);
}

// While the clock stands the image is repeated once a second, and a script
// plays its steps when they are due.
TEST(TimingSimulatorDriver, RepeatsTheImageAndPlaysAScript)
{
    Board board;
    const int port = freeUdpPort();
    ASSERT_TRUE(board.listener.open({ScoreboardListener::Udp, port, QString(), 9600}));
    TimingConsoleDriver driver;
    qint64 now = 0;
    driver.setClock([&] { return now; });
    ASSERT_TRUE(driver.link().open({ConsoleLink::Udp, QStringLiteral("127.0.0.1"), port, QString(), 9600}));

    driver.playScript(*ConsoleScript::parse(QStringLiteral("0 start\n2 stop\n2 penalty\n")));
    EXPECT_TRUE(driver.console().isRunning());
    now = 1000;
    driver.tick();
    now = 2000;
    driver.tick(); // stop and penalty: two images
    EXPECT_FALSE(driver.isScriptPlaying());
    now = 2500;
    driver.tick(); // too early to repeat
    now = 3000;
    driver.tick(); // repeated
    ASSERT_TRUE(waitUntil([&] { return board.receiver.messages() == 5; }));
    EXPECT_EQ(board.receiver.image().placed().mid(230, 17), QByteArray("     2.00    5.00"));
    EXPECT_EQ(board.receiver.lostMessages(), 0);
}

// The board on a serial device: the timing console's pseudo-terminal stands in
// for the cable, and the board decodes the byte stream.
TEST(ScoreboardSimulatorSerial, DecodesWhatArrivesOnTheDevice)
{
    ConsoleLink line;
    ASSERT_TRUE(line.open({ConsoleLink::Pty, QString(), 0, QString(), 9600})) << line.error().toStdString();
    Board board;
    ASSERT_TRUE(board.listener.open({ScoreboardListener::Serial, 0, line.ptyDevice(), 9600}))
        << board.listener.error().toStdString();
    EXPECT_EQ(board.listener.statusText(), QStringLiteral("Listening on serial %1").arg(line.ptyDevice()));
    ASSERT_TRUE(line.send({806, QStringLiteral("RESULT 12.34")}));
    ASSERT_TRUE(line.send({RtdProtocol::UpdateTriggerOffset, QStringLiteral(" ")}));
    ASSERT_TRUE(waitUntil([&] { return board.receiver.messages() == 2; }));
    EXPECT_EQ(board.receiver.image().placed().mid(806, 12), "RESULT 12.34");
    EXPECT_EQ(board.receiver.lastNumber(), 2);
    EXPECT_EQ(board.receiver.lostMessages(), 0);
}
