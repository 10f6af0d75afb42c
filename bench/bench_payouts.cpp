// Payouts on a generated rodeo of 12 events x 500 entries in two go-rounds
// (the first with results, the second with results for half its entries),
// every event paying its go-rounds and its average by the standard schedule:
// - the payouts computed (standings of every event, the split, the places,
//   the cheque list);
// - computed and written: "Post Earnings" (every contestant's earnings, the
//   posting's lines and the result history, one transaction; undone between
//   rounds, outside the time);
// - the sheets written as HTML pages;
// beside a raw SQLite baseline in the same run: the same result rows read and
// the same number of rows written in one transaction with plain statements.
#include "app/userprompt.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "reports/payoutpages.h"
#include "seasongenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// The season and a database manager with its big rodeo open and paying,
// made once for every benchmark of this program.
struct Rodeo
{
    Rodeo()
    {
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(data);
        SeasonGenerator::Options options;
        options.contestants = 6000;
        options.animals = 500;
        options.rodeos = 2;
        options.events = 12;
        options.goRounds = 2;
        options.entriesPerGoRound = 500;
        options.performanceSize = 50;
        if (!SeasonGenerator(data, QStringLiteral(TALLYRA_TEMPLATE_DB))
                 .generate(QStringLiteral("Big"), options, info)) {
            error = "cannot make the season";
            return;
        }
        db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
        if (!db->OpenRodeo(info.season, info.rodeo) || !db->AddBuiltInPayoutSchedules()) {
            error = "cannot open the rodeo";
            return;
        }
        for (const EventCfg& e : db->events()) {
            EventPurse purse;
            if (!db->GetEventPurse(e.id, purse))
                continue;
            purse.purse.addedMoney = 500000;
            purse.purse.entryFee = 10000;
            purse.purse.deductionShare = 500;
            QString why;
            if (!db->SaveEventPurse(purse, &why)) {
                error = why.toStdString();
                return;
            }
        }
        RodeoPayout payout;
        if (!db->ComputeRodeoPayout(payout) || !payout.canPay()) {
            error = "the rodeo cannot be paid";
            return;
        }
        events = int(payout.events.size());
        cheques = int(payout.cheques.size());
        for (const ChequeLine& c : payout.cheques)
            lines += int(c.events.size());
        ok = true;
    }
    QString database() const
    {
        return data + info.season + QLatin1Char('/') + info.season + QStringLiteral(".mdb");
    }

    QTemporaryDir dir;
    QString data;
    SeasonGenerator::Result info;
    NoPrompt prompt;
    std::unique_ptr<CDatabaseManager> db;
    int events = 0;
    int cheques = 0;
    int lines = 0;
    bool ok = false;
    std::string error;
};

Rodeo* rodeo(benchmark::State& state)
{
    static Rodeo r;
    if (!r.ok) {
        state.SkipWithError(r.error.c_str());
        return nullptr;
    }
    return &r;
}

void BM_ComputePayouts(benchmark::State& state)
{
    Rodeo* r = rodeo(state);
    if (!r)
        return;
    for (auto _ : state) {
        RodeoPayout payout;
        if (!r->db->ComputeRodeoPayout(payout)) {
            state.SkipWithError("ComputeRodeoPayout failed");
            break;
        }
        benchmark::DoNotOptimize(payout.cheques.data());
    }
    state.counters["events"] = r->events;
    state.counters["contestantsPaid"] = r->cheques;
}
BENCHMARK(BM_ComputePayouts)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

void BM_ComputeAndPostEarnings(benchmark::State& state)
{
    Rodeo* r = rodeo(state);
    if (!r)
        return;
    for (auto _ : state) {
        QString why;
        if (!r->db->PostEarnings(&why)) {
            state.SkipWithError(why.toUtf8().constData());
            break;
        }
        state.PauseTiming();
        if (!r->db->UndoPayoutPosting(&why))
            state.SkipWithError(why.toUtf8().constData());
        state.ResumeTiming();
    }
    state.counters["contestantsPaid"] = r->cheques;
    state.counters["postingLines"] = r->lines;
}
BENCHMARK(BM_ComputeAndPostEarnings)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

