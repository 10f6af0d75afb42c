#include "textgridmodel.h"

TextGridModel::TextGridModel(const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers)
{
}

void TextGridModel::setComputed(int column, std::function<QString(const QStringList&)> fn)
{
    m_computed.insert(column, std::move(fn));
}

void TextGridModel::setRows(const QVector<QStringList>& rows, const QVector<QVariantList>& sortKeys)
{
    beginResetModel();
    m_rows = rows;
    m_sortKeys = sortKeys;
    endResetModel();
}

void TextGridModel::insertGridRow(int row, const QStringList& texts)
{
    row = std::clamp(row, 0, int(m_rows.size()));
    beginInsertRows({}, row, row);
    m_rows.insert(row, texts);
    if (!m_sortKeys.isEmpty())
        m_sortKeys.insert(row, QVariantList());
    endInsertRows();
}

void TextGridModel::removeGridRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.remove(row);
    if (row < m_sortKeys.size())
        m_sortKeys.remove(row);
    endRemoveRows();
}

int TextGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TextGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QString TextGridModel::textAt(int row, int column) const
{
    if (const auto fn = m_computed.value(column))
        return fn(m_rows.at(row));
    return m_rows.at(row).value(column);
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return textAt(index.row(), index.column());
    case Qt::UserRole: {
        const QVariant key = m_sortKeys.value(index.row()).value(index.column());
        return key.isValid() ? key : QVariant(textAt(index.row(), index.column()));
    }
    case Qt::TextAlignmentRole: {
        const QChar a =
            index.column() < m_alignment.size() ? m_alignment.at(index.column()) : QLatin1Char('c');
        const Qt::Alignment h = a == QLatin1Char('l')   ? Qt::AlignLeft
                                : a == QLatin1Char('r') ? Qt::AlignRight
                                                        : Qt::AlignHCenter;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_editable.contains(index.column()) ||
        m_computed.contains(index.column()))
        return false;
    QStringList& row = m_rows[index.row()];
    while (row.size() <= index.column())
        row << QString();
    row[index.column()] = value.toString();
    // The worked-out columns of the row follow what was typed.
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_editable.contains(index.column()) && !m_computed.contains(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
