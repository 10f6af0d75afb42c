// Contestant Entry and Stock Entry: the grids, their sorting, cell edits with
// the same-name resolution, the new-entry row, deleting and its refusals,
// the Find bar, and the message bar following the contestant entered.
#include "app/viewtable.h"
#include "seasonfixture.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/views/people/recordgridmodel.h"
#include "ui/views/people/syncgridlistctrlcontestants.h"
#include "ui/views/people/syncgridlistctrlstocks.h"
#include "ui/views/people/viewcontentry.h"
#include "ui/views/people/viewstockentry.h"

#include <QContextMenuEvent>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {

class PeopleEntryTest : public SeasonFixture
{
protected:
    void arrange() override
    {
        struct
        {
            const char* first;
            const char* last;
            const char* bib;
            const char* year;
        } people[] = {{"Wade", "Sundell", "10", "2019"},   {"Ryder", "Wright", "9", "2017"},
                      {"Zeke", "Thurston", "100", "2021"}, {"Ana", "De La Cruz", "4", "2015"},
                      {"Jake", "de la Cruz", "5", "2016"}, {"Éric", "Fox", "6", "2014"},
                      {"Frank", "Eaton", "7", "2013"},     {"Eric", "Gale", "8", "2012"},
                      {"Rider", "Wright", "11", "2018"}};
        for (const auto& p : people) {
            ids << addContestant(QString::fromUtf8(p.first), QString::fromUtf8(p.last),
                                 QString::fromLatin1(p.bib));
            exec("UPDATE Rosters SET PlrYear = ? WHERE PlrId = ?", {QString::fromLatin1(p.year), ids.last()});
        }
        exec("INSERT INTO Contractors (CoName) VALUES ('Zebra Stock'), ('Andrews Rodeo')");
        exec("INSERT INTO Stocks (StBib, StName, StHomeTown, StWeight, StAge, CoId) VALUES "
             "('9', 'Painted Lady', 'Cody', '1150', '7', 1), ('10', 'Sky', 'Ogden', '1300', '5', 2), "
             "('11', 'Ace', 'Cody', '1210', '9', 0)");
    }

    CViewContEntry* showContestants()
    {
        frame->SwitchView(ViewTable::ContestantEntry);
        return qobject_cast<CViewContEntry*>(frame->view(ViewTable::ContestantEntry));
    }
    CViewStockEntry* showStock()
    {
        frame->SwitchView(ViewTable::StockEntry);
        return qobject_cast<CViewStockEntry*>(frame->view(ViewTable::StockEntry));
    }
    static QStringList column(QTableView* grid, int c)
    {
        QStringList out;
        for (int r = 0; r + 1 < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, c).data().toString();
        return out;
    }
    static void clickTitle(QTableView* grid, int c)
    {
        QHeaderView* h = grid->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2));
    }
    // The context menu's "Delete" on a row, as the operator picks it.
    static void deleteFromMenu(QTableView* grid, int row, const char* menuName)
    {
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        auto* menu = grid->findChild<QMenu*>(QString::fromLatin1(menuName));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Delete"));
        menu->actions().first()->trigger();
        menu->close();
        QCoreApplication::processEvents();
    }

    QVector<quint32> ids;
};

} // namespace

// Titles sort the collection; names by their collation (case ignored, an
// accented letter after its base letter), bibs as numbers; showing the view
// again goes back to last name.
TEST_F(PeopleEntryTest, TitlesSortTheContestants)
{
    CViewContEntry* view = showContestants();
    ASSERT_TRUE(view);
    QTableView* grid = view->grid();
    EXPECT_EQ(grid->model()->rowCount(), 10);
    EXPECT_EQ(grid->model()->index(9, 0).data().toString(), QStringLiteral("*"));
    const QStringList byLast = column(grid, 3);
    // "De La Cruz" and "de la Cruz" sit together, then the first names decide.
    EXPECT_EQ(byLast.mid(0, 3), (QStringList{QStringLiteral("De La Cruz"), QStringLiteral("de la Cruz"),
                                             QStringLiteral("Eaton")}));

    clickTitle(grid, 1);
    EXPECT_EQ(column(grid, 1).mid(0, 4), (QStringList{QStringLiteral("4"), QStringLiteral("5"),
                                                      QStringLiteral("6"), QStringLiteral("7")}));
    EXPECT_EQ(column(grid, 1).mid(5, 4), (QStringList{QStringLiteral("9"), QStringLiteral("10"),
                                                      QStringLiteral("11"), QStringLiteral("100")}));
    clickTitle(grid, 2);
    const QStringList byFirst = column(grid, 2);
    EXPECT_EQ(byFirst.indexOf(QStringLiteral("Eric")) + 1, byFirst.indexOf(QString::fromUtf8("Éric")));
    EXPECT_EQ(byFirst.indexOf(QString::fromUtf8("Éric")) + 1, byFirst.indexOf(QStringLiteral("Frank")));
    clickTitle(grid, 5);
    EXPECT_EQ(column(grid, 5).first(), QStringLiteral("2012"));
    EXPECT_EQ(frame->database().contestantSortKey(), 8);

    frame->SwitchView(ViewTable::StockEntry);
    frame->SwitchView(ViewTable::ContestantEntry);
    EXPECT_EQ(column(grid, 3), byLast);
}

