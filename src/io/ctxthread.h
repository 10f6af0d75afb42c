#pragma once

#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

class QObject;
class QThread;
class UserPrompt;

// A worker thread with its own event loop, owned by the object that starts it.
// Work reaches it as posted messages; an idle handler runs whenever the wait for
// messages times out. Everything it runs is guarded: an exception that escapes
// a message or the idle handler ends the thread and is reported (log, and a
// message box on the user-interface thread when show-errors is on).
//
// Stop() asks the loop to quit and waits a bounded time. A thread that does not
// end in time is logged and left to finish on its own: ending a thread forcibly
// can leave locks held and data half-written, so it is never done.
class CTxThread
{
public:
    static constexpr int DefaultWaitMs = 10000;
    static constexpr int StopTimeoutMs = 5000;
    static constexpr const char* ExceptionCaption = "CTxThread Exception";

    explicit CTxThread(const QString& name = QStringLiteral("CTxThread"));
    ~CTxThread();
    CTxThread(const CTxThread&) = delete;
    CTxThread& operator=(const CTxThread&) = delete;

    QString name() const { return m_name; }

    // Called on the thread each time waitTimeoutMs pass without a message.
    void setIdleHandler(std::function<void()> handler);
    // The message box of an escaping exception is shown through prompt, posted
    // to uiContext's thread (the user-interface thread). Without a context, or
    // once it is gone, nothing is shown.
    void setErrorPrompt(UserPrompt* prompt, QObject* uiContext);
    void setShowErrors(bool on) { m_showErrors = on; }
    bool showErrors() const { return m_showErrors; }

    // Starts the thread (a running one is left as it is).
    bool Start(int waitTimeoutMs = DefaultWaitMs);
    // True when the thread ended (or never ran); false when it was left running.
    bool Stop(int timeoutMs = StopTimeoutMs);
    bool isRunning() const;
    QThread* thread() const;

    // Runs message on the thread; false when the thread is not running.
    bool Post(std::function<void()> message);

    // "std::runtime_error: text", "true", "42", "Unknown exception", ...
    static QString DescribeException(std::exception_ptr error);
    // The message box text for an exception that ended the thread.
    static QString ExceptionText(const QString& threadName, const QString& description);

private:
    class Runner;

    QString m_name;
    std::function<void()> m_idle;
    UserPrompt* m_prompt = nullptr;
    QPointer<QObject> m_uiContext;
    bool m_showErrors = false;
    Runner* m_runner = nullptr;
    QObject* m_mailbox = nullptr;
};
