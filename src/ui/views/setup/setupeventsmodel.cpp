#include "setupeventsmodel.h"

#include "setup/rodeosetupsheet.h"

void SetupEventsModel::reset()
{
    beginResetModel();
    endResetModel();
}

void SetupEventsModel::nameChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, 0));
}

int SetupEventsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_sheet.events().size());
}

int SetupEventsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SetupEventsModel::data(const QModelIndex& index, int role) const
{
    const EventCfg* e = m_sheet.event(index.row());
    if (!e || role != Qt::DisplayRole)
        return {};
    return index.column() == 0 ? e->name : e->id;
}

QVariant SetupEventsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("EvId");
}
