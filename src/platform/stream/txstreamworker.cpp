#include "txstreamworker.h"

#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <exception>

namespace {

QSerialPort::Parity toSerialParity(int parity)
{
    switch (parity) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

} // namespace

TxStreamWorker::TxStreamWorker(std::shared_ptr<TxStreamLink> link, const TxStreamSettings& settings,
                               const QString& serialDevice, TxStream::HostLookup lookup)
    : m_link(std::move(link)), m_settings(settings), m_serialDevice(serialDevice), m_lookup(std::move(lookup))
{
}

TxStreamWorker::~TxStreamWorker()
{
    closeDevice();
}

QString TxStreamWorker::label() const
{
    return m_settings.name.isEmpty() ? QStringLiteral("the stream")
                                     : QStringLiteral("\"%1\"").arg(m_settings.name);
}

int TxStreamWorker::openDevice(bool receiving, QString* error)
{
    closeDevice();
    m_failed = false;
    m_failure.clear();
    m_droppedPieces = 0;
    m_dropping = false;
    m_decoder.clear();
    m_receiving = receiving;
    switch (m_settings.kind) {
    case TxStream::Serial:
        return openSerial(error);
    case TxStream::Udp:
        return openUdp(receiving, error);
    case TxStream::Tcp:
        return openTcp(error);
    case TxStream::File:
        return openFile(error);
    default:
        *error = QStringLiteral("Streams of this kind cannot be opened.");
        return TxStream::StatusNotSupported;
    }
}

int TxStreamWorker::openSerial(QString* error)
{
    const QString portName = QStringLiteral("COM%1").arg(m_settings.serialPort);
    if (m_serialDevice.isEmpty()) {
        *error = QStringLiteral("%1 does not name a serial device of this machine.").arg(portName);
        return TxStream::StatusFailed;
    }
    if (m_settings.dataBits < 5 || m_settings.dataBits > 8 || m_settings.baudRate <= 0) {
        *error = QStringLiteral("%1: %2 data bits at %3 baud cannot be set.")
                     .arg(portName)
                     .arg(m_settings.dataBits)
                     .arg(m_settings.baudRate);
        return TxStream::StatusFailed;
    }
    m_serial = new QSerialPort(this);
    m_serial->setPortName(m_serialDevice);
    m_serial->setBaudRate(m_settings.baudRate);
    m_serial->setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits));
    m_serial->setParity(toSerialParity(m_settings.parity));
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("%1 (%2) cannot be opened: %3")
                     .arg(portName, m_serialDevice, m_serial->errorString());
        delete m_serial;
        m_serial = nullptr;
        return TxStream::StatusFailed;
    }
    connect(m_serial, &QSerialPort::readyRead, this, &TxStreamWorker::readStream);
    connect(m_serial, &QSerialPort::bytesWritten, this, &TxStreamWorker::pump);
    connect(m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError code) { serialError(code); });
    m_ready = true;
    return TxStream::StatusOk;
}

void TxStreamWorker::serialError(int code)
{
    if (code == QSerialPort::NoError || !m_serial)
        return;
    const QString text =
        QStringLiteral("%1 (%2): %3")
            .arg(QStringLiteral("COM%1").arg(m_settings.serialPort), m_serialDevice, m_serial->errorString());
    // A driver whose output buffer is full reports a resource error too, and so
    // does an adapter that was pulled out; only the second takes its device
    // file with it.
    const bool gone = code == QSerialPort::DeviceNotFoundError || code == QSerialPort::PermissionError ||
                      (code == QSerialPort::ResourceError && !QFileInfo::exists(m_serialDevice));
    if (gone)
        deviceFailed(text);
    else if (code == QSerialPort::ResourceError)
        m_serial->clearError(); // the bytes stay buffered and go when the driver has room
    else
        reportError(text);
}

