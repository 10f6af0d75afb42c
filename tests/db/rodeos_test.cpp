// Rodeos of a season and the events of the open rodeo, on real season databases.
#include "dbfixture.h"
#include "results/scoringsettings.h"

namespace {

const QString kSeason = QStringLiteral("S1");
const QString kRodeo = QStringLiteral("Spring");
const QString kDate = QStringLiteral("6/1/2026");
const QString kProfile = QStringLiteral("ProfileDefault");

// An event as the Rodeo Setup view makes one for New.
EventCfg newEvent(const QString& name, const QString& scoringKind)
{
    EventCfg e;
    e.name = name;
    e.setScoring(NewEventDefaults(scoringKind));
    e.standard = QString(CustomEventFlag);
    return e;
}

} // namespace

class RodeosTest : public DbFixture
{
protected:
    // Season S1 with the rodeo "Spring" created and opened.
    void openSpring()
    {
        makeSeason(kSeason);
        ASSERT_TRUE(db->CreateRodeo(kSeason, kRodeo, kDate, kProfile));
        ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));
    }
    qint64 count(const QString& table, const QString& season = kSeason)
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), {}, season);
    }
    QString text(const QString& statement, const QVariantList& params = {})
    {
        auto rs = sql().query(statement, params);
        if (!rs || !rs->moveFirst())
            return QStringLiteral("<no row>");
        return rs->toText(rs->columns().first());
    }
    EventCfg loadedEvent(const QString& id)
    {
        const EventCfg* e = db->GetEvent(id);
        EXPECT_NE(e, nullptr) << id.toStdString();
        return e ? *e : EventCfg();
    }
    void reopen()
    {
        db->CloseRodeo();
        ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));
    }
};

// --- Creating, listing and finding rodeos -------------------------------------

TEST_F(RodeosTest, CreateRodeoGivesEveryStandardEventItsDefaults)
{
    makeSeason(kSeason);
    ASSERT_TRUE(db->CreateRodeo(kSeason, kRodeo, kDate, kProfile));

    const qint64 roId = scalar(QStringLiteral("SELECT RoId FROM Rodeos WHERE RoName = ?"), {kRodeo});
    ASSERT_GT(roId, 0);
    EXPECT_EQ(text(QStringLiteral("SELECT RoDate FROM Rodeos")), kDate);
    EXPECT_EQ(text(QStringLiteral("SELECT RoProfile FROM Rodeos")), kProfile);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents WHERE RoId = ?"), {roId}), 11);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents WHERE ReGos = 1 AND ReFinals = 20")),
              11);

    EXPECT_EQ(scalar(QStringLiteral("SELECT RePrecision FROM RodeoEvents WHERE EvId = 'BR'")), 2);
    for (const char* timed : {"BA", "GT", "SR", "SW", "TR", "TD"}) {
        SCOPED_TRACE(timed);
        const QVariantList id{QString::fromLatin1(timed)};
        EXPECT_EQ(scalar(QStringLiteral("SELECT RePrecision FROM RodeoEvents WHERE EvId = ?"), id), 1);
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents WHERE EvId = ? AND ReJudges IS NULL "
                                  "AND ReFraction IS NULL"),
                   id),
            1);
    }
    for (const char* scored : {"BB", "BF", "BU", "SB"}) {
        SCOPED_TRACE(scored);
        const QVariantList id{QString::fromLatin1(scored)};
        EXPECT_EQ(text(QStringLiteral("SELECT ReJudges FROM RodeoEvents WHERE EvId = ?"), id),
                  QStringLiteral("C2"));
        EXPECT_EQ(text(QStringLiteral("SELECT ReFraction FROM RodeoEvents WHERE EvId = ?"), id),
                  QStringLiteral("F"));
        EXPECT_EQ(scalar(QStringLiteral("SELECT RePrecision FROM RodeoEvents WHERE EvId = ?"), id), 1);
    }

    // And the opened rodeo reads them back as settings texts.
    ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));
    EXPECT_EQ(db->events().size(), 11);
    EXPECT_EQ(loadedEvent(QStringLiteral("BR")).precision, QStringLiteral("0.01"));
    const EventCfg bb = loadedEvent(QStringLiteral("BB"));
    EXPECT_EQ(bb.judgeMode, QStringLiteral("Combined"));
    EXPECT_EQ(bb.judgeCount, QStringLiteral("2"));
    EXPECT_EQ(bb.fraction, QStringLiteral("Full"));
    EXPECT_EQ(bb.precision, QStringLiteral("0.1"));
}

