#include "platform/xml/xmldocument.h"
#include "results/standings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

ResultRecord rec(quint32 id, quint32 score, quint32 time, const char* status = "", int entry = 1)
{
    ResultRecord r;
    r.key = makeEntryKey(id, entry);
    r.score = score;
    r.time = time;
    r.status = QString::fromUtf8(status);
    r.success = (score != 0 && r.status.isEmpty()) ? 1 : 0;
    return r;
}

std::vector<quint32> ids(const std::vector<ResultRecord>& items)
{
    std::vector<quint32> out;
    for (const ResultRecord& r : items)
        out.push_back(entryKeyId(r.key));
    return out;
}

std::vector<int> positions(const std::vector<ResultRecord>& items)
{
    std::vector<int> out;
    for (const ResultRecord& r : items)
        out.push_back(r.position);
    return out;
}

struct Row
{
    int goRound;
    ResultRecord record;
};

Standings build(int goRounds, bool scored, bool longestFirst, const std::vector<Row>& rows)
{
    Standings s;
    EXPECT_TRUE(s.beginRebuild(goRounds, scored, longestFirst));
    for (const Row& row : rows)
        EXPECT_TRUE(s.addRecord(row.goRound, row.record));
    s.finishRebuild();
    return s;
}

// A scored event with two go-rounds and the final:
//   entry 1: 85 and 80; entry 2: 87 and "no score"; entry 3: registered, no results;
//   entry 4: 87 in go-round 1 only; entry 5: 80 in go-round 1 and 86 in the final.
std::vector<Row> scoredRows()
{
    return {
        {1, rec(1, 8500, 0)},   {1, rec(2, 8700, 0)}, {1, rec(3, 0, 0)},
        {1, rec(4, 8700, 0)},   {1, rec(5, 8000, 0)}, {2, rec(1, 8000, 0)},
        {2, rec(2, 0, 0, "N")}, {2, rec(3, 0, 0)},    {3, rec(5, 8600, 0)},
    };
}

TEST(StandingsRebuild, GoRoundOrderWithTies)
{
    const Standings s = build(2, true, false, scoredRows());
    ASSERT_EQ(s.goRoundCount(), 3);
    EXPECT_EQ(s.regularGoRounds(), 2);
    EXPECT_EQ(s.goRoundType(), StandingType::ScoredGoRound);
    EXPECT_EQ(s.overallType(), StandingType::ScoredOverall);
    EXPECT_EQ(s.roundCount(), 3);
    // Rows added later stand in front, so the tied 87s list entry 4 first.
    EXPECT_EQ(ids(s.goRound(1)), (std::vector<quint32>{4, 2, 1, 5, 3}));
    EXPECT_EQ(positions(s.goRound(1)), (std::vector<int>{1, 1, 3, 4, 0}));
    EXPECT_EQ(ids(s.goRound(2)), (std::vector<quint32>{1, 2, 3}));
    EXPECT_EQ(positions(s.goRound(2)), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(ids(s.goRound(3)), (std::vector<quint32>{5}));
    EXPECT_TRUE(s.goRound(0).empty());
    EXPECT_TRUE(s.goRound(4).empty());
}

TEST(StandingsRebuild, OverallSumsEveryGoRoundIncludingTheFinal)
{
    const Standings s = build(2, true, false, scoredRows());
    EXPECT_EQ(ids(s.overall()), (std::vector<quint32>{5, 1, 4, 2, 3}));
    EXPECT_EQ(positions(s.overall()), (std::vector<int>{1, 2, 3, 3, 0}));

    const ResultRecord* one = s.findOverall(makeEntryKey(1, 1));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->score, 16500u);
    EXPECT_EQ(one->success, 2);
    EXPECT_EQ(one->ride, 2);
    const ResultRecord* two = s.findOverall(makeEntryKey(2, 1));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->score, 8700u);
    EXPECT_EQ(two->success, 1);
    EXPECT_EQ(two->ride, 2); // the "no score" counts as a ride
    const ResultRecord* three = s.findOverall(makeEntryKey(3, 1));
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->ride, 0);
    EXPECT_EQ(three->position, 0);
    EXPECT_EQ(s.findOverall(makeEntryKey(5, 1))->score, 16600u);
}

