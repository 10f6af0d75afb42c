// Work on a connection that is not a statement: reading the schema version
// of a file without opening it for writing, online backups, and functions
// that SQL run on the connection can call.
#include "sqlconnection.h"

#include <QFile>
#include <sqlite3.h>

namespace {

QString errorOf(sqlite3* db, int rc)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

using Function = std::function<QVariant()>;

void callFunction(sqlite3_context* context, int, sqlite3_value**)
{
    const auto* fn = static_cast<const Function*>(sqlite3_user_data(context));
    const QVariant value = (*fn)();
    if (!value.isValid() || value.isNull()) {
        sqlite3_result_null(context);
    } else if (value.typeId() == QMetaType::QString) {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_result_text64(context, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                              SQLITE_UTF8);
    } else {
        sqlite3_result_int64(context, value.toLongLong());
    }
}

void destroyFunction(void* fn)
{
    delete static_cast<Function*>(fn);
}

} // namespace

int SqlConnection::readUserVersion(const QString& path, QString* error)
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return -1;
    };
    if (path.isEmpty() || !QFile::exists(path))
        return fail(QStringLiteral("The database file does not exist: %1").arg(path));
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = errorOf(db, rc);
        sqlite3_close_v2(db);
        return fail(text);
    }
    sqlite3_stmt* stmt = nullptr;
    int version = -1;
    QString failure;
    rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    else
        failure = errorOf(db, rc);
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    if (version < 0)
        return fail(failure.isEmpty() ? QStringLiteral("The schema version could not be read.") : failure);
    return version;
}

bool SqlConnection::backupTo(const QString& path)
{
    if (!m_db)
        return setError(QStringLiteral("The database is not open."));
    const QString partPath = path + QStringLiteral(".part");
    QFile::remove(partPath);
    sqlite3* dest = nullptr;
    int rc = sqlite3_open_v2(partPath.toUtf8().constData(), &dest,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    QString failure;
    if (rc != SQLITE_OK) {
        failure = errorOf(dest, rc);
    } else if (sqlite3_backup* backup = sqlite3_backup_init(dest, "main", m_db, "main")) {
        // All pages in one step: the source's read transaction spans the whole
        // copy, so the copy is one consistent state of the database.
        rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            failure = QString::fromUtf8(sqlite3_errstr(rc));
    } else {
        failure = errorOf(dest, SQLITE_ERROR);
    }
    if (sqlite3_close(dest) != SQLITE_OK && failure.isEmpty())
        failure = QStringLiteral("The copy could not be closed.");
    dest = nullptr;
    // The copy comes with the source's WAL mark; a backup is one file. The
    // mark is read when the file is opened, so it is changed on a new open.
    if (failure.isEmpty()) {
        rc = sqlite3_open_v2(partPath.toUtf8().constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc != SQLITE_OK || sqlite3_exec(dest, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
            failure = errorOf(dest, rc);
        if (sqlite3_close(dest) != SQLITE_OK && failure.isEmpty())
            failure = QStringLiteral("The copy could not be closed.");
    }
    if (failure.isEmpty()) {
        QFile::remove(path);
        if (!QFile::rename(partPath, path))
            failure = QStringLiteral("The copy could not be renamed to %1").arg(path);
    }
    if (!failure.isEmpty()) {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(partPath + QLatin1String(suffix));
        return setError(failure);
    }
    m_lastError.clear();
    return true;
}

bool SqlConnection::defineFunction(const QString& name, std::function<QVariant()> fn)
{
    if (!m_db)
        return setError(QStringLiteral("The database is not open."));
    auto* held = new Function(std::move(fn));
    // SQLite owns held from here on, also when the call fails.
    const int rc = sqlite3_create_function_v2(m_db, name.toUtf8().constData(), 0, SQLITE_UTF8, held,
                                              callFunction, nullptr, nullptr, destroyFunction);
    if (rc != SQLITE_OK)
        return setError(errorOf(m_db, rc));
    return true;
}
