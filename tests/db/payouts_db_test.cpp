// Payouts in the season database: purse settings and schedules refused
// before anything is written, posting the earnings and undoing it, and a
// season of the version before payouts upgraded with its data kept.
#include "db/seasonschema.h"
#include "dbfixture.h"

#include <QFile>

namespace {

class PayoutsDbTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        rodeo = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(rodeo, QStringLiteral("SB"), goRounds);
        insertRodeoEvent(rodeo, QStringLiteral("TR"), 1, QStringLiteral("C2"), 1);
        // Six bronc riders: 86, 84, 84, 80, a no-score and one who has not
        // ridden yet.
        const int scores[] = {8600, 8400, 8400, 8000, 0, 0};
        for (int i = 0; i < 6; ++i) {
            riders << insertContestant(QStringLiteral("Rider"), QStringLiteral("R%1").arg(i + 1));
            insertEntry(QStringLiteral("Scores"), rodeo, QStringLiteral("SB"), 1, riders.last(), 1, 1, i + 1);
            exec(QStringLiteral("UPDATE Scores SET JTot = ?, Status = ? WHERE ptId = ?"),
                 {scores[i], i == 4 ? QStringLiteral("N") : QString(), riders.last()});
        }
        exec(QStringLiteral("UPDATE Rosters SET PlrEarnCur = '$1,000' WHERE PlrId = ?"), {riders.first()});
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        ASSERT_TRUE(db->AddBuiltInPayoutSchedules());
    }

    qint64 scheduleId(const QString& name)
    {
        return scalar(QStringLiteral("SELECT ScId FROM PayoutSchedules WHERE ScName = ?"), {name});
    }
    // 500.00 added and 50.00 a rider: 800.00 by the standard 50 / 30 / 20.
    EventPurse broncPurse()
    {
        EventPurse p;
        EXPECT_TRUE(db->GetEventPurse(QStringLiteral("SB"), p));
        p.purse.addedMoney = 50000;
        p.purse.entryFee = 5000;
        p.scheduleId = scheduleId(QStringLiteral("Standard"));
        return p;
    }
    QString earnings(quint32 plrId)
    {
        auto rs = sql().query(QStringLiteral("SELECT PlrEarnCur FROM Rosters WHERE PlrId = ?"), {plrId});
        return rs && rs->moveFirst() ? rs->toText(QStringLiteral("PlrEarnCur")) : QStringLiteral("<none>");
    }
    QString memoryEarnings(quint32 plrId) const
    {
        const ContestantRec* c = db->contestants().find(plrId);
        return c ? c->earnCur : QStringLiteral("<none>");
    }
    QStringList allEarnings()
    {
        QStringList out;
        for (quint32 id : riders) {
            out << earnings(id);
            EXPECT_EQ(memoryEarnings(id), out.last()) << "memory differs from the row of " << id;
        }
        return out;
    }
    qint64 rows(const char* table)
    {
        return scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    }

    int goRounds = 1;
    int rodeo = 0;
    QVector<quint32> riders;
};

} // namespace

