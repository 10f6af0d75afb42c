// Loading the input/output configuration from "IO.xml".
#include "app/log.h"
#include "app/textnumber.h"
#include "app/userprompt.h"
#include "outputmanager.h"
#include "platform/stream/txstream.h"

namespace {

const char* const kCount = "count";

QString xpathOf(const char* name)
{
    return formatMessage("//%s", name);
}

QString xpathOfCount(const char* name, int count)
{
    return formatMessage("//%s[@%s = '%d']", name, kCount, count);
}

// Parity from its first letter; other letters leave it as it is.
void applyParity(TxStream& stream, const QString& text)
{
    static const QString letters = QStringLiteral("NOEMS");
    if (text.isEmpty())
        return;
    const qsizetype index = letters.indexOf(text.at(0));
    if (index >= 0)
        stream.setParity(int(index));
}

} // namespace

int OutputManager::LoadConfiguration(bool openPorts)
{
    if (m_commsStarted)
        StopCommunications();
    ClosePorts();

    QString failure;
    IoConfiguration replaced;
    {
        QMutexLocker lock(&m_refreshMutex);
        replaced = std::move(m_config); // the old lists go once the lock is released
        failure = loadSections();
        m_config.timer->takeOverFeed(*replaced.timer);
    }
    replaced.clear();

    if (!failure.isEmpty()) {
        // Shown without the lock held: the message box runs an event loop.
        m_prompt.inform(failure);
        return -1;
    }
    if (openPorts)
        OpenPorts();
    return 0;
}

QString OutputManager::loadSections()
{
    m_sectionsRead = 0;
    for (std::vector<int>& counts : m_fileCounts)
        counts.clear();
    m_unreadReason.clear();
    if (!m_doc.load(configurationPath())) {
        // The parser's own words (line and column) say more than our message.
        m_unreadReason = m_doc.lastError();
        return QStringLiteral("The Input/Output configuration file does not exist.");
    }
    for (QString (OutputManager::*section)() :
         {&OutputManager::loadPorts, &OutputManager::loadTimer, &OutputManager::loadRips,
          &OutputManager::loadRequests, &OutputManager::loadMonitors}) {
        const QString failure = (this->*section)();
        if (!failure.isEmpty()) {
            m_unreadReason = failure;
            return failure;
        }
        ++m_sectionsRead;
    }
    return QString();
}

QString OutputManager::loadPorts()
{
    if (m_doc.selectSingleNode(xpathOf("Ports")).isNull())
        return QStringLiteral("Failed to load the ports.");
    const QString parseFailure = QStringLiteral("Failed to parse the ports.");
    m_config.ports.clear();

    const qsizetype count = m_doc.selectNodes(xpathOf("Port")).size();
    for (int i = 0; i < count; ++i) {
        const XmlNode node = m_doc.selectSingleNode(xpathOfCount("Port", i + 1));
        if (node.isNull() || !node.hasAttribute(QStringLiteral("name")) ||
            !node.hasAttribute(QStringLiteral("type")))
            return parseFailure;
        const QString type = node.attribute(QStringLiteral("type"));

        // The Settings attributes are read by position; the optional extras
        // after the four (destination host, serial device) by name.
        const XmlNode settings = node.firstChildElement(QStringLiteral("Settings"));
        const QList<XmlNode> values = settings.attributes();
        auto port = std::make_unique<StreamPort>();
        TxStream& stream = port->stream();
        switch (StreamPort::kindFromType(type)) {
        case StreamPort::Serial:
            if (values.size() < 4)
                return parseFailure;
            stream.setKind(TxStream::Serial);
            stream.setSerialPortNumber(leadingInt(values[0].text()));
            stream.setBaudRate(leadingInt(values[1].text()));
            stream.setDataBits(leadingInt(values[2].text()));
            applyParity(stream, values[3].text());
            if (settings.hasAttribute(QStringLiteral("device")))
                stream.setSerialDevice(settings.attribute(QStringLiteral("device")));
            break;
        case StreamPort::Udp:
            if (values.isEmpty())
                return parseFailure;
            stream.setKind(TxStream::Udp);
            stream.setUdpPort(leadingInt(values[0].text()));
            if (settings.hasAttribute(QStringLiteral("host"))) {
                const QString host = settings.attribute(QStringLiteral("host"));
                if (TxStream::isValidHost(host))
                    stream.setDestinationHost(host);
                else
                    logReport("The destination host is not valid.  Mgr::LoadConfiguration  Port:%s, Host:%s",
                              node.attribute(QStringLiteral("name")), host);
            }
            break;
        case StreamPort::File:
            if (values.isEmpty())
                return parseFailure;
            stream.setKind(TxStream::File);
            stream.setFileName(values[0].text());
            break;
        default:
            break; // a port without kind: it exists but never opens
        }
        port->setName(node.attribute(QStringLiteral("name")));
        m_config.ports.push_back(std::move(port));
        m_fileCounts[PortsSection].push_back(i + 1);
    }
    return QString();
}

