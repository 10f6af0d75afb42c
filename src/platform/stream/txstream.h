#pragma once

#include "rtdprotocol.h"
#include "txmessagebatch.h"
#include "txpendingsend.h"
#include "txstreamsettings.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QReadWriteLock>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QThread;
class TxStreamWorker;
struct TxStreamLink;

// One communication stream to arena equipment: a serial port, a UDP port, a TCP
// connection or a file (HTTP and IPX streams are known by name but cannot be
// opened). A port of the input/output configuration owns one.
//
// Settings are set while the stream is closed; changes made while it is open
// take effect at the next open().
//
// Threads. An open stream has its own I/O thread with an event loop on which
// its device lives. Every call may come from any thread; no call waits without
// a limit. Sending and the receiving calls wait at most CallTimeoutMs in all
// (for an open or close under way and for the I/O thread to carry them out) and
// then fail with StatusTimedOut; what they asked for is then never done, unless
// the I/O thread had already begun it (a long text block whose pauses outlast
// the limit still goes out). Called on the stream's own I/O thread (for
// example from its data receiver) they are carried out directly. open() and
// close() first wait for calls under way (each ends within CallTimeoutMs), then
// open() waits at most CallTimeoutMs for the device to open (and StopTimeoutMs
// for the thread of a device that did not) and close() at most StopTimeoutMs
// for the device to close and the thread to end.
//
// Sending returns once the bytes were accepted: written (a file, a UDP
// datagram to a known address) or queued for the device (serial, TCP, and UDP
// while its destination is being looked up). A UDP stream's datagrams without
// pauses between them are written by the sending thread itself once its socket
// is known and no send of the stream waits on the I/O thread (UdpDirectSend),
// so that one thread's datagrams still leave in the order it sent them. Accepted is success; the queue
// goes out as the driver or the peer takes it. Queued bytes are bounded by
// MaxQueuedBytes: when a receiver falls behind, whole messages that have not
// begun to go out are dropped, oldest first, so the newest get through; they
// are counted (droppedPieces()) and the first of each run of drops is reported
// through problem(). Closing discards what is still queued.
//
// Host names (a UDP destination, a TCP host) are looked up on the I/O thread
// without holding up open(): the stream is open at once, statusText() says
// "Resolving <host>" and sends are queued until the address is known. A name
// that cannot be found fails the stream as a vanished device does.
//
// Receiving. Received bytes are decoded as RTD messages (RtdDecoder): a text
// block is delivered as its text and offset; bytes that are no message are
// delivered as they are, one character per byte (Latin-1), at offset 0; display
// commands are not delivered. Delivery happens on the I/O thread, only while
// receiving is enabled, to the receiver set with setDataReceiver(). A file
// stream that receives reads its file back from the start, as a byte stream
// of frames (a recorded feed), once each time receiving is enabled. A UDP stream
// binds its port only while receiving is enabled, so an output-only port never
// takes the port its scoreboard listens on. Receivers must not block on the
// user-interface thread.
//
// Failures never throw: operations return a status (0 success, negative
// failure) and lastError() describes the last failure. A device that is gone
// while open (a serial adapter unplugged, a TCP peer gone, a host name not
// found) closes its own side, is reported by isOpen(), statusText() and
// problem(), and does not affect other streams. A serial driver whose output
// buffer is full is not gone: the bytes wait in the queue.
class TxStream : public QObject
{
    Q_OBJECT
public:
    enum Kind { NoKind = 0, Serial = 1, Udp = 2, File = 3, Http = 4, Tcp = 5, Ipx = 6 };
    enum Direction { Sent, Received };
    Q_ENUM(Direction)

    static constexpr int StatusOk = 0;
    static constexpr int StatusFailed = -1;
    static constexpr int StatusNotOpen = -2;
    static constexpr int StatusNotSupported = -3;
    static constexpr int StatusTimedOut = -4;