TEST_F(PayoutsDbTest, PostingAddsEachTotalOnceAndUndoRestoresTheEarlierTexts)
{
    QString why;
    ASSERT_TRUE(db->SaveEventPurse(broncPurse(), &why)) << why.toStdString();
    EventPurse stored;
    ASSERT_TRUE(db->GetEventPurse(QStringLiteral("SB"), stored));
    EXPECT_TRUE(stored.stored);
    EXPECT_TRUE(stored.entriesCounted);
    EXPECT_EQ(stored.purse.paidEntries, 6);

    RodeoPayout payout;
    ASSERT_TRUE(db->ComputeRodeoPayout(payout));
    ASSERT_EQ(payout.events.size(), 1);
    EXPECT_EQ(payout.events.first().purse.purse, 80000);
    // 400.00 to the winner; 84 and 84 share second and third: 200.00 each.
    ASSERT_TRUE(db->PostEarnings(&why)) << why.toStdString();
    const QStringList posted{QStringLiteral("1400"),
                             QStringLiteral("200"),
                             QStringLiteral("200"),
                             QString(),
                             QString(),
                             QString()};
    EXPECT_EQ(allEarnings(), posted);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Payout' AND "
                                    "HiAction = 'Post' AND HiTable = 'Rosters'")),
              3);
    PayoutPosting posting;
    ASSERT_TRUE(db->GetPayoutPosting(posting));
    EXPECT_EQ(posting.total, 80000);
    EXPECT_EQ(posting.contestants, 3);

    // The same rodeo is not posted twice.
    EXPECT_FALSE(db->PostEarnings(&why));
    EXPECT_TRUE(why.contains(QLatin1String("Undo that posting first"))) << why.toStdString();
    EXPECT_EQ(rows("PayoutPostings"), 1);
    EXPECT_EQ(allEarnings(), posted);

    ASSERT_TRUE(db->UndoPayoutPosting(&why)) << why.toStdString();
    EXPECT_EQ(allEarnings(),
              (QStringList{QStringLiteral("$1,000"), QString(), QString(), QString(), QString(), QString()}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Rosters WHERE PlrEarnCur IS NULL")), 5);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiAction = 'Undo'")), 3);
    EXPECT_FALSE(db->GetPayoutPosting(posting));
    EXPECT_FALSE(db->UndoPayoutPosting(&why));

    // Undone, it can be posted again; earnings changed since a posting lose
    // only the amount posted.
    ASSERT_TRUE(db->PostEarnings(&why)) << why.toStdString();
    exec(QStringLiteral("UPDATE Rosters SET PlrEarnCur = '2,000.50' WHERE PlrId = ?"), {riders.at(1)});
    db->LoadContestants();
    ASSERT_TRUE(db->UndoPayoutPosting(&why)) << why.toStdString();
    EXPECT_EQ(earnings(riders.at(1)), QStringLiteral("1800.50"));
    EXPECT_EQ(earnings(riders.first()), QStringLiteral("$1,000"));

    // The result history of a rider's entry still shows only the result rows.
    QVector<ResultChange> history;
    ASSERT_TRUE(db->GetResultHistory(QStringLiteral("SB"), riders.first(), 1, history));
    for (const ResultChange& c : history)
        EXPECT_NE(c.source, QStringLiteral("Payout"));
}

