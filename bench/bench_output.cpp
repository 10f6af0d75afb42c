// The scoreboard outputs:
// - a refresh that sends the whole 9693-character image on two RIP streams
//   (UDP over the loopback address, pieces of at most 475 characters), once
//   without the 2 ms pauses between pieces, which measures the time from the
//   call to the last datagram handed to the socket (sending is synchronous),
//   and once with them, which is how long the pieces take in all;
// - formatting the whole image of a 500-entry event with the leaders on their
//   second page, from a generated season;
// - the same whole image's datagrams written with a raw UDP socket (the
//   baseline of the refresh);
// - a saved result through to the scoreboards (the row, the standings and a
//   refresh with code 8) in go-rounds of 500 to 10,000 entries, beside its
//   baseline in two parts: a raw SQLite update of one row of the same file
//   and raw sends of the same datagrams;
// - the event's standings rebuilt from its rows at the same sizes.
#include "app/userprompt.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "io/outputmanager.h"
#include "io/scoreboardblocks.h"
#include "io/scoreboardstate.h"
#include "io/scoreboardtext.h"
#include "platform/stream/txstream.h"
#include "rawsql.h"
#include "seasongenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons, Icon) override { return Ok; }
};

// The whole image from offset 0, whatever the code.
class WholeImage : public ScoreboardBlocks
{
public:
    WholeImage()
    {
        for (int i = 0; i < ScoreboardLayout::ImageLength; ++i)
            m_image.append(QChar(0x20 + i % 95));
    }
    ScoreboardRun build(int, BlockRange, bool, OutputContext&, ScoreboardState&) override
    {
        return {m_image, 0, QString(), false};
    }

protected:
    std::optional<QString> buildBlock(int, bool) override { return std::nullopt; }

private:
    QString m_image;
};

// The main window's side: a season's run-performance state, or none.
class Running : public OutputContext
{
public:
    CDatabaseManager* db = nullptr;
    CDatabaseManager* database() const override { return db; }
    bool hasCurrentRunPerformance() const override
    {
        return !db || OutputContext::hasCurrentRunPerformance();
    }
    bool leadersFlag(int) const override { return false; }
    DisplayProfileSettings currentProfile() const override
    {
        return {QStringLiteral("Last, First"), QStringLiteral("Last/Last"), 4};
    }
    bool displayCompetitor(EntryKey) override { return true; }
    void setAnnouncerCompetitor(EntryKey) override {}
};

class TwoScoreboards
{
public:
    explicit TwoScoreboards(std::chrono::microseconds pause, CDatabaseManager* db = nullptr)
    {
        m_context.db = db;
        QString ports;
        for (int i = 0; i < 2; ++i) {
            m_boards[i].bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
            m_boards[i].setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                        QVariant(4 * 1024 * 1024));
            ports +=
                QStringLiteral("<Port count=\"%1\" name=\"Board %1\" type=\"UDP/IP\"><Settings number=\"%2\" "
                               "baudrate=\"0\" databits=\"0\" parity=\"\"/></Port>")
                    .arg(i + 1)
                    .arg(m_boards[i].localPort());
        }
        QFile file(m_dir.path() + QStringLiteral("/IO.xml"));
        if (!file.open(QIODevice::WriteOnly)) {
            m_error = "cannot write IO.xml";
            return;
        }
        file.write(QStringLiteral("<Configuration><Ports>%1</Ports><Timer name=\"\" port=\"0\"/><RIPs>"
                                  "<RIP count=\"1\" name=\"One\" port=\"1\" type=\"Serial\" offset=\"0\"/>"
                                  "<RIP count=\"2\" name=\"Two\" port=\"2\" type=\"Serial\" offset=\"0\"/>"
                                  "</RIPs><Requests/><Monitors/></Configuration>")
                       .arg(ports)
                       .toUtf8());
        file.close();

