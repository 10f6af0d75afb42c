// The draw as the season keeps it: the secretary's requests, the places of
// the performances, and each draw written with its record and its result
// history in one transaction, and undone the same way.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "rowmapping.h"

#include <QHash>
#include <algorithm>

namespace {

const QString kNow = QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 'now')");

bool validKind(char kind)
{
    return kind == 'U' || kind == 'O' || kind == 'B' || kind == 'A';
}

} // namespace

// --- Requests and capacities ---------------------------------------------------------

bool CDatabaseManager::GetDrawRequests(QVector<DrawRequestRec>& out)
{
    out.clear();
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    auto rs = m_conn->query(QStringLiteral("SELECT q.DqId, q.DqKind, q.GoId, q.PerfId, m.PlrId, m.EvId "
                                           "FROM DrawRequests AS q LEFT JOIN DrawRequestMembers AS m "
                                           "ON m.DqId = q.DqId WHERE q.RoId = ? ORDER BY q.DqId, m.rowid"),
                            {m_rodeo.id});
    if (!rs) {
        logReport("Failed to read the draw requests.  DBMgr::GetDrawRequests  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const qint64 id = rs->toInt64(QStringLiteral("DqId"));
        if (out.isEmpty() || out.last().id != id) {
            const QByteArray kind = rs->toText(QStringLiteral("DqKind")).toLatin1();
            if (kind.size() != 1 || !validKind(kind[0]))
                continue; // a kind this program does not know is left alone
            DrawRequestRec r;
            r.id = id;
            r.kind = DrawRequestRec::Kind(kind[0]);
            r.goRound = int(rs->toUInt(QStringLiteral("GoId")));
            r.perf = int(rs->toUInt(QStringLiteral("PerfId")));
            out.append(r);
        }
        if (const quint32 plrId = rs->toUInt(QStringLiteral("PlrId")))
            out.last().members.append({plrId, rs->toText(QStringLiteral("EvId"))});
    }
    return true;
}

bool CDatabaseManager::AddDrawRequest(DrawRequestRec& request)
{
    if (!m_isOpen || request.members.isEmpty() || request.members.size() > 4)
        return false;
    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    const bool added = m_conn->execute(
        QStringLiteral("INSERT INTO DrawRequests (RoId, DqKind, GoId, PerfId) "
                       "VALUES (?, ?, ?, ?)"),
        {m_rodeo.id, QString(QChar::fromLatin1(char(request.kind))), request.goRound, request.perf});
    const qint64 id = added ? m_conn->lastInsertRowId() : 0;
    bool written = added;
    for (const DrawRequestRec::Member& m : std::as_const(request.members))
        written =
            written && m_conn->execute(QStringLiteral("INSERT INTO DrawRequestMembers (DqId, PlrId, EvId) "
                                                      "VALUES (?, ?, ?)"),
                                       {id, m.plrId, m.eventId});
    if (!written) {
        logReport("Failed to add the draw request.  DBMgr::AddDrawRequest  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    if (!scope.commit())
        return false;
    request.id = id;
    return true;
}

bool CDatabaseManager::DeleteDrawRequest(qint64 id)
{
    if (!m_isOpen)
        return false;
    WriteScope scope(*this);
    const QVariantList key{id, m_rodeo.id};
    if (!scope.isActive() ||
        !m_conn->execute(QStringLiteral("DELETE FROM DrawRequestMembers WHERE DqId IN "
                                        "(SELECT DqId FROM DrawRequests WHERE DqId = ? AND RoId = ?)"),
                         key) ||
        !m_conn->execute(QStringLiteral("DELETE FROM DrawRequests WHERE DqId = ? AND RoId = ?"), key)) {
        logReport("Failed to delete the draw request.  DBMgr::DeleteDrawRequest  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    return scope.commit();
}

QHash<int, int> CDatabaseManager::GetDrawCapacities(const QString& eventId, int goRound)
{
    QHash<int, int> places;
    auto rs = m_isOpen ? m_conn->query(QStringLiteral("SELECT PerfId, DcPlaces FROM DrawCapacities "
                                                      "WHERE RoId = ? AND EvId = ? AND GoId = ?"),
                                       {m_rodeo.id, eventId, goRound})
                       : nullptr;
    if (!rs)
        return places;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        places.insert(int(rs->toUInt(QStringLiteral("PerfId"))), int(rs->toUInt(QStringLiteral("DcPlaces"))));
    return places;
}

bool CDatabaseManager::SetDrawCapacities(const QString& eventId, int goRound, const QVector<int>& places)
{
    if (!m_isOpen || !GetEvent(eventId))
        return false;
    WriteScope scope(*this);
    bool written =
        scope.isActive() &&
        m_conn->execute(QStringLiteral("DELETE FROM DrawCapacities WHERE RoId = ? AND EvId = ? AND GoId = ?"),
                        {m_rodeo.id, eventId, goRound});
    for (int i = 0; written && i < places.size(); ++i)
        written =
            m_conn->execute(QStringLiteral("INSERT INTO DrawCapacities (RoId, EvId, GoId, PerfId, DcPlaces) "
                                           "VALUES (?, ?, ?, ?, ?)"),
                            {m_rodeo.id, eventId, goRound, i + 1, std::max(0, places[i])});
    if (!written) {
        logReport("Failed to save the performances' places.  DBMgr::SetDrawCapacities  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    return scope.commit();
}

// --- What a go-round holds --------------------------------------------------------------

bool CDatabaseManager::GoRoundHasResults(const QString& eventId, int goRound)
{
    const QString table = GetEventTable(eventId);
    if (!m_isOpen || (table != QLatin1String("Scores") && table != QLatin1String("Times")))
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT count(*) AS n FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? "
                                     "AND ptId > 0 AND %2")
                          .arg(table, resultCondition(table)),
                      {m_rodeo.id, eventId, goRound});
    // Unreadable counts as holding results: a draw must never go over them.
    return !rs || !rs->moveFirst() || rs->toUInt(QStringLiteral("n")) > 0;
}

QVector<EntryKey> CDatabaseManager::ReRideEntries(const QString& eventId, int goRound)
{
    QVector<EntryKey> keys;
    const QString table = GetEventTable(eventId);
    if (!m_isOpen || (table != QLatin1String("Scores") && table != QLatin1String("Times")))
        return keys;
    auto rs =
        m_conn->query(QStringLiteral("SELECT ptId, PlrEnt FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ? "
                                     "AND ptId > 0 AND Status = 'R' ORDER BY ptId, PlrEnt")
                          .arg(table),
                      {m_rodeo.id, eventId, goRound});
    if (rs)
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            keys.append(
                makeEntryKey(rs->toUInt(QStringLiteral("ptId")), int(rs->toUInt(QStringLiteral("PlrEnt")))));
    return keys;
}

// --- Writing and undoing a draw ------------------------------------------------------

bool CDatabaseManager::recordDrawHistory(const QString& table, const QString& action, const QString& eventId,
                                         int goRound, const DrawRowRec& row)
{
    const QString placement = QStringLiteral("json_object('PerfId', ?, 'Ord', ?, 'StId', ?)");
    const bool made = row.oldPerf >= 0;
    return m_conn->execute(
        QStringLiteral(
            "INSERT INTO ResultHistory (HiWhen, HiSource, HiAction, HiTable, RoId, EvId, GoId, ptId, "
            "PlrEnt, OldGoId, OldptId, OldPlrEnt, HiOld, HiNew) VALUES (%1, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, %2, %3)")
            .arg(kNow, made ? placement : QStringLiteral("?"), placement),
        QVariantList{changeSourceText(ChangeSource::Draw), action, table, m_rodeo.id, eventId, goRound,
                     row.ptId, row.plrEnt, goRound, row.ptId, row.plrEnt} +
            (made ? QVariantList{row.oldPerf, row.oldOrd, row.oldStock} : QVariantList{QVariant()}) +
            QVariantList{row.perf, row.ord, row.stock});
}

CDatabaseManager::DrawWrite CDatabaseManager::RecordDraw(DrawRec& draw)
{
    const EventCfg* event = GetEvent(draw.eventId);
    const QString table = GetEventTable(draw.eventId);
    if (!m_isOpen || !event || draw.goRound < 1 || draw.goRound > event->goRoundCount() + 1 ||
        draw.what.isEmpty())
        return DrawWrite::Failed;
    if (!draw.what.contains(QLatin1Char('R')) && GoRoundHasResults(draw.eventId, draw.goRound))
        return DrawWrite::HasResults;

    SourceScope source(*this, ChangeSource::Draw);
    WriteScope scope(*this);
    if (!scope.isActive())
        return DrawWrite::Failed;
    const auto failed = [&](const char* what) {
        logReport(what, m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return DrawWrite::Failed;
    };
    const QVariantList goRound{m_rodeo.id, draw.eventId, draw.goRound};
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table), goRound);
    if (!rs)
        return failed("Failed to read the go-round.  DBMgr::RecordDraw  SQL:%s, Error:%s");
    QHash<EntryKey, RegEntry> held;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const RegEntry e = entryFromRow(*rs);
        held.insert(e.key(), e);
    }

    int lastPerf = 0;
    QVector<RegEntry> moved;
    for (DrawRowRec& row : draw.rows) {
        const auto it = held.constFind(makeEntryKey(row.ptId, row.plrEnt));
        if (row.ptId == 0 || it == held.cend()) {
            // The go-round changed since the draw was made.
            logReport("The drawn entry is not in the go-round.  DBMgr::RecordDraw  Event:%s, Go:%d, ID:%d",
                      draw.eventId, draw.goRound, row.ptId);
            return DrawWrite::Failed;
        }
        row.oldPerf = it->perf;
        row.oldOrd = it->ord;
        row.oldStock = it->stock;
        lastPerf = std::max(lastPerf, row.perf);
        if (!m_conn->execute(QStringLiteral("UPDATE %1 SET PerfId = ?, Ord = ?, StId = ? WHERE RoId = ? AND "
                                            "EvId = ? AND GoId = ? AND ptId = ? AND PlrEnt = ?")
                                 .arg(table),
                             QVariantList{row.perf, row.ord, row.stock} + goRound +
                                 QVariantList{row.ptId, row.plrEnt}) ||
            !recordDrawHistory(table, QStringLiteral("Draw"), draw.eventId, draw.goRound, row))
            return failed("Failed to write the draw.  DBMgr::RecordDraw  SQL:%s, Error:%s");
        RegEntry e = *it;
        e.perf = quint16(row.perf);
        e.ord = quint16(row.ord);
        e.stock = quint16(row.stock);
        moved.append(e);
    }
    // A draw into performances beyond the last one makes them exist; the
    // row that marks the last one is part of the draw (its undo puts it back).
    const RegEntry placeholderBefore = held.value(makeEntryKey(0, 1));
    const bool hadPlaceholder = held.contains(makeEntryKey(0, 1));
    if (lastPerf > 0 && (!hadPlaceholder || placeholderBefore.perf < lastPerf)) {
        if (!ensurePerformancePlaceholder(draw.eventId, draw.goRound, lastPerf))
            return failed("Failed to add the performances of the draw.  DBMgr::RecordDraw  SQL:%s, Error:%s");
        DrawRowRec mark;
        mark.ptId = 0;
        mark.plrEnt = 1;
        mark.oldPerf = hadPlaceholder ? placeholderBefore.perf : -1;
        mark.oldOrd = placeholderBefore.ord;
        mark.perf = lastPerf;
        draw.rows.append(mark);
    }

    draw.when = QDateTime::currentDateTimeUtc();
    if (!m_conn->execute(
            QStringLiteral("INSERT INTO Draws (RoId, EvId, GoId, DrWhat, DrSeed, DrWhen, DrUnmet) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)"),
            goRound + QVariantList{draw.what, QString::number(draw.seed),
                                   draw.when.toString(Qt::ISODateWithMs),
                                   draw.unmet.join(QLatin1Char('\n'))}))
        return failed("Failed to record the draw.  DBMgr::RecordDraw  SQL:%s, Error:%s");
    draw.id = m_conn->lastInsertRowId();
    for (const DrawRowRec& row : std::as_const(draw.rows))
        if (!m_conn->execute(
                QStringLiteral("INSERT INTO DrawRows (DrId, ptId, PlrEnt, OldPerfId, OldOrd, OldStId, "
                               "NewPerfId, NewOrd, NewStId) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {draw.id, row.ptId, row.plrEnt, row.oldPerf, row.oldOrd, row.oldStock, row.perf, row.ord,
                 row.stock}))
            return failed("Failed to record the draw.  DBMgr::RecordDraw  SQL:%s, Error:%s");
    if (!m_conn->execute(QStringLiteral("UPDATE Draws SET DrLastHiId = (SELECT max(HiId) FROM ResultHistory) "
                                        "WHERE DrId = ?"),
                         {draw.id}))
        return failed("Failed to record the draw.  DBMgr::RecordDraw  SQL:%s, Error:%s");
    for (const RegEntry& e : std::as_const(moved))
        if (!putEntry(e))
            return DrawWrite::Failed;
    return scope.commit() ? DrawWrite::Written : DrawWrite::Failed;
}

bool CDatabaseManager::LastDraw(const QString& eventId, int goRound, DrawRec& out)
{
    out = DrawRec();
    if (!m_isOpen)
        return false;
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Draws WHERE RoId = ? AND EvId = ? AND GoId = ? AND "
                                           "DrUndone IS NULL ORDER BY DrId DESC LIMIT 1"),
                            {m_rodeo.id, eventId, goRound});
    if (!rs || !rs->moveFirst())
        return false;
    out.id = rs->toInt64(QStringLiteral("DrId"));
    out.eventId = eventId;
    out.goRound = goRound;
    out.what = rs->toText(QStringLiteral("DrWhat"));
    out.seed = rs->toText(QStringLiteral("DrSeed")).toULongLong();
    out.when = QDateTime::fromString(rs->toText(QStringLiteral("DrWhen")), Qt::ISODateWithMs);
    out.when.setTimeSpec(Qt::UTC);
    const QString unmet = rs->toText(QStringLiteral("DrUnmet"));
    out.unmet = unmet.isEmpty() ? QStringList() : unmet.split(QLatin1Char('\n'));
    auto rows =
        m_conn->query(QStringLiteral("SELECT * FROM DrawRows WHERE DrId = ? ORDER BY rowid"), {out.id});
    if (!rows)
        return false;
    for (rows->moveFirst(); !rows->isEof(); rows->moveNext()) {
        DrawRowRec r;
        r.ptId = rows->toUInt(QStringLiteral("ptId"));
        r.plrEnt = int(rows->toUInt(QStringLiteral("PlrEnt")));
        r.oldPerf = int(rows->toInt64(QStringLiteral("OldPerfId")));
        r.oldOrd = int(rows->toUInt(QStringLiteral("OldOrd")));
        r.oldStock = rows->toUInt(QStringLiteral("OldStId"));
        r.perf = int(rows->toUInt(QStringLiteral("NewPerfId")));
        r.ord = int(rows->toUInt(QStringLiteral("NewOrd")));
        r.stock = rows->toUInt(QStringLiteral("NewStId"));
        out.rows.append(r);
    }
    return true;
}

CDatabaseManager::DrawUndo CDatabaseManager::UndoDraw(const QString& eventId, int goRound)
{
    const QString table = GetEventTable(eventId);
    DrawRec draw;
    if (!m_isOpen || !GetEvent(eventId))
        return DrawUndo::Failed;
    if (!LastDraw(eventId, goRound, draw))
        return DrawUndo::NothingToUndo;
    if (draw.what.contains(QLatin1Char('R'))) {
        // A re-ride draw is made while the go-round runs: it holds until a
        // result is saved in the go-round after it.
        auto later =
            m_conn->query(QStringLiteral("SELECT count(*) AS n FROM ResultHistory AS h, Draws AS d "
                                         "WHERE d.DrId = ? AND h.RoId = d.RoId AND h.EvId = d.EvId AND "
                                         "h.GoId = d.GoId AND h.HiId > d.DrLastHiId AND h.HiSource <> ? "
                                         "AND h.HiAction = 'Update'"),
                          {draw.id, changeSourceText(ChangeSource::Draw)});
        if (!later || !later->moveFirst() || later->toUInt(QStringLiteral("n")) > 0)
            return DrawUndo::HasResults;
    } else if (GoRoundHasResults(eventId, goRound)) {
        return DrawUndo::HasResults;
    }

    SourceScope source(*this, ChangeSource::Draw);
    WriteScope scope(*this);
    if (!scope.isActive())
        return DrawUndo::Failed;
    const QVariantList where{m_rodeo.id, eventId, goRound};
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = ?").arg(table), where);
    if (!rs)
        return DrawUndo::Failed;
    QHash<EntryKey, RegEntry> held;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const RegEntry e = entryFromRow(*rs);
        held.insert(e.key(), e);
    }
    QVector<RegEntry> moved;
    for (const DrawRowRec& row : std::as_const(draw.rows)) {
        const auto it = held.constFind(makeEntryKey(row.ptId, row.plrEnt));
        if (it == held.cend())
            return DrawUndo::ChangedSince;
        const RegEntry now = *it;
        // The placeholder only marks the last performance: it may have moved on.
        if (row.ptId != 0 && (now.perf != row.perf || now.ord != row.ord || now.stock != row.stock))
            return DrawUndo::ChangedSince;
        if (row.ptId == 0) {
            if (now.perf != row.perf)
                continue; // a performance was added or removed since: keep what is there
            const bool written = row.oldPerf < 0 ? DeleteCompEntry(now) : UpdateCompEntry(now, [&] {
                RegEntry back = now;
                back.perf = quint16(row.oldPerf);
                back.ord = quint16(row.oldOrd);
                return back;
            }());
            if (!written)
                return DrawUndo::Failed;
            continue;
        }
        DrawRowRec back = row;
        back.perf = row.oldPerf;
        back.ord = row.oldOrd;
        back.stock = row.oldStock;
        back.oldPerf = row.perf;
        back.oldOrd = row.ord;
        back.oldStock = row.stock;
        if (!m_conn->execute(QStringLiteral("UPDATE %1 SET PerfId = ?, Ord = ?, StId = ? WHERE RoId = ? AND "
                                            "EvId = ? AND GoId = ? AND ptId = ? AND PlrEnt = ?")
                                 .arg(table),
                             QVariantList{back.perf, back.ord, back.stock} + where +
                                 QVariantList{row.ptId, row.plrEnt}) ||
            !recordDrawHistory(table, QStringLiteral("Undo Draw"), eventId, goRound, back)) {
            logReport("Failed to undo the draw.  DBMgr::UndoDraw  SQL:%s, Error:%s", m_conn->lastStatement(),
                      errorDescription(m_conn->lastError()));
            return DrawUndo::Failed;
        }
        RegEntry e = now;
        e.perf = quint16(back.perf);
        e.ord = quint16(back.ord);
        e.stock = quint16(back.stock);
        moved.append(e);
    }
    if (!m_conn->execute(QStringLiteral("UPDATE Draws SET DrUndone = %1 WHERE DrId = ?").arg(kNow),
                         {draw.id})) {
        logReport("Failed to undo the draw.  DBMgr::UndoDraw  SQL:%s, Error:%s", m_conn->lastStatement(),
                  errorDescription(m_conn->lastError()));
        return DrawUndo::Failed;
    }
    for (const RegEntry& e : std::as_const(moved))
        if (!putEntry(e))
            return DrawUndo::Failed;
    return scope.commit() ? DrawUndo::Undone : DrawUndo::Failed;
}
