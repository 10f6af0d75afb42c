#include "performancedraw.h"

#include "placementflow.h"
#include "runningorder.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <numeric>

namespace Draw {
namespace {

// Entries that must share a performance (buddies), or one entry alone.
struct Unit
{
    QVector<int> entries;
    PerfSet allowed;
    QVector<qint64> buddyRequests;
};

// The draw of one go-round, step by step: the rules and requests narrow each
// entry's performances, buddies join into units, the narrowed units are
// placed first and the free entries fill what is left.
class PerformanceDraw
{
public:
    PerformanceDraw(const PerformanceDrawInput& input, DrawRandom& random) : m_in(input), m_random(random)
    {
        m_entries = input.entries;
        std::sort(m_entries.begin(), m_entries.end(),
                  [](const Entry& a, const Entry& b) { return a.key < b.key; });
        for (int i = 0; i < input.performances.size(); ++i) {
            m_perfIndex.insert(input.performances[i].number, i);
            m_all.set(size_t(i));
            m_room.append(std::max(0, input.performances[i].capacity));
        }
        for (int e = 0; e < m_entries.size(); ++e)
            for (quint32 person : m_entries[e].people)
                if (!m_entriesOf[person].contains(e))
                    m_entriesOf[person].append(e);
        m_allowed.fill(m_all, m_entries.size());
        m_narrowedBy.resize(m_entries.size());
        m_closedBy.resize(m_entries.size());
        m_requests = input.requests;
        std::sort(m_requests.begin(), m_requests.end(),
                  [](const Request& a, const Request& b) { return a.id < b.id; });
    }

    PerformanceDrawResult run()
    {
        PerformanceDrawResult out;
        const int places = std::accumulate(m_room.begin(), m_room.end(), 0);
        if (m_in.performances.isEmpty())
            out.error = QStringLiteral("The go-round has no performance to draw into.");
        else if (m_in.performances.size() > 255 || m_perfIndex.size() != m_in.performances.size())
            out.error =
                QStringLiteral("A go-round is drawn into at most 255 performances, each numbered once.");
        else if (places < m_entries.size())
            out.error = QStringLiteral("The performances offer %1 places for %2 entries.")
                            .arg(places)
                            .arg(m_entries.size());
        if (!out.ok())
            return out;

        keepEventsApart();
        applyOuts();
        applyUps();
        QVector<Unit> units = joinBuddies();
        placeUnits(units);
        placeFreeEntries(units);

        QVector<Placement> placed;
        for (int e = 0; e < m_entries.size(); ++e)
            placed.append({m_entries[e].key, m_in.performances[m_perfOf[e]].number, 0});
        out.placements = shuffleRunningOrder(placed, m_random);
        out.unmet = m_unmet;
        return out;
    }

private:
    // The entries of this event a member of a request is about.
    QVector<int> entriesOf(const Request::Member& m) const
    {
        if (!m.eventId.isEmpty() && m.eventId != m_in.eventId)
            return {};
        return m_entriesOf.value(m.person);
    }

    void name(qint64 requestId, quint32 person, const QString& reason)
    {
        const Problem p{requestId, person, reason};
        if (!m_unmet.contains(p))
            m_unmet.append(p);
    }

    // A contestant does not ride two events in one performance unless he or
    // everyone may.
    void keepEventsApart()
    {
        if (m_in.samePerformanceAllowed)
            return;
        QSet<quint32> mayDouble;
        for (const Request& r : std::as_const(m_requests))
            if (r.kind == Request::SamePerformanceAllowed)
                for (const Request::Member& m : r.members)
                    mayDouble.insert(m.person);
        QHash<quint32, PerfSet> taken;
        for (const Placed& p : m_in.placed) {
            const int i = m_perfIndex.value(p.perf, -1);
            if (p.eventId != m_in.eventId && i >= 0 && !mayDouble.contains(p.person))
                taken[p.person].set(size_t(i));
        }
        for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
            for (int e : m_entriesOf.value(it.key())) {
                const PerfSet rest = m_allowed[e] & ~it.value();
                if (rest.none()) {
                    name(0, it.key(), QStringLiteral("rides another event in every performance"));
                    continue;
                }
                for (int i = 0; i < m_room.size(); ++i)
                    if (it.value().test(size_t(i)) && m_allowed[e].test(size_t(i)))
                        m_closedBy[e].insert(i, 0);
                m_allowed[e] = rest;
                m_narrowedBy[e].append(0);
            }
        }
    }

