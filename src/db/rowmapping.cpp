#include "rowmapping.h"

#include "platform/sql/sqlrecordset.h"
#include "platform/sql/sqlrow.h"
#include "results/scoringsettings.h"

EventCfg eventFromRow(const SqlRecordset& rs)
{
    EventCfg e;
    e.id = fitText(rs.toText(QStringLiteral("EvId")), Capacity::EventId);
    e.name = fitText(rs.toText(QStringLiteral("EvName")), Capacity::EventName);
    e.label = fitText(e.name + QStringLiteral(" (") + e.id + QLatin1Char(')'), Capacity::EventLabel);
    DecodeEventType(rs.toText(QStringLiteral("EvType")), &e.scoringKind, &e.entryKind);
    e.standard = fitText(rs.toText(QStringLiteral("EvStandard")), Capacity::EventStandard);
    e.ranking = RankingText(static_cast<int>(rs.toUInt(QStringLiteral("EvRanking"))));
    e.goRounds = QString::number(rs.toUInt(QStringLiteral("ReGos")));
    e.finals = QString::number(rs.toUInt(QStringLiteral("ReFinals")));
    DecodeJudges(rs.toText(QStringLiteral("ReJudges")), &e.judgeMode, &e.judgeCount);
    e.fraction = FractionText(rs.toText(QStringLiteral("ReFraction")));
    e.precision = PrecisionText(static_cast<int>(rs.toUInt(QStringLiteral("RePrecision"))));
    return e;
}

RegEntry entryFromRow(const SqlRecordset& rs)
{
    return EntryRowReader(rs).read();
}

QString entryColumns()
{
    return QStringLiteral("EvId, ptId, GoId, PerfId, PlrEnt, Ord, StId");
}

template <typename Row>
EntryRowReader<Row>::EntryRowReader(const Row& row)
    : m_row(row), m_evId(row.columnOf(QStringLiteral("EvId"))), m_ptId(row.columnOf(QStringLiteral("ptId"))),
      m_goId(row.columnOf(QStringLiteral("GoId"))), m_perfId(row.columnOf(QStringLiteral("PerfId"))),
      m_plrEnt(row.columnOf(QStringLiteral("PlrEnt"))), m_ord(row.columnOf(QStringLiteral("Ord"))),
      m_stId(row.columnOf(QStringLiteral("StId")))
{
}

template <typename Row>
RegEntry EntryRowReader<Row>::read() const
{
    RegEntry e;
    e.eventId = fitText(m_row.toText(m_evId), Capacity::EventId);
    e.ptId = m_row.toUInt(m_ptId);
    e.goRound = static_cast<quint16>(m_row.toUInt(m_goId));
    e.perf = static_cast<quint16>(m_row.toUInt(m_perfId));
    e.plrEnt = static_cast<quint16>(m_row.toUInt(m_plrEnt));
    e.ord = static_cast<quint16>(m_row.toUInt(m_ord));
    e.stock = static_cast<quint16>(m_row.toUInt(m_stId));
    return e;
}

template class EntryRowReader<SqlRecordset>;
template class EntryRowReader<SqlRow>;

ContestantRec contestantFromRow(const SqlRecordset& rs)
{
    return ContestantRowReader(rs).read();
}

template <typename Row>
ContestantRowReader<Row>::ContestantRowReader(const Row& row)
    : m_row(row), m_plrId(row.columnOf(QStringLiteral("PlrId"))), m_afId(row.columnOf(QStringLiteral("AfId"))),
      m_bib(row.columnOf(QStringLiteral("PlrBib"))), m_first(row.columnOf(QStringLiteral("PlrFirstName"))),
      m_last(row.columnOf(QStringLiteral("PlrLastName"))), m_year(row.columnOf(QStringLiteral("PlrYear"))),
      m_town(row.columnOf(QStringLiteral("PlrHomeTown"))),
      m_earnLast(row.columnOf(QStringLiteral("PlrEarnLast"))),
      m_earnCur(row.columnOf(QStringLiteral("PlrEarnCur"))), m_misc(row.columnOf(QStringLiteral("PlrMisc"))),
      m_league(row.columnOf(QStringLiteral("LeagueId")))
{
}

template <typename Row>
ContestantRec ContestantRowReader<Row>::read() const
{
    ContestantRec c;
    c.plrId = m_row.toUInt(m_plrId);
    c.afId = m_row.toUInt(m_afId);
    c.bib = m_row.toText(m_bib);
    c.firstName = m_row.toText(m_first);
    c.lastName = m_row.toText(m_last);
    c.year = m_row.toText(m_year);
    c.homeTown = m_row.toText(m_town);
    c.earnLast = m_row.toText(m_earnLast);
    c.earnCur = m_row.toText(m_earnCur);
    c.misc = m_row.toText(m_misc);
    c.leagueId = m_row.toUInt(m_league);
    c.fit();
    return c;
}

template class ContestantRowReader<SqlRecordset>;
template class ContestantRowReader<SqlRow>;

