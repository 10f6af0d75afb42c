// The snapshot of a rodeo: what the pages show of each event, what a save
// reads again, and what is being run.
#include "db/dbfixture.h"
#include "live/livesnapshotbuilder.h"

#include <QDateTime>

namespace {

class LiveSnapshotTest : public DbFixture
{
protected:
    // Saddle bronc scored in fractions over two go-rounds with a final,
    // barrel racing timed in hundredths, team roping.
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        const int ro = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(ro, QStringLiteral("SB"), 2, QStringLiteral("C2"), 2);
        exec(QStringLiteral("UPDATE RodeoEvents SET ReFraction = 'N' WHERE EvId = 'SB'"));
        insertRodeoEvent(ro, QStringLiteral("BR"), 1, QStringLiteral("C2"), 2);
        insertRodeoEvent(ro, QStringLiteral("TR"), 1, QStringLiteral("C2"), 2);
        casey = insertContestant(QStringLiteral("Casey"), QStringLiteral("Bronc"), QStringLiteral("7"));
        dale = insertContestant(QStringLiteral("Dale"), QStringLiteral("Rider"), QStringLiteral("8"));
        wade = insertContestant(QStringLiteral("Wade"), QStringLiteral("Racer"), QStringLiteral("12"));
        rhea = insertContestant(QStringLiteral("Rhea"), QStringLiteral("Runner"), QStringLiteral("14"));
        const quint32 eli = insertContestant(QStringLiteral("Eli"), QStringLiteral("Header"));
        const quint32 finn = insertContestant(QStringLiteral("Finn"), QStringLiteral("Heeler"));
        insertTeam(ro, 1, QStringLiteral("Ropers"), eli, finn);
        exec(QStringLiteral("INSERT INTO Stocks (StBib, StName) VALUES ('S1', 'Widowmaker')"));
        const qint64 horse = sql().lastInsertRowId();

        const QString scores = QStringLiteral("Scores");
        insertEntry(scores, ro, QStringLiteral("SB"), 1, casey, 1, 1, 1);
        insertEntry(scores, ro, QStringLiteral("SB"), 1, dale, 1, 1, 2);
        insertEntry(scores, ro, QStringLiteral("SB"), 2, casey, 1, 1, 1);
        insertEntry(scores, ro, QStringLiteral("SB"), 2, dale, 1, 1, 2);
        insertEntry(scores, ro, QStringLiteral("SB"), 3, casey, 1, 1, 1); // the final
        exec(QStringLiteral("UPDATE Scores SET StId = ? WHERE GoId = 1 AND ptId = ?"), {horse, casey});
        exec(QStringLiteral("UPDATE Scores SET JTot = 8550, Suc = 1 WHERE GoId = 1 AND ptId = ?"), {casey});
        exec(QStringLiteral("UPDATE Scores SET Status = 'N' WHERE GoId = 1 AND ptId = ?"), {dale});
        exec(QStringLiteral("UPDATE Scores SET JTot = 8000, Suc = 1 WHERE GoId = 2 AND ptId = ?"), {casey});

        const QString times = QStringLiteral("Times");
        insertEntry(times, ro, QStringLiteral("BR"), 1, wade, 1, 1, 1);
        insertEntry(times, ro, QStringLiteral("BR"), 1, rhea, 1, 1, 2);
        exec(QStringLiteral("UPDATE Times SET RideTime = 15520, Suc = 1 WHERE ptId = ?"), {wade});
        exec(QStringLiteral("UPDATE Times SET RideTime = 17000, PenTime = 5000, Status = 'P', Suc = 1 "
                            "WHERE ptId = ?"),
             {rhea});
        insertEntry(times, ro, QStringLiteral("TR"), 1, 1, 1, 1, 1);
        exec(QStringLiteral("UPDATE Times SET RideTime = 6400, Suc = 1 WHERE EvId = 'TR'"));

        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    static const LiveRow& row(const LiveSnapshot& s, const char* event, int goRound, int index)
    {
        return s.event(QString::fromLatin1(event))->standing(goRound)->rows.at(size_t(index));
    }

    RegEntry entry(const char* event, int goRound, quint32 ptId) const
    {
        RegEntry e;
        e.eventId = QString::fromLatin1(event);
        e.goRound = quint16(goRound);
        e.perf = 1;
        e.ptId = ptId;
        return e;
    }

