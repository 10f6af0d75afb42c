#include "drawmodels.h"

#include <numeric>

// --- The rows --------------------------------------------------------------------------

void DrawRowsModel::setRows(QVector<DrawSession::Row> rows, bool withAnimals)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_animals = withAnimals;
    endResetModel();
}

int DrawRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DrawRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_animals ? 4 : 3;
}

QVariant DrawRowsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const DrawSession::Row& r = m_rows[index.row()];
    switch (index.column()) {
    case 0:
        return r.perf > 0 ? QString::number(r.perf) : QStringLiteral("Unplaced");
    case 1:
        return r.ord > 0 ? QString::number(r.ord) : QString();
    case 2:
        return r.competitor;
    default:
        return r.animal;
    }
}

QVariant DrawRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Performance", "Order", "Contestant", "Animal"};
    return section >= 0 && section < 4 ? QString::fromLatin1(titles[section]) : QVariant();
}

// --- The places ------------------------------------------------------------------------

void DrawPlacesModel::setPlaces(QVector<int> places)
{
    beginResetModel();
    m_places = std::move(places);
    endResetModel();
}

int DrawPlacesModel::total() const
{
    return std::accumulate(m_places.begin(), m_places.end(), 0);
}

int DrawPlacesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_places.size());
}

int DrawPlacesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant DrawPlacesModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() ||
        index.row() >= m_places.size())
        return {};
    return index.column() == 0 ? QStringLiteral("Performance %1").arg(index.row() + 1)
                               : QString::number(m_places[index.row()]);
}

QVariant DrawPlacesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Performance") : QStringLiteral("Places");
}

Qt::ItemFlags DrawPlacesModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.column() == 1 ? base | Qt::ItemIsEditable : base;
}

bool DrawPlacesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    bool ok = false;
    const int places = value.toString().trimmed().toInt(&ok);
    if (role != Qt::EditRole || index.column() != 1 || index.row() >= m_places.size() || !ok || places < 0 ||
        places > 9999)
        return false;
    m_places[index.row()] = places;
    emit dataChanged(index, index);
    return true;
}

// --- The requests ----------------------------------------------------------------------

void DrawRequestsModel::setRequests(QVector<DrawRequestRec> requests, QStringList texts)
{
    beginResetModel();
    m_requests = std::move(requests);
    m_texts = std::move(texts);
    endResetModel();
}

int DrawRequestsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_requests.size());
}

int DrawRequestsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant DrawRequestsModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() ||
        index.row() >= m_texts.size())
        return {};
    return m_texts[index.row()];
}

QVariant DrawRequestsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0
               ? QStringLiteral("Request")
               : QVariant();
}
