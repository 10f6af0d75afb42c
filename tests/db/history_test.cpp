// The result history: which changes of Scores and Times rows are recorded,
// with which source, in the transaction of the change; and how an entry's
// history reads back.
#include "dbfixture.h"

#include <QFile>

namespace {

RegEntry makeEntry(const QString& ev, int go, quint32 pt, int ent = 1)
{
    RegEntry e;
    e.eventId = ev;
    e.goRound = static_cast<quint16>(go);
    e.ptId = pt;
    e.plrEnt = static_cast<quint16>(ent);
    return e;
}

ResultRecord score(quint32 total, quint16 jr1 = 0, quint16 js1 = 0, const QString& status = QString())
{
    ResultRecord r;
    r.score = total;
    r.JR[0] = jr1;
    r.JS[0] = js1;
    r.setStatus(status);
    r.success = total ? 1 : 0;
    return r;
}

// Season "S1", rodeo "Spring": scored SB and timed BR with two go-rounds;
// contestants p[0], p[1] entered in go-round 1 of both.
class HistoryTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        insertRodeoEvent(roId, QStringLiteral("BR"), 2, QString(), 2);
        for (int i = 0; i < 2; ++i) {
            p << insertContestant(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1, 1, i + 1);
            insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[i], 1, 1, i + 1);
        }
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    qint64 historyRows() { return scalar(QStringLiteral("SELECT count(*) FROM ResultHistory")); }
    QString lastHistory(const QString& column)
    {
        auto rs = sql().query(QStringLiteral("SELECT * FROM ResultHistory ORDER BY HiId DESC LIMIT 1"));
        return rs && rs->moveFirst() ? rs->toText(column) : QStringLiteral("<none>");
    }

    int roId = 0;
    QVector<quint32> p;
};

} // namespace

TEST_F(HistoryTest, EverySourceIsRecordedWithTheValuesBeforeAndAfter)
{
    const struct
    {
        ChangeSource source;
        const char* text;
    } cases[] = {
        {ChangeSource::EntryBar, "Entry Bar"},
        {ChangeSource::EditResults, "Edit Results"},
        {ChangeSource::TimingConsole, "Timing Console"},
        {ChangeSource::BoxEntry, "Box Entry"},
        {ChangeSource::Program, "Program"},
    };
    const RegEntry e = makeEntry(QStringLiteral("SB"), 1, p[0]);
    quint32 previous = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const quint32 total = previous + 100;
        ASSERT_TRUE(db->SetStatsPerformance(e, score(total, 2100, 2200), c.source));
        EXPECT_EQ(lastHistory(QStringLiteral("HiSource")), QLatin1String(c.text));
        EXPECT_EQ(lastHistory(QStringLiteral("HiAction")), QLatin1String("Update"));
        EXPECT_EQ(scalar(QStringLiteral("SELECT json_extract(HiOld, '$.JTot') FROM ResultHistory "
                                        "ORDER BY HiId DESC LIMIT 1")),
                  previous);
        EXPECT_EQ(scalar(QStringLiteral("SELECT json_extract(HiNew, '$.JTot') FROM ResultHistory "
                                        "ORDER BY HiId DESC LIMIT 1")),
                  total);
        previous = total;
    }
    // The import tags what it enters; a registration is part of the entry's story.
    {
        const CDatabaseManager::SourceScope tagged(*db, ChangeSource::Import);
        ASSERT_TRUE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 2, p[1]), false));
    }
    EXPECT_EQ(lastHistory(QStringLiteral("HiSource")), QLatin1String("Import"));
    EXPECT_EQ(lastHistory(QStringLiteral("HiAction")), QLatin1String("Insert"));
    // The scope ended: the next change is the program's own again.
    ASSERT_TRUE(db->DeleteCompEntry(makeEntry(QStringLiteral("SB"), 2, p[1])));
    EXPECT_EQ(lastHistory(QStringLiteral("HiSource")), QLatin1String("Program"));
    EXPECT_EQ(lastHistory(QStringLiteral("HiAction")), QLatin1String("Delete"));
    // The time of the change is UTC.
    EXPECT_TRUE(lastHistory(QStringLiteral("HiWhen")).endsWith(QLatin1Char('Z')));
}

TEST_F(HistoryTest, WhichRowChangesAreHistory)
{
    const qint64 before = historyRows();
    const struct
    {
        const char* statement;
        int recorded;
    } cases[] = {
        // Running order, performance and stock draw alone are not history.
        {"UPDATE Scores SET Ord = 9, PerfId = 3, StId = 4 WHERE ptId = ?", 0},
        // Saving the same result again changes nothing.
        {"UPDATE Scores SET JTot = 0, Status = '' WHERE ptId = ?", 0},
        {"UPDATE Times SET PenTime = 5000, Status = 'P' WHERE ptId = ?", 1},
        // A row moved to another go-round, with or without a result.
        {"UPDATE Times SET GoId = 2 WHERE ptId = ?", 1},
        {"UPDATE Scores SET GoId = 2 WHERE ptId = ?", 1},
        {"DELETE FROM Times WHERE ptId = ?", 1},
    };
    qint64 expected = before;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        ASSERT_TRUE(db->Query(QString::fromLatin1(c.statement), {p[0]}));
        expected += c.recorded;
        EXPECT_EQ(historyRows(), expected);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT json_extract(HiOld, '$.PenTime') FROM ResultHistory "
                                    "WHERE HiAction = 'Delete'")),
              5000);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT OldGoId * 10 + GoId FROM ResultHistory WHERE HiTable = 'Scores'")), 12);
    // Changes made outside the program (another connection) are not recorded.
    exec(QStringLiteral("UPDATE Scores SET JTot = 7000 WHERE ptId = ?"), {p[1]});
    EXPECT_EQ(historyRows(), expected);
}

