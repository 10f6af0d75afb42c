// The views an operator runs a go-round from, in go-rounds of 500, 2,000 and
// 10,000 entries (a jackpot's size), drawn offscreen in a main window:
// - Run Performance: the event picked, its lists filled and painted. The
//   whole go-round is one performance, so the lists show every entry;
// - Box Entry: the event picked, every entry of it across its go-rounds
//   listed and painted;
// - a result saved through the main window while either view shows the
//   event: the row, the standings, the leader board and the view's lists
//   brought up to date and painted (synchronous=OFF, so that what is left is
//   the program's own work, not the disk's).
// Each should grow no faster than the rows it reads; the save should barely
// grow at all.
//
// A season per size is generated on first use into a temporary folder.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "framework/syncgrid.h"
#include "platform/sql/sqlconnection.h"
#include "seasongenerator.h"
#include "ui/mainframe.h"
#include "ui/views/boxentry/viewboxentry.h"
#include "ui/views/runperf/runperfmodel.h"
#include "ui/views/runperf/viewrunperf.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// Two events (a timed one and a scored one), three go-rounds of the given
// number of entries, each go-round one performance.
class Season
{
public:
    static Season& get(int entries)
    {
        static std::map<int, std::unique_ptr<Season>> seasons;
        std::unique_ptr<Season>& season = seasons[entries];
        if (!season)
            season.reset(new Season(entries));
        return *season;
    }
    bool ok() const { return m_ok; }
    const std::string& error() const { return m_error; }
    const QString& data() const { return m_data; }
    const SeasonGenerator::Result& info() const { return m_info; }

private:
    explicit Season(int entries)
    {
        m_data = m_dir.path() + QStringLiteral("/data/");
        SeasonGenerator generator(m_data, QStringLiteral(TALLYRA_TEMPLATE_DB));
        SeasonGenerator::Options options;
        options.contestants = std::max(2000, entries);
        options.animals = 300;
        options.rodeos = 1;
        options.events = 2;
        options.goRounds = 3;
        options.entriesPerGoRound = entries;
        options.performanceSize = entries;
        m_ok = generator.generate(QStringLiteral("Jackpot"), options, m_info);
        if (!m_ok)
            m_error = generator.lastError().toStdString();
        if (m_ok && (m_info.scoredEvent.isEmpty() || m_info.timedEvent.isEmpty())) {
            m_ok = false;
            m_error = "the season has no scored or no timed event";
        }
    }

    QTemporaryDir m_dir;
    QString m_data;
    SeasonGenerator::Result m_info;
    bool m_ok = false;
    std::string m_error;
};

// The season's rodeo open in a main window showing one view.
class Window
{
public:
    Window(Season& season, int viewId)
    {
        CMainFrame::Setup setup;
        setup.dataFolder = season.data();
        setup.templateDatabase = QStringLiteral(TALLYRA_TEMPLATE_DB);
        setup.prompt = &m_prompt;
        m_frame = std::make_unique<CMainFrame>(setup);
        m_frame->CreateViews();
        m_frame->resize(1280, 900);
        m_frame->show();
        if (!m_frame->ActivateRodeo(season.info().season, season.info().rodeo))
            return;
        m_frame->SwitchView(viewId);
        QApplication::processEvents();
        m_open = true;
    }
    bool open() const { return m_open; }
    CMainFrame& frame() { return *m_frame; }
    CViewRunPerf* runPerformance() const
    {
        return static_cast<CViewRunPerf*>(m_frame->view(ViewTable::RunPerformance));
    }
    CViewBoxEntry* boxEntry() const
    {
        return static_cast<CViewBoxEntry*>(m_frame->view(ViewTable::BoxEntry));
    }

    // The operator picks the event in the view's event list.
    static bool pick(QComboBox* box, const QString& eventId)
    {
        const int index = box->findData(eventId);
        if (index < 0)
            return false;
        box->setCurrentIndex(index);
        emit box->activated(index);
        return true;
    }
    static void paint(CSyncGridPair* lists)
    {
        lists->left()->viewport()->repaint();
        lists->right()->viewport()->repaint();
        QApplication::processEvents();
    }

private:
    NoPrompt m_prompt;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_open = false;
};

Season* prepared(benchmark::State& state)
{
    Season& season = Season::get(int(state.range(0)));
    if (!season.ok()) {
        state.SkipWithError(season.error().c_str());
        return nullptr;
    }
    return &season;
}