TEST(StandingsRebuild, RideFlagTellsWhetherTheEntryHadAResult)
{
    const Standings s = build(2, true, false, scoredRows());
    EXPECT_EQ(s.find(1, makeEntryKey(1, 1))->ride, 1);
    EXPECT_EQ(s.find(1, makeEntryKey(3, 1))->ride, 0);
    EXPECT_EQ(s.find(2, makeEntryKey(2, 1))->ride, 0); // "no score": no value
    EXPECT_EQ(s.find(3, makeEntryKey(5, 1))->score, 8600u);
    EXPECT_EQ(s.find(3, makeEntryKey(1, 1)), nullptr);
    EXPECT_EQ(s.find(9, makeEntryKey(1, 1)), nullptr);
}

TEST(StandingsRebuild, EntriesOfOneCompetitorStaySeparate)
{
    const Standings s =
        build(1, true, false,
              {{1, rec(7, 8000, 0, "", 1)}, {1, rec(7, 8200, 0, "", 2)}, {2, rec(7, 8100, 0, "", 1)}});
    EXPECT_EQ(s.findOverall(makeEntryKey(7, 1))->score, 16100u);
    EXPECT_EQ(s.findOverall(makeEntryKey(7, 2))->score, 8200u);
    EXPECT_EQ(s.overall().size(), 2u);
}

