#include "streamport.h"

#include "app/log.h"
#include "ctxthread.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"
#include "portuser.h"

StreamPort::StreamPort() : m_stream(std::make_unique<TxStream>())
{
    // Reported on the stream's own thread while it is open (a device gone, a
    // host not found, messages dropped); the log takes lines from any thread.
    QObject::connect(
        m_stream.get(), &TxStream::problem, m_stream.get(),
        [this](const QString& text) {
            logReport("The port reported a problem.  StreamPort::Stream  Port:%s, Error:%s", name(),
                      errorDescription(text));
        },
        Qt::DirectConnection);
}

StreamPort::~StreamPort()
{
    // The receiver refers to this object: retire it before the stream goes.
    m_stream->setDataReceiver(nullptr);
    m_stream.reset();
}

QString StreamPort::typeText(int kind)
{
    switch (kind) {
    case Serial:
        return QStringLiteral("COM");
    case Udp:
        return QStringLiteral("UDP/IP");
    case File:
        return QStringLiteral("FILE");
    default:
        return QString();
    }
}

int StreamPort::kindFromType(const QString& type)
{
    if (type == QLatin1String("COM"))
        return Serial;
    if (type == QLatin1String("UDP/IP"))
        return Udp;
    if (type == QLatin1String("FILE"))
        return File;
    return NoKind;
}

std::unique_ptr<StreamPort> StreamPort::clone() const
{
    auto copy = std::make_unique<StreamPort>();
    copy->m_stream->copySettings(*m_stream);
    return copy;
}

QString StreamPort::name() const
{
    return m_stream->name();
}

void StreamPort::setName(const QString& name)
{
    m_stream->setName(name);
}

int StreamPort::kind() const
{
    return m_stream->kind();
}

bool StreamPort::setKind(int kind)
{
    return m_stream->setKind(kind);
}

QString StreamPort::settingsText() const
{
    return m_stream->settingsText();
}

bool StreamPort::operator==(const StreamPort& other) const
{
    if (settingsText() != other.settingsText() || name() != other.name() || kind() != other.kind())
        return false;
    const QList<PortUser*> mine = users();
    const QList<PortUser*> theirs = other.users();
    if (mine.size() != theirs.size())
        return false;
    for (qsizetype i = 0; i < mine.size(); ++i) {
        if (mine[i]->userLabel() != theirs[i]->userLabel())
            return false;
    }
    return true;
}

bool StreamPort::attachUser(PortUser* user)
{
    if (!user)
        return false;
    QMutexLocker lock(&m_usersMutex);
    if (m_users.contains(user))
        return false;
    m_users.append(user);
    return true;
}

void StreamPort::clearUsers()
{
    QMutexLocker lock(&m_usersMutex);
    m_users.clear();
}

QList<PortUser*> StreamPort::users() const
{
    QMutexLocker lock(&m_usersMutex);
    return m_users;
}

PortUser* StreamPort::firstUser() const
{
    QMutexLocker lock(&m_usersMutex);
    return m_users.value(0, nullptr);
}

int StreamPort::open()
{
    return openStream(true);
}

int StreamPort::openStream(bool logFailure)
{
    const int status = m_stream->open();
    if (status < 0) {
        const QString error = m_stream->lastError();
        setFailure(error);
        if (logFailure)
            logReport("Failed to open the port.  Mgr::OpenPorts  Port:%s, Error:%s", name(),
                      errorDescription(error));
        return status;
    }
    setFailure(QString());
    return status;
}

int StreamPort::close()
{
    const int status = m_stream->close();
    if (status < 0)
        logReport("Failed to close the port.  Mgr::ClosePorts  Port:%s, Error:%s", name(),
                  errorDescription(m_stream->lastError()));
    return status;
}

bool StreamPort::isOpen() const
{
    return m_stream->isOpen();
}

QString StreamPort::statusText() const
{
    QString failure;
    {
        QMutexLocker lock(&m_stateMutex);
        failure = m_failure;
    }
    if (!failure.isEmpty() && !m_stream->isOpen())
        return QStringLiteral("Failed: %1").arg(failure);
    // The stream says when it could not start receiving.
    return m_stream->statusText();
}

QString StreamPort::lastError() const
{
    return m_stream->lastError();
}

int StreamPort::connectSink()
{
    m_stream->setDataReceiver([this](const QString& text, int offset) { deliver(text, offset); });
    {
        QMutexLocker lock(&m_stateMutex);
        m_sinkConnected = true;
    }
    return startReceiving(true);
}

int StreamPort::startReceiving(bool logFailure)
{
    PortUser* first = firstUser();
    if (!first || !first->wantsData())
        return 0;
    const int status = m_stream->setReceiving(true);
    if (status < 0) {
        const QString error = m_stream->lastError();
        setReceiveFailure(error);
        if (logFailure)
            logReport("Failed to receive on the port.  Mgr::StartCommunications  Port:%s, Error:%s", name(),
                      errorDescription(error));
        return status;
    }
    setReceiveFailure(QString());
    return status;
}

bool StreamPort::hasFailed() const
{
    QMutexLocker lock(&m_stateMutex);
    return (!m_failure.isEmpty() && !m_stream->isOpen()) || (m_sinkConnected && !m_receiveFailure.isEmpty());
}

bool StreamPort::tryAgain()
{
    bool openFailed = false;
    bool receiveFailed = false;
    {
        QMutexLocker lock(&m_stateMutex);
        openFailed = !m_failure.isEmpty() && !m_stream->isOpen();
        receiveFailed = m_sinkConnected && !m_receiveFailure.isEmpty();
    }
    if (openFailed && openStream(false) < 0)
        return false;
    // A port opened again takes up receiving when its sink is connected.
    if ((openFailed || receiveFailed) && isSinkConnected() && startReceiving(false) < 0)
        return false;
    return !hasFailed();
}

void StreamPort::disconnectSink()
{
    m_stream->setReceiving(false);
    // Once this returns no delivery is under way or still to come.
    m_stream->setDataReceiver(nullptr);
    QMutexLocker lock(&m_stateMutex);
    m_sinkConnected = false;
    m_receiveFailure.clear();
}

bool StreamPort::isSinkConnected() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_sinkConnected;
}

bool StreamPort::isReceiving() const
{
    return m_stream->isReceiving();
}

void StreamPort::deliver(const QString& text, int offset)
{
    QMutexLocker lock(&m_usersMutex);
    PortUser* first = m_users.value(0, nullptr);
    if (!first)
        return;
    try {
        first->OnData(text, offset);
    } catch (...) {
        logReport("Failed to handle the received data.  StreamPort::OnData  Port:%s, Error:%s", name(),
                  CTxThread::DescribeException(std::current_exception()));
    }
}

void StreamPort::setFailure(const QString& text)
{
    QMutexLocker lock(&m_stateMutex);
    m_failure = text;
}

void StreamPort::setReceiveFailure(const QString& text)
{
    QMutexLocker lock(&m_stateMutex);
    m_receiveFailure = text;
}
