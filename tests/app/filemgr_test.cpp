#include "app/filemgr.h"
#include "common/logcapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class FileMgrTest : public ::testing::Test
{
protected:
    QString folder() const { return dir.path() + QStringLiteral("/Lumavantis/Scorvane Rodeo/"); }
    QString path(const char* name) const { return folder() + QString::fromLatin1(name); }

    std::unique_ptr<FileMgr> start()
    {
        auto mgr = std::make_unique<FileMgr>(folder());
        mgr->Create();
        return mgr;
    }

    QString attr(FileMgr& mgr, int level, const char* name, const char* e1 = "", const char* e2 = "")
    {
        QString v;
        EXPECT_TRUE(mgr.GetCfgAtt(v, level, QString::fromLatin1(name), QString::fromLatin1(e1),
                                  QString::fromLatin1(e2)));
        return v;
    }

    QTemporaryDir dir;
    LogCapture log;
};

} // namespace

TEST_F(FileMgrTest, FirstStartWritesEveryDefaultFile)
{
    auto mgr = start();
    for (const char* name : {"Tallyra.xml", "IO.xml", "ProfileDefault.rpf", "ProfilePlaySeq.rpf"})
        EXPECT_TRUE(QFile::exists(path(name))) << name;

    // The state file is on disk at once, before any shutdown.
    XmlDocument state;
    ASSERT_TRUE(state.load(path("Tallyra.xml")));
    EXPECT_EQ(state.root().attribute(QStringLiteral("version")), QStringLiteral("051"));
    EXPECT_EQ(attr(*mgr, 1, "style"), QStringLiteral("3"));
    EXPECT_EQ(attr(*mgr, 2, "show", "CBarLeader"), QStringLiteral("Yes")); // shown from the first start
    EXPECT_EQ(attr(*mgr, 3, "left", "CViewRunPerf", "IDC_LIST_COMPEITIORS"), QString());
    EXPECT_EQ(attr(*mgr, 3, "top", "CViewRegEntry", "IDC_LIST_COMPETITORS"), QString());
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(FileMgrTest, DefaultIoHoldsTheFourPortsTimerRipsAndMonitor)
{
    start();
    XmlDocument io;
    ASSERT_TRUE(io.load(path("IO.xml")));
    const QList<XmlNode> ports = io.selectNodes(QStringLiteral("/Configuration/Ports/Port"));
    ASSERT_EQ(ports.size(), 4);
    const char* names[] = {"RIP", "MX 8000 Command", "TK2 Timer", "Announcer Monitor"};
    const char* numbers[] = {"20000", "27000", "21000", "17000"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ports[i].attribute(QStringLiteral("count")), QString::number(i + 1));
        EXPECT_EQ(ports[i].attribute(QStringLiteral("name")), QString::fromLatin1(names[i]));
        EXPECT_EQ(ports[i].attribute(QStringLiteral("type")), QStringLiteral("UDP/IP"));
        const XmlNode s = ports[i].firstChildElement(QStringLiteral("Settings"));
        EXPECT_EQ(s.attribute(QStringLiteral("number")), QString::fromLatin1(numbers[i]));
        EXPECT_EQ(s.attribute(QStringLiteral("baudrate")), QStringLiteral("0"));
        EXPECT_EQ(s.attribute(QStringLiteral("parity")), QString());
    }
    const XmlNode timer = io.selectSingleNode(QStringLiteral("/Configuration/Timer"));
    EXPECT_EQ(timer.attribute(QStringLiteral("name")), QStringLiteral("TK2 Timer"));
    EXPECT_EQ(timer.attribute(QStringLiteral("port")), QStringLiteral("3"));
    EXPECT_EQ(io.selectNodes(QStringLiteral("//RIPs/RIP")).size(), 2);
    EXPECT_EQ(io.selectNodes(QStringLiteral("//Requests/*")).size(), 0);
    const XmlNode mon = io.selectSingleNode(QStringLiteral("//Monitors/Monitor"));
    EXPECT_EQ(mon.attribute(QStringLiteral("protocol")), QStringLiteral("Terminal"));
    EXPECT_EQ(mon.attribute(QStringLiteral("port")), QStringLiteral("4"));
}

