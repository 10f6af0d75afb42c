// The secretary draws in Performance Entry of the demo season, through the
// draw dialog opened from the tree's menu:
// - saddle bronc go-round 1 holds results and is refused; go-round 2 is drawn
//   (performances, running order and animals) from a seed she types, its
//   sheet posted, the draw undone and drawn again from the same seed: the
//   same draw, read back from the season with a second connection;
// - a request she types that the draw cannot honour is named, and the draw
//   is written only when she keeps it without.
#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"
#include "steps/journey.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextBrowser>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

using namespace journey;

namespace {

// The tree node reading go under the event node reading event.
QModelIndex node(QTreeView* tree, const QString& event, const QString& go)
{
    const QAbstractItemModel* model = tree->model();
    const QModelIndex rodeo = model->index(0, 0);
    for (int e = 0; e < model->rowCount(rodeo); ++e) {
        const QModelIndex ev = model->index(e, 0, rodeo);
        if (ev.data().toString() != event)
            continue;
        tree->expand(ev);
        for (int g = 0; g < model->rowCount(ev); ++g)
            if (model->index(g, 0, ev).data().toString() == go)
                return model->index(g, 0, ev);
    }
    return {};
}

// Saddle bronc go-round 2 as the season holds it: contestant, performance,
// running order, animal.
QStringList goRound2(const Program& program)
{
    QStringList rows;
    auto sql = openSeason(program, QStringLiteral("Demo"));
    auto rs = sql->query(
        QStringLiteral("SELECT r.PlrLastName, s.PerfId, s.Ord, t.StName FROM Scores AS s "
                       "JOIN Rosters AS r ON r.PlrId = s.ptId LEFT JOIN Stocks AS t ON t.StId = s.StId "
                       "WHERE s.EvId = 'SB' AND s.GoId = 2 ORDER BY s.PerfId, s.Ord"));
    for (rs->moveFirst(); rs && !rs->isEof(); rs->moveNext())
        rows << QStringLiteral("%1 %2.%3 %4")
                    .arg(rs->toText(QStringLiteral("PlrLastName")))
                    .arg(rs->toUInt(QStringLiteral("PerfId")))
                    .arg(rs->toUInt(QStringLiteral("Ord")))
                    .arg(rs->toText(QStringLiteral("StName")));
    return rows;
}

qint64 drawsWritten(const Program& program)
{
    return queryText(*openSeason(program, QStringLiteral("Demo")),
                     QStringLiteral("SELECT count(*) FROM Draws"))
        .toLongLong();
}

// Performance Entry, the tree's menu on saddle bronc's go-round 2: the draw
// dialog, worked by work.
void drawGoRound2(Program& program, const std::function<void(QWidget*)>& work)
{
    click(QStringLiteral("Performance Entry"));
    auto* tree = named<QTreeView>(QStringLiteral("rodeoTree"));
    ASSERT_TRUE(tree);
    const QModelIndex go2 = node(tree, QStringLiteral("Saddle Bronc"), QStringLiteral("Go Round 2"));
    ASSERT_TRUE(go2.isValid());
    tree->scrollTo(go2);
    expectDialog(QStringLiteral("nothing is written until you accept"), [&](QWidget* dialog) {
        EXPECT_EQ(textOf(findIn(dialog, QStringLiteral("Go-round"))), QStringLiteral("Go Round 2"));
        work(dialog);
        click(findIn(dialog, QStringLiteral("Close")));
    });
    chooseContextMenu(tree->viewport(), tree->visualRect(go2).center(), QStringLiteral("Draw..."));
    dialogsDone(30000);
    (void)program;
}

void typeSeed(QWidget* dialog, const QString& seed)
{
    click(findIn(dialog, QStringLiteral("Seed")));
    key(Qt::Key_A, Qt::ControlModifier);
    type(seed);
}

} // namespace

