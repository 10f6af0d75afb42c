#include "runningorder.h"

#include <algorithm>
#include <map>

namespace {

using Draw::Placement;

// The entries of each performance, in key order so that the input's order
// does not change the draw.
std::map<int, QVector<EntryKey>> byPerformance(const QVector<Placement>& placements)
{
    std::map<int, QVector<EntryKey>> perfs;
    for (const Placement& p : placements)
        if (p.perf > 0)
            perfs[p.perf].append(p.key);
    for (auto& [perf, keys] : perfs)
        std::sort(keys.begin(), keys.end());
    return perfs;
}

QVector<Placement> numbered(const std::map<int, QVector<EntryKey>>& perfs, const QVector<Placement>& all)
{
    QVector<Placement> out;
    out.reserve(all.size());
    for (const auto& [perf, keys] : perfs)
        for (int i = 0; i < keys.size(); ++i)
            out.append({keys[i], perf, i + 1});
    QVector<EntryKey> unplaced;
    for (const Placement& p : all)
        if (p.perf <= 0)
            unplaced.append(p.key);
    std::sort(unplaced.begin(), unplaced.end());
    for (EntryKey key : unplaced)
        out.append({key, 0, 0});
    return out;
}

} // namespace

QVector<Placement> Draw::shuffleRunningOrder(QVector<Placement> placements, DrawRandom& random)
{
    auto perfs = byPerformance(placements);
    for (auto& [perf, keys] : perfs)
        random.shuffle(keys);
    return numbered(perfs, placements);
}

QVector<Placement> Draw::leadersLast(QVector<Placement> placements, const QHash<EntryKey, int>& rank,
                                     DrawRandom& random)
{
    auto perfs = byPerformance(placements);
    for (auto& [perf, keys] : perfs) {
        QVector<EntryKey> unranked;
        QVector<EntryKey> ranked;
        for (EntryKey key : keys)
            (rank.value(key, 0) > 0 ? ranked : unranked).append(key);
        random.shuffle(unranked);
        // The worst standing first, the leader last; a tie keeps key order.
        std::stable_sort(ranked.begin(), ranked.end(),
                         [&](EntryKey a, EntryKey b) { return rank.value(a) > rank.value(b); });
        keys = unranked + ranked;
    }
    return numbered(perfs, placements);
}
