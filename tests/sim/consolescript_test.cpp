// The timing console's blocks and the rehearsal script.
#include "sim/consolescript.h"
#include "sim/timingconsole.h"

#include <gtest/gtest.h>

namespace {
QString at(const ConsoleBlock& block, int pos, int len)
{
    return block.text.mid(pos - block.offset, len);
}
} // namespace

TEST(TimingConsoleTest, ARunGivesRunningBlocksThenTheStoppedImage)
{
    TimingConsole console;
    console.start(1000);
    const ConsoleBlock running = console.runningBlock(5200);
    EXPECT_EQ(running.offset, 0);
    EXPECT_EQ(running.text, QStringLiteral("    4.20 ") + QString(19, QLatin1Char(' ')));
    EXPECT_EQ(at(console.image(5200), 27, 1), QStringLiteral(" ")) << "still running";

    console.stop(13340);
    console.addPenalty();
    const ConsoleBlock image = console.image(99999);
    EXPECT_EQ(image.text.size(), TimingConsole::ImageLength);
    EXPECT_EQ(at(image, 0, 9), QStringLiteral("   12.34 "));
    EXPECT_EQ(at(image, 27, 1), QStringLiteral("s"));
    EXPECT_EQ(at(image, 230, 9), QStringLiteral("    12.34"));
    EXPECT_EQ(at(image, 239, 8), QStringLiteral("    5.00"));
    EXPECT_EQ(at(image, 205, 1), QStringLiteral(" "));
    EXPECT_EQ(at(image, 309, 1), QStringLiteral(" ")) << "a timed console sends no scoring code";

    console.reset();
    EXPECT_EQ(at(console.image(0), 239, 8), QStringLiteral("    0.00"));
    EXPECT_EQ(at(console.image(0), 230, 9), QString(9, QLatin1Char(' ')));
}

TEST(TimingConsoleTest, NoTimeStopsTheClockWithoutARunTime)
{
    TimingConsole console;
    console.start(0);
    console.noTime(3000);
    EXPECT_FALSE(console.isRunning());
    const ConsoleBlock image = console.image(4000);
    EXPECT_EQ(at(image, 205, 1), QStringLiteral("N"));
    EXPECT_EQ(at(image, 204, 1), QStringLiteral("N"));
    EXPECT_EQ(at(image, 230, 9), QString(9, QLatin1Char(' ')));
    EXPECT_EQ(at(image, 27, 1), QStringLiteral("s"));
}

struct CodeCase
{
    int judges;
    TimingConsole::MarkMode mode;
    char16_t code;
};

class ScoringCode : public ::testing::TestWithParam<CodeCase>
{};

TEST_P(ScoringCode, IsTheTypeAndTheJudgesAsHexDigits)
{
    TimingConsole console;
    console.setScoring(GetParam().judges, GetParam().mode);
    EXPECT_EQ(at(console.image(0), 309, 1), QString(QChar(GetParam().code)));
}

INSTANTIATE_TEST_SUITE_P(Codes, ScoringCode,
                         ::testing::Values(CodeCase{2, TimingConsole::MarkMode::Separate, 0x42},
                                           CodeCase{4, TimingConsole::MarkMode::Subtotal, 0x54},
                                           CodeCase{1, TimingConsole::MarkMode::Combined, 0x31},
                                           CodeCase{0, TimingConsole::MarkMode::Combined, 0x30}));

TEST(TimingConsoleTest, MarksStandRightAlignedAndCombinedSendsNoStockMarks)
{
    TimingConsole console;
    console.setScoring(2, TimingConsole::MarkMode::Separate);
    console.setMark(1, QStringLiteral("21.5"), QStringLiteral("22"));
    console.setMark(2, QStringLiteral("20"), QStringLiteral("21.25"));
    console.setMark(5, QStringLiteral("99"), QStringLiteral("99"));
    ConsoleBlock image = console.image(0);
    EXPECT_EQ(at(image, 343, 8), QStringLiteral("21.5  20"));
    EXPECT_EQ(at(image, 359, 8), QStringLiteral("  2221.2")) << "a mark keeps four characters";
    EXPECT_EQ(at(image, 351, 4), QStringLiteral("    ")) << "judge 3 is not in use";

    console.setScoring(2, TimingConsole::MarkMode::Combined);
    image = console.image(0);
    EXPECT_EQ(at(image, 359, 8), QStringLiteral("        "));
    console.setScoring(3, TimingConsole::MarkMode::Separate);
    EXPECT_EQ(console.judges(), 2) << "three judges is no console setting";
}

