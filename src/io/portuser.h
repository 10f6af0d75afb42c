#pragma once

#include "ctxthread.h"

#include <QString>
#include <atomic>
#include <memory>

class QObject;
class UserPrompt;

// How the workers of one output manager report an exception that ended them.
struct ThreadErrorOptions
{
    UserPrompt* prompt = nullptr;
    QObject* uiContext = nullptr;
    bool showErrors = false;
};

// Something attached to a port: the timer input, a RIP stream, a request link or
// an announcer monitor. Data received on a port goes to its first user; each
// user also carries the worker thread that runs while communications are started.
class PortUser
{
public:
    enum class Role { Timer, Rip, Request, Monitor };

    explicit PortUser(Role role) : m_role(role) {}
    virtual ~PortUser();
    PortUser(const PortUser&) = delete;
    PortUser& operator=(const PortUser&) = delete;

    Role role() const { return m_role; }
    virtual QString name() const = 0;

    // Received data (text at a character offset of the sender's image), called
    // on the port's own thread. Only a user that wants data gets its port to
    // listen; the others ignore what arrives.
    virtual void OnData(const QString& text, int offset);
    virtual bool wantsData() const { return false; }

    // Identity of a user within a port's user list, for comparing ports.
    QString userLabel() const;

    // --- worker thread ------------------------------------------------------
    bool StartThread(const ThreadErrorOptions& errors, int waitTimeoutMs = CTxThread::DefaultWaitMs);
    // Stops the thread (left running and logged when it does not end in time)
    // and marks the user not started.
    bool StopThread(int timeoutMs = CTxThread::StopTimeoutMs);
    bool isStarted() const { return m_started.load(); }
    CTxThread* thread() const { return m_thread.get(); }

protected:
    virtual QString threadName() const;

private:
    const Role m_role;
    std::unique_ptr<CTxThread> m_thread;
    std::atomic<bool> m_started{false};
};