TEST_F(PayoutsDbTest, RefusedInputWritesNothing)
{
    struct Case
    {
        const char* name;
        std::function<bool(QString&)> attempt;
        const char* message;
        std::function<void()> arrange = [] {
        };
    };
    const Case cases[] = {
        {"a negative fee",
         [this](QString& why) {
             EventPurse p = broncPurse();
             p.purse.entryFee = -100;
             return db->SaveEventPurse(p, &why);
         },
         "An amount of the purse is negative."},
        {"a split over the go-rounds it does not have",
         [this](QString& why) {
             EventPurse p = broncPurse();
             p.split = PurseSplit::defaults(2);
             return db->SaveEventPurse(p, &why);
         },
         "The event has 1 go-rounds: give each of them a share."},
        {"a schedule over 100 %",
         [this](QString& why) {
             PayoutSchedule s;
             s.name = QStringLiteral("Mine");
             s.bands = {ScheduleBand{1, 0, {6000, 5000}}};
             return db->SavePayoutSchedule(s, &why);
         },
         "Line 1 (1 and more entries): the percentages add up to 110 %, not 100 %."},
        {"a schedule named like another",
         [this](QString& why) {
             PayoutSchedule s = PayoutSchedules::builtIn().last();
             s.name = QStringLiteral("standard");
             return db->SavePayoutSchedule(s, &why);
         },
         "A schedule named \"standard\" exists already."},
        {"a schedule in use",
         [this](QString& why) {
             EXPECT_TRUE(db->SaveEventPurse(broncPurse()));
             return db->DeletePayoutSchedule(scheduleId(QStringLiteral("Standard")), &why);
         },
         "The schedule pays the event SB of the rodeo \"Spring\": choose another schedule there first."},
        {"earnings that are not an amount",
         [this](QString& why) {
             EXPECT_TRUE(db->SaveEventPurse(broncPurse()));
             return db->PostEarnings(&why);
         },
         "The earnings this season of R3, Rider (\"n/a\") are not an amount of money: correct them in "
         "Contestant "
         "Entry first.",
         [this] {
             exec(QStringLiteral("UPDATE Rosters SET PlrEarnCur = 'n/a' WHERE PlrId = ?"), {riders.at(2)});
             db->LoadContestants();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(QStringLiteral("DELETE FROM PayoutEvents"));
        c.arrange();
        const qint64 schedules = rows("PayoutScheduleLines");
        const QStringList before = allEarnings();
        QString why;
        EXPECT_FALSE(c.attempt(why));
        EXPECT_EQ(why, QString::fromUtf8(c.message));
        EXPECT_LE(rows("PayoutEvents"), 1); // only what the case itself stored
        EXPECT_EQ(rows("PayoutScheduleLines"), schedules);
        EXPECT_EQ(rows("PayoutPostings"), 0);
        EXPECT_EQ(rows("PayoutPostingEarnings"), 0);
        EXPECT_EQ(allEarnings(), before);
        exec(QStringLiteral("UPDATE Rosters SET PlrEarnCur = NULL WHERE PlrEarnCur = 'n/a'"));
        db->LoadContestants();
    }
}

TEST_F(PayoutsDbTest, APostingThatFailsHalfWayLeavesEverythingAsItWas)
{
    ASSERT_TRUE(db->SaveEventPurse(broncPurse()));
    // The third rider's row cannot be written: the earlier ones were.
    exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE UPDATE OF PlrEarnCur ON Rosters WHEN NEW.PlrId = %1 "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")
             .arg(riders.at(2)));
    const QStringList before = allEarnings();
    QString why;
    EXPECT_FALSE(db->PostEarnings(&why));
    EXPECT_EQ(why, QStringLiteral("The earnings could not be posted; nothing was changed."));
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to post the earnings.  DBMgr::PostEarnings  SQL:")));
    EXPECT_EQ(allEarnings(), before);
    EXPECT_EQ(rows("PayoutPostings"), 0);
    EXPECT_EQ(rows("PayoutPostingLines"), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Payout'")), 0);
}

TEST_F(PayoutsDbTest, AGoRoundWithoutResultsKeepsTheRodeoFromBeingPosted)
{
    exec(QStringLiteral("UPDATE RodeoEvents SET ReGos = 2 WHERE EvId = 'SB'"));
    for (quint32 id : riders)
        insertEntry(QStringLiteral("Scores"), rodeo, QStringLiteral("SB"), 2, id, 1);
    db->CloseRodeo();
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    EventPurse p = broncPurse();
    EXPECT_EQ(p.split, PurseSplit::defaults(2));
    ASSERT_TRUE(db->SaveEventPurse(p));
    QString why;
    EXPECT_FALSE(db->PostEarnings(&why));
    EXPECT_EQ(why, QStringLiteral(
                       "The earnings cannot be posted:\nGo-Round 2 of Saddle Bronc has no results yet."));
    EXPECT_EQ(rows("PayoutPostings"), 0);
}

TEST_F(PayoutsDbTest, EachMemberOfAPlacedTeamIsPaidAndTheSeasonAddsUp)
{
    const quint32 header = insertContestant(QStringLiteral("Hank"), QStringLiteral("Header"));
    const quint32 heeler = insertContestant(QStringLiteral("Hal"), QStringLiteral("Heeler"));
    insertTeam(rodeo, 1, QStringLiteral("H&H"), header, heeler);
    insertTeam(rodeo, 2, QStringLiteral("R1&R2"), riders.at(0), riders.at(1));
    insertEntry(QStringLiteral("Times"), rodeo, QStringLiteral("TR"), 1, 1, 1, 1, 1);
    insertEntry(QStringLiteral("Times"), rodeo, QStringLiteral("TR"), 1, 2, 1, 1, 2);
    exec(QStringLiteral("UPDATE Times SET RideTime = 6800 WHERE ptId = 1"));
    exec(QStringLiteral("UPDATE Times SET RideTime = 7400 WHERE ptId = 2"));
    db->CloseRodeo();
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));

    ASSERT_TRUE(db->SaveEventPurse(broncPurse()));
    EventPurse roping;
    ASSERT_TRUE(db->GetEventPurse(QStringLiteral("TR"), roping));
    EXPECT_EQ(roping.purse.paidEntries, 2); // teams: the purse is per roper
    roping.purse.addedMoney = 30000;
    roping.purse.entryFee = 10000;
    roping.scheduleId = scheduleId(QStringLiteral("Standard"));
    ASSERT_TRUE(db->SaveEventPurse(roping));
    QString why;
    ASSERT_TRUE(db->PostEarnings(&why)) << why.toStdString();
    // 300.00 + 2 x 100.00 = 500.00 a roper, one place paid: the header and the
    // heeler of the winning team get 500.00 each.
    EXPECT_EQ(earnings(header), QStringLiteral("500"));
    EXPECT_EQ(earnings(heeler), QStringLiteral("500"));
    EXPECT_EQ(earnings(riders.at(0)), QStringLiteral("1400"));

    QVector<EarningsRow> season;
    ASSERT_TRUE(db->GetSeasonEarnings(season));
    const QVector<StandingLine> roped = SeasonStandings::forEvent(season, QStringLiteral("TR"));
    ASSERT_EQ(roped.size(), 2);
    EXPECT_EQ(roped.at(0).amount, 50000);
    // Nobody won money in two events here.
    EXPECT_TRUE(SeasonStandings::allAround(season).isEmpty());
}

