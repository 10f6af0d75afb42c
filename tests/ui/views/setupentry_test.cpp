// The Rodeo Setup and Performance Entry views, driven in a main window over a
// season whose rows the tests arrange and read back with their own connection.
#include "app/viewtable.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "results/resultrecord.h"
#include "ui/mainframe.h"
#include "ui/views/regentry/regentrymodel.h"
#include "ui/views/regentry/viewregentry.h"
#include "ui/views/setup/viewrodeosetup.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Season "S1", rodeo "Spring": bareback (BB) in one go-round with a final of
// ten, twelve riders in performance 1 at running orders 1 to 12.
class SetupEntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        {
            ScriptedPrompt setup;
            CDatabaseManager db(folder, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), setup);
            ASSERT_TRUE(db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"),
                                        QStringLiteral("PRCA")));
            ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"),
                                       QStringLiteral("1/1/2026"), QStringLiteral("ProfileDefault")));
        }
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        exec("UPDATE RodeoEvents SET ReGos = 1, ReFinals = 10 WHERE EvId = 'BB'");
        for (int i = 0; i < 12; ++i) {
            exec("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, ?)",
                 {QStringLiteral("Rider"), QStringLiteral("No%1").arg(i + 1)});
            ids << quint32(sql.lastInsertRowId());
            exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (1, 'BB', 1, ?, 1, 1, ?)",
                 {ids.last(), i + 1});
        }
        exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (1, 'BB', 1, 0, 1, 1, 0)");

        CMainFrame::Setup s;
        s.dataFolder = folder;
        s.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        s.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(s);
        frame->CreateViews();
        ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        frame->resize(1200, 800);
        frame->show();
    }

    void exec(const char* statement, const QVariantList& params = {})
    {
        ASSERT_TRUE(sql.execute(QString::fromLatin1(statement), params)) << sql.lastError().toStdString();
    }
    qint64 scalar(const QString& statement, const QVariantList& params = {})
    {
        auto rs = sql.query(statement, params);
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }
    // Marks of go-round 1, rider by rider (0: no result).
    void score(const QVector<int>& marks)
    {
        for (int i = 0; i < marks.size(); ++i)
            if (marks[i] > 0)
                exec("UPDATE Scores SET JTot = ?, JR1 = ?, JS1 = ?, Suc = 1 WHERE GoId = 1 AND ptId = ?",
                     {marks[i] * 100, marks[i] * 50, marks[i] * 50, ids[i]});
    }
    // "ptId:order" of the performance-1 rows of a go-round, by running order.
    QStringList runningOrder(int go, int perf = 1)
    {
        QStringList out;
        auto rs = sql.query(QStringLiteral("SELECT ptId, Ord FROM Scores WHERE EvId = 'BB' AND GoId = ? AND PerfId = ? "
                                           "AND ptId > 0 ORDER BY Ord"),
                            {go, perf});
        for (bool ok = rs && rs->moveFirst(); ok && !rs->isEof(); rs->moveNext())
            out << QStringLiteral("%1:%2").arg(rs->toInt64(QStringLiteral("ptId"))).arg(rs->toInt64(QStringLiteral("Ord")));
        return out;
    }
    QString text(const char* statement)
    {
        auto rs = sql.query(QString::fromLatin1(statement));
        return rs && rs->moveFirst() ? rs->toText(rs->columns().first()) : QString();
    }
    QString eventSettings()
    {
        return text("SELECT group_concat(EvId || '/' || ReGos || '/' || ReFinals, ' ') FROM RodeoEvents");
    }
    static int indexOf(const CViewRodeoSetup* view, const QString& eventId)
    {
        const auto& events = view->sheet().events();
        for (int i = 0; i < events.size(); ++i)
            if (events[i].id == eventId)
                return i;
        return -1;
    }
    QString rider(int i, int ord) const { return QStringLiteral("%1:%2").arg(ids[i]).arg(ord); }

    CViewRegEntry* entryView()
    {
        frame->SwitchView(ViewTable::PerformanceEntry);
        return qobject_cast<CViewRegEntry*>(frame->view(ViewTable::PerformanceEntry));
    }
    CViewRodeoSetup* setupView()
    {
        frame->SwitchView(ViewTable::RodeoSetup);
        return qobject_cast<CViewRodeoSetup*>(frame->view(ViewTable::RodeoSetup));
    }
    // Types a running order into a performance's column of a rider's row.
    bool typeOrder(CViewRegEntry* view, int rider, int perf, int ord)
    {
        RegEntryModel* model = view->model();
        const int row = model->rowOf(makeEntryKey(ids[rider], 1));
        const int column = model->columnOf(RegEntryModel::Kind::PerfOrder, perf);
        if (row < 0 || column < 0)
            return false;
        return model->setData(model->index(row, column), QString::number(ord));
    }

    QTemporaryDir dir;
    QString folder;
    SqlConnection sql;
    QVector<quint32> ids;
    ScriptedPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(SetupEntryTest, BuildFinalTakesTiesAtTheCutAndNeverUnplacedEntriesWithTheLeaderLast)
{
    struct Case
    {
        const char* name;
        QVector<int> marks;
        int finalists;
    };
    const Case cases[] = {
        // Two tied for tenth: eleven go, the twelfth stays home.
        {"tie at the cut", {90, 89, 88, 87, 86, 85, 84, 83, 82, 81, 81, 70}, 11},
        // Eight with a mark, four without: only the eight go.
        {"unplaced entries", {90, 89, 88, 87, 86, 85, 84, 83, 0, 0, 0, 0}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("UPDATE Scores SET JTot = NULL, JR1 = NULL, JS1 = NULL, Suc = NULL WHERE GoId = 1");
        score(c.marks);
        CViewRegEntry* view = entryView();
        ASSERT_TRUE(view);
        ASSERT_TRUE(view->selectNode(QStringLiteral("BB")));
        prompt.answers = {UserPrompt::Yes}; // rebuild the final of the previous case
        view->buildFinalButton()->click();

        const QStringList final = runningOrder(2);
        ASSERT_EQ(final.size(), c.finalists) << final.join(u' ').toStdString();
        EXPECT_EQ(final.last(), rider(0, c.finalists)); // the leader runs last
        EXPECT_EQ(final.first().section(u':', 1), QStringLiteral("1"));
        EXPECT_EQ(view->model()->rowCount() - 1, 12); // every rider listed, plus the new-entry row
    }
}

TEST_F(SetupEntryTest, AFailedRebuildKeepsTheOldFinal)
{
    score({90, 89, 88, 87, 86, 85, 84, 83, 82, 81, 80, 79});
    CViewRegEntry* view = entryView();
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB")));
    view->buildFinal();
    const QStringList built = runningOrder(2);
    ASSERT_EQ(built.size(), 10);

    // A result in the final: clearing it is refused.
    exec("UPDATE Scores SET JTot = 8000, Suc = 1 WHERE GoId = 2 AND ptId = ?", {ids[3]});
    exec("UPDATE Scores SET JTot = 9500 WHERE GoId = 1 AND ptId = ?", {ids[11]}); // would change the field
    ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    view = entryView();
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB")));
    prompt.answers = {UserPrompt::Yes};
    view->buildFinal();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Clearing the old registration entries failed!"));
    EXPECT_EQ(runningOrder(2), built);

    // Without the result, a step failing after the old final went: still the old final.
    exec("UPDATE Scores SET JTot = NULL, Suc = NULL WHERE GoId = 2");
    ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    ASSERT_TRUE(frame->database().connection().execute(
        QStringLiteral("CREATE TEMP TRIGGER injected BEFORE UPDATE ON Scores WHEN NEW.GoId = 2 AND NEW.Ord = 4 "
                       "BEGIN SELECT RAISE(ABORT, 'injected'); END")));
    view = entryView();
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB")));
    prompt.answers = {UserPrompt::Yes};
    view->buildFinal();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Building the final goround failed!"));
    EXPECT_EQ(runningOrder(2), built);
    // ... and what the view lists is what the database holds.
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB"), 2, 1));
    int listed = 0;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        listed += view->model()->entryAt(row).perf == 1 ? 1 : 0;
    EXPECT_EQ(listed, 10);
}

TEST_F(SetupEntryTest, TypedRunningOrdersRenumberTheirPerformances)
{
    CViewRegEntry* view = entryView();
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB"), 1));
    view->addPerformance();
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB"), 1));

    // Rider 12 moves up to 2: riders 2 to 11 move down by one.
    ASSERT_TRUE(typeOrder(view, 11, 1, 2));
    QStringList expected{rider(0, 1), rider(11, 2)};
    for (int i = 1; i < 11; ++i)
        expected << rider(i, i + 2);
    EXPECT_EQ(runningOrder(1), expected);

    // Rider 1 moves to performance 2: performance 1 closes the gap.
    ASSERT_TRUE(typeOrder(view, 0, 2, 1));
    EXPECT_EQ(runningOrder(1, 2), QStringList{rider(0, 1)});
    expected.removeFirst();
    for (int i = 0; i < expected.size(); ++i)
        expected[i] = expected[i].section(u':', 0, 0) + QStringLiteral(":%1").arg(i + 1);
    EXPECT_EQ(runningOrder(1), expected);

    // 0 takes a rider out of its performance.
    ASSERT_TRUE(typeOrder(view, 11, 1, 0));
    EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Scores WHERE GoId = 1 AND ptId = ?"), {ids[11]}), 0);
    EXPECT_EQ(runningOrder(1).first(), rider(1, 1));
    EXPECT_EQ(runningOrder(1).size(), 10);

    // Removing performance 1 unplaces its riders; performance 2 becomes 1.
    ASSERT_TRUE(view->selectNode(QStringLiteral("BB"), 1, 1));
    prompt.answers = {UserPrompt::Ok};
    view->removePerformance();
    EXPECT_EQ(runningOrder(1), QStringList{rider(0, 1)});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Scores WHERE GoId = 1 AND ptId > 0 AND PerfId = 0")), 11);
}

TEST_F(SetupEntryTest, TheLeavingQuestionNamesWhatChangedAndCancelDropsIt)
{
    struct Case
    {
        const char* name;
        bool rodeo;
        bool event;
        const char* question;
    };
    const Case cases[] = {
        {"rodeo", true, false, "Would you like to save the changes to the rodeo?"},
        {"event", false, true, "Would you like to save the changes to the event(s)?"},
        {"both", true, true, "Would you like to save the changes to the rodeo and the event(s)?"},
    };
    const QString stored = eventSettings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CViewRodeoSetup* view = setupView();
        ASSERT_TRUE(view);
        if (c.rodeo)
            view->rodeoName()->setText(QStringLiteral("Spring Rodeo"));
        if (c.event) {
            view->selectEvent(indexOf(view, QStringLiteral("BB")));
            view->finals()->setValue(view->finals()->value() + 2);
        }
        prompt.clear();
        prompt.answers = {UserPrompt::Cancel};
        frame->SwitchView(ViewTable::RunPerformance);
        EXPECT_EQ(prompt.texts(), QStringList{QString::fromLatin1(c.question)});
        EXPECT_EQ(frame->database().GetRodeoName(), QStringLiteral("Spring"));
        EXPECT_EQ(eventSettings(), stored);
        // Cancel dropped the edits: coming back asks nothing.
        setupView();
        EXPECT_EQ(view->rodeoName()->text(), QStringLiteral("Spring"));
        prompt.clear();
        frame->SwitchView(ViewTable::RunPerformance);
        EXPECT_TRUE(prompt.texts().isEmpty());
    }
}

