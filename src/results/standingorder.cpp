#include "results/standingorder.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

bool isNoResult(const ResultRecord& r)
{
    return r.status == StatusNoResult;
}

bool scoredGoRoundBefore(const ResultRecord& a, const ResultRecord& b)
{
    if (a.score != 0 && b.score != 0)
        return a.score > b.score;
    if (a.score != 0 || b.score != 0)
        return a.score != 0;
    // Neither has a score: a "no score" is listed ahead of an entry yet to ride.
    return isNoResult(a);
}

bool shortestFirstGoRoundBefore(const ResultRecord& a, const ResultRecord& b)
{
    if (a.time != 0 && b.time != 0)
        return a.time < b.time;
    if (a.time != 0 || b.time != 0)
        return a.time != 0;
    return !isNoResult(b);
}

bool longestFirstGoRoundBefore(const ResultRecord& a, const ResultRecord& b)
{
    return a.time > b.time || isNoResult(b);
}

// In the overall element success counts successful go-rounds and ride counts
// the go-rounds run; their difference is the runs that failed.
bool shortestFirstOverallBefore(const ResultRecord& a, const ResultRecord& b, quint8 roundCount)
{
    const quint8 failsA = quint8(a.ride - a.success);
    const quint8 failsB = quint8(b.ride - b.success);
    if (failsA > failsB) {
        if (roundCount != 0 && a.ride == roundCount && b.ride != roundCount)
            return true;
        return a.success > b.success;
    }
    if (failsA < failsB) {
        if (roundCount != 0 && b.ride == roundCount && a.ride != roundCount)
            return false;
        return a.success > b.success;
    }
    if (a.ride != b.ride)
        return a.ride > b.ride;
    return a.time < b.time;
}

quint8 addCount(quint8 count)
{
    return quint8(count + 1);
}

// Sums saturate like every other value, so a hostile row cannot wrap a total
// round to a small time that would rank first.
quint32 addSaturating(quint32 sum, quint32 value)
{
    return sum > std::numeric_limits<quint32>::max() - value ? std::numeric_limits<quint32>::max()
                                                             : sum + value;
}

} // namespace

StandingType DeriveStandingType(bool scored, bool longestFirst, bool overall)
{
    if (scored)
        return overall ? StandingType::ScoredOverall : StandingType::ScoredGoRound;
    if (longestFirst)
        return overall ? StandingType::TimedLongestFirstOverall : StandingType::TimedLongestFirstGoRound;
    return overall ? StandingType::TimedShortestFirstOverall : StandingType::TimedShortestFirstGoRound;
}

bool IsScoredStanding(StandingType type)
{
    return type == StandingType::ScoredGoRound || type == StandingType::ScoredOverall;
}

bool GoesBefore(StandingType type, quint8 roundCount, const ResultRecord& a, const ResultRecord& b)
{
    switch (type) {
    case StandingType::ScoredGoRound:
        return scoredGoRoundBefore(a, b);
    case StandingType::TimedShortestFirstGoRound:
        return shortestFirstGoRoundBefore(a, b);
    case StandingType::TimedLongestFirstGoRound:
        return longestFirstGoRoundBefore(a, b);
    case StandingType::ScoredOverall:
        return a.score > b.score;
    case StandingType::TimedShortestFirstOverall:
        return shortestFirstOverallBefore(a, b, roundCount);
    case StandingType::TimedLongestFirstOverall:
        return a.time > b.time;
    }
    return false;
}

