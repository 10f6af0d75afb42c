#pragma once

#include "drawrandom.h"
#include "drawtypes.h"

#include <QHash>
#include <QVector>

namespace Draw {

// New running orders within each performance, every order equally likely;
// entries keep their performance and unplaced ones (perf 0) stay unplaced.
// The result is sorted by performance and running order, the unplaced last.
QVector<Placement> shuffleRunningOrder(QVector<Placement> placements, DrawRandom& random);

// Within each performance the entries with a standing run last, the leader
// last of all (rank 1 is the leader); entries without one run first, in a
// random order. Sorted as shuffleRunningOrder's result.
QVector<Placement> leadersLast(QVector<Placement> placements, const QHash<EntryKey, int>& rank,
                               DrawRandom& random);

} // namespace Draw
