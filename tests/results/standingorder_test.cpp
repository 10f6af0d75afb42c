#include "results/mergesort.h"
#include "results/standingorder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <vector>

namespace {

ResultRecord rec(quint32 id, quint32 score, quint32 time, const char* status = "")
{
    ResultRecord r;
    r.key = makeEntryKey(id, 1);
    r.score = score;
    r.time = time;
    r.status = QString::fromUtf8(status);
    return r;
}

// An overall element: sums, successes and rides.
ResultRecord overall(quint32 id, quint32 score, quint32 time, quint8 successes, quint8 rides)
{
    ResultRecord r = rec(id, score, time);
    r.success = successes;
    r.ride = rides;
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

TEST(StandingType, DerivedFromEventSettings)
{
    EXPECT_EQ(DeriveStandingType(true, false, false), StandingType::ScoredGoRound);
    EXPECT_EQ(DeriveStandingType(true, true, false), StandingType::ScoredGoRound);
    EXPECT_EQ(DeriveStandingType(false, false, false), StandingType::TimedShortestFirstGoRound);
    EXPECT_EQ(DeriveStandingType(false, true, false), StandingType::TimedLongestFirstGoRound);
    EXPECT_EQ(DeriveStandingType(true, false, true), StandingType::ScoredOverall);
    EXPECT_EQ(DeriveStandingType(true, true, true), StandingType::ScoredOverall);
    EXPECT_EQ(DeriveStandingType(false, false, true), StandingType::TimedShortestFirstOverall);
    EXPECT_EQ(DeriveStandingType(false, true, true), StandingType::TimedLongestFirstOverall);
    EXPECT_EQ(int(StandingType::TimedShortestFirstOverall), 5);
}

TEST(MergeSort, StableForEqualElements)
{
    // Sort pairs by their first member only; the second records the input order.
    std::vector<std::pair<int, int>> items;
    for (int i = 0; i < 200; ++i)
        items.emplace_back((i * 37) % 7, i);
    StableMergeSort(items, [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < items.size(); ++i) {
        ASSERT_LE(items[i - 1].first, items[i].first);
        if (items[i - 1].first == items[i].first) {
            ASSERT_LT(items[i - 1].second, items[i].second);
        }
    }
}

TEST(MergeSort, TakesFromTheRightOnlyWhenItGoesFirst)
{
    std::vector<int> items{1, 2};
    StableMergeSort(items, [](int, int) { return false; });
    EXPECT_EQ(items, (std::vector<int>{1, 2}));
    StableMergeSort(items, [](int, int) { return true; });
    EXPECT_EQ(items, (std::vector<int>{2, 1}));
}

TEST(MergeSort, InconsistentPredicateStillGivesAPermutation)
{
    std::vector<int> items(1000);
    std::iota(items.begin(), items.end(), 0);
    unsigned seed = 12345;
    StableMergeSort(items, [&seed](int, int) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 1u;
    });
    std::vector<int> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> expected(1000);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(sorted, expected);
}

struct SixTypesCase
{
    StandingType type;
    std::vector<quint32> expectedIds;
    std::vector<int> expectedPositions;
};

class SixTypesTest : public ::testing::TestWithParam<SixTypesCase>
{
};

// Values 87, 87, 85, 80 and one entry without a result, given out of order.
TEST_P(SixTypesTest, OrdersAndNumbers)
{
    const SixTypesCase& c = GetParam();
    const bool byScore = IsScoredStanding(c.type);
    const bool overallType = int(c.type) >= 4;
    const std::vector<std::pair<quint32, quint32>> input{{1, 85}, {2, 0}, {3, 87}, {4, 80}, {5, 87}};
    std::vector<ResultRecord> items;
    for (const auto& [id, value] : input) {
        ResultRecord r = byScore ? rec(id, value * 100, 0) : rec(id, 0, value * 1000);
        if (overallType && value != 0) {
            r.success = 1;
            r.ride = 1;
        }
        items.push_back(r);
    }
    OrderStanding(items, c.type, 2);
    NumberStanding(items, c.type);
    EXPECT_EQ(ids(items), c.expectedIds);
    EXPECT_EQ(positions(items), c.expectedPositions);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, SixTypesTest,
    ::testing::Values(SixTypesCase{StandingType::ScoredGoRound, {3, 5, 1, 4, 2}, {1, 1, 3, 4, 0}},
                      SixTypesCase{StandingType::TimedShortestFirstGoRound, {4, 1, 3, 5, 2}, {1, 2, 3, 3, 0}},
                      SixTypesCase{StandingType::TimedLongestFirstGoRound, {3, 5, 1, 4, 2}, {1, 1, 3, 4, 0}},
                      SixTypesCase{StandingType::ScoredOverall, {3, 5, 1, 4, 2}, {1, 1, 3, 4, 0}},
                      SixTypesCase{StandingType::TimedShortestFirstOverall, {4, 1, 3, 5, 2}, {1, 2, 3, 3, 0}},
                      SixTypesCase{
                          StandingType::TimedLongestFirstOverall, {3, 5, 1, 4, 2}, {1, 1, 3, 4, 0}}));

// Every input order must give the same standing where the order is total.
void expectSameForEveryInputOrder(std::vector<ResultRecord> items, StandingType type,
                                  const std::vector<quint32>& expectedIds,
                                  const std::vector<int>& expectedPositions)
{
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    do {
        std::vector<ResultRecord> work = items;
        OrderStanding(work, type, 0);
        NumberStanding(work, type);
        ASSERT_EQ(ids(work), expectedIds);
        ASSERT_EQ(positions(work), expectedPositions);
    } while (std::next_permutation(items.begin(), items.end(),
                                   [](const auto& a, const auto& b) { return a.key < b.key; }));
}

TEST(GoRoundOrder, NoScoreListedBeforeNoResult)
{
    expectSameForEveryInputOrder({rec(1, 0, 0), rec(2, 0, 0, "N"), rec(3, 8500, 0)},
                                 StandingType::ScoredGoRound, {3, 2, 1}, {1, 0, 0});
}

TEST(GoRoundOrder, TimedShortestFirst)
{
    // 12.3, no time ("N"), 11.8, no result
    expectSameForEveryInputOrder({rec(1, 0, 12300), rec(2, 0, 0, "N"), rec(3, 0, 11800), rec(4, 0, 0)},
                                 StandingType::TimedShortestFirstGoRound, {3, 1, 2, 4}, {1, 2, 0, 0});
}

TEST(GoRoundOrder, TimedLongestFirstPutsNoTimeLast)
{
    expectSameForEveryInputOrder({rec(1, 0, 12300), rec(2, 0, 0, "N"), rec(3, 0, 11800), rec(4, 0, 0)},
                                 StandingType::TimedLongestFirstGoRound, {1, 3, 4, 2}, {1, 2, 0, 0});
}

TEST(GoRoundOrder, ComparisonsAsWritten)
{
    const ResultRecord none = rec(1, 0, 0);
    const ResultRecord noResult = rec(2, 0, 0, "N");
    const ResultRecord fast = rec(3, 0, 11800);
    // Two entries without a result each go before the other in the timed order.
    EXPECT_TRUE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, none, none));
    EXPECT_TRUE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, noResult, none));
    EXPECT_FALSE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, none, noResult));
    EXPECT_FALSE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, noResult, noResult));
    EXPECT_TRUE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, fast, noResult));
    EXPECT_FALSE(GoesBefore(StandingType::TimedShortestFirstGoRound, 0, fast, fast));
    // Both "no score": the first one goes first either way round.
    EXPECT_TRUE(GoesBefore(StandingType::ScoredGoRound, 0, noResult, noResult));
    EXPECT_FALSE(GoesBefore(StandingType::ScoredGoRound, 0, none, none));
    // Longest first: anything goes before an "N", even another "N".
    EXPECT_TRUE(GoesBefore(StandingType::TimedLongestFirstGoRound, 0, noResult, noResult));
    EXPECT_TRUE(GoesBefore(StandingType::TimedLongestFirstGoRound, 0, none, noResult));
}

