#include "scoreboardlistener.h"

#include "platform/stream/txstream.h"

#include <QTcpServer>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

ScoreboardListener::ScoreboardListener(QObject* parent) : QObject(parent) {}

ScoreboardListener::~ScoreboardListener()
{
    close();
}

bool ScoreboardListener::open(const Settings& settings)
{
    close();
    m_settings = settings;
    m_error.clear();
    if (settings.kind == Tcp) {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::Any, quint16(settings.port))) {
            m_error = m_server->errorString();
            delete m_server;
            m_server = nullptr;
            emit statusChanged();
            return false;
        }
        connect(m_server, &QTcpServer::newConnection, this, &ScoreboardListener::acceptConnection);
        emit statusChanged();
        return true;
    }

    if (settings.kind == Udp) {
        m_udp = new QUdpSocket(this);
        // Room for a whole image with breakup while the window is busy drawing.
        m_udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1024 * 1024));
        if (!m_udp->bind(QHostAddress::Any, quint16(settings.port))) {
            m_error = m_udp->errorString();
            delete m_udp;
            m_udp = nullptr;
            emit statusChanged();
            return false;
        }
        connect(m_udp, &QUdpSocket::readyRead, this, &ScoreboardListener::readDatagrams);
        emit statusChanged();
        return true;
    }

    m_stream = std::make_unique<TxStream>();
    m_stream->setKind(TxStream::Serial);
    m_stream->setSerialDevice(settings.device);
    m_stream->setBaudRate(settings.baudRate);
    m_stream->setName(QStringLiteral("Scoreboard simulator"));
    connect(m_stream.get(), &TxStream::traffic, this,
            [this](TxStream::Direction direction, const QByteArray& bytes, qint64) {
                if (direction == TxStream::Received)
                    emit bytesReceived(bytes);
            });
    connect(m_stream.get(), &TxStream::statusChanged, this, [this] {
        if (m_stream && !m_stream->isOpen())
            emit streamEnded();
        emit statusChanged();
    });
    int status = m_stream->open();
    if (status == TxStream::StatusOk)
        status = m_stream->setReceiving(true);
    if (status != TxStream::StatusOk) {
        m_error = m_stream->lastError();
        m_stream.reset();
        emit statusChanged();
        return false;
    }
    emit statusChanged();
    return true;
}

void ScoreboardListener::readDatagrams()
{
    while (m_udp && m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp->receiveDatagram();
        if (!datagram.isValid())
            break;
        emit datagramReceived(datagram.data(), QStringLiteral("%1:%2")
                                                   .arg(datagram.senderAddress().toString())
                                                   .arg(datagram.senderPort()));
    }
}

void ScoreboardListener::acceptConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        // One sender at a time: bytes of two connections would mix.
        if (m_peer) {
            m_peer->disconnect(this);
            m_peer->deleteLater();
            emit streamEnded();
        }
        m_peer = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { emit bytesReceived(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket != m_peer)
                return;
            if (const QByteArray rest = socket->readAll(); !rest.isEmpty())
                emit bytesReceived(rest);
            socket->deleteLater();
            emit streamEnded();
            emit statusChanged();
        });
        emit statusChanged();
    }
}

void ScoreboardListener::close()
{
    if (m_stream) {
        m_stream->disconnect(this);
        m_stream->close();
        m_stream.reset();
    }
    if (m_peer) {
        m_peer->disconnect(this);
        m_peer->abort();
        m_peer->deleteLater();
    }
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    delete m_udp;
    m_udp = nullptr;
}

bool ScoreboardListener::isOpen() const
{
    if (m_udp)
        return m_udp->state() == QAbstractSocket::BoundState;
    return m_server ? m_server->isListening() : (m_stream && m_stream->isOpen());
}

QString ScoreboardListener::statusText() const
{
    if (!m_error.isEmpty())
        return QStringLiteral("Failed: %1").arg(m_error);
    if (m_server) {
        QString text = QStringLiteral("Listening on TCP port %1").arg(m_server->serverPort());
        if (m_peer && m_peer->state() == QAbstractSocket::ConnectedState)
            text += QStringLiteral(": connected from %1").arg(m_peer->peerAddress().toString());
        return text;
    }
    if (m_udp)
        return QStringLiteral("Listening on UDP port %1").arg(m_udp->localPort());
    if (!m_stream)
        return QStringLiteral("Closed");
    if (!m_stream->isOpen())
        return m_stream->statusText();
    return QStringLiteral("Listening on serial %1").arg(m_settings.device);
}
