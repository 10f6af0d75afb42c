#include "results/scoringsettings.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(ScoringCodes, DecodesJudges)
{
    const struct
    {
        const char* code;
        const char* mode;
        const char* count;
    } cases[] = {
        {"S4", "Subtotal", "4"},
        {"C2", "Combined", "2"},
        {"I1", "Separate", "1"},
        // only exactly two characters decode
        {"C", "", ""},
        {"C22", "", ""},
        {"", "", ""},
        // an unknown letter leaves only the mode empty
        {"X2", "", "2"},
        {"c2", "", "2"},
    };
    for (const auto& c : cases) {
        QString mode = S("stale");
        QString count = S("stale");
        DecodeJudges(S(c.code), &mode, &count);
        EXPECT_EQ(mode, S(c.mode)) << c.code;
        EXPECT_EQ(count, S(c.count)) << c.code;
    }
}

TEST(ScoringCodes, DecodesEventType)
{
    const struct
    {
        const char* code;
        const char* scoring;
        const char* entry;
    } cases[] = {
        {"SI", "Scored", "Individual"},
        {"TT", "Timed", "Team"},
        {"ST", "Scored", "Team"},
        {"TI", "Timed", "Individual"},
        {"S", "", ""},
        {"SIT", "", ""},
        {"XT", "", "Team"},
        {"SX", "Scored", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        QString scoring = S("stale");
        QString entry = S("stale");
        DecodeEventType(S(c.code), &scoring, &entry);
        EXPECT_EQ(scoring, S(c.scoring)) << c.code;
        EXPECT_EQ(entry, S(c.entry)) << c.code;
    }
}

TEST(ScoringCodes, DecodesSingleSettings)
{
    EXPECT_EQ(PrecisionText(1), S("0.1"));
    EXPECT_EQ(PrecisionText(2), S("0.01"));
    EXPECT_EQ(PrecisionText(3), S("0.001"));
    EXPECT_EQ(PrecisionText(0), QString());
    EXPECT_EQ(PrecisionText(4), QString());
    EXPECT_EQ(FractionText(S("F")), S("Full"));
    EXPECT_EQ(FractionText(S("N")), S("Fraction"));
    EXPECT_EQ(FractionText(S("f")), QString());
    EXPECT_EQ(FractionText(QString()), QString());
    EXPECT_EQ(RankingText(1), S("Longest to Shortest"));
    EXPECT_EQ(RankingText(0), S("Shortest to Longest"));
    EXPECT_EQ(RankingText(2), S("Shortest to Longest"));
}

TEST(ScoringCodes, DecodesStoredRow)
{
    StoredScoring stored;
    stored.evType = S("SI");
    stored.goRounds = 3;
    stored.finals = 12;
    stored.judges = S("I4");
    stored.fraction = S("N");
    stored.precision = 0;
    const ScoringSettings s = DecodeScoring(stored);
    EXPECT_EQ(s.scoringKind, S("Scored"));
    EXPECT_EQ(s.entryKind, S("Individual"));
    EXPECT_EQ(s.goRounds, S("3"));
    EXPECT_EQ(s.finals, S("12"));
    EXPECT_EQ(s.judgeMode, S("Separate"));
    EXPECT_EQ(s.judgeCount, S("4"));
    EXPECT_EQ(s.fraction, S("Fraction"));
    EXPECT_EQ(s.precision, QString()); // a scored event added by the operator stores no precision
    EXPECT_EQ(s.ranking, S("Shortest to Longest"));
}

TEST(ScoringCodes, EncodesScoredEvent)
{
    ScoringSettings s = NewEventDefaults(S("Scored"));
    s.entryKind = S("Team");
    s.judgeMode = S("Subtotal");
    s.judgeCount = S("4");
    s.fraction = S("Fraction");
    s.precision = S("0.01");
    s.goRounds = S("5");
    s.finals = S("15");
    const StoredScoring stored = EncodeScoring(s);
    EXPECT_EQ(stored.evType, S("ST"));
    EXPECT_EQ(stored.judges, S("S4"));
    EXPECT_EQ(stored.fraction, S("N"));
    EXPECT_EQ(stored.precision, 2);
    EXPECT_EQ(stored.goRounds, 5);
    EXPECT_EQ(stored.finals, 15);
    EXPECT_TRUE(stored.writesJudges);
}

TEST(ScoringCodes, TimedEventNeverWritesJudgesOrFraction)
{
    ScoringSettings s = NewEventDefaults(S("Timed"));
    s.judgeMode = S("Combined"); // left over from an earlier kind: must not be written
    s.judgeCount = S("2");
    s.fraction = S("Fraction");
    s.ranking = S("Longest to Shortest");
    const StoredScoring stored = EncodeScoring(s);
    EXPECT_FALSE(stored.writesJudges);
    EXPECT_TRUE(stored.judges.isEmpty());
    EXPECT_TRUE(stored.fraction.isEmpty());
    EXPECT_EQ(stored.evType, S("TI"));
    EXPECT_EQ(stored.evRanking, 1);
}

TEST(ScoringCodes, WritingRulesForUnknownTexts)
{
    EXPECT_EQ(PrecisionCode(S("0.1")), 1);
    EXPECT_EQ(PrecisionCode(S("0.01")), 2);
    EXPECT_EQ(PrecisionCode(S("0.001")), 3);
    EXPECT_EQ(PrecisionCode(QString()), 0);
    EXPECT_EQ(PrecisionCode(S("0.0001")), 0);
    EXPECT_EQ(JudgesCode(S("Combined"), S("2")), S("C2"));
    EXPECT_EQ(JudgesCode(S("Separate"), S("1")), S("I1"));
    EXPECT_EQ(JudgesCode(S("Mixed"), S("2")), S("2"));
    EXPECT_EQ(JudgeModeLetter(S("Subtotal")), S("S"));
    EXPECT_EQ(JudgeModeLetter(QString()), QString());
    EXPECT_EQ(FractionCode(S("Fraction")), S("N"));
    EXPECT_EQ(FractionCode(S("Full")), S("F"));
    EXPECT_EQ(FractionCode(QString()), S("F"));
    EXPECT_EQ(EventTypeCode(S("Scored"), S("Individual")), S("SI"));
    EXPECT_EQ(EventTypeCode(QString(), QString()), S("TI"));
    EXPECT_EQ(RankingCode(S("Longest to Shortest")), 1);
    EXPECT_EQ(RankingCode(S("Shortest to Longest")), 0);
}

TEST(ScoringCodes, TimedSettingsSurviveStoreAndRead)
{
    ScoringSettings s = NewEventDefaults(S("Timed"));
    s.entryKind = S("Team");
    s.precision = S("0.001");
    s.ranking = S("Longest to Shortest");
    s.goRounds = S("4");
    EXPECT_EQ(DecodeScoring(EncodeScoring(s)), s);
}

TEST(ScoringDefaults, StandardEventsAtRodeoCreation)
{
    const StoredScoring scored = StandardEventDefaults(S("BB"), S("SI"));
    EXPECT_EQ(scored.goRounds, 1);
    EXPECT_EQ(scored.finals, 20);
    EXPECT_EQ(scored.judges, S("C2"));
    EXPECT_EQ(scored.fraction, S("F"));
    EXPECT_EQ(scored.precision, 1);
    EXPECT_TRUE(scored.writesJudges);

    const StoredScoring barrels = StandardEventDefaults(S("BR"), S("TI"));
    EXPECT_EQ(barrels.precision, 2);
    EXPECT_FALSE(barrels.writesJudges);
    EXPECT_TRUE(barrels.judges.isEmpty());

    const StoredScoring roping = StandardEventDefaults(S("TR"), S("TT"));
    EXPECT_EQ(roping.precision, 1);
    EXPECT_EQ(roping.goRounds, 1);
    EXPECT_EQ(roping.finals, 20);
    EXPECT_FALSE(roping.writesJudges);

    // A scored event named "BR" still takes the scored row.
    EXPECT_EQ(StandardEventDefaults(S("BR"), S("SI")).precision, 1);
}

TEST(ScoringDefaults, EventsAddedByTheOperator)
{
    const ScoringSettings scored = NewEventDefaults(S("Scored"));
    const ScoringSettings expectedScored{S("Scored"),   S("Individual"), S("1"),   S("20"),  S("2"),
                                         S("Combined"), S("Full"),       S("0.1"), QString()};
    EXPECT_EQ(scored, expectedScored);

    const ScoringSettings timed = NewEventDefaults(S("Timed"));
    const ScoringSettings expectedTimed{S("Timed"), S("Individual"), S("1"),
                                        S("20"),    QString(),       QString(),
                                        QString(),  S("0.1"),        S("Shortest to Longest")};
    EXPECT_EQ(timed, expectedTimed);
    EXPECT_FALSE(timed.isLongestFirst());
    EXPECT_EQ(CustomEventFlag, QLatin1StringView("C"));
}

TEST(ScoringDefaults, HighestAllowedMark)
{
    const struct
    {
        const char* judges;
        const char* mode;
        MarkRow row;
        int expected;
    } cases[] = {
        {"1", "Separate", MarkRow::Rider, 50},
        {"1", "Separate", MarkRow::Stock, 50},
        {"1", "Subtotal", MarkRow::Subtotal, 100},
        {"2", "Separate", MarkRow::Rider, 25},
        {"2", "Subtotal", MarkRow::Stock, 25},
        {"2", "Subtotal", MarkRow::Subtotal, 50},
        {"4", "Separate", MarkRow::Stock, 25},
        {"4", "Subtotal", MarkRow::Subtotal, 50},
        // in Combined mode every field holds a subtotal
        {"2", "Combined", MarkRow::Rider, 50},
        {"1", "Combined", MarkRow::Stock, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HighestAllowedMark(S(c.judges), S(c.mode), c.row), c.expected) << c.judges << " " << c.mode;
}

struct GoRoundCase
{
    const char* text;
    int oldValue;
    bool holdsResults;
    SetupCheckOutcome::Action action;
    const char* message;
    int value;
    int firstAsked; // first go-round looked at for results, 0: not asked
};

class GoRoundCountChangeTest : public ::testing::TestWithParam<GoRoundCase>
{
};

TEST_P(GoRoundCountChangeTest, Checks)
{
    const GoRoundCase& c = GetParam();
    std::vector<std::pair<int, int>> asked;
    const SetupCheckOutcome out = CheckGoRoundCountChange(S(c.text), c.oldValue, [&](int first, int last) {
        asked.emplace_back(first, last);
        return c.holdsResults;
    });
    EXPECT_EQ(out.action, c.action);
    EXPECT_EQ(out.message, S(c.message));
    EXPECT_EQ(out.value, c.value);
    if (c.firstAsked != 0) {
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].first, c.firstAsked);
        EXPECT_EQ(asked[0].second, c.oldValue);
    } else {
        EXPECT_TRUE(asked.empty());
    }
}

