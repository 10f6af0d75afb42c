#pragma once

#include "portuser.h"

#include <atomic>

// The timing console's feed: one per configuration, attached first to its port
// so that it gets everything that arrives there.
//
// Reading the console's image (running time, marks, times, status) is not built
// yet: OnData only counts the blocks it is handed.
class TimerInput : public PortUser
{
public:
    TimerInput() : PortUser(Role::Timer) {}

    QString name() const override { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }

    void OnData(const QString& text, int offset) override;
    bool wantsData() const override { return true; }
    // Blocks handed over since construction.
    long receivedBlocks() const { return m_received.load(); }

    // Name and port, as the configuration compares and copies them.
    bool sameConfiguration(const TimerInput& other) const;
    void copyConfiguration(const TimerInput& other);

protected:
    QString threadName() const override { return QStringLiteral("Timer"); }

private:
    QString m_name;
    int m_port = 0;
    std::atomic<long> m_received{0};
};