TEST_F(HistoryTest, AResultWithoutItsHistoryIsNotSaved)
{
    const RegEntry e = makeEntry(QStringLiteral("SB"), 1, p[0]);
    ASSERT_TRUE(db->SetCurEntry(e));
    // The history cannot be written: the result is refused, not saved without it.
    exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE INSERT ON ResultHistory BEGIN "
                        "SELECT RAISE(ABORT, 'history refused'); END"));
    EXPECT_FALSE(db->SetStatsPerformance(e, score(8100), ChangeSource::EntryBar));
    EXPECT_EQ(scalar(QStringLiteral("SELECT JTot FROM Scores WHERE ptId = ? AND EvId = 'SB'"), {p[0]}), 0);
    const ResultRecord* held = db->standings().find(1, e.key());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->score, 0u);
    exec(QStringLiteral("DROP TRIGGER Refuse"));

    // Rolled back with the change that wrote it.
    {
        CDatabaseManager::WriteScope scope(*db);
        ASSERT_TRUE(db->SetStatsPerformance(e, score(8000), ChangeSource::EntryBar));
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT JTot FROM Scores WHERE ptId = ? AND EvId = 'SB'"), {p[0]}), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Entry Bar'")), 0);
}

TEST_F(HistoryTest, AnEntrysHistoryReadsBackInWords)
{
    const RegEntry e = makeEntry(QStringLiteral("SB"), 1, p[0]);
    ASSERT_TRUE(db->SetStatsPerformance(e, score(8550, 4300, 4250), ChangeSource::EntryBar));
    ASSERT_TRUE(db->SetStatsPerformance(e, score(8600, 4300, 4300), ChangeSource::EditResults));
    ASSERT_TRUE(db->SetStatsPerformance(e, score(0, 0, 0, QStringLiteral("N")), ChangeSource::EntryBar));
    // Another entry's change is not among them.
    ASSERT_TRUE(db->SetStatsPerformance(makeEntry(QStringLiteral("SB"), 1, p[1]), score(7000)));
    // Moved into entry 2 of the same contestant: both entries list it.
    ASSERT_TRUE(
        db->Query(QStringLiteral("UPDATE Scores SET PlrEnt = 2 WHERE ptId = ? AND EvId = 'SB'"), {p[0]}));

    QVector<ResultChange> changes;
    ASSERT_TRUE(db->GetResultHistory(QStringLiteral("SB"), p[0], 1, changes));
    ASSERT_EQ(changes.size(), 4);
    const struct
    {
        const char* action;
        const char* source;
        const char* after;
    } expected[] = {
        {"Saved", "Entry Bar", "85.5 (43 / 42.5)"},
        {"Changed", "Edit Results", "86 (43 / 43)"},
        {"Changed", "Entry Bar", "**NO SCORE**"},
        {"Moved from entry 1 to 2", "Program", "**NO SCORE**"},
    };
    for (int i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ResultHistory::describeAction(changes[i]), QLatin1String(expected[i].action));
        EXPECT_EQ(changes[i].source, QLatin1String(expected[i].source));
        EXPECT_EQ(ResultHistory::describe(changes[i].after, true, QStringLiteral("0.1")),
                  QLatin1String(expected[i].after));
        EXPECT_TRUE(changes[i].when.isValid());
        EXPECT_EQ(changes[i].when.timeSpec(), Qt::UTC);
    }
    EXPECT_EQ(ResultHistory::describe(changes[0].before, true, QStringLiteral("0.1")),
              QLatin1String("(no result)"));
    QVector<ResultChange> moved;
    ASSERT_TRUE(db->GetResultHistory(QStringLiteral("SB"), p[0], 2, moved));
    EXPECT_EQ(moved.size(), 1);

    // A timed result reads back with its penalty inside the time.
    const RegEntry t = makeEntry(QStringLiteral("BR"), 1, p[1]);
    ResultRecord timed;
    timed.time = 17250;
    timed.penalty = 5000;
    timed.setStatus(QStringLiteral("P"));
    ASSERT_TRUE(db->SetStatsPerformance(t, timed, ChangeSource::TimingConsole));
    ASSERT_TRUE(db->GetResultHistory(QStringLiteral("BR"), p[1], 1, changes));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].after.time, 17250u);
    EXPECT_EQ(ResultHistory::describe(changes[0].after, false, QStringLiteral("0.01")),
              QLatin1String("17.25 (penalty 5.00) **PENALTY**"));
}
