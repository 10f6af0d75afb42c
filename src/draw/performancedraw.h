#pragma once

#include "drawrandom.h"
#include "drawtypes.h"

#include <QString>
#include <QVector>

namespace Draw {

struct PerformanceDrawInput
{
    QString eventId;
    QVector<Performance> performances; // numbers 1..255, each once
    QVector<Entry> entries;
    QVector<Placed> placed;              // the contestants' places in the go-round's other events
    QVector<Request> requests;           // those of this go-round
    bool samePerformanceAllowed = false; // for everyone
};

struct PerformanceDrawResult
{
    QString error;                 // when set, nothing was drawn
    QVector<Placement> placements; // every entry, by performance and running order
    QVector<Problem> unmet;        // one per request (and contestant) not honoured

    bool ok() const { return error.isEmpty(); }
};

// As even as possible: when the entries do not divide, the first
// performances take one more.
QVector<int> evenCapacities(int entries, int performances);

// Spreads the entries over the performances within their capacities and
// draws each performance's running order, every order equally likely.
//
// The requests are honoured first, then the entries without any are spread
// at random over the places left, as evenly as the capacities allow:
// - a contestant rides in two events of one performance only when allowed
//   (for everyone, or by his own request); performances are numbered alike
//   in every event;
// - "out" closes a performance to his entries, "up" keeps them in one;
// - buddies ride in the same performance, also when one of them rides
//   another event already drawn (he pins the performance).
// What cannot be honoured is named in unmet and left out, and the rest is
// still drawn: whether to keep such a draw is the secretary's choice. Too few
// places for the entries is an error. The same seed and input give the same
// draw; the input's entry order does not matter.
PerformanceDrawResult drawPerformances(const PerformanceDrawInput& input, DrawRandom& random);

} // namespace Draw
