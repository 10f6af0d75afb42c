#include "dbfixture.h"

#include <QFile>

namespace {

// A season "S1" with rodeo "Spring" holding a scored, a timed and a team event.
class OpenRodeoTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"));
        insertRodeoEvent(roId, QStringLiteral("BR"), 2, QString(), 2);
        insertRodeoEvent(roId, QStringLiteral("TR"));
    }

    bool open() { return db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")); }

    int roId = 0;
};

} // namespace

TEST_F(OpenRodeoTest, OpensAndReadsRodeoAndEventsInOrder)
{
    exec(QStringLiteral("INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) VALUES "
                         "('C1', 'Mutton Busting', 'C', 'SI', 0), ('C2', 'Relay', 'C', 'TT', 1)"));
    insertRodeoEvent(roId, QStringLiteral("C2"), 3, QStringLiteral("S4"), 3);
    insertRodeoEvent(roId, QStringLiteral("C1"), 1, QStringLiteral("C"), 0);
    exec(QStringLiteral("UPDATE Rodeos SET RoDispName1 = 'Big \"Spring\" Show', RoDispLoc = ? WHERE RoId = ?"),
         {QString(40, QLatin1Char('x')), roId});

    ASSERT_TRUE(open());
    EXPECT_EQ(db->GetSeasonName(), QStringLiteral("S1"));
    EXPECT_EQ(db->GetRodeoName(), QStringLiteral("Spring"));
    const RodeoInfo& r = db->rodeoInfo();
    EXPECT_EQ(r.id, roId);
    EXPECT_EQ(r.dispName1, QStringLiteral("Big \"Spring\" Show"));
    EXPECT_EQ(r.dispLoc.size(), Capacity::RodeoDisplayLine); // cut to its capacity

    // Standard events first, then the operator's, each group by identifier.
    QStringList ids;
    for (const EventCfg& e : db->events())
        ids << e.id;
    EXPECT_EQ(ids, (QStringList{QStringLiteral("BR"), QStringLiteral("SB"), QStringLiteral("TR"),
                                QStringLiteral("C1"), QStringLiteral("C2")}));

    const EventCfg* br = db->GetEvent(QStringLiteral("BR"));
    ASSERT_NE(br, nullptr);
    EXPECT_EQ(br->label, QStringLiteral("Barrel Racing (BR)"));
    EXPECT_EQ(br->scoringKind, QStringLiteral("Timed"));
    EXPECT_EQ(br->entryKind, QStringLiteral("Individual"));
    EXPECT_EQ(br->precision, QStringLiteral("0.01"));
    EXPECT_EQ(br->goRounds, QStringLiteral("2"));
    EXPECT_EQ(br->ranking, QStringLiteral("Shortest to Longest"));

    const EventCfg* c2 = db->GetEvent(QStringLiteral("C2"));
    ASSERT_NE(c2, nullptr);
    EXPECT_EQ(c2->judgeMode, QStringLiteral("Subtotal"));
    EXPECT_EQ(c2->judgeCount, QStringLiteral("4"));
    EXPECT_EQ(c2->entryKind, QStringLiteral("Team"));
    EXPECT_EQ(c2->ranking, QStringLiteral("Longest to Shortest"));
    EXPECT_EQ(c2->standard, QStringLiteral("C"));

    const EventCfg* c1 = db->GetEvent(QStringLiteral("C1"));
    ASSERT_NE(c1, nullptr);
    EXPECT_TRUE(c1->judgeMode.isEmpty()); // a one-letter code decodes to nothing
    EXPECT_TRUE(c1->judgeCount.isEmpty());
    EXPECT_TRUE(c1->precision.isEmpty());

    EXPECT_EQ(db->GetEventTable(QStringLiteral("SB")), QStringLiteral("Scores"));
    EXPECT_EQ(db->GetEventTable(QStringLiteral("BR")), QStringLiteral("Times"));
    EXPECT_EQ(db->GetEventTable(QStringLiteral("XX")), QString());
    EXPECT_EQ(db->GetEventTable(QString()), QStringLiteral("Rosters"));
}

TEST_F(OpenRodeoTest, OpeningTheOpenRodeoAgainReloadsNothing)
{
    insertContestant(QStringLiteral("Ann"), QStringLiteral("Able"));
    ASSERT_TRUE(open());
    ASSERT_EQ(db->contestants().size(), 1);
    insertContestant(QStringLiteral("Bob"), QStringLiteral("Baker"));
    EXPECT_TRUE(open());
    EXPECT_EQ(db->contestants().size(), 1);
}

