// The live results under load, through the real program objects: a main
// window on a generated rodeo (11 events, two go-rounds of 100 entries each),
// the live results served on loopback, and 200 readers following "now.json"
// the way an open page does (every 500 ms, with If-None-Match on a kept-alive
// connection) from two threads of their own, while the user-interface thread
// saves a barrel racing result every second for 60 s (LIVE_BENCH_SECONDS to
// change it). A 1 ms timer on the user-interface thread measures how long it
// is kept from its events, as the timer benchmark does.
//
// Counters: max_latency_ms and p50_latency_ms (from the start of a save to a
// reader holding a page that shows it, over every reader and every save),
// missed (saves some reader never saw), max_tick_gap_ms and gaps_over_16ms of
// the 1 ms timer, longest_save_ms and longest_save_cpu_ms (SaveResult with
// everything it starts, the snapshot included: wall and the user-interface
// thread's own CPU time), peak_rss_mb, requests (answered to the readers),
// refused.
// The same-run baselines: the same saves with the live results on and no
// reader, and with the live results off.
#include "app/userprompt.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "live/livepublisher.h"
#include "live/liveservice.h"
#include "live/livesnapshotbuilder.h"
#include "seasongenerator.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>
#include <mutex>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons, Icon) override { return Ok; }
};

double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void resetPeakRss()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The CPU time of the calling thread, in milliseconds.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

int benchSeconds()
{
    const int s = qEnvironmentVariableIntValue("LIVE_BENCH_SECONDS");
    return s > 0 ? s : 60;
}

// What the savers and the readers share: when each save started, and what
// the readers saw.
struct Board
{
    static constexpr int MaxSaves = 1000;
    QElapsedTimer clock;
    std::array<std::atomic<qint64>, MaxSaves> savedAt{};
    std::atomic<int> saves{0};
    std::mutex mutex; // guards latencies
    std::vector<qint64> latencies;
    std::atomic<long> requests{0};
    // The last save each reader saw.
    std::array<std::atomic<int>, 256> seenBy{};

    // The text a save k leaves in "now.json": its time, 10.01 s upward.
    static QByteArray marker(int k)
    {
        return "\"time\":\"" + QByteArray::number(10 + k / 100) + '.' +
               QByteArray::number(k % 100).rightJustified(2, '0') + '"';
    }
};

// One reader: a kept-alive connection asking for now.json every 500 ms.
class Reader : public QObject
{
public:
    Reader(Board& board, quint16 port, int index, QObject* parent)
        : QObject(parent), m_board(board), m_port(port), m_index(index)
    {
        connect(&m_socket, &QTcpSocket::readyRead, this, &Reader::onData);
        connect(&m_timer, &QTimer::timeout, this, &Reader::poll);
        m_timer.start(500);
        m_socket.connectToHost(QHostAddress::LocalHost, m_port);
    }

private:
    void poll()
    {
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            m_buffer.clear();
            m_waiting = false;
            m_socket.connectToHost(QHostAddress::LocalHost, m_port);
            return;
        }
        if (m_waiting || m_socket.state() != QAbstractSocket::ConnectedState)
            return;
        QByteArray request = "GET /now.json HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        if (!m_etag.isEmpty())
            request += "If-None-Match: " + m_etag + "\r\n";
        m_socket.write(request + "\r\n");
        m_waiting = true;
    }
    void onData()
    {
        m_buffer += m_socket.readAll();
        const int end = int(m_buffer.indexOf("\r\n\r\n"));
        if (end < 0)
            return;
        const QByteArray head = m_buffer.left(end);
        const int lengthAt = int(head.indexOf("Content-Length: "));
        const int length =
            head.contains(" 304 ") || lengthAt < 0
                ? 0
                : head.mid(lengthAt + 16, head.indexOf('\r', lengthAt) - lengthAt - 16).toInt();
        if (m_buffer.size() < end + 4 + length)
            return;
        const QByteArray body = m_buffer.mid(end + 4, length);
        m_buffer.remove(0, end + 4 + length);
        m_waiting = false;
        ++m_board.requests;
        if (head.contains(" 200 ")) {
            const int etagAt = int(head.indexOf("ETag: "));
            m_etag =
                etagAt < 0 ? QByteArray() : head.mid(etagAt + 6, head.indexOf('\r', etagAt) - etagAt - 6);
            const qint64 now = m_board.clock.elapsed();
            const int saves = m_board.saves.load();
            for (int k = m_seen + 1; k <= saves; ++k) {
                if (!body.contains(Board::marker(k)))
                    continue;
                std::lock_guard<std::mutex> lock(m_board.mutex);
                for (int j = m_seen + 1; j <= k; ++j) // an earlier one shown no more was seen with it
                    m_board.latencies.push_back(now - m_board.savedAt[size_t(j)].load());
                m_seen = k;
            }
            m_board.seenBy[size_t(m_index)] = m_seen;
        }
    }

    Board& m_board;
    quint16 m_port;
    int m_index;
    QTcpSocket m_socket;
    QTimer m_timer;
    QByteArray m_buffer;
    QByteArray m_etag;
    bool m_waiting = false;
    int m_seen = 0;
};

