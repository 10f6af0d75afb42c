#include "competitortext.h"

#include "app/log.h"
#include "db/databasemanager.h"
#include "scoreboardfields.h"

const ContestantRec* CompetitorText::contestant(quint32 plrId) const
{
    return m_db.contestants().find(plrId);
}

const TeamRec* CompetitorText::team(quint32 tmId) const
{
    return m_db.teams().find(tmId);
}

QString CompetitorText::name(const ContestantRec& c) const
{
    return ScoreboardFields::name(m_profile.display, c.firstName, c.lastName);
}

QList<const ContestantRec*> CompetitorText::members(const TeamRec& team) const
{
    QList<const ContestantRec*> out;
    for (quint32 id : {team.plrId1, team.plrId2, team.plrId3})
        out << (id != 0 ? contestant(id) : nullptr);
    return out;
}

QString CompetitorText::teamName(const TeamRec& team) const
{
    if (m_profile.teamDisplay.compare(QLatin1String("Last/Last"), Qt::CaseInsensitive) != 0)
        return team.name;
    QStringList names;
    for (quint32 id : {team.plrId1, team.plrId2, team.plrId3}) {
        if (id == 0)
            continue;
        if (const ContestantRec* c = contestant(id))
            names << c->lastName;
        else
            logReport("Failed to lookup the player %d.  GetTeamDisplayName", id);
    }
    return names.join(QLatin1Char('/'));
}
