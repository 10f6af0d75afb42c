#include "dbfixture.h"

#include <optional>

namespace {

// Answers the contestant-resolution question from a script and records what
// it was shown. An empty script means "the dialog has nothing to show".
class ScriptedContestantResolver : public ResolutionPrompts
{
public:
    std::optional<ContestantChoice> resolveContestant(const ContestantRec& arriving,
                                                      const ContestantRec& existing) override
    {
        shown.append({arriving, existing});
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
    std::optional<ContestantChoice> resolveContestantAmong(const ContestantRec& arriving,
                                                           const QVector<ContestantRec>& existing) override
    {
        QVector<quint32> ids;
        for (const ContestantRec& c : existing)
            ids << c.plrId;
        offered << ids;
        return ResolutionPrompts::resolveContestantAmong(arriving, existing);
    }
    int sameTeamFound(const TeamRec&, bool& applyToAll) override
    {
        applyToAll = false;
        return 6;
    }

    static ContestantChoice choice(int decision, bool applyToAll = false, const ContestantRec& existing = {})
    {
        ContestantChoice c;
        c.decision = decision;
        c.applyToAll = applyToAll;
        c.existing = existing;
        return c;
    }

    QList<std::optional<ContestantChoice>> answers;
    QList<std::pair<ContestantRec, ContestantRec>> shown;
    QList<QVector<quint32>> offered; // the identities of every question's same-named contestants
};

ContestantRec person(const QString& first, const QString& last, const QString& bib = QString(),
                     const QString& town = QString())
{
    ContestantRec c;
    c.firstName = first;
    c.lastName = last;
    c.bib = bib;
    c.homeTown = town;
    return c;
}

class PeopleTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        m_roId = insertRodeo(QStringLiteral("R1"));
        insertRodeoEvent(m_roId, QStringLiteral("BB"));
        insertRodeoEvent(m_roId, QStringLiteral("TD"));
        insertRodeoEvent(m_roId, QStringLiteral("TR"));
    }
    void open()
    {
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("R1")));
        db->setResolutionPrompts(&resolver);
    }
    quint32 add(const QString& first, const QString& last, const QString& bib = QString(),
                const QString& town = QString())
    {
        ContestantRec c = person(first, last, bib, town);
        EXPECT_TRUE(db->AddContestant(c));
        return c.plrId;
    }
    QStringList firstNames(SqlRecordset* rs)
    {
        QStringList out;
        if (!rs)
            return {QStringLiteral("<no record set>")};
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            out << rs->toText(QStringLiteral("PlrFirstName"));
        return out;
    }
    qint64 rosterCount() { return scalar(QStringLiteral("SELECT COUNT(*) FROM Rosters")); }
    QString column(const QString& col, quint32 plrId)
    {
        auto rs = sql().query(QStringLiteral("SELECT %1 FROM Rosters WHERE PlrId = ?").arg(col), {plrId});
        return rs && rs->moveFirst() ? rs->toText(col) : QStringLiteral("<missing>");
    }

    int m_roId = 0;
    ScriptedContestantResolver resolver;
};

// --- Searching --------------------------------------------------------------

TEST_F(PeopleTest, SearchByFirstNamePrefixHonoursLimitAndOrder)
{
    open();
    add(QStringLiteral("Joe"), QStringLiteral("Zed"), QStringLiteral("30"));
    add(QStringLiteral("John"), QStringLiteral("Adams"), QStringLiteral("10"));
    add(QStringLiteral("Joanna"), QStringLiteral("Brown"), QStringLiteral("20"));
    add(QStringLiteral("jolene"), QStringLiteral("Clark"), QStringLiteral("40"));
    add(QStringLiteral("Bob"), QStringLiteral("Jones"), QStringLiteral("5"));
    add(QStringLiteral("Ajo"), QStringLiteral("Jo"), QStringLiteral("6"));

    ContestantRec pattern;
    pattern.firstName = QStringLiteral("Jo");

    // By last name, then first name: every Jo* and nothing else.
    EXPECT_EQ(firstNames(db->SearchContestants(pattern, 10, 4).get()),
              (QStringList{"John", "Joanna", "jolene", "Joe"}));
    // The limit cuts the ordered list, not an arbitrary one.
    EXPECT_EQ(firstNames(db->SearchContestants(pattern, 2, 4).get()), (QStringList{"John", "Joanna"}));
    EXPECT_EQ(firstNames(db->SearchContestants(pattern, 3, 1).get()), (QStringList{"John", "Joanna", "Joe"}));
    EXPECT_EQ(firstNames(db->SearchContestants(pattern, 10, 2).get()),
              (QStringList{"Joanna", "Joe", "John", "jolene"}));

    // Conditions combine; the bib is a prefix too.
    pattern.lastName = QStringLiteral("B");
    EXPECT_EQ(firstNames(db->SearchContestants(pattern, 10, 4).get()), (QStringList{"Joanna"}));
    ContestantRec byBib;
    byBib.bib = QStringLiteral("3");
    EXPECT_EQ(firstNames(db->SearchContestants(byBib, 10, 4).get()), (QStringList{"Joe"}));
}

