#include "dbfixture.h"

#include <algorithm>
#include <tuple>

namespace {

// One registration as the rows and the in-memory entries both describe it.
using Reg =
    std::tuple<QString, int, quint32, int, int, int, int>; // event, go, ptId, plrEnt, perf, ord, stock

RegEntry makeEntry(const QString& ev, int go, quint32 pt, int ent = 1, int perf = 0, int ord = 0)
{
    RegEntry e;
    e.eventId = ev;
    e.goRound = static_cast<quint16>(go);
    e.ptId = pt;
    e.plrEnt = static_cast<quint16>(ent);
    e.perf = static_cast<quint16>(perf);
    e.ord = static_cast<quint16>(ord);
    return e;
}

// A season "S1" with rodeo "Spring": a scored event SB, a timed event BR and
// the team event TR, and twelve contestants.
class EntriesTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), sbGoRounds);
        insertRodeoEvent(roId, QStringLiteral("BR"), 1, QString(), 2);
        insertRodeoEvent(roId, QStringLiteral("TR"));
        for (int i = 0; i < 12; ++i)
            players << insertContestant(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
    }

    bool open() { return db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")); }

    QVector<Reg> rows(const QString& table, const QString& ev)
    {
        QVector<Reg> out;
        auto rs = sql().query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ?").arg(table),
                              {roId, ev});
        EXPECT_TRUE(rs);
        if (!rs)
            return out;
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            out.append({ev, int(rs->toUInt(QStringLiteral("GoId"))), rs->toUInt(QStringLiteral("ptId")),
                        int(rs->toUInt(QStringLiteral("PlrEnt"))), int(rs->toUInt(QStringLiteral("PerfId"))),
                        int(rs->toUInt(QStringLiteral("Ord"))), int(rs->toUInt(QStringLiteral("StId")))});
        std::sort(out.begin(), out.end());
        return out;
    }
    QVector<Reg> memory(const QString& ev, bool team = false)
    {
        QVector<Reg> out;
        const RegEntryCollection& c = team ? db->teamEntries() : db->playerEntries();
        for (const RegEntry& e : c.entries(ev))
            out.append({ev, e.goRound, e.ptId, e.plrEnt, e.perf, e.ord, e.stock});
        std::sort(out.begin(), out.end());
        return out;
    }
    // The working copy must say exactly what the rows say.
    void expectMemoryMatchesRows(const QString& table, const QString& ev, bool team = false)
    {
        EXPECT_EQ(memory(ev, team), rows(table, ev)) << "event " << ev.toStdString();
    }

    int count(const QString& table, const QString& where = QStringLiteral("1"),
              const QVariantList& params = {})
    {
        return int(scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where), params));
    }
    EventCfg eventWithGoRounds(const char* id, int goRounds)
    {
        EventCfg e = *db->GetEvent(QString::fromLatin1(id));
        e.goRounds = QString::number(goRounds);
        return e;
    }

    int sbGoRounds = 1;
    int roId = 0;
    QVector<quint32> players;
};

class EntriesThreeGoRoundsTest : public EntriesTest
{
protected:
    void SetUp() override
    {
        sbGoRounds = 3;
        EntriesTest::SetUp();
    }
};

} // namespace

// --- go-rounds ---------------------------------------------------------------------

TEST_F(EntriesTest, RaisingGoRoundsCopiesEveryGoRoundOneEntryUnassigned)
{
    for (int i = 0; i < 12; ++i)
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[i], 1, 1 + i / 6,
                    1 + i % 6);
    ASSERT_TRUE(open());

    ASSERT_TRUE(db->UpdateGorounds(eventWithGoRounds("SB", 3), 1));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId IN (2, 3)")), 24);
    EXPECT_EQ(
        count(QStringLiteral("Scores"), QStringLiteral("GoId IN (2, 3) AND PerfId IS NULL AND Ord IS NULL "
                                                       "AND StId IS NULL")),
        24);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 1 AND PerfId > 0")), 12); // untouched
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
    EXPECT_TRUE(log.lines().isEmpty());

    // A go-round that is already there gets only the entries it lacks.
    exec(QStringLiteral("DELETE FROM Scores WHERE GoId = 2 AND ptId = ?"), {players[5]});
    exec(QStringLiteral("UPDATE Scores SET PerfId = 4 WHERE GoId = 2 AND ptId = ?"), {players[6]});
    ASSERT_TRUE(db->LoadRegs());
    EXPECT_TRUE(db->AddGoround(QStringLiteral("SB"), 2));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 2")), 12);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 2 AND PerfId = 4")), 1);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
}

