// The simulators against the real program: the timing-console simulator
// finishes a run on the program's timer port, the main window saves it, and
// the scoreboard simulator's board shows the new standing. Then the loopback
// setup, which must never write the operator's IO.xml.
#include "app/commandids.h"
#include "app/viewtable.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "io/loopbacksetup.h"
#include "io/outputmanager.h"
#include "platform/sql/sqlconnection.h"
#include "platform/stream/streamtesthelpers.h"
#include "platform/stream/rtdprotocol.h"
#include "platform/stream/txstream.h"
#include "sim/boardlayout.h"
#include "sim/scoreboardlistener.h"
#include "sim/scoreboardreceiver.h"
#include "sim/simports.h"
#include "sim/timingconsoledriver.h"
#include "sim/windows/scoreboardwindow.h"
#include "sim/windows/timingconsolewindow.h"
#include "ui/mainframe.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MainFrameSimulatorTest : public ::testing::Test
{
protected:
    // Barrel racing in hundredths, Wade and Ryder in go-round 1; Ryder already
    // ran 15.00. Port 1 is the timer's, port 2 the scoreboard's, port 3 an
    // announcer's serial line.
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        ScriptedPrompt setupPrompt;
        {
            CDatabaseManager db(folder, templateDb(), setupPrompt);
            ASSERT_TRUE(db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"),
                                        QStringLiteral("PRCA")));
            ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"), QStringLiteral("1/1/2026"),
                                       QStringLiteral("ProfileDefault")));
        }
        SqlConnection sql;
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        ASSERT_TRUE(sql.execute(QStringLiteral("UPDATE RodeoEvents SET RePrecision = 2 WHERE EvId = 'BR'")));
        for (const char* name : {"Wade", "Ryder"}) {
            ASSERT_TRUE(sql.execute(
                QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, 'Racer')"),
                {QString::fromLatin1(name)}));
            ids << quint32(sql.lastInsertRowId());
            ASSERT_TRUE(sql.execute(QStringLiteral("INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, PerfId, "
                                                   "Ord) VALUES (1, 'BR', 1, ?, 1, 1, ?)"),
                                    {ids.last(), ids.size()}));
        }
        ASSERT_TRUE(sql.execute(QStringLiteral("UPDATE Times SET RideTime = 15000 WHERE ptId = ?"), {ids[1]}));

        consolePort = freeUdpPort();
        boardPort = freeUdpPort();
        QFile io(folder + QStringLiteral("IO.xml"));
        ASSERT_TRUE(io.open(QIODevice::WriteOnly));
        io.write(QStringLiteral(
                     "<?xml version=\"1.0\"?>\n<Configuration><Ports>"
                     "<Port count=\"1\" name=\"TK2 Timer\" type=\"UDP/IP\"><Settings number=\"%1\" baudrate=\"0\" "
                     "databits=\"0\" parity=\"\"/></Port>"
                     "<Port count=\"2\" name=\"RIP\" type=\"UDP/IP\"><Settings number=\"%2\" baudrate=\"0\" "
                     "databits=\"0\" parity=\"\"/></Port>"
                     "<Port count=\"3\" name=\"Announcer\" type=\"COM\"><Settings number=\"7\" baudrate=\"9600\" "
                     "databits=\"8\" parity=\"N\"/></Port></Ports>"
                     "<Timer name=\"TK2 Timer\" port=\"1\"/>"
                     "<RIPs><RIP count=\"1\" name=\"RIP\" port=\"2\" type=\"Serial\" offset=\"0\" "
                     "updateEveryPacket=\"true\"/></RIPs>"
                     "<Requests/><Monitors><Monitor count=\"1\" name=\"Announcer\" port=\"3\" "
                     "protocol=\"Terminal\"/></Monitors></Configuration>\n")
                     .arg(consolePort)
                     .arg(boardPort)
                     .toUtf8());
    }

    static QString templateDb() { return QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"); }

    std::unique_ptr<CMainFrame> frame()
    {
        CMainFrame::Setup setup;
        setup.dataFolder = folder;
        setup.templateDatabase = templateDb();
        setup.prompt = &prompt;
        auto f = std::make_unique<CMainFrame>(setup);
        f->CreateViews();
        return f;
    }

    QByteArray ownFile() const
    {
        QFile io(folder + QStringLiteral("IO.xml"));
        return io.open(QIODevice::ReadOnly) ? io.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString folder;
    QVector<quint32> ids;
    int consolePort = 0;
    int boardPort = 0;
    ScriptedPrompt prompt;
    LogCapture log;
};

} // namespace

