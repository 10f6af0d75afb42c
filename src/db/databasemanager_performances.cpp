// Performances and finals as the Performance Entry view changes them: adding
// and removing a performance, placing an entry at a running order, and
// building the final from the overall standing. Each is one transaction.
#include "app/log.h"
#include "app/userprompt.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "rowmapping.h"

namespace {

// The row that keeps a performance in existence while nobody is placed in
// it: contestant 0, entry 1, in the go-round's highest performance.
RegEntry placeholder(const QString& eventId, int goRound, int perf)
{
    RegEntry e;
    e.eventId = eventId;
    e.goRound = static_cast<quint16>(goRound);
    e.ptId = 0;
    e.plrEnt = 1;
    e.perf = static_cast<quint16>(perf);
    return e;
}

} // namespace

bool CDatabaseManager::ensurePerformancePlaceholder(const QString& eventId, int goRound, int perf)
{
    const RegEntry wanted = placeholder(eventId, goRound, perf);
    const QString table = GetEventTable(eventId);
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND ptId = 0 AND PlrEnt = 1")
            .arg(table),
        {m_rodeo.id, eventId, goRound});
    if (!rs)
        return false;
    if (!rs->moveFirst())
        return AddCompEntry(wanted, goRound == GetEvent(eventId)->goRoundCount() + 1);
    const RegEntry held = entryFromRow(*rs);
    if (held.perf >= perf)
        return true; // it marks a later performance already
    return UpdateCompEntry(held, wanted);
}

int CDatabaseManager::AddPerformance(const QString& eventId, int goRound)
{
    const EventCfg* event = GetEvent(eventId);
    if (!m_isOpen || !event || goRound < 1 || goRound > event->goRoundCount() + 1)
        return 0;
    const int next = GetLastPerf(eventId, goRound) + 1;
    if (next > 0xFFFF)
        return 0;
    WriteScope scope(*this);
    if (!scope.isActive() || !ensurePerformancePlaceholder(eventId, goRound, next))
        return 0;
    return scope.commit() ? next : 0;
}

bool CDatabaseManager::RemovePerformance(const QString& eventId, int goRound, int perf)
{
    const EventCfg* event = GetEvent(eventId);
    const QString table = GetEventTable(eventId);
    if (!m_isOpen || !event || perf < 1)
        return false;
    const int count = GetLastPerf(eventId, goRound);
    if (perf > count)
        return false;

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    // Its entries become unplaced; the later performances move down by one,
    // also when the removed one was empty (else it would not go at all).
    const QVariantList where{m_rodeo.id, eventId, goRound, perf};
    auto held = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId >= ?").arg(table),
        where);
    if (!held)
        return false;
    QVector<RegEntry> moved;
    for (held->moveFirst(); !held->isEof(); held->moveNext()) {
        RegEntry e = entryFromRow(*held);
        if (e.perf == perf) {
            e.perf = 0;
            e.ord = 0;
        } else {
            e.perf = static_cast<quint16>(e.perf - 1);
        }
        moved.append(e);
    }
    const bool written =
        m_conn->execute(QStringLiteral("UPDATE %1 SET PerfId = 0, Ord = 0 "
                                       "WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId = ?")
                            .arg(table),
                        where) &&
        m_conn->execute(QStringLiteral("UPDATE %1 SET PerfId = PerfId - 1 "
                                       "WHERE RoId = ? AND EvId = ? AND GoId = ? AND PerfId > ?")
                            .arg(table),
                        where);
    if (!written) {
        logReport("Failed to remove the performance.  DBMgr::RemovePerformance  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (const RegEntry& e : std::as_const(moved))
        if (!putEntry(e))
            return false;
    // The go-round keeps count - 1 performances.
    if (count > 1 && !ensurePerformancePlaceholder(eventId, goRound, count - 1))
        return false;
    return scope.commit();
}

bool CDatabaseManager::PlaceEntry(const RegEntry& entry, int perf, int ord)
{
    const EventCfg* event = GetEvent(entry.eventId);
    const QString table = GetEventTable(entry.eventId);
    if (!m_isOpen || !event || entry.ptId == 0 || perf < 0 || ord < 0 || perf > 0xFFFF || ord > 0xFFFF)
        return false;
    if (perf == 0 || ord == 0)
        perf = ord = 0; // taken out of its performance only

    const QVariantList go{m_rodeo.id, entry.eventId, entry.goRound};
    auto row = m_conn->query(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND "
                                            "ptId = ? AND PlrEnt = ?")
                                 .arg(table),
                             go + QVariantList{entry.ptId, entry.plrEnt});
    if (!row || !row->moveFirst())
        return false;
    const RegEntry old = entryFromRow(*row);
    if (old.perf == perf && old.ord == ord)
        return true;

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    // The rows that shift come back from their UPDATE as they now are, so
    // that memory can follow them (the last shift of a row holds its place).
    QHash<EntryKey, RegEntry> shifted;
    const QString others = QStringLiteral(" AND ptId > 0 AND NOT (ptId = ? AND PlrEnt = ?)");
    const auto shift = [&](const QString& condition, const QVariantList& params, int by) {
        auto rs = m_conn->query(
            QStringLiteral("UPDATE %1 SET Ord = Ord + ? WHERE RoId = ? AND EvId = ? AND GoId = ? "
                           "AND %2%3 RETURNING %4")
                .arg(table, condition, others, entryColumns()),
            QVariantList{by} + go + params + QVariantList{entry.ptId, entry.plrEnt});
        if (!rs) {
            logReport("Failed to renumber the running order.  DBMgr::PlaceEntry  SQL:%s, Error:%s",
                      m_conn->lastStatement(), errorDescription(m_conn->lastError()));
            return false;
        }
        const EntryRowReader reader(*rs);
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const RegEntry e = reader.read();
            shifted.insert(e.key(), e);
        }
        return true;
    };
    // The gap it leaves closes; the place it takes opens.
    if (old.perf != 0 && old.ord != 0 &&
        !shift(QStringLiteral("PerfId = ? AND Ord > ?"), {old.perf, old.ord}, -1))
        return false;
    if (perf != 0 && !shift(QStringLiteral("PerfId = ? AND Ord >= ?"), {perf, ord}, +1))
        return false;

    RegEntry placed = old;
    placed.perf = static_cast<quint16>(perf);
    placed.ord = static_cast<quint16>(ord);
    if (!UpdateCompEntry(old, placed))
        return false;
    for (const RegEntry& e : std::as_const(shifted))
        if (!putEntry(e))
            return false;
    // A performance beyond the last one known becomes the last one.
    if (perf > 0 && !ensurePerformancePlaceholder(entry.eventId, entry.goRound, perf))
        return false;
    return scope.commit();
}

