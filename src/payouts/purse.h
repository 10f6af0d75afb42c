#pragma once

#include "money.h"

#include <QString>
#include <QVector>

// What an event's purse is made of. In a team event every amount is counted
// per roper: the fee one roper pays, the added money per roper, and the
// entries are the teams; each member of a placed team is paid the team's
// share.
struct PurseSettings
{
    Cents addedMoney = 0;
    Cents entryFee = 0;
    int paidEntries = 0;
    int deductionShare = 0; // of the money taken in, hundredths of a percent
    Cents deductionFixed = 0;

    bool operator==(const PurseSettings&) const = default;
};

// The purse arithmetic, every step kept so that the sheet can show it:
//   fees = entryFee x paidEntries;  gross = addedMoney + fees;
//   purse = gross - percentDeduction - fixedDeduction.
struct PurseBreakdown
{
    PurseSettings settings;
    Cents fees = 0;
    Cents gross = 0;
    Cents percentDeduction = 0; // gross x share, to the nearest cent (half up)
    Cents purse = 0;
};

namespace Purse {

// The largest number of paid entries taken.
inline constexpr int MaxEntries = 99999;

// False, with the reason, for settings that make no purse: a negative
// amount, more entries than MaxEntries, a deduction over 100 %, or
// deductions larger than the money taken in.
bool compute(const PurseSettings& settings, PurseBreakdown& out, QString* why = nullptr);

// total divided by the shares (hundredths of a percent, adding up to
// WholeShare): each part rounded down, and the cents this leaves go to the
// largest share (the first of equal ones), so the parts add up to total.
QVector<Cents> divide(Cents total, const QVector<int>& shares);

} // namespace Purse

// Where the purse goes: a share for each go-round, the average (the overall
// standing) and the final, in hundredths of a percent, adding up to 100 %.
struct PurseSplit
{
    QVector<int> goRounds; // go-round 1 first
    int average = 0;
    int finalRound = 0;

    // A one-go-round event pays everything in the average; with more
    // go-rounds the average takes half and the go-rounds share the other half
    // (25 / 25 / 50 for two); the final nothing until the operator says.
    static PurseSplit defaults(int goRounds);

    // Empty when the shares add up to 100 %; otherwise why not.
    QString check() const;

    bool operator==(const PurseSplit&) const = default;
};
