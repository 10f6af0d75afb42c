#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// The address readers type (or scan) to reach the live results.
namespace LiveAddress {

// One address of this computer and what is known of its interface.
struct Candidate
{
    QHostAddress address;
    QString interfaceName;
    bool usable = false; // the interface is up and running and not a loopback
};

// This computer's addresses as the system lists them.
QList<Candidate> fromSystem();

// The address phones on the arena's network reach when the server listens on
// every interface: an IPv4 address of a working interface, one of a private
// network (192.168/16, 172.16/12, 10/8) first, never a link-local or a
// container bridge's; else a global IPv6 one; else this computer only
// (127.0.0.1). Listening on one address: that address.
QHostAddress preferred(const QList<Candidate>& candidates, const QString& listenAddress = QString());

// "http://192.168.1.20:8080/" (an IPv6 address in brackets).
QString url(const QHostAddress& address, quint16 port);

} // namespace LiveAddress
