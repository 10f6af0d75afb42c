#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <list>

struct sqlite3_stmt;

// Prepared statements of one connection kept for their next use, by their SQL
// text: preparing costs more than running most of the statements the program
// runs (a result's UPDATE compiles the history triggers with it).
//
// A statement is taken out while it runs and put back afterwards, so a
// statement in use is never handed out twice; the same text asked for again
// meanwhile is simply prepared anew. Put back, a statement is reset (its
// bound values stay, so the last statement can still be shown with them). At
// most Capacity statements are kept: the least recently used one goes first.
//
// Used by the connection's thread only, like the connection itself.
class SqlStatementCache
{
public:
    static constexpr int Capacity = 64;

    // Called with every statement just before the cache finalises it.
    using Dropping = std::function<void(sqlite3_stmt*)>;

    explicit SqlStatementCache(Dropping dropping = {});
    ~SqlStatementCache();
    SqlStatementCache(const SqlStatementCache&) = delete;
    SqlStatementCache& operator=(const SqlStatementCache&) = delete;

    // The kept statement for sql, now the caller's; null when none is kept.
    sqlite3_stmt* take(const QString& sql);
    // Keeps stmt (prepared from sql) for later; a statement already kept for
    // the same text makes this one be finalised instead.
    void put(const QString& sql, sqlite3_stmt* stmt);
    // Finalises every kept statement (before the connection closes).
    void clear();
    int size() const { return int(m_byText.size()); }

private:
    struct Entry
    {
        QString sql;
        sqlite3_stmt* stmt = nullptr;
    };
    void finalize(sqlite3_stmt* stmt);

    std::list<Entry> m_recent; // most recently used first
    QHash<QString, std::list<Entry>::iterator> m_byText;
    Dropping m_dropping;
};
