#pragma once

#include "portuser.h"

#include <QMutex>
#include <QStringList>
#include <memory>

class StreamPort;

// An announcer monitor: a plain terminal that shows one page of text lines.
// Each time it is given the page it sends the lines that changed since the
// last time, each preceded by the cursor command for its row.
class MonitorStream : public PortUser
{
public:
    enum Protocol { NoProtocol = 0, Terminal = 1, Html = 2 };
    static constexpr int LineWidth = 80;

    MonitorStream() : PortUser(Role::Monitor) {}

    // "Terminal", "HTML", "" and back (anything else is NoProtocol).
    static QString protocolText(int protocol);
    static int protocolFromText(const QString& text);
    // Escape, "=", the row + 32 and the column + 32 (column 0).
    static QString cursorCommand(int row);

    QString name() const override;
    void setName(const QString& name);
    int port() const;
    void setPort(int port);
    int protocol() const;
    void setProtocol(int protocol);

    bool sameConfiguration(const MonitorStream& other) const;
    std::unique_ptr<MonitorStream> clone() const;

    // Sends a pending raw text (and nothing else), or every changed line of
    // page. Without a port nothing is sent and nothing counts as sent.
    int SetPage(const QStringList& page, StreamPort* port);
    // Text sent as it stands at the next SetPage.
    void SetRawText(const QString& text);
    // Forgets what was sent, so the next page goes out whole.
    void clearSent();

    QStringList lines() const;
    QStringList sentLines() const;

protected:
    QString threadName() const override { return QStringLiteral("Monitor ") + name(); }

private:
    mutable QMutex m_lock;
    QString m_name;
    int m_port = 0;
    int m_protocol = NoProtocol;
    QStringList m_lines;
    QStringList m_sent;
    QString m_rawText;
};