TEST(ConsoleScriptTest, ReadsEveryStepAndPlaysThemOnTime)
{
    QString error;
    const std::optional<ConsoleScript> script = ConsoleScript::parse(QStringLiteral("# a barrel run\r\n"
                                                                                     "0 reset\n"
                                                                                     "\n"
                                                                                     "0.5 start\n"
                                                                                     "12.84 stop\n"
                                                                                     "13 penalty\n"
                                                                                     "14 judges 2 subtotal\n"
                                                                                     "14 mark 2 43.5 21\n"
                                                                                     "15 block 230 \"  say \"hi\"\"\n"
                                                                                     "16 notime\n"),
                                                                      &error);
    ASSERT_TRUE(script) << error.toStdString();
    ASSERT_EQ(script->steps.size(), 8);
    EXPECT_EQ(script->steps[1].atMs, 500);
    EXPECT_EQ(script->steps[1].action, ConsoleStep::Start);
    EXPECT_EQ(script->steps[4].mode, TimingConsole::MarkMode::Subtotal);
    EXPECT_EQ(script->steps[5].first, QStringLiteral("43.5"));
    EXPECT_EQ(script->steps[5].second, QStringLiteral("21"));
    EXPECT_EQ(script->steps[6].number, 230);
    EXPECT_EQ(script->steps[6].first, QStringLiteral("  say \"hi\""));

    ConsoleScriptPlayer player(*script);
    player.start(10000);
    EXPECT_EQ(player.due(10000).size(), 1);
    EXPECT_EQ(player.due(10499).size(), 0);
    EXPECT_EQ(player.due(23000).size(), 3);
    EXPECT_FALSE(player.isFinished());
    EXPECT_EQ(player.due(99999).size(), 4);
    EXPECT_TRUE(player.isFinished());

    TimingConsole console;
    PerformStep(console, script->steps[1], 500);
    PerformStep(console, script->steps[2], 12840);
    EXPECT_EQ(console.elapsedMs(99999), 12340);
    const std::optional<ConsoleBlock> block = PerformStep(console, script->steps[6], 15000);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->offset, 230);
}

struct BadLine
{
    const char* script;
    const char* error;
};

class ConsoleScriptErrors : public ::testing::TestWithParam<BadLine>
{};

TEST_P(ConsoleScriptErrors, NameTheLineAndWhy)
{
    QString error;
    EXPECT_FALSE(ConsoleScript::parse(QString::fromLatin1(GetParam().script), &error));
    EXPECT_EQ(error, QString::fromLatin1(GetParam().error));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConsoleScriptErrors,
    ::testing::Values(BadLine{"1 start\n0.5 stop", "Line 2: the time goes back."},
                      BadLine{"start", "Line 1: a time and a step are needed."},
                      BadLine{"soon start", "Line 1: \"soon\" is no time in seconds."},
                      BadLine{"-1 start", "Line 1: \"-1\" is no time in seconds."},
                      BadLine{"nan start", "Line 1: \"nan\" is no time in seconds."},
                      BadLine{"1 jump", "Line 1: \"jump\" is no step."},
                      BadLine{"1 stop now", "Line 1: \"stop\" takes nothing after it."},
                      BadLine{"1 judges 3 separate",
                              "Line 1: \"judges\" needs 0, 1, 2 or 4 and combined, separate or subtotal."},
                      BadLine{"1 mark 5 20", "Line 1: \"mark\" needs a judge from 1 to 4, a rider mark and "
                                             "perhaps a stock mark."},
                      BadLine{"1 block 230 unquoted",
                              "Line 1: \"block\" needs an image position and a text in double quotes."},
                      BadLine{"1 block 99999999999 \"x\"", "Line 1: the image position is out of range."}));