// The new-entry row makes a contestant of what is typed into it and stays
// last and empty.
TEST_F(PeopleEntryTest, NewEntryRowAddsAContestant)
{
    QTableView* grid = showContestants()->grid();
    const int newRow = grid->model()->rowCount() - 1;
    typeInto(grid, grid->model()->index(newRow, 3), QStringLiteral("Bowers"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName = 'Bowers' AND PlrFirstName = ''"), 1);
    ASSERT_EQ(grid->model()->rowCount(), newRow + 2);
    EXPECT_EQ(grid->model()->index(newRow, 3).data().toString(), QStringLiteral("Bowers"));
    EXPECT_EQ(grid->currentIndex().row(), newRow);
    EXPECT_EQ(grid->model()->index(newRow + 1, 0).data().toString(), QStringLiteral("*"));
    EXPECT_TRUE(grid->model()->index(newRow + 1, 3).data().toString().isEmpty());
    EXPECT_TRUE(resolution.asked.isEmpty());
}

struct SameNameEdit
{
    const char* name;
    bool editedHasResults;
};

class SameNameEditTest : public PeopleEntryTest, public ::testing::WithParamInterface<SameNameEdit>
{
};

// "Rider Wright" becomes "Ryder Wright", whom the season has: the operator
// replaces him; the edited contestant goes unless a result needs him.
TEST_P(SameNameEditTest, ReplaceKeepsTheOtherContestant)
{
    const quint32 ryder = ids[1];
    const quint32 rider = ids[8];
    if (GetParam().editedHasResults) {
        exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, JTot) VALUES (1, 'SB', 1, ?, 1, 7800)",
             {rider});
        frame->database().LoadRegs();
    }
    auto* grid = showContestants()->grid();
    const int row = grid->gridModel()->rowOf(rider);
    resolution.decisions << ResolutionPrompts::Replace;
    typeInto(grid, grid->model()->index(row, 2), QStringLiteral("Ryder"));
    EXPECT_EQ(resolution.asked, QStringList{QStringLiteral("Ryder Wright")});
    // The other contestant now holds the edited one's data.
    EXPECT_EQ(text("SELECT PlrBib FROM Rosters WHERE PlrId = ?", {ryder}), QStringLiteral("11"));
    const bool kept = GetParam().editedHasResults;
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrId = ?", {rider}), kept ? 1 : 0);
    EXPECT_EQ(grid->gridModel()->rowOf(rider) >= 0, kept);
    EXPECT_EQ(frame->database().contestants().contains(rider), kept);
}

