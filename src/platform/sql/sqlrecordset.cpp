#include "sqlrecordset.h"

#include "platform/xml/xmldocument.h"
#include "platform/xml/xmltext.h"
#include "sqlconnection.h"
#include "sqlrow.h"

#include <QSet>
#include <cmath>
#include <limits>

namespace {

bool isSqlSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\v') || c == QLatin1Char('\f') || c == QLatin1Char('\r');
}

// A text read as an integer the way SQLite casts it: blanks, a sign and the
// longest run of digits that follows ("12abc" -> 12, "3.9" -> 3, "x" -> 0),
// held at the 64-bit limits when it is too large.
qint64 textToInt64(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isSqlSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // Accumulated as a negative number, whose range is one larger.
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    qint64 value = 0;
    bool overflow = false;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const int digit = text[i].unicode() - '0';
        if (overflow || value < (lowest + digit) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (overflow)
        return negative ? lowest : std::numeric_limits<qint64>::max();
    if (negative)
        return value;
    return value == lowest ? std::numeric_limits<qint64>::max() : -value;
}

// SQLite shows a real with up to 15 significant digits and always with a
// decimal point or an exponent ("3.0", "0.1", "1.0e+20").
QString realText(double value)
{
    if (std::isnan(value))
        return QString();
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    QString text = QString::number(value, 'g', 15);
    const qsizetype exponent = text.indexOf(QLatin1Char('e'));
    if (!text.contains(QLatin1Char('.'))) {
        if (exponent < 0)
            text += QStringLiteral(".0");
        else
            text.insert(exponent, QStringLiteral(".0"));
    }
    return text;
}

// Whether a column name can stand as an attribute name as it is. Names that
// begin with "xml" are reserved (and "xmlns" would declare a namespace).
bool isPlainXmlName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1String("xml"), Qt::CaseInsensitive))
        return false;
    const QChar first = name.front();
    if (!first.isLetter() && first != QLatin1Char('_'))
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && !c.isMark() && c != QLatin1Char('_') && c != QLatin1Char('-') &&
            c != QLatin1Char('.'))
            return false;
    }
    return true;
}

} // namespace

