// The database module on a large season (10,000 contestants, 2,000 animals,
// one rodeo with 20 events x 3 go-rounds x 500 entries): opening the rodeo,
// sorting the contestants, saving one result with its standings update,
// beside raw SQLite running the same reads and a one-row update,
// rebuilding the current event's standings and building the report data.
//
// The season is generated once per run into a temporary folder.
#include "app/userprompt.h"
#include "benchmain.h"
#include "db/databasemanager.h"
#include "platform/xml/xmldocument.h"
#include "rawsql.h"
#include "seasongenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

class SilentPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// The generated season and a database manager with its big rodeo open.
class BigSeason
{
public:
    static BigSeason& get()
    {
        static BigSeason season;
        return season;
    }

    bool ready() const { return m_ready; }
    const std::string& error() const { return m_error; }
    const SeasonGenerator::Result& info() const { return m_info; }
    CDatabaseManager& db() { return *m_db; }
    QString database() const
    {
        return m_dir.path() + QStringLiteral("/data/") + m_info.season + QLatin1Char('/') + m_info.season +
               QStringLiteral(".mdb");
    }

    bool ensureOpen()
    {
        if (m_db->isRodeoOpen())
            return true;
        return m_db->OpenRodeo(m_info.season, m_info.rodeo);
    }

private:
    BigSeason()
    {
        if (!m_dir.isValid()) {
            m_error = "no temporary folder";
            return;
        }
        const QString data = m_dir.path() + QStringLiteral("/data/");
        QElapsedTimer timer;
        timer.start();
        SeasonGenerator generator(data, QStringLiteral(TALLYRA_TEMPLATE_DB));
        if (!generator.generate(QStringLiteral("Big Season"), SeasonGenerator::Options(), m_info)) {
            m_error = generator.lastError().toStdString();
            return;
        }
        std::fprintf(stderr, "Generated %d entry rows in %lld ms\n", m_info.entryRows,
                     static_cast<long long>(timer.elapsed()));
        m_db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), m_prompt);
        m_ready = ensureOpen();
        if (!m_ready)
            m_error = "the big rodeo does not open";
    }

    QTemporaryDir m_dir;
    SilentPrompt m_prompt;
    SeasonGenerator::Result m_info;
    std::unique_ptr<CDatabaseManager> m_db;
    bool m_ready = false;
    std::string m_error;
};

BigSeason* prepared(benchmark::State& state)
{
    BigSeason& season = BigSeason::get();
    if (!season.ready()) {
        state.SkipWithError(season.error().c_str());
        return nullptr;
    }
    if (!season.ensureOpen()) {
        state.SkipWithError("OpenRodeo failed");
        return nullptr;
    }
    return &season;
}

void BM_OpenRodeo(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    for (auto _ : state) {
        state.PauseTiming();
        db.CloseRodeo();
        state.ResumeTiming();
        if (!db.OpenRodeo(season->info().season, season->info().rodeo)) {
            state.SkipWithError("OpenRodeo failed");
            break;
        }
    }
    state.counters["contestants"] = db.contestants().size();
    state.counters["teams"] = db.teams().size();
    state.counters["stock"] = db.stock().size();
    state.counters["playerEntries"] = db.playerEntries().size();
}
BENCHMARK(BM_OpenRodeo)->Unit(benchmark::kMillisecond);

// The baseline of opening the rodeo: the read-only statements one OpenRodeo
// runs, caught as it runs them, prepared once on a raw connection to the same
// file and run again, every column of every row read.
void BM_RawSqliteOpenRodeoSelects(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    db.CloseRodeo();
    rawsql::ReadCapture capture;
    capture.start();
    const bool opened = db.OpenRodeo(season->info().season, season->info().rodeo);
    const QStringList statements = capture.stop();
    rawsql::Connection raw;
    if (!opened || statements.isEmpty() || !raw.open(season->database()) || !raw.prepare(statements)) {
        state.SkipWithError(opened ? qPrintable(raw.error()) : "OpenRodeo failed");
        return;
    }
    qint64 rows = 0;
    for (auto _ : state) {
        rows = raw.runPrepared();
        if (rows < 0) {
            state.SkipWithError(qPrintable(raw.error()));
            break;
        }
    }
    state.counters["statements"] = double(statements.size());
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_RawSqliteOpenRodeoSelects)->Unit(benchmark::kMillisecond);

