// Worker threads: posted work, idle time-outs, exceptions, and stopping a
// thread that does not end.
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "io/ctxthread.h"
#include "platform/stream/streamtesthelpers.h"

#include <QObject>
#include <QPointer>
#include <QSemaphore>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Custom : std::exception
{
    const char* what() const noexcept override { return "custom"; }
};
struct NotAnException
{
};

template <typename T> QString describe(T thrown)
{
    return CTxThread::DescribeException(std::make_exception_ptr(thrown));
}

TEST(CTxThread, ExceptionsAreDescribedByKind)
{
    EXPECT_EQ(describe(std::runtime_error("disk gone")), QStringLiteral("std::runtime_error: disk gone"));
    EXPECT_EQ(describe(std::out_of_range("index")), QStringLiteral("std::out_of_range: index"));
    EXPECT_EQ(describe(std::logic_error("oops")), QStringLiteral("std::logic_error: oops"));
    EXPECT_EQ(describe(std::overflow_error("big")), QStringLiteral("std::overflow_error: big"));
    EXPECT_EQ(describe(std::bad_alloc()), QStringLiteral("std::bad_alloc: std::bad_alloc"));
    EXPECT_EQ(describe(Custom()), QStringLiteral("std::exception: custom"));
    EXPECT_EQ(describe(true), QStringLiteral("true"));
    EXPECT_EQ(describe(false), QStringLiteral("false"));
    EXPECT_EQ(describe(42), QStringLiteral("42"));
    EXPECT_EQ(describe(-7L), QStringLiteral("-7"));
    EXPECT_EQ(describe(NotAnException()), QStringLiteral("Unknown exception"));
    EXPECT_EQ(describe(3.5), QStringLiteral("Unknown exception"));
    EXPECT_EQ(CTxThread::DescribeException(nullptr), QStringLiteral("Unknown exception"));
    EXPECT_EQ(CTxThread::ExceptionText(QStringLiteral("CTxThread"), QStringLiteral("42")),
              QStringLiteral("CTxThread : Exception occured\n\n     42\n\n     Thread terminating.\n\n"));
}

TEST(CTxThread, PostedWorkRunsOnTheThreadAndStopEndsIt)
{
    CTxThread thread(QStringLiteral("Worker"));
    EXPECT_FALSE(thread.Post([] {}));
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.isRunning());
    std::atomic<QThread*> ranOn{nullptr};
    ASSERT_TRUE(thread.Post([&] { ranOn = QThread::currentThread(); }));
    ASSERT_TRUE(waitUntil([&] { return ranOn.load() != nullptr; }));
    EXPECT_EQ(ranOn.load(), thread.thread());
    EXPECT_NE(ranOn.load(), QThread::currentThread());
    EXPECT_TRUE(thread.Stop());
    EXPECT_FALSE(thread.isRunning());
    EXPECT_FALSE(thread.Post([] {}));
}

TEST(CTxThread, TheIdleHandlerRunsWhenTheWaitTimesOut)
{
    CTxThread thread;
    std::atomic<int> idle{0};
    thread.setIdleHandler([&] { ++idle; });
    ASSERT_TRUE(thread.Start(20));
    EXPECT_TRUE(waitUntil([&] { return idle.load() >= 2; }));
    thread.Stop();
}

TEST(CTxThread, AnEscapingExceptionEndsTheThreadAndIsShownOnTheUiThread)
{
    LogCapture log;
    ScriptedPrompt prompt;
    QObject ui;
    CTxThread thread;
    thread.setErrorPrompt(&prompt, &ui);
    thread.setShowErrors(true);
    ASSERT_TRUE(thread.Start());
    std::atomic<bool> laterRan{false};
    thread.Post([] { throw std::runtime_error("no console"); });
    thread.Post([&] { laterRan = true; });
    ASSERT_TRUE(waitUntil([&] { return !prompt.shown.isEmpty(); }));
    EXPECT_EQ(prompt.shown[0].text,
              QStringLiteral("CTxThread : Exception occured\n\n     std::runtime_error: no console\n\n"
                             "     Thread terminating.\n\n"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("CTxThread Exception"));
    EXPECT_EQ(prompt.shown[0].icon, UserPrompt::Icon::Error);
    EXPECT_TRUE(waitUntil([&] { return !thread.isRunning(); }));
    EXPECT_FALSE(laterRan.load());
    EXPECT_TRUE(log.contains("The thread ended on an exception.  CTxThread  Thread:CTxThread, "
                             "Error:std::runtime_error: no console"));
}

TEST(CTxThread, WithoutShowErrorsNothingIsShown)
{
    LogCapture log;
    ScriptedPrompt prompt;
    QObject ui;
    CTxThread thread(QStringLiteral("Quiet"));
    thread.setErrorPrompt(&prompt, &ui);
    ASSERT_TRUE(thread.Start());
    thread.Post([] { throw 7; });
    ASSERT_TRUE(waitUntil([&] { return !thread.isRunning(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_TRUE(log.contains("The thread ended on an exception.  CTxThread  Thread:Quiet, Error:7"));
}

TEST(CTxThread, AThreadThatDoesNotEndIsLoggedAndLeftAlone)
{
    LogCapture log;
    QSemaphore release;
    std::atomic<bool> finished{false};
    {
        CTxThread thread(QStringLiteral("Stuck"));
        ASSERT_TRUE(thread.Start());
        thread.Post([&] {
            release.acquire();
            finished = true;
        });
        QThread::msleep(20);
        EXPECT_FALSE(thread.Stop(100));
        EXPECT_TRUE(
            log.contains("The thread did not end within 100 ms and was left running.  CTxThread::Stop  "
                         "Thread:Stuck"));
        EXPECT_FALSE(thread.isRunning()); // released by its holder
    }
    // Not terminated: the work finishes once it may.
    release.release();
    EXPECT_TRUE(waitUntil([&] { return finished.load(); }));
}

TEST(CTxThread, AThreadThatEndsRightAfterTheStopGaveUpIsDeleted)
{
    LogCapture log;
    QSemaphore entered;
    QSemaphore release;
    CTxThread thread(QStringLiteral("Late"));
    ASSERT_TRUE(thread.Start());
    const QPointer<QThread> runner = thread.thread();
    ASSERT_TRUE(thread.Post([&] {
        entered.release();
        release.acquire();
    }));
    entered.acquire();
    // The moment the stop gives up (it logs that), the work ends and the
    // thread with it.
    theLog().setDebugSink([&](const QString& line) {
        if (line.startsWith(QStringLiteral("The thread did not end within"))) {
            release.release();
            runner->wait();
        }
    });
    EXPECT_FALSE(thread.Stop(50));
    EXPECT_TRUE(waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return runner.isNull();
    }));
}

} // namespace
