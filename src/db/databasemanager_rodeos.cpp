// Rodeos of a season and the events of the open rodeo: listing, creating,
// renaming and deleting rodeos, custom events and the events' settings.
#include "app/log.h"
#include "app/userprompt.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "results/scoringsettings.h"

#include <array>

namespace {

const QString kRodeoByName = QStringLiteral("SELECT * FROM Rodeos WHERE RoName = ?");

// Custom event ids run from "C1" to "C999".
constexpr int kCustomEventLimit = 1000;

// The number of a custom event id ("C" followed by a digit), or 0 for any
// other id. Numbers past the limit all read as the limit: only whether the
// low numbers are taken matters.
int customEventNumber(const QString& id)
{
    if (id.size() < 2 || id[0] != u'C' || !id[1].isDigit())
        return 0;
    int number = 0;
    for (qsizetype i = 1; i < id.size() && id[i].isDigit(); ++i) {
        number = number * 10 + id[i].digitValue();
        if (number >= kCustomEventLimit)
            return kCustomEventLimit;
    }
    return number;
}

// Sets every field, stopping at the first that the record set refuses.
bool setFields(SqlRecordset& rs, std::initializer_list<std::pair<const char*, QVariant>> fields)
{
    for (const auto& [column, value] : fields)
        if (!rs.setField(QString::fromLatin1(column), value))
            return false;
    return true;
}

} // namespace

bool CDatabaseManager::GetRodeos(const QString& season, QStringList& rodeos)
{
    rodeos.clear();
    SqlConnection own;
    SqlConnection* conn = seasonConnection(season, own);
    auto rs = conn ? conn->query(QStringLiteral("SELECT * FROM Rodeos")) : nullptr;
    if (!rs) {
        logReport("Failed to create a recordset.  DBMgr::GetRodeos");
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const QString name = rs->toText(QStringLiteral("RoName"));
        if (!name.isEmpty())
            rodeos.append(name);
    }
    return true;
}

bool CDatabaseManager::RodeoExists(const QString& season, const QString& rodeo)
{
    if (season.isEmpty() || rodeo.isEmpty())
        return false;
    SqlConnection own;
    SqlConnection* conn = seasonConnection(season, own);
    if (!conn)
        return false;
    // Names are stored cut to their capacity, so a longer name is looked up
    // as it would have been stored.
    auto rs = conn->query(kRodeoByName, {fitText(rodeo, Capacity::RodeoName)});
    return rs && rs->moveFirst();
}

bool CDatabaseManager::RodeoNameTaken(const QString& rodeo)
{
    if (!m_isOpen || !m_conn->isOpen() || rodeo.isEmpty())
        return false;
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM Rodeos WHERE RoName = ? AND RoId != ?"),
                            {fitText(rodeo, Capacity::RodeoName), m_rodeo.id});
    // A name that cannot be checked is taken: a second rodeo of one name
    // would be opened and deleted in the other's place.
    return !rs || rs->moveFirst();
}

