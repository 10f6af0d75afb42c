#pragma once

#include "records.h"

#include <QVector>
#include <optional>

// Questions the database manager asks while resolving arriving data against
// what the season already holds. The user interface answers them with its
// resolution dialogs; tests answer them from a script.
class ResolutionPrompts
{
public:
    // Decisions about a contestant who arrives under a name the season has.
    enum ContestantDecision { Replace = 1, Merge = 2, Leave = 3, AddNew = 4 };
    // Added to a decision when "Apply to all the items" was ticked.
    static constexpr int ApplyToAll = 0x10000;

    struct ContestantChoice
    {
        int decision = 0; // one of ContestantDecision; 0 when the operator cancelled
        bool applyToAll = false;
        ContestantRec existing; // the existing contestant as the operator left it in the dialog
    };

    virtual ~ResolutionPrompts() = default;

    // Shows the arriving contestant beside the existing one. std::nullopt when
    // the dialog has nothing to show.
    virtual std::optional<ContestantChoice> resolveContestant(const ContestantRec& arriving,
                                                              const ContestantRec& existing) = 0;
    // The same with every contestant of the season who has that name (the
    // first is the one resolveContestant would be shown); the choice's
    // existing names the one picked. Answerers that show one contestant
    // need not override it.
    virtual std::optional<ContestantChoice> resolveContestantAmong(const ContestantRec& arriving,
                                                                   const QVector<ContestantRec>& existing)
    {
        if (existing.isEmpty())
            return std::nullopt;
        return resolveContestant(arriving, existing.first());
    }

    // "Same Team Found": answers 6 (go on adding) or 7 (use the existing team);
    // applyToAll reports the "Apply to All" tick.
    virtual int sameTeamFound(const TeamRec& team, bool& applyToAll) = 0;
};

// "Resolve Performance Entry": a competitor entered into an event that he is
// entered in already. The operator replaces one of his entries (it moves to
// where the new one was going), leaves everything as it is, or adds a new entry.
class PerformanceEntryPrompt
{
public:
    enum Decision { AddNew, Replace, Leave };
    struct Choice
    {
        Decision decision = Leave;
        int replacedEntry = 0; // the entry number replaced
    };

    virtual ~PerformanceEntryPrompt() = default;
    // existing: the competitor's entries in the event, in entry number order,
    // as they stand in the go-round the new entry is for.
    virtual Choice resolvePerformanceEntry(const RegEntry& arriving, const QVector<RegEntry>& existing) = 0;
};