QVariant SqlRecordset::storedValue(const QVariant& value, bool* ok)
{
    *ok = true;
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QVariant(qint64(value.toBool() ? 1 : 0));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: // beyond the signed range it wraps; SQLite has no larger integer
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
        return QVariant(qint64(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(value.toDouble());
    case QMetaType::QString:
        return value;
    case QMetaType::QByteArray:
        return value;
    default:
        if (value.canConvert<QString>())
            return QVariant(value.toString());
        *ok = false;
        return QVariant();
    }
}

qint64 SqlRecordset::int64Of(const QVariant& stored)
{
    switch (stored.typeId()) {
    case QMetaType::LongLong:
        return stored.toLongLong();
    case QMetaType::Double: {
        // A cast truncates towards zero; out of range values are held at the limits.
        const double d = stored.toDouble();
        if (std::isnan(d))
            return 0;
        if (d <= double(std::numeric_limits<qint64>::min()))
            return std::numeric_limits<qint64>::min();
        if (d >= double(std::numeric_limits<qint64>::max()))
            return std::numeric_limits<qint64>::max();
        return qint64(d);
    }
    case QMetaType::QString:
        return textToInt64(stored.toString());
    case QMetaType::QByteArray:
        return textToInt64(QString::fromUtf8(stored.toByteArray()));
    default:
        return 0;
    }
}

QString SqlRecordset::textOf(const QVariant& stored)
{
    switch (stored.typeId()) {
    case QMetaType::LongLong:
        return QString::number(stored.toLongLong());
    case QMetaType::Double:
        return realText(stored.toDouble());
    case QMetaType::QString:
        return stored.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(stored.toByteArray());
    default:
        return QString();
    }
}

// Cursor. A move drops an edit that was not saved with update().

bool SqlRecordset::moveFirst()
{
    m_pending.clear();
    m_adding = false;
    m_pos = 0;
    return !m_rows.isEmpty();
}

bool SqlRecordset::moveNext()
{
    m_pending.clear();
    m_adding = false;
    if (isEof())
        return false;
    ++m_pos;
    return true;
}

// Fields.

int SqlRecordset::columnIndex(const QString& column) const
{
    return m_index.value(column, -1);
}

QVariant SqlRecordset::fieldValue(int index) const
{
    if (index < 0 || index >= m_columns.size())
        return QVariant();
    if (m_adding || !m_pending.isEmpty()) {
        const auto pending = m_pending.constFind(m_columns.at(index));
        if (pending != m_pending.constEnd())
            return pending.value();
        if (m_adding)
            return QVariant();
    }
    if (isEof())
        return QVariant();
    return m_rows.at(m_pos).value(index);
}

QVariant SqlRecordset::value(const QString& column) const
{
    return fieldValue(columnIndex(column));
}

bool SqlRecordset::isNull(const QString& column) const
{
    return !value(column).isValid();
}

qint64 SqlRecordset::toInt64(const QString& column) const
{
    return int64Of(value(column));
}

quint32 SqlRecordset::toUInt(const QString& column) const
{
    // Keeps the low 32 bits, as a 32-bit integer column read into an
    // unsigned field would.
    return quint32(quint64(toInt64(column)));
}

QString SqlRecordset::toText(const QString& column) const
{
    return textOf(value(column));
}

quint32 SqlRecordset::toUInt(int column) const
{
    return quint32(quint64(int64Of(fieldValue(column))));
}

QString SqlRecordset::toText(int column) const
{
    return textOf(fieldValue(column));
}

// Editing.

bool SqlRecordset::fail(const QString& text)
{
    m_lastError = text;
    return false;
}

bool SqlRecordset::connectionUsable()
{
    if (!isEditable())
        return fail(QStringLiteral("This record set cannot be edited."));
    if (m_connAlive.expired() || !m_conn->isOpen())
        return fail(QStringLiteral("The connection of this record set has been closed."));
    return true;
}

void SqlRecordset::addNew()
{
    if (!isEditable()) {
        fail(QStringLiteral("This record set cannot be edited."));
        return;
    }
    // An unsaved edit of the current row is dropped, as on a move.
    m_pending.clear();
    m_adding = true;
}

bool SqlRecordset::setField(const QString& column, const QVariant& value)
{
    if (!isEditable())
        return fail(QStringLiteral("This record set cannot be edited."));
    const int index = columnIndex(column);
    if (index < 0)
        return fail(QStringLiteral("The record set has no column %1.").arg(column));
    if (!m_adding && isEof())
        return fail(QStringLiteral("There is no current row."));
    bool ok = false;
    const QVariant stored = storedValue(value, &ok);
    if (!ok)
        return fail(QStringLiteral("A value of type %1 cannot be stored in %2.")
                        .arg(QString::fromLatin1(value.typeName()), column));
    m_pending.insert(m_columns.at(index), stored);
    return true;
}

void SqlRecordset::cancel()
{
    m_pending.clear();
    m_adding = false;
}

bool SqlRecordset::readBack(qint64 rowId, QVector<QVariant>& row)
{
    // The refresh is not what the caller ran, so it does not replace the
    // statement that log lines show.
    const SqlConnection::StatementKeeper keep(*m_conn);
    bool found = false;
    m_conn->forEachRow(
        QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(SqlConnection::quoteIdentifier(m_table)), {rowId},
        [&](const SqlRow& fresh) {
            row = QVector<QVariant>(m_columns.size());
            // Backwards, so that of a name twice the first is what stays.
            for (int c = fresh.columnCount() - 1; c >= 0; --c) {
                const auto at = m_index.constFind(fresh.columnName(c));
                if (at != m_index.constEnd())
                    row[at.value()] = fresh.value(c);
            }
            found = true;
        });
    m_conn->clearError();
    return found;
}

bool SqlRecordset::update()
{
    if (!isEditable())
        return fail(QStringLiteral("This record set cannot be edited."));
    if (!m_adding && m_pending.isEmpty()) {
        m_lastError.clear();
        return true;
    }
    if (!connectionUsable())
        return false;
    if (!m_adding && isEof())
        return fail(QStringLiteral("There is no current row."));

    // Columns in the record set's order, so that the statement is the same
    // whatever order the fields were set in.
    QStringList names;
    QVariantList values;
    for (const QString& column : std::as_const(m_columns)) {
        const auto pending = m_pending.constFind(column);
        if (pending != m_pending.constEnd()) {
            names << SqlConnection::quoteIdentifier(column);
            values << pending.value();
        }
    }
    const QString table = SqlConnection::quoteIdentifier(m_table);

    if (m_adding) {
        const QString sql =
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, names.join(QStringLiteral(", ")),
                           QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        if (!m_conn->execute(sql, values))
            return fail(m_conn->lastError());
        const qint64 rowId = m_conn->lastInsertRowId();
        QVector<QVariant> row;
        if (!readBack(rowId, row)) {
            // Saved, but not readable at once: show what was written.
            row = QVector<QVariant>(m_columns.size());
            for (int i = 0; i < m_columns.size(); ++i)
                row[i] = m_pending.value(m_columns.at(i));
        }
        m_rows << row;
        m_rowIds << rowId;
        m_pos = int(m_rows.size()) - 1;
        m_adding = false;
        m_pending.clear();
        m_lastError.clear();
        return true;
    }

    QStringList assignments;
    for (const QString& name : std::as_const(names))
        assignments << name + QStringLiteral(" = ?");
    // RETURNING tells a vanished row from an updated one and gives the new
    // rowid when the update changed an INTEGER PRIMARY KEY.
    const QString returning = QStringLiteral(" RETURNING rowid");
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(table, assignments.join(QStringLiteral(", "))) +
                        returning;
    values << m_rowIds.at(m_pos);
    const auto result = m_conn->query(sql, values);
    if (QString statement = m_conn->lastStatement(); statement.endsWith(returning)) {
        statement.chop(returning.size());
        m_conn->setLastStatement(statement);
    }
    if (!result)
        return fail(m_conn->lastError());
    if (result->isEof()) {
        m_conn->setError(QStringLiteral("The row to update no longer exists."));
        return fail(m_conn->lastError());
    }
    const qint64 rowId = result->m_rows.at(0).value(0).toLongLong();
    QVector<QVariant> row;
    if (readBack(rowId, row)) {
        m_rows[m_pos] = row;
    } else {
        for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it)
            m_rows[m_pos][columnIndex(it.key())] = it.value();
    }
    m_rowIds[m_pos] = rowId;
    m_pending.clear();
    m_lastError.clear();
    return true;
}

