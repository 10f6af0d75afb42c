// A crash in the middle of a performance: the operator's place is on disk
// while the program runs, the real program (a child process) is killed with
// SIGKILL while it saves results, and the next start puts the operator back
// on the same view, event, go-round, performance and contestant, in a window
// of the same size and place, with every result it reported saved.
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"
#include "ui/bars/dlgbaredit.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace journey;

namespace {

// Copies a folder as it is on disk now: what a kill at this moment leaves.
bool copyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(file, target))
            return false;
    }
    return true;
}

QString selectedLastName()
{
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    const QModelIndex current = list ? list->currentIndex() : QModelIndex();
    return current.isValid() ? cellText(list, current.row(), QStringLiteral("Last Name")) : QString();
}

} // namespace

TEST(OperatorJourney, AfterACrashTheOperatorIsBackOnTheSameContestant)
{
    // The operator's place: barrel racing, go-round 2, performance 2, Sage
    // Pettigrew selected, the window where he put it.
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    click(QStringLiteral("Run Performance"));
    choosePerformance(QStringLiteral("Barrel Racing"), QStringLiteral("2"), QStringLiteral("2"));
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    clickCell(list, rowWith(list, QStringLiteral("Last Name"), QStringLiteral("Pettigrew")),
              QStringLiteral("Last Name"));
    key(Qt::Key_E);
    type(QStringLiteral("15.67"));
    key(Qt::Key_Return);
    // The window out of its maximised start, moved and sized as the window
    // manager does it for the operator.
    const QRect placed(60, 40, 1180, 700);
    program.frame().showNormal();
    program.frame().setGeometry(placed);
    QTest::qWait(800); // the state reaches the disk shortly after each change

    // The disk as a kill would leave it now, in a home of its own; the lock
    // of the running copy belongs to a process that a kill would have ended.
    QTemporaryDir crashed;
    ASSERT_TRUE(copyFolder(program.home(), crashed.path()));
    QFile::remove(crashed.path() + QStringLiteral("/data/Lumavantis/Scorvane Rodeo/Tallyra.lock"));
    program.end();

    // The real program on that disk, saving results, killed mid-save.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), crashed.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SCORVANE_RESULT_FEED"), QStringLiteral("150"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(TALLYRA_BIN_DIR "/scorvane-rodeo"), {});
    ASSERT_TRUE(child.waitForStarted(10000));
    QStringList saved;
    QByteArray out;
    ASSERT_TRUE(waitFor(
        [&] {
            child.waitForReadyRead(50);
            out += child.readAllStandardOutput();
            saved.clear();
            for (const QByteArray& line : out.split('\n'))
                if (line.startsWith("saving "))
                    saved << QString::fromLatin1(line);
                else if (line.startsWith("saved ") && !saved.isEmpty())
                    saved.last().prepend(QStringLiteral("+"));
            return saved.filter(QStringLiteral("+saving")).size() >= 4;
        },
        20000))
        << out.toStdString() << child.readAllStandardError().toStdString();
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(5000));
    out += child.readAllStandardOutput();

    // The next start: the same place, the same window, every saved result.
    Program after(crashed.path());
    ASSERT_TRUE(after.start());
    EXPECT_EQ(after.frame().currentView(), 32806) << "Run Performance";
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Event:"))->currentText(), QStringLiteral("Barrel Racing"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Go-Round:"))->currentText(), QStringLiteral("2"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("Performance:"))->currentText(), QStringLiteral("2"));
    EXPECT_EQ(selectedLastName(), QStringLiteral("Pettigrew"));
    auto* bar = named<CDlgBarEdit>(QStringLiteral("CDlgBarEditTimes"));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->competitorName(), QStringLiteral("Sage Pettigrew"));
    EXPECT_EQ(after.frame().geometry(), placed);
    EXPECT_EQ(textOf(named(QStringLiteral("ride"))).trimmed(), QStringLiteral("15.67"));

    // Each line "saving <seq> <event> <go> <ptId> <entry> <column> <value>"
    // followed by "saved <seq>" is a result on disk; the last one of each
    // entry is what its row holds.
    QMap<QString, QStringList> last;
    for (const QString& line : saved.filter(QStringLiteral("+saving"))) {
        const QStringList f = line.mid(1).split(QLatin1Char(' '));
        ASSERT_EQ(f.size(), 8) << line.toStdString();
        last.insert(f.mid(2, 4).join(QLatin1Char('/')), f);
    }
    ASSERT_FALSE(last.isEmpty());
    auto sql = openSeason(after, QStringLiteral("Demo"));
    for (const QStringList& f : std::as_const(last)) {
        const QString table =
            f[6] == QLatin1String("JTot") ? QStringLiteral("Scores") : QStringLiteral("Times");
        EXPECT_EQ(queryText(*sql,
                            QStringLiteral(
                                "SELECT %1 FROM %2 WHERE EvId = ? AND GoId = ? AND ptId = ? AND PlrEnt = ?")
                                .arg(f[6], table),
                            {f[2], f[3], f[4], f[5]}),
                  f[7])
            << f.join(QLatin1Char(' ')).toStdString();
    }
}
