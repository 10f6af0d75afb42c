// The draw as the season keeps it: a draw is written with its record and its
// result history in one transaction, or not at all; it is refused over
// results; its undo puts the rows back until a result is saved; requests keep
// their members.
#include "dbfixture.h"

namespace {

// Season "S1", rodeo "Spring": saddle bronc (SB) with two go-rounds, six
// contestants entered unplaced in go-round 1 with performance 1 existing.
class DrawDbTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        for (int i = 0; i < 6; ++i) {
            p << insertContestant(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1);
        }
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, 0, 1, 1); // performance 1 exists
        exec(QStringLiteral(
            "INSERT INTO Stocks (StBib, StName) VALUES ('12', 'Painted Lady'), ('21', 'Widow Maker')"));
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    // Contestant i into performance 1 + i / 3 at running order 1 + i % 3.
    DrawRec spread(int upTo = 6)
    {
        DrawRec d;
        d.eventId = QStringLiteral("SB");
        d.goRound = 1;
        d.what = QStringLiteral("PS");
        d.seed = 18446744073709551557ull;
        for (int i = 0; i < upTo; ++i) {
            DrawRowRec r;
            r.ptId = p[i];
            r.perf = 1 + i / 3;
            r.ord = 1 + i % 3;
            r.stock = i == 0 ? 1 : 0;
            d.rows.append(r);
        }
        return d;
    }
    QString places()
    {
        QStringList out;
        auto rs = sql().query(
            QStringLiteral("SELECT ptId, PerfId, Ord, StId FROM Scores WHERE GoId = 1 ORDER BY ptId"));
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            out << QStringLiteral("%1:%2.%3/%4")
                       .arg(rs->toUInt(QStringLiteral("ptId")))
                       .arg(rs->toUInt(QStringLiteral("PerfId")))
                       .arg(rs->toUInt(QStringLiteral("Ord")))
                       .arg(rs->toUInt(QStringLiteral("StId")));
        return out.join(u' ');
    }
    // What memory holds for the go-round, in the same words.
    QString placesInMemory()
    {
        QStringList out;
        QVector<RegEntry> entries = db->playerEntries().entries(QStringLiteral("SB"), 1);
        std::sort(entries.begin(), entries.end(),
                  [](const RegEntry& a, const RegEntry& b) { return a.ptId < b.ptId; });
        for (const RegEntry& e : entries)
            out << QStringLiteral("%1:%2.%3/%4").arg(e.ptId).arg(e.perf).arg(e.ord).arg(e.stock);
        return out.join(u' ');
    }
    void saveResult(quint32 ptId, int go = 1)
    {
        RegEntry e;
        e.eventId = QStringLiteral("SB");
        e.goRound = quint16(go);
        e.ptId = ptId;
        ResultRecord r;
        r.score = 8000;
        ASSERT_TRUE(db->SetStatsPerformance(e, r, ChangeSource::EntryBar));
    }

    int roId = 0;
    QVector<quint32> p;
};

} // namespace

TEST_F(DrawDbTest, ADrawIsWrittenWithItsRecordAndHistoryAndMakesItsPerformances)
{
    DrawRec d = spread();
    d.unmet = {QStringLiteral("Up: First0 Last0 in performance 3: performance 3 is not drawn")};
    ASSERT_EQ(db->RecordDraw(d), CDatabaseManager::DrawWrite::Written);
    EXPECT_EQ(places(), QStringLiteral("0:2.0/0 1:1.1/1 2:1.2/0 3:1.3/0 4:2.1/0 5:2.2/0 6:2.3/0"));
    EXPECT_EQ(placesInMemory(), places());
    EXPECT_EQ(db->GetLastPerf(QStringLiteral("SB"), 1), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Draw' AND "
                                    "HiAction = 'Draw'")),
              6);

    DrawRec back;
    ASSERT_TRUE(db->LastDraw(QStringLiteral("SB"), 1, back));
    EXPECT_EQ(back.seed, 18446744073709551557ull); // all 64 bits kept
    EXPECT_EQ(back.what, QStringLiteral("PS"));
    EXPECT_EQ(back.unmet, d.unmet);
    EXPECT_EQ(back.rows.size(), 7); // the six and the row that makes performance 2

    QVector<ResultChange> history;
    ASSERT_TRUE(db->GetResultHistory(QStringLiteral("SB"), p[0], 1, history));
    ASSERT_FALSE(history.isEmpty());
    const QStringList words = ResultHistory::columns(history.last(), QStringLiteral("0.1"), 2);
    EXPECT_EQ(words.mid(2),
              (QStringList{QStringLiteral("Drawn"), QStringLiteral("Draw"), QStringLiteral("Unplaced"),
                           QStringLiteral("Performance 1, order 1, animal 12 Painted Lady")}));
}

TEST_F(DrawDbTest, ADrawThatFailsHalfWayWritesNothing)
{
    const QString before = places();
    DrawRec d = spread();
    DrawRowRec stranger;
    stranger.ptId = 999; // not entered: the go-round changed since the plan
    stranger.perf = 2;
    d.rows.append(stranger);
    EXPECT_EQ(db->RecordDraw(d), CDatabaseManager::DrawWrite::Failed);
    EXPECT_EQ(places(), before);
    EXPECT_EQ(placesInMemory(), before);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Draws")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Draw'")), 0);
}