    void applyOuts()
    {
        for (const Request& r : std::as_const(m_requests)) {
            const int i = m_perfIndex.value(r.perf, -1);
            if (r.kind != Request::Out || i < 0)
                continue; // out of a performance that is not drawn: nothing to do
            for (const Request::Member& m : r.members)
                for (int e : entriesOf(m)) {
                    PerfSet rest = m_allowed[e];
                    rest.reset(size_t(i));
                    if (rest.none()) {
                        name(r.id, m.person, QStringLiteral("no other performance is open to him"));
                        continue;
                    }
                    if (m_allowed[e].test(size_t(i)))
                        m_closedBy[e].insert(i, r.id);
                    m_allowed[e] = rest;
                    m_narrowedBy[e].append(r.id);
                }
        }
    }

    void applyUps()
    {
        for (const Request& r : std::as_const(m_requests)) {
            if (r.kind != Request::Up)
                continue;
            const int i = m_perfIndex.value(r.perf, -1);
            for (const Request::Member& m : r.members) {
                const QVector<int> entries = entriesOf(m);
                if (i < 0 && !entries.isEmpty()) {
                    name(r.id, m.person, QStringLiteral("performance %1 is not drawn").arg(r.perf));
                    continue;
                }
                for (int e : entries) {
                    if (!m_allowed[e].test(size_t(i))) {
                        name(r.id, m.person,
                             m_closedBy[e].value(i, -1) == 0
                                 ? QStringLiteral("he rides another event in performance %1").arg(r.perf)
                                 : QStringLiteral("another request keeps him out of performance %1")
                                       .arg(r.perf));
                        continue;
                    }
                    for (int j = 0; j < m_room.size(); ++j)
                        if (j != i && m_allowed[e].test(size_t(j)))
                            m_closedBy[e].insert(j, r.id);
                    m_allowed[e].reset();
                    m_allowed[e].set(size_t(i));
                    m_narrowedBy[e].append(r.id);
                }
            }
        }
    }

    int largestRoom(const PerfSet& allowed) const
    {
        int best = 0;
        for (int i = 0; i < m_room.size(); ++i)
            if (allowed.test(size_t(i)))
                best = std::max(best, m_room[i]);
        return best;
    }

    QVector<Unit> joinBuddies()
    {
        QVector<int> unitOf(m_entries.size());
        QVector<Unit> units;
        for (int e = 0; e < m_entries.size(); ++e) {
            unitOf[e] = int(units.size());
            units.append({{e}, m_allowed[e], {}});
        }
        for (const Request& r : std::as_const(m_requests)) {
            if (r.kind != Request::Buddies)
                continue;
            QVector<int> joined; // units
            PerfSet pin = m_all;
            bool pinned = false;
            for (const Request::Member& m : r.members) {
                for (int e : entriesOf(m))
                    if (!joined.contains(unitOf[e]))
                        joined.append(unitOf[e]);
                // A buddy drawn in another event already pins the performance.
                for (const Placed& p : m_in.placed) {
                    if (p.person != m.person || p.eventId == m_in.eventId ||
                        (!m.eventId.isEmpty() && m.eventId != p.eventId))
                        continue;
                    PerfSet only;
                    const int i = m_perfIndex.value(p.perf, -1);
                    if (i >= 0)
                        only.set(size_t(i));
                    pin &= only;
                    pinned = true;
                }
            }
            if (joined.isEmpty() || (joined.size() == 1 && !pinned))
                continue; // none of them, or one alone, rides in this draw
            PerfSet together = pin;
            int size = 0;
            for (int u : std::as_const(joined)) {
                together &= units[u].allowed;
                size += int(units[u].entries.size());
            }
            if (together.none() || largestRoom(together) < size) {
                name(r.id, r.members.value(0).person,
                     together.none() ? QStringLiteral("no performance is open to all of them")
                                     : QStringLiteral("no performance has room for all of them"));
                continue;
            }
            Unit& into = units[joined.first()];
            into.allowed = together;
            into.buddyRequests.append(r.id);
            for (int k = 1; k < joined.size(); ++k) {
                Unit& from = units[joined[k]];
                for (int e : std::as_const(from.entries))
                    unitOf[e] = joined.first();
                into.entries += from.entries;
                into.buddyRequests += from.buddyRequests;
                from.entries.clear();
            }
        }
        units.removeIf([](const Unit& u) { return u.entries.isEmpty(); });
        return units;
    }

    // The performances a unit may take, in a random order in which one with
    // more free places comes earlier in proportion (so that a narrowed entry
    // takes a place as likely as a free one would).
    QVector<int> candidates(const Unit& u)
    {
        QVector<int> open;
        for (int i = 0; i < m_room.size(); ++i)
            if (u.allowed.test(size_t(i)) && m_room[i] >= u.entries.size())
                open.append(i);
        QVector<int> order;
        while (!open.isEmpty()) {
            quint64 total = 0;
            for (int i : std::as_const(open))
                total += quint64(m_room[i]);
            quint64 pick = m_random.below(total);
            int k = 0;
            while (pick >= quint64(m_room[open[k]])) {
                pick -= quint64(m_room[open[k]]);
                ++k;
            }
            order.append(open[k]);
            open.remove(k);
        }
        return order;
    }