TEST(StandingsRebuild, TimedShortestFirstUsesTheRoundCount)
{
    // 3 go-rounds plus the final (4 rounds). Entry 1: 3 clean runs, 40.000 in all.
    // Entry 2: 2 clean runs (25.000) and a "no time".
    const Standings s = build(3, false, false,
                              {{1, rec(1, 0, 13000)},
                               {1, rec(2, 0, 12500)},
                               {2, rec(1, 0, 14000)},
                               {2, rec(2, 0, 12500)},
                               {3, rec(1, 0, 13000)},
                               {3, rec(2, 0, 0, "N")}});
    EXPECT_EQ(s.roundCount(), 4);
    EXPECT_EQ(s.overallType(), StandingType::TimedShortestFirstOverall);
    EXPECT_EQ(ids(s.overall()), (std::vector<quint32>{1, 2}));
    EXPECT_EQ(positions(s.overall()), (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(s.goRound(3)), (std::vector<quint32>{1, 2}));
    EXPECT_EQ(positions(s.goRound(3)), (std::vector<int>{1, 0}));
}

TEST(StandingsRebuild, TimedLongestFirst)
{
    const Standings s =
        build(1, false, true,
              {{1, rec(1, 0, 12300)}, {1, rec(2, 0, 0, "N")}, {1, rec(3, 0, 11800)}, {1, rec(4, 0, 0)}});
    EXPECT_EQ(s.goRoundType(), StandingType::TimedLongestFirstGoRound);
    EXPECT_EQ(ids(s.goRound(1)), (std::vector<quint32>{1, 3, 4, 2}));
    EXPECT_EQ(s.overallType(), StandingType::TimedLongestFirstOverall);
    EXPECT_EQ(positions(s.overall()), (std::vector<int>{1, 2, 0, 0}));
}

TEST(StandingsRebuild, RefusedRows)
{
    Standings s;
    EXPECT_FALSE(s.addRecord(1, rec(1, 8000, 0))); // no rebuild open
    ASSERT_TRUE(s.beginRebuild(1, true, false));
    EXPECT_FALSE(s.addRecord(0, rec(1, 8000, 0)));
    EXPECT_FALSE(s.addRecord(3, rec(1, 8000, 0)));
    EXPECT_FALSE(s.addRecord(1, rec(0, 8000, 0))); // no competitor
    EXPECT_TRUE(s.addRecord(1, rec(1, 8000, 0)));
    EXPECT_FALSE(s.addRecord(1, rec(1, 9000, 0))); // the same entry twice in one go-round
    EXPECT_TRUE(s.addRecord(2, rec(1, 9000, 0)));
    s.finishRebuild();
    EXPECT_EQ(s.goRound(1).size(), 1u);
    EXPECT_EQ(s.findOverall(makeEntryKey(1, 1))->score, 17000u);

    EXPECT_FALSE(s.beginRebuild(-1, true, false));
    EXPECT_FALSE(s.hasEvent());
    EXPECT_EQ(s.goRoundCount(), 0);
    EXPECT_FALSE(s.beginRebuild(Standings::MaxGoRounds + 1, true, false));
    EXPECT_TRUE(s.beginRebuild(0, true, false)); // only the final
    EXPECT_EQ(s.goRoundCount(), 1);
}

TEST(StandingsRebuild, ManyRecordsStayOrderedAndSummed)
{
    Standings s;
    ASSERT_TRUE(s.beginRebuild(3, false, false));
    quint64 expectedTotal = 0;
    for (int go = 1; go <= 4; ++go) {
        for (quint32 id = 1; id <= 375; ++id) {
            const quint32 time = (id * 7919u + quint32(go) * 104729u) % 20000u;
            const char* status = (id % 17 == 0) ? "N" : "";
            ASSERT_TRUE(s.addRecord(go, rec(id, 0, *status ? 0 : time, status)));
            expectedTotal += *status ? 0 : time;
        }
    }
    s.finishRebuild();

    quint64 total = 0;
    for (const ResultRecord& r : s.overall())
        total += r.time;
    EXPECT_EQ(total, expectedTotal);
    ASSERT_EQ(s.overall().size(), 375u);
    for (int go = 1; go <= 4; ++go) {
        const std::vector<ResultRecord>& list = s.goRound(go);
        ASSERT_EQ(list.size(), 375u);
        for (size_t i = 1; i < list.size(); ++i) {
            // Never a later element that strictly goes before an earlier one.
            const bool laterFirst = GoesBefore(s.goRoundType(), s.roundCount(), list[i], list[i - 1]);
            const bool earlierFirst = GoesBefore(s.goRoundType(), s.roundCount(), list[i - 1], list[i]);
            ASSERT_FALSE(laterFirst && !earlierFirst) << "go " << go << " at " << i;
            if (list[i].time != 0 && list[i - 1].time != 0) {
                ASSERT_GE(list[i].position, list[i - 1].position);
            }
        }
        for (const ResultRecord& r : list)
            ASSERT_EQ(s.find(go, r.key), &r);
    }
}

TEST(StandingsSave, ReplacesKeepingTheRideFlagAndRenumbers)
{
    Standings s = build(2, true, false, scoredRows());
    // Entry 3 was registered without a result: its ride flag stays 0.
    ASSERT_TRUE(s.applySaved(1, rec(3, 9000, 0)));
    const ResultRecord* three = s.find(1, makeEntryKey(3, 1));
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->score, 9000u);
    EXPECT_EQ(three->ride, 0);
    EXPECT_EQ(ids(s.goRound(1)), (std::vector<quint32>{3, 4, 2, 1, 5}));
    EXPECT_EQ(positions(s.goRound(1)), (std::vector<int>{1, 2, 2, 4, 5}));

    const ResultRecord* overall = s.findOverall(makeEntryKey(3, 1));
    ASSERT_NE(overall, nullptr);
    EXPECT_EQ(overall->score, 9000u);
    EXPECT_EQ(overall->success, 1);
    EXPECT_EQ(overall->ride, 1);
}

TEST(StandingsSave, AddsAnEntryMissingFromTheGoRound)
{
    Standings s = build(2, true, false, scoredRows());
    ASSERT_TRUE(s.applySaved(2, rec(4, 8800, 0)));
    const ResultRecord* four = s.find(2, makeEntryKey(4, 1));
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->ride, 1);
    EXPECT_EQ(s.goRound(2).front().key, makeEntryKey(4, 1));
    EXPECT_EQ(s.findOverall(makeEntryKey(4, 1))->score, 17500u);
    EXPECT_EQ(s.overall().front().key, makeEntryKey(4, 1));

    // A competitor not seen anywhere before gets an overall element of its own.
    ASSERT_TRUE(s.applySaved(1, rec(42, 7000, 0)));
    ASSERT_NE(s.findOverall(makeEntryKey(42, 1)), nullptr);
    EXPECT_EQ(s.findOverall(makeEntryKey(42, 1))->score, 7000u);
}

