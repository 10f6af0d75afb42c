// The output manager on loopback scoreboards: refresh codes, offsets, pieces,
// monitors, display commands, communications and their threads.
#include "db/records.h"
#include "io/ioconfigeditor.h"
#include "io/monitorpages.h"
#include "iotesthelpers.h"
#include "platform/threadhandoff.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <thread>

namespace {

using namespace iofile;

// Blocks filled with a letter per block ("A" for B0, "B" for B1, ...).
class LetterBlocks : public ScoreboardBlocks
{
public:
    bool noResult = false;
    QString second;
    int pauseMs = 0;
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    std::atomic<QThread*> lastThread{nullptr};
    std::atomic<int> runs{0};

    static QString expected(int first, int last, bool network)
    {
        QString text;
        for (int b = first; b <= last; ++b)
            text += QString(ScoreboardLayout::block(b, network).width, QChar('A' + b));
        return text;
    }

protected:
    void beginRun(int, bool, OutputContext&, ScoreboardState&) override
    {
        const int now = ++inside;
        int seen = mostInside.load();
        while (now > seen && !mostInside.compare_exchange_weak(seen, now)) {
        }
        lastThread = QThread::currentThread();
        if (pauseMs > 0)
            QThread::msleep(pauseMs);
    }
    std::optional<QString> buildBlock(int block, bool network) override
    {
        if (noResult && block == ScoreboardLayout::ResultBlock)
            return std::nullopt;
        return QString(ScoreboardLayout::block(block, network).width, QChar('A' + block));
    }
    QString continuationText(int, bool) override { return second; }
    void endRun(int) override
    {
        --inside;
        ++runs;
    }
};

class FixedPage : public MonitorPages
{
public:
    QStringList lines;
    QList<int> codes;
    void format(int code, QStringList& page, OutputContext&, const ScoreboardState&) override
    {
        codes << code;
        page = lines;
    }
};

class FakeContext : public OutputContext
{
public:
    bool flags[2] = {false, false};
    int paging = 4;
    CDatabaseManager* database() const override { return nullptr; }
    bool hasCurrentRunPerformance() const override { return true; }
    bool leadersFlag(int index) const override { return index >= 0 && index < 2 && flags[index]; }
    DisplayProfileSettings currentProfile() const override { return {QString(), QString(), paging}; }
    bool displayCompetitor(EntryKey) override { return true; }
    void setAnnouncerCompetitor(EntryKey) override {}
};

class OutputTest : public IoTest
{
protected:
    // Ports 1 and 2 are the two scoreboards, port 3 the announcer's terminal.
    std::unique_ptr<OutputManager> loadWith(const QString& rips, const QString& monitors = QString(),
                                            const QString& timerElement = timer("T", 0),
                                            const QString& extraPorts = QString())
    {
        writeIo(document(udpPort(1, "Board 1", board1.port()) + udpPort(2, "Board 2", board2.port()) +
                             udpPort(3, "Announcer", announcer.port()) + extraPorts,
                         timerElement, rips, QString(""), monitors));
        auto manager = loaded();
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
        blocks = new LetterBlocks;
        manager->setScoreboardBlocks(std::unique_ptr<ScoreboardBlocks>(blocks));
        return manager;
    }

    // The text blocks received; the update trigger that follows a refresh
    // without a display command is left out unless asked for.
    static QList<RtdMessage> texts(const QList<QByteArray>& datagrams, bool withTriggers = false)
    {
        QList<RtdMessage> out;
        for (const RtdMessage& m : decodeAll(datagrams)) {
            EXPECT_EQ(m.type, RtdMessage::TextBlock) << RtdDecoder::describe(m).toStdString();
            if (withTriggers || !isTrigger(m))
                out << m;
        }
        return out;
    }
    static bool isTrigger(const RtdMessage& m)
    {
        return m.type == RtdMessage::TextBlock && m.offset == 9694 && m.update &&
               m.text() == QStringLiteral(" ");
    }

    // Nothing but update triggers arrives within a short while.
    static bool silent(UdpCollector& board) { return texts(board.receive(1, 150)).isEmpty(); }