// The event picked in the view, the other one each time, so the lists are
// filled again: in Run Performance go-round 1, its one performance of every
// entry; in Box Entry every entry of it, across its go-rounds.
template <class View> void fillLists(benchmark::State& state, int viewId, View* (Window::*shown)() const)
{
    Season* season = prepared(state);
    if (!season)
        return;
    Window w(*season, viewId);
    if (!w.open()) {
        state.SkipWithError("the rodeo does not open");
        return;
    }
    View* view = (w.*shown)();
    const QString events[] = {season->info().scoredEvent, season->info().timedEvent};
    int i = 0;
    for (auto _ : state) {
        if (!Window::pick(view->eventSelector(), events[i++ % 2])) {
            state.SkipWithError("the event is not in the list");
            return;
        }
        Window::paint(view->lists());
    }
    state.counters["rows"] = view->model()->rowCount();
}

void BM_RunPerformanceListFill(benchmark::State& state)
{
    fillLists(state, ViewTable::RunPerformance, &Window::runPerformance);
}

void BM_BoxEntryFill(benchmark::State& state)
{
    fillLists(state, ViewTable::BoxEntry, &Window::boxEntry);
}

// A result of the scored event saved through the main window while Run
// Performance (view 0) or Box Entry (view 1) shows the event; the lists
// painted after it.
void BM_SavedResultShown(benchmark::State& state)
{
    Season* season = prepared(state);
    if (!season)
        return;
    const bool box = state.range(1) != 0;
    Window w(*season, box ? ViewTable::BoxEntry : ViewTable::RunPerformance);
    if (!w.open()) {
        state.SkipWithError("the rodeo does not open");
        return;
    }
    const QString eventId = season->info().scoredEvent;
    QComboBox* selector = box ? w.boxEntry()->eventSelector() : w.runPerformance()->eventSelector();
    CSyncGridPair* lists = box ? w.boxEntry()->lists() : w.runPerformance()->lists();
    const RunPerfModel* model = box ? w.boxEntry()->model() : w.runPerformance()->model();
    if (!Window::pick(selector, eventId)) {
        state.SkipWithError("the event is not in the list");
        return;
    }
    CDatabaseManager& db = w.frame().database();
    // Run Performance shows go-round 1; Box Entry saves in the last one.
    const EventCfg* event = db.GetEvent(eventId);
    const int go = box && event ? event->goRoundCount() : 1;
    const QVector<RegEntry> entries = db.playerEntries().entries(eventId, go);
    if (entries.isEmpty() || !db.SetCurEntry(entries.last())) {
        state.SkipWithError("no entry to save");
        return;
    }
    const RegEntry entry = entries.last();
    db.connection().execute(QStringLiteral("PRAGMA synchronous=OFF"));
    qint64 i = 0;
    for (auto _ : state) {
        ResultRecord r;
        r.key = makeEntryKey(entry.ptId, entry.plrEnt);
        r.JR[0] = r.JR[1] = quint16(2000 + (i * 13) % 300);
        r.JS[0] = r.JS[1] = quint16(1900 + (i * 11) % 300);
        r.score = quint32(r.JR[0]) * 2 + quint32(r.JS[0]) * 2;
        r.success = 1;
        if (!w.frame().SaveResult(entry, r, ChangeSource::EntryBar)) {
            state.SkipWithError("the save failed");
            break;
        }
        Window::paint(lists);
        ++i;
    }
    db.connection().execute(QStringLiteral("PRAGMA synchronous=FULL"));
    state.counters["rows"] = model->rowCount();
}

constexpr int kSizes[] = {500, 2000, 10000};

void sizes(benchmark::internal::Benchmark* b)
{
    for (int entries : kSizes)
        b->Arg(entries);
}

void sizesAndViews(benchmark::internal::Benchmark* b)
{
    for (int view : {0, 1})
        for (int entries : kSizes)
            b->Args({entries, view});
}

BENCHMARK(BM_RunPerformanceListFill)
    ->ArgName("entries")
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(benchsmoke::minTime(1.0));
BENCHMARK(BM_BoxEntryFill)
    ->ArgName("entries")
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(benchsmoke::minTime(1.0));
BENCHMARK(BM_SavedResultShown)
    ->ArgNames({"entries", "boxEntry"})
    ->Apply(sizesAndViews)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(benchsmoke::minTime(1.0));

} // namespace

// The main window needs a widget application; the offscreen platform is enough.
int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