QString OutputManager::loadTimer()
{
    if (m_doc.selectSingleNode(xpathOf("Timer")).isNull())
        return QStringLiteral("Failed to load the timer.");
    // By position: the first attribute is the name, the second the port.
    const QList<XmlNode> values = m_doc.selectNodes(formatMessage("//%s/@*", "Timer"));
    if (values.size() < 2)
        return QStringLiteral("Failed to parse the timer.");
    m_config.timer->setName(values[0].text());
    m_config.timer->setPort(leadingInt(values[1].text()));
    if (m_config.timer->port() > 0) {
        if (StreamPort* port = m_config.port(m_config.timer->port()))
            port->attachUser(m_config.timer.get());
    }
    return QString();
}

QString OutputManager::loadRips()
{
    if (m_doc.selectSingleNode(xpathOf("RIPs")).isNull())
        return QStringLiteral("Failed to load the RIPs.");
    const QString parseFailure = QStringLiteral("Failed to parse the RIPs.");
    m_config.rips.clear();

    const qsizetype count = m_doc.selectNodes(xpathOf("RIP")).size();
    for (int i = 0; i < count; ++i) {
        const XmlNode node = m_doc.selectSingleNode(xpathOfCount("RIP", i + 1));
        if (node.isNull())
            return parseFailure;
        for (const char* required : {"name", "port", "type"}) {
            if (!node.hasAttribute(QString::fromLatin1(required)))
                return parseFailure;
        }
        auto rip = std::make_unique<RipStream>();
        rip->setName(node.attribute(QStringLiteral("name")));
        rip->setPort(leadingInt(node.attribute(QStringLiteral("port"))));
        rip->setType(RipStream::typeFromText(node.attribute(QStringLiteral("type"))));
        if (node.hasAttribute(QStringLiteral("offset")))
            rip->setOffset(leadingInt(node.attribute(QStringLiteral("offset"))));
        if (node.hasAttribute(QStringLiteral("breakupPackets")))
            rip->setBreakupPackets(node.attribute(QStringLiteral("breakupPackets")) == QLatin1String("true"));
        if (node.hasAttribute(QStringLiteral("updateEveryPacket")))
            rip->setUpdateEveryPacket(node.attribute(QStringLiteral("updateEveryPacket")) ==
                                      QLatin1String("true"));
        if (StreamPort* port = m_config.port(rip->port()))
            port->attachUser(rip.get());
        m_config.rips.push_back(std::move(rip));
        m_fileCounts[RipsSection].push_back(i + 1);
    }
    return QString();
}

QString OutputManager::loadRequests()
{
    if (m_doc.selectSingleNode(xpathOf("Requests")).isNull())
        return QStringLiteral("Failed to load the requests.");
    m_config.requests.clear();

    const qsizetype count = m_doc.selectNodes(xpathOf("Request")).size();
    for (int i = 0; i < count; ++i) {
        // The three attributes are taken in document order.
        const QList<XmlNode> values = m_doc.selectNodes(
            formatMessage("//%s[@%s = '%d']/@*[%s() = '%s' or %s() = '%s' or %s() = '%s']", "Request", kCount,
                          i + 1, "name", "name", "name", "reqport", "name", "sendport"));
        if (values.size() < 3)
            return QStringLiteral("Failed to parse the requests.");
        auto request = std::make_unique<RequestLink>();
        request->setName(values[0].text());
        request->setRequestPort(leadingInt(values[1].text()));
        request->setSendPort(leadingInt(values[2].text()));
        m_config.requests.push_back(std::move(request));
        m_fileCounts[RequestsSection].push_back(i + 1);
    }
    return QString();
}

QString OutputManager::loadMonitors()
{
    if (m_doc.selectSingleNode(xpathOf("Monitors")).isNull())
        return QStringLiteral("Failed to load the monitors.");
    m_config.monitors.clear();

    const qsizetype count = m_doc.selectNodes(xpathOf("Monitor")).size();
    for (int i = 0; i < count; ++i) {
        const QList<XmlNode> values = m_doc.selectNodes(
            formatMessage("//%s[@%s = '%d']/@*[%s() = '%s' or %s() = '%s' or %s() = '%s']", "Monitor", kCount,
                          i + 1, "name", "name", "name", "port", "name", "protocol"));
        if (values.size() < 3)
            return QStringLiteral("Failed to parse the monitors.");
        auto monitor = std::make_unique<MonitorStream>();
        monitor->setName(values[0].text());
        monitor->setPort(leadingInt(values[1].text()));
        monitor->setProtocol(MonitorStream::protocolFromText(values[2].text()));
        if (StreamPort* port = m_config.port(monitor->port()))
            port->attachUser(monitor.get());
        m_config.monitors.push_back(std::move(monitor));
        m_fileCounts[MonitorsSection].push_back(i + 1);
    }
    return QString();
}