TEST_F(OpenRodeoTest, RodeosThatCannotBeOpened)
{
    const int bare = insertRodeo(QStringLiteral("No Events"));
    Q_UNUSED(bare);
    EXPECT_FALSE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("No Events")));
    EXPECT_FALSE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Nowhere")));
    EXPECT_FALSE(db->OpenRodeo(QString(), QString()));
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(db->isRodeoOpen());
    EXPECT_TRUE(db->GetRodeoName().isEmpty());
}

TEST_F(OpenRodeoTest, SeasonWithoutDatabaseIsLogged)
{
    QDir().mkpath(root() + QStringLiteral("Empty"));
    EXPECT_FALSE(db->OpenRodeo(QStringLiteral("Empty"), QStringLiteral("Spring")));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to connect to the database.  DBMgr::OpenRodeo  Season:Empty")));
    EXPECT_FALSE(QFile::exists(db->DatabasePath(QStringLiteral("Empty")))); // nothing created
}

TEST_F(OpenRodeoTest, FailedSwitchToAnotherSeasonKeepsTheOpenRodeoUsable)
{
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->OpenRodeo(QStringLiteral("Missing"), QStringLiteral("Spring")));
    EXPECT_EQ(db->GetSeasonName(), QStringLiteral("S1"));
    EXPECT_EQ(db->GetRodeoName(), QStringLiteral("Spring"));
    EXPECT_TRUE(db->Query(QStringLiteral("UPDATE Rodeos SET RoDate = ? WHERE RoId = ?"),
                          {QStringLiteral("3/3/2026"), roId}));
    // Still the same rodeo: opening it again is a no-op success.
    EXPECT_TRUE(open());
}

TEST_F(OpenRodeoTest, OpeningARodeoOfAnotherSeasonSwitchesConnection)
{
    makeSeason(QStringLiteral("S2"));
    const int other = insertRodeo(QStringLiteral("Fall"), QStringLiteral("S2"));
    insertRodeoEvent(other, QStringLiteral("BB"), 1, QStringLiteral("C2"), 1, QStringLiteral("S2"));
    insertContestant(QStringLiteral("Only"), QStringLiteral("InS2"), QString(), QStringLiteral("S2"));

    ASSERT_TRUE(open());
    EXPECT_EQ(db->contestants().size(), 0);
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S2"), QStringLiteral("Fall")));
    EXPECT_EQ(db->GetSeasonName(), QStringLiteral("S2"));
    EXPECT_EQ(db->contestants().size(), 1);
    EXPECT_EQ(db->connection().path(), db->DatabasePath(QStringLiteral("S2")));
}

TEST_F(OpenRodeoTest, CreateReportsEachStep)
{
    // Nothing asked for (every start): nothing opens and nothing is reported.
    EXPECT_FALSE(db->Create(QString(), QString()));
    EXPECT_FALSE(db->isRodeoOpen());
    EXPECT_TRUE(log.lines().isEmpty());

    // A rodeo that was asked for and is not there is reported.
    EXPECT_FALSE(db->Create(QStringLiteral("S1"), QStringLiteral("Winter")));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to open the rodeo.  DBMgr::Create  Season:S1, Rodeo:Winter")));

    // Without teams the rodeo opens but Create reports the teams.
    log.clear();
    EXPECT_FALSE(db->Create(QStringLiteral("S1"), QStringLiteral("Spring")));
    EXPECT_TRUE(db->isRodeoOpen());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral("Failed to load the teams.  DBMgr::Create  Season:S1, Rodeo:Spring")});

    insertTeam(roId, 1, QStringLiteral("T1"), 1, 2);
    db->CloseRodeo();
    log.clear();
    EXPECT_TRUE(db->Create(QStringLiteral("S1"), QStringLiteral("Spring")));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(OpenRodeoTest, CloseRodeoForgetsNames)
{
    ASSERT_TRUE(open());
    db->CloseRodeo();
    EXPECT_TRUE(db->GetSeasonName().isEmpty());
    EXPECT_TRUE(db->GetRodeoName().isEmpty());
    EXPECT_FALSE(db->isConnected());
    EXPECT_TRUE(db->events().isEmpty());
    EXPECT_EQ(db->rodeoInfo().id, -1);
}