TEST_F(RodeosTest, CreateRodeoWithAMissingTextFailsAndWritesNothing)
{
    makeSeason(kSeason);
    EXPECT_FALSE(db->CreateRodeo(kSeason, kRodeo, QString(), kProfile));
    EXPECT_FALSE(db->CreateRodeo(kSeason, kRodeo, kDate, QString()));
    EXPECT_FALSE(db->CreateRodeo(kSeason, QString(), kDate, kProfile));
    EXPECT_FALSE(db->CreateRodeo(QString(), kRodeo, kDate, kProfile));
    EXPECT_EQ(count(QStringLiteral("Rodeos")), 0);
    EXPECT_EQ(count(QStringLiteral("RodeoEvents")), 0);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(RodeosTest, CreateRodeoInASeasonThatDoesNotExistFails)
{
    makeSeason(kSeason);
    EXPECT_FALSE(db->CreateRodeo(QStringLiteral("Nowhere"), kRodeo, kDate, kProfile));
    EXPECT_FALSE(db->CreateRodeo(QStringLiteral("../S1"), kRodeo, kDate, kProfile));
    EXPECT_EQ(count(QStringLiteral("Rodeos")), 0);
}

TEST_F(RodeosTest, CreateRodeoCutsTextsToTheirCapacity)
{
    makeSeason(kSeason);
    const QString longName = QStringLiteral("The Forty Character Rodeo Name Of Ours!!");
    ASSERT_EQ(longName.size(), 40);
    ASSERT_TRUE(db->CreateRodeo(kSeason, longName, kDate, QStringLiteral("AProfileNameOfTwenty")));
    EXPECT_EQ(text(QStringLiteral("SELECT RoName FROM Rodeos")), longName.left(31));
    EXPECT_EQ(text(QStringLiteral("SELECT RoProfile FROM Rodeos")), QStringLiteral("AProfileNameOfT"));
    // The dialog's duplicate check finds it under either spelling.
    EXPECT_TRUE(db->RodeoExists(kSeason, longName));
    EXPECT_TRUE(db->RodeoExists(kSeason, longName.left(31)));
}

TEST_F(RodeosTest, GetRodeosListsNamedRodeosOfOpenAndOtherSeasons)
{
    makeSeason(kSeason);
    makeSeason(QStringLiteral("S2"));
    insertRodeo(QStringLiteral("Alpha"));
    insertRodeo(QString());
    exec(QStringLiteral("INSERT INTO Rodeos (RoDate) VALUES ('no name at all')"));
    insertRodeo(QStringLiteral("Beta"));
    insertRodeo(QStringLiteral("Fall"), QStringLiteral("S2"));

    QStringList names{QStringLiteral("left over")};
    ASSERT_TRUE(db->GetRodeos(kSeason, names));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta")}));

    // With S1 open, S2 is read through a connection of its own.
    ASSERT_TRUE(db->CreateRodeo(kSeason, kRodeo, kDate, kProfile));
    ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));
    ASSERT_TRUE(db->GetRodeos(QStringLiteral("S2"), names));
    EXPECT_EQ(names, QStringList{QStringLiteral("Fall")});
    ASSERT_TRUE(db->GetRodeos(kSeason, names));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), kRodeo}));
    EXPECT_EQ(db->GetSeasonName(), kSeason);
    EXPECT_TRUE(db->isConnected());
}

