// Payouts worked by hand: the purse arithmetic, the split, ties shared across
// the cut of paid places, ground money, a team event; and the amounts typed
// and the schedules refused.
#include "payouts/chequelist.h"
#include "payouts/eventpayout.h"
#include "payouts/payoutforms.h"

#include <QMap>
#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

ScheduleBand line(int from, int to, std::initializer_list<int> percents)
{
    ScheduleBand b;
    b.fromEntries = from;
    b.toEntries = to;
    for (int p : percents)
        b.shares << p * 100;
    return b;
}

PayoutSchedule standard()
{
    return PayoutSchedules::builtIn().first();
}

// An entry of a standing: position 0 with competed for a no-score.
Placing at(quint32 id, int position, int runningOrder, bool competed = true)
{
    Placing p;
    p.key = makeEntryKey(id, 1);
    p.position = position;
    p.qualified = position > 0;
    p.competed = competed || position > 0;
    p.runningOrder = runningOrder;
    return p;
}

EventPayoutInput oneGoRound(Cents added, Cents fee, int entries, QVector<Placing> standing)
{
    EventPayoutInput in;
    in.eventId = QStringLiteral("SB");
    in.eventName = QStringLiteral("Saddle Bronc");
    in.purse.addedMoney = added;
    in.purse.entryFee = fee;
    in.purse.paidEntries = entries;
    in.split = PurseSplit::defaults(1);
    in.schedule = standard();
    in.goRounds = {standing};
    in.average = standing;
    return in;
}

// What each entry (by contestant id) is paid.
QMap<quint32, Cents> amounts(const EventPayout& e)
{
    QMap<quint32, Cents> out;
    const auto byEntry = e.byEntry();
    for (auto it = byEntry.cbegin(); it != byEntry.cend(); ++it)
        out[entryKeyId(it.key())] += it.value();
    return out;
}

} // namespace

TEST(Payouts, HandWorkedEvents)
{
    struct Case
    {
        const char* name;
        EventPayoutInput input;
        Cents purse;
        QMap<quint32, Cents> paid;
        Cents kept;
    };
    QVector<Case> cases;

    // 500.00 added, 8 x 50.00 fees: 900.00 by 50 / 30 / 20.
    cases.append({"small purse",
                  oneGoRound(50000, 5000, 8, {at(1, 2, 1), at(2, 1, 2), at(3, 3, 3), at(4, 4, 4)}),
                  90000,
                  {{2, 45000}, {1, 27000}, {3, 18000}},
                  0});

    // 10,000.00 added, 95 x 125.00 = 21,875.00; 6 % (1,312.50) and 250.00 off:
    // 20,312.50, split 25 / 25 / 50 into 5,078.12 twice and 10,156.26 (the
    // cent left over to the largest share). Ten places in the average,
    // 21 % of 10,156.26 = 2,132.81 and the 4 cents the places leave over.
    {
        EventPayoutInput in;
        in.eventName = QStringLiteral("Tie Down Roping");
        in.purse = {1000000, 12500, 95, 600, 25000};
        in.split = PurseSplit::defaults(2);
        in.schedule = standard();
        QVector<Placing> average;
        for (quint32 id = 1; id <= 12; ++id)
            average << at(id, int(id), int(id));
        in.goRounds = {{at(1, 1, 1)}, {at(2, 1, 1)}};
        in.average = average;
        cases.append({"large purse with deductions",
                      in,
                      2031250,
                      {{1, 507812 + 213285},
                       {2, 507812 + 172656},
                       {3, 142187},
                       {4, 121875},
                       {5, 101562},
                       {6, 81250},
                       {7, 60937},
                       {8, 50781},
                       {9, 40625},
                       {10, 30468}},
                      0});
    }

    // 1,000.00 by 40 / 30 / 20 / 10 (11 entries): three tied for third
    // occupy places 3 to 5; places 3 and 4 (300.00) are shared by the three,
    // the fifth place is past the cut.
    cases.append({"tie across the cut",
                  oneGoRound(100000, 0, 11,
                             {at(1, 1, 5), at(2, 2, 4), at(3, 3, 3), at(4, 3, 2), at(5, 3, 1), at(6, 6, 6)}),
                  100000,
                  {{1, 40000}, {2, 30000}, {3, 10000}, {4, 10000}, {5, 10000}},
                  0});

    // 100.00 by 50 / 30 / 20: three tied for first share 100.00; the odd
    // cent goes to the first of them to run (id 3, running order 1).
    cases.append({"three-way tie",
                  oneGoRound(10000, 0, 6, {at(1, 1, 3), at(2, 1, 2), at(3, 1, 1), at(4, 4, 4)}),
                  10000,
                  {{3, 3334}, {2, 3333}, {1, 3333}},
                  0});

    // 600.00 by 50 / 30 / 20: one qualified, two no-scores, one who never
    // ran. Places 2 and 3 (300.00) are ground money, split among the three who
    // competed; or kept.
    {
        const QVector<Placing> standing{at(1, 0, 1), at(2, 1, 2), at(3, 0, 3), at(4, 0, 4, false)};
        EventPayoutInput split = oneGoRound(60000, 0, 7, standing);
        cases.append({"fewer qualified than places, split",
                      split,
                      60000,
                      {{1, 10000}, {2, 30000 + 10000}, {3, 10000}},
                      0});
        EventPayoutInput kept = split;
        kept.ground = GroundMoney::Kept;
        cases.append({"fewer qualified than places, kept", kept, 60000, {{2, 30000}}, 30000});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EventPayout e = EventPayouts::compute(c.input);
        ASSERT_TRUE(e.canPay()) << e.problems.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(e.purse.purse, c.purse);
        EXPECT_EQ(amounts(e), c.paid);
        EXPECT_EQ(e.kept(), c.kept);
        EXPECT_EQ(e.paid() + e.kept(), e.purse.purse);
    }
}