// The baseline of a save: one result written to one row of the same file with
// a raw UPDATE, durable (synchronous=FULL) or not.
void BM_RawSqliteOneRowUpdate(benchmark::State& state)
{
    if (BigSeason* season = prepared(state))
        rawsql::oneRowUpdates(state, season->database(), season->info().scoredEvent, state.range(0) != 0);
}
BENCHMARK(BM_RawSqliteOneRowUpdate)->ArgName("syncOff")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_SortContestants(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    const int key = static_cast<int>(state.range(0));
    const int other = key == 2 ? 4 : 2; // each sort starts from another order
    for (auto _ : state) {
        state.PauseTiming();
        db.SortContestants(other);
        state.ResumeTiming();
        db.SortContestants(key);
    }
    db.SortContestants(4);
    state.counters["contestants"] = db.contestants().size();
}
BENCHMARK(BM_SortContestants)
    ->ArgName("key")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(16)
    ->Arg(32)
    ->Arg(64)
    ->Arg(128)
    ->Arg(0x20000)
    ->Unit(benchmark::kMillisecond);

// Saves one result after another into go-round 1 of the current event, each
// with its row update and the go-round and overall standings update.
void BM_SetStatsPerformance(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    const bool syncOff = state.range(0) != 0;
    const bool timed = state.range(1) != 0;
    const QString eventId = timed ? season->info().timedEvent : season->info().scoredEvent;
    const QVector<RegEntry> entries = db.playerEntries().entries(eventId, 1);
    if (entries.isEmpty() || !db.SetCurEntry(entries.first())) {
        state.SkipWithError("no current event");
        return;
    }
    if (!db.connection().execute(syncOff ? QStringLiteral("PRAGMA synchronous=OFF")
                                         : QStringLiteral("PRAGMA synchronous=FULL"))) {
        state.SkipWithError("PRAGMA synchronous failed");
        return;
    }
    qsizetype i = 0;
    for (auto _ : state) {
        const RegEntry& e = entries[i % entries.size()];
        ResultRecord r;
        if (timed) {
            r.time = 9000 + quint32((i * 37) % 4000);
            r.penalty = i % 10 == 0 ? 5000 : 0;
            r.time += r.penalty;
        } else {
            r.JR[0] = r.JR[1] = quint16(2000 + (i * 7) % 300);
            r.JS[0] = r.JS[1] = quint16(1900 + (i * 11) % 300);
            r.score = quint32(r.JR[0]) * 2 + quint32(r.JS[0]) * 2;
            r.time = 8000;
            r.success = 1;
        }
        if (!db.SetStatsPerformance(e, r)) {
            state.SkipWithError("SetStatsPerformance failed");
            break;
        }
        ++i;
    }
    db.connection().execute(QStringLiteral("PRAGMA synchronous=FULL"));
    state.counters["goRoundEntries"] = double(db.standings().goRound(1).size());
    state.counters["overallEntries"] = double(db.standings().overall().size());
}
BENCHMARK(BM_SetStatsPerformance)
    ->ArgNames({"syncOff", "timed"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

void BM_ReloadCurStats(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    const QString eventId = state.range(0) ? season->info().timedEvent : season->info().scoredEvent;
    const QVector<RegEntry> entries = db.playerEntries().entries(eventId, 1);
    if (entries.isEmpty() || !db.SetCurEntry(entries.first())) {
        state.SkipWithError("no current event");
        return;
    }
    for (auto _ : state) {
        if (!db.ReloadCurStats()) {
            state.SkipWithError("ReloadCurStats failed");
            break;
        }
    }
    state.counters["overallEntries"] = double(db.standings().overall().size());
}
BENCHMARK(BM_ReloadCurStats)->ArgName("timed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BuildReportData(benchmark::State& state)
{
    BigSeason* season = prepared(state);
    if (!season)
        return;
    CDatabaseManager& db = season->db();
    int rows = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<XmlDocument>();
        db.BuildReportData(*doc);
        // Counting and freeing the document is the caller's business.
        state.PauseTiming();
        rows = int(doc->selectNodes(QStringLiteral("//row")).size());
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_BuildReportData)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
