// Teams of the open rodeo, the season's stock and stock contractors, and the
// contestants' scoreboard messages.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "rowmapping.h"

namespace {

const QString kStocks = QStringLiteral("Stocks");

// Answers of the "Same Team Found" question.
constexpr int kUseExistingTeam = 7;

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

MessageRec fitMessage(const MessageRec& m)
{
    MessageRec out = m;
    for (QString& line : out.lines)
        line = fitText(line, Capacity::MessageLine);
    return out;
}

} // namespace

// --- Teams ------------------------------------------------------------------

quint32 CDatabaseManager::FindTeam(const TeamRec& team)
{
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM Teams WHERE PlrId1 = ? AND PlrId2 = ? AND PlrId3 = ?"),
                      {team.plrId1, team.plrId2, team.plrId3});
    if (!rs || !rs->moveFirst())
        return 0;
    return rs->toUInt(QStringLiteral("TmId"));
}

bool CDatabaseManager::AddTeam(TeamRec& team, int& decision)
{
    if (team.tmId != 0)
        return true;
    if (!m_isOpen || !m_conn->isOpen())
        return false;

    // A team identity only means something within its rodeo: a team of
    // another rodeo with the same members cannot be reused here, so only the
    // open rodeo's teams raise the question.
    if (FindTeam(team) != 0) {
        auto same = m_conn->query(QStringLiteral("SELECT * FROM Teams WHERE PlrId1 = ? AND PlrId2 = ? "
                                                 "AND PlrId3 = ? AND RoId = ?"),
                                  {team.plrId1, team.plrId2, team.plrId3, m_rodeo.id});
        if (same && same->moveFirst()) {
            const quint32 existing = same->toUInt(QStringLiteral("TmId"));
            if (decision < ResolutionPrompts::ApplyToAll) {
                if (m_resolver) {
                    bool applyToAll = false;
                    const int answer = m_resolver->sameTeamFound(team, applyToAll);
                    decision = answer | (applyToAll ? ResolutionPrompts::ApplyToAll : 0);
                    if (answer == kUseExistingTeam) {
                        team.tmId = existing;
                        return false;
                    }
                }
            } else if ((decision & 0xFFFF) == kUseExistingTeam) {
                team.tmId = existing;
                return false;
            }
        }
    }

    // Only the rodeo's highest team is read (through the key), for the next
    // id: an import adds teams by the thousand.
    auto rs = m_conn->queryEditable(
        QStringLiteral("SELECT * FROM Teams WHERE RoId = ? ORDER BY TmId DESC LIMIT 1"), {m_rodeo.id});
    if (!rs)
        return false;
    const quint32 id = rs->moveFirst() ? rs->toUInt(QStringLiteral("TmId")) + 1 : 1;

    TeamRec t = team;
    t.fit();
    t.tmId = id;
    if (t.name.isEmpty())
        t.name = QString::number(id);
    rs->addNew();
    rs->setField(QStringLiteral("RoId"), m_rodeo.id);
    rs->setField(QStringLiteral("TmId"), id);
    setTeamFields(*rs, t);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    t.registered = 0;
    team = t;
    m_teams.add(t);
    return true;
}

bool CDatabaseManager::UpdateTeam(const TeamRec& team)
{
    if (!m_isOpen)
        return false;
    TeamRec t = team;
    t.fit();
    auto rs = m_conn->queryEditable(QStringLiteral("SELECT * FROM Teams WHERE RoId = ? and TmId = ?"),
                                    {m_rodeo.id, t.tmId});
    if (!rs || !rs->moveFirst())
        return false;
    setTeamFields(*rs, t);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    // The registered mark follows the entries, not the edited data.
    if (const TeamRec* old = m_teams.find(t.tmId))
        t.registered = old->registered;
    else
        t.registered = 0;
    m_teams.add(t);
    return true;
}

// --- Stock ------------------------------------------------------------------

std::unique_ptr<SqlRecordset> CDatabaseManager::SearchStock(const StockRec& pattern, int rowLimit,
                                                            int sortType)
{
    StockRec p = pattern;
    p.fit();

    QString sql = QStringLiteral("SELECT * FROM ") + kStocks;
    QVariantList params;
    if (rowLimit > 0) {
        if (p.name.isEmpty() && p.bib.isEmpty())
            return nullptr;
        QStringList conditions;
        if (!p.name.isEmpty()) {
            conditions << QStringLiteral("StName LIKE ? ESCAPE '\\'");
            params << likePrefix(p.name);
        }
        if (!p.bib.isEmpty()) {
            conditions << QStringLiteral("StBib LIKE ? ESCAPE '\\'");
            params << likePrefix(p.bib);
        }
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    if (sortType == 2)
        sql += QStringLiteral(" ORDER BY StBib");
    else if (sortType == 3)
        sql += QStringLiteral(" ORDER BY StName");
    if (rowLimit > 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << rowLimit;
    }
    return m_conn->query(sql, params);
}

bool CDatabaseManager::StockTaken(const StockRec& rec)
{
    StockRec s = rec;
    s.fit();
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM Stocks WHERE StBib = ? and StName = ? and StId != ?"),
                      {s.bib, s.name, s.stId});
    return rs && rs->moveFirst();
}

