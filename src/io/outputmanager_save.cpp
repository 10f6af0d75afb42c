// Applying an edited configuration and rewriting the changed parts of "IO.xml".
#include "app/log.h"
#include "outputmanager.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"

#include <algorithm>
#include <vector>

namespace {

QString boolText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString sectionXPath(const char* section)
{
    return formatMessage("//%s", section);
}

QString elementXPath(const char* section, const char* element, int count)
{
    return formatMessage("//%s/%s[@%s='%d']", section, element, "count", count);
}

// Moves fresh into old's place among its parent's elements.
void replaceElement(const XmlNode& old, const XmlNode& fresh)
{
    XmlNode parent = old.parent();
    const QList<XmlNode> siblings = parent.childElements();
    const qsizetype index = siblings.indexOf(old);
    parent.removeChild(old);
    parent.appendChild(fresh);
    for (qsizetype i = index + 1; i < siblings.size(); ++i) {
        parent.removeChild(siblings[i]);
        parent.appendChild(siblings[i]);
    }
}

// Some attributes are read by position, so the ones named in order must stand
// in that order (other attributes may come between). An element written by hand
// in another order is rebuilt; otherwise a value fixed in the dialog would be
// read back into the wrong field at the next start. Attributes named in drop
// are left out. Returns the element to write into.
XmlNode arrangeAttributes(XmlDocument& doc, const XmlNode& element, const QStringList& order,
                          const QStringList& drop = {})
{
    const QList<XmlNode> attributes = element.attributes();
    QStringList present;
    bool dropFound = false;
    for (const XmlNode& attribute : attributes) {
        if (order.contains(attribute.name()))
            present << attribute.name();
        dropFound = dropFound || drop.contains(attribute.name());
    }
    // Missing ones are appended after the present ones by setAttribute.
    if (!dropFound && present == order.first(present.size()))
        return element;

    XmlNode fresh = doc.createElement(element.name());
    bool orderedWritten = false;
    for (const XmlNode& attribute : attributes) {
        const QString name = attribute.name();
        if (drop.contains(name))
            continue;
        if (order.contains(name)) {
            if (!orderedWritten) {
                for (const QString& ordered : order)
                    fresh.setAttribute(ordered, element.attribute(ordered));
                orderedWritten = true;
            }
            continue;
        }
        fresh.setAttribute(name, attribute.text());
    }
    if (!orderedWritten) {
        for (const QString& ordered : order)
            fresh.setAttribute(ordered, element.attribute(ordered));
    }
    for (const XmlNode& child : element.childElements())
        fresh.appendChild(child);
    replaceElement(element, fresh);
    return fresh;
}

// A new element from its template: every attribute present and empty.
XmlNode appendTemplate(XmlDocument& doc, XmlNode parent, const char* name,
                       std::initializer_list<const char*> attrs)
{
    XmlNode element = doc.createElement(QString::fromLatin1(name));
    for (const char* attr : attrs)
        element.setAttribute(QString::fromLatin1(attr), QString());
    return parent.appendChild(element);
}

void removeFrom(XmlDocument& doc, const char* section, const char* element, int from)
{
    for (int n = from;; ++n) {
        const QList<XmlNode> nodes = doc.selectNodes(elementXPath(section, element, n));
        if (nodes.isEmpty())
            break;
        for (const XmlNode& node : nodes)
            node.parent().removeChild(node);
    }
}

} // namespace

