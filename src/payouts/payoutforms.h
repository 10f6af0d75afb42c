#pragma once

#include "payoutschedule.h"
#include "purse.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The texts of the payout forms as the operator typed them, and their
// reading into settings. A text that is not what its field takes is refused
// with the field's name and the reason ("Entry fee: an amount cannot be
// negative."), so that a dialog can say which field is off.
struct PurseFormTexts
{
    QString addedMoney;
    QString entryFee;
    bool entriesCounted = true; // the paid entries are counted, not typed
    QString paidEntries;
    QString deductionPercent;
    QString deductionFixed;
    QStringList goRounds; // the share of each go-round, go-round 1 first
    QString average;
    QString finalRound;
};

struct ScheduleLineTexts
{
    QString from;
    QString to; // empty: and more
    QString shares;
};

namespace PayoutForms {

// countedEntries stands in for the paid entries when they are counted.
bool readPurse(const PurseFormTexts& texts, int countedEntries, PurseSettings& purse, PurseSplit& split,
               QString* why = nullptr);
PurseFormTexts purseTexts(const PurseSettings& purse, bool entriesCounted, const PurseSplit& split);

// A schedule from its name and lines, checked (PayoutSchedule::check).
bool readSchedule(const QString& name, const QVector<ScheduleLineTexts>& lines, PayoutSchedule& out,
                  QString* why = nullptr);
QVector<ScheduleLineTexts> scheduleTexts(const PayoutSchedule& schedule);

} // namespace PayoutForms
