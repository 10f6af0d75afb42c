#include "dbfixture.h"
#include "platform/xml/xmldocument.h"

#include <QMap>
#include <tuple>
#include <vector>

namespace {

RegEntry makeEntry(const QString& ev, int go, quint32 pt, int ent = 1)
{
    RegEntry e;
    e.eventId = ev;
    e.goRound = static_cast<quint16>(go);
    e.ptId = pt;
    e.plrEnt = static_cast<quint16>(ent);
    return e;
}

ResultRecord scored(quint32 score, quint32 rideTime = 0, const QString& status = QString())
{
    ResultRecord r;
    r.score = score;
    r.time = rideTime;
    r.setStatus(status);
    r.success = score != 0 ? 1 : 0;
    return r;
}

// What a standing says about each entry, apart from the go-round ride flag
// (which keeps the value it had when the entry was first listed).
using Line = std::tuple<quint32, int, quint32, quint32, QString, int>;
std::vector<Line> linesOf(const std::vector<ResultRecord>& records, bool withRide = false)
{
    std::vector<Line> out;
    for (const ResultRecord& r : records)
        out.emplace_back(r.key, r.position, r.score, r.time, r.status,
                         withRide ? r.success * 1000 + r.ride : r.success);
    return out;
}

QStringList namesOf(const QList<XmlNode>& nodes, const QString& attribute)
{
    QStringList out;
    for (const XmlNode& n : nodes)
        out << n.attribute(attribute);
    return out;
}

// Season "S1", rodeo "Spring": scored SB and timed BR with two go-rounds each,
// team roping TR with one; contestants 0..5, team 1 (contestants 4 and 5).
class StatsTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        insertRodeoEvent(roId, QStringLiteral("BR"), 2, QString(), 2);
        insertRodeoEvent(roId, QStringLiteral("TR"));
        for (int i = 0; i < 6; ++i)
            p << insertContestant(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
        insertTeam(roId, 1, QStringLiteral("Ropers"), p[4], p[5]);
    }

    bool open() { return db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")); }

    qint64 column(const QString& table, const QString& name, int go, quint32 pt)
    {
        return scalar(QStringLiteral("SELECT %1 FROM %2 WHERE GoId = ? AND ptId = ?").arg(name, table),
                      {go, pt});
    }

    static XmlDocument reportShell()
    {
        XmlDocument doc;
        EXPECT_TRUE(doc.loadXml(QStringLiteral("<Database><Tables/></Database>")));
        return doc;
    }

    int roId = 0;
    QVector<quint32> p;
};

} // namespace

// --- saving a result -----------------------------------------------------------------

TEST_F(StatsTest, TimedResultStoresTheTimeWithoutItsPenalty)
{
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[0], 1);
    ASSERT_TRUE(open());
    const RegEntry e = makeEntry(QStringLiteral("BR"), 1, p[0]);
    ASSERT_TRUE(db->SetCurEntry(e));

    ResultRecord r;
    r.time = 12300; // 12.3 s including the 5 s penalty
    r.penalty = 5000;
    r.setStatus(QStringLiteral("P"));
    ASSERT_TRUE(db->SetStatsPerformance(e, r));
    EXPECT_EQ(column(QStringLiteral("Times"), QStringLiteral("RideTime"), 1, p[0]), 7300);
    EXPECT_EQ(column(QStringLiteral("Times"), QStringLiteral("PenTime"), 1, p[0]), 5000);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Times WHERE Status = 'P' AND Suc = 0")), 1);

    const ResultRecord* held = db->standings().find(1, e.key());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->time, 12300u);
    EXPECT_EQ(held->penalty, 5000u);
    EXPECT_EQ(held->position, 1);
    EXPECT_TRUE(db->timeChanged());
    EXPECT_FALSE(db->resultChanged()); // a status was given

    // A rebuild from the row reads the same result back.
    const auto before = linesOf(db->standings().goRound(1));
    ASSERT_TRUE(db->ReloadCurStats());
    EXPECT_EQ(linesOf(db->standings().goRound(1)), before);
}

