#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

class CDatabaseManager;

// The key of a node of the reports tree: bits 0-7 the level (1 rodeo,
// 2 event, 4 go-round, 8 performance), 8-15 the performance number, 16-23 the
// go number (on an event node: the go-round count + 1, the final), 24-31 the
// event's position in the rodeo's event list. Each part is one byte, so
// events, go numbers and performances beyond 255 get no node.
namespace ReportKey {

enum Level : quint32 { Rodeo = 1, Event = 2, GoRound = 4, Performance = 8 };

constexpr quint32 make(quint32 level, int eventIndex, int go, int perf)
{
    return (level & 0xFFu) | ((quint32(perf) & 0xFFu) << 8) | ((quint32(go) & 0xFFu) << 16) |
           ((quint32(eventIndex) & 0xFFu) << 24);
}
constexpr quint32 level(quint32 key)
{
    return key & 0xFFu;
}
constexpr int performance(quint32 key)
{
    return int((key >> 8) & 0xFFu);
}
constexpr int goNumber(quint32 key)
{
    return int((key >> 16) & 0xFFu);
}
constexpr int eventIndex(quint32 key)
{
    return int((key >> 24) & 0xFFu);
}

} // namespace ReportKey

// One node of the tree with its children, in display order.
struct ReportNode
{
    QString label;
    quint32 key = 0;
    QVector<ReportNode> children;
};

// The open rodeo as a tree: the rodeo, its events in the rodeo's order,
// "Go Round %d" for each go-round and "Final" when the final holds entries,
// and "Performance %d" under each go-round. An empty label and no children
// when no rodeo is open.
ReportNode buildReportTree(CDatabaseManager& db);
