#include "seasonschema.h"

#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqltransaction.h"

#include <QStringList>

namespace {

// Step n brings a database from version n - 1 to n.
const char* const kSteps[] = {
    // 1: who changed which result, when, from what to what.
    "CREATE TABLE ResultHistory ("
    " HiId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " HiWhen TEXT NOT NULL," // UTC, ISO 8601
    " HiSource TEXT,"
    // A result row's change: Insert, Update or Delete of Scores or Times.
    // Since version 2 also a contestant's earnings changed by a payout
    // posting: Post or Undo of Rosters, ptId the contestant, EvId and PlrEnt
    // null, the earnings and the amount in HiOld and HiNew.
    " HiAction TEXT,"
    " HiTable TEXT,"
    // The row after the change (before it, for a delete).
    " RoId INTEGER, EvId TEXT, GoId INTEGER, ptId INTEGER, PlrEnt INTEGER,"
    // Where the row was before the change (null for an insert).
    " OldGoId INTEGER, OldptId INTEGER, OldPlrEnt INTEGER,"
    // The result columns before and after, as JSON objects.
    " HiOld TEXT, HiNew TEXT);"
    "CREATE INDEX ResultHistoryByEntry ON ResultHistory (RoId, EvId, ptId, PlrEnt);",
    // 2: payouts. Amounts in cents, shares in hundredths of a percent.
    // A season's payout schedules, one row per line of a schedule.
    "CREATE TABLE PayoutSchedules ("
    " ScId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " ScName TEXT NOT NULL COLLATE NOCASE UNIQUE);"
    "CREATE TABLE PayoutScheduleLines ("
    " ScId INTEGER NOT NULL,"
    " SlLine INTEGER NOT NULL," // from 1, in order of entries
    " SlFrom INTEGER NOT NULL,"
    " SlTo INTEGER NOT NULL,"  // 0: and more
    " SlShares TEXT NOT NULL," // place 1 first, separated by spaces: "5000 3000 2000"
    " PRIMARY KEY (ScId, SlLine));"
    // The purse of a rodeo event; an event without a row pays nothing.
    "CREATE TABLE PayoutEvents ("
    " RoId INTEGER NOT NULL,"
    " EvId TEXT NOT NULL,"
    " PeAdded INTEGER NOT NULL DEFAULT 0,"
    " PeFee INTEGER NOT NULL DEFAULT 0,"         // per contestant; per roper in a team event
    " PePaidEntries INTEGER,"                    // null: counted from the entries
    " PeDeductShare INTEGER NOT NULL DEFAULT 0," // of the money taken in
    " PeDeductFixed INTEGER NOT NULL DEFAULT 0,"
    " ScId INTEGER,"
    " PeGround TEXT NOT NULL DEFAULT 'S'," // places nobody qualified for: S split, K kept
    " PeGoShares TEXT NOT NULL,"           // go-round 1 first, separated by spaces
    " PeAvgShare INTEGER NOT NULL,"
    " PeFinalShare INTEGER NOT NULL,"
    " PRIMARY KEY (RoId, EvId));"
    // Earnings posted to the contestants, and undone.
    "CREATE TABLE PayoutPostings ("
    " PoId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " RoId INTEGER NOT NULL,"
    " PoWhen TEXT NOT NULL," // UTC, ISO 8601
    " PoUndone TEXT);"       // when it was undone; null while it stands
    "CREATE INDEX PayoutPostingsByRodeo ON PayoutPostings (RoId);"
    // What a posting paid a contestant in an event.
    "CREATE TABLE PayoutPostingLines ("
    " PoId INTEGER NOT NULL,"
    " PlrId INTEGER NOT NULL,"
    " EvId TEXT NOT NULL,"
    " PlAmount INTEGER NOT NULL,"
    " PRIMARY KEY (PoId, PlrId, EvId));"
    // A contestant's earnings this season before and after a posting.
    "CREATE TABLE PayoutPostingEarnings ("
    " PoId INTEGER NOT NULL,"
    " PlrId INTEGER NOT NULL,"
    " PgAmount INTEGER NOT NULL,"
    " PgBefore TEXT,"
    " PgAfter TEXT,"
    " PRIMARY KEY (PoId, PlrId));",
    // 3: the draw. Each animal's pen (the event it bucks in), whether it is
    // kept for re-rides and whether it is out (injured); the places of each
    // performance; the secretary's requests (up, out, buddies, two events in
    // one performance), each with its members; and every draw made, with the
    // rows it moved, so that it can be shown, reproduced and undone.
    "ALTER TABLE Stocks ADD COLUMN StPen TEXT;"
    "ALTER TABLE Stocks ADD COLUMN StReride INTEGER DEFAULT 0;"
    "ALTER TABLE Stocks ADD COLUMN StOut INTEGER DEFAULT 0;"
    "CREATE TABLE DrawCapacities ("
    " RoId INTEGER, EvId TEXT, GoId INTEGER, PerfId INTEGER, DcPlaces INTEGER,"
    " PRIMARY KEY (RoId, EvId, GoId, PerfId));"
    "CREATE TABLE DrawRequests ("
    " DqId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " RoId INTEGER,"
    " DqKind TEXT,"  // U up, O out, B buddies, A two events in one performance allowed
    " GoId INTEGER," // 0: every go-round
    " PerfId INTEGER);"
    "CREATE TABLE DrawRequestMembers ("
    " DqId INTEGER, PlrId INTEGER, EvId TEXT);" // EvId empty: every event of the contestant
    "CREATE INDEX DrawRequestMembersByRequest ON DrawRequestMembers (DqId);"
    "CREATE TABLE Draws ("
    " DrId INTEGER PRIMARY KEY AUTOINCREMENT,"
    " RoId INTEGER, EvId TEXT, GoId INTEGER,"
    " DrWhat TEXT,"        // P performances, O running order, S stock, R re-ride stock
    " DrSeed TEXT,"        // the 64-bit seed in decimal
    " DrWhen TEXT,"        // UTC, ISO 8601
    " DrUnmet TEXT,"       // what the secretary accepted unhonoured, one per line
    " DrLastHiId INTEGER," // the last result history row the draw wrote
    " DrUndone TEXT);"     // UTC when undone, null while in force
    "CREATE INDEX DrawsByGoRound ON Draws (RoId, EvId, GoId);"
    "CREATE TABLE DrawRows ("
    " DrId INTEGER, ptId INTEGER, PlrEnt INTEGER,"
    // Before and after; OldPerfId -1: a row the draw made (a performance's placeholder).
    " OldPerfId INTEGER, OldOrd INTEGER, OldStId INTEGER,"
    " NewPerfId INTEGER, NewOrd INTEGER, NewStId INTEGER);"
    "CREATE INDEX DrawRowsByDraw ON DrawRows (DrId);",
};
static_assert(std::size(kSteps) == SeasonSchema::CurrentVersion);

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

