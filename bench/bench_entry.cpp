// The entry views on the large season (10,000 contestants): Contestant Entry
// filled when it is shown, a click on a column title, a Find in the grid,
// and scrolling the grid, each with the repaint the operator waits for. The
// grid is a model that hands out only the rows on screen, so none of these
// grows with the rows that are not shown.
//
// The season is generated once per run into a temporary folder; the windows
// are drawn offscreen.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "seasongenerator.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/mainframe.h"
#include "ui/views/people/recordgridmodel.h"
#include "ui/views/people/syncgridlistctrlcontestants.h"
#include "ui/views/people/viewcontentry.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
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

// The generated season open in a main window.
class BigWindow
{
public:
    static BigWindow& get()
    {
        if (!s_window)
            s_window = new BigWindow;
        return *s_window;
    }
    // The window goes before the application does.
    static void release()
    {
        delete s_window;
        s_window = nullptr;
    }
    bool ready() const { return m_frame != nullptr; }
    const std::string& error() const { return m_error; }
    CMainFrame& frame() { return *m_frame; }
    CViewContEntry* contestants()
    {
        return static_cast<CViewContEntry*>(m_frame->view(ViewTable::ContestantEntry));
    }

private:
    BigWindow()
    {
        const QString data = m_dir.path() + QStringLiteral("/data/");
        SeasonGenerator generator(data, QStringLiteral(TALLYRA_TEMPLATE_DB));
        SeasonGenerator::Result info;
        if (!generator.generate(QStringLiteral("Big Season"), SeasonGenerator::Options(), info)) {
            m_error = generator.lastError().toStdString();
            return;
        }
        CMainFrame::Setup setup;
        setup.dataFolder = data;
        setup.templateDatabase = QStringLiteral(TALLYRA_TEMPLATE_DB);
        setup.prompt = &m_prompt;
        auto frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        frame->resize(1280, 860);
        frame->show();
        if (!frame->ActivateRodeo(info.season, info.rodeo)) {
            m_error = "the big rodeo does not open";
            return;
        }
        m_frame = std::move(frame);
    }

    static inline BigWindow* s_window = nullptr;
    QTemporaryDir m_dir;
    SilentPrompt m_prompt;
    std::unique_ptr<CMainFrame> m_frame;
    std::string m_error;
};

BigWindow* prepared(benchmark::State& state)
{
    BigWindow& window = BigWindow::get();
    if (!window.ready()) {
        state.SkipWithError(window.error().c_str());
        return nullptr;
    }
    return &window;
}

void paint(QWidget* w)
{
    w->repaint();
    QApplication::processEvents();
}

// Switching to Contestant Entry from another view: the collection back in
// last-name order (it was left in year order) and the grid shown.
void BM_ContestantEntryFirstFill(benchmark::State& state)
{
    BigWindow* window = prepared(state);
    if (!window)
        return;
    CMainFrame& frame = window->frame();
    for (auto _ : state) {
        state.PauseTiming();
        frame.SwitchView(ViewTable::RodeoSetup);
        frame.database().SortContestants(8);
        QApplication::processEvents();
        state.ResumeTiming();
        frame.SwitchView(ViewTable::ContestantEntry);
        paint(window->contestants()->grid()->viewport());
    }
    state.counters["rows"] = window->contestants()->grid()->model()->rowCount();
}
BENCHMARK(BM_ContestantEntryFirstFill)->Unit(benchmark::kMillisecond);

// A click on a title: "Last Name" and "Year" in turn, each from the other's order.
void BM_SortOnColumnTitle(benchmark::State& state)
{
    BigWindow* window = prepared(state);
    if (!window)
        return;
    window->frame().SwitchView(ViewTable::ContestantEntry);
    CSyncGridListCtrlContestants* grid = window->contestants()->grid();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        grid->sortByColumn(column == 3 ? 5 : 3);
        state.ResumeTiming();
        grid->sortByColumn(column);
        paint(grid->viewport());
    }
}
BENCHMARK(BM_SortOnColumnTitle)->Arg(3)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond);

// A Find that matches nothing reads every row: the worst case.
void BM_FindInTheGrid(benchmark::State& state)
{
    BigWindow* window = prepared(state);
    if (!window)
        return;
    window->frame().SwitchView(ViewTable::ContestantEntry);
    QLineEdit* last = window->contestants()->findBar()->field(2);
    const bool found = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        last->clear();
        state.ResumeTiming();
        last->setText(found ? QStringLiteral("W") : QStringLiteral("Zzq"));
        emit last->textEdited(last->text());
        paint(window->contestants()->grid()->viewport());
    }
}
BENCHMARK(BM_FindInTheGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A page down through the grid, repainted.
void BM_ScrollTheGrid(benchmark::State& state)
{
    BigWindow* window = prepared(state);
    if (!window)
        return;
    window->frame().SwitchView(ViewTable::ContestantEntry);
    QScrollBar* bar = window->contestants()->grid()->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + bar->pageStep()) % qMax(1, bar->maximum());
        bar->setValue(value);
        paint(window->contestants()->grid()->viewport());
    }
}
BENCHMARK(BM_ScrollTheGrid)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BigWindow::release();
    return 0;
}