// XML persistence.

bool SqlRecordset::isIntegerColumn(int index) const
{
    const QString declared = m_declTypes.value(index);
    if (!declared.isEmpty())
        return declared.contains(QLatin1String("INT"), Qt::CaseInsensitive);
    // An expression has no declared type: it is an integer column when every
    // value it holds is one.
    bool any = false;
    for (const auto& row : m_rows) {
        const QVariant& v = row.at(index);
        if (!v.isValid())
            continue;
        if (v.typeId() != QMetaType::LongLong)
            return false;
        any = true;
    }
    return any;
}

bool SqlRecordset::saveXml(XmlDocument& doc) const
{
    // Attribute names: the column name where it is a valid XML name, else a
    // made-up one with the real name kept in rs:name, as ADO does.
    QStringList attributeNames;
    QSet<QString> used;
    for (const QString& column : m_columns) {
        if (isPlainXmlName(column) && !used.contains(column))
            used.insert(column);
    }
    QSet<QString> taken;
    for (int i = 0; i < m_columns.size(); ++i) {
        const QString& column = m_columns.at(i);
        QString name = column;
        if (!isPlainXmlName(column) || taken.contains(column)) {
            int n = i;
            do
                name = QStringLiteral("c%1").arg(n++);
            while (used.contains(name) || taken.contains(name));
        }
        taken.insert(name);
        attributeNames << name;
    }

    QString text = QStringLiteral("<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'"
                                  " xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'"
                                  " xmlns:rs='urn:schemas-microsoft-com:rowset'"
                                  " xmlns:z='#RowsetSchema'>"
                                  "<s:Schema id='RowsetSchema'>"
                                  "<s:ElementType name='row' content='eltOnly'>");
    for (int i = 0; i < m_columns.size(); ++i) {
        text += QStringLiteral("<s:AttributeType name='%1'").arg(attributeNames.at(i));
        if (attributeNames.at(i) != m_columns.at(i))
            text += QStringLiteral(" rs:name='%1'").arg(xmlAttributeText(m_columns.at(i)));
        text +=
            QStringLiteral(" rs:number='%1' rs:nullable='true'><s:datatype dt:type='%2'/></s:AttributeType>")
                .arg(i + 1)
                .arg(isIntegerColumn(i) ? QStringLiteral("int") : QStringLiteral("string"));
    }
    text += QStringLiteral("<s:extends type='rs:rowbase'/></s:ElementType></s:Schema><rs:data>");
    for (const auto& row : m_rows) {
        text += QStringLiteral("<z:row");
        for (int i = 0; i < m_columns.size() && i < row.size(); ++i) {
            const QVariant& v = row.at(i);
            if (!v.isValid())
                continue;
            const QString value = v.typeId() == QMetaType::QByteArray
                                      ? QString::fromLatin1(v.toByteArray().toHex().toUpper())
                                      : textOf(v);
            text += QLatin1Char(' ') + attributeNames.at(i) + QStringLiteral("='") + xmlAttributeText(value) +
                    QLatin1Char('\'');
        }
        text += QStringLiteral("/>");
    }
    text += QStringLiteral("</rs:data></xml>");

    if (!doc.loadXml(text)) {
        m_lastError = doc.lastError();
        return false;
    }
    m_lastError.clear();
    return true;
}
