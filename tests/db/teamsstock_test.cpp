#include "dbfixture.h"

#include <optional>

namespace {

// Answers "Same Team Found" from a script (6 go on adding, 7 use the existing team).
class ScriptedTeamResolver : public ResolutionPrompts
{
public:
    std::optional<ContestantChoice> resolveContestant(const ContestantRec&, const ContestantRec&) override
    {
        return std::nullopt;
    }
    int sameTeamFound(const TeamRec& team, bool& applyToAll) override
    {
        asked.append(team);
        if (answers.isEmpty()) {
            applyToAll = false;
            return 6;
        }
        const auto [answer, all] = answers.takeFirst();
        applyToAll = all;
        return answer;
    }

    QList<std::pair<int, bool>> answers;
    QList<TeamRec> asked;
};

TeamRec teamOf(quint32 p1, quint32 p2, quint32 p3 = 0, const QString& name = QString())
{
    TeamRec t;
    t.plrId1 = p1;
    t.plrId2 = p2;
    t.plrId3 = p3;
    t.name = name;
    return t;
}

StockRec animal(const QString& bib, const QString& name, const QString& town = QString())
{
    StockRec s;
    s.bib = bib;
    s.name = name;
    s.homeTown = town;
    return s;
}

MessageRec message(int number, const QString& l1, const QString& l2 = QString(),
                   const QString& l3 = QString(), const QString& l4 = QString())
{
    MessageRec m;
    m.number = static_cast<quint8>(number);
    m.lines[0] = l1;
    m.lines[1] = l2;
    m.lines[2] = l3;
    m.lines[3] = l4;
    return m;
}

class TeamsStockTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        m_other = insertRodeo(QStringLiteral("R0"));
        m_roId = insertRodeo(QStringLiteral("R1"));
        insertRodeoEvent(m_roId, QStringLiteral("BB"));
        insertRodeoEvent(m_roId, QStringLiteral("TR"));
    }
    void open()
    {
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("R1")));
        db->setResolutionPrompts(&resolver);
    }
    qint64 count(const QString& table, const QString& where = QString(), const QVariantList& params = {})
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 %2").arg(table, where), params);
    }
    QStringList names(SqlRecordset* rs)
    {
        QStringList out;
        if (!rs)
            return {QStringLiteral("<no record set>")};
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            out << rs->toText(QStringLiteral("StName"));
        return out;
    }

    int m_other = 0;
    int m_roId = 0;
    ScriptedTeamResolver resolver;
};

// --- Teams ---------------------------------------------------------------------

TEST_F(TeamsStockTest, TeamNumberingIsPerRodeoWhileFindTeamSeesEveryRodeo)
{
    insertTeam(m_other, 1, QStringLiteral("A"), 1, 2);
    insertTeam(m_other, 7, QStringLiteral("B"), 3, 4);
    open();
    EXPECT_EQ(db->FindTeam(teamOf(3, 4)), 7u);
    EXPECT_EQ(db->FindTeam(teamOf(4, 3)), 0u); // members must stand in the same places

    TeamRec first = teamOf(10, 11);
    int decision = 0;
    ASSERT_TRUE(db->AddTeam(first, decision));
    EXPECT_EQ(first.tmId, 1u);
    EXPECT_EQ(first.name, QStringLiteral("1")); // a team without a name is called by its number

    TeamRec second = teamOf(12, 13, 14, QStringLiteral("Ropers-Long-Name"));
    ASSERT_TRUE(db->AddTeam(second, decision));
    EXPECT_EQ(second.tmId, 2u);
    EXPECT_EQ(second.name, QStringLiteral("Ropers-Long"));

    EXPECT_EQ(count(QStringLiteral("Teams"), QStringLiteral("WHERE RoId = ?"), {m_roId}), 2);
    auto rs = sql().query(QStringLiteral("SELECT * FROM Teams WHERE RoId = ? AND TmId = 2"), {m_roId});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("TmName")), QStringLiteral("Ropers-Long"));
    EXPECT_EQ(rs->toUInt(QStringLiteral("PlrId3")), 14u);

    ASSERT_EQ(db->teams().size(), 2);
    EXPECT_EQ(db->teams().find(2)->plrId1, 12u);
    EXPECT_TRUE(resolver.asked.isEmpty());
}

