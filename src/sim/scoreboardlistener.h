#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QTcpServer;
class QUdpSocket;
class QTcpSocket;
class TxStream;

// Where the scoreboard simulator listens: a UDP port (every local address), a
// TCP port that the program's TCP stream connects to, or a serial device (the
// program's own stream component). What arrives is handed on unchanged, on the
// listener's thread; a datagram comes with its sender ("127.0.0.1:40211"),
// because several of the program's streams may send to one board and each
// numbers its messages on its own.
class ScoreboardListener : public QObject
{
    Q_OBJECT
public:
    enum Kind { Udp, Tcp, Serial };
    struct Settings
    {
        Kind kind = Udp;
        int port = 0;
        QString device;
        int baudRate = 9600;
    };

    explicit ScoreboardListener(QObject* parent = nullptr);
    ~ScoreboardListener() override;

    // Closes first; false with error() set when it cannot listen.
    bool open(const Settings& settings);
    void close();
    bool isOpen() const;
    QString error() const { return m_error; }
    // "Listening on UDP port 20000", "TCP port 20000: connected from
    // 127.0.0.1", "Serial /dev/pts/3", "Closed", or the failure.
    QString statusText() const;

signals:
    void datagramReceived(const QByteArray& bytes, const QString& sender);
    void bytesReceived(const QByteArray& bytes);
    // A TCP connection closed, or a serial device went away.
    void streamEnded();
    void statusChanged();

private:
    void acceptConnection();
    void readDatagrams();

    Settings m_settings;
    std::unique_ptr<TxStream> m_stream;
    QTcpServer* m_server = nullptr;
    QUdpSocket* m_udp = nullptr;
    QPointer<QTcpSocket> m_peer;
    QString m_error;
};