TEST_F(PeopleTest, SearchWithoutPatternNeedsNoLimit)
{
    open();
    add(QStringLiteral("Amy"), QStringLiteral("B"));
    add(QStringLiteral("Zoe"), QStringLiteral("A"));

    // A limited search with nothing to look for is refused ...
    EXPECT_EQ(db->SearchContestants(ContestantRec(), 10, 4), nullptr);
    // ... while the unlimited one lists the whole roster in the order asked.
    EXPECT_EQ(firstNames(db->SearchContestants(ContestantRec(), 0, 4).get()), (QStringList{"Zoe", "Amy"}));
    EXPECT_EQ(firstNames(db->SearchContestants(ContestantRec(), -1, 2).get()), (QStringList{"Amy", "Zoe"}));
    // A sort type outside the known ones still gives a working statement.
    EXPECT_EQ(db->SearchContestants(ContestantRec(), 0, 0x20000)->rowCount(), 2);
}

TEST_F(PeopleTest, WildcardCharactersTypedIntoASearchMatchThemselves)
{
    open();
    add(QStringLiteral("Al%x"), QStringLiteral("One"));
    add(QStringLiteral("Alex"), QStringLiteral("Two"));
    add(QStringLiteral("A_b"), QStringLiteral("Three"));
    add(QStringLiteral("Aab"), QStringLiteral("Four"));
    add(QStringLiteral("C\\d"), QStringLiteral("Five"));
    add(QStringLiteral("Cxd"), QStringLiteral("Six"));

    ContestantRec p;
    p.firstName = QStringLiteral("Al%");
    EXPECT_EQ(firstNames(db->SearchContestants(p, 10, 2).get()), (QStringList{"Al%x"}));
    p.firstName = QStringLiteral("A_");
    EXPECT_EQ(firstNames(db->SearchContestants(p, 10, 2).get()), (QStringList{"A_b"}));
    p.firstName = QStringLiteral("C\\");
    EXPECT_EQ(firstNames(db->SearchContestants(p, 10, 2).get()), (QStringList{"C\\d"}));
    p.firstName = QStringLiteral("%");
    EXPECT_EQ(firstNames(db->SearchContestants(p, 10, 2).get()), QStringList());
}

TEST_F(PeopleTest, NamesWithQuotesAndWildcardsRoundTrip)
{
    open();
    const QString first = QStringLiteral("O'Neil \"Doc\"");
    const QString last = QStringLiteral("50%_Off");
    const quint32 id = add(first, last, QStringLiteral("7"));
    ASSERT_NE(id, 0u);
    EXPECT_EQ(column(QStringLiteral("PlrFirstName"), id), first);

    ContestantRec p;
    p.firstName = QStringLiteral("O'Neil \"");
    p.lastName = QStringLiteral("50%_");
    auto rs = db->SearchContestants(p, 5, 4);
    ASSERT_NE(rs, nullptr);
    ASSERT_TRUE(rs->moveFirst());
    EXPECT_EQ(rs->toUInt(QStringLiteral("PlrId")), id);
    EXPECT_EQ(rs->toText(QStringLiteral("PlrLastName")), last);

    ContestantRec c;
    ASSERT_TRUE(db->GetContestant(id, c));
    c.homeTown = QStringLiteral("Bob's \"Town\" 100%");
    ASSERT_TRUE(db->UpdateContestant(c));
    EXPECT_EQ(column(QStringLiteral("PlrHomeTown"), id), c.homeTown);
    EXPECT_EQ(db->contestants().find(id)->homeTown, c.homeTown);
    EXPECT_TRUE(db->ContestantNameTaken(person(first, last)));
}

// --- Duplicate checks ---------------------------------------------------------

