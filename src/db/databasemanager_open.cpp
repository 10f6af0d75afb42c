// Opening a rodeo, loading its working copy, the current entry and its standings.
#include "app/log.h"
#include "app/textnumber.h"
#include "collation.h"
#include "databasemanager.h"
#include "results/scoringsettings.h"
#include "rowmapping.h"

#include <optional>

namespace {

// Earnings and bibs are kept as typed; they sort by the number they start
// with ("$1,250" sorts as 1250).
qint64 numberOf(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char('$'));
    digits.remove(QLatin1Char(','));
    return leadingInt(digits);
}

CollationKey folded(const QString& s)
{
    return collationKey(s);
}

} // namespace

bool CDatabaseManager::OpenRodeo(const QString& season, const QString& rodeo)
{
    if (season.isEmpty() && rodeo.isEmpty())
        return false;
    if (m_isOpen && season == m_season && rodeo == m_rodeo.name)
        return true;

    const QString sql = QStringLiteral("SELECT * FROM Rodeos WHERE RoName = ?");
    const QVariantList params{rodeo};

    // Another season: connect to it, keeping the current connection aside so
    // that a failure leaves the open rodeo usable as it was.
    std::unique_ptr<SqlConnection> previous;
    const bool otherSeason = season != m_season || !m_conn->isOpen();
    if (otherSeason) {
        auto fresh = std::make_unique<SqlConnection>();
        if (!Connect(season, *fresh)) {
            logReport("Failed to connect to the database.  DBMgr::OpenRodeo  Season:%s", season);
            return false;
        }
        previous = std::exchange(m_conn, std::move(fresh));
    }
    auto restore = [&] {
        if (otherSeason)
            m_conn = std::move(previous);
    };

    auto rs = m_conn->query(sql, params);
    if (!rs) {
        restore();
        return false;
    }
    rs->moveFirst();
    if (!LoadRodeo(season, rodeo, rs.get())) {
        restore();
        return false;
    }
    previous.reset(); // the other season's connection closes here

    LoadContestants();
    LoadTeams();
    LoadStock();
    LoadRegs();
    return true;
}

bool CDatabaseManager::LoadRodeo(const QString& season, const QString& rodeo, SqlRecordset* rodeoRow)
{
    const int id = rodeoRow ? (rodeoRow->isEof() ? 0 : static_cast<int>(rodeoRow->toUInt(QStringLiteral("RoId"))))
                            : m_rodeo.id;
    auto events = GetEvents(id, 0);
    if (!events)
        return false;
    if (!events->moveFirst())
        return false;
    if (season.isEmpty() || rodeo.isEmpty())
        return false;

    if (rodeoRow) {
        const SqlRecordset& r = *rodeoRow;
        m_rodeo = RodeoInfo();
        m_rodeo.id = static_cast<qint32>(r.toUInt(QStringLiteral("RoId")));
        m_rodeo.name = fitText(r.toText(QStringLiteral("RoName")), Capacity::RodeoName);
        m_rodeo.date = fitText(r.toText(QStringLiteral("RoDate")), Capacity::RodeoDate);
        m_rodeo.profile = fitText(r.toText(QStringLiteral("RoProfile")), Capacity::RodeoProfile);
        m_rodeo.dispName1 = fitText(r.toText(QStringLiteral("RoDispName1")), Capacity::RodeoDisplayLine);
        m_rodeo.dispName2 = fitText(r.toText(QStringLiteral("RoDispName2")), Capacity::RodeoDisplayLine);
        m_rodeo.dispName3 = fitText(r.toText(QStringLiteral("RoDispName3")), Capacity::RodeoDisplayLine);
        m_rodeo.dispDates = fitText(r.toText(QStringLiteral("RoDispDates")), Capacity::RodeoDisplayLine);
        m_rodeo.dispLoc = fitText(r.toText(QStringLiteral("RoDispLoc")), Capacity::RodeoDisplayLine);
    }
    m_events.clear();
    for (; !events->isEof(); events->moveNext())
        m_events.append(eventFromRow(*events));

    m_season = season;
    m_isOpen = true;
    return true;
}

const EventCfg* CDatabaseManager::GetEvent(const QString& eventId) const
{
    for (const EventCfg& e : m_events)
        if (e.id == eventId)
            return &e;
    return nullptr;
}

bool CDatabaseManager::LoadContestants()
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    m_contestants.clear();
    // Read straight into the records: a season holds thousands.
    const bool read = forEachRecord<ContestantRowReader<SqlRow>>(
        *m_conn, QStringLiteral("SELECT * FROM Rosters"), {}, [&](const ContestantRec& c) { m_contestants.add(c); });
    if (!read) {
        m_contestants.clear();
        return false;
    }
    SortContestants(4);
    return true;
}

