// The operator runs a timed performance of the demo season with the timing
// console simulator on the loopback ports, the way a rehearsal has it: ten
// runs, the console's reset forgotten twice, a contestant selected without a
// display key, a time typed by hand, a hand correction, a penalty raised from
// 5 to 10 s, a no-time and a re-run. Every contestant ends with exactly his
// own result, read back from the season with a second connection.
#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"
#include "sim/simports.h"
#include "sim/windows/timingconsolewindow.h"
#include "steps/journey.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMap>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace journey;

namespace {

struct Result
{
    qint64 ride = 0; // thousandths, without the penalty
    qint64 penalty = 0;
    QString status;
    bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Result& r)
{
    return os << r.ride << "/" << r.penalty << "/\"" << r.status.toStdString() << "\"";
}

// The operator's table and the console, as the person at the table sees them.
class TimedRun
{
public:
    explicit TimedRun(Program& program) : m_program(program) {}

    QWidget* console() const { return m_console; }

    void openConsole()
    {
        chooseMenu(
            {QStringLiteral("Configure"), QStringLiteral("Simulators"), QStringLiteral("Timing Console...")});
        ASSERT_TRUE(waitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == QStringLiteral("Timing Console Simulator"))
                    return (m_console = qobject_cast<TimingConsoleWindow*>(w)) != nullptr;
            return false;
        }));
    }

    void consoleButton(const QString& caption) { click(findIn(m_console, caption)); }

    // The console's clock as it shows it, in thousandths.
    qint64 consoleTime() const
    {
        const QString text = m_console->clockText().trimmed();
        return qRound64(text.toDouble() * 1000);
    }

    // A run on the console: start, a moment, stop; the time it shows.
    qint64 run(bool reset = true)
    {
        if (reset)
            consoleButton(QStringLiteral("Reset"));
        consoleButton(QStringLiteral("Start"));
        QTest::qWait(250);
        consoleButton(QStringLiteral("Stop"));
        return consoleTime();
    }

    QTableView* list() const { return named<QTableView>(QStringLiteral("leftList")); }

    int row(const QString& lastName) const { return rowWith(list(), QStringLiteral("Last Name"), lastName); }

    void select(const QString& lastName)
    {
        const int r = row(lastName);
        ASSERT_GE(r, 0) << lastName.toStdString() << " is not in the list";
        clickCell(list(), r, QStringLiteral("Last Name"));
    }

    // Selects the contestant and makes him current: F5 ("Curr Profile") shows
    // him on the boards.
    void up(const QString& lastName)
    {
        select(lastName);
        key(Qt::Key_F5);
    }

    QString clock() const { return textOf(named(QStringLiteral("clock"))); }

private:
    Program& m_program;
    TimingConsoleWindow* m_console = nullptr;
};

QMap<QString, Result> savedTimes(const Program& program, int goRound)
{
    QMap<QString, Result> rows;
    auto sql = openSeason(program, QStringLiteral("Demo"));
    auto rs = sql->query(
        QStringLiteral("SELECT r.PlrLastName AS name, t.RideTime, t.PenTime, t.Status FROM Times t "
                       "JOIN Rosters r ON r.PlrId = t.ptId WHERE t.EvId = 'BR' AND t.GoId = ?"),
        {goRound});
    if (!rs)
        return rows;
    for (bool ok = rs->moveFirst(); ok; ok = rs->moveNext())
        rows.insert(rs->toText(QStringLiteral("name")),
                    {rs->toInt64(QStringLiteral("RideTime")), rs->toInt64(QStringLiteral("PenTime")),
                     rs->toText(QStringLiteral("Status"))});
    return rows;
}

} // namespace