// A season of one rodeo in a data folder of its own.
struct GeneratedRodeo
{
    GeneratedRodeo(int contestants, int events, int goRounds, int entries, int performanceSize)
    {
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(data);
        SeasonGenerator::Options options;
        options.contestants = contestants;
        options.animals = contestants / 5;
        options.rodeos = 1;
        options.events = events;
        options.goRounds = goRounds;
        options.entriesPerGoRound = entries;
        options.performanceSize = performanceSize;
        ok = SeasonGenerator(data, QStringLiteral(TALLYRA_TEMPLATE_DB))
                 .generate(QStringLiteral("Rodeo"), options, season);
    }
    QTemporaryDir dir;
    QString data;
    NoPrompt prompt;
    SeasonGenerator::Result season;
    QVector<RegEntry> racers;
    bool ok = false;
};

struct Arena : GeneratedRodeo
{
    Arena() : GeneratedRodeo(1500, 11, 2, 100, 25)
    {
        CMainFrame::Setup setup;
        setup.dataFolder = data;
        setup.templateDatabase = QStringLiteral(TALLYRA_TEMPLATE_DB);
        setup.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        frame->resize(1280, 720);
        frame->show();
        ok = ok && frame->ActivateRodeo(season.season, season.rodeo);
        for (const RegEntry& e : frame->database().playerEntries().entries(QStringLiteral("BR"), 1))
            if (e.ptId != 0)
                racers << e;
        ok = ok && !racers.isEmpty() && frame->SelectCompetition(racers.front());
        QApplication::processEvents();
        frame->grab();
    }

    std::unique_ptr<CMainFrame> frame;
};

void runLoad(benchmark::State& state, bool live, int readers)
{
    for (auto _ : state) {
        Arena arena;
        if (!arena.ok) {
            state.SkipWithError("the season could not be made or opened");
            return;
        }
        quint16 port = 0;
        if (live) {
            LiveSettings settings;
            settings.serve = true;
            settings.port = 0; // any free port
            settings.address = QStringLiteral("127.0.0.1");
            if (!arena.frame->applyLiveSettings(settings)) {
                state.SkipWithError("the live results could not be served");
                return;
            }
            port = arena.frame->liveService()->serverPort();
        }

        Board board;
        board.clock.start();
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < 2 && readers > 0; ++t) {
            threads.push_back(std::make_unique<QThread>());
            QThread* thread = threads.back().get();
            auto* home = new QObject; // the readers' context on their thread
            home->moveToThread(thread);
            QObject::connect(thread, &QThread::finished, home, &QObject::deleteLater);
            thread->start();
            QMetaObject::invokeMethod(
                home,
                [&board, port, home, t, readers] {
                    for (int i = t; i < readers; i += 2)
                        new Reader(board, port, i, home);
                },
                Qt::BlockingQueuedConnection);
        }
        QThread::msleep(1000); // every reader connected and polling

        QElapsedTimer sinceTick;
        qint64 maxGapMs = 0;
        long longGaps = 0;
        QTimer tick;
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 gap = sinceTick.restart();
            maxGapMs = std::max(maxGapMs, gap);
            longGaps += gap >= 16 ? 1 : 0;
        });
        const int seconds = benchSeconds();
        QTimer saver;
        saver.setInterval(1000);
        int k = 0;
        double longestSaveMs = 0;
        double longestSaveCpuMs = 0;
        QObject::connect(&saver, &QTimer::timeout, [&] {
            if (++k > seconds || k >= Board::MaxSaves)
                return;
            RegEntry e = arena.racers[k % arena.racers.size()];
            ResultRecord r;
            r.time = quint32(10000 + k * 10);
            r.success = 1;
            board.savedAt[size_t(k)] = board.clock.elapsed();
            board.saves = k;
            QElapsedTimer took;
            took.start();
            const double cpuBefore = threadCpuMs();
            arena.frame->SaveResult(e, r, ChangeSource::EntryBar);
            longestSaveMs = std::max(longestSaveMs, took.nsecsElapsed() / 1e6);
            longestSaveCpuMs = std::max(longestSaveCpuMs, threadCpuMs() - cpuBefore);
        });
        resetPeakRss();
        sinceTick.start();
        tick.start();
        saver.start();
        QEventLoop loop;
        QTimer::singleShot((seconds + 3) * 1000, &loop, &QEventLoop::quit); // the last save's readers too
        loop.exec();
        tick.stop();
        saver.stop();
        for (auto& thread : threads) {
            thread->quit();
            thread->wait();
        }

        int missed = 0;
        for (int i = 0; i < readers; ++i)
            missed += board.saves.load() - board.seenBy[size_t(i)].load();
        std::vector<qint64> lat = board.latencies;
        std::sort(lat.begin(), lat.end());
        state.counters["max_latency_ms"] = lat.empty() ? 0.0 : double(lat.back());
        state.counters["p50_latency_ms"] = lat.empty() ? 0.0 : double(lat[lat.size() / 2]);
        state.counters["missed"] = double(missed);
        state.counters["max_tick_gap_ms"] = double(maxGapMs);
        state.counters["gaps_over_16ms"] = double(longGaps);
        state.counters["longest_save_ms"] = longestSaveMs;
        state.counters["longest_save_cpu_ms"] = longestSaveCpuMs;
        state.counters["peak_rss_mb"] = peakRssMb();
        state.counters["requests"] = double(board.requests.load());
        state.counters["refused"] = live ? double(arena.frame->liveService()->refusedConnections()) : 0.0;
    }
}