TEST_F(StatsTest, ScoredResultWritesTheTotalAndEveryMark)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 2, p[1], 1);
    ASSERT_TRUE(open());
    ResultRecord r = scored(8550, 8000);
    r.JR[0] = 2100;
    r.JR[1] = 2200;
    r.JR[3] = 5;
    r.JS[0] = 2050;
    r.JS[1] = 2150;
    r.JS[2] = 7;
    ASSERT_TRUE(db->SetStatsPerformance(makeEntry(QStringLiteral("SB"), 2, p[1]), r));
    auto rs = sql().query(QStringLiteral("SELECT * FROM Scores WHERE ptId = ?"), {p[1]});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toUInt(QStringLiteral("JTot")), 8550u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("RideTime")), 8000u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JR1")), 2100u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JR2")), 2200u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JR3")), 0u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JR4")), 5u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JS1")), 2050u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JS2")), 2150u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JS3")), 7u);
    EXPECT_EQ(rs->toUInt(QStringLiteral("JS4")), 0u);
    EXPECT_EQ(rs->toText(QStringLiteral("Status")), QString());
    EXPECT_FALSE(rs->isNull(QStringLiteral("Status")));
    EXPECT_EQ(rs->toUInt(QStringLiteral("Suc")), 1u);
}

TEST_F(StatsTest, ResultOfAnotherEventChangesOnlyItsRow)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[0], 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[1], 1);
    exec(QStringLiteral("UPDATE Scores SET JTot = 8000 WHERE ptId = ?"), {p[1]});
    // The same competitor in the timed event, so that its key is in the standings.
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[0], 1);
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->SetCurEntry(makeEntry(QStringLiteral("SB"), 1, p[0])));
    const auto goRound = linesOf(db->standings().goRound(1), true);
    const auto overall = linesOf(db->standings().overall(), true);

    ResultRecord r;
    r.time = 15500;
    ASSERT_TRUE(db->SetStatsPerformance(makeEntry(QStringLiteral("BR"), 1, p[0]), r));
    EXPECT_EQ(column(QStringLiteral("Times"), QStringLiteral("RideTime"), 1, p[0]), 15500);
    EXPECT_EQ(linesOf(db->standings().goRound(1), true), goRound);
    EXPECT_EQ(linesOf(db->standings().overall(), true), overall);
    EXPECT_FALSE(db->resultChanged());
    EXPECT_FALSE(db->timeChanged());
}

TEST_F(StatsTest, SavingForTheCurrentEventRanksAndSetsTheFlags)
{
    for (int i = 0; i < 3; ++i)
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 2, p[0], 1);
    exec(QStringLiteral("UPDATE Scores SET JTot = 7000 WHERE GoId = 2"));
    ASSERT_TRUE(open());
    const RegEntry a = makeEntry(QStringLiteral("SB"), 1, p[0]);
    const RegEntry b = makeEntry(QStringLiteral("SB"), 1, p[1]);
    ASSERT_TRUE(db->SetCurEntry(a));

    ASSERT_TRUE(db->SetStatsPerformance(a, scored(8200)));
    EXPECT_TRUE(db->resultChanged());
    EXPECT_FALSE(db->timeChanged());
    EXPECT_EQ(db->standings().find(1, a.key())->position, 1);
    EXPECT_EQ(db->standings().find(1, b.key())->position, 0);

    ASSERT_TRUE(db->SetStatsPerformance(b, scored(8700)));
    EXPECT_EQ(db->standings().find(1, b.key())->position, 1);
    EXPECT_EQ(db->standings().find(1, a.key())->position, 2);
    // Overall: a has 82 + 70, b 87.
    EXPECT_EQ(db->standings().findOverall(a.key())->score, 15200u);
    EXPECT_EQ(db->standings().findOverall(a.key())->position, 1);
    EXPECT_EQ(db->standings().findOverall(b.key())->position, 2);

    // A re-ride with the same marks changes no score on the boards; a new
    // ride time does change the time.
    ASSERT_TRUE(db->SetStatsPerformance(a, scored(8200, 0, QStringLiteral("R"))));
    EXPECT_FALSE(db->resultChanged());
    EXPECT_FALSE(db->timeChanged());
    ASSERT_TRUE(db->SetStatsPerformance(a, scored(8200, 7500, QStringLiteral("R"))));
    EXPECT_FALSE(db->resultChanged());
    EXPECT_TRUE(db->timeChanged());

    // What the saves left in memory is what a rebuild reads from the rows.
    const auto goRound = linesOf(db->standings().goRound(1));
    const auto overall = linesOf(db->standings().overall(), true);
    ASSERT_TRUE(db->ReloadCurStats());
    EXPECT_EQ(linesOf(db->standings().goRound(1)), goRound);
    EXPECT_EQ(linesOf(db->standings().overall(), true), overall);
}

