#include "app/builtinprofiles.h"
#include "app/displaykeys.h"
#include "app/filemgr.h"
#include "common/logcapture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DisplayKeys, IndexAndTextFollowTheButtonRows)
{
    const std::pair<const char*, int> cases[] = {
        {"F2", 0},       {"F3", 1},        {"f3", 1},        {"F12", 10},       {"CTRL+F2", 11},
        {"ctrl+f2", 11}, {"CTRL+F12", 21}, {"SHIFT+F2", 22}, {"Shift+F12", 32}, {"f2", -1},
        {"F1", -1},      {"F13", -1},      {"", -1},         {"CTRL+F2 ", -1},  {"ALT+F2", -1}};
    for (const auto& [text, index] : cases)
        EXPECT_EQ(DisplayKeys::index(QString::fromLatin1(text)), index) << text;
    for (int i = 0; i < DisplayKeys::Count; ++i)
        EXPECT_EQ(DisplayKeys::index(DisplayKeys::text(i)), i);
    EXPECT_EQ(DisplayKeys::text(33), QString());
}

// One key of one event in a built profile: its attributes and the frames of
// its actions, "-" for an attribute or action that is not there.
struct KeyCase
{
    const char* event;
    const char* key;
    const char* expected; // name|display|holding|announcer|pagedir|Result frame|Timer frame
};

QString attrOrDash(const XmlNode& node, const char* name)
{
    return node.hasAttribute(QString::fromLatin1(name)) ? node.attribute(QString::fromLatin1(name))
                                                        : QStringLiteral("-");
}

QString describe(const XmlDocument& doc, const KeyCase& c)
{
    for (const XmlNode& event : doc.root().childElements()) {
        if (event.attribute(QStringLiteral("name")) != QLatin1String(c.event))
            continue;
        for (const XmlNode& key : event.childElements()) {
            if (key.attribute(QStringLiteral("sequence")) != QLatin1String(c.key))
                continue;
            QStringList parts;
            for (const char* a : {"name", "display", "holding", "announcer", "pagedir"})
                parts << attrOrDash(key, a);
            for (const char* action : {"Result", "Timer"})
                parts << attrOrDash(key.firstChildElement(QString::fromLatin1(action)), "frame");
            return parts.join(QLatin1Char('|'));
        }
    }
    return QStringLiteral("<missing>");
}

TEST(BuiltInProfiles, DefaultKeysOfEachKindOfEvent)
{
    XmlDocument doc;
    ASSERT_TRUE(BuiltInProfiles::build(BuiltInProfiles::Kind::Default, doc));
    const KeyCase cases[] = {
        {"Bareback", "F2", "Run Time|Yes|Yes|Yes||20|-"},
        {"Bareback", "F3", "Announcer|No|No|Yes||-|-"},
        {"Bareback", "F11", "Page Backward|No|No|No|Backward|-|-"},
        {"Saddle Bronc", "F11", "Page Back|No|No|No|Backward|-|-"},
        {"Bull Riding", "CTRL+F2", "Event Graphic|No|-|No||9|-"},
        {"Custom Score", "CTRL+F2", "Event Graphic|No|No|No||7|-"},
        {"Barrel Racing", "F2", "Logo|No|No|No||2|-"},
        {"Barrel Racing", "F6", "Curr Time|Yes|No|Yes||19|18"},
        {"Barrel Racing", "F7", "Curr GR|Yes|No|Yes||22|21"},
        {"Tie Down Roping", "F8", "Curr Avg|Yes|No|Yes||24|23"},
        {"Team Roping", "F5", "Curr Profile|Yes|No|Yes||16|-"},
        {"Team Roping", "F7", "Curr GR|Yes|No|Yes||28|27"},
        {"Team Penning", "F10", "Avg Leaders|No|No|No|Top|32|-"},
        {"Team Penning", "CTRL+F2", "Event Graphic|No|-|No||1|-"},
        {"Custom Time", "F12", "Page Fwd|No|No|No|Forward|-|-"},
        {"Cutting", "F2", "<missing>"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(describe(doc, c), QString::fromLatin1(c.expected)) << c.event << " " << c.key;
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/Profile/Event")).size(), 15);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/Profile/Event/FunctionKey")).size(), 14 * 12);

    // The standard graphic comes from the controller's library, every other
    // action from the default library.
    const XmlNode graphic = doc.selectSingleNode(
        QStringLiteral("/Profile/Event[@name='Steer Wrestling']/FunctionKey[@sequence='CTRL+F2']/Result"));
    EXPECT_EQ(graphic.xml(),
              QStringLiteral("<Result sign=\"1\" mode=\"2\" times=\"\" frame=\"4\" drive=\"D\" "
                             "library=\"RTD\" sequence=\"Rodeo\" message=\"\"/>"));
}

