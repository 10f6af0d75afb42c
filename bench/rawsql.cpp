#include "rawsql.h"

#include "db/seasonschema.h"

#include <QMutex>
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sqlite3.h>

namespace {

QMutex captureMutex;
bool capturing = false;
QStringList captured;

} // namespace

// Every statement of the process steps through here (the executable's own
// definition comes before the library's), so that ReadCapture sees what the
// program runs without the program knowing.
extern "C" int sqlite3_step(sqlite3_stmt* stmt)
{
    using Step = int (*)(sqlite3_stmt*);
    static const Step library = reinterpret_cast<Step>(dlsym(RTLD_NEXT, "sqlite3_step"));
    {
        QMutexLocker lock(&captureMutex);
        if (capturing && !sqlite3_stmt_busy(stmt) && sqlite3_stmt_readonly(stmt)) {
            if (char* sql = sqlite3_expanded_sql(stmt)) {
                captured << QString::fromUtf8(sql);
                sqlite3_free(sql);
            }
        }
    }
    return library(stmt);
}

namespace rawsql {

void ReadCapture::start()
{
    QMutexLocker lock(&captureMutex);
    captured.clear();
    capturing = true;
}

QStringList ReadCapture::stop()
{
    QMutexLocker lock(&captureMutex);
    capturing = false;
    QStringList out;
    out.swap(captured);
    return out;
}

Connection::~Connection()
{
    finalize();
    sqlite3_close(m_db);
}

bool Connection::open(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

bool Connection::execute(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool Connection::prepare(const QStringList& statements)
{
    finalize();
    for (const QString& sql : statements) {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(": ") + sql;
            return false;
        }
        m_statements << stmt;
    }
    return true;
}

qint64 Connection::runPrepared(QByteArray* text)
{
    qint64 rows = 0;
    for (sqlite3_stmt* stmt : m_statements) {
        const int columns = sqlite3_column_count(stmt);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    if (text)
                        text->append(QByteArray::number(sqlite3_column_int64(stmt, c)));
                    else
                        (void)sqlite3_column_int64(stmt, c);
                    break;
                case SQLITE_FLOAT:
                    if (text)
                        text->append(QByteArray::number(sqlite3_column_double(stmt, c)));
                    else
                        (void)sqlite3_column_double(stmt, c);
                    break;
                case SQLITE_NULL:
                    break;
                default: {
                    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    const int size = sqlite3_column_bytes(stmt, c);
                    if (text && bytes)
                        text->append(bytes, size);
                    break;
                }
                }
                if (text)
                    text->append(c + 1 < columns ? '\t' : '\n');
            }
        }
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return -1;
        }
    }
    return rows;
}

bool Connection::runUpdate(int value)
{
    for (sqlite3_stmt* stmt : m_statements) {
        sqlite3_bind_int(stmt, 1, value);
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return false;
        }
    }
    return true;
}

void Connection::finalize()
{
    for (sqlite3_stmt* stmt : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
}

namespace {

void sourceName(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_text(context, "Program", -1, SQLITE_STATIC);
}

} // namespace

void oneRowUpdates(benchmark::State& state, const QString& path, const QString& eventId, bool syncOff,
                   bool withHistory)
{
    Connection raw;
    QByteArray original;
    // The program's own triggers, so that each update also writes its history row.
    if (withHistory &&
        (!raw.open(path) ||
         sqlite3_create_function(raw.handle(), SeasonSchema::SourceFunction, 0, SQLITE_UTF8, nullptr,
                                 sourceName, nullptr, nullptr) != SQLITE_OK ||
         !raw.execute(SeasonSchema::historyTriggersScript().toUtf8().constData()))) {
        state.SkipWithError(qPrintable(QStringLiteral("the history triggers: ") + raw.error()));
        return;
    }
    if ((!withHistory && !raw.open(path)) ||
        !raw.prepare(
            {QStringLiteral("SELECT JTot, JR1, JS1, rowid FROM Scores WHERE EvId = '%1' AND GoId = 1 "
                            "ORDER BY rowid LIMIT 1")
                 .arg(eventId)}) ||
        raw.runPrepared(&original) != 1) {
        state.SkipWithError("no row to update");
        return;
    }
    const QList<QByteArray> was = original.trimmed().split('\t');
    if (was.size() != 4 || !raw.execute(syncOff ? "PRAGMA synchronous=OFF" : "PRAGMA synchronous=FULL") ||
        !raw.prepare({QStringLiteral("UPDATE Scores SET JTot = ?1, JR1 = ?1, JS1 = ?1 WHERE rowid = %1")
                          .arg(QString::fromUtf8(was[3]))})) {
        state.SkipWithError(qPrintable(raw.error()));
        return;
    }
    qint64 i = 0;
    for (auto _ : state) {
        if (!raw.runUpdate(2000 + int(i++ % 300))) {
            state.SkipWithError(qPrintable(raw.error()));
            break;
        }
    }
    raw.prepare({QStringLiteral("UPDATE Scores SET JTot = %1, JR1 = %2, JS1 = %3 WHERE rowid = %4")
                     .arg(QString::fromUtf8(was[0]), QString::fromUtf8(was[1]), QString::fromUtf8(was[2]),
                          QString::fromUtf8(was[3]))});
    raw.runPrepared();
}

} // namespace rawsql
