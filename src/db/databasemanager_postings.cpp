// Posting a rodeo's payouts to the contestants' earnings this season, taking a
// posting back, and the season's earnings by event from the postings.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"

#include <QStringList>

namespace {

const char kNow[] = "strftime('%Y-%m-%dT%H:%M:%fZ', 'now')";

QString nameOf(const ContestantRec* c, quint32 plrId)
{
    return c ? QStringLiteral("%1, %2").arg(c->lastName, c->firstName)
             : QStringLiteral("contestant %1").arg(plrId);
}

bool refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

// One contestant's earnings as a posting or its undoing changes them.
struct EarningsChange
{
    quint32 plrId = 0;
    Cents amount = 0; // added; negative when taken back
    QString before;
    QString after;
    // The column held nothing at all before (or is to again): kept so, not
    // turned into an empty text.
    bool beforeNull = false;
    bool afterNull = false;
};

// The contestant's earnings changed, and a row of the result history that
// says so (action "Post" or "Undo"; the amount and the posting with the new
// earnings).
bool writeEarnings(SqlConnection& conn, const EarningsChange& c, const QString& action, int rodeoId,
                   qint64 posting)
{
    return conn.execute(QStringLiteral("UPDATE Rosters SET PlrEarnCur = ? WHERE PlrId = ?"),
                        {c.afterNull ? QVariant() : QVariant(c.after), c.plrId}) &&
           conn.execute(QStringLiteral(
                            "INSERT INTO ResultHistory (HiWhen, HiSource, HiAction, HiTable, RoId, ptId, "
                            "HiOld, HiNew) VALUES (%1, ?, ?, 'Rosters', ?, ?, json_object('PlrEarnCur', ?), "
                            "json_object('PlrEarnCur', ?, 'Amount', ?, 'PoId', ?))")
                            .arg(QLatin1String(kNow)),
                        {changeSourceText(ChangeSource::Payout), action, rodeoId, c.plrId,
                         c.beforeNull ? QVariant() : QVariant(c.before),
                         c.afterNull ? QVariant() : QVariant(c.after), c.amount, posting});
}

} // namespace

bool CDatabaseManager::GetPayoutPosting(PayoutPosting& out)
{
    out = PayoutPosting();
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    auto rs = m_conn->query(
        QStringLiteral("SELECT p.PoId, p.PoWhen, sum(e.PgAmount) AS Total, count(e.PlrId) AS N "
                       "FROM PayoutPostings AS p LEFT JOIN PayoutPostingEarnings AS e ON "
                       "e.PoId = p.PoId WHERE p.RoId = ? AND p.PoUndone IS NULL GROUP BY p.PoId "
                       "ORDER BY p.PoId DESC LIMIT 1"),
        {m_rodeo.id});
    if (!rs || !rs->moveFirst())
        return false;
    out.id = rs->toInt64(QStringLiteral("PoId"));
    out.when = QDateTime::fromString(rs->toText(QStringLiteral("PoWhen")), Qt::ISODateWithMs);
    out.when.setTimeSpec(Qt::UTC);
    out.total = rs->toInt64(QStringLiteral("Total"));
    out.contestants = int(rs->toInt64(QStringLiteral("N")));
    return true;
}