TEST(BuiltInProfiles, PlaySequenceAndBlankAreMadeFromTheSameKeys)
{
    XmlDocument def;
    XmlDocument seq;
    XmlDocument blank;
    ASSERT_TRUE(BuiltInProfiles::build(BuiltInProfiles::Kind::Default, def));
    ASSERT_TRUE(BuiltInProfiles::build(BuiltInProfiles::Kind::PlaySequence, seq));
    ASSERT_TRUE(BuiltInProfiles::build(BuiltInProfiles::Kind::Blank, blank));
    EXPECT_EQ(seq.root().attribute(QStringLiteral("name")), QStringLiteral("PlaySequenceDefault"));
    EXPECT_EQ(seq.root().attribute(QStringLiteral("version")), QStringLiteral("4"));
    const QList<XmlNode> actions = seq.selectNodes(QStringLiteral("//Result | //Timer"));
    ASSERT_EQ(actions.size(), def.selectNodes(QStringLiteral("//Result | //Timer")).size());
    for (const XmlNode& a : actions) {
        EXPECT_EQ(a.attribute(QStringLiteral("mode")), QStringLiteral("0"));
        EXPECT_EQ(a.attribute(QStringLiteral("drive")), QStringLiteral("C"));
        EXPECT_EQ(a.attribute(QStringLiteral("library")), QStringLiteral("Rodeo"));
        EXPECT_EQ(a.attribute(QStringLiteral("sequence")),
                  QStringLiteral("Frame") + a.attribute(QStringLiteral("frame")));
    }
    EXPECT_FALSE(blank.root().hasAttribute(QStringLiteral("version")));
    EXPECT_EQ(blank.selectNodes(QStringLiteral("/Profile/Event")).size(), 15);
    EXPECT_TRUE(blank.selectNodes(QStringLiteral("//FunctionKey")).isEmpty());
}

TEST(FileMgrProfiles, CurrentProfileAnswersCaptionsAndKeys)
{
    QTemporaryDir dir;
    LogCapture log;
    FileMgr mgr(dir.path());
    ASSERT_TRUE(mgr.Create());
    ASSERT_TRUE(mgr.SetCurProf(QStringLiteral("ProfileDefault")));
    EXPECT_EQ(mgr.curProfileSettings(),
              (DisplayProfileSettings{QStringLiteral("Last, First"), QStringLiteral("Last/Last"), 4}));

    const QStringList captions = mgr.GetKeyCaptions(QStringLiteral("Saddle Bronc"));
    ASSERT_EQ(captions.size(), 33);
    EXPECT_EQ(captions[0], QStringLiteral("Run Time"));
    EXPECT_EQ(captions[9], QStringLiteral("Page Back"));
    EXPECT_EQ(captions[11], QStringLiteral("Event Graphic"));
    EXPECT_EQ(captions[12], QString());
    EXPECT_EQ(mgr.GetKeyCaptions(QStringLiteral("Cutting")), QStringList(33));

    EXPECT_EQ(mgr.DisplayButtonPressed(QStringLiteral("Bareback"), QStringLiteral("f9"))
                  .attribute(QStringLiteral("name")),
              QStringLiteral("GR Leaders"));
    EXPECT_TRUE(mgr.DisplayButtonPressed(QStringLiteral("Bareback"), QStringLiteral("f2")).isNull());
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("Failed to get the display button node.  FileMgr::DisplayButtonPressed  XPath:")));

    // A profile that cannot be loaded leaves none: keys find nothing.
    EXPECT_FALSE(mgr.SetCurProf(QStringLiteral("Missing")));
    EXPECT_TRUE(mgr.curProfile().isNull());
    EXPECT_TRUE(mgr.DisplayButtonPressed(QStringLiteral("Bareback"), QStringLiteral("F9")).isNull());
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to load the profile.  FileMgr::SetCurProf  Path:")));
}

} // namespace