TEST_F(TeamsStockTest, SameTeamFoundAnswers)
{
    insertTeam(m_roId, 1, QStringLiteral("Old"), 5, 6);
    open();

    // "No": the existing team is used and nothing is added.
    TeamRec t = teamOf(5, 6);
    int decision = 0;
    resolver.answers << std::pair{7, false};
    EXPECT_FALSE(db->AddTeam(t, decision));
    EXPECT_EQ(t.tmId, 1u);
    EXPECT_EQ(decision, 7);
    EXPECT_EQ(count(QStringLiteral("Teams")), 1);

    // "OK" goes on adding.
    t = teamOf(5, 6);
    decision = 0;
    resolver.answers << std::pair{6, false};
    EXPECT_TRUE(db->AddTeam(t, decision));
    EXPECT_EQ(t.tmId, 2u);
    EXPECT_EQ(decision, 6);

    // "No" with "Apply to All" ticked is remembered and not asked again.
    t = teamOf(5, 6);
    decision = 0;
    resolver.answers << std::pair{7, true};
    EXPECT_FALSE(db->AddTeam(t, decision));
    EXPECT_EQ(decision, 7 | 0x10000);
    TeamRec again = teamOf(5, 6);
    EXPECT_FALSE(db->AddTeam(again, decision));
    EXPECT_EQ(again.tmId, 1u);
    EXPECT_EQ(resolver.asked.size(), 3);

    // A remembered "OK" adds without asking.
    decision = 6 | 0x10000;
    TeamRec more = teamOf(5, 6);
    EXPECT_TRUE(db->AddTeam(more, decision));
    EXPECT_EQ(more.tmId, 3u);
    EXPECT_EQ(resolver.asked.size(), 3);

    // Without a dialog the team is added.
    db->setResolutionPrompts(nullptr);
    decision = 0;
    TeamRec silent = teamOf(5, 6);
    EXPECT_TRUE(db->AddTeam(silent, decision));
    EXPECT_EQ(silent.tmId, 4u);
    EXPECT_EQ(count(QStringLiteral("Teams")), 4);
}

TEST_F(TeamsStockTest, ATeamOfAnotherRodeoIsNeverReusedHere)
{
    insertTeam(m_other, 1, QStringLiteral("Else"), 5, 6);
    insertTeam(m_roId, 1, QStringLiteral("Mine"), 8, 9);
    open();
    TeamRec t = teamOf(5, 6);
    int decision = 7 | 0x10000;
    resolver.answers << std::pair{7, false};
    ASSERT_TRUE(db->AddTeam(t, decision));
    EXPECT_EQ(t.tmId, 2u);
    EXPECT_TRUE(resolver.asked.isEmpty());
    EXPECT_EQ(count(QStringLiteral("Teams"), QStringLiteral("WHERE RoId = ?"), {m_roId}), 2);
}

TEST_F(TeamsStockTest, AddTeamNeedsNoWorkForAKnownTeamOrAnOpenRodeo)
{
    TeamRec t = teamOf(1, 2);
    int decision = 0;
    EXPECT_FALSE(db->AddTeam(t, decision)); // no rodeo open
    open();
    t.tmId = 9;
    EXPECT_TRUE(db->AddTeam(t, decision));
    EXPECT_EQ(count(QStringLiteral("Teams")), 0);
}

