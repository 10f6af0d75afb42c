// The display profile being edited: grid cells, action summaries, names and
// the files written.
#include "app/displaykeys.h"
#include "app/filemgr.h"
#include "app/profileeditor.h"
#include "common/logcapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Editor = ProfileEditor;
using Outcome = ProfileEditor::Outcome;

class ProfileEditorTest : public ::testing::Test
{
protected:
    ProfileEditorTest()
    {
        root = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(root);
        files = std::make_unique<FileMgr>(root);
        files->Create(); // the built-in ProfileDefault and ProfilePlaySeq
        editor = std::make_unique<Editor>(*files);
    }

    QByteArray bytesOf(const QString& name) const
    {
        QFile f(root + name + QStringLiteral(".rpf"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(root + name + QStringLiteral(".rpf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The attributes of the key of an event as written on disk, "name=value" in file order.
    QStringList keyOnDisk(const QString& profile, const QString& event, const QString& key) const
    {
        XmlDocument doc;
        EXPECT_TRUE(doc.load(root + profile + QStringLiteral(".rpf")));
        const XmlNode node = doc.selectSingleNode(
            QStringLiteral("/Profile/Event[@name='%1']/FunctionKey[@sequence='%2']").arg(event, key));
        QStringList out;
        for (const XmlNode& a : node.attributes())
            out << a.name() + QLatin1Char('=') + a.text();
        return out;
    }
    static Editor::Cell cell(const char* event, const char* key)
    {
        return {int(Editor::eventNames().indexOf(QString::fromLatin1(event))),
                DisplayKeys::index(QString::fromLatin1(key))};
    }

    QTemporaryDir dir;
    QString root;
    std::unique_ptr<FileMgr> files;
    std::unique_ptr<Editor> editor;
    LogCapture log;
};

TEST(ProfileActionSummary, ShowsTheValuesTheModeUses)
{
    const struct
    {
        ProfileAction action;
        const char* expected;
    } cases[] = {
        {{"1", "2", "", "20", "C", "Default", "", ""}, "Sign:1;Mode:2;Frame:20;Message:;"},
        {{"1", "0", "", "20", "C", "Rodeo", "Frame20", "3"},
         "Sign:1;Mode:0;Drive:C;Library:Rodeo;Sequence:Frame20;Message:3;"},
        {{"4", "1", "2", "9", "D", "RTD", "Rodeo", "7"}, "Sign:4;Mode:1;Message:7;"},
        {{"4", "3", "2", "9", "D", "RTD", "Rodeo", ""}, "Sign:4;Mode:3;Message:;"},
        // A new action has every attribute empty; the controller reads its mode as 0.
        {{}, "Sign:;Mode:;Drive:;Library:;Sequence:;Message:;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Editor::summary(c.action), QString::fromLatin1(c.expected)) << c.expected;
}

TEST_F(ProfileEditorTest, EditingAKeyWithoutElementCreatesItInAttributeOrder)
{
    ASSERT_EQ(editor->createNew(QStringLiteral("Arena"), BuiltInProfiles::Kind::Blank), Outcome::Done);
    const QString ordered =
        QStringLiteral("sequence=%1|name=%2|display=%3|holding=%4|announcer=%5|pagedir=%6");
    const struct
    {
        const char* key;
        int column;
        const char* value;
        QString expected;
    } cases[] = {
        {"F5", Editor::NameColumn, "Curr Profile", ordered.arg("F5", "Curr Profile", "No", "No", "No", "")},
        {"CTRL+F3", Editor::DisplayColumn, "Yes", ordered.arg("CTRL+F3", "", "Yes", "No", "No", "")},
        {"SHIFT+F12", Editor::PageDirColumn, "Backward",
         ordered.arg("SHIFT+F12", "", "No", "No", "No", "Backward")},
    };
    for (const auto& c : cases) {
        const Editor::Cell at = cell("Bull Riding", c.key);
        EXPECT_EQ(editor->text(at, c.column), QString()) << c.key;
        ASSERT_TRUE(editor->setText(at, c.column, QString::fromLatin1(c.value))) << c.key;
        EXPECT_EQ(editor->text(at, c.column), QString::fromLatin1(c.value));
    }
    EXPECT_TRUE(editor->isModified());
    ASSERT_EQ(editor->save(), Outcome::Done);
    EXPECT_FALSE(editor->isModified());
    for (const auto& c : cases)
        EXPECT_EQ(
            keyOnDisk(QStringLiteral("Arena"), QStringLiteral("Bull Riding"), QString::fromLatin1(c.key))
                .join(QLatin1Char('|')),
            c.expected);

    // A value the cell already shows makes nothing; a value it does not offer is refused.
    EXPECT_TRUE(editor->setText(cell("Bareback", "F9"), Editor::NameColumn, QString()));
    EXPECT_FALSE(editor->setText(cell("Bareback", "F9"), Editor::DisplayColumn, QStringLiteral("Maybe")));
    EXPECT_FALSE(editor->setText(cell("Bareback", "F9"), Editor::PageDirColumn, QStringLiteral("Cut")));
    EXPECT_FALSE(editor->isModified());

    // A new action: every attribute there, in order, empty but for what was set.
    ProfileAction frame;
    frame.sign = QStringLiteral("2");
    frame.mode = QStringLiteral("2");
    frame.frame = QStringLiteral("31");
    ASSERT_TRUE(editor->setAction(cell("Cutting", "F4"), Editor::ActionKind::Timer, frame));
    EXPECT_EQ(editor->text(cell("Cutting", "F4"), Editor::TimerColumn),
              QStringLiteral("Sign:2;Mode:2;Frame:31;Message:;"));
    ASSERT_EQ(editor->save(), Outcome::Done);
    XmlDocument doc;
    ASSERT_TRUE(doc.load(root + QStringLiteral("Arena.rpf")));
    QStringList attrs;
    for (const XmlNode& a :
         doc.selectSingleNode(QStringLiteral("//Event[@name='Cutting']/FunctionKey[@sequence='F4']/Timer"))
             .attributes())
        attrs << a.xml();
    EXPECT_EQ(attrs.join(QLatin1Char(' ')),
              QStringLiteral("sign=\"2\" mode=\"2\" times=\"\" frame=\"31\" drive=\"\" library=\"\" "
                             "sequence=\"\" message=\"\""));
}

TEST_F(ProfileEditorTest, ByFunctionKeyListsTheEventsForOneKey)
{
    ASSERT_TRUE(editor->load(QStringLiteral("ProfileDefault")));
    const int f6 = DisplayKeys::index(QStringLiteral("F6"));
    const auto mode = Editor::Mode::ByKey;
    ASSERT_EQ(Editor::rowCount(mode), 15);
    EXPECT_EQ(Editor::listItems(mode).size(), 33);
    EXPECT_EQ(Editor::columnTitle(mode, Editor::KeyColumn), QStringLiteral("Event"));

    const struct
    {
        int row;
        const char* event;
        const char* name;
        const char* result;
        const char* timer;
    } rows[] = {
        {0, "Bareback", "Curr Score", "Sign:1;Mode:2;Frame:17;Message:;", ""},
        {1, "Barrel Racing", "Curr Time", "Sign:1;Mode:2;Frame:19;Message:;",
         "Sign:1;Mode:2;Frame:18;Message:;"},
        {5, "Cutting", "", "", ""},
        {14, "Custom Time", "Curr Time", "Sign:1;Mode:2;Frame:19;Message:;",
         "Sign:1;Mode:2;Frame:18;Message:;"},
    };
    for (const auto& r : rows) {
        const Editor::Cell at = Editor::cellAt(mode, f6, r.row);
        EXPECT_EQ(at.key, f6);
        EXPECT_EQ(Editor::rowLabel(mode, f6, r.row), QString::fromLatin1(r.event));
        EXPECT_EQ(editor->text(at, Editor::NameColumn), QString::fromLatin1(r.name)) << r.event;
        EXPECT_EQ(editor->text(at, Editor::ResultColumn), QString::fromLatin1(r.result)) << r.event;
        EXPECT_EQ(editor->text(at, Editor::TimerColumn), QString::fromLatin1(r.timer)) << r.event;
    }
    // The same button seen "By Event".
    const Editor::Cell byEvent = Editor::cellAt(Editor::Mode::ByEvent, 1, f6);
    EXPECT_EQ(editor->text(byEvent, Editor::NameColumn), QStringLiteral("Curr Time"));
    EXPECT_EQ(Editor::rowLabel(Editor::Mode::ByEvent, 1, f6), QStringLiteral("F6"));
}

TEST_F(ProfileEditorTest, RefusesNamesThatAreNoFileOfTheDataFolder)
{
    ASSERT_TRUE(editor->load(QStringLiteral("ProfilePlaySeq")));
    const QByteArray before = bytesOf(QStringLiteral("ProfilePlaySeq"));
    const char* bad[] = {"",     ".",     "..",     "../Escaped", "a/b",       "a\\b",
                         "a:b",  "a*",    "a?",     "a<b",        "a>b",       "a|b",
                         "a\"b", " Lead", "Trail ", ".hidden",    "tab\there", "bell\x07"};
    for (const char* name : bad) {
        const QString n = QString::fromLatin1(name);
        EXPECT_FALSE(Editor::isValidName(n)) << name;
        EXPECT_EQ(editor->saveAs(n), Outcome::BadName) << name;
        EXPECT_EQ(editor->rename(n), Outcome::BadName) << name;
        EXPECT_EQ(editor->createNew(n, BuiltInProfiles::Kind::Blank), Outcome::BadName) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/Escaped.rpf")));
    EXPECT_TRUE(
        log.contains(QStringLiteral("Refused the profile name.  DlgDisplayProfCfg::OnBtnRename  Name:a/b")));

    // Another profile's name: Save As replaces one of exactly that name (its
    // caller asks first); nothing takes a name that differs only in case.
    const struct
    {
        const char* name;
        Outcome saveAs, rename, createNew;
    } taken[] = {
        {"profiledefault", Outcome::NameTaken, Outcome::NameTaken, Outcome::NameTaken},
        {"PROFILEPLAYSEQ", Outcome::NameTaken, Outcome::NameTaken, Outcome::NameTaken},
        {"ProfileDefault", Outcome::Done, Outcome::NameTaken, Outcome::NameTaken},
    };
    for (const auto& t : taken) {
        const QString n = QString::fromLatin1(t.name);
        EXPECT_EQ(editor->rename(n), t.rename) << t.name;
        EXPECT_EQ(editor->createNew(n, BuiltInProfiles::Kind::Blank), t.createNew) << t.name;
        EXPECT_EQ(editor->saveAs(n), t.saveAs) << t.name;
    }
    EXPECT_EQ(editor->name(), QStringLiteral("ProfileDefault"));
    EXPECT_EQ(bytesOf(QStringLiteral("ProfileDefault")), before); // the play-sequence profile, saved over it
    EXPECT_EQ(bytesOf(QStringLiteral("ProfilePlaySeq")), before);
    EXPECT_EQ(files->GetProfileNames(),
              (QStringList{QStringLiteral("ProfileDefault"), QStringLiteral("ProfilePlaySeq")}));
}

TEST_F(ProfileEditorTest, RenameRemovesTheOldFileOnlyAfterTheNewOneIsWritten)
{
    ASSERT_TRUE(editor->load(QStringLiteral("ProfilePlaySeq")));
    ASSERT_TRUE(editor->setText(cell("Bareback", "F2"), Editor::NameColumn, QStringLiteral("Clock")));
    const QByteArray before = bytesOf(QStringLiteral("ProfilePlaySeq"));

    // Targets that cannot be written: a folder of that name, a name too long for the file system.
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("Folder.rpf")));
    for (const QString& target : {QStringLiteral("Folder"), QString(300, QLatin1Char('n'))}) {
        EXPECT_EQ(editor->rename(target), Outcome::WriteFailed);
        EXPECT_FALSE(editor->lastError().isEmpty());
        EXPECT_EQ(editor->name(), QStringLiteral("ProfilePlaySeq"));
        EXPECT_TRUE(editor->isModified());
        EXPECT_EQ(bytesOf(QStringLiteral("ProfilePlaySeq")), before);
    }
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("Failed to save the profile.  DlgDisplayProfCfg::OnBtnRename  Path:") + root +
        QStringLiteral("Folder.rpf")));

    ASSERT_EQ(editor->rename(QStringLiteral("Arena North")), Outcome::Done);
    EXPECT_EQ(editor->name(), QStringLiteral("Arena North"));
    EXPECT_FALSE(editor->isModified());
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("ProfilePlaySeq.rpf")));
    EXPECT_EQ(
        keyOnDisk(QStringLiteral("Arena North"), QStringLiteral("Bareback"), QStringLiteral("F2")).value(1),
        QStringLiteral("name=Clock"));
    EXPECT_EQ(editor->writtenProfiles(), QStringList{QStringLiteral("Arena North")});
}

TEST_F(ProfileEditorTest, AProfileThatCannotBeReadIsNeverWritten)
{
    const struct
    {
        const char* name;
        const char* content; // null: no file
        const char* logged;
    } cases[] = {
        {"Missing", nullptr, "Failed to load the profile.  DlgDisplayProfCfg::OnSelchangeProf  Path:"},
        {"Broken", "<Profile name=\"x\"><Event",
         "Failed to load the profile.  DlgDisplayProfCfg::OnSelchangeProf  Path:"},
        {"Other", "<IO><Port/></IO>",
         "Failed to get the root node.  DlgDisplayProfCfg::OnSelchangeProf  Error:"},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        if (c.content)
            writeFile(name, c.content);
        ASSERT_TRUE(editor->load(QStringLiteral("ProfileDefault")));
        log.clear();

        EXPECT_FALSE(editor->load(name)) << c.name;
        EXPECT_FALSE(editor->isOpen());
        EXPECT_FALSE(editor->lastError().isEmpty()) << c.name;
        EXPECT_TRUE(log.containsPrefix(QString::fromLatin1(c.logged))) << c.name;
        EXPECT_FALSE(editor->setText(cell("Bareback", "F2"), Editor::NameColumn, QStringLiteral("X")));
        EXPECT_FALSE(editor->setSetting(Editor::Setting::Paging, QStringLiteral("5")));
        EXPECT_EQ(editor->save(), Outcome::NoProfile);
        EXPECT_EQ(editor->saveAs(QStringLiteral("Copy")), Outcome::NoProfile);
        EXPECT_EQ(editor->rename(QStringLiteral("Copy")), Outcome::NoProfile);
        EXPECT_EQ(bytesOf(name), QByteArray(c.content)) << c.name;
        EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("Copy.rpf")));
    }
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("Failed to get the root node.  DlgDisplayProfCfg::OnSelchangeNumperpage  "
                       "Error:Error Description: No profile is open.")));
}