    UdpCollector board1;
    UdpCollector board2;
    UdpCollector announcer;
    FakeContext ctx;
    LetterBlocks* blocks = nullptr;
};

TEST_F(OutputTest, RipTextLandsAtItsOffsetPlusTheStreamsOffsetInPiecesOf475)
{
    auto manager = loadWith(rip(1, "One", 1) + rip(2, "Two", 2, "Serial", 100));
    manager->StartCommunications(&ctx);
    manager->Refresh(4); // B1 to B5 (no leaders flag): 930 characters at 105

    const QString expected = LetterBlocks::expected(1, 5, false);
    ASSERT_EQ(expected.size(), 930);
    const auto one = texts(board1.receive(2));
    const auto two = texts(board2.receive(2));
    ASSERT_EQ(one.size(), 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(one[0].offset, 105);
    EXPECT_EQ(one[0].bytes.size(), 475);
    EXPECT_EQ(one[1].offset, 580);
    EXPECT_EQ(one[1].bytes.size(), 455);
    EXPECT_EQ(two[0].offset, 205);
    EXPECT_EQ(two[1].offset, 680);
    EXPECT_FALSE(one[0].update);
    EXPECT_EQ(rebuildImage(one).mid(105, 930), expected);
    EXPECT_EQ(rebuildImage(two).mid(205, 930), expected);
    EXPECT_TRUE(silent(board1));

    // Each stream's image holds the text at the text's own offset.
    for (const auto& rip : manager->configuration().rips) {
        EXPECT_EQ(rip->image().mid(105, 930), expected);
        EXPECT_EQ(rip->image().size(), 9693);
        EXPECT_EQ(rip->image().left(105), QString(105, QLatin1Char(' ')));
    }
}

TEST_F(OutputTest, TheWholeImageGoesOutIn21PiecesUnlessBreakupIsOff)
{
    auto manager = loadWith(rip(1, "One", 1, "Serial", 0, "updateEveryPacket=\"true\"") +
                            rip(2, "Two", 2, "Serial", 0, "breakupPackets=\"false\""));
    manager->StartCommunications(&ctx);
    QString image;
    for (int i = 0; i < 9693; ++i)
        image.append(QChar(0x20 + (i * 7) % 95));
    manager->SetText(image, 0);

    const auto one = texts(board1.receive(21));
    ASSERT_EQ(one.size(), 21);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(one[i].offset, 475 * i);
        EXPECT_LE(one[i].bytes.size(), 475);
        EXPECT_TRUE(one[i].update);
    }
    EXPECT_EQ(one[20].bytes.size(), 193);
    EXPECT_EQ(rebuildImage(one), image);
    const auto two = texts(board2.receive(1));
    ASSERT_EQ(two.size(), 1);
    EXPECT_EQ(two[0].text(), image);
    EXPECT_TRUE(silent(board2));
}

TEST_F(OutputTest, ARefreshGoesOnWhileItsPiecesWaitOutTheirPausesAndTheNextOneAndTheCloseFollowThem)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->StartCommunications(&ctx);
    manager->FindPort(1)->stream().protocol().setPieceDelay(std::chrono::milliseconds(200));

    // B0 to B7: 2876 characters in 7 pieces, 6 pauses (1.2 s) before the trigger.
    QElapsedTimer timer;
    timer.start();
    manager->Refresh(1);
    EXPECT_LT(timer.elapsed(), 600);
    const QString image = manager->configuration().rips[0]->image();
    EXPECT_EQ(image.left(2876), LetterBlocks::expected(0, 7, false));
    // B3 alone, less than a piece: nothing to wait for, yet it must not
    // overtake the pieces still going out.
    manager->Refresh(6);
    EXPECT_LT(timer.elapsed(), 600);
    // Quitting at once does not cut the board's image short.
    manager->StopCommunications();
    manager->ClosePorts();

    const auto received = texts(board1.receive(10, 8000), true);
    ASSERT_EQ(received.size(), 10);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(received[i].offset, 475 * i) << "piece " << i;
    EXPECT_EQ(rebuildImage(received.mid(0, 7)).left(2876), image.left(2876));
    EXPECT_TRUE(isTrigger(received[7]));
    const RtdMessage& b3 = received[8];
    ASSERT_FALSE(isTrigger(b3));
    EXPECT_EQ(b3.offset, ScoreboardLayout::block(3, false).offset);
    EXPECT_EQ(b3.text(), LetterBlocks::expected(3, 3, false));
    EXPECT_TRUE(isTrigger(received[9]));
    EXPECT_GE(timer.elapsed(), 1200);
}