TEST_F(TeamsStockTest, UpdateTeamRewritesOnlyTheOpenRodeosTeam)
{
    insertTeam(m_other, 1, QStringLiteral("Other"), 1, 2);
    insertTeam(m_roId, 1, QStringLiteral("Mine"), 3, 4);
    open();
    TeamRec t = teamOf(3, 5, 6, QStringLiteral("Renamed"));
    t.tmId = 1;
    ASSERT_TRUE(db->UpdateTeam(t));
    auto rs = sql().query(QStringLiteral("SELECT * FROM Teams WHERE RoId = ? AND TmId = 1"), {m_roId});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("TmName")), QStringLiteral("Renamed"));
    EXPECT_EQ(rs->toUInt(QStringLiteral("PlrId3")), 6u);
    EXPECT_EQ(db->teams().find(1)->name, QStringLiteral("Renamed"));
    auto other = sql().query(QStringLiteral("SELECT * FROM Teams WHERE RoId = ?"), {m_other});
    ASSERT_TRUE(other && other->moveFirst());
    EXPECT_EQ(other->toText(QStringLiteral("TmName")), QStringLiteral("Other"));

    t.tmId = 5;
    EXPECT_FALSE(db->UpdateTeam(t));
    EXPECT_FALSE(db->teams().contains(5));
}

// --- Stock -------------------------------------------------------------------------

TEST_F(TeamsStockTest, TheSameAnimalIsStoredOnce)
{
    open();
    StockRec a = animal(QStringLiteral("12"), QStringLiteral("Widow \"Maker\""), QStringLiteral("Cody"));
    a.weight = 1600;
    a.age = 7;
    a.coId = 3;
    ASSERT_TRUE(db->AddStock(a));
    ASSERT_NE(a.stId, 0u);

    StockRec b = animal(QStringLiteral("12"), QStringLiteral("Widow \"Maker\""), QStringLiteral("Cody"));
    EXPECT_FALSE(db->AddStock(b));
    EXPECT_EQ(b.stId, a.stId);
    EXPECT_EQ(count(QStringLiteral("Stocks")), 1);
    EXPECT_EQ(db->stock().size(), 1);
    EXPECT_EQ(db->FindStock(b), a.stId);

    // Another home town is another animal.
    StockRec c = animal(QStringLiteral("12"), QStringLiteral("Widow \"Maker\""), QStringLiteral("Ogden"));
    EXPECT_TRUE(db->AddStock(c));
    EXPECT_NE(c.stId, a.stId);
    EXPECT_EQ(db->stock().size(), 2);

    auto rs = sql().query(QStringLiteral("SELECT * FROM Stocks WHERE StId = ?"), {a.stId});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toUInt(QStringLiteral("StWeight")), 1600u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("StAge")), 7u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("CoId")), 3u);
}

TEST_F(TeamsStockTest, LongStockTextsAreCutBeforeTheyAreStoredOrCompared)
{
    open();
    StockRec a = animal(QStringLiteral("123456789"), QStringLiteral("A Very Long Bucking Horse Name"));
    ASSERT_TRUE(db->AddStock(a));
    EXPECT_EQ(a.bib, QStringLiteral("1234567"));
    EXPECT_EQ(a.name, QStringLiteral("A Very Long Bucking Hor"));
    EXPECT_EQ(db->stock().find(a.stId)->name, a.name);
    StockRec same = animal(QStringLiteral("123456789"), QStringLiteral("A Very Long Bucking Horse Name"));
    EXPECT_FALSE(db->AddStock(same));
    EXPECT_EQ(same.stId, a.stId);
}

TEST_F(TeamsStockTest, AddStockWithoutADatabaseSaysSo)
{
    StockRec a = animal(QStringLiteral("1"), QStringLiteral("X"));
    EXPECT_FALSE(db->AddStock(a));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to open the recordset.  DBMgr::AddStock ")));
    EXPECT_EQ(a.stId, 0u);
}

