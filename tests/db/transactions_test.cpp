// Multi-row changes are all or nothing: a failure injected half-way through
// any of them leaves the season's rows and the working copy exactly as they
// were. The failure is a temporary trigger on the manager's own connection
// that aborts one chosen statement.
#include "dbfixture.h"

#include <functional>

namespace {

struct Case
{
    const char* name;
    // Aborts the statement that would make the change half-done.
    const char* trigger;
    std::function<bool(CDatabaseManager&)> change;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

RegEntry entryOf(const char* ev, int go, quint32 pt, int ent = 1, int perf = 0)
{
    RegEntry e;
    e.eventId = QString::fromLatin1(ev);
    e.goRound = static_cast<quint16>(go);
    e.ptId = pt;
    e.plrEnt = static_cast<quint16>(ent);
    e.perf = static_cast<quint16>(perf);
    return e;
}

EventCfg withGoRounds(CDatabaseManager& db, const char* ev, int goRounds)
{
    EventCfg e = *db.GetEvent(QString::fromLatin1(ev));
    e.goRounds = QString::number(goRounds);
    e.changed = 1;
    return e;
}

// Season "S1", rodeo "Spring": SB with two go-rounds and finals that hold a
// result, BR in three performances, and six contestants with two entries of
// the first in BR.
class TransactionTest : public DbFixture, public ::testing::WithParamInterface<Case>
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        insertRodeoEvent(roId, QStringLiteral("BR"), 1, QString(), 2);
        for (int i = 0; i < 6; ++i)
            p << insertContestant(QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i));
        for (int go = 1; go <= 3; ++go)
            for (int i = 0; i < (go == 3 ? 2 : 6); ++i)
                insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, p[i], 1, 1, i + 1);
        exec(QStringLiteral("UPDATE Scores SET JTot = 8150 WHERE GoId = 3 AND ptId = ?"), {p[0]});
        for (int i = 0; i < 6; ++i)
            insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[i], 1, 1 + i / 2,
                        1 + i % 2);
        insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[0], 2, 3, 3);
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    // Every row of every table, as another connection sees them.
    QStringList rows()
    {
        QStringList out;
        for (const char* table : {"Rodeos", "Events", "RodeoEvents", "Rosters", "Teams", "Scores", "Times"}) {
            auto rs = sql().query(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
            EXPECT_TRUE(rs);
            for (rs->moveFirst(); rs && !rs->isEof(); rs->moveNext()) {
                QStringList fields{QLatin1String(table)};
                for (const QString& c : rs->columns())
                    fields << rs->toText(c);
                out << fields.join(QLatin1Char('|'));
            }
        }
        out.sort();
        return out;
    }
    // The working copy: events with their go-round counts, every entry, and
    // the contestants' registered marks.
    QStringList memory()
    {
        QStringList out;
        for (const EventCfg& e : db->events()) {
            out << e.id + QLatin1Char(':') + e.goRounds;
            for (const RegEntry& r : db->playerEntries().entries(e.id))
                out << QStringLiteral("%1 go%2 pt%3 ent%4 perf%5 ord%6")
                           .arg(e.id)
                           .arg(r.goRound)
                           .arg(r.ptId)
                           .arg(r.plrEnt)
                           .arg(r.perf)
                           .arg(r.ord);
        }
        for (const ContestantRec& c : db->contestants().items())
            out << QStringLiteral("plr%1 reg%2").arg(c.plrId).arg(c.registered);
        out.sort();
        return out;
    }

    int roId = 0;
    QVector<quint32> p;
};

} // namespace

TEST_P(TransactionTest, AFailureHalfWayKeepsRowsAndWorkingCopyAsBefore)
{
    const Case& c = GetParam();
    const QStringList rowsBefore = rows();
    const QStringList memoryBefore = memory();
    ASSERT_TRUE(db->connection().execute(QString::fromLatin1(c.trigger)))
        << db->connection().lastError().toStdString();

    EXPECT_FALSE(c.change(*db));
    EXPECT_EQ(rows(), rowsBefore);
    EXPECT_EQ(memory(), memoryBefore);
    EXPECT_EQ(db->connection().transactionDepth(), 0);

    // The same change goes through whole once nothing stands in its way.
    ASSERT_TRUE(db->connection().execute(QStringLiteral("DROP TRIGGER injected")));
    EXPECT_TRUE(c.change(*db));
    EXPECT_NE(rows(), rowsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMultiRowChange, TransactionTest,
    ::testing::Values(
        Case{"RaisingGoRounds",
             "CREATE TEMP TRIGGER injected BEFORE INSERT ON Scores WHEN NEW.GoId = 3 AND "
             "(SELECT COUNT(*) FROM Scores WHERE GoId = 3) >= 4 BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.UpdateRodeoEvent(withGoRounds(db, "SB", 3));
             }},
        Case{"LoweringGoRounds",
             "CREATE TEMP TRIGGER injected BEFORE UPDATE OF GoId ON Scores "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.UpdateRodeoEvent(withGoRounds(db, "SB", 1));
             }},
        Case{"StoringTheNewCount",
             "CREATE TEMP TRIGGER injected BEFORE UPDATE ON RodeoEvents "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.UpdateRodeoEvent(withGoRounds(db, "SB", 4));
             }},
        Case{"DeletingAPerformance",
             "CREATE TEMP TRIGGER injected BEFORE UPDATE ON Times WHEN NEW.PerfId = 2 "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.DeletePerformance(entryOf("BR", 1, 0, 1, 1));
             }},
        Case{"RaisingAnEntryCount",
             "CREATE TEMP TRIGGER injected BEFORE INSERT ON Times WHEN NEW.PlrEnt = 4 "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 // The last contestant by name holds one BR entry.
                 const RegEntry current = entryOf("BR", 1, db.contestants().items().last().plrId, 1);
                 RegEntry wanted = current;
                 wanted.plrEnt = 5;
                 return db.SetEntryCount(current, wanted);
             }},
        Case{"DeletingAnEntry",
             "CREATE TEMP TRIGGER injected BEFORE UPDATE OF Ord ON Times "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 // The first contestant by name holds two BR entries: the second
                 // is renumbered, then the runners after the first move up.
                 const quint32 first = db.contestants().items().first().plrId;
                 return db.DeletePlrEntry(entryOf("BR", 1, first, 1, 1), QStringLiteral("Times"), false);
             }},
        Case{"CreatingARodeo",
             "CREATE TEMP TRIGGER injected BEFORE INSERT ON RodeoEvents WHEN NEW.EvId = 'SW' "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Fall"),
                                       QStringLiteral("10/1/2026"), QStringLiteral("ProfileDefault"));
             }},
        Case{"AddingACustomEvent",
             "CREATE TEMP TRIGGER injected BEFORE INSERT ON RodeoEvents "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 EventCfg e = *db.GetEvent(QStringLiteral("BR"));
                 e.id.clear();
                 e.name = QStringLiteral("Ribbon Roping");
                 return db.AddEvent(e);
             }},
        Case{"DeletingAnEvent",
             "CREATE TEMP TRIGGER injected BEFORE DELETE ON RodeoEvents "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END",
             [](CDatabaseManager& db) {
                 return db.DeleteEvent(QStringLiteral("BR"));
             }}),
    [](const auto& info) { return std::string(info.param.name); });