bool CDatabaseManager::PostEarnings(QString* why)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return refuse(why, QStringLiteral("No rodeo is open."));
    PayoutPosting standing;
    if (GetPayoutPosting(standing))
        return refuse(
            why,
            QStringLiteral("The earnings of the rodeo \"%1\" were posted on %2. Undo that posting "
                           "first to post them again.")
                .arg(m_rodeo.name, standing.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    RodeoPayout payout;
    if (!ComputeRodeoPayout(payout))
        return refuse(why, QStringLiteral("The payouts could not be computed."));
    if (payout.events.isEmpty())
        return refuse(why, QStringLiteral("No event of the rodeo has a purse set up."));
    QStringList problems;
    for (const EventPayout& e : payout.events)
        problems << e.problems;
    if (!problems.isEmpty())
        return refuse(why,
                      QStringLiteral("The earnings cannot be posted:\n") + problems.join(QLatin1Char('\n')));
    if (payout.cheques.isEmpty())
        return refuse(why, QStringLiteral("Nobody is paid: there is nothing to post."));

    const auto failed = [&] {
        logReport("Failed to post the earnings.  DBMgr::PostEarnings  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return refuse(why, QStringLiteral("The earnings could not be posted; nothing was changed."));
    };
    // Every contestant's earnings are checked before anything is written.
    QVector<EarningsChange> changes;
    for (const ChequeLine& cheque : payout.cheques) {
        auto rs =
            m_conn->query(QStringLiteral("SELECT PlrEarnCur FROM Rosters WHERE PlrId = ?"), {cheque.plrId});
        if (!rs)
            return failed();
        const ContestantRec* c = m_contestants.find(cheque.plrId);
        if (!rs->moveFirst())
            return refuse(why, QStringLiteral("%1 is no longer in the season.").arg(nameOf(c, cheque.plrId)));
        EarningsChange change;
        change.plrId = cheque.plrId;
        change.amount = cheque.total;
        change.before = rs->toText(QStringLiteral("PlrEarnCur"));
        change.beforeNull = rs->isNull(QStringLiteral("PlrEarnCur"));
        Cents current = 0;
        if (!Money::parseEarnings(change.before, current))
            return refuse(
                why, QStringLiteral("The earnings this season of %1 (\"%2\") are not an amount of money: "
                                    "correct them in Contestant Entry first.")
                         .arg(nameOf(c, cheque.plrId), change.before));
        change.after = Money::formatEarnings(current + cheque.total);
        if (current + cheque.total > Money::MaxAmount || change.after.size() > Capacity::Earnings)
            return refuse(why,
                          QStringLiteral("The earnings this season of %1 would be %2, more than their column "
                                         "holds.")
                              .arg(nameOf(c, cheque.plrId), Money::format(current + cheque.total)));
        changes << change;
    }

    WriteScope scope(*this);
    if (!scope.isActive())
        return failed();
    if (!m_conn->execute(QStringLiteral("INSERT INTO PayoutPostings (RoId, PoWhen) VALUES (?, %1)")
                             .arg(QLatin1String(kNow)),
                         {m_rodeo.id}))
        return failed();
    const qint64 posting = m_conn->lastInsertRowId();
    for (const ChequeLine& cheque : payout.cheques)
        for (const auto& [eventId, amount] : cheque.events)
            if (!m_conn->execute(
                    QStringLiteral("INSERT INTO PayoutPostingLines (PoId, PlrId, EvId, PlAmount) "
                                   "VALUES (?, ?, ?, ?)"),
                    {posting, cheque.plrId, eventId, amount}))
                return failed();
    for (const EarningsChange& c : changes) {
        const bool ok =
            m_conn->execute(
                QStringLiteral("INSERT INTO PayoutPostingEarnings (PoId, PlrId, PgAmount, PgBefore, "
                               "PgAfter) VALUES (?, ?, ?, ?, ?)"),
                {posting, c.plrId, c.amount, c.beforeNull ? QVariant() : QVariant(c.before), c.after}) &&
            writeEarnings(*m_conn, c, QStringLiteral("Post"), m_rodeo.id, posting);
        if (!ok)
            return failed();
    }
    if (!scope.commit())
        return refuse(why, QStringLiteral("The earnings could not be posted; nothing was changed."));
    for (const EarningsChange& c : changes)
        if (ContestantRec* rec = m_contestants.find(c.plrId))
            rec->earnCur = c.after;
    return true;
}

bool CDatabaseManager::UndoPayoutPosting(QString* why)
{
    if (!m_conn->isOpen() || !m_isOpen)
        return refuse(why, QStringLiteral("No rodeo is open."));
    PayoutPosting standing;
    if (!GetPayoutPosting(standing))
        return refuse(why,
                      QStringLiteral("The earnings of the rodeo \"%1\" are not posted.").arg(m_rodeo.name));

    const auto failed = [&] {
        logReport("Failed to undo the posting.  DBMgr::UndoPayoutPosting  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return refuse(why, QStringLiteral("The posting could not be undone; nothing was changed."));
    };
    auto rs = m_conn->query(
        QStringLiteral("SELECT e.PlrId, e.PgAmount, e.PgBefore, e.PgAfter, r.PlrEarnCur, "
                       "r.PlrId AS Present FROM PayoutPostingEarnings AS e LEFT JOIN Rosters AS "
                       "r ON r.PlrId = e.PlrId WHERE e.PoId = ? ORDER BY e.PlrId"),
        {standing.id});
    if (!rs)
        return failed();
    QVector<EarningsChange> changes;
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        if (rs->isNull(QStringLiteral("Present")))
            continue; // the contestant was deleted since: nothing to give back
        EarningsChange c;
        c.plrId = rs->toUInt(QStringLiteral("PlrId"));
        const Cents amount = rs->toInt64(QStringLiteral("PgAmount"));
        c.amount = -amount;
        c.before = rs->toText(QStringLiteral("PlrEarnCur"));
        c.beforeNull = rs->isNull(QStringLiteral("PlrEarnCur"));
        if (c.before == rs->toText(QStringLiteral("PgAfter"))) {
            // Untouched since the posting: the earlier text comes back as it was written.
            c.after = rs->toText(QStringLiteral("PgBefore"));
            c.afterNull = rs->isNull(QStringLiteral("PgBefore"));
        } else {
            // Changed since (another rodeo posted, or an operator typed):
            // the posted amount is taken off what is there now.
            Cents current = 0;
            if (!Money::parseEarnings(c.before, current) || current < amount)
                return refuse(
                    why,
                    QStringLiteral("The earnings this season of %1 changed since the posting (\"%2\") "
                                   "and the %3 posted cannot be taken off them: correct them in "
                                   "Contestant Entry first.")
                        .arg(nameOf(m_contestants.find(c.plrId), c.plrId), c.before, Money::format(amount)));
            c.after = Money::formatEarnings(current - amount);
        }
        changes << c;
    }
    WriteScope scope(*this);
    if (!scope.isActive())
        return failed();
    for (const EarningsChange& c : changes) {
        if (!writeEarnings(*m_conn, c, QStringLiteral("Undo"), m_rodeo.id, standing.id))
            return failed();
    }
    if (!m_conn->execute(
            QStringLiteral("UPDATE PayoutPostings SET PoUndone = %1 WHERE PoId = ?").arg(QLatin1String(kNow)),
            {standing.id}) ||
        m_conn->changes() != 1)
        return failed();
    if (!scope.commit())
        return refuse(why, QStringLiteral("The posting could not be undone; nothing was changed."));
    for (const EarningsChange& c : changes)
        if (ContestantRec* rec = m_contestants.find(c.plrId))
            rec->earnCur = c.after;
    return true;
}

bool CDatabaseManager::GetSeasonEarnings(QVector<EarningsRow>& out)
{
    out.clear();
    if (!m_conn->isOpen())
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT l.PlrId, l.EvId, l.PlAmount FROM PayoutPostingLines AS l JOIN "
                                     "PayoutPostings AS p ON p.PoId = l.PoId WHERE p.PoUndone IS NULL"));
    if (!rs) {
        logReport("Failed to read the postings.  DBMgr::GetSeasonEarnings  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        out << EarningsRow{rs->toUInt(QStringLiteral("PlrId")), rs->toText(QStringLiteral("EvId")),
                           rs->toInt64(QStringLiteral("PlAmount"))};
    return true;
}
