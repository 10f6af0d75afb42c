// Random purses, schedules and standings (with ties, no-scores and entries
// that never ran): the money paid and the money kept always make the purse,
// to the cent, and a tie's members are paid the same but for the odd cents.
#include "payouts/eventpayout.h"

#include <gtest/gtest.h>
#include <random>

namespace {

class Random
{
public:
    explicit Random(quint32 seed) : m_gen(seed) {}
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_gen); }
    Cents amount(Cents high) { return std::uniform_int_distribution<Cents>(0, high)(m_gen); }
    bool chance(int percent) { return between(1, 100) <= percent; }

    // count shares of at least 1 hundredth adding up to 100 %.
    QVector<int> shares(int count)
    {
        QVector<int> cuts{0, WholeShare};
        while (cuts.size() < count + 1) {
            const int c = between(1, WholeShare - 1);
            if (!cuts.contains(c))
                cuts << c;
        }
        std::sort(cuts.begin(), cuts.end());
        QVector<int> out;
        for (int i = 1; i < cuts.size(); ++i)
            out << cuts.at(i) - cuts.at(i - 1);
        return out;
    }

    // A standing numbered as the program numbers one: equal results next to
    // each other share a position (1, 2, 2, 4); no-scores have none.
    QVector<Placing> standing(int entries)
    {
        QVector<int> values;
        for (int i = 0; i < entries; ++i)
            values << (chance(20) ? 0 : between(1, 6)); // few values: many ties
        std::sort(values.begin(), values.end(), std::greater<int>());
        QVector<Placing> out;
        int position = 0;
        for (int i = 0; i < entries; ++i) {
            Placing p;
            p.key = makeEntryKey(quint32(i + 1), 1);
            if (values.at(i) > 0 && (i == 0 || values.at(i) != values.at(i - 1)))
                position = i + 1;
            p.position = values.at(i) > 0 ? position : 0;
            p.qualified = p.position > 0;
            p.competed = p.qualified || chance(70);
            p.runningOrder = between(1, 1000);
            out << p;
        }
        return out;
    }

private:
    std::mt19937 m_gen;
};

} // namespace

TEST(PayoutsProperty, PaidAndKeptAlwaysMakeThePurse)
{
    Random random(20260704);
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        EventPayoutInput in;
        in.eventName = QStringLiteral("Event");
        const int entries = random.between(0, 60);
        in.purse.addedMoney = random.amount(5'000'000);
        in.purse.entryFee = random.amount(30'000);
        in.purse.paidEntries = entries;
        in.purse.deductionShare = random.chance(50) ? random.between(0, 2500) : 0;
        in.purse.deductionFixed = random.chance(30) ? random.amount(50'000) : 0;
        in.ground = random.chance(50) ? GroundMoney::Split : GroundMoney::Kept;
        in.team = random.chance(20);

        in.schedule.name = QStringLiteral("Random");
        int from = 1;
        while (from <= 60) {
            ScheduleBand band;
            band.fromEntries = from;
            band.toEntries = random.chance(20) ? 0 : from + random.between(0, 15);
            band.shares = random.shares(random.between(1, 12));
            in.schedule.bands << band;
            if (band.toEntries == 0)
                break;
            from = band.toEntries + 1;
        }
        if (in.schedule.bands.last().toEntries != 0)
            in.schedule.bands.last().toEntries = 0;

        const int goRounds = random.between(1, 4);
        const QVector<int> split = random.shares(goRounds + 2);
        in.split.goRounds = split.mid(0, goRounds);
        in.split.average = split.at(goRounds);
        in.split.finalRound = split.at(goRounds + 1);
        for (int g = 0; g < goRounds; ++g)
            in.goRounds << random.standing(entries);
        in.average = random.standing(entries);
        in.finalRound = random.standing(std::min(entries, random.between(0, 10)));

        const EventPayout e = EventPayouts::compute(in);
        ASSERT_EQ(e.paid() + e.kept(), e.purse.purse);
        Cents partMoney = 0;
        for (const EventPart& part : e.parts) {
            partMoney += part.payout.money;
            ASSERT_EQ(part.payout.paid() + part.payout.kept, part.payout.money);
            Cents placeMoney = 0;
            for (Cents m : part.payout.placeMoney)
                placeMoney += m;
            ASSERT_EQ(placeMoney, part.payout.money);
            for (const PaidLine& l : part.payout.lines) {
                ASSERT_GE(l.amount, 0);
                // Everyone of a tie gets the same, the first in running order
                // the cents that did not divide.
                ASSERT_EQ(l.amount, l.groupMoney / l.tiedWith + (l.oddCents ? l.groupMoney % l.tiedWith : 0));
            }
        }
        if (e.canPay()) {
            ASSERT_EQ(partMoney, e.purse.purse);
        }
    }
}
