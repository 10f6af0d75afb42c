#include "txstream.h"

#include "serialportmap.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QThread>

namespace {

// Indexed by kind.
const char* const ProgIds[] = {"",
                               "TxSCom.TxStreamCom",
                               "TxSUdp.TxStreamUdp",
                               "TxSFile.TxStreamFile",
                               "TxSHttp.TxStreamHttp",
                               "TxSTcp.TxStreamTcp",
                               "TxSIpx.TxStreamIpx"};
constexpr int KindCount = 7;

const char* const ParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};

} // namespace

QString TxStream::kindProgId(int kind)
{
    if (kind < 1 || kind >= KindCount)
        return QString();
    return QString::fromLatin1(ProgIds[kind]);
}

int TxStream::kindFromName(const QString& name)
{
    QString base = name.trimmed();
    if (base.endsWith(QLatin1String(".1")))
        base.chop(2);
    for (int kind = 1; kind < KindCount; ++kind) {
        if (base.compare(QLatin1String(ProgIds[kind]), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return 0;
}

QString TxStream::parityName(int parity)
{
    if (parity < 0 || parity > 4)
        return QString();
    return QString::fromLatin1(ParityNames[parity]);
}

bool TxStream::isValidHost(const QString& host)
{
    if (host.isEmpty() || host != host.trimmed())
        return false;
    // Digits and dots only: an IPv4 address, written in full (the short forms
    // such as "10.1" that the resolver also takes are almost always typing slips).
    static const QRegularExpression dotted(QStringLiteral("^[0-9.]+$"));
    if (dotted.match(host).hasMatch())
        return host.count(QLatin1Char('.')) == 3 &&
               QHostAddress(host).protocol() == QAbstractSocket::IPv4Protocol;
    QHostAddress address;
    if (address.setAddress(host))
        return true;
    // A name: dot-separated labels of letters, digits and inner hyphens (an
    // all-numeric text is an address, checked above, not a name).
    static const QRegularExpression label(QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (host.size() > 253)
        return false;
    QString name = host;
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    const QStringList labels = name.split(QLatin1Char('.'));
    bool allDigits = true;
    for (const QString& part : labels) {
        if (!label.match(part).hasMatch())
            return false;
        for (const QChar c : part)
            allDigits = allDigits && (c.isDigit() || c == QLatin1Char('-'));
    }
    return !allDigits;
}

TxStream::TxStream(QObject* parent) : QObject(parent), m_protocol(*this) {}

TxStream::~TxStream()
{
    if (onIoThread()) {
        // Deleted by its own receiver: the thread cannot be waited for from
        // inside; it ends as soon as the receiver returns to its event loop.
        QWriteLocker lifecycle(&m_lifecycle);
        m_protocol.detach();
        m_thread->quit();
        releaseThread(true);
        return;
    }
    close();
}

TxStreamSettings TxStream::settings() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings;
}

void TxStream::setSettings(const TxStreamSettings& settings)
{
    QMutexLocker lock(&m_mutex);
    m_settings = settings;
}

void TxStream::copySettings(const TxStream& other)
{
    if (&other == this)
        return;
    setSettings(other.settings());
}

bool TxStream::setKind(int kind)
{
    if (kind < 0 || kind >= KindCount)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.kind = kind;
    return true;
}

bool TxStream::setKind(const QString& name)
{
    const int kind = kindFromName(name);
    return kind != 0 && setKind(kind);
}

int TxStream::kind() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.kind;
}

QString TxStream::kindName() const
{
    const QString progId = kindProgId(kind());
    return progId.isEmpty() ? QString() : progId + QStringLiteral(".1");
}

void TxStream::setName(const QString& name)
{
    QMutexLocker lock(&m_mutex);
    m_settings.name = name;
}

QString TxStream::name() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.name;
}

QString TxStream::settingsText() const
{
    const TxStreamSettings s = settings();
    switch (s.kind) {
    case Serial: {
        QString device = resolvedSerialDevice();
        if (device.isEmpty())
            device = QStringLiteral("no device");
        return QStringLiteral("COM%1 (%2), %3, %4, %5")
            .arg(s.serialPort)
            .arg(device)
            .arg(s.baudRate)
            .arg(s.dataBits)
            .arg(parityName(s.parity));
    }
    case Udp:
        return QStringLiteral("UDP port %1, destination %2").arg(s.udpPort).arg(s.destinationHost);
    case File:
        return s.fileName.isEmpty() ? QStringLiteral("File (no name)")
                                    : QStringLiteral("File %1").arg(s.fileName);
    case Tcp:
        return QStringLiteral("TCP %1:%2").arg(s.tcpHost).arg(s.tcpPort);
    case Http:
        return QStringLiteral("HTTP (not supported)");
    case Ipx:
        return QStringLiteral("IPX (not supported)");
    default:
        return QStringLiteral("No stream kind");
    }
}

bool TxStream::setSerialPortNumber(int number)
{
    if (number < 0)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.serialPort = number;
    return true;
}

bool TxStream::setSerialPort(const QString& portName)
{
    static const QRegularExpression pattern(QStringLiteral("^COM(\\d{1,6})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(portName.trimmed());
    return match.hasMatch() && setSerialPortNumber(match.captured(1).toInt());
}

int TxStream::serialPortNumber() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.serialPort;
}

QString TxStream::serialPortName() const
{
    return QStringLiteral("COM%1").arg(serialPortNumber());
}

void TxStream::setSerialDevice(const QString& devicePath)
{
    QMutexLocker lock(&m_mutex);
    m_settings.serialDevice = devicePath.trimmed();
}

QString TxStream::serialDevice() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.serialDevice;
}

QString TxStream::resolvedSerialDevice() const
{
    const TxStreamSettings s = settings();
    if (!s.serialDevice.isEmpty())
        return s.serialDevice;
    return SerialPortMap::deviceFor(s.serialPort, SerialPortMap::systemDevices());
}

bool TxStream::setBaudRate(int baudRate)
{
    if (baudRate <= 0)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.baudRate = baudRate;
    return true;
}

int TxStream::baudRate() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.baudRate;
}

