#include "ioconfigeditor.h"

#include <limits>

namespace {

constexpr int NumberColumn = 0;
constexpr int NameColumn = 1;

QString flagText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

// Only the digits 0 to 9; an empty text is 0. Values beyond the integer range
// are refused.
bool parseDigits(const QString& text, int* value)
{
    qint64 v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > std::numeric_limits<int>::max())
            return false;
    }
    *value = int(v);
    return true;
}

int adjusted(int reference, int removed)
{
    if (reference == removed)
        return 0;
    return reference > removed ? reference - 1 : reference;
}

} // namespace

IoConfigEditor::IoConfigEditor(IoConfiguration& config) : m_config(config) {}

QString IoConfigEditor::label(List list)
{
    switch (list) {
    case List::Ports:
        return QStringLiteral("Configure Ports:");
    case List::Timer:
        return QStringLiteral("INPUT:  Timer");
    case List::Rips:
        return QStringLiteral("OUTPUT:  Rodeo In Progress (RIP) RTD");
    case List::Requests:
        return QStringLiteral("OUTPUT:  Requested RTD");
    case List::Monitors:
        return QStringLiteral("OUTPUT:  Announcer Monitor");
    }
    return QString();
}

QList<IoConfigEditor::Column> IoConfigEditor::columns(List list)
{
    const Column number{QString(), 25, Editor::None};
    switch (list) {
    case List::Ports:
        return {number,
                {QStringLiteral("Name"), 75, Editor::None},
                {QStringLiteral("Settings"), 150, Editor::None}};
    case List::Timer:
        return {number,
                {QStringLiteral("Name"), 75, Editor::Text},
                {QStringLiteral("Port"), 75, Editor::PortChoice}};
    case List::Rips:
        return {number,
                {QStringLiteral("Name"), 75, Editor::Text},
                {QStringLiteral("Port"), 50, Editor::PortChoice},
                {QStringLiteral("Type"), 50, Editor::Choice},
                {QStringLiteral("Offset"), 50, Editor::Digits},
                {QStringLiteral("Breakup Packets"), 50, Editor::Choice},
                {QStringLiteral("Update Flag"), 50, Editor::Choice}};
    case List::Requests:
        return {number,
                {QStringLiteral("Name"), 75, Editor::Text},
                {QStringLiteral("Request Port"), 75, Editor::PortChoice},
                {QStringLiteral("Send Port"), 75, Editor::PortChoice}};
    case List::Monitors:
        return {number,
                {QStringLiteral("Name"), 75, Editor::Text},
                {QStringLiteral("Port"), 75, Editor::PortChoice},
                {QStringLiteral("Protocol"), 75, Editor::Choice}};
    }
    return {};
}

int IoConfigEditor::itemCount(List list) const
{
    switch (list) {
    case List::Ports:
        return int(m_config.ports.size());
    case List::Timer:
        return 1;
    case List::Rips:
        return int(m_config.rips.size());
    case List::Requests:
        return int(m_config.requests.size());
    case List::Monitors:
        return int(m_config.monitors.size());
    }
    return 0;
}

int IoConfigEditor::rowCount(List list) const
{
    return list == List::Timer ? 1 : itemCount(list) + 1;
}

bool IoConfigEditor::isBlankRow(List list, int row) const
{
    return list != List::Timer && row == itemCount(list);
}

QString IoConfigEditor::portName(int number) const
{
    const StreamPort* p = m_config.port(number);
    return p ? p->name() : QString();
}

