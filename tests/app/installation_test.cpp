// What a new user meets before the first window: the start without a
// display, the files installed with the program, the manual and the desktop
// entry.
#include "app/manuallinks.h"
#include "app/startenvironment.h"

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
        if (c.refused)
            EXPECT_TRUE(message.contains(QLatin1String("scripts/run --vnc"))) << c.name;
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
