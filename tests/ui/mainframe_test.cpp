#include "app/commandids.h"
#include "app/filemgr.h"
#include "app/viewtable.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "io/outputmanager.h"
#include "ui/mainframe.h"
#include "ui/views/workview.h"
#include "ui/windowplacement.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kSeason = QStringLiteral("S1");

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        ScriptedPrompt setupPrompt;
        CDatabaseManager db(folder, templateDb(), setupPrompt);
        QDir().mkpath(folder);
        ASSERT_TRUE(db.CreateSeason(kSeason, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")));
        for (const char* r : {"Spring", "Fall"})
            ASSERT_TRUE(db.CreateRodeo(kSeason, QString::fromLatin1(r), QStringLiteral("1/1/2026"),
                                       QStringLiteral("ProfileDefault")));
    }

    static QString templateDb() { return QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"); }

    std::unique_ptr<CMainFrame> makeFrame()
    {
        CMainFrame::Setup setup;
        setup.dataFolder = folder;
        setup.templateDatabase = templateDb();
        setup.prompt = &prompt;
        auto frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        return frame;
    }

    QString state(CMainFrame& f, int level, const char* attr, const char* elem = "")
    {
        QString v;
        f.files().GetCfgAtt(v, level, QString::fromLatin1(attr), QString::fromLatin1(elem));
        return v;
    }
    void setState(CMainFrame& f, int level, const char* attr, const QString& value, const char* elem = "")
    {
        ASSERT_TRUE(f.files().SetCfgAtt(value, level, QString::fromLatin1(attr), QString::fromLatin1(elem)));
    }

    QTemporaryDir dir;
    QString folder;
    ScriptedPrompt prompt;
    LogCapture log;
};

} // namespace

TEST_F(MainFrameTest, StartsOnTheLogoPageWithBarsHiddenAndViewsDisabled)
{
    auto f = makeFrame();
    f->show();
    EXPECT_EQ(f->currentView(), ViewTable::Logo);
    EXPECT_TRUE(f->viewSelector()->isHidden());
    EXPECT_TRUE(f->leaderBoardBar()->isHidden());
    EXPECT_TRUE(f->messageBar()->isHidden());
    for (int id = ViewTable::First; id <= ViewTable::Last; ++id)
        EXPECT_FALSE(f->action(id)->isEnabled()) << id;
    EXPECT_FALSE(f->action(CommandId::ToggleViewSelector)->isEnabled());
    EXPECT_TRUE(f->action(CommandId::About)->isEnabled());
    EXPECT_EQ(log.lines(), QStringList()); // a start that asked for no rodeo reports nothing

    // The tabs in table order.
    QStringList tabs;
    for (int i = 0; i < f->viewTabs()->count(); ++i)
        tabs << f->viewTabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("Rodeo Setup"), QStringLiteral("Contestant Entry"),
                                 QStringLiteral("Stock Entry"), QStringLiteral("Import File"),
                                 QStringLiteral("Performance Entry"), QStringLiteral("Run Performance"),
                                 QStringLiteral("Box Entry"), QStringLiteral("Reports")}));
    EXPECT_EQ(f->viewTabs()->objectName(), QStringLiteral("viewtabs"));
}

TEST_F(MainFrameTest, StartUpReopensTheStoredRodeoAndView)
{
    {
        auto f = makeFrame();
        setState(*f, 0, "season", kSeason);
        setState(*f, 0, "rodeo", QStringLiteral("Spring"));
        setState(*f, 1, "curView", QStringLiteral("CViewReports"));
    }
    auto f = makeFrame();
    ASSERT_TRUE(f->RestoreLastRodeo());
    EXPECT_EQ(f->currentView(), ViewTable::Reports);
    EXPECT_EQ(f->database().GetRodeoName(), QStringLiteral("Spring"));
    EXPECT_TRUE(f->action(ViewTable::Reports)->isChecked());
    EXPECT_TRUE(f->action(ViewTable::Import)->isEnabled());
}

TEST_F(MainFrameTest, UnknownOrEmptyStoredViewGivesRodeoSetup)
{
    for (const QString& stored : {QString(), QStringLiteral("CViewNothing")}) {
        {
            auto f = makeFrame();
            setState(*f, 0, "season", kSeason);
            setState(*f, 0, "rodeo", QStringLiteral("Spring"));
            setState(*f, 1, "curView", stored);
        }
        auto f = makeFrame();
        ASSERT_TRUE(f->RestoreLastRodeo());
        EXPECT_EQ(f->currentView(), ViewTable::RodeoSetup) << stored.toStdString();
    }
}