constexpr const char* StatsText =
    "There are stats in the go-rounds.\nThe go-rounds are not allowed to be removed!";

INSTANTIATE_TEST_SUITE_P(
    Cases, GoRoundCountChangeTest,
    ::testing::Values(GoRoundCase{"5.", 3, false, SetupCheckOutcome::RevertWithMessage,
                                  "Decimal Number is not allowed!", 3, 0},
                      GoRoundCase{"100", 3, false, SetupCheckOutcome::RevertWithMessage,
                                  "It is not allowed for the go-round count to be over 99!", 3, 0},
                      GoRoundCase{"0", 3, false, SetupCheckOutcome::RevertSilently, "", 3, 0},
                      GoRoundCase{"", 3, false, SetupCheckOutcome::RevertSilently, "", 3, 0},
                      GoRoundCase{"abc", 3, false, SetupCheckOutcome::RevertSilently, "", 3, 0},
                      GoRoundCase{".5", 3, false, SetupCheckOutcome::RevertSilently, "", 3, 0},
                      GoRoundCase{"-1", 3, false, SetupCheckOutcome::RevertSilently, "", 3, 0},
                      GoRoundCase{"3", 5, true, SetupCheckOutcome::RefuseWithMessage, StatsText, 5, 4},
                      GoRoundCase{"3", 5, false, SetupCheckOutcome::Take, "", 3, 4},
                      GoRoundCase{"7", 5, true, SetupCheckOutcome::Take, "", 7, 0},
                      GoRoundCase{"5", 5, true, SetupCheckOutcome::Take, "", 5, 0},
                      GoRoundCase{"99", 1, false, SetupCheckOutcome::Take, "", 99, 0},
                      GoRoundCase{"99999999999999", 1, false, SetupCheckOutcome::RevertWithMessage,
                                  "It is not allowed for the go-round count to be over 99!", 1, 0}));