bool CDatabaseManager::LoadTeams()
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    m_teams.clear();
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Teams WHERE RoId = ?"), {m_rodeo.id});
    if (!rs || !rs->moveFirst())
        return false;
    for (; !rs->isEof(); rs->moveNext())
        m_teams.add(teamFromRow(*rs));
    return true;
}

bool CDatabaseManager::LoadStock()
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    m_stock.clear();
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Stocks"));
    if (!rs)
        return false;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        m_stock.add(stockFromRow(*rs));
    SortStock(3);
    return true;
}

bool CDatabaseManager::readRegTable(const QString& table)
{
    return forEachRecord<EntryRowReader<SqlRow>>(
        *m_conn, QStringLiteral("SELECT %1 FROM %2 WHERE RoId = ?").arg(entryColumns(), table), {m_rodeo.id},
        [&](const RegEntry& e) { UpdateRegEntry(e, true); });
}

bool CDatabaseManager::LoadRegs()
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    m_playerEntries.clear();
    m_teamEntries.clear();
    if (!readRegTable(QStringLiteral("Scores")) || !readRegTable(QStringLiteral("Times"))) {
        // Nothing of a read that stopped halfway is kept.
        m_playerEntries.clear();
        m_teamEntries.clear();
        logReport("Failed to load the registration entries.  DBMgr::LoadRegs");
        return false;
    }
    return true;
}

bool CDatabaseManager::UpdateRegEntry(const RegEntry& entry, bool add, int removalMode)
{
    const EventCfg* event = GetEvent(entry.eventId);
    const auto mode = static_cast<RegEntryCollection::RemoveMode>(
        removalMode >= RemoveEntry && removalMode <= RemoveExactGoRound ? removalMode : RemoveEntry);

    if (event && event->isTeam()) {
        if (add) {
            RegEntry teamEntry = entry;
            teamEntry.teamFlag = RegEntry::TeamEntry;
            if (!m_teamEntries.add(teamEntry)) {
                logReport("Failed to add a team reg entry.  DBMgr::UpdateRegEntry  ID:%d", entry.ptId);
                return false;
            }
            TeamRec* team = m_teams.find(entry.ptId);
            if (team)
                team->registered = 1;
            if (entry.goRound == 1 && team) {
                for (quint32 member : {team->plrId1, team->plrId2, team->plrId3}) {
                    if (member == 0)
                        continue;
                    RegEntry derived = teamEntry;
                    derived.ptId = member;
                    derived.plrEnt = 1;
                    derived.teamFlag = RegEntry::MemberEntry;
                    m_playerEntries.add(derived);
                    if (ContestantRec* c = m_contestants.find(member))
                        c->registered = 1;
                }
            }
            return true;
        }
        // The members' derived entries and the team's mark stay.
        if (!m_teamEntries.remove(entry, mode)) {
            logReport("Failed to delete a team reg entry.  DBMgr::UpdateRegEntry  ID:%d", entry.ptId);
            return false;
        }
        return true;
    }

    if (add) {
        if (!m_playerEntries.add(entry)) {
            logReport("Failed to add a player reg entry.  DBMgr::UpdateRegEntry  ID:%d", entry.ptId);
            return false;
        }
        if (ContestantRec* c = m_contestants.find(entry.ptId))
            c->registered = 1;
        return true;
    }
    if (!m_playerEntries.remove(entry, mode)) {
        logReport("Failed to delete a player reg entry. DBMgr::UpdateRegEntry  ID:%d", entry.ptId);
        return false;
    }
    // The mark stays while the contestant holds any other entry.
    if (!m_playerEntries.holdsCompetitor(entry.ptId))
        if (ContestantRec* c = m_contestants.find(entry.ptId))
            c->registered = 0;
    return true;
}

bool CDatabaseManager::Create(const QString& season, const QString& rodeo)
{
    // The main window's start asks for no rodeo (the last one is reopened once
    // the views exist): nothing is opened, and nothing failed that a line in
    // the log should report.
    if (season.isEmpty() && rodeo.isEmpty())
        return false;
    if (!OpenRodeo(season, rodeo)) {
        logReport("Failed to open the rodeo.  DBMgr::Create  Season:%s, Rodeo:%s", season, rodeo);
        return false;
    }
    if (!LoadContestants()) {
        logReport("Failed to load the contestants.  DBMgr::Create  Season:%s, Rodeo:%s", season, rodeo);
        return false;
    }
    if (!LoadTeams()) {
        logReport("Failed to load the teams.  DBMgr::Create  Season:%s, Rodeo:%s", season, rodeo);
        return false;
    }
    if (!LoadStock()) {
        logReport("Failed to load the stock.  DBMgr::Create  Season:%s, Rodeo:%s", season, rodeo);
        return false;
    }
    return true;
}

void CDatabaseManager::clearRodeo()
{
    m_season.clear();
    m_isOpen = false;
    m_rodeo = RodeoInfo();
    m_events.clear();
}