TEST_F(MainFrameTest, StoredSeasonThatIsNotAFolderNameOpensNothing)
{
    {
        auto f = makeFrame();
        setState(*f, 0, "season", QStringLiteral("../S1"));
        setState(*f, 0, "rodeo", QStringLiteral("Spring"));
    }
    auto f = makeFrame();
    EXPECT_FALSE(f->RestoreLastRodeo());
    EXPECT_EQ(f->currentView(), ViewTable::Logo);

    setState(*f, 0, "season", kSeason);
    setState(*f, 0, "rodeo", QString());
    EXPECT_FALSE(f->RestoreLastRodeo());
}

TEST_F(MainFrameTest, OpeningAnotherRodeoClearsTheRememberedSelections)
{
    auto f = makeFrame();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    f->SwitchView(ViewTable::BoxEntry);
    for (const char* v : {"CViewRegEntry", "CViewRunPerf", "CViewBoxEntry"})
        for (const char* a : {"curEvn", "curGo", "curPerf"})
            setState(*f, 2, a, QStringLiteral("x"), v);

    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Fall")));
    EXPECT_EQ(f->currentView(), ViewTable::RodeoSetup);
    EXPECT_EQ(state(*f, 0, "rodeo"), QStringLiteral("Fall"));
    EXPECT_EQ(state(*f, 1, "curView"), QStringLiteral("CViewRodeoSetup"));
    for (const char* v : {"CViewRegEntry", "CViewRunPerf", "CViewBoxEntry"})
        for (const char* a : {"curEvn", "curGo", "curPerf"})
            EXPECT_TRUE(state(*f, 2, a, v).isEmpty()) << v << " " << a;

    // The same rodeo again keeps the view and the selections.
    f->SwitchView(ViewTable::Reports);
    setState(*f, 2, "curEvn", QStringLiteral("BB"), "CViewRunPerf");
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Fall")));
    EXPECT_EQ(f->currentView(), ViewTable::Reports);
    EXPECT_EQ(state(*f, 2, "curEvn", "CViewRunPerf"), QStringLiteral("BB"));
}

TEST_F(MainFrameTest, FailedOpenChangesNothing)
{
    auto f = makeFrame();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    f->SwitchView(ViewTable::StockEntry);
    EXPECT_FALSE(f->ActivateRodeo(kSeason, QStringLiteral("Nowhere")));
    EXPECT_FALSE(f->ActivateRodeo(QStringLiteral("Missing"), QStringLiteral("Spring")));
    EXPECT_EQ(f->currentView(), ViewTable::StockEntry);
    EXPECT_EQ(state(*f, 0, "rodeo"), QStringLiteral("Spring"));
    EXPECT_EQ(f->database().GetRodeoName(), QStringLiteral("Spring"));
}

TEST_F(MainFrameTest, CloseRodeoForgetsSeasonRodeoAndView)
{
    auto f = makeFrame();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    f->show();
    EXPECT_FALSE(f->viewSelector()->isHidden());
    f->action(CommandId::CloseRodeo)->trigger();
    EXPECT_EQ(f->currentView(), ViewTable::Logo);
    EXPECT_TRUE(state(*f, 0, "season").isEmpty());
    EXPECT_TRUE(state(*f, 0, "rodeo").isEmpty());
    EXPECT_TRUE(state(*f, 1, "curView").isEmpty());
    EXPECT_TRUE(f->viewSelector()->isHidden());
    EXPECT_FALSE(f->action(ViewTable::Reports)->isEnabled());
    EXPECT_FALSE(f->RestoreLastRodeo()); // the next start opens nothing
}

TEST_F(MainFrameTest, BarsFollowTheViewAndTheirStoredShowState)
{
    auto f = makeFrame();
    f->show();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    setState(*f, 2, "show", QStringLiteral("Yes"), "CBarMessage");
    setState(*f, 2, "show", QStringLiteral("Yes"), "CBarLeader");

    f->SwitchView(ViewTable::RunPerformance);
    EXPECT_FALSE(f->messageBar()->isHidden());
    EXPECT_FALSE(f->leaderBoardBar()->isHidden());
    EXPECT_TRUE(f->action(CommandId::ToggleLeaderBoard)->isEnabled());

    f->SwitchView(ViewTable::RodeoSetup);
    EXPECT_TRUE(f->messageBar()->isHidden());
    EXPECT_TRUE(f->leaderBoardBar()->isHidden());
    EXPECT_FALSE(f->action(CommandId::ToggleMessageBar)->isEnabled());

    f->SwitchView(ViewTable::ContestantEntry);
    EXPECT_FALSE(f->messageBar()->isHidden());
    EXPECT_TRUE(f->leaderBoardBar()->isHidden());

    setState(*f, 2, "show", QStringLiteral("No"), "CBarMessage");
    f->SwitchView(ViewTable::RunPerformance);
    EXPECT_TRUE(f->messageBar()->isHidden());
    EXPECT_FALSE(f->leaderBoardBar()->isHidden());

    // The operator's toggle is remembered.
    f->action(CommandId::ToggleLeaderBoard)->trigger();
    EXPECT_TRUE(f->leaderBoardBar()->isHidden());
    EXPECT_EQ(state(*f, 2, "show", "CBarLeader"), QStringLiteral("No"));
}