TEST_F(StatsTest, SavesThatCannotReachTheStandingsOrTheRow)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[0], 1);
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 4, p[0], 1); // beyond go-rounds + final
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->SetCurEntry(makeEntry(QStringLiteral("SB"), 1, p[0])));

    // The row is written, but there is no standing for it.
    EXPECT_FALSE(db->SetStatsPerformance(makeEntry(QStringLiteral("SB"), 4, p[0]), scored(8000)));
    EXPECT_EQ(column(QStringLiteral("Scores"), QStringLiteral("JTot"), 4, p[0]), 8000);

    EXPECT_FALSE(db->SetStatsPerformance(makeEntry(QStringLiteral("SB"), 1, 0), scored(8000)));
    EXPECT_FALSE(db->SetStatsPerformance(makeEntry(QStringLiteral("XX"), 1, p[0]), scored(8000)));

    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(StatsTest, AResultForAnEntryWithoutARowIsNotReportedAsSaved)
{
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[0], 1);
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->SetCurEntry(makeEntry(QStringLiteral("SB"), 1, p[0])));

    // The entry was removed (or never written) while its result was typed: the
    // result is stored nowhere, so the operator must be told it was not saved.
    const RegEntry missing = makeEntry(QStringLiteral("SB"), 1, p[3]);
    EXPECT_FALSE(db->SetStatsPerformance(missing, scored(9000)));
    EXPECT_EQ(db->standings().find(1, missing.key()), nullptr);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Scores")), 1);
    EXPECT_EQ(
        log.lines(),
        QStringList{QStringLiteral("The entry has no row; the result was not saved.  "
                                   "DBMgr::SetStatsPerformance  SQL:UPDATE Scores SET JTot = 9000, "
                                   "RideTime = 0, JR1 = 0, JR2 = 0, JR3 = 0, JR4 = 0, JS1 = 0, JS2 = 0, "
                                   "JS3 = 0, JS4 = 0, Status = '', Suc = 1 WHERE RoId = %1 AND "
                                   "EvId = 'SB' AND GoId = 1 AND ptId = %2 AND PlrEnt = 1")
                        .arg(roId)
                        .arg(p[3])});

    // The entry's own row still takes its result.
    EXPECT_TRUE(db->SetStatsPerformance(makeEntry(QStringLiteral("SB"), 1, p[0]), scored(8100)));
    EXPECT_EQ(column(QStringLiteral("Scores"), QStringLiteral("JTot"), 1, p[0]), 8100);
}

