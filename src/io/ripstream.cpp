#include "ripstream.h"

#include "app/log.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"
#include "streamport.h"

#include <algorithm>
#include <limits>
#include <utility>

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
    return SetText(text, RtdProtocol::toWireText(text), offset, port);
}

int RipStream::SetText(const QString& text, const QByteArray& wire, int offset, StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    if (!port)
        return TxStream::StatusNotOpen;
    const qint64 wireOffset = qint64(offset) + m_offset;
    if (wireOffset < std::numeric_limits<qint32>::min() ||
        wireOffset + text.size() > std::numeric_limits<qint32>::max()) {
        logReport("The text offset is out of range.  Mgr::SetText  RIP:%s, Offset:%d, Stream Offset:%d",
                  m_name, offset, m_offset);
        return TxStream::StatusFailed;
    }
    const int status = port->stream().protocol().appendTextBlock(m_batch, wire, m_updateEveryPacket,
                                                                 int(wireOffset), m_breakupPackets);
    if (status < 0) {
        logFailure(TextGathered, port);
        return status;
    }
    m_pendingTexts.append({text, offset});
    return sendOrGather(port, TextGathered);
}

int RipStream::SetCommand(const RtdCommand& command, StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    if (!port)
        return TxStream::StatusNotOpen;
    m_pendingCommand = command;
    m_commandPending = true;
    RtdProtocol& protocol = port->stream().protocol();
    int status = TxStream::StatusOk;
    if (command.mode == RtdCommand::SelectedFrame) {
        protocol.appendShowFrame(m_batch, command.sign, command.frame);
    } else if (command.sendsSomething()) {
        const QString drive = command.drive.isNull() ? QString() : QString(command.drive);
        status = protocol.appendPlaySequence(m_batch, command.sign, command.mode, command.times, drive,
                                             command.library, command.sequence);
    }
    if (status < 0) {
        logFailure(CommandGathered, port);
        m_pendingCommand = RtdCommand();
        m_commandPending = false;
        return status;
    }
    return sendOrGather(port, CommandGathered);
}

int RipStream::SendUpdateTrigger(StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    if (!port)
        return TxStream::StatusNotOpen;
    port->stream().protocol().appendUpdateTrigger(m_batch);
    return sendOrGather(port, TriggerGathered);
}

void RipStream::beginBatch()
{
    QMutexLocker lock(&m_lock);
    m_batching = true;
}

RipStream::Sending RipStream::startBatch(StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    m_batching = false;
    Sending sending;
    sending.kinds = std::exchange(m_gathered, 0);
    sending.texts.swap(m_pendingTexts);
    m_pendingCommand = RtdCommand();
    m_commandPending = false;
    if (port && sending.kinds != 0)
        sending.send = port->stream().protocol().startBatch(m_batch, RtdProtocol::Delivery::WaitUnlessPaused);
    m_batch.clear();
    return sending;
}

int RipStream::finishBatch(Sending& sending, StreamPort* port)
{
    const int status = sending.send.wait();
    QMutexLocker lock(&m_lock);
    if (!port)
        return TxStream::StatusNotOpen;
    if (status < 0)
        logFailure(sending.kinds, port);
    else
        takeIntoImage(sending.texts);
    return status;
}

int RipStream::sendOrGather(StreamPort* port, int kind)
{
    if (m_batching) {
        m_gathered |= kind;
        return TxStream::StatusOk;
    }
    // On its own: sent at once, the caller waiting unless long text goes out
    // in pieces with pauses.
    const int status = port->stream().protocol().sendBatch(m_batch, RtdProtocol::Delivery::WaitUnlessPaused);
    m_batch.clear();
    if (status < 0)
        logFailure(kind, port);
    else
        takeIntoImage(m_pendingTexts);
    m_pendingTexts.clear();
    m_pendingCommand = RtdCommand();
    m_commandPending = false;
    return status;
}

void RipStream::logFailure(int kinds, StreamPort* port) const
{
    const QString error = errorDescription(port->lastError());
    if (kinds & TextGathered)
        logReport("Failed to send the text.  Mgr::SetText  RIP:%s, Error:%s", m_name, error);
    if (kinds & CommandGathered)
        logReport("Failed to send the command.  Mgr::SetCommand  RIP:%s, Error:%s", m_name, error);
    if (kinds & TriggerGathered)
        logReport("Failed to send the update trigger.  Mgr::Refresh  RIP:%s, Error:%s", m_name, error);
}

void RipStream::takeIntoImage(const QVector<PendingText>& texts)
{
    // The image is what the sign was sent: only text that went out enters it.
    for (const PendingText& p : texts) {
        const qsizetype first = qMax<qsizetype>(0, p.offset);
        const qsizetype end = qMin<qsizetype>(ImageLength, qsizetype(p.offset) + p.text.size());
        if (end > first)
            std::copy(p.text.constBegin() + (first - p.offset), p.text.constBegin() + (end - p.offset),
                      m_image.begin() + first);
    }
}

QString RipStream::image() const
{
    QMutexLocker lock(&m_lock);
    return m_image;
}