TEST_F(TeamsStockTest, SearchStockMatchesPrefixesLiterally)
{
    open();
    for (const auto& [bib, name] : std::vector<std::pair<QString, QString>>{{"3", "Bodacious"},
                                                                            {"1", "Bo_Jangles"},
                                                                            {"2", "Boxcar"},
                                                                            {"4", "100% Beef"},
                                                                            {"5", "1000 Lbs"}}) {
        StockRec s = animal(bib, name);
        ASSERT_TRUE(db->AddStock(s));
    }
    StockRec p;
    p.name = QStringLiteral("Bo");
    EXPECT_EQ(names(db->SearchStock(p, 10, 3).get()), (QStringList{"Bo_Jangles", "Bodacious", "Boxcar"}));
    EXPECT_EQ(names(db->SearchStock(p, 2, 2).get()), (QStringList{"Bo_Jangles", "Boxcar"}));
    p.name = QStringLiteral("Bo_");
    EXPECT_EQ(names(db->SearchStock(p, 10, 3).get()), (QStringList{"Bo_Jangles"}));
    p.name = QStringLiteral("100%");
    EXPECT_EQ(names(db->SearchStock(p, 10, 3).get()), (QStringList{"100% Beef"}));
    p.name = QStringLiteral("Bo");
    p.bib = QStringLiteral("3");
    EXPECT_EQ(names(db->SearchStock(p, 10, 3).get()), (QStringList{"Bodacious"}));

    EXPECT_EQ(db->SearchStock(StockRec(), 10, 3), nullptr);
    EXPECT_EQ(db->SearchStock(StockRec(), 0, 3)->rowCount(), 5);
}

TEST_F(TeamsStockTest, StockTakenIgnoresTheAnimalItself)
{
    open();
    StockRec a = animal(QStringLiteral("9"), QStringLiteral("Red Rock"), QStringLiteral("A"));
    ASSERT_TRUE(db->AddStock(a));
    EXPECT_FALSE(db->StockTaken(a));
    StockRec b = animal(QStringLiteral("9"), QStringLiteral("Red Rock"), QStringLiteral("B"));
    EXPECT_TRUE(db->StockTaken(b));
    b.bib = QStringLiteral("8");
    EXPECT_FALSE(db->StockTaken(b));
}

