// The live results' settings in the state file, and the address readers are given.
#include "app/filemgr.h"
#include "common/logcapture.h"
#include "live/liveaddress.h"
#include "live/livesettings.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LiveSettingsTest, ChoicesOutliveTheProgramAndBadOnesAreNamed)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/data/");
    QDir().mkpath(folder);
    LiveSettings chosen;
    chosen.serve = true;
    chosen.port = 8181;
    chosen.address = QStringLiteral("192.168.1.20");
    chosen.title = QStringLiteral("Spring \"Rodeo\" <Finals>");
    chosen.publishFolder = true;
    chosen.folder = QStringLiteral("/srv/live");
    {
        FileMgr files(folder);
        files.Create();
        EXPECT_EQ(LiveSettings::load(files), LiveSettings()); // off by default
        ASSERT_TRUE(chosen.store(files));
        // Written at once: a crash after OK keeps the choice.
        FileMgr other(folder);
        other.Create();
        EXPECT_EQ(LiveSettings::load(other), chosen);
    }

    const struct
    {
        LiveSettings s;
        const char* problem; // the start of it, or "" when there is none
    } cases[] = {
        {chosen, ""},
        {{true, 0, {}, {}, false, {}}, "Choose a port"},
        {{true, 80, QStringLiteral("not an address"), {}, false, {}}, "\"not an address\" is not an address"},
        {{false, 80, QStringLiteral("not an address"), {}, false, {}}, ""}, // not served: not looked at
        {{false, 80, {}, {}, true, QStringLiteral("  ")}, "Choose the folder"},
        {{false, 80, {}, {}, true, QStringLiteral("live")}, "Give the whole path"},
    };
    for (const auto& c : cases) {
        const QString problem = c.s.problem();
        if (*c.problem == '\0')
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        else
            EXPECT_TRUE(problem.startsWith(QLatin1String(c.problem)))
                << c.problem << " | " << problem.toStdString();
    }
}

TEST(LiveAddressTest, PhonesAreGivenTheArenaNetworksAddress)
{
    using LiveAddress::Candidate;
    const auto a = [](const char* ip, const char* nif, bool usable = true) {
        return Candidate{QHostAddress(QString::fromLatin1(ip)), QString::fromLatin1(nif), usable};
    };
    const struct
    {
        QList<Candidate> candidates;
        const char* listen;
        const char* expected;
    } cases[] = {
        {{a("127.0.0.1", "lo", false), a("172.17.0.1", "docker0"), a("192.168.1.20", "eth0")},
         "",
         "192.168.1.20"},
        {{a("169.254.3.4", "eth0"), a("10.1.2.3", "wlan0")}, "", "10.1.2.3"},
        {{a("192.168.1.20", "eth0", false), a("203.0.113.5", "eth1")}, "", "203.0.113.5"},
        {{a("fe80::1", "eth0"), a("2001:db8::5", "eth0")}, "", "2001:db8::5"},
        {{a("127.0.0.1", "lo", false)}, "", "127.0.0.1"},
        {{a("192.168.1.20", "eth0")}, "10.0.0.9", "10.0.0.9"},
        {{a("192.168.1.20", "eth0")}, "0.0.0.0", "192.168.1.20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiveAddress::preferred(c.candidates, QString::fromLatin1(c.listen)).toString(),
                  QString::fromLatin1(c.expected))
            << c.expected;
    EXPECT_EQ(LiveAddress::url(QHostAddress(QStringLiteral("192.168.1.20")), 8080),
              QStringLiteral("http://192.168.1.20:8080/"));
    EXPECT_EQ(LiveAddress::url(QHostAddress(QStringLiteral("2001:db8::5")), 80),
              QStringLiteral("http://[2001:db8::5]:80/"));
}

} // namespace