TEST_F(RodeosTest, GetRodeosOfAMissingSeasonFailsWithALogLine)
{
    QStringList names{QStringLiteral("left over")};
    EXPECT_FALSE(db->GetRodeos(QStringLiteral("Nowhere"), names));
    EXPECT_TRUE(names.isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to create a recordset.  DBMgr::GetRodeos")));
}

TEST_F(RodeosTest, RodeoExistsAnswersByName)
{
    makeSeason(kSeason);
    makeSeason(QStringLiteral("S2"));
    insertRodeo(QStringLiteral("Alpha"));
    insertRodeo(QStringLiteral("Fall"), QStringLiteral("S2"));

    EXPECT_TRUE(db->RodeoExists(kSeason, QStringLiteral("Alpha")));
    EXPECT_TRUE(db->RodeoExists(kSeason, QStringLiteral("alpha"))); // names compare without regard to case
    EXPECT_FALSE(db->RodeoExists(kSeason, QStringLiteral("Fall")));
    EXPECT_TRUE(db->RodeoExists(QStringLiteral("S2"), QStringLiteral("Fall")));
    EXPECT_FALSE(db->RodeoExists(kSeason, QString()));
    EXPECT_FALSE(db->RodeoExists(QString(), QStringLiteral("Alpha")));
    EXPECT_FALSE(db->RodeoExists(QStringLiteral("Nowhere"), QStringLiteral("Alpha")));
}

// --- Renaming and deleting rodeos ----------------------------------------------

TEST_F(RodeosTest, UpdateRodeoRewritesTheOpenRodeoAndReloadsIt)
{
    openSpring();
    RodeoInfo info = db->rodeoInfo();
    info.name = QStringLiteral("Summer");
    info.date = QStringLiteral("7/4/2026");
    info.dispName1 = QStringLiteral("SUMMER");
    info.dispDates = QStringLiteral("JULY 4");
    info.dispLoc = QStringLiteral("A Location Line Far Longer Than It May Be");
    info.changed = 1;
    ASSERT_TRUE(db->UpdateRodeo(info));

    EXPECT_EQ(db->GetRodeoName(), QStringLiteral("Summer"));
    EXPECT_EQ(db->rodeoInfo().date, QStringLiteral("7/4/2026"));
    EXPECT_EQ(db->rodeoInfo().dispName1, QStringLiteral("SUMMER"));
    EXPECT_EQ(db->rodeoInfo().dispLoc, info.dispLoc.left(23));
    EXPECT_EQ(db->events().size(), 11);

    EXPECT_FALSE(db->RodeoExists(kSeason, kRodeo));
    EXPECT_TRUE(db->RodeoExists(kSeason, QStringLiteral("Summer")));
    EXPECT_EQ(text(QStringLiteral("SELECT RoDispLoc FROM Rodeos")), info.dispLoc.left(23));
    EXPECT_EQ(text(QStringLiteral("SELECT RoDispDates FROM Rodeos")), QStringLiteral("JULY 4"));
    EXPECT_EQ(count(QStringLiteral("Rodeos")), 1);
}

TEST_F(RodeosTest, UpdateRodeoTouchesOnlyTheOpenRodeoWhenAnotherSharesItsName)
{
    makeSeason(kSeason);
    // The twin comes first in the table, so a lookup by name alone would find it.
    const int twin = insertRodeo(QStringLiteral("Twin"));
    ASSERT_TRUE(db->CreateRodeo(kSeason, kRodeo, kDate, kProfile));
    ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));
    exec(QStringLiteral("UPDATE Rodeos SET RoName = ? WHERE RoId = ?"), {kRodeo, twin});

    RodeoInfo info = db->rodeoInfo();
    ASSERT_NE(info.id, twin);
    info.name = QStringLiteral("Summer");
    ASSERT_TRUE(db->UpdateRodeo(info));
    EXPECT_EQ(text(QStringLiteral("SELECT RoName FROM Rodeos WHERE RoId = ?"), {twin}), kRodeo);
    EXPECT_EQ(text(QStringLiteral("SELECT RoName FROM Rodeos WHERE RoId = ?"), {info.id}),
              QStringLiteral("Summer"));
    EXPECT_EQ(db->rodeoInfo().id, info.id);
    EXPECT_EQ(db->events().size(), 11);
}

// Rodeos are opened and deleted by name: a rename onto another rodeo's name,
// in any letters, is refused and writes nothing; the open rodeo's own name in
// other letters is still its own.
TEST_F(RodeosTest, UpdateRodeoRefusesTheNameOfAnotherRodeo)
{
    openSpring();
    ASSERT_TRUE(db->CreateRodeo(kSeason, QStringLiteral("Fall"), kDate, kProfile));
    const struct
    {
        const char* name;
        bool taken;
    } cases[] = {{"Fall", true}, {"fALL", true}, {"SPRING", false}};
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString before = db->GetRodeoName();
        EXPECT_EQ(db->RodeoNameTaken(name), c.taken) << c.name;
        RodeoInfo info = db->rodeoInfo();
        info.name = name;
        info.dispName1 = QStringLiteral("EDITED");
        log.clear();
        EXPECT_EQ(db->UpdateRodeo(info), !c.taken) << c.name;
        EXPECT_EQ(db->GetRodeoName(), c.taken ? before : name) << c.name;
        EXPECT_EQ(count(QStringLiteral("Rodeos WHERE RoName = 'Fall'")), 1) << c.name;
        EXPECT_EQ(log.containsPrefix(QStringLiteral("The rodeo already exists.  DBMgr::UpdateRodeo  Rodeo:")),
                  c.taken)
            << c.name;
    }
    EXPECT_EQ(text(QStringLiteral("SELECT RoName FROM Rodeos WHERE RoId = ?"), {db->rodeoInfo().id}),
              QStringLiteral("SPRING"));
}

