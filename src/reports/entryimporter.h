#pragma once

#include "db/records.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class CDatabaseManager;
class QIODevice;
class UserPrompt;

// The "Name Resolver": how to split a name of three or more words into first
// and last name. The user interface answers with its dialog; tests from a script.
class NameResolverPrompt
{
public:
    struct Answer
    {
        QString first;
        QString last;
        // Split every later name of as many words after the same word.
        bool applyToLaterNames = false;
    };
    virtual ~NameResolverPrompt() = default;
    virtual Answer resolveName(const QString& fullName, const QString& proposedFirst,
                               const QString& proposedLast) = 0;
};

// Reports how far a long import is, and asks whether to go on.
class ImportProgress
{
public:
    virtual ~ImportProgress() = default;
    // A new stage with its number of steps.
    virtual void begin(const QString& label, qint64 steps) = 0;
    // Steps done so far in the stage; false when the operator cancelled.
    virtual bool advance(qint64 done) = 0;
};

// What an import did, for the operator.
struct ImportSummary
{
    enum class Outcome { Imported, Cancelled, Failed, CannotOpen };
    struct Skipped
    {
        int line = 0;
        QString reason;
    };

    Outcome outcome = Outcome::Imported;
    QVector<Skipped> skipped; // lines not taken, in file order
    QStringList notes;        // contestants read but not (fully) entered
    int contestants = 0;      // contestants read and given an identity
    int entries = 0;          // rows written
    int alreadyEntered = 0;   // entries the rodeo held already
    int teams = 0;            // teams formed
    int valuesCut = 0;        // texts cut to the length of their field

    // The text shown at the end of an import.
    QString text() const;
};

// Imports an entry file into the open rodeo: reads the contestants, resolves
// them against the season, pairs team ropers and enters everybody into the
// chosen events, every regular go-round. The whole file is one change of the
// season: a cancel or a failure leaves it as it was (and the database
// manager reads its working copy again).
//
// Relies on the database manager's own operations: ResolveContestant (with
// its resolution prompts), AddTeam (with its "Same Team Found" question) and
// AddCompEntry. An entry the rodeo already holds is kept as it is (with its
// performance and any result) and counted, not written twice.
//
// User-interface thread only (the database manager's rule); the progress
// object lets the window stay responsive while it runs.
class EntryImporter
{
public:
    // One row of the view's event list.
    struct EventChoice
    {
        QString id;
        QString name;
        bool import = false;
    };

    EntryImporter(CDatabaseManager& db, UserPrompt& prompt, NameResolverPrompt* names = nullptr);

    // The events kept from the view's list: every ticked one, less those the
    // operator does not want overwritten when they hold competitors already.
    static QStringList chooseEvents(CDatabaseManager& db, UserPrompt& prompt,
                                    const QVector<EventChoice>& rows);

    // Imports a file; a file that cannot be opened is reported to the
    // operator ("Couldn't open the import file:\n%s").
    ImportSummary run(const QString& path, const QStringList& chosenEvents,
                      ImportProgress* progress = nullptr);
    // The same from an open device (size() for the progress when known).
    ImportSummary run(QIODevice& device, const QStringList& chosenEvents, ImportProgress* progress = nullptr);

private:
    struct Record
    {
        int line = 0;
        ContestantRec contestant;
        bool yes[11] = {};
        int ownNumber = 0;
        int partnerNumber = 0;
        int role = 0;
        int team = -1; // index into the teams being formed
    };
    struct FormingTeam
    {
        quint32 members[3] = {0, 0, 0}; // header, trailer, third
        TeamRec team;
        bool complete = false;
        bool entered = false;
    };

    bool read(QIODevice& device, const QStringList& chosenEvents, ImportProgress* progress,
              ImportSummary& summary);
    bool takeLine(int lineNumber, const QString& text, const QStringList& chosenEvents,
                  ImportSummary& summary);
    bool apply(ImportProgress* progress, ImportSummary& summary);
    bool resolveContestants(ImportProgress* progress, ImportSummary& summary);
    bool pairTeams(ImportSummary& summary);
    bool enter(ImportProgress* progress, ImportSummary& summary);
    bool enterInEvent(const QString& eventId, quint32 ptId, ImportSummary& summary);
    // Why a roper's team was not formed, in the words of the summary.
    QString whyNoTeam(const Record& r) const;
    QString describe(const Record& r) const;
    QString cut(const QString& text, int capacity, ImportSummary& summary) const;

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    NameResolverPrompt* m_names;

    QVector<Record> m_records;
    QVector<FormingTeam> m_teams;
    QHash<int, int> m_byNumber; // own number -> the first record with it
    bool m_pairTeams = false;
    // A split the operator chose for every later name of that many words.
    QHash<int, int> m_splitForWords;
};