        m_manager = std::make_unique<OutputManager>(m_dir.path() + QLatin1Char('/'), m_prompt);
        if (m_manager->LoadConfiguration() < 0) {
            m_error = "cannot load IO.xml";
            return;
        }
        for (int number = 1; number <= 2; ++number) {
            StreamPort* port = m_manager->FindPort(number);
            if (!port || !port->isOpen()) {
                m_error = "a port did not open";
                return;
            }
            port->stream().protocol().setPieceDelay(pause);
        }
        if (!db)
            m_manager->setScoreboardBlocks(std::make_unique<WholeImage>());
        m_manager->StartCommunications(&m_context);
    }

    const std::string& error() const { return m_error; }
    void refresh(int code = 1) { m_manager->Refresh(code); }
    quint16 boardPort(int i) const { return m_boards[i].localPort(); }

    // The datagrams each board received since the last drain.
    QList<QByteArray> take()
    {
        QList<QByteArray> out;
        for (QUdpSocket& board : m_boards) {
            board.waitForReadyRead(200);
            while (board.hasPendingDatagrams())
                out << board.receiveDatagram().data();
        }
        return out;
    }

    // Reads the boards until they received count datagrams in all (at most
    // five seconds); false when they did not.
    bool drain(int count)
    {
        QElapsedTimer timer;
        timer.start();
        int received = 0;
        while (received < count && timer.elapsed() < 5000) {
            for (QUdpSocket& board : m_boards) {
                while (board.hasPendingDatagrams()) {
                    board.receiveDatagram();
                    ++received;
                }
            }
            if (received < count)
                m_boards[0].waitForReadyRead(1);
        }
        return received == count;
    }

    // Empties the boards' receive buffers; returns the datagrams read.
    int drain()
    {
        int count = 0;
        for (QUdpSocket& board : m_boards) {
            while (board.hasPendingDatagrams()) {
                board.receiveDatagram();
                ++count;
            }
        }
        return count;
    }

private:
    QTemporaryDir m_dir;
    NoPrompt m_prompt;
    Running m_context;
    QUdpSocket m_boards[2];
    std::unique_ptr<OutputManager> m_manager;
    std::string m_error;
};

// The refresh's own time; with pauses the pieces go out after it returns,
// and lastDatagramMs is how long after the refresh began the boards had all
// of them.
void run(benchmark::State& state, std::chrono::microseconds pause)
{
    TwoScoreboards boards(pause);
    if (!boards.error().empty()) {
        state.SkipWithError(boards.error().c_str());
        return;
    }
    QElapsedTimer sinceRefresh;
    double lastDatagramMs = 0;
    for (auto _ : state) {
        sinceRefresh.start();
        boards.refresh();
        state.PauseTiming();
        if (!boards.drain(2 * 22)) {
            state.SkipWithError("the boards did not receive 22 datagrams each");
            break;
        }
        lastDatagramMs += double(sinceRefresh.nsecsElapsed()) / 1e6;
        state.ResumeTiming();
    }
    state.counters["lastDatagramMs"] = benchmark::Counter(lastDatagramMs, benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * 2 * 21);
    state.SetBytesProcessed(state.iterations() * 2 * ScoreboardLayout::ImageLength);
}

// The baseline of the whole image: the datagrams of one such refresh written
// to the same two boards with a raw UDP socket.
void BM_RawUdpSendOfTheWholeImage(benchmark::State& state)
{
    TwoScoreboards boards(std::chrono::microseconds(0));
    if (!boards.error().empty()) {
        state.SkipWithError(boards.error().c_str());
        return;
    }
    boards.drain();
    boards.refresh();
    const QList<QByteArray> datagrams = boards.take();
    // 21 pieces and the update trigger to each board.
    if (datagrams.size() != 2 * 22) {
        state.SkipWithError("the refresh did not send 22 datagrams to each board");
        return;
    }
    // take() lists the first board's datagrams, then the second's.
    const QList<QByteArray> one = datagrams.mid(0, 22);
    QUdpSocket raw;
    qint64 bytes = 0;
    for (auto _ : state) {
        for (int b = 0; b < 2; ++b)
            for (const QByteArray& d : one)
                bytes += raw.writeDatagram(d, QHostAddress::LocalHost, boards.boardPort(b));
        state.PauseTiming();
        boards.drain();
        state.ResumeTiming();
    }
    state.counters["datagrams"] = double(datagrams.size());
    state.SetBytesProcessed(bytes);
}

void BM_RefreshWholeImageTwoRips_WithoutPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(0));
}

void BM_RefreshWholeImageTwoRips_With2msPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(2000));
}

