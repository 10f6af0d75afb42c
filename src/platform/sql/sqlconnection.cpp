#include "sqlconnection.h"

#include "sqlrecordset.h"
#include "sqlrow.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <limits>
#include <sqlite3.h>
#include <utility>

namespace {

constexpr int BusyTimeoutMs = 5000;

sqlite3_stmt* asStmt(void* stmt)
{
    return static_cast<sqlite3_stmt*>(stmt);
}

// Finalises a prepared statement on every way out of a scope.
class StatementGuard
{
public:
    explicit StatementGuard(void* stmt) : m_stmt(asStmt(stmt)) {}
    ~StatementGuard() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt* release() { return std::exchange(m_stmt, nullptr); }
    StatementGuard(const StatementGuard&) = delete;
    StatementGuard& operator=(const StatementGuard&) = delete;

private:
    sqlite3_stmt* m_stmt;
};

QString errorText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString notOpenText()
{
    return QStringLiteral("The database is not open.");
}

// Whether the text after a prepared statement holds another statement (or
// something that does not even compile); blanks and comments do not count.
bool holdsMoreStatements(sqlite3* db, const char* tail, const char* end)
{
    if (!tail || tail >= end)
        return false;
    sqlite3_stmt* next = nullptr;
    const int rc = sqlite3_prepare_v2(db, tail, int(end - tail), &next, nullptr);
    sqlite3_finalize(next);
    return rc != SQLITE_OK || next != nullptr;
}

QString unquoteIdentifier(const QString& token)
{
    if (token.size() >= 2) {
        const QChar open = token.front();
        const QChar close = token.back();
        const QString inner = token.mid(1, token.size() - 2);
        if (open == QLatin1Char('[') && close == QLatin1Char(']'))
            return inner;
        if ((open == QLatin1Char('"') || open == QLatin1Char('`')) && close == open) {
            QString text = inner;
            text.replace(QString(2, open), QString(open));
            return text;
        }
    }
    return token;
}

// Unique across every connection of the process, so that a stamp taken from
// one connection never matches one of another.
quint64 nextGeneration()
{
    static std::atomic<quint64> counter{0};
    return ++counter;
}

} // namespace

