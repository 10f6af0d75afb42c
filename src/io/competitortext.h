#pragma once

#include "app/displayprofilesettings.h"
#include "db/records.h"
#include "results/resultrecord.h"

class CDatabaseManager;

// The names of contestants and teams as the scoreboards and the announcer
// show them, by the current profile's name formats.
class CompetitorText
{
public:
    CompetitorText(const CDatabaseManager& db, const DisplayProfileSettings& profile)
        : m_db(db), m_profile(profile)
    {
    }

    const ContestantRec* contestant(quint32 plrId) const;
    const TeamRec* team(quint32 tmId) const;
    // The contestant's name in the profile's "display" format.
    QString name(const ContestantRec& c) const;
    // The members' last names joined by "/" ("Last/Last"), or the team name.
    QString teamName(const TeamRec& team) const;
    // The members of a team in member order; a missing one is null.
    QList<const ContestantRec*> members(const TeamRec& team) const;

    // The value a standing ranks by: the score for a scored event, else the time.
    static quint32 value(const ResultRecord& r, bool scored) { return scored ? r.score : r.time; }

private:
    const CDatabaseManager& m_db;
    DisplayProfileSettings m_profile;
};
