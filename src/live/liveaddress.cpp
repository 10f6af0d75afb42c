#include "liveaddress.h"

#include <QNetworkInterface>
#include <QUrl>

namespace {

// Bridges of containers and virtual machines are up, private, and useless to a phone.
bool isBridge(const QString& name)
{
    for (const char* prefix : {"docker", "veth", "br-", "virbr", "vboxnet", "vmnet", "lxc", "cni", "podman"})
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

bool isPrivateIpv4(const QHostAddress& a)
{
    return a.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16) ||
           a.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           a.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8);
}

} // namespace

namespace LiveAddress {

QList<Candidate> fromSystem()
{
    QList<Candidate> out;
    for (const QNetworkInterface& nif : QNetworkInterface::allInterfaces()) {
        const auto flags = nif.flags();
        const bool usable = flags.testFlag(QNetworkInterface::IsUp) &&
                            flags.testFlag(QNetworkInterface::IsRunning) &&
                            !flags.testFlag(QNetworkInterface::IsLoopBack);
        for (const QNetworkAddressEntry& entry : nif.addressEntries())
            out.append({entry.ip(), nif.name(), usable});
    }
    return out;
}

QHostAddress preferred(const QList<Candidate>& candidates, const QString& listenAddress)
{
    if (!listenAddress.isEmpty()) {
        const QHostAddress chosen(listenAddress);
        if (!chosen.isNull() && chosen != QHostAddress::Any && chosen != QHostAddress::AnyIPv4 &&
            chosen != QHostAddress::AnyIPv6)
            return chosen;
    }
    const auto pick = [&](auto&& wanted) -> QHostAddress {
        for (const Candidate& c : candidates)
            if (c.usable && !isBridge(c.interfaceName) && !c.address.isLoopback() &&
                !c.address.isLinkLocal() && wanted(c.address))
                return c.address;
        return QHostAddress();
    };
    const auto ipv4 = [](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    };
    QHostAddress found = pick([&](const QHostAddress& a) { return ipv4(a) && isPrivateIpv4(a); });
    if (found.isNull())
        found = pick(ipv4);
    if (found.isNull())
        found = pick([](const QHostAddress& a) { return a.isGlobal(); });
    return found.isNull() ? QHostAddress(QHostAddress::LocalHost) : found;
}

QString url(const QHostAddress& address, quint16 port)
{
    QUrl u;
    u.setScheme(QStringLiteral("http"));
    QHostAddress plain = address;
    plain.setScopeId(QString()); // a zone means nothing to another computer
    u.setHost(plain.toString());
    u.setPort(port);
    u.setPath(QStringLiteral("/"));
    return u.toString();
}

} // namespace LiveAddress
