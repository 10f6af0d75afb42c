#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <atomic>
#include <memory>

class QTcpSocket;

// What the guard counts; readable from any thread, also after the guard is gone.
struct LiveCounters
{
    std::atomic<int> open{0};    // connections the HTTP server reads now
    std::atomic<int> refused{0}; // turned away: too many open
    std::atomic<int> closed{0};  // closed for breaking a limit or sending what is no request
};

// What the live results server allows one reader.
struct LiveLimits
{
    int maxConnections = 256;     // open at once; the next ones are refused with 503
    int maxRequestBytes = 16384;  // of one request not yet answered (line, headers, any body)
    int maxHeaders = 64;          // header fields of one request
    int requestTimeoutMs = 10000; // from a request's first byte to its last
    int idleTimeoutMs = 30000;    // a kept-alive connection with no request
};

// The listening socket of the live results server. The HTTP server reads the
// requests (Qt HTTP Server); this stands in front of it and keeps every
// reader within the limits: it refuses connections beyond the maximum with a
// short "503" and closes them, stops reading a connection once it holds more
// unanswered bytes than a request may have ("431"), and closes connections
// whose request takes too long ("408") or that sit idle too long. (Bytes that
// are no request at all the HTTP server drops itself, by closing the
// connection.) Whatever it closes is closed without affecting any other.
//
// Lives on the server's thread; answered() and closeAfterWrite() are called
// there by the HTTP server. The counters may be read from any thread.
class LiveConnectionGuard : public QTcpServer
{
    Q_OBJECT
public:
    explicit LiveConnectionGuard(const LiveLimits& limits, QObject* parent = nullptr);
    ~LiveConnectionGuard() override;

    const LiveLimits& limits() const { return m_limits; }
    std::shared_ptr<const LiveCounters> counters() const { return m_counters; }

    // The HTTP server answered a request on the socket: its next one starts fresh.
    void answered(QTcpSocket* socket);
    // The connection is closed once the answer written to it has gone out.
    void closeAfterWrite(QTcpSocket* socket);

    // The fixed answers of the guard (status line, headers and a short text).
    static QByteArray cannedResponse(int status);

protected:
    void incomingConnection(qintptr handle) override;

private:
    struct Watch
    {
        QPointer<QTcpSocket> socket;
        qint64 unanswered = 0;
        qint64 requestStarted = -1;
        qint64 lastActivity = 0;
        qint64 closingSince = -1;
        bool refused = false; // turned away at the door: never reaches the HTTP server
    };

    void onReadyRead(QTcpSocket* socket);
    void reject(Watch& watch, int status);
    void beginClose(Watch& watch);
    void sweep();
    // The connection ended: it is no longer watched nor counted.
    void forget(QTcpSocket* socket);
    void updateCount();

    LiveLimits m_limits;
    QHash<QTcpSocket*, Watch> m_watches;
    int m_served = 0;   // connections the HTTP server reads
    int m_refusing = 0; // refused ones still taking their answer
    QElapsedTimer m_clock;
    QTimer m_sweep;
    std::shared_ptr<LiveCounters> m_counters = std::make_shared<LiveCounters>();
};