TEST(Payouts, TheSheetShowsHowATieWasShared)
{
    const EventPayout e =
        EventPayouts::compute(oneGoRound(10000, 0, 6, {at(1, 1, 3), at(2, 1, 2), at(3, 1, 1), at(4, 4, 4)}));
    ASSERT_EQ(e.parts.size(), 1);
    const QVector<PaidLine>& lines = e.parts.first().payout.lines;
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(entryKeyId(lines.at(0).key), 3u);
    EXPECT_TRUE(lines.at(0).oddCents);
    EXPECT_FALSE(lines.at(1).oddCents);
    for (const PaidLine& l : lines) {
        EXPECT_EQ(l.firstPlace, 1);
        EXPECT_EQ(l.lastPlace, 3);
        EXPECT_EQ(l.tiedWith, 3);
        EXPECT_EQ(l.groupShare, 10000);
        EXPECT_EQ(l.groupMoney, 10000);
    }
}

TEST(Payouts, ATeamsShareGoesToEachMember)
{
    EventPayoutInput in = oneGoRound(40000, 10000, 6, {at(1, 1, 2), at(2, 2, 1), at(3, 0, 3)});
    in.team = true;
    const EventPayout e = EventPayouts::compute(in);
    ASSERT_TRUE(e.canPay());
    // 400.00 + 6 teams x 100.00 per roper = 1,000.00 per roper: 500 / 300 / 200,
    // the third place ground money among the three teams that competed.
    EXPECT_EQ(e.purse.purse, 100000);
    const QMap<quint32, QVector<quint32>> teams{{1, {11, 12}}, {2, {21, 22}}, {3, {31, 32}}};
    const QVector<ChequeLine> cheques = ChequeList::build(
        {e}, [&](const EventPayout&, EntryKey key) { return teams.value(entryKeyId(key)); });
    QMap<quint32, Cents> byContestant;
    for (const ChequeLine& c : cheques)
        byContestant[c.plrId] = c.total;
    const Cents ground = 20000 / 3;
    EXPECT_EQ(byContestant, (QMap<quint32, Cents>{{11, 50000 + ground},
                                                  {12, 50000 + ground},
                                                  {21, 30000 + ground + 20000 % 3},
                                                  {22, 30000 + ground + 20000 % 3},
                                                  {31, ground},
                                                  {32, ground}}));
}