CDatabaseManager::FinalBuild CDatabaseManager::BuildFinal(const QString& eventId,
                                                          const QVector<EntryKey>& finalists)
{
    const EventCfg* event = GetEvent(eventId);
    if (!m_isOpen || !event)
        return FinalBuild::BuildFailed;
    const int finalGo = event->goRoundCount() + 1;

    // The old final goes only together with the new one coming: a step that
    // fails keeps the final the event had. Deleting a go-round without rows
    // changes nothing, and one with results is refused (and said so).
    WriteScope scope(*this);
    if (!scope.isActive())
        return FinalBuild::BuildFailed;
    if (!DeleteGoround(eventId, finalGo))
        return FinalBuild::ClearFailed;
    if (!AddGoround(eventId, finalGo))
        return FinalBuild::BuildFailed;
    const int n = static_cast<int>(finalists.size());
    for (int i = 0; i < n; ++i) {
        RegEntry unplaced;
        unplaced.eventId = eventId;
        unplaced.goRound = static_cast<quint16>(finalGo);
        unplaced.ptId = entryKeyId(finalists[i]);
        unplaced.plrEnt = static_cast<quint16>(entryKeyNumber(finalists[i]));
        RegEntry placed = unplaced;
        placed.perf = 1;
        placed.ord = static_cast<quint16>(n - i); // the leader runs last
        if (!UpdateCompEntry(unplaced, placed))
            return FinalBuild::BuildFailed;
    }
    if (!ensurePerformancePlaceholder(eventId, finalGo, 1))
        return FinalBuild::BuildFailed;
    return scope.commit() ? FinalBuild::Built : FinalBuild::BuildFailed;
}

bool CDatabaseManager::finalHoldsEntries(const QString& eventId)
{
    const EventCfg* event = GetEvent(eventId);
    if (!event)
        return false;
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? AND ptId > 0").arg(GetEventTable(eventId)),
        {m_rodeo.id, eventId, event->goRoundCount() + 1});
    return rs && rs->moveFirst();
}

bool CDatabaseManager::SetEventEntryCount(const QString& eventId, quint32 ptId, int count)
{
    const EventCfg* event = GetEvent(eventId);
    if (!m_isOpen || !event || ptId == 0 || count < 1 || count > 255)
        return false;
    const bool team = event->isTeam();
    const QString table = GetEventTable(eventId);
    const int have = (team ? m_teamEntries : m_playerEntries).entryCount(ptId, eventId);
    if (count == have)
        return true;
    // Entries with results are never dropped with the count.
    for (int n = count + 1; n <= have; ++n) {
        RegEntry probe;
        probe.eventId = eventId;
        probe.goRound = 0; // any go-round
        probe.ptId = ptId;
        probe.plrEnt = static_cast<quint16>(n);
        if (HasStats(probe, table, team)) {
            m_prompt.inform(QStringLiteral("There is data for the entry. Deletion is not allowed!"));
            return false;
        }
    }

    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    for (int n = have + 1; n <= count; ++n) {
        RegEntry added;
        added.eventId = eventId;
        added.ptId = ptId;
        added.plrEnt = static_cast<quint16>(n);
        added.teamFlag = team ? RegEntry::TeamEntry : RegEntry::OwnEntry;
        for (int go = 1; go <= event->goRoundCount(); ++go) {
            added.goRound = static_cast<quint16>(go);
            if (!AddCompEntry(added, false))
                return false;
        }
    }
    for (int n = count + 1; n <= have; ++n) {
        if (!m_conn->execute(
                QStringLiteral("DELETE FROM %1 WHERE RoId = ? AND EvId = ? AND ptId = ? AND PlrEnt = ?").arg(table),
                {m_rodeo.id, eventId, ptId, n})) {
            logReport("Failed to delete the competition entry.  DBMgr::SetEventEntryCount  SQL:%s",
                      m_conn->lastStatement());
            return false;
        }
        RegEntry gone;
        gone.eventId = eventId;
        gone.ptId = ptId;
        gone.plrEnt = static_cast<quint16>(n);
        UpdateRegEntry(gone, false, RemoveEventEntry);
    }
    return scope.commit();
}
