// Performance Entry on the generated large season (500 entries in each
// go-round of an event, here all in one performance of 500):
// - selecting an event node and filling both lists, shown in a main window;
// - typing a running order that moves the last rider to the front, so every
//   other entry of the performance is renumbered (one transaction), beside
//   the same renumbering as two raw SQLite statements in one transaction.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "framework/syncgrid.h"
#include "platform/sql/sqlconnection.h"
#include "seasongenerator.h"
#include "ui/mainframe.h"
#include "ui/views/regentry/regentrymodel.h"
#include "ui/views/regentry/viewregentry.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString& text, const QString&, Buttons buttons, Icon) override
    {
        last = text;
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
    QString last;
};

// The season, made once for every benchmark of this program.
struct Season
{
    Season()
    {
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(data);
        SeasonGenerator::Options options;
        options.contestants = 3000;
        options.animals = 500;
        options.rodeos = 2;
        options.events = 8;
        options.goRounds = 2;
        options.performanceSize = 500;
        ok = SeasonGenerator(data, QStringLiteral(TALLYRA_TEMPLATE_DB))
                 .generate(QStringLiteral("Big"), options, result);
    }
    QString database() const
    {
        return data + result.season + QLatin1Char('/') + result.season + QStringLiteral(".mdb");
    }

    QTemporaryDir dir;
    QString data;
    SeasonGenerator::Result result;
    bool ok = false;
};

Season& season()
{
    static Season s;
    return s;
}

struct Window
{
    Window()
    {
        CMainFrame::Setup setup;
        setup.dataFolder = season().data;
        setup.templateDatabase = QStringLiteral(TALLYRA_TEMPLATE_DB);
        setup.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        frame->resize(1280, 900);
        frame->show();
        frame->ActivateRodeo(season().result.season, season().result.rodeo);
        frame->SwitchView(ViewTable::PerformanceEntry);
        view = qobject_cast<CViewRegEntry*>(frame->view(ViewTable::PerformanceEntry));
        QCoreApplication::processEvents();
    }
    NoPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
    CViewRegEntry* view = nullptr;
};

void BM_EventNodeFill(benchmark::State& state)
{
    if (!season().ok) {
        state.SkipWithError("cannot make the season");
        return;
    }
    Window w;
    const QString events[] = {season().result.scoredEvent, season().result.timedEvent};
    int i = 0;
    for (auto _ : state) {
        // Another event each time, so the lists are filled again.
        w.view->selectNode(events[i++ % 2]);
        w.view->lists()->left()->viewport()->repaint();
        w.view->lists()->right()->viewport()->repaint();
    }
    state.counters["rows"] = w.view->model()->rowCount();
}
BENCHMARK(BM_EventNodeFill)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

// Moves the last of a performance of 500 to the front and back again: each
// iteration renumbers 499 entries.
void BM_TypedRunningOrderRenumbers(benchmark::State& state)
{
    if (!season().ok) {
        state.SkipWithError("cannot make the season");
        return;
    }
    Window w;
    const QString event = season().result.scoredEvent;
    w.view->selectNode(event, 1, 1);
    RegEntryModel* model = w.view->model();
    const int column = model->columnOf(RegEntryModel::Kind::RunningOrder);
    int row = -1;
    for (int r = 0; r < model->rowCount() && row < 0; ++r)
        if (model->entryAt(r).perf == 1 && model->entryAt(r).ord == 500)
            row = r;
    if (row < 0 || column < 0) {
        state.SkipWithError("no entry at running order 500");
        return;
    }
    // The lists are sorted by running order: the entry's row moves with it.
    const EntryKey key = model->keyAt(row);
    bool front = true;
    for (auto _ : state) {
        if (!model->setData(model->index(model->rowOf(key), column), QString::number(front ? 1 : 500))) {
            const RegEntry e = model->entryAt(row);
            state.SkipWithError(("the running order was refused: " + w.prompt.last).toStdString().c_str());
            return;
        }
        front = !front;
    }
}
BENCHMARK(BM_TypedRunningOrderRenumbers)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

// Baseline: the same renumbering as raw statements on the same rows.
void BM_RawSqliteRenumber(benchmark::State& state)
{
    if (!season().ok) {
        state.SkipWithError("cannot make the season");
        return;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(season().database().toUtf8().constData(), &db) != SQLITE_OK) {
        state.SkipWithError("cannot open the season");
        return;
    }
    const QByteArray event = season().result.scoredEvent.toUtf8();
    const char* statements[] = {"UPDATE Scores SET Ord = Ord + 1 WHERE EvId = ?1 AND GoId = 1 AND PerfId = 1 "
                                "AND Ord >= 1 AND ptId > 0",
                                "UPDATE Scores SET Ord = Ord - 1 WHERE EvId = ?1 AND GoId = 1 AND PerfId = 1 "
                                "AND Ord > 1 AND ptId > 0"};
    sqlite3_stmt* stmts[2] = {};
    for (int s = 0; s < 2; ++s) {
        sqlite3_prepare_v2(db, statements[s], -1, &stmts[s], nullptr);
        sqlite3_bind_text(stmts[s], 1, event.constData(), int(event.size()), SQLITE_TRANSIENT);
    }
    int s = 0;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_step(stmts[s]);
        sqlite3_reset(stmts[s]);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        s ^= 1;
    }
    for (sqlite3_stmt* stmt : stmts)
        sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteRenumber)->Unit(benchmark::kMillisecond)->MinTime(benchsmoke::minTime(2.0));

} // namespace

// The main window needs a widget application; the offscreen platform is enough.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
