// The draw session over a season: requests that cannot be met are named and
// nothing is written until the secretary accepts; a contestant's other event
// keeps him out of its performance; animals come from the event's pen; the
// same seed redraws the same after an undo.
#include "db/dbfixture.h"
#include "setup/drawsession.h"

namespace {

// Season "S1", rodeo "Spring": bareback (BB) and saddle bronc (SB), two
// go-rounds each; twelve contestants in BB, the first three also in SB,
// where they are placed in performance 1.
class DrawSessionTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("BB"), 2);
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        for (int i = 0; i < 12; ++i) {
            p << insertContestant(QStringLiteral("Rider%1").arg(i), QStringLiteral("Last%1").arg(i));
            for (int go = 1; go <= 2; ++go)
                insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("BB"), go, p[i], 1);
            if (i < 3)
                insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1, 1, i + 1);
        }
        for (int a = 0; a < 14; ++a)
            exec(QStringLiteral(
                     "INSERT INTO Stocks (StBib, StName, StPen, StReride, StOut) VALUES (?, ?, ?, ?, ?)"),
                 {QString::number(100 + a), QStringLiteral("Horse%1").arg(a), a < 13 ? "BB" : "SB",
                  a >= 11 && a < 13 ? 1 : 0, a == 10 ? 1 : 0});
        // Pen of BB: horses 0-9 to draw, 10 out, 11 and 12 for re-rides.
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    DrawSession::Options options(quint64 seed)
    {
        DrawSession::Options o;
        o.eventId = QStringLiteral("BB");
        o.goRound = 1;
        o.capacities = {4, 4, 4};
        o.seed = seed;
        return o;
    }
    void request(DrawRequestRec::Kind kind, QVector<quint32> people, int perf = 0)
    {
        DrawRequestRec r;
        r.kind = kind;
        r.perf = perf;
        for (quint32 person : people)
            r.members.append({person, QString()});
        ASSERT_TRUE(session.addRequest(r));
    }
    qint64 drawsWritten() { return scalar(QStringLiteral("SELECT count(*) FROM Draws")); }
    qint64 placedInBB()
    {
        return scalar(
            QStringLiteral("SELECT count(*) FROM Scores WHERE EvId = 'BB' AND PerfId > 0 AND ptId > 0"));
    }

    DrawSession session{*db};
    int roId = 0;
    QVector<quint32> p;
};

QString perfOf(const DrawSession::Plan& plan, quint32 ptId)
{
    for (const DrawSession::Row& r : plan.rows)
        if (entryKeyId(r.key) == ptId)
            return QString::number(r.perf);
    return QStringLiteral("none");
}

} // namespace

TEST_F(DrawSessionTest, RequestsThatCannotBeMetAreNamedAndNothingIsWrittenUntilAccepted)
{
    request(DrawRequestRec::Kind::Up, {p[5]}, 2);
    request(DrawRequestRec::Kind::Out, {p[5]}, 2);
    request(DrawRequestRec::Kind::Up, {p[6]}, 7);
    request(DrawRequestRec::Kind::Buddies, {p[7], p[8]});
    const DrawSession::Plan plan = session.draw(options(42));
    ASSERT_TRUE(plan.ok()) << plan.error.toStdString();
    // In the order the rules take them: outs, then ups by request.
    EXPECT_EQ(plan.unmet,
              (QStringList{
                  QStringLiteral("Up: Rider5 Last5 in performance 2: another request keeps him out "
                                 "of performance 2"),
                  QStringLiteral("Up: Rider6 Last6 in performance 7: performance 7 is not drawn"),
              }))
        << plan.unmet.join(u'\n').toStdString();
    EXPECT_NE(perfOf(plan, p[5]), QStringLiteral("2"));
    EXPECT_EQ(perfOf(plan, p[7]), perfOf(plan, p[8]));
    // The contestants placed in SB's performance 1 ride BB elsewhere.
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(perfOf(plan, p[i]), QStringLiteral("1"));
    EXPECT_EQ(drawsWritten(), 0);
    EXPECT_EQ(placedInBB(), 0);

    ASSERT_EQ(session.accept(plan), CDatabaseManager::DrawWrite::Written);
    EXPECT_EQ(placedInBB(), 12);
    DrawRec recorded;
    ASSERT_TRUE(db->LastDraw(QStringLiteral("BB"), 1, recorded));
    EXPECT_EQ(recorded.unmet, plan.unmet);
    EXPECT_EQ(session.capacities(QStringLiteral("BB"), 1, 3), (QVector<int>{4, 4, 4}));
}