INSTANTIATE_TEST_SUITE_P(Edits, SameNameEditTest,
                         ::testing::Values(SameNameEdit{"WithoutResults", false},
                                           SameNameEdit{"WithResults", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A unique name: the home town is saved without a question; the message bar
// follows the contestant whose cell is entered.
TEST_F(PeopleEntryTest, UniqueNameSavesAtOnce)
{
    frame->files().SetCfgAtt(QStringLiteral("Yes"), 2, QStringLiteral("show"), QStringLiteral("CBarMessage"));
    auto* grid = showContestants()->grid();
    EXPECT_TRUE(frame->messageBar()->isVisible());
    const int row = grid->gridModel()->rowOf(ids[0]);
    typeInto(grid, grid->model()->index(row, 4), QStringLiteral("Bowman, SD"));
    EXPECT_EQ(text("SELECT PlrHomeTown FROM Rosters WHERE PlrId = ?", {ids[0]}),
              QStringLiteral("Bowman, SD"));
    EXPECT_TRUE(resolution.asked.isEmpty());
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_EQ(frame->messageContestant(), ids[0]);
    grid->setCurrentIndex(grid->model()->index(grid->model()->rowCount() - 1, 2));
    EXPECT_EQ(frame->messageContestant(), 0u);
}

struct Deletion
{
    const char* name;
    const char* arrange; // %1: the contestant
    const char* message; // null: deleted
};

class ContestantDeletionTest : public PeopleEntryTest, public ::testing::WithParamInterface<Deletion>
{
};

TEST_P(ContestantDeletionTest, RefusalsLeaveTheRow)
{
    const Deletion& d = GetParam();
    const quint32 id = ids[2];
    if (d.arrange)
        exec(QString::fromLatin1(d.arrange).arg(id).toLatin1().constData());
    auto* grid = showContestants()->grid();
    deleteFromMenu(grid, grid->gridModel()->rowOf(id), "context");
    if (d.message) {
        EXPECT_EQ(prompt.texts(), QStringList{QString::fromLatin1(d.message)});
        EXPECT_GE(grid->gridModel()->rowOf(id), 0);
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrId = ?", {id}), 1);
    } else {
        EXPECT_TRUE(prompt.texts().isEmpty());
        EXPECT_EQ(grid->gridModel()->rowOf(id), -1);
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrId = ?", {id}), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Deletions, ContestantDeletionTest,
    ::testing::Values(
        // A team member, even without entries, and in another rodeo's team.
        Deletion{"TeamMember", "INSERT INTO Teams (RoId, TmId, PlrId1, PlrId2) VALUES (7, 1, 999, %1)",
                 "The cowboy is in team, deletion ia aborted!"},
        Deletion{"Entered", "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt) VALUES (1, 'BR', 1, %1, 1)",
                 "The cowboy is in rodeo, deletion ia aborted!"},
        Deletion{"Free", nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// Stock titles: bibs as text, weight as a number, the contractor by identity.
TEST_F(PeopleEntryTest, TitlesSortTheStock)
{
    CViewStockEntry* view = showStock();
    ASSERT_TRUE(view);
    QTableView* grid = view->grid();
    EXPECT_EQ(column(grid, 2),
              (QStringList{QStringLiteral("Ace"), QStringLiteral("Painted Lady"), QStringLiteral("Sky")}));
    EXPECT_EQ(view->findBar()->label(2)->text(), QStringLiteral("Home Town"));
    EXPECT_TRUE(view->findBar()->addButton()->isVisibleTo(view));
    clickTitle(grid, 1);
    EXPECT_EQ(column(grid, 1),
              (QStringList{QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("9")}));
    clickTitle(grid, 6);
    EXPECT_EQ(column(grid, 6),
              (QStringList{QStringLiteral("1150"), QStringLiteral("1210"), QStringLiteral("1300")}));
    clickTitle(grid, 4);
    EXPECT_EQ(column(grid, 4),
              (QStringList{QString(), QStringLiteral("Zebra Stock"), QStringLiteral("Andrews Rodeo")}));
}

// A contractor typed that does not exist is created and linked; an animal
// drawn in a performance is not deleted; the Find bar adds an animal once.
TEST_F(PeopleEntryTest, StockCellsDeletingAndAdding)
{
    QTableView* grid = showStock()->grid();
    auto* model = static_cast<RecordGridModel*>(grid->model());
    const int ace = 0;
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Contractor), QStringLiteral("Powder River"));
    const qint64 co = scalar("SELECT CoId FROM Contractors WHERE CoName = 'Powder River'");
    ASSERT_GT(co, 0);
    EXPECT_EQ(scalar("SELECT CoId FROM Stocks WHERE StName = 'Ace'"), co);
    EXPECT_EQ(model->index(ace, CSyncGridListCtrlStocks::Contractor).data().toString(),
              QStringLiteral("Powder River"));
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Weight), QStringLiteral("1234"));
    EXPECT_EQ(scalar("SELECT StWeight FROM Stocks WHERE StName = 'Ace'"), 1234);
    // The draw's marks: the pen's event id, kept for re-rides, out.
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Pen), QStringLiteral("sb"));
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Reride), QStringLiteral("Yes"));
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Out), QStringLiteral("yes"));
    EXPECT_EQ(text("SELECT StPen || StReride || StOut FROM Stocks WHERE StName = 'Ace'"), QStringLiteral("SB11"));
    typeInto(grid, model->index(ace, CSyncGridListCtrlStocks::Out), QString());
    EXPECT_EQ(scalar("SELECT StOut FROM Stocks WHERE StName = 'Ace'"), 0);
    EXPECT_EQ(model->index(ace, CSyncGridListCtrlStocks::Reride).data().toString(), QStringLiteral("Yes"));

    const qint64 lady = scalar("SELECT StId FROM Stocks WHERE StName = 'Painted Lady'");
    exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, StId) VALUES (1, 'SB', 1, 1, 1, ?)", {lady});
    deleteFromMenu(grid, model->rowOf(quint32(lady)), "Stock Context");
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("The stock is in use in rodeo, deletion ia aborted!")});
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks WHERE StId = ?", {lady}), 1);
    prompt.clear();
    deleteFromMenu(grid, model->rowOf(model->idAt(ace)), "Stock Context");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks WHERE StName = 'Ace'"), 0);
    EXPECT_EQ(model->recordCount(), 2);

    CDlgBarFindPlr* find = showStock()->findBar();
    QTest::keyClicks(find->field(0), QStringLiteral("31"));
    QTest::keyClicks(find->field(1), QStringLiteral("Rocket"));
    find->addButton()->click();
    find->addButton()->click(); // the same animal again: not added twice
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks WHERE StName = 'Rocket' AND StBib = '31'"), 1);
    EXPECT_EQ(model->recordCount(), 3);
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