    // How long close() waits for the device to close and the I/O thread to end.
    static constexpr int StopTimeoutMs = 5000;
    // How long a send or a receiving call from another thread waits in all
    // before it gives up, and how long open() waits for the device to open.
    static constexpr int CallTimeoutMs = 5000;
    // How long a TCP connection may take to be established.
    static constexpr int TcpConnectTimeoutMs = 3000;
    // The most bytes a stream holds accepted but not yet taken by the driver or
    // the socket: about three full scoreboard images with breakup (each about
    // 10 KB on the wire). A single message larger than this cannot be queued.
    static constexpr qint64 MaxQueuedBytes = 32 * 1024;

    using DataReceiver = std::function<void(const QString& text, int offset)>;

    // Looks a host name up without blocking and later calls answer on the
    // thread of context (never after context is destroyed) with the addresses
    // found, or with none and the reason.
    using LookupAnswer = std::function<void(const QList<QHostAddress>& addresses, const QString& error)>;
    using HostLookup = std::function<void(const QString& host, QObject* context, LookupAnswer answer)>;

    // "TxSCom.TxStreamCom" ... "TxSIpx.TxStreamIpx" for kinds 1 to 6, else empty.
    static QString kindProgId(int kind);
    // The kind of a name, with or without the ".1" version suffix, regardless
    // of case; 0 for an unknown name.
    static int kindFromName(const QString& name);
    // "None", "Odd", "Even", "Mark", "Space"; empty for other values.
    static QString parityName(int parity);
    // An IPv4 or IPv6 address, or a host name made of valid labels.
    static bool isValidHost(const QString& host);

    explicit TxStream(QObject* parent = nullptr);
    // Closes the stream. Also safe from the stream's own receiver.
    ~TxStream() override;
    TxStream(const TxStream&) = delete;
    TxStream& operator=(const TxStream&) = delete;

    // --- settings ---------------------------------------------------------
    TxStreamSettings settings() const;
    void setSettings(const TxStreamSettings& settings);
    // Takes over kind, name and all the settings of every kind from other.
    void copySettings(const TxStream& other);

    // Kind by number (0 to 6) or by name; false (and no change) for others.
    bool setKind(int kind);
    bool setKind(const QString& name);
    int kind() const;
    // The kind's name with ".1" appended, empty without kind.
    QString kindName() const;

    void setName(const QString& name);
    QString name() const;

    // One line describing the settings, for dialogs and for comparing ports:
    // "COM3 (/dev/ttyUSB0), 9600, 8, None", "UDP port 20000, destination
    // 127.0.0.1", "File /var/out.txt", "TCP 10.0.0.5:4000".
    QString settingsText() const;

    // Serial. The port number n gives the port name "COMn" (SerialPortMap says
    // which device that is); setSerialPort() takes the name.
    bool setSerialPortNumber(int number);
    bool setSerialPort(const QString& portName);
    int serialPortNumber() const;
    QString serialPortName() const;
    // An explicit device path used instead of the COMn rule; empty for none.
    void setSerialDevice(const QString& devicePath);
    QString serialDevice() const;
    // The device the stream opens: the explicit path, else COMn's device of
    // this machine; empty when there is none.
    QString resolvedSerialDevice() const;
    bool setBaudRate(int baudRate);
    int baudRate() const;
    bool setDataBits(int dataBits);
    int dataBits() const;
    bool setParity(int parity);
    int parity() const;

    // UDP.
    bool setUdpPort(int port);
    int udpPort() const;
    void setDestinationHost(const QString& host);
    QString destinationHost() const;
    void setListenAddress(const QString& address);
    QString listenAddress() const;

    // TCP client.
    void setTcpHost(const QString& host);
    QString tcpHost() const;
    bool setTcpPort(int port);
    int tcpPort() const;

    // File.
    void setFileName(const QString& fileName);
    QString fileName() const;

    // How host names are looked up (taken at open()); empty, the default, means
    // the system's resolver (QHostInfo). Tests set one they control.
    void setHostLookup(HostLookup lookup);