// A season with one rodeo whose events have 500 (or more) entries in each of
// three go-rounds (results in the first two, half of the third).
class Season
{
public:
    // The season with entries in each go-round of its events, made on first use.
    static Season& get(int entries = 500)
    {
        static std::map<int, std::unique_ptr<Season>> seasons;
        std::unique_ptr<Season>& season = seasons[entries];
        if (!season)
            season.reset(new Season(entries));
        return *season;
    }
    CDatabaseManager* db() { return m_ready ? m_db.get() : nullptr; }
    const SeasonGenerator::Result& info() const { return m_info; }
    const std::string& error() const { return m_error; }
    QString database() const
    {
        return m_dir.path() + QStringLiteral("/data/") + m_info.season + QLatin1Char('/') + m_info.season +
               QStringLiteral(".mdb");
    }

private:
    explicit Season(int entries)
    {
        const QString data = m_dir.path() + QStringLiteral("/data/");
        SeasonGenerator generator(data, QStringLiteral(TALLYRA_TEMPLATE_DB));
        SeasonGenerator::Options options;
        options.contestants = std::max(2000, entries);
        options.entriesPerGoRound = entries;
        options.animals = 300;
        options.rodeos = 1;
        options.events = 11;
        if (!generator.generate(QStringLiteral("Bench"), options, m_info)) {
            m_error = generator.lastError().toStdString();
            return;
        }
        m_db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), m_prompt);
        m_ready = m_db->OpenRodeo(m_info.season, m_info.rodeo);
        if (!m_ready)
            m_error = "the rodeo does not open";
    }

    QTemporaryDir m_dir;
    NoPrompt m_prompt;
    SeasonGenerator::Result m_info;
    std::unique_ptr<CDatabaseManager> m_db;
    bool m_ready = false;
    std::string m_error;
};

// The current entry: the first entry of the last go-round that has no result.
bool makeCurrent(CDatabaseManager& db, const QString& eventId, RegEntry* out = nullptr)
{
    const EventCfg* event = db.GetEvent(eventId);
    if (!event)
        return false;
    const QVector<RegEntry> entries = db.playerEntries().entries(eventId, event->goRoundCount());
    if (entries.isEmpty())
        return false;
    RegEntry e = entries.last();
    if (!db.SetCurEntry(e))
        return false;
    if (out)
        *out = e;
    return true;
}

void BM_BuildWholeImage500Entries(benchmark::State& state)
{
    CDatabaseManager* db = Season::get().db();
    if (!db || !makeCurrent(*db, Season::get().info().scoredEvent)) {
        state.SkipWithError(db ? "no current entry" : Season::get().error().c_str());
        return;
    }
    const bool network = state.range(0) != 0;
    Running context;
    context.db = db;
    ScoreboardText text;
    ScoreboardState scoreboard;
    qsizetype length = 0;
    for (auto _ : state) {
        scoreboard.goPage = 1; // the leaders' second page
        scoreboard.overallPage = 1;
        const ScoreboardRun run = text.build(1, BlockRange{0, 7}, network, context, scoreboard);
        length = run.text.size();
        benchmark::DoNotOptimize(run.text.constData());
    }
    state.counters["characters"] = double(length);
    state.counters["goRoundEntries"] = double(db->standings().goRound(db->curEntry().goRound).size());
}

// The standings of the event rebuilt from its rows, as picking the event does,
// in go-rounds of 500, 2,000 or 10,000 entries.
void BM_StandingsRebuilt(benchmark::State& state)
{
    Season& season = Season::get(int(state.range(0)));
    CDatabaseManager* db = season.db();
    if (!db || !makeCurrent(*db, season.info().scoredEvent)) {
        state.SkipWithError(db ? "no current entry" : season.error().c_str());
        return;
    }
    for (auto _ : state) {
        if (!db->ReloadCurStats()) {
            state.SkipWithError("the standings were not rebuilt");
            break;
        }
    }
    state.counters["overallEntries"] = double(db->standings().overall().size());
}

// One saved result, as the entry bar saves it, through to the last datagram
// handed to the sockets of two scoreboards (no pauses between pieces), in a
// go-round of 500, 2,000 or 10,000 entries; and the save alone, to see how
// the row and the standings update grow.
void BM_SavedResultToScoreboards(benchmark::State& state)
{
    Season& season = Season::get(int(state.range(1)));
    CDatabaseManager* db = season.db();
    RegEntry entry;
    if (!db || !makeCurrent(*db, season.info().scoredEvent, &entry)) {
        state.SkipWithError(db ? "no current entry" : season.error().c_str());
        return;
    }
    // Without boards: the save alone (the row and the standings update).
    std::unique_ptr<TwoScoreboards> boards;
    if (state.range(2) != 0) {
        boards = std::make_unique<TwoScoreboards>(std::chrono::microseconds(0), db);
        if (!boards->error().empty()) {
            state.SkipWithError(boards->error().c_str());
            return;
        }
    }
    // As shipped every saved row is flushed to the disk before the save
    // returns; without that, what is left is the program's own work.
    const bool syncOff = state.range(0) != 0;
    db->connection().execute(syncOff ? QStringLiteral("PRAGMA synchronous=OFF")
                                     : QStringLiteral("PRAGMA synchronous=FULL"));
    if (boards) {
        boards->refresh(9); // the leader values the result block measures against
        boards->drain();
    }
    qint64 i = 0;
    for (auto _ : state) {
        ResultRecord r;
        r.key = makeEntryKey(entry.ptId, entry.plrEnt);
        r.JR[0] = r.JR[1] = quint16(2000 + (i * 13) % 300);
        r.JS[0] = r.JS[1] = quint16(1900 + (i * 11) % 300);
        r.score = quint32(r.JR[0]) * 2 + quint32(r.JS[0]) * 2;
        r.success = 1;
        if (!db->SetStatsPerformance(entry, r)) {
            state.SkipWithError("SetStatsPerformance failed");
            break;
        }
        if (boards) {
            boards->refresh(8);
            state.PauseTiming();
            boards->drain();
            state.ResumeTiming();
        }
        ++i;
    }
    db->connection().execute(QStringLiteral("PRAGMA synchronous=FULL"));
    state.counters["goRoundEntries"] = double(db->standings().goRound(entry.goRound).size());
}

