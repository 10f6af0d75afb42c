// The timing console's feed read block by block: the running time, a timed
// result, judges' marks, the clock's message, and what is ignored; then the
// same feed over a UDP port and replayed from a file port.
#include "io/timerinput.h"
#include "io/timermailbox.h"
#include "io/timersink.h"
#include "iotesthelpers.h"
#include "platform/stream/rtdprotocol.h"

#include <QFile>
#include <QThread>
#include <QUdpSocket>
#include <climits>
#include <vector>

namespace {

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Records what the timer input hands over, as the main window would queue it.
class RecordingSink : public TimerSink
{
public:
    void postRunningTime(const QString& text) override
    {
        QMutexLocker lock(&mutex);
        runningTimes << text;
    }
    void saveTimerResult(const RegEntry& entry, const ResultRecord& record) override
    {
        QMutexLocker lock(&mutex);
        saves.push_back({entry, record});
    }
    void showClockMessage(const QString& text) override
    {
        QMutexLocker lock(&mutex);
        clock << text;
    }
    std::size_t saveCount()
    {
        QMutexLocker lock(&mutex);
        return saves.size();
    }
    ResultRecord lastSaved()
    {
        QMutexLocker lock(&mutex);
        return saves.empty() ? ResultRecord() : saves.back().second;
    }

    QMutex mutex;
    QStringList runningTimes;
    QStringList clock;
    std::vector<std::pair<RegEntry, ResultRecord>> saves;
};

struct Field
{
    int at;
    const char* text;
};

struct Block
{
    int offset;
    QString text;
};

// The fields at their image positions, blanks between, from the first field
// to the end of the last.
Block block(std::initializer_list<Field> fields)
{
    int from = INT_MAX;
    int to = 0;
    for (const Field& f : fields) {
        from = qMin(from, f.at);
        to = qMax(to, f.at + int(qstrlen(f.text)));
    }
    QString text(to - from, QLatin1Char(' '));
    for (const Field& f : fields)
        text.replace(f.at - from, int(qstrlen(f.text)), QString::fromLatin1(f.text));
    return {from, text};
}

// The whole image with these fields.
Block image(std::initializer_list<Field> fields)
{
    Block b = block(fields);
    QString text(TimerFeed::ImageLength, QLatin1Char(' '));
    text.replace(b.offset, b.text.size(), b.text);
    return {0, text};
}

ScoringSettings timed()
{
    ScoringSettings s;
    s.scoringKind = ScoringTimed;
    s.entryKind = EntryIndividual;
    s.goRounds = QStringLiteral("1");
    s.precision = PrecisionHundredths;
    s.ranking = RankingShortestFirst;
    return s;
}

ScoringSettings scored(const char* judges, QLatin1StringView mode, QLatin1StringView fraction = FractionFull)
{
    ScoringSettings s;
    s.scoringKind = ScoringScored;
    s.entryKind = EntryIndividual;
    s.goRounds = QStringLiteral("1");
    s.judgeCount = QString::fromLatin1(judges);
    s.judgeMode = mode;
    s.fraction = fraction;
    s.precision = PrecisionTenths;
    return s;
}

constexpr quint32 Rider = 7;

TimerSnapshot snapshot(const ScoringSettings& event, ResultRecord stored = {}, quint32 ptId = Rider)
{
    TimerSnapshot s;
    s.entry.eventId = event.isScored() ? QStringLiteral("SB") : QStringLiteral("BR");
    s.entry.goRound = 1;
    s.entry.perf = 1;
    s.entry.ptId = ptId;
    s.scoring = event;
    stored.key = makeEntryKey(ptId, 1);
    s.stored = stored;
    return s;
}

ResultRecord withStatus(const char* status, quint32 time = 0, quint32 penalty = 0)
{
    ResultRecord r;
    r.setStatus(QString::fromLatin1(status));
    r.time = time;
    r.penalty = penalty;
    return r;
}

ResultRecord withMarks(std::array<quint16, 4> jr, std::array<quint16, 4> js, const char* status = "")
{
    ResultRecord r;
    std::copy(jr.begin(), jr.end(), r.JR);
    std::copy(js.begin(), js.end(), r.JS);
    r.setStatus(QString::fromLatin1(status));
    return r;
}

struct Expected
{
    quint32 time = 0;
    quint32 penalty = 0;
    const char* status = "";
    quint32 score = 0;
    std::array<quint16, 4> jr{};
    std::array<quint16, 4> js{};
};

struct FeedCase
{
    const char* name;
    ScoringSettings event;
    ResultRecord stored;
    std::vector<Block> blocks;
    std::size_t saves;           // results handed over
    Expected last;               // the last of them
    const char* clock = nullptr; // the clock's last message, when one was shown
};

void PrintTo(const FeedCase& c, std::ostream* os)
{
    *os << c.name;
}

class TimerFeedTable : public ::testing::TestWithParam<FeedCase>
{
};

// The clock seen running: a run begins for whoever is current.
std::vector<Block> runThen(std::initializer_list<Block> after)
{
    std::vector<Block> blocks{block({{0, "    0.10 "}, {27, " "}}), block({{0, "    3.10 "}, {27, " "}})};
    blocks.insert(blocks.end(), after);
    return blocks;
}

// The console's blank image, then what the judges send.
std::vector<Block> marksThen(std::initializer_list<Block> after)
{
    std::vector<Block> blocks{image({})};
    blocks.insert(blocks.end(), after);
    return blocks;
}

} // namespace