struct CountChange
{
    int from;
    int to;
};

class FinalsTest : public EntriesTest, public ::testing::WithParamInterface<CountChange>
{
protected:
    void SetUp() override
    {
        sbGoRounds = GetParam().from;
        EntriesTest::SetUp();
    }
};

// The finals are the go-round after the last: when the count changes they
// move with it, result and all, and the new go-rounds get the regular
// entries only.
TEST_P(FinalsTest, TheFinalsMoveWithTheGoRoundCount)
{
    const auto [from, to] = GetParam();
    for (int go = 1; go <= from; ++go)
        for (int i = 0; i < 4; ++i)
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, players[i], 1, 1, i + 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), from + 1, players[2], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), from + 1, players[0], 1, 1, 2);
    exec(QStringLiteral("UPDATE Scores SET JTot = 8150 WHERE GoId = ? AND ptId = ?"), {from + 1, players[2]});
    ASSERT_TRUE(open());

    ASSERT_TRUE(db->UpdateRodeoEvent(eventWithGoRounds("SB", to)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT ReGos FROM RodeoEvents WHERE EvId = 'SB'")), to);
    EXPECT_EQ(db->GetEvent(QStringLiteral("SB"))->goRoundCount(), to);
    for (int go = 1; go <= to; ++go)
        EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = ?"), {go}), 4) << "go-round " << go;
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = ?"), {to + 1}), 2);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = ? AND ptId = ? AND JTot = 8150"),
                    {to + 1, players[2]}),
              1);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId > ?"), {to + 1}), 0);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));

    // The standings find the finals' result where the finals now are.
    RegEntry current = makeEntry(QStringLiteral("SB"), 1, players[2]);
    ASSERT_TRUE(db->SetCurEntry(current));
    const ResultRecord* final = db->standings().find(to + 1, makeEntryKey(players[2], 1));
    ASSERT_NE(final, nullptr);
    EXPECT_EQ(final->score, 8150u);
}

INSTANTIATE_TEST_SUITE_P(UpAndDown, FinalsTest, ::testing::Values(CountChange{2, 3}, CountChange{3, 2}),
                         [](const auto& info) {
                             return "From" + std::to_string(info.param.from) + "To" +
                                    std::to_string(info.param.to);
                         });

TEST_F(EntriesTest, RaisingGoRoundsOfAnEventWithoutEntriesWritesNothing)
{
    // A performance placeholder (competitor 0) is not an entry.
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, 0, 1, 1);
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->EventHasEntries(QStringLiteral("BR")));
    ASSERT_TRUE(db->UpdateGorounds(eventWithGoRounds("BR", 3), 1));
    EXPECT_EQ(count(QStringLiteral("Times")), 1);
    EXPECT_TRUE(db->UpdateGorounds(eventWithGoRounds("BR", 1), 1)); // equal counts: nothing to do
    EXPECT_FALSE(db->AddGoround(QString(), 2));
}

TEST_F(EntriesTest, TeamEventGoRoundsAreKeptInTheTeamEntries)
{
    insertTeam(roId, 1, QStringLiteral("Ropers"), players[0], players[1]);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 1, 1);
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->AddGoround(QStringLiteral("TR"), 2));
    expectMemoryMatchesRows(QStringLiteral("Times"), QStringLiteral("TR"), true);
    ASSERT_TRUE(db->DeleteGoround(QStringLiteral("TR"), 2));
    expectMemoryMatchesRows(QStringLiteral("Times"), QStringLiteral("TR"), true);
    EXPECT_EQ(count(QStringLiteral("Times")), 1);
}