void CDatabaseManager::CloseRodeo()
{
    clearRodeo();
    m_conn->close();
}

QString CDatabaseManager::GetEventTable(const QString& eventId) const
{
    if (eventId.isEmpty())
        return QStringLiteral("Rosters");
    const EventCfg* e = GetEvent(eventId);
    if (!e)
        return QString();
    if (e->scoringKind == ScoringScored)
        return QStringLiteral("Scores");
    if (e->scoringKind == ScoringTimed)
        return QStringLiteral("Times");
    return QString();
}

RegEntryCollection::Lookup CDatabaseManager::LookupEntry(quint32 key, const QString& eventId, int goRound) const
{
    const EventCfg* e = GetEvent(eventId);
    const RegEntryCollection& entries = (e && e->isTeam()) ? m_teamEntries : m_playerEntries;
    return entries.lookup(key, eventId, goRound);
}

bool CDatabaseManager::SetCurEntry(const RegEntry& entry)
{
    if (entry.ptId != m_curEntry.ptId) {
        m_resultChanged = false;
        m_timeChanged = false;
    }
    m_curEntry = entry;
    return ReloadCurStats();
}

bool CDatabaseManager::ReloadCurStats()
{
    m_standings.clear();
    const EventCfg* event = GetEvent(m_curEntry.eventId);
    if (!event) {
        logReport("Failed to get the event.  DBMgr::ReloadCurStats  Event:%s", m_curEntry.eventId);
        return false;
    }
    return ReadStandings(*event, m_standings);
}

bool CDatabaseManager::ReadStandings(const EventCfg& event, Standings& out) const
{
    out.clear();
    const int goRounds = event.goRoundCount();
    const bool scored = event.isScored();
    if (!out.beginRebuild(goRounds, scored, event.ranking == RankingLongestFirst))
        return false;

    const QString table = scored ? QStringLiteral("Scores") : QStringLiteral("Times");
    const QString sql =
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table);
    // Every pick of an event reads them all: row by row, each column found once.
    QVector<ResultRecord> records;
    for (int go = 1; go <= goRounds + 1; ++go) {
        records.clear();
        const bool read = forEachRecord<ResultRowReader<SqlRow>>(
            *m_conn, sql, {m_rodeo.id, event.id, go}, [&](const ResultRecord& r) {
                if (entryKeyId(r.key) != 0) // a row without a contestant
                    records.append(r);
            });
        if (!read)
            continue; // a go-round that cannot be read is skipped
        for (const ResultRecord& r : std::as_const(records))
            out.addRecord(go, r);
    }
    out.finishRebuild();
    return true;
}

void CDatabaseManager::SortContestants(int key)
{
    switch (key) {
    case 1:
        m_contestants.sortBy([](const ContestantRec& c) { return numberOf(c.bib); });
        break;
    case 2:
        m_contestants.sortBy([](const ContestantRec& c) { return folded(c.firstName); });
        break;
    case 4:
        m_contestants.sortBy(
            [](const ContestantRec& c) { return std::make_pair(folded(c.lastName), folded(c.firstName)); });
        break;
    case 8:
        m_contestants.sortBy([](const ContestantRec& c) { return c.year; });
        break;
    case 16:
        m_contestants.sortBy([](const ContestantRec& c) { return c.homeTown; });
        break;
    case 32:
        m_contestants.sortBy([](const ContestantRec& c) { return numberOf(c.earnCur); });
        break;
    case 64:
        m_contestants.sortBy([](const ContestantRec& c) { return numberOf(c.earnLast); });
        break;
    case 128:
        m_contestants.sortBy([](const ContestantRec& c) { return c.misc; });
        break;
    case 0x20000:
        m_contestants.sortBy([](const ContestantRec& c) {
            return std::make_tuple(c.registered != 0, folded(c.lastName), folded(c.firstName));
        });
        break;
    default:
        return; // any other key leaves the order (and the key in force) unchanged
    }
    m_contestantSortKey = key;
}

void CDatabaseManager::SortStock(int key)
{
    switch (key) {
    case 2:
        m_stock.sortBy([](const StockRec& s) { return folded(s.bib); });
        break;
    case 3:
        m_stock.sortBy([](const StockRec& s) { return folded(s.name); });
        break;
    case 4:
        m_stock.sortBy([](const StockRec& s) { return folded(s.homeTown); });
        break;
    case 5:
        m_stock.sortBy([](const StockRec& s) { return s.age; });
        break;
    case 6:
        m_stock.sortBy([](const StockRec& s) { return s.weight; });
        break;
    case 7:
        m_stock.sortBy([](const StockRec& s) { return s.coId; });
        break;
    default:
        return; // any other key leaves the order (and the key in force) unchanged
    }
    m_stockSortKey = key;
}