TEST_F(TeamsStockTest, UpdateStockRewritesRowAndCollection)
{
    open();
    StockRec a = animal(QStringLiteral("1"), QStringLiteral("Old Name"));
    ASSERT_TRUE(db->AddStock(a));
    a.name = QStringLiteral("New Name");
    a.weight = 1200;
    ASSERT_TRUE(db->UpdateStock(a));
    EXPECT_EQ(db->stock().find(a.stId)->name, QStringLiteral("New Name"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT StWeight FROM Stocks WHERE StId = ?"), {a.stId}), 1200);

    StockRec ghost = animal(QStringLiteral("2"), QStringLiteral("Ghost"));
    ghost.stId = 555;
    EXPECT_FALSE(db->UpdateStock(ghost));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Failed to open a recordset.  DBMgr::UpdateStock  SQL:SELECT * FROM Stocks WHERE StId = 555")));
    EXPECT_FALSE(db->stock().contains(555));
}

// An animal drawn for an entry of any rodeo, scored or timed, with or without
// a result, stays; where it is drawn is told by rodeo, event and go-round.
TEST_F(TeamsStockTest, ADrawnAnimalStaysAndSaysWhereItIsDrawn)
{
    const int other = insertRodeo(QStringLiteral("Fall"));
    insertRodeoEvent(other, QStringLiteral("TD"), 2);
    open();
    StockRec a = animal(QStringLiteral("1"), QStringLiteral("A"));
    StockRec b = animal(QStringLiteral("2"), QStringLiteral("B"));
    StockRec c = animal(QStringLiteral("3"), QStringLiteral("C"));
    ASSERT_TRUE(db->AddStock(a));
    ASSERT_TRUE(db->AddStock(b));
    ASSERT_TRUE(db->AddStock(c));
    exec(QStringLiteral("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, StId, JTot) VALUES (?, 'BB', 1, "
                        "1, 1, ?, 7500)"),
         {m_roId, a.stId});
    // Drawn in a timed event without a result, twice in one go-round, and in
    // another rodeo's final.
    for (const auto& [roId, go, pt] :
         {std::tuple{other, 1, 5}, std::tuple{other, 1, 6}, std::tuple{other, 3, 5}})
        exec(QStringLiteral(
                 "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, StId) VALUES (?, 'TD', ?, ?, 1, ?)"),
             {roId, go, pt, b.stId});

    const struct
    {
        quint32 stId;
        bool used;
        QStringList where;
    } cases[] = {
        {a.stId, true, {QStringLiteral("R1: Bareback, Go Round 1")}},
        {b.stId,
         true,
         {QStringLiteral("Fall: Tie Down Roping, Go Round 1 (2 entries)"),
          QStringLiteral("Fall: Tie Down Roping, Final")}},
        {c.stId, false, {}},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(db->StockUsed(k.stId), k.used) << k.stId;
        QStringList where{QStringLiteral("stale")};
        EXPECT_TRUE(db->StockDraws(k.stId, where));
        EXPECT_EQ(where, k.where) << k.stId;
        EXPECT_EQ(db->DeleteStock(k.stId), !k.used) << k.stId;
        EXPECT_EQ(db->stock().contains(k.stId), k.used) << k.stId;
    }
    EXPECT_EQ(count(QStringLiteral("Stocks")), 2);
    QStringList few;
    EXPECT_TRUE(db->StockDraws(b.stId, few, 1));
    EXPECT_EQ(few, (QStringList{QStringLiteral("Fall: Tie Down Roping, Go Round 1 (2 entries)"),
                                QStringLiteral("and 1 more")}));

    db->CloseRodeo();
    EXPECT_FALSE(db->DeleteStock(a.stId));
    EXPECT_TRUE(db->stock().contains(a.stId));
}

// --- Contractors ----------------------------------------------------------------------

TEST_F(TeamsStockTest, ContractorsAreAddedAndFoundByIdOrName)
{
    open();
    ContractorRec a;
    a.name = QStringLiteral("Cervi \"Rodeo\" Co");
    ASSERT_TRUE(db->AddContractor(a));
    EXPECT_NE(a.coId, 0u);
    ContractorRec b;
    b.name = QStringLiteral("Andrews");
    ASSERT_TRUE(db->AddContractor(b));
    // Names compare without case, so the new row must not be taken for the old.
    ContractorRec shouted;
    shouted.name = QStringLiteral("ANDREWS");
    ASSERT_TRUE(db->AddContractor(shouted));
    EXPECT_EQ(shouted.coId,
              static_cast<quint32>(scalar(QStringLiteral("SELECT MAX(CoId) FROM Contractors"))));
    EXPECT_NE(shouted.coId, b.coId);
    EXPECT_EQ(shouted.name, QStringLiteral("ANDREWS"));

    QStringList all{QStringLiteral("stale")};
    ASSERT_TRUE(db->GetContractors(all));
    EXPECT_EQ(all, (QStringList{QStringLiteral("Cervi \"Rodeo\" Co"), QStringLiteral("Andrews"),
                                QStringLiteral("ANDREWS")}));

    ContractorRec byId;
    byId.coId = b.coId;
    ASSERT_TRUE(db->GetContractor(byId));
    EXPECT_EQ(byId.name, QStringLiteral("Andrews"));
    ContractorRec byName;
    byName.name = a.name;
    ASSERT_TRUE(db->GetContractor(byName));
    EXPECT_EQ(byName.coId, a.coId);

    ContractorRec unknown;
    unknown.name = QStringLiteral("Nobody");
    EXPECT_FALSE(db->GetContractor(unknown));
    EXPECT_EQ(unknown.coId, 0u);

    ContractorRec empty;
    EXPECT_FALSE(db->GetContractor(empty));
    EXPECT_TRUE(log.contains(QStringLiteral("Contractor information was not set.  GetContractor")));
}

TEST_F(TeamsStockTest, ContractorsNeedAnOpenRodeo)
{
    QStringList all{QStringLiteral("stale")};
    EXPECT_FALSE(db->GetContractors(all));
    EXPECT_TRUE(all.isEmpty());
    ContractorRec a;
    a.name = QStringLiteral("X");
    EXPECT_FALSE(db->AddContractor(a));
    EXPECT_TRUE(
        log.contains(QStringLiteral("Failed to insert the contractor.  DBMgr::AddContractor  Name:X")));
}

// --- Messages ---------------------------------------------------------------------------

TEST_F(TeamsStockTest, MessageLinesAreCutWhenReadBack)
{
    open();
    const QString longLine = QStringLiteral("0123456789012345678901234567890");
    exec(
        QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1, MsgLine2) VALUES (5, 2, ?, 'two')"),
        {longLine});
    exec(QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1) VALUES (5, 1, 'first')"));
    exec(QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1) VALUES (6, 1, 'not his')"));

    QVector<MessageRec> got(3);
    ASSERT_TRUE(db->GetPlrMessages(5, got));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].number, 1);
    EXPECT_EQ(got[0].lines[0], QStringLiteral("first"));
    EXPECT_EQ(got[1].number, 2);
    EXPECT_EQ(got[1].lines[0], longLine.left(24));
    EXPECT_EQ(got[1].lines[1], QStringLiteral("two"));
    EXPECT_TRUE(got[1].lines[3].isEmpty());
}

