#pragma once

#include "db/records.h"

#include <QString>
#include <QStringList>
#include <QVector>

class CDatabaseManager;
class UserPrompt;

// What the operator types into the competitor, animal and team cells of the
// entry lists (Run Performance, Performance Entry), as changes of the season:
// a contestant renamed (after the same-name question), a new contestant, an
// animal renamed or added, a team member chosen or typed. Every question goes
// through the prompt. User-interface thread only.
class EntryEdits
{
public:
    // The fields of a contestant cell, and their typed limits.
    enum Field { Bib = 0, FirstName = 1, LastName = 2 };
    static int limitOf(Field field) { return field == Bib ? 5 : 15; }
    static constexpr int TeamNameLimit = 10;
    static constexpr int StockBibLimit = 5;
    static constexpr int StockNameLimit = 15;

    // Items for an editable drop-down, with the ids behind them.
    struct PickList
    {
        QStringList items;
        QVector<quint32> ids;
    };

    EntryEdits(CDatabaseManager& db, UserPrompt& prompt) : m_db(db), m_prompt(prompt) {}

    // The season's contestants, ordered and worded for the field edited.
    PickList contestants(Field field);
    // The season's animals, by bib or by name.
    PickList stock(bool byBib);

    // A contestant's field typed over; false when refused or unchanged.
    bool renameContestant(quint32 plrId, Field field, const QString& text);
    // A contestant typed on an empty row; its id, 0 when none was added.
    quint32 addContestant(Field field, const QString& text);

    // An animal typed into an entry's stock cell. With an animal drawn, the
    // animal's own record changes (for every entry that drew it) and 0 comes
    // back; without, the animal is added (or an identical one found) and its
    // id comes back to be drawn. ok is false when nothing was done.
    quint32 typedStock(quint16 drawn, bool bib, const QString& text, bool* ok);
    // Draws animal stId for the entry (its go-round, performance and running
    // order as they are).
    bool drawStock(const RegEntry& entry, quint32 stId);

    // Member (0..2) of team takes the contestant picked (pickedId) or the
    // typed field: the member's own record changes, or a new contestant
    // becomes the member.
    bool setTeamMember(TeamRec& team, int member, Field field, const QString& text, quint32 pickedId);

private:
    bool sameNameAllowed(const ContestantRec& c);

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
};