int TxStreamWorker::openUdp(bool receiving, QString* error)
{
    const int port = m_settings.udpPort;
    if (port < 1 || port > 65535) {
        *error = QStringLiteral("The UDP port %1 is not between 1 and 65535.").arg(port);
        return TxStream::StatusFailed;
    }
    const QString host = m_settings.destinationHost.trimmed();
    if (!TxStream::isValidHost(host)) {
        *error = QStringLiteral("The destination host \"%1\" is not a valid address or name.").arg(host);
        return TxStream::StatusFailed;
    }
    m_udp = new QUdpSocket(this);
    connect(m_udp, &QUdpSocket::readyRead, this, &TxStreamWorker::readDatagrams);
    // A socket Qt closed on its own is no longer offered to senders.
    connect(m_udp, &QUdpSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state == QAbstractSocket::UnconnectedState)
            m_link->direct.withdraw();
    });
    if (receiving) {
        const int status = bindUdp(error);
        if (status < 0)
            return status;
    }
    if (m_destination.setAddress(host))
        m_ready = true;
    else
        lookUp(host);
    return TxStream::StatusOk;
}

int TxStreamWorker::bindUdp(QString* error)
{
    QHostAddress local(QHostAddress::Any);
    if (!m_settings.listenAddress.isEmpty() && !local.setAddress(m_settings.listenAddress)) {
        *error = QStringLiteral("The listen address \"%1\" is not valid.").arg(m_settings.listenAddress);
        return TxStream::StatusFailed;
    }
    // Never share: a second program on the same port would silently take our data.
    if (!m_udp->bind(local, static_cast<quint16>(m_settings.udpPort), QAbstractSocket::DontShareAddress)) {
        *error = QStringLiteral("UDP port %1 cannot be opened for receiving: %2")
                     .arg(m_settings.udpPort)
                     .arg(m_udp->errorString());
        m_udp->abort();
        return TxStream::StatusFailed;
    }
    return TxStream::StatusOk;
}

int TxStreamWorker::openTcp(QString* error)
{
    const int port = m_settings.tcpPort;
    if (port < 1 || port > 65535) {
        *error = QStringLiteral("The TCP port %1 is not between 1 and 65535.").arg(port);
        return TxStream::StatusFailed;
    }
    const QString host = m_settings.tcpHost.trimmed();
    if (!TxStream::isValidHost(host)) {
        *error = QStringLiteral("The host \"%1\" is not a valid address or name.").arg(host);
        return TxStream::StatusFailed;
    }
    m_tcp = new QTcpSocket(this);
    QHostAddress address;
    if (address.setAddress(host)) {
        // An address needs no lookup: connect now, so that nobody listening
        // fails the open itself.
        m_tcp->connectToHost(address, static_cast<quint16>(port));
        if (!m_tcp->waitForConnected(TxStream::TcpConnectTimeoutMs)) {
            *error =
                QStringLiteral("Cannot connect to %1:%2: %3").arg(host).arg(port).arg(m_tcp->errorString());
            delete m_tcp;
            m_tcp = nullptr;
            return TxStream::StatusFailed;
        }
        m_ready = true;
    }
    connect(m_tcp, &QTcpSocket::readyRead, this, &TxStreamWorker::readStream);
    connect(m_tcp, &QTcpSocket::bytesWritten, this, &TxStreamWorker::pump);
    connect(m_tcp, &QTcpSocket::disconnected, this, [this] {
        deviceFailed(QStringLiteral("The connection to %1:%2 was closed.")
                         .arg(m_settings.tcpHost)
                         .arg(m_settings.tcpPort));
    });
    if (!m_ready)
        lookUp(host);
    return TxStream::StatusOk;
}

void TxStreamWorker::lookUp(const QString& host)
{
    m_lookingUp = host;
    setWaitingFor(QStringLiteral("Resolving %1").arg(host));
    TxStream::LookupAnswer answer = [this](const QList<QHostAddress>& addresses, const QString& error) {
        lookedUp(addresses, error);
    };
    if (m_lookup) {
        m_lookup(host, this, std::move(answer));
        return;
    }
    // Answered on this thread, and never once this worker is gone.
    QHostInfo::lookupHost(host, this, [answer](const QHostInfo& info) {
        answer(info.addresses(), info.error() == QHostInfo::NoError ? QString() : info.errorString());
    });
}

