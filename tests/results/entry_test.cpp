#include "results/entrychecks.h"
#include "results/resultcell.h"
#include "results/scoreentry.h"
#include "results/timeentry.h"

#include <gtest/gtest.h>

namespace {

ScoringSettings scored(const char* judges, const char* mode, const char* fraction)
{
    ScoringSettings s;
    s.scoringKind = QStringLiteral("Scored");
    s.entryKind = QStringLiteral("Individual");
    s.goRounds = QStringLiteral("2");
    s.finals = QStringLiteral("10");
    s.judgeCount = QString::fromLatin1(judges);
    s.judgeMode = QString::fromLatin1(mode);
    s.fraction = QString::fromLatin1(fraction);
    return s;
}

ScoringSettings timed(const char* precision)
{
    ScoringSettings s;
    s.scoringKind = QStringLiteral("Timed");
    s.entryKind = QStringLiteral("Individual");
    s.goRounds = QStringLiteral("1");
    s.finals = QStringLiteral("10");
    s.precision = QString::fromLatin1(precision);
    s.ranking = QStringLiteral("Shortest to Longest");
    return s;
}

ResultRecord registered()
{
    ResultRecord r;
    r.key = (7u << 8) | 1u;
    return r;
}

struct TimeTextCase
{
    const char* text;
    int precision;
    const char* message; // "" passes
};

TEST(EntryChecks, TimeTextsWhileTyped)
{
    const TimeTextCase cases[] = {
        {"12.34", 2, ""},
        {" 9.50", 2, ""},
        {"1:05.3", 1, ""},
        {"12.345", 2, "Only 2 digit(s) is(are) acceptable for milliseconds."},
        {"1.2.3", 3, "Only 1 period is allowed in the time."},
        {"1.2:3", 3, "The colon can not be after the period."},
        {"1:2:3", 3, "Only 1 colon is allowed in the time."},
        {"1a.5", 3, "The control will only take digits, a period, or a colon as input"},
        {"123:01.0", 3, "Only 2 digits are acceptable for minutes."},
        {"61:01.0", 3, "Minutes can only be up to 59."},
        {"123.4", 3, "Only 2 digits are acceptable for seconds."},
        {"61.4", 3, "Seconds can only be up to 59."},
        {"1:234", 3, "Only 2 digits are acceptable for seconds."},
    };
    for (const TimeTextCase& c : cases)
        EXPECT_EQ(CheckTimeText(QString::fromLatin1(c.text), c.precision).message,
                  QString::fromLatin1(c.message))
            << c.text;

    EXPECT_EQ(CheckTimeComplete(QStringLiteral("1:5.3")).message,
              QStringLiteral("Two digits are required for the seconds."));
    EXPECT_EQ(CheckTimeComplete(QStringLiteral("12.")).message,
              QStringLiteral("At least 1 digit is required for the milliseconds."));
    EXPECT_TRUE(CheckTimeComplete(QStringLiteral("1:05.3")).ok());
}

TEST(EntryChecks, MarksByFractionAndHighestMark)
{
    EXPECT_EQ(CheckMarkText(QStringLiteral("26"), false, 25).message,
              QStringLiteral("The score cannot be over 25"));
    EXPECT_TRUE(CheckMarkText(QStringLiteral("26"), false, 50).ok());
    EXPECT_TRUE(CheckMarkText(QStringLiteral("25.0"), true, 25).ok());
    EXPECT_EQ(CheckMarkText(QStringLiteral("25.5"), true, 25).message,
              QStringLiteral("The score cannot be over 25"));
    EXPECT_EQ(CheckMarkText(QStringLiteral("2.5"), false, 25).message,
              QStringLiteral("The control will only take digits as input"));
    EXPECT_EQ(CheckMarkText(QStringLiteral("2x"), true, 25).message,
              QStringLiteral("The control will only take digits or a period as input"));
}

struct TotalsCase
{
    const char* name;
    const char* fraction;
    int riders[4];
    int stock[4]; // hundredths
    const char* riderTotal;
    const char* scoreTotal;
    quint32 stored;
};

// Four judges: two panels mark the same ride, so every sum is halved; a full
// event shows whole points.
TEST(ScoreEntry, FourJudgeTotals)
{
    const TotalsCase cases[] = {
        {"Full", "Full", {2100, 2200, 2100, 2200}, {2200, 2100, 2200, 2100}, "43", "86", 8600},
        {"FullTruncated", "Full", {2100, 2200, 2100, 2200}, {2200, 2100, 2200, 2000}, "43", "85", 8500},
        {"Fraction", "Fraction", {2100, 2200, 2100, 2200}, {2200, 2100, 2200, 2000}, "43.00", "85.50", 8550},
    };
    for (const TotalsCase& c : cases) {
        ScoreEntry e;
        e.selectEvent(scored("4", "Separate", c.fraction));
        ResultRecord r = registered();
        for (int j = 0; j < 4; ++j) {
            r.JR[j] = quint16(c.riders[j]);
            r.JS[j] = quint16(c.stock[j]);
        }
        e.load(r);
        e.setChanged(true);
        EXPECT_FALSE(e.prepareSave().has_value()) << c.name;
        EXPECT_EQ(e.riderTotal(), QString::fromLatin1(c.riderTotal)) << c.name;
        EXPECT_EQ(e.scoreTotal(), QString::fromLatin1(c.scoreTotal)) << c.name;
        EXPECT_EQ(e.record().score, c.stored) << c.name;
        EXPECT_EQ(e.record().success, 1) << c.name;
    }
}

// What the row of the other marks becomes when a field is left.
TEST(ScoreEntry, DerivationsWhenAFieldIsLeft)
{
    ScoreEntry subtotal;
    subtotal.selectEvent(scored("2", "Subtotal", "Full"));
    subtotal.load(registered());
    ASSERT_TRUE(subtotal.isMarkEnabled(ScoreEntry::Stock, 0));
    ASSERT_FALSE(subtotal.isMarkEnabled(ScoreEntry::Rider, 0));
    subtotal.typeMark(ScoreEntry::Stock, 0, QStringLiteral("22"));
    subtotal.typeMark(ScoreEntry::Subtotal, 0, QStringLiteral("44"));
    subtotal.leaveSubtotal();
    EXPECT_EQ(subtotal.markText(ScoreEntry::Rider, 0), QStringLiteral("22"));

    ScoreEntry combined;
    combined.selectEvent(scored("2", "Combined", "Fraction"));
    combined.load(registered());
    for (ScoreEntry::Row row : {ScoreEntry::Rider, ScoreEntry::Stock})
        EXPECT_FALSE(combined.isMarkEnabled(row, 0));
    EXPECT_TRUE(combined.isMarkEnabled(ScoreEntry::Subtotal, 1));
    EXPECT_FALSE(combined.isMarkEnabled(ScoreEntry::Subtotal, 2)); // two judges
    combined.typeMark(ScoreEntry::Subtotal, 0, QStringLiteral("43.5"));
    combined.leaveSubtotal();
    ASSERT_FALSE(combined.prepareSave().has_value());
    EXPECT_EQ(combined.record().JR[0], 4350); // the whole subtotal is the rider's
    EXPECT_EQ(combined.record().score, 4350u);

    ScoreEntry separate;
    separate.selectEvent(scored("1", "Separate", "Full"));
    separate.load(registered());
    separate.typeMark(ScoreEntry::Rider, 0, QStringLiteral("26"));
    EXPECT_TRUE(separate.checkMark(ScoreEntry::Rider, 0).ok()) << "one judge marks to 50";
    separate.typeMark(ScoreEntry::Stock, 0, QStringLiteral("24"));
    separate.leaveMark();
    EXPECT_EQ(separate.markText(ScoreEntry::Subtotal, 0), QStringLiteral("50"));
    EXPECT_EQ(separate.scoreTotal(), QStringLiteral("50"));
}

TEST(ScoreEntry, NoScoreTakesTheTimerTimeAndReRideToggles)
{
    ScoreEntry e;
    e.selectEvent(scored("2", "Separate", "Full"));
    ResultRecord r = registered();
    r.JR[0] = 2100;
    r.JS[0] = 2200;
    r.score = 4300;
    e.load(r);
    e.noScore(6400);
    EXPECT_EQ(e.record().status, QStringLiteral("N"));
    EXPECT_EQ(e.record().JR[0], 0);
    EXPECT_EQ(e.record().JS[0], 2200); // stock marks stay
    EXPECT_EQ(e.record().score, 0u);
    EXPECT_EQ(e.record().time, 6400u);
    EXPECT_FALSE(e.isMarkEnabled(ScoreEntry::Rider, 0));
    EXPECT_TRUE(e.isMarkEnabled(ScoreEntry::Stock, 0));
    e.noScore(9999);
    EXPECT_EQ(e.record().status, QString());
    EXPECT_EQ(e.record().time, 6400u); // a time once taken stays

    e.reride(false);
    EXPECT_EQ(e.record().status, QStringLiteral("R"));
    e.reride(false);
    EXPECT_EQ(e.record().status, QString());
    e.reride(true); // in "Edit Results" only taken off
    EXPECT_EQ(e.record().status, QString());
    EXPECT_TRUE(e.isChanged());
}

// The time bar: twice Penalty is ten seconds with "P"; a penalty cleared to 0
// takes the "P" off; No Time empties the times.
TEST(TimeEntry, PenaltiesAndNoTime)
{
    TimeEntry e;
    e.selectEvent(timed("0.01"));
    EXPECT_EQ(e.rideMask(), QStringLiteral("[ 0-9][0-9].[0-9][0-9]"));
    EXPECT_EQ(e.padWidth(), 5);
    ResultRecord r = registered();
    r.time = 9500;
    e.load(r);
    EXPECT_EQ(e.rideText(), QStringLiteral(" 9.50"));
    e.penalty();
    e.penalty();
    EXPECT_EQ(e.record().status, QStringLiteral("P"));
    EXPECT_EQ(e.record().penalty, 10000u);
    EXPECT_EQ(e.record().time, 19500u);
    EXPECT_EQ(e.totalText(), QStringLiteral("19.50"));

    e.type(TimeEntry::Penalty, QStringLiteral(" 0.0"));
    EXPECT_TRUE(e.leave(TimeEntry::Penalty).ok());
    EXPECT_EQ(e.record().status, QString());
    EXPECT_EQ(e.record().time, 9500u);

    e.type(TimeEntry::Ride, QStringLiteral("1:5.3"));
    EXPECT_EQ(e.leave(TimeEntry::Ride).message, QStringLiteral("Two digits are required for the seconds."));
    // Out of range only once complete: "90.00" is refused when the field is left.
    e.type(TimeEntry::Ride, QStringLiteral("90.00"));
    EXPECT_EQ(e.leave(TimeEntry::Ride).message, QStringLiteral("Seconds can only be up to 59."));
    e.type(TimeEntry::Ride, QStringLiteral(" 9.50"));
    EXPECT_TRUE(e.leave(TimeEntry::Ride).ok());

    e.noTime();
    EXPECT_FALSE(e.areTimesEnabled());
    ASSERT_FALSE(e.prepareSave().has_value());
    EXPECT_EQ(e.record().status, QStringLiteral("N"));
    EXPECT_EQ(e.record().time, 0u);
}

} // namespace

namespace {

TEST(ResultCell, TextsByKindAndStatus)
{
    ResultRecord r;
    r.position = 3;
    r.score = 8550;
    r.time = 8000;
    EXPECT_EQ(ResultCellText(r, true, true, QString()), QStringLiteral("  3      85.5      8.0"));
    r.setStatus(QStringLiteral("N"));
    EXPECT_EQ(ResultCellText(r, true, true, QString()), QStringLiteral("                   8.0"));
    EXPECT_EQ(ResultCellText(r, false, false, QStringLiteral("0.01")), QString());
    r.setStatus(QString());
    r.time = 17210;
    EXPECT_EQ(ResultCellText(r, false, false, QStringLiteral("0.01")), QStringLiteral("  3    17.21"));
    r.position = 0;
    EXPECT_EQ(ResultCellText(r, false, false, QStringLiteral("0.01")), QString()); // registered, not run
}

} // namespace
