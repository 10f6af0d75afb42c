#include "dbfixture.h"

#include <QFile>
#include <QFileInfo>

namespace {

class SeasonsTest : public DbFixture
{
protected:
    QString cfg(const QString& season) const { return root() + season + QStringLiteral("/season.cfg"); }
    QStringList seasons() const
    {
        QStringList list;
        db->EnumSeasons(list);
        list.sort();
        return list;
    }
    void touch(const QString& path, const QByteArray& content = "x")
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
};

} // namespace

TEST_F(SeasonsTest, CreateMakesFolderDatabaseAndSeasonFile)
{
    ASSERT_TRUE(db->CreateSeason(QStringLiteral("Summer 2026"), QStringLiteral("ProfileDefault"),
                                 QStringLiteral("College")));
    EXPECT_TRUE(QFileInfo(db->DatabasePath(QStringLiteral("Summer 2026"))).isFile());

    XmlDocument doc;
    ASSERT_TRUE(doc.load(cfg(QStringLiteral("Summer 2026"))));
    EXPECT_EQ(doc.root().name(), QStringLiteral("Season"));
    EXPECT_EQ(doc.root().attribute(QStringLiteral("name")), QStringLiteral("Summer 2026"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("//ScoreTimeBar/@edit_tot")).text(), QStringLiteral("0"));

    SeasonInfo info;
    ASSERT_TRUE(db->GetSeason(QStringLiteral("Summer 2026"), info));
    EXPECT_EQ(info.name, QStringLiteral("Summer 2026"));
    EXPECT_EQ(info.profile, QStringLiteral("ProfileDefault"));
    EXPECT_EQ(info.rule, QStringLiteral("College"));

    // The copy holds the standard events and can be written.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Events WHERE EvStandard = 'Y'"), {},
                     QStringLiteral("Summer 2026")),
              11);
    exec(QStringLiteral("INSERT INTO Rosters (PlrFirstName) VALUES ('x')"), {}, QStringLiteral("Summer 2026"));
}

TEST_F(SeasonsTest, ReadOnlyTemplateGivesWritableDatabase)
{
    const QString ro = dir.path() + QStringLiteral("/ro.mdb");
    ASSERT_TRUE(QFile::copy(templatePath(), ro));
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    CDatabaseManager other(root(), ro, prompt);
    ASSERT_TRUE(other.CreateSeason(QStringLiteral("RO"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_TRUE(QFileInfo(other.DatabasePath(QStringLiteral("RO"))).isWritable());
}

TEST_F(SeasonsTest, CreateRefusesExistingFolderAndBadNames)
{
    QDir().mkpath(root() + QStringLiteral("Taken"));
    touch(root() + QStringLiteral("Taken/keep.txt"));
    EXPECT_FALSE(db->CreateSeason(QStringLiteral("Taken"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Failed to create a new directory.  DBMgr::CreateSeason  Path:") + root() + QStringLiteral("Taken")));
    EXPECT_FALSE(QFile::exists(db->DatabasePath(QStringLiteral("Taken"))));
    EXPECT_TRUE(QFile::exists(root() + QStringLiteral("Taken/keep.txt")));

    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("../escape"), QStringLiteral(" lead"), QStringLiteral("trail "),
                               QStringLiteral("q\"uote"), QStringLiteral("star*"), QStringLiteral("c:d")}) {
        EXPECT_FALSE(CDatabaseManager::IsValidSeasonName(bad)) << bad.toStdString();
        EXPECT_FALSE(db->CreateSeason(bad, QStringLiteral("P"), QStringLiteral("PRCA"))) << bad.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/escape")));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/data/a")));
}

TEST_F(SeasonsTest, OnlyFoldersWithTheirOwnDatabaseAreSeasons)
{
    QStringList list;
    EXPECT_FALSE(db->EnumSeasons(list));
    EXPECT_TRUE(list.isEmpty());
    list = QStringList{QStringLiteral("kept")};
    EXPECT_TRUE(db->EnumSeasons(list)); // names already in the list count
    EXPECT_EQ(list, QStringList{QStringLiteral("kept")});

    makeSeason(QStringLiteral("Real"));
    QDir().mkpath(root() + QStringLiteral("NoDb"));
    QDir().mkpath(root() + QStringLiteral("Other"));
    touch(root() + QStringLiteral("Other/Elsewhere.mdb"));
    touch(root() + QStringLiteral("Loose.mdb"));
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Real")});

    list = QStringList{QStringLiteral("kept")};
    EXPECT_TRUE(db->EnumSeasons(list));
    EXPECT_EQ(list.size(), 2); // appended, not replaced
}

TEST_F(SeasonsTest, GetSeasonFailsWhenANodeIsMissing)
{
    makeSeason(QStringLiteral("S"));
    touch(cfg(QStringLiteral("S")), "<Season name=\"S\"><Profile name=\"P\"/></Season>");
    SeasonInfo info;
    EXPECT_FALSE(db->GetSeason(QStringLiteral("S"), info));
    EXPECT_EQ(info.name, QStringLiteral("S"));
    EXPECT_EQ(info.profile, QStringLiteral("P"));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to get the rule node.  DBMgr::GetSeason  XML:")));

    EXPECT_FALSE(db->GetSeason(QStringLiteral("Nope"), info));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to load the xml file.  DBMgr::GetSeason  Path:") +
                             cfg(QStringLiteral("Nope"))));
}