TEST_F(EntriesThreeGoRoundsTest, LoweringGoRoundsWithResultsIsRefusedAndKeepsThem)
{
    for (int go = 1; go <= 3; ++go)
        for (int i = 0; i < 3; ++i)
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, players[i], 1);
    exec(QStringLiteral("UPDATE Scores SET JTot = 8200 WHERE GoId = 3 AND ptId = ?"), {players[1]});
    ASSERT_TRUE(open());

    EXPECT_FALSE(db->UpdateGorounds(eventWithGoRounds("SB", 2), 3));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("There is stats in the Go-Round. Deleting failed!"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::OkCancel);
    EXPECT_TRUE(
        log.contains(QStringLiteral("Failed to delete the go.  DBMgr::UpdateGorounds  Event:SB, Go:3")));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 3")), 3);

    // Going down to 1 is refused before go-round 2 loses its entries.
    prompt.clear();
    EXPECT_FALSE(db->UpdateGorounds(eventWithGoRounds("SB", 1), 3));
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("There is stats in the Go-Round. Deleting failed!")});
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 2")), 3);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
}

TEST_F(EntriesThreeGoRoundsTest, AResultOfASecondEntryAlsoKeepsItsGoRound)
{
    for (int go = 1; go <= 3; ++go) {
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, players[0], 1);
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, players[0], 2);
    }
    exec(QStringLiteral("UPDATE Scores SET RideTime = 8000 WHERE GoId = 3 AND PlrEnt = 2"));
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->DeleteGoround(QStringLiteral("SB"), 3));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 3")), 2);
}

TEST_F(EntriesThreeGoRoundsTest, DeletingAGoRoundRemovesExactlyThatGoRoundFromMemory)
{
    for (int go = 1; go <= 3; ++go)
        for (int i = 0; i < 4; ++i)
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, players[i], 1, 1, i + 1);
    ASSERT_TRUE(open());

    // The middle go-round, while go-round 3 is still held by every entry.
    ASSERT_TRUE(db->DeleteGoround(QStringLiteral("SB"), 2));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("GoId = 2")), 0);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));

    ASSERT_TRUE(db->UpdateGorounds(eventWithGoRounds("SB", 1), 3));
    EXPECT_EQ(count(QStringLiteral("Scores")), 4);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
}

// --- performances ------------------------------------------------------------------

TEST_F(EntriesTest, DeletingPerformanceTwoOfFourUnassignsItsEntriesAndClosesTheGap)
{
    int p = 0;
    for (int perf = 1; perf <= 4; ++perf)
        for (int ord = 1; ord <= 3; ++ord)
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[p++], 1, perf, ord);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, players[0], 1, 3, 1); // other event
    ASSERT_TRUE(open());
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 1), 4);

    ASSERT_TRUE(db->DeletePerformance(makeEntry(QStringLiteral("SB"), 1, 0, 1, 2)));
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Scores WHERE ptId = ?"), {players[i]}), 0);
        EXPECT_EQ(scalar(QStringLiteral("SELECT Ord FROM Scores WHERE ptId = ?"), {players[i]}), 0);
    }
    for (int i = 6; i < 12; ++i) {
        EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Scores WHERE ptId = ?"), {players[i]}),
                  2 + (i - 6) / 3);
        EXPECT_EQ(scalar(QStringLiteral("SELECT Ord FROM Scores WHERE ptId = ?"), {players[i]}), 1 + i % 3);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Times WHERE ptId = ?"), {players[0]}), 3);
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 1), 3);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
    expectMemoryMatchesRows(QStringLiteral("Times"), QStringLiteral("BR"));
    EXPECT_TRUE(db->contestants().find(players[4])->registered);
}

