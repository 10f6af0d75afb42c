// The operator's table as the keyboard uses it: at 1280 x 720 with both bars
// the list shows at least eight contestants; after a change of performance the
// list keys work without a click; a typed time not saved is asked about before
// a performance change or another rodeo drops it; the message bar forgets the
// contestant of a rodeo that closed; a name with "&" makes no shortcut.
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"
#include "ui/mainframe.h"
#include "ui/views/workview.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace journey;

namespace {

QString one(const Program& program, const QString& statement, const QVariantList& values = {})
{
    auto sql = openSeason(program, QStringLiteral("Demo"));
    return queryText(*sql, statement, values);
}

// Rows of the list that can be seen whole.
int rowsShown(QTableView* list)
{
    int shown = 0;
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        const QRect rect = list->visualRect(list->model()->index(r, 1));
        if (!rect.isEmpty() && list->viewport()->rect().contains(rect))
            ++shown;
    }
    return shown;
}

} // namespace

TEST(OperatorJourney, TheTableWorksFromTheKeyboardAndAsksBeforeDroppingATypedResult)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    CMainFrame& frame = program.frame();
    click(QStringLiteral("Run Performance"));

    // Both bars are there from the first start, and at 1280 x 720 the list
    // keeps room for at least eight contestants. The status bar names the keys.
    frame.showNormal();
    frame.resize(1280, 720);
    QTest::qWait(200);
    EXPECT_TRUE(frame.leaderBoardBar()->isVisible());
    EXPECT_TRUE(frame.messageBar()->isVisible());
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    choosePerformance(QStringLiteral("Barrel Racing"), QStringLiteral("1"), QStringLiteral("1"));
    const int rowHeight = list->rowHeight(0);
    EXPECT_GE(list->viewport()->height() / qMax(rowHeight, 1), 8)
        << "room for " << list->viewport()->height() / qMax(rowHeight, 1) << " rows";
    EXPECT_GE(rowsShown(list), 6) << "the six racers of the performance and the new row";
    EXPECT_TRUE(named<QLabel>(QStringLiteral("keysHint"))->text().contains(QStringLiteral("E to type")));

    // After a change of performance the keys act on the list at once: the
    // arrows move the selection, E goes into the bar, the time is typed.
    pick(find<QComboBox>(QStringLiteral("Performance:")), QStringLiteral("2"));
    EXPECT_EQ(QApplication::focusWidget(), list) << "the focus is back in the list";
    // The first racer is selected already: Down goes on to the second.
    key(Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), 1);
    key(Qt::Key_E);
    type(QStringLiteral("15.02"));
    // A change of performance asks about the time typed and not saved: Yes saves it.
    const QString first = cellText(list, 1, QStringLiteral("Last Name"));
    expectDialog(QStringLiteral("has not been saved"), QStringLiteral("Yes"));
    pick(find<QComboBox>(QStringLiteral("Performance:")), QStringLiteral("1"));
    dialogsDone();
    EXPECT_EQ(
        one(program,
            QStringLiteral("SELECT t.RideTime FROM Times t JOIN Rosters r ON r.PlrId = t.ptId WHERE t.EvId = "
                           "'BR' AND t.GoId = 1 AND r.PlrLastName = ?"),
            {first}),
        QStringLiteral("15020"));

    // A name with "&" reads as it is and makes no shortcut.
    click(QStringLiteral("Contestant Entry"));
    auto* grid = named<QTableView>(QStringLiteral("CSyncGridListCtrlContestants"));
    ASSERT_TRUE(grid);
    const int row = rowWith(grid, QStringLiteral("Last Name"), QStringLiteral("Sorensen"));
    ASSERT_GE(row, 0);
    ASSERT_TRUE(editCell(grid, row, QStringLiteral("First Name")));
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("Tanner & Co"));
    key(Qt::Key_Return);
    dialogsDone();
    click(QStringLiteral("Run Performance"));
    clickCell(list, rowWith(list, QStringLiteral("Last Name"), QStringLiteral("Sorensen")),
              QStringLiteral("Last Name"));
    auto* bar = named<QWidget>(QStringLiteral("CDlgBarEditTimes"));
    auto* caption = bar ? bar->findChild<QGroupBox*>() : nullptr;
    ASSERT_TRUE(caption);
    EXPECT_TRUE(QKeySequence::mnemonic(caption->title()).isEmpty()) << caption->title().toStdString();
    EXPECT_EQ(caption->title().replace(QStringLiteral("&&"), QStringLiteral("&")),
              QStringLiteral("Tanner & Co Sorensen"));

    // A time typed for him and not saved, then another rodeo opened: the
    // question comes first, No drops the time, and nothing reaches either
    // rodeo; the message bar shows nobody of the rodeo that closed.
    key(Qt::Key_E);
    type(QStringLiteral("18.88"));
    expectDialog(QStringLiteral("Create Rodeo"), [](QWidget* dialog) {
        click(findIn(dialog, QStringLiteral("Name")));
        type(QStringLiteral("Second Rodeo"));
        expectDialog(QStringLiteral("has not been saved"), QStringLiteral("No"));
        click(findIn(dialog, QStringLiteral("Save / Open")));
    });
    chooseMenu({QStringLiteral("File"), QStringLiteral("New Rodeo...")});
    dialogsDone();
    EXPECT_EQ(program.frame().database().GetRodeoName(), QStringLiteral("Second Rodeo"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Times WHERE RideTime = 18880")),
              QStringLiteral("0"));
    EXPECT_EQ(program.frame().messageContestant(), 0u);

    // The view tabs from the keyboard (Tab brings a keyboard user onto them):
    // the view follows the tab.
    click(QStringLiteral("Run Performance"));
    auto* tabs = named<QTabBar>(QStringLiteral("viewtabs"));
    ASSERT_TRUE(tabs);
    tabs->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Right);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Box Entry"));
    EXPECT_EQ(program.frame().currentView(), ViewTable::BoxEntry);
    EXPECT_TRUE(program.frame().view(ViewTable::BoxEntry)->isVisible());
}