TEST_F(SeasonsTest, EditWithTheSameNameRewritesOnlyTheSettings)
{
    makeSeason(QStringLiteral("S"));
    ASSERT_TRUE(db->EditSeason(QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("Other"),
                               QStringLiteral("College")));
    SeasonInfo info;
    ASSERT_TRUE(db->GetSeason(QStringLiteral("S"), info));
    EXPECT_EQ(info.profile, QStringLiteral("Other"));
    EXPECT_EQ(info.rule, QStringLiteral("College"));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(SeasonsTest, RenameMovesFolderDatabaseAndJournal)
{
    makeSeason(QStringLiteral("A"));
    const int roId = insertRodeo(QStringLiteral("Kept"), QStringLiteral("A"));
    Q_UNUSED(roId);
    sql(QStringLiteral("A")).close(); // the season is not open while it is renamed
    ASSERT_TRUE(db->EditSeason(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("A")));
    EXPECT_TRUE(QFileInfo(db->DatabasePath(QStringLiteral("B"))).isFile());
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("B")});

    SeasonInfo info;
    ASSERT_TRUE(db->GetSeason(QStringLiteral("B"), info));
    EXPECT_EQ(info.name, QStringLiteral("B"));
    SqlConnection c;
    ASSERT_TRUE(c.open(db->DatabasePath(QStringLiteral("B"))));
    auto rs = c.query(QStringLiteral("SELECT RoName FROM Rodeos"));
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("RoName")), QStringLiteral("Kept"));
}

TEST_F(SeasonsTest, RenameOntoAnExistingFolderFailsAndLeavesBoth)
{
    makeSeason(QStringLiteral("A"));
    QDir().mkpath(root() + QStringLiteral("B")); // an empty folder must not be replaced either
    EXPECT_FALSE(db->EditSeason(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_TRUE(QFileInfo(db->DatabasePath(QStringLiteral("A"))).isFile());
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("B")).isDir());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("File or directory specified already exists or could not be created!"));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to rename the season folder.  DBMgr::EditSeason  Error:")));
}

TEST_F(SeasonsTest, RenameOfAVanishedSeasonSaysNotFound)
{
    EXPECT_FALSE(db->EditSeason(QStringLiteral("Gone"), QStringLiteral("New"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("File or path specified not found!"));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to rename the season folder.  DBMgr::EditSeason  Error:2")));
    EXPECT_FALSE(db->EditSeason(QString(), QStringLiteral("New"), QStringLiteral("P"), QStringLiteral("PRCA")));
    EXPECT_FALSE(db->EditSeason(QStringLiteral("Gone"), QStringLiteral("../x"), QStringLiteral("P"), QStringLiteral("PRCA")));
}

TEST_F(SeasonsTest, DeleteRemovesTheSeasonFolder)
{
    makeSeason(QStringLiteral("Old"));
    QDir().mkpath(root() + QStringLiteral("Old/Html/sub"));
    touch(root() + QStringLiteral("Old/Html/sub/report.html"));
    sql(QStringLiteral("Old")).close();
    EXPECT_TRUE(db->DeleteSeason(QStringLiteral("Old")));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("Old")));
    EXPECT_TRUE(QFileInfo(root()).isDir());
}

TEST_F(SeasonsTest, DeleteNeverLeavesTheDataFolder)
{
    // Something precious beside the data folder and inside it.
    const QString outside = dir.path() + QStringLiteral("/precious");
    QDir().mkpath(outside);
    touch(outside + QStringLiteral("/keep.txt"));
    touch(outside + QLatin1Char('/') + QStringLiteral("precious.mdb"));
    touch(root() + QStringLiteral("Tallyra.xml"));

    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../precious"),
                               outside, QStringLiteral("NotASeason")}) {
        EXPECT_FALSE(db->DeleteSeason(bad)) << bad.toStdString();
    }
    QDir().mkpath(root() + QStringLiteral("NotASeason"));
    EXPECT_FALSE(db->DeleteSeason(QStringLiteral("NotASeason")));
    EXPECT_TRUE(QFileInfo::exists(root() + QStringLiteral("NotASeason")));

    // A season that links outside: the link goes, the target stays.
    makeSeason(QStringLiteral("Linked"));
    ASSERT_TRUE(QFile::link(outside, root() + QStringLiteral("Linked/out")));
    sql(QStringLiteral("Linked")).close();
    EXPECT_TRUE(db->DeleteSeason(QStringLiteral("Linked")));
    EXPECT_TRUE(QFile::exists(outside + QStringLiteral("/keep.txt")));

    // A season folder that is itself a link is not deleted.
    ASSERT_TRUE(QFile::link(outside, root() + QStringLiteral("precious")));
    EXPECT_FALSE(db->DeleteSeason(QStringLiteral("precious")));
    EXPECT_TRUE(QFile::exists(outside + QStringLiteral("/keep.txt")));
    EXPECT_TRUE(QFile::exists(root() + QStringLiteral("Tallyra.xml")));
}

TEST_F(SeasonsTest, UpdateSeasonCfgReportsMissingNodes)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<Season name=\"x\"><Rule name=\"\"/></Season>")));
    EXPECT_FALSE(db->UpdateSeasonCfg(doc, QStringLiteral("N"), QStringLiteral("P"), QStringLiteral("R")));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to get the profile node.  DBMgr::UpdateSeasonCfg  Error:")));
    EXPECT_EQ(doc.root().attribute(QStringLiteral("name")), QStringLiteral("N")); // earlier change kept
}