TEST_F(RodeosTest, UpdateRodeoRefusesAnEmptyNameOrNoOpenRodeo)
{
    RodeoInfo info;
    info.name = QStringLiteral("Summer");
    EXPECT_FALSE(db->UpdateRodeo(info));

    openSpring();
    info = db->rodeoInfo();
    info.name.clear();
    info.date = QStringLiteral("changed");
    EXPECT_FALSE(db->UpdateRodeo(info));
    EXPECT_EQ(text(QStringLiteral("SELECT RoName FROM Rodeos")), kRodeo);
    EXPECT_EQ(text(QStringLiteral("SELECT RoDate FROM Rodeos")), kDate);
    EXPECT_EQ(db->GetRodeoName(), kRodeo);
}

TEST_F(RodeosTest, DeleteRodeoRefusesTheOpenRodeo)
{
    openSpring();
    log.clear();
    EXPECT_FALSE(db->DeleteRodeo(kSeason, kRodeo));
    EXPECT_TRUE(db->RodeoExists(kSeason, kRodeo));
    EXPECT_FALSE(db->connection().lastStatement().startsWith(QStringLiteral("DELETE")));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(RodeosTest, DeleteRodeoOfTheOpenSeasonUsesTheOpenConnection)
{
    openSpring();
    ASSERT_TRUE(db->CreateRodeo(kSeason, QStringLiteral("Fall"), kDate, kProfile));
    const qint64 fallId = scalar(QStringLiteral("SELECT RoId FROM Rodeos WHERE RoName = 'Fall'"));

    ASSERT_TRUE(db->DeleteRodeo(kSeason, QStringLiteral("Fall")));
    EXPECT_TRUE(
        db->connection().lastStatement().startsWith(QStringLiteral("DELETE FROM Rodeos WHERE RoName = ")));
    EXPECT_TRUE(db->connection().lastStatement().contains(QStringLiteral("Fall")));
    EXPECT_FALSE(db->RodeoExists(kSeason, QStringLiteral("Fall")));
    EXPECT_TRUE(db->RodeoExists(kSeason, kRodeo));
    // Only the rodeo's own row goes.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents WHERE RoId = ?"), {fallId}), 11);
    EXPECT_EQ(db->GetRodeoName(), kRodeo);
}

TEST_F(RodeosTest, DeleteRodeoOfAnotherSeasonUsesItsOwnConnection)
{
    openSpring();
    makeSeason(QStringLiteral("S2"));
    insertRodeo(QStringLiteral("Fall"), QStringLiteral("S2"));
    // The open season has a rodeo of the same name; it must stay.
    ASSERT_TRUE(db->CreateRodeo(kSeason, QStringLiteral("Fall"), kDate, kProfile));

    ASSERT_TRUE(db->DeleteRodeo(QStringLiteral("S2"), QStringLiteral("Fall")));
    EXPECT_EQ(count(QStringLiteral("Rodeos"), QStringLiteral("S2")), 0);
    EXPECT_TRUE(db->RodeoExists(kSeason, QStringLiteral("Fall")));
    EXPECT_FALSE(db->connection().lastStatement().startsWith(QStringLiteral("DELETE")));
    EXPECT_EQ(db->GetSeasonName(), kSeason);
}

TEST_F(RodeosTest, DeleteRodeoOfAMissingSeasonLogsTheStatement)
{
    EXPECT_FALSE(db->DeleteRodeo(QStringLiteral("Nowhere"), QStringLiteral("Fall")));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral(
        "Failed to connect to the database.  DBMgr::DeleteRodeo  SQL:DELETE FROM Rodeos WHERE RoName = ")));
    EXPECT_FALSE(db->DeleteRodeo(QString(), QString()));
}