TEST(OverallOrder, MoreCleanRunsRankAheadWithFourRounds)
{
    // 3 go-rounds plus the final: A has 3 clean runs (40.000), B 2 clean runs
    // (25.000) and one "N".
    ResultRecord a = NewOverallElement(rec(1, 0, 13000));
    CountIntoOverall(a, rec(1, 0, 14000), false);
    CountIntoOverall(a, rec(1, 0, 13000), false);
    ResultRecord b = NewOverallElement(rec(2, 0, 12500));
    CountIntoOverall(b, rec(2, 0, 12500), false);
    CountIntoOverall(b, rec(2, 0, 0, "N"), false);
    ASSERT_EQ(a.time, 40000u);
    ASSERT_EQ(b.time, 25000u);
    for (const auto& start : {std::vector<ResultRecord>{a, b}, std::vector<ResultRecord>{b, a}}) {
        std::vector<ResultRecord> items = start;
        OrderStanding(items, StandingType::TimedShortestFirstOverall, 4);
        NumberStanding(items, StandingType::TimedShortestFirstOverall);
        EXPECT_EQ(ids(items), (std::vector<quint32>{1, 2}));
        EXPECT_EQ(positions(items), (std::vector<int>{1, 2}));
    }
}

TEST(OverallOrder, TimedShortestFirstRules)
{
    const StandingType t = StandingType::TimedShortestFirstOverall;
    // Ran every round including the final (4 rides, one failed) beats 3 clean runs.
    const ResultRecord allRounds = overall(1, 0, 50000, 3, 4);
    const ResultRecord threeClean = overall(2, 0, 30000, 3, 3);
    EXPECT_TRUE(GoesBefore(t, 4, allRounds, threeClean));
    EXPECT_FALSE(GoesBefore(t, 4, threeClean, allRounds));
    // Without the round count only the successes decide: here neither goes first.
    EXPECT_FALSE(GoesBefore(t, 0, allRounds, threeClean));
    EXPECT_FALSE(GoesBefore(t, 0, threeClean, allRounds));
    // More fails but more successes.
    EXPECT_TRUE(GoesBefore(t, 0, overall(3, 0, 60000, 3, 5), overall(4, 0, 10000, 2, 2)));
    // Equal fails: more rides first, then the smaller time sum.
    EXPECT_TRUE(GoesBefore(t, 4, overall(5, 0, 90000, 3, 3), overall(6, 0, 10000, 2, 2)));
    EXPECT_TRUE(GoesBefore(t, 4, overall(7, 0, 20000, 2, 2), overall(8, 0, 30000, 2, 2)));
    EXPECT_FALSE(GoesBefore(t, 4, overall(8, 0, 30000, 2, 2), overall(7, 0, 20000, 2, 2)));
}

