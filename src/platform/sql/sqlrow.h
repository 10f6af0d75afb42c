#pragma once

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

// The row a SELECT stands on while SqlConnection::forEachRow reads it: its
// values are read straight from the statement, without a record set. Valid
// only inside the call it is given to. Values convert as a record set's do.
class SqlRow
{
public:
    int columnCount() const;
    QString columnName(int column) const;
    // The first column of that name, -1 when there is none.
    int columnOf(const QString& name) const;
    QVariant value(int column) const;
    QString toText(int column) const;
    // The low 32 bits of the value as an integer, as SqlRecordset::toUInt.
    quint32 toUInt(int column) const;

    // A column's value as a record set holds it.
    static QVariant valueOf(sqlite3_stmt* stmt, int column);

private:
    friend class SqlConnection;
    explicit SqlRow(sqlite3_stmt* stmt) : m_stmt(stmt) {}

    sqlite3_stmt* m_stmt;
};
