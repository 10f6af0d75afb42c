#pragma once

#include "rtddecoder.h"
#include "txstream.h"
#include "txstreamsettings.h"

#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <memory>

class QFile;
class QIODevice;
class QSerialPort;
class QTcpSocket;
class QUdpSocket;

// The worker's way back to its stream. The stream clears owner when it lets go
// of a worker whose thread did not end, so a late worker never touches it.
struct TxStreamLink
{
    QMutex mutex;
    TxStream* owner = nullptr;
};

// Lives on a stream's I/O thread and owns its device. Every member function
// runs on that thread.
class TxStreamWorker : public QObject
{
    Q_OBJECT
public:
    TxStreamWorker(std::shared_ptr<TxStreamLink> link, const TxStreamSettings& settings,
                   const QString& serialDevice);
    ~TxStreamWorker() override;

    int openDevice(bool receiving, QString* error);
    void closeDevice();
    int write(const QByteArray& bytes, QString* error);
    int setReceiving(bool on, QString* error);
    void setReceiver(TxStream::DataReceiver receiver) { m_receiver = std::move(receiver); }

private:
    int openSerial(QString* error);
    int openUdp(bool receiving, QString* error);
    int openTcp(QString* error);
    int openFile(QString* error);
    int bindUdp(QString* error);

    void readDatagrams();
    void readStream();
    void deliver(const RtdMessage& message);
    void deviceFailed(const QString& text);
    void tap(TxStream::Direction direction, const QByteArray& bytes);
    void reportError(const QString& text);
    QString label() const;

    std::shared_ptr<TxStreamLink> m_link;
    TxStreamSettings m_settings;
    QString m_serialDevice;

    QSerialPort* m_serial = nullptr;
    QUdpSocket* m_udp = nullptr;
    QTcpSocket* m_tcp = nullptr;
    QFile* m_file = nullptr;
    QHostAddress m_destination;
    bool m_failed = false;

    bool m_receiving = false;
    TxStream::DataReceiver m_receiver;
    RtdDecoder m_decoder;
};