TEST_F(FileMgrTest, SettingsSurviveARestart)
{
    {
        auto mgr = start();
        EXPECT_TRUE(mgr->SetCfgAtt(QStringLiteral("Summer \"Series\""), 0, QStringLiteral("season")));
        EXPECT_TRUE(mgr->SetCfgAtt(QStringLiteral("CViewReports"), 1, QStringLiteral("curView")));
        EXPECT_TRUE(
            mgr->SetCfgAtt(QStringLiteral("Yes"), 2, QStringLiteral("show"), QStringLiteral("CBarMessage")));
        EXPECT_TRUE(mgr->SetCfgAtt(QStringLiteral("BR"), 2, QStringLiteral("curEvn"),
                                   QStringLiteral("CViewRunPerf")));
        EXPECT_TRUE(mgr->SetSize({10, 20, 310, 220}, 3, QStringLiteral("CViewBoxEntry"),
                                 QStringLiteral("IDC_LIST_RESULTS")));
    } // saved here
    auto mgr = start();
    EXPECT_EQ(attr(*mgr, 0, "season"), QStringLiteral("Summer \"Series\""));
    EXPECT_EQ(attr(*mgr, 1, "curView"), QStringLiteral("CViewReports"));
    EXPECT_EQ(attr(*mgr, 2, "show", "CBarMessage"), QStringLiteral("Yes"));
    EXPECT_EQ(attr(*mgr, 2, "curEvn", "CViewRunPerf"), QStringLiteral("BR"));
    WindowRect r;
    EXPECT_TRUE(mgr->GetSize(r, 3, QStringLiteral("CViewBoxEntry"), QStringLiteral("IDC_LIST_RESULTS")));
    EXPECT_EQ(r, (WindowRect{10, 20, 310, 220}));
}

TEST_F(FileMgrTest, StateFileOfAnotherVersionIsReplaced)
{
    for (const char* version : {"50", "052", " 051", ""}) {
        QDir().mkpath(folder());
        writeFile(path("Tallyra.xml"), QByteArray("<Tallyra version=\"") + version +
                                           "\" season=\"S\" rodeo=\"R\"><Frame style=\"1\"/></Tallyra>");
        auto mgr = start();
        EXPECT_EQ(attr(*mgr, 0, "version"), QStringLiteral("051")) << version;
        EXPECT_EQ(attr(*mgr, 0, "season"), QString()) << version;
        EXPECT_EQ(attr(*mgr, 1, "style"), QStringLiteral("3")) << version;
    }
}

TEST_F(FileMgrTest, StateFileOfTheSameVersionIsKept)
{
    start().reset();
    {
        auto mgr = start();
        mgr->SetCfgAtt(QStringLiteral("Rodeo 1"), 0, QStringLiteral("rodeo"));
    }
    auto mgr = start();
    EXPECT_EQ(attr(*mgr, 0, "rodeo"), QStringLiteral("Rodeo 1"));
}

// A file of the same version written before the template gained an attribute
// gets it with its default, and keeps what it holds; a change is announced
// (the owner writes the file soon after), a value set again unchanged is not.
TEST_F(FileMgrTest, AttributesTheTemplateGainedAreAddedToAnOlderFile)
{
    start().reset();
    {
        XmlDocument state;
        ASSERT_TRUE(state.load(path("Tallyra.xml")));
        XmlNode view = state.selectSingleNode(QStringLiteral(".//Frame/CViewRunPerf"));
        ASSERT_FALSE(view.isNull());
        view.setAttribute(QStringLiteral("curEvn"), QStringLiteral("BR"));
        ASSERT_TRUE(state.root().firstChildElement(QStringLiteral("Frame")).isNull() == false);
        // As an older program wrote it: no curKey.
        ASSERT_TRUE(state.loadXml(state.xml().replace(QStringLiteral(" curKey=\"\""), QString())));
        ASSERT_TRUE(state.save(path("Tallyra.xml")));
    }
    auto mgr = start();
    EXPECT_EQ(attr(*mgr, 2, "curEvn", "CViewRunPerf"), QStringLiteral("BR"));
    int changes = 0;
    mgr->setOnChange([&] { ++changes; });
    EXPECT_TRUE(
        mgr->SetCfgAtt(QStringLiteral("2817"), 2, QStringLiteral("curKey"), QStringLiteral("CViewRunPerf")));
    EXPECT_EQ(attr(*mgr, 2, "curKey", "CViewRunPerf"), QStringLiteral("2817"));
    EXPECT_TRUE(
        mgr->SetCfgAtt(QStringLiteral("2817"), 2, QStringLiteral("curKey"), QStringLiteral("CViewRunPerf")));
    EXPECT_EQ(changes, 1);
}

