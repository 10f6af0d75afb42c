#include "databasemanager.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "platform/errortext.h"
#include "seasonschema.h"

#include <QFileInfo>

namespace {

quint32 contestantKey(const ContestantRec& r)
{
    return r.plrId;
}
quint32 teamKey(const TeamRec& r)
{
    return r.tmId;
}
quint32 stockKey(const StockRec& r)
{
    return r.stId;
}

bool isEditableForm(const QString& sql)
{
    return sql.trimmed().startsWith(QLatin1String("SELECT * FROM"), Qt::CaseInsensitive);
}

} // namespace

CDatabaseManager::CDatabaseManager(const QString& dataFolder, const QString& templateDatabase,
                                   UserPrompt& prompt)
    : m_dataFolder(dataFolder), m_templateDatabase(templateDatabase), m_prompt(prompt),
      m_contestants(contestantKey), m_teams(teamKey), m_stock(stockKey)
{
    if (!m_dataFolder.isEmpty() && !m_dataFolder.endsWith(QLatin1Char('/')))
        m_dataFolder += QLatin1Char('/');
}

CDatabaseManager::~CDatabaseManager()
{
    m_conn->close();
}

QString CDatabaseManager::DatabasePath(const QString& season) const
{
    return m_dataFolder + season + QLatin1Char('/') + season + QStringLiteral(".mdb");
}

bool CDatabaseManager::Connect(const QString& season, SqlConnection& connection) const
{
    // The name becomes part of a path: a name that is not a plain folder name
    // never reaches the file system.
    if (season.isEmpty() || !IsValidSeasonName(season))
        return false;
    const QString path = DatabasePath(season);
    if (!QFileInfo::exists(path))
        return false;
    const auto refuse = [&](const char* logText, const QString& message, const QString& detail) {
        connection.close();
        logReport(logText, season, detail);
        const QFileInfo file(path);
        const QString refusal = QStringLiteral("%1|%2|%3|%4")
                                    .arg(path)
                                    .arg(file.size())
                                    .arg(file.lastModified().toMSecsSinceEpoch())
                                    .arg(message);
        if (refusal != m_lastRefusal)
            m_prompt.warn(message);
        m_lastRefusal = refusal;
        return false;
    };
    const QString damaged =
        QStringLiteral("The database of the season \"%1\" is damaged and cannot be opened.\n%2\n"
                       "Copies of the season are kept in its \"backups\" folder.");

    // Read before anything can write to the file: a newer file stays as it is.
    QString error;
    const int version = SqlConnection::readUserVersion(path, &error);
    if (version < 0)
        return refuse("The season database cannot be read.  DBMgr::Connect  Season:%s, Error:%s",
                      damaged.arg(season, error), error);
    if (version > SeasonSchema::CurrentVersion)
        return refuse("The season database is of a newer version.  DBMgr::Connect  Season:%s, Version:%s",
                      QStringLiteral("The season \"%1\" was saved by a newer version of this program "
                                     "(database version %2; this one knows up to %3).\n"
                                     "It has not been opened or changed.")
                          .arg(season)
                          .arg(version)
                          .arg(SeasonSchema::CurrentVersion),
                      QString::number(version));
    if (!connection.open(path)) {
        connection.close();
        return false;
    }
    // A damaged file is refused now rather than failing at some later read
    // or, worse, at the save of a result.
    auto check = connection.query(QStringLiteral("PRAGMA quick_check"));
    const QString verdict =
        check && check->moveFirst() ? check->toText(check->columns().value(0)) : connection.lastError();
    if (verdict != QLatin1String("ok"))
        return refuse("The season database is damaged.  DBMgr::Connect  Season:%s, Error:%s",
                      damaged.arg(season, verdict), verdict);
    if (!SeasonSchema::upgrade(connection, &error))
        return refuse(
            "Failed to upgrade the season database.  DBMgr::Connect  Season:%s, Error:%s",
            QStringLiteral("The season \"%1\" could not be brought up to date:\n%2").arg(season, error),
            error);
    const bool history = connection.defineFunction(QString::fromLatin1(SeasonSchema::SourceFunction), [this] {
        return QVariant(changeSourceText(m_changeSource));
    }) && SeasonSchema::installHistoryTriggers(connection, &error);
    if (!history)
        return refuse("Failed to set up the result history.  DBMgr::Connect  Season:%s, Error:%s",
                      QStringLiteral("The season \"%1\" cannot record its result history:\n%2")
                          .arg(season, error.isEmpty() ? connection.lastError() : error),
                      error.isEmpty() ? connection.lastError() : error);
    m_lastRefusal.clear();
    return true;
}