    // --- life cycle -------------------------------------------------------
    // Attaches the protocol object, starts the I/O thread and opens the device.
    // An open stream is closed first. Fails (negative) for HTTP, IPX, a stream
    // without kind and every device that cannot be opened. A host name is looked
    // up afterwards (see above); a TCP connection to an address is made here.
    int open();
    // Closes the device and ends the I/O thread, waiting up to StopTimeoutMs. A
    // thread that does not end is reported (negative status, lastError()) and
    // left alone; the stream is closed either way. Cannot be called from the
    // stream's own I/O thread.
    int close();
    bool isOpen() const;
    QString lastError() const;
    // "Open", "Resolving <host>", "Connecting to <address>:<port>", "Closed", or
    // "Failed: <reason>" after the device failed while open. An open stream that
    // has bytes queued or has dropped messages adds " (<n> bytes queued, <m>
    // dropped)".
    QString statusText() const;
    // Bytes accepted for sending that the driver or the socket has not taken yet;
    // never more than MaxQueuedBytes.
    qint64 queuedBytes() const { return m_queuedBytes.load(); }
    // Messages dropped unsent because the queue was full, since the last open().
    qint64 droppedPieces() const { return m_droppedPieces.load(); }
    // The I/O thread while open, else null.
    QThread* ioThread() const { return m_ioThread.load(); }

    // --- sending ----------------------------------------------------------
    // The RTD protocol object (attached while open).
    RtdProtocol& protocol() { return m_protocol; }
    // Each send returns 0 once its bytes were accepted (see above). One call's
    // bytes are one message (a piece): queued and dropped whole.
    // Text as it stands (announcer terminals): one byte per character,
    // characters above 255 as "?".
    int sendText(const QString& text);
    int sendBytes(const QByteArray& bytes);
    // Several messages in one hand-over to the I/O thread, in order, waiting
    // pauseAfterEach after handing over each of them (pieces of a long text
    // block). Stops at the first failure. With pauses, the caller does not
    // wait for them: the messages are accepted once the I/O thread has them
    // (up to MaxQueuedBytes not yet taken; beyond that the caller waits as for
    // any other send), and a failure while they go out is reported through
    // lastError() and problem().
    int sendMessages(const QList<QByteArray>& messages, std::chrono::microseconds pauseAfterEach);
    // How a batch is given to the I/O thread.
    enum class Delivery {
        // The caller waits until the I/O thread has taken every message.
        Wait,
        // Handed over without waiting, as the pieces with pauses above: the
        // messages are accepted once the I/O thread has them (up to
        // MaxQueuedBytes not yet taken), and a failure while they go out is
        // reported through lastError() and problem(). When they cannot be
        // handed over (an open or close under way, a failed device, the queue
        // full, or called on the I/O thread) the caller waits as with Wait.
        HandOver
    };
    // The messages of batch in order, each followed by its pause.
    int sendBatch(const TxMessageBatch& batch, Delivery delivery);
    // The same as sendBatch in two steps: the batch is handed over now, its
    // status comes from wait() on what this returns (at once when it was
    // handed over without waiting).
    TxPendingSend startBatch(const TxMessageBatch& batch, Delivery delivery = Delivery::Wait);
    // True while messages handed over without waiting have not all been
    // taken: a send that waits would wait out their pauses as well.
    bool handingOver();

    // --- receiving --------------------------------------------------------
    // Replaces the receiver; once this returns the old one is not called again.
    void setDataReceiver(DataReceiver receiver);
    // Enables or disables delivery of received data; a UDP stream binds or
    // releases its port (failure: negative status, receiving stays off).
    int setReceiving(bool on);
    bool isReceiving() const;

signals:
    // Every byte sent or received, for traffic viewers. Emitted on the I/O
    // thread, or on the sending thread for datagrams it wrote itself; connect
    // with Qt::QueuedConnection to receive it on the receiver's thread.
    void traffic(TxStream::Direction direction, const QByteArray& bytes, qint64 msecsSinceEpoch);
    // Opened, closed, the device failed, an address became known, or messages
    // began to be dropped. Emitted on whichever thread made the change.
    void statusChanged();
    // Something the operator's log should hold happened while open: the device
    // failed, a host name was not found, or messages began to be dropped.
    // Emitted on the I/O thread; the owner of the stream logs it.
    void problem(const QString& text);

private:
    friend class TxStreamWorker;
    friend class RtdProtocol;
    friend class TxPendingSend;