TEST_F(OpenRodeoTest, EntriesLoadIntoPlayerAndTeamEntries)
{
    const quint32 ann = insertContestant(QStringLiteral("Ann"), QStringLiteral("Able"));
    const quint32 bob = insertContestant(QStringLiteral("Bob"), QStringLiteral("Baker"));
    const quint32 cy = insertContestant(QStringLiteral("Cy"), QStringLiteral("Cole"));
    insertTeam(roId, 1, QStringLiteral("Ropers"), bob, cy);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, ann, 1, 1, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, ann, 2, 1, 2);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 2, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("ZZ"), 1, bob, 1); // unknown event
    ASSERT_TRUE(open());

    const RegEntryCollection& players = db->playerEntries();
    EXPECT_TRUE(players.contains(makeEntryKey(ann, 1)));
    EXPECT_TRUE(players.contains(makeEntryKey(ann, 2)));
    EXPECT_EQ(players.entryCount(ann, QStringLiteral("SB")), 2);
    // An entry of an event the rodeo does not hold is a player entry.
    EXPECT_TRUE(players.contains(makeEntryKey(bob, 1)));
    ASSERT_NE(players.find(makeEntryKey(bob, 1))->event(QStringLiteral("ZZ")), nullptr);

    // The team entry, and a member entry for each team member.
    EXPECT_TRUE(db->teamEntries().contains(makeEntryKey(1, 1)));
    EXPECT_EQ(db->teamEntries().find(makeEntryKey(1, 1))->event(QStringLiteral("TR"))->teamFlag,
              RegEntry::TeamEntry);
    const auto* member = players.find(makeEntryKey(cy, 1));
    ASSERT_NE(member, nullptr);
    ASSERT_NE(member->event(QStringLiteral("TR")), nullptr);
    EXPECT_EQ(member->event(QStringLiteral("TR"))->teamFlag, RegEntry::MemberEntry);
    EXPECT_EQ(db->teams().find(1)->registered, 1u);
    EXPECT_EQ(db->contestants().find(cy)->registered, 1);
    EXPECT_EQ(db->contestants().find(ann)->registered, 1);

    const auto look = db->LookupEntry(makeEntryKey(ann, 2), QStringLiteral("SB"), 1);
    EXPECT_TRUE(look.found);
    EXPECT_EQ(look.perf, 1);
    EXPECT_EQ(look.ord, 2);
    EXPECT_EQ(look.entryCount, 2);
    const auto team = db->LookupEntry(makeEntryKey(1, 1), QStringLiteral("TR"), 1);
    EXPECT_EQ(team.perf, 2);
    EXPECT_FALSE(db->LookupEntry(makeEntryKey(ann, 1), QStringLiteral("BR"), 1).found);
}

TEST_F(OpenRodeoTest, RegisteredMarkFollowsPlayerEntries)
{
    const quint32 ann = insertContestant(QStringLiteral("Ann"), QStringLiteral("Able"));
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, ann, 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, ann, 2);
    ASSERT_TRUE(open());

    RegEntry second;
    second.eventId = QStringLiteral("SB");
    second.ptId = ann;
    second.plrEnt = 2;
    EXPECT_TRUE(db->UpdateRegEntry(second, false, CDatabaseManager::RemoveEntry));
    EXPECT_EQ(db->contestants().find(ann)->registered, 1); // entry 1 is still held

    RegEntry first = second;
    first.plrEnt = 1;
    EXPECT_TRUE(db->UpdateRegEntry(first, false, CDatabaseManager::RemoveEntry));
    EXPECT_EQ(db->contestants().find(ann)->registered, 0);

    EXPECT_FALSE(db->UpdateRegEntry(first, false, CDatabaseManager::RemoveEntry));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Failed to delete a player reg entry. DBMgr::UpdateRegEntry  ID:%1").arg(ann)));
}

TEST_F(OpenRodeoTest, QueryFailureIsLoggedWithStatementAndError)
{
    ASSERT_TRUE(open());
    EXPECT_FALSE(db->Query(QStringLiteral("UPDATE NoSuchTable SET x = ?"), {QStringLiteral("it's")}));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral(
        "Failed to execute the query.  DBMgr::Query  SQL:UPDATE NoSuchTable SET x = 'it''s', Error:Error Description: ")));
    EXPECT_EQ(db->GetEvents(0, 0), nullptr);
    EXPECT_EQ(db->GetEvents(roId, 7), nullptr);
}

