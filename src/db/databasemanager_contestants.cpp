// Contestants of the season: searching, adding, rewriting, resolving a
// contestant who arrives under a name the season already has, and deleting.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "rowmapping.h"

namespace {

const QString kRosters = QStringLiteral("Rosters");

// The events in which ptId names a contestant: all but the team events (an
// event the catalogue lacks included, as loading the entries takes it).
const QString kOwnEntryEvents =
    QStringLiteral("EvId NOT IN (SELECT EvId FROM Events WHERE upper(substr(EvType, 2, 1)) = 'T')");

// A prefix pattern for "LIKE ? ESCAPE '\'": what the operator typed matches
// itself, "%" and "_" included.
QString likePrefix(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped + QLatin1Char('%');
}

void fillEmpty(QString& field, const QString& from)
{
    if (field.isEmpty())
        field = from;
}

// Every empty text of the arriving contestant taken from the existing one.
void mergeInto(ContestantRec& arriving, const ContestantRec& existing)
{
    fillEmpty(arriving.bib, existing.bib);
    fillEmpty(arriving.firstName, existing.firstName);
    fillEmpty(arriving.lastName, existing.lastName);
    fillEmpty(arriving.homeTown, existing.homeTown);
    fillEmpty(arriving.year, existing.year);
    fillEmpty(arriving.earnCur, existing.earnCur);
    fillEmpty(arriving.earnLast, existing.earnLast);
    fillEmpty(arriving.misc, existing.misc);
}

} // namespace

bool CDatabaseManager::GetContestant(quint32 plrId, ContestantRec& out) const
{
    const ContestantRec* c = m_contestants.find(plrId);
    if (!c) {
        logReport("Contestant does not exist in the system.  ID:%d", plrId);
        out = ContestantRec();
        return false;
    }
    out = *c;
    return true;
}

std::unique_ptr<SqlRecordset> CDatabaseManager::SearchContestants(const ContestantRec& pattern, int rowLimit,
                                                                  int sortType)
{
    ContestantRec p = pattern;
    p.fit();

    QString sql = QStringLiteral("SELECT * FROM ") + kRosters;
    QVariantList params;
    if (rowLimit > 0) {
        // A limited search needs something to look for; without a limit the
        // whole roster is listed (the drop-down lists of every contestant).
        if (p.bib.isEmpty() && p.firstName.isEmpty() && p.lastName.isEmpty())
            return nullptr;
        QStringList conditions;
        const auto addCondition = [&](const QString& column, const QString& text) {
            if (text.isEmpty())
                return;
            conditions << column + QStringLiteral(" LIKE ? ESCAPE '\\'");
            params << likePrefix(text);
        };
        addCondition(QStringLiteral("PlrFirstName"), p.firstName);
        addCondition(QStringLiteral("PlrLastName"), p.lastName);
        addCondition(QStringLiteral("PlrBib"), p.bib);
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }

    QString order;
    switch (sortType) {
    case 1:
        order = QStringLiteral("PlrBib");
        break;
    case 4:
        order = QStringLiteral("PlrLastName");
        break;
    case 8:
        order = QStringLiteral("PlrYear");
        break;
    case 16:
        order = QStringLiteral("PlrHomeTown");
        break;
    case 32:
        order = QStringLiteral("PlrEarnCur");
        break;
    case 64:
        order = QStringLiteral("PlrEarnLast");
        break;
    default:
        break;
    }
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order + QStringLiteral(", PlrFirstName");
    else if (sortType < 512)
        sql += QStringLiteral(" ORDER BY PlrFirstName");

    if (rowLimit > 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << rowLimit;
    }
    return m_conn->query(sql, params);
}

bool CDatabaseManager::ContestantNameTaken(const ContestantRec& rec)
{
    ContestantRec c = rec;
    c.fit();
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Rosters WHERE PlrFirstName = ? and PlrLastName = ? "
                                           "and PlrId != ?"),
                            {c.firstName, c.lastName, c.plrId});
    return rs && rs->moveFirst();
}

bool CDatabaseManager::AddContestant(ContestantRec& rec)
{
    ContestantRec c = rec;
    c.fit();
    auto rs = m_conn->openTable(kRosters, false);
    if (!rs)
        return false;
    rs->addNew();
    setContestantFields(*rs, c);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    c.plrId = rs->toUInt(QStringLiteral("PlrId"));
    c.registered = 0;
    rec = c;
    m_contestants.add(c);
    return true;
}

