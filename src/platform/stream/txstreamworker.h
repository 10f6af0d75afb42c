#pragma once

#include "rtddecoder.h"
#include "txstream.h"
#include "txstreamsettings.h"
#include "udpdirectsend.h"

#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>

class QFile;
class QIODevice;
class QSerialPort;
class QTcpSocket;
class QTimer;
class QUdpSocket;

// The worker's way back to its stream. The stream clears owner when it lets go
// of a worker whose thread did not end, so a late worker never touches it.
struct TxStreamLink
{
    QMutex mutex;
    TxStream* owner = nullptr;
    // Bytes of long texts handed to the I/O thread without waiting for them
    // (TxStream::sendMessages) that it has not taken yet.
    std::atomic<qint64> handedOverBytes{0};
    // The UDP socket as senders may write it themselves.
    UdpDirectSend direct;
};

// Lives on a stream's I/O thread and owns its device and its send queue. Every
// member function runs on that thread.
//
// Bytes for a serial port or a TCP connection, and for any device whose address
// is still being looked up or connected to, go through the queue. The device is
// given at most DeviceBufferBytes more than its driver or socket has taken; the
// rest waits in the queue as whole pieces (one piece per message), within
// TxStream::MaxQueuedBytes, and follows as the device reports bytes written.
// Files and UDP datagrams to a known address are written at once.
class TxStreamWorker : public QObject
{
    Q_OBJECT
public:
    // What the device's own write buffer may hold: enough to keep the line busy
    // between two reports of bytes written, little enough that most waiting
    // bytes stay in the queue, where whole pieces can still be dropped.
    static constexpr qint64 DeviceBufferBytes = 4096;

    TxStreamWorker(std::shared_ptr<TxStreamLink> link, const TxStreamSettings& settings,
                   const QString& serialDevice, TxStream::HostLookup lookup);
    ~TxStreamWorker() override;

    int openDevice(bool receiving, QString* error);
    // Closes the device and discards what is still queued.
    void closeDevice();
    // Takes the batch's pieces for sending, in order, each followed by its
    // pause; StatusOk once every piece was written or queued.
    int send(const TxMessageBatch& batch, QString* error);
    // The same for pieces whose sender did not wait: a failure is reported as
    // the stream's last error and as a problem for the operator's log.
    void sendHandedOver(const TxMessageBatch& batch);
    int setReceiving(bool on, QString* error);
    void setReceiver(TxStream::DataReceiver receiver) { m_receiver = std::move(receiver); }

private:
    struct Piece
    {
        QByteArray bytes;
        qsizetype handedOver = 0; // bytes already given to the device
    };

    int openSerial(QString* error);
    int openUdp(bool receiving, QString* error);
    int openTcp(QString* error);
    int openFile(QString* error);
    int bindUdp(QString* error);
    void serialError(int code);
    void lookUp(const QString& host);
    void lookedUp(const QList<QHostAddress>& addresses, const QString& error);
    void connectTcp(const QHostAddress& address);
    void becomeReady();

    int sendPiece(QByteArrayView bytes, bool* dropped, QString* error);
    int writeDatagram(QByteArrayView bytes, QString* error);
    int writeFile(QByteArrayView bytes, QString* error);
    int enqueue(QByteArrayView bytes, bool* dropped, QString* error);
    void countDrop(bool* dropped);
    void pump();
    // Lets senders write datagrams themselves once nothing waits in the queue.
    void offerDirectSend();
    // The serial port or TCP socket, whose writes go through the queue.
    QIODevice* queuedDevice() const;
    qint64 queuedBytes() const;
    void publishQueue();

    void readDatagrams();
    void readStream();
    // Gives a header whose frame does not complete in time up (RtdDecoder::
    // StallTimeoutMs), so that a false length cannot hold frames back.
    void watchHeldBytes(bool progress);
    void stallTimedOut();
    void deliverDecoded();
    // A file stream that receives replays the frames its file holds, from the
    // start, a chunk per turn of the event loop so that the thread stays free
    // for other calls (txstreamworker_replay.cpp).
    void startReplay();
    void replayChunk();
    void stopReplay();
    void deliver(const RtdMessage& message);
    void deviceFailed(const QString& text);
    void tap(TxStream::Direction direction, QByteArrayView bytes);
    void reportError(const QString& text);
    void reportProblem(const QString& text);
    void setWaitingFor(const QString& text);
    QString label() const;

    std::shared_ptr<TxStreamLink> m_link;
    TxStreamSettings m_settings;
    QString m_serialDevice;
    TxStream::HostLookup m_lookup;

    QSerialPort* m_serial = nullptr;
    QUdpSocket* m_udp = nullptr;
    QTcpSocket* m_tcp = nullptr;
    QFile* m_file = nullptr;
    QFile* m_replay = nullptr; // the file read back while receiving
    QTimer* m_replayTimer = nullptr;
    QTimer* m_connectTimer = nullptr;
    QTimer* m_stallTimer = nullptr;
    QHostAddress m_destination;
    // The host name being looked up; empty once known or without lookup.
    QString m_lookingUp;
    // The device can take bytes: open, its address known, its connection made.
    bool m_ready = false;
    bool m_failed = false;
    QString m_failure;

    std::deque<Piece> m_queue;
    qint64 m_unhandedBytes = 0; // bytes of m_queue not yet given to the device
    qint64 m_droppedPieces = 0;
    bool m_dropping = false; // a run of drops is under way and was reported
    bool m_pumping = false;  // flushing reports bytes written, which pumps again

    bool m_receiving = false;
    TxStream::DataReceiver m_receiver;
    RtdDecoder m_decoder;
};
