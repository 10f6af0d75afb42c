#include "udpdirectsend.h"

#include "txmessagebatch.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>

namespace {

// The destination as the socket's own address family writes it: a socket of
// both families (Qt's default) takes an IPv4 address in its IPv6 form.
bool socketAddress(int descriptor, const QHostAddress& destination, quint16 port, sockaddr_storage& to,
                   socklen_t& length)
{
    sockaddr_storage own{};
    socklen_t ownLength = sizeof own;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&own), &ownLength) != 0)
        return false;
    std::memset(&to, 0, sizeof to);
    if (own.ss_family == AF_INET) {
        if (destination.protocol() != QAbstractSocket::IPv4Protocol)
            return false;
        auto* in = reinterpret_cast<sockaddr_in*>(&to);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(destination.toIPv4Address());
        length = sizeof(sockaddr_in);
        return true;
    }
    if (own.ss_family == AF_INET6) {
        // A scoped (link-local) address is left to Qt, which knows its interfaces.
        if (!destination.scopeId().isEmpty())
            return false;
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&to);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR address = destination.toIPv6Address();
        std::memcpy(&in6->sin6_addr, address.c, sizeof address.c);
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

} // namespace

void UdpDirectSend::offer(qintptr descriptor, const QHostAddress& destination, quint16 port)
{
    QMutexLocker lock(&m_mutex);
    if (descriptor < 0 || m_descriptor == int(descriptor))
        return;
    if (socketAddress(int(descriptor), destination, port, m_to, m_toLength))
        m_descriptor = int(descriptor);
}

void UdpDirectSend::withdraw()
{
    QMutexLocker lock(&m_mutex);
    m_descriptor = -1;
}

qsizetype UdpDirectSend::send(const TxMessageBatch& batch, const std::function<void(QByteArrayView)>& sent)
{
    for (qsizetype i = 0; i < batch.count(); ++i) {
        if (batch.pauseAfter(i).count() > 0)
            return 0;
    }
    QMutexLocker lock(&m_mutex);
    if (m_descriptor < 0 || m_pending.load() > 0)
        return 0;
    for (qsizetype i = 0; i < batch.count(); ++i) {
        const QByteArrayView bytes = batch.message(i);
        ssize_t written = -1;
        do {
            written = ::sendto(m_descriptor, bytes.data(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&m_to), m_toLength);
        } while (written < 0 && errno == EINTR);
        if (written != bytes.size())
            return i;
        sent(bytes);
    }
    return batch.count();
}
