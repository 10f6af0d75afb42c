#pragma once

#include <QList>
#include <QString>

class StreamPort;
class TxStream;
struct IoConfiguration;

// The rows of the Monitor Ports dialog: every port with a choice that starts
// "false" and is toggled by clicking its row.
class MonitorPortsSelection
{
public:
    struct Column
    {
        QString title;
        int width;
    };

    explicit MonitorPortsSelection(const IoConfiguration& config);

    static QList<Column> columns();
    int rowCount() const { return int(m_ports.size()); }
    // "true"/"false", the port's name, its settings, its status ("Open",
    // "Failed: ..." when it could not be opened or could not receive).
    QString text(int row, int column) const;

    void toggle(int row);
    bool isMarked(int row) const;
    QList<StreamPort*> markedPorts() const;

    // The line a port's traffic viewer adds to its status: for the timing
    // console's port, the blocks received and those ignored (empty, outside
    // the image, not printable); empty for other ports.
    static QString statusNote(const IoConfiguration& config, const TxStream& stream);

private:
    QList<StreamPort*> m_ports;
    QList<bool> m_marked;
};
