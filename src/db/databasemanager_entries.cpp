// Go-rounds, performances and competition entries: the rows of Scores and
// Times that register a competitor into one go-round of one event, and the
// in-memory entries that mirror them.
#include "app/log.h"
#include "app/userprompt.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "rowmapping.h"

#include <QSet>
#include <algorithm>

namespace {

const QString kScores = QStringLiteral("Scores");
const QString kTimes = QStringLiteral("Times");

bool isResultTable(const QString& table)
{
    return table == kScores || table == kTimes;
}

// Entry numbers live in the low byte of the entry key; 0 and anything above
// 255 would make two entries share a key.
bool validEntryNumber(int plrEnt)
{
    return plrEnt >= 1 && plrEnt <= 255;
}

} // namespace

bool CDatabaseManager::EventHasEntries(const QString& eventId)
{
    if (!m_conn->isOpen() || !m_isOpen || eventId.isEmpty())
        return false;
    const QString table = GetEventTable(eventId);
    if (!isResultTable(table))
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? and EvId = ? and ptId > 0").arg(table),
                      {m_rodeo.id, eventId});
    return rs && rs->rowCount() > 0;
}

bool CDatabaseManager::EntryExists(const RegEntry& entry)
{
    if (!m_conn->isOpen() || !m_isOpen || entry.eventId.isEmpty())
        return false;
    const QString table = GetEventTable(entry.eventId);
    const EventCfg* event = GetEvent(entry.eventId);
    if (!isResultTable(table) || !event)
        return false;

    QString where = QStringLiteral("RoId = ? AND EvId = ? ");
    QVariantList params{m_rodeo.id, entry.eventId};
    if (entry.goRound != 0) {
        where += QStringLiteral("AND GoId = ? ");
        params << entry.goRound;
    }
    if (entry.ptId != 0) {
        where += QStringLiteral("AND ptId = ? ");
        params << entry.ptId;
    }
    if (entry.plrEnt != 0) {
        where += QStringLiteral("AND PlrEnt = ? ");
        params << entry.plrEnt;
    }
    if (entry.perf != 0) {
        where += QStringLiteral(" AND PerfId = ?");
        params << entry.perf;
    }
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE %2 ").arg(table, where), params);
    if (!rs)
        return false;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const EventCfg* rowEvent = GetEvent(rs->toText(QStringLiteral("EvId")));
        if (rowEvent && rowEvent->isTeam() == event->isTeam())
            return true;
    }
    return false;
}

bool CDatabaseManager::HasStats(const RegEntry& entry, const QString& table, bool team)
{
    if (!m_conn->isOpen() || !m_isOpen || !isResultTable(table))
        return false;
    QString where = QStringLiteral("RoId = ? AND ");
    QVariantList params{m_rodeo.id};
    if (!entry.eventId.isEmpty()) {
        where += QStringLiteral("EvId = ? AND ");
        params << entry.eventId;
    }
    if (entry.goRound != 0) {
        where += QStringLiteral("GoId = ? AND ");
        params << entry.goRound;
    }
    if (entry.ptId != 0) {
        where += QStringLiteral("ptId = ? AND ");
        params << entry.ptId;
    }
    if (entry.plrEnt != 0) {
        where += QStringLiteral("PlrEnt = ? AND ");
        params << entry.plrEnt;
    }
    if (entry.perf != 0) {
        where += QStringLiteral("PerfId = ? AND ");
        params << entry.perf;
    }
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE %2 %3").arg(table, where, resultCondition(table)), params);
    if (!rs)
        return false;
    // A row counts only for the kind of competitor asked about; a row of an
    // event the rodeo does not hold is taken as an individual one.
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const EventCfg* rowEvent = GetEvent(rs->toText(QStringLiteral("EvId")));
        const bool rowIsTeam = rowEvent && rowEvent->isTeam();
        if (rowIsTeam == team)
            return true;
    }
    return false;
}

bool CDatabaseManager::HasData(const RegEntry& entry, bool team)
{
    return HasStats(entry, kScores, team) || HasStats(entry, kTimes, team);
}