TEST_F(OpenRodeoTest, CurrentEntryBuildsStandings)
{
    const quint32 a = insertContestant(QStringLiteral("A"), QStringLiteral("A"));
    const quint32 b = insertContestant(QStringLiteral("B"), QStringLiteral("B"));
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, a, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, b, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 2, a, 1);
    exec(QStringLiteral("UPDATE Times SET RideTime = 17000, PenTime = 0 WHERE ptId = ? AND GoId = 1"), {a});
    exec(QStringLiteral("UPDATE Times SET RideTime = 15000, PenTime = 1000 WHERE ptId = ? AND GoId = 1"), {b});
    exec(QStringLiteral("UPDATE Times SET RideTime = 16500 WHERE ptId = ? AND GoId = 2"), {a});
    ASSERT_TRUE(open());

    RegEntry cur;
    cur.eventId = QStringLiteral("BR");
    cur.ptId = a;
    ASSERT_TRUE(db->SetCurEntry(cur));
    const Standings& s = db->standings();
    ASSERT_EQ(s.goRoundCount(), 3); // two go-rounds and the final
    ASSERT_NE(s.find(1, makeEntryKey(b, 1)), nullptr);
    EXPECT_EQ(s.find(1, makeEntryKey(b, 1))->time, 16000u); // ride time + penalty
    EXPECT_EQ(s.find(1, makeEntryKey(b, 1))->position, 1);
    EXPECT_EQ(s.find(1, makeEntryKey(a, 1))->position, 2);
    EXPECT_EQ(s.findOverall(makeEntryKey(a, 1))->time, 33500u);

    cur.eventId = QStringLiteral("NOPE");
    EXPECT_FALSE(db->SetCurEntry(cur));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to get the event.  DBMgr::ReloadCurStats  Event:NOPE")));
    EXPECT_FALSE(db->standings().hasEvent());
}

TEST_F(OpenRodeoTest, ContestantAndStockSortKeys)
{
    insertContestant(QStringLiteral("zed"), QStringLiteral("Young"), QStringLiteral("10"));
    insertContestant(QStringLiteral("Amy"), QStringLiteral("young"), QStringLiteral("9"));
    insertContestant(QStringLiteral("bo"), QStringLiteral("Adams"), QStringLiteral("100"));
    exec(QStringLiteral("INSERT INTO Stocks (StBib, StName, StAge, StWeight, CoId) VALUES "
                         "('b2', 'Zorro', 3, 900, 2), ('B1', 'alamo', 5, 800, 1), ('a3', 'Midnight', 4, 1000, 3)"));
    ASSERT_TRUE(open());

    auto firstNames = [this] {
        QStringList out;
        for (const ContestantRec& c : db->contestants())
            out << c.firstName;
        return out;
    };
    // Loaded by last name, then first name, case ignored.
    EXPECT_EQ(firstNames(), (QStringList{QStringLiteral("bo"), QStringLiteral("Amy"), QStringLiteral("zed")}));
    db->SortContestants(1); // bib as a number
    EXPECT_EQ(firstNames(), (QStringList{QStringLiteral("Amy"), QStringLiteral("zed"), QStringLiteral("bo")}));
    db->SortContestants(2);
    EXPECT_EQ(firstNames(), (QStringList{QStringLiteral("Amy"), QStringLiteral("bo"), QStringLiteral("zed")}));
    EXPECT_EQ(db->contestantSortKey(), 2);
    db->SortContestants(999); // unknown: nothing changes
    EXPECT_EQ(db->contestantSortKey(), 2);
    EXPECT_EQ(firstNames(), (QStringList{QStringLiteral("Amy"), QStringLiteral("bo"), QStringLiteral("zed")}));

    auto names = [this] {
        QStringList out;
        for (const StockRec& s : db->stock())
            out << s.name;
        return out;
    };
    EXPECT_EQ(names(), (QStringList{QStringLiteral("alamo"), QStringLiteral("Midnight"), QStringLiteral("Zorro")}));
    db->SortStock(2);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Midnight"), QStringLiteral("alamo"), QStringLiteral("Zorro")}));
    db->SortStock(6);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("alamo"), QStringLiteral("Zorro"), QStringLiteral("Midnight")}));
    db->SortStock(7);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("alamo"), QStringLiteral("Zorro"), QStringLiteral("Midnight")}));
}

TEST_F(OpenRodeoTest, UnregisteredContestantsSortFirst)
{
    const quint32 a = insertContestant(QStringLiteral("A"), QStringLiteral("Adams"));
    insertContestant(QStringLiteral("B"), QStringLiteral("Baker"));
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, a, 1);
    ASSERT_TRUE(open());
    db->SortContestants(0x20000);
    EXPECT_EQ(db->contestants().at(0).lastName, QStringLiteral("Baker"));
    EXPECT_EQ(db->contestants().at(1).lastName, QStringLiteral("Adams"));
}

TEST_F(OpenRodeoTest, EmptyRosterOpens)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(db->contestants().isEmpty());
    EXPECT_TRUE(db->playerEntries().isEmpty());
}