TEST_P(TimerFeedTable, TakesWhatTheConsoleFinished)
{
    const FeedCase& c = GetParam();
    TimerInput timer;
    RecordingSink sink;
    timer.setSink(&sink);
    timer.publishSnapshot(snapshot(c.event, c.stored));
    for (const Block& b : c.blocks)
        timer.OnData(b.text, b.offset);

    ASSERT_EQ(sink.saves.size(), c.saves);
    EXPECT_EQ(timer.ignoredBlocks(), 0);
    if (c.saves > 0) {
        const ResultRecord r = sink.lastSaved();
        EXPECT_EQ(sink.saves.back().first.ptId, Rider);
        EXPECT_EQ(r.key, makeEntryKey(Rider, 1));
        EXPECT_EQ(r.time, c.last.time);
        EXPECT_EQ(r.penalty, c.last.penalty);
        EXPECT_EQ(r.status, QString::fromLatin1(c.last.status));
        EXPECT_EQ(r.score, c.last.score);
        EXPECT_EQ(r.success, c.last.score != 0 ? 1 : 0) << "scored events only";
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(r.JR[j], c.last.jr[std::size_t(j)]) << "JR" << j + 1;
            EXPECT_EQ(r.JS[j], c.last.js[std::size_t(j)]) << "JS" << j + 1;
        }
    }
    if (c.clock) {
        ASSERT_FALSE(sink.clock.isEmpty());
        EXPECT_EQ(sink.clock.last(), QString::fromLatin1(c.clock));
    } else {
        EXPECT_TRUE(sink.clock.isEmpty()) << sink.clock.join(QLatin1Char('|')).toStdString();
    }
}

