// Opening season databases of other versions and damaged ones: an old season
// is upgraded step by step, a newer or damaged one is refused with a message
// and left as it was.
#include "db/seasonschema.h"
#include "dbfixture.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

class SchemaTest : public DbFixture
{
protected:
    void SetUp() override { makeSeason(QStringLiteral("S1")); }

    QString path() const { return db->DatabasePath(QStringLiteral("S1")); }

    // Replaces the season's database with one of the first version of the
    // tables (no user_version, no history), holding one rodeo with one entry.
    void makeFirstVersionSeason(const QString& extra = QString())
    {
        QFile::remove(path());
        QFile schema(QStringLiteral(TALLYRA_SOURCE_DIR "/resources/schema.sql"));
        ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
        SqlConnection c;
        ASSERT_TRUE(c.create(path()));
        ASSERT_TRUE(c.execute(QString::fromUtf8(schema.readAll()) + extra)) << c.lastError().toStdString();
        ASSERT_TRUE(c.execute(QStringLiteral(
            "INSERT INTO Rodeos (RoName) VALUES ('Spring');"
            "INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, RePrecision, ReFraction) "
            "VALUES (1, 'SB', 1, 20, 'C2', 1, 'F');"
            "INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES ('Ann', 'Old');"
            "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord, JTot) "
            "VALUES (1, 'SB', 1, 1, 1, 1, 1, 7700);")));
        c.close();
    }
    int version() { return SqlConnection::readUserVersion(path()); }
    QByteArray digest()
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                           : QByteArray();
    }
    bool open() { return db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")); }
};

} // namespace

TEST_F(SchemaTest, NewSeasonsAreOfTheCurrentVersion)
{
    EXPECT_EQ(version(), SeasonSchema::CurrentVersion);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'ResultHistory'")), 1);
}

TEST_F(SchemaTest, AnOldSeasonIsUpgradedWhenOpenedAndKeepsItsResults)
{
    makeFirstVersionSeason();
    ASSERT_EQ(version(), 0);
    ASSERT_TRUE(open());
    EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(version(), SeasonSchema::CurrentVersion);
    EXPECT_EQ(scalar(QStringLiteral("SELECT JTot FROM Scores")), 7700);

    // The upgraded season records its history.
    RegEntry e;
    e.eventId = QStringLiteral("SB");
    e.ptId = 1;
    ResultRecord r;
    r.score = 8100;
    ASSERT_TRUE(db->SetStatsPerformance(e, r, ChangeSource::EntryBar));
    EXPECT_EQ(scalar(QStringLiteral("SELECT json_extract(HiOld, '$.JTot') * 10000 + json_extract(HiNew, "
                                    "'$.JTot') FROM ResultHistory")),
              7700 * 10000 + 8100);

    // Opening it again runs no step twice.
    db->CloseRodeo();
    ASSERT_TRUE(open());
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory")), 1);
}

// A season of the first program with the result history (version 1) gains
// the draw's tables and the animals' pens, and keeps its animals, results
// and history.
TEST_F(SchemaTest, ASeasonWithTheHistoryGainsTheDrawAndKeepsItsRows)
{
    makeFirstVersionSeason(QStringLiteral(
        "CREATE TABLE ResultHistory (HiId INTEGER PRIMARY KEY AUTOINCREMENT, HiWhen TEXT NOT NULL, "
        "HiSource TEXT, HiAction TEXT, HiTable TEXT, RoId INTEGER, EvId TEXT, GoId INTEGER, ptId INTEGER, "
        "PlrEnt INTEGER, OldGoId INTEGER, OldptId INTEGER, OldPlrEnt INTEGER, HiOld TEXT, HiNew TEXT);"
        "INSERT INTO ResultHistory (HiWhen, HiSource, HiAction) VALUES ('2026-07-04T18:00:00.000Z', 'Entry "
        "Bar', "
        "'Update');"
        "INSERT INTO Stocks (StBib, StName, StWeight) VALUES ('21', 'Widow Maker', 1150);"
        "PRAGMA user_version = 1;"));
    ASSERT_EQ(version(), 1);
    ASSERT_TRUE(open());
    EXPECT_EQ(version(), SeasonSchema::CurrentVersion);
    EXPECT_EQ(scalar(QStringLiteral("SELECT JTot FROM Scores")), 7700);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory")), 1);
    ASSERT_EQ(db->stock().size(), 1);
    const StockRec animal = db->stock().at(0);
    EXPECT_EQ(animal.name, QStringLiteral("Widow Maker"));
    EXPECT_EQ(animal.weight, 1150u);
    EXPECT_TRUE(animal.pen.isEmpty());
    EXPECT_FALSE(animal.reride || animal.out);

    // The new columns and tables take what the draw writes.
    StockRec penned = animal;
    penned.pen = QStringLiteral("SB");
    penned.reride = true;
    ASSERT_TRUE(db->UpdateStock(penned));
    DrawRequestRec up;
    up.perf = 1;
    up.members = {{1, QString()}};
    EXPECT_TRUE(db->AddDrawRequest(up));
    db->CloseRodeo();
    ASSERT_TRUE(open());
    EXPECT_EQ(db->stock().at(0).pen, QStringLiteral("SB"));
    EXPECT_TRUE(db->stock().at(0).reride);
}