    bool restFits(const QVector<Unit>& units, int from) const
    {
        QVector<Demand> demands;
        for (int k = from; k < units.size(); ++k)
            demands.append({int(units[k].entries.size()), units[k].allowed});
        return allDemandsFit(demands, m_room);
    }

    // Narrowed units first: buddies (largest first), then single entries with
    // the fewest performances open; a random order among equals.
    void placeUnits(QVector<Unit>& all)
    {
        QVector<Unit> units;
        for (const Unit& u : std::as_const(all))
            if (u.entries.size() > 1 || u.allowed != m_all)
                units.append(u);
        m_random.shuffle(units);
        std::stable_sort(units.begin(), units.end(), [](const Unit& a, const Unit& b) {
            if (a.entries.size() != b.entries.size())
                return a.entries.size() > b.entries.size();
            return a.allowed.count() < b.allowed.count();
        });
        m_perfOf.fill(-1, m_entries.size());
        for (int k = 0; k < units.size(); ++k) {
            QVector<int> order = candidates(units[k]);
            if (order.isEmpty() && units[k].entries.size() > 1) {
                // No room for them together: they are drawn one by one.
                const Unit split = units[k];
                for (qint64 id : split.buddyRequests)
                    name(id, m_entries[split.entries.first()].people.value(0),
                         QStringLiteral("no performance has room for all of them"));
                for (int j = 0; j < split.entries.size(); ++j)
                    units.insert(k + 1 + j, Unit{{split.entries[j]}, m_allowed[split.entries[j]], {}});
                continue;
            }
            Unit& u = units[k];
            if (order.isEmpty()) {
                // The performances open to him are full: his requests give way.
                const int e = u.entries.first();
                for (qint64 id : std::as_const(m_narrowedBy[e]))
                    name(id, m_entries[e].people.value(0),
                         id == 0 ? QStringLiteral("the performances apart from his other events are full")
                                 : QStringLiteral("the performances open to him are full"));
                u.allowed = m_all;
                order = candidates(u);
            }
            int chosen = order.first();
            for (int i : std::as_const(order)) {
                m_room[i] -= int(u.entries.size());
                const bool fits = restFits(units, k + 1);
                m_room[i] += int(u.entries.size());
                if (fits) {
                    chosen = i;
                    break;
                }
            }
            m_room[chosen] -= int(u.entries.size());
            for (int e : std::as_const(u.entries))
                m_perfOf[e] = chosen;
        }
    }

    // Every entry not placed yet, in a random order, to the performance that
    // holds the fewest so far among those with room (the first on a tie).
    void placeFreeEntries(const QVector<Unit>& units)
    {
        QVector<int> free;
        for (const Unit& u : units)
            for (int e : u.entries)
                if (m_perfOf[e] < 0)
                    free.append(e);
        std::sort(free.begin(), free.end());
        m_random.shuffle(free);
        QVector<int> held(m_room.size(), 0);
        for (int e = 0; e < m_entries.size(); ++e)
            if (m_perfOf[e] >= 0)
                ++held[m_perfOf[e]];
        for (int e : std::as_const(free)) {
            int best = -1;
            for (int i = 0; i < m_room.size(); ++i)
                if (m_room[i] > 0 && (best < 0 || held[i] < held[best]))
                    best = i;
            m_perfOf[e] = best; // always found: the places were counted first
            --m_room[best];
            ++held[best];
        }
    }

    const PerformanceDrawInput& m_in;
    DrawRandom& m_random;
    QVector<Entry> m_entries;
    QVector<Request> m_requests;
    QHash<int, int> m_perfIndex; // performance number -> position
    QHash<quint32, QVector<int>> m_entriesOf;
    PerfSet m_all;
    QVector<int> m_room;
    QVector<PerfSet> m_allowed;
    QVector<QVector<qint64>> m_narrowedBy;  // request ids, 0 for the two-events rule
    QVector<QHash<int, qint64>> m_closedBy; // position -> what closed it, as above
    QVector<int> m_perfOf;
    QVector<Problem> m_unmet;
};

} // namespace

QVector<int> evenCapacities(int entries, int performances)
{
    QVector<int> caps;
    for (int i = 0; i < performances; ++i)
        caps.append(entries / performances + (i < entries % performances ? 1 : 0));
    return caps;
}

PerformanceDrawResult drawPerformances(const PerformanceDrawInput& input, DrawRandom& random)
{
    return PerformanceDraw(input, random).run();
}

} // namespace Draw