QString IoConfigEditor::text(List list, int row, int column) const
{
    if (row < 0 || row >= rowCount(list) || isBlankRow(list, row))
        return QString();
    if (column == NumberColumn)
        return QString::number(row + 1);
    switch (list) {
    case List::Ports: {
        const StreamPort& p = *m_config.ports[std::size_t(row)];
        return column == NameColumn ? p.name() : column == 2 ? p.settingsText() : QString();
    }
    case List::Timer:
        return column == NameColumn ? m_config.timer->name()
               : column == 2        ? portName(m_config.timer->port())
                                    : QString();
    case List::Rips: {
        const RipStream& r = *m_config.rips[std::size_t(row)];
        switch (column) {
        case 1:
            return r.name();
        case 2:
            return portName(r.port());
        case 3:
            return RipStream::typeText(r.type());
        case 4:
            return QString::number(r.offset());
        case 5:
            return flagText(r.breakupPackets());
        case 6:
            return flagText(r.updateEveryPacket());
        default:
            return QString();
        }
    }
    case List::Requests: {
        const RequestLink& q = *m_config.requests[std::size_t(row)];
        return column == 1   ? q.name()
               : column == 2 ? portName(q.requestPort())
               : column == 3 ? portName(q.sendPort())
                             : QString();
    }
    case List::Monitors: {
        const MonitorStream& m = *m_config.monitors[std::size_t(row)];
        return column == 1   ? m.name()
               : column == 2 ? portName(m.port())
               : column == 3 ? MonitorStream::protocolText(m.protocol())
                             : QString();
    }
    }
    return QString();
}

QStringList IoConfigEditor::choices(List list, int column) const
{
    const QList<Column> cols = columns(list);
    if (column < 0 || column >= cols.size())
        return {};
    if (cols[column].editor == Editor::PortChoice) {
        QStringList names{QString()};
        for (const auto& p : m_config.ports)
            names << p->name();
        return names;
    }
    if (cols[column].editor != Editor::Choice)
        return {};
    if (list == List::Rips && column == 3)
        return {QStringLiteral("Network"), QStringLiteral("Serial")};
    if (list == List::Rips)
        return {QStringLiteral("true"), QStringLiteral("false")};
    if (list == List::Monitors)
        return {QStringLiteral("Terminal")};
    return {};
}

bool IoConfigEditor::setText(List list, int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount(list))
        return false;
    const QList<Column> cols = columns(list);
    if (column < 0 || column >= cols.size())
        return false;
    const Editor editor = cols[column].editor;
    if (editor != Editor::Text && editor != Editor::Digits && editor != Editor::Choice)
        return false;
    switch (list) {
    case List::Timer:
        m_config.timer->setName(text);
        return true;
    case List::Rips:
        return setRipText(row, column, text);
    case List::Requests:
        return setRequestText(row, column, text);
    case List::Monitors:
        return setMonitorText(row, column, text);
    case List::Ports:
        return false;
    }
    return false;
}

bool IoConfigEditor::setRipText(int row, int column, const QString& text)
{
    int offset = 0;
    if (column == 4 && !parseDigits(text, &offset))
        return false;
    const bool blank = isBlankRow(List::Rips, row);
    if (blank && text.isEmpty())
        return false; // an empty cell does not make an item
    if (blank)
        m_config.rips.push_back(std::make_unique<RipStream>()); // port 0, offset 0, breakup on, update off
    RipStream& r = *m_config.rips[std::size_t(row)];
    switch (column) {
    case 1:
        r.setName(text);
        break;
    case 3:
        r.setType(RipStream::typeFromText(text));
        break;
    case 4:
        r.setOffset(offset);
        break;
    case 5:
        r.setBreakupPackets(text == QLatin1String("true"));
        break;
    case 6:
        r.setUpdateEveryPacket(text == QLatin1String("true"));
        break;
    default:
        break;
    }
    return true;
}

bool IoConfigEditor::setRequestText(int row, int column, const QString& text)
{
    if (column != NameColumn)
        return false;
    if (isBlankRow(List::Requests, row)) {
        if (text.isEmpty())
            return false;
        m_config.requests.push_back(std::make_unique<RequestLink>());
    }
    m_config.requests[std::size_t(row)]->setName(text);
    return true;
}

bool IoConfigEditor::setMonitorText(int row, int column, const QString& text)
{
    if (isBlankRow(List::Monitors, row)) {
        if (text.isEmpty())
            return false;
        m_config.monitors.push_back(std::make_unique<MonitorStream>());
    }
    MonitorStream& m = *m_config.monitors[std::size_t(row)];
    if (column == NameColumn)
        m.setName(text);
    else if (column == 3)
        m.setProtocol(MonitorStream::protocolFromText(text));
    return true;
}