TEST_F(MainFrameTest, SelectingTheCurrentViewDoesNothing)
{
    auto f = makeFrame();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    f->SwitchView(ViewTable::Reports);
    CWorkView* reports = f->view(ViewTable::Reports);
    const int reloads = reports->reloadCount();
    setState(*f, 1, "curView", QStringLiteral("marker"));
    f->SwitchView(ViewTable::Reports);
    f->action(ViewTable::Reports)->trigger();
    EXPECT_EQ(reports->reloadCount(), reloads);
    EXPECT_EQ(state(*f, 1, "curView"), QStringLiteral("marker"));

    // Switching reloads only the new view.
    CWorkView* stock = f->view(ViewTable::StockEntry);
    const int stockReloads = stock->reloadCount();
    f->SwitchView(ViewTable::StockEntry);
    EXPECT_EQ(stock->reloadCount(), stockReloads + 1);
    EXPECT_EQ(reports->reloadCount(), reloads);
    EXPECT_EQ(state(*f, 1, "curView"), QStringLiteral("CViewStockEntry"));

    f->SwitchView(12345); // not a view: ignored
    EXPECT_EQ(f->currentView(), ViewTable::StockEntry);
    EXPECT_FALSE(f->RefreshView(12345));
    EXPECT_TRUE(f->RefreshView(ViewTable::StockEntry));
}

TEST_F(MainFrameTest, TabsSwitchViews)
{
    auto f = makeFrame();
    f->show();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    QTabBar* tabs = f->viewTabs();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(5).center());
    EXPECT_EQ(f->currentView(), ViewTable::RunPerformance);
    EXPECT_EQ(tabs->currentIndex(), 5);
    f->SwitchView(ViewTable::Import);
    EXPECT_EQ(tabs->currentIndex(), 3);
}

TEST_F(MainFrameTest, RunningTimeTexts)
{
    auto f = makeFrame();
    const std::pair<QString, qint32> cases[] = {
        {QStringLiteral(" 1:05.3"), 105300}, {QStringLiteral("59.123"), 59123},
        {QStringLiteral("1:05"), 105000},    {QStringLiteral("1:23.45"), 123450},
        {QStringLiteral(" 9.5"), 9500},      {QStringLiteral("garbage"), 0},
    };
    for (const auto& [text, value] : cases) {
        f->postRunningTime(text);
        QCoreApplication::processEvents();
        EXPECT_EQ(f->latestTimerTime(), value) << text.toStdString();
    }
}

TEST_F(MainFrameTest, ExitQuestionNoKeepsTheProgramRunning)
{
    auto f = makeFrame();
    f->show();
    prompt.answers = {UserPrompt::No};
    EXPECT_FALSE(f->close());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Exit from the rodeo program?"));
    prompt.answers = {UserPrompt::Yes};
    EXPECT_TRUE(f->close());
}

TEST_F(MainFrameTest, FunctionKeysAreDisplayButtons)
{
    auto f = makeFrame();
    f->show();
    QApplication::setActiveWindow(f.get());
    QList<int> pressed;
    QObject::connect(f.get(), &CMainFrame::displayButtonPressed, [&pressed](int id) { pressed << id; });
    QTest::keyClick(f.get(), Qt::Key_F2);
    QTest::keyClick(f.get(), Qt::Key_F12, Qt::ControlModifier);
    QTest::keyClick(f.get(), Qt::Key_F8, Qt::ShiftModifier);
    QTest::keyClick(f.get(), Qt::Key_F12, Qt::ShiftModifier);
    EXPECT_EQ(pressed, (QList<int>{1048, 1027, 1018, 1013}));
}

