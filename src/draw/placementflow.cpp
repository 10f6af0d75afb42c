#include "placementflow.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Dinic's maximum flow on a small graph; the graphs here have a node per
// demand and per performance, and a flow of at most the entries placed.
class MaxFlow
{
public:
    explicit MaxFlow(int nodes) : m_adj(nodes), m_level(nodes), m_next(nodes) {}

    void addEdge(int from, int to, int capacity)
    {
        m_adj[from].push_back(int(m_edges.size()));
        m_edges.push_back({to, capacity});
        m_adj[to].push_back(int(m_edges.size()));
        m_edges.push_back({from, 0});
    }

    long long run(int source, int sink)
    {
        long long total = 0;
        while (levels(source, sink)) {
            std::fill(m_next.begin(), m_next.end(), 0);
            while (const int pushed = push(source, sink, std::numeric_limits<int>::max()))
                total += pushed;
        }
        return total;
    }

private:
    struct Edge
    {
        int to;
        int capacity;
    };

    bool levels(int source, int sink)
    {
        std::fill(m_level.begin(), m_level.end(), -1);
        std::vector<int> queue{source};
        m_level[source] = 0;
        for (size_t i = 0; i < queue.size(); ++i)
            for (int e : m_adj[queue[i]])
                if (m_edges[e].capacity > 0 && m_level[m_edges[e].to] < 0) {
                    m_level[m_edges[e].to] = m_level[queue[i]] + 1;
                    queue.push_back(m_edges[e].to);
                }
        return m_level[sink] >= 0;
    }

    int push(int node, int sink, int limit)
    {
        if (node == sink)
            return limit;
        for (int& i = m_next[node]; i < int(m_adj[node].size()); ++i) {
            Edge& edge = m_edges[m_adj[node][i]];
            if (edge.capacity <= 0 || m_level[edge.to] != m_level[node] + 1)
                continue;
            if (const int pushed = push(edge.to, sink, std::min(limit, edge.capacity))) {
                edge.capacity -= pushed;
                m_edges[m_adj[node][i] ^ 1].capacity += pushed;
                return pushed;
            }
        }
        return 0;
    }

    std::vector<Edge> m_edges;
    std::vector<std::vector<int>> m_adj;
    std::vector<int> m_level;
    std::vector<int> m_next;
};

} // namespace

bool Draw::allDemandsFit(const QVector<Demand>& demands, const QVector<int>& room)
{
    long long wanted = 0;
    for (const Demand& d : demands)
        wanted += d.count;
    if (wanted == 0)
        return true;
    const int perfs = int(room.size());
    const int source = 0;
    const int sink = 1;
    const int firstDemand = 2;
    const int firstPerf = firstDemand + int(demands.size());
    MaxFlow flow(firstPerf + perfs);
    for (int d = 0; d < demands.size(); ++d) {
        if (demands[d].count <= 0)
            continue;
        flow.addEdge(source, firstDemand + d, demands[d].count);
        for (int p = 0; p < perfs; ++p)
            if (demands[d].allowed.test(size_t(p)) && room[p] > 0)
                flow.addEdge(firstDemand + d, firstPerf + p, demands[d].count);
    }
    for (int p = 0; p < perfs; ++p)
        if (room[p] > 0)
            flow.addEdge(firstPerf + p, sink, room[p]);
    return flow.run(source, sink) == wanted;
}
