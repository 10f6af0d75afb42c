// The result history: reading an entry's recorded changes and putting them
// into words. The rows are written by the connection's triggers
// (SeasonSchema::installHistoryTriggers), and those of the draw by the draw
// (databasemanager_draw.cpp), never by this code.
#include "app/log.h"
#include "databasemanager.h"
#include "platform/errortext.h"
#include "resulthistory.h"
#include "results/values.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

quint32 numberOf(const QJsonObject& o, const char* key)
{
    const double v = o.value(QLatin1String(key)).toDouble();
    return v > 0 && v <= double(std::numeric_limits<quint32>::max()) ? quint32(v) : 0;
}

bool isEmpty(const ResultRecord& r)
{
    ResultRecord blank;
    blank.key = r.key;
    return r == blank;
}

QString scoreText(quint32 value)
{
    return FormatScoreOutput(value, true, false);
}

} // namespace

bool ResultHistory::parseValues(const QString& json, bool scored, ResultRecord& out)
{
    out.clear();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    out.setStatus(o.value(QLatin1String("Status")).toString());
    out.success = quint8(std::min<quint32>(numberOf(o, "Suc"), 255));
    const quint32 ride = numberOf(o, "RideTime");
    if (scored) {
        out.score = numberOf(o, "JTot");
        out.time = ride;
        static const char* const jr[] = {"JR1", "JR2", "JR3", "JR4"};
        static const char* const js[] = {"JS1", "JS2", "JS3", "JS4"};
        for (int i = 0; i < 4; ++i) {
            out.JR[i] = quint16(std::min<quint32>(numberOf(o, jr[i]), 0xFFFF));
            out.JS[i] = quint16(std::min<quint32>(numberOf(o, js[i]), 0xFFFF));
        }
    } else {
        out.penalty = numberOf(o, "PenTime");
        out.time = ride + out.penalty;
    }
    return true;
}

QString ResultHistory::describe(const ResultRecord& r, bool scored, const QString& precision)
{
    QStringList parts;
    if (scored) {
        if (r.score)
            parts << scoreText(r.score);
        int judges = 0;
        for (int i = 0; i < 4; ++i)
            if (r.JR[i] || r.JS[i])
                judges = i + 1;
        if (judges) {
            QStringList riders;
            QStringList stock;
            for (int i = 0; i < judges; ++i) {
                riders << scoreText(r.JR[i]);
                stock << scoreText(r.JS[i]);
            }
            parts << QStringLiteral("(%1 / %2)")
                         .arg(riders.join(QLatin1Char(' ')), stock.join(QLatin1Char(' ')));
        }
        if (r.time)
            parts << QStringLiteral("Time %1").arg(FormatTimeText(r.time, precision));
    } else {
        if (r.time)
            parts << FormatTimeText(r.time, precision);
        if (r.penalty)
            parts << QStringLiteral("(penalty %1)").arg(FormatTimeText(r.penalty, precision));
    }
    const QString status = StatusDisplayText(r.status, scored);
    if (!status.isEmpty())
        parts << status;
    else if (!r.status.isEmpty())
        parts << QStringLiteral("status %1").arg(r.status);
    return parts.isEmpty() ? QStringLiteral("(no result)") : parts.join(QLatin1Char(' '));
}

QString ResultHistory::describeAction(const ResultChange& c)
{
    if (c.drawn)
        return c.action == QLatin1String("Undo Draw") ? QStringLiteral("Draw undone")
                                                      : QStringLiteral("Drawn");
    if (c.action == QLatin1String("Insert"))
        return isEmpty(c.after) ? QStringLiteral("Entered") : QStringLiteral("Entered with a result");
    if (c.action == QLatin1String("Delete"))
        return isEmpty(c.before) ? QStringLiteral("Entry removed")
                                 : QStringLiteral("Entry removed with its result");
    QStringList moves;
    if (c.oldGoRound != c.goRound)
        moves << QStringLiteral("from go-round %1 to %2").arg(c.oldGoRound).arg(c.goRound);
    if (c.oldPtId != c.ptId)
        moves << QStringLiteral("from competitor %1 to %2").arg(c.oldPtId).arg(c.ptId);
    if (c.oldPlrEnt != c.plrEnt)
        moves << QStringLiteral("from entry %1 to %2").arg(c.oldPlrEnt).arg(c.plrEnt);
    if (!moves.isEmpty())
        return QStringLiteral("Moved ") + moves.join(QStringLiteral(", "));
    if (!isEmpty(c.before) && isEmpty(c.after))
        return QStringLiteral("Cleared");
    if (isEmpty(c.before))
        return QStringLiteral("Saved");
    return QStringLiteral("Changed");
}