bool CDatabaseManager::CreateRodeo(const QString& season, const QString& rodeo, const QString& date,
                                   const QString& profile)
{
    if (season.isEmpty() || rodeo.isEmpty() || date.isEmpty() || profile.isEmpty())
        return false;
    SqlConnection own;
    SqlConnection* conn = seasonConnection(season, own);
    if (!conn)
        return false;

    // The rodeo comes with all its events or not at all: a rodeo missing
    // some could not be made again, its name being taken.
    SqlTransaction tx(*conn);
    if (!tx.isActive()) {
        logReport("%s", errorDescription(conn->lastError()));
        return false;
    }
    auto added = conn->openTable(QStringLiteral("Rodeos"), false);
    if (!added) {
        logReport("%s", errorDescription(conn->lastError()));
        return false;
    }
    added->addNew();
    const bool set = setFields(*added, {{"RoName", fitText(rodeo, Capacity::RodeoName)},
                                        {"RoDate", fitText(date, Capacity::RodeoDate)},
                                        {"RoProfile", fitText(profile, Capacity::RodeoProfile)}});
    if (!set || !added->update()) {
        logReport("%s", errorDescription(added->lastError()));
        added->cancel();
        return false;
    }
    const quint32 rodeoId = added->toUInt(QStringLiteral("RoId"));

    auto standard =
        conn->query(QStringLiteral("SELECT * FROM Events WHERE EvStandard = 'Y' OR EvStandard = 'y'"));
    if (!standard) {
        logReport("Failed to get the standard events.  DBMgr::CreateRodeo");
        return false;
    }
    const QString scoredInsert = QStringLiteral(
        "INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, ReFraction, RePrecision) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)");
    const QString timedInsert = QStringLiteral(
        "INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, RePrecision) VALUES (?, ?, ?, ?, ?)");
    for (standard->moveFirst(); !standard->isEof(); standard->moveNext()) {
        const QString eventId = standard->toText(QStringLiteral("EvId"));
        const QString eventType = standard->toText(QStringLiteral("EvType"));
        if (eventId.isEmpty() || eventType.isEmpty())
            continue;
        const StoredScoring d = StandardEventDefaults(eventId, eventType);
        const bool inserted =
            d.writesJudges
                ? conn->execute(scoredInsert,
                                {rodeoId, eventId, d.goRounds, d.finals, d.judges, d.fraction, d.precision})
                : conn->execute(timedInsert, {rodeoId, eventId, d.goRounds, d.finals, d.precision});
        if (!inserted) {
            logReport("Failed to add the event to the rodeo.  DBMgr::CreateRodeo  SQL:%s, Error:%s",
                      conn->lastStatement(), errorDescription(conn->lastError()));
            return false;
        }
    }
    if (!tx.commit()) {
        logReport("Failed to commit the changes.  DBMgr::CreateRodeo  Error:%s",
                  errorDescription(conn->lastError()));
        return false;
    }
    return true;
}

bool CDatabaseManager::UpdateRodeo(const RodeoInfo& info)
{
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    // A rodeo without a name could neither be listed nor opened again.
    const QString newName = fitText(info.name, Capacity::RodeoName);
    if (newName.isEmpty())
        return false;
    // Rodeos are opened and deleted by name: two of one name would be mistaken
    // for each other. (A season that has two already keeps them so.)
    if (newName != m_rodeo.name && RodeoNameTaken(newName)) {
        logReport("The rodeo already exists.  DBMgr::UpdateRodeo  Rodeo:%s", newName);
        return false;
    }

    auto rs = m_conn->queryEditable(kRodeoByName, {m_rodeo.name});
    if (!rs) {
        logReport("Failed to open a recordset.  DBMgr::UpdateRodeo  SQL:%s", m_conn->lastStatement());
        return false;
    }
    // Another rodeo of the season may carry the same name; only the open
    // one's row is rewritten.
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        if (static_cast<qint32>(rs->toUInt(QStringLiteral("RoId"))) == m_rodeo.id)
            break;
    if (rs->isEof())
        return false;

    const bool set = setFields(*rs, {{"RoName", newName},
                                     {"RoProfile", fitText(info.profile, Capacity::RodeoProfile)},
                                     {"RoDate", fitText(info.date, Capacity::RodeoDate)},
                                     {"RoDispName1", fitText(info.dispName1, Capacity::RodeoDisplayLine)},
                                     {"RoDispName2", fitText(info.dispName2, Capacity::RodeoDisplayLine)},
                                     {"RoDispName3", fitText(info.dispName3, Capacity::RodeoDisplayLine)},
                                     {"RoDispDates", fitText(info.dispDates, Capacity::RodeoDisplayLine)},
                                     {"RoDispLoc", fitText(info.dispLoc, Capacity::RodeoDisplayLine)}});
    if (!set || !rs->update()) {
        rs->cancel();
        return false;
    }
    return LoadRodeo(m_season, newName, rs.get());
}

bool CDatabaseManager::DeleteRodeo(const QString& season, const QString& rodeo)
{
    if (season.isEmpty() && rodeo.isEmpty())
        return false;
    const QString name = fitText(rodeo, Capacity::RodeoName);
    if (m_isOpen && season == m_season && name == m_rodeo.name)
        return false;

    const QString sql = QStringLiteral("DELETE FROM Rodeos WHERE RoName = ?");
    const QVariantList params{name};
    SqlConnection own;
    SqlConnection* conn = seasonConnection(season, own);
    if (conn == m_conn.get()) {
        if (!conn->execute(sql, params)) {
            logReport("Failed to delete the rodeo.  DBMgr::DeleteRodeo  SQL:%s", conn->lastStatement());
            return false;
        }
        return true;
    }
    if (!conn || !conn->execute(sql, params)) {
        logReport("Failed to connect to the database.  DBMgr::DeleteRodeo  SQL:%s",
                  conn ? conn->lastStatement() : SqlConnection::expand(sql, params));
        return false;
    }
    return true;
}

