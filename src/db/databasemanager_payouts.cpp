// Payouts: the season's schedules, the purse settings of the open rodeo's
// events, and the payouts computed from the rows as they are now. Posting
// the earnings is databasemanager_postings.cpp.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "results/standings.h"
#include "results/values.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace {

QString sharesText(const QVector<int>& shares)
{
    QStringList parts;
    for (int s : shares)
        parts << QString::number(s);
    return parts.join(QLatin1Char(' '));
}

// A stored list of shares; false for a text this program did not write.
bool sharesFrom(const QString& text, QVector<int>& out)
{
    out.clear();
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok || v < 0 || v > WholeShare)
            return false;
        out << v;
    }
    return true;
}

// Where an entry runs in a go-round, as one number: performance, then
// running order; entries not placed in a performance run last.
int runningOrderOf(quint32 perf, quint32 ord)
{
    return int(((perf == 0 ? 0x7FFFu : std::min(perf, 0x7FFEu)) << 16) | std::min(ord, 0xFFFFu));
}

struct EventRows
{
    Standings standings;
    // Running order of each entry per go-round (1-based; the final last).
    QVector<QHash<EntryKey, int>> order;
};

} // namespace

// --- Schedules ----------------------------------------------------------------

bool CDatabaseManager::GetPayoutSchedules(QVector<PayoutSchedule>& out)
{
    out.clear();
    if (!m_conn->isOpen())
        return false;
    auto rs = m_conn->query(
        QStringLiteral("SELECT s.ScId, s.ScName, l.SlFrom, l.SlTo, l.SlShares FROM PayoutSchedules AS s "
                       "LEFT JOIN PayoutScheduleLines AS l ON l.ScId = s.ScId ORDER BY s.ScName, s.ScId, "
                       "l.SlLine"));
    if (!rs) {
        logReport("Failed to read the payout schedules.  DBMgr::GetPayoutSchedules  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        const qint64 id = rs->toInt64(QStringLiteral("ScId"));
        if (out.isEmpty() || out.last().id != id) {
            PayoutSchedule s;
            s.id = id;
            s.name = rs->toText(QStringLiteral("ScName"));
            out << s;
        }
        if (rs->isNull(QStringLiteral("SlFrom")))
            continue;
        ScheduleBand band;
        band.fromEntries = int(rs->toInt64(QStringLiteral("SlFrom")));
        band.toEntries = int(rs->toInt64(QStringLiteral("SlTo")));
        // A line whose shares cannot be read stays empty: check() then
        // refuses the schedule rather than paying by half of it.
        sharesFrom(rs->toText(QStringLiteral("SlShares")), band.shares);
        out.last().bands << band;
    }
    return true;
}

bool CDatabaseManager::SavePayoutSchedule(PayoutSchedule& schedule, QString* why)
{
    const auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (!m_conn->isOpen())
        return refuse(QStringLiteral("No season is open."));
    schedule.name = schedule.name.trimmed();
    const QString fault = schedule.check();
    if (!fault.isEmpty())
        return refuse(fault);
    auto taken =
        m_conn->query(QStringLiteral("SELECT ScId FROM PayoutSchedules WHERE ScName = ? AND ScId <> ?"),
                      {schedule.name, schedule.id});
    if (taken && taken->moveFirst())
        return refuse(QStringLiteral("A schedule named \"%1\" exists already.").arg(schedule.name));

    WriteScope scope(*this);
    qint64 id = schedule.id;
    bool ok = scope.isActive();
    if (ok && id == 0) {
        ok = m_conn->execute(QStringLiteral("INSERT INTO PayoutSchedules (ScName) VALUES (?)"),
                             {schedule.name});
        id = m_conn->lastInsertRowId();
    } else if (ok) {
        ok = m_conn->execute(QStringLiteral("UPDATE PayoutSchedules SET ScName = ? WHERE ScId = ?"),
                             {schedule.name, id}) &&
             m_conn->changes() == 1 &&
             m_conn->execute(QStringLiteral("DELETE FROM PayoutScheduleLines WHERE ScId = ?"), {id});
    }
    for (int i = 0; ok && i < schedule.bands.size(); ++i) {
        const ScheduleBand& b = schedule.bands.at(i);
        ok = m_conn->execute(
            QStringLiteral("INSERT INTO PayoutScheduleLines (ScId, SlLine, SlFrom, SlTo, SlShares) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {id, i + 1, b.fromEntries, b.toEntries, sharesText(b.shares)});
    }
    if (!ok) {
        logReport("Failed to save the payout schedule.  DBMgr::SavePayoutSchedule  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return refuse(QStringLiteral("The schedule could not be saved."));
    }
    if (!scope.commit())
        return refuse(QStringLiteral("The schedule could not be saved."));
    schedule.id = id;
    return true;
}

bool CDatabaseManager::DeletePayoutSchedule(qint64 scheduleId, QString* why)
{
    const auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (!m_conn->isOpen())
        return refuse(QStringLiteral("No season is open."));
    auto used =
        m_conn->query(QStringLiteral("SELECT r.RoName, p.EvId FROM PayoutEvents AS p LEFT JOIN Rodeos AS r "
                                     "ON r.RoId = p.RoId WHERE p.ScId = ? ORDER BY r.RoName, p.EvId"),
                      {scheduleId});
    if (!used)
        return refuse(QStringLiteral("The schedule could not be deleted."));
    if (used->moveFirst())
        return refuse(QStringLiteral("The schedule pays the event %1 of the rodeo \"%2\": choose another "
                                     "schedule there first.")
                          .arg(used->toText(QStringLiteral("EvId")), used->toText(QStringLiteral("RoName"))));
    WriteScope scope(*this);
    if (!scope.isActive() ||
        !m_conn->execute(QStringLiteral("DELETE FROM PayoutScheduleLines WHERE ScId = ?"), {scheduleId}) ||
        !m_conn->execute(QStringLiteral("DELETE FROM PayoutSchedules WHERE ScId = ?"), {scheduleId})) {
        logReport("Failed to delete the payout schedule.  DBMgr::DeletePayoutSchedule  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return refuse(QStringLiteral("The schedule could not be deleted."));
    }
    return scope.commit() || refuse(QStringLiteral("The schedule could not be deleted."));
}

bool CDatabaseManager::AddBuiltInPayoutSchedules()
{
    QVector<PayoutSchedule> existing;
    if (!GetPayoutSchedules(existing))
        return false;
    WriteScope scope(*this);
    for (PayoutSchedule s : PayoutSchedules::builtIn()) {
        const bool taken = std::any_of(existing.cbegin(), existing.cend(), [&](const PayoutSchedule& e) {
            return e.name.compare(s.name, Qt::CaseInsensitive) == 0;
        });
        if (!taken && !SavePayoutSchedule(s))
            return false;
    }
    return scope.commit();
}

// --- Event purses ---------------------------------------------------------------

int CDatabaseManager::CountPaidEntries(const QString& eventId)
{
    const QString table = GetEventTable(eventId);
    if (table.isEmpty() || eventId.isEmpty() || !m_conn->isOpen())
        return 0;
    auto rs =
        m_conn->query(QStringLiteral("SELECT count(*) AS n FROM %1 WHERE RoId = ? AND EvId = ? AND GoId = 1 "
                                     "AND ptId > 0")
                          .arg(table),
                      {m_rodeo.id, eventId});
    return rs && rs->moveFirst() ? int(rs->toInt64(QStringLiteral("n"))) : 0;
}

bool CDatabaseManager::GetEventPurse(const QString& eventId, EventPurse& out)
{
    const EventCfg* event = GetEvent(eventId);
    if (!event || !m_conn->isOpen())
        return false;
    out = EventPurse();
    out.eventId = eventId;
    out.split = PurseSplit::defaults(event->goRoundCount());
    auto rs = m_conn->query(QStringLiteral("SELECT * FROM PayoutEvents WHERE RoId = ? AND EvId = ?"),
                            {m_rodeo.id, eventId});
    if (!rs) {
        logReport("Failed to read the purse settings.  DBMgr::GetEventPurse  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    if (!rs->moveFirst()) {
        out.purse.paidEntries = CountPaidEntries(eventId);
        // The standard schedule to start from, when the season has one.
        QVector<PayoutSchedule> schedules;
        if (GetPayoutSchedules(schedules) && !schedules.isEmpty()) {
            out.scheduleId = schedules.first().id;
            for (const PayoutSchedule& s : schedules)
                if (s.name.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0)
                    out.scheduleId = s.id;
        }
        return true;
    }
    out.stored = true;
    out.purse.addedMoney = rs->toInt64(QStringLiteral("PeAdded"));
    out.purse.entryFee = rs->toInt64(QStringLiteral("PeFee"));
    out.entriesCounted = rs->isNull(QStringLiteral("PePaidEntries"));
    out.purse.paidEntries =
        out.entriesCounted ? CountPaidEntries(eventId) : int(rs->toInt64(QStringLiteral("PePaidEntries")));
    out.purse.deductionShare = int(rs->toInt64(QStringLiteral("PeDeductShare")));
    out.purse.deductionFixed = rs->toInt64(QStringLiteral("PeDeductFixed"));
    out.scheduleId = rs->toInt64(QStringLiteral("ScId"));
    out.ground =
        rs->toText(QStringLiteral("PeGround")) == QLatin1String("K") ? GroundMoney::Kept : GroundMoney::Split;
    // Shares that cannot be read, or a split kept from before the event's
    // go-round count changed, are given as stored: the payout refuses them
    // and says so, rather than the program guessing a new split.
    PurseSplit split;
    split.average = int(rs->toInt64(QStringLiteral("PeAvgShare")));
    split.finalRound = int(rs->toInt64(QStringLiteral("PeFinalShare")));
    if (!sharesFrom(rs->toText(QStringLiteral("PeGoShares")), split.goRounds))
        split.goRounds.clear();
    out.split = split;
    return true;
}

bool CDatabaseManager::SaveEventPurse(const EventPurse& p, QString* why)
{
    const auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    const EventCfg* event = GetEvent(p.eventId);
    if (!event || !m_conn->isOpen())
        return refuse(QStringLiteral("The event is not one of the open rodeo's."));
    PurseBreakdown breakdown;
    QString fault;
    if (!Purse::compute(p.purse, breakdown, &fault))
        return refuse(fault);
    fault = p.split.check();
    if (!fault.isEmpty())
        return refuse(fault);
    if (p.split.goRounds.size() != event->goRoundCount())
        return refuse(QStringLiteral("The event has %1 go-rounds: give each of them a share.")
                          .arg(event->goRoundCount()));
    auto schedule =
        m_conn->query(QStringLiteral("SELECT ScId FROM PayoutSchedules WHERE ScId = ?"), {p.scheduleId});
    if (!schedule || !schedule->moveFirst())
        return refuse(QStringLiteral("Choose the payout schedule of the event."));

    const QVariant entries = p.entriesCounted ? QVariant() : QVariant(p.purse.paidEntries);
    if (!m_conn->execute(
            QStringLiteral("INSERT OR REPLACE INTO PayoutEvents (RoId, EvId, PeAdded, PeFee, "
                           "PePaidEntries, PeDeductShare, PeDeductFixed, ScId, PeGround, PeGoShares, "
                           "PeAvgShare, PeFinalShare) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {m_rodeo.id, p.eventId, p.purse.addedMoney, p.purse.entryFee, entries, p.purse.deductionShare,
             p.purse.deductionFixed, p.scheduleId,
             p.ground == GroundMoney::Kept ? QStringLiteral("K") : QStringLiteral("S"),
             sharesText(p.split.goRounds), p.split.average, p.split.finalRound})) {
        logReport("Failed to save the purse settings.  DBMgr::SaveEventPurse  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return refuse(QStringLiteral("The purse settings could not be saved."));
    }
    return true;
}

bool CDatabaseManager::RemoveEventPurse(const QString& eventId)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    if (!m_conn->execute(QStringLiteral("DELETE FROM PayoutEvents WHERE RoId = ? AND EvId = ?"),
                         {m_rodeo.id, eventId})) {
        logReport("Failed to remove the purse settings.  DBMgr::RemoveEventPurse  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    return true;
}

// --- Computing ----------------------------------------------------------------------

namespace {

QString goRoundResult(const ResultRecord& r, const EventCfg& e)
{
    const bool scored = e.isScored();
    if (r.hasStatus(StatusNoResult))
        return scored ? QStringLiteral("No score") : QStringLiteral("No time");
    if (scored)
        return r.score ? FormatScoreOutput(r.score, true, false, e.judgeCount == QLatin1String("4") ? 2 : 1)
                       : QString();
    return r.time ? FormatTimeText(r.time, e.precision) : QString();
}

QString overallResult(const ResultRecord& r, const EventCfg& e)
{
    const QString total =
        e.isScored() ? FormatScoreOutput(r.score, true, false, e.judgeCount == QLatin1String("4") ? 2 : 1)
                     : FormatTimeText(r.time, e.precision);
    return QStringLiteral("%1 / %2").arg(total).arg(r.ride);
}

QVector<Placing> placingsOf(const std::vector<ResultRecord>& standing, const QHash<EntryKey, int>& order,
                            const EventCfg& e, bool overall)
{
    QVector<Placing> out;
    out.reserve(int(standing.size()));
    for (const ResultRecord& r : standing) {
        Placing p;
        p.key = r.key;
        p.position = r.position;
        const int ro = order.value(r.key, -1);
        p.runningOrder = ro < 0 ? runningOrderOf(0, 0xFFFF) : ro;
        if (overall) {
            p.qualified = r.position > 0;
            p.competed = r.ride > 0;
            p.result = overallResult(r, e);
        } else {
            const bool noResult = r.hasStatus(StatusNoResult);
            p.qualified = r.position > 0 && !noResult;
            p.competed = noResult || r.score > 0 || r.time > 0;
            p.result = goRoundResult(r, e);
        }
        out << p;
    }
    return out;
}

} // namespace

bool CDatabaseManager::ComputeRodeoPayout(RodeoPayout& out)
{
    out = RodeoPayout();
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    QVector<PayoutSchedule> schedules;
    if (!GetPayoutSchedules(schedules))
        return false;
    auto stored = m_conn->query(QStringLiteral("SELECT EvId FROM PayoutEvents WHERE RoId = ?"), {m_rodeo.id});
    if (!stored) {
        logReport("Failed to read the purse settings.  DBMgr::ComputeRodeoPayout  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    QSet<QString> paying;
    for (stored->moveFirst(); !stored->isEof(); stored->moveNext())
        paying.insert(stored->toText(QStringLiteral("EvId")));

    for (const EventCfg& event : m_events) {
        if (!paying.contains(event.id))
            continue;
        EventPurse settings;
        if (!GetEventPurse(event.id, settings))
            return false;
        EventPayoutInput in;
        in.eventId = event.id;
        in.eventName = event.name;
        in.team = event.isTeam();
        in.purse = settings.purse;
        in.split = settings.split;
        in.ground = settings.ground;
        const auto schedule =
            std::find_if(schedules.cbegin(), schedules.cend(),
                         [&](const PayoutSchedule& s) { return s.id == settings.scheduleId; });
        if (schedule != schedules.cend())
            in.schedule = *schedule;

        // The event's standings, built here from its rows: the current
        // event's standings belong to the views and stay as they are.
        const int goRounds = std::clamp(event.goRoundCount(), 0, Standings::MaxGoRounds);
        EventRows rows;
        rows.order.resize(goRounds + 2);
        rows.standings.beginRebuild(goRounds, event.isScored(), event.ranking == RankingLongestFirst);
        // Only the columns a standing needs: a large event has thousands of rows.
        auto rs = m_conn->query(event.isScored()
                                    ? QStringLiteral("SELECT GoId, ptId, PlrEnt, PerfId, Ord, JTot, "
                                                     "RideTime, Status, Suc FROM Scores WHERE RoId = ? "
                                                     "AND EvId = ?")
                                    : QStringLiteral("SELECT GoId, ptId, PlrEnt, PerfId, Ord, RideTime, "
                                                     "PenTime, Status, Suc FROM Times WHERE RoId = ? AND "
                                                     "EvId = ?"),
                                {m_rodeo.id, event.id});
        if (!rs) {
            logReport("Failed to read the results.  DBMgr::ComputeRodeoPayout  SQL:%s, Error:%s",
                      m_conn->lastStatement(), errorDescription(m_conn->lastError()));
            return false;
        }
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const quint32 ptId = rs->toUInt(QStringLiteral("ptId"));
            const int go = int(rs->toUInt(QStringLiteral("GoId")));
            if (ptId == 0 || go < 1 || go > goRounds + 1)
                continue;
            ResultRecord r;
            r.key = makeEntryKey(ptId, int(rs->toUInt(QStringLiteral("PlrEnt"))));
            r.penalty = rs->toUInt(QStringLiteral("PenTime"));
            r.time = rs->toUInt(QStringLiteral("RideTime")) + r.penalty;
            r.score = rs->toUInt(QStringLiteral("JTot"));
            r.setStatus(rs->toText(QStringLiteral("Status")));
            r.success = quint8(rs->toUInt(QStringLiteral("Suc")));
            if (rows.standings.addRecord(go, r))
                rows.order[go].insert(r.key, runningOrderOf(rs->toUInt(QStringLiteral("PerfId")),
                                                            rs->toUInt(QStringLiteral("Ord"))));
        }
        rows.standings.finishRebuild();

        for (int g = 1; g <= goRounds; ++g)
            in.goRounds << placingsOf(rows.standings.goRound(g), rows.order.at(g), event, false);
        // Ties in the average are broken by go-round 1's running order.
        in.average = placingsOf(rows.standings.overall(), rows.order.value(1), event, true);
        in.finalRound =
            placingsOf(rows.standings.goRound(goRounds + 1), rows.order.at(goRounds + 1), event, false);
        if (schedule == schedules.cend())
            in.schedule.name = QStringLiteral("(none)");

        EventPayout payout = EventPayouts::compute(in);
        // Money must reach a contestant of the season: an entry whose
        // contestant or team is gone cannot be posted.
        const QHash<EntryKey, Cents> byEntry = payout.byEntry();
        for (auto it = byEntry.cbegin(); it != byEntry.cend(); ++it) {
            const quint32 id = entryKeyId(it.key());
            if (it.value() == 0)
                continue;
            if (event.isTeam()) {
                const TeamRec* team = m_teams.find(id);
                if (!team || (!team->plrId1 && !team->plrId2 && !team->plrId3))
                    payout.problems
                        << QStringLiteral("Team %1 of %2 has no members to pay.").arg(id).arg(event.name);
                else
                    for (quint32 m : {team->plrId1, team->plrId2, team->plrId3})
                        if (m && !m_contestants.contains(m))
                            payout.problems
                                << QStringLiteral("Contestant %1 of team %2 of %3 is not in the season.")
                                       .arg(m)
                                       .arg(team->name, event.name);
            } else if (!m_contestants.contains(id)) {
                payout.problems
                    << QStringLiteral("Contestant %1 of %2 is not in the season.").arg(id).arg(event.name);
            }
        }
        out.events << payout;
    }

    out.cheques = ChequeList::build(out.events, [this](const EventPayout& e, EntryKey key) {
        const quint32 id = entryKeyId(key);
        if (!e.team)
            return m_contestants.contains(id) ? QVector<quint32>{id} : QVector<quint32>{};
        QVector<quint32> members;
        if (const TeamRec* t = m_teams.find(id))
            for (quint32 m : {t->plrId1, t->plrId2, t->plrId3})
                if (m && m_contestants.contains(m) && !members.contains(m))
                    members << m;
        return members;
    });
    return true;
}
