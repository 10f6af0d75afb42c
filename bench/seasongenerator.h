#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Builds a large season for measuring the database module: a season folder
// made the way the program makes one (template copy and season.cfg), filled
// with direct inserts in one transaction.
//
// One rodeo (the "big" one) holds every event with its go-rounds fully
// entered, spread over performances with running orders and animals drawn;
// the go-rounds before the last hold results, the last one results for half
// of its entries. The other rodeos hold only their standard events.
class SeasonGenerator
{
public:
    struct Options
    {
        int contestants = 10000;
        int animals = 2000;
        int contractors = 50;
        int rodeos = 20;
        int events = 20; // of the big rodeo: the standard events, then custom ones
        int goRounds = 3;
        int entriesPerGoRound = 500; // per event; teams in the team event
        int performanceSize = 50;
        quint32 seed = 20260101;
    };

    struct Result
    {
        QString season;
        QString rodeo; // the big rodeo
        int rodeoId = 0;
        QStringList eventIds;
        QString scoredEvent; // an individual scored event of the big rodeo
        QString timedEvent;  // an individual timed event
        QString teamEvent;
        int entryRows = 0;
    };

    SeasonGenerator(const QString& dataFolder, const QString& templateDatabase);

    // Creates the season (which must not exist yet) and fills it.
    bool generate(const QString& season, const Options& options, Result& out);
    QString lastError() const { return m_error; }

private:
    bool fail(const QString& text);

    QString m_dataFolder;
    QString m_templateDatabase;
    QString m_error;
};
