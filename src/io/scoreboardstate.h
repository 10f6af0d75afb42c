#pragma once

#include <QtGlobal>

// The output manager's formatting state that outlives one refresh: which page
// of each leader list the scoreboards show, the values the "needed" figures
// are measured against, and the contestant message in use.
struct ScoreboardState
{
    int goPage = 0;
    int overallPage = 0;
    // Leader lines per page on the boards (the announcer pages with them).
    int linesPerPage = 4;
    // Set by the leader blocks: the page shown is the list's last one.
    bool goLastPage = false;
    bool overallLastPage = false;

    // Set while the leader blocks are built, read by the result block.
    quint32 goLeaderValue = 0;
    quint32 overallLeaderValue = 0;
    quint32 cutValue = 0;

    // The contestant message shown (a display button's "message").
    int messageNumber = 0;
};