TEST_F(DrawSessionTest, TooFewPlacesDrawNothing)
{
    DrawSession::Options o = options(1);
    o.capacities = {4, 4, 3};
    const DrawSession::Plan plan = session.draw(o);
    EXPECT_EQ(plan.error, QStringLiteral("The performances offer 11 places for 12 entries."));
    EXPECT_EQ(session.accept(plan), CDatabaseManager::DrawWrite::Failed);
    EXPECT_EQ(drawsWritten(), 0);
}

TEST_F(DrawSessionTest, AnimalsComeFromThePenAndReRidesFromItsReRideAnimals)
{
    DrawSession::Options o = options(7);
    o.capacities = {6, 6};
    o.stock = true;
    DrawSession::Plan plan = session.draw(o);
    ASSERT_TRUE(plan.ok()) << plan.error.toStdString();
    EXPECT_EQ(plan.what, QStringLiteral("PS"));
    // Ten animals to draw (one is out, two kept for re-rides) for twelve riders.
    EXPECT_EQ(plan.unmet.size(), 2);
    QSet<quint32> drawn;
    for (const DrawSession::Row& r : plan.rows)
        if (r.stock) {
            EXPECT_LE(r.stock, 10u) << "not an animal to draw: " << r.stock;
            drawn.insert(r.stock);
        }
    EXPECT_EQ(drawn.size(), 10);
    ASSERT_EQ(session.accept(plan), CDatabaseManager::DrawWrite::Written);

    // Rider 3 is given a re-ride: he draws one of the re-ride animals.
    RegEntry e;
    e.eventId = QStringLiteral("BB");
    e.ptId = p[3];
    ResultRecord reride;
    reride.setStatus(QStringLiteral("R"));
    ASSERT_TRUE(db->SetStatsPerformance(e, reride, ChangeSource::EntryBar));
    o.stock = false;
    o.rerides = true;
    plan = session.draw(o);
    ASSERT_TRUE(plan.ok()) << plan.error.toStdString();
    ASSERT_EQ(plan.rows.size(), 1);
    EXPECT_TRUE(plan.rows[0].stock == 12 || plan.rows[0].stock == 13) << plan.rows[0].stock;
    EXPECT_EQ(session.accept(plan), CDatabaseManager::DrawWrite::Written);
}

TEST_F(DrawSessionTest, TheSameSeedRedrawsTheSameAfterAnUndo)
{
    DrawSession::Options o = options(20260704);
    o.stock = true;
    o.capacities = {6, 6};
    const DrawSession::Plan first = session.draw(o);
    ASSERT_TRUE(first.ok());
    ASSERT_EQ(session.accept(first), CDatabaseManager::DrawWrite::Written);
    const auto rows = [&] {
        QStringList out;
        for (const DrawSession::Row& r : session.currentRows(QStringLiteral("BB"), 1))
            out << QStringLiteral("%1 %2.%3 %4").arg(r.competitor).arg(r.perf).arg(r.ord).arg(r.animal);
        return out;
    };
    const QStringList drawn = rows();
    ASSERT_EQ(session.undo(QStringLiteral("BB"), 1), CDatabaseManager::DrawUndo::Undone);
    EXPECT_NE(rows(), drawn);
    const DrawSession::Plan again = session.draw(o);
    ASSERT_EQ(session.accept(again), CDatabaseManager::DrawWrite::Written);
    EXPECT_EQ(rows(), drawn);

    // Go-round 2 keeps every rider off the animal he had in go-round 1.
    o.goRound = 2;
    o.seed = 5;
    const DrawSession::Plan second = session.draw(o);
    ASSERT_TRUE(second.ok());
    int compared = 0;
    for (const DrawSession::Row& r : second.rows) {
        for (const DrawSession::Row& before : first.rows) {
            if (before.key == r.key && r.stock && before.stock) {
                EXPECT_NE(before.stock, r.stock) << r.competitor.toStdString();
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 8);
}