bool IoConfigEditor::choosePort(List list, int row, int column, int portNumber)
{
    if (row < 0 || row >= rowCount(list) || portNumber < 0 || portNumber > m_config.portCount())
        return false;
    const QList<Column> cols = columns(list);
    if (column < 0 || column >= cols.size() || cols[column].editor != Editor::PortChoice)
        return false;
    const bool blank = isBlankRow(list, row);
    if (blank && portNumber == 0)
        return false; // choosing no port does not make an item
    switch (list) {
    case List::Timer:
        m_config.timer->setPort(portNumber);
        break;
    case List::Rips:
        if (blank)
            m_config.rips.push_back(std::make_unique<RipStream>());
        m_config.rips[std::size_t(row)]->setPort(portNumber);
        break;
    case List::Requests:
        if (blank)
            m_config.requests.push_back(std::make_unique<RequestLink>());
        if (column == 2)
            m_config.requests[std::size_t(row)]->setRequestPort(portNumber);
        else
            m_config.requests[std::size_t(row)]->setSendPort(portNumber);
        break;
    case List::Monitors:
        if (blank)
            m_config.monitors.push_back(std::make_unique<MonitorStream>());
        m_config.monitors[std::size_t(row)]->setPort(portNumber);
        break;
    case List::Ports:
        return false;
    }
    m_config.attachUsers();
    return true;
}

IoConfigEditor::RemoveResult IoConfigEditor::remove(List list, int row)
{
    RemoveResult result;
    if (row < 0 || row >= rowCount(list) || isBlankRow(list, row))
        return result;
    const auto index = std::size_t(row);
    switch (list) {
    case List::Ports: {
        const int number = row + 1;
        if (m_config.timer->port() == number) {
            result.refusal =
                QStringLiteral("The port cannot be removed because it is being used by the Timer.");
            return result;
        }
        for (const auto& r : m_config.rips) {
            if (r->port() == number) {
                result.refusal =
                    QStringLiteral("The port cannot be removed because it is being used by a RIP object.");
                return result;
            }
        }
        for (const auto& m : m_config.monitors) {
            if (m->port() == number) {
                result.refusal = QStringLiteral(
                    "The port cannot be removed because it is being used by a monitor object.");
                return result;
            }
        }
        m_config.ports[index]->clearUsers();
        m_config.ports.erase(m_config.ports.begin() + row);
        renumberReferences(number);
        break;
    }
    case List::Timer:
        m_config.timer->setName(QString());
        m_config.timer->setPort(0);
        break;
    case List::Rips:
        m_config.rips.erase(m_config.rips.begin() + row);
        break;
    case List::Requests:
        m_config.requests.erase(m_config.requests.begin() + row);
        break;
    case List::Monitors:
        m_config.monitors.erase(m_config.monitors.begin() + row);
        break;
    }
    m_config.attachUsers();
    result.removed = true;
    return result;
}

void IoConfigEditor::renumberReferences(int removed)
{
    m_config.timer->setPort(adjusted(m_config.timer->port(), removed));
    for (auto& r : m_config.rips)
        r->setPort(adjusted(r->port(), removed));
    for (auto& q : m_config.requests) {
        q->setRequestPort(adjusted(q->requestPort(), removed));
        q->setSendPort(adjusted(q->sendPort(), removed));
    }
    for (auto& m : m_config.monitors)
        m->setPort(adjusted(m->port(), removed));
}

StreamPort* IoConfigEditor::port(int row) const
{
    if (row < 0 || row >= int(m_config.ports.size()))
        return nullptr;
    return m_config.ports[std::size_t(row)].get();
}

int IoConfigEditor::appendPort(std::unique_ptr<StreamPort> port)
{
    if (!port)
        return 0;
    m_config.ports.push_back(std::move(port));
    m_config.attachUsers();
    return m_config.portCount();
}