TEST_F(EntriesTest, DeletingAnEmptyPerformanceRenumbersNothing)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[0], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[1], 1, 3, 1);
    ASSERT_TRUE(open());
    EXPECT_TRUE(db->DeletePerformance(makeEntry(QStringLiteral("SB"), 1, 0, 1, 2)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Scores WHERE ptId = ?"), {players[1]}), 3);
    // Performance 0 is where the unplaced entries are, not a performance.
    EXPECT_FALSE(db->DeletePerformance(makeEntry(QStringLiteral("SB"), 1, 0, 1, 0)));
    EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId FROM Scores WHERE ptId = ?"), {players[0]}), 1);
    EXPECT_FALSE(db->DeletePerformance(makeEntry(QStringLiteral("XX"), 1, 0, 1, 1)));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
}

TEST_F(EntriesTest, LastPerformanceOfAGoRound)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[0], 1, 2, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[1], 1, 5, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[2], 1);
    ASSERT_TRUE(open());
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 1), 5);
    EXPECT_EQ(db->PerformanceCount(QStringLiteral("SB"), 1), 5);
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 2), 0);
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("XX"), 1), 0);
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), -1), 0);
    // Rows added for a new go-round have no performance at all.
    ASSERT_TRUE(db->AddGoround(QStringLiteral("SB"), 2));
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 2), 0);
}

// --- competition entries -----------------------------------------------------------

TEST_F(EntriesTest, FinalsEntriesGoOnlyIntoTheGoRoundAfterTheLast)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 2, players[0], 1, 1, 1), true));
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[1]), true));
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 2, players[1]), false));
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 0, players[1]), false));
    EXPECT_TRUE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[1], 1, 1, 2), false));
    EXPECT_EQ(count(QStringLiteral("Scores")), 2);
    EXPECT_EQ(count(QStringLiteral("Scores"),
                    QStringLiteral("GoId = 2 AND ptId = ? AND PerfId = 1 AND Ord = 1"), {players[0]}),
              1);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
    EXPECT_TRUE(db->contestants().find(players[1])->registered);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(EntriesTest, RefusedCompetitionEntries)
{
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("XX"), 1, players[0]), false));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to get the event.  DBMgr::AddCompEntry  Event:XX")));
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QString(), 1, players[0]), false));

    // Entry numbers must fit the low byte of the entry key.
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[0], 0), false));
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[0], 256), false));

    // A row that is already there.
    ASSERT_TRUE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[0]), false));
    log.clear();
    EXPECT_FALSE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 1, players[0], 1, 2, 2), false));
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to insert the competition entry.  DBMgr::AddCompEntry  "
                                          "SQL:INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, "
                                          "Ord) VALUES (")));
    EXPECT_EQ(count(QStringLiteral("Scores")), 1);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
}

TEST_F(EntriesTest, DeletingACompetitionEntryLeavesItsOtherGoRounds)
{
    insertRodeoEvent(roId, QStringLiteral("BB"), 2);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), 1, players[0], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), 2, players[0], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), 1, players[1], 1, 1, 2);
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->DeleteCompEntry(makeEntry(QStringLiteral("BB"), 1, players[0])));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Ord FROM Scores WHERE ptId = ?"), {players[1]}),
              2); // not renumbered
    EXPECT_TRUE(db->contestants().find(players[0])->registered);

    ASSERT_TRUE(db->DeleteCompEntry(makeEntry(QStringLiteral("BB"), 2, players[0])));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));
    EXPECT_FALSE(db->contestants().find(players[0])->registered);
}

