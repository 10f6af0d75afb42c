// The draw of 1,000 entries into 10 performances of 100 with 50 requests (20
// up, 15 out, 10 buddies, 5 allowed two events), 200 of the contestants also
// placed in another event of the go-round:
// - the draw library alone, beside the same run's baseline: a plain
//   Fisher-Yates shuffle of the 1,000 entries, and the draw without requests;
// - the draw as the dialog makes it from the season (the session reading the
//   entries, requests and the other event, and naming what it leaves out);
// - that draw written (one transaction with its record and 1,000 history
//   rows) as Accept does, and undone as Undo Last Draw does.
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "draw/performancedraw.h"
#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqltransaction.h"
#include "setup/drawsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kEntries = 1000;
constexpr int kPerformances = 10;
constexpr int kOtherEvent = 200;

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// The requests, the same for the library and the season: contestant ids are 1..1000.
QVector<DrawRequestRec> requests()
{
    QVector<DrawRequestRec> all;
    const auto one = [&](DrawRequestRec::Kind kind, QVector<quint32> people, int perf) {
        DrawRequestRec r;
        r.id = all.size() + 1;
        r.kind = kind;
        r.perf = perf;
        for (quint32 p : people)
            r.members.append({p, QString()});
        all.append(r);
    };
    for (quint32 i = 0; i < 20; ++i)
        one(DrawRequestRec::Kind::Up, {7 + i * 37}, 1 + int(i % kPerformances));
    for (quint32 i = 0; i < 15; ++i)
        one(DrawRequestRec::Kind::Out, {11 + i * 53}, 1 + int((i * 3) % kPerformances));
    for (quint32 i = 0; i < 10; ++i)
        one(DrawRequestRec::Kind::Buddies,
            i % 2 ? QVector<quint32>{300 + i * 20, 301 + i * 20}
                  : QVector<quint32>{300 + i * 20, 301 + i * 20, 302 + i * 20},
            0);
    for (quint32 i = 0; i < 5; ++i)
        one(DrawRequestRec::Kind::SamePerformance, {1 + i * 3}, 0);
    return all;
}

Draw::PerformanceDrawInput libraryInput(bool withRequests)
{
    Draw::PerformanceDrawInput in;
    in.eventId = QStringLiteral("BB");
    for (int p = 1; p <= kPerformances; ++p)
        in.performances.append(Draw::Performance{p, kEntries / kPerformances});
    for (quint32 p = 1; p <= kEntries; ++p)
        in.entries.append(Draw::Entry{makeEntryKey(p, 1), {p}});
    if (!withRequests)
        return in;
    for (quint32 p = 1; p <= kOtherEvent; ++p)
        in.placed.append(Draw::Placed{p, QStringLiteral("SB"), 1 + int(p % kPerformances)});
    for (const DrawRequestRec& r : requests()) {
        Draw::Request d;
        d.id = r.id;
        d.kind = r.kind == DrawRequestRec::Kind::Up        ? Draw::Request::Up
                 : r.kind == DrawRequestRec::Kind::Out     ? Draw::Request::Out
                 : r.kind == DrawRequestRec::Kind::Buddies ? Draw::Request::Buddies
                                                           : Draw::Request::SamePerformanceAllowed;
        d.perf = r.perf;
        for (const DrawRequestRec::Member& m : r.members)
            d.members.append({m.plrId, m.eventId});
        in.requests.append(d);
    }
    return in;
}