void TxStreamWorker::lookedUp(const QList<QHostAddress>& addresses, const QString& error)
{
    if (m_lookingUp.isEmpty() || m_failed)
        return; // closed or failed meanwhile
    const QString host = m_lookingUp;
    m_lookingUp.clear();
    if (addresses.isEmpty()) {
        deviceFailed(QStringLiteral("The host \"%1\" was not found: %2")
                         .arg(host, error.isEmpty() ? QStringLiteral("it has no address") : error));
        return;
    }
    // IPv4 first: scoreboards and controllers rarely speak anything else.
    QHostAddress address = addresses.constFirst();
    for (const QHostAddress& candidate : addresses) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            address = candidate;
            break;
        }
    }
    if (m_udp) {
        m_destination = address;
        becomeReady();
    } else if (m_tcp) {
        connectTcp(address);
    }
}

void TxStreamWorker::connectTcp(const QHostAddress& address)
{
    const QString where = QStringLiteral("%1:%2").arg(address.toString()).arg(m_settings.tcpPort);
    setWaitingFor(QStringLiteral("Connecting to %1").arg(where));
    connect(m_tcp, &QTcpSocket::connected, this, [this] {
        m_connectTimer->stop();
        becomeReady();
    });
    // Once connected, a lost connection is reported by disconnected.
    connect(m_tcp, &QTcpSocket::errorOccurred, this, [this, where] {
        if (!m_ready)
            deviceFailed(QStringLiteral("Cannot connect to %1: %2").arg(where, m_tcp->errorString()));
    });
    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, [this, where] {
        deviceFailed(QStringLiteral("Cannot connect to %1: no answer within %2 ms.")
                         .arg(where)
                         .arg(TxStream::TcpConnectTimeoutMs));
    });
    m_connectTimer->start(TxStream::TcpConnectTimeoutMs);
    m_tcp->connectToHost(address, static_cast<quint16>(m_settings.tcpPort));
}

void TxStreamWorker::becomeReady()
{
    m_ready = true;
    setWaitingFor(QString());
    pump();
}

int TxStreamWorker::openFile(QString* error)
{
    if (m_settings.fileName.isEmpty()) {
        *error = QStringLiteral("No file name is set.");
        return TxStream::StatusFailed;
    }
    m_file = new QFile(m_settings.fileName, this);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("The file \"%1\" cannot be opened for writing: %2")
                     .arg(m_settings.fileName, m_file->errorString());
        delete m_file;
        m_file = nullptr;
        return TxStream::StatusFailed;
    }
    if (m_receiving)
        startReplay();
    return TxStream::StatusOk;
}

void TxStreamWorker::closeDevice()
{
    m_link->direct.withdraw();
    m_ready = false;
    m_lookingUp.clear();
    m_queue.clear();
    m_unhandedBytes = 0;
    delete m_connectTimer;
    m_connectTimer = nullptr;
    if (m_serial) {
        m_serial->disconnect(this);
        m_serial->close();
        delete m_serial;
        m_serial = nullptr;
    }
    if (m_udp) {
        m_udp->disconnect(this);
        m_udp->abort();
        delete m_udp;
        m_udp = nullptr;
    }
    if (m_tcp) {
        m_tcp->disconnect(this);
        m_tcp->abort();
        delete m_tcp;
        m_tcp = nullptr;
    }
    stopReplay();
    if (m_file) {
        m_file->close();
        delete m_file;
        m_file = nullptr;
    }
    publishQueue();
}

int TxStreamWorker::setReceiving(bool on, QString* error)
{
    if (on == m_receiving)
        return TxStream::StatusOk;
    if (m_udp) {
        m_link->direct.withdraw();
        m_udp->abort(); // releases a bound port; sending binds a free one again
        if (on) {
            const int status = bindUdp(error);
            if (status < 0)
                return status;
        }
    }
    m_decoder.clear();
    m_receiving = on;
    if (m_file) {
        if (on)
            startReplay();
        else
            stopReplay();
    }
    return TxStream::StatusOk;
}