TEST_F(ProfileEditorTest, SettingsTakeOnlyTheirChoicesAndNewStartsFromTheBuiltIns)
{
    ASSERT_EQ(editor->createNew(QStringLiteral("Indoor"), BuiltInProfiles::Kind::Default), Outcome::Done);
    EXPECT_EQ(editor->text(cell("Bareback", "F2"), Editor::NameColumn), QStringLiteral("Run Time"));
    EXPECT_EQ(editor->setting(Editor::Setting::Paging), QStringLiteral("4"));
    EXPECT_FALSE(editor->setSetting(Editor::Setting::Paging, QStringLiteral("21")));
    EXPECT_FALSE(editor->setSetting(Editor::Setting::TeamDisplay, QStringLiteral("last/last")));
    EXPECT_FALSE(editor->isModified());
    EXPECT_TRUE(editor->setSetting(Editor::Setting::Display, QStringLiteral("Initial. Last")));
    EXPECT_TRUE(editor->isModified());
    ASSERT_EQ(editor->saveAs(QStringLiteral("Indoor 2")), Outcome::Done);

    ASSERT_TRUE(editor->load(QStringLiteral("Indoor")));
    EXPECT_EQ(editor->setting(Editor::Setting::Display), QStringLiteral("Last, First"));
    ASSERT_TRUE(editor->load(QStringLiteral("Indoor 2")));
    EXPECT_EQ(editor->setting(Editor::Setting::Display), QStringLiteral("Initial. Last"));

    ASSERT_EQ(editor->createNew(QStringLiteral("Empty"), BuiltInProfiles::Kind::Blank), Outcome::Done);
    EXPECT_EQ(editor->text(cell("Bareback", "F2"), Editor::NameColumn), QString());
    EXPECT_EQ(editor->writtenProfiles(),
              (QStringList{QStringLiteral("Indoor"), QStringLiteral("Indoor 2"), QStringLiteral("Empty")}));
}

} // namespace
