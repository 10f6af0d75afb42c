// What a new user meets before the first window: the start without a
// display, the files installed with the program, the manual and the desktop
// entry.
#include "app/manuallinks.h"
#include "app/startenvironment.h"
#include "app/vncdisplay.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(StartEnvironment, AMissingDisplayIsReportedUnlessAPlatformIsGiven)
{
    struct Case
    {
        const char* name;
        QHash<QString, QString> env;
        QStringList arguments;
        bool refused;
    };
    const Case cases[] = {
        {"nothing set", {}, {}, true},
        {"X display", {{"DISPLAY", ":0"}}, {}, false},
        {"Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
        {"platform variable", {{"QT_QPA_PLATFORM", "vnc"}}, {}, false},
        {"platform argument", {}, {"-platform", "offscreen"}, false},
        {"empty DISPLAY", {{"DISPLAY", ""}}, {"--demo"}, true},
    };
    for (const Case& c : cases) {
        const auto getenv = [&](const char* name) { return c.env.value(QString::fromLatin1(name)); };
        const QString message = StartEnvironment::missingDisplayMessage(getenv, c.arguments);
        EXPECT_EQ(!message.isEmpty(), c.refused) << c.name;
        if (c.refused) {
            EXPECT_TRUE(message.contains(QLatin1String("\"scorvane-rodeo --vnc\""))) << c.name;
        }
    }
}

TEST(VncDisplay, OptionsAskForLoopbackUnlessEveryAddressIsNamed)
{
    struct Case
    {
        QStringList arguments;
        bool asked;
        int port;
        bool everyAddress;
        bool refused;
    };
    const Case cases[] = {
        {{}, false, 5900, false, false},
        {{"--demo"}, false, 5900, false, false},
        {{"--vnc"}, true, 5900, false, false},
        {{"--demo", "--vnc=5901"}, true, 5901, false, false},
        {{"--vnc-public"}, true, 5900, true, false},
        {{"--vnc-public=6000"}, true, 6000, true, false},
        {{"--vnc=0"}, true, 5900, false, true},
        {{"--vnc=65536"}, true, 5900, false, true},
        {{"--vnc=59o1"}, true, 5900, false, true},
        {{"--vnc="}, true, 5900, false, true},
        {{"--vncx"}, false, 5900, false, false},
    };
    for (const Case& c : cases) {
        const VncDisplay::Request r = VncDisplay::request(c.arguments);
        const std::string name = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.asked, c.asked) << name;
        EXPECT_EQ(r.error.isEmpty(), !c.refused) << name;
        if (c.refused || !c.asked)
            continue;
        EXPECT_EQ(r.port, c.port) << name;
        EXPECT_EQ(r.everyAddress, c.everyAddress) << name;
        const QStringList server = VncDisplay::serverArguments(r, 7);
        EXPECT_EQ(server.contains(QStringLiteral("-localhost")), !c.everyAddress) << name;
        EXPECT_EQ(server.mid(server.indexOf(QStringLiteral("-rfbport")), 2),
                  (QStringList{QStringLiteral("-rfbport"), QString::number(c.port)}))
            << name;
        EXPECT_EQ(VncDisplay::servingMessage(r).contains(QLatin1String("no password")), c.everyAddress)
            << name;
    }
}

TEST(StartEnvironment, InstalledFilesAreFoundBesideTheProgramOrInTheSharedFolder)
{
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("bin"));
    QDir(prefix.path()).mkpath(QStringLiteral("share/scorvane-rodeo"));
    const QString bin = prefix.path() + QStringLiteral("/bin");
    const QString shared = prefix.path() + QStringLiteral("/share/scorvane-rodeo/Tallyra.mdb");
    // Not anywhere: the place beside the program, so a message can name it.
    EXPECT_EQ(StartEnvironment::installedFile(bin, QStringLiteral("Tallyra.mdb")), bin + QStringLiteral("/Tallyra.mdb"));
    QFile(shared).open(QIODevice::WriteOnly);
    EXPECT_EQ(StartEnvironment::installedFile(bin, QStringLiteral("Tallyra.mdb")), shared);
    QFile(bin + QStringLiteral("/Tallyra.mdb")).open(QIODevice::WriteOnly);
    EXPECT_EQ(StartEnvironment::installedFile(bin, QStringLiteral("Tallyra.mdb")), bin + QStringLiteral("/Tallyra.mdb"));
}

TEST(Manual, EveryLinkResolvesAndTheBuildWroteThePdf)
{
    const QString manual = QStringLiteral(TALLYRA_SOURCE_DIR "/docs/manual");
    ASSERT_GT(ManualLinks::chapters(manual).size(), 5);
    EXPECT_EQ(ManualLinks::chapters(manual).first(), QStringLiteral("index.md"));
    EXPECT_EQ(ManualLinks::broken(manual), QStringList());

    QFile pdf(QStringLiteral(TALLYRA_BIN_DIR "/Scorvane Rodeo Software Manual.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 100 * 1024); // text and pictures, not an empty page

    // The checker finds what is missing (and leaves web addresses alone).
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("images"));
    QFile(dir.path() + QStringLiteral("/images/here.png")).open(QIODevice::WriteOnly);
    QFile chapter(dir.path() + QStringLiteral("/01-a.md"));
    ASSERT_TRUE(chapter.open(QIODevice::WriteOnly));
    chapter.write("![ok](images/here.png) ![gone](images/gone.png \"t\") [next](02-b.md#top) "
                  "[web](https://example.com/x.md) [here](#top)\n");
    chapter.close();
    EXPECT_EQ(ManualLinks::broken(dir.path()),
              (QStringList{QStringLiteral("01-a.md: images/gone.png"), QStringLiteral("01-a.md: 02-b.md")}));
}

TEST(DesktopEntry, PassesTheValidator)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess p;
    p.start(validator, {QStringLiteral(TALLYRA_SOURCE_DIR "/resources/desktop/scorvane-rodeo.desktop")});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}
