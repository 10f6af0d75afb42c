// The demo season: made through the database manager's own operations,
// opened with something in every view, never over a season of its name, and
// never left half-made.
#include "app/viewtable.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "setup/demoseason.h"
#include "ui/mainframe.h"
#include "ui/views/regentry/regentrymodel.h"
#include "ui/views/regentry/viewregentry.h"
#include "ui/views/reports/viewreports.h"
#include "ui/views/runperf/runperfmodel.h"
#include "ui/views/runperf/viewrunperf.h"
#include "ui/views/setup/viewrodeosetup.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class DemoSeasonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
    }
    std::unique_ptr<CMainFrame> makeFrame()
    {
        CMainFrame::Setup s;
        s.dataFolder = folder;
        s.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        s.prompt = &prompt;
        auto frame = std::make_unique<CMainFrame>(s);
        frame->CreateViews();
        frame->resize(1280, 720);
        frame->show();
        return frame;
    }

    QTemporaryDir dir;
    QString folder;
    ScriptedPrompt prompt;
};

TEST_F(DemoSeasonTest, OpensWithEveryViewFilledAndPlacedStandings)
{
    auto frame = makeFrame();
    ASSERT_TRUE(frame->OpenDemoSeason()) << prompt.texts().join(u'|').toStdString();
    CDatabaseManager& db = frame->database();
    EXPECT_EQ(db.GetSeasonName(), QStringLiteral("Demo"));
    EXPECT_EQ(db.contestants().size(), 30);

    // Standings of the first go-round: the marked rides and runs are placed.
    for (const auto& [event, placed] : {std::pair{"SB", 4}, std::pair{"BR", 5}, std::pair{"TR", 2}}) {
        RegEntry selection;
        selection.eventId = QString::fromLatin1(event);
        selection.goRound = 1;
        ASSERT_TRUE(frame->SelectCompetition(selection)) << event;
        int positioned = 0;
        for (const ResultRecord& r : db.standings().overall())
            positioned += r.position > 0 ? 1 : 0;
        EXPECT_EQ(positioned, placed) << event;
    }

    frame->SwitchView(ViewTable::RunPerformance);
    auto* run = qobject_cast<CViewRunPerf*>(frame->view(ViewTable::RunPerformance));
    ASSERT_TRUE(run);
    EXPECT_GE(run->model()->rowCount(), 5);
    frame->SwitchView(ViewTable::RodeoSetup);
    auto* setup = qobject_cast<CViewRodeoSetup*>(frame->view(ViewTable::RodeoSetup));
    ASSERT_TRUE(setup);
    EXPECT_GE(setup->sheet().events().size(), 3);
    frame->SwitchView(ViewTable::PerformanceEntry);
    auto* entries = qobject_cast<CViewRegEntry*>(frame->view(ViewTable::PerformanceEntry));
    ASSERT_TRUE(entries);
    ASSERT_TRUE(entries->selectNode(QStringLiteral("SB"), 1, 2));
    int inSecond = 0;
    for (int row = 0; row < entries->model()->rowCount(); ++row)
        inSecond += entries->model()->entryAt(row).perf == 2 ? 1 : 0;
    EXPECT_EQ(inSecond, 5);
    frame->SwitchView(ViewTable::Reports);
    auto* reports = qobject_cast<CViewReports*>(frame->view(ViewTable::Reports));
    ASSERT_TRUE(reports);
    EXPECT_GT(reports->tree()->model()->rowCount(), 0);
    frame->closeWithoutAsking();
}

TEST_F(DemoSeasonTest, ASeasonOfItsNameIsNeverTouched)
{
    {
        ScriptedPrompt quiet;
        CDatabaseManager db(folder, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), quiet);
        ASSERT_TRUE(db.CreateSeason(QStringLiteral("Demo"), QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")));
        ASSERT_TRUE(db.CreateRodeo(QStringLiteral("Demo"), QStringLiteral("Mine"), QStringLiteral("1/1/2026"),
                                   QStringLiteral("ProfileDefault")));
        DemoSeason demo(db);
        EXPECT_EQ(demo.create(DemoSeason::builtInDescription()), DemoSeason::Outcome::Exists) << demo.lastError().toStdString();
        ASSERT_TRUE(db.OpenRodeo(QStringLiteral("Demo"), QStringLiteral("Mine")));
        EXPECT_TRUE(db.contestants().isEmpty());
        EXPECT_FALSE(db.OpenRodeo(QStringLiteral("Demo"), QStringLiteral("Demo Days Rodeo")));
    }
}

TEST_F(DemoSeasonTest, AFailureHalfWayLeavesNoSeasonBehind)
{
    ScriptedPrompt quiet;
    CDatabaseManager db(folder, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), quiet);
    // An entry naming a contestant the description does not have.
    QByteArray description = DemoSeason::builtInDescription();
    ASSERT_TRUE(description.contains("contestant=\"c5\""));
    description.replace("contestant=\"c5\"", "contestant=\"nobody\"");
    DemoSeason demo(db);
    EXPECT_EQ(demo.create(description), DemoSeason::Outcome::Failed);
    EXPECT_TRUE(demo.lastError().contains(QLatin1String("cannot be added"))) << demo.lastError().toStdString();
    QStringList seasons;
    db.EnumSeasons(seasons);
    EXPECT_TRUE(seasons.isEmpty());
    EXPECT_FALSE(QDir(folder + QStringLiteral("Demo")).exists());
}

} // namespace
