// The stock draw: each animal once per go-round, nobody on an animal he had
// before while another can be freed for him, and a pen too small named.
#include "draw/stockdraw.h"

#include <QSet>
#include <functional>
#include <gtest/gtest.h>

using namespace Draw;

namespace {

EntryKey key(quint32 person)
{
    return makeEntryKey(person, 1);
}

StockDrawInput pen(int riders, QVector<quint32> animals)
{
    StockDrawInput in;
    for (quint32 p = 1; p <= quint32(riders); ++p)
        in.riders.append(Rider{key(p), p});
    in.animals = animals;
    return in;
}

quint32 animalOf(const StockDrawResult& r, EntryKey k)
{
    for (const auto& [rider, animal] : r.drawn)
        if (rider == k)
            return animal;
    return 0xFFFFFFFF;
}

struct StockCase
{
    const char* name;
    std::function<StockDrawInput()> make;
    int repeated;
    int withoutAnimal;
    std::function<void(const StockDrawResult&)> check;
};

} // namespace

TEST(StockDraw, Rules)
{
    const StockCase cases[] = {
        {"every rider an animal of the pen, none twice",
         [] {
             return pen(5, {11, 12, 13, 14, 15, 16});
         },
         0,
         0,
         {}},
        {"an animal he had is never drawn while another can be freed",
         [] {
             // Each rider had the animal of his number: every draw is a derangement.
             auto in = pen(6, {1, 2, 3, 4, 5, 6});
             for (quint32 p = 1; p <= 6; ++p)
                 in.hadBefore[p] = {p};
             return in;
         },
         0, 0,
         [](const StockDrawResult& r) {
             for (quint32 p = 1; p <= 6; ++p)
                 EXPECT_NE(animalOf(r, key(p)), p);
         }},
        {"freeing an animal for him moves another rider",
         [] {
             // Rider 1 may only have 2; the greedy pass may give 2 to rider 2.
             auto in = pen(2, {1, 2});
             in.hadBefore[1] = {1};
             return in;
         },
         0, 0,
         [](const StockDrawResult& r) {
             EXPECT_EQ(animalOf(r, key(1)), 2u);
         }},
        {"an animal he had when no other is left, and said so",
         [] {
             auto in = pen(2, {1, 2});
             in.hadBefore[1] = {1, 2};
             return in;
         },
         1,
         0,
         {}},
        {"a pen too small leaves riders without an animal",
         [] {
             return pen(4, {7, 8, 7, 0});
         },
         0, 2,
         [](const StockDrawResult& r) {
             int none = 0;
             for (const auto& d : r.drawn)
                 none += d.second == 0;
             EXPECT_EQ(none, 2);
         }},
    };
    for (const StockCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StockDrawInput in = c.make();
        for (quint64 seed = 1; seed <= 60; ++seed) {
            DrawRandom random(seed);
            const StockDrawResult r = drawStock(in, random);
            ASSERT_EQ(r.drawn.size(), in.riders.size());
            QSet<quint32> used;
            for (const auto& [rider, animal] : r.drawn) {
                if (animal == 0)
                    continue;
                EXPECT_TRUE(in.animals.contains(animal));
                EXPECT_FALSE(used.contains(animal)) << "animal " << animal << " twice";
                used.insert(animal);
            }
            EXPECT_EQ(r.repeated.size(), c.repeated);
            EXPECT_EQ(r.withoutAnimal.size(), c.withoutAnimal);
            if (c.check)
                c.check(r);
            if (::testing::Test::HasFailure())
                return;
        }
    }
}
