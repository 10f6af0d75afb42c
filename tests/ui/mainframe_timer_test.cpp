// The road of one timed result through the real program objects: the timing
// console's feed arrives on a UDP port while Run Performance is shown, the
// main window saves the finished run, the standings move and the scoreboard on
// another UDP port shows the time.
#include "app/viewtable.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "io/outputmanager.h"
#include "io/scoreboardblocks.h"
#include "io/timerinput.h"
#include "platform/sql/sqlconnection.h"
#include "platform/stream/rtdprotocol.h"
#include "platform/stream/streamtesthelpers.h"
#include "ui/mainframe.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MainFrameTimerTest : public ::testing::Test
{
protected:
    // Season "S1", rodeo "Spring": barrel racing timed in hundredths, two
    // contestants in go-round 1, performance 1; the second already ran 15.00.
    // Port 1 is the timing console's, port 2 the scoreboard's.
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        ScriptedPrompt setupPrompt;
        {
            CDatabaseManager db(folder, templateDb(), setupPrompt);
            ASSERT_TRUE(db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"),
                                        QStringLiteral("PRCA")));
            for (const char* rodeo : {"Spring", "Fall"})
                ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QString::fromLatin1(rodeo),
                                           QStringLiteral("1/1/2026"), QStringLiteral("ProfileDefault")));
        }
        SqlConnection sql;
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        ASSERT_TRUE(sql.execute(QStringLiteral("UPDATE RodeoEvents SET RePrecision = 2 WHERE EvId = 'BR'")));
        for (const char* name : {"Wade", "Ryder"}) {
            ASSERT_TRUE(sql.execute(
                QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, 'Racer')"),
                {QString::fromLatin1(name)}));
            ids << quint32(sql.lastInsertRowId());
            for (int roId : {1, 2}) // Spring and Fall
                ASSERT_TRUE(
                    sql.execute(QStringLiteral("INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, PerfId, "
                                               "Ord) VALUES (?, 'BR', 1, ?, 1, 1, ?)"),
                                {roId, ids.last(), ids.size()}));
        }
        ASSERT_TRUE(sql.execute(
            QStringLiteral("UPDATE Times SET RideTime = 15000 WHERE ptId = ? AND RoId = 1"), {ids[1]}));

        consolePort = freeUdpPort();
        QFile io(folder + QStringLiteral("IO.xml"));
        ASSERT_TRUE(io.open(QIODevice::WriteOnly));
        io.write(
            QStringLiteral(
                "<?xml version=\"1.0\"?>\n<Configuration><Ports>"
                "<Port count=\"1\" name=\"TK2 Timer\" type=\"UDP/IP\"><Settings number=\"%1\" baudrate=\"0\" "
                "databits=\"0\" parity=\"\"/></Port>"
                "<Port count=\"2\" name=\"RIP\" type=\"UDP/IP\"><Settings number=\"%2\" baudrate=\"0\" "
                "databits=\"0\" parity=\"\"/></Port></Ports>"
                "<Timer name=\"TK2 Timer\" port=\"1\"/>"
                "<RIPs><RIP count=\"1\" name=\"RIP\" port=\"2\" type=\"Serial\" offset=\"0\"/></RIPs>"
                "<Requests/><Monitors/></Configuration>\n")
                .arg(consolePort)
                .arg(board.port())
                .toUtf8());
    }

    static QString templateDb() { return QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"); }

    // What the console sends at an image position.
    void send(int offset, const QString& text)
    {
        console.writeDatagram(RtdProtocol::encodeTextBlock(offset, text.toLatin1(), false),
                              QHostAddress::LocalHost, quint16(consolePort));
    }

    QTemporaryDir dir;
    QString folder;
    QVector<quint32> ids;
    int consolePort = 0;
    UdpCollector board;
    QUdpSocket console;
    ScriptedPrompt prompt;
    LogCapture log;
};

} // namespace