void BM_ComputeAndWritePages(benchmark::State& state)
{
    Rodeo* r = rodeo(state);
    if (!r)
        return;
    const QString folder = r->data + QStringLiteral("Html/");
    for (auto _ : state) {
        RodeoPayout payout;
        r->db->ComputeRodeoPayout(payout);
        if (PayoutPages(*r->db).writeRodeo(payout, nullptr, folder).isEmpty()) {
            state.SkipWithError("writeRodeo failed");
            break;
        }
    }
}
BENCHMARK(BM_ComputeAndWritePages)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

// Baseline: the rodeo's result rows of the paying events read, and as many
// rows written in one transaction as a posting writes (an earnings update, a
// posting row and a history row per contestant, a line per contestant and
// event), as plain statements; the rows added are removed outside the time.
void BM_RawSqliteReadAndWrite(benchmark::State& state)
{
    Rodeo* r = rodeo(state);
    if (!r)
        return;
    sqlite3* db = nullptr;
    if (sqlite3_open(r->database().toUtf8().constData(), &db) != SQLITE_OK) {
        state.SkipWithError("cannot open the season");
        return;
    }
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 5000);
    const char* statements[] = {
        "SELECT ptId, PlrEnt, GoId, PerfId, Ord, JTot, RideTime, Status FROM Scores WHERE RoId = ?1",
        "SELECT ptId, PlrEnt, GoId, PerfId, Ord, RideTime, PenTime, Status FROM Times WHERE RoId = ?1",
        "UPDATE Rosters SET PlrEarnCur = ?2 WHERE PlrId = ?1",
        "INSERT INTO PayoutPostingEarnings (PoId, PlrId, PgAmount, PgBefore, PgAfter) VALUES (-1, ?1, 100, "
        "'', ?2)",
        "INSERT INTO ResultHistory (HiWhen, HiSource, HiAction, HiTable, RoId, ptId, HiOld, HiNew) VALUES "
        "('now', 'Bench', 'Post', 'Rosters', -1, ?1, '{}', ?2)",
        "INSERT INTO PayoutPostingLines (PoId, PlrId, EvId, PlAmount) VALUES (-1, ?1, ?2, 100)",
    };
    sqlite3_stmt* stmts[6] = {};
    for (int s = 0; s < 6; ++s)
        if (sqlite3_prepare_v2(db, statements[s], -1, &stmts[s], nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_close(db);
            return;
        }
    const int perContestant = r->cheques > 0 ? std::max(1, r->lines / r->cheques) : 1;
    for (auto _ : state) {
        qint64 read = 0;
        for (int s = 0; s < 2; ++s) {
            sqlite3_bind_int(stmts[s], 1, r->info.rodeoId);
            while (sqlite3_step(stmts[s]) == SQLITE_ROW)
                read += sqlite3_column_int(stmts[s], 0);
            sqlite3_reset(stmts[s]);
        }
        benchmark::DoNotOptimize(read);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int c = 1; c <= r->cheques; ++c) {
            for (int s = 2; s <= 4; ++s) {
                sqlite3_bind_int(stmts[s], 1, c);
                sqlite3_bind_text(stmts[s], 2, "12345", -1, SQLITE_STATIC);
                sqlite3_step(stmts[s]);
                sqlite3_reset(stmts[s]);
            }
            for (int e = 0; e < perContestant; ++e) {
                const QByteArray ev = QByteArray("E") + QByteArray::number(e);
                sqlite3_bind_int(stmts[5], 1, c);
                sqlite3_bind_text(stmts[5], 2, ev.constData(), int(ev.size()), SQLITE_TRANSIENT);
                sqlite3_step(stmts[5]);
                sqlite3_reset(stmts[5]);
            }
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_exec(db,
                     "DELETE FROM PayoutPostingEarnings WHERE PoId = -1; DELETE FROM PayoutPostingLines "
                     "WHERE PoId = -1; "
                     "DELETE FROM ResultHistory WHERE RoId = -1;",
                     nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    for (sqlite3_stmt* stmt : stmts)
        sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteReadAndWrite)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