QString CDatabaseManager::NextCustomEventId()
{
    auto rs = GetEvents(m_rodeo.id, 1);
    if (!rs)
        return QString();
    std::array<bool, kCustomEventLimit + 1> taken{};
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        taken[customEventNumber(rs->toText(QStringLiteral("EvId")))] = true;

    int next = 1;
    while (next < kCustomEventLimit && taken[next])
        ++next;
    if (next >= kCustomEventLimit) {
        m_prompt.inform(
            QStringLiteral("Rearch maximum customized event count, no more customized event can be added!"));
        return QString();
    }
    return QStringLiteral("C%1").arg(next);
}

bool CDatabaseManager::AddEvent(EventCfg& event)
{
    const QString id = NextCustomEventId();
    if (id.isEmpty())
        return false;
    // The catalogue row and the rodeo's row come together: a catalogue
    // event that no rodeo holds would only take up an id.
    SqlTransaction tx(*m_conn);
    if (!tx.isActive())
        return false;
    auto rs = m_conn->openTable(QStringLiteral("Events"), false);
    if (!rs)
        return false;
    const QString name = fitText(event.name, Capacity::EventName);
    rs->addNew();
    const bool set = setFields(*rs, {{"EvId", id},
                                     {"EvName", name},
                                     {"EvStandard", QString(CustomEventFlag)},
                                     {"EvRanking", 0},
                                     {"EvType", EventTypeCode(event.scoringKind, event.entryKind)}});
    if (!set || !rs->update()) {
        rs->cancel();
        return false;
    }
    const EventCfg before = event;
    event.id = id;
    event.name = name;
    event.label = fitText(name + QStringLiteral(" (") + id + QLatin1Char(')'), Capacity::EventLabel);
    if (!AddRodeoEvent(event) || !tx.commit()) {
        event = before;
        return false;
    }
    return true;
}