bool OutputManager::ApplyConfiguration(IoConfiguration& copy)
{
    if (m_commsStarted)
        StopCommunications(); // nothing may run on the lists being replaced
    copy.attachUsers();

    bool saved = false;
    {
        QMutexLocker lock(&m_refreshMutex);
        IoConfiguration& now = m_config;

        // 1. Position by position over the shorter list.
        const std::size_t portLength = std::min(now.ports.size(), copy.ports.size());
        std::vector<bool> portChanged(portLength);
        for (std::size_t i = 0; i < portLength; ++i)
            portChanged[i] = !(*now.ports[i] == *copy.ports[i]);
        const bool timerChanged = !now.timer->sameConfiguration(*copy.timer);
        const std::size_t ripLength = std::min(now.rips.size(), copy.rips.size());
        std::vector<bool> ripChanged(ripLength);
        for (std::size_t i = 0; i < ripLength; ++i)
            ripChanged[i] = !now.rips[i]->sameConfiguration(*copy.rips[i]);
        const std::size_t requestLength = std::min(now.requests.size(), copy.requests.size());
        std::vector<bool> requestChanged(requestLength);
        for (std::size_t i = 0; i < requestLength; ++i)
            requestChanged[i] = !now.requests[i]->sameConfiguration(*copy.requests[i]);
        const std::size_t monitorLength = std::min(now.monitors.size(), copy.monitors.size());
        std::vector<bool> monitorChanged(monitorLength);
        for (std::size_t i = 0; i < monitorLength; ++i)
            monitorChanged[i] = !now.monitors[i]->sameConfiguration(*copy.monitors[i]);

        // 2. Take over the new lists; copy keeps the old ones.
        std::swap(now, copy);
        now.attachUsers();

        if (m_doc.isEmpty()) {
            // The file could not be read at start: write a whole new one.
            logReport("The IO configuration was not loaded; a new one is written.  Mgr::ApplyConfiguration  "
                      "Path:%s",
                      configurationPath());
            XmlNode root = m_doc.setRoot(QStringLiteral("Configuration"));
            m_sectionsRead = SectionCount; // the new file holds exactly the lists
            for (const char* section : {"Ports", "Timer", "RIPs", "Requests", "Monitors"})
                root.appendChild(m_doc.createElement(QString::fromLatin1(section)));
            // The timer is read by position: its two attributes must be there.
            XmlNode timer = m_doc.selectSingleNode(sectionXPath("Timer"));
            timer.setAttribute(QStringLiteral("name"), now.timer->name());
            timer.setAttribute(QStringLiteral("port"), QString::number(now.timer->port()));
        }

        // 3. Ports.
        for (std::size_t i = 0; i < portLength; ++i) {
            if (portChanged[i])
                SetPortConfiguration(int(i + 1), *now.ports[i], false);
        }
        if (now.ports.size() > portLength) {
            for (std::size_t i = portLength; i < now.ports.size(); ++i)
                SetPortConfiguration(int(i + 1), *now.ports[i], true);
        } else {
            RemovePorts(int(portLength + 1));
        }

        // 4. The timer.
        if (timerChanged)
            SetTimerConfiguration(*now.timer);

        // 5. RIP streams, requests and monitors.
        for (std::size_t i = 0; i < ripLength; ++i) {
            if (ripChanged[i])
                SetRIPConfiguration(int(i + 1), *now.rips[i], false);
        }
        if (now.rips.size() > ripLength) {
            for (std::size_t i = ripLength; i < now.rips.size(); ++i)
                SetRIPConfiguration(int(i + 1), *now.rips[i], true);
        } else {
            RemoveRIPs(int(ripLength + 1));
        }

        for (std::size_t i = 0; i < requestLength; ++i) {
            if (requestChanged[i])
                SetRequestConfiguration(int(i + 1), *now.requests[i], false);
        }
        if (now.requests.size() > requestLength) {
            for (std::size_t i = requestLength; i < now.requests.size(); ++i)
                SetRequestConfiguration(int(i + 1), *now.requests[i], true);
        } else {
            RemoveRequests(int(requestLength + 1));
        }

        for (std::size_t i = 0; i < monitorLength; ++i) {
            if (monitorChanged[i])
                SetMonitorConfiguration(int(i + 1), *now.monitors[i], false);
        }
        if (now.monitors.size() > monitorLength) {
            for (std::size_t i = monitorLength; i < now.monitors.size(); ++i)
                SetMonitorConfiguration(int(i + 1), *now.monitors[i], true);
        } else {
            RemoveMonitors(int(monitorLength + 1));
        }

        // 6. Save.
        saved = saveDocument();
    }
    // The replaced ports close as they go, outside the lock.
    copy.clear();
    return saved;
}

bool OutputManager::saveDocument()
{
    if (m_doc.save(configurationPath()))
        return true;
    logReport("Failed to save the IO configuration.  Mgr::ApplyConfiguration  Path:%s, Error:%s",
              configurationPath(), errorDescription(m_doc.lastError()));
    return false;
}

// A section element, created (after logging) when the file lacks it, so that
// what the operator configured is not lost again at the next save.
static XmlNode sectionOrCreate(XmlDocument& doc, const char* section, const char* format,
                               const QString& xpath)
{
    XmlNode node = doc.selectSingleNode(sectionXPath(section));
    if (!node.isNull())
        return node;
    logReport(format, xpath);
    XmlNode root = doc.root();
    if (root.isNull())
        root = doc.setRoot(QStringLiteral("Configuration"));
    return root.appendChild(doc.createElement(QString::fromLatin1(section)));
}