TEST_F(EntriesTest, UpdatingACompetitionEntryMovesTheRowAndItsMemory)
{
    insertRodeoEvent(roId, QStringLiteral("BB"), 2);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), 1, players[0], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), 1, players[1], 1, 1, 2);
    ASSERT_TRUE(open());

    RegEntry a = makeEntry(QStringLiteral("BB"), 1, players[0], 1, 1, 1);
    RegEntry b = a;
    b.perf = 2;
    b.ord = 4;
    b.stock = 7;
    ASSERT_TRUE(db->UpdateCompEntry(a, b));
    EXPECT_EQ(count(QStringLiteral("Scores"),
                    QStringLiteral("ptId = ? AND PerfId = 2 AND Ord = 4 AND StId = 7"), {players[0]}),
              1);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));

    // Into another go-round: the old slot leaves memory.
    RegEntry c = b;
    c.goRound = 2;
    ASSERT_TRUE(db->UpdateCompEntry(b, c));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));

    // Onto a row that exists already: refused, nothing changes.
    RegEntry clash = makeEntry(QStringLiteral("BB"), 2, players[0], 1);
    RegEntry other = makeEntry(QStringLiteral("BB"), 1, players[1], 1, 1, 2);
    EXPECT_FALSE(db->UpdateCompEntry(other, clash));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));

    // Into an event kept in the other table: refused.
    EXPECT_FALSE(db->UpdateCompEntry(other, makeEntry(QStringLiteral("BR"), 1, players[1])));

    // A row that is not there.
    EXPECT_FALSE(db->UpdateCompEntry(makeEntry(QStringLiteral("BB"), 1, players[5]), b));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to open the recordset.  DBMgr::UpdateCompEntry  "
                                                  "SQL:SELECT * FROM Scores WHERE RoId = ")));
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("BB"));
}

TEST_F(EntriesTest, SettingTheEntryCount)
{
    exec(QStringLiteral("CREATE TABLE DeletedEntries (n INTEGER PRIMARY KEY AUTOINCREMENT, PlrEnt INTEGER)"));
    exec(QStringLiteral("CREATE TRIGGER RecordDeletes AFTER DELETE ON Scores BEGIN "
                        "INSERT INTO DeletedEntries (PlrEnt) VALUES (old.PlrEnt); END"));
    ASSERT_TRUE(open());
    const RegEntry one = makeEntry(QStringLiteral("SB"), 1, players[0], 1);
    ASSERT_TRUE(db->AddCompEntry(one, false));

    ASSERT_TRUE(db->SetEntryCount(one, makeEntry(QStringLiteral("SB"), 1, players[0], 3)));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ?"), {players[0]}), 3);
    EXPECT_EQ(db->LookupEntry(makeEntryKey(players[0], 1), QStringLiteral("SB"), 1).entryCount, 3);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));

    ASSERT_TRUE(db->SetEntryCount(makeEntry(QStringLiteral("SB"), 1, players[0], 3), one));
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ?"), {players[0]}), 1);
    auto deleted = sql().query(QStringLiteral("SELECT PlrEnt FROM DeletedEntries ORDER BY n"));
    ASSERT_TRUE(deleted);
    QList<int> order;
    for (deleted->moveFirst(); !deleted->isEof(); deleted->moveNext())
        order << int(deleted->toUInt(QStringLiteral("PlrEnt")));
    EXPECT_EQ(order, (QList<int>{2, 3}));
    EXPECT_EQ(db->LookupEntry(makeEntryKey(players[0], 1), QStringLiteral("SB"), 1).entryCount, 1);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));

    EXPECT_FALSE(db->SetEntryCount(makeEntry(QStringLiteral("XX"), 1, players[0], 3), one));
}

TEST_F(EntriesTest, LoweringTheEntryCountNeverDropsResults)
{
    for (int ent = 1; ent <= 3; ++ent)
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[0], ent);
    exec(QStringLiteral("UPDATE Scores SET JTot = 7500 WHERE PlrEnt = 3"));
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->SetEntryCount(makeEntry(QStringLiteral("SB"), 1, players[0], 3),
                                   makeEntry(QStringLiteral("SB"), 1, players[0], 1)));
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("There is data for the entry. Deletion is not allowed!")});
    EXPECT_EQ(count(QStringLiteral("Scores")), 3);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));
}

// --- deleting a competitor's entry ---------------------------------------------------