TEST_F(SetupEntryTest, ASaveFailingHalfWayWritesNothingAndShowsTheStoredSettings)
{
    CViewRodeoSetup* view = setupView();
    const QString lastEvent = view->sheet().events().last().id;
    const qint64 goRounds = scalar(QStringLiteral("SELECT ReGos FROM RodeoEvents WHERE EvId = ?"), {lastEvent});
    ASSERT_TRUE(frame->database().connection().execute(
        QStringLiteral("CREATE TEMP TRIGGER injected BEFORE UPDATE ON RodeoEvents WHEN NEW.EvId = '%1' "
                       "BEGIN SELECT RAISE(ABORT, 'injected'); END")
            .arg(lastEvent)));

    const QString stored = eventSettings();
    view->rodeoName()->setText(QStringLiteral("Spring Rodeo"));
    view->selectEvent(indexOf(view, QStringLiteral("BB")));
    view->goRounds()->setValue(3);
    view->selectEvent(indexOf(view, lastEvent));
    view->goRounds()->setValue(int(goRounds) + 1);
    prompt.clear();
    view->saveButton()->click();

    EXPECT_EQ(prompt.lastText(), QStringLiteral("The changes could not be saved; nothing of them was written.\n"
                                                "The settings as they are stored are shown again."));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Rodeos WHERE RoName = 'Spring'")), 1);
    EXPECT_EQ(eventSettings(), stored);
    EXPECT_EQ(view->rodeoName()->text(), QStringLiteral("Spring"));
    view->selectEvent(indexOf(view, QStringLiteral("BB")));
    EXPECT_EQ(view->goRounds()->value(), 1);
    EXPECT_EQ(frame->database().GetEvent(QStringLiteral("BB"))->goRoundCount(), 1);
    EXPECT_TRUE(view->sheet().leavingQuestion().isEmpty());
}

} // namespace
