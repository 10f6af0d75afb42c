// The operator runs a scored performance of the demo season: the saddle
// bronc is set to be marked in halves in Rodeo Setup, then ten riders are
// marked as a person types marks (halves included), with a correction, a
// re-ride and a no score; the list, the leader board and the scoreboard
// simulator read the same at each step. The timing console's marks belong to
// the rider they were sent for: the next rider, made current under the
// console's repeated picture, gets nothing, and a hand correction stands.
#include "platform/sql/sqlconnection.h"
#include "sim/windows/scoreboardwindow.h"
#include "sim/windows/timingconsolewindow.h"
#include "steps/journey.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace journey;

namespace {

QWidget* topWindow(const QString& title)
{
    QWidget* found = nullptr;
    waitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == title)
                return (found = w) != nullptr;
        return false;
    });
    return found;
}

// The first number in a text, in hundredths ("85", " 85.50" -> 8500, 8550).
int hundredths(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return 0;
    const QString decimals = (m.captured(2) + QStringLiteral("00")).left(2);
    return m.captured(1).toInt() * 100 + decimals.toInt();
}

class ScoredRun
{
public:
    explicit ScoredRun(Program& program) : m_program(program) {}

    QTableView* list() const { return named<QTableView>(QStringLiteral("leftList")); }
    QTableView* results() const { return named<QTableView>(QStringLiteral("rightList")); }
    QTableView* goLeaders() const { return named<QTableView>(QStringLiteral("goLeaders")); }

    void select(const QString& lastName)
    {
        const int r = rowWith(list(), QStringLiteral("Last Name"), lastName);
        ASSERT_GE(r, 0) << lastName.toStdString();
        clickCell(list(), r, QStringLiteral("Last Name"));
    }
    // Selected and made current with F2 ("Run Time", shown on the boards).
    void up(const QString& lastName)
    {
        select(lastName);
        key(Qt::Key_F2);
    }
    // E, then the marks as a person types them: judge 1, Tab, judge 2, Enter
    // (the demo's saddle bronc has two judges, each giving one mark).
    void mark(const QString& lastName, const QStringList& marks)
    {
        select(lastName);
        key(Qt::Key_E);
        for (int i = 0; i < marks.size(); ++i) {
            type(marks[i]);
            key(i + 1 < marks.size() ? Qt::Key_Tab : Qt::Key_Return);
        }
    }

    int saved(const QString& lastName) const
    {
        auto sql = openSeason(m_program, QStringLiteral("Demo"));
        return queryText(*sql,
                         QStringLiteral("SELECT s.JTot FROM Scores s JOIN Rosters r ON r.PlrId = s.ptId "
                                        "WHERE s.EvId = 'SB' AND s.GoId = 2 AND r.PlrLastName = ?"),
                         {lastName})
            .toInt();
    }
    QString status(const QString& lastName) const
    {
        auto sql = openSeason(m_program, QStringLiteral("Demo"));
        return queryText(*sql,
                         QStringLiteral("SELECT s.Status FROM Scores s JOIN Rosters r ON r.PlrId = s.ptId "
                                        "WHERE s.EvId = 'SB' AND s.GoId = 2 AND r.PlrLastName = ?"),
                         {lastName});
    }
    // The ride as the list shows it in the go-round column.
    int listed(const QString& lastName) const
    {
        const int r = rowWith(list(), QStringLiteral("Last Name"), lastName);
        const int c = column(results(), QStringLiteral("GR2\nPos    Score  Time"));
        if (r < 0 || c < 0)
            return -1;
        // "pos    score    time": the score is the second number.
        const QString text = results()->model()->index(r, c).data().toString().trimmed();
        const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return parts.size() >= 2 ? hundredths(parts[1]) : 0;
    }
    // The ride as the leader board shows it.
    int leading(const QString& lastName) const
    {
        QTableView* t = goLeaders();
        for (int r = 0; t && r < t->model()->rowCount(); ++r)
            if (cellText(t, r, QStringLiteral("Name")).contains(lastName))
                return hundredths(cellText(t, r, QStringLiteral("Score")));
        return -1;
    }

private:
    Program& m_program;
};

} // namespace

