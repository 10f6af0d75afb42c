#pragma once

#include "db/databasemanager.h"
#include "reports/drawsheet.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The draw of one event's go-round as the secretary works it in the draw
// dialog: what the go-round holds, the requests and the performances'
// places, a draw made from a seed and shown before anything is written, then
// written (or left) and undone. Used in this order:
//   capacities(), requests() ...    what the dialog shows
//   Plan plan = draw(options);      nothing written; plan.unmet names what
//                                   the draw could not honour
//   accept(plan);                   written, with its record and history
//   undo(eventId, goRound);         the last draw taken back
// The same options (seed included) over the same entries give the same plan.
// User-interface thread only (it uses the database manager).
class DrawSession
{
public:
    struct Options
    {
        QString eventId;
        int goRound = 1;
        bool performances = true; // performances, and with them the running order
        bool runningOrder = true; // the running order within the performances as they are
        bool stock = false;       // an animal of the event's pen for each rider
        bool rerides = false;     // re-ride animals for the go-round's re-rides (drawn alone)
        bool leadersLast = false; // running order by the standing, the leader last
        bool samePerformanceAllowed = false;
        QVector<int> capacities;    // places of performances 1, 2, ...
        QHash<EntryKey, int> ranks; // for leadersLast: 1 is the leader
        quint64 seed = 0;
    };
    struct Row
    {
        EntryKey key = 0;
        int perf = 0;
        int ord = 0;
        quint32 stock = 0;
        QString competitor;
        QString animal;
    };
    struct Plan
    {
        Options options;
        QString what;      // the letters recorded with the draw
        QString error;     // nothing can be drawn: why
        QVector<Row> rows; // the rows the draw sets, by performance and running order
        QStringList unmet; // what the draw could not honour, in words
        bool ok() const { return error.isEmpty(); }
    };

    explicit DrawSession(CDatabaseManager& db) : m_db(db) {}

    // The go-round's performances (at least 1), entries and places: the
    // places saved for it, else as even as possible.
    int performanceCount(const QString& eventId, int goRound);
    int entryCount(const QString& eventId, int goRound) const;
    QVector<int> capacities(const QString& eventId, int goRound, int performances);
    bool saveCapacities(const QString& eventId, int goRound, const QVector<int>& places);
    // Whether the event draws animals (a scored event of single riders), and
    // the animals of its pen that may be drawn (out ones never).
    bool drawsStock(const QString& eventId) const;
    int penSize(const QString& eventId, bool rerides) const;
    bool isFinal(const QString& eventId, int goRound) const;

    QVector<DrawRequestRec> requests();
    // What is wrong with a request as typed, in words; empty when it can be kept.
    static QString check(const DrawRequestRec& request);
    bool addRequest(DrawRequestRec& request) { return m_db.AddDrawRequest(request); }
    bool removeRequest(qint64 id) { return m_db.DeleteDrawRequest(id); }
    // "Up: Wade Sundell in performance 2 (SB, go-round 1)", ...
    QString describe(const DrawRequestRec& request) const;
    QString contestantName(quint32 plrId) const;

    Plan draw(const Options& options) const;
    CDatabaseManager::DrawWrite accept(const Plan& plan);
    CDatabaseManager::DrawUndo undo(const QString& eventId, int goRound)
    {
        return m_db.UndoDraw(eventId, goRound);
    }

    // The go-round's rows as the draw sheet lists them (performance, running
    // order, competitor, animal), the unplaced last.
    QVector<Row> currentRows(const QString& eventId, int goRound) const;
    // The draw sheet of the go-round: its rows with the last draw in force.
    DrawSheetData sheet(const QString& eventId, int goRound);
    // Writes it into htmlFolder (ending with "/") as "<name>.html" and
    // "<name>.pdf"; the page's path, or empty (error says why).
    QString writeSheet(const QString& eventId, int goRound, const QString& htmlFolder,
                       QString* error = nullptr);

private:
    QVector<RegEntry> entriesOf(const QString& eventId, int goRound) const;
    QVector<quint32> peopleOf(const EventCfg& event, quint32 ptId) const;
    QString competitorName(const EventCfg& event, quint32 ptId, int plrEnt) const;
    QString animalName(quint32 stId) const;

    CDatabaseManager& m_db;
};