TEST_F(StatsTest, AFailedUpdateIsLoggedAndLeavesTheStandings)
{
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[0], 1);
    exec(QStringLiteral(
        "CREATE TRIGGER LockTimes BEFORE UPDATE ON Times BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    ASSERT_TRUE(open());
    const RegEntry e = makeEntry(QStringLiteral("BR"), 1, p[0]);
    ASSERT_TRUE(db->SetCurEntry(e));
    ResultRecord r;
    r.time = 12300;
    r.penalty = 5000;
    r.setStatus(QStringLiteral("P"));
    EXPECT_FALSE(db->SetStatsPerformance(e, r));
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral(
                              "Failed to update the data to the database.  DBMgr::SetStatsPerformance  "
                              "SQL:UPDATE Times SET RideTime = 7300, PenTime = 5000, Status = 'P', Suc = 0 "
                              "WHERE RoId = %1 AND EvId = 'BR' AND GoId = 1 AND ptId = %2 AND PlrEnt = 1")
                              .arg(roId)
                              .arg(p[0])});
    EXPECT_EQ(db->standings().find(1, e.key())->time, 0u);
}

// --- statistics documents ---------------------------------------------------------------

TEST_F(StatsTest, ResultRowsAreGroupedByEventAndGoRound)
{
    const QString scores = QStringLiteral("Scores");
    insertEntry(scores, roId, QStringLiteral("SB"), 1, p[0], 1, 1, 1);
    insertEntry(scores, roId, QStringLiteral("SB"), 1, p[1], 1, 1, 2);
    exec(QStringLiteral("UPDATE Scores SET JTot = 8100 WHERE ptId = ?"), {p[0]});
    insertEntry(scores, roId, QStringLiteral("BB"), 1, p[2], 1);     // an event the rodeo does not hold
    insertEntry(scores, roId + 1, QStringLiteral("SB"), 1, p[2], 1); // another rodeo
    ASSERT_TRUE(open());
    ASSERT_TRUE(db->AddGoround(QStringLiteral("SB"), 2)); // rows without performance
    ASSERT_TRUE(db->AddCompEntry(makeEntry(QStringLiteral("SB"), 3, p[0]), true));

    XmlDocument doc = reportShell();
    ASSERT_TRUE(db->AddScoresXml(doc));
    ASSERT_TRUE(db->AddTimesXml(doc));

    const XmlNode table = doc.selectSingleNode(QStringLiteral("//Tables/Table[@Name = 'Scores']"));
    ASSERT_FALSE(table.isNull());
    EXPECT_EQ(namesOf(table.childElements(), QStringLiteral("id")), QStringList{QStringLiteral("SB")});
    const XmlNode sb = table.firstChildElement();
    EXPECT_EQ(namesOf(sb.childElements(), QStringLiteral("go")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("FINALS")}));

    const QList<XmlNode> go1 = sb.selectNodes(QStringLiteral("./data[@go = '1']/row"));
    ASSERT_EQ(go1.size(), 2);
    EXPECT_EQ(go1[0].attribute(QStringLiteral("PerfId")), QStringLiteral("1"));
    EXPECT_EQ(go1[0].attribute(QStringLiteral("JTot")), QStringLiteral("8100"));
    EXPECT_EQ(go1[1].attribute(QStringLiteral("Ord")), QStringLiteral("2"));

    const QList<XmlNode> go2 = sb.selectNodes(QStringLiteral("./data[@go = '2']/row"));
    ASSERT_EQ(go2.size(), 2);
    for (const XmlNode& row : go2) {
        EXPECT_FALSE(row.hasAttribute(QStringLiteral("PerfId")));
        EXPECT_FALSE(row.hasAttribute(QStringLiteral("JTot")));
        EXPECT_EQ(row.attribute(QStringLiteral("GoId")), QStringLiteral("2"));
        EXPECT_TRUE(row.hasAttribute(QStringLiteral("PlrEnt")));
    }

    const QList<XmlNode> finals = sb.selectNodes(QStringLiteral("./data[@go = 'FINALS']/row"));
    ASSERT_EQ(finals.size(), 1);
    EXPECT_EQ(finals[0].attribute(QStringLiteral("GoId")), QStringLiteral("3"));
    EXPECT_EQ(finals[0].attribute(QStringLiteral("ptId")), QString::number(p[0]));

    // Only the rows of the rodeo's own events are placed.
    EXPECT_EQ(table.selectNodes(QStringLiteral(".//row")).size(), 5);

    // The timed events, in the rodeo's order, with empty go-rounds.
    const XmlNode times = doc.selectSingleNode(QStringLiteral("//Tables/Table[@Name = 'Times']"));
    EXPECT_EQ(namesOf(times.childElements(), QStringLiteral("id")),
              (QStringList{QStringLiteral("BR"), QStringLiteral("TR")}));
    const XmlNode brGo1 = times.selectSingleNode(QStringLiteral("./Event[@id = 'BR']/data[@go = '1']"));
    ASSERT_FALSE(brGo1.isNull());
    EXPECT_TRUE(brGo1.childElements().isEmpty());
    EXPECT_EQ(times.selectNodes(QStringLiteral("./Event[@id = 'TR']/data")).size(), 2);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(StatsTest, EventIdsAreWrittenSafelyIntoTheSkeleton)
{
    exec(QStringLiteral("INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) "
                        "VALUES ('C''<1', 'Odd', 'C', 'SI', 0)"));
    insertRodeoEvent(roId, QStringLiteral("C'<1"));
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("C'<1"), 1, p[0], 1);
    ASSERT_TRUE(open());
    XmlDocument doc = reportShell();
    ASSERT_TRUE(db->AddScoresXml(doc));
    const QList<XmlNode> events = doc.selectNodes(QStringLiteral("//Table[@Name = 'Scores']/Event"));
    EXPECT_EQ(namesOf(events, QStringLiteral("id")),
              (QStringList{QStringLiteral("SB"), QStringLiteral("C'<1")}));
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//Table[@Name = 'Scores']/Event/data[@go = '1']/row")).size(),
              1);
}

