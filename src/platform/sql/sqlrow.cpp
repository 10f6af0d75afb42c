#include "sqlrow.h"

#include "sqlrecordset.h"

#include <sqlite3.h>

QVariant SqlRow::valueOf(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, column)));
    }
    default:
        return QVariant();
    }
}

int SqlRow::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString SqlRow::columnName(int column) const
{
    if (column < 0 || column >= sqlite3_column_count(m_stmt))
        return QString();
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

int SqlRow::columnOf(const QString& name) const
{
    const QByteArray wanted = name.toUtf8();
    const int count = sqlite3_column_count(m_stmt);
    for (int i = 0; i < count; ++i) {
        const char* column = sqlite3_column_name(m_stmt, i);
        if (column && wanted == column)
            return i;
    }
    return -1;
}

QVariant SqlRow::value(int column) const
{
    if (column < 0 || column >= sqlite3_column_count(m_stmt))
        return QVariant();
    return valueOf(m_stmt, column);
}

QString SqlRow::toText(int column) const
{
    if (column < 0 || column >= sqlite3_column_count(m_stmt))
        return QString();
    // The common kinds without a QVariant between; the others as a record set reads them.
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QString::number(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    case SQLITE_NULL:
        return QString();
    default:
        return SqlRecordset::textOf(valueOf(m_stmt, column));
    }
}

quint32 SqlRow::toUInt(int column) const
{
    if (column < 0 || column >= sqlite3_column_count(m_stmt))
        return 0;
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return quint32(quint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_NULL:
        return 0;
    default:
        return quint32(quint64(SqlRecordset::int64Of(valueOf(m_stmt, column))));
    }
}
