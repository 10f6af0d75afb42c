#include "sqlstatementcache.h"

#include <sqlite3.h>
#include <utility>

SqlStatementCache::SqlStatementCache(Dropping dropping) : m_dropping(std::move(dropping)) {}

SqlStatementCache::~SqlStatementCache()
{
    clear();
}

sqlite3_stmt* SqlStatementCache::take(const QString& sql)
{
    const auto found = m_byText.constFind(sql);
    if (found == m_byText.cend())
        return nullptr;
    const auto entry = *found;
    sqlite3_stmt* stmt = entry->stmt;
    m_byText.erase(found);
    m_recent.erase(entry);
    return stmt;
}

void SqlStatementCache::put(const QString& sql, sqlite3_stmt* stmt)
{
    if (!stmt)
        return;
    // A statement that failed keeps its error until it is reset; reset here,
    // the next use starts clean.
    sqlite3_reset(stmt);
    if (m_byText.contains(sql)) {
        finalize(stmt);
        return;
    }
    m_recent.push_front({sql, stmt});
    m_byText.insert(sql, m_recent.begin());
    while (int(m_byText.size()) > Capacity) {
        Entry oldest = std::move(m_recent.back());
        m_recent.pop_back();
        m_byText.remove(oldest.sql);
        finalize(oldest.stmt);
    }
}

void SqlStatementCache::clear()
{
    for (const Entry& entry : m_recent)
        finalize(entry.stmt);
    m_recent.clear();
    m_byText.clear();
}

void SqlStatementCache::finalize(sqlite3_stmt* stmt)
{
    if (m_dropping)
        m_dropping(stmt);
    sqlite3_finalize(stmt);
}