    quint32 casey = 0, dale = 0, wade = 0, rhea = 0;
};

TEST_F(LiveSnapshotTest, StandingsReadAsTheRunListsShowThem)
{
    LiveSnapshotBuilder builder(*db);
    const auto s = builder.build(nullptr);
    EXPECT_TRUE(s->rodeoOpen);
    EXPECT_EQ(s->title, QStringLiteral("Spring"));
    ASSERT_EQ(s->events.size(), 3u);

    // Saddle bronc: a fraction score, a no-score, an entry not run yet left out.
    const LiveRow& first = row(*s, "SB", 1, 0);
    EXPECT_EQ(first.name, QStringLiteral("Casey Bronc"));
    EXPECT_EQ(first.bib, QStringLiteral("7"));
    EXPECT_EQ(first.stock, QStringLiteral("S1 Widowmaker"));
    EXPECT_EQ(first.place, 1);
    EXPECT_EQ(first.score, QStringLiteral("85.5"));
    const LiveRow& noScore = row(*s, "SB", 1, 1);
    EXPECT_EQ(noScore.name, QStringLiteral("Dale Rider"));
    EXPECT_EQ(noScore.place, 0);
    EXPECT_EQ(noScore.score, QString());
    EXPECT_EQ(noScore.status, QStringLiteral("NO SCORE"));
    const LiveEvent& sb = *s->event(QStringLiteral("SB"));
    EXPECT_EQ(sb.goRounds.at(1).rows.size(), 1u);
    EXPECT_TRUE(sb.hasFinal);
    EXPECT_EQ(sb.final.title, QStringLiteral("Final"));
    EXPECT_TRUE(sb.final.rows.empty());
    ASSERT_FALSE(sb.overall.rows.empty());
    EXPECT_EQ(sb.overall.rows.front().score, QStringLiteral("165.5"));
    EXPECT_EQ(sb.overall.rows.front().rides, QStringLiteral("2 / 2"));

    // Barrel racing in hundredths, a penalty in the time.
    EXPECT_EQ(row(*s, "BR", 1, 0).time, QStringLiteral("15.52"));
    const LiveRow& penalty = row(*s, "BR", 1, 1);
    EXPECT_EQ(penalty.time, QStringLiteral("22.00"));
    EXPECT_EQ(penalty.place, 2);
    EXPECT_EQ(penalty.status, QStringLiteral("PENALTY"));

    // A team with its members.
    const LiveRow& team = row(*s, "TR", 1, 0);
    EXPECT_EQ(team.name, QStringLiteral("Ropers"));
    EXPECT_EQ(team.members, (QStringList{QStringLiteral("Eli Header"), QStringLiteral("Finn Heeler")}));
    EXPECT_EQ(team.time, QStringLiteral("6.40"));
}

TEST_F(LiveSnapshotTest, ASaveReadsOnlyItsEventAgainAndHeadsTheLastResults)
{
    LiveSnapshotBuilder builder(*db);
    const auto before = builder.build(nullptr);
    EXPECT_EQ(builder.eventsReadLastBuild(), 3);

    const auto save = [&](quint32 who, quint32 time) {
        ResultRecord r;
        r.time = time;
        r.success = 1;
        ASSERT_TRUE(db->SetStatsPerformance(entry("BR", 1, who), r));
        builder.noteSaved(entry("BR", 1, who), QDateTime(QDate(2026, 7, 1), QTime(19, 2, 3)));
    };
    save(rhea, 14000);
    const auto after = builder.build(nullptr);
    EXPECT_EQ(builder.eventsReadLastBuild(), 1);
    EXPECT_EQ(after->version, before->version + 1);
    // The other events are the very same objects: their pages are not made again.
    for (const char* same : {"SB", "TR"})
        EXPECT_EQ(after->event(QString::fromLatin1(same)), before->event(QString::fromLatin1(same))) << same;
    EXPECT_NE(after->event(QStringLiteral("BR")), before->event(QStringLiteral("BR")));
    EXPECT_EQ(row(*after, "BR", 1, 0).name, QStringLiteral("Rhea Runner"));
    EXPECT_EQ(row(*after, "BR", 1, 0).time, QStringLiteral("14.00"));
    ASSERT_EQ(after->now.recent.size(), 1u);
    EXPECT_EQ(after->now.recent[0].at, QStringLiteral("19:02:03"));
    EXPECT_EQ(after->now.recent[0].row.place, 1);

    // A correction replaces the result listed before it.
    save(wade, 13900);
    save(rhea, 13800);
    const auto last = builder.build(nullptr);
    ASSERT_EQ(last->now.recent.size(), 2u);
    EXPECT_EQ(last->now.recent[0].row.name, QStringLiteral("Rhea Runner"));
    EXPECT_EQ(last->now.recent[0].row.time, QStringLiteral("13.80"));
    EXPECT_EQ(last->now.recent[1].row.place, 2);

    // Anything else may have changed: everything is read again, a little
    // at each build when time is short.
    builder.invalidateAll();
    builder.build(nullptr, 0);
    EXPECT_EQ(builder.eventsReadLastBuild(), 1);
    int read = 1;
    while (builder.hasPending() && read < 10) {
        builder.build(nullptr, 0);
        read += builder.eventsReadLastBuild();
    }
    EXPECT_EQ(read, 3);
}

TEST_F(LiveSnapshotTest, NowShowsTheEntryUpAndItsPerformanceInRunningOrder)
{
    LiveSnapshotBuilder builder(*db);
    EXPECT_FALSE(builder.build(nullptr)->now.running);

    const RegEntry up = entry("SB", 1, casey);
    ASSERT_TRUE(db->SetCurEntry(up));
    const auto s = builder.build(&up);
    const LiveNow& now = s->now;
    ASSERT_TRUE(now.running);
    EXPECT_EQ(now.eventName, QStringLiteral("Saddle Bronc"));
    EXPECT_EQ(now.round, QStringLiteral("Go-Round 1"));
    EXPECT_EQ(now.performance, 1);
    EXPECT_EQ(now.up.name, QStringLiteral("Casey Bronc"));
    EXPECT_EQ(now.up.stock, QStringLiteral("S1 Widowmaker"));
    EXPECT_EQ(now.up.score, QStringLiteral("85.5"));
    ASSERT_EQ(now.order.size(), 2u);
    EXPECT_EQ(now.order[0].order, 1);
    EXPECT_EQ(now.order[1].name, QStringLiteral("Dale Rider"));
    EXPECT_EQ(now.order[1].status, QStringLiteral("NO SCORE"));
}

} // namespace