TEST_F(RodeosTest, RodeoNamesWithQuotesRoundTrip)
{
    makeSeason(kSeason);
    const QString quoted = QStringLiteral("Buck's \"Big\" Show");
    const QString renamed = QStringLiteral("Buck's \"Bigger\" Show");
    const QString other = QStringLiteral("Ma's \"Little\" One");
    ASSERT_TRUE(db->CreateRodeo(kSeason, quoted, kDate, kProfile));
    ASSERT_TRUE(db->CreateRodeo(kSeason, other, kDate, QStringLiteral("It's \"mine\"")));
    EXPECT_TRUE(db->RodeoExists(kSeason, quoted));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents")), 22);

    ASSERT_TRUE(db->OpenRodeo(kSeason, quoted));
    RodeoInfo info = db->rodeoInfo();
    info.name = renamed;
    ASSERT_TRUE(db->UpdateRodeo(info));
    EXPECT_EQ(db->GetRodeoName(), renamed);
    EXPECT_TRUE(db->RodeoExists(kSeason, renamed));
    EXPECT_FALSE(db->RodeoExists(kSeason, quoted));

    EXPECT_FALSE(db->DeleteRodeo(kSeason, renamed));
    ASSERT_TRUE(db->DeleteRodeo(kSeason, other));
    EXPECT_FALSE(db->RodeoExists(kSeason, other));
    db->CloseRodeo();
    ASSERT_TRUE(db->DeleteRodeo(kSeason, renamed));
    EXPECT_EQ(count(QStringLiteral("Rodeos")), 0);
}

// --- Custom events -------------------------------------------------------------

TEST_F(RodeosTest, NextCustomEventIdFillsTheFirstGap)
{
    openSpring();
    EXPECT_EQ(db->NextCustomEventId(), QStringLiteral("C1"));
    for (const char* id : {"C1", "C2", "C4", "CX", "C", "XC3", "C0"})
        exec(QStringLiteral("INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) "
                            "VALUES (?, 'Custom', 'C', 'TI', 0)"),
             {QString::fromLatin1(id)});
    EXPECT_EQ(db->NextCustomEventId(), QStringLiteral("C3"));
    exec(QStringLiteral("INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) "
                        "VALUES ('C3a', 'Custom', 'C', 'TI', 0)"));
    EXPECT_EQ(db->NextCustomEventId(), QStringLiteral("C5"));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(RodeosTest, NoCustomEventPastNineHundredNinetyNine)
{
    openSpring();
    exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                        "INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) "
                        "SELECT 'C' || i, 'Custom ' || i, 'C', 'TI', 0 FROM n"));
    const qint64 events = count(QStringLiteral("Events"));
    ASSERT_EQ(events, 11 + 999);

    EventCfg e = newEvent(QStringLiteral("One Too Many"), QStringLiteral("Timed"));
    EXPECT_FALSE(db->AddEvent(e));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(
        prompt.shown[0].text,
        QStringLiteral("Rearch maximum customized event count, no more customized event can be added!"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::Ok);
    EXPECT_TRUE(e.id.isEmpty());
    EXPECT_EQ(count(QStringLiteral("Events")), events);
    EXPECT_EQ(count(QStringLiteral("RodeoEvents")), 11);

    // A freed number is used again.
    exec(QStringLiteral("DELETE FROM Events WHERE EvId = 'C500'"));
    EXPECT_EQ(db->NextCustomEventId(), QStringLiteral("C500"));
}

TEST_F(RodeosTest, AddEventWithoutAnOpenRodeoFails)
{
    makeSeason(kSeason);
    EventCfg e = newEvent(QStringLiteral("Ribbon Roping"), QStringLiteral("Timed"));
    EXPECT_FALSE(db->AddEvent(e));
    EXPECT_TRUE(db->NextCustomEventId().isEmpty());
    EXPECT_EQ(count(QStringLiteral("Events")), 11);
}

