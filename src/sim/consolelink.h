#pragma once

#include "ptypair.h"
#include "timingconsole.h"

#include <QString>
#include <memory>

class TxStream;

// Where the timing-console simulator sends its blocks: a UDP port on a host,
// a TCP connection, a serial device, or a pseudo-terminal pair it makes
// itself (the program then opens the pair's device as its serial port). Each
// block goes out as one numbered RTD text block without the update flag.
class ConsoleLink
{
public:
    enum Kind { Udp, Tcp, Serial, Pty };
    struct Settings
    {
        Kind kind = Udp;
        QString host = QStringLiteral("127.0.0.1");
        int port = 0;
        QString device;
        int baudRate = 9600;
    };

    ConsoleLink();
    ~ConsoleLink();

    // Closes first; false with error() set when it cannot be opened.
    bool open(const Settings& settings);
    void close();
    bool isOpen() const;
    QString error() const { return m_error; }
    // The pseudo-terminal's device while one is open, else empty.
    QString ptyDevice() const { return m_pty.deviceName(); }
    QString statusText() const;

    bool send(const ConsoleBlock& block);
    qint64 sentBlocks() const { return m_sent; }

private:
    Settings m_settings;
    std::unique_ptr<TxStream> m_stream;
    PtyPair m_pty;
    quint8 m_number = 0;
    qint64 m_sent = 0;
    QString m_error;
};