TEST_F(FileMgrTest, AnElementTheTemplateGainedIsAddedToAnOlderFile)
{
    QDir().mkpath(folder());
    writeFile(path("Tallyra.xml"), QByteArray("<Tallyra version=\"051\" season=\"S\" rodeo=\"R\"><Frame style=\"1\">"
                                              "<CViewRunPerf curEvn=\"BR\"/></Frame></Tallyra>"));
    auto mgr = start();
    EXPECT_EQ(attr(*mgr, 0, "season"), QStringLiteral("S"));
    // A whole element the template has and the file lacks comes with its defaults.
    EXPECT_EQ(attr(*mgr, 2, "port", "LiveResults"), QStringLiteral("8080"));
    EXPECT_EQ(attr(*mgr, 2, "on", "LiveResults"), QStringLiteral("No"));
    EXPECT_TRUE(mgr->SetCfgAtt(QStringLiteral("Yes"), 2, QStringLiteral("on"), QStringLiteral("LiveResults")));
}

TEST_F(FileMgrTest, BrokenStateFilesAreReplacedByTheTemplate)
{
    const QByteArray broken[] = {QByteArray(), QByteArray("not xml at all"),
                                 QByteArray("<Tallyra version=\"051\" season=\"S\"><Frame"),
                                 QByteArray("\xff\xfe\x00garbage", 10)};
    QStringList kept;
    for (const QByteArray& content : broken) {
        QDir().mkpath(folder());
        writeFile(path("Tallyra.xml"), content);
        auto mgr = start();
        EXPECT_EQ(attr(*mgr, 0, "version"), QStringLiteral("051"));
        XmlDocument onDisk;
        EXPECT_TRUE(onDisk.load(path("Tallyra.xml")));
        // The operator's file is kept aside, byte for byte, and he is told where.
        const QString bad =
            kept.isEmpty() ? path("Tallyra.xml.bad") : path("Tallyra.xml.bad") + QString::number(kept.size());
        EXPECT_EQ(readFile(bad), content);
        const QStringList notices = mgr->takeNotices();
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices[0].contains(bad)) << notices[0].toStdString();
        kept << bad;
    }
}

TEST_F(FileMgrTest, UnreadableStateFileIsLoggedAndNeverOverwritten)
{
    QDir().mkpath(path("Tallyra.xml")); // a folder where the file should be
    auto mgr = start();
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("Failed to load the rodeo configuration file.  FileMgr::LoadCfg  Path:") +
        path("Tallyra.xml")));
    QString v;
    EXPECT_FALSE(mgr->GetCfgAtt(v, 0, QStringLiteral("season")));
    EXPECT_FALSE(mgr->SetCfgAtt(QStringLiteral("x"), 0, QStringLiteral("season")));
    mgr.reset();
    EXPECT_TRUE(QFileInfo(path("Tallyra.xml")).isDir());
    // The other defaults were still put in place.
    EXPECT_TRUE(QFile::exists(path("IO.xml")));
}

