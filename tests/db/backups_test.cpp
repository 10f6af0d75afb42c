// Copies of a season: consistent while results are being saved, named by
// their UTC time, the newest twenty kept, taken at most every half hour while
// results are saved; and compaction.
#include "db/seasonbackups.h"
#include "dbfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

namespace {

class BackupsTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 1);
        for (int i = 0; i < Entries; ++i) {
            const quint32 id = insertContestant(QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i));
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, id, 1, 1, i + 1);
            ids << id;
        }
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        backups = std::make_unique<SeasonBackups>(root());
        backups->setClock([this] { return now; });
    }

    bool save(int i, quint32 total)
    {
        RegEntry e;
        e.eventId = QStringLiteral("SB");
        e.ptId = ids[i];
        ResultRecord r;
        r.score = total;
        return db->SetStatsPerformance(e, r, ChangeSource::EntryBar);
    }
    static qint64 scalarIn(const QString& file, const QString& statement)
    {
        SqlConnection c;
        if (!c.open(file))
            return -1;
        auto rs = c.query(statement);
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }
    static QString textIn(const QString& file, const QString& statement)
    {
        SqlConnection c;
        if (!c.open(file))
            return c.lastError();
        auto rs = c.query(statement);
        return rs && rs->moveFirst() ? rs->toText(rs->columns().first()) : c.lastError();
    }

    static constexpr int Entries = 300;
    int roId = 0;
    QVector<quint32> ids;
    QDateTime now = QDateTime(QDate(2026, 5, 1), QTime(12, 30, 45), Qt::UTC);
    std::unique_ptr<SeasonBackups> backups;
};

} // namespace

TEST_F(BackupsTest, ACopyTakenWhileResultsAreSavedIsConsistent)
{
    QSignalSpy done(backups.get(), &SeasonBackups::finished);
    // Each save sets one more entry's score and writes one history row in
    // the same transaction; a copy of one moment has as many of each.
    int saved = 0;
    ASSERT_TRUE(backups->start(QStringLiteral("S1")));
    while (backups->isRunning() && saved < Entries) {
        ASSERT_TRUE(save(saved, 5000 + saved)) << "a save failed while the copy was written";
        ++saved;
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(done.count() == 1 || done.wait(10000));
    const QList<QVariant> args = done.takeFirst();
    ASSERT_TRUE(args.at(1).toBool()) << args.at(2).toString().toStdString();
    const QString copy = args.at(2).toString();
    // A single file (the header's write version 1: no WAL), usable as a season (the checks below open it
    // the program's way, which turns WAL on).
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(int(file.read(20).at(18)), 1);
    for (; saved < Entries; ++saved) // and after it
        ASSERT_TRUE(save(saved, 5000 + saved));


    const qint64 results = scalarIn(copy, QStringLiteral("SELECT count(*) FROM Scores WHERE JTot > 0"));
    EXPECT_EQ(scalarIn(copy, QStringLiteral("SELECT count(*) FROM ResultHistory")), results);
    EXPECT_GE(results, 0);
    EXPECT_LE(results, Entries);
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral(".part")));
    EXPECT_EQ(textIn(copy, QStringLiteral("PRAGMA integrity_check")), QLatin1String("ok"));
    // The season itself has every result.
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Scores WHERE JTot > 0")), Entries);
}

TEST_F(BackupsTest, CopiesAreNamedByTheirTimeAndTheNewestTwentyKept)
{
    QStringList written;
    for (int i = 0; i < SeasonBackups::Keep + 2; ++i) {
        QString path;
        ASSERT_TRUE(backups->backupNow(QStringLiteral("S1"), &path));
        written << QFileInfo(path).fileName();
        if (i != 0) // the first two in the same second
            now = now.addSecs(60);
    }
    EXPECT_EQ(written[0], QLatin1String("S1 2026-05-01 12-30-45Z.mdb"));
    EXPECT_EQ(written[1], QLatin1String("S1 2026-05-01 12-30-45Z-2.mdb"));
    EXPECT_EQ(written[2], QLatin1String("S1 2026-05-01 12-31-45Z.mdb"));
    const QStringList kept = backups->copies(QStringLiteral("S1"));
    ASSERT_EQ(kept.size(), SeasonBackups::Keep);
    EXPECT_EQ(QFileInfo(kept.first()).fileName(), written[2]);
    EXPECT_EQ(QFileInfo(kept.last()).fileName(), written.last());
    EXPECT_EQ(QFileInfo(kept.first()).path(), root() + QStringLiteral("S1/backups"));
    // Other files of the folder are none of its business.
    EXPECT_FALSE(backups->backupNow(QStringLiteral("../S1")));
}

