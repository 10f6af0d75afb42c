#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// A request of the secretary for the draws of the open rodeo, as the season
// keeps it (DrawRequests with its DrawRequestMembers).
struct DrawRequestRec
{
    enum class Kind : char {
        Up = 'U',              // rides in performance perf
        Out = 'O',             // does not ride in performance perf
        Buddies = 'B',         // 2 to 4 members ride in the same performance
        SamePerformance = 'A', // may ride two events in one performance
    };
    struct Member
    {
        quint32 plrId = 0;
        QString eventId; // empty: every event of the contestant
    };

    qint64 id = 0;
    Kind kind = Kind::Up;
    int goRound = 0; // 0: every go-round
    int perf = 0;    // Up and Out
    QVector<Member> members;
};

// One row of a go-round as a draw set it: the entry (ptId 0 is the row that
// keeps a performance in existence) with its place before and after.
struct DrawRowRec
{
    quint32 ptId = 0;
    int plrEnt = 1;
    int oldPerf = 0; // -1: the draw made the row
    int oldOrd = 0;
    quint32 oldStock = 0;
    int perf = 0;
    int ord = 0;
    quint32 stock = 0;
};

// A draw of one event's go-round as recorded: what was drawn, from which
// seed, when, what the secretary accepted unhonoured, and the rows.
struct DrawRec
{
    qint64 id = 0;
    QString eventId;
    int goRound = 0;
    QString what; // letters: P performances, O running order, S stock, R re-ride stock
    quint64 seed = 0;
    QDateTime when; // UTC
    QStringList unmet;
    bool undone = false;
    QVector<DrawRowRec> rows;
};