TEST(OperatorJourney, ATimedPerformanceWithTheConsoleGivesEveryoneHisOwnRun)
{
    // Another program holds the timer's port when ours starts: the port says
    // it failed, in the status bar and in Monitor Ports, until it is free.
    auto squatter = std::make_unique<QUdpSocket>();
    ASSERT_TRUE(
        squatter->bind(QHostAddress::Any, quint16(SimPorts::TimerPort), QAbstractSocket::DontShareAddress));
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    click(QStringLiteral("Run Performance"));

    // A rehearsal on one machine: the ports point at the simulators.
    chooseMenu({QStringLiteral("Configure"), QStringLiteral("Simulators"),
                QStringLiteral("Loopback to the Simulators")});
    QLabel* ports = named<QLabel>(QStringLiteral("portStatus"));
    ASSERT_TRUE(ports);
    EXPECT_TRUE(ports->text().contains(QStringLiteral("Failed to receive"))) << ports->text().toStdString();
    expectDialog(QStringLiteral("Select the ports to view"), [](QWidget* dialog) {
        auto* list = named<QTableView>(QStringLiteral("ports"), dialog);
        const int timer = list ? rowWith(list, QStringLiteral("Name"), QStringLiteral("TK2 Timer")) : -1;
        EXPECT_GE(timer, 0);
        if (timer >= 0) {
            EXPECT_TRUE(cellText(list, timer, QStringLiteral("Status")).startsWith(QStringLiteral("Failed")))
                << cellText(list, timer, QStringLiteral("Status")).toStdString();
        }
        click(findIn(dialog, QStringLiteral("Cancel")));
    });
    chooseMenu({QStringLiteral("View"), QStringLiteral("Monitor Ports")});
    dialogsDone();
    squatter.reset();
    EXPECT_TRUE(waitFor([&] { return !ports->isVisible(); }, 8000)) << ports->text().toStdString();
    EXPECT_TRUE(program.frame().statusBar()->currentMessage().contains(QStringLiteral("works again")))
        << program.frame().statusBar()->currentMessage().toStdString();

    TimedRun table(program);
    table.openConsole();
    ASSERT_TRUE(table.console());

    choosePerformance(QStringLiteral("Barrel Racing"), QStringLiteral("2"), QStringLiteral("1"));
    ASSERT_GE(table.row(QStringLiteral("Sorensen")), 0);

    QMap<QString, Result> expected;
    const auto waitSaved = [&](const QString& name) {
        EXPECT_TRUE(waitFor([&] { return savedTimes(program, 2).value(name) == expected.value(name); }, 4000))
            << name.toStdString() << ": saved " << savedTimes(program, 2).value(name) << ", expected "
            << expected.value(name);
    };

    // 1. A normal run.
    table.up(QStringLiteral("Sorensen"));
    expected[QStringLiteral("Sorensen")] = {table.run(), 0, QString()};
    waitSaved(QStringLiteral("Sorensen"));

    // 2. A run with a penalty: the console adds five seconds after the stop.
    table.up(QStringLiteral("Ferguson"));
    qint64 t = table.run();
    table.consoleButton(QStringLiteral("Penalty +5 s"));
    expected[QStringLiteral("Ferguson")] = {t, 5000, QStringLiteral("P")};
    waitSaved(QStringLiteral("Ferguson"));

    // 3. The console's reset forgotten: Ferguson's image is still on it when
    // Johnson comes up; only Johnson's own run reaches him.
    table.up(QStringLiteral("Johnson"));
    QTest::qWait(1200); // the console repeats its image meanwhile
    EXPECT_EQ(savedTimes(program, 2).value(QStringLiteral("Johnson")), Result());
    t = table.run(false);
    expected[QStringLiteral("Johnson")] = {t, 5000, QStringLiteral("P")}; // the penalty stayed on
    waitSaved(QStringLiteral("Johnson"));
    waitSaved(QStringLiteral("Ferguson"));

    // 4. Cervi selected but not made current, the reset forgotten again: the
    // run is nobody's and the clock says so.
    table.select(QStringLiteral("Cervi"));
    t = table.run(false);
    EXPECT_TRUE(waitFor([&] {
        return table.clock().contains(QStringLiteral("Another contestant is selected"));
    })) << table.clock().toStdString();
    QTest::qWait(1200);
    waitSaved(QStringLiteral("Johnson"));
    // Made current now, the repeated image is still not his.
    table.up(QStringLiteral("Cervi"));
    EXPECT_TRUE(waitFor([&] { return table.clock().contains(QStringLiteral("earlier run")); }))
        << table.clock().toStdString();
    QTest::qWait(1200);
    EXPECT_EQ(savedTimes(program, 2).value(QStringLiteral("Cervi")), Result());
    // The operator types the time the console showed.
    table.select(QStringLiteral("Cervi"));
    key(Qt::Key_E);
    type(QString::number(t / 1000.0, 'f', 2));
    key(Qt::Key_Return);
    expected[QStringLiteral("Cervi")] = {t, 0, QString()};
    waitSaved(QStringLiteral("Cervi"));

    // 5. A normal run, then a hand correction that the console's repeated
    // image does not undo.
    table.up(QStringLiteral("Lambert"));
    t = table.run();
    expected[QStringLiteral("Lambert")] = {t, 0, QString()};
    waitSaved(QStringLiteral("Lambert"));
    table.select(QStringLiteral("Lambert"));
    key(Qt::Key_E);
    type(QString::number((t + 10) / 1000.0, 'f', 2));
    key(Qt::Key_Return);
    expected[QStringLiteral("Lambert")] = {t + 10, 0, QString()};
    waitSaved(QStringLiteral("Lambert"));
    QTest::qWait(1500);
    waitSaved(QStringLiteral("Lambert"));

    // 6. A no-time.
    table.up(QStringLiteral("Nelson"));
    table.consoleButton(QStringLiteral("Reset"));
    table.consoleButton(QStringLiteral("Start"));
    QTest::qWait(200);
    table.consoleButton(QStringLiteral("No Time"));
    expected[QStringLiteral("Nelson")] = {0, 0, QStringLiteral("N")};
    waitSaved(QStringLiteral("Nelson"));

    // 7. Back to Lambert: Nelson's no-time on the console is not his.
    table.up(QStringLiteral("Lambert"));
    QTest::qWait(1500);
    waitSaved(QStringLiteral("Lambert"));

    // The second performance.
    pick(find<QComboBox>(QStringLiteral("Performance:")), QStringLiteral("2"));
    ASSERT_GE(table.row(QStringLiteral("Craig")), 0);

    // 8. A normal run, then Branquinho's run and his re-run.
    table.up(QStringLiteral("Craig"));
    expected[QStringLiteral("Craig")] = {table.run(), 0, QString()};
    waitSaved(QStringLiteral("Craig"));
    table.up(QStringLiteral("Branquinho"));
    expected[QStringLiteral("Branquinho")] = {table.run(), 0, QString()};
    waitSaved(QStringLiteral("Branquinho"));
    expected[QStringLiteral("Branquinho")] = {table.run(), 0, QString()};
    waitSaved(QStringLiteral("Branquinho"));

    // 9. Five seconds, raised to ten without passing 0.
    table.up(QStringLiteral("Pettigrew"));
    t = table.run();
    table.consoleButton(QStringLiteral("Penalty +5 s"));
    table.consoleButton(QStringLiteral("Penalty +5 s"));
    expected[QStringLiteral("Pettigrew")] = {t, 10000, QStringLiteral("P")};
    waitSaved(QStringLiteral("Pettigrew"));

    // Everyone has exactly his own result, and nobody else one.
    QTest::qWait(1200);
    const QMap<QString, Result> saved = savedTimes(program, 2);
    for (auto it = saved.cbegin(); it != saved.cend(); ++it)
        EXPECT_EQ(it.value(), expected.value(it.key())) << it.key().toStdString();
    EXPECT_EQ(expected.size(), 9); // nine contestants, ten runs of the console
}