quint32 CDatabaseManager::FindStock(const StockRec& rec)
{
    StockRec s = rec;
    s.fit();
    auto rs = m_conn->query(
        QStringLiteral("SELECT * FROM Stocks WHERE StBib = ? and StName = ? and StHomeTown = ?"),
        {s.bib, s.name, s.homeTown});
    if (!rs || !rs->moveFirst())
        return 0;
    return rs->toUInt(QStringLiteral("StId"));
}

bool CDatabaseManager::AddStock(StockRec& rec)
{
    auto rs = m_conn->openTable(kStocks, false);
    if (!rs) {
        logReport("Failed to open the recordset.  DBMgr::AddStock ");
        return false;
    }
    StockRec s = rec;
    s.fit();
    if (const quint32 same = FindStock(s)) {
        rec.stId = same;
        return false;
    }
    rs->addNew();
    setStockFields(*rs, s);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    s.stId = rs->toUInt(QStringLiteral("StId"));
    rec = s;
    m_stock.add(s);
    return true;
}

bool CDatabaseManager::UpdateStock(const StockRec& rec)
{
    StockRec s = rec;
    s.fit();
    auto rs = m_conn->queryEditable(QStringLiteral("SELECT * FROM Stocks WHERE StId = ?"), {s.stId});
    if (!rs || !rs->moveFirst()) {
        logReport("Failed to open a recordset.  DBMgr::UpdateStock  SQL:%s", m_conn->lastStatement());
        return false;
    }
    setStockFields(*rs, s);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    m_stock.add(s);
    return true;
}

bool CDatabaseManager::StockUsed(quint32 stId)
{
    // Drawn in a scored or a timed event alike: either row would name an
    // animal that is gone.
    auto scores = m_conn->query(QStringLiteral("SELECT * FROM Scores WHERE StId = ? LIMIT 1"), {stId});
    if (scores && scores->moveFirst())
        return true;
    auto times = m_conn->query(QStringLiteral("SELECT * FROM Times WHERE StId = ? LIMIT 1"), {stId});
    return times && times->moveFirst();
}