// The user-interface thread's share on a large rodeo (20 events, three
// go-rounds of 500 entries each): the snapshot after a saved result (its
// event read again, from the standings held when it is the current one), and
// the snapshot after any other change (every event read again).
struct LargeRodeo : GeneratedRodeo
{
    LargeRodeo() : GeneratedRodeo(5000, 20, 3, 500, 50)
    {
        db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
        ok = ok && db->OpenRodeo(season.season, season.rodeo);
        for (const RegEntry& e : db->playerEntries().entries(season.timedEvent, 1))
            if (e.ptId != 0)
                racers << e;
        ok = ok && !racers.isEmpty() && db->SetCurEntry(racers.front());
    }
    std::unique_ptr<CDatabaseManager> db;
};

LargeRodeo& largeRodeo()
{
    static LargeRodeo r;
    return r;
}

void BM_SnapshotAfterASave(benchmark::State& state)
{
    LargeRodeo& r = largeRodeo();
    if (!r.ok) {
        state.SkipWithError("the season could not be made or opened");
        return;
    }
    const bool current = state.range(0) != 0;
    LiveSnapshotBuilder builder(*r.db);
    builder.build(&r.racers.front());
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RegEntry e = r.racers[++k % r.racers.size()];
        ResultRecord result;
        result.time = quint32(10000 + k % 5000);
        r.db->SetStatsPerformance(e, result);
        if (!current)
            e.eventId = r.season.scoredEvent; // as if another event's result were saved
        builder.noteSaved(e, QDateTime::currentDateTime());
        state.ResumeTiming();
        benchmark::DoNotOptimize(builder.build(&r.racers.front()));
    }
}

void BM_SnapshotOfEveryEvent(benchmark::State& state)
{
    LargeRodeo& r = largeRodeo();
    if (!r.ok) {
        state.SkipWithError("the season could not be made or opened");
        return;
    }
    LiveSnapshotBuilder builder(*r.db);
    builder.build(&r.racers.front());
    double longest = 0;
    int slices = 0;
    for (auto _ : state) {
        builder.invalidateAll();
        // As the publisher does it: slices of reading with the events loop between.
        do {
            QElapsedTimer slice;
            slice.start();
            benchmark::DoNotOptimize(builder.build(&r.racers.front(), LivePublisher::SliceMs));
            longest = std::max(longest, slice.nsecsElapsed() / 1e6);
            ++slices;
        } while (builder.hasPending());
    }
    state.counters["longest_slice_ms"] = longest;
    state.counters["slices"] = benchmark::Counter(double(slices), benchmark::Counter::kAvgIterations);
}

void BM_LiveTwoHundredReaders(benchmark::State& state)
{
    runLoad(state, true, 200);
}

void BM_LiveNoReaders(benchmark::State& state)
{
    runLoad(state, true, 0);
}

void BM_LiveOff(benchmark::State& state)
{
    runLoad(state, false, 0);
}

} // namespace

BENCHMARK(BM_SnapshotAfterASave)
    ->ArgName("current")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(benchsmoke::repetitions(3))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SnapshotOfEveryEvent)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(benchsmoke::repetitions(3))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LiveTwoHundredReaders)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LiveNoReaders)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LiveOff)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(3))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
