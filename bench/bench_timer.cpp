// The timing console's feed through the real program objects: a main window
// with a season, Run Performance shown (communications started), a barrel
// racer current, and a console on another thread sending RTD text blocks to
// the timer's UDP port on loopback. A 1 ms timer on the user-interface thread
// measures how long that thread is kept from its events.
//
// - A normal feed: 100 whole images a second for 60 s, the running time in
//   every one and a finished run once a second (a save, a refresh with code 8
//   and a new snapshot each time); once with the scoreboard stream breaking
//   long texts into pieces with 2 ms pauses (the default: the save waits for
//   them on the user-interface thread) and once without.
// - A flood: 10,000 images a second for 10 s, each finishing a run with a new
//   time. Results are coalesced per entry, so the user-interface thread saves
//   as fast as it can and no faster; the last time sent must be the one in the
//   database at the end.
//
// - No feed for 20 s: the same-run baseline of what the window and the 1 ms
//   timer cost by themselves.
//
// Counters: cpu_pct (process CPU time over wall time, % of one core, the
// console's thread included) and program_cpu_pct (without it), max_tick_gap_ms
// and gaps_over_16ms of the 1 ms timer, peak_rss_mb (the high-water mark during
// the run), blocks_sent and blocks_received.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "io/outputmanager.h"
#include "io/timerinput.h"
#include "platform/sql/sqlconnection.h"
#include "platform/stream/rtdprotocol.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <atomic>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons, Icon) override { return Ok; }
};

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The resident set's high-water mark since the last reset, in MB.
double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

void resetPeakRss()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// A season with one barrel racing entry, the main window over it with the
// timer on one UDP port and a scoreboard on another.
class Arena
{
public:
    // breakup: the scoreboard stream sends long texts in pieces with a 2 ms
    // pause after each (the default), which the saving thread waits out.
    explicit Arena(bool breakup)
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        {
            CDatabaseManager db(folder, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
            db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"), QStringLiteral("PRCA"));
            db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"), QStringLiteral("1/1/2026"),
                           QStringLiteral("ProfileDefault"));
        }
        SqlConnection sql;
        sql.open(databasePath());
        sql.execute(QStringLiteral("UPDATE RodeoEvents SET RePrecision = 2 WHERE EvId = 'BR'"));
        sql.execute(
            QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES ('Wade', 'Racer')"));
        ptId = quint32(sql.lastInsertRowId());
        sql.execute(
            QStringLiteral("INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (1, "
                           "'BR', 1, ?, 1, 1, 1)"),
            {ptId});
        sql.close();

        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        timerPort = probe.localPort();
        probe.close();
        board.bind(QHostAddress::LocalHost, 0); // never read: the kernel drops what does not fit
        QFile io(folder + QStringLiteral("IO.xml"));
        io.open(QIODevice::WriteOnly);
        io.write(
            QStringLiteral(
                "<?xml version=\"1.0\"?>\n<Configuration><Ports>"
                "<Port count=\"1\" name=\"TK2 Timer\" type=\"UDP/IP\"><Settings number=\"%1\" "
                "baudrate=\"0\" databits=\"0\" parity=\"\"/></Port>"
                "<Port count=\"2\" name=\"RIP\" type=\"UDP/IP\"><Settings number=\"%2\" "
                "baudrate=\"0\" databits=\"0\" parity=\"\"/></Port></Ports>"
                "<Timer name=\"TK2 Timer\" port=\"1\"/><RIPs><RIP count=\"1\" name=\"RIP\" "
                "port=\"2\" type=\"Serial\" offset=\"0\" breakupPackets=\"%3\"/></RIPs><Requests/><Monitors/>"
                "</Configuration>\n")
                .arg(timerPort)
                .arg(board.localPort())
                .arg(QLatin1String(breakup ? "true" : "false"))
                .toUtf8());
        io.close();

        CMainFrame::Setup setup;
        setup.dataFolder = folder;
        setup.templateDatabase = QStringLiteral(TALLYRA_TEMPLATE_DB);
        setup.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        frame->ActivateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"));
        frame->SwitchView(ViewTable::RunPerformance);
        RegEntry up;
        up.eventId = QStringLiteral("BR");
        up.goRound = 1;
        up.perf = 1;
        up.ptId = ptId;
        frame->SelectCompetition(up);
        // On screen, as the operator has it when the run starts: the first
        // showing (fonts looked up, every widget laid out and painted) is
        // not part of what is measured.
        frame->resize(1280, 720);
        frame->show();
        QApplication::processEvents();
        frame->grab();
    }

    QString databasePath() const { return folder + QStringLiteral("S1/S1.mdb"); }

    qint64 storedRideTime() const
    {
        SqlConnection sql;
        if (!sql.open(databasePath()))
            return -1;
        auto rs = sql.query(QStringLiteral("SELECT RideTime FROM Times WHERE ptId = ?"), {ptId});
        return rs && rs->moveFirst() ? rs->toInt64(QStringLiteral("RideTime")) : -1;
    }

    QTemporaryDir dir;
    QString folder;
    NoPrompt prompt;
    quint32 ptId = 0;
    int timerPort = 0;
    QUdpSocket board;
    std::unique_ptr<CMainFrame> frame;
};