TEST_F(SchemaTest, AStepThatFailsLeavesTheSeasonAtItsVersion)
{
    // A table in the way of the first step: the step is undone whole.
    makeFirstVersionSeason(QStringLiteral("CREATE TABLE ResultHistory (x);"));
    EXPECT_FALSE(open());
    EXPECT_EQ(version(), 0);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'ResultHistoryByEntry'")), 0);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.lastText().contains(QLatin1String("could not be brought up to date")));
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("Failed to upgrade the season database.  DBMgr::Connect  Season:S1")));
}

TEST_F(SchemaTest, ANewerSeasonIsRefusedUntouched)
{
    {
        SqlConnection c;
        ASSERT_TRUE(c.open(path()));
        ASSERT_TRUE(
            c.execute(QStringLiteral("PRAGMA user_version = %1").arg(SeasonSchema::CurrentVersion + 1)));
        ASSERT_TRUE(c.execute(QStringLiteral("INSERT INTO Rodeos (RoName) VALUES ('Spring')")));
        ASSERT_TRUE(
            c.execute(QStringLiteral("INSERT INTO RodeoEvents (RoId, EvId, ReGos) VALUES (1, 'SB', 1)")));
    }
    const QByteArray before = digest();
    EXPECT_FALSE(open());
    EXPECT_FALSE(db->isRodeoOpen());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.lastText().contains(QLatin1String("newer version")));
    EXPECT_TRUE(prompt.lastText().contains(QLatin1String("has not been opened or changed")));
    EXPECT_EQ(digest(), before);
    EXPECT_EQ(version(), SeasonSchema::CurrentVersion + 1);
}

TEST_F(SchemaTest, ADamagedSeasonGivesAMessageNotACrash)
{
    {
        SqlConnection c;
        ASSERT_TRUE(c.open(path()));
        ASSERT_TRUE(c.execute(QStringLiteral("INSERT INTO Rodeos (RoName) VALUES ('Spring')")));
        ASSERT_TRUE(
            c.execute(QStringLiteral("INSERT INTO RodeoEvents (RoId, EvId, ReGos) VALUES (1, 'SB', 1)")));
        // Enough rows for several pages, so that damage inside the file is possible.
        for (int i = 0; i < 400; ++i)
            ASSERT_TRUE(c.execute(
                QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrHomeTown) "
                               "VALUES (?, ?, ?)"),
                {QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i), QString(60, QLatin1Char('x'))}));
        ASSERT_TRUE(c.execute(QStringLiteral("PRAGMA journal_mode=DELETE")));
    }
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    ASSERT_GT(good.size(), 8 * 4096);

    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"not a database", QByteArray("This is a text file, not a season.\n")},
        {"cut short", good.left(good.size() / 2)},
        {"a page of zeros", good.left(4 * 4096) + QByteArray(4096, '\0') + good.mid(5 * 4096)},
        {"header garbled", QByteArray(100, '\x7f') + good.mid(100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.clear();
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        EXPECT_FALSE(open());
        EXPECT_FALSE(db->isRodeoOpen());
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.lastText().contains(QLatin1String("is damaged and cannot be opened")))
            << prompt.lastText().toStdString();
    }
    // One operation connects more than once: the same damaged file is told once.
    prompt.clear();
    EXPECT_FALSE(open());
    EXPECT_TRUE(prompt.shown.isEmpty());
    // Once the season opened again, new damage is told again.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(good);
    f.close();
    EXPECT_TRUE(open());
    db->CloseRodeo();
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(cases[0].bytes);
    f.close();
    EXPECT_FALSE(open());
    EXPECT_EQ(prompt.shown.size(), 1);
}
