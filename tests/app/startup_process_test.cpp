// Start-up and shutdown of the real program, run as a separate process.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace {

class StartupTest : public ::testing::Test
{
protected:
    QString folder() const { return home.path() + QStringLiteral("/Lumavantis/Scorvane Rodeo/"); }

    void startProgram(QProcess& p)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SCORVANE_PROMPTS"), QStringLiteral("stderr"));
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral(TALLYRA_BIN_DIR "/scorvane-rodeo"));
        p.start();
        ASSERT_TRUE(p.waitForStarted(10000));
    }

    // Waits until the program has written its log line and its files.
    bool waitUntilUp()
    {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            QFile log(folder() + QStringLiteral("Tallyra.log"));
            if (QFile::exists(folder() + QStringLiteral("Tallyra.xml")) && log.open(QIODevice::ReadOnly) &&
                log.readAll().contains("Failed to open the rodeo.  DBMgr::Create  Season:, Rodeo:"))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QTemporaryDir home;
};

} // namespace

TEST_F(StartupTest, FirstStartCreatesFilesAndASecondCopyIsRefused)
{
    QProcess first;
    startProgram(first);
    ASSERT_TRUE(waitUntilUp());
    for (const char* name : {"Tallyra.xml", "IO.xml", "ProfileDefault.rpf", "ProfilePlaySeq.rpf", "Tallyra.log"})
        EXPECT_TRUE(QFileInfo::exists(folder() + QString::fromLatin1(name))) << name;

    QProcess second;
    startProgram(second);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("The rodeo result software is running!"));
    EXPECT_EQ(first.state(), QProcess::Running);

    // Asked to end, the program closes normally: no exit question, state written.
    QFile::remove(folder() + QStringLiteral("Tallyra.xml"));
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(first.readAllStandardError().contains("Exit from the rodeo program?"));
    EXPECT_TRUE(QFileInfo::exists(folder() + QStringLiteral("Tallyra.xml")));
}

TEST_F(StartupTest, ACrashedCopyDoesNotBlockTheNextStart)
{
    QProcess crashed;
    startProgram(crashed);
    ASSERT_TRUE(waitUntilUp());
    ::kill(static_cast<pid_t>(crashed.processId()), SIGKILL);
    ASSERT_TRUE(crashed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(folder() + QStringLiteral("Tallyra.lock")));

    QFile::remove(folder() + QStringLiteral("Tallyra.log"));
    QProcess next;
    startProgram(next);
    EXPECT_TRUE(waitUntilUp());
    EXPECT_EQ(next.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(next.processId()), SIGTERM);
    EXPECT_TRUE(next.waitForFinished(20000));
}

TEST_F(StartupTest, WithoutADisplayTheProgramSaysHowToRunItAndEnds)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TALLYRA_BIN_DIR "/scorvane-rodeo"), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 2);
    const QByteArray said = p.readAllStandardError();
    EXPECT_EQ(said.count('\n'), 1) << said.toStdString();
    EXPECT_TRUE(said.contains("ssh -X") && said.contains("scripts/run --vnc")) << said.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("Tallyra.log"))); // nothing started
}