TEST_F(FileMgrTest, AccessNeverCreatesElementsOrAttributes)
{
    auto mgr = start();
    EXPECT_FALSE(mgr->SetCfgAtt(QStringLiteral("1"), 1, QStringLiteral("unknown")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Failed to get the node.  FileMgr::SetCfgAtt  XPath:.//Frame/@unknown, Error:")));
    QString v = QStringLiteral("before");
    EXPECT_FALSE(mgr->GetCfgAtt(v, 2, QStringLiteral("show"), QStringLiteral("CBarNothing")));
    EXPECT_TRUE(v.isEmpty()); // emptied first
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Failed to get the control node.  FileMgr::GetCfgAtt  XPath:.//Frame/CBarNothing/@show, Error:")));
    mgr.reset();
    EXPECT_FALSE(readFile(path("Tallyra.xml")).contains("unknown"));
    EXPECT_FALSE(readFile(path("Tallyra.xml")).contains("CBarNothing"));
}

TEST_F(FileMgrTest, SizesAreTrimmedAndEmptyRectanglesIgnored)
{
    auto mgr = start();
    WindowRect r{1, 2, 3, 4};
    EXPECT_TRUE(mgr->GetSize(r, 1));
    EXPECT_EQ(r, WindowRect{}); // empty attributes read as 0

    ASSERT_TRUE(mgr->SetSize({100, 50, 900, 650}, 1));
    EXPECT_FALSE(mgr->SetSize({}, 1));
    EXPECT_FALSE(mgr->SetSize({5, 5, 5, 400}, 1)); // no width
    EXPECT_TRUE(mgr->GetSize(r, 1));
    EXPECT_EQ(r, (WindowRect{100, 50, 900, 650}));

    ASSERT_TRUE(mgr->SetCfgAtt(QStringLiteral("  42 "), 1, QStringLiteral("left")));
    EXPECT_TRUE(mgr->GetSize(r, 1));
    EXPECT_EQ(r.left, 42);

    EXPECT_FALSE(mgr->GetSize(r, 2, QStringLiteral("CBarLeader")));
    EXPECT_FALSE(mgr->GetSize(r, 3, QStringLiteral("CViewRunPerf"), QStringLiteral("NOPE")));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Failed to get the node.  FileMgr::GetSize  XPath:.//Frame/CViewRunPerf/NOPE, Error:")));
}

TEST_F(FileMgrTest, EditedProfilesSurviveUnlessOlderThanTheBuiltIn)
{
    QDir().mkpath(folder());
    writeFile(path("ProfileDefault.rpf"), "<Profile name=\"Default\" version=\"3\" paging=\"9\"/>");
    writeFile(path("ProfilePlaySeq.rpf"),
              "<Profile name=\"PlaySequenceDefault\" version=\"2\" paging=\"9\"/>");
    start();
    EXPECT_TRUE(readFile(path("ProfileDefault.rpf")).contains("paging=\"9\""));
    EXPECT_FALSE(readFile(path("ProfilePlaySeq.rpf")).contains("paging=\"9\""));

    for (const QByteArray& content : {QByteArray("<Profile name=\"x\" version=\"new\"/>"),
                                      QByteArray("<Profile name=\"x\"/>"), QByteArray("broken <")}) {
        writeFile(path("ProfileDefault.rpf"), content);
        start();
        XmlDocument p;
        ASSERT_TRUE(p.load(path("ProfileDefault.rpf")));
        EXPECT_EQ(p.root().attribute(QStringLiteral("version")), QStringLiteral("3"));
        EXPECT_EQ(p.selectNodes(QStringLiteral("/Profile/Event")).size(), 15);
    }
    // Only the file that could not be read was kept aside.
    EXPECT_EQ(readFile(path("ProfileDefault.rpf.bad")), QByteArray("broken <"));
    EXPECT_FALSE(QFile::exists(path("ProfileDefault.rpf.bad1")));
}

TEST_F(FileMgrTest, ExistingIoIsNeverReplaced)
{
    QDir().mkpath(folder());
    writeFile(path("IO.xml"), "this is not xml");
    start();
    EXPECT_EQ(readFile(path("IO.xml")), QByteArray("this is not xml"));
}

TEST_F(FileMgrTest, UnwritableDataFolderStopsCreate)
{
    QDir().mkpath(dir.path() + QStringLiteral("/Lumavantis"));
    writeFile(dir.path() + QStringLiteral("/Lumavantis/Scorvane Rodeo"), "a file, not a folder");
    FileMgr mgr(folder());
    EXPECT_FALSE(mgr.Create());
    QString v;
    EXPECT_FALSE(mgr.GetCfgAtt(v, 0, QStringLiteral("version")));
}

TEST_F(FileMgrTest, RulesAndProfileNames)
{
    QStringList rules{QStringLiteral("stale")};
    FileMgr::GetRules(rules);
    EXPECT_EQ(rules, (QStringList{QStringLiteral("PRCA"), QStringLiteral("College")}));

    auto mgr = start();
    writeFile(path("Summer.Finals.rpf"), "<Profile/>");
    // A profile is found by "<name>.rpf": another spelling would name a file
    // that cannot be opened.
    writeFile(path("Shouted.RPF"), "<Profile/>");
    EXPECT_EQ(mgr->GetProfileNames(),
              (QStringList{QStringLiteral("ProfileDefault"), QStringLiteral("ProfilePlaySeq"),
                           QStringLiteral("Summer.Finals")}));
}