TEST_F(MainFrameSimulatorTest, ARunFromTheTimingSimulatorReachesTheScoreboardSimulator)
{
    ScoreboardListener listener;
    ScoreboardReceiver board;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&listener, &ScoreboardListener::datagramReceived, &listener,
                     [&](const QByteArray& bytes, const QString& from) { board.datagram(bytes, clock.elapsed(), from); });
    ASSERT_TRUE(listener.open({ScoreboardListener::Udp, boardPort, QString(), 9600}))
        << listener.error().toStdString();

    auto f = frame();
    ASSERT_TRUE(f->ActivateRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    f->SwitchView(ViewTable::RunPerformance);
    ASSERT_TRUE(f->outputs().FindPort(1)->isReceiving()) << f->outputs().FindPort(1)->statusText().toStdString();
    RegEntry up;
    up.eventId = QStringLiteral("BR");
    up.goRound = 1;
    up.perf = 1;
    up.ptId = ids[0];
    ASSERT_TRUE(f->SelectCompetition(up));

    TimingConsoleDriver console;
    qint64 now = 0;
    console.setClock([&] { return now; });
    ASSERT_TRUE(console.link().open({ConsoleLink::Udp, QStringLiteral("127.0.0.1"), consolePort, QString(), 9600}));
    console.start();
    for (now = 100; now < 1000; now += TimingConsoleDriver::TickMs)
        console.tick();
    now = 12340;
    console.stop();

    const EntryKey key = makeEntryKey(ids[0], 1);
    const Standings& standings = f->database().standings();
    ASSERT_TRUE(waitUntil([&] {
        const ResultRecord* r = standings.find(1, key);
        return r && r->time == 12340;
    }));
    EXPECT_EQ(standings.find(1, key)->position, 1);

    // The board, as the sign shows it: the result block holds the run, and
    // the go-round leaders put Wade first with it.
    const BoardLayout::Span result = BoardLayout::Serial[5];
    const BoardLayout::Span leaders = BoardLayout::Serial[6];
    ASSERT_TRUE(waitUntil([&] {
        const QByteArray shown = board.image().shown();
        const QByteArray goLeaders = shown.mid(leaders.offset, leaders.width);
        return shown.mid(result.offset, result.width).contains(" 12.34") && goLeaders.contains("12.34") &&
               goLeaders.contains("Racer, Wade");
    })) << board.countsText().toStdString() << ", " << board.image().updates() << " updates\n"
        << board.image().placed().mid(result.offset, result.width).toStdString() << "\n"
        << board.image().placed().mid(leaders.offset, leaders.width).toStdString();
    EXPECT_EQ(board.badPackets(), 0);
    EXPECT_EQ(board.lostMessages(), 0);
    EXPECT_EQ(board.traffic().totalPackets(), board.messages()) << "every datagram was one whole message";
    f->closeWithoutAsking();
}