TEST_F(MainFrameTest, WindowPlacementIsRemembered)
{
    {
        auto f = makeFrame();
        setState(*f, 1, "style", QStringLiteral("1"));
        ASSERT_TRUE(f->files().SetSize({100, 80, 900, 680}, 1));
    }
    auto f = makeFrame();
    EXPECT_EQ(f->geometry().size(), QSize(800, 600));
    f->showWithStoredState();
    EXPECT_FALSE(f->isMaximized());
    prompt.fallbackYesNo = UserPrompt::Yes;
    f->close();
    EXPECT_EQ(state(*f, 1, "style"), QStringLiteral("1"));

    auto g = makeFrame();
    setState(*g, 1, "style", QStringLiteral("3"));
    g->showWithStoredState();
    EXPECT_TRUE(g->isMaximized());
    g->close();
    EXPECT_EQ(state(*g, 1, "style"), QStringLiteral("3"));
}

TEST(WindowPlacement, TheDefaultFitsTheAvailableAreaAndIsCentredInIt)
{
    const std::pair<QRect, QRect> cases[] = {
        {QRect(0, 0, 1280, 800), QRect(128, 50, 1024, 700)},
        {QRect(1920, 24, 1920, 1056), QRect(2368, 202, 1024, 700)}, // a second screen, a panel on top
        {QRect(0, 0, 1000, 1000), QRect(0, 150, 1000, 700)},
        {QRect(0, 0, 800, 600), QRect(0, 0, 800, 600)},
    };
    for (const auto& [available, expected] : cases)
        EXPECT_EQ(WindowPlacement::defaultPlacement(available), expected) << available.width();
    EXPECT_EQ(WindowPlacement::minimumSize(QRect(0, 0, 600, 1000)), QSize(600, 480));
}

TEST_F(MainFrameTest, WithoutAUsableStoredPlacementTheWindowOpensAtTheDefaultAndNeverStoresLess)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize expected = QSize(1024, 700).boundedTo(available.size());
    // A first start, and a tiny placement an earlier version stored.
    const std::pair<const char*, WindowRect> cases[] = {{"3", WindowRect()}, {"1", {10, 10, 267, 110}}};
    for (const auto& [style, stored] : cases) {
        {
            auto f = makeFrame();
            setState(*f, 1, "style", QString::fromLatin1(style));
            if (!stored.isEmpty()) {
                ASSERT_TRUE(f->files().SetSize(stored, 1));
            }
        }
        auto f = makeFrame();
        f->show();
        EXPECT_EQ(f->geometry().size(), expected) << style;
        EXPECT_EQ(f->geometry().center(), available.center()) << style;

        // The operator (or a window manager) cannot make it smaller than its
        // minimum, and closing stores nothing smaller.
        f->resize(257, 100);
        QCoreApplication::processEvents();
        prompt.fallbackYesNo = UserPrompt::Yes;
        f->close();
        WindowRect kept;
        ASSERT_TRUE(f->files().GetSize(kept, 1));
        EXPECT_GE(kept.width(), f->minimumWidth()) << style;
        EXPECT_GE(kept.height(), f->minimumHeight()) << style;
        EXPECT_GE(f->minimumWidth(), std::min(640, available.width())) << style;
        EXPECT_GE(f->minimumHeight(), std::min(480, available.height())) << style;
    }
}

TEST_F(MainFrameTest, RunPerformanceCarriesTheArenaCommunications)
{
    auto f = makeFrame();
    ASSERT_TRUE(f->ActivateRodeo(kSeason, QStringLiteral("Spring")));
    EXPECT_FALSE(f->action(CommandId::RefreshOutputs)->isEnabled());
    EXPECT_TRUE(f->action(CommandId::InputOutput)->isEnabled());
    EXPECT_TRUE(f->action(CommandId::DisplayButtons)->isEnabled());
    EXPECT_TRUE(f->action(CommandId::MonitorPorts)->isEnabled());
    EXPECT_FALSE(f->outputs().communicationsStarted());

    f->SwitchView(ViewTable::RunPerformance);
    EXPECT_TRUE(f->outputs().communicationsStarted());
    EXPECT_TRUE(f->action(CommandId::RefreshOutputs)->isEnabled());
    log.clear();
    f->action(CommandId::RefreshOutputs)->trigger();
    EXPECT_FALSE(log.contains(QStringLiteral("Communications not started for RIP")));

    f->SwitchView(ViewTable::Reports);
    EXPECT_FALSE(f->outputs().communicationsStarted());
    f->outputs().Refresh(1);
    EXPECT_TRUE(log.contains(QStringLiteral("Communications not started for RIP")));

    f->SwitchView(ViewTable::RunPerformance);
    f->CloseRodeo();
    EXPECT_FALSE(f->outputs().communicationsStarted());
}