void TxStreamWorker::readDatagrams()
{
    while (m_udp && m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp->receiveDatagram();
        if (!datagram.isValid())
            break; // an error (reported through errorString) rather than a datagram
        const QByteArray data = datagram.data();
        tap(TxStream::Received, data);
        if (m_receiving)
            deliver(RtdDecoder::decodeDatagram(data));
    }
}

void TxStreamWorker::readStream()
{
    QIODevice* device = m_serial ? static_cast<QIODevice*>(m_serial) : static_cast<QIODevice*>(m_tcp);
    if (!device)
        return;
    const QByteArray data = device->readAll();
    if (data.isEmpty())
        return;
    tap(TxStream::Received, data);
    if (!m_receiving)
        return;
    m_decoder.feed(data);
    deliverDecoded();
}

void TxStreamWorker::deliverDecoded()
{
    const QList<RtdMessage> messages = m_decoder.takeMessages();
    for (const RtdMessage& message : messages)
        deliver(message);
    watchHeldBytes(!messages.isEmpty());
}

void TxStreamWorker::watchHeldBytes(bool progress)
{
    if (m_decoder.heldBytes() == 0) {
        if (m_stallTimer)
            m_stallTimer->stop();
        return;
    }
    if (!m_stallTimer) {
        m_stallTimer = new QTimer(this);
        m_stallTimer->setSingleShot(true);
        m_stallTimer->setInterval(RtdDecoder::StallTimeoutMs);
        connect(m_stallTimer, &QTimer::timeout, this, &TxStreamWorker::stallTimedOut);
    }
    if (progress || !m_stallTimer->isActive())
        m_stallTimer->start();
}

void TxStreamWorker::stallTimedOut()
{
    if (!m_receiving || m_decoder.heldBytes() == 0)
        return;
    m_decoder.skipHeldHeader();
    // Whatever is held after the skip waits its own time.
    if (m_stallTimer)
        m_stallTimer->stop();
    deliverDecoded();
}

void TxStreamWorker::deliver(const RtdMessage& message)
{
    int offset = 0;
    switch (message.type) {
    case RtdMessage::TextBlock:
        offset = message.offset;
        break;
    case RtdMessage::Raw:
        break;
    default:
        return; // display commands are for the display controller, not for readers
    }
    if (!m_receiver)
        return;
    {
        QMutexLocker lock(&m_link->mutex);
        if (!m_link->owner)
            return;
    }
    // Called through a copy: the receiver may replace itself (setDataReceiver
    // from inside it), which must not destroy the closure that is running.
    const TxStream::DataReceiver receiver = m_receiver;
    // The receiver is someone else's code; nothing it throws may end this thread.
    try {
        receiver(QString::fromLatin1(message.bytes), offset);
    } catch (const std::exception& e) {
        reportError(
            QStringLiteral("The receiver of %1 failed: %2").arg(label(), QString::fromLocal8Bit(e.what())));
    } catch (...) {
        reportError(QStringLiteral("The receiver of %1 failed: Unknown exception").arg(label()));
    }
}

void TxStreamWorker::deviceFailed(const QString& text)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failure = text;
    m_ready = false;
    m_link->direct.withdraw();
    // Drop the device from a queued call: we may be inside one of its signals.
    QMetaObject::invokeMethod(
        this, [this] { closeDevice(); }, Qt::QueuedConnection);
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->reportDeviceFailure(text);
}

void TxStreamWorker::reportError(const QString& text)
{
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->setLastError(text);
}

void TxStreamWorker::reportProblem(const QString& text)
{
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->reportProblem(text);
}

void TxStreamWorker::setWaitingFor(const QString& text)
{
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->setWaitingFor(text);
}

void TxStreamWorker::tap(TxStream::Direction direction, QByteArrayView bytes)
{
    QMutexLocker lock(&m_link->mutex);
    if (m_link->owner)
        m_link->owner->emitTraffic(direction, bytes);
}