TEST(OverallOrder, ScoredOverallIgnoresSuccessesAndRides)
{
    std::vector<ResultRecord> items{overall(1, 16000, 0, 2, 2), overall(2, 17000, 0, 1, 3),
                                    overall(3, 8700, 0, 1, 1)};
    OrderStanding(items, StandingType::ScoredOverall, 3);
    NumberStanding(items, StandingType::ScoredOverall);
    EXPECT_EQ(ids(items), (std::vector<quint32>{2, 1, 3}));
    EXPECT_EQ(positions(items), (std::vector<int>{1, 2, 3}));
}

TEST(Numbering, CompetitionNumbering)
{
    const struct
    {
        std::vector<quint32> times;
        std::vector<int> expected;
    } cases[] = {
        {{100, 200, 200, 300}, {1, 2, 2, 4}},
        {{100, 100, 100}, {1, 1, 1}},
        {{100, 0, 90}, {1, 0, 2}},
        // a zero between equal values does not break the tie
        {{100, 0, 100}, {1, 0, 1}},
        {{0, 0}, {0, 0}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::vector<ResultRecord> items;
        for (quint32 t : c.times)
            items.push_back(rec(1, 0, t));
        NumberStanding(items, StandingType::TimedShortestFirstGoRound);
        EXPECT_EQ(positions(items), c.expected);
    }
}

TEST(Numbering, EqualTimeSumsShareAPlaceDespiteSuccesses)
{
    std::vector<ResultRecord> items{overall(1, 0, 40000, 3, 3), overall(2, 0, 40000, 2, 3)};
    NumberStanding(items, StandingType::TimedShortestFirstOverall);
    EXPECT_EQ(positions(items), (std::vector<int>{1, 1}));
}

TEST(Numbering, ScoredStandingNumbersByScore)
{
    std::vector<ResultRecord> items{rec(1, 8700, 5000), rec(2, 8700, 7000), rec(3, 0, 9000)};
    NumberStanding(items, StandingType::ScoredGoRound);
    EXPECT_EQ(positions(items), (std::vector<int>{1, 1, 0}));
}

struct FirstCountCase
{
    const char* status;
    quint32 score;
    quint32 time;
    quint8 successes;
    quint8 rides;
};

class NewOverallElementTest : public ::testing::TestWithParam<FirstCountCase>
{
};

TEST_P(NewOverallElementTest, CountsFirstResult)
{
    const FirstCountCase& c = GetParam();
    const ResultRecord e = NewOverallElement(rec(9, c.score, c.time, c.status));
    EXPECT_EQ(e.success, c.successes);
    EXPECT_EQ(e.ride, c.rides);
    EXPECT_TRUE(e.status.isEmpty());
    EXPECT_EQ(e.key, makeEntryKey(9, 1));
    EXPECT_EQ(e.score, c.score);
    EXPECT_EQ(e.time, c.time);
}

INSTANTIATE_TEST_SUITE_P(Statuses, NewOverallElementTest,
                         ::testing::Values(FirstCountCase{"R", 8000, 0, 1, 1}, // re-ride with a score
                                           FirstCountCase{"R", 0, 7000, 0, 1}, // re-ride without one
                                           FirstCountCase{"N", 0, 6000, 0, 1},
                                           FirstCountCase{"", 8500, 0, 1, 1},
                                           FirstCountCase{"", 0, 12300, 1, 1},
                                           FirstCountCase{"P", 0, 17300, 1, 1},
                                           FirstCountCase{"", 0, 0, 0, 0}));

struct AddCountCase
{
    const char* status;
    quint32 score;
    quint32 time;
    bool scored;
    quint32 expectedScore;
    quint32 expectedTime;
    quint8 successes;
    quint8 rides;
};

class CountIntoOverallTest : public ::testing::TestWithParam<AddCountCase>
{
};

// Counted into an element that already holds 80 points, 5.000 s, 1 success, 1 ride.
TEST_P(CountIntoOverallTest, AddsOneGoRound)
{
    const AddCountCase& c = GetParam();
    ResultRecord e = overall(9, 8000, 5000, 1, 1);
    CountIntoOverall(e, rec(9, c.score, c.time, c.status), c.scored);
    EXPECT_EQ(e.score, c.expectedScore);
    EXPECT_EQ(e.time, c.expectedTime);
    EXPECT_EQ(e.success, c.successes);
    EXPECT_EQ(e.ride, c.rides);
}

INSTANTIATE_TEST_SUITE_P(Statuses, CountIntoOverallTest,
                         ::testing::Values(AddCountCase{"N", 0, 6000, true, 8000, 11000, 1,
                                                        2}, // "N" times are summed too
                                           AddCountCase{"R", 7500, 4000, true, 15500, 9000, 2, 2},
                                           AddCountCase{"R", 0, 4000, true, 8000, 9000, 1, 2},
                                           AddCountCase{"", 8500, 6000, true, 16500, 11000, 2, 2},
                                           AddCountCase{"", 0, 0, true, 8000, 5000, 1, 1},
                                           // only scored events add scores
                                           AddCountCase{"", 8500, 6000, false, 8000, 11000, 2, 2},
                                           AddCountCase{"P", 0, 15000, false, 8000, 20000, 2, 2}));

TEST(OverallCount, SumsSaturate)
{
    ResultRecord e =
        overall(1, std::numeric_limits<quint32>::max() - 10, std::numeric_limits<quint32>::max(), 1, 1);
    CountIntoOverall(e, rec(1, 500, 5000), true);
    EXPECT_EQ(e.score, std::numeric_limits<quint32>::max());
    EXPECT_EQ(e.time, std::numeric_limits<quint32>::max());
}

TEST(OutputFlagsTest, ComparesWithTheHeldResult)
{
    ResultRecord held = rec(1, 8500, 12300);
    held.penalty = 5000;
    held.JR[0] = 4300;
    held.JS[0] = 4200;

    EXPECT_FALSE(CompareForOutputs(held, nullptr).scoreChanged);
    EXPECT_FALSE(CompareForOutputs(held, nullptr).timeChanged);
    EXPECT_FALSE(CompareForOutputs(held, &held).scoreChanged);
    EXPECT_FALSE(CompareForOutputs(held, &held).timeChanged);

    ResultRecord changed = held;
    changed.score = 8600;
    EXPECT_TRUE(CompareForOutputs(changed, &held).scoreChanged);
    EXPECT_FALSE(CompareForOutputs(changed, &held).timeChanged);
    changed.status = QStringLiteral("R"); // only a plain result changes the score shown
    EXPECT_FALSE(CompareForOutputs(changed, &held).scoreChanged);

    changed = held;
    changed.JS[3] = 100;
    EXPECT_TRUE(CompareForOutputs(changed, &held).scoreChanged);
    changed = held;
    changed.JR[2] = 100;
    EXPECT_TRUE(CompareForOutputs(changed, &held).scoreChanged);

    changed = held;
    changed.penalty = 10000;
    EXPECT_TRUE(CompareForOutputs(changed, &held).timeChanged);
    EXPECT_FALSE(CompareForOutputs(changed, &held).scoreChanged);
    changed = held;
    changed.time = 12400;
    EXPECT_TRUE(CompareForOutputs(changed, &held).timeChanged);
}

TEST(StatisticsRowTest, WritesTheRowText)
{
    ResultRecord r;
    r.key = makeEntryKey(12, 3);
    r.position = 2;
    r.score = 8550;
    r.time = 12300;
    r.success = 1;
    r.ride = 1;
    EXPECT_EQ(StatisticsRow(r),
              QStringLiteral("<row pos='2' ptId='12' score='8550' time='12300' suc='1' ride='1'/>"));
    r.time = std::numeric_limits<quint32>::max();
    EXPECT_TRUE(StatisticsRow(r).contains(QStringLiteral("time='4294967295'")));
}

} // namespace

