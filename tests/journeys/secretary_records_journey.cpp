// The rodeo secretary keeps the season's records in the demo season the way
// a person does, with the mouse, the keys and the real dialogs: a rodeo
// renamed onto another's name, a contestant edited into another and
// replaced, a team roper's own entry in another event taken out again, and
// an animal drawn for an entry that is still to run. Each ends with what the
// season holds, read with a second connection.
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"
#include "ui/mainframe.h"
#include "ui/views/workview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace journey;

namespace {

const QString kSeason = QStringLiteral("Demo");
const QString kRodeo = QStringLiteral("Demo Days Rodeo");

// A right-click on a cell and a click on the item of the menu it opens (the
// row is clicked first, as a person picks the row he means).
void chooseFromCellMenu(QTableView* table, int row, const QString& columnTitle, const QString& item)
{
    clickCell(table, row, columnTitle);
    const QModelIndex index = table->model()->index(row, column(table, columnTitle));
    const QPoint at = table->visualRect(index).center();
    QTest::mouseClick(table->viewport(), Qt::RightButton, {}, at);
    // A menu runs its own event loop: the item is clicked from a timer inside it.
    bool chosen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll.stop();
        chosen = true;
        for (QAction* a : menu->actions()) {
            if (a->text() == item) {
                if (!a->isEnabled())
                    ADD_FAILURE() << "\"" << item.toStdString() << "\" is disabled in the menu";
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
        }
        ADD_FAILURE() << "The menu offers no \"" << item.toStdString() << "\"";
        menu->close();
    });
    poll.start();
    // What the window system sends after a right-click.
    QCoreApplication::postEvent(table->viewport(), new QContextMenuEvent(QContextMenuEvent::Mouse, at,
                                                                         table->viewport()->mapToGlobal(at)));
    EXPECT_TRUE(waitFor([&] { return chosen; })) << "No menu opened on " << columnTitle.toStdString();
    QCoreApplication::processEvents();
}

// A click on the tree's node that reads path's last text, under the nodes
// that read the texts before it.
void clickNode(QTreeView* tree, const QStringList& path)
{
    ASSERT_TRUE(tree);
    QModelIndex parent;
    QModelIndex node;
    for (const QString& text : path) {
        node = {};
        const QAbstractItemModel* model = tree->model();
        for (int r = 0; r < model->rowCount(parent) && !node.isValid(); ++r)
            if (model->index(r, 0, parent).data().toString() == text)
                node = model->index(r, 0, parent);
        ASSERT_TRUE(node.isValid()) << "The tree has no node " << text.toStdString();
        tree->expand(node); // a person opens the branch with its arrow
        parent = node;
    }
    tree->scrollTo(node);
    QCoreApplication::processEvents();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(node).center());
    QCoreApplication::processEvents();
}

// The text of a cell typed over: a double-click opens its editor.
void typeIntoCell(QTableView* table, int row, const QString& columnTitle, const QString& text)
{
    doubleClickCell(table, row, columnTitle);
    ASSERT_TRUE(waitFor([table] {
        QWidget* editor = QApplication::focusWidget();
        return editor && editor != table && table->isAncestorOf(editor);
    })) << "No editor opened under "
        << columnTitle.toStdString();
    key(Qt::Key_A, Qt::ControlModifier);
    type(text);
    key(Qt::Key_Return);
}

QString scalarText(const Program& program, const QString& sql, const QVariantList& values = {})
{
    auto season = openSeason(program, kSeason);
    return queryText(*season, sql, values);
}

} // namespace