TEST(StandingsSave, OverallKeepsTheKeyAfterASave)
{
    Standings s = build(2, true, false, scoredRows());
    ASSERT_TRUE(s.applySaved(2, rec(1, 8400, 0)));
    const ResultRecord* one = s.findOverall(makeEntryKey(1, 1));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->key, makeEntryKey(1, 1));
    EXPECT_EQ(one->score, 16900u);
    EXPECT_EQ(one->success, 2);
    EXPECT_EQ(one->ride, 2);
    for (const ResultRecord& r : s.overall())
        EXPECT_NE(r.key, 0u);
    EXPECT_TRUE(s.totalXml().contains(
        QStringLiteral("<row pos='1' ptId='1' score='16900' time='0' suc='2' ride='2'/>")));
}

TEST(StandingsSave, ReRideWithAndWithoutAScore)
{
    Standings s = build(2, true, false, scoredRows());
    ASSERT_TRUE(s.applySaved(1, rec(3, 0, 0, "R")));
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->ride, 1);
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->success, 0);
    ASSERT_TRUE(s.applySaved(2, rec(3, 7800, 0, "R")));
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->ride, 2);
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->success, 1);
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->score, 7800u);
}

TEST(StandingsSave, ResultOfTheFinal)
{
    Standings s = build(2, true, false, scoredRows());
    ASSERT_TRUE(s.applySaved(3, rec(1, 9000, 0)));
    EXPECT_EQ(ids(s.goRound(3)), (std::vector<quint32>{1, 5}));
    EXPECT_EQ(positions(s.goRound(3)), (std::vector<int>{1, 2}));
    EXPECT_EQ(s.findOverall(makeEntryKey(1, 1))->score, 25500u);
    EXPECT_EQ(s.findOverall(makeEntryKey(1, 1))->ride, 3);
    EXPECT_EQ(s.overall().front().key, makeEntryKey(1, 1));
}

TEST(StandingsSave, BeyondTheGoRoundsFails)
{
    Standings s = build(2, true, false, scoredRows());
    const std::vector<ResultRecord> before = s.goRound(1);
    EXPECT_FALSE(s.applySaved(4, rec(1, 9000, 0)));
    EXPECT_FALSE(s.applySaved(0, rec(1, 9000, 0)));
    EXPECT_FALSE(s.applySaved(1, rec(0, 9000, 0)));
    EXPECT_EQ(ids(s.goRound(1)), ids(before));
    EXPECT_EQ(s.findOverall(makeEntryKey(1, 1))->score, 16500u);

    Standings empty;
    EXPECT_FALSE(empty.applySaved(1, rec(1, 9000, 0)));
}

TEST(StandingsSave, OverallMatchesAFreshRebuild)
{
    Standings s = build(2, false, false,
                        {{1, rec(1, 0, 12300)},
                         {1, rec(2, 0, 11800)},
                         {1, rec(3, 0, 0)},
                         {2, rec(1, 0, 0)},
                         {2, rec(2, 0, 0)},
                         {2, rec(3, 0, 0)}});
    ASSERT_TRUE(s.applySaved(2, rec(1, 0, 13100)));
    ASSERT_TRUE(s.applySaved(2, rec(2, 0, 0, "N")));
    ResultRecord penalised = rec(3, 0, 17300, "P");
    penalised.penalty = 5000;
    ASSERT_TRUE(s.applySaved(1, penalised));
    ASSERT_TRUE(s.applySaved(2, rec(3, 0, 12000)));

    std::vector<Row> rows;
    for (int go = 1; go <= s.goRoundCount(); ++go)
        for (const ResultRecord& r : s.goRound(go))
            rows.push_back({go, r});
    const Standings fresh = build(2, false, false, rows);
    ASSERT_EQ(s.overall().size(), fresh.overall().size());
    for (const ResultRecord& r : fresh.overall()) {
        const ResultRecord* held = s.findOverall(r.key);
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(held->time, r.time);
        EXPECT_EQ(held->success, r.success);
        EXPECT_EQ(held->ride, r.ride);
        EXPECT_EQ(held->position, r.position);
    }
    EXPECT_EQ(s.findOverall(makeEntryKey(3, 1))->time, 29300u);
    EXPECT_EQ(s.findOverall(makeEntryKey(2, 1))->ride, 2);
    EXPECT_EQ(s.findOverall(makeEntryKey(2, 1))->success, 1);
}

