#pragma once

#include "partpayout.h"
#include "payoutschedule.h"
#include "purse.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// Everything an event's payout is computed from: its purse, where the purse
// goes, the schedule, and the standings of each part as placings.
struct EventPayoutInput
{
    QString eventId;
    QString eventName;
    bool team = false; // amounts are per roper; each member is paid
    PurseSettings purse;
    PurseSplit split;
    PayoutSchedule schedule;
    GroundMoney ground = GroundMoney::Split;
    QVector<QVector<Placing>> goRounds; // go-round 1 first; as many as split.goRounds
    QVector<Placing> average;
    QVector<Placing> finalRound;
};

// Which part of a purse.
struct PartName
{
    enum Kind { GoRound, Average, Final } kind = GoRound;
    int goRound = 0; // for GoRound, from 1

    QString text() const; // "Go-Round 1", "Average", "Final"
};

struct EventPart
{
    PartName name;
    int purseShare = 0; // of the purse, hundredths of a percent
    PartPayout payout;
};

// The payout of one event. problems hold what keeps it from being paid
// (settings that make no purse, no schedule line for the entries, a part with
// money and no results yet); the parts computed are still there to show.
struct EventPayout
{
    QString eventId;
    QString eventName;
    bool team = false;
    QString scheduleName;
    GroundMoney ground = GroundMoney::Split;
    int placesPaid = 0;
    PurseBreakdown purse;
    QVector<EventPart> parts; // only the parts with a share of the purse
    Cents unallocated = 0;    // the purse, when it could not be divided into parts
    QStringList problems;

    bool canPay() const { return problems.isEmpty(); }

    Cents paid() const;
    // Always paid() + kept() == purse.purse.
    Cents kept() const;
    // What each entry is paid over every part.
    QHash<EntryKey, Cents> byEntry() const;
};

namespace EventPayouts {

EventPayout compute(const EventPayoutInput& input);

} // namespace EventPayouts