// Rodeos are opened and deleted by name: Rodeo Setup refuses the name of
// another rodeo of the season, as New Rodeo does, and saves the other edits.
TEST(SecretaryRecordsJourney, RodeoSetupRefusesAnotherRodeosName)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));

    // A second rodeo of the season, made in New Rodeo.
    expectDialog(QStringLiteral("Create a new rodeo."), [](QWidget* dialog) {
        click(findIn(dialog, QStringLiteral("Name")));
        type(QStringLiteral("Fall Classic"));
        click(findIn(dialog, QStringLiteral("Save")));
        click(findIn(dialog, QStringLiteral("Close")));
    });
    chooseMenu({QStringLiteral("File"), QStringLiteral("New Rodeo...")});
    dialogsDone();
    ASSERT_EQ(scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Rodeos")), QStringLiteral("2"));

    click(QStringLiteral("Rodeo Setup"));
    auto* system = find<QGroupBox>(QStringLiteral("System Information"));
    ASSERT_TRUE(system);
    auto* name = qobject_cast<QLineEdit*>(findIn(system, QStringLiteral("Name")));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text(), kRodeo);
    auto* display = find<QGroupBox>(QStringLiteral("Display Text"));
    ASSERT_TRUE(display);
    click(findIn(display, QStringLiteral("Location")));
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("CODY WY"));
    click(name);
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("fall classic"));

    QWidget* setup = program.frame().view(32801);
    expectDialog(QStringLiteral("The rodeo already exists!"), QStringLiteral("OK"));
    click(findIn(setup, QStringLiteral("Save")));
    dialogsDone();

    EXPECT_EQ(name->text(), kRodeo);
    EXPECT_EQ(scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Rodeos WHERE RoName = ?"), {kRodeo}),
              QStringLiteral("1"));
    EXPECT_EQ(
        scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Rodeos WHERE RoName = 'Fall Classic'")),
        QStringLiteral("1"));
    EXPECT_EQ(scalarText(program, QStringLiteral("SELECT RoDispLoc FROM Rodeos WHERE RoName = ?"), {kRodeo}),
              QStringLiteral("CODY WY"));
    EXPECT_FALSE(findIn(setup, QStringLiteral("Save"))->isEnabled());

    // A name of its own is taken.
    click(name);
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("Demo Days Stampede"));
    click(findIn(setup, QStringLiteral("Save")));
    EXPECT_EQ(scalarText(program,
                         QStringLiteral("SELECT COUNT(*) FROM Rodeos WHERE RoName = 'Demo Days Stampede'")),
              QStringLiteral("1"));
}

// Trevor Craig, entered in barrel racing without a result yet, is edited into
// Wade Sundell and replaced by him: his entries become Wade's, in the same
// places, before he goes; nobody's entry is left pointing at nobody.
TEST(SecretaryRecordsJourney, AReplacedContestantsEntriesGoToTheOneKept)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    const QString trevor =
        scalarText(program, QStringLiteral("SELECT PlrId FROM Rosters WHERE PlrFirstName = 'Trevor'"));
    const QString wade =
        scalarText(program, QStringLiteral("SELECT PlrId FROM Rosters WHERE PlrFirstName = 'Wade'"));
    const QString place =
        QStringLiteral("SELECT GROUP_CONCAT(GoId || ':' || PerfId || '-' || Ord, ' ') FROM "
                       "(SELECT * FROM Times WHERE EvId = 'BR' AND ptId = ? ORDER BY GoId)");
    const QString before = scalarText(program, place, {trevor});
    ASSERT_EQ(before, QStringLiteral("1:2-1 2:2-1"));

    click(QStringLiteral("Contestant Entry"));
    auto* grid = named<QTableView>(QStringLiteral("CSyncGridListCtrlContestants"));
    ASSERT_TRUE(grid);
    typeIntoCell(grid, rowWith(grid, QStringLiteral("First Name"), QStringLiteral("Trevor")),
                 QStringLiteral("Last Name"), QStringLiteral("Sundell"));
    expectDialog(QStringLiteral("The Existing Contestants"), QStringLiteral("Replace"));
    typeIntoCell(grid, rowWith(grid, QStringLiteral("First Name"), QStringLiteral("Trevor")),
                 QStringLiteral("First Name"), QStringLiteral("Wade"));
    dialogsDone();

    EXPECT_EQ(rowWith(grid, QStringLiteral("First Name"), QStringLiteral("Trevor")), -1);
    EXPECT_EQ(scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Rosters WHERE PlrId = ?"), {trevor}),
              QStringLiteral("0"));
    EXPECT_EQ(scalarText(program, QStringLiteral("SELECT PlrBib FROM Rosters WHERE PlrId = ?"), {wade}),
              QStringLiteral("117"));
    EXPECT_EQ(scalarText(program, place, {wade}), before);
    EXPECT_EQ(scalarText(
                  program,
                  QStringLiteral(
                      "SELECT COUNT(*) FROM Times t WHERE NOT EXISTS "
                      "(SELECT 1 FROM Rosters r WHERE r.PlrId = t.ptId) AND t.EvId != 'TR' AND t.ptId != 0")),
              QStringLiteral("0"));

    // Performance Entry shows Wade where Trevor ran.
    click(QStringLiteral("Performance Entry"));
    clickNode(named<QTreeView>(QStringLiteral("rodeoTree")),
              {kRodeo, QStringLiteral("Barrel Racing"), QStringLiteral("Go Round 1"),
               QStringLiteral("Performance 2")});
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    const int row = rowWith(list, QStringLiteral("Last Name"), QStringLiteral("Sundell"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(cellText(list, row, QStringLiteral("P2")), QStringLiteral("1"));
}

// Rusty Wilson heels for a team in team roping and enters tie-down roping on
// his own; taking that entry out again is his own affair, not the team's.
TEST(SecretaryRecordsJourney, ATeamRopersOwnEntryCanBeTakenOut)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    click(QStringLiteral("Performance Entry"));
    auto* tree = named<QTreeView>(QStringLiteral("rodeoTree"));
    clickNode(tree, {kRodeo, QStringLiteral("Tie Down Roping")});
    click(find<QRadioButton>(QStringLiteral("Rodeo")));
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    const auto wilson = [&] {
        return rowWith(list, QStringLiteral("Last Name"), QStringLiteral("Wilson"));
    };
    ASSERT_GE(wilson(), 0);
    const QString teamRows = QStringLiteral("SELECT COUNT(*) FROM Times WHERE EvId = 'TR'");
    const QString teams = scalarText(program, teamRows);
    chooseFromCellMenu(list, wilson(), QStringLiteral("Last Name"), QStringLiteral("Add Entry"));
    const QString entered = QStringLiteral("SELECT COUNT(*) FROM Times t JOIN Rosters r ON r.PlrId = t.ptId "
                                           "WHERE t.EvId = 'TD' AND r.PlrLastName = 'Wilson'");
    ASSERT_EQ(scalarText(program, entered), QStringLiteral("1"));

    expectDialog(QStringLiteral("Are you sure to delete this entry?"), QStringLiteral("Yes"));
    chooseFromCellMenu(list, wilson(), QStringLiteral("Last Name"), QStringLiteral("Delete"));
    dialogsDone();
    EXPECT_FALSE(
        answeredDialogs().join(QLatin1Char('\n')).contains(QStringLiteral("Please delete the team")));
    EXPECT_EQ(scalarText(program, entered), QStringLiteral("0"));
    // His team's entry stays.
    EXPECT_EQ(scalarText(program, teamRows), teams);
}