TEST_F(OutputTest, RefreshBeforeCommunicationsStartLogsAndSendsNothing)
{
    auto manager = loadWith(rip(1, "One", 1), monitor(1, "M", 3));
    manager->Refresh(1);
    EXPECT_TRUE(log.contains("Communications not started for RIP"));
    EXPECT_TRUE(log.contains("Communications not started for Monitors"));
    EXPECT_TRUE(silent(board1));
    EXPECT_EQ(blocks->runs.load(), 0);
}

TEST_F(OutputTest, WithoutRipStreamsTheMonitorsAreStillUpdated)
{
    auto manager = loadWith(QString(""), monitor(1, "Announcer", 3));
    auto* pages = new FixedPage;
    pages->lines = {QStringLiteral("ROW0"), QString(), QStringLiteral("ROW2")};
    manager->setMonitorPages(std::unique_ptr<MonitorPages>(pages));
    manager->StartCommunications(&ctx);
    manager->Refresh(3);
    EXPECT_TRUE(log.contains("There are no RIP streams configured"));

    const QByteArray esc("\x1B=", 2);
    const QList<QByteArray> first = announcer.receive(3);
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0], esc + "  " + QByteArray("ROW0").leftJustified(80));
    EXPECT_EQ(first[1], esc + "! " + QByteArray(80, ' '));
    EXPECT_EQ(first[2], esc + "\" " + QByteArray("ROW2").leftJustified(80));
    EXPECT_EQ(pages->codes, QList<int>{3});

    // Only what changed goes out again; code 1 sends every line.
    manager->Refresh(3);
    EXPECT_TRUE(silent(announcer));
    pages->lines[2] = QString(90, QLatin1Char('x')); // longer lines are kept whole
    manager->Refresh(9);
    const QList<QByteArray> changed = announcer.receive(1);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0], esc + "\" " + QByteArray(90, 'x'));
    EXPECT_TRUE(silent(announcer));
    manager->Refresh(1);
    EXPECT_EQ(announcer.receive(3).size(), 3);
    // The page is handed out as a copy, never for writing outside the lock.
    manager->monitorPage().append(QStringLiteral("stray"));
    EXPECT_EQ(manager->monitorPage(), pages->lines);
}

TEST_F(OutputTest, WithoutMonitorsTheRefreshSaysSo)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->StartCommunications(&ctx);
    manager->Refresh(10);
    EXPECT_TRUE(log.contains("There are no Monitor streams configured"));
    EXPECT_EQ(texts(board1.receive(3)).size(), 3); // B7: 1061 characters
}

TEST_F(OutputTest, CodesOutsideTheTableSendNoTextButStillStartTheSequence)
{
    auto manager = loadWith(rip(1, "One", 1) + rip(2, "Two", 2, "Serial", 100));
    manager->StartCommunications(&ctx);
    manager->Refresh(0);
    manager->Refresh(11);
    EXPECT_TRUE(silent(board1));
    EXPECT_TRUE(silent(board2));

    // A key was pressed but its action cannot be found: the update trigger.
    XmlDocument profile;
    ASSERT_TRUE(profile.loadXml(QStringLiteral("<FunctionKey sequence='F4' name='x' pagedir='Sideways'/>")));
    EventCfg event;
    event.name = QStringLiteral("Bareback");
    event.standard = QStringLiteral("Y");
    EXPECT_TRUE(manager->DisplayButtonPressed(event, QStringLiteral("F4"), 0, profile.root(), 0));
    EXPECT_TRUE(silent(board1)); // an unknown page direction refreshes nothing
    manager->Refresh(11);
    for (UdpCollector* board : {&board1, &board2}) {
        const auto got = texts(board->receive(1), true);
        ASSERT_EQ(got.size(), 1);
        EXPECT_EQ(got[0].offset, 9694); // the stream's offset is not added
        EXPECT_EQ(got[0].text(), QStringLiteral(" "));
        EXPECT_TRUE(got[0].update);
        EXPECT_TRUE(silent(*board));
    }
}