bool TxStream::setDataBits(int dataBits)
{
    if (dataBits < 5 || dataBits > 8)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.dataBits = dataBits;
    return true;
}

int TxStream::dataBits() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.dataBits;
}

bool TxStream::setParity(int parity)
{
    if (parity < 0 || parity > 4)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.parity = parity;
    return true;
}

int TxStream::parity() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.parity;
}

bool TxStream::setUdpPort(int port)
{
    if (port < 0 || port > 65535)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.udpPort = port;
    return true;
}

int TxStream::udpPort() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.udpPort;
}

void TxStream::setDestinationHost(const QString& host)
{
    QMutexLocker lock(&m_mutex);
    m_settings.destinationHost = host.trimmed();
}

QString TxStream::destinationHost() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.destinationHost;
}

void TxStream::setListenAddress(const QString& address)
{
    QMutexLocker lock(&m_mutex);
    m_settings.listenAddress = address.trimmed();
}

QString TxStream::listenAddress() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.listenAddress;
}

void TxStream::setTcpHost(const QString& host)
{
    QMutexLocker lock(&m_mutex);
    m_settings.tcpHost = host.trimmed();
}

QString TxStream::tcpHost() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.tcpHost;
}

bool TxStream::setTcpPort(int port)
{
    if (port < 0 || port > 65535)
        return false;
    QMutexLocker lock(&m_mutex);
    m_settings.tcpPort = port;
    return true;
}

int TxStream::tcpPort() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.tcpPort;
}

void TxStream::setFileName(const QString& fileName)
{
    QMutexLocker lock(&m_mutex);
    m_settings.fileName = fileName;
}

QString TxStream::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.fileName;
}

void TxStream::setHostLookup(HostLookup lookup)
{
    QMutexLocker lock(&m_mutex);
    m_hostLookup = std::move(lookup);
}

void TxStream::setLastError(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    m_lastError = text;
}

QString TxStream::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}