bool CDatabaseManager::Query(const QString& sql, const QVariantList& params)
{
    if (!m_conn->execute(sql, params)) {
        logReport("Failed to execute the query.  DBMgr::Query  SQL:%s, Error:%s", m_conn->lastStatement(),
                  errorDescription(m_conn->lastError()));
        return false;
    }
    return true;
}

std::unique_ptr<SqlRecordset> CDatabaseManager::QueryRs(const QString& sql, const QVariantList& params)
{
    if (!m_conn->isOpen())
        return nullptr;
    return isEditableForm(sql) ? m_conn->queryEditable(sql, params) : m_conn->query(sql, params);
}

std::unique_ptr<SqlRecordset> CDatabaseManager::GetEvents(int rodeoId, int mode)
{
    if (!m_conn->isOpen() || rodeoId <= 0)
        return nullptr;
    QString sql;
    QVariantList params;
    switch (mode) {
    case 0:
        sql = QStringLiteral("SELECT e.*, r.ReGos, r.ReFinals, r.ReJudges, r.RePrecision, r.ReFraction "
                             "FROM Events AS e, RodeoEvents AS r WHERE r.RoId = ? And e.EvId=r.EvId "
                             "ORDER BY (e.EvStandard = 'Y') DESC, e.EvId;");
        params << rodeoId;
        break;
    case 1:
        sql = QStringLiteral("SELECT * FROM Events");
        break;
    case 2:
        sql = QStringLiteral("SELECT * FROM RodeoEvents WHERE RoId = ?");
        params << rodeoId;
        break;
    default:
        return nullptr;
    }
    auto rs = m_conn->query(sql, params);
    if (!rs) {
        logReport("Failed to get the events.  DBMgr::GetEvents  SQL:%s, Error:%s", m_conn->lastStatement(),
                  errorDescription(m_conn->lastError()));
        return nullptr;
    }
    return rs;
}

SqlConnection* CDatabaseManager::seasonConnection(const QString& season, SqlConnection& own)
{
    if (m_isOpen && season == m_season && m_conn->isOpen())
        return m_conn.get();
    if (!Connect(season, own))
        return nullptr;
    return &own;
}

CDatabaseManager::WriteScope::~WriteScope()
{
    if (m_ended || !m_tx.isActive())
        return;
    m_tx.rollback();
    m_db.reloadWorkingCopy();
}

bool CDatabaseManager::WriteScope::commit()
{
    if (m_ended)
        return false;
    m_ended = true;
    if (m_tx.commit())
        return true;
    logReport("Failed to commit the changes.  DBMgr::Commit  Error:%s",
              errorDescription(m_db.m_conn->lastError()));
    m_db.reloadWorkingCopy();
    return false;
}

void CDatabaseManager::reloadWorkingCopy()
{
    if (!m_isOpen || !m_conn->isOpen())
        return;
    const int sortKey = m_contestantSortKey;
    const int stockKey = m_stockSortKey;
    // The rodeo's own row too: a rolled-back rename leaves memory holding
    // the name that never reached the row.
    auto row = m_conn->query(QStringLiteral("SELECT * FROM Rodeos WHERE RoId = ?"), {m_rodeo.id});
    if (row && row->moveFirst())
        LoadRodeo(m_season, row->toText(QStringLiteral("RoName")), row.get());
    else
        LoadRodeo(m_season, m_rodeo.name, nullptr);
    LoadContestants();
    SortContestants(sortKey);
    LoadTeams();
    LoadStock();
    SortStock(stockKey);
    LoadRegs();
}
