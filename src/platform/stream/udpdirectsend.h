#pragma once

#include <QHostAddress>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <sys/socket.h>

class TxMessageBatch;

// A UDP stream's socket as a sending thread may use it without handing its
// datagrams to the stream's I/O thread. A datagram to a known address is
// written at once (the peer is never waited for), so a sender that would only
// wait for the I/O thread to write its datagrams writes them itself and is
// spared two thread switches.
//
// The I/O thread owns the socket: it offers it once it is bound, its
// destination known and its queue empty, and withdraws it before it closes the
// socket or binds it again; a send under way holds the withdrawal back until
// it ends. Sends still waiting on the I/O thread come first: while any is
// pending (pendingBegins() to pendingEnds()) nothing is written directly, so a
// thread's datagrams leave in the order it sent them.
class UdpDirectSend
{
public:
    void offer(qintptr descriptor, const QHostAddress& destination, quint16 port);
    void withdraw();

    // A send of this stream handed to the I/O thread, and its end there.
    void pendingBegins() { m_pending.fetch_add(1); }
    void pendingEnds() { m_pending.fetch_sub(1); }

    // Writes the batch's messages in order, one datagram each, while the
    // socket is offered, nothing is pending and each is taken whole; sent is
    // called after each. Returns how many went out: all of them, or fewer when
    // the rest must go through the I/O thread (not offered, a send pending, the
    // socket's buffer full, or an error that thread is to report). A batch with
    // pauses between its messages is never written here.
    qsizetype send(const TxMessageBatch& batch, const std::function<void(QByteArrayView)>& sent);

private:
    QMutex m_mutex;
    int m_descriptor = -1; // -1 while not offered
    sockaddr_storage m_to{};
    socklen_t m_toLength = 0;
    std::atomic<int> m_pending{0};
};