// The baseline of the same run: the datagrams one such refresh sends, written
// to the same two sockets with a raw UDP socket.
void BM_RawUdpSendOfTheSameDatagrams(benchmark::State& state)
{
    CDatabaseManager* db = Season::get().db();
    RegEntry entry;
    if (!db || !makeCurrent(*db, Season::get().info().scoredEvent, &entry)) {
        state.SkipWithError(db ? "no current entry" : Season::get().error().c_str());
        return;
    }
    TwoScoreboards boards(std::chrono::microseconds(0), db);
    if (!boards.error().empty()) {
        state.SkipWithError(boards.error().c_str());
        return;
    }
    boards.drain();
    boards.refresh(8);
    const QList<QByteArray> datagrams = boards.take();
    if (datagrams.isEmpty()) {
        state.SkipWithError("the refresh sent nothing");
        return;
    }
    // take() lists the first board's datagrams, then the second's: the same.
    const QList<QByteArray> one = datagrams.mid(0, datagrams.size() / 2);
    QUdpSocket raw;
    qint64 bytes = 0;
    for (auto _ : state) {
        for (int b = 0; b < 2; ++b)
            for (const QByteArray& d : one)
                bytes += raw.writeDatagram(d, QHostAddress::LocalHost, boards.boardPort(b));
        state.PauseTiming();
        boards.drain();
        state.ResumeTiming();
    }
    state.counters["datagrams"] = double(2 * one.size());
    state.SetBytesProcessed(bytes);
}

// The other half of the save's baseline: one row of the same event updated
// with raw SQLite, in the same go-round sizes; and the same update with the
// history row the program's triggers write beside every saved result.
void BM_RawSqliteOneRowUpdate(benchmark::State& state)
{
    Season& season = Season::get(int(state.range(1)));
    if (!season.db()) {
        state.SkipWithError(season.error().c_str());
        return;
    }
    rawsql::oneRowUpdates(state, season.database(), season.info().scoredEvent, state.range(0) != 0,
                          state.range(2) != 0);
}

} // namespace

BENCHMARK(BM_BuildWholeImage500Entries)
    ->ArgName("network")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
// Second argument: the entries in each go-round of the event; third: 1 to
// the boards, 0 for the save alone.
BENCHMARK(BM_SavedResultToScoreboards)
    ->ArgNames({"syncOff", "entries", "boards"})
    ->Args({0, 500, 1})
    ->Args({1, 500, 1})
    ->Args({1, 2000, 1})
    ->Args({1, 10000, 1})
    ->Args({0, 10000, 1})
    ->Args({0, 500, 0})
    ->Args({1, 500, 0})
    ->Args({1, 2000, 0})
    ->Args({1, 10000, 0})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StandingsRebuilt)
    ->ArgName("entries")
    ->Arg(500)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(benchsmoke::repetitions(3))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawSqliteOneRowUpdate)
    ->ArgNames({"syncOff", "entries", "history"})
    ->Args({0, 500, 0})
    ->Args({1, 500, 0})
    ->Args({1, 10000, 0})
    ->Args({0, 10000, 0})
    ->Args({0, 500, 1})
    ->Args({1, 500, 1})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawUdpSendOfTheSameDatagrams)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawUdpSendOfTheWholeImage)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RefreshWholeImageTwoRips_WithoutPauses)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);
// Each iteration waits about 42 ms for the pieces (timing paused): a fixed
// number of them.
BENCHMARK(BM_RefreshWholeImageTwoRips_With2msPauses)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(benchsmoke::on() ? 1 : 40)
    ->UseRealTime()
    ->Repetitions(benchsmoke::repetitions(5))
    ->ReportAggregatesOnly(true);

// The streams' I/O threads and the manager's own thread run event loops, which
// need an application object.
int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