TEST_F(PeopleTest, NameTakenIgnoresTheContestantItself)
{
    open();
    const quint32 id = add(QStringLiteral("Sam"), QStringLiteral("Hill"));
    ContestantRec self = person(QStringLiteral("Sam"), QStringLiteral("Hill"));
    self.plrId = id;
    EXPECT_FALSE(db->ContestantNameTaken(self));
    self.plrId = id + 100;
    EXPECT_TRUE(db->ContestantNameTaken(self));
    EXPECT_FALSE(db->ContestantNameTaken(person(QStringLiteral("Sam"), QStringLiteral("Hills"))));

    // A name longer than a stored one can hold is compared as it would be stored.
    add(QStringLiteral("Maximiliano-Jos"), QStringLiteral("X"));
    EXPECT_TRUE(
        db->ContestantNameTaken(person(QStringLiteral("Maximiliano-Jose-Luis"), QStringLiteral("X"))));
}

TEST_F(PeopleTest, TeamMembershipCountsInAnyRodeo)
{
    open();
    const int other = insertRodeo(QStringLiteral("R2"));
    insertTeam(other, 1, QStringLiteral("T"), 5, 6, 7);
    EXPECT_TRUE(db->ContestantInTeam(5));
    EXPECT_TRUE(db->ContestantInTeam(6));
    EXPECT_TRUE(db->ContestantInTeam(7));
    EXPECT_FALSE(db->ContestantInTeam(8));
}

TEST_F(PeopleTest, EntriesCountInIndividualEventsOfAnyRodeo)
{
    open();
    const int other = insertRodeo(QStringLiteral("R2"));
    insertEntry(QStringLiteral("Scores"), other, QStringLiteral("BB"), 1, 11, 1);
    insertEntry(QStringLiteral("Times"), m_roId, QStringLiteral("TD"), 2, 12, 1);
    // A team entry carries a team id, which says nothing about contestant 13.
    insertEntry(QStringLiteral("Times"), m_roId, QStringLiteral("TR"), 1, 13, 1);

    EXPECT_TRUE(db->ContestantHasEntries(11));
    EXPECT_TRUE(db->ContestantHasEntries(12));
    EXPECT_FALSE(db->ContestantHasEntries(13));
    EXPECT_FALSE(db->ContestantHasEntries(14));
}

// --- Adding, reading, rewriting ---------------------------------------------------

TEST_F(PeopleTest, AddAppendsAndCutsLongTexts)
{
    open();
    add(QStringLiteral("Zed"), QStringLiteral("Last"));
    ContestantRec c =
        person(QStringLiteral("Bartholomew-Alexander"), QStringLiteral("A"), QStringLiteral("123456789"));
    c.plrId = 4242; // ignored
    c.year = QStringLiteral("2001");
    c.afId = 9;
    ASSERT_TRUE(db->AddContestant(c));
    EXPECT_NE(c.plrId, 4242u);
    EXPECT_EQ(c.firstName, QStringLiteral("Bartholomew-Ale"));
    EXPECT_EQ(column(QStringLiteral("PlrFirstName"), c.plrId), QStringLiteral("Bartholomew-Ale"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), c.plrId), QStringLiteral("1234567"));
    // What the collection shows is what the row holds.
    EXPECT_EQ(column(QStringLiteral("PlrYear"), c.plrId), QStringLiteral("2001"));
    EXPECT_EQ(column(QStringLiteral("AfId"), c.plrId), QStringLiteral("9"));
    ASSERT_EQ(db->contestants().size(), 2);
    EXPECT_EQ(db->contestants().at(1).plrId, c.plrId);
    EXPECT_EQ(db->contestants().at(1).firstName, QStringLiteral("Bartholomew-Ale"));
}

TEST_F(PeopleTest, GetAndUpdateReportMissingContestants)
{
    open();
    ContestantRec out = person(QStringLiteral("left"), QStringLiteral("over"));
    EXPECT_FALSE(db->GetContestant(77, out));
    EXPECT_TRUE(out.firstName.isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("Contestant does not exist in the system.  ID:77")));

    ContestantRec ghost = person(QStringLiteral("No"), QStringLiteral("One"));
    ghost.plrId = 999;
    EXPECT_FALSE(db->UpdateContestant(ghost));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to open a recordset.  DBMgr::UpdateContestant  "
                                            "SQL:SELECT * FROM Rosters WHERE PlrId = 999")));
    EXPECT_FALSE(db->contestants().contains(999));
}

