// The secretary sets up a rodeo from nothing with the mouse and the keys: a
// season and a rodeo made in their dialogs; a scored, a timed and a team event
// of two go-rounds with a final; a custom event added and deleted; people,
// animals and a contractor typed into the grids, Tab between cells; entries
// picked from the drop-downs of Performance Entry, a team named and made from
// picked members, an animal drawn by picking it; then every view visited.
// Each step ends with what the season holds, read with a second connection.
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace journey;

namespace {

const QString kSeason = QStringLiteral("Spring 2026");
const QString kRodeo = QStringLiteral("Cody Stampede");

QString one(const Program& program, const QString& statement, const QVariantList& values = {})
{
    auto sql = openSeason(program, kSeason);
    return queryText(*sql, statement, values);
}

// The records grid of the view shown (Contestant or Stock Entry).
QTableView* recordGrid()
{
    for (QTableView* t : QApplication::activeWindow()->findChildren<QTableView*>())
        if (t->isVisible() && column(t, QStringLiteral("Bib")) >= 0)
            return t;
    ADD_FAILURE() << "no records grid is shown";
    return nullptr;
}

// A new record typed into the grid's empty last row, Tab between the cells.
void typeRecord(QTableView* grid, const QStringList& cells)
{
    const int row = grid->model()->rowCount() - 1;
    QWidget* editor = editCell(grid, row, QStringLiteral("Bib"));
    ASSERT_TRUE(editor);
    for (int i = 0; i < cells.size(); ++i) {
        if (!cells[i].isEmpty())
            type(cells[i]);
        key(i + 1 < cells.size() ? Qt::Key_Tab : Qt::Key_Return);
    }
}

// Picks an item from the drop-down of a cell and takes it with Enter.
void pickInCell(QTableView* table, int row, const QString& columnTitle, const QString& item)
{
    auto* box = qobject_cast<QComboBox*>(editCell(table, row, columnTitle));
    ASSERT_TRUE(box) << "no drop-down under " << columnTitle.toStdString();
    pick(box, item);
    key(Qt::Key_Return);
}

QTableView* entryGrid(const QString& columnTitle)
{
    for (const char* name : {"leftList", "rightList"}) {
        auto* t = named<QTableView>(QString::fromLatin1(name));
        if (t && column(t, columnTitle) >= 0 && !t->isColumnHidden(column(t, columnTitle)))
            return t;
    }
    ADD_FAILURE() << "no list shows the column " << columnTitle.toStdString();
    return nullptr;
}

} // namespace