template <typename Row>
ResultRowReader<Row>::ResultRowReader(const Row& row)
    : m_row(row), m_ptId(row.columnOf(QStringLiteral("ptId"))), m_plrEnt(row.columnOf(QStringLiteral("PlrEnt"))),
      m_penalty(row.columnOf(QStringLiteral("PenTime"))), m_ride(row.columnOf(QStringLiteral("RideTime"))),
      m_score(row.columnOf(QStringLiteral("JTot"))), m_status(row.columnOf(QStringLiteral("Status"))),
      m_success(row.columnOf(QStringLiteral("Suc")))
{
    for (int j = 0; j < 4; ++j) {
        m_JR[j] = row.columnOf(QStringLiteral("JR%1").arg(j + 1));
        m_JS[j] = row.columnOf(QStringLiteral("JS%1").arg(j + 1));
    }
}

template <typename Row>
ResultRecord ResultRowReader<Row>::read() const
{
    ResultRecord r;
    r.key = makeEntryKey(m_row.toUInt(m_ptId), static_cast<int>(m_row.toUInt(m_plrEnt)));
    r.penalty = m_row.toUInt(m_penalty);
    r.time = m_row.toUInt(m_ride) + r.penalty;
    r.score = m_row.toUInt(m_score);
    r.setStatus(m_row.toText(m_status));
    r.success = static_cast<quint8>(m_row.toUInt(m_success));
    for (int j = 0; j < 4; ++j) {
        r.JR[j] = static_cast<quint16>(m_row.toUInt(m_JR[j]));
        r.JS[j] = static_cast<quint16>(m_row.toUInt(m_JS[j]));
    }
    return r;
}

// Only the standings read results row by row.
template class ResultRowReader<SqlRow>;

StockRec stockFromRow(const SqlRecordset& rs)
{
    StockRec s;
    s.stId = rs.toUInt(QStringLiteral("StId"));
    s.coId = rs.toUInt(QStringLiteral("CoId"));
    s.bib = rs.toText(QStringLiteral("StBib"));
    s.name = rs.toText(QStringLiteral("StName"));
    s.homeTown = rs.toText(QStringLiteral("StHomeTown"));
    s.weight = rs.toUInt(QStringLiteral("StWeight"));
    s.age = static_cast<quint8>(rs.toUInt(QStringLiteral("StAge")));
    s.pen = rs.toText(QStringLiteral("StPen"));
    s.reride = rs.toUInt(QStringLiteral("StReride")) != 0;
    s.out = rs.toUInt(QStringLiteral("StOut")) != 0;
    s.fit();
    return s;
}

TeamRec teamFromRow(const SqlRecordset& rs)
{
    TeamRec t;
    t.tmId = rs.toUInt(QStringLiteral("TmId"));
    t.plrId1 = rs.toUInt(QStringLiteral("PlrId1"));
    t.plrId2 = rs.toUInt(QStringLiteral("PlrId2"));
    t.plrId3 = rs.toUInt(QStringLiteral("PlrId3"));
    t.name = rs.toText(QStringLiteral("TmName"));
    t.fit();
    return t;
}

void setContestantFields(SqlRecordset& rs, const ContestantRec& c)
{
    rs.setField(QStringLiteral("PlrFirstName"), c.firstName);
    rs.setField(QStringLiteral("PlrLastName"), c.lastName);
    rs.setField(QStringLiteral("PlrHomeTown"), c.homeTown);
    rs.setField(QStringLiteral("PlrBib"), c.bib);
    rs.setField(QStringLiteral("PlrEarnLast"), c.earnLast);
    rs.setField(QStringLiteral("PlrEarnCur"), c.earnCur);
    rs.setField(QStringLiteral("PlrMisc"), c.misc);
    rs.setField(QStringLiteral("PlrYear"), c.year);
    rs.setField(QStringLiteral("AfId"), c.afId);
    rs.setField(QStringLiteral("LeagueId"), c.leagueId);
}

void setStockFields(SqlRecordset& rs, const StockRec& s)
{
    rs.setField(QStringLiteral("StBib"), s.bib);
    rs.setField(QStringLiteral("StName"), s.name);
    rs.setField(QStringLiteral("StHomeTown"), s.homeTown);
    rs.setField(QStringLiteral("StAge"), s.age);
    rs.setField(QStringLiteral("StWeight"), s.weight);
    rs.setField(QStringLiteral("CoId"), s.coId);
    rs.setField(QStringLiteral("StPen"), s.pen);
    rs.setField(QStringLiteral("StReride"), s.reride ? 1 : 0);
    rs.setField(QStringLiteral("StOut"), s.out ? 1 : 0);
}

void setTeamFields(SqlRecordset& rs, const TeamRec& t)
{
    rs.setField(QStringLiteral("TmName"), t.name);
    rs.setField(QStringLiteral("PlrId1"), t.plrId1);
    rs.setField(QStringLiteral("PlrId2"), t.plrId2);
    rs.setField(QStringLiteral("PlrId3"), t.plrId3);
}

QString resultCondition(const QString& table)
{
    if (table == QLatin1String("Scores"))
        return QStringLiteral("(JTot > 0 OR JR1 > 0 OR JR2 > 0 OR JR3 > 0 OR JR4 > 0 OR JS1 > 0 OR JS2 > 0 "
                              "OR JS3 > 0 OR JS4 > 0 OR RideTime > 0)");
    return QStringLiteral("(RideTime > 0 OR PenTime > 0)");
}
