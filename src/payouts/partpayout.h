#pragma once

#include "money.h"
#include "results/resultrecord.h"

#include <QString>
#include <QVector>

// One entry of a standing as the payout sees it.
struct Placing
{
    EntryKey key = 0;
    int position = 0;       // in the standing; 0: none
    bool qualified = false; // placed, and not a no-score or no-time
    bool competed = false;  // ran: a result, or a no-score or no-time
    int runningOrder = 0;   // smaller runs earlier (ties' odd cents go to the earliest)
    QString result;         // as the sheet shows it
};

// What happens to the money of places nobody qualified for: split equally
// among everyone who competed (the default), or kept by the committee.
enum class GroundMoney { Split, Kept };

// One entry paid in one part: by place (alone or sharing a tie), or from the
// ground money.
struct PaidLine
{
    EntryKey key = 0;
    QString result;
    bool ground = false;
    int firstPlace = 0; // the places the entry's tie occupies (1-based); the
    int lastPlace = 0;  // last may be past the places paid
    int tiedWith = 1;   // entries sharing the money (a tie, or the ground money)
    int groupShare = 0; // the percentages of the paid places the tie occupies
    Cents groupMoney = 0;
    Cents amount = 0;
    bool oddCents = false; // received the cents that did not divide
};

// The payout of one part of a purse (a go-round, the average or the final).
struct PartPayout
{
    Cents money = 0;
    QVector<int> placeShares; // the schedule's line
    QVector<Cents> placeMoney;
    QVector<PaidLine> lines; // by place, then the ground money
    int qualified = 0;
    int competed = 0;
    Cents groundMoney = 0; // money of places nobody qualified for
    Cents kept = 0;
    bool noResults = false; // nobody has run: nothing could be paid

    Cents paid() const;
};

namespace PartPayouts {

// Pays money by the place shares (a schedule line adding up to 100 %) to
// the placings of one standing. Qualified entries take the places in order
// of position; entries of equal position share the money of the places
// they occupy equally, and the cents that do not divide go to the first of
// them in running order. Places beyond the qualified entries are ground
// money. Always paid() + kept == money.
PartPayout pay(Cents money, const QVector<int>& placeShares, QVector<Placing> placings, GroundMoney ground);

} // namespace PartPayouts
