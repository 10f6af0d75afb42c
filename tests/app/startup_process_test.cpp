// Start-up and shutdown of the real program, run as a separate process.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <csignal>

namespace {

// The addresses on which a socket of this machine listens on TCP port
// `port`, read from the kernel's tables ("127.0.0.1", "::1", "0.0.0.0", "::").
QStringList listeners(quint16 port)
{
    QStringList found;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile f(QString::fromLatin1(table));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        f.readLine(); // the column titles
        while (!f.atEnd()) {
            const QList<QByteArray> fields = f.readLine().simplified().split(' ');
            if (fields.size() < 4 || fields[3] != "0A") // 0A: listening
                continue;
            const QList<QByteArray> local = fields[1].split(':');
            if (local.size() != 2 || local[1].toUInt(nullptr, 16) != port)
                continue;
            // The address is in 32-bit words of the machine's (little-endian) order.
            QByteArray bytes = QByteArray::fromHex(local[0]);
            for (qsizetype w = 0; w + 4 <= bytes.size(); w += 4)
                std::reverse(bytes.begin() + w, bytes.begin() + w + 4);
            if (bytes.size() == 4)
                found << QHostAddress(qFromBigEndian<quint32>(bytes.constData())).toString();
            else if (bytes.size() == 16)
                found << QHostAddress(reinterpret_cast<const quint8*>(bytes.constData())).toString();
        }
    }
    found.sort();
    return found;
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

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

    // Waits until the program has opened its log and written its files (the
    // instance lock and the handling of a request to end come before them).
    bool waitUntilUp()
    {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (QFile::exists(folder() + QStringLiteral("Tallyra.xml")) &&
                QFile::exists(folder() + QStringLiteral("Tallyra.log")))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QByteArray logText() const
    {
        QFile log(folder() + QStringLiteral("Tallyra.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
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
    const QByteArray said = first.readAllStandardError();
    EXPECT_FALSE(said.contains("Exit from the rodeo program?"));
    EXPECT_FALSE(said.contains("Failed")) << said.toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder() + QStringLiteral("Tallyra.xml")));
    // A first start and its end report nothing: the log holds no line.
    EXPECT_EQ(logText(), QByteArray());
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
    EXPECT_TRUE(said.contains("ssh -X") && said.contains("\"scorvane-rodeo --vnc\"")) << said.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("Tallyra.log"))); // nothing started
}

TEST_F(StartupTest, VncServesTheWindowOnThisMachineOnlyUnlessEveryAddressIsAsked)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvnc")).isEmpty())
        GTEST_SKIP() << "Xvnc is not installed (scripts/install-deps installs tigervnc-standalone-server)";
    const QStringList loopback{QStringLiteral("127.0.0.1"), QStringLiteral("::1")};
    const QStringList everyAddress{QStringLiteral("0.0.0.0"), QStringLiteral("::")};
    for (const char* option : {"--vnc", "--vnc-public"}) {
        const bool isPublic = QByteArray(option).endsWith("public");
        const quint16 port = freePort();
        ASSERT_NE(port, 0);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        env.insert(QStringLiteral("SCORVANE_PROMPTS"), QStringLiteral("stderr"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALLYRA_BIN_DIR "/scorvane-rodeo"),
                {QStringLiteral("%1=%2").arg(option).arg(port)});
        ASSERT_TRUE(p.waitForStarted(10000));

        // The server listens on its addresses one after the other.
        const QString expected = isPublic ? QStringLiteral("0.0.0.0") : QStringLiteral("127.0.0.1");
        QStringList bound;
        QDeadlineTimer deadline(20000);
        while (!bound.contains(expected) && !deadline.hasExpired() && p.state() == QProcess::Running) {
            QThread::msleep(50);
            bound = listeners(port);
        }
        ASSERT_FALSE(bound.isEmpty()) << option << ": " << p.readAllStandardError().toStdString();
        EXPECT_TRUE(bound.contains(expected))
            << option << " listens on " << bound.join(QLatin1Char(' ')).toStdString();
        for (const QString& address : bound)
            EXPECT_TRUE((isPublic ? everyAddress : loopback).contains(address))
                << option << " listens on " << address.toStdString();

        // A VNC server answers there.
        QTcpSocket viewer;
        viewer.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(viewer.waitForConnected(5000)) << option;
        ASSERT_TRUE(viewer.waitForReadyRead(5000)) << option;
        EXPECT_TRUE(viewer.read(4) == "RFB ") << option;
        viewer.close();

        // The program ends normally, and the server with it.
        ASSERT_TRUE(waitUntilUp()) << option;
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(20000)) << option;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << option;
        const QByteArray said = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), 0) << option << ": " << said.toStdString();
        EXPECT_EQ(said.contains("no password"), isPublic) << said.toStdString();
        EXPECT_TRUE(said.contains(":" + QByteArray::number(port))) << said.toStdString();
        EXPECT_TRUE(listeners(port).isEmpty()) << option << ": the server outlived the program";
        QFile::remove(folder() + QStringLiteral("Tallyra.xml"));
    }
}