TEST_F(PeopleTest, UpdateRewritesEveryFieldAndKeepsTheRegisteredMark)
{
    const quint32 id = insertContestant(QStringLiteral("Ann"), QStringLiteral("Lee"));
    insertEntry(QStringLiteral("Scores"), m_roId, QStringLiteral("BB"), 1, id, 1);
    open();
    ASSERT_EQ(db->contestants().find(id)->registered, 1);

    ContestantRec c =
        person(QStringLiteral("Anne"), QStringLiteral("Leigh"), QStringLiteral("9"), QStringLiteral("Taber"));
    c.plrId = id;
    c.year = QStringLiteral("1999");
    c.earnCur = QStringLiteral("$1,200");
    c.earnLast = QStringLiteral("$300");
    c.misc = QStringLiteral("note");
    c.afId = 3;
    c.leagueId = 4;
    ASSERT_TRUE(db->UpdateContestant(c));

    for (const auto& [col, want] : std::vector<std::pair<QString, QString>>{{"PlrFirstName", "Anne"},
                                                                            {"PlrLastName", "Leigh"},
                                                                            {"PlrBib", "9"},
                                                                            {"PlrHomeTown", "Taber"},
                                                                            {"PlrYear", "1999"},
                                                                            {"PlrEarnCur", "$1,200"},
                                                                            {"PlrEarnLast", "$300"},
                                                                            {"PlrMisc", "note"},
                                                                            {"AfId", "3"},
                                                                            {"LeagueId", "4"}})
        EXPECT_EQ(column(col, id), want) << col.toStdString();
    const ContestantRec* held = db->contestants().find(id);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->firstName, QStringLiteral("Anne"));
    EXPECT_EQ(held->registered, 1);
}

// --- Resolving a contestant who arrives again ----------------------------------------

TEST_F(PeopleTest, StoredApplyToAllMergeFillsOnlyEmptyFields)
{
    open();
    const quint32 id =
        add(QStringLiteral("John"), QStringLiteral("Smith"), QStringLiteral("12"), QStringLiteral("Calgary"));
    ContestantRec n = person(QStringLiteral("John"), QStringLiteral("Smith"), QStringLiteral("99"));
    n.misc = QStringLiteral("new");

    const int d = ResolutionPrompts::Merge | ResolutionPrompts::ApplyToAll;
    EXPECT_EQ(db->ResolveContestant(n, true, d), d);
    EXPECT_TRUE(resolver.shown.isEmpty());
    EXPECT_EQ(n.plrId, id);
    EXPECT_EQ(n.homeTown, QStringLiteral("Calgary"));
    EXPECT_EQ(n.bib, QStringLiteral("99"));
    EXPECT_EQ(rosterCount(), 1);
    EXPECT_EQ(column(QStringLiteral("PlrHomeTown"), id), QStringLiteral("Calgary"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QStringLiteral("99"));
    EXPECT_EQ(column(QStringLiteral("PlrMisc"), id), QStringLiteral("new"));
    EXPECT_EQ(db->contestants().find(id)->bib, QStringLiteral("99"));
}

TEST_F(PeopleTest, StoredApplyToAllDecisionsAreAppliedWithoutAsking)
{
    open();
    const quint32 id =
        add(QStringLiteral("Kim"), QStringLiteral("Ray"), QStringLiteral("1"), QStringLiteral("Old"));

    ContestantRec replace =
        person(QStringLiteral("Kim"), QStringLiteral("Ray"), QString(), QStringLiteral("New"));
    EXPECT_EQ(db->ResolveContestant(replace, true, 1 | 0x10000), 1 | 0x10000);
    EXPECT_EQ(replace.plrId, id);
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QString()); // replaced, not merged
    EXPECT_EQ(column(QStringLiteral("PlrHomeTown"), id), QStringLiteral("New"));

    ContestantRec leave = person(QStringLiteral("Kim"), QStringLiteral("Ray"), QStringLiteral("8"));
    EXPECT_EQ(db->ResolveContestant(leave, true, 3 | 0x10000), 3 | 0x10000);
    EXPECT_EQ(leave.plrId, id);
    EXPECT_EQ(leave.homeTown, QStringLiteral("New"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QString());

    ContestantRec addNew = person(QStringLiteral("Kim"), QStringLiteral("Ray"), QStringLiteral("2"));
    EXPECT_EQ(db->ResolveContestant(addNew, true, 4 | 0x10000), 4 | 0x10000);
    EXPECT_NE(addNew.plrId, id);
    EXPECT_NE(addNew.plrId, 0u);
    EXPECT_EQ(rosterCount(), 2);
    EXPECT_TRUE(resolver.shown.isEmpty());
}

TEST_F(PeopleTest, ResolvingANewNameAddsOrRewrites)
{
    open();
    ContestantRec n = person(QStringLiteral("Lou"), QStringLiteral("New"));
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::AddNew);
    EXPECT_NE(n.plrId, 0u);
    EXPECT_EQ(rosterCount(), 1);

    // Without adding, the record is an existing contestant being renamed.
    n.firstName = QStringLiteral("Louis");
    EXPECT_EQ(db->ResolveContestant(n, false, 0), ResolutionPrompts::Leave);
    EXPECT_EQ(column(QStringLiteral("PlrFirstName"), n.plrId), QStringLiteral("Louis"));
    EXPECT_EQ(rosterCount(), 1);
    EXPECT_TRUE(resolver.shown.isEmpty());
}

