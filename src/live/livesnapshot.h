#pragma once

#include "results/resultrecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// What the live results show, as the scoring table had it at one moment:
// every text is already formatted as the program's own lists show it. The
// user-interface thread builds one (LiveSnapshotBuilder) and publishes it;
// from then on nobody changes it, so any thread may read it without a lock.

// One competitor entry in a standing or a running order.
struct LiveRow
{
    EntryKey key = 0;    // finds the row again; not shown
    QString bib;         // a contestant's back number, empty for a team
    QString name;        // "First Last", or the team's name
    QStringList members; // a team's members, "First Last" each
    QString stock;       // the animal drawn for this go-round: "bib name"
    int order = 0;       // running order in its performance (0: not placed)
    bool shown = false;  // the result cell shows something
    int place = 0;       // 0: no place
    QString score;       // as the run lists show it (scored events)
    QString time;        // as the run lists show it
    QString status;      // "NO SCORE", "NO TIME", "RERIDE/OPTION", "PENALTY" or empty
    QString rides;       // the overall standing: "successful / run"
};

// One go-round, the final or the overall standing of an event: the entries
// with a result, in standing order.
struct LiveStanding
{
    int goRound = 0; // 1.. for a go-round, the go-round count + 1 for the final, 0 overall
    QString title;   // "Go-Round 1", "Final", "Overall"
    std::vector<LiveRow> rows;
};

struct LiveEvent
{
    QString id;
    QString name;
    bool scored = true;
    bool team = false;
    std::vector<LiveStanding> goRounds;
    bool hasFinal = false; // the final holds entries
    LiveStanding final;
    LiveStanding overall;

    // The standing of a go-round (the final is go-round count + 1); null when none.
    const LiveStanding* standing(int goRound) const;
    int resultCount() const;
};

// A result saved lately, as it stands now.
struct LiveRecent
{
    QString eventId;
    QString eventName;
    QString round; // "Go-Round 1", "Final"
    QString at;    // the time of day it was saved, "HH:mm:ss"
    LiveRow row;
};

// What is being run: the event, go-round and performance of the current
// entry, the contestant up, the performance's running order with its
// results, and the results saved last (newest first).
struct LiveNow
{
    bool running = false;
    QString eventId;
    QString eventName;
    bool scored = true;
    int goRound = 0;
    QString round;
    int performance = 0;
    bool hasUp = false;
    LiveRow up;
    std::vector<LiveRow> order;
    std::vector<LiveRecent> recent;
};

struct LiveSnapshot
{
    quint64 version = 0; // grows with every snapshot published
    QString title;       // the page title: the operator's, or the rodeo's name
    bool rodeoOpen = false;
    QString rodeo;
    QString date;
    QDateTime published; // UTC
    std::vector<std::shared_ptr<const LiveEvent>> events;
    LiveNow now;

    const LiveEvent* event(const QString& id) const;
};