// The console's whole image: the running time, and the run time once the run
// is finished (0: not yet).
QByteArray consoleImage(quint32 running, quint32 runTime)
{
    QByteArray image(375, ' ');
    const auto put = [&](int at, quint32 t) {
        const QByteArray text = QStringLiteral("%1.%2")
                                    .arg(t / 1000)
                                    .arg(t % 1000 / 10, 2, 10, QLatin1Char('0'))
                                    .rightJustified(9, QLatin1Char(' '))
                                    .toLatin1();
        image.replace(at, 9, text);
    };
    put(0, running);
    if (runTime != 0)
        put(230, runTime);
    return RtdProtocol::encodeTextBlock(0, image, false);
}

struct FeedResult
{
    double wallSeconds = 0;
    double senderCpuSeconds = 0;
    qint64 sent = 0;
    quint32 lastRunTime = 0;
};

// Sends rate blocks a second for seconds from its own thread, in bursts of one
// millisecond's worth. finishEvery > 0: every finishEvery-th block finishes a
// run with a new time; the last one sent is repeated 10 times at the end, as a
// console does while its clock stands.
std::unique_ptr<QThread> startConsole(int port, int rate, int seconds, int finishEvery, FeedResult& result,
                                      std::atomic<bool>& done)
{
    std::unique_ptr<QThread> thread(QThread::create([=, &result, &done] {
        if (rate == 0) { // no console: the baseline
            QThread::sleep(seconds);
            done = true;
            return;
        }
        QUdpSocket socket;
        const double cpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        QElapsedTimer clock;
        clock.start();
        const qint64 total = qint64(rate) * seconds;
        quint32 runTime = 0;
        QByteArray last;
        for (qint64 i = 0; i < total; ++i) {
            // Pace: block i goes out at i / rate seconds.
            const qint64 due = i * 1000 / rate;
            while (clock.elapsed() < due)
                QThread::usleep(200);
            if (finishEvery > 0 && i % finishEvery == finishEvery - 1)
                runTime = 10000 + quint32(i % 5000) * 10; // hundredths, as the console shows them
            last = consoleImage(quint32(i % 60000), runTime);
            socket.writeDatagram(last, QHostAddress::LocalHost, quint16(port));
            ++result.sent;
        }
        for (int k = 0; k < 10; ++k) {
            QThread::msleep(10);
            socket.writeDatagram(last, QHostAddress::LocalHost, quint16(port));
        }
        result.lastRunTime = runTime;
        result.senderCpuSeconds = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
        done = true;
    }));
    thread->start();
    return thread;
}

void runFeed(benchmark::State& state, int rate, int seconds, int finishEvery, bool breakup)
{
    for (auto _ : state) {
        Arena arena(breakup);
        TimerInput& timer = arena.frame->outputs().timerInput();
        const long receivedBefore = timer.receivedBlocks();

        // The user-interface thread's pulse.
        QElapsedTimer sinceTick;
        qint64 maxGapMs = 0;
        QTimer tick;
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        long longGaps = 0;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 gap = sinceTick.restart();
            maxGapMs = qMax(maxGapMs, gap);
            if (gap >= 16)
                ++longGaps;
        });

        resetPeakRss();
        FeedResult feed;
        std::atomic<bool> done{false};
        const double cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        QElapsedTimer wall;
        wall.start();
        sinceTick.start();
        tick.start();
        auto console = startConsole(arena.timerPort, rate, seconds, finishEvery, feed, done);
        // The user-interface thread waits in its event loop, as in the program,
        // until the console is done and what is still on its way (the socket,
        // the port's thread, the mailbox) has arrived.
        QEventLoop loop;
        QTimer watch;
        watch.setInterval(10);
        QElapsedTimer sinceDone;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!done)
                return;
            if (!sinceDone.isValid())
                sinceDone.start();
            else if (sinceDone.elapsed() >= 500)
                loop.quit();
        });
        watch.start();
        loop.exec();
        tick.stop();
        const double wallSeconds = wall.elapsed() / 1000.0;
        const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        console->wait();

        const qint64 stored = arena.storedRideTime();
        if (finishEvery > 0 && stored != qint64(feed.lastRunTime))
            state.SkipWithError(QStringLiteral("the database holds %1, the feed finished with %2")
                                    .arg(stored)
                                    .arg(feed.lastRunTime)
                                    .toStdString()
                                    .c_str());
        state.counters["cpu_pct"] = 100.0 * cpu / wallSeconds;
        state.counters["program_cpu_pct"] = 100.0 * (cpu - feed.senderCpuSeconds) / wallSeconds;
        state.counters["max_tick_gap_ms"] = double(maxGapMs);
        state.counters["gaps_over_16ms"] = double(longGaps);
        state.counters["peak_rss_mb"] = peakRssMb();
        state.counters["blocks_sent"] = double(rate == 0 ? 0 : feed.sent + 10);
        state.counters["blocks_received"] = double(timer.receivedBlocks() - receivedBefore);
        state.counters["ignored"] = double(timer.ignoredBlocks());
    }
}

void BM_TimerFeed100PerSecondFor60s(benchmark::State& state)
{
    runFeed(state, 100, benchsmoke::seconds(60), 100, state.range(0) != 0);
}

void BM_TimerFlood10000PerSecondFor10s(benchmark::State& state)
{
    runFeed(state, 10000, benchsmoke::seconds(10), 1, true);
}

// The same-run baseline: no console at all, so that program_cpu_pct shows what
// the 1 ms pulse and the idle window cost by themselves.
void BM_NoFeedFor20s(benchmark::State& state)
{
    runFeed(state, 0, benchsmoke::seconds(20), 0, true);
}

} // namespace

BENCHMARK(BM_TimerFeed100PerSecondFor60s)
    ->ArgName("breakup")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_NoFeedFor20s)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TimerFlood10000PerSecondFor10s)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);

// The main window needs a widget application; no screen is used.
int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