TEST_F(PeopleTest, EditingAContestantDoesNotResolveItAgainstItself)
{
    open();
    const quint32 id = add(QStringLiteral("Pat"), QStringLiteral("Ode"), QStringLiteral("1"));
    ContestantRec c;
    ASSERT_TRUE(db->GetContestant(id, c));
    c.bib = QStringLiteral("2");
    resolver.answers << ScriptedContestantResolver::choice(ResolutionPrompts::Replace);
    EXPECT_EQ(db->ResolveContestant(c, false, 0), ResolutionPrompts::Leave);
    EXPECT_TRUE(resolver.shown.isEmpty());
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QStringLiteral("2"));

    // Another contestant of that name is still a match.
    const quint32 twin = add(QStringLiteral("Pat"), QStringLiteral("Ode"), QStringLiteral("3"));
    EXPECT_EQ(db->ResolveContestant(c, false, 0), ResolutionPrompts::Replace);
    ASSERT_EQ(resolver.shown.size(), 1);
    EXPECT_EQ(resolver.shown.first().second.plrId, twin);
}

TEST_F(PeopleTest, EachDecisionOfTheDialog)
{
    open();
    const quint32 id =
        add(QStringLiteral("Dee"), QStringLiteral("Ross"), QStringLiteral("5"), QStringLiteral("Home"));
    using R = ScriptedContestantResolver;

    // Replace, ticked for all.
    ContestantRec n =
        person(QStringLiteral("Dee"), QStringLiteral("Ross"), QString(), QStringLiteral("Away"));
    resolver.answers << R::choice(ResolutionPrompts::Replace, true);
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::Replace | ResolutionPrompts::ApplyToAll);
    ASSERT_EQ(resolver.shown.size(), 1);
    EXPECT_EQ(resolver.shown.first().second.plrId, id);
    EXPECT_EQ(resolver.shown.first().first.homeTown, QStringLiteral("Away"));
    EXPECT_EQ(n.plrId, id);
    EXPECT_EQ(column(QStringLiteral("PlrHomeTown"), id), QStringLiteral("Away"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QString());

    // Merge.
    n = person(QStringLiteral("Dee"), QStringLiteral("Ross"), QStringLiteral("6"));
    resolver.answers << R::choice(ResolutionPrompts::Merge);
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::Merge);
    EXPECT_EQ(n.plrId, id);
    EXPECT_EQ(n.homeTown, QStringLiteral("Away"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QStringLiteral("6"));

    // Leave: the arriving record becomes the stored one, nothing is written.
    n = person(QStringLiteral("Dee"), QStringLiteral("Ross"), QStringLiteral("7"));
    resolver.answers << R::choice(ResolutionPrompts::Leave);
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::Leave);
    EXPECT_EQ(n.plrId, id);
    EXPECT_EQ(n.bib, QStringLiteral("6"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), id), QStringLiteral("6"));

    // Add New.
    n = person(QStringLiteral("Dee"), QStringLiteral("Ross"), QStringLiteral("8"));
    resolver.answers << R::choice(ResolutionPrompts::AddNew);
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::AddNew);
    EXPECT_NE(n.plrId, id);
    EXPECT_EQ(rosterCount(), 2);
    EXPECT_TRUE(db->contestants().contains(n.plrId));

    // Cancel: the previous decision comes back and nothing changes.
    n = person(QStringLiteral("Dee"), QStringLiteral("Ross"), QStringLiteral("9"));
    resolver.answers << R::choice(0);
    EXPECT_EQ(db->ResolveContestant(n, true, ResolutionPrompts::Merge), ResolutionPrompts::Merge);
    EXPECT_EQ(n.plrId, 0u);
    EXPECT_EQ(rosterCount(), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Rosters WHERE PlrBib = '9'")), 0);
}

