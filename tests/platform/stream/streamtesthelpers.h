#pragma once

#include "platform/stream/rtddecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>
#include <QVariant>
#include <functional>

// Polls (processing this thread's events) until pred holds or the time is up.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

// A free UDP port on the loopback address (free when asked; tests use it at once).
inline int freeUdpPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress))
        return 0;
    return probe.localPort();
}

// A plain socket on 127.0.0.1 playing the scoreboard: collects datagrams.
class UdpCollector
{
public:
    UdpCollector()
    {
        m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
        // Room for bursts of large datagrams while the test thread is busy sending.
        m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 * 1024 * 1024));
    }

    int port() const { return m_socket.localPort(); }

    // Reads until count datagrams arrived or the time is up.
    QList<QByteArray> receive(int count, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_received.size() < count && timer.elapsed() < timeoutMs) {
            if (!m_socket.hasPendingDatagrams())
                m_socket.waitForReadyRead(50);
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_socket.receiveDatagram();
                if (!datagram.isValid())
                    break;
                m_received.append(datagram.data());
            }
        }
        QList<QByteArray> out;
        out.swap(m_received);
        return out;
    }

    QUdpSocket& socket() { return m_socket; }

private:
    QUdpSocket m_socket;
    QList<QByteArray> m_received;
};

// Decodes datagrams that must all be valid messages; a raw one is returned as
// such so that the test fails visibly.
inline QList<RtdMessage> decodeAll(const QList<QByteArray>& datagrams)
{
    QList<RtdMessage> out;
    for (const QByteArray& datagram : datagrams)
        out.append(RtdDecoder::decodeDatagram(datagram));
    return out;
}
