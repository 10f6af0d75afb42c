#include "monitorstream.h"

#include "app/log.h"
#include "platform/errortext.h"
#include "platform/stream/txstream.h"
#include "streamport.h"

QString MonitorStream::protocolText(int protocol)
{
    switch (protocol) {
    case Terminal:
        return QStringLiteral("Terminal");
    case Html:
        return QStringLiteral("HTML");
    default:
        return QString();
    }
}

int MonitorStream::protocolFromText(const QString& text)
{
    if (text == QLatin1String("Terminal"))
        return Terminal;
    if (text == QLatin1String("HTML"))
        return Html;
    return NoProtocol;
}

QString MonitorStream::cursorCommand(int row)
{
    QString command;
    command.append(QChar(27));
    command.append(QLatin1Char('='));
    command.append(QChar(char16_t(32 + row)));
    command.append(QChar(32));
    return command;
}

QString MonitorStream::name() const
{
    QMutexLocker lock(&m_lock);
    return m_name;
}

void MonitorStream::setName(const QString& name)
{
    QMutexLocker lock(&m_lock);
    m_name = name;
}

int MonitorStream::port() const
{
    QMutexLocker lock(&m_lock);
    return m_port;
}

void MonitorStream::setPort(int port)
{
    QMutexLocker lock(&m_lock);
    m_port = port;
}

int MonitorStream::protocol() const
{
    QMutexLocker lock(&m_lock);
    return m_protocol;
}

void MonitorStream::setProtocol(int protocol)
{
    QMutexLocker lock(&m_lock);
    m_protocol = (protocol == Terminal || protocol == Html) ? protocol : NoProtocol;
}

bool MonitorStream::sameConfiguration(const MonitorStream& other) const
{
    return name() == other.name() && port() == other.port() && protocol() == other.protocol();
}

std::unique_ptr<MonitorStream> MonitorStream::clone() const
{
    auto copy = std::make_unique<MonitorStream>();
    QMutexLocker lock(&m_lock);
    copy->m_name = m_name;
    copy->m_port = m_port;
    copy->m_protocol = m_protocol;
    return copy;
}

int MonitorStream::SetPage(const QStringList& page, StreamPort* port)
{
    QMutexLocker lock(&m_lock);
    m_lines = page;
    if (!port)
        return TxStream::StatusNotOpen;

    if (!m_rawText.isEmpty()) {
        const QString raw = m_rawText;
        m_rawText.clear();
        const int status = port->stream().sendText(raw);
        if (status < 0)
            logReport("Failed to send the text.  Mgr::SetPage  Monitor:%s, Error:%s", m_name,
                      errorDescription(port->lastError()));
        return status;
    }

    int result = TxStream::StatusOk;
    for (qsizetype row = 0; row < m_lines.size(); ++row) {
        const QString& line = m_lines[row];
        if (row < m_sent.size() && m_sent[row] == line)
            continue;
        const int status = port->stream().sendText(cursorCommand(int(row)) + line.leftJustified(LineWidth));
        if (status < 0) {
            logReport("Failed to send the line.  Mgr::SetPage  Monitor:%s, Row:%d, Error:%s", m_name,
                      int(row), errorDescription(port->lastError()));
            result = status;
            break; // the port is gone; the rest follows at the next page
        }
        while (m_sent.size() <= row)
            m_sent.append(QString());
        m_sent[row] = line;
    }
    return result;
}

void MonitorStream::SetRawText(const QString& text)
{
    QMutexLocker lock(&m_lock);
    m_rawText = text;
}

void MonitorStream::clearSent()
{
    QMutexLocker lock(&m_lock);
    m_sent.clear();
}

QStringList MonitorStream::lines() const
{
    QMutexLocker lock(&m_lock);
    return m_lines;
}

QStringList MonitorStream::sentLines() const
{
    QMutexLocker lock(&m_lock);
    return m_sent;
}