TEST_F(OutputTest, RefreshCodesChooseTheirBlocks)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->StartCommunications(&ctx);
    // The pieces, then the update trigger that ends the refresh.
    auto received = [&](int pieces) {
        return rebuildImage(texts(board1.receive(pieces + 1)));
    };

    ctx.flags[0] = true;
    manager->setHolding(true);
    manager->Refresh(8); // holding with the first leaders flag: no text
    EXPECT_TRUE(silent(board1));
    manager->setHolding(false);
    manager->Refresh(8); // B5 to B7: 2070 characters at 806
    EXPECT_EQ(received(5).mid(806, 2070), LetterBlocks::expected(5, 7, false));

    manager->Refresh(5); // B2 to B7 with a leaders flag
    EXPECT_EQ(received(6).mid(137, 2739), LetterBlocks::expected(2, 7, false));
    ctx.flags[0] = false;
    ctx.flags[1] = true;
    manager->Refresh(4); // the second flag counts too: B1 to B7
    EXPECT_EQ(received(6).mid(105, 2771), LetterBlocks::expected(1, 7, false));

    manager->setGoPage(3);
    manager->setOverallPage(2);
    manager->Refresh(2);
    EXPECT_EQ(manager->goPage(), 0);
    EXPECT_EQ(manager->overallPage(), 0);
    EXPECT_EQ(received(6).mid(105, 2771), LetterBlocks::expected(1, 7, false));
}

TEST_F(OutputTest, AResultThatCannotBeBuiltEndsTheRunBeforeIt)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->StartCommunications(&ctx);
    blocks->noResult = true;
    manager->Refresh(4);
    const auto got = texts(board1.receive(2));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].offset, 105);
    EXPECT_EQ(got[0].bytes.size() + got[1].bytes.size(), 701); // B1 to B4
    manager->Refresh(8);
    EXPECT_TRUE(silent(board1));
}

TEST_F(OutputTest, OneNetworkStreamGivesEveryStreamTheNetworkLayout)
{
    auto manager = loadWith(rip(1, "Net", 1, "Network") + rip(2, "Ser", 2, "Serial"));
    manager->StartCommunications(&ctx);
    manager->Refresh(6);
    EXPECT_TRUE(manager->networkLayout());
    for (UdpCollector* board : {&board1, &board2}) {
        const auto got = texts(board->receive(1));
        ASSERT_EQ(got.size(), 1);
        EXPECT_EQ(got[0].offset, 786);
        EXPECT_EQ(got[0].text(), QString(112, QLatin1Char('D')));
    }
}

TEST_F(OutputTest, TheSecondTextGoesToItsContinuationOffset)
{
    auto manager = loadWith(rip(1, "Net", 1, "Network"));
    manager->StartCommunications(&ctx);
    blocks->second = QString(1400, QLatin1Char('z'));
    ctx.paging = 13;
    manager->Refresh(10);
    QList<RtdMessage> got = texts(board1.receive(11)); // 2969 characters (7 pieces), 1400 (3), the trigger
    ASSERT_EQ(got.size(), 10);
    EXPECT_EQ(got[7].offset, 8140);
    EXPECT_EQ(rebuildImage(got).mid(8140, 1400), blocks->second);

    manager->Refresh(9);
    got = texts(board1.receive(16)); // 5373 characters (12 pieces), 1400 (3), the trigger
    ASSERT_EQ(got.size(), 15);
    EXPECT_EQ(got[12].offset, 6740);

    ctx.paging = 12;
    manager->Refresh(10);
    EXPECT_EQ(texts(board1.receive(8)).size(), 7);
    EXPECT_TRUE(silent(board1));
}

TEST_F(OutputTest, NothingIsSentForAPortNumberBeyondTheList)
{
    auto manager =
        loadWith(rip(1, "Lost", 9) + rip(2, "Found", 1) + rip(3, "None", 0), monitor(1, "Lost monitor", 12));
    manager->StartCommunications(&ctx);
    EXPECT_EQ(manager->FindPort(9), nullptr);
    EXPECT_EQ(manager->FindPort(0), nullptr);
    EXPECT_EQ(manager->FindPort(-1), nullptr);
    manager->Refresh(6);
    EXPECT_EQ(texts(board1.receive(1)).size(), 1);
    EXPECT_TRUE(silent(board1));
    EXPECT_EQ(manager->configuration().rips[0]->image(), QString(9693, QLatin1Char(' ')));
}

TEST_F(OutputTest, AnOffsetOutOfRangeIsLoggedAndTheOtherStreamsStillSend)
{
    auto manager = loadWith(rip(1, "Far", 1, "Serial", 2147483647) + rip(2, "Near", 2));
    manager->StartCommunications(&ctx);
    manager->Refresh(6);
    EXPECT_TRUE(log.containsPrefix("The text offset is out of range.  Mgr::SetText  RIP:Far"));
    EXPECT_TRUE(silent(board1));
    EXPECT_EQ(texts(board2.receive(1)).size(), 1);
}