// A statement from prepareAndBind: kept for the next use of its text when it
// came from the cache or can go there, finalised otherwise.
class SqlConnection::Lease
{
public:
    explicit Lease(SqlConnection& conn) : m_conn(conn) {}
    ~Lease() { release(); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    void hold(const QString& sql, sqlite3_stmt* stmt, bool keep)
    {
        release();
        m_sql = sql;
        m_stmt = stmt;
        m_keep = keep;
    }
    sqlite3_stmt* stmt() const { return m_stmt; }
    void* handle() const { return m_stmt; }

private:
    void release()
    {
        if (!m_stmt)
            return;
        if (m_keep && m_conn.m_db) {
            m_conn.m_statements.put(m_sql, m_stmt);
        } else {
            m_conn.statementDropped(m_stmt);
            sqlite3_finalize(m_stmt);
        }
        m_stmt = nullptr;
    }

    SqlConnection& m_conn;
    QString m_sql;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_keep = false;
};

SqlConnection::SqlConnection() : m_statements([this](sqlite3_stmt* stmt) { statementDropped(stmt); }) {}

namespace {

// A statement's text with the values bound to it put in.
QString statementText(void* stmt)
{
    if (char* expanded = sqlite3_expanded_sql(asStmt(stmt))) {
        QString text = QString::fromUtf8(expanded);
        sqlite3_free(expanded);
        return text;
    }
    return QString::fromUtf8(sqlite3_sql(asStmt(stmt)));
}

} // namespace

QString SqlConnection::lastStatement() const
{
    if (m_lastStmt) {
        m_lastStatement = statementText(m_lastStmt);
        m_lastStmt = nullptr;
    }
    return m_lastStatement;
}

SqlConnection::StatementKeeper::StatementKeeper(SqlConnection& conn)
    : m_conn(conn), m_outer(conn.m_keeper), m_stmt(conn.m_lastStmt), m_text(conn.m_lastStatement)
{
    conn.m_keeper = this;
}

SqlConnection::StatementKeeper::~StatementKeeper()
{
    m_conn.m_keeper = m_outer;
    m_conn.m_lastStmt = m_stmt;
    m_conn.m_lastStatement = m_text;
}

void SqlConnection::StatementKeeper::fix(void* stmt)
{
    if (stmt && stmt == m_stmt) {
        m_text = statementText(stmt);
        m_stmt = nullptr;
    }
    if (m_outer)
        m_outer->fix(stmt);
}

void SqlConnection::setLastStatement(const QString& text)
{
    m_lastStmt = nullptr;
    m_lastStatement = text;
}

void SqlConnection::setLastStatementFrom(void* stmt)
{
    m_lastStmt = stmt;
    m_lastStatement.clear();
}

void SqlConnection::statementDropped(void* stmt)
{
    // Its text is made now, while its values are still bound.
    if (stmt && stmt == m_lastStmt)
        lastStatement();
    if (m_keeper)
        m_keeper->fix(stmt);
}

SqlConnection::~SqlConnection()
{
    close();
}

bool SqlConnection::open(const QString& path)
{
    return openExisting(path, SQLITE_OPEN_READWRITE);
}

bool SqlConnection::openReadOnly(const QString& path)
{
    return openExisting(path, SQLITE_OPEN_READONLY);
}

bool SqlConnection::openExisting(const QString& path, int flags)
{
    close();
    if (path.isEmpty())
        return setError(QStringLiteral("No database file was named."));
    // Checked here because SQLite would otherwise treat some names (an empty
    // one, ":memory:") as temporary databases instead of failing.
    const QFileInfo info(path);
    if (!info.exists())
        return setError(QStringLiteral("The database file does not exist: %1").arg(path));
    if (!info.isFile())
        return setError(QStringLiteral("The database path is not a file: %1").arg(path));
    return openFile(path, flags);
}

bool SqlConnection::create(const QString& path)
{
    close();
    if (path.isEmpty())
        return setError(QStringLiteral("No database file was named."));
    return openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

bool SqlConnection::openFile(const QString& path, int flags)
{
    // A connection is used by one thread only (the user-interface thread), so
    // SQLite's per-connection mutex is not needed.
    flags |= SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = db ? errorText(db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return setError(QStringLiteral("%1: %2").arg(text, path));
    }
    m_db = db;
    m_path = path;
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);

    if (flags & SQLITE_OPEN_READONLY) {
        // Reading the schema makes a file that is not a database fail now.
        if (!query(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            const QString failure = m_lastError;
            close();
            return setError(failure);
        }
        m_alive = std::make_shared<int>(0);
        m_generation = nextGeneration();
        setLastStatement(QString());
        clearError();
        return true;
    }

    // Reading the header here also makes a file that is not a database fail
    // now rather than at the first statement.
    auto journal = query(QStringLiteral("PRAGMA journal_mode=WAL"));
    QString failure;
    if (sqlite3_db_readonly(m_db, "main") == 1)
        failure = QStringLiteral("The database file is read-only: %1").arg(path);
    else if (!journal)
        failure = m_lastError;
    else if (journal->isEof() || journal->value(journal->columns().value(0))
                                         .toString()
                                         .compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        failure = QStringLiteral("WAL journaling could not be switched on: %1").arg(path);
    else if (!execute(QStringLiteral("PRAGMA synchronous=FULL")))
        failure = m_lastError;
    if (!failure.isEmpty()) {
        close();
        return setError(failure);
    }
    m_alive = std::make_shared<int>(0);
    m_generation = nextGeneration();
    setLastStatement(QString());
    clearError();
    return true;
}

void SqlConnection::close()
{
    m_alive.reset();
    // Closing ends an open transaction without keeping it.
    m_txDepth = 0;
    m_generation = nextGeneration();
    if (m_db) {
        // Statements never outlive the call that prepared them except the
        // kept ones, finalised here; close_v2 would defer the close if
        // something were left.
        m_statements.clear();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_path.clear();
}

bool SqlConnection::control(const QString& sql)
{
    // A script runs outside the cache, so the statement the last text is
    // still to be made from stays as it is meanwhile.
    const QString statement = m_lastStatement;
    void* const pending = m_lastStmt;
    const QString error = m_lastError;
    const bool ok = runScript(sql);
    const QString failure = m_lastError;
    m_lastStatement = statement;
    m_lastStmt = pending;
    m_lastError = ok ? error : failure;
    return ok;
}

int SqlConnection::beginTransaction()
{
    if (!m_db) {
        setError(notOpenText());
        return 0;
    }
    const int level = m_txDepth + 1;
    // IMMEDIATE takes the write lock now: a busy database fails here, before
    // anything was written, instead of at some statement half-way.
    const QString sql =
        level == 1 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT sp%1").arg(level);
    if (!control(sql))
        return 0;
    m_txDepth = level;
    return level;
}

bool SqlConnection::commitTransaction(int level, quint64 generation)
{
    if (!m_db || generation != m_generation || level != m_txDepth || level < 1)
        return setError(QStringLiteral("The transaction is no longer open."));
    m_txDepth = level - 1;
    // Some failures (a full disk, an I/O error) make SQLite roll the whole
    // transaction back by itself; nothing is left to keep then.
    if (sqlite3_get_autocommit(m_db)) {
        m_txDepth = 0;
        return setError(QStringLiteral("The database rolled the transaction back."));
    }
    if (level > 1)
        return control(QStringLiteral("RELEASE SAVEPOINT sp%1").arg(level));
    if (control(QStringLiteral("COMMIT")))
        return true;
    // A commit that failed leaves the transaction open; end it so that the
    // connection does not go on inside it.
    if (!sqlite3_get_autocommit(m_db))
        control(QStringLiteral("ROLLBACK"));
    return false;
}

void SqlConnection::rollbackTransaction(int level, quint64 generation)
{
    if (!m_db || generation != m_generation || level != m_txDepth || level < 1)
        return;
    m_txDepth = level - 1;
    if (sqlite3_get_autocommit(m_db)) {
        m_txDepth = 0;
        return;
    }
    if (level == 1) {
        control(QStringLiteral("ROLLBACK"));
        return;
    }
    control(QStringLiteral("ROLLBACK TO SAVEPOINT sp%1").arg(level));
    control(QStringLiteral("RELEASE SAVEPOINT sp%1").arg(level));
}

bool SqlConnection::setError(const QString& text)
{
    m_lastError = text;
    return false;
}

std::pair<quint64, qint64> SqlConnection::writeStamp() const
{
    return {m_generation, m_db ? qint64(sqlite3_total_changes64(m_db)) : 0};
}

int SqlConnection::changes() const
{
    return m_db ? int(sqlite3_changes64(m_db)) : 0;
}

qint64 SqlConnection::lastInsertRowId() const
{
    return m_db ? qint64(sqlite3_last_insert_rowid(m_db)) : 0;
}

QString SqlConnection::quoteIdentifier(const QString& name)
{
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString SqlConnection::expand(const QString& sql, const QVariantList& params)
{
    const auto literal = [](const QVariant& value) {
        bool ok = false;
        const QVariant stored = SqlRecordset::storedValue(value, &ok);
        if (!ok || !stored.isValid())
            return QStringLiteral("NULL");
        switch (stored.typeId()) {
        case QMetaType::QString: {
            QString text = stored.toString();
            text.replace(QLatin1Char('\''), QStringLiteral("''"));
            return QLatin1Char('\'') + text + QLatin1Char('\'');
        }
        case QMetaType::QByteArray:
            return QStringLiteral("X'") + QString::fromLatin1(stored.toByteArray().toHex().toUpper()) +
                   QLatin1Char('\'');
        default:
            return SqlRecordset::textOf(stored);
        }
    };
    QString out;
    out.reserve(sql.size() + 16 * params.size());
    int nextIndex = 0; // a plain "?" takes the number after the highest used so far
    const int n = sql.size();
    int i = 0;
    auto copyUntil = [&](int from, const QString& terminator) {
        const int found = sql.indexOf(terminator, from);
        const int stop = found < 0 ? n : found + int(terminator.size());
        out += QStringView(sql).mid(i, stop - i);
        i = stop;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            // A doubled quote inside is simply two quoted parts in a row.
            copyUntil(i + 1, QString(c));
        } else if (c == QLatin1Char('[')) {
            copyUntil(i + 1, QStringLiteral("]"));
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            copyUntil(i + 2, QStringLiteral("\n"));
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            copyUntil(i + 2, QStringLiteral("*/"));
        } else if (c == QLatin1Char('?')) {
            int j = i + 1;
            while (j < n && sql.at(j).isDigit())
                ++j;
            int index = nextIndex + 1;
            if (j > i + 1) {
                bool ok = false;
                index = sql.mid(i + 1, j - i - 1).toInt(&ok);
                if (!ok)
                    index = 0;
            }
            nextIndex = qMax(nextIndex, index);
            out +=
                index >= 1 && index <= params.size() ? literal(params.at(index - 1)) : QStringLiteral("NULL");
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

bool SqlConnection::bindValue(void* stmt, int index, const QVariant& value)
{
    bool ok = false;
    const QVariant stored = SqlRecordset::storedValue(value, &ok);
    if (!ok)
        return setError(QStringLiteral("Value %1 has a type that cannot be stored: %2")
                            .arg(index)
                            .arg(QString::fromLatin1(value.typeName())));
    sqlite3_stmt* s = asStmt(stmt);
    int rc = SQLITE_OK;
    switch (stored.typeId()) {
    case QMetaType::LongLong:
        rc = sqlite3_bind_int64(s, index, stored.toLongLong());
        break;
    case QMetaType::Double:
        rc = sqlite3_bind_double(s, index, stored.toDouble());
        break;
    case QMetaType::QString: {
        // constData() of an empty array is "" rather than null, so an empty
        // text stays an empty text instead of becoming NULL.
        const QByteArray text = stored.toString().toUtf8();
        rc = sqlite3_bind_text64(s, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
    }
    case QMetaType::QByteArray: {
        const QByteArray data = stored.toByteArray();
        rc = sqlite3_bind_blob64(s, index, data.constData(), sqlite3_uint64(data.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        rc = sqlite3_bind_null(s, index);
        break;
    }
    if (rc != SQLITE_OK)
        return setError(errorText(m_db));
    return true;
}

bool SqlConnection::prepareAndBind(const QString& sql, const QVariantList& params, Lease& lease)
{
    // Until SQLite can show the statement itself, the text with the values
    // put in stands for it.
    const auto fail = [&](const QString& text) {
        setLastStatement(expand(sql, params));
        return setError(text);
    };
    if (!m_db)
        return fail(notOpenText());
    sqlite3_stmt* stmt = m_statements.take(sql);
    if (stmt) {
        // A kept statement is about to be bound again.
        if (m_keeper)
            m_keeper->fix(stmt);
        lease.hold(sql, stmt, true);
    } else {
        const QByteArray text = sql.toUtf8();
        if (text.size() >= std::numeric_limits<int>::max())
            return fail(QStringLiteral("The statement is too long."));
        const char* end = text.constData() + text.size();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return fail(errorText(m_db));
        }
        if (!stmt)
            return fail(QStringLiteral("The statement is empty."));
        // Anything after the first statement would silently not run; such a
        // text is never kept.
        const bool more = holdsMoreStatements(m_db, tail, end);
        lease.hold(sql, stmt, !more);
        if (more)
            return fail(QStringLiteral("The text holds more than one statement."));
    }
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (expected != params.size())
        return fail(QStringLiteral("The statement has %1 parameters but %2 values were given.")
                        .arg(expected)
                        .arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        if (!bindValue(stmt, i + 1, params.at(i)))
            return fail(m_lastError);
    }
    setLastStatementFrom(stmt);
    return true;
}

bool SqlConnection::stepToEnd(void* stmt)
{
    for (;;) {
        const int rc = sqlite3_step(asStmt(stmt));
        if (rc == SQLITE_ROW)
            continue;
        if (rc == SQLITE_DONE)
            return true;
        return setError(errorText(m_db));
    }
}

bool SqlConnection::runScript(const QString& sql)
{
    setLastStatement(sql);
    if (!m_db)
        return setError(notOpenText());
    const QByteArray text = sql.toUtf8();
    if (text.size() >= std::numeric_limits<int>::max())
        return setError(QStringLiteral("The statement is too long."));
    const char* p = text.constData();
    const char* end = p + text.size();
    int ran = 0;
    while (p < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, p, int(end - p), &stmt, &tail) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            setLastStatement(QString::fromUtf8(p, end - p).trimmed());
            return setError(errorText(m_db));
        }
        if (!tail || tail <= p) // cannot happen with a valid prepare; guards the loop
            tail = end;
        p = tail;
        if (!stmt) // only blanks or a comment were left
            continue;
        StatementGuard guard(stmt);
        setLastStatement(QString::fromUtf8(sqlite3_sql(stmt)).trimmed());
        if (!stepToEnd(stmt))
            return false;
        ++ran;
    }
    if (ran == 0)
        return setError(QStringLiteral("The statement is empty."));
    if (ran > 1)
        setLastStatement(sql);
    clearError();
    return true;
}

bool SqlConnection::execute(const QString& sql, const QVariantList& params)
{
    if (params.isEmpty())
        return runScript(sql);
    Lease stmt(*this);
    if (!prepareAndBind(sql, params, stmt))
        return false;
    if (!stepToEnd(stmt.handle()))
        return false;
    clearError();
    return true;
}

bool SqlConnection::readRows(void* stmt, SqlRecordset& set, bool hiddenRowId)
{
    sqlite3_stmt* s = asStmt(stmt);
    const int first = hiddenRowId ? 1 : 0;
    // Checked before stepping so that a statement that changes data is not
    // run by a call meant for reading.
    if (sqlite3_column_count(s) <= first)
        return setError(QStringLiteral("The statement returns no rows."));
    int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return setError(errorText(m_db));
    // The columns are read after the first step: a kept statement whose table
    // changed since it was prepared (a column added) is prepared again by it.
    const int count = sqlite3_column_count(s);
    for (int i = first; i < count; ++i) {
        const char* name = sqlite3_column_name(s, i);
        const QString column = name ? QString::fromUtf8(name) : QString();
        // With a name twice (a join), the first one is found by name.
        if (!set.m_index.contains(column))
            set.m_index.insert(column, int(set.m_columns.size()));
        set.m_columns << column;
        set.m_declTypes << QString::fromUtf8(sqlite3_column_decltype(s, i));
    }
    for (; rc == SQLITE_ROW; rc = sqlite3_step(s)) {
        QVector<QVariant> row;
        row.reserve(count - first);
        for (int i = first; i < count; ++i)
            row << SqlRow::valueOf(s, i);
        set.m_rows << row;
        if (hiddenRowId)
            set.m_rowIds << qint64(sqlite3_column_int64(s, 0));
    }
    if (rc != SQLITE_DONE)
        return setError(errorText(m_db));
    set.m_pos = 0;
    return true;
}

bool SqlConnection::forEachRow(const QString& sql, const QVariantList& params,
                               const std::function<void(const SqlRow&)>& read)
{
    Lease stmt(*this);
    if (!prepareAndBind(sql, params, stmt))
        return false;
    sqlite3_stmt* s = asStmt(stmt.handle());
    // As for a record set: a statement that changes data is not run here.
    if (sqlite3_column_count(s) == 0)
        return setError(QStringLiteral("The statement returns no rows."));
    const SqlRow row(s);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        read(row);
    if (rc != SQLITE_DONE)
        return setError(errorText(m_db));
    clearError();
    return true;
}

std::unique_ptr<SqlRecordset> SqlConnection::query(const QString& sql, const QVariantList& params)
{
    Lease stmt(*this);
    if (!prepareAndBind(sql, params, stmt))
        return nullptr;
    auto set = std::make_unique<SqlRecordset>();
    if (!readRows(stmt.handle(), *set, false))
        return nullptr;
    set->m_statement = lastStatement();
    clearError();
    return set;
}

std::unique_ptr<SqlRecordset> SqlConnection::queryEditable(const QString& sql, const QVariantList& params)
{
    // Rows are found again by their rowid, so only a plain read of one table
    // can be edited.
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*SELECT\s*\*\s*FROM\s+(\[[^\]]+\]|"(?:[^"]|"")+"|`(?:[^`]|``)+`|)"
                       R"([\p{L}_][\p{L}\p{N}_$]*)(?=\s|;|$))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(sql);
    if (!match.hasMatch()) {
        setLastStatement(expand(sql, params));
        setError(QStringLiteral("Only \"SELECT * FROM <table> ...\" can be opened for editing."));
        return nullptr;
    }
    const qsizetype tableStart = match.capturedStart(1);
    const QString prefix = QStringLiteral("SELECT rowid, * FROM ");
    const QString rewritten = prefix + sql.mid(tableStart);

    Lease stmt(*this);
    const bool prepared = prepareAndBind(rewritten, params, stmt);
    // Values are filled in after the table name only, so the caller's own
    // text can be put back in front of the expanded rest.
    setLastStatement(sql.left(tableStart) + lastStatement().mid(prefix.size()));
    if (!prepared)
        return nullptr;
    auto set = std::make_unique<SqlRecordset>();
    if (!readRows(stmt.handle(), *set, true))
        return nullptr;
    set->m_statement = m_lastStatement;
    set->m_table = unquoteIdentifier(match.captured(1));
    set->m_conn = this;
    set->m_connAlive = m_alive;
    clearError();
    return set;
}

std::unique_ptr<SqlRecordset> SqlConnection::openTable(const QString& table, bool readRows)
{
    if (table.isEmpty()) {
        setLastStatement(QString());
        setError(QStringLiteral("No table was named."));
        return nullptr;
    }
    QString sql = QStringLiteral("SELECT * FROM ") + quoteIdentifier(table);
    if (!readRows)
        sql += QStringLiteral(" LIMIT 0");
    return queryEditable(sql);
}
