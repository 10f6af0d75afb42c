#include "recordgridmodel.h"

RecordGridModel::RecordGridModel(QVector<Column> columns, Text text, QObject* parent)
    : HandlerEditModel(parent), m_columns(std::move(columns)), m_text(std::move(text))
{
}

void RecordGridModel::setIds(QVector<quint32> ids)
{
    beginResetModel();
    m_ids = std::move(ids);
    endResetModel();
}

void RecordGridModel::insertId(int row, quint32 id)
{
    row = qBound(0, row, int(m_ids.size()));
    if (row == int(m_ids.size())) {
        // The new-entry row becomes the record and a new empty row follows:
        // the cell being edited (and Tab from it) stays on the record typed.
        beginInsertRows(QModelIndex(), row + 1, row + 1);
        m_ids.append(id);
        endInsertRows();
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    m_ids.insert(row, id);
    endInsertRows();
}

void RecordGridModel::removeId(int row)
{
    if (row < 0 || row >= m_ids.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_ids.remove(row);
    endRemoveRows();
}

void RecordGridModel::refreshAll()
{
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int RecordGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size()) + 1;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (isNewRow(index.row()))
        return index.column() == 0 ? QStringLiteral("*") : QString();
    if (index.column() == 0)
        return QString();
    return m_text(m_ids[index.row()], index.column());
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_columns.size())
        return QVariant();
    return QString::fromLatin1(m_columns[section].title);
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && index.column() > 0)
        f |= Qt::ItemIsEditable;
    return f;
}