bool CDatabaseManager::AddGoround(const QString& eventId, int goRound)
{
    if (eventId.isEmpty())
        return false;
    if (goRound < 1 || goRound > 0xFFFF)
        return false;
    if (!EventHasEntries(eventId))
        return true;
    const QString table = GetEventTable(eventId);

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = 1").arg(table),
                      {m_rodeo.id, eventId});
    auto present =
        m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table),
                      {m_rodeo.id, eventId, goRound});
    if (!rs || !present)
        return false;
    // Entries the go-round holds already keep their rows (and whatever
    // performance, animal or result they carry); only the missing ones come.
    QSet<EntryKey> held;
    for (present->moveFirst(); !present->isEof(); present->moveNext())
        held.insert(entryFromRow(*present).key());

    const QString insert =
        QStringLiteral("INSERT INTO %1 (RoId, EvId, GoId, ptId, PlrEnt) VALUES (?, ?, ?, ?, ?)").arg(table);
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        RegEntry entry;
        entry.eventId = eventId;
        entry.goRound = static_cast<quint16>(goRound);
        entry.ptId = rs->toUInt(QStringLiteral("ptId"));
        entry.plrEnt = static_cast<quint16>(rs->toUInt(QStringLiteral("PlrEnt")));
        if (held.contains(entry.key()))
            continue;
        if (!m_conn->execute(insert, {m_rodeo.id, eventId, goRound, entry.ptId, entry.plrEnt})) {
            logReport("Failed to create a new record.  DBMgr::AddGoround  SQL:%s, Error:%s",
                      m_conn->lastStatement(), errorDescription(m_conn->lastError()));
            return false;
        }
        if (!UpdateRegEntry(entry, true)) {
            logReport("Failed to update the local storage.  DBMgr::AddGoround");
            return false;
        }
    }
    return scope.commit();
}

