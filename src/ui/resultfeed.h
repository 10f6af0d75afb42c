#pragma once

#include <QObject>
#include <QTimer>

class CMainFrame;

// A test hook for automated runs of the whole program (the durability test):
// with SCORVANE_RESULT_FEED=<milliseconds> set, results are saved through the
// main window's SaveResult, as the entry bars and the timing console save
// them, one every so many milliseconds, into go-round 1 of the first event of
// the open rodeo that has entries there, one entry after the other. Each is announced on standard
// output before and after the save, flushed at once:
//     saving <seq> <event> <go-round> <ptId> <entry> <column> <value>
//     saved <seq>        (SaveResult returned: the row and its history are on disk)
//     failed <seq>
// The value is JTot (scored) or RideTime (timed). SCORVANE_RESULT_FEED_FROM=<n>
// starts the sequence after n, so that a run that follows a killed one saves
// values of its own. Nothing else uses it.
class ResultFeed : public QObject
{
    Q_OBJECT
public:
    // The feed the environment asks for, or null.
    static ResultFeed* fromEnvironment(CMainFrame& frame);

    ResultFeed(CMainFrame& frame, int intervalMs, int firstSeq = 1);

private:
    void feedOne();

    CMainFrame& m_frame;
    QTimer m_timer;
    int m_seq = 0;
};