TEST_F(PeopleTest, ReplaceWritesTheContestantChosenInTheDialog)
{
    open();
    const quint32 first = add(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("1"));
    const quint32 second = add(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("2"));
    ContestantRec chosen;
    ASSERT_TRUE(db->GetContestant(second, chosen));
    resolver.answers << ScriptedContestantResolver::choice(ResolutionPrompts::Replace, false, chosen);

    ContestantRec n = person(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("3"));
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::Replace);
    EXPECT_EQ(n.plrId, second);
    EXPECT_EQ(column(QStringLiteral("PlrBib"), second), QStringLiteral("3"));
    EXPECT_EQ(column(QStringLiteral("PlrBib"), first), QStringLiteral("1"));
}

// Every contestant of the name is offered, in table order; an edited
// contestant is never offered against himself.
TEST_F(PeopleTest, EveryContestantOfTheNameIsOffered)
{
    open();
    const quint32 first = add(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("1"));
    add(QStringLiteral("Al"), QStringLiteral("Ng"));
    const quint32 second = add(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("2"));
    resolver.answers << ScriptedContestantResolver::choice(ResolutionPrompts::Leave)
                     << ScriptedContestantResolver::choice(ResolutionPrompts::Leave);

    ContestantRec arriving = person(QStringLiteral("Val"), QStringLiteral("Ng"), QStringLiteral("3"));
    db->ResolveContestant(arriving, true, 0);
    ContestantRec edited;
    ASSERT_TRUE(db->GetContestant(first, edited));
    edited.homeTown = QStringLiteral("Cody");
    db->ResolveContestant(edited, false, 0);
    EXPECT_EQ(resolver.offered, (QList<QVector<quint32>>{{first, second}, {second}}));
}

TEST_F(PeopleTest, NothingToShowRewritesTheArrivingContestant)
{
    open();
    add(QStringLiteral("Ty"), QStringLiteral("Cobb"), QStringLiteral("1"));
    const quint32 other = add(QStringLiteral("Tyler"), QStringLiteral("Cobb"), QStringLiteral("2"));
    ContestantRec n;
    ASSERT_TRUE(db->GetContestant(other, n));
    n.firstName = QStringLiteral("Ty");

    // The dialog had nothing to show.
    EXPECT_EQ(db->ResolveContestant(n, false, ResolutionPrompts::Merge), ResolutionPrompts::Merge);
    EXPECT_EQ(resolver.shown.size(), 1);
    EXPECT_EQ(column(QStringLiteral("PlrFirstName"), other), QStringLiteral("Ty"));

    // No dialog at all behaves the same.
    db->setResolutionPrompts(nullptr);
    n.bib = QStringLiteral("22");
    EXPECT_EQ(db->ResolveContestant(n, false, 0), 0);
    EXPECT_EQ(column(QStringLiteral("PlrBib"), other), QStringLiteral("22"));
    EXPECT_EQ(rosterCount(), 2);
}

TEST_F(PeopleTest, ResolvingAListPassesTheDecisionOn)
{
    open();
    add(QStringLiteral("Al"), QStringLiteral("Bo"), QStringLiteral("1"));
    QVector<ContestantRec> arriving{person(QStringLiteral("Al"), QStringLiteral("Bo"), QStringLiteral("2")),
                                    person(QStringLiteral("Al"), QStringLiteral("Bo"), QStringLiteral("3")),
                                    person(QStringLiteral("Cy"), QStringLiteral("Do"), QStringLiteral("4"))};
    resolver.answers << ScriptedContestantResolver::choice(ResolutionPrompts::AddNew, true);
    EXPECT_EQ(db->ResolveContestants(arriving), ResolutionPrompts::AddNew);
    // Asked once; the ticked answer served the second; the third was new.
    EXPECT_EQ(resolver.shown.size(), 1);
    EXPECT_EQ(rosterCount(), 4);
    for (const ContestantRec& c : arriving)
        EXPECT_NE(c.plrId, 0u);
}