TEST(PayoutsSchemaTest, ASeasonOfTheVersionBeforeIsUpgradedWithItsDataKept)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/data/");
    QDir().mkpath(root + QStringLiteral("Old"));
    const QString path = root + QStringLiteral("Old/Old.mdb");
    {
        // The tables of the first version, and the result history as the
        // version before payouts made it, with a row of it.
        QFile schema(QStringLiteral(TALLYRA_SOURCE_DIR "/resources/schema.sql"));
        ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
        SqlConnection c;
        ASSERT_TRUE(c.create(path));
        ASSERT_TRUE(c.execute(QString::fromUtf8(schema.readAll())));
        ASSERT_TRUE(c.execute(QStringLiteral(
            "CREATE TABLE ResultHistory (HiId INTEGER PRIMARY KEY AUTOINCREMENT, HiWhen TEXT NOT NULL, "
            "HiSource "
            "TEXT, HiAction TEXT, HiTable TEXT, RoId INTEGER, EvId TEXT, GoId INTEGER, ptId INTEGER, PlrEnt "
            "INTEGER, "
            "OldGoId INTEGER, OldptId INTEGER, OldPlrEnt INTEGER, HiOld TEXT, HiNew TEXT);"
            "CREATE INDEX ResultHistoryByEntry ON ResultHistory (RoId, EvId, ptId, PlrEnt);"
            "PRAGMA user_version = 1;"
            "INSERT INTO Rodeos (RoName) VALUES ('Spring');"
            "INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, RePrecision, ReFraction) "
            "VALUES (1, 'SB', 1, 20, 'C2', 1, 'F');"
            "INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrEarnCur) VALUES ('Ann', 'Old', '$2,500');"
            "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord, JTot) "
            "VALUES (1, 'SB', 1, 1, 1, 1, 1, 7700);"
            "INSERT INTO ResultHistory (HiWhen, HiSource, HiAction, HiTable, RoId, EvId, GoId, ptId, PlrEnt, "
            "HiNew) VALUES ('2026-01-02T03:04:05.000Z', 'Entry Bar', 'Update', 'Scores', 1, 'SB', 1, 1, 1, "
            "'{\"JTot\":7700}');")))
            << c.lastError().toStdString();
    }
    ScriptedPrompt prompt;
    CDatabaseManager db(root, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), prompt);
    ASSERT_TRUE(db.OpenRodeo(QStringLiteral("Old"), QStringLiteral("Spring")));
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(SqlConnection::readUserVersion(path), SeasonSchema::CurrentVersion);
    EXPECT_EQ(db.contestants().at(0).earnCur, QStringLiteral("$2,500"));
    QVector<ResultChange> history;
    ASSERT_TRUE(db.GetResultHistory(QStringLiteral("SB"), 1, 1, history));
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history.first().source, QStringLiteral("Entry Bar"));

    // The upgraded season pays and posts.
    ASSERT_TRUE(db.AddBuiltInPayoutSchedules());
    EventPurse p;
    ASSERT_TRUE(db.GetEventPurse(QStringLiteral("SB"), p));
    p.purse.addedMoney = 10000;
    ASSERT_TRUE(db.SaveEventPurse(p));
    QString why;
    ASSERT_TRUE(db.PostEarnings(&why)) << why.toStdString();
    EXPECT_EQ(db.contestants().at(0).earnCur, QStringLiteral("2600"));
}
