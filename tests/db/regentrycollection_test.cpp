#include "db/regentrycollection.h"

#include <gtest/gtest.h>

namespace {

RegEntry entry(quint32 pt, int ent, const char* ev, int go, int perf = 0, int ord = 0)
{
    RegEntry e;
    e.ptId = pt;
    e.plrEnt = static_cast<quint16>(ent);
    e.eventId = QString::fromLatin1(ev);
    e.goRound = static_cast<quint16>(go);
    e.perf = static_cast<quint16>(perf);
    e.ord = static_cast<quint16>(ord);
    return e;
}

} // namespace

TEST(RegEntryCollection, OneCompetitorEntryPerKeyHoldingEventsAndGoRounds)
{
    RegEntryCollection c;
    EXPECT_TRUE(c.add(entry(5, 1, "SB", 1, 1, 3)));
    EXPECT_TRUE(c.add(entry(5, 1, "SB", 2)));
    EXPECT_TRUE(c.add(entry(5, 1, "BB", 1)));
    EXPECT_TRUE(c.add(entry(5, 1, "SB", 1, 2, 7))); // same go-round: moved, not doubled
    ASSERT_EQ(c.size(), 1);
    const auto* comp = c.find(makeEntryKey(5, 1));
    ASSERT_NE(comp, nullptr);
    ASSERT_EQ(comp->events.size(), 2);
    EXPECT_EQ(comp->event(QStringLiteral("SB"))->rounds.size(), 2);
    const auto look = c.lookup(makeEntryKey(5, 1), QStringLiteral("SB"), 1);
    EXPECT_TRUE(look.found);
    EXPECT_EQ(look.perf, 2);
    EXPECT_EQ(look.ord, 7);
    EXPECT_EQ(c.entries(QStringLiteral("SB")).size(), 2);
    EXPECT_EQ(c.entries(QStringLiteral("SB"), 2).size(), 1);
    EXPECT_FALSE(c.add(entry(5, 1, "", 1)));
}

TEST(RegEntryCollection, HigherEntryNumberMakesEntryOneExist)
{
    RegEntryCollection c;
    c.add(entry(9, 3, "SB", 1));
    EXPECT_TRUE(c.contains(makeEntryKey(9, 1)));
    EXPECT_FALSE(c.contains(makeEntryKey(9, 2)));
    EXPECT_EQ(c.entryCount(9, QStringLiteral("SB")), 3);
    EXPECT_EQ(c.lookup(makeEntryKey(9, 1), QStringLiteral("SB"), 1).entryCount, 3);
    EXPECT_EQ(c.entryCount(9, QStringLiteral("BB")), 0);

    // A team's own entry does not.
    RegEntry team = entry(4, 2, "TR", 1);
    team.teamFlag = RegEntry::TeamEntry;
    c.add(team);
    EXPECT_FALSE(c.contains(makeEntryKey(4, 1)));
}

// A team roper who also enters an event on his own holds both under one key:
// he is a member in the team event and on his own in the other, whichever
// came first.
TEST(RegEntryCollection, TheTeamMemberMarkIsPerEvent)
{
    for (const bool teamFirst : {true, false}) {
        RegEntryCollection c;
        RegEntry member = entry(26, 1, "TR", 1);
        member.teamFlag = RegEntry::MemberEntry;
        const RegEntry own = entry(26, 1, "TD", 1);
        c.add(teamFirst ? member : own);
        c.add(teamFirst ? own : member);
        const auto* comp = c.find(makeEntryKey(26, 1));
        ASSERT_NE(comp, nullptr);
        EXPECT_EQ(comp->event(QStringLiteral("TR"))->teamFlag, RegEntry::MemberEntry) << teamFirst;
        EXPECT_EQ(comp->event(QStringLiteral("TD"))->teamFlag, RegEntry::OwnEntry) << teamFirst;
        EXPECT_EQ(c.entries(QStringLiteral("TD")).first().teamFlag, RegEntry::OwnEntry) << teamFirst;
        EXPECT_EQ(c.entries(QStringLiteral("TR")).first().teamFlag, RegEntry::MemberEntry) << teamFirst;
    }
}

TEST(RegEntryCollection, RemovalModes)
{
    RegEntryCollection c;
    for (int go = 1; go <= 3; ++go)
        c.add(entry(7, 1, "SB", go));
    c.add(entry(7, 1, "BB", 1));

    // Mode 3 takes only the highest go-round held.
    EXPECT_FALSE(c.remove(entry(7, 1, "SB", 2), RegEntryCollection::RemoveHighestGoRound));
    EXPECT_TRUE(c.remove(entry(7, 1, "SB", 3), RegEntryCollection::RemoveHighestGoRound));
    EXPECT_TRUE(c.remove(entry(7, 1, "SB", 2), RegEntryCollection::RemoveHighestGoRound));
    // Mode 4 takes exactly the given go-round.
    c.add(entry(7, 1, "SB", 2));
    EXPECT_TRUE(c.remove(entry(7, 1, "SB", 1), RegEntryCollection::RemoveGoRound));
    EXPECT_EQ(c.lookup(makeEntryKey(7, 1), QStringLiteral("SB"), 2).found, true);

    EXPECT_TRUE(c.remove(entry(7, 1, "SB", 0), RegEntryCollection::RemoveEvent));
    EXPECT_TRUE(c.contains(makeEntryKey(7, 1)));
    // Left without any event, the entry goes too.
    EXPECT_TRUE(c.remove(entry(7, 1, "BB", 1), RegEntryCollection::RemoveGoRound));
    EXPECT_FALSE(c.contains(makeEntryKey(7, 1)));
    EXPECT_FALSE(c.holdsCompetitor(7));
    EXPECT_FALSE(c.remove(entry(7, 1, "BB", 1), RegEntryCollection::RemoveCompetitor));
}

TEST(RegEntryCollection, EntryCountFollowsRemovalAndOrderIsKept)
{
    RegEntryCollection c;
    c.add(entry(3, 1, "SB", 1));
    c.add(entry(2, 1, "SB", 1));
    c.add(entry(3, 2, "SB", 1));
    c.add(entry(3, 3, "SB", 1));
    EXPECT_EQ(c.entryCount(3, QStringLiteral("SB")), 3);
    c.remove(entry(3, 3, "SB", 1), RegEntryCollection::RemoveCompetitor);
    EXPECT_EQ(c.entryCount(3, QStringLiteral("SB")), 2);

    QVector<quint32> keys;
    for (const auto& comp : c.competitors())
        keys << comp.key;
    EXPECT_EQ(keys, (QVector<quint32>{makeEntryKey(3, 1), makeEntryKey(2, 1), makeEntryKey(3, 2)}));
    EXPECT_EQ(c.find(makeEntryKey(2, 1))->ptId(), 2u);
}