bool CDatabaseManager::AddRodeoEvent(const EventCfg& event)
{
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    const StoredScoring stored = EncodeScoring(event.scoring());
    QString sql;
    QVariantList params{m_rodeo.id, event.id, stored.goRounds, stored.finals};
    if (!event.isScored()) {
        if (stored.precision == 0) {
            logReport("Unrecognized precision.  DBMgr::AddRodeoEvent  Precision:%s", event.precision);
            return false;
        }
        sql = QStringLiteral(
            "INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, RePrecision) VALUES (?, ?, ?, ?, ? )");
        params << stored.precision;
    } else {
        if (JudgeModeLetter(event.judgeMode).isEmpty()) {
            logReport("Unrecognized judge configuration.  DBMgr::AddRodeoEvent  Judge:%s", event.judgeMode);
            return false;
        }
        if (event.fraction != FractionFull && event.fraction != FractionFraction) {
            logReport("Unrecognized fraction format.  DBMgr::AddRodeoEvent  Fraction:%s", event.fraction);
            return false;
        }
        // The precision stays empty for a scored event.
        sql = QStringLiteral("INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, ReFraction) "
                             "VALUES (?, ?, ?, ?, ?, ? )");
        params << stored.judges << stored.fraction;
    }
    if (!m_conn->execute(sql, params)) {
        logReport("Failed to insert the rodeo event into the table.  DBMgr::AddRodeoEvent  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    return true;
}

bool CDatabaseManager::DeleteEvent(const QString& eventId)
{
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    // Both rows go, or neither: a settings row without its catalogue event
    // would be an event nobody can see or remove.
    SqlTransaction tx(*m_conn);
    if (!tx.isActive())
        return false;
    if (!m_conn->execute(QStringLiteral("DELETE FROM Events WHERE EvId = ?"), {eventId})) {
        logReport("Failed to remove the event from the events table.  DBMgr::DeleteEvent  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    if (!m_conn->execute(QStringLiteral("DELETE FROM RodeoEvents WHERE RoId = ? AND EvId = ?"),
                         {m_rodeo.id, eventId})) {
        logReport("Failed to remove the event from the RodeoEvent table.  DBMgr::DeleteEvent  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    return tx.commit();
}

bool CDatabaseManager::UpdateEvents(const QVector<EventCfg>& events)
{
    if (events.isEmpty())
        return false;
    // A copy: the events are read again while saving, and the list given may
    // be the one held here.
    const QVector<EventCfg> list = events;
    {
        // One transaction for the whole save, so that a crash keeps all of it
        // or none; each event is its own part of it, and one that fails does
        // not hold back the rest.
        WriteScope scope(*this);
        for (const EventCfg& e : list) {
            if (!e.changed)
                continue;
            UpdateEvent(e);
            UpdateRodeoEvent(e);
        }
        if (scope.isActive())
            scope.commit();
    }
    return LoadRodeo(m_season, m_rodeo.name, nullptr);
}

bool CDatabaseManager::SaveSetup(const RodeoInfo* rodeo, const QVector<EventCfg>& events)
{
    if (!m_isOpen)
        return false;
    const QVector<EventCfg> list = events; // the events are read again while saving
    {
        WriteScope scope(*this);
        if (!scope.isActive())
            return false;
        if (rodeo && !UpdateRodeo(*rodeo))
            return false;
        for (const EventCfg& e : list)
            if (e.changed && (!UpdateEvent(e) || !UpdateRodeoEvent(e)))
                return false;
        if (!scope.commit())
            return false;
    }
    return LoadRodeo(m_season, m_rodeo.name, nullptr);
}

bool CDatabaseManager::UpdateEvent(const EventCfg& event)
{
    if (!m_conn->isOpen())
        return false;
    // A standard event's name and kinds are shared with the display profiles
    // and the entry files: only its ranking may change.
    if (event.standard == QLatin1String("Y")) {
        const EventCfg* loaded = GetEvent(event.id);
        if (!loaded || loaded->name != event.name || loaded->standard != event.standard ||
            loaded->entryKind != event.entryKind || loaded->scoringKind != event.scoringKind)
            return false;
    }
    auto rs = m_conn->queryEditable(QStringLiteral("SELECT * FROM Events WHERE EvId = ?"), {event.id});
    if (!rs || !rs->moveFirst())
        return false;
    const bool set = setFields(*rs, {{"EvName", fitText(event.name, Capacity::EventName)},
                                     {"EvRanking", RankingCode(event.ranking)},
                                     {"EvType", EventTypeCode(event.scoringKind, event.entryKind)}});
    if (!set || !rs->update()) {
        rs->cancel();
        return false;
    }
    return true;
}

bool CDatabaseManager::UpdateRodeoEvent(const EventCfg& event)
{
    if (!m_isOpen || !m_conn->isOpen())
        return false;
    // The go-round rows, the finals and the stored count change together:
    // the count must always describe the go-rounds that exist, or the finals
    // would be looked for in the wrong go-round.
    WriteScope scope(*this);
    if (!scope.isActive())
        return false;
    auto rs = m_conn->queryEditable(QStringLiteral("SELECT * FROM RodeoEvents WHERE RoId = ? AND EvId = ?"),
                                    {m_rodeo.id, event.id});
    if (!rs || !rs->moveFirst())
        return false;
    const int oldCount = static_cast<int>(rs->toUInt(QStringLiteral("ReGos")));
    if (!UpdateGorounds(event, oldCount))
        return false;

    const StoredScoring stored = EncodeScoring(event.scoring());
    bool set = setFields(
        *rs, {{"ReGos", stored.goRounds}, {"ReFinals", stored.finals}, {"RePrecision", stored.precision}});
    if (set && stored.writesJudges)
        set = setFields(*rs, {{"ReJudges", stored.judges}, {"ReFraction", stored.fraction}});
    if (!set || !rs->update()) {
        rs->cancel();
        return false;
    }
    if (!scope.commit())
        return false;
    // The entries already sit in the new go-rounds; the events say so too.
    return LoadRodeo(m_season, m_rodeo.name, nullptr);
}
