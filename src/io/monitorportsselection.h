#pragma once

#include <QList>
#include <QString>

class StreamPort;
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
    // "true"/"false", the port's name, its settings.
    QString text(int row, int column) const;

    void toggle(int row);
    bool isMarked(int row) const;
    QList<StreamPort*> markedPorts() const;

private:
    QList<StreamPort*> m_ports;
    QList<bool> m_marked;
};
