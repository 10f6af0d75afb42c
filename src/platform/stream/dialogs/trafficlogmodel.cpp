#include "trafficlogmodel.h"

#include <QBrush>
#include <QDateTime>
#include <QFontDatabase>

TrafficLogModel::TrafficLogModel(int maxLines, QObject* parent)
    : QAbstractTableModel(parent), m_maxLines(qMax(1, maxLines))
{
}

QString TrafficLogModel::formatTime(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString TrafficLogModel::directionText(TxStream::Direction direction)
{
    return direction == TxStream::Sent ? tr("Sent") : tr("Received");
}

void TrafficLogModel::append(const QList<TrafficLine>& lines)
{
    if (lines.isEmpty())
        return;
    // Only the newest maxLines of this batch can stay.
    const qsizetype skip = qMax<qsizetype>(0, lines.size() - m_maxLines);
    const int adding = static_cast<int>(lines.size() - skip);
    const int excess = static_cast<int>(m_lines.size()) + adding - m_maxLines;
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, excess - 1);
        m_lines.erase(m_lines.begin(), m_lines.begin() + excess);
        endRemoveRows();
    }
    const int first = static_cast<int>(m_lines.size());
    beginInsertRows(QModelIndex(), first, first + adding - 1);
    for (qsizetype i = skip; i < lines.size(); ++i)
        m_lines.push_back(lines.at(i));
    endInsertRows();
}

void TrafficLogModel::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

int TrafficLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int TrafficLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const TrafficLine& entry = line(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case TimeColumn:
            return formatTime(entry.msecsSinceEpoch);
        case DirectionColumn:
            return directionText(entry.direction);
        case OffsetColumn:
            return entry.offset;
        case DataColumn:
            return entry.data;
        default:
            return QVariant();
        }
    }
    if (role == Qt::ToolTipRole && index.column() == DataColumn)
        return entry.data;
    if (role == Qt::TextAlignmentRole && index.column() == OffsetColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && index.column() == DirectionColumn &&
        entry.direction == TxStream::Received)
        return QBrush(Qt::darkBlue);
    if (role == Qt::FontRole && index.column() == DataColumn)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return QVariant();
}

QVariant TrafficLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TimeColumn:
        return tr("Time");
    case DirectionColumn:
        return tr("Direction");
    case OffsetColumn:
        return tr("Offset");
    case DataColumn:
        return tr("Data");
    default:
        return QVariant();
    }
}