QStringList ResultHistory::columns(const ResultChange& c, const QString& precision, int goRounds)
{
    const QString go = c.goRound == goRounds + 1 ? QStringLiteral("Finals") : QString::number(c.goRound);
    return {c.when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            go,
            describeAction(c),
            c.source,
            c.drawn       ? c.placeBefore
            : c.hasBefore ? describe(c.before, c.scored, precision)
                          : QString(),
            c.drawn      ? c.placeAfter
            : c.hasAfter ? describe(c.after, c.scored, precision)
                         : QString()};
}

QString CDatabaseManager::placeText(const QString& json) const
{
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    const quint32 perf = numberOf(o, "PerfId");
    const quint32 ord = numberOf(o, "Ord");
    const quint32 stock = numberOf(o, "StId");
    QStringList parts;
    parts << (perf ? QStringLiteral("Performance %1, order %2").arg(perf).arg(ord)
                   : QStringLiteral("Unplaced"));
    if (const StockRec* s = stock ? m_stock.find(stock) : nullptr)
        parts << QStringLiteral("animal %1 %2").arg(s->bib, s->name).trimmed();
    else if (stock)
        parts << QStringLiteral("animal #%1").arg(stock);
    return parts.join(QStringLiteral(", "));
}

bool CDatabaseManager::GetResultHistory(const QString& eventId, quint32 ptId, int plrEnt,
                                        QVector<ResultChange>& out)
{
    out.clear();
    if (!m_conn->isOpen() || !m_isOpen)
        return false;
    auto rs =
        m_conn->query(QStringLiteral("SELECT * FROM ResultHistory WHERE RoId = ?1 AND EvId = ?2 AND "
                                     "HiTable IN ('Scores', 'Times') AND "
                                     "((ptId = ?3 AND PlrEnt = ?4) OR (OldptId = ?3 AND OldPlrEnt = ?4)) "
                                     "ORDER BY HiId"),
                      {m_rodeo.id, eventId, ptId, plrEnt});
    if (!rs) {
        logReport("Failed to read the result history.  DBMgr::GetResultHistory  SQL:%s, Error:%s",
                  m_conn->lastStatement(), errorDescription(m_conn->lastError()));
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
        ResultChange c;
        c.id = rs->toInt64(QStringLiteral("HiId"));
        c.when = QDateTime::fromString(rs->toText(QStringLiteral("HiWhen")), Qt::ISODateWithMs);
        c.when.setTimeSpec(Qt::UTC);
        c.source = rs->toText(QStringLiteral("HiSource"));
        c.action = rs->toText(QStringLiteral("HiAction"));
        c.scored = rs->toText(QStringLiteral("HiTable")) == QLatin1String("Scores");
        c.goRound = int(rs->toUInt(QStringLiteral("GoId")));
        c.ptId = rs->toUInt(QStringLiteral("ptId"));
        c.plrEnt = int(rs->toUInt(QStringLiteral("PlrEnt")));
        c.hasBefore = !rs->isNull(QStringLiteral("HiOld"));
        c.hasAfter = !rs->isNull(QStringLiteral("HiNew"));
        if (c.hasBefore) {
            c.oldGoRound = int(rs->toUInt(QStringLiteral("OldGoId")));
            c.oldPtId = rs->toUInt(QStringLiteral("OldptId"));
            c.oldPlrEnt = int(rs->toUInt(QStringLiteral("OldPlrEnt")));
            ResultHistory::parseValues(rs->toText(QStringLiteral("HiOld")), c.scored, c.before);
        } else {
            c.oldGoRound = c.goRound;
            c.oldPtId = c.ptId;
            c.oldPlrEnt = c.plrEnt;
        }
        if (c.hasAfter)
            ResultHistory::parseValues(rs->toText(QStringLiteral("HiNew")), c.scored, c.after);
        c.drawn = c.action == QLatin1String("Draw") || c.action == QLatin1String("Undo Draw");
        if (c.drawn) {
            // The draw's rows hold the place, not a result.
            c.placeBefore = c.hasBefore ? placeText(rs->toText(QStringLiteral("HiOld"))) : QString();
            c.placeAfter = placeText(rs->toText(QStringLiteral("HiNew")));
            c.before = c.after = ResultRecord();
        }
        out.append(c);
    }
    return true;
}