bool CDatabaseManager::DeleteGoround(const QString& eventId, int goRound)
{
    if (!m_conn->isOpen() || !m_isOpen || eventId.isEmpty())
        return false;
    const QString table = GetEventTable(eventId);
    const EventCfg* event = GetEvent(eventId);
    if (!isResultTable(table) || !event || goRound < 1 || goRound > 0xFFFF)
        return false;

    // Any entry number counts: the whole go-round goes, so a result of a
    // second entry would be lost just the same.
    RegEntry probe;
    probe.eventId = eventId;
    probe.goRound = static_cast<quint16>(goRound);
    probe.plrEnt = 0;
    if (HasData(probe, event->isTeam())) {
        m_prompt.ask(QStringLiteral("There is stats in the Go-Round. Deleting failed!"),
                     QStringLiteral("Message"), UserPrompt::Buttons::OkCancel, UserPrompt::Icon::None);
        return false;
    }

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table),
                      {m_rodeo.id, eventId, goRound});
    if (!rs)
        return false;
    if (!m_conn->execute(QStringLiteral("DELETE FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table),
                         {m_rodeo.id, eventId, goRound})) {
        logReport("Failed to delete the go from the stats table.  DBMgr::DeleteGoround  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    // Memory follows once the rows are gone; only the deleted go-round of
    // each entry leaves it, whichever go-rounds the entry holds besides.
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        UpdateRegEntry(entryFromRow(*rs), false, RemoveExactGoRound);
    return scope.commit();
}

bool CDatabaseManager::moveGoround(const QString& eventId, int from, int to)
{
    const QString table = GetEventTable(eventId);
    if (!isResultTable(table) || from < 1 || to < 1 || to > 0xFFFF)
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table),
                      {m_rodeo.id, eventId, from});
    if (!rs)
        return false;
    if (!m_conn->execute(
            QStringLiteral("UPDATE %1 SET GoId = ? WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table),
            {to, m_rodeo.id, eventId, from})) {
        logReport("Failed to move the finals.  DBMgr::UpdateGorounds  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        RegEntry moved = entryFromRow(*rs);
        UpdateRegEntry(moved, false, RemoveExactGoRound);
        moved.goRound = static_cast<quint16>(to);
        if (!putEntry(moved))
            return false;
    }
    return true;
}

bool CDatabaseManager::UpdateGorounds(const EventCfg& event, int oldCount)
{
    const int newCount = event.goRoundCount();
    if (newCount == oldCount)
        return true;
    if (newCount < 1 || oldCount < 0)
        return false;

    if (newCount < oldCount) {
        // Every go-round that would go is checked before anything is written,
        // so that a refusal leaves the event exactly as it was.
        const EventCfg* known = GetEvent(event.id);
        const bool team = known ? known->isTeam() : event.isTeam();
        for (int go = newCount + 1; go <= oldCount; ++go) {
            RegEntry probe;
            probe.eventId = event.id;
            probe.goRound = static_cast<quint16>(go);
            probe.plrEnt = 0;
            if (HasData(probe, team)) {
                DeleteGoround(event.id, go); // refuses and tells the operator why
                logReport("Failed to delete the go.  DBMgr::UpdateGorounds  Event:%s, Go:%d", event.id, go);
                return false;
            }
        }
    }

    // The finals are the go-round after the last one: they move with the
    // count, results and all, so that they are still the finals afterwards.
    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    if (newCount > oldCount) {
        if (oldCount > 0 && !moveGoround(event.id, oldCount + 1, newCount + 1))
            return false;
        for (int go = oldCount + 1; go <= newCount; ++go) {
            if (!AddGoround(event.id, go)) {
                logReport("Failed to add the go.  DBMgr::UpdateGorounds  Event:%s, Go:%d", event.id, go);
                return false;
            }
        }
    } else {
        for (int go = newCount + 1; go <= oldCount; ++go) {
            if (!DeleteGoround(event.id, go)) {
                logReport("Failed to delete the go.  DBMgr::UpdateGorounds  Event:%s, Go:%d", event.id, go);
                return false;
            }
        }
        if (!moveGoround(event.id, oldCount + 1, newCount + 1))
            return false;
    }
    return scope.commit();
}

int CDatabaseManager::GetLastPerf(const QString& eventId, int goRound)
{
    if (!m_conn->isOpen() || !m_isOpen || goRound < 0)
        return 0;
    const QString table = GetEventTable(eventId);
    if (!isResultTable(table) || !GetEvent(eventId))
        return 0;
    auto rs = m_conn->query(
        QStringLiteral(
            "SELECT PerfId FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? ORDER BY PerfId DESC LIMIT 1")
            .arg(table),
        {m_rodeo.id, eventId, goRound});
    if (!rs || !rs->moveFirst())
        return 0;
    return static_cast<int>(rs->toUInt(QStringLiteral("PerfId")));
}

bool CDatabaseManager::putEntry(RegEntry moved)
{
    const EventCfg* event = GetEvent(moved.eventId);
    const RegEntryCollection& entries = (event && event->isTeam()) ? m_teamEntries : m_playerEntries;
    if (const RegEntryCollection::CompetitorEntry* c = entries.find(moved.key())) {
        moved.text = c->text;
        moved.value = c->value;
    }
    return UpdateRegEntry(moved, true);
}

bool CDatabaseManager::DeletePerformance(const RegEntry& entry)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    const QString table = GetEventTable(entry.eventId);
    if (!isResultTable(table))
        return false;
    // Performance 0 holds the unplaced entries; "deleting" it would shift
    // every real performance down onto it.
    if (entry.perf == 0)
        return false;

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    auto held = QueryRs(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId = ?").arg(table),
        {m_rodeo.id, entry.eventId, entry.goRound, entry.perf});
    if (!held)
        return false;
    if (!held->moveFirst())
        return scope.commit(); // an empty performance goes without renumbering
    for (; !held->isEof(); held->moveNext()) {
        if (!held->setField(QStringLiteral("PerfId"), 0) || !held->setField(QStringLiteral("Ord"), 0) ||
            !held->update()) {
            held->cancel();
            return false;
        }
        if (!putEntry(entryFromRow(*held)))
            return false;
    }

    auto later = QueryRs(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId > ?").arg(table),
        {m_rodeo.id, entry.eventId, entry.goRound, entry.perf});
    if (!later)
        return false;
    for (later->moveFirst(); !later->isEof(); later->moveNext()) {
        const quint32 perf = later->toUInt(QStringLiteral("PerfId"));
        if (!later->setField(QStringLiteral("PerfId"), perf - 1) || !later->update()) {
            later->cancel();
            return false;
        }
        if (!putEntry(entryFromRow(*later)))
            return false;
    }
    return scope.commit();
}

bool CDatabaseManager::AddCompEntry(const RegEntry& entry, bool finals)
{
    if (!m_conn->isOpen() || !m_isOpen || entry.eventId.isEmpty())
        return false;
    const EventCfg* event = GetEvent(entry.eventId);
    if (!event) {
        logReport("Failed to get the event.  DBMgr::AddCompEntry  Event:%s", entry.eventId);
        return false;
    }
    const QString table = GetEventTable(entry.eventId);
    if (!isResultTable(table))
        return false;
    const int goRounds = event->goRoundCount();
    if (finals ? entry.goRound != goRounds + 1 : (entry.goRound < 1 || entry.goRound > goRounds))
        return false;
    if (!validEntryNumber(entry.plrEnt))
        return false;

    if (!m_conn->execute(
            QStringLiteral("INSERT INTO %1 (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)")
                .arg(table),
            {m_rodeo.id, entry.eventId, entry.goRound, entry.ptId, entry.plrEnt, entry.perf, entry.ord})) {
        logReport("Failed to insert the competition entry.  DBMgr::AddCompEntry  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    // The animal is not part of the new row, so memory starts without it too.
    RegEntry added = entry;
    added.stock = 0;
    return UpdateRegEntry(added, true);
}

bool CDatabaseManager::DeleteCompEntry(const RegEntry& entry)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    const QString table = GetEventTable(entry.eventId);
    if (!isResultTable(table))
        return false;
    if (!m_conn->execute(
            QStringLiteral("DELETE FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND ptId = ? AND "
                           "PlrEnt = ?")
                .arg(table),
            {m_rodeo.id, entry.eventId, entry.goRound, entry.ptId, entry.plrEnt})) {
        logReport("Failed to delete the competition entry.  DBMgr::DeleteCompEntry  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    return UpdateRegEntry(entry, false, RemoveExactGoRound);
}

bool CDatabaseManager::UpdateCompEntry(const RegEntry& oldEntry, const RegEntry& newEntry)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    const QString table = GetEventTable(oldEntry.eventId);
    if (!isResultTable(table))
        return false;
    // The row stays in its table: an entry cannot move into an event whose
    // rows live in the other table, nor take an entry number outside its key.
    if (GetEventTable(newEntry.eventId) != table || !validEntryNumber(newEntry.plrEnt))
        return false;

    auto rs =
        QueryRs(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND ptId = ? AND "
                               "PlrEnt = ?")
                    .arg(table),
                {m_rodeo.id, oldEntry.eventId, oldEntry.goRound, oldEntry.ptId, oldEntry.plrEnt});
    if (!rs || !rs->moveFirst()) {
        logReport("Failed to open the recordset.  DBMgr::UpdateCompEntry  SQL:%s Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    const bool written = rs->setField(QStringLiteral("EvId"), newEntry.eventId) &&
                         rs->setField(QStringLiteral("GoId"), newEntry.goRound) &&
                         rs->setField(QStringLiteral("ptId"), newEntry.ptId) &&
                         rs->setField(QStringLiteral("PlrEnt"), newEntry.plrEnt) &&
                         rs->setField(QStringLiteral("PerfId"), newEntry.perf) &&
                         rs->setField(QStringLiteral("Ord"), newEntry.ord) &&
                         rs->setField(QStringLiteral("StId"), newEntry.stock) && rs->update();
    if (!written) {
        rs->cancel();
        return false;
    }

    // The old row is now the new one: when the entry changed its event,
    // go-round or key, the old slot leaves memory.
    if (oldEntry.eventId != newEntry.eventId || oldEntry.goRound != newEntry.goRound ||
        oldEntry.key() != newEntry.key())
        UpdateRegEntry(oldEntry, false, RemoveExactGoRound);
    return UpdateRegEntry(newEntry, true);
}

bool CDatabaseManager::SetEntryCount(const RegEntry& current, const RegEntry& wanted)
{
    if (!isResultTable(GetEventTable(current.eventId)))
        return false;
    const int have = current.plrEnt;
    const int want = wanted.plrEnt;
    if (want == have)
        return true;
    if (want < have) {
        // Lowering the count must not throw results away with the entries.
        const EventCfg* event = GetEvent(current.eventId);
        const bool team = event && event->isTeam();
        const QString table = GetEventTable(current.eventId);
        for (int n = want + 1; n <= have; ++n) {
            RegEntry copy = current;
            copy.plrEnt = static_cast<quint16>(n);
            copy.perf = 0;
            if (HasStats(copy, table, team)) {
                m_prompt.inform(QStringLiteral("There is data for the entry. Deletion is not allowed!"));
                return false;
            }
        }
    }

    // All the entries come or go, or none: a count that stopped half-way
    // would not be the count the operator typed.
    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    for (int n = have + 1; n <= want; ++n) {
        RegEntry copy = wanted;
        copy.plrEnt = static_cast<quint16>(n);
        if (!AddCompEntry(copy, false))
            return false;
    }
    for (int n = want + 1; n <= have; ++n) {
        RegEntry copy = current;
        copy.plrEnt = static_cast<quint16>(n);
        if (!DeleteCompEntry(copy))
            return false;
    }
    return scope.commit();
}

bool CDatabaseManager::DeletePlrEntry(const RegEntry& entry, const QString& table, bool team)
{
    if (!m_conn->isOpen() || !m_isOpen || !isResultTable(table) || entry.eventId.isEmpty())
        return false;

    // The deletion takes the entry out of every go-round, so a result in any
    // of them forbids it.
    RegEntry probe = entry;
    probe.goRound = 0;
    probe.perf = 0;
    if (HasStats(probe, table, team)) {
        m_prompt.inform(QStringLiteral("There is data for the entry. Deletion is not allowed!"));
        return false;
    }
    if (!m_prompt.askYesNo(QStringLiteral("Are you sure to delete this entry?")))
        return false;

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;

    // Where the entry ran in each go-round, to close the gaps it leaves.
    struct Place
    {
        int goRound;
        int perf;
        int ord;
    };
    QVector<Place> places;
    if (auto rs = m_conn->query(
            QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND ptId = ? AND PlrEnt = ?")
                .arg(table),
            {m_rodeo.id, entry.eventId, entry.ptId, entry.plrEnt})) {
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const int ord = static_cast<int>(rs->toUInt(QStringLiteral("Ord")));
            if (ord > 0)
                places.append({static_cast<int>(rs->toUInt(QStringLiteral("GoId"))),
                               static_cast<int>(rs->toUInt(QStringLiteral("PerfId"))), ord});
        }
    }

    if (!m_conn->execute(
            QStringLiteral("DELETE FROM %1 WHERE RoId = ? AND EvId = ? AND ptId = ? AND PlrEnt = ?")
                .arg(table),
            {m_rodeo.id, entry.eventId, entry.ptId, entry.plrEnt})) {
        logReport("Failed to delete the player entry.  DBMgr::DeletePlrEntry  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }

    bool ok = true;
    // The competitor's later entries close the gap in the entry numbers; in
    // ascending order, so that no number is taken twice on the way.
    auto later =
        QueryRs(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND ptId = ? AND PlrEnt >= ? "
                               "ORDER BY PlrEnt, GoId")
                    .arg(table),
                {m_rodeo.id, entry.eventId, entry.ptId, entry.plrEnt});
    if (!later) {
        logReport("Failed to update the player entries.  DBMgr::DeletePlrEntry  SQL:%s",
                  m_conn->lastStatement());
        ok = false;
    } else {
        for (later->moveFirst(); ok && !later->isEof(); later->moveNext()) {
            const quint32 plrEnt = later->toUInt(QStringLiteral("PlrEnt"));
            if (!later->setField(QStringLiteral("PlrEnt"), plrEnt - 1) || !later->update()) {
                later->cancel();
                logReport("Failed to update the player entries.  DBMgr::DeletePlrEntry  SQL:%s",
                          m_conn->lastStatement());
                ok = false;
            }
        }
    }

    RegEntry removed = entry;
    removed.teamFlag = team ? RegEntry::TeamEntry : RegEntry::OwnEntry;
    if (team) {
        m_teamEntries.remove(removed, RegEntryCollection::RemoveEvent);
    } else if (m_playerEntries.remove(removed, RegEntryCollection::RemoveEvent)) {
        if (!m_playerEntries.holdsCompetitor(entry.ptId))
            if (ContestantRec* c = m_contestants.find(entry.ptId))
                c->registered = 0;
    }

    // The entries that ran after it move up one place.
    for (const Place& place : std::as_const(places)) {
        if (!ok)
            break;
        auto after = QueryRs(
            QStringLiteral(
                "SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId = ? AND Ord > ?")
                .arg(table),
            {m_rodeo.id, entry.eventId, place.goRound, place.perf, place.ord});
        if (!after) {
            logReport("Failed to update the player entries.  DBMgr::DeletePlrEntry  SQL:%s",
                      m_conn->lastStatement());
            ok = false;
            break;
        }
        for (after->moveFirst(); !after->isEof(); after->moveNext()) {
            const quint32 ord = after->toUInt(QStringLiteral("Ord"));
            if (!after->setField(QStringLiteral("Ord"), ord - 1) || !after->update()) {
                after->cancel();
                logReport("Failed to update the player entries.  DBMgr::DeletePlrEntry  SQL:%s",
                          m_conn->lastStatement());
                ok = false;
                break;
            }
        }
    }

    if (!ok)
        return false;
    // Entry numbers moved: the working copy is read again from the rows.
    if (!LoadRegs())
        return false;
    return scope.commit();
}

int CDatabaseManager::FreeRunningOrder(const QString& eventId, int goRound, int perf) const
{
    const EventCfg* event = GetEvent(eventId);
    if (!event || perf < 1)
        return 0;
    const RegEntryCollection& entries = event->isTeam() ? m_teamEntries : m_playerEntries;
    QSet<int> used;
    for (const RegEntry& e : entries.entries(eventId, goRound))
        if (e.perf == perf && e.ord > 0)
            used.insert(e.ord);
    int ord = 1;
    while (used.contains(ord))
        ++ord;
    return ord;
}

CDatabaseManager::EntryAddition CDatabaseManager::AddCompetitorEntry(const RegEntry& entry,
                                                                     PerformanceEntryPrompt* prompt)
{
    const EventCfg* event = GetEvent(entry.eventId);
    if (!m_isOpen || !event || entry.ptId == 0)
        return EntryAddition::Refused;
    const bool team = event->isTeam();
    // A team event takes teams: entry.ptId names a team there.
    if (team != (entry.teamFlag == RegEntry::TeamEntry))
        return EntryAddition::Refused;
    const RegEntryCollection& entries = team ? m_teamEntries : m_playerEntries;
    const int held = entries.entryCount(entry.ptId, entry.eventId);
    const int goRounds = event->goRoundCount();

    WriteScope scope(*this);
    if (!scope.isActive())
        return EntryAddition::Refused;

    if (held > 0 && !team && prompt) {
        QVector<RegEntry> existing;
        for (int n = 1; n <= held; ++n) {
            RegEntry e = entry;
            e.plrEnt = static_cast<quint16>(n);
            const RegEntryCollection::Lookup where = entries.lookup(e.key(), entry.eventId, entry.goRound);
            e.perf = where.perf;
            e.ord = where.ord;
            e.stock = where.stock;
            existing.append(e);
        }
        const PerformanceEntryPrompt::Choice choice = prompt->resolvePerformanceEntry(entry, existing);
        if (choice.decision == PerformanceEntryPrompt::Leave)
            return EntryAddition::Left;
        if (choice.decision == PerformanceEntryPrompt::Replace) {
            if (choice.replacedEntry < 1 || choice.replacedEntry > held)
                return EntryAddition::Refused;
            const RegEntry& old = existing[choice.replacedEntry - 1];
            RegEntry moved = old;
            moved.perf = entry.perf;
            moved.ord = entry.ord;
            if (!UpdateCompEntry(old, moved))
                return EntryAddition::Refused;
            return scope.commit() ? EntryAddition::Replaced : EntryAddition::Refused;
        }
    }

    RegEntry added = entry;
    added.plrEnt = static_cast<quint16>(held + 1);
    added.perf = 0;
    added.ord = 0;
    added.stock = 0;
    bool any = false;
    for (int go = 1; go <= goRounds; ++go) {
        added.goRound = static_cast<quint16>(go);
        if (!AddCompEntry(added, false))
            break; // the go-rounds after a refused one are not entered either
        any = true;
    }
    if (!any)
        return EntryAddition::Refused;
    // The entry's place in the go-round it was entered for.
    if (entry.goRound >= 1 && entry.goRound <= goRounds && (entry.perf != 0 || entry.ord != 0)) {
        RegEntry unplaced = added;
        unplaced.goRound = entry.goRound;
        RegEntry placed = unplaced;
        placed.perf = entry.perf;
        placed.ord = entry.ord;
        if (!UpdateCompEntry(unplaced, placed))
            return EntryAddition::Refused;
    }
    return scope.commit() ? EntryAddition::Added : EntryAddition::Refused;
}