TEST(SetupChecks, LoweringGoRoundsWithoutAQueryIsRefused)
{
    const SetupCheckOutcome out = CheckGoRoundCountChange(S("1"), 2, {});
    EXPECT_EQ(out.action, SetupCheckOutcome::RefuseWithMessage);
    EXPECT_EQ(out.message, S(StatsText));
    EXPECT_EQ(CheckGoRoundCountChange(S("3"), 2, {}).action, SetupCheckOutcome::Take);
}

TEST(SetupChecks, FinalsChange)
{
    SetupCheckOutcome out = CheckFinalsChange(S("5."));
    EXPECT_EQ(out.action, SetupCheckOutcome::RevertWithMessage);
    EXPECT_EQ(out.message, S("Decimal Number is not allowed!"));
    out = CheckFinalsChange(S("20"));
    EXPECT_EQ(out.action, SetupCheckOutcome::Take);
    EXPECT_EQ(out.value, 20);
    EXPECT_TRUE(out.message.isEmpty());
    EXPECT_EQ(CheckFinalsChange(S("0")).action, SetupCheckOutcome::Take);
}

TEST(SetupChecks, JudgesChange)
{
    const struct
    {
        const char* text;
        SetupCheckOutcome::Action action;
        const char* message;
    } cases[] = {
        {"3", SetupCheckOutcome::RevertWithMessage, "It is not allowed to have 3 judges "},
        {"5", SetupCheckOutcome::RevertWithMessage, "It is not allowed to have over 4 judges "},
        {"9", SetupCheckOutcome::RevertWithMessage, "It is not allowed to have over 4 judges "},
        {"1", SetupCheckOutcome::Take, ""},
        {"2", SetupCheckOutcome::Take, ""},
        {"4", SetupCheckOutcome::Take, ""},
    };
    for (const auto& c : cases) {
        const SetupCheckOutcome out = CheckJudgesChange(S(c.text));
        EXPECT_EQ(out.action, c.action) << c.text;
        EXPECT_EQ(out.message, S(c.message)) << c.text;
    }
    EXPECT_EQ(CheckJudgesChange(S("4")).value, 4);
}