// The grouped rows are exactly the rows of the stripped record set of the
// table: same attributes, same values, same order.
class ResultsTableTest : public StatsTest
{
protected:
    void arrangeOddValues()
    {
        const QString scores = QStringLiteral("Scores");
        insertEntry(scores, roId, QStringLiteral("SB"), 1, p[0], 1, 1, 1);
        insertEntry(scores, roId, QStringLiteral("SB"), 1, p[1], 1, 1, 2);
        insertEntry(scores, roId, QStringLiteral("SB"), 3, p[1], 1);
        insertEntry(scores, roId, QStringLiteral("SB"), 2, p[2], 2);
        exec(QStringLiteral("UPDATE Scores SET Status = ? WHERE ptId = ?"),
             {QStringLiteral("a'<&>\"\n\tb\u00e9\U0001F40E"), p[0]});
        exec(QStringLiteral("UPDATE Scores SET JTot = 12.5, StId = X'00FF' WHERE ptId = ?"), {p[1]});
    }

    // Rows of the stripped record set by event and go-round name.
    QMap<QString, QStringList> expectedRows()
    {
        QMap<QString, QStringList> out;
        auto rs = db->QueryRs(QStringLiteral("SELECT * FROM Scores WHERE RoId = ?"), {roId});
        EXPECT_TRUE(rs);
        XmlDocument saved;
        EXPECT_TRUE(db->SaveRecordsetToDoc(*rs, saved));
        XmlDocument stripped;
        EXPECT_TRUE(db->StripNamespaces(saved.selectSingleNode(QStringLiteral("//rs:data")), stripped));
        for (const XmlNode& row : stripped.root().childElements()) {
            QString go = row.attribute(QStringLiteral("GoId"));
            if (go == QLatin1String("3"))
                go = QStringLiteral("FINALS");
            out[row.attribute(QStringLiteral("EvId")) + QLatin1Char('/') + go] << row.xml();
        }
        return out;
    }

