// Whether the draws are fair: over 20,000 seeded draws every contestant's
// performance and running position, and every rider's animal, is uniform by
// a chi-square test. The seeds are fixed (1 to 20,000), so the test is
// stable; the bound is the 0.1 % point of the chi-square distribution with
// 11 degrees of freedom (12 equally likely outcomes).
#include "draw/performancedraw.h"
#include "draw/stockdraw.h"

#include <array>
#include <gtest/gtest.h>

using namespace Draw;

namespace {

constexpr int kDraws = 20000;
constexpr double kChiSquare11At001 = 31.264;

double chiSquare(const std::array<int, 12>& observed, double expected)
{
    double sum = 0;
    for (int o : observed)
        sum += (o - expected) * (o - expected) / expected;
    return sum;
}

} // namespace

TEST(Fairness, TwelveContestantsIntoThreePerformancesOfFour)
{
    PerformanceDrawInput in;
    in.eventId = QStringLiteral("BB");
    in.performances = {{1, 4}, {2, 4}, {3, 4}};
    for (quint32 p = 1; p <= 12; ++p)
        in.entries.append(Entry{makeEntryKey(p, 1), {p}});
    // counts[contestant][(performance - 1) * 4 + position - 1]
    std::array<std::array<int, 12>, 12> counts{};
    for (quint64 seed = 1; seed <= kDraws; ++seed) {
        DrawRandom random(seed);
        const PerformanceDrawResult r = drawPerformances(in, random);
        ASSERT_EQ(r.placements.size(), 12);
        for (const Placement& p : r.placements)
            ++counts[entryKeyId(p.key) - 1][(p.perf - 1) * 4 + p.ord - 1];
    }
    for (int c = 0; c < 12; ++c)
        EXPECT_LT(chiSquare(counts[c], kDraws / 12.0), kChiSquare11At001) << "contestant " << c + 1;
}

TEST(Fairness, TwelveRidersOnTwelveAnimals)
{
    StockDrawInput in;
    for (quint32 p = 1; p <= 12; ++p) {
        in.riders.append(Rider{makeEntryKey(p, 1), p});
        in.animals.append(100 + p);
    }
    std::array<std::array<int, 12>, 12> counts{};
    for (quint64 seed = 1; seed <= kDraws; ++seed) {
        DrawRandom random(seed);
        const StockDrawResult r = drawStock(in, random);
        for (const auto& [rider, animal] : r.drawn)
            ++counts[entryKeyId(rider) - 1][animal - 101];
    }
    for (int c = 0; c < 12; ++c)
        EXPECT_LT(chiSquare(counts[c], kDraws / 12.0), kChiSquare11At001) << "rider " << c + 1;
}