int userVersion(SqlConnection& c)
{
    auto rs = c.query(QStringLiteral("PRAGMA user_version"));
    if (!rs || !rs->moveFirst())
        return -1;
    return int(rs->toInt64(rs->columns().value(0)));
}

struct ResultTable
{
    const char* name;
    QStringList columns;
};

const ResultTable kTables[] = {
    {"Scores", {"JTot", "JR1", "JR2", "JR3", "JR4", "JS1", "JS2", "JS3", "JS4", "RideTime", "Status", "Suc"}},
    {"Times", {"RideTime", "PenTime", "Status", "Suc"}},
};

QString valueOf(const QString& row, const QString& column)
{
    // Null and 0 (or an empty status) are the same result.
    const QString zero = column == QLatin1String("Status") ? QStringLiteral("''") : QStringLiteral("0");
    return QStringLiteral("coalesce(%1.%2, %3)").arg(row, column, zero);
}

QString resultDiffers(const ResultTable& t)
{
    QStringList terms;
    for (const QString& c : t.columns)
        terms << valueOf(QStringLiteral("OLD"), c) + QStringLiteral(" <> ") +
                     valueOf(QStringLiteral("NEW"), c);
    return QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString json(const ResultTable& t, const QString& row)
{
    QStringList parts;
    for (const QString& c : t.columns)
        parts << QStringLiteral("'%1', %2.%1").arg(c, row);
    return QStringLiteral("json_object(") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString historyInsert(const ResultTable& t, const QString& action, const QString& at, bool hasOld,
                      bool hasNew)
{
    const QString old = QStringLiteral("OLD");
    return QStringLiteral("INSERT INTO ResultHistory (HiWhen, HiSource, HiAction, HiTable, RoId, EvId, "
                          "GoId, ptId, PlrEnt, OldGoId, OldptId, OldPlrEnt, HiOld, HiNew) VALUES "
                          "(strftime('%Y-%m-%dT%H:%M:%fZ', 'now'), %1(), '%2', '%3', %4.RoId, %4.EvId, "
                          "%4.GoId, %4.ptId, %4.PlrEnt, %5, %6, %7, %8, %9);")
        .arg(QString::fromLatin1(SeasonSchema::SourceFunction), action, QString::fromLatin1(t.name), at,
             hasOld ? QStringLiteral("OLD.GoId") : QStringLiteral("NULL"),
             hasOld ? QStringLiteral("OLD.ptId") : QStringLiteral("NULL"),
             hasOld ? QStringLiteral("OLD.PlrEnt") : QStringLiteral("NULL"),
             hasOld ? json(t, old) : QStringLiteral("NULL"),
             hasNew ? json(t, QStringLiteral("NEW")) : QStringLiteral("NULL"));
}

} // namespace

bool SeasonSchema::upgrade(SqlConnection& connection, QString* error)
{
    const int found = userVersion(connection);
    if (found < 0)
        return fail(error,
                    QStringLiteral("The schema version could not be read: %1").arg(connection.lastError()));
    if (found > CurrentVersion)
        return fail(error, QStringLiteral("The database is of version %1; this program knows up to %2.")
                               .arg(found)
                               .arg(CurrentVersion));
    for (int version = found + 1; version <= CurrentVersion; ++version) {
        SqlTransaction tx(connection);
        // The version is set inside the step's transaction: the step and its
        // number are kept together or not at all.
        if (!tx.isActive() || !connection.execute(QString::fromLatin1(kSteps[version - 1])) ||
            !connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(version)) || !tx.commit())
            return fail(
                error, QStringLiteral("Upgrade step %1 failed: %2").arg(version).arg(connection.lastError()));
    }
    return true;
}