    // eventByEvent: the frame first (no rows), then each event's rows read
    // twice, as the reports read an event again after a failure.
    QMap<QString, QStringList> actualRows(bool eventByEvent = false)
    {
        QMap<QString, QStringList> out;
        XmlDocument doc = reportShell();
        if (eventByEvent) {
            db->BuildReportFrame(doc);
            EXPECT_TRUE(doc.selectNodes(QStringLiteral("//Table[@Name = 'Scores']//row")).isEmpty());
            EXPECT_FALSE(db->AddEventResultsXml(doc, QStringLiteral("XX")));
            for (int read = 0; read < 2; ++read) {
                for (const EventCfg& e : db->events()) {
                    if (e.isScored()) {
                        EXPECT_TRUE(db->AddEventResultsXml(doc, e.id)) << e.id.toStdString();
                    }
                }
            }
        } else {
            EXPECT_TRUE(db->AddScoresXml(doc));
        }
        for (const XmlNode& data : doc.selectNodes(QStringLiteral("//Table[@Name = 'Scores']/Event/data"))) {
            const QString key = data.parent().attribute(QStringLiteral("id")) + QLatin1Char('/') +
                                data.attribute(QStringLiteral("go"));
            for (const XmlNode& row : data.childElements())
                out[key] << row.xml();
        }
        return out;
    }
};

TEST_F(ResultsTableTest, RowsAreTheStrippedRecordSetRows)
{
    arrangeOddValues();
    ASSERT_TRUE(open());
    const auto expected = expectedRows();
    const auto actual = actualRows();
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actualRows(true), expected);
    ASSERT_EQ(actual.value(QStringLiteral("SB/1")).size(), 2);
    EXPECT_EQ(actual.value(QStringLiteral("SB/FINALS")).size(), 1);

    XmlDocument doc = reportShell();
    ASSERT_TRUE(db->AddScoresXml(doc));
    const XmlNode first = doc.selectSingleNode(QStringLiteral("//data[@go = '1']/row[1]"));
    EXPECT_EQ(first.attribute(QStringLiteral("Status")), QStringLiteral("a'<&>\"\n\tb\u00e9\U0001F40E"));
    const XmlNode second = doc.selectSingleNode(QStringLiteral("//data[@go = '1']/row[2]"));
    EXPECT_EQ(second.attribute(QStringLiteral("JTot")), QStringLiteral("12.5"));
    EXPECT_EQ(second.attribute(QStringLiteral("StId")), QStringLiteral("00FF"));
}

