#include "ctxthread.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "platform/threadhandoff.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <future>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>
#include <variant>

namespace {

QString withText(const char* className, const std::exception& e)
{
    return QString::fromLatin1(className) + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
}

} // namespace

// The thread itself. It carries copies of everything it needs, so that a thread
// left running after Stop() gave up on it never reaches back into its holder.
class CTxThread::Runner : public QThread
{
public:
    Runner(const QString& name, std::function<void()> idle, int waitMs, UserPrompt* prompt,
           QObject* uiContext, bool showErrors)
        : m_name(name), m_idle(std::move(idle)), m_waitMs(waitMs), m_prompt(prompt), m_uiContext(uiContext),
          m_showErrors(showErrors)
    {
        setObjectName(name);
    }

    // Deleted once the thread has ended (after a wait, or from its finished
    // signal): Qt orders that end before, inside the Qt library.
    ~Runner() override { ThreadHandOff::acquired(this); }

    // Runs fn on this thread with the catch-all around it.
    void guarded(const std::function<void()>& fn)
    {
        if (m_ended.load())
            return;
        try {
            fn();
        } catch (...) {
            report(std::current_exception());
            m_ended = true;
            quit();
        }
    }

protected:
    void run() override
    {
        QTimer idle;
        if (m_idle) {
            idle.setInterval(m_waitMs > 0 ? m_waitMs : DefaultWaitMs);
            QObject::connect(&idle, &QTimer::timeout, [this] { guarded(m_idle); });
            idle.start();
        }
        exec();
        ThreadHandOff::released(this); // for the destructor
    }

private:
    void report(std::exception_ptr error)
    {
        const QString description = DescribeException(error);
        logReport("The thread ended on an exception.  CTxThread  Thread:%s, Error:%s", m_name, description);
        if (!m_showErrors || !m_prompt || !m_uiContext)
            return;
        // Message boxes belong to the user-interface thread: post it there. The
        // context going away drops the call.
        UserPrompt* prompt = m_prompt;
        const QString text = ExceptionText(m_name, description);
        ThreadHandOff::post(m_uiContext.data(), [prompt, text] {
            prompt->ask(text, QString::fromLatin1(ExceptionCaption), UserPrompt::Buttons::Ok,
                        UserPrompt::Icon::Error);
        });
    }

    const QString m_name;
    const std::function<void()> m_idle;
    const int m_waitMs;
    UserPrompt* const m_prompt;
    const QPointer<QObject> m_uiContext;
    const bool m_showErrors;
    std::atomic<bool> m_ended{false};
};

CTxThread::CTxThread(const QString& name) : m_name(name.isEmpty() ? QStringLiteral("CTxThread") : name) {}

CTxThread::~CTxThread()
{
    Stop();
}

void CTxThread::setIdleHandler(std::function<void()> handler)
{
    m_idle = std::move(handler);
}

void CTxThread::setErrorPrompt(UserPrompt* prompt, QObject* uiContext)
{
    m_prompt = prompt;
    m_uiContext = uiContext;
}

bool CTxThread::Start(int waitTimeoutMs)
{
    if (isRunning())
        return true;
    if (m_runner)
        Stop(); // a finished thread: release it before starting anew
    m_runner = new Runner(m_name, m_idle, waitTimeoutMs, m_prompt, m_uiContext.data(), m_showErrors);
    m_mailbox = new QObject;
    m_mailbox->moveToThread(m_runner);
    // The mailbox belongs to the thread; it goes when the thread ends.
    QObject::connect(m_runner, &QThread::finished, m_mailbox, &QObject::deleteLater, Qt::DirectConnection);
    m_runner->start();
    return true;
}

bool CTxThread::Stop(int timeoutMs)
{
    if (!m_runner)
        return true;
    Runner* runner = m_runner;
    m_runner = nullptr;
    m_mailbox = nullptr; // deleted with the thread's end
    // Connected before the thread is asked to end: one that ends at any moment
    // from here on, even right after a wait gave up on it, still goes.
    QObject::connect(runner, &QThread::finished, runner, &QObject::deleteLater);
    runner->quit();
    if (QThread::currentThread() == runner)
        return false; // stopped from its own message: the loop ends when it returns
    if (runner->wait(QDeadlineTimer(timeoutMs < 0 ? 0 : timeoutMs))) {
        delete runner; // its pending deleteLater goes with it
        return true;
    }
    logReport("The thread did not end within %d ms and was left running.  CTxThread::Stop  Thread:%s",
              timeoutMs, m_name);
    return false;
}

bool CTxThread::isRunning() const
{
    return m_runner && m_runner->isRunning();
}

QThread* CTxThread::thread() const
{
    return m_runner;
}

bool CTxThread::Post(std::function<void()> message)
{
    if (!isRunning() || !m_mailbox || !message)
        return false;
    Runner* runner = m_runner;
    return ThreadHandOff::post(m_mailbox, [runner, message = std::move(message)] { runner->guarded(message); });
}

QString CTxThread::DescribeException(std::exception_ptr error)
{
    if (!error)
        return QStringLiteral("Unknown exception");
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc& e) {
        return withText("std::bad_alloc", e);
    } catch (const std::bad_cast& e) {
        return withText("std::bad_cast", e);
    } catch (const std::bad_typeid& e) {
        return withText("std::bad_typeid", e);
    } catch (const std::bad_function_call& e) {
        return withText("std::bad_function_call", e);
    } catch (const std::bad_variant_access& e) {
        return withText("std::bad_variant_access", e);
    } catch (const std::bad_exception& e) {
        return withText("std::bad_exception", e);
    } catch (const std::out_of_range& e) {
        return withText("std::out_of_range", e);
    } catch (const std::length_error& e) {
        return withText("std::length_error", e);
    } catch (const std::invalid_argument& e) {
        return withText("std::invalid_argument", e);
    } catch (const std::domain_error& e) {
        return withText("std::domain_error", e);
    } catch (const std::future_error& e) {
        return withText("std::future_error", e);
    } catch (const std::logic_error& e) {
        return withText("std::logic_error", e);
    } catch (const std::range_error& e) {
        return withText("std::range_error", e);
    } catch (const std::overflow_error& e) {
        return withText("std::overflow_error", e);
    } catch (const std::underflow_error& e) {
        return withText("std::underflow_error", e);
    } catch (const std::system_error& e) {
        return withText("std::system_error", e);
    } catch (const std::runtime_error& e) {
        return withText("std::runtime_error", e);
    } catch (const std::exception& e) {
        return withText("std::exception", e);
    } catch (bool b) {
        return b ? QStringLiteral("true") : QStringLiteral("false");
    } catch (int n) {
        return QString::number(n);
    } catch (unsigned n) {
        return QString::number(n);
    } catch (long n) {
        return QString::number(n);
    } catch (unsigned long n) {
        return QString::number(n);
    } catch (long long n) {
        return QString::number(n);
    } catch (unsigned long long n) {
        return QString::number(n);
    } catch (short n) {
        return QString::number(n);
    } catch (unsigned short n) {
        return QString::number(n);
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

QString CTxThread::ExceptionText(const QString& threadName, const QString& description)
{
    return threadName + QStringLiteral(" : Exception occured\n\n     ") + description +
           QStringLiteral("\n\n     Thread terminating.\n\n");
}
