#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class SqlConnection;
class XmlDocument;

// The rows of a SELECT, read into memory, with a current-row cursor.
//
// Reading a column that is null or that the statement does not have gives 0
// for a number and "" for a text. An editable record set (from
// SqlConnection::queryEditable or openTable) remembers the base table and each
// row's rowid: setField + update() becomes one UPDATE of that row, cancel()
// drops the pending edit, and addNew() + setField + update() one INSERT whose
// new row (identity included) becomes the current row.
//
// An editable record set refers to its connection, which must outlive it.
class SqlRecordset
{
public:
    SqlRecordset() = default;

    // Cursor.
    bool isEof() const { return m_pos < 0 || m_pos >= m_rows.size(); }
    bool moveFirst();
    bool moveNext();
    int rowCount() const { return m_rows.size(); }
    int position() const { return m_pos; }

    // Columns (the hidden rowid of an editable set is not among them).
    const QStringList& columns() const { return m_columns; }
    bool hasColumn(const QString& name) const { return m_index.contains(name); }

    // Fields of the current row.
    quint32 toUInt(const QString& column) const;
    qint64 toInt64(const QString& column) const;
    QString toText(const QString& column) const;
    QVariant value(const QString& column) const; // null QVariant when null or absent
    bool isNull(const QString& column) const;

    // The same reads by a column's position, found once with columnOf (-1
    // when the set has no such column, which reads as null): a loop over
    // many rows looks each name up once, not on every row.
    int columnOf(const QString& column) const { return columnIndex(column); }
    quint32 toUInt(int column) const;
    QString toText(int column) const;
    QVariant value(int column) const { return fieldValue(column); }

    // Editing (editable record sets only).
    bool isEditable() const { return m_conn != nullptr; }
    QString table() const { return m_table; }
    void addNew();
    bool setField(const QString& column, const QVariant& value);
    bool update();
    void cancel();
    bool isEditing() const { return m_adding || !m_pending.isEmpty(); }

    // The statement that produced the set, with its values filled in.
    QString statement() const { return m_statement; }
    QString lastError() const { return m_lastError; }

    // Writes the set in the ADO record-set persistence shape: a root "xml"
    // element with the rowset namespaces, an s:Schema part describing the
    // columns, and rs:data holding one z:row per row with the columns as
    // attributes; null columns are left out.
    bool saveXml(XmlDocument& doc) const;

private:
    friend class SqlConnection;
    friend class SqlRow;
    int columnIndex(const QString& column) const;
    // The current row's value of a column index, pending edits included.
    QVariant fieldValue(int index) const;
    bool fail(const QString& text);
    bool connectionUsable();
    bool readBack(qint64 rowId, QVector<QVariant>& row);
    bool isIntegerColumn(int index) const;

    // Values as they are held in memory: null, qint64, double, QString or
    // QByteArray. ok is false for a type that has no SQL counterpart.
    static QVariant storedValue(const QVariant& value, bool* ok);
    static qint64 int64Of(const QVariant& stored);
    static QString textOf(const QVariant& stored);

    SqlConnection* m_conn = nullptr; // set for editable sets
    std::weak_ptr<int> m_connAlive;
    QString m_table;
    QString m_statement;
    mutable QString m_lastError;
    QStringList m_columns;
    QStringList m_declTypes; // declared type of each column, empty for expressions
    QHash<QString, int> m_index;
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_rowIds; // editable sets: rowid of each row
    int m_pos = -1;

    bool m_adding = false;
    QHash<QString, QVariant> m_pending;
};