bool CDatabaseManager::StockDraws(quint32 stId, QStringList& where, int limit)
{
    where.clear();
    // Entries of every rodeo of the season, by rodeo, event and go-round.
    auto rs = m_conn->query(
        QStringLiteral("SELECT r.RoName AS Rodeo, COALESCE(e.EvName, d.EvId) AS Event, d.GoId AS Go, "
                       "re.ReGos AS Gos, COUNT(*) AS Entries "
                       "FROM (SELECT RoId, EvId, GoId FROM Scores WHERE StId = ?1 "
                       "      UNION ALL SELECT RoId, EvId, GoId FROM Times WHERE StId = ?1) d "
                       "LEFT JOIN Rodeos r ON r.RoId = d.RoId LEFT JOIN Events e ON e.EvId = d.EvId "
                       "LEFT JOIN RodeoEvents re ON re.RoId = d.RoId AND re.EvId = d.EvId "
                       "GROUP BY d.RoId, d.EvId, d.GoId ORDER BY r.RoName, Event, d.GoId"),
        {stId});
    if (!rs) {
        logReport("Failed to read where the animal is drawn.  DBMgr::StockDraws  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    int groups = 0;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        if (++groups > limit)
            continue;
        const int go = static_cast<int>(rs->toInt64(QStringLiteral("Go")));
        const int gos = static_cast<int>(rs->toInt64(QStringLiteral("Gos")));
        const int entries = static_cast<int>(rs->toInt64(QStringLiteral("Entries")));
        QString text = QStringLiteral("%1: %2, %3")
                           .arg(rs->toText(QStringLiteral("Rodeo")), rs->toText(QStringLiteral("Event")),
                                gos > 0 && go == gos + 1 ? QStringLiteral("Final")
                                                         : QStringLiteral("Go Round %1").arg(go));
        if (entries > 1)
            text += QStringLiteral(" (%1 entries)").arg(entries);
        where << text;
    }
    if (groups > limit)
        where << QStringLiteral("and %1 more").arg(groups - limit);
    return true;
}

bool CDatabaseManager::DeleteStock(quint32 stId)
{
    // An animal drawn for an entry stays, with or without a result: the row
    // would name an animal that is gone. A check that cannot be made keeps it.
    if (!m_conn->isOpen())
        return false;
    auto scores = m_conn->query(QStringLiteral("SELECT * FROM Scores WHERE StId = ? LIMIT 1"), {stId});
    auto times = m_conn->query(QStringLiteral("SELECT * FROM Times WHERE StId = ? LIMIT 1"), {stId});
    if (!scores || !times) {
        logReport("Failed to check the animal's entries.  DBMgr::DeleteStock  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    if (!scores->isEof() || !times->isEof())
        return false;
    if (!Query(QStringLiteral("DELETE FROM Stocks WHERE StId = ?"), {stId}))
        return false;
    m_stock.remove(stId);
    return true;
}

// --- Contractors ------------------------------------------------------------

bool CDatabaseManager::GetContractors(QStringList& names)
{
    names.clear();
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Contractors"));
    if (!rs)
        return false;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        names << rs->toText(QStringLiteral("CoName"));
    return true;
}

bool CDatabaseManager::GetContractor(ContractorRec& rec)
{
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    std::unique_ptr<SqlRecordset> rs;
    if (rec.coId != 0) {
        rs = m_conn->query(QStringLiteral("SELECT * FROM Contractors WHERE CoId = ?"), {rec.coId});
    } else if (!rec.name.isEmpty()) {
        rs = m_conn->query(QStringLiteral("SELECT * FROM Contractors WHERE CoName = ?"), {rec.name});
    } else {
        logReport("Contractor information was not set.  GetContractor");
        return false;
    }
    if (!rs) {
        logReport("Failed to create a recordset.  GetContractor");
        return false;
    }
    if (!rs->moveFirst())
        return false;
    rec.name = rs->toText(QStringLiteral("CoName"));
    rec.coId = rs->toUInt(QStringLiteral("CoId"));
    return true;
}

bool CDatabaseManager::AddContractor(ContractorRec& rec)
{
    if (!m_conn->execute(QStringLiteral("INSERT INTO Contractors (CoName) VALUES (?)"), {rec.name})) {
        logReport("Failed to insert the contractor.  DBMgr::AddContractor  Name:%s", rec.name);
        return false;
    }
    // The row just inserted, by its identity: names compare without case, so
    // looking it up by name could find an older contractor.
    rec.coId = static_cast<quint32>(m_conn->lastInsertRowId());
    return GetContractor(rec);
}

// --- Messages ---------------------------------------------------------------

bool CDatabaseManager::GetPlrMessages(quint32 plrId, QVector<MessageRec>& messages)
{
    messages.clear();
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM Messages WHERE PlrId = ? ORDER BY MsgNumber"), {plrId});
    if (!rs)
        return false;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        MessageRec m;
        m.number = static_cast<quint8>(rs->toUInt(QStringLiteral("MsgNumber")));
        for (int i = 0; i < 4; ++i)
            m.lines[i] = fitText(rs->toText(QStringLiteral("MsgLine%1").arg(i + 1)), Capacity::MessageLine);
        messages.append(m);
    }
    return true;
}

bool CDatabaseManager::SetPlrMessage(quint32 plrId, const MessageRec& message)
{
    auto rs = m_conn->queryEditable(
        QStringLiteral("SELECT * FROM Messages WHERE PlrId = ? AND MsgNumber = ?"), {plrId, message.number});
    if (!rs)
        return false;
    if (!rs->moveFirst())
        return AddPlrMessage(plrId, message);
    const MessageRec m = fitMessage(message);
    rs->setField(QStringLiteral("MsgNumber"), m.number);
    for (int i = 0; i < 4; ++i)
        rs->setField(QStringLiteral("MsgLine%1").arg(i + 1), m.lines[i]);
    if (!rs->update()) {
        rs->cancel();
        return false;
    }
    return true;
}

bool CDatabaseManager::AddPlrMessage(quint32 plrId, const MessageRec& message)
{
    const MessageRec m = fitMessage(message);
    if (!m_conn->execute(
            QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1, MsgLine2, MsgLine3, "
                           "MsgLine4) VALUES (?, ?, ?, ?, ?, ?)"),
            {plrId, m.number, m.lines[0], m.lines[1], m.lines[2], m.lines[3]})) {
        logReport("Failed to insert the player message.  DBMgr::AddPlrMessage  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    return true;
}

bool CDatabaseManager::DeletePlrMessage(quint32 plrId, int number)
{
    if (!m_conn->execute(QStringLiteral("DELETE FROM Messages WHERE PlrId = ? AND MsgNumber = ?"),
                         {plrId, number})) {
        logReport("Failed to delete the player message.  DBMgr::DeletePlrMessage  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    return true;
}
