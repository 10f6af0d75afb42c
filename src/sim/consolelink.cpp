#include "consolelink.h"

#include "platform/stream/rtdprotocol.h"
#include "platform/stream/txstream.h"

ConsoleLink::ConsoleLink() = default;

ConsoleLink::~ConsoleLink()
{
    close();
}

bool ConsoleLink::open(const Settings& settings)
{
    close();
    m_settings = settings;
    m_error.clear();
    if (settings.kind == Pty) {
        if (!m_pty.open()) {
            m_error = m_pty.error();
            return false;
        }
        return true;
    }
    m_stream = std::make_unique<TxStream>();
    m_stream->setName(QStringLiteral("Timing console simulator"));
    switch (settings.kind) {
    case Udp:
        m_stream->setKind(TxStream::Udp);
        m_stream->setUdpPort(settings.port);
        m_stream->setDestinationHost(settings.host);
        break;
    case Tcp:
        m_stream->setKind(TxStream::Tcp);
        m_stream->setTcpHost(settings.host);
        m_stream->setTcpPort(settings.port);
        break;
    default:
        m_stream->setKind(TxStream::Serial);
        m_stream->setSerialDevice(settings.device);
        m_stream->setBaudRate(settings.baudRate);
        break;
    }
    if (m_stream->open() != TxStream::StatusOk) {
        m_error = m_stream->lastError();
        m_stream.reset();
        return false;
    }
    return true;
}

void ConsoleLink::close()
{
    if (m_stream) {
        m_stream->close();
        m_stream.reset();
    }
    m_pty.close();
    m_number = 0;
}

bool ConsoleLink::isOpen() const
{
    return m_pty.isOpen() || (m_stream && m_stream->isOpen());
}

QString ConsoleLink::statusText() const
{
    if (!m_error.isEmpty())
        return QStringLiteral("Failed: %1").arg(m_error);
    if (m_pty.isOpen())
        return QStringLiteral("Pseudo-terminal %1 (the program opens this device)").arg(m_pty.deviceName());
    if (!m_stream)
        return QStringLiteral("Closed");
    return QStringLiteral("%1: %2").arg(m_stream->settingsText(), m_stream->statusText());
}

bool ConsoleLink::send(const ConsoleBlock& block)
{
    bool ok = false;
    if (m_pty.isOpen()) {
        m_number = RtdProtocol::nextNumber(m_number);
        ok = m_pty.write(RtdProtocol::numbered(
            RtdProtocol::encodeTextBlock(block.offset, RtdProtocol::toWireText(block.text), false), m_number));
        if (!ok)
            m_error = m_pty.error();
    } else if (m_stream) {
        ok = m_stream->protocol().sendTextBlock(block.text, false, block.offset, false) == TxStream::StatusOk;
        if (!ok)
            m_error = m_stream->lastError();
    }
    if (ok) {
        m_error.clear();
        ++m_sent;
    }
    return ok;
}