TEST(OperatorJourney, AScoredPerformanceReadsTheSameEverywhereAndTheConsoleMarksTheirOwnRider)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));

    // Rodeo Setup: the saddle bronc is marked in halves from now on. The form
    // shows the event clicked, and the change goes to it.
    click(QStringLiteral("Rodeo Setup"));
    auto* events = find<QGroupBox>(QStringLiteral("Event Information"))->findChild<QTableView*>();
    ASSERT_TRUE(events);
    clickCell(events, rowWith(events, QStringLiteral("Name"), QStringLiteral("Barrel Racing")),
              QStringLiteral("Name"));
    clickCell(events, rowWith(events, QStringLiteral("Name"), QStringLiteral("Saddle Bronc")),
              QStringLiteral("Name"));
    EXPECT_EQ(textOf(find(QStringLiteral("Display Name"))), QStringLiteral("Saddle Bronc"));
    QComboBox* fraction = nullptr;
    for (auto* box : find<QGroupBox>(QStringLiteral("Event Information"))->findChildren<QComboBox*>())
        if (box->isVisible() && box->currentText() == QStringLiteral("Full"))
            fraction = box;
    ASSERT_TRUE(fraction) << "the Full / Fraction choice of the saddle bronc";
    pick(fraction, QStringLiteral("Fraction"));
    click(QStringLiteral("Save"));
    {
        auto sql = openSeason(program, QStringLiteral("Demo"));
        EXPECT_EQ(queryText(*sql, QStringLiteral("SELECT ReFraction FROM RodeoEvents WHERE EvId = 'SB'")),
                  QStringLiteral("N"));
        EXPECT_NE(queryText(*sql, QStringLiteral("SELECT ReFraction FROM RodeoEvents WHERE EvId = 'BR'")),
                  QStringLiteral("N"));
    }

    // The boards: the scoreboard simulator on the loopback ports.
    chooseMenu({QStringLiteral("Configure"), QStringLiteral("Simulators"),
                QStringLiteral("Loopback to the Simulators")});
    chooseMenu({QStringLiteral("Configure"), QStringLiteral("Simulators"), QStringLiteral("Scoreboard...")});
    auto* board = qobject_cast<ScoreboardWindow*>(topWindow(QStringLiteral("Scoreboard Simulator")));
    ASSERT_TRUE(board);

    click(QStringLiteral("Run Performance"));
    choosePerformance(QStringLiteral("Saddle Bronc"), QStringLiteral("2"), QStringLiteral("1"));
    ScoredRun run(program);

    // Each rider: shown with F2, marked as typed, the same ride everywhere.
    struct Ride
    {
        const char* name;
        QStringList marks;
        int total; // hundredths
    };
    const Ride rides[] = {
        {"Sundell", {"43.5", "42"}, 8550},
        {"Wright", {"40", "39.5"}, 7950},
        {"Thurston", {"44", "43.5"}, 8750},
        {"DeMoss", {"9", "40"}, 4900}, // a single-digit mark
    };
    for (const Ride& ride : rides) {
        const QString name = QString::fromLatin1(ride.name);
        run.up(name);
        run.mark(name, ride.marks);
        EXPECT_TRUE(waitFor([&] { return run.saved(name) == ride.total; }))
            << ride.name << ": " << run.saved(name);
        EXPECT_TRUE(waitFor([&] { return run.listed(name) == ride.total; }))
            << ride.name << ": " << run.listed(name);
        EXPECT_TRUE(waitFor([&] { return run.leading(name) == ride.total; }))
            << ride.name << ": " << run.leading(name);
        // The board shows the current rider's ride.
        EXPECT_TRUE(waitFor([&] {
            board->refresh();
            return board->boardText().contains(QString::number(ride.total / 100.0, 'f', 2));
        })) << ride.name;
    }

    // A correction: Wright's second mark was 40.5, not 39.5.
    run.mark(QStringLiteral("Wright"), {QStringLiteral("40"), QStringLiteral("40.5")});
    EXPECT_TRUE(waitFor([&] { return run.saved(QStringLiteral("Wright")) == 8050; }));
    EXPECT_TRUE(waitFor([&] { return run.leading(QStringLiteral("Wright")) == 8050; }));

    // A re-ride for Mote: R on his row; the mark stays after his re-ride's
    // marks are saved, until R is pressed again.
    run.up(QStringLiteral("Mote"));
    key(Qt::Key_R);
    EXPECT_TRUE(waitFor([&] { return run.status(QStringLiteral("Mote")) == QStringLiteral("R"); }));
    run.mark(QStringLiteral("Mote"), {QStringLiteral("42"), QStringLiteral("43")});
    EXPECT_TRUE(waitFor([&] { return run.saved(QStringLiteral("Mote")) == 8500; }));
    EXPECT_EQ(run.status(QStringLiteral("Mote")), QStringLiteral("R"));
    run.select(QStringLiteral("Mote"));
    key(Qt::Key_R);
    EXPECT_TRUE(waitFor([&] { return run.status(QStringLiteral("Mote")).isEmpty(); }));

    // The second performance: a no score, and the console's marks.
    pick(find<QComboBox>(QStringLiteral("Performance:")), QStringLiteral("2"));
    run.up(QStringLiteral("Brazile"));
    key(Qt::Key_N);
    EXPECT_TRUE(waitFor([&] { return run.status(QStringLiteral("Brazile")) == QStringLiteral("N"); }));

    chooseMenu(
        {QStringLiteral("Configure"), QStringLiteral("Simulators"), QStringLiteral("Timing Console...")});
    auto* console = qobject_cast<TimingConsoleWindow*>(topWindow(QStringLiteral("Timing Console Simulator")));
    ASSERT_TRUE(console);
    const auto judge = [&](int j, const char* rider, const char* stock) {
        auto* group = findIn(console, QStringLiteral("Marks"));
        QList<QLineEdit*> fields;
        for (QLineEdit* e : group->findChildren<QLineEdit*>())
            if (e->isVisible())
                fields << e;
        // Rider and stock fields row by row: judge 1 rider, judge 1 stock, ...
        click(fields[2 * (j - 1)]);
        key(Qt::Key_A, Qt::ControlModifier);
        type(QString::fromLatin1(rider));
        if (qstrlen(stock) > 0) {
            click(fields[2 * (j - 1) + 1]);
            key(Qt::Key_A, Qt::ControlModifier);
            type(QString::fromLatin1(stock));
        }
    };
    // The console marks as the event does: two judges, one mark each.
    pick(showing<QComboBox>(QStringLiteral("Separate"), console), QStringLiteral("Combined"));
    // Etbauer rides; the judges' marks go out from the console, 43 and 43
    // (an event marked in halves reads marks with their point).
    run.up(QStringLiteral("Etbauer"));
    judge(1, "43.0", "");
    judge(2, "43.0", "");
    click(findIn(console, QStringLiteral("Send Marks")));
    EXPECT_TRUE(waitFor([&] { return run.saved(QStringLiteral("Etbauer")) == 8600; }))
        << run.saved(QStringLiteral("Etbauer"));
    // Lawson up without the console reset: its repeated picture is not his.
    run.up(QStringLiteral("Lawson"));
    QTest::qWait(1500);
    EXPECT_EQ(run.saved(QStringLiteral("Lawson")), 0);
    // A hand correction of Etbauer stands against the repeated picture.
    run.mark(QStringLiteral("Etbauer"), {QStringLiteral("42"), QStringLiteral("43.5")});
    EXPECT_TRUE(waitFor([&] { return run.saved(QStringLiteral("Etbauer")) == 8550; }));
    QTest::qWait(1500);
    EXPECT_EQ(run.saved(QStringLiteral("Etbauer")), 8550);
    // Back on Lawson's row, his own marks from the console are his.
    run.select(QStringLiteral("Lawson"));
    judge(1, "41.0", "");
    judge(2, "42.0", "");
    click(findIn(console, QStringLiteral("Send Marks")));
    EXPECT_TRUE(waitFor([&] { return run.saved(QStringLiteral("Lawson")) == 8300; }))
        << run.saved(QStringLiteral("Lawson"));
    EXPECT_EQ(run.saved(QStringLiteral("Etbauer")), 8550);
}