TEST_F(EntriesThreeGoRoundsTest, DeletingEntryOneRenumbersEntriesAndRunningOrders)
{
    const QString scores = QStringLiteral("Scores");
    const QString sb = QStringLiteral("SB");
    const quint32 a = players[0];
    // Performance 1 of go-round 1: B1 A1 C D A2 E A3 F.
    // (Entry 3 is written before entry 2, so that the renumbering cannot rely
    // on the rows coming back in the order they were written.)
    insertEntry(scores, roId, sb, 1, a, 3, 1, 7);
    insertEntry(scores, roId, sb, 1, players[1], 1, 1, 1);
    insertEntry(scores, roId, sb, 1, a, 1, 1, 2);
    insertEntry(scores, roId, sb, 1, players[2], 1, 1, 3);
    insertEntry(scores, roId, sb, 1, players[3], 1, 1, 4);
    insertEntry(scores, roId, sb, 1, a, 2, 1, 5);
    insertEntry(scores, roId, sb, 1, players[4], 1, 1, 6);
    insertEntry(scores, roId, sb, 1, players[5], 1, 1, 8);
    // Go-round 2: A1 runs first in performance 2, then B; A2 and A3 unplaced.
    insertEntry(scores, roId, sb, 2, a, 1, 2, 1);
    insertEntry(scores, roId, sb, 2, players[1], 1, 2, 2);
    insertEntry(scores, roId, sb, 2, a, 2);
    insertEntry(scores, roId, sb, 2, a, 3);
    // Another performance of go-round 1 is left alone.
    insertEntry(scores, roId, sb, 1, players[6], 1, 2, 5);
    ASSERT_TRUE(open());

    ASSERT_TRUE(db->DeletePlrEntry(makeEntry(sb, 1, a, 1, 1, 2), scores, false));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("Are you sure to delete this entry?"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::YesNo);

    const auto ordOf = [&](int go, quint32 pt, int ent) {
        return scalar(QStringLiteral("SELECT Ord FROM Scores WHERE GoId = ? AND ptId = ? AND PlrEnt = ?"),
                      {go, pt, ent});
    };
    EXPECT_EQ(count(scores, QStringLiteral("ptId = ?"), {a}), 4); // entries 1 and 2 in two go-rounds
    EXPECT_EQ(count(scores, QStringLiteral("ptId = ? AND PlrEnt = 3"), {a}), 0);
    EXPECT_EQ(ordOf(1, players[1], 1), 1);
    EXPECT_EQ(ordOf(1, players[2], 1), 2);
    EXPECT_EQ(ordOf(1, players[3], 1), 3);
    EXPECT_EQ(ordOf(1, a, 1), 4); // was entry 2
    EXPECT_EQ(ordOf(1, players[4], 1), 5);
    EXPECT_EQ(ordOf(1, a, 2), 6); // was entry 3
    EXPECT_EQ(ordOf(1, players[5], 1), 7);
    EXPECT_EQ(ordOf(1, players[6], 1), 5); // other performance
    EXPECT_EQ(ordOf(2, players[1], 1), 1); // go-round 2 closes its gap too
    EXPECT_EQ(ordOf(2, a, 1), 0);
    expectMemoryMatchesRows(scores, sb);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(EntriesThreeGoRoundsTest, DeletingAnEntryWithResultsOrWithoutConsentChangesNothing)
{
    const QString scores = QStringLiteral("Scores");
    const QString sb = QStringLiteral("SB");
    insertEntry(scores, roId, sb, 1, players[0], 1, 1, 1);
    insertEntry(scores, roId, sb, 2, players[0], 1, 1, 1);
    insertEntry(scores, roId, sb, 1, players[1], 1, 1, 2);
    exec(QStringLiteral("UPDATE Scores SET JS2 = 2100 WHERE GoId = 2"));
    ASSERT_TRUE(open());

    // The result is in go-round 2, the entry named from go-round 1.
    EXPECT_FALSE(db->DeletePlrEntry(makeEntry(sb, 1, players[0], 1, 1, 1), scores, false));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("There is data for the entry. Deletion is not allowed!"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::Ok);
    EXPECT_EQ(count(scores), 3);

    prompt.clear();
    prompt.answers << UserPrompt::No;
    EXPECT_FALSE(db->DeletePlrEntry(makeEntry(sb, 1, players[1], 1, 1, 2), scores, false));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Are you sure to delete this entry?")});
    EXPECT_EQ(count(scores), 3);

    // Only the two result tables can be named.
    EXPECT_FALSE(db->DeletePlrEntry(makeEntry(sb, 1, players[1]), QStringLiteral("Rosters"), false));
    EXPECT_EQ(count(QStringLiteral("Rosters")), 12);
    expectMemoryMatchesRows(scores, sb);
}

TEST_F(EntriesTest, DeletingATeamEntry)
{
    insertTeam(roId, 1, QStringLiteral("Ropers"), players[0], players[1]);
    insertTeam(roId, 2, QStringLiteral("Heelers"), players[2], players[3]);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 1, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 2, 1, 1, 2);
    ASSERT_TRUE(open());
    ASSERT_TRUE(
        db->DeletePlrEntry(makeEntry(QStringLiteral("TR"), 1, 1, 1, 1, 1), QStringLiteral("Times"), true));
    EXPECT_EQ(count(QStringLiteral("Times")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Ord FROM Times WHERE ptId = 2")), 1);
    expectMemoryMatchesRows(QStringLiteral("Times"), QStringLiteral("TR"), true);
}

// --- result tests ------------------------------------------------------------------

TEST_F(EntriesTest, ResultTestsLookAtTheResultColumnsAndTheCompetitorKind)
{
    insertTeam(roId, 1, QStringLiteral("Ropers"), players[0], players[1]);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 1, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, players[2], 1, 2, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[3], 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, players[4], 1, 1, 2);
    exec(QStringLiteral("UPDATE Times SET PenTime = 5000 WHERE EvId = 'TR'"));
    exec(QStringLiteral("UPDATE Times SET RideTime = 15500 WHERE EvId = 'BR'"));
    exec(QStringLiteral("UPDATE Scores SET JR3 = 1800 WHERE ptId = ?"), {players[4]});
    exec(QStringLiteral("UPDATE Scores SET Status = 'N', Suc = 1 WHERE ptId = ?"), {players[3]});
    ASSERT_TRUE(open());

    const QString times = QStringLiteral("Times");
    const QString scores = QStringLiteral("Scores");
    EXPECT_TRUE(db->HasStats(makeEntry(QStringLiteral("TR"), 1, 1), times, true));
    EXPECT_FALSE(db->HasStats(makeEntry(QStringLiteral("TR"), 1, 1), times, false));
    EXPECT_TRUE(db->HasStats(makeEntry(QStringLiteral("BR"), 1, players[2]), times, false));
    EXPECT_FALSE(db->HasStats(makeEntry(QStringLiteral("BR"), 1, players[2], 1, 1), times, false)); // perf 1
    EXPECT_TRUE(db->HasStats(makeEntry(QStringLiteral("SB"), 1, players[4]), scores, false));
    EXPECT_FALSE(db->HasStats(makeEntry(QStringLiteral("SB"), 1, players[3]), scores, false)); // status only
    EXPECT_FALSE(
        db->HasStats(makeEntry(QStringLiteral("SB"), 1, players[4]), QStringLiteral("Rosters"), false));
    EXPECT_FALSE(db->HasStats(makeEntry(QStringLiteral("SB"), 2, players[4]), scores, false));

    // Any event, any competitor: only the set fields narrow the search.
    RegEntry any;
    any.goRound = 0;
    any.plrEnt = 0;
    EXPECT_TRUE(db->HasData(any, false));
    EXPECT_TRUE(db->HasData(any, true));
    EXPECT_TRUE(db->HasData(makeEntry(QStringLiteral("BR"), 1, players[2]), false)); // found in Times
    EXPECT_FALSE(db->HasData(makeEntry(QStringLiteral("SB"), 1, players[3]), false));

    EXPECT_TRUE(db->EntryExists(makeEntry(QStringLiteral("SB"), 1, players[3])));
    EXPECT_TRUE(db->EntryExists(makeEntry(QStringLiteral("SB"), 1, players[3], 1, 1)));
    EXPECT_FALSE(db->EntryExists(makeEntry(QStringLiteral("SB"), 1, players[3], 1, 2)));
    EXPECT_FALSE(db->EntryExists(makeEntry(QStringLiteral("SB"), 1, players[3], 2)));
    EXPECT_FALSE(db->EntryExists(makeEntry(QString(), 1, players[3])));
    EXPECT_TRUE(db->EntryExists(makeEntry(QStringLiteral("TR"), 1, 1)));

    EXPECT_TRUE(db->EventHasEntries(QStringLiteral("SB")));
    EXPECT_TRUE(db->EventHasEntries(QStringLiteral("TR")));
    EXPECT_FALSE(db->EventHasEntries(QStringLiteral("XX")));
}

namespace {

class ScriptedEntryPrompt : public PerformanceEntryPrompt
{
public:
    Choice resolvePerformanceEntry(const RegEntry&, const QVector<RegEntry>& existing) override
    {
        shown = existing;
        return answer;
    }
    Choice answer;
    QVector<RegEntry> shown;
};

} // namespace

// A competitor entered from a performance gets an entry in every go-round,
// placed where he was entered; entered again, the operator chooses.
TEST_F(EntriesThreeGoRoundsTest, EnteringACompetitorFromAPerformance)
{
    ASSERT_TRUE(open());
    ScriptedEntryPrompt ask;
    RegEntry wade = makeEntry(QStringLiteral("SB"), 2, players[0], 1, 3, db->FreeRunningOrder(QStringLiteral("SB"), 2, 3));
    EXPECT_EQ(wade.ord, 1);
    ASSERT_EQ(db->AddCompetitorEntry(wade, &ask), CDatabaseManager::EntryAddition::Added);
    EXPECT_TRUE(ask.shown.isEmpty()); // nobody was asked: his first entry
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ?"), {players[0]}), 3);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ? AND GoId = 2 AND PerfId = 3 AND Ord = 1"),
                    {players[0]}),
              1);
    EXPECT_EQ(db->FreeRunningOrder(QStringLiteral("SB"), 2, 3), 2);

    ask.answer = {PerformanceEntryPrompt::Leave, 0};
    EXPECT_EQ(db->AddCompetitorEntry(makeEntry(QStringLiteral("SB"), 2, players[0], 1, 4, 1), &ask),
              CDatabaseManager::EntryAddition::Left);
    ASSERT_EQ(ask.shown.size(), 1);
    EXPECT_EQ(ask.shown[0].perf, 3);

    ask.answer = {PerformanceEntryPrompt::Replace, 1};
    EXPECT_EQ(db->AddCompetitorEntry(makeEntry(QStringLiteral("SB"), 2, players[0], 1, 4, 2), &ask),
              CDatabaseManager::EntryAddition::Replaced);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ? AND GoId = 2 AND PerfId = 4 AND Ord = 2"),
                    {players[0]}),
              1);

    ask.answer = {PerformanceEntryPrompt::AddNew, 0};
    EXPECT_EQ(db->AddCompetitorEntry(makeEntry(QStringLiteral("SB"), 1, players[0], 1, 1, 5), &ask),
              CDatabaseManager::EntryAddition::Added);
    EXPECT_EQ(count(QStringLiteral("Scores"), QStringLiteral("ptId = ? AND PlrEnt = 2"), {players[0]}), 3);
    expectMemoryMatchesRows(QStringLiteral("Scores"), QStringLiteral("SB"));

    // A contestant is not entered alone into a team event.
    EXPECT_EQ(db->AddCompetitorEntry(makeEntry(QStringLiteral("TR"), 1, players[1], 1, 1, 1), &ask),
              CDatabaseManager::EntryAddition::Refused);
    EXPECT_EQ(count(QStringLiteral("Times"), QStringLiteral("ptId = ?"), {players[1]}), 0);
}
