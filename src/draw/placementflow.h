#pragma once

#include <QVector>
#include <bitset>

namespace Draw {

// A set of performances by their position in the go-round (0 = the first).
using PerfSet = std::bitset<256>;

// Entries that may go to any performance of a set.
struct Demand
{
    int count = 0;
    PerfSet allowed;
};

// Whether every demand fits into the performances' free places at once, each
// entry in one performance of its set (a maximum flow from the demands
// through the performances). room[i] is the free places of performance i.
bool allDemandsFit(const QVector<Demand>& demands, const QVector<int>& room);

} // namespace Draw