// Timed results carry no success flag from the console: the table's success
// check holds for them because their score stays 0.
INSTANTIATE_TEST_SUITE_P(
    Timed, TimerFeedTable,
    ::testing::Values(
        FeedCase{"RunTimeAloneKeepsThePenaltyOfTheRun",
                 timed(),
                 {},
                 runThen({image({{230, " 12.00"}, {239, "  5.0"}}), block({{230, " 12.34   "}})}),
                 2,
                 {17340, 5000, "P"}},
        FeedCase{"ANewRunStartsWithoutTheLastOnesPenalty",
                 timed(),
                 withStatus("P", 17000, 5000),
                 runThen({block({{230, " 12.34   "}})}),
                 1,
                 {12340}},
        FeedCase{"MinutesAreRead", timed(), {}, runThen({block({{230, " 1:02.345"}})}), 1, {102345}},
        FeedCase{
            "TrailingSpacesAreNotDigits", timed(), {}, runThen({block({{230, "12.3     "}})}), 1, {12300}},
        FeedCase{"TrailingSpacesAfterWholeSeconds",
                 timed(),
                 {},
                 runThen({block({{230, "12       "}})}),
                 1,
                 {12000}},
        FeedCase{
            "PenaltyIsAddedOnce",
            timed(),
            {},
            runThen({image({{230, " 12.34"}, {239, "  5.0"}}), image({{230, " 12.34"}, {239, "  5.0"}})}),
            1,
            {17340, 5000, "P"}},
        FeedCase{
            "ClearedPenaltyComesOffWhenItIsAllTheResultHolds",
            timed(),
            {},
            runThen({image({{230, " 12.34"}, {239, "  5.0"}}), image({{230, " 12.34"}, {239, "  0.0"}})}),
            2,
            {12340, 0, ""}},
        FeedCase{"ABlankPenaltyClearsItToo",
                 timed(),
                 {},
                 runThen({image({{230, " 12.34"}, {239, "  5.0"}}), image({{230, " 12.34"}})}),
                 2,
                 {12340, 0, ""}},
        FeedCase{
            "PenaltyRaisedWithoutPassingZeroIsTheNewOne",
            timed(),
            {},
            runThen({image({{230, " 12.34"}, {239, "  5.0"}}), image({{230, " 12.34"}, {239, " 10.0"}})}),
            2,
            {22340, 10000, "P"}},
        FeedCase{"PenaltySentAgainAfterAClearIsNotDoubled",
                 timed(),
                 {},
                 runThen({image({{230, " 12.34"}, {239, "  5.0"}}), image({{230, " 12.34"}, {239, "  0.0"}}),
                          image({{230, " 12.34"}, {239, "  5.0"}})}),
                 3,
                 {17340, 5000, "P"}},
        FeedCase{"AResetTakesNothingAndLeavesThePenalty",
                 timed(),
                 {},
                 runThen({image({{0, "   12.34 "}, {230, " 12.34"}, {239, "  5.0"}}),
                          image({{0, "    0.00 "}, {239, "  0.00"}})}),
                 1,
                 {17340, 5000, "P"}},
        FeedCase{"BlankStatusLeavesThePenaltyStatus",
                 timed(),
                 {},
                 runThen({image({{205, " "}, {230, " 12.34"}, {239, "  5.0"}})}),
                 1,
                 {17340, 5000, "P"}},
        FeedCase{"StatusLetterIsTaken",
                 timed(),
                 {},
                 runThen({block({{205, "N"}, {230, " 12.34   "}})}),
                 1,
                 {12340, 0, "N"}},
        FeedCase{"BlankFieldsKeepTheTime",
                 timed(),
                 {},
                 runThen({image({{0, "   12.00 "}, {230, " 12.00"}}), image({{0, "   12.00 "}, {229, " "}})}),
                 1,
                 {12000}},
        FeedCase{
            "NoTimeStopsReading", timed(), withStatus("N"), runThen({block({{230, " 12.34   "}})}), 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Scored, TimerFeedTable,
    ::testing::Values(
        FeedCase{"SeparateMarksMakeTheTotal",
                 scored("2", JudgeSeparate),
                 {},
                 marksThen({block({{309, "B"}, {343, "21  22"}, {359, "20  23  "}})}),
                 1,
                 {0, 0, "", 8600, {2100, 2200}, {2000, 2300}}},
        FeedCase{"FourJudgesWithFractionsAreHalved",
                 scored("4", JudgeSeparate, FractionFraction),
                 {},
                 marksThen({block({{309, "D"}, {343, "21.521.021.521.0"}, {359, "21.521.521.521.5"}})}),
                 1,
                 {0, 0, "", 8550, {2150, 2100, 2150, 2100}, {2150, 2150, 2150, 2150}}},
        FeedCase{"SubtotalsLessStockAreTheRiderMarks",
                 scored("2", JudgeSubtotal),
                 {},
                 marksThen({block({{309, "R"}, {343, "44  40"}, {359, "22  19  "}})}),
                 1,
                 {0, 0, "", 8400, {2200, 2100}, {2200, 1900}}},
        FeedCase{"CombinedMarksAreWholeSubtotals",
                 scored("2", JudgeCombined),
                 withMarks({0}, {1500}),
                 marksThen({block({{309, "2"}, {343, "44  42"}, {359, "20"}})}),
                 1,
                 {0, 0, "", 8600, {4400, 4200}, {0}}},
        FeedCase{"ScoreFieldIsTaken",
                 scored("2", JudgeSeparate, FractionFraction),
                 {},
                 marksThen({block({{34, " 85.5"}})}),
                 1,
                 {0, 0, "", 8550}},
        FeedCase{"CombinedScoreOfAConsoleWithoutJudges",
                 scored("2", JudgeCombined),
                 {},
                 marksThen({block({{304, " 86.5"}, {309, "0"}})}),
                 1,
                 {0, 0, "", 8650}},
        FeedCase{"StopFlagTakesTheRunningTime",
                 scored("2", JudgeSeparate),
                 {},
                 marksThen({image({{0, "    8.52 "}, {27, "r"}}), image({{0, "    8.52 "}, {27, "S"}})}),
                 1,
                 {8520},
                 nullptr},
        FeedCase{"StopWithoutARideRunningTakesNoTime",
                 scored("2", JudgeSeparate),
                 {},
                 marksThen({image({{0, "    8.52 "}, {27, "s"}})}),
                 0,
                 {}},
        FeedCase{"ScoringTypeMismatchTakesNoMarkNorScore",
                 scored("2", JudgeCombined),
                 {},
                 marksThen({block({{34, " 88"}, {309, "B"}, {343, "44  44"}})}),
                 0,
                 {},
                 TimerScoringTypeMessage.data()},
        FeedCase{"JudgesMismatchTakesNothing",
                 scored("2", JudgeCombined),
                 {},
                 marksThen({block({{309, "4"}, {343, "44  44"}})}),
                 0,
                 {},
                 TimerJudgesMessage.data()},
        FeedCase{"FractionMismatchTakesNothing",
                 scored("2", JudgeSeparate),
                 {},
                 marksThen({block({{343, "21.5"}})}),
                 0,
                 {},
                 TimerScoresMessage.data()},
        FeedCase{"MarkOverTheHighestIsNotTaken",
                 scored("2", JudgeSeparate),
                 {},
                 marksThen({block({{309, "B"}, {343, "21  26"}, {359, "20  20"}})}),
                 0,
                 {},
                 "Judge 2: the mark 26 from the timer is over 25; no mark was taken."},
        FeedCase{"SubtotalBelowItsStockIsNotTaken",
                 scored("2", JudgeSubtotal),
                 {},
                 marksThen({block({{309, "R"}, {343, "20"}, {359, "22  "}})}),
                 0,
                 {},
                 "Judge 1: the subtotal from the timer is below the stock mark; no mark was taken."},
        FeedCase{"BlankFieldsKeepRerideScoreAndMarks",
                 scored("2", JudgeSeparate),
                 withMarks({2100, 2000}, {2000, 2000}, "R"),
                 marksThen({block({{34, "     "}, {204, " "}, {347, "22"}, {363, "21  "}})}),
                 1,
                 {0, 0, "R", 8400, {2100, 2200}, {2000, 2100}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Step 1 of every block: the clock's nine characters, when the block reaches
// past them. Nothing else is needed for it, not even a current entry. Line
// ends after the clock still count as reaching past it.
TEST(TimerInputRunningTime, IsHandedOverWhenTheBlockReachesPastTheClock)
{
    struct Case
    {
        int offset;
        QString text;
        QStringList expected;
    } cases[] = {
        {0, QStringLiteral("    8.52 x"), {QStringLiteral("    8.52 ")}},
        {0, QStringLiteral("    8.52 "), {}}, // nine characters are not enough
        {-3, QStringLiteral("abc 1:02.3456"), {QStringLiteral(" 1:02.345")}},
        {1, QStringLiteral("   8.52 xx"), {}},
        {0, QStringLiteral("    8.52 \r\n"), {QStringLiteral("    8.52 ")}},
    };
    for (const Case& c : cases) {
        TimerInput timer;
        RecordingSink sink;
        timer.setSink(&sink);
        timer.OnData(c.text, c.offset);
        EXPECT_EQ(sink.runningTimes, c.expected) << c.offset << " " << c.text.toStdString();
        EXPECT_TRUE(sink.saves.empty());
        EXPECT_EQ(timer.ignoredBlocks(), 0);
    }
}

// Whose run it is: a console repeats its last image until it is reset, and the
// operator moves from contestant to contestant meanwhile. Each step publishes
// what the table shows (who is current, his stored result, whether another
// contestant is selected) and sends what the console sends.
TEST(TimerInputRuns, ARunIsTakenOnlyForTheEntryItBelongsTo)
{
    const QString stopped = QStringLiteral("   12.34 ");
    const Block stop = image({{0, "   12.34 "}, {27, "s"}, {230, " 12.34"}});
    const Block running1 = block({{0, "    0.50 "}, {27, " "}});
    const Block running2 = block({{0, "    6.00 "}, {27, " "}});
    const Block restart = block({{0, "    0.20 "}, {27, " "}});
    const Block secondStop = image({{0, "   11.11 "}, {27, "s"}, {230, " 11.11"}});
    const Block marksA = image({{309, "B"}, {343, "21  22"}, {359, "20  23"}});
    const Block marksB = image({{309, "B"}, {343, "22  22"}, {359, "21  21"}});
    const quint32 A = Rider, B = Rider + 1;

    struct Step
    {
        quint32 current;    // 0: nothing current
        bool otherSelected; // another contestant is selected in the list
        std::vector<Block> sent;
        std::vector<std::pair<quint32, quint32>> saved; // (contestant, time or score) handed over
        const char* clock; // the clock's message after the step, when one is expected
    };
    struct Scenario
    {
        const char* name;
        ScoringSettings event;
        std::vector<Step> steps;
    };
    const Scenario scenarios[] = {
        {"ANormalRunAndTheNextContestantUnderTheRepeatedImage",
         timed(),
         {{A, false, {running1, running2, stop, stop}, {{A, 12340}}, nullptr},
          {B, false, {stop, stop}, {}, TimerEarlierRunMessage.data()},
          // B's own run, the reset forgotten: the clock starts from below.
          {B, false, {restart, secondStop}, {{B, 11110}}, ""}}},
        {"ARerunOfTheSameEntryReplacesItsTime",
         timed(),
         {{A, false, {running1, running2, stop}, {{A, 12340}}, nullptr},
          {A, false, {restart, secondStop, secondStop}, {{A, 11110}}, nullptr}}},
        {"AContestantSelectedButNotCurrentOwnsNoRun",
         timed(),
         {{A, false, {running1, running2, stop}, {{A, 12340}}, nullptr},
          {A, true, {restart, secondStop}, {}, TimerOtherSelectedMessage.data()},
          // Made current after the run ended: the repeated image is not his.
          {B, false, {secondStop}, {}, TimerEarlierRunMessage.data()}}},
        {"MadeCurrentWhileTheClockRunsTheRunIsHis",
         timed(),
         {{A, true, {running1, running2}, {}, TimerOtherSelectedMessage.data()},
          {B, false, {block({{0, "    7.00 "}, {27, " "}}), stop}, {{B, 12340}}, ""}}},
        {"TwoEntriesAlternating",
         timed(),
         {{A, false, {running1, running2, stop}, {{A, 12340}}, nullptr},
          {B, false, {restart, secondStop}, {{B, 11110}}, nullptr},
          {A, false, {secondStop, secondStop}, {}, TimerEarlierRunMessage.data()}}},
        {"MarksForTheNextRiderWithoutAReset",
         scored("2", JudgeSeparate),
         {{A, false, {image({}), marksA, marksA}, {{A, 8600}}, nullptr},
          {B, false, {marksA, marksA}, {}, TimerEarlierRunMessage.data()},
          {B, false, {marksB}, {{B, 8600}}, ""}}},
    };
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.name);
        TimerInput timer;
        RecordingSink sink;
        timer.setSink(&sink);
        std::map<quint32, ResultRecord> stored; // what the table holds
        for (std::size_t i = 0; i < sc.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const Step& st = sc.steps[i];
            TimerSnapshot s = snapshot(sc.event, stored[st.current], st.current);
            s.otherSelected = st.otherSelected;
            timer.publishSnapshot(s);
            sink.saves.clear();
            sink.clock.clear();
            for (const Block& b : st.sent)
                timer.OnData(b.text, b.offset);
            std::vector<std::pair<quint32, quint32>> saved;
            for (const auto& [entry, record] : sink.saves) {
                saved.push_back({entry.ptId, sc.event.isScored() ? record.score : record.time});
                stored[entry.ptId] = record; // the table saves it and publishes it again
                timer.publishSnapshot(snapshot(sc.event, record, entry.ptId));
            }
            if (!saved.empty())
                saved.erase(saved.begin(), saved.end() - 1); // the newest counts
            EXPECT_EQ(saved, st.saved);
            if (st.clock) {
                ASSERT_FALSE(sink.clock.isEmpty());
                EXPECT_EQ(sink.clock.last(), QString::fromLatin1(st.clock));
            }
        }
    }
    (void)stopped;
}

// A result the operator typed by hand stands while the console repeats its
// image; it gives way to a new run.
TEST(TimerInputRuns, AHandCorrectionStandsUntilTheConsoleShowsSomethingNew)
{
    TimerInput timer;
    RecordingSink sink;
    timer.setSink(&sink);
    timer.publishSnapshot(snapshot(timed()));
    for (const Block& b : runThen({image({{0, "   12.34 "}, {230, " 12.34"}})}))
        timer.OnData(b.text, b.offset);
    ASSERT_EQ(sink.saveCount(), 1u);

    timer.publishSnapshot(snapshot(timed(), withStatus("", 12500))); // typed: 12.50
    timer.OnData(image({{0, "   12.34 "}, {230, " 12.34"}}).text, 0);
    EXPECT_EQ(sink.saveCount(), 1u) << "the repeated image does not undo the correction";

    // The console adds a penalty to that run: it goes on top of the corrected time.
    timer.OnData(image({{0, "   12.34 "}, {230, " 12.34"}, {239, "  5.0"}}).text, 0);
    ASSERT_EQ(sink.saveCount(), 2u);
    EXPECT_EQ(sink.lastSaved().time, 17500u);
}

// The part of a block that lies in the image is read: line ends and other
// control characters after the text are dropped, characters beyond the image
// are left out and counted, and a bad character between the fields is of no
// account. A block is dropped whole only when nothing of it can be read.
TEST(TimerInputBlocks, WhatLiesInTheImageIsReadTheRestIsCounted)
{
    struct Case
    {
        const char* name;
        int offset;
        QString text;
        bool ignored;
        bool cut;
    } cases[] = {
        {"empty", 0, QString(), true, false},
        {"only a line end", 0, QStringLiteral("\r\n"), true, false},
        {"wholly beyond the end", 400, QString(200, QLatin1Char('1')), true, false},
        {"far beyond", INT_MAX, QStringLiteral("12.34"), true, false},
        {"far before", INT_MIN, QStringLiteral("12.34"), true, false},
        {"control character in a field", 230, QStringLiteral("12.3\x01    "), true, false},
        {"not ASCII in a field", 230, QStringLiteral("12.3\u00e9    "), true, false},
        {"raw bytes at offset 0", 0, QStringLiteral("\x52\x54\x44\x01 garbage"), true, false},
        {"line end after the run time", 230, QStringLiteral(" 12.34   \r\n"), false, false},
        {"reaching past the image", 300, QString(200, QLatin1Char(' ')), false, true},
        {"starting before the image", -200, QString(220, QLatin1Char(' ')), false, true},
        {"a bad character between the fields", 206,
         QStringLiteral("\x07") + QString(23, QLatin1Char(' ')) + QStringLiteral(" 12.34   "), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimerInput timer;
        RecordingSink sink;
        timer.setSink(&sink);
        timer.publishSnapshot(snapshot(timed()));
        for (const Block& b : runThen({}))
            timer.OnData(b.text, b.offset);
        timer.OnData(c.text, c.offset);
        EXPECT_EQ(timer.ignoredBlocks(), c.ignored ? 1 : 0);
        EXPECT_EQ(timer.cutBlocks(), c.cut ? 1 : 0);
        if (c.text.contains(QStringLiteral("12.34")) && !c.ignored) {
            ASSERT_EQ(sink.saveCount(), 1u);
            EXPECT_EQ(sink.lastSaved().time, 12340u);
        } else {
            EXPECT_EQ(sink.saveCount(), 0u);
        }
    }
}

// A flood from another thread reaches the user-interface thread as one
// delivery at a time holding only the newest of each kind.
TEST(TimerMailboxTest, KeepsOnlyTheNewestOfEachKind)
{
    QStringList times;
    QStringList messages;
    std::vector<std::pair<RegEntry, ResultRecord>> results;
    TimerMailbox mailbox({[&](const QString& t) { times << t; }, [&](const QString& m) { messages << m; },
                          [&](const RegEntry& e, const ResultRecord& r) {
                              results.push_back({e, r});
                          }});
    RegEntry a;
    a.eventId = QStringLiteral("BR");
    a.ptId = 1;
    RegEntry b = a;
    b.ptId = 2;
    QThread* feeder = QThread::create([&] {
        for (int i = 1; i <= 10000; ++i) {
            mailbox.postRunningTime(QString::number(i));
            ResultRecord r;
            r.time = quint32(i);
            mailbox.postResult(a, r);
        }
        ResultRecord r;
        r.time = 99;
        mailbox.postResult(b, r);
        mailbox.postClockMessage(QStringLiteral("first"));
        mailbox.postClockMessage(QString());
    });
    feeder->start();
    ASSERT_TRUE(feeder->wait(10000));
    delete feeder;
    QCoreApplication::processEvents();

    ASSERT_FALSE(times.isEmpty());
    EXPECT_EQ(times.last(), QStringLiteral("10000"));
    EXPECT_EQ(messages.last(), QString());
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results.back().first.ptId, 2u);
    EXPECT_EQ(results[results.size() - 2].second.time, 10000u) << "the newest of entry 1";
    // Every delivery took at least one item of each kind it found pending.
    EXPECT_LE(long(times.size()), mailbox.deliveries());
    EXPECT_EQ(long(times.size()) + mailbox.replacedItems() + long(messages.size()) + long(results.size()),
              10000L + 10000L + 2L + 1L);

    // Results of a rodeo that closes are not delivered.
    mailbox.postResult(a, ResultRecord());
    mailbox.discardResults();
    const std::size_t before = results.size();
    QCoreApplication::processEvents();
    EXPECT_EQ(results.size(), before);
}

// Saving holds the user-interface thread: results come at most once per
// interval, the newest when they come.
TEST(TimerMailboxTest, DeliversResultsAtMostOncePerInterval)
{
    std::vector<quint32> times;
    TimerMailbox mailbox({{},
                          {},
                          [&](const RegEntry&, const ResultRecord& r) {
                              times.push_back(r.time);
                          }},
                         1000);
    RegEntry a;
    a.ptId = 1;
    const auto post = [&](quint32 time) {
        ResultRecord r;
        r.time = time;
        mailbox.postResult(a, r);
    };
    post(1);
    QCoreApplication::processEvents();
    ASSERT_EQ(times, std::vector<quint32>{1});
    post(2);
    post(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(times.size(), 1u) << "within the interval";
    ASSERT_TRUE(waitUntil([&] { return times.size() == 2; }));
    EXPECT_EQ(times.back(), 3u);
}

// --- Over the stream component ---------------------------------------------------

namespace {

class TimerPortTest : public IoTest
{
protected:
    // A manager whose timer listens on port 1 (the given port element).
    std::unique_ptr<OutputManager> withTimerPort(const QString& portElement)
    {
        writeIo(iofile::document(portElement, iofile::timer(QStringLiteral("Console"), 1), QString("")));
        auto manager = loaded();
        manager->timerInput().setSink(&sink);
        manager->timerInput().publishSnapshot(snapshot(timed()));
        manager->StartCommunications();
        return manager;
    }

    static QByteArray frame(const Block& b)
    {
        return RtdProtocol::encodeTextBlock(b.offset, b.text.toLatin1(), false);
    }

    // A run as the console sends it: running times, then the finished run
    // with a penalty, then the clock standing still.
    static std::vector<Block> run()
    {
        std::vector<Block> blocks;
        for (const char* t : {"    0.10 ", "    4.20 ", "    9.95 "})
            blocks.push_back(block({{0, t}, {10, " "}}));
        blocks.push_back(image({{0, "   12.34 "}, {230, " 12.34"}, {239, "  5.0"}}));
        blocks.push_back(image({{0, "   12.34 "}, {230, " 12.34"}, {239, "  5.0"}}));
        return blocks;
    }

    RecordingSink sink;
};

} // namespace

TEST_F(TimerPortTest, UdpBlocksOnLoopbackFinishTheRun)
{
    const int number = freeUdpPort();
    auto manager = withTimerPort(iofile::udpPort(1, QStringLiteral("Console"), number));
    ASSERT_TRUE(manager->FindPort(1)->isReceiving()) << manager->FindPort(1)->statusText().toStdString();

    QUdpSocket console;
    for (const Block& b : run())
        console.writeDatagram(frame(b), QHostAddress::LocalHost, quint16(number));
    console.writeDatagram("\x52\x54\x44\x01 not a frame", QHostAddress::LocalHost, quint16(number));

    ASSERT_TRUE(waitUntil([&] { return manager->timerInput().receivedBlocks() == 6; }));
    EXPECT_EQ(manager->timerInput().ignoredBlocks(), 1);
    ASSERT_EQ(sink.saveCount(), 1u);
    EXPECT_EQ(sink.lastSaved().time, 17340u);
    EXPECT_EQ(sink.lastSaved().status, QStringLiteral("P"));
    QMutexLocker lock(&sink.mutex);
    EXPECT_EQ(sink.runningTimes.last(), QStringLiteral("   12.34 "));
}

TEST_F(TimerPortTest, FilePortReplaysARecordedFeed)
{
    const QString path = folder() + QStringLiteral("console.rtd");
    {
        QFile recording(path);
        ASSERT_TRUE(recording.open(QIODevice::WriteOnly));
        for (const Block& b : run())
            recording.write(frame(b));
    }
    auto manager = withTimerPort(iofile::filePort(1, QStringLiteral("Recording"), path));

    ASSERT_TRUE(waitUntil([&] { return manager->timerInput().receivedBlocks() == 5; }));
    ASSERT_EQ(sink.saveCount(), 1u);
    EXPECT_EQ(sink.lastSaved().time, 17340u);
    EXPECT_EQ(sink.lastSaved().penalty, 5000u);
}

// Loading the configuration again replaces the timer input: the new one keeps
// the sink, the snapshot and the penalty it added.
TEST_F(TimerPortTest, ReloadingTheConfigurationKeepsTheFeed)
{
    auto manager = withTimerPort(iofile::udpPort(1, QStringLiteral("Console"), freeUdpPort()));
    for (const Block& b : runThen({image({{230, " 12.34"}, {239, "  5.0"}})}))
        manager->timerInput().OnData(b.text, b.offset);
    ASSERT_EQ(sink.saveCount(), 1u);
    const TimerInput* before = &manager->timerInput();

    ASSERT_EQ(manager->LoadConfiguration(), 0);
    ASSERT_NE(&manager->timerInput(), before);
    EXPECT_EQ(manager->timerInput().feed().addedPenalty(), 5000u);
    manager->timerInput().OnData(image({{230, " 12.34"}, {239, "  0.0"}}).text, 0);
    ASSERT_EQ(sink.saveCount(), 2u);
    EXPECT_EQ(sink.lastSaved().time, 12340u);
}
