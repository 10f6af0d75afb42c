#pragma once

#include "results/resultrecord.h"

#include <QString>
#include <QVector>

// What the draws work on: entries of one event and go-round, the
// performances that take them, the secretary's requests, and what a draw
// could not honour. A performance is one show of the rodeo: performance 2 of
// a go-round is the same show for every event, so a contestant's entries in
// two events meet there.
namespace Draw {

// One performance of the go-round being drawn and the places it offers.
struct Performance
{
    int number = 0; // 1..255
    int capacity = 0;
};

// One competitor entry to place: a contestant's or a team's.
struct Entry
{
    EntryKey key = 0;
    QVector<quint32> people; // the contestants who ride in it (a team's members)
};

// Where a contestant rides in another event of the same go-round.
struct Placed
{
    quint32 person = 0;
    QString eventId;
    int perf = 0;
};

// A request of the secretary. A member names a contestant and the event it
// is about (empty: every event of the contestant).
struct Request
{
    enum Kind {
        Up,                     // rides in performance perf
        Out,                    // does not ride in performance perf
        Buddies,                // 2-4 members ride in the same performance
        SamePerformanceAllowed, // may ride two events in one performance
    };
    struct Member
    {
        quint32 person = 0;
        QString eventId;
    };
    qint64 id = 0;
    Kind kind = Up;
    QVector<Member> members;
    int perf = 0;
};

// A request (or, with request id 0, the rule that keeps a contestant out of
// two events of one performance) that the draw could not honour, and why.
struct Problem
{
    qint64 requestId = 0;
    quint32 person = 0;
    QString reason;

    bool operator==(const Problem&) const = default;
};

// An entry's place after a draw; perf 0 is unplaced.
struct Placement
{
    EntryKey key = 0;
    int perf = 0;
    int ord = 0;

    bool operator==(const Placement&) const = default;
};

} // namespace Draw