TEST_F(MainFrameTimerTest, AFinishedRunIsSavedRankedAndShown)
{
    CMainFrame::Setup setup;
    setup.dataFolder = folder;
    setup.templateDatabase = templateDb();
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    frame.CreateViews();
    ASSERT_TRUE(frame.ActivateRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    frame.SwitchView(ViewTable::RunPerformance);
    ASSERT_TRUE(frame.outputs().communicationsStarted());
    StreamPort* timerPort = frame.outputs().FindPort(1);
    ASSERT_TRUE(timerPort && timerPort->isReceiving()) << timerPort->statusText().toStdString();

    RegEntry up;
    up.eventId = QStringLiteral("BR");
    up.goRound = 1;
    up.perf = 1;
    up.ptId = ids[0];
    ASSERT_TRUE(frame.SelectCompetition(up));
    const EntryKey key = makeEntryKey(ids[0], 1);
    const Standings& standings = frame.database().standings();
    ASSERT_NE(standings.find(1, key), nullptr);
    EXPECT_NE(standings.find(1, key)->position, 1);
    QSignalSpy clock(&frame, &CMainFrame::clockMessageChanged);

    // The run: the clock counting, then the stop with the run time.
    for (const char* t : {"    0.51 ", "    6.02 ", "   11.97 "})
        send(0, QString::fromLatin1(t) + QLatin1Char(' '));
    QString image(TimerFeed::ImageLength, QLatin1Char(' '));
    image.replace(0, 9, QStringLiteral("   12.34 "));
    image.replace(230, 9, QStringLiteral("    12.34"));
    send(0, image);
    send(0, image); // the console repeats its image while the clock stands

    ASSERT_TRUE(waitUntil([&] {
        const ResultRecord* r = standings.find(1, key);
        return r && r->time == 12340;
    }));
    EXPECT_EQ(standings.find(1, key)->position, 1);
    EXPECT_EQ(standings.find(1, makeEntryKey(ids[1], 1))->position, 2);
    EXPECT_TRUE(waitUntil([&] { return frame.latestTimerTime() == 12340; }));
    EXPECT_TRUE(waitUntil([&] { return frame.outputs().timerInput().receivedBlocks() == 5; }));
    EXPECT_TRUE(clock.isEmpty()) << "a timed event runs no configuration check";

    SqlConnection fresh;
    ASSERT_TRUE(fresh.open(folder + QStringLiteral("S1/S1.mdb")));
    auto row = fresh.query(
        QStringLiteral("SELECT RideTime, PenTime, Status FROM Times WHERE ptId = ? AND GoId = 1"), {ids[0]});
    ASSERT_TRUE(row && row->moveFirst());
    EXPECT_EQ(row->toInt64(QStringLiteral("RideTime")), 12340);
    EXPECT_EQ(row->toInt64(QStringLiteral("PenTime")), 0);
    EXPECT_EQ(row->toText(QStringLiteral("Status")), QString());
    // The result history traces the change to the timing console.
    auto change = fresh.query(QStringLiteral("SELECT HiSource, json_extract(HiNew, '$.RideTime') AS ride "
                                             "FROM ResultHistory WHERE ptId = ? AND HiTable = 'Times' "
                                             "ORDER BY HiId DESC LIMIT 1"),
                              {ids[0]});
    ASSERT_TRUE(change && change->moveFirst());
    EXPECT_EQ(change->toText(QStringLiteral("HiSource")), QStringLiteral("Timing Console"));
    EXPECT_EQ(change->toInt64(QStringLiteral("ride")), 12340);

    // The scoreboard got the result block with the ride time.
    QString shown(RtdProtocol::ImageLength, QLatin1Char(' '));
    for (const RtdMessage& m : decodeAll(board.receive(100000, 1000)))
        if (m.type == RtdMessage::TextBlock && m.offset >= 0 && m.offset < RtdProtocol::ImageLength)
            shown.replace(int(m.offset), qMin(m.text().size(), RtdProtocol::ImageLength - int(m.offset)),
                          m.text());
    const ScoreboardLayout::Span result = ScoreboardLayout::block(ScoreboardLayout::ResultBlock, false);
    EXPECT_TRUE(shown.mid(result.offset, result.width).contains(QStringLiteral(" 12.34")))
        << shown.mid(result.offset, result.width).toStdString();
}

// The clock's message reaches the window from the port's thread once per
// change, for the Run Performance view to show instead of the time.
TEST_F(MainFrameTimerTest, TheClockMessageIsKeptAndAnnouncedOncePerChange)
{
    CMainFrame::Setup setup;
    setup.dataFolder = folder;
    setup.templateDatabase = templateDb();
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    QSignalSpy changed(&frame, &CMainFrame::clockMessageChanged);
    const QString message =
        QStringLiteral("The configuration for the scoring type is incompatible with the timer.");
    std::unique_ptr<QThread> port(QThread::create([&] {
        frame.showClockMessage(message);
        frame.postRunningTime(QStringLiteral("    8.52 "));
    }));
    port->start();
    ASSERT_TRUE(port->wait(5000));
    ASSERT_TRUE(waitUntil([&] { return frame.clockMessage() == message; }));
    frame.showClockMessage(message);
    frame.showClockMessage(QString());
    ASSERT_TRUE(waitUntil([&] { return frame.clockMessage().isEmpty(); }));
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toString(), message);
    EXPECT_EQ(changed[1][0].toString(), QString());
    EXPECT_EQ(frame.latestTimerTime(), 8520);
}