QString SeasonSchema::historyTriggersScript()
{
    QStringList script;
    for (const ResultTable& t : kTables) {
        const QString name = QString::fromLatin1(t.name);
        const QString keyMoved =
            QStringLiteral("(OLD.RoId IS NOT NEW.RoId OR OLD.EvId IS NOT NEW.EvId OR OLD.GoId "
                           "IS NOT NEW.GoId OR OLD.ptId IS NOT NEW.ptId OR OLD.PlrEnt IS NOT "
                           "NEW.PlrEnt)");
        script << QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1HistoryInsert AFTER INSERT ON main.%1 "
                                 "BEGIN %2 END;")
                      .arg(name,
                           historyInsert(t, QStringLiteral("Insert"), QStringLiteral("NEW"), false, true));
        // Running order, performance and stock draw are not history. The
        // trigger is named for the columns its condition reads, so that an
        // UPDATE that sets none of them (a running order renumbered) does
        // not look at it row by row.
        const QStringList watched =
            QStringList{QStringLiteral("RoId"), QStringLiteral("EvId"), QStringLiteral("GoId"),
                        QStringLiteral("ptId"), QStringLiteral("PlrEnt")} +
            t.columns;
        script << QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1HistoryUpdate AFTER UPDATE OF %2 ON "
                                 "main.%1 WHEN %3 OR %4 BEGIN %5 END;")
                      .arg(name, watched.join(QStringLiteral(", ")), resultDiffers(t), keyMoved,
                           historyInsert(t, QStringLiteral("Update"), QStringLiteral("NEW"), true, true));
        script << QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1HistoryDelete AFTER DELETE ON main.%1 "
                                 "BEGIN %2 END;")
                      .arg(name,
                           historyInsert(t, QStringLiteral("Delete"), QStringLiteral("OLD"), true, false));
    }
    return script.join(QLatin1Char('\n'));
}

bool SeasonSchema::installHistoryTriggers(SqlConnection& connection, QString* error)
{
    if (!connection.execute(historyTriggersScript()))
        return fail(error,
                    QStringLiteral("The history triggers could not be made: %1").arg(connection.lastError()));
    return true;
}