TEST_F(RodeosTest, AddedTimedEventReadsBackAsTimed)
{
    openSpring();
    EventCfg e = newEvent(QStringLiteral("Ribbon Roping"), QStringLiteral("Timed"));
    e.goRounds = QStringLiteral("2");
    e.finals = QStringLiteral("12");
    e.precision = QStringLiteral("0.001");
    ASSERT_TRUE(db->AddEvent(e));
    EXPECT_EQ(e.id, QStringLiteral("C1"));
    EXPECT_EQ(e.label, QStringLiteral("Ribbon Roping (C1)"));
    EXPECT_EQ(text(QStringLiteral("SELECT EvType FROM Events WHERE EvId = 'C1'")), QStringLiteral("TI"));
    EXPECT_EQ(text(QStringLiteral("SELECT EvStandard FROM Events WHERE EvId = 'C1'")), QStringLiteral("C"));
    // Memory follows only when the rodeo's events are read again.
    EXPECT_EQ(db->GetEvent(QStringLiteral("C1")), nullptr);

    reopen();
    const EventCfg back = loadedEvent(QStringLiteral("C1"));
    EXPECT_EQ(back.name, QStringLiteral("Ribbon Roping"));
    EXPECT_EQ(back.label, QStringLiteral("Ribbon Roping (C1)"));
    EXPECT_EQ(back.scoringKind, QStringLiteral("Timed"));
    EXPECT_EQ(back.entryKind, QStringLiteral("Individual"));
    EXPECT_EQ(back.ranking, QStringLiteral("Shortest to Longest"));
    EXPECT_EQ(back.standard, QStringLiteral("C"));
    EXPECT_EQ(back.goRounds, QStringLiteral("2"));
    EXPECT_EQ(back.finals, QStringLiteral("12"));
    EXPECT_EQ(back.precision, QStringLiteral("0.001"));
    EXPECT_TRUE(back.judgeMode.isEmpty());
    EXPECT_TRUE(back.fraction.isEmpty());

    EventCfg second = newEvent(QStringLiteral("A Name Far Too Long For The Field"), QStringLiteral("Timed"));
    ASSERT_TRUE(db->AddEvent(second));
    EXPECT_EQ(second.id, QStringLiteral("C2"));
    EXPECT_EQ(second.name, QStringLiteral("A Name Far Too Long For"));
    EXPECT_EQ(text(QStringLiteral("SELECT EvName FROM Events WHERE EvId = 'C2'")), second.name);
}

TEST_F(RodeosTest, AddedScoredEventKeepsJudgesAndFractionWithoutPrecision)
{
    openSpring();
    EventCfg e = newEvent(QStringLiteral("Ranch Bronc"), QStringLiteral("Scored"));
    e.entryKind = QStringLiteral("Team");
    e.judgeCount = QStringLiteral("4");
    e.judgeMode = QStringLiteral("Subtotal");
    e.fraction = QStringLiteral("Fraction");
    ASSERT_TRUE(db->AddEvent(e));
    EXPECT_TRUE(
        scalar(QStringLiteral("SELECT RePrecision IS NULL FROM RodeoEvents WHERE EvId = ?"), {e.id}) == 1);

    reopen();
    const EventCfg back = loadedEvent(e.id);
    EXPECT_EQ(back.scoringKind, QStringLiteral("Scored"));
    EXPECT_EQ(back.entryKind, QStringLiteral("Team"));
    EXPECT_EQ(back.judgeCount, QStringLiteral("4"));
    EXPECT_EQ(back.judgeMode, QStringLiteral("Subtotal"));
    EXPECT_EQ(back.fraction, QStringLiteral("Fraction"));
    EXPECT_TRUE(back.precision.isEmpty());
}

TEST_F(RodeosTest, AddRodeoEventRefusesUnknownSettings)
{
    openSpring();
    EventCfg timed = newEvent(QStringLiteral("Timed"), QStringLiteral("Timed"));
    timed.id = QStringLiteral("C7");
    timed.precision = QStringLiteral("0.5");
    EXPECT_FALSE(db->AddRodeoEvent(timed));
    EXPECT_TRUE(log.contains(QStringLiteral("Unrecognized precision.  DBMgr::AddRodeoEvent  Precision:0.5")));

    EventCfg scored = newEvent(QStringLiteral("Scored"), QStringLiteral("Scored"));
    scored.id = QStringLiteral("C8");
    scored.judgeMode = QStringLiteral("Averaged");
    EXPECT_FALSE(db->AddRodeoEvent(scored));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Unrecognized judge configuration.  DBMgr::AddRodeoEvent  Judge:Averaged")));

    scored.judgeMode = QStringLiteral("Separate");
    scored.fraction = QStringLiteral("Half");
    EXPECT_FALSE(db->AddRodeoEvent(scored));
    EXPECT_TRUE(
        log.contains(QStringLiteral("Unrecognized fraction format.  DBMgr::AddRodeoEvent  Fraction:Half")));
    EXPECT_EQ(count(QStringLiteral("RodeoEvents")), 11);

    // An event the rodeo already holds cannot be added twice.
    EventCfg bb = loadedEvent(QStringLiteral("BB"));
    log.clear();
    EXPECT_FALSE(db->AddRodeoEvent(bb));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to insert the rodeo event into the table.  "
                                                  "DBMgr::AddRodeoEvent  SQL:INSERT INTO RodeoEvents")));
    EXPECT_EQ(count(QStringLiteral("RodeoEvents")), 11);
}