// The database manager keeps its current entry when another rodeo opens; the
// timer input must not go on with it, nor save what it handed over before.
TEST_F(MainFrameTimerTest, OpeningAnotherRodeoLeavesNothingCurrentForTheTimer)
{
    CMainFrame::Setup setup;
    setup.dataFolder = folder;
    setup.templateDatabase = templateDb();
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    frame.CreateViews();
    ASSERT_TRUE(frame.ActivateRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    RegEntry up;
    up.eventId = QStringLiteral("BR");
    up.goRound = 1;
    up.perf = 1;
    up.ptId = ids[0];
    ASSERT_TRUE(frame.SelectCompetition(up));
    TimerInput& timer = frame.outputs().timerInput();
    ASSERT_TRUE(timer.feed().snapshot().has_value());

    ResultRecord finished = *timer.feed().snapshot()->stored;
    finished.time = 9990;
    frame.saveTimerResult(up, finished); // still queued when the rodeo changes
    ASSERT_TRUE(frame.ActivateRodeo(QStringLiteral("S1"), QStringLiteral("Fall")));
    EXPECT_FALSE(timer.feed().snapshot().has_value());
    QCoreApplication::processEvents();
    // The operator saves another result in the new rodeo before choosing the
    // entry that is up.
    RegEntry other = up;
    other.ptId = ids[1];
    ResultRecord typed;
    typed.time = 14000;
    ASSERT_TRUE(frame.SaveResult(other, typed));
    EXPECT_FALSE(timer.feed().snapshot().has_value());

    QString image(TimerFeed::ImageLength, QLatin1Char(' '));
    image.replace(230, 9, QStringLiteral("    12.34"));
    timer.OnData(image, 0);
    QCoreApplication::processEvents();
    SqlConnection fresh;
    ASSERT_TRUE(fresh.open(folder + QStringLiteral("S1/S1.mdb")));
    auto rows = fresh.query(
        QStringLiteral("SELECT COUNT(*) AS n FROM Times WHERE RideTime <> 0 AND ptId = ?"), {ids[0]});
    ASSERT_TRUE(rows && rows->moveFirst());
    EXPECT_EQ(rows->toInt64(QStringLiteral("n")), 0);

    frame.CloseRodeo();
    EXPECT_FALSE(timer.feed().snapshot().has_value());
}