TEST_F(DrawDbTest, ADrawOverResultsIsRefusedButAReRideDrawIsNot)
{
    saveResult(p[2]);
    const QString before = places();
    DrawRec d = spread();
    EXPECT_EQ(db->RecordDraw(d), CDatabaseManager::DrawWrite::HasResults);
    EXPECT_EQ(places(), before);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Draws")), 0);

    DrawRec reride = spread(1);
    reride.what = QStringLiteral("R");
    EXPECT_EQ(db->RecordDraw(reride), CDatabaseManager::DrawWrite::Written);
}

TEST_F(DrawDbTest, UndoPutsTheRowsBackUntilAResultIsSaved)
{
    DrawRec first = spread();
    ASSERT_EQ(db->RecordDraw(first), CDatabaseManager::DrawWrite::Written);
    const QString drawnOnce = places();
    DrawRec second = spread();
    std::swap(second.rows[0].ord, second.rows[1].ord);
    ASSERT_EQ(db->RecordDraw(second), CDatabaseManager::DrawWrite::Written);

    // Undone one after the other, back to the rows before any draw.
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::Undone);
    EXPECT_EQ(places(), drawnOnce);
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::Undone);
    EXPECT_EQ(places(), QStringLiteral("0:1.0/0 1:0.0/0 2:0.0/0 3:0.0/0 4:0.0/0 5:0.0/0 6:0.0/0"));
    EXPECT_EQ(placesInMemory(), places());
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::NothingToUndo);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiAction = 'Undo Draw'")), 12);

    // A running order typed after the draw is not overwritten by an undo.
    DrawRec third = spread();
    ASSERT_EQ(db->RecordDraw(third), CDatabaseManager::DrawWrite::Written);
    RegEntry moved;
    moved.eventId = QStringLiteral("SB");
    moved.ptId = p[5];
    ASSERT_TRUE(db->PlaceEntry(moved, 1, 1));
    const QString typed = places();
    EXPECT_EQ(placesInMemory(), typed); // the entries it moved on follow in memory
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::ChangedSince);
    EXPECT_EQ(places(), typed);

    // A result refuses the undo.
    ASSERT_TRUE(db->PlaceEntry(moved, 2, 3));
    EXPECT_EQ(placesInMemory(), places());
    saveResult(p[0]);
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::HasResults);
}

TEST_F(DrawDbTest, AReRideDrawIsUndoneOnlyUntilTheReRideIsScored)
{
    DrawRec d = spread();
    ASSERT_EQ(db->RecordDraw(d), CDatabaseManager::DrawWrite::Written);
    RegEntry e;
    e.eventId = QStringLiteral("SB");
    e.ptId = p[1];
    ResultRecord rerun;
    rerun.setStatus(QStringLiteral("R"));
    ASSERT_TRUE(db->SetStatsPerformance(e, rerun, ChangeSource::EntryBar));
    DrawRec reride = spread(2);
    reride.rows.removeFirst();
    reride.rows[0].stock = 2;
    reride.what = QStringLiteral("R");
    ASSERT_EQ(db->RecordDraw(reride), CDatabaseManager::DrawWrite::Written);
    saveResult(p[1]);
    EXPECT_EQ(db->UndoDraw(QStringLiteral("SB"), 1), CDatabaseManager::DrawUndo::HasResults);
}

TEST_F(DrawDbTest, RequestsAndPlacesAreKeptInTheSeason)
{
    DrawRequestRec buddies;
    buddies.kind = DrawRequestRec::Kind::Buddies;
    buddies.goRound = 2;
    buddies.members = {{p[0], QStringLiteral("SB")}, {p[1], QString()}, {p[2], QStringLiteral("BB")}};
    ASSERT_TRUE(db->AddDrawRequest(buddies));
    DrawRequestRec up;
    up.kind = DrawRequestRec::Kind::Up;
    up.perf = 3;
    up.members = {{p[3], QString()}};
    ASSERT_TRUE(db->AddDrawRequest(up));

    QVector<DrawRequestRec> read;
    ASSERT_TRUE(db->GetDrawRequests(read));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].kind, DrawRequestRec::Kind::Buddies);
    EXPECT_EQ(read[0].goRound, 2);
    ASSERT_EQ(read[0].members.size(), 3);
    EXPECT_EQ(read[0].members[2].eventId, QStringLiteral("BB"));
    EXPECT_EQ(read[1].perf, 3);

    ASSERT_TRUE(db->DeleteDrawRequest(buddies.id));
    ASSERT_TRUE(db->GetDrawRequests(read));
    EXPECT_EQ(read.size(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DrawRequestMembers")), 1);

    ASSERT_TRUE(db->SetDrawCapacities(QStringLiteral("SB"), 1, {4, 2}));
    ASSERT_TRUE(db->SetDrawCapacities(QStringLiteral("SB"), 1, {3, 3, 1}));
    EXPECT_EQ(db->GetDrawCapacities(QStringLiteral("SB"), 1), (QHash<int, int>{{1, 3}, {2, 3}, {3, 1}}));
}
