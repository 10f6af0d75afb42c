#include "importeventsmodel.h"

void ImportEventsModel::setEvents(const QVector<EntryImporter::EventChoice>& events)
{
    beginResetModel();
    m_events = events;
    endResetModel();
}

void ImportEventsModel::toggle(int row)
{
    if (row < 0 || row >= m_events.size())
        return;
    m_events[row].import = !m_events[row].import;
    emit dataChanged(index(row, 0), index(row, 0));
}

int ImportEventsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_events.size());
}

int ImportEventsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ImportEventsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_events.size() || role != Qt::DisplayRole)
        return {};
    const EntryImporter::EventChoice& e = m_events.at(index.row());
    if (index.column() == 0)
        return e.import ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return e.name;
}

QVariant ImportEventsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Import") : QStringLiteral("Event");
}