    // What a call carried out on the I/O thread reports back.
    struct CallResult
    {
        int status = StatusFailed;
        QString error;
    };
    using IoCall = std::function<CallResult(TxStreamWorker& worker)>;

    void setLastError(const QString& text);
    bool onIoThread() const;
    // The worker when called on its I/O thread, else null.
    TxStreamWorker* ownWorker() const;
    // Runs call on the worker's I/O thread and waits for its result until the
    // deadline; none when it did not finish in time. A call that had not begun
    // by then never runs; one that had finishes on its own, so a call holds
    // what it uses by value.
    static std::optional<CallResult> callOnIoThread(TxStreamWorker* worker, const IoCall& call,
                                                    QDeadlineTimer deadline);
    // The two halves of that: the call queued for the worker's thread, then
    // its result awaited.
    static std::shared_ptr<TxCallState> postCall(TxStreamWorker* worker, const IoCall& call);
    static std::optional<CallResult> awaitCall(TxCallState& state, QDeadlineTimer deadline);
    // callWorker in two steps: started (run directly when it need not wait),
    // then finished by the pending send it gave.
    TxPendingSend beginCall(const IoCall& call, const QString& what);
    CallResult finishCall(TxPendingSend& pending);
    // Runs call on the open stream's worker within CallTimeoutMs, directly when
    // already on the I/O thread; StatusNotOpen when closed, StatusTimedOut when
    // it did not finish in time. what names the call in the error texts.
    CallResult callWorker(const IoCall& call, const QString& what);
    // Gives messages to the open stream's I/O thread without waiting for them;
    // false when the caller must send them itself (see Delivery::HandOver).
    bool handOver(const TxMessageBatch& batch);
    // The open stream's link to its worker for a send written on this
    // thread; null on the I/O thread, while opening or closing, or failed.
    std::shared_ptr<TxStreamLink> directLink();
    int closeLocked();
    // Forgets the I/O thread after close; one still running is left to end by itself.
    void releaseThread(bool stillRunning);

    // Reports from the worker, on the I/O thread.
    void emitTraffic(Direction direction, QByteArrayView bytes);
    void reportDeviceFailure(const QString& text);
    void reportProblem(const QString& text);
    void setWaitingFor(const QString& text);
    void setQueueState(qint64 queuedBytes, qint64 droppedPieces);

    mutable QMutex m_mutex; // guards the members below up to m_lifecycle
    TxStreamSettings m_settings;
    HostLookup m_hostLookup;
    QString m_lastError;
    QString m_failure;
    // What an open stream still waits for before it sends ("Resolving <host>").
    QString m_waitingFor;
    DataReceiver m_receiver;
    bool m_receiving = false;
    // Why receiving could not start (a UDP port taken by another program);
    // empty once it runs or is no longer asked for.
    QString m_receiveFailure;

    // Held for reading by calls into the I/O thread, for writing by open and
    // close. A reader holds it at most CallTimeoutMs, so a writer never waits
    // longer than that for it.
    QReadWriteLock m_lifecycle;
    QThread* m_thread = nullptr;
    std::shared_ptr<TxStreamLink> m_link;
    std::atomic<QThread*> m_ioThread{nullptr};
    std::atomic<TxStreamWorker*> m_worker{nullptr};
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_deviceFailed{false};
    std::atomic<qint64> m_queuedBytes{0};
    std::atomic<qint64> m_droppedPieces{0};

    RtdProtocol m_protocol;
};