TEST_F(ResultsTableTest, AColumnNameThatIsNoXmlNameStillGroupsTheRows)
{
    arrangeOddValues();
    exec(QStringLiteral("ALTER TABLE Scores ADD COLUMN \"Judge Note\" TEXT"));
    exec(QStringLiteral("UPDATE Scores SET \"Judge Note\" = 'late' WHERE ptId = ?"), {p[0]});
    ASSERT_TRUE(open());
    const auto expected = expectedRows();
    const auto actual = actualRows();
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actualRows(true), expected);
    ASSERT_EQ(actual.value(QStringLiteral("SB/1")).size(), 2);
    EXPECT_TRUE(actual.value(QStringLiteral("SB/1")).first().contains(QStringLiteral("'late'")) ||
                actual.value(QStringLiteral("SB/1")).first().contains(QStringLiteral("\"late\"")));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(StatsTest, ReportDataHoldsEveryTableOfTheRodeo)
{
    const int autumn = insertRodeo(QStringLiteral("Autumn"));
    insertRodeoEvent(autumn, QStringLiteral("TR"));
    insertTeam(autumn, 1, QStringLiteral("Others"), p[3], p[3]); // same team id, other rodeo
    insertTeam(roId, 2, QStringLiteral("Idle"), p[2], p[1]);     // not entered
    insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[0], 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1, p[1], 1);
    insertEntry(QStringLiteral("Times"), autumn, QStringLiteral("TR"), 1, 1, 1);
    ASSERT_TRUE(open());

    XmlDocument doc;
    db->BuildReportData(doc);
    const XmlNode root = doc.root();
    ASSERT_EQ(root.name(), QStringLiteral("Database"));
    for (const char* attribute : {"level", "curEvn", "curGo", "curPerf"})
        EXPECT_TRUE(root.hasAttribute(QString::fromLatin1(attribute))) << attribute;
    EXPECT_EQ(namesOf(doc.selectNodes(QStringLiteral("/Database/Tables/Table")), QStringLiteral("Name")),
              (QStringList{QStringLiteral("Rodeos"), QStringLiteral("Rosters"), QStringLiteral("Teams"),
                           QStringLiteral("Events"), QStringLiteral("RodeoEvents"), QStringLiteral("Scores"),
                           QStringLiteral("Times")}));

    const auto rowsOf = [&](const char* table) {
        return doc.selectNodes(QStringLiteral("//Table[@Name = '%1']/data/row").arg(QLatin1String(table)));
    };
    ASSERT_EQ(rowsOf("Rodeos").size(), 1);
    EXPECT_EQ(rowsOf("Rodeos")[0].attribute(QStringLiteral("RoName")), QStringLiteral("Spring"));

    // Entered themselves (0, 1) or through the entered team (4, 5); not the
    // idle team's members nor those of another rodeo's team 1.
    QStringList rosters = namesOf(rowsOf("Rosters"), QStringLiteral("PlrId"));
    rosters.sort();
    QStringList expected{QString::number(p[0]), QString::number(p[1]), QString::number(p[4]),
                         QString::number(p[5])};
    expected.sort();
    EXPECT_EQ(rosters, expected);
    EXPECT_EQ(rowsOf("Rosters")[0].attribute(QStringLiteral("PlrLastName")).left(4), QStringLiteral("Last"));

    const QList<XmlNode> teams = rowsOf("Teams");
    ASSERT_EQ(teams.size(), 1);
    EXPECT_EQ(teams[0].attribute(QStringLiteral("TmName")), QStringLiteral("Ropers"));
    EXPECT_EQ(teams[0].attribute(QStringLiteral("PlrId1")), QString::number(p[4]));

    EXPECT_EQ(rowsOf("Events").size(), 11);
    EXPECT_EQ(rowsOf("RodeoEvents").size(), 3);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//Table[@Name = 'Times']/Event/data/row")).size(), 2);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(StatsTest, RecordSetsBecomePlainDataElements)
{
    ASSERT_TRUE(open());
    auto rs = db->QueryRs(QStringLiteral("SELECT * FROM Events"));
    ASSERT_TRUE(rs);
    XmlDocument saved;
    ASSERT_TRUE(db->SaveRecordsetToDoc(*rs, saved));
    const XmlNode data = saved.selectSingleNode(QStringLiteral("//rs:data"));
    ASSERT_FALSE(data.isNull());
    EXPECT_EQ(saved.selectNodes(QStringLiteral("//rs:data/z:row")).size(), 11);

    XmlDocument stripped;
    ASSERT_TRUE(db->StripNamespaces(data, stripped));
    const XmlNode top = stripped.selectSingleNode(QStringLiteral("/child::node()"));
    EXPECT_EQ(top.name(), QStringLiteral("data"));
    const QList<XmlNode> rows = top.childElements();
    ASSERT_EQ(rows.size(), 11);
    EXPECT_EQ(rows[0].name(), QStringLiteral("row"));
    EXPECT_FALSE(stripped.xml().contains(QStringLiteral("xmlns")));
    EXPECT_EQ(stripped.selectNodes(QStringLiteral("//row[@EvId = 'TR' and @EvType = 'TT']")).size(), 1);

    // Prefixed attributes lose their prefix too, and an element's own text stays.
    XmlDocument other;
    ASSERT_TRUE(
        other.loadXml(QStringLiteral("<a:top xmlns:a='urn:a'><a:item a:x='1' y='2'>text</a:item></a:top>")));
    XmlDocument plain;
    ASSERT_TRUE(db->StripNamespaces(other.root(), plain));
    const XmlNode item = plain.selectSingleNode(QStringLiteral("/top/item"));
    ASSERT_FALSE(item.isNull());
    EXPECT_EQ(item.attribute(QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(item.attribute(QStringLiteral("y")), QStringLiteral("2"));
    EXPECT_EQ(item.text(), QStringLiteral("text"));
    EXPECT_FALSE(db->StripNamespaces(XmlNode(), plain));
}

TEST_F(StatsTest, TablesGoIntoTheReportDataAsTheirStrippedRecordSets)
{
    // Every kind of value, text that XML must escape or would normalise, nulls.
    exec(QStringLiteral("CREATE TABLE Odd (a INTEGER, b REAL, c TEXT, d BLOB, e)"));
    exec(QStringLiteral("INSERT INTO Odd VALUES (1, 2.5, 'x<&\"''\u00e9 ]]>', x'00FF', NULL), "
                        "(NULL, -0.1, 'a' || char(10) || 'b' || char(9) || 'c' || char(13), x'', 1e300), "
                        "(-9007199254740993, 3.0, ' two  spaces ', NULL, 'z')"));
    ASSERT_TRUE(open());
    for (const QString& table : {QStringLiteral("Odd"), QStringLiteral("Rosters"), QStringLiteral("Teams"),
                                 QStringLiteral("Events"), QStringLiteral("RodeoEvents")}) {
        const QString sql = QStringLiteral("SELECT * FROM %1").arg(table);
        XmlDocument doc = reportShell();
        ASSERT_TRUE(db->AddTableXml(sql, {}, table, doc));
        const auto rs = db->QueryRs(sql);
        ASSERT_TRUE(rs);
        XmlDocument saved;
        XmlDocument stripped;
        ASSERT_TRUE(db->SaveRecordsetToDoc(*rs, saved));
        ASSERT_TRUE(db->StripNamespaces(saved.selectSingleNode(QStringLiteral("//rs:data")), stripped));
        EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Database/Tables/Table[@Name = '%1']/data").arg(table))
                      .xml(),
                  stripped.root().xml())
            << table.toStdString();
    }
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(StatsTest, FailedTablesAreLoggedAndLeftOut)
{
    ASSERT_TRUE(open());
    XmlDocument doc = reportShell();
    EXPECT_FALSE(db->AddTableXml(QStringLiteral("SELECT * FROM NoSuchTable"), {}, QStringLiteral("X"), doc));
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("CDatabaseManager(AddTableXml): excute failed!")});
    EXPECT_TRUE(doc.selectNodes(QStringLiteral("//Table")).isEmpty());

    log.clear();
    XmlDocument noTables;
    ASSERT_TRUE(noTables.loadXml(QStringLiteral("<Database/>")));
    EXPECT_FALSE(
        db->AddTableXml(QStringLiteral("SELECT * FROM Events"), {}, QStringLiteral("Events"), noTables));
    EXPECT_FALSE(db->AddScoresXml(noTables));
    EXPECT_EQ(log.lines(),
              (QStringList{QStringLiteral("CDatabaseManager(AddTableXml): append child failed!"),
                           QStringLiteral("CDatabaseManager(AddTableXml): append child failed!")}));

    // One failed table does not stop the others.
    log.clear();
    db->CloseRodeo();
    XmlDocument report;
    db->BuildReportData(report);
    EXPECT_TRUE(report.selectNodes(QStringLiteral("//Table")).isEmpty());
    EXPECT_EQ(log.lines().size(), 7);
}