void OutputManager::SetPortConfiguration(int number, const StreamPort& port, bool append)
{
    static const char* const missing =
        "Node doesn't exist in IO Configuration.  SetPortConfiguration XPath:%s";
    const QString xpath = elementXPath("Ports", "Port", number);
    XmlNode node = m_doc.selectSingleNode(xpath);
    if (node.isNull()) {
        if (!append)
            logReport(missing, xpath);
        XmlNode section = sectionOrCreate(m_doc, "Ports", missing, sectionXPath("Ports"));
        node = appendTemplate(m_doc, section, "Port", {"count", "name", "type"});
        if (node.isNull() || node.attributes().isEmpty()) {
            logReport("Failed to get the attribute.  SetPortConfiguration");
            return;
        }
    }
    const std::pair<const char*, QString> values[] = {{"count", QString::number(number)},
                                                      {"name", port.name()},
                                                      {"type", StreamPort::typeText(port.kind())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetPortConfiguration", attr);
    }
    SetPortSettings(node, xpath, port);
}

void OutputManager::SetPortSettings(const XmlNode& portNode, const QString& portXPath, const StreamPort& port)
{
    XmlNode settings = portNode.firstChildElement(QStringLiteral("Settings"));
    if (settings.isNull()) {
        logReport("Node does not exist.  SetPortSettings XPath:%s", portXPath + QStringLiteral("/Settings"));
        settings = XmlNode(portNode).appendChild(m_doc.createElement(QStringLiteral("Settings")));
    }

    const TxStreamSettings s = port.stream().settings();
    const int kind = port.kind();
    QString number = QStringLiteral("0");
    QString baudRate = QStringLiteral("0");
    QString dataBits = QStringLiteral("0");
    QString parity;
    QString host;
    QString device;
    if (kind == StreamPort::Serial) {
        number = QString::number(s.serialPort);
        baudRate = QString::number(s.baudRate);
        dataBits = QString::number(s.dataBits);
        parity = TxStream::parityName(s.parity);
        device = s.serialDevice;
    } else if (kind == StreamPort::Udp) {
        number = QString::number(s.udpPort);
        if (s.destinationHost != TxStreamSettings().destinationHost)
            host = s.destinationHost;
    } else if (kind == StreamPort::File) {
        // The file name, so that a file port keeps it across a save.
        number = s.fileName;
    }

    QStringList drop;
    if (host.isEmpty())
        drop << QStringLiteral("host");
    if (device.isEmpty())
        drop << QStringLiteral("device");
    settings = arrangeAttributes(m_doc, settings,
                                 {QStringLiteral("number"), QStringLiteral("baudrate"),
                                  QStringLiteral("databits"), QStringLiteral("parity")},
                                 drop);
    if (settings.isNull()) {
        logReport("Failed to get the attributes.  SetPortSettings");
        return;
    }
    std::vector<std::pair<const char*, QString>> values = {
        {"number", number}, {"baudrate", baudRate}, {"databits", dataBits}, {"parity", parity}};
    if (!host.isEmpty())
        values.emplace_back("host", host);
    if (!device.isEmpty())
        values.emplace_back("device", device);
    for (const auto& [attr, value] : values) {
        if (!settings.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetPortConfiguration", attr);
    }
}

void OutputManager::RemovePorts(int from)
{
    if (m_doc.selectSingleNode(sectionXPath("Ports")).isNull()) {
        logReport("Failed to get the node.  RemovePorts  XPath:%s", sectionXPath("Ports"));
        return;
    }
    if (!sectionRead(PortsSection)) {
        logReport("Elements that could not be loaded are kept.  RemovePorts  XPath:%s",
                  sectionXPath("Ports"));
        return;
    }
    removeFrom(m_doc, "Ports", "Port", from);
}

void OutputManager::SetTimerConfiguration(const TimerInput& timer)
{
    const QString xpath = sectionXPath("Timer");
    XmlNode node = m_doc.selectSingleNode(xpath);
    if (node.isNull()) {
        logReport("Failed to get the node.  SetTimerConfiguration XPath:%s", xpath);
        XmlNode root = m_doc.root();
        node = root.appendChild(m_doc.createElement(QStringLiteral("Timer")));
        if (node.isNull())
            return;
    }
    if (node.attributes().isEmpty())
        logReport("Failed to get the attributes.  SetTimerConfiguration Node:%s", node.xml());
    for (const char* attr : {"name", "port"}) {
        if (!node.hasAttribute(QString::fromLatin1(attr)))
            logReport("Failed to find the %s attribute.  SetTimerConfiguration", attr);
    }
    // Read back by position: the name first, then the port.
    node = arrangeAttributes(m_doc, node, {QStringLiteral("name"), QStringLiteral("port")});
    node.setAttribute(QStringLiteral("name"), timer.name());
    node.setAttribute(QStringLiteral("port"), QString::number(timer.port()));
}

void OutputManager::SetRIPConfiguration(int number, const RipStream& rip, bool append)
{
    static const char* const missing = "Failed to get the RIP node.  SetRIPConfiguration  XPath:%s";
    const QString xpath = elementXPath("RIPs", "RIP", number);
    XmlNode node = m_doc.selectSingleNode(xpath);
    if (node.isNull()) {
        if (!append)
            logReport(missing, xpath);
        XmlNode section = sectionOrCreate(m_doc, "RIPs", missing, sectionXPath("RIPs"));
        node = appendTemplate(m_doc, section, "RIP", {"count", "name", "port", "type"});
    }
    if (node.attributes().isEmpty()) {
        logReport("Failed to get the attributes.  SetRIPConfiguration  Node:%s", node.xml());
        if (node.isNull())
            return;
    }
    const std::pair<const char*, QString> values[] = {
        {"count", QString::number(number)},
        {"name", rip.name()},
        {"port", QString::number(rip.port())},
        {"type", RipStream::typeText(rip.type())},
        {"offset", QString::number(rip.offset())},
        {"breakupPackets", boolText(rip.breakupPackets())},
        {"updateEveryPacket", boolText(rip.updateEveryPacket())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetRIPConfiguration", attr);
    }
}

void OutputManager::RemoveRIPs(int from)
{
    if (m_doc.selectSingleNode(sectionXPath("RIPs")).isNull()) {
        logReport("Failed to get the node.  RemoveRIPs  XPath:%s", sectionXPath("RIPs"));
        return;
    }
    if (!sectionRead(RipsSection)) {
        logReport("Elements that could not be loaded are kept.  RemoveRIPs  XPath:%s", sectionXPath("RIPs"));
        return;
    }
    removeFrom(m_doc, "RIPs", "RIP", from);
}

void OutputManager::SetRequestConfiguration(int number, const RequestLink& request, bool append)
{
    static const char* const missing = "Failed to get the node.  SetRequestConfiguration  XPath:%s";
    const QString xpath = elementXPath("Requests", "Request", number);
    XmlNode node = m_doc.selectSingleNode(xpath);
    if (node.isNull()) {
        if (!append)
            logReport(missing, xpath);
        XmlNode section = sectionOrCreate(m_doc, "Requests", missing, sectionXPath("Requests"));
        node = appendTemplate(m_doc, section, "Request", {"count", "name", "reqport", "sendport"});
    }
    if (node.attributes().isEmpty()) {
        logReport("Failed to get the attributes.  SetRequestConfiguration  Node:%s", node.xml());
        if (node.isNull())
            return;
    }
    // Read back in document order: name, request port, send port.
    node = arrangeAttributes(m_doc, node,
                             {QStringLiteral("name"), QStringLiteral("reqport"), QStringLiteral("sendport")});
    const std::pair<const char*, QString> values[] = {{"count", QString::number(number)},
                                                      {"name", request.name()},
                                                      {"reqport", QString::number(request.requestPort())},
                                                      {"sendport", QString::number(request.sendPort())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetRequestConfiguration", attr);
    }
}

void OutputManager::RemoveRequests(int from)
{
    if (m_doc.selectSingleNode(sectionXPath("Requests")).isNull()) {
        logReport("Failed to get the node.  RemoveRequests  XPath:%s", sectionXPath("Requests"));
        return;
    }
    if (!sectionRead(RequestsSection)) {
        logReport("Elements that could not be loaded are kept.  RemoveRequests  XPath:%s",
                  sectionXPath("Requests"));
        return;
    }
    removeFrom(m_doc, "Requests", "Request", from);
}

void OutputManager::SetMonitorConfiguration(int number, const MonitorStream& monitor, bool append)
{
    static const char* const missing = "Failed to get the node.  SetMonitorConfiguration  XPath:%s";
    const QString xpath = elementXPath("Monitors", "Monitor", number);
    XmlNode node = m_doc.selectSingleNode(xpath);
    if (node.isNull()) {
        if (!append)
            logReport(missing, xpath);
        XmlNode section = sectionOrCreate(m_doc, "Monitors", missing, sectionXPath("Monitors"));
        node = appendTemplate(m_doc, section, "Monitor", {"count", "name", "port", "protocol"});
    }
    if (node.attributes().isEmpty()) {
        logReport("Failed to get the attributes.  SetMonitorConfiguration  Node:%s", node.xml());
        if (node.isNull())
            return;
    }
    node = arrangeAttributes(m_doc, node,
                             {QStringLiteral("name"), QStringLiteral("port"), QStringLiteral("protocol")});
    const std::pair<const char*, QString> values[] = {
        {"count", QString::number(number)},
        {"name", monitor.name()},
        {"port", QString::number(monitor.port())},
        {"protocol", MonitorStream::protocolText(monitor.protocol())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetMonitorConfiguration", attr);
    }
}

void OutputManager::RemoveMonitors(int from)
{
    if (m_doc.selectSingleNode(sectionXPath("Monitors")).isNull()) {
        logReport("Failed to get the node.  RemoveMonitors  XPath:%s", sectionXPath("Monitors"));
        return;
    }
    if (!sectionRead(MonitorsSection)) {
        logReport("Elements that could not be loaded are kept.  RemoveMonitors  XPath:%s",
                  sectionXPath("Monitors"));
        return;
    }
    removeFrom(m_doc, "Monitors", "Monitor", from);
}
