#pragma once

#include "results/resultrecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// One recorded change of a result row (a row of ResultHistory): when, where
// from, and the result before and after. A row added holding a result has no
// before; a row deleted has no after. A timed row's time is ride + penalty,
// as in memory.
struct ResultChange
{
    qint64 id = 0;
    QDateTime when; // UTC
    QString source; // changeSourceText()
    QString action; // "Insert", "Update" or "Delete"
    bool scored = true;
    int goRound = 0; // where the row is after the change (before it, for a delete)
    quint32 ptId = 0;
    int plrEnt = 0;
    int oldGoRound = 0; // where it was before; 0 for an insert
    quint32 oldPtId = 0;
    int oldPlrEnt = 0;
    bool hasBefore = false;
    bool hasAfter = false;
    ResultRecord before;
    ResultRecord after;
    // A draw, or its undo, moves the entry without touching its result: its
    // place before and after ("Performance 2, order 3, animal 21 Widow Maker").
    bool drawn = false;
    QString placeBefore;
    QString placeAfter;
};

namespace ResultHistory {

// A result row's columns as the history keeps them (a JSON object) read into
// a record; false when the text is not such an object.
bool parseValues(const QString& json, bool scored, ResultRecord& out);

// A result in one line for the history list: "85.50 (21 22 / 22 21)
// Time 7.3 NO SCORE". Times with the event's precision text ("0.01").
QString describe(const ResultRecord& r, bool scored, const QString& precision);

// What happened, in words: "Saved", "Changed", "Cleared", "Deleted", "Moved from go-round 2", ...
QString describeAction(const ResultChange& change);

// The texts of one line of the history list: when (UTC), go-round ("Finals"
// for the go-round after the regular ones), what happened, where from, the
// result before and after.
QStringList columns(const ResultChange& change, const QString& precision, int goRounds);

} // namespace ResultHistory