TEST(SecretaryJourney, ARodeoSetUpFromNothingThroughTheWindows)
{
    Program program;
    ASSERT_TRUE(program.start());

    // A season and a rodeo, made in their dialogs.
    expectDialog(QStringLiteral("Create Rodeo"), [](QWidget* rodeo) {
        expectDialog(QStringLiteral("Create New Season"), [](QWidget* season) {
            replaceText(findIn(season, QStringLiteral("Title")), kSeason);
            click(findIn(season, QStringLiteral("OK")));
        });
        click(findIn(rodeo, QStringLiteral("New Season...")));
        dialogsDone();
        EXPECT_EQ(textOf(findIn(rodeo, QStringLiteral("Season"))), kSeason);
        replaceText(findIn(rodeo, QStringLiteral("Name")), kRodeo);
        click(findIn(rodeo, QStringLiteral("Save / Open")));
    });
    chooseMenu({QStringLiteral("File"), QStringLiteral("New Rodeo...")});
    dialogsDone();
    ASSERT_EQ(one(program, QStringLiteral("SELECT RoName FROM Rodeos")), kRodeo);

    // Rodeo Setup: two go-rounds and a final of four for a scored, a timed and
    // a team event; the form follows the row clicked.
    auto* events = find<QGroupBox>(QStringLiteral("Event Information"))->findChild<QTableView*>();
    ASSERT_TRUE(events);
    for (const char* event : {"Saddle Bronc", "Barrel Racing", "Team Roping"}) {
        clickCell(events, rowWith(events, QStringLiteral("Name"), QString::fromLatin1(event)),
                  QStringLiteral("Name"));
        EXPECT_EQ(textOf(find(QStringLiteral("Display Name"))), QString::fromLatin1(event));
        replaceText(find(QStringLiteral("Number of Go-Rounds (1-99)")), QStringLiteral("2"));
        replaceText(find(QStringLiteral("Number of Competitors In Final (0 - 999)")), QStringLiteral("4"));
    }
    click(QStringLiteral("Save"));
    for (const char* id : {"SB", "BR", "TR"})
        EXPECT_EQ(one(program,
                      QStringLiteral("SELECT ReGos || '/' || ReFinals FROM RodeoEvents WHERE EvId = ?"),
                      {QString::fromLatin1(id)}),
                  QStringLiteral("2/4"))
            << id;
    EXPECT_NE(one(program, QStringLiteral("SELECT ReGos FROM RodeoEvents WHERE EvId = 'BA'")),
              QStringLiteral("2"));

    // A custom event added and saved, then deleted; the other views follow.
    const int before = events->model()->rowCount();
    click(QStringLiteral("New"));
    replaceText(find(QStringLiteral("Display Name")), QStringLiteral("Ranch Bronc"));
    key(Qt::Key_Tab);
    click(QStringLiteral("Save"));
    ASSERT_EQ(events->model()->rowCount(), before + 1);
    const int custom = rowWith(events, QStringLiteral("Name"), QStringLiteral("Ranch Bronc"));
    ASSERT_GE(custom, 0);
    click(QStringLiteral("Performance Entry"));
    auto* tree = named<QTreeView>(QStringLiteral("rodeoTree"));
    EXPECT_TRUE(clickTree(tree, {kRodeo, QStringLiteral("Ranch Bronc")}));
    click(QStringLiteral("Rodeo Setup"));
    clickCell(events, rowWith(events, QStringLiteral("Name"), QStringLiteral("Ranch Bronc")),
              QStringLiteral("Name"));
    click(QStringLiteral("Delete"));
    dialogsDone();
    click(QStringLiteral("Save"));
    click(QStringLiteral("Performance Entry"));
    for (const char* event : {"Saddle Bronc", "Barrel Racing", "Team Roping"})
        EXPECT_TRUE(clickTree(tree, {kRodeo, QString::fromLatin1(event)})) << event;
    const QAbstractItemModel* nodes = tree->model();
    const QModelIndex rodeoNode = nodes->index(0, 0);
    for (int r = 0; r < nodes->rowCount(rodeoNode); ++r)
        EXPECT_NE(nodes->index(r, 0, rodeoNode).data().toString(), QStringLiteral("Ranch Bronc"));

    // Contestant Entry: people typed into the empty last row, Tab between cells.
    click(QStringLiteral("Contestant Entry"));
    const QStringList people[] = {
        {"101", "Wade", "Sundell", "Cody, WY"},
        {"102", "Ryder", "Wright", "Milford, UT"},
        {"103", "Zeke", "Thurston", "Big Valley, AB"},
        {"104", "Kaycee", "Taillon", "Cody, WY"},
        {"201", "Hank Aloysius", "Header", "Stephenville, TX"},
        {"202", "Heath", "Heeler", "Weatherford, TX"},
    };
    for (const QStringList& p : people)
        typeRecord(recordGrid(), p);
    for (const QStringList& p : people)
        EXPECT_EQ(
            one(program,
                QStringLiteral("SELECT PlrFirstName || '|' || PlrLastName || '|' || PlrHomeTown FROM Rosters "
                               "WHERE PlrBib = ?"),
                {p[0]}),
            p[1] + QLatin1Char('|') + p[2] + QLatin1Char('|') + p[3])
            << p[0].toStdString();
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Rosters")), QStringLiteral("6"));

    // Stock Entry: animals and their contractor, typed the same way.
    click(QStringLiteral("Stock Entry"));
    typeRecord(recordGrid(), {QStringLiteral("S1"), QStringLiteral("Widow Maker"), QString(),
                              QStringLiteral("High Plains Rodeo Co.")});
    typeRecord(recordGrid(), {QStringLiteral("S2"), QStringLiteral("Painted Lady"), QString(),
                              QStringLiteral("High Plains Rodeo Co.")});
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Stocks")), QStringLiteral("2"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Contractors")), QStringLiteral("1"));
    EXPECT_EQ(
        one(program, QStringLiteral("SELECT c.CoName FROM Stocks s JOIN Contractors c ON c.CoId = s.CoId "
                                    "WHERE s.StBib = 'S2'")),
        QStringLiteral("High Plains Rodeo Co."));

    // Performance Entry: a first performance in go-round 1 of each event.
    click(QStringLiteral("Performance Entry"));
    for (const char* event : {"Saddle Bronc", "Barrel Racing", "Team Roping"}) {
        ASSERT_TRUE(clickTree(tree, {kRodeo, QString::fromLatin1(event), QStringLiteral("Go Round 1")}));
        click(QStringLiteral("Add Perf"));
    }

    // Riders picked from the drop-down into performance 1 of the saddle
    // bronc, and an animal drawn for one by picking it.
    ASSERT_TRUE(clickTree(tree, {kRodeo, QStringLiteral("Saddle Bronc"), QStringLiteral("Go Round 1"),
                                 QStringLiteral("Performance 1")}));
    for (const char* rider : {"101 - Wade Sundell", "102 - Ryder Wright", "103 - Zeke Thurston"}) {
        QTableView* grid = entryGrid(QStringLiteral("Bib"));
        pickInCell(grid, grid->model()->rowCount() - 1, QStringLiteral("Bib"), QString::fromLatin1(rider));
    }
    EXPECT_EQ(
        one(program,
            QStringLiteral(
                "SELECT COUNT(*) FROM Scores WHERE EvId = 'SB' AND GoId = 1 AND PerfId = 1 AND ptId > 0")),
        QStringLiteral("3"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Rosters")), QStringLiteral("6"))
        << "a pick is a pick: no new contestant";
    {
        QTableView* grid = entryGrid(QStringLiteral("Stock Bib"));
        const int row = rowWith(entryGrid(QStringLiteral("Last Name")), QStringLiteral("Last Name"),
                                QStringLiteral("Wright"));
        ASSERT_GE(row, 0);
        pickInCell(grid, row, QStringLiteral("Stock Bib"), QStringLiteral("S1 - Widow Maker"));
        EXPECT_EQ(cellText(grid, row, QStringLiteral("Stock Name")), QStringLiteral("Widow Maker"));
    }
    EXPECT_EQ(
        one(program, QStringLiteral("SELECT t.StName FROM Scores s JOIN Stocks t ON t.StId = s.StId JOIN "
                                    "Rosters r ON r.PlrId = s.ptId WHERE s.EvId = 'SB' AND s.GoId = 1 AND "
                                    "r.PlrLastName = 'Wright'")),
        QStringLiteral("Widow Maker"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Stocks")), QStringLiteral("2"))
        << "a pick is a pick: no new animal";

    // A barrel racer, and a team named first and made of picked members.
    ASSERT_TRUE(clickTree(tree, {kRodeo, QStringLiteral("Barrel Racing"), QStringLiteral("Go Round 1"),
                                 QStringLiteral("Performance 1")}));
    {
        QTableView* grid = entryGrid(QStringLiteral("Bib"));
        pickInCell(grid, grid->model()->rowCount() - 1, QStringLiteral("Bib"),
                   QStringLiteral("104 - Kaycee Taillon"));
    }
    ASSERT_TRUE(clickTree(tree, {kRodeo, QStringLiteral("Team Roping"), QStringLiteral("Go Round 1"),
                                 QStringLiteral("Performance 1")}));
    {
        QTableView* grid = entryGrid(QStringLiteral("Team"));
        const int row = grid->model()->rowCount() - 1;
        QWidget* name = editCell(grid, row, QStringLiteral("Team"));
        ASSERT_TRUE(name);
        type(QStringLiteral("Cody Boys"));
        key(Qt::Key_Return);
        pickInCell(entryGrid(QStringLiteral("Bib 1")), row, QStringLiteral("Bib 1"),
                   QStringLiteral("201 - Hank Aloysius Header"));
        const int teamRow =
            rowWith(entryGrid(QStringLiteral("Team")), QStringLiteral("Team"), QStringLiteral("Cody Boys"));
        ASSERT_GE(teamRow, 0) << "the team keeps the name typed for it";
        pickInCell(entryGrid(QStringLiteral("Bib 2")), teamRow, QStringLiteral("Bib 2"),
                   QStringLiteral("202 - Heath Heeler"));
    }
    EXPECT_EQ(one(program,
                  QStringLiteral("SELECT t.TmName || '|' || a.PlrLastName || '|' || b.PlrLastName FROM "
                                 "Teams t JOIN Rosters a ON a.PlrId = t.PlrId1 JOIN Rosters b ON b.PlrId = "
                                 "t.PlrId2")),
              QStringLiteral("Cody Boys|Header|Heeler"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Teams")), QStringLiteral("1"));
    EXPECT_EQ(
        one(program,
            QStringLiteral(
                "SELECT COUNT(*) FROM Times WHERE EvId = 'TR' AND GoId = 1 AND PerfId = 1 AND ptId > 0")),
        QStringLiteral("1"));
    EXPECT_EQ(one(program, QStringLiteral("SELECT COUNT(*) FROM Rosters")), QStringLiteral("6"));

    // Every view, as the secretary looks around before the first performance.
    auto* tabs = named<QTabBar>(QStringLiteral("viewtabs"));
    ASSERT_TRUE(tabs);
    for (int i = 0; i < tabs->count(); ++i) {
        const QString view = tabs->tabText(i);
        click(view);
        EXPECT_TRUE(waitFor([&] { return tabs->currentIndex() == i; })) << view.toStdString();
    }
    dialogsDone();
}
