// Catching up after a performance in Box Entry, then the reports: results
// typed straight into go-round cells and through the bar, as they are read;
// Run Performance keeps its own selection across the visit; the report pages
// show what was typed, and the result history tells where each change came from.
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QFile>
#include <QTableView>
#include <QTextBrowser>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace journey;

namespace {

QString one(const Program& program, const QString& statement, const QVariantList& values = {})
{
    auto sql = openSeason(program, QStringLiteral("Demo"));
    return queryText(*sql, statement, values);
}

QString rideOf(const Program& program, const QString& lastName, int goRound)
{
    return one(
        program,
        QStringLiteral("SELECT t.RideTime || '/' || t.PenTime || '/' || t.Status FROM Times t JOIN Rosters r "
                       "ON r.PlrId = t.ptId WHERE t.EvId = 'BR' AND t.GoId = ? AND r.PlrLastName = ?"),
        {goRound, lastName});
}

} // namespace

TEST(OperatorJourney, BoxEntryCatchesUpAndTheReportsShowIt)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));

    // Where the operator left Run Performance.
    click(QStringLiteral("Run Performance"));
    choosePerformance(QStringLiteral("Barrel Racing"), QStringLiteral("2"), QStringLiteral("2"));

    // Box Entry: the barrel racing's go-round 2, typed into the cells as the
    // times are read off the sheet.
    click(QStringLiteral("Box Entry"));
    pick(find<QComboBox>(QStringLiteral("Select The Event")), QStringLiteral("Barrel Racing (BR)"));
    auto* names = named<QTableView>(QStringLiteral("leftList"));
    auto* results = named<QTableView>(QStringLiteral("rightList"));
    ASSERT_TRUE(names && results);
    const QString go2 = QStringLiteral("GR2\nPos    Time  ");
    const struct
    {
        const char* name;
        const char* typed;
        const char* saved; // RideTime/PenTime/Status
        const char* shown;
    } cells[] = {
        {"Sorensen", "16.51", "16510/0/", "16.51"}, // as read
        {"Ferguson", "9.87", "9870/0/", "9.87"},    // a single-digit time
        {"Johnson", "1704", "17040/0/", "17.04"},   // typed without the point
    };
    for (const auto& c : cells) {
        const int row = rowWith(names, QStringLiteral("Last Name"), QString::fromLatin1(c.name));
        ASSERT_GE(row, 0) << c.name;
        QWidget* editor = editCell(results, row, go2);
        ASSERT_TRUE(editor) << c.name;
        type(QString::fromLatin1(c.typed));
        key(Qt::Key_Return);
        EXPECT_TRUE(waitFor([&] {
            return rideOf(program, QString::fromLatin1(c.name), 2) == QLatin1String(c.saved);
        })) << c.name
            << ": " << rideOf(program, QString::fromLatin1(c.name), 2).toStdString();
        EXPECT_TRUE(cellText(results, row, go2).contains(QString::fromLatin1(c.shown)))
            << c.name << ": the cell shows " << cellText(results, row, go2).toStdString();
    }
    // A penalty through the bar: the cell, then P.
    {
        const int row = rowWith(names, QStringLiteral("Last Name"), QStringLiteral("Cervi"));
        clickCell(results, row, go2);
        key(Qt::Key_E);
        type(QStringLiteral("16.2"));
        key(Qt::Key_Return);
        EXPECT_TRUE(waitFor([&] {
            return rideOf(program, QStringLiteral("Cervi"), 2) == QLatin1String("16200/0/");
        })) << rideOf(program, QStringLiteral("Cervi"), 2).toStdString();
        clickCell(results, row, go2);
        key(Qt::Key_P);
        EXPECT_TRUE(waitFor([&] {
            return rideOf(program, QStringLiteral("Cervi"), 2) == QLatin1String("16200/5000/P");
        })) << rideOf(program, QStringLiteral("Cervi"), 2).toStdString();
    }
    // Nobody was made current by the typing.
    EXPECT_EQ(program.frame().database().curEntry().ptId, 0u);

    // Run Performance kept its own selection over the visit.
    click(QStringLiteral("Run Performance"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Event:"))->currentText(), QStringLiteral("Barrel Racing"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Go-Round:"))->currentText(), QStringLiteral("2"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Performance:"))->currentText(), QStringLiteral("2"));

    // Reports: the go-round's standing shows the times as typed, beside the names.
    click(QStringLiteral("Reports"));
    auto* tree = named<QTreeView>(QStringLiteral("reportTree"));
    ASSERT_TRUE(clickTree(tree, {QStringLiteral("Demo Days Rodeo"), QStringLiteral("Barrel Racing"),
                                 QStringLiteral("Go Round 2")}));
    auto* page = named<QTextBrowser>(QStringLiteral("reportBrowser"));
    ASSERT_TRUE(page);
    ASSERT_TRUE(clickLink(page, QStringLiteral("Go Round Standing")));
    EXPECT_TRUE(waitFor([&] { return page->toPlainText().contains(QStringLiteral("9.87")); }))
        << page->toPlainText().left(400).toStdString();
    for (const char* shown : {"16.51", "17.04", "21.20", "Cervi, "})
        EXPECT_TRUE(page->toPlainText().contains(QString::fromLatin1(shown))) << shown;
    // The rodeo's registration list, written when the view was shown, is the
    // one the event's index links to.
    ASSERT_TRUE(clickTree(tree, {QStringLiteral("Demo Days Rodeo"), QStringLiteral("Barrel Racing")}));
    ASSERT_TRUE(clickLink(page, QStringLiteral("Rodeo Registration List")));
    EXPECT_TRUE(waitFor([&] { return page->toPlainText().contains(QStringLiteral("This Year Earnings")); }));
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("Cervi, ")))
        << page->toPlainText().left(400).toStdString();

    // The result history of Cervi's go-round 2: typed in Box Entry, then the
    // penalty, each with its source.
    expectDialog(QStringLiteral("Every change of an entry's results"), [](QWidget* dialog) {
        pick(qobject_cast<QComboBox*>(findIn(dialog, QStringLiteral("Event"))),
             QStringLiteral("Barrel Racing (BR)"));
        auto* entries = qobject_cast<QComboBox*>(findIn(dialog, QStringLiteral("Entry")));
        QString cervi;
        for (const QString& item : offered(entries))
            if (item.contains(QStringLiteral("Cervi")))
                cervi = item;
        pick(entries, cervi);
        auto* table = dialog->findChild<QTableView*>();
        ASSERT_TRUE(table);
        QStringList sources;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            if (cellText(table, r, QStringLiteral("Go-Round")) == QLatin1String("2"))
                sources << cellText(table, r, QStringLiteral("Change")) + QLatin1Char('/') +
                               cellText(table, r, QStringLiteral("Source"));
        EXPECT_EQ(sources, (QStringList{QStringLiteral("Entered/Program"), QStringLiteral("Saved/Box Entry"),
                                        QStringLiteral("Changed/Box Entry")}));
        click(findIn(dialog, QStringLiteral("Close")));
    });
    click(QStringLiteral("Result History..."));
    dialogsDone();
}