// A season with the entries and requests above, opened by a database manager.
struct Season
{
    Season()
    {
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(data);
        db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
        ok = db->CreateSeason(QStringLiteral("Bench"), QStringLiteral("ProfileDefault"),
                              QStringLiteral("PRCA")) &&
             db->CreateRodeo(QStringLiteral("Bench"), QStringLiteral("Draw"), QStringLiteral("7/4/2026"),
                             QStringLiteral("ProfileDefault"));
        if (!ok)
            return;
        {
            SqlConnection c;
            ok = c.open(db->DatabasePath(QStringLiteral("Bench")));
            SqlTransaction tx(c);
            for (int i = 1; ok && i <= kEntries; ++i) {
                ok =
                    c.execute(QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, ?)"),
                              {QStringLiteral("Rider"), QStringLiteral("Number %1").arg(i)}) &&
                    c.execute(
                        QStringLiteral("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) "
                                       "VALUES (1, 'BB', 1, ?, 1, 0, 0)"),
                        {i});
                if (ok && i <= kOtherEvent)
                    ok = c.execute(
                        QStringLiteral("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) "
                                       "VALUES (1, 'SB', 1, ?, 1, ?, ?)"),
                        {i, 1 + i % kPerformances, 1 + i / kPerformances});
            }
            ok = ok &&
                 c.execute(
                     QStringLiteral("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId) VALUES (1, "
                                    "'BB', 1, 0, 1, ?)"),
                     {kPerformances}) &&
                 tx.commit();
        }
        ok = ok && db->OpenRodeo(QStringLiteral("Bench"), QStringLiteral("Draw"));
        for (DrawRequestRec r : requests())
            ok = ok && db->AddDrawRequest(r);
    }

    DrawSession::Options options() const
    {
        DrawSession::Options o;
        o.eventId = QStringLiteral("BB");
        o.goRound = 1;
        o.capacities = Draw::evenCapacities(kEntries, kPerformances);
        o.seed = 20260704;
        return o;
    }

    QTemporaryDir dir;
    QString data;
    NoPrompt prompt;
    std::unique_ptr<CDatabaseManager> db;
    bool ok = false;
};

Season& season()
{
    static Season s;
    return s;
}

void BM_PlainShuffle(benchmark::State& state)
{
    QVector<EntryKey> keys;
    for (quint32 p = 1; p <= kEntries; ++p)
        keys.append(makeEntryKey(p, 1));
    quint64 seed = 1;
    for (auto _ : state) {
        DrawRandom random(seed++);
        random.shuffle(keys);
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_PlainShuffle)->Unit(benchmark::kMillisecond);

void BM_LibraryDrawWithoutRequests(benchmark::State& state)
{
    const Draw::PerformanceDrawInput in = libraryInput(false);
    quint64 seed = 1;
    for (auto _ : state) {
        DrawRandom random(seed++);
        benchmark::DoNotOptimize(Draw::drawPerformances(in, random));
    }
}
BENCHMARK(BM_LibraryDrawWithoutRequests)->Unit(benchmark::kMillisecond);

void BM_LibraryDrawWith50Requests(benchmark::State& state)
{
    const Draw::PerformanceDrawInput in = libraryInput(true);
    quint64 seed = 1;
    for (auto _ : state) {
        DrawRandom random(seed++);
        const Draw::PerformanceDrawResult r = Draw::drawPerformances(in, random);
        if (!r.ok())
            state.SkipWithError(qPrintable(r.error));
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_LibraryDrawWith50Requests)->Unit(benchmark::kMillisecond);

void BM_SessionDrawFromTheSeason(benchmark::State& state)
{
    Season& s = season();
    if (!s.ok) {
        state.SkipWithError("the season could not be made");
        return;
    }
    DrawSession session(*s.db);
    DrawSession::Options o = s.options();
    for (auto _ : state) {
        const DrawSession::Plan plan = session.draw(o);
        if (!plan.ok() || plan.rows.size() != kEntries)
            state.SkipWithError(qPrintable(plan.error));
        benchmark::DoNotOptimize(plan);
        ++o.seed;
    }
}
BENCHMARK(BM_SessionDrawFromTheSeason)->Unit(benchmark::kMillisecond);

// Accept (timed) then Undo Last Draw (timed apart), each one transaction.
void BM_Accept(benchmark::State& state)
{
    Season& s = season();
    if (!s.ok) {
        state.SkipWithError("the season could not be made");
        return;
    }
    DrawSession session(*s.db);
    const DrawSession::Plan plan = session.draw(s.options());
    for (auto _ : state) {
        if (session.accept(plan) != CDatabaseManager::DrawWrite::Written)
            state.SkipWithError("the draw was not written");
        state.PauseTiming();
        session.undo(QStringLiteral("BB"), 1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Accept)->Unit(benchmark::kMillisecond);

void BM_Undo(benchmark::State& state)
{
    Season& s = season();
    if (!s.ok) {
        state.SkipWithError("the season could not be made");
        return;
    }
    DrawSession session(*s.db);
    const DrawSession::Plan plan = session.draw(s.options());
    for (auto _ : state) {
        state.PauseTiming();
        session.accept(plan);
        state.ResumeTiming();
        if (session.undo(QStringLiteral("BB"), 1) != CDatabaseManager::DrawUndo::Undone)
            state.SkipWithError("the draw was not undone");
    }
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
