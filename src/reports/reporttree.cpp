#include "reporttree.h"

#include "db/databasemanager.h"

namespace {

constexpr int kMaxPart = 255; // one byte of the key

void addPerformances(CDatabaseManager& db, const QString& eventId, ReportNode& goNode, int eventIndex, int go)
{
    const int count = std::min(db.PerformanceCount(eventId, go), kMaxPart);
    for (int perf = 1; perf <= count; ++perf)
        goNode.children.append({QStringLiteral("Performance %1").arg(perf),
                                ReportKey::make(ReportKey::Performance, eventIndex, go, perf),
                                {}});
}

} // namespace

ReportNode buildReportTree(CDatabaseManager& db)
{
    ReportNode root;
    if (!db.isRodeoOpen())
        return root;
    root.label = db.GetRodeoName();
    root.key = ReportKey::make(ReportKey::Rodeo, 0, 0, 0);

    const QVector<EventCfg>& events = db.events();
    for (int i = 0; i < events.size() && i <= kMaxPart; ++i) {
        const EventCfg& e = events.at(i);
        const int goRounds = std::clamp(e.goRoundCount(), 0, kMaxPart - 1);
        ReportNode eventNode{e.name, ReportKey::make(ReportKey::Event, i, goRounds + 1, 0), {}};
        for (int go = 1; go <= goRounds; ++go) {
            ReportNode goNode{
                QStringLiteral("Go Round %1").arg(go), ReportKey::make(ReportKey::GoRound, i, go, 0), {}};
            addPerformances(db, e.id, goNode, i, go);
            eventNode.children.append(goNode);
        }
        // The final has a node only once it was built (it holds entries).
        RegEntry final;
        final.eventId = e.id;
        final.goRound = static_cast<quint16>(goRounds + 1);
        final.plrEnt = 0;
        if (db.EntryExists(final)) {
            ReportNode goNode{
                QStringLiteral("Final"), ReportKey::make(ReportKey::GoRound, i, goRounds + 1, 0), {}};
            addPerformances(db, e.id, goNode, i, goRounds + 1);
            eventNode.children.append(goNode);
        }
        root.children.append(eventNode);
    }
    return root;
}