TEST_F(RodeosTest, DeleteEventRemovesCatalogueAndRodeoRows)
{
    openSpring();
    EventCfg e = newEvent(QStringLiteral("Ribbon Roping"), QStringLiteral("Timed"));
    ASSERT_TRUE(db->AddEvent(e));
    insertEntry(QStringLiteral("Times"), db->rodeoInfo().id, e.id, 1, 5, 1);

    ASSERT_TRUE(db->DeleteEvent(e.id));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Events WHERE EvId = ?"), {e.id}), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM RodeoEvents WHERE EvId = ?"), {e.id}), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Times WHERE EvId = ?"), {e.id}), 1);
    EXPECT_EQ(count(QStringLiteral("Events")), 11);
    // Its number is free again.
    EXPECT_EQ(db->NextCustomEventId(), e.id);
}

// --- Saving the events' settings -------------------------------------------------

TEST_F(RodeosTest, StandardEventRenameIsNotSavedWhileItsRankingIs)
{
    openSpring();
    QVector<EventCfg> events = db->events();
    auto at = [&](const char* id) -> EventCfg& {
        for (EventCfg& e : events)
            if (e.id == QLatin1String(id))
                return e;
        ADD_FAILURE() << id;
        return events.first();
    };

    // A rename takes the catalogue change with it; the rodeo settings still go.
    EventCfg& ba = at("BA");
    ba.name = QStringLiteral("Breakaway");
    ba.ranking = QStringLiteral("Longest to Shortest");
    ba.finals = QStringLiteral("15");
    ba.changed = 1;
    ASSERT_TRUE(db->UpdateEvents(events));
    EXPECT_EQ(text(QStringLiteral("SELECT EvName FROM Events WHERE EvId = 'BA'")),
              QStringLiteral("Break Away"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT EvRanking FROM Events WHERE EvId = 'BA'")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT ReFinals FROM RodeoEvents WHERE EvId = 'BA'")), 15);
    EXPECT_EQ(loadedEvent(QStringLiteral("BA")).name, QStringLiteral("Break Away"));
    EXPECT_EQ(loadedEvent(QStringLiteral("BA")).finals, QStringLiteral("15"));

    // The ranking alone is saved.
    events = db->events();
    at("BA").ranking = QStringLiteral("Longest to Shortest");
    at("BA").changed = 1;
    // An edited record without its flag is left alone.
    at("TD").ranking = QStringLiteral("Longest to Shortest");
    ASSERT_TRUE(db->UpdateEvents(events));
    EXPECT_EQ(scalar(QStringLiteral("SELECT EvRanking FROM Events WHERE EvId = 'BA'")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT EvRanking FROM Events WHERE EvId = 'TD'")), 0);
    EXPECT_EQ(loadedEvent(QStringLiteral("BA")).ranking, QStringLiteral("Longest to Shortest"));
    EXPECT_EQ(loadedEvent(QStringLiteral("TD")).ranking, QStringLiteral("Shortest to Longest"));

    // Nor can a standard event change its kind.
    events = db->events();
    at("SW").entryKind = QStringLiteral("Team");
    at("SW").changed = 1;
    ASSERT_TRUE(db->UpdateEvents(events));
    EXPECT_EQ(text(QStringLiteral("SELECT EvType FROM Events WHERE EvId = 'SW'")), QStringLiteral("TI"));
}

TEST_F(RodeosTest, UpdateEventsWritesEachKindOfSettings)
{
    openSpring();
    EventCfg custom = newEvent(QStringLiteral("Ribbon Roping"), QStringLiteral("Timed"));
    ASSERT_TRUE(db->AddEvent(custom));
    reopen();
    EXPECT_EQ(loadedEvent(custom.id).ranking, QStringLiteral("Shortest to Longest"));

    QVector<EventCfg> events = db->events();
    for (EventCfg& e : events) {
        if (e.id == custom.id) {
            // Every catalogue field of a custom event may change.
            e.name = QStringLiteral("Ribbon Race");
            e.entryKind = QStringLiteral("Team");
            e.ranking = QStringLiteral("Longest to Shortest");
            e.precision = QStringLiteral("0.01");
            e.goRounds = QStringLiteral("3");
            e.changed = 1;
        } else if (e.id == QLatin1String("BB")) {
            e.judgeCount = QStringLiteral("4");
            e.judgeMode = QStringLiteral("Separate");
            e.fraction = QStringLiteral("Fraction");
            e.precision = QStringLiteral("0.001");
            e.changed = 1;
        } else if (e.id == QLatin1String("BR")) {
            // A timed event never writes judges or fraction, whatever it holds.
            e.judgeCount = QStringLiteral("4");
            e.judgeMode = QStringLiteral("Separate");
            e.fraction = QStringLiteral("Fraction");
            e.precision = QStringLiteral("0.001");
            e.changed = 1;
        }
    }
    ASSERT_TRUE(db->UpdateEvents(events));

    const EventCfg c = loadedEvent(custom.id);
    EXPECT_EQ(c.name, QStringLiteral("Ribbon Race"));
    EXPECT_EQ(c.entryKind, QStringLiteral("Team"));
    EXPECT_EQ(c.ranking, QStringLiteral("Longest to Shortest"));
    EXPECT_EQ(c.precision, QStringLiteral("0.01"));
    EXPECT_EQ(c.goRounds, QStringLiteral("3"));
    EXPECT_EQ(text(QStringLiteral("SELECT EvType FROM Events WHERE EvId = ?"), {custom.id}),
              QStringLiteral("TT"));

    EXPECT_EQ(text(QStringLiteral("SELECT ReJudges FROM RodeoEvents WHERE EvId = 'BB'")),
              QStringLiteral("I4"));
    EXPECT_EQ(text(QStringLiteral("SELECT ReFraction FROM RodeoEvents WHERE EvId = 'BB'")),
              QStringLiteral("N"));
    EXPECT_EQ(loadedEvent(QStringLiteral("BB")).precision, QStringLiteral("0.001"));

    EXPECT_EQ(scalar(QStringLiteral("SELECT RePrecision FROM RodeoEvents WHERE EvId = 'BR'")), 3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT ReJudges IS NULL AND ReFraction IS NULL FROM RodeoEvents "
                                    "WHERE EvId = 'BR'")),
              1);
}

