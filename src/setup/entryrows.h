#pragma once

#include "results/resultrecord.h"

#include <QString>
#include <QVector>

class CDatabaseManager;

// Which competitor entries the Performance Entry lists show, and in which
// order, for the node chosen in the rodeo tree and the list mode.
namespace EntryRows {

// The "View" choice.
enum Mode { Season = 1, Rodeo = 2, Event = 3, Performances = 5, Unassigned = 6 };

struct Selection
{
    Mode mode = Rodeo;
    QString eventId; // empty: the rodeo node
    int goRound = 0; // 0: the event node (its lists use go-round 1)
    int perf = 0;    // 0: no performance node
    bool team = false;
};

struct Row
{
    EntryKey key = 0;
    bool entered = true; // false: a season contestant without an entry in the rodeo
};

// The rows, one per competitor entry (at the rodeo node one per competitor).
// Entries of the selected event come first; then placed before unplaced in
// the go-round (at a performance node: that performance's entries by running
// order, then the other performances', then the unplaced); the rest by
// competitor name and entry number.
QVector<Row> build(const CDatabaseManager& db, const Selection& selection);

} // namespace EntryRows