// The one-number key agrees with the comparison for every pair it orders one
// way only, in all six standings: small values, statuses and round counts, so
// that ties, "no result" and missing rounds meet often.
TEST(StandingSortKey, AgreesWithTheComparisonForEveryPairItOrders)
{
    const StandingType types[] = {StandingType::ScoredGoRound,
                                  StandingType::TimedShortestFirstGoRound,
                                  StandingType::TimedLongestFirstGoRound,
                                  StandingType::ScoredOverall,
                                  StandingType::TimedShortestFirstOverall,
                                  StandingType::TimedLongestFirstOverall};
    std::vector<ResultRecord> records;
    for (const char* status : {"", "N", "R", "P"})
        for (quint32 value : {0u, 500u, 1000u})
            for (quint8 success : {quint8(0), quint8(1), quint8(3)})
                for (quint8 ride : {quint8(0), quint8(1), quint8(2), quint8(3)}) {
                    if (success > ride)
                        continue; // an overall element never has more successes than runs
                    ResultRecord r = overall(quint32(records.size()), value, value, success, ride);
                    r.status = QString::fromLatin1(status);
                    records.push_back(r);
                }
    for (StandingType type : types)
        for (quint8 rounds : {quint8(0), quint8(3)})
            for (const ResultRecord& a : records)
                for (const ResultRecord& b : records)
                    if (GoesBefore(type, rounds, a, b) && !GoesBefore(type, rounds, b, a)) {
                        ASSERT_LT(StandingSortKey(type, rounds, a), StandingSortKey(type, rounds, b))
                            << int(type) << " rounds " << int(rounds) << ": " << a.key << " before " << b.key;
                    }
}
