#include "app/viewtable.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "ui/dialogs/results/dlgresulthistory.h"
#include "ui/mainframe.h"
#include "ui/views/import/importeventsmodel.h"
#include "ui/views/import/viewimport.h"
#include "ui/views/reports/viewreports.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QString kSeason = QStringLiteral("S1");

// A main window over season "S1" with the rodeo "Spring" (its standard
// events) open.
class ViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        CMainFrame::Setup setup;
        setup.dataFolder = folder;
        setup.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        setup.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(setup);
        frame->CreateViews();
        CDatabaseManager& db = frame->database();
        ASSERT_TRUE(db.CreateSeason(kSeason, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")));
        ASSERT_TRUE(db.CreateRodeo(kSeason, QStringLiteral("Spring"), QStringLiteral("1/1/2026"),
                                   QStringLiteral("ProfileDefault")));
        ASSERT_TRUE(frame->ActivateRodeo(kSeason, QStringLiteral("Spring")));
        frame->show();
    }

    QTemporaryDir dir;
    QString folder;
    ScriptedPrompt prompt;
    LogCapture log;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(ViewsTest, ImportingFromTheViewEntersTheTickedEventsOnly)
{
    frame->SwitchView(ViewTable::Import);
    auto* view = static_cast<CViewImport*>(frame->view(ViewTable::Import));
    ImportEventsModel* events = view->events();
    ASSERT_GT(events->rowCount(), 0);
    int barrels = -1;
    for (int r = 0; r < events->rowCount(); ++r) {
        EXPECT_EQ(events->index(r, 0).data().toString(), QStringLiteral("FALSE"));
        if (events->index(r, 1).data().toString() == QLatin1String("Barrel Racing"))
            barrels = r;
    }
    ASSERT_GE(barrels, 0);

    // Without a file there is nothing to import.
    EXPECT_FALSE(view->importFile());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a file to be imported."));
    EXPECT_EQ(prompt.shown.last().caption, QStringLiteral("Import File"));

    // A click on a row ticks its event.
    QTableView* list = view->eventList();
    const QRect cell = list->visualRect(events->index(barrels, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(events->index(barrels, 0).data().toString(), QStringLiteral("TRUE"));

    const QString path = dir.path() + QStringLiteral("/entries.dta");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"Doe, John\",\"Austin,TX\",100,200,,Y,N,N,Y,N,N,N,N,N,N,N,101,,\r\n");
    file.close();
    view->pathField()->setText(path);
    EXPECT_TRUE(view->importFile());
    EXPECT_TRUE(
        prompt.lastText().startsWith(QStringLiteral("Imported 1 contestants and 1 entries (0 teams).")))
        << prompt.lastText().toStdString();
    EXPECT_EQ(frame->database().playerEntries().entryCount(frame->database().contestants().at(0).plrId,
                                                           QStringLiteral("BR")),
              1);
    EXPECT_EQ(frame->database().playerEntries().entryCount(frame->database().contestants().at(0).plrId,
                                                           QStringLiteral("TD")),
              0);
}

TEST_F(ViewsTest, ShowingReportsWritesTheRodeoPagesAndShowsTheIndex)
{
    frame->SwitchView(ViewTable::Reports);
    auto* view = static_cast<CViewReports*>(frame->view(ViewTable::Reports));
    QTreeView* tree = view->tree();
    ASSERT_EQ(tree->model()->rowCount(), 1);
    const QModelIndex root = tree->model()->index(0, 0);
    EXPECT_EQ(root.data().toString(), QStringLiteral("Spring"));
    EXPECT_TRUE(tree->isExpanded(root));
    EXPECT_EQ(view->lastPages(),
              (QStringList{QStringLiteral("Index.html"), QStringLiteral("RegRodeo.html")}));
    EXPECT_EQ(view->browser()->source().toLocalFile(), folder + QStringLiteral("Html/Index.html"));
    EXPECT_TRUE(view->browser()->toPlainText().contains(QStringLiteral("Rodeo Registration List")));

    // Choosing the first go-round of the first event writes its pages.
    const QModelIndex go = tree->model()->index(0, 0, tree->model()->index(0, 0, root));
    ASSERT_TRUE(go.isValid());
    tree->setCurrentIndex(go);
    EXPECT_EQ(view->lastPages().size(), 5);
    EXPECT_TRUE(view->browser()->toPlainText().contains(QStringLiteral("Go Round Standing")));
}

// "Result History..." beside the report pages opens the history of the open
// rodeo's entries, its events to choose from.
TEST_F(ViewsTest, TheReportsViewOpensTheResultHistory)
{
    frame->SwitchView(ViewTable::Reports);
    auto* view = static_cast<CViewReports*>(frame->view(ViewTable::Reports));
    auto* button = view->findChild<QPushButton*>(QStringLiteral("resultHistory"));
    ASSERT_NE(button, nullptr);
    int events = -1;
    int columns = -1;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDlgResultHistory*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        events = dlg->events()->count();
        columns = dlg->table()->columnCount();
        dlg->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(events, int(frame->database().events().size()));
    EXPECT_GT(events, 0);
    EXPECT_EQ(columns, 6);
}

} // namespace
