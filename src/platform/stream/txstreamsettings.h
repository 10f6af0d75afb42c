#pragma once

#include <QString>

// Everything that says where a stream goes, kept as one value so that dialogs
// can edit a copy and streams can take over another stream's settings.
struct TxStreamSettings
{
    // 0 none, 1 serial, 2 UDP, 3 file, 4 HTTP, 5 TCP, 6 IPX (TxStream::Kind).
    int kind = 0;
    QString name;

    // Serial: COMn (see SerialPortMap), or an explicit device path when set.
    int serialPort = 1;
    QString serialDevice;
    int baudRate = 9600;
    int dataBits = 8;
    // 0 None, 1 Odd, 2 Even, 3 Mark, 4 Space.
    int parity = 0;

    // UDP: received on udpPort (only while receiving is enabled) and sent to
    // destinationHost:udpPort. Nothing leaves this machine until the
    // destination is set. listenAddress empty means every local address.
    int udpPort = 0;
    QString destinationHost = QStringLiteral("127.0.0.1");
    QString listenAddress;

    // TCP: a client connection to tcpHost:tcpPort.
    QString tcpHost = QStringLiteral("127.0.0.1");
    int tcpPort = 0;

    // File: appended to.
    QString fileName;

    bool operator==(const TxStreamSettings&) const = default;
};