bool CDatabaseManager::UpdateContestant(const ContestantRec& rec)
{
    ContestantRec c = rec;
    c.fit();
    auto rs = m_conn->queryEditable(QStringLiteral("SELECT * FROM Rosters WHERE PlrId = ?"), {c.plrId});
    if (!rs || !rs->moveFirst()) {
        logReport("Failed to open a recordset.  DBMgr::UpdateContestant  SQL:%s", m_conn->lastStatement());
        return false;
    }
    setContestantFields(*rs, c);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    // The registered mark follows the entries, not the edited data.
    if (const ContestantRec* old = m_contestants.find(c.plrId))
        c.registered = old->registered;
    else
        c.registered = 0;
    m_contestants.add(c);
    return true;
}

int CDatabaseManager::ResolveContestant(ContestantRec& arriving, bool addWhenNew, int previousDecision)
{
    using RP = ResolutionPrompts;
    arriving.fit();

    // Without adding, the arriving record is a contestant of this season being
    // edited: its own row is not another contestant of that name (resolving it
    // against itself would let "Replace" remove the contestant it keeps).
    // Read row by row: an import asks once per line, and mostly finds nobody.
    QVector<ContestantRec> sameName;
    const bool read = forEachRecord<ContestantRowReader<SqlRow>>(
        *m_conn, QStringLiteral("SELECT * FROM Rosters WHERE PlrFirstName = ? and PlrLastName = ?"),
        {arriving.firstName, arriving.lastName}, [&](const ContestantRec& found) {
            if (addWhenNew || arriving.plrId == 0 || found.plrId != arriving.plrId)
                sameName.append(found);
        });
    if (!read)
        return RP::Leave;
    std::optional<ContestantRec> existing;
    if (!sameName.isEmpty())
        existing = sameName.first();

    if (!existing) {
        if (addWhenNew) {
            AddContestant(arriving);
            return RP::AddNew;
        }
        UpdateContestant(arriving);
        return RP::Leave;
    }

    const auto apply = [&](int decision, const ContestantRec& e) {
        switch (decision) {
        case RP::Replace:
            arriving.plrId = e.plrId;
            UpdateContestant(arriving);
            break;
        case RP::Merge:
            mergeInto(arriving, e);
            arriving.plrId = e.plrId;
            UpdateContestant(arriving);
            break;
        case RP::Leave: {
            const ContestantRec* held = m_contestants.find(e.plrId);
            arriving = e;
            arriving.registered = held ? held->registered : 0;
            break;
        }
        case RP::AddNew:
            if (addWhenNew)
                AddContestant(arriving);
            else
                UpdateContestant(arriving);
            break;
        default:
            break;
        }
    };

    if (previousDecision & RP::ApplyToAll) {
        apply(previousDecision & 0xFFFF, *existing);
        return previousDecision;
    }

    const std::optional<RP::ContestantChoice> choice =
        m_resolver ? m_resolver->resolveContestantAmong(arriving, sameName) : std::nullopt;
    if (!choice) {
        UpdateContestant(arriving);
        return previousDecision;
    }
    if (choice->decision < RP::Replace || choice->decision > RP::AddNew)
        return previousDecision; // cancelled: nothing changes
    // The dialog may have let the operator pick another of the same-name
    // contestants; an answer without one means the one shown.
    ContestantRec chosen = choice->existing.plrId != 0 ? choice->existing : *existing;
    chosen.fit();
    apply(choice->decision, chosen);
    return choice->decision | (choice->applyToAll ? RP::ApplyToAll : 0);
}

int CDatabaseManager::ResolveContestants(QVector<ContestantRec>& arriving, bool addWhenNew)
{
    int decision = 0;
    for (ContestantRec& c : arriving)
        decision = ResolveContestant(c, addWhenNew, decision);
    return decision;
}

bool CDatabaseManager::ContestantInTeam(quint32 plrId)
{
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM Teams WHERE PlrId1 = ? or PlrId2 = ? or PlrId3 = ?"),
                      {plrId, plrId, plrId});
    return rs && rs->moveFirst();
}