// An animal drawn for a barrel racer's second run, which is still to come,
// cannot be deleted in Stock Entry; the message says where it is drawn.
TEST(SecretaryRecordsJourney, AnAnimalDrawnForARunToComeStays)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    click(QStringLiteral("Performance Entry"));
    clickNode(named<QTreeView>(QStringLiteral("rodeoTree")),
              {kRodeo, QStringLiteral("Barrel Racing"), QStringLiteral("Go Round 2")});
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    const int row = rowWith(list, QStringLiteral("Last Name"), QStringLiteral("Craig"));
    ASSERT_GE(row, 0);
    typeIntoCell(list, row, QStringLiteral("Stock Bib"), QStringLiteral("77"));
    const QString animal = scalarText(program, QStringLiteral("SELECT StId FROM Stocks WHERE StBib = '77'"));
    ASSERT_FALSE(animal.isEmpty());
    ASSERT_EQ(scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Times WHERE StId = ?"), {animal}),
              QStringLiteral("1"));

    click(QStringLiteral("Stock Entry"));
    auto* grid = named<QTableView>(QStringLiteral("CSyncGridListCtrlStocks"));
    ASSERT_TRUE(grid);
    expectDialog(QStringLiteral("The stock is in use in rodeo, deletion ia aborted!\nIt is drawn in:\n") +
                     kRodeo + QStringLiteral(": Barrel Racing, Go Round 2"),
                 QStringLiteral("OK"));
    chooseFromCellMenu(grid, rowWith(grid, QStringLiteral("Bib"), QStringLiteral("77")),
                       QStringLiteral("Name"), QStringLiteral("Delete"));
    dialogsDone();
    EXPECT_GE(rowWith(grid, QStringLiteral("Bib"), QStringLiteral("77")), 0);
    EXPECT_EQ(scalarText(program, QStringLiteral("SELECT COUNT(*) FROM Stocks WHERE StId = ?"), {animal}),
              QStringLiteral("1"));
}