TEST(SecretaryJourney, ADrawIsPostedUndoneAndDrawnAgainFromItsSeedTheSame)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    const QStringList before = goRound2(program);
    QStringList drawn;
    drawGoRound2(program, [&](QWidget* dialog) {
        // Go-round 1 holds results.
        pick(qobject_cast<QComboBox*>(findIn(dialog, QStringLiteral("Go-round"))),
             QStringLiteral("Go Round 1"));
        expectDialog(QStringLiteral("The go-round holds results: it cannot be drawn again."),
                     QStringLiteral("OK"));
        click(named(QStringLiteral("draw"), dialog));
        EXPECT_FALSE(findIn(dialog, QStringLiteral("Accept"))->isEnabled());

        pick(qobject_cast<QComboBox*>(findIn(dialog, QStringLiteral("Go-round"))),
             QStringLiteral("Go Round 2"));
        click(findIn(dialog, QStringLiteral("Animals from the pen (10)")));
        typeSeed(dialog, QStringLiteral("777"));
        click(named(QStringLiteral("draw"), dialog));
        EXPECT_EQ(goRound2(program), before) << "written before Accept";
        click(findIn(dialog, QStringLiteral("Accept")));
        drawn = goRound2(program);
        EXPECT_NE(drawn, before);

        // The sheet to post, with the seed.
        expectDialog(QStringLiteral("Written beside the reports"), [](QWidget* sheet) {
            const QString text = named<QTextBrowser>(QStringLiteral("page"), sheet)->toPlainText();
            EXPECT_TRUE(text.contains(QStringLiteral("Draw: Saddle Bronc (SB), Go Round 2")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("seed 777"))) << text.toStdString();
            click(findIn(sheet, QStringLiteral("Close")));
        });
        click(findIn(dialog, QStringLiteral("Draw Sheet")));

        expectDialog(QStringLiteral("Undo the last draw of Saddle Bronc (SB), Go Round 2?"),
                     QStringLiteral("OK"));
        click(findIn(dialog, QStringLiteral("Undo Last Draw")));
        EXPECT_EQ(goRound2(program), before);

        // The same seed again: the same draw.
        click(named(QStringLiteral("draw"), dialog));
        click(findIn(dialog, QStringLiteral("Accept")));
        EXPECT_EQ(goRound2(program), drawn);
    });

    EXPECT_EQ(drawn.size(), 10);
    for (const QString& row : drawn)
        EXPECT_FALSE(row.endsWith(QLatin1Char(' '))) << "a rider without an animal: " << row.toStdString();
    EXPECT_GT(QFile(program.dataFolder() + QStringLiteral("Html/Draw SB Go 2.pdf")).size(), 1000);
    auto sql = openSeason(program, QStringLiteral("Demo"));
    // Drawn, undone, drawn: each of the ten entries three times in the history.
    EXPECT_EQ(queryText(*sql, QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Draw'")),
              QStringLiteral("30"));
}

TEST(SecretaryJourney, ARequestThatCannotBeMetIsNamedAndTheDrawKeptOnlyWhenAccepted)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    const QStringList before = goRound2(program);
    const QString named5 =
        QStringLiteral("Up: Wade Sundell in performance 5, go-round 2: performance 5 is not drawn");
    drawGoRound2(program, [&](QWidget* dialog) {
        expectDialog(QStringLiteral("What the draw honours first"), [](QWidget* request) {
            click(findIn(request, QStringLiteral("OK"))); // nobody chosen yet
            EXPECT_EQ(textOf(named(QStringLiteral("problem"), request)),
                      QStringLiteral("Choose the contestant."));
            pick(qobject_cast<QComboBox*>(findIn(request, QStringLiteral("Go-round"))),
                 QStringLiteral("Go Round 2"));
            click(findIn(request, QStringLiteral("Performance")));
            key(Qt::Key_A, Qt::ControlModifier);
            type(QStringLiteral("5"));
            pick(named<QComboBox>(QStringLiteral("contestant1"), request),
                 QStringLiteral("Sundell, Wade (101)"));
            click(findIn(request, QStringLiteral("OK")));
        });
        click(findIn(dialog, QStringLiteral("Add Request...")));
        auto* requests = named<QTableView>(QStringLiteral("requests"), dialog);
        ASSERT_TRUE(requests);
        EXPECT_EQ(cellText(requests, 0, QStringLiteral("Request")),
                  QStringLiteral("Up: Wade Sundell in performance 5, go-round 2"));

        typeSeed(dialog, QStringLiteral("7"));
        click(named(QStringLiteral("draw"), dialog));
        EXPECT_EQ(textOf(named(QStringLiteral("unmet"), dialog)),
                  QStringLiteral("Cannot be honoured: ") + named5);
        expectDialog(QStringLiteral("These cannot be honoured:\n\n") + named5, QStringLiteral("No"));
        click(findIn(dialog, QStringLiteral("Accept")));
        EXPECT_EQ(goRound2(program), before);
        EXPECT_EQ(drawsWritten(program), 0);

        click(named(QStringLiteral("draw"), dialog));
        expectDialog(QStringLiteral("Keep the draw without them?"), QStringLiteral("Yes"));
        click(findIn(dialog, QStringLiteral("Accept")));
        EXPECT_NE(goRound2(program), before);
    });
    auto sql = openSeason(program, QStringLiteral("Demo"));
    EXPECT_EQ(queryText(*sql, QStringLiteral("SELECT DrSeed FROM Draws")), QStringLiteral("7"));
    EXPECT_EQ(queryText(*sql, QStringLiteral("SELECT DrUnmet FROM Draws")), named5);
}
