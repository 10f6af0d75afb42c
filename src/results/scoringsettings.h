#pragma once

#include <QLatin1StringView>
#include <QString>
#include <functional>
#include <optional>

// The scoring settings of an event as the program holds them: display texts,
// compared verbatim. The database keeps compact codes (see StoredScoring).

inline constexpr QLatin1StringView ScoringScored{"Scored"};
inline constexpr QLatin1StringView ScoringTimed{"Timed"};
inline constexpr QLatin1StringView EntryIndividual{"Individual"};
inline constexpr QLatin1StringView EntryTeam{"Team"};
inline constexpr QLatin1StringView JudgeCombined{"Combined"};
inline constexpr QLatin1StringView JudgeSubtotal{"Subtotal"};
inline constexpr QLatin1StringView JudgeSeparate{"Separate"};
inline constexpr QLatin1StringView FractionFull{"Full"};
inline constexpr QLatin1StringView FractionFraction{"Fraction"};
inline constexpr QLatin1StringView PrecisionTenths{"0.1"};
inline constexpr QLatin1StringView PrecisionHundredths{"0.01"};
inline constexpr QLatin1StringView PrecisionThousandths{"0.001"};
inline constexpr QLatin1StringView RankingLongestFirst{"Longest to Shortest"};
inline constexpr QLatin1StringView RankingShortestFirst{"Shortest to Longest"};

// EvStandard of an event the operator added.
inline constexpr QLatin1StringView CustomEventFlag{"C"};

struct ScoringSettings
{
    QString scoringKind; // "Scored" / "Timed"
    QString entryKind;   // "Individual" / "Team"
    QString goRounds;    // "1".."99"
    QString finals;      // "0".."999"
    QString judgeCount;  // "1", "2", "4" (scored only)
    QString judgeMode;   // "Combined", "Subtotal", "Separate" (scored only)
    QString fraction;    // "Full", "Fraction" (scored only)
    QString precision;   // "0.1", "0.01", "0.001"
    QString ranking;     // "Longest to Shortest", "Shortest to Longest" (timed only)

    bool isScored() const { return scoringKind == ScoringScored; }
    bool isTeam() const { return entryKind == EntryTeam; }
    bool isFraction() const { return fraction == FractionFraction; }
    bool isLongestFirst() const { return ranking == RankingLongestFirst; }

    bool operator==(const ScoringSettings&) const = default;
};

// The stored codes: EvType and EvRanking of Events, the rest of RodeoEvents.
struct StoredScoring
{
    QString evType;            // "SI", "TT", ...
    int evRanking = 0;         // 1: longest first
    int goRounds = 0;          // ReGos
    int finals = 0;            // ReFinals
    QString judges;            // ReJudges, scored only: mode letter + judge count ("C2")
    QString fraction;          // ReFraction, scored only: "F" / "N"
    int precision = 0;         // RePrecision: 1, 2, 3
    bool writesJudges = false; // a timed event never writes ReJudges / ReFraction

    bool operator==(const StoredScoring&) const = default;
};

// --- Reading the stored codes -------------------------------------------------

// EvType: only a two-character code decodes; an unknown letter leaves its text empty.
void DecodeEventType(const QString& evType, QString* scoringKind, QString* entryKind);
// ReJudges: only a two-character code decodes into mode letter and count digit.
void DecodeJudges(const QString& reJudges, QString* judgeMode, QString* judgeCount);
QString PrecisionText(int rePrecision);          // 1/2/3, else ""
QString FractionText(const QString& reFraction); // "F"/"N", else ""
QString RankingText(int evRanking);
ScoringSettings DecodeScoring(const StoredScoring& stored);

// --- Writing the settings back --------------------------------------------------

QString EventTypeCode(const QString& scoringKind, const QString& entryKind);
int RankingCode(const QString& ranking);
int PrecisionCode(const QString& precision);       // 0 for an unknown text
QString JudgeModeLetter(const QString& judgeMode); // "" for an unknown mode
QString JudgesCode(const QString& judgeMode, const QString& judgeCount);
QString FractionCode(const QString& fraction); // "N" for "Fraction", else "F"
StoredScoring EncodeScoring(const ScoringSettings& settings);

// --- Defaults -----------------------------------------------------------------------

// The settings row a standard event gets when a rodeo is created.
StoredScoring StandardEventDefaults(const QString& eventId, const QString& evType);
// A new event added by the operator with the result kind "Scored" or "Timed"
// (any other text is taken as timed, as the event's type code is).
ScoringSettings NewEventDefaults(const QString& scoringKind);

// --- Highest allowed mark -----------------------------------------------------------

enum class MarkRow { Rider, Stock, Subtotal };

// In whole points. In "Combined" mode every field is held to the subtotal limit.
int HighestAllowedMark(const QString& judgeCount, const QString& judgeMode, MarkRow row);

// --- Checks of the Rodeo Setup view -----------------------------------------------

inline constexpr QLatin1StringView DecimalNotAllowedMessage{"Decimal Number is not allowed!"};
inline constexpr QLatin1StringView GoRoundsOver99Message{
    "It is not allowed for the go-round count to be over 99!"};
inline constexpr QLatin1StringView GoRoundsHoldStatsMessage{
    "There are stats in the go-rounds.\nThe go-rounds are not allowed to be removed!"};
inline constexpr QLatin1StringView ThreeJudgesMessage{"It is not allowed to have 3 judges "};
inline constexpr QLatin1StringView OverFourJudgesMessage{"It is not allowed to have over 4 judges "};
inline constexpr QLatin1StringView CheckMessageCaption{"Message"};

struct SetupCheckOutcome
{
    enum Action {
        Take,              // the new value is taken
        RevertSilently,    // the old value is put back, nothing is shown
        RevertWithMessage, // the message is shown and the old value put back
        RefuseWithMessage  // the message is shown; the new value is not taken (the text stays typed)
    };
    Action action = Take;
    QString message;
    int value = 0; // the number taken (go-rounds, finals, judges)
};

// Answers whether any go-round first..last of the event holds results.
using GoRoundResultsQuery = std::function<bool(int first, int last)>;

// A go-round count typed as text, the event having oldValue go-rounds. Lowering
// the count asks holdsResults about the go-rounds that would go; without a
// query nothing can be proven safe to drop, so the lower count is refused.
SetupCheckOutcome CheckGoRoundCountChange(const QString& text, int oldValue,
                                          const GoRoundResultsQuery& holdsResults);
SetupCheckOutcome CheckFinalsChange(const QString& text);
SetupCheckOutcome CheckJudgesChange(const QString& text);

// --- Agreement with the timing console ----------------------------------------------

inline constexpr QLatin1StringView TimerScoringTypeMessage{
    "The configuration for the scoring type is incompatible with the timer."};
inline constexpr QLatin1StringView TimerJudgesMessage{
    "The configuration for the number of judges is incompatible with the timer."};
inline constexpr QLatin1StringView TimerScoresMessage{
    "The configuration for the scores is incompatible with the timer."};

// The console's configuration character: its code in hexadecimal, read as a
// decimal number ('2' = 0x32 gives 32: tens digit scoring type, units judges).
int TimerConfigCode(QChar c);

// Runs the checks whose data was received, in order, and gives the message of
// the first that fails, or an empty text when every check that ran passed.
QString TimerAgreementMessage(const ScoringSettings& event, std::optional<int> configCode,
                              const std::optional<QString>& firstScoreText);