TEST_F(RodeosTest, UpdateEventsNeedsRecordsAndAnOpenRodeo)
{
    QVector<EventCfg> none;
    EXPECT_FALSE(db->UpdateEvents(none));
    openSpring();
    EXPECT_FALSE(db->UpdateEvents(none));
    QVector<EventCfg> events = db->events();
    db->CloseRodeo();
    EXPECT_FALSE(db->UpdateEvents(events));
}

TEST_F(RodeosTest, SettingsStayWhenGoRoundsWithResultsCannotBeDropped)
{
    makeSeason(kSeason);
    ASSERT_TRUE(db->CreateRodeo(kSeason, kRodeo, kDate, kProfile));
    const int roId = static_cast<int>(scalar(QStringLiteral("SELECT RoId FROM Rodeos")));
    exec(QStringLiteral("UPDATE RodeoEvents SET ReGos = 2 WHERE EvId = 'TD'"));
    const quint32 plr = insertContestant(QStringLiteral("Ty"), QStringLiteral("Roper"));
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TD"), 1, plr, 1, 1, 1);
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TD"), 2, plr, 1, 1, 1);
    exec(QStringLiteral("UPDATE Times SET RideTime = 9500 WHERE GoId = 2"));
    ASSERT_TRUE(db->OpenRodeo(kSeason, kRodeo));

    EventCfg td = loadedEvent(QStringLiteral("TD"));
    ASSERT_EQ(td.goRounds, QStringLiteral("2"));
    td.goRounds = QStringLiteral("1");
    td.finals = QStringLiteral("8");
    EXPECT_FALSE(db->UpdateRodeoEvent(td));
    EXPECT_EQ(scalar(QStringLiteral("SELECT ReGos FROM RodeoEvents WHERE EvId = 'TD'")), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT ReFinals FROM RodeoEvents WHERE EvId = 'TD'")), 20);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Times WHERE GoId = 2")), 1);
}

TEST_F(RodeosTest, UpdateRodeoEventOfAnEventTheRodeoDoesNotHoldFails)
{
    openSpring();
    EventCfg ghost = newEvent(QStringLiteral("Ghost"), QStringLiteral("Timed"));
    ghost.id = QStringLiteral("C42");
    EXPECT_FALSE(db->UpdateRodeoEvent(ghost));
    EXPECT_FALSE(db->UpdateEvent(ghost));
    EXPECT_EQ(count(QStringLiteral("RodeoEvents")), 11);
}
