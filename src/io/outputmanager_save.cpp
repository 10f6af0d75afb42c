// Applying an edited configuration and rewriting the changed parts of "IO.xml".
#include "app/log.h"
#include "app/textnumber.h"
#include "app/unreadablefile.h"
#include "app/userprompt.h"
#include "outputmanager.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"

#include <QFileInfo>
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

// Removes the elements of the items past keep (counts holds each item's count).
// In a section that was read whole those are the counts from keep + 1 on; in
// one a failed load read only in part, the elements it never read are kept.
void removeOwned(XmlDocument& doc, const char* section, const char* element, std::vector<int>& counts,
                 std::size_t keep, bool sectionRead, const char* writer)
{
    if (sectionRead) {
        removeFrom(doc, section, element, int(keep + 1));
    } else {
        logReport("Elements that could not be loaded are kept.  %s  XPath:%s", writer, sectionXPath(section));
        for (std::size_t i = keep; i < counts.size(); ++i) {
            for (const XmlNode& node : doc.selectNodes(elementXPath(section, element, counts[i])))
                node.parent().removeChild(node);
        }
    }
    counts.resize(keep);
}

} // namespace

bool OutputManager::ApplyConfiguration(IoConfiguration& copy)
{
    if (m_commsStarted)
        StopCommunications(); // nothing may run on the lists being replaced
    copy.attachUsers();

    bool saved = false;
    QString notice;
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
        now.timer->takeOverFeed(*copy.timer);
        now.attachUsers();

        const bool fresh = m_doc.isEmpty();
        if (fresh) {
            // The file could not be read at start: write a whole new one.
            logReport("The IO configuration was not loaded; a new one is written.  Mgr::ApplyConfiguration  "
                      "Path:%s",
                      configurationPath());
            XmlNode root = m_doc.setRoot(QStringLiteral("Configuration"));
            m_sectionsRead = SectionCount; // the new file holds exactly the lists
            for (std::vector<int>& counts : m_fileCounts)
                counts.clear(); // every item is appended
            for (const char* section : {"Ports", "Timer", "RIPs", "Requests", "Monitors"})
                root.appendChild(m_doc.createElement(QString::fromLatin1(section)));
            // The timer is read by position: its two attributes must be there.
            XmlNode timer = m_doc.selectSingleNode(sectionXPath("Timer"));
            timer.setAttribute(QStringLiteral("name"), now.timer->name());
            timer.setAttribute(QStringLiteral("port"), QString::number(filePortNumber(now.timer->port())));
        }

        // 3. Ports first: the other sections refer to their counts. An item
        // rewrites the element it was read from or last written to when it
        // changed; a new one gets a new element; then the elements of items
        // that are gone are removed.
        auto writeList = [this](std::vector<int>& counts, const auto& items, const std::vector<bool>& changed,
                                const char* section, const char* element, auto write, auto remove) {
            const bool appended = items.size() > counts.size();
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (i < counts.size()) {
                    if (i < changed.size() && changed[i])
                        (this->*write)(counts[i], *items[i], false);
                } else {
                    counts.push_back(nextCount(section, element));
                    (this->*write)(counts.back(), *items[i], true);
                }
            }
            if (!appended)
                (this->*remove)(items.size());
        };
        writeList(m_fileCounts[PortsSection], now.ports, portChanged, "Ports", "Port",
                  &OutputManager::SetPortConfiguration, &OutputManager::RemovePorts);

        // 4. The timer.
        if (timerChanged)
            SetTimerConfiguration(*now.timer);

        // 5. RIP streams, requests and monitors, the same way.
        writeList(m_fileCounts[RipsSection], now.rips, ripChanged, "RIPs", "RIP",
                  &OutputManager::SetRIPConfiguration, &OutputManager::RemoveRIPs);
        writeList(m_fileCounts[RequestsSection], now.requests, requestChanged, "Requests", "Request",
                  &OutputManager::SetRequestConfiguration, &OutputManager::RemoveRequests);
        writeList(m_fileCounts[MonitorsSection], now.monitors, monitorChanged, "Monitors", "Monitor",
                  &OutputManager::SetMonitorConfiguration, &OutputManager::RemoveMonitors);

        // 6. Save, once the file as a failed load left it is safe beside.
        const QString reason = m_unreadReason;
        QString kept;
        if (keepUnreadFile(kept)) {
            saved = saveDocument();
            if (!kept.isEmpty()) {
                notice =
                    fresh ? QStringLiteral("\"IO.xml\" could not be read: %1\n\nThe file as it was is kept "
                                           "as \"%2\". A new \"IO.xml\" is written from this configuration.")
                                .arg(reason, kept)
                          : QStringLiteral("\"IO.xml\" could not be read completely: %1\n\nThe file as it "
                                           "was is kept as \"%2\". The parts that could not be read are left "
                                           "as they were in \"IO.xml\".")
                                .arg(reason, kept);
            }
        }
    }
    // The replaced ports close as they go, outside the lock.
    copy.clear();
    // Shown without the lock held: the message box runs an event loop.
    if (!notice.isEmpty())
        m_prompt.warn(notice);
    return saved;
}

