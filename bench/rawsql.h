#pragma once

// Raw SQLite baselines for the benches: the statements the program runs for
// a piece of work, caught as it runs them, then run again on a connection of
// their own with nothing but the SQLite library.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace benchmark {
class State;
}
struct sqlite3;
struct sqlite3_stmt;

namespace rawsql {

// Catches the text (with its bound values) of every read-only statement the
// process runs between start() and stop(), once per execution.
class ReadCapture
{
public:
    void start();
    QStringList stop();
};

// A connection of its own to a database file, with prepared statements kept
// between runs (as the program keeps its own).
class Connection
{
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    bool open(const QString& path);
    bool execute(const char* sql);
    // Prepares the statements; false (error() says why) when one fails.
    bool prepare(const QStringList& statements);
    // Runs the prepared statements, reading every column of every row; with
    // text, each row is added to it as tab-separated text. The rows read, or
    // -1 on failure.
    qint64 runPrepared(QByteArray* text = nullptr);
    // Runs the prepared statements with value bound to ?1 (an update).
    bool runUpdate(int value);
    const QString& error() const { return m_error; }
    sqlite3* handle() const { return m_db; }

private:
    void finalize();

    sqlite3* m_db = nullptr;
    QVector<sqlite3_stmt*> m_statements;
    QString m_error;
};

// The baseline of a saved result, as a benchmark's loop: one row of the
// event's first go-round in the database at path updated with a raw UPDATE
// per iteration, durable (synchronous=FULL) or not; the row is put back as
// it was afterwards. withHistory installs the program's history triggers on
// the raw connection first, so that each update also writes the history row
// every saved result writes.
void oneRowUpdates(benchmark::State& state, const QString& path, const QString& eventId, bool syncOff,
                   bool withHistory = false);

} // namespace rawsql