TEST_F(TeamsStockTest, SetPlrMessageInsertsThenRewrites)
{
    open();
    ASSERT_TRUE(db->SetPlrMessage(8, message(3, QStringLiteral("It's \"Hot\""), QStringLiteral("b"))));
    EXPECT_EQ(count(QStringLiteral("Messages")), 1);
    ASSERT_TRUE(db->SetPlrMessage(8, message(3, QStringLiteral("rewritten"), QString(), QStringLiteral("c"),
                                             QStringLiteral("a line that is far too long to keep"))));
    EXPECT_EQ(count(QStringLiteral("Messages")), 1);

    QVector<MessageRec> got;
    ASSERT_TRUE(db->GetPlrMessages(8, got));
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].lines[0], QStringLiteral("rewritten"));
    EXPECT_EQ(got[0].lines[1], QString());
    EXPECT_EQ(got[0].lines[2], QStringLiteral("c"));
    // Cut before it was stored, not only when read.
    EXPECT_EQ(scalar(QStringLiteral("SELECT length(MsgLine4) FROM Messages")), 24);
}

TEST_F(TeamsStockTest, AddAndDeletePlrMessage)
{
    open();
    ASSERT_TRUE(db->AddPlrMessage(4, message(1, QStringLiteral("one"))));
    ASSERT_TRUE(db->AddPlrMessage(4, message(2, QStringLiteral("two"))));
    // The number is taken already.
    EXPECT_FALSE(db->AddPlrMessage(4, message(1, QStringLiteral("again"))));
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to insert the player message.  DBMgr::AddPlrMessage  "
                                          "SQL:INSERT INTO Messages (PlrId, MsgNumber,")));

    ASSERT_TRUE(db->DeletePlrMessage(4, 1));
    QVector<MessageRec> got;
    ASSERT_TRUE(db->GetPlrMessages(4, got));
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].number, 2);

    db->CloseRodeo();
    EXPECT_FALSE(db->DeletePlrMessage(4, 2));
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to delete the player message.  DBMgr::DeletePlrMessage  "
                                          "SQL:DELETE FROM Messages WHERE PlrId = 4 "
                                          "AND MsgNumber = 2, Error:Error Description: ")));
}

} // namespace
