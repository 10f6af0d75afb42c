#include "platform/xml/xmldocument.h"
#include "results/standings.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
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

// The standings as a plain model: after each save the changed record is
// replaced (or added in front), then the whole list is ordered again and
// numbered; the overall element is counted again from every go-round.
class WholeListModel
{
public:
    WholeListModel(const Standings& s) : m_types{s.goRoundType(), s.overallType()}, m_f(s.roundCount())
    {
        for (int go = 1; go <= s.goRoundCount(); ++go)
            m_goRounds.push_back(s.goRound(go));
        m_overall = s.overall();
    }

    void save(int go, const ResultRecord& r, bool scored)
    {
        std::vector<ResultRecord>& list = m_goRounds[size_t(go - 1)];
        auto held = std::find_if(list.begin(), list.end(), [&](const auto& x) { return x.key == r.key; });
        if (held != list.end()) {
            const quint8 ride = held->ride;
            *held = r;
            held->ride = ride;
        } else {
            ResultRecord added = r;
            added.ride = (r.score != 0 || r.time != 0) ? 1 : 0;
            list.insert(list.begin(), added);
        }
        order(list, m_types[0]);
        ResultRecord element;
        for (const auto& standing : m_goRounds) {
            for (const ResultRecord& x : standing) {
                if (x.key == r.key)
                    CountIntoOverall(element, x, scored);
            }
        }
        element.key = r.key;
        auto overall =
            std::find_if(m_overall.begin(), m_overall.end(), [&](const auto& x) { return x.key == r.key; });
        if (overall != m_overall.end())
            *overall = element;
        else
            m_overall.insert(m_overall.begin(), element);
        order(m_overall, m_types[1]);
    }

    std::vector<std::vector<ResultRecord>> m_goRounds;
    std::vector<ResultRecord> m_overall;

private:
    void order(std::vector<ResultRecord>& list, StandingType type) const
    {
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            return StandingSortKey(type, m_f, a) < StandingSortKey(type, m_f, b);
        });
        NumberStanding(list, type);
    }

    StandingType m_types[2];
    quint8 m_f;
};

// Random saves into random events: each save moves only the entry saved, yet
// the standings equal the whole lists ordered again, record for record and in
// the same order; a rebuild from the same rows gives every entry the same
// values and position, and the same order but for entries that rank equal.
TEST(StandingsSave, MovingTheSavedEntryEqualsOrderingEverythingAgain)
{
    std::mt19937 rng(4711);
    const auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    for (int round = 0; round < 24; ++round) {
        const bool scored = round % 3 == 0;
        const bool longestFirst = round % 3 == 2;
        const int goRounds = 1 + round % 3;
        const int entries = pick(20, 60);
        const auto randomRecord = [&](quint32 id) {
            // Few distinct values, so that many entries rank equal.
            const int kind = pick(0, 9);
            const char* status = kind == 0 ? "N" : kind == 1 ? "R" : kind == 2 ? "P" : "";
            const quint32 value = kind <= 3 && kind != 1 ? 0 : quint32(pick(0, 6)) * 500;
            ResultRecord r = scored ? rec(id, value, 8000, status) : rec(id, 0, value, status);
            r.success = quint8(value != 0 && kind != 0);
            return r;
        };
        std::vector<Row> rows;
        for (int go = 1; go <= goRounds + 1; ++go)
            for (quint32 id = 1; id <= quint32(entries); ++id)
                if (pick(0, 4) != 0) // some entries have no row in some go-rounds
                    rows.push_back({go, randomRecord(id)});
        Standings s = build(goRounds, scored, longestFirst, rows);
        WholeListModel model(s);

        for (int save = 0; save < 120; ++save) {
            const int go = pick(1, goRounds + 1);
            const ResultRecord r = randomRecord(quint32(pick(1, entries + 5)));
            ASSERT_TRUE(s.applySaved(go, r));
            model.save(go, r, scored);
            for (int g = 1; g <= s.goRoundCount(); ++g)
                ASSERT_EQ(s.goRound(g), model.m_goRounds[size_t(g - 1)])
                    << "round " << round << " save " << save;
            ASSERT_EQ(s.overall(), model.m_overall) << "round " << round << " save " << save;
            for (int g = 1; g <= s.goRoundCount(); ++g)
                for (const ResultRecord& x : s.goRound(g))
                    ASSERT_EQ(s.find(g, x.key), &x);
            for (const ResultRecord& x : s.overall())
                ASSERT_EQ(s.findOverall(x.key), &x);
        }

        std::vector<Row> now;
        for (int go = 1; go <= s.goRoundCount(); ++go)
            for (const ResultRecord& r : s.goRound(go))
                now.push_back({go, r});
        const Standings fresh = build(goRounds, scored, longestFirst, now);
        const auto sameRanks = [&](const std::vector<ResultRecord>& held,
                                   const std::vector<ResultRecord>& built, StandingType type, bool overall) {
            ASSERT_EQ(held.size(), built.size());
            for (size_t i = 0; i < held.size(); ++i) {
                ASSERT_EQ(StandingSortKey(type, s.roundCount(), held[i]),
                          StandingSortKey(type, s.roundCount(), built[i]));
                const ResultRecord& a = held[i];
                const ResultRecord* b = overall ? fresh.findOverall(a.key) : nullptr;
                if (!overall) {
                    for (const ResultRecord& x : built) {
                        if (x.key == a.key)
                            b = &x;
                    }
                }
                ASSERT_NE(b, nullptr);
                EXPECT_EQ(a.position, b->position);
                EXPECT_EQ(a.score, b->score);
                EXPECT_EQ(a.time, b->time);
                EXPECT_EQ(a.status, b->status);
                EXPECT_EQ(a.success, b->success);
                if (overall) {
                    EXPECT_EQ(a.ride, b->ride); // in a go-round it tells the history
                }
            }
        };
        for (int g = 1; g <= s.goRoundCount(); ++g)
            sameRanks(s.goRound(g), fresh.goRound(g), s.goRoundType(), false);
        sameRanks(s.overall(), fresh.overall(), s.overallType(), true);
    }
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