// The Find bar's "Add" in Contestant Entry: texts too long are cut (and the
// operator told), a new name gets its row just above the new-entry row and is
// selected; a name the season has goes to the resolution dialog, and "Leave"
// changes neither the grid nor the season.
TEST_F(PeopleEntryTest, FindBarAddResolvesThenInserts)
{
    CViewContEntry* view = showContestants();
    auto* grid = view->grid();
    CDlgBarFindPlr* find = view->findBar();
    EXPECT_EQ(find->label(1)->text(), QStringLiteral("First Name:"));
    const int records = grid->gridModel()->recordCount();

    // The bar cuts what is typed; the grid's own "Add" cuts what it is handed.
    grid->addFound(QStringLiteral("123456"), QStringLiteral("Tuf"), QStringLiteral("Cooper-Montgomery-Smith"));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().text, QStringLiteral("The Data Enter Is Too Long, Truncated!"));
    EXPECT_EQ(prompt.shown.first().caption, QStringLiteral("Message"));
    const qint64 tuf = scalar("SELECT PlrId FROM Rosters WHERE PlrBib = '12345' AND PlrFirstName = 'Tuf' "
                              "AND PlrLastName = 'Cooper-Montgome'");
    ASSERT_GT(tuf, 0);
    EXPECT_EQ(grid->gridModel()->recordCount(), records + 1);
    EXPECT_EQ(grid->gridModel()->rowOf(quint32(tuf)), records);
    EXPECT_TRUE(grid->gridModel()->isNewRow(records + 1));
    EXPECT_EQ(grid->currentIndex().row(), records);
    EXPECT_EQ(grid->currentIndex().column(), 1);

    prompt.clear();
    resolution.decisions << ResolutionPrompts::Leave;
    QTest::keyClicks(find->field(1), QStringLiteral("Ryder"));
    QTest::keyClicks(find->field(2), QStringLiteral("Wright"));
    find->addButton()->click();
    EXPECT_EQ(resolution.asked, QStringList{QStringLiteral("Ryder Wright")});
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_EQ(grid->gridModel()->recordCount(), records + 1);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName = 'Wright'"), 2);
}

struct LayoutCase
{
    const char* name;
    int width;
    int barLeft; // expected left edge of the Find bar
};

class EntryLayoutTest : public PeopleEntryTest, public ::testing::WithParamInterface<LayoutCase>
{
};

// Both views: the Find bar 100 pixels left of the middle (5 from the edge in
// a narrow view), the copy button 300 to the right of it and 105 down, the
// grid below them with margins of 5, 12 and 12.
TEST_P(EntryLayoutTest, FindBarCopyButtonAndGridFollowTheSize)
{
    const LayoutCase& c = GetParam();
    for (int v : {ViewTable::ContestantEntry, ViewTable::StockEntry}) {
        frame->SwitchView(v);
        QWidget* view = frame->view(v);
        ASSERT_TRUE(view);
        auto* find = view->findChild<CDlgBarFindPlr*>();
        auto* copy = view->findChild<QPushButton*>(QStringLiteral("copyFrom"));
        auto* grid = view->findChild<QTableView*>();
        ASSERT_TRUE(find && copy && grid);
        view->resize(c.width, 500);
        EXPECT_EQ(find->x(), c.barLeft) << v;
        EXPECT_EQ(copy->pos(), QPoint(c.barLeft + 300, 105)) << v;
        EXPECT_EQ(grid->x(), 5) << v;
        EXPECT_EQ(grid->geometry().right(), c.width - 12 - 1) << v;
        EXPECT_EQ(grid->geometry().bottom(), 500 - 12 - 1) << v;
        EXPECT_GE(grid->y(), copy->geometry().bottom()) << v;
        EXPECT_GE(grid->y(), find->geometry().bottom()) << v;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, EntryLayoutTest,
                         ::testing::Values(LayoutCase{"Wide", 1000, 400}, LayoutCase{"Narrow", 200, 5},
                                           LayoutCase{"JustWider", 202, 1}),
                         [](const auto& info) { return std::string(info.param.name); });
