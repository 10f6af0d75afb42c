#pragma once

#include "results/resultrecord.h"

#include <QString>
#include <vector>

// How a standing is ordered: go-round or overall, scored or timed, and for
// timed events the direction of the ranking.
enum class StandingType : int {
    ScoredGoRound = 1,
    TimedShortestFirstGoRound = 2,
    TimedLongestFirstGoRound = 3,
    ScoredOverall = 4,
    TimedShortestFirstOverall = 5,
    TimedLongestFirstOverall = 6,
};

StandingType DeriveStandingType(bool scored, bool longestFirst, bool overall);
bool IsScoredStanding(StandingType type);

// Whether a goes before b. roundCount is the number of rounds including the
// final and matters to the timed shortest-first overall order only (an entry
// that ran every round ranks ahead of one that did not).
bool GoesBefore(StandingType type, quint8 roundCount, const ResultRecord& a, const ResultRecord& b);

// Where a record stands in its standing as one number: a standing is ordered
// by ascending key, records with equal keys keeping the order they had.
//
// The keys follow GoesBefore for every two records it orders one way, and
// settle the pairs it orders both ways (two "no score" entries of a scored
// go-round, two entries without a result of a timed one) as equal, so that
// ordering a standing again never moves anything. For the timed
// shortest-first overall order GoesBefore leaves some pairs unordered that
// a third record orders (two entries with the same successes and different
// fails): there the keys go by the rule it states, runs of every round
// first, then more successful runs, then the smaller total time.
quint64 StandingSortKey(StandingType type, quint8 roundCount, const ResultRecord& r);

// Orders by StandingSortKey, stable.
void OrderStanding(std::vector<ResultRecord>& items, StandingType type, quint8 roundCount);

// "Competition" numbering (1, 2, 2, 4) by score or time; no result, no position.
void NumberStanding(std::vector<ResultRecord>& items, StandingType type);

// The overall element of an entry first seen with go-round result r.
ResultRecord NewOverallElement(const ResultRecord& r);
// Counts one more go-round result r into the entry's overall element e.
void CountIntoOverall(ResultRecord& e, const ResultRecord& r, bool scored);

// What a newly saved result changes on the scoreboards compared with the
// result held before it (none held: nothing changed).
struct OutputFlags
{
    bool scoreChanged = false;
    bool timeChanged = false;
};
OutputFlags CompareForOutputs(const ResultRecord& saved, const ResultRecord* held);

// One standing element as a row of the report data.
QString StatisticsRow(const ResultRecord& r);