TEST(Payouts, AnEventThatCannotBePaidSaysWhy)
{
    struct Case
    {
        const char* name;
        std::function<void(EventPayoutInput&)> change;
        const char* problem;
    };
    const Case cases[] = {
        {"deductions over the money taken in", [](EventPayoutInput& in) { in.purse.deductionFixed = 100001; },
         "The deductions (1,000.01) are more than the money taken in (1,000.00)."},
        {"a go-round with no results",
         [](EventPayoutInput& in) {
             in.split = PurseSplit::defaults(2);
             in.goRounds << QVector<Placing>{at(1, 0, 1, false)};
         },
         "Go-Round 2 of Saddle Bronc has no results yet."},
        {"no line for the entries", [](EventPayoutInput& in) { in.schedule.bands = {line(1, 5, {100})}; },
         "The schedule \"Standard\" has no line for 8 entries."},
        {"split short of 100 %", [](EventPayoutInput& in) { in.split.average = 9000; },
         "The go-rounds, the average and the final get 90 % of the purse, not 100 %."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EventPayoutInput in = oneGoRound(100000, 0, 8, {at(1, 1, 1)});
        c.change(in);
        const EventPayout e = EventPayouts::compute(in);
        EXPECT_FALSE(e.canPay());
        EXPECT_TRUE(e.problems.contains(QString::fromUtf8(c.problem)))
            << e.problems.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(e.paid() + e.kept(), e.purse.purse);
    }
}

TEST(Payouts, TypedAmountsAndPercentages)
{
    const struct
    {
        const char* text;
        bool ok;
        Cents cents;
        const char* why;
    } money[] = {
        {"1,250", true, 125000, ""},
        {" $75.5 ", true, 7550, ""},
        {".05", true, 5, ""},
        {"0", true, 0, ""},
        {"-5", false, 0, "An amount cannot be negative."},
        {"12,5", false, 0, "\"12,5\" is not an amount of money."},
        {"abc", false, 0, "\"abc\" is not an amount of money."},
        {"1.005", false, 0, "An amount has at most two decimals (cents)."},
        {"", false, 0, "An amount is needed."},
        {"100000000", false, 0, "The amount is larger than 99,999,999.99."},
    };
    for (const auto& c : money) {
        SCOPED_TRACE(c.text);
        Cents out = -1;
        QString why;
        EXPECT_EQ(Money::parse(QString::fromUtf8(c.text), out, &why), c.ok);
        if (c.ok) {
            EXPECT_EQ(out, c.cents);
        }
        EXPECT_EQ(why, QString::fromUtf8(c.why));
    }
    EXPECT_EQ(Money::format(123456789), QStringLiteral("1,234,567.89"));
    EXPECT_EQ(Money::format(-5), QStringLiteral("-0.05"));

    // Earnings texts as they are stored: read when they are plainly money.
    const struct
    {
        const char* text;
        bool ok;
        Cents cents;
    } earnings[] = {{"", true, 0},
                    {"$12,345", true, 1234500},
                    {"812.5", true, 81250},
                    {"n/a", false, 0},
                    {"-20", false, 0}};
    for (const auto& c : earnings) {
        Cents out = -1;
        EXPECT_EQ(Money::parseEarnings(QString::fromUtf8(c.text), out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.cents) << c.text;
        }
    }
    EXPECT_EQ(Money::formatEarnings(1234500), QStringLiteral("12345"));
    EXPECT_EQ(Money::formatEarnings(81205), QStringLiteral("812.05"));

    int share = -1;
    QString why;
    EXPECT_TRUE(Percent::parse(QStringLiteral("33.33 %"), share));
    EXPECT_EQ(share, 3333);
    EXPECT_FALSE(Percent::parse(QStringLiteral("100.5"), share, &why));
    EXPECT_EQ(why, QStringLiteral("A percentage cannot be over 100."));
    EXPECT_EQ(Percent::format(1250), QStringLiteral("12.5"));
}

TEST(Payouts, SchedulesAreRefusedWithTheLineThatIsOff)
{
    for (const PayoutSchedule& s : PayoutSchedules::builtIn())
        EXPECT_EQ(s.check(), QString()) << s.name.toStdString();

    const struct
    {
        const char* name;
        QVector<ScheduleBand> bands;
        const char* fault;
    } cases[] = {
        {"over 100 %",
         {line(1, 5, {100}), line(6, 10, {50, 40, 20})},
         "Line 2 (6-10 entries): the percentages add up to 110 %, not 100 %."},
        {"a gap",
         {line(1, 5, {100}), line(8, 0, {60, 40})},
         "Line 2 (8 and more entries): 6 to 7 entries are on no line."},
        {"an overlap",
         {line(1, 5, {100}), line(5, 9, {60, 40})},
         "Line 2 (5-9 entries): it overlaps the line before."},
        {"not from 1", {line(2, 5, {100})}, "Line 1 (2-5 entries): the first line starts at 1 entry."},
        {"open before the end",
         {line(1, 0, {100}), line(6, 9, {60, 40})},
         "Line 1 (1 and more entries): only the last line can be open-ended."},
    };
    for (const auto& c : cases) {
        PayoutSchedule s;
        s.name = QStringLiteral("Mine");
        s.bands = c.bands;
        EXPECT_EQ(s.check(), QString::fromUtf8(c.fault)) << c.name;
    }

    QVector<int> shares;
    QString why;
    ASSERT_TRUE(PayoutSchedules::parseShares(QStringLiteral("50/30, 20 %"), shares));
    EXPECT_EQ(shares, (QVector<int>{5000, 3000, 2000}));
    EXPECT_FALSE(PayoutSchedules::parseShares(QStringLiteral("50 x 20"), shares, &why));
    EXPECT_EQ(why, QStringLiteral("\"x\" is not a percentage."));
}

TEST(Payouts, FormsNameTheFieldThatIsOff)
{
    PurseFormTexts good;
    good.addedMoney = QStringLiteral("1,000");
    good.entryFee = QStringLiteral("75");
    good.deductionPercent = QStringLiteral("5");
    good.goRounds = {QStringLiteral("25"), QStringLiteral("25")};
    good.average = QStringLiteral("50");
    PurseSettings purse;
    PurseSplit split;
    ASSERT_TRUE(PayoutForms::readPurse(good, 12, purse, split));
    EXPECT_EQ(purse, (PurseSettings{100000, 7500, 12, 500, 0}));
    EXPECT_EQ(split, PurseSplit::defaults(2));

    const struct
    {
        std::function<void(PurseFormTexts&)> change;
        const char* why;
    } cases[] = {
        {[](PurseFormTexts& t) { t.entryFee = QStringLiteral("-50"); },
         "Entry fee: an amount cannot be negative."},
        {[](PurseFormTexts& t) { t.entryFee = QStringLiteral("fifty"); },
         "Entry fee: \"fifty\" is not an amount of money."},
        {[](PurseFormTexts& t) {
             t.entriesCounted = false;
             t.paidEntries = QStringLiteral("ten");
         },
         "Paid entries: \"ten\" is not a whole number."},
        {[](PurseFormTexts& t) { t.goRounds[1] = QStringLiteral("35"); },
         "The go-rounds, the average and the final get 110 % of the purse, not 100 %."},
        {[](PurseFormTexts& t) { t.average = QStringLiteral("half"); },
         "Average: \"half\" is not a percentage."},
    };
    for (const auto& c : cases) {
        PurseFormTexts t = good;
        c.change(t);
        QString why;
        EXPECT_FALSE(PayoutForms::readPurse(t, 12, purse, split, &why));
        EXPECT_EQ(why, QString::fromUtf8(c.why));
        EXPECT_EQ(purse, (PurseSettings{100000, 7500, 12, 500, 0})) << "changed by a refused form";
    }

    PayoutSchedule s;
    QString why;
    EXPECT_FALSE(PayoutForms::readSchedule(QStringLiteral("Mine"),
                                           {{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("100")},
                                            {QStringLiteral("6"), QString(), QStringLiteral("60 30")}},
                                           s, &why));
    EXPECT_EQ(why, QStringLiteral("Line 2 (6 and more entries): the percentages add up to 90 %, not 100 %."));
}
