#pragma once

#include "portuser.h"

#include <memory>

// A display-controller request link: requests arrive on one port and answers
// go out on another. Kept, loaded and saved with the configuration; its
// communications are never started.
class RequestLink : public PortUser
{
public:
    RequestLink() : PortUser(Role::Request) {}

    QString name() const override { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int requestPort() const { return m_requestPort; }
    void setRequestPort(int port) { m_requestPort = port; }
    int sendPort() const { return m_sendPort; }
    void setSendPort(int port) { m_sendPort = port; }

    bool sameConfiguration(const RequestLink& other) const
    {
        return m_name == other.m_name && m_requestPort == other.m_requestPort &&
               m_sendPort == other.m_sendPort;
    }
    std::unique_ptr<RequestLink> clone() const
    {
        auto copy = std::make_unique<RequestLink>();
        copy->m_name = m_name;
        copy->m_requestPort = m_requestPort;
        copy->m_sendPort = m_sendPort;
        return copy;
    }

protected:
    QString threadName() const override { return QStringLiteral("Request ") + m_name; }

private:
    QString m_name;
    int m_requestPort = 0;
    int m_sendPort = 0;
};