TEST_F(OutputTest, CommunicationsStartAndStopTheirThreads)
{
    auto manager = loadWith(rip(1, "One", 1) + rip(2, "Two", 2), monitor(1, "M", 3), timer("T", 3));
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor(copy).setText(IoConfigEditor::List::Requests, 0, 1, QStringLiteral("Req"));
    manager->ApplyConfiguration(copy);
    const IoConfiguration& config = manager->configuration();
    ASSERT_EQ(config.requests.size(), 1u);

    manager->StartCommunications(&ctx);
    EXPECT_TRUE(manager->communicationsStarted());
    QList<PortUser*> started{config.timer.get(), config.rips[0].get(), config.rips[1].get(),
                             config.monitors[0].get()};
    for (PortUser* user : started) {
        EXPECT_TRUE(user->isStarted()) << user->name().toStdString();
        ASSERT_NE(user->thread(), nullptr);
        EXPECT_TRUE(user->thread()->isRunning());
    }
    EXPECT_FALSE(config.requests[0]->isStarted());
    EXPECT_EQ(config.requests[0]->thread(), nullptr);
    EXPECT_TRUE(config.ports[2]->isSinkConnected());

    manager->StopCommunications();
    EXPECT_FALSE(manager->communicationsStarted());
    for (PortUser* user : started) {
        EXPECT_FALSE(user->isStarted());
        EXPECT_EQ(user->thread(), nullptr);
    }
    EXPECT_FALSE(config.ports[2]->isSinkConnected());
    manager->Refresh(6);
    EXPECT_TRUE(log.contains("Communications not started for RIP"));

    // And once more.
    manager->StartCommunications();
    EXPECT_TRUE(config.rips[0]->isStarted());
}

TEST_F(OutputTest, ReceivedDataReachesTheTimerInputOnlyWhileCommunicationsRun)
{
    const int timerPort = freeUdpPort();
    auto manager =
        loadWith(rip(1, "One", 1), QString(), timer("Console", 4), udpPort(4, "Console", timerPort));
    // Listen on loopback only.
    manager->ClosePorts();
    manager->FindPort(4)->stream().setListenAddress(QStringLiteral("127.0.0.1"));
    manager->OpenPorts();

    QUdpSocket console;
    const TimerInput& input = *manager->configuration().timer;
    console.writeDatagram(QByteArrayLiteral("early"), QHostAddress::LocalHost, quint16(timerPort));
    manager->StartCommunications(&ctx);
    EXPECT_TRUE(manager->FindPort(4)->isReceiving());
    EXPECT_FALSE(manager->FindPort(1)->isReceiving()); // a scoreboard's port is not taken
    console.writeDatagram(RtdProtocol::encodeTextBlock(0, QByteArrayLiteral("  1:02.34"), false),
                          QHostAddress::LocalHost, quint16(timerPort));
    ASSERT_TRUE(waitUntil([&] { return input.receivedBlocks() == 1; }));
    manager->StopCommunications();
    console.writeDatagram(QByteArrayLiteral("late"), QHostAddress::LocalHost, quint16(timerPort));
    QThread::msleep(100);
    EXPECT_EQ(input.receivedBlocks(), 1);
}

TEST_F(OutputTest, ATimerPortInUseIsReportedAndTheScoreboardsKeepWorking)
{
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    auto manager =
        loadWith(rip(1, "One", 1), QString(), timer("Console", 4), udpPort(4, "Console", taken.localPort()));
    manager->StartCommunications(&ctx);
    EXPECT_TRUE(log.containsPrefix("Failed to receive on the port.  Mgr::StartCommunications  Port:Console"));
    EXPECT_TRUE(manager->FindPort(4)->statusText().startsWith(QStringLiteral("Failed to receive: ")));
    manager->Refresh(6);
    EXPECT_EQ(texts(board1.receive(1)).size(), 1);
}

TEST_F(OutputTest, RefreshesFromSeveralThreadsNeverOverlap)
{
    auto manager = loadWith(rip(1, "Nowhere", 9));
    manager->StartCommunications(&ctx);
    blocks->pauseMs = 2;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i)
                manager->Refresh(1 + i);
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(blocks->runs.load(), 20);
    EXPECT_EQ(blocks->mostInside.load(), 1);
}

