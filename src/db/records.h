#pragma once

#include "results/resultrecord.h"
#include "results/scoringsettings.h"

#include <QString>
#include <QtGlobal>

// The records of the open rodeo held in memory. Each text field has a capacity
// in characters; longer values are cut to it (fitText) before they are stored
// anywhere, so memory and database always agree.

namespace Capacity {
constexpr int RodeoName = 31;
constexpr int RodeoDate = 31;
constexpr int RodeoProfile = 15;
constexpr int RodeoDisplayLine = 23; // display names 1-3, dates, location

constexpr int EventId = 7;
constexpr int EventLabel = 31;
constexpr int EventName = 23;
constexpr int EventSetting = 23; // scoring kind, entry kind, ranking, judge mode
constexpr int EventStandard = 1;
constexpr int EventGoRounds = 7;
constexpr int EventFinals = 7;
constexpr int EventJudgeCount = 3;
constexpr int EventFraction = 15;
constexpr int EventPrecision = 7;

constexpr int Bib = 7;
constexpr int FirstName = 15;
constexpr int LastName = 15;
constexpr int Year = 11;
constexpr int HomeTown = 29;
constexpr int Earnings = 11;
constexpr int Misc = 23;

constexpr int TeamName = 11;

constexpr int StockBib = 7;
constexpr int StockName = 23;
constexpr int StockHomeTown = 29;

constexpr int RegEntryText = 23;
constexpr int MessageLine = 24;
constexpr int SeasonField = 63;
} // namespace Capacity

inline QString fitText(const QString& text, int capacity)
{
    return text.size() > capacity ? text.left(capacity) : text;
}

// One event of the open rodeo with its scoring settings, all as display texts.
struct EventCfg
{
    QString id;          // EvId
    QString label;       // name + " (" + id + ")"
    QString name;        // EvName
    QString scoringKind; // "Scored" / "Timed"
    QString entryKind;   // "Individual" / "Team"
    QString standard;    // EvStandard: "Y" standard, "C" added by the operator
    QString ranking;     // "Longest to Shortest" / "Shortest to Longest"
    QString goRounds;    // ReGos as decimal text
    QString finals;      // ReFinals as decimal text
    QString judgeCount;  // second character of ReJudges
    QString judgeMode;   // "Subtotal" / "Combined" / "Separate"
    QString fraction;    // "Full" / "Fraction"
    QString precision;   // "0.1" / "0.01" / "0.001"
    quint32 changed = 0; // set by the Rodeo Setup view when the operator edits the settings

    // The nine scoring settings, as the scoring rules take them.
    ScoringSettings scoring() const
    {
        return {scoringKind, entryKind, goRounds,  finals, judgeCount,
                judgeMode,   fraction,  precision, ranking};
    }
    void setScoring(const ScoringSettings& s)
    {
        scoringKind = s.scoringKind;
        entryKind = s.entryKind;
        goRounds = s.goRounds;
        finals = s.finals;
        judgeCount = s.judgeCount;
        judgeMode = s.judgeMode;
        fraction = s.fraction;
        precision = s.precision;
        ranking = s.ranking;
    }

    bool isScored() const { return scoringKind == QLatin1String("Scored"); }
    bool isTeam() const { return entryKind == QLatin1String("Team"); }
    int goRoundCount() const { return goRounds.toInt(); }
};

// The open rodeo.
struct RodeoInfo
{
    qint32 id = -1; // RoId; -1 while no rodeo is loaded
    QString name;
    QString date;
    QString profile;
    QString dispName1;
    QString dispName2;
    QString dispName3;
    QString dispDates;
    QString dispLoc;
    quint32 changed = 0; // set by the Rodeo Setup view when the texts were edited

    void clearTexts() { *this = RodeoInfo(); }
};

struct ContestantRec
{
    quint32 plrId = 0;
    quint32 afId = 0;
    QString bib;
    QString firstName;
    QString lastName;
    QString year;
    QString homeTown;
    QString earnLast;
    QString earnCur;
    QString misc;
    quint32 leagueId = 0;
    quint8 registered = 0;

    // Cuts every text to its capacity.
    void fit()
    {
        bib = fitText(bib, Capacity::Bib);
        firstName = fitText(firstName, Capacity::FirstName);
        lastName = fitText(lastName, Capacity::LastName);
        year = fitText(year, Capacity::Year);
        homeTown = fitText(homeTown, Capacity::HomeTown);
        earnLast = fitText(earnLast, Capacity::Earnings);
        earnCur = fitText(earnCur, Capacity::Earnings);
        misc = fitText(misc, Capacity::Misc);
    }
};

struct TeamRec
{
    quint32 tmId = 0;
    quint32 plrId1 = 0;
    quint32 plrId2 = 0;
    quint32 plrId3 = 0;
    QString name;
    quint32 mark = 0; // used by the views
    quint32 registered = 0;

    void fit() { name = fitText(name, Capacity::TeamName); }
};

struct StockRec
{
    quint32 stId = 0;
    quint32 coId = 0;
    QString bib;
    QString name;
    QString homeTown;
    quint32 weight = 0;
    quint8 age = 0;
    // For the draw: the event whose pen the animal is in (empty: none), kept
    // for re-rides, out (injured: never drawn).
    QString pen;
    bool reride = false;
    bool out = false;

    void fit()
    {
        pen = fitText(pen, Capacity::EventId);
        bib = fitText(bib, Capacity::StockBib);
        name = fitText(name, Capacity::StockName);
        homeTown = fitText(homeTown, Capacity::StockHomeTown);
    }
};

// One row of Scores or Times: one entry of one competitor in one go-round.
struct RegEntry
{
    enum TeamFlag : quint32 { OwnEntry = 0, TeamEntry = 1, MemberEntry = 2 };

    QString text; // used by the views
    QString eventId;
    quint16 goRound = 1; // a new entry starts in go-round 1
    quint32 ptId = 0;
    quint16 plrEnt = 1; // and with entry number 1
    quint16 perf = 0;
    quint16 ord = 0;
    quint16 stock = 0;
    quint32 value = 0; // used by the views
    quint32 teamFlag = OwnEntry;

    EntryKey key() const { return makeEntryKey(ptId, plrEnt); }
};

struct SeasonInfo
{
    QString name;
    QString profile;
    QString rule;
};

struct ContractorRec
{
    quint32 coId = 0;
    QString name;
};

struct MessageRec
{
    quint8 number = 0;
    QString lines[4];
};
