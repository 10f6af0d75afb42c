#pragma once

#include "money.h"

#include <QString>
#include <QVector>

// One line of a payout schedule: for fromEntries to toEntries entries (toEntries
// 0: and more), the places paid and the share of each, place 1 first, in
// hundredths of a percent.
struct ScheduleBand
{
    int fromEntries = 1;
    int toEntries = 0;
    QVector<int> shares;

    bool covers(int entries) const
    {
        return entries >= fromEntries && (toEntries == 0 || entries <= toEntries);
    }
    bool operator==(const ScheduleBand&) const = default;
};

// A named table of places paid by number of entries. A season keeps its own
// (id > 0 once stored); a few are built in to start from.
struct PayoutSchedule
{
    qint64 id = 0;
    QString name;
    QVector<ScheduleBand> bands; // in order of entries

    // The line that covers that many entries; null when none does.
    const ScheduleBand* bandFor(int entries) const;

    // Empty when the schedule can be used; otherwise the first fault, naming
    // the line that is off: "Line 2 (6-10 entries): the percentages add up to
    // 90 %, not 100 %." Lines must start at 1 entry and follow each other
    // without a gap or an overlap; only the last may be open-ended.
    QString check() const;

    bool operator==(const PayoutSchedule&) const = default;
};

namespace PayoutSchedules {

// "Standard", "Short Field", "Jackpot" and "Winner Takes All".
QVector<PayoutSchedule> builtIn();

// The entries a line covers as a schedule shows them: "6-10", "91 and more", "1".
QString entriesText(const ScheduleBand& band);

// "50 30 20", "50/30/20" or "50, 30, 20" (a "%" after each is allowed) into
// shares; false, with the reason in why, for anything that is not a list of
// percentages greater than 0.
bool parseShares(const QString& text, QVector<int>& out, QString* why = nullptr);
// "50 / 30 / 20".
QString formatShares(const QVector<int>& shares);

} // namespace PayoutSchedules
