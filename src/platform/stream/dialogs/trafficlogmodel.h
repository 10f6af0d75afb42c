#pragma once

#include "platform/stream/txstream.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <deque>

// One line of a traffic listing.
struct TrafficLine
{
    qint64 msecsSinceEpoch = 0;
    TxStream::Direction direction = TxStream::Sent;
    // The offset of a text block; empty for everything else.
    QString offset;
    QString data;
};

// The lines of a traffic viewer, oldest first, keeping at most maxLines (the
// oldest go first).
class TrafficLogModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, OffsetColumn, DataColumn, ColumnCount };

    explicit TrafficLogModel(int maxLines, QObject* parent = nullptr);

    void append(const QList<TrafficLine>& lines);
    void clear();
    int maxLines() const { return m_maxLines; }
    const TrafficLine& line(int row) const { return m_lines.at(static_cast<size_t>(row)); }

    // Local time as "hh:mm:ss.zzz".
    static QString formatTime(qint64 msecsSinceEpoch);
    static QString directionText(TxStream::Direction direction);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::deque<TrafficLine> m_lines;
    int m_maxLines;
};