TEST_F(BackupsTest, SavedResultsTakeACopyAtMostEveryHalfHour)
{
    const struct
    {
        int minutesLater;
        bool copies;
    } steps[] = {{0, true}, {10, false}, {29, false}, {30, true}, {31, false}, {75, true}};
    const QDateTime start = now;
    int expected = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.minutesLater);
        now = start.addSecs(60 * s.minutesLater);
        EXPECT_EQ(backups->resultSaved(QStringLiteral("S1")), s.copies);
        backups->wait();
        QCoreApplication::processEvents(); // the copy's end is noted on this thread
        expected += s.copies ? 1 : 0;
        EXPECT_EQ(backups->copies(QStringLiteral("S1")).size(), expected);
    }
    // A new run counts the copies an earlier one left (their file time).
    SeasonBackups later(root());
    later.setClock([] { return QDateTime::currentDateTimeUtc().addSecs(60); });
    EXPECT_FALSE(later.resultSaved(QStringLiteral("S1")));
}

TEST_F(BackupsTest, CompactingRewritesTheSeasonWithoutItsFreePages)
{
    ASSERT_TRUE(db->Query(QStringLiteral("DELETE FROM Rosters")));
    ASSERT_TRUE(db->connection().execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
    const qint64 before = QFileInfo(db->DatabasePath(QStringLiteral("S1"))).size();
    {
        CDatabaseManager::WriteScope scope(*db);
        EXPECT_FALSE(db->CompactSeason(QStringLiteral("S1"))); // not inside a transaction
    }
    ASSERT_TRUE(db->CompactSeason(QStringLiteral("S1")));
    ASSERT_TRUE(db->connection().execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
    EXPECT_LT(QFileInfo(db->DatabasePath(QStringLiteral("S1"))).size(), before);
    EXPECT_EQ(scalar(QStringLiteral("PRAGMA freelist_count")), 0);
    EXPECT_TRUE(save(0, 9000)); // the season goes on working
}

// A copy taken while a result is being saved (its transaction written but not
// yet committed) neither waits for the save nor holds half of it; the save
// commits all the same. A copy cut short earlier leaves no file behind.
TEST_F(BackupsTest, ACopyDuringAnOpenSaveHoldsTheStateBeforeIt)
{
    QDir().mkpath(backups->folder(QStringLiteral("S1")));
    const QString stale = backups->folder(QStringLiteral("S1")) + QStringLiteral("S1 2026-04-30 08-00-00Z.mdb.part");
    QFile part(stale);
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.write("half a copy");
    part.close();

    QString during;
    {
        CDatabaseManager::WriteScope scope(*db);
        ASSERT_TRUE(scope.isActive());
        ASSERT_TRUE(save(0, 7100)); // the row and its history row, uncommitted
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(backups->backupNow(QStringLiteral("S1"), &during));
        EXPECT_LT(clock.elapsed(), 5000);
        ASSERT_TRUE(scope.commit());
    }
    EXPECT_EQ(scalarIn(during, QStringLiteral("SELECT count(*) FROM Scores WHERE JTot > 0")), 0);
    EXPECT_EQ(scalarIn(during, QStringLiteral("SELECT count(*) FROM ResultHistory")), 0);
    EXPECT_FALSE(QFileInfo::exists(stale));

    now = now.addSecs(1);
    QString after;
    ASSERT_TRUE(backups->backupNow(QStringLiteral("S1"), &after));
    EXPECT_EQ(scalarIn(after, QStringLiteral("SELECT JTot FROM Scores WHERE ptId = ") + QString::number(ids[0])),
              7100);
    EXPECT_EQ(scalarIn(after, QStringLiteral("SELECT count(*) FROM ResultHistory")), 1);
    EXPECT_EQ(backups->copies(QStringLiteral("S1")).size(), 2);
}