TEST_F(OutputTest, APostedRefreshRunsOnTheManagersThread)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->StartCommunications(&ctx);
    ASSERT_TRUE(manager->PostRefresh(10));
    ASSERT_TRUE(waitUntil([&] { return blocks->runs.load() == 1; }));
    EXPECT_NE(blocks->lastThread.load(), QThread::currentThread());
    EXPECT_EQ(texts(board1.receive(3)).size(), 3);
}

TEST_F(OutputTest, ARefreshQueuedOnAThreadLeftRunningFindsTheManagerGone)
{
    auto manager = loadWith(rip(1, "One", 1));
    manager->setThreadStopTimeout(50);
    // Work of our own holds the manager's thread; a refresh is queued behind it
    // in the same turn of the thread's loop.
    QSemaphore entered;
    QSemaphore first;
    QSemaphore second;
    auto* holder = new QObject;
    holder->moveToThread(manager->refreshThread());
    ThreadHandOff::post(holder, [&] {
        entered.release();
        first.acquire();
    });
    entered.acquire();
    ThreadHandOff::post(holder, [&, holder] {
        entered.release();
        second.acquire();
        holder->deleteLater();
    });
    ASSERT_TRUE(manager->PostRefresh(10));
    first.release();
    entered.acquire();

    // The stop gives up on the thread, and the manager goes.
    manager.reset();
    EXPECT_TRUE(log.containsPrefix("The thread did not end within 50 ms and was left running."));
    second.release();
    EXPECT_TRUE(waitUntil([&] {
        return log.contains("The output manager is gone; the refresh is dropped.  Mgr::PostRefresh  Code:10");
    }));
}

TEST_F(OutputTest, TheDialogsOkRestartsCommunicationsOnlyInTheRunPerformanceView)
{
    auto manager = loadWith(rip(1, "One", 1));
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    ASSERT_TRUE(manager->ApplyDialogChanges(copy, false));
    EXPECT_FALSE(manager->communicationsStarted());
    EXPECT_TRUE(manager->FindPort(1)->isOpen());
    EXPECT_TRUE(silent(board1));

    manager->StartCommunications(&ctx);
    manager->CopyConfiguration(copy);
    copy.rips[0]->setName(QStringLiteral("Renamed"));
    ASSERT_TRUE(manager->ApplyDialogChanges(copy, true));
    EXPECT_TRUE(manager->communicationsStarted());
    EXPECT_TRUE(manager->configuration().rips[0]->isStarted());
    // Refreshed with code 1: B0 to B7, 2876 characters in 7 pieces.
    const auto got = texts(board1.receive(7));
    ASSERT_EQ(got.size(), 7);
    EXPECT_EQ(rebuildImage(got).left(2876), LetterBlocks::expected(0, 7, false));
    EXPECT_EQ(savedIo().selectSingleNode("//RIP[@count='1']").attribute("name"), QStringLiteral("Renamed"));
}

TEST_F(OutputTest, AFilePortRecordsTheFramesAndTheTerminalLines)
{
    const QString path = folder() + QStringLiteral("record.rtd");
    auto manager =
        loadWith(rip(1, "Rec", 4), monitor(1, "Term", 4), timer("T", 0), filePort(4, "Record", path));
    auto* pages = new FixedPage;
    pages->lines = {QStringLiteral("HEADER")};
    manager->setMonitorPages(std::unique_ptr<MonitorPages>(pages));
    ASSERT_TRUE(manager->FindPort(4)->isOpen());
    manager->StartCommunications(&ctx);
    manager->Refresh(6);
    manager->ClosePorts();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    RtdDecoder decoder;
    decoder.feed(file.readAll());
    decoder.flush();
    const QList<RtdMessage> got = decoder.takeMessages();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0].type, RtdMessage::TextBlock);
    EXPECT_EQ(got[0].offset, 634);
    EXPECT_EQ(got[0].text(), QString(96, QLatin1Char('D')));
    EXPECT_TRUE(isTrigger(got[1])) << "no key pressed yet: the trigger shows the text";
    EXPECT_EQ(got[2].type, RtdMessage::Raw);
    EXPECT_EQ(got[2].bytes, QByteArray("\x1B=  ", 4) + QByteArray("HEADER").leftJustified(80));
}

} // namespace