TEST(TimerAgreement, ConfigCharacterReadsAsHexDigits)
{
    EXPECT_EQ(TimerConfigCode(QChar(u'2')), 32);
    EXPECT_EQ(TimerConfigCode(QChar(u'4')), 34);
    EXPECT_EQ(TimerConfigCode(QChar(u'0')), 30);
    EXPECT_EQ(TimerConfigCode(QChar(u'A')), 41);
    EXPECT_EQ(TimerConfigCode(QChar(u'R')), 52);
}

ScoringSettings scoredEvent(const char* mode, const char* judges, const char* fraction)
{
    ScoringSettings s = NewEventDefaults(S("Scored"));
    s.judgeMode = S(mode);
    s.judgeCount = S(judges);
    s.fraction = S(fraction);
    return s;
}

struct AgreementCase
{
    const char* mode;
    const char* judges;
    const char* fraction;
    int code;          // -1: not received
    const char* score; // nullptr: not received
    const char* expected;
};

class TimerAgreementTest : public ::testing::TestWithParam<AgreementCase>
{
};

TEST_P(TimerAgreementTest, GivesFirstFailingMessage)
{
    const AgreementCase& c = GetParam();
    const std::optional<int> code = c.code < 0 ? std::nullopt : std::optional<int>(c.code);
    const std::optional<QString> score = c.score ? std::optional<QString>(S(c.score)) : std::nullopt;
    EXPECT_EQ(TimerAgreementMessage(scoredEvent(c.mode, c.judges, c.fraction), code, score), S(c.expected));
}

constexpr const char* TypeText = "The configuration for the scoring type is incompatible with the timer.";
constexpr const char* JudgesText =
    "The configuration for the number of judges is incompatible with the timer.";
constexpr const char* ScoresText = "The configuration for the scores is incompatible with the timer.";

INSTANTIATE_TEST_SUITE_P(Cases, TimerAgreementTest,
                         ::testing::Values(
                             // the scoring type is checked first even when the judges agree
                             AgreementCase{"Combined", "2", "Full", 42, nullptr, TypeText},
                             AgreementCase{"Combined", "2", "Full", 32, "8", ""},
                             AgreementCase{"Subtotal", "2", "Full", 30, nullptr, TypeText},
                             AgreementCase{"Combined", "2", "Full", 30, nullptr, ""},
                             AgreementCase{"Separate", "4", "Full", 44, nullptr, ""},
                             AgreementCase{"Subtotal", "2", "Full", 52, nullptr, ""},
                             AgreementCase{"Subtotal", "2", "Full", 32, nullptr, TypeText},
                             AgreementCase{"Combined", "2", "Full", 34, nullptr, JudgesText},
                             AgreementCase{"Combined", "2", "Full", 34, "8.5", JudgesText},
                             AgreementCase{"Combined", "2", "Full", 42, "8.5", TypeText},
                             AgreementCase{"Combined", "2", "Full", -1, "8.5", ScoresText},
                             AgreementCase{"Combined", "2", "Fraction", -1, "8", ScoresText},
                             AgreementCase{"Combined", "2", "Fraction", 32, " 8.5 ", ""},
                             AgreementCase{"Combined", "2", "Fraction", 32, "    ", ""},
                             AgreementCase{"Combined", "2", "Full", -1, nullptr, ""}));

} // namespace
