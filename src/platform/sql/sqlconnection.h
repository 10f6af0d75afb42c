#pragma once

#include "sqlrecordset.h"
#include "sqlrow.h"
#include "sqlstatementcache.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <utility>

struct sqlite3;

// One connection to a season database (an SQLite file).
//
// Values are always passed as bound parameters ("?" in the statement text),
// never spliced into it. The statement as it ran, with its values filled in,
// is available from lastStatement() for log lines.
class SqlConnection
{
public:
    SqlConnection();
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    // Opens an existing database file; a missing file is a failure (nothing is
    // created). Sets WAL journaling, synchronous=FULL and a busy timeout.
    bool open(const QString& path);
    // Opens an existing database file for reading only: nothing is written to
    // it, its journal mode included (another season's file, read while the
    // open season stays open). A statement that writes fails.
    bool openReadOnly(const QString& path);
    // Creates (or opens) the file; used for building the template database.
    bool create(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // Runs a statement that returns no rows (INSERT, UPDATE, DELETE, DDL, or a
    // script of several statements when params is empty).
    bool execute(const QString& sql, const QVariantList& params = {});

    // Runs a SELECT and reads its rows into a forward record set. Null on failure.
    std::unique_ptr<SqlRecordset> query(const QString& sql, const QVariantList& params = {});

    // Runs a SELECT and gives read each row as it is stepped to, keeping none:
    // for reading many rows into records of one's own. False on failure (rows
    // before it were read).
    bool forEachRow(const QString& sql, const QVariantList& params,
                    const std::function<void(const SqlRow&)>& read);

    // Runs a SELECT of the form "SELECT * FROM <table> ..." and returns a record
    // set whose rows can be edited in place (setField, update, cancel) and to
    // which rows can be added. Null on failure (also for any other form).
    std::unique_ptr<SqlRecordset> queryEditable(const QString& sql, const QVariantList& params = {});

    // A whole table as an editable record set. With readRows false only the
    // columns are read: the record set is used for adding rows.
    std::unique_ptr<SqlRecordset> openTable(const QString& table, bool readRows = true);

    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    // Differs after every change of a row made through this connection and
    // after every open or close (of any connection): what was read before can
    // be kept while it stays the same.
    std::pair<quint64, qint64> writeStamp() const;
    qint64 lastInsertRowId() const;

    // Description of the last failure, empty after a success.
    QString lastError() const { return m_lastError; }
    // The last statement run or attempted, with its bound values filled in.
    QString lastStatement() const;

    // A statement text with its "?" parameters replaced by their values, quoted
    // as SQL literals; for log lines of statements that did not get to run.
    static QString expand(const QString& sql, const QVariantList& params);

    // --- Maintenance (sqlconnection_maintenance.cpp) -------------------------
    // The user_version number of a database file, read without changing the
    // file in any way (no journal mode is set). -1 when the file cannot be
    // read as a database; error then says why.
    static int readUserVersion(const QString& path, QString* error = nullptr);
    // Copies the whole database into a new file at path with SQLite's online
    // backup API, in one step: the copy is the database as one read
    // transaction saw it, while other connections go on writing (WAL). The
    // copy is a single file (rollback journal), written beside path first
    // and renamed into place, so a failed copy leaves nothing behind.
    bool backupTo(const QString& path);
    // Makes fn callable from SQL run on this connection as name() (no
    // arguments); it returns null, an integer or a text. Lives until close.
    bool defineFunction(const QString& name, std::function<QVariant()> fn);

    // Transactions are opened and ended through SqlTransaction; this says how
    // many guards are open (0: every statement commits on its own).
    int transactionDepth() const { return m_txDepth; }

private:
    friend class SqlRecordset;
    friend class SqlTransaction;
    // The outermost call begins the transaction, inner ones add a savepoint.
    // Each returns the level it opened (1 = the transaction), 0 on failure.
    int beginTransaction();
    // End the level begun last; a level that is not the innermost open one
    // (the connection was closed or reopened since) is left alone.
    bool commitTransaction(int level, quint64 generation);
    void rollbackTransaction(int level, quint64 generation);
    quint64 generation() const { return m_generation; }
    // Runs a transaction-control statement without touching what the last
    // statement and error say, so callers' log lines keep the real failure.
    bool control(const QString& sql);
    // Opens a file that must already exist, after checking that it does.
    bool openExisting(const QString& path, int flags);
    bool openFile(const QString& path, int flags);
    // A prepared statement while it runs; back to the cache when it goes.
    class Lease;
    // Prepares exactly one statement (or takes it from the cache) and binds
    // params; lease receives it. Sets lastStatement in every case.
    bool prepareAndBind(const QString& sql, const QVariantList& params, Lease& lease);
    // The last statement's text is made from its statement only when asked
    // for: a statement that ran is left as it is (reset, its values bound)
    // until the next one runs, or until the cache lets it go.
    void setLastStatement(const QString& text);
    void setLastStatementFrom(void* stmt);
    void statementDropped(void* stmt);
    // While it lives, statements run for the connection's own purposes (a row
    // read back) leave what lastStatement() said before them; its text is
    // still made only when asked for, or when its statement is dropped or
    // bound again in the meantime.
    class StatementKeeper
    {
    public:
        explicit StatementKeeper(SqlConnection& conn);
        ~StatementKeeper();
        StatementKeeper(const StatementKeeper&) = delete;
        StatementKeeper& operator=(const StatementKeeper&) = delete;
        void fix(void* stmt); // makes the text now if stmt is the kept one

    private:
        SqlConnection& m_conn;
        StatementKeeper* m_outer;
        void* m_stmt;
        QString m_text;
    };
    bool bindValue(void* stmt, int index, const QVariant& value);
    bool stepToEnd(void* stmt);
    bool runScript(const QString& sql);
    // Reads every row of a prepared statement into set; with hiddenRowId the
    // first result column is the rowid and is kept out of the visible columns.
    bool readRows(void* stmt, SqlRecordset& set, bool hiddenRowId);
    bool setError(const QString& text);
    void clearError() { m_lastError.clear(); }
    static QString quoteIdentifier(const QString& name);

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_lastError;
    mutable QString m_lastStatement;
    mutable void* m_lastStmt = nullptr; // the statement m_lastStatement is still to be made from
    StatementKeeper* m_keeper = nullptr;
    SqlStatementCache m_statements;
    // Replaced on every open and dropped on close, so that an editable record
    // set can tell that the connection it came from is no longer there.
    std::shared_ptr<int> m_alive;
    int m_txDepth = 0;
    quint64 m_generation = 0; // new at every open and close, so a guard can tell its connection went away
};
