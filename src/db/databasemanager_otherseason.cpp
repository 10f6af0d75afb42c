// Reading the people and animals of another season, for copying them into
// the open one.
#include "databasemanager.h"
#include "rowmapping.h"

namespace {

// The rows of one table of a season's database, opened for reading only:
// nothing of the other season can change, not even its journal.
template <typename Rec, typename FromRow>
bool readTable(const QString& path, const QString& table, FromRow fromRow, QVector<Rec>& out, QString& error)
{
    out.clear();
    SqlConnection other;
    if (!other.openReadOnly(path)) {
        error = other.lastError();
        return false;
    }
    auto rs = other.query(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
    if (!rs) {
        error = other.lastError();
        return false;
    }
    for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
        out.append(fromRow(*rs));
    return true;
}

} // namespace

bool CDatabaseManager::ReadSeasonContestants(const QString& season, QVector<ContestantRec>& out,
                                             QString& error) const
{
    if (!IsValidSeasonName(season)) {
        error = QStringLiteral("Not a season name: %1").arg(season);
        return false;
    }
    return readTable<ContestantRec>(
        DatabasePath(season), QStringLiteral("Rosters"),
        [](const SqlRecordset& rs) {
            ContestantRec c = contestantFromRow(rs);
            c.plrId = 0;
            c.afId = 0;
            c.leagueId = 0;
            c.registered = 0;
            return c;
        },
        out, error);
}

bool CDatabaseManager::ReadSeasonStock(const QString& season, QVector<StockRec>& out, QString& error) const
{
    if (!IsValidSeasonName(season)) {
        error = QStringLiteral("Not a season name: %1").arg(season);
        return false;
    }
    return readTable<StockRec>(
        DatabasePath(season), QStringLiteral("Stocks"),
        [](const SqlRecordset& rs) {
            StockRec s = stockFromRow(rs);
            s.stId = 0;
            s.coId = 0; // contractors belong to their season and are not copied
            return s;
        },
        out, error);
}