TEST(StandingsSave, OutputFlags)
{
    const Standings s = build(2, true, false, scoredRows());
    OutputFlags flags = s.outputFlags(1, rec(1, 8600, 0));
    EXPECT_TRUE(flags.scoreChanged);
    EXPECT_FALSE(flags.timeChanged);
    flags = s.outputFlags(1, rec(1, 8500, 6000));
    EXPECT_FALSE(flags.scoreChanged);
    EXPECT_TRUE(flags.timeChanged);
    // No held result in that go-round: both flags stay clear.
    flags = s.outputFlags(3, rec(1, 8600, 6000));
    EXPECT_FALSE(flags.scoreChanged);
    EXPECT_FALSE(flags.timeChanged);
}

TEST(StandingsReport, TotalText)
{
    Standings s;
    EXPECT_EQ(s.totalXml(), QString());
    s = build(1, true, false, {{1, rec(5, 8500, 0)}, {1, rec(6, 0, 0, "N")}, {2, rec(5, 8000, 4000)}});
    EXPECT_EQ(s.totalXml(),
              QStringLiteral("<data go='TOTAL'>"
                             "<row pos='1' ptId='5' score='16500' time='4000' suc='2' ride='2'/>"
                             "<row pos='0' ptId='6' score='0' time='0' suc='0' ride='1'/>"
                             "</data>"));
    s.clear();
    EXPECT_EQ(s.totalXml(), QString());
    ASSERT_TRUE(s.beginRebuild(1, true, false));
    s.finishRebuild();
    EXPECT_EQ(s.totalXml(), QStringLiteral("<data go='TOTAL'></data>"));
}

TEST(StandingsReport, CopiesPositionsIntoTheEventData)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<Event id='BB'>"
                                           "<data go='1'><row ptId='5' PlrEnt='1'/><row ptId='6' PlrEnt='1'/>"
                                           "<row ptId='6' PlrEnt='2'/></data>"
                                           "<data go='2'/>"
                                           "<data go='FINALS'><row ptId='5' PlrEnt='1'/></data>"
                                           "</Event>")));
    const Standings s = build(2, true, false,
                              {{1, rec(5, 8000, 0)},
                               {1, rec(6, 8700, 0)},
                               {1, rec(6, 0, 0, "", 2)},
                               {1, rec(8, 7000, 0)}, // no row in the document: skipped
                               {3, rec(5, 8500, 0)}});
    EXPECT_EQ(s.copyPositions(doc.root()), 4);
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Event/data[@go='1']/row[@ptId='5']"))
                  .attribute(QStringLiteral("pos")),
              QStringLiteral("2"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Event/data[@go='1']/row[@ptId='6' and @PlrEnt='1']"))
                  .attribute(QStringLiteral("pos")),
              QStringLiteral("1"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Event/data[@go='1']/row[@ptId='6' and @PlrEnt='2']"))
                  .attribute(QStringLiteral("pos")),
              QStringLiteral("0"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Event/data[@go='FINALS']/row[@ptId='5']"))
                  .attribute(QStringLiteral("pos")),
              QStringLiteral("1"));
    EXPECT_EQ(s.copyPositions(XmlNode()), -1);
}

} // namespace