bool CDatabaseManager::ContestantHasEntries(quint32 plrId)
{
    auto events = m_conn->query(QStringLiteral("SELECT * FROM Events"));
    if (!events)
        return false;
    // ptId names a team in a team event, so only individual events can hold
    // a contestant's own entries.
    QStringList scored;
    QStringList timed;
    for (events->moveFirst(); !events->isEof(); events->moveNext()) {
        const QString type = events->toText(QStringLiteral("EvType"));
        if (type == QLatin1String("SI"))
            scored << events->toText(QStringLiteral("EvId"));
        else if (type == QLatin1String("TI"))
            timed << events->toText(QStringLiteral("EvId"));
    }

    const auto holds = [&](const QString& table, const QStringList& ids) {
        if (ids.isEmpty())
            return false;
        QVariantList params{plrId};
        for (const QString& id : ids)
            params << id;
        const QString sql =
            QStringLiteral("SELECT * FROM %1 WHERE ptId = ? and EvId in (%2)")
                .arg(table, QStringList(ids.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        auto rs = m_conn->query(sql, params);
        return rs && rs->moveFirst();
    };
    return holds(QStringLiteral("Scores"), scored) || holds(QStringLiteral("Times"), timed);
}

bool CDatabaseManager::contestantNeeded(quint32 plrId, bool resultsOnly)
{
    for (const QString& table : {QStringLiteral("Scores"), QStringLiteral("Times")}) {
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE ptId = ? AND %2").arg(table, kOwnEntryEvents);
        if (resultsOnly)
            sql += QStringLiteral(" AND ") + resultCondition(table);
        auto rs = m_conn->query(sql + QStringLiteral(" LIMIT 1"), {plrId});
        // A check that cannot be made answers "needed": nothing is deleted blind.
        if (!rs) {
            logReport("Failed to check the contestant's entries.  DBMgr::DeleteContestant  SQL:%s, Error:%s",
                      m_conn->lastStatement(), errorDescription(m_conn->lastError()));
            return true;
        }
        if (!rs->isEof())
            return true;
    }
    return ContestantInTeam(plrId);
}

bool CDatabaseManager::DeleteContestant(quint32 plrId)
{
    // A contestant entered anywhere in the season, or who rides in a team,
    // keeps his row: the entry or the team would point at nobody.
    if (!m_conn->isOpen() || contestantNeeded(plrId, false))
        return false;
    if (!m_conn->execute(QStringLiteral("DELETE FROM Rosters WHERE PlrId = ?"), {plrId})) {
        logReport("Failed to delete the constestant from the database.  DBMgr::DeleteContestant  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    m_contestants.remove(plrId);
    return true;
}

bool CDatabaseManager::MergeContestants(quint32 removed, quint32 kept)
{
    if (!m_isOpen || !m_conn->isOpen() || removed == 0 || kept == 0 || removed == kept ||
        !m_contestants.contains(kept))
        return false;
    // His results stay his, and so do his teams: then nothing moves.
    if (contestantNeeded(removed, true))
        return false;
    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    for (const QString& table : {QStringLiteral("Scores"), QStringLiteral("Times")}) {
        // Per rodeo and event, his entries come after the kept contestant's
        // own: entry numbers 1..n of the one, then n+1.. of the other.
        auto groups = m_conn->query(
            QStringLiteral(
                "SELECT RoId, EvId, MAX(PlrEnt) AS Top FROM %1 WHERE ptId = ? AND %2 GROUP BY RoId, EvId")
                .arg(table, kOwnEntryEvents),
            {removed});
        if (!groups) {
            logReport("Failed to read the contestant's entries.  DBMgr::MergeContestants  SQL:%s, Error:%s",
                      m_conn->lastStatement(), errorDescription(m_conn->lastError()));
            return false;
        }
        for (groups->moveFirst(); !groups->isEof(); groups->moveNext()) {
            const qint64 rodeo = groups->toInt64(QStringLiteral("RoId"));
            const QString event = groups->toText(QStringLiteral("EvId"));
            auto held = m_conn->query(
                QStringLiteral("SELECT MAX(PlrEnt) AS Top FROM %1 WHERE RoId = ? AND EvId = ? AND ptId = ?")
                    .arg(table),
                {rodeo, event, kept});
            if (!held || !held->moveFirst())
                return false;
            const qint64 offset = held->toInt64(QStringLiteral("Top"));
            if (offset + groups->toInt64(QStringLiteral("Top")) > 255) {
                logReport("Too many entries for one contestant.  DBMgr::MergeContestants  Event:%s, ID:%d",
                          event, kept);
                return false;
            }
            if (!m_conn->execute(QStringLiteral("UPDATE %1 SET ptId = ?, PlrEnt = PlrEnt + ? "
                                                "WHERE RoId = ? AND EvId = ? AND ptId = ?")
                                     .arg(table),
                                 {kept, offset, rodeo, event, removed})) {
                logReport(
                    "Failed to move the contestant's entries.  DBMgr::MergeContestants  SQL:%s, Error:%s",
                    m_conn->lastStatement(), errorDescription(m_conn->lastError()));
                return false;
            }
        }
    }
    if (!DeleteContestant(removed))
        return false;
    // The open rodeo's entries now belong to the kept contestant.
    if (!LoadRegs())
        return false;
    return scope.commit();
}

bool CDatabaseManager::DeleteCowboy(quint32 plrId)
{
    if (!Query(QStringLiteral("DELETE FROM Rosters WHERE PlrId = ?"), {plrId}))
        return false;
    m_contestants.remove(plrId);
    return true;
}