bool OutputManager::keepUnreadFile(QString& kept)
{
    kept.clear();
    if (m_unreadReason.isEmpty())
        return true;
    const QString path = configurationPath();
    if (!QFileInfo::exists(path)) {
        m_unreadReason.clear(); // nothing there to keep
        return true;
    }
    QString error;
    kept = UnreadableFile::keep(path, error);
    if (kept.isEmpty()) {
        // Written over, the only copy of what could not be read would be lost.
        logReport("Failed to keep the IO configuration that could not be read; it is not written.  "
                  "Mgr::ApplyConfiguration  Path:%s, Error:%s",
                  path, errorDescription(error));
        return false;
    }
    logReport(
        "The IO configuration that could not be read is kept.  Mgr::ApplyConfiguration  Path:%s, Kept:%s",
        path, kept);
    m_unreadReason.clear();
    return true;
}

int OutputManager::nextCount(const char* section, const char* element) const
{
    int highest = 0;
    for (const XmlNode& count : m_doc.selectNodes(formatMessage("//%s/%s/@%s", section, element, "count")))
        highest = std::max(highest, leadingInt(count.text()));
    return highest + 1;
}

int OutputManager::filePortNumber(int number) const
{
    const std::vector<int>& counts = m_fileCounts[PortsSection];
    if (number < 1 || std::size_t(number) > counts.size())
        return number;
    return counts[std::size_t(number - 1)];
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

void OutputManager::RemovePorts(std::size_t keep)
{
    std::vector<int>& counts = m_fileCounts[PortsSection];
    if (m_doc.selectSingleNode(sectionXPath("Ports")).isNull()) {
        logReport("Failed to get the node.  RemovePorts  XPath:%s", sectionXPath("Ports"));
        counts.resize(keep);
        return;
    }
    removeOwned(m_doc, "Ports", "Port", counts, keep, sectionRead(PortsSection), "RemovePorts");
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
    node.setAttribute(QStringLiteral("port"), QString::number(filePortNumber(timer.port())));
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
        {"port", QString::number(filePortNumber(rip.port()))},
        {"type", RipStream::typeText(rip.type())},
        {"offset", QString::number(rip.offset())},
        {"breakupPackets", boolText(rip.breakupPackets())},
        {"updateEveryPacket", boolText(rip.updateEveryPacket())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetRIPConfiguration", attr);
    }
}

void OutputManager::RemoveRIPs(std::size_t keep)
{
    std::vector<int>& counts = m_fileCounts[RipsSection];
    if (m_doc.selectSingleNode(sectionXPath("RIPs")).isNull()) {
        logReport("Failed to get the node.  RemoveRIPs  XPath:%s", sectionXPath("RIPs"));
        counts.resize(keep);
        return;
    }
    removeOwned(m_doc, "RIPs", "RIP", counts, keep, sectionRead(RipsSection), "RemoveRIPs");
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
    const std::pair<const char*, QString> values[] = {
        {"count", QString::number(number)},
        {"name", request.name()},
        {"reqport", QString::number(filePortNumber(request.requestPort()))},
        {"sendport", QString::number(filePortNumber(request.sendPort()))}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetRequestConfiguration", attr);
    }
}

void OutputManager::RemoveRequests(std::size_t keep)
{
    std::vector<int>& counts = m_fileCounts[RequestsSection];
    if (m_doc.selectSingleNode(sectionXPath("Requests")).isNull()) {
        logReport("Failed to get the node.  RemoveRequests  XPath:%s", sectionXPath("Requests"));
        counts.resize(keep);
        return;
    }
    removeOwned(m_doc, "Requests", "Request", counts, keep, sectionRead(RequestsSection), "RemoveRequests");
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
        {"port", QString::number(filePortNumber(monitor.port()))},
        {"protocol", MonitorStream::protocolText(monitor.protocol())}};
    for (const auto& [attr, value] : values) {
        if (!node.setAttribute(QString::fromLatin1(attr), value))
            logReport("Failed to get the %s attribute.  SetMonitorConfiguration", attr);
    }
}

void OutputManager::RemoveMonitors(std::size_t keep)
{
    std::vector<int>& counts = m_fileCounts[MonitorsSection];
    if (m_doc.selectSingleNode(sectionXPath("Monitors")).isNull()) {
        logReport("Failed to get the node.  RemoveMonitors  XPath:%s", sectionXPath("Monitors"));
        counts.resize(keep);
        return;
    }
    removeOwned(m_doc, "Monitors", "Monitor", counts, keep, sectionRead(MonitorsSection), "RemoveMonitors");
}
