#include "results/resultrecord.h"
#include "results/values.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr quint32 MaxValue = std::numeric_limits<quint32>::max();

struct TimeCase
{
    const char* text;
    quint32 expected;
};

void PrintTo(const TimeCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class ParseTimeTextTest : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(ParseTimeTextTest, ParsesToPackedValue)
{
    EXPECT_EQ(ParseTimeText(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ParseTimeTextTest,
                         ::testing::Values(TimeCase{"12.3", 12300}, TimeCase{"12.34", 12340},
                                           TimeCase{"12.345", 12345}, TimeCase{"12", 12000},
                                           TimeCase{" 9.5", 9500}, TimeCase{"1:05.2", 105200},
                                           TimeCase{"1:05", 105000}, TimeCase{"0.5", 500},
                                           TimeCase{"59.999", 59999}, TimeCase{"55.0", 55000},
                                           TimeCase{"  12.3", 12300}, TimeCase{"9.5 ", 9500},
                                           TimeCase{".5", 500}, TimeCase{"12.", 12000}));

INSTANTIATE_TEST_SUITE_P(
    HostileText, ParseTimeTextTest,
    ::testing::Values(TimeCase{"", 0}, TimeCase{"   ", 0}, TimeCase{":", 0}, TimeCase{".", 0},
                      TimeCase{":.", 0}, TimeCase{"abc", 0},
                      // digits finer than thousandths are dropped
                      TimeCase{"12.3456", 12345},
                      // each part is its leading run of digits
                      TimeCase{"1a2.5", 1500}, TimeCase{"1:2:3", 102000}, TimeCase{"12.5x", 12500},
                      // huge digit runs saturate instead of wrapping
                      TimeCase{"99999999999999999999", MaxValue}, TimeCase{"99999:00", MaxValue},
                      TimeCase{"4294967:295.9", MaxValue}, TimeCase{"1.99999999999999999999", 1999}));

class ParseRunningTimeTextTest : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(ParseRunningTimeTextTest, ParsesToPackedValue)
{
    EXPECT_EQ(ParseRunningTimeText(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ParseRunningTimeTextTest,
                         ::testing::Values(TimeCase{"1:23.45", 123450}, TimeCase{" 9.5", 9500},
                                           TimeCase{"1:05", 105000}, TimeCase{"   12.3", 12300},
                                           TimeCase{"1:23.456", 123456},
                                           // the console's long fractions are taken as they are
                                           TimeCase{"12.3456", 15456}, TimeCase{"", 0}, TimeCase{"abc", 0},
                                           TimeCase{"         ", 0}, TimeCase{":", 0}, TimeCase{".", 0},
                                           TimeCase{"1.99999999999999999999", MaxValue}));

struct FormatTimeCase
{
    quint32 value;
    const char* precision;
    int width;
    const char* expected;
};

class FormatTimeTextTest : public ::testing::TestWithParam<FormatTimeCase>
{
};

TEST_P(FormatTimeTextTest, Formats)
{
    const FormatTimeCase& c = GetParam();
    EXPECT_EQ(FormatTimeText(c.value, QString::fromUtf8(c.precision), c.width), QString::fromUtf8(c.expected))
        << c.value << " " << c.precision << " " << c.width;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatTimeTextTest,
    ::testing::Values(FormatTimeCase{12345, "0.1", -1, "12.3"}, FormatTimeCase{12345, "0.01", -1, "12.34"},
                      FormatTimeCase{12345, "0.001", -1, "12.345"},
                      FormatTimeCase{12345, "0.1", 7, "   12.3"},
                      // truncated, never rounded
                      FormatTimeCase{12399, "0.1", -1, "12.3"}, FormatTimeCase{12399, "0.01", -1, "12.39"},
                      FormatTimeCase{0, "0.1", -1, "0.0"}, FormatTimeCase{0, "0.01", -1, "0.00"},
                      FormatTimeCase{0, "0.001", -1, "0.000"}, FormatTimeCase{5, "0.001", -1, "0.005"},
                      FormatTimeCase{5, "0.01", -1, "0.00"}, FormatTimeCase{65000, "0.1", -1, "65.0"},
                      // packed minutes print as they stand
                      FormatTimeCase{105200, "0.1", -1, "105.2"},
                      // any other precision text shows one decimal
                      FormatTimeCase{12345, "", -1, "12.3"}, FormatTimeCase{12345, "0.5", -1, "12.3"},
                      // a width cuts first, then right-aligns
                      FormatTimeCase{12345, "0.001", 4, "12.3"}, FormatTimeCase{12345, "0.001", 6, "12.345"},
                      FormatTimeCase{12300, "0.01", 6, " 12.30"}, FormatTimeCase{12300, "0.1", 0, ""},
                      FormatTimeCase{MaxValue, "0.001", -1, "4294967.295"}));

TEST(TimeValues, PenaltyAddsWithoutCarryIntoMinutes)
{
    const quint32 total = ParseTimeText(QStringLiteral("55.0")) + ParseTimeText(QStringLiteral("10.0"));
    EXPECT_EQ(total, 65000u);
    EXPECT_EQ(FormatTimeText(total, QStringLiteral("0.1")), QStringLiteral("65.0"));
}

TEST(TimeValues, PrecisionDigits)
{
    EXPECT_EQ(PrecisionDigits(QStringLiteral("0.1")), 1);
    EXPECT_EQ(PrecisionDigits(QStringLiteral("0.01")), 2);
    EXPECT_EQ(PrecisionDigits(QStringLiteral("0.001")), 3);
    EXPECT_EQ(PrecisionDigits(QString()), 3);
    EXPECT_EQ(PrecisionDigits(QStringLiteral("0.10")), 3);
}

TEST(TimeValues, ZeroTimeTextMatchesFormattedZero)
{
    const struct
    {
        const char* precision;
        const char* expected;
    } cases[] = {{"0.1", "0.0"}, {"0.01", "0.00"}, {"0.001", "0.000"}};
    for (const auto& c : cases) {
        const QString precision = QString::fromUtf8(c.precision);
        EXPECT_EQ(ZeroTimeText(precision), QString::fromUtf8(c.expected)) << c.precision;
        EXPECT_EQ(FormatTimeText(0, precision), ZeroTimeText(precision)) << c.precision;
    }
    EXPECT_EQ(ZeroTimeText(QString()), QStringLiteral("0.000"));
    EXPECT_EQ(ZeroTimeText(0), QStringLiteral("0.0"));
    EXPECT_EQ(ZeroTimeText(2), QStringLiteral("0.00"));
}

struct ScoreTotalCase
{
    quint32 value;
    quint32 divisor;
    bool fraction;
    bool total;
    int pad;
    const char* expected;
};

class FormatScoreTotalTest : public ::testing::TestWithParam<ScoreTotalCase>
{
};

TEST_P(FormatScoreTotalTest, Formats)
{
    const ScoreTotalCase& c = GetParam();
    EXPECT_EQ(FormatScoreTotal(c.value, c.divisor, c.fraction, c.total, c.pad), QString::fromUtf8(c.expected))
        << c.value << "/" << c.divisor << " fraction=" << c.fraction << " total=" << c.total;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatScoreTotalTest,
    ::testing::Values(
        // 171 points from four judges: 85.5, hundredths dropped when Full
        ScoreTotalCase{17100, 2, false, true, 0, "85"}, ScoreTotalCase{17100, 2, true, true, 0, "85.50"},
        // half a hundredth rounds up
        ScoreTotalCase{1, 2, true, true, 0, "0.01"}, ScoreTotalCase{3, 2, true, true, 0, "0.02"},
        ScoreTotalCase{17200, 2, false, true, 0, "86"}, ScoreTotalCase{8600, 2, false, true, 0, "43"},
        ScoreTotalCase{8599, 1, false, true, 0, "85"}, ScoreTotalCase{0, 1, true, true, 0, "0.00"},
        ScoreTotalCase{8505, 1, true, true, 0, "85.05"},
        // single marks: tenths without the point, zero padded
        ScoreTotalCase{850, 1, true, false, 3, "085"}, ScoreTotalCase{2150, 1, true, false, 3, "215"},
        ScoreTotalCase{500, 1, false, false, 2, "05"}, ScoreTotalCase{2500, 1, false, false, 2, "25"},
        ScoreTotalCase{10000, 1, false, false, 2, "100"},
        // a divisor of 0 counts as 1
        ScoreTotalCase{8550, 0, true, true, 0, "85.50"},
        ScoreTotalCase{MaxValue, 1, true, true, 0, "42949672.95"}));

struct ScoreOutputCase
{
    quint32 value;
    bool fraction;
    bool spacePad;
    quint32 divisor;
    const char* expected;
};

class FormatScoreOutputTest : public ::testing::TestWithParam<ScoreOutputCase>
{
};

TEST_P(FormatScoreOutputTest, Formats)
{
    const ScoreOutputCase& c = GetParam();
    EXPECT_EQ(FormatScoreOutput(c.value, c.fraction, c.spacePad, c.divisor), QString::fromUtf8(c.expected))
        << c.value << " fraction=" << c.fraction << " pad=" << c.spacePad;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatScoreOutputTest,
    ::testing::Values(
        ScoreOutputCase{8550, true, false, 1, "85.5"}, ScoreOutputCase{8550, true, true, 1, "85.5 "},
        ScoreOutputCase{8500, true, false, 1, "85"}, ScoreOutputCase{8500, true, true, 1, "85   "},
        // the first character is never looked at: zero stays "0"
        ScoreOutputCase{0, true, false, 1, "0"}, ScoreOutputCase{0, true, true, 1, "0   "},
        // the walk stops at the point, so zeros of whole points stay
        ScoreOutputCase{10000, true, false, 1, "100"}, ScoreOutputCase{8005, true, false, 1, "80.05"},
        ScoreOutputCase{50, true, false, 1, "0.5"}, ScoreOutputCase{17100, true, false, 2, "85.5"},
        // Full drops the hundredths, as the bar's total and the scoreboard do
        ScoreOutputCase{8550, false, false, 1, "85"}, ScoreOutputCase{8549, false, false, 1, "85"},
        ScoreOutputCase{0, false, true, 1, "0"}, ScoreOutputCase{17101, false, false, 2, "85"}));

struct ParseScoreCase
{
    const char* text;
    bool fraction;
    quint32 expected;
};

class ParseScoreTextTest : public ::testing::TestWithParam<ParseScoreCase>
{
};

TEST_P(ParseScoreTextTest, Parses)
{
    const ParseScoreCase& c = GetParam();
    EXPECT_EQ(ParseScoreText(QString::fromUtf8(c.text), c.fraction), c.expected)
        << '"' << c.text << "\" fraction=" << c.fraction;
}

INSTANTIATE_TEST_SUITE_P(Examples, ParseScoreTextTest,
                         ::testing::Values(ParseScoreCase{"08.5", true, 850},
                                           ParseScoreCase{"85.50", true, 8550},
                                           ParseScoreCase{"85", true, 8500}, ParseScoreCase{"8.5", true, 850},
                                           ParseScoreCase{".5", true, 50}, ParseScoreCase{"85", false, 8500},
                                           ParseScoreCase{" 85", false, 8500}, ParseScoreCase{"", true, 0},
                                           ParseScoreCase{"", false, 0}, ParseScoreCase{"abc", false, 0},
                                           ParseScoreCase{".", true, 0},
                                           ParseScoreCase{"99999999999", false, MaxValue},
                                           ParseScoreCase{"99999999999.9", true, MaxValue}));

TEST(ScoreValues, MarkSurvivesFormatAndParse)
{
    // A fraction mark is shown in tenths ("085"), masked as "08.5", and read back.
    for (quint32 mark : {0u, 50u, 850u, 2150u, 2500u}) {
        const QString digits = FormatScoreTotal(mark, 1, true, false, 3);
        const QString masked = digits.left(2) + u'.' + digits.mid(2);
        EXPECT_EQ(ParseScoreText(masked, true), mark) << masked.toStdString();
    }
    for (quint32 mark : {0u, 500u, 2500u}) {
        EXPECT_EQ(ParseScoreText(FormatScoreTotal(mark, 1, false, false, 2), false), mark);
    }
}

TEST(EntryKeyTest, PacksIdAndEntryNumber)
{
    const EntryKey key = makeEntryKey(1234, 2);
    EXPECT_EQ(key, (1234u << 8) | 2u);
    EXPECT_EQ(entryKeyId(key), 1234u);
    EXPECT_EQ(entryKeyNumber(key), 2);
}

TEST(EntryKeyTest, KeepsOnlyLowEightBitsOfEntryNumber)
{
    const EntryKey key = makeEntryKey(7, 300);
    EXPECT_EQ(entryKeyNumber(key), 44);
    EXPECT_EQ(entryKeyId(key), 7u);
    EXPECT_EQ(makeEntryKey(7, 255), (7u << 8) | 255u);
}

TEST(ResultRecordTest, ClearResetsEveryField)
{
    ResultRecord r;
    r.key = 99;
    r.position = 3;
    r.time = 12300;
    r.score = 8550;
    r.status = QStringLiteral("N");
    r.success = 1;
    r.ride = 1;
    r.penalty = 5000;
    for (int i = 0; i < 4; ++i) {
        r.JR[i] = quint16(i + 1);
        r.JS[i] = quint16(i + 5);
    }
    r.clear();
    EXPECT_EQ(r, ResultRecord());
    EXPECT_TRUE(r.status.isEmpty());
    EXPECT_EQ(r.JS[3], 0);
}

TEST(ResultRecordTest, StatusKeepsOneCharacter)
{
    ResultRecord r;
    r.setStatus(QStringLiteral("NR"));
    EXPECT_EQ(r.status, QStringLiteral("N"));
    EXPECT_TRUE(r.hasStatus(StatusNoResult));
    r.setStatus(QString());
    EXPECT_TRUE(r.status.isEmpty());
}

TEST(ResultRecordTest, StatusDisplayTexts)
{
    const struct
    {
        const char* status;
        bool scored;
        const char* expected;
    } cases[] = {
        {"R", true, "**RERIDE/OPTION**"},
        {"R", false, "**RERIDE/OPTION**"},
        {"N", true, "**NO SCORE**"},
        {"N", false, "**NO TIME**"},
        {"P", false, "**PENALTY**"},
        {"", true, ""},
        {"X", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusDisplayText(QString::fromUtf8(c.status), c.scored), QString::fromUtf8(c.expected))
            << c.status << " scored=" << c.scored;
    }
}

} // namespace