TEST_F(MainFrameSimulatorTest, LoopbackPointsACopyAtTheSimulatorsAndBack)
{
    const QByteArray before = ownFile();
    auto f = frame();
    QAction* loopback = f->action(CommandId::LoopbackSetup);
    ASSERT_NE(loopback, nullptr);
    ASSERT_NE(f->action(CommandId::ScoreboardSimulator), nullptr);
    ASSERT_NE(f->action(CommandId::TimingConsoleSimulator), nullptr);
    loopback->trigger();
    ASSERT_TRUE(f->isLoopbackOn());

    OutputManager& outputs = f->outputs();
    EXPECT_EQ(outputs.configurationPath(), folder + QStringLiteral("IO-loopback.xml"));
    const int expected[] = {SimPorts::TimerPort, SimPorts::ScoreboardPort, SimPorts::AnnouncerPort};
    for (int number = 1; number <= 3; ++number) {
        const TxStream& stream = outputs.FindPort(number)->stream();
        EXPECT_EQ(stream.kind(), TxStream::Udp) << number;
        EXPECT_EQ(stream.udpPort(), expected[number - 1]) << number;
        EXPECT_EQ(stream.destinationHost(), QStringLiteral("127.0.0.1")) << number;
    }
    EXPECT_EQ(outputs.FindPort(3)->name(), QStringLiteral("Announcer"));
    EXPECT_EQ(outputs.configuration().rips.size(), 1u);
    EXPECT_EQ(ownFile(), before) << "the operator's file is never written";
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("IO-loopback.xml")));

    // Edits while the loopback is on go to the copy.
    IoConfiguration copy;
    outputs.CopyConfiguration(copy);
    copy.port(2)->setName(QStringLiteral("Board"));
    ASSERT_TRUE(outputs.ApplyDialogChanges(copy, false));
    EXPECT_EQ(ownFile(), before);

    loopback->trigger();
    ASSERT_FALSE(f->isLoopbackOn());
    EXPECT_EQ(outputs.FindPort(1)->stream().udpPort(), consolePort);
    EXPECT_EQ(outputs.FindPort(2)->stream().udpPort(), boardPort);
    EXPECT_EQ(outputs.FindPort(2)->name(), QStringLiteral("RIP"));
    EXPECT_EQ(outputs.FindPort(3)->kind(), StreamPort::Serial);
    EXPECT_EQ(ownFile(), before);
    EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    f->closeWithoutAsking();
}

// The menu's windows: made once, listening and connected at once.
TEST_F(MainFrameSimulatorTest, TheSimulatorWindowsOpenFromTheMenu)
{
    auto f = frame();
    f->action(CommandId::ScoreboardSimulator)->trigger();
    f->action(CommandId::TimingConsoleSimulator)->trigger();
    ScoreboardWindow* board = f->showScoreboardSimulator();
    TimingConsoleWindow* console = f->showTimingConsoleSimulator();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(f->findChildren<ScoreboardWindow*>().size(), 1);
    EXPECT_EQ(f->findChildren<TimingConsoleWindow*>().size(), 1);
    EXPECT_TRUE(console->driver().link().isOpen()) << console->statusText().toStdString();
    f->closeWithoutAsking();
}

// The scoreboard window replays a recording at its pace: the board shows the
// blocks, the command line the display command, and the red mark the packet
// that failed its check.
TEST(ScoreboardWindowTest, ReplayShowsTheBoardTheCommandAndTheBadMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board.scvrec"));
    {
        ScoreboardReceiver recorder;
        ASSERT_TRUE(recorder.startRecording(path, 0));
        QByteArray image(BoardLayout::ImageLength, ' ');
        image.replace(806, 18, "Wade Racer   12.34");
        recorder.datagram(RtdProtocol::numbered(RtdProtocol::encodeTextBlock(0, image, false), 1), 0);
        recorder.datagram(RtdProtocol::numbered(RtdProtocol::encodeShowFrame(1, 20), 2), 50);
        QByteArray damaged = RtdProtocol::encodeTextBlock(806, "EVIL", true);
        damaged[11] = 'X';
        recorder.datagram(damaged, 100);
    }
    ScoreboardWindow window;
    ASSERT_TRUE(window.replay(path));
    ASSERT_TRUE(waitUntil([&] {
        window.refresh();
        return !window.badMark().isEmpty();
    }));
    EXPECT_TRUE(window.boardText().contains(QStringLiteral("B5 result")));
    EXPECT_TRUE(window.boardText().contains(QStringLiteral("Wade Racer   12.34")));
    EXPECT_FALSE(window.boardText().contains(QStringLiteral("EVIL")));
    EXPECT_TRUE(window.commandLine().contains(QStringLiteral("Show frame: sign 1, frame 20")));
    EXPECT_TRUE(window.commandLine().contains(QStringLiteral("Message number: 2")));
    EXPECT_TRUE(window.badMark().startsWith(QStringLiteral("\u25CF Bad packets: 1 ")));
    EXPECT_TRUE(window.trafficLine().contains(QStringLiteral("2 messages, 1 bad, 0 lost")));
}
