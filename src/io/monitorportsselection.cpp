#include "monitorportsselection.h"

#include "ioconfiguration.h"
#include "streamport.h"

MonitorPortsSelection::MonitorPortsSelection(const IoConfiguration& config)
{
    for (const auto& port : config.ports) {
        m_ports.append(port.get());
        m_marked.append(false);
    }
}

QList<MonitorPortsSelection::Column> MonitorPortsSelection::columns()
{
    return {{QString(), 25},
            {QStringLiteral("Name"), 100},
            {QStringLiteral("Settings"), 150},
            {QStringLiteral("Status"), 150}};
}

QString MonitorPortsSelection::text(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    switch (column) {
    case 0:
        return m_marked[row] ? QStringLiteral("true") : QStringLiteral("false");
    case 1:
        return m_ports[row]->name();
    case 2:
        return m_ports[row]->settingsText();
    case 3:
        return m_ports[row]->statusText();
    default:
        return QString();
    }
}

void MonitorPortsSelection::toggle(int row)
{
    if (row >= 0 && row < rowCount())
        m_marked[row] = !m_marked[row];
}

bool MonitorPortsSelection::isMarked(int row) const
{
    return row >= 0 && row < rowCount() && m_marked[row];
}

QList<StreamPort*> MonitorPortsSelection::markedPorts() const
{
    QList<StreamPort*> out;
    for (int row = 0; row < rowCount(); ++row) {
        if (m_marked[row])
            out.append(m_ports[row]);
    }
    return out;
}

QString MonitorPortsSelection::statusNote(const IoConfiguration& config, const TxStream& stream)
{
    const TimerInput& timer = *config.timer;
    const StreamPort* port = config.port(timer.port());
    if (!port || &port->stream() != &stream)
        return QString();
    return QStringLiteral("Timing console: %1 blocks received, %2 ignored (empty, outside the image or not "
                          "printable), %3 read in part (characters outside the image left out)")
        .arg(timer.receivedBlocks())
        .arg(timer.ignoredBlocks())
        .arg(timer.cutBlocks());
}