TEST_F(PeopleTest, ResolvingWithoutAConnectionWritesNothing)
{
    ContestantRec n = person(QStringLiteral("No"), QStringLiteral("Db"));
    EXPECT_EQ(db->ResolveContestant(n, true, 0), ResolutionPrompts::Leave);
    EXPECT_EQ(n.plrId, 0u);
    EXPECT_TRUE(db->contestants().isEmpty());
}

// --- Deleting -------------------------------------------------------------------

struct Holding
{
    const char* name;
    // Arranges what may hold the contestant back: %1 his id, %2 the open
    // rodeo, %3 another rodeo of the season.
    const char* arrange;
    bool refused;
};

class DeleteContestantTest : public PeopleTest, public ::testing::WithParamInterface<Holding>
{
};

// A contestant goes only while no entry and no team anywhere in the season
// needs him; his messages stay behind.
TEST_P(DeleteContestantTest, RefusesWhileAResultOrATeamOfTheSeasonNeedsHim)
{
    const quint32 id = insertContestant(QStringLiteral("Jo"), QStringLiteral("Doe"));
    const int other = insertRodeo(QStringLiteral("R2"));
    exec(QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1) VALUES (?, 1, 'hi')"), {id});
    for (const QString& statement : QString::fromLatin1(GetParam().arrange).split(QLatin1Char(';')))
        exec(statement.arg(id).arg(m_roId).arg(other));
    open();

    EXPECT_EQ(db->DeleteContestant(id), !GetParam().refused);
    EXPECT_EQ(db->contestants().contains(id), GetParam().refused);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Rosters WHERE PlrId = ?"), {id}),
              GetParam().refused ? 1 : 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Messages WHERE PlrId = ?"), {id}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteContestantTest,
    ::testing::Values(
        // An entry without a result would be left with nobody.
        Holding{"RegisteredOnly",
                "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt) VALUES (%2, 'BB', 1, %1, 1)", true},
        Holding{"EnteredInAnotherRodeo",
                "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt) VALUES (%3, 'TD', 1, %1, 1)", true},
        Holding{"ResultInGoRoundOne",
                "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, JTot) VALUES (%2, 'BB', 1, %1, 1, 7500)",
                true},
        Holding{"ResultOnlyInGoRoundTwo",
                "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt) VALUES (%2, 'BB', 1, %1, 1);"
                "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, JR1) VALUES (%2, 'BB', 2, %1, 1, 3900)",
                true},
        Holding{
            "TimeOfASecondEntryInAnotherRodeo",
            "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, RideTime) VALUES (%3, 'TD', 1, %1, 2, 9100)",
            true},
        Holding{"TeamOfAnotherRodeo",
                "INSERT INTO Teams (RoId, TmId, PlrId1, PlrId2) VALUES (%3, 1, 999, %1)", true},
        // In a team event the competitor id is a team's, not his.
        Holding{
            "TeamEventResultUnderTheSameNumber",
            "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, RideTime) VALUES (%2, 'TR', 1, %1, 1, 6500)",
            false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Merging
{
    const char* name;
    const char* arrange; // one statement; %1 the removed contestant, %3 another rodeo
    bool merged;
};

class MergeContestantsTest : public PeopleTest, public ::testing::WithParamInterface<Merging>
{
};

// "Rider" edited into "Ryder" and replaced: Rider's entries in every rodeo
// become Ryder's, numbered after Ryder's own, in the same places, and Rider
// goes. A result or a team of Rider's keeps him, with nothing moved; a step
// that fails undoes the others. Memory says what the rows say.
TEST_P(MergeContestantsTest, TheRemovedContestantsEntriesBecomeTheKeptOnes)
{
    const quint32 ryder = insertContestant(QStringLiteral("Ryder"), QStringLiteral("Wright"));
    const quint32 rider = insertContestant(QStringLiteral("Rider"), QStringLiteral("Wright"));
    const int other = insertRodeo(QStringLiteral("R2"));
    insertRodeoEvent(other, QStringLiteral("TD"));
    insertEntry(QStringLiteral("Times"), m_roId, QStringLiteral("TD"), 1, ryder, 1, 1, 1);
    insertEntry(QStringLiteral("Times"), m_roId, QStringLiteral("TD"), 1, rider, 1, 2, 3);
    insertEntry(QStringLiteral("Scores"), m_roId, QStringLiteral("BB"), 1, rider, 1);
    insertEntry(QStringLiteral("Scores"), m_roId, QStringLiteral("BB"), 1, rider, 2);
    insertEntry(QStringLiteral("Times"), other, QStringLiteral("TD"), 1, rider, 1);
    // The team roping entry of team number "rider" is a team's, not his.
    insertEntry(QStringLiteral("Times"), m_roId, QStringLiteral("TR"), 1, rider, 1);
    QString arrange = QString::fromLatin1(GetParam().arrange);
    arrange.replace(QStringLiteral("%1"), QString::number(rider))
        .replace(QStringLiteral("%3"), QString::number(other));
    if (!arrange.isEmpty())
        exec(arrange);
    open();

    EXPECT_EQ(db->MergeContestants(rider, ryder), GetParam().merged);
    const bool merged = GetParam().merged;
    EXPECT_EQ(rosterCount(), merged ? 1 : 2);
    EXPECT_EQ(db->contestants().contains(rider), !merged);
    const auto entries = [&](const char* table, quint32 id, int roId) {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE ptId = ? AND RoId = ? AND EvId != 'TR'")
                          .arg(QString::fromLatin1(table)),
                      {id, roId});
    };
    EXPECT_EQ(entries("Times", rider, m_roId) + entries("Scores", rider, m_roId) +
                  entries("Times", rider, other),
              merged ? 0 : 4);
    EXPECT_EQ(entries("Times", ryder, m_roId) + entries("Scores", ryder, m_roId) +
                  entries("Times", ryder, other),
              merged ? 5 : 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Times WHERE EvId = 'TR' AND ptId = ?"), {rider}),
              1);
    if (merged) {
        // After Ryder's own entry, in Rider's place.
        EXPECT_EQ(scalar(QStringLiteral("SELECT PerfId * 10 + Ord FROM Times WHERE RoId = ? AND EvId = 'TD' "
                                        "AND ptId = ? AND PlrEnt = 2"),
                         {m_roId, ryder}),
                  23);
        EXPECT_EQ(scalar(QStringLiteral("SELECT MAX(PlrEnt) FROM Scores WHERE ptId = ?"), {ryder}), 2);
        EXPECT_EQ(db->LookupEntry(makeEntryKey(ryder, 2), QStringLiteral("TD"), 1).ord, 3);
        EXPECT_EQ(db->contestants().find(ryder)->registered, 1);
    }
    // Memory holds what the rows hold.
    EXPECT_EQ(db->playerEntries().holdsCompetitor(rider), !merged);
    EXPECT_EQ(db->playerEntries().entryCount(ryder, QStringLiteral("TD")), merged ? 2 : 1);
    EXPECT_EQ(db->playerEntries().entryCount(ryder, QStringLiteral("BB")), merged ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeContestantsTest,
    ::testing::Values(
        Merging{"EntriesWithoutResults", "", true},
        Merging{"AResultKeepsHim", "UPDATE Scores SET JTot = 7100 WHERE ptId = %1 AND PlrEnt = 2", false},
        Merging{"ATeamOfAnotherRodeoKeepsHim",
                "INSERT INTO Teams (RoId, TmId, PlrId1, PlrId2) VALUES (%3, 1, 999, %1)", false},
        // The scored entries have moved when the timed ones cannot: none move.
        Merging{"AFailedStepUndoesTheOthers",
                "CREATE TRIGGER refuse BEFORE UPDATE ON Times BEGIN SELECT RAISE(ABORT, 'refused'); END",
                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PeopleTest, DeleteCowboyKeepsTheCollectionInStep)
{
    open();
    const quint32 a = add(QStringLiteral("A"), QStringLiteral("A"));
    const quint32 b = add(QStringLiteral("B"), QStringLiteral("B"));
    EXPECT_TRUE(db->DeleteCowboy(a));
    EXPECT_FALSE(db->contestants().contains(a));
    EXPECT_TRUE(db->contestants().contains(b));
    EXPECT_EQ(rosterCount(), 1);

    // A failed delete leaves memory as it was and says why in the log.
    db->CloseRodeo();
    log.clear();
    EXPECT_FALSE(db->DeleteCowboy(b));
    EXPECT_TRUE(db->contestants().contains(b));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to execute the query.  DBMgr::Query  SQL:")));
    EXPECT_EQ(rosterCount(), 1);

    // Without a database nothing can be checked, so nothing is deleted.
    EXPECT_FALSE(db->DeleteContestant(b));
    EXPECT_TRUE(db->contestants().contains(b));
}

} // namespace
