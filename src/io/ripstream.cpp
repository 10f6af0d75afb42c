#include "ripstream.h"

#include "app/log.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"
#include "streamport.h"

#include <limits>

RipStream::RipStream() : PortUser(Role::Rip), m_image(ImageLength, QLatin1Char(' ')) {}

QString RipStream::typeText(int type)
{
    return type == Serial ? QStringLiteral("Serial") : QStringLiteral("Network");
}

int RipStream::typeFromText(const QString& text)
{
    return text.compare(QLatin1String("Serial"), Qt::CaseInsensitive) == 0 ? Serial : Network;
}

QString RipStream::name() const
{
    QMutexLocker lock(&m_lock);
    return m_name;
}

void RipStream::setName(const QString& name)
{
    QMutexLocker lock(&m_lock);
    m_name = name;
}

int RipStream::port() const
{
    QMutexLocker lock(&m_lock);
    return m_port;
}

void RipStream::setPort(int port)
{
    QMutexLocker lock(&m_lock);
    m_port = port;
}

int RipStream::type() const
{
    QMutexLocker lock(&m_lock);
    return m_type;
}

void RipStream::setType(int type)
{
    QMutexLocker lock(&m_lock);
    m_type = type == Serial ? Serial : Network;
}

int RipStream::offset() const
{
    QMutexLocker lock(&m_lock);
    return m_offset;
}

void RipStream::setOffset(int offset)
{
    QMutexLocker lock(&m_lock);
    m_offset = offset;
}

bool RipStream::breakupPackets() const
{
    QMutexLocker lock(&m_lock);
    return m_breakupPackets;
}

void RipStream::setBreakupPackets(bool on)
{
    QMutexLocker lock(&m_lock);
    m_breakupPackets = on;
}

bool RipStream::updateEveryPacket() const
{
    QMutexLocker lock(&m_lock);
    return m_updateEveryPacket;
}

void RipStream::setUpdateEveryPacket(bool on)
{
    QMutexLocker lock(&m_lock);
    m_updateEveryPacket = on;
}

bool RipStream::sameConfiguration(const RipStream& other) const
{
    return name() == other.name() && port() == other.port() && type() == other.type() &&
           offset() == other.offset() && breakupPackets() == other.breakupPackets() &&
           updateEveryPacket() == other.updateEveryPacket();
}

std::unique_ptr<RipStream> RipStream::clone() const
{
    auto copy = std::make_unique<RipStream>();
    QMutexLocker lock(&m_lock);
    copy->m_name = m_name;
    copy->m_port = m_port;
    copy->m_type = m_type;
    copy->m_offset = m_offset;
    copy->m_breakupPackets = m_breakupPackets;
    copy->m_updateEveryPacket = m_updateEveryPacket;
    copy->m_image = m_image;
    return copy;
}

int RipStream::SetText(const QString& text, int offset, StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    m_pendingText = text;
    m_pendingOffset = offset;

    int status = TxStream::StatusNotOpen;
    if (port) {
        const qint64 wireOffset = qint64(offset) + m_offset;
        if (wireOffset < std::numeric_limits<qint32>::min() ||
            wireOffset + text.size() > std::numeric_limits<qint32>::max()) {
            status = TxStream::StatusFailed;
            logReport("The text offset is out of range.  Mgr::SetText  RIP:%s, Offset:%d, Stream Offset:%d",
                      m_name, offset, m_offset);
        } else {
            status = port->stream().protocol().sendTextBlock(text, m_updateEveryPacket, int(wireOffset),
                                                             m_breakupPackets);
            if (status < 0)
                logReport("Failed to send the text.  Mgr::SetText  RIP:%s, Error:%s", m_name,
                          errorDescription(port->lastError()));
        }
    }

    // The image is what the sign was sent: only text that went out enters it.
    if (status >= 0) {
        const qint64 first = qMax<qint64>(0, offset);
        const qint64 end = qMin<qint64>(ImageLength, qint64(offset) + text.size());
        for (qint64 i = first; i < end; ++i)
            m_image[i] = text[i - offset];
    }
    m_pendingText.clear();
    m_pendingOffset = 0;
    return status;
}

int RipStream::SetCommand(const RtdCommand& command, StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    m_pendingCommand = command;
    m_commandPending = true;

    int status = TxStream::StatusOk;
    if (!port) {
        status = TxStream::StatusNotOpen;
    } else if (command.mode == RtdCommand::SelectedFrame) {
        status = port->stream().protocol().showFrame(command.sign, command.frame);
    } else if (command.sendsSomething()) {
        const QString drive = command.drive.isNull() ? QString() : QString(command.drive);
        status = port->stream().protocol().playSequence(command.sign, command.mode, command.times, drive,
                                                        command.library, command.sequence);
    }
    if (port && status < 0)
        logReport("Failed to send the command.  Mgr::SetCommand  RIP:%s, Error:%s", m_name,
                  errorDescription(port->lastError()));

    m_pendingCommand = RtdCommand();
    m_commandPending = false;
    return status;
}

int RipStream::SendUpdateTrigger(StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    if (!port)
        return TxStream::StatusNotOpen;
    const int status = port->stream().protocol().sendUpdateTrigger();
    if (status < 0)
        logReport("Failed to send the update trigger.  Mgr::Refresh  RIP:%s, Error:%s", m_name,
                  errorDescription(port->lastError()));
    return status;
}

QString RipStream::image() const
{
    QMutexLocker lock(&m_lock);
    return m_image;
}
