#pragma once

#include <QtGlobal>

class SqlConnection;

// Makes the statements run on a connection between its construction and
// commit() one unit: all of them are kept, or none.
//
//     SqlTransaction tx(conn);
//     if (!tx.isActive()) return false;
//     ... statements ...
//     return tx.commit();   // leaving without commit rolls everything back
//
// Guards nest: the outermost one opens the transaction (BEGIN IMMEDIATE, so
// the write lock is taken at once rather than failing at the first write), an
// inner one joins it as a savepoint. An inner guard that is rolled back undoes
// only its own statements; nothing is kept until the outermost one commits.
// A guard must end before the connection is closed or reopened; one that
// outlives it does nothing. Same thread rule as the connection it guards.
class SqlTransaction
{
public:
    explicit SqlTransaction(SqlConnection& connection);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // False when the transaction or savepoint could not be opened; the
    // connection's lastError() says why.
    bool isActive() const { return m_active; }
    // Keeps the statements (for an inner guard: hands them to the outer one).
    // False when that failed, in which case everything was rolled back.
    bool commit();
    // Undoes the statements now rather than at the end of the scope.
    void rollback();

private:
    SqlConnection& m_conn;
    int m_level = 0;
    quint64 m_generation = 0;
    bool m_active = false;
};