quint64 StandingSortKey(StandingType type, quint8 roundCount, const ResultRecord& r)
{
    constexpr quint64 Max32 = std::numeric_limits<quint32>::max();
    const auto ranked = [](quint64 group, quint64 value) {
        return (group << 32) | value;
    };
    switch (type) {
    case StandingType::ScoredGoRound:
        // Scores, highest first; then "no score"; then entries yet to ride.
        if (r.score != 0)
            return ranked(0, Max32 - r.score);
        return ranked(isNoResult(r) ? 1 : 2, 0);
    case StandingType::TimedShortestFirstGoRound:
        // Times, shortest first; then "no time"; then entries yet to run.
        if (r.time != 0)
            return ranked(0, r.time);
        return ranked(isNoResult(r) ? 1 : 2, 0);
    case StandingType::TimedLongestFirstGoRound:
        // Longest first, entries without a time after them, "no time" last.
        return isNoResult(r) ? ranked(1, 0) : ranked(0, Max32 - r.time);
    case StandingType::ScoredOverall:
        return Max32 - r.score;
    case StandingType::TimedShortestFirstOverall: {
        const quint64 everyRound = roundCount != 0 && r.ride == roundCount ? 0 : 1;
        return (everyRound << 40) | (quint64(0xFF - r.success) << 32) | r.time;
    }
    case StandingType::TimedLongestFirstOverall:
        return Max32 - r.time;
    }
    return 0;
}

void OrderStanding(std::vector<ResultRecord>& items, StandingType type, quint8 roundCount)
{
    // Keys and places are sorted, then the records moved once each.
    std::vector<std::pair<quint64, quint32>> order;
    order.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        order.emplace_back(StandingSortKey(type, roundCount, items[i]), quint32(i));
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ResultRecord> sorted;
    sorted.reserve(items.size());
    for (const auto& entry : order)
        sorted.push_back(std::move(items[entry.second]));
    items.swap(sorted);
}

void NumberStanding(std::vector<ResultRecord>& items, StandingType type)
{
    const bool byScore = IsScoredStanding(type);
    int counted = 0;
    int place = 0;
    quint32 last = 0;
    for (ResultRecord& r : items) {
        const quint32 value = byScore ? r.score : r.time;
        if (value == 0) {
            r.position = 0;
            continue;
        }
        ++counted;
        if (value != last) {
            last = value;
            place = counted;
        }
        r.position = qint16(std::min(place, int(std::numeric_limits<qint16>::max())));
    }
}

ResultRecord NewOverallElement(const ResultRecord& r)
{
    ResultRecord e = r;
    e.status.clear();
    if (r.status == StatusReride) {
        e.success = r.score != 0 ? 1 : 0;
        e.ride = 1;
    } else if (r.status == StatusNoResult) {
        e.success = 0;
        e.ride = 1;
    } else if (r.score != 0 || r.time != 0) {
        e.success = 1;
        e.ride = 1;
    } else {
        e.success = 0;
        e.ride = 0;
    }
    return e;
}

void CountIntoOverall(ResultRecord& e, const ResultRecord& r, bool scored)
{
    // Times add up even for scored events (the ride times) and for "no time"
    // results; totals are plain sums and never re-normalised.
    if (scored)
        e.score = addSaturating(e.score, r.score);
    e.time = addSaturating(e.time, r.time);

    if (r.status == StatusNoResult) {
        e.ride = addCount(e.ride);
    } else if (r.status == StatusReride) {
        if (r.score != 0)
            e.success = addCount(e.success);
        e.ride = addCount(e.ride);
    } else if (r.score != 0 || r.time != 0) {
        e.success = addCount(e.success);
        e.ride = addCount(e.ride);
    }
}

OutputFlags CompareForOutputs(const ResultRecord& saved, const ResultRecord* held)
{
    OutputFlags flags;
    if (!held)
        return flags;
    if (saved.status.isEmpty()) {
        flags.scoreChanged = saved.score != held->score ||
                             !std::equal(std::begin(saved.JR), std::end(saved.JR), std::begin(held->JR)) ||
                             !std::equal(std::begin(saved.JS), std::end(saved.JS), std::begin(held->JS));
    }
    flags.timeChanged = saved.time != held->time || saved.penalty != held->penalty;
    return flags;
}

QString StatisticsRow(const ResultRecord& r)
{
    // Values print unsigned: a saturated time must not turn negative in the report.
    return QStringLiteral("<row pos='%1' ptId='%2' score='%3' time='%4' suc='%5' ride='%6'/>")
        .arg(QString::number(r.position), QString::number(entryKeyId(r.key)), QString::number(r.score),
             QString::number(r.time), QString::number(r.success), QString::number(r.ride));
}
