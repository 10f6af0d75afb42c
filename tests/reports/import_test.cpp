#include "db/dbfixture.h"
#include "reports/entryimporter.h"

#include <QBuffer>
#include <QFile>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QStringList kColumns{QStringLiteral("TD"), QStringLiteral("SW"), QStringLiteral("TR"),
                           QStringLiteral("BR"), QStringLiteral("BB"), QStringLiteral("SB"),
                           QStringLiteral("BU"), QStringLiteral("SR"), QStringLiteral("BF"),
                           QStringLiteral("BA"), QStringLiteral("GT")};

// One line of the full layout; yes names the event columns with "Y".
QString entryLine(const QString& name, const QString& town, const QStringList& yes, const QString& bib,
                  const QString& partner = QString(), const QString& role = QString())
{
    // Texts holding a comma are quoted, as the sanctioning bodies write them.
    const auto quoted = [](const QString& t) {
        return t.contains(QLatin1Char(',')) && !t.startsWith(QLatin1Char('"'))
                   ? QLatin1Char('"') + t + QLatin1Char('"')
                   : t;
    };
    QStringList f{quoted(name), quoted(town), QStringLiteral("1200"), QStringLiteral("300"),
                  QStringLiteral("misc")};
    for (const QString& column : kColumns)
        f << (yes.contains(column) ? QStringLiteral("Y") : QStringLiteral("N"));
    f << bib << partner << role;
    return f.join(QLatin1Char(','));
}

class ScriptedNames : public NameResolverPrompt
{
public:
    Answer resolveName(const QString& fullName, const QString& first, const QString& last) override
    {
        asked << fullName + QLatin1Char('|') + first + QLatin1Char('|') + last;
        // The operator moves one word: "Mary" / "Ann Smith".
        const QStringList words = fullName.split(QLatin1Char(' '));
        return {words.first(), words.mid(1).join(QLatin1Char(' ')), applyToLater};
    }
    QStringList asked;
    bool applyToLater = false;
};

class ScriptedResolution : public ResolutionPrompts
{
public:
    std::optional<ContestantChoice> resolveContestant(const ContestantRec&,
                                                      const ContestantRec& existing) override
    {
        ++asked;
        return ContestantChoice{decision, true, existing};
    }
    int sameTeamFound(const TeamRec&, bool& applyToAll) override
    {
        applyToAll = true;
        return 7; // use the existing team
    }
    int decision = Leave;
    int asked = 0;
};

class CancelAt : public ImportProgress
{
public:
    explicit CancelAt(QString stage) : m_stage(std::move(stage)) {}
    void begin(const QString& label, qint64) override { m_current = label; }
    bool advance(qint64) override { return !m_current.startsWith(m_stage); }

private:
    QString m_stage;
    QString m_current;
};

// Season "S1", rodeo "Spring" with TD (one go-round), BR and SB (two) and TR.
class ImportTest : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        insertRodeoEvent(roId, QStringLiteral("TD"), 1);
        insertRodeoEvent(roId, QStringLiteral("BR"), 2);
        insertRodeoEvent(roId, QStringLiteral("SB"), 2);
        insertRodeoEvent(roId, QStringLiteral("TR"), 1);
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        db->setResolutionPrompts(&resolution);
    }

    // Reads again what the test changed in the rows directly.
    void reopen()
    {
        db->CloseRodeo();
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    ImportSummary import(const QStringList& lines, const QStringList& events,
                         ImportProgress* progress = nullptr, const QByteArray& eol = "\n")
    {
        QByteArray bytes;
        for (const QString& l : lines)
            bytes += l.toUtf8() + eol;
        return importBytes(bytes, events, progress);
    }
    ImportSummary importBytes(const QByteArray& bytes, const QStringList& events,
                              ImportProgress* progress = nullptr)
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        EntryImporter importer(*db, prompt, &names);
        return importer.run(buffer, events, progress);
    }

    qint64 rows(const QString& sql, const QVariantList& params = {})
    {
        return scalar(QStringLiteral("SELECT count(*) FROM ") + sql, params);
    }
    ContestantRec contestant(const QString& last)
    {
        for (const ContestantRec& c : db->contestants())
            if (c.lastName == last)
                return c;
        return ContestantRec();
    }

    // Memory says what the rows say.
    void expectWorkingCopyMatchesRows()
    {
        EXPECT_EQ(db->contestants().size(), rows(QStringLiteral("Rosters")));
        EXPECT_EQ(db->teams().size(), rows(QStringLiteral("Teams WHERE RoId = ?"), {roId}));
        int held = 0;
        for (const auto& c : db->playerEntries().competitors())
            for (const auto& e : c.events)
                if (e.teamFlag == RegEntry::OwnEntry)
                    held += int(e.rounds.size());
        for (const auto& c : db->teamEntries().competitors())
            for (const auto& e : c.events)
                held += int(e.rounds.size());
        EXPECT_EQ(held, rows(QStringLiteral("Scores")) + rows(QStringLiteral("Times")));
    }

    const QStringList all{QStringLiteral("Tie Down Roping"), QStringLiteral("Team Roping"),
                          QStringLiteral("Barrel Racing"), QStringLiteral("Saddle Bronc")};
    ScriptedNames names;
    ScriptedResolution resolution;
    int roId = 0;
};

TEST_F(ImportTest, QuotedNameAndTownShortLayoutAndChosenEvents)
{
    const QStringList lines{
        entryLine(QStringLiteral("\"Doe, John\""), QStringLiteral("\"Austin,TX\""), {QStringLiteral("BR")},
                  QStringLiteral("101")),
        // Short layout: no fields 14 to 16, the last three are bib, partner, role.
        QStringLiteral("\"Ray,Cody\",Cody WY,0,0,,N,N,N,N,N,Y,N,N,202,,"),
        // A lower-case y enters nothing.
        entryLine(QStringLiteral("Low Case"), QString(), {}, QStringLiteral("303"))
            .replace(QStringLiteral(",N,N,N,N,N,N,N,N,N,N,N,"), QStringLiteral(",y,N,N,y,N,N,N,N,N,N,N,")),
    };
    const ImportSummary s = import(lines, {QStringLiteral("barrel racing"), QStringLiteral("Saddle Bronc")});
    ASSERT_EQ(s.outcome, ImportSummary::Outcome::Imported) << s.text().toStdString();
    EXPECT_TRUE(s.skipped.isEmpty()) << s.text().toStdString();

    const ContestantRec doe = contestant(QStringLiteral("Doe"));
    EXPECT_EQ(doe.firstName, QStringLiteral("John"));
    EXPECT_EQ(doe.homeTown, QStringLiteral("Austin, TX"));
    EXPECT_EQ(doe.bib, QStringLiteral("101"));
    const ContestantRec ray = contestant(QStringLiteral("Ray"));
    EXPECT_EQ(ray.firstName, QStringLiteral("Cody"));
    EXPECT_EQ(ray.bib, QStringLiteral("202"));

    // Every regular go-round of each chosen event, nothing else.
    EXPECT_EQ(rows(QStringLiteral("Times WHERE EvId = 'BR' AND ptId = ?"), {doe.plrId}), 2);
    EXPECT_EQ(rows(QStringLiteral("Scores WHERE EvId = 'SB' AND ptId = ?"), {ray.plrId}), 2);
    EXPECT_EQ(rows(QStringLiteral("Times WHERE EvId = 'TD'")), 0);
    EXPECT_EQ(rows(QStringLiteral("Scores")) + rows(QStringLiteral("Times")), 4);
    EXPECT_EQ(s.contestants, 3);
    EXPECT_EQ(s.entries, 4);
    expectWorkingCopyMatchesRows();
    // The result history names the import as the source of each new row.
    EXPECT_EQ(rows(QStringLiteral("ResultHistory WHERE HiSource = 'Import' AND HiAction = 'Insert' AND "
                                  "HiOld IS NULL AND HiNew IS NOT NULL")),
              4);
    EXPECT_EQ(rows(QStringLiteral("ResultHistory")), 4);
}

TEST_F(ImportTest, ThreeWordNamesAskTheNameResolverUnlessASplitWasKept)
{
    const QStringList lines{entryLine(QStringLiteral("Mary Ann Smith"), QString(), {}, QStringLiteral("1")),
                            entryLine(QStringLiteral("Jo Ann Baker"), QString(), {}, QStringLiteral("2")),
                            entryLine(QStringLiteral("Jo Ann Van Dyke"), QString(), {}, QStringLiteral("3"))};
    const struct
    {
        bool applyToLater;
        int asked;
        QString bakerFirst;
    } cases[] = {{false, 3, QStringLiteral("Jo")}, {true, 2, QStringLiteral("Jo")}};
    for (const auto& c : cases) {
        names.asked.clear();
        names.applyToLater = c.applyToLater;
        exec(QStringLiteral("DELETE FROM Rosters"));
        reopen();
        import(lines, all);
        EXPECT_EQ(names.asked.size(), c.asked);
        EXPECT_EQ(names.asked.first(), QStringLiteral("Mary Ann Smith|Mary Ann|Smith"));
        EXPECT_EQ(contestant(QStringLiteral("Ann Smith")).firstName, QStringLiteral("Mary"));
        EXPECT_EQ(contestant(QStringLiteral("Ann Baker")).firstName, c.bakerFirst);
        // A name of four words is asked about on its own.
        EXPECT_TRUE(names.asked.last().startsWith(QStringLiteral("Jo Ann Van Dyke|")));
    }
}

TEST_F(ImportTest, TeamRopersArePairedIntoOneEnteredTeam)
{
    const QStringList tr{QStringLiteral("TR")};
    const QStringList lines{
        entryLine(QStringLiteral("Head, Al"), QString(), tr, QStringLiteral("10"), QStringLiteral("11"),
                  QStringLiteral("p")),
        entryLine(QStringLiteral("Heel, Bo"), QString(), tr, QStringLiteral("11"), QStringLiteral("10"),
                  QStringLiteral("S")),
        // Names a partner of a complete team.
        entryLine(QStringLiteral("Late, Cy"), QString(), tr, QStringLiteral("12"), QStringLiteral("10"),
                  QStringLiteral("S")),
        // Names a partner who is not in the file.
        entryLine(QStringLiteral("Lone, Di"), QString(), tr, QStringLiteral("13"), QStringLiteral("99"),
                  QStringLiteral("P")),
        // Two headers naming each other still make a team.
        entryLine(QStringLiteral("Both, Ed"), QString(), tr, QStringLiteral("14"), QStringLiteral("15"),
                  QStringLiteral("P")),
        entryLine(QStringLiteral("Both, Fy"), QString(), tr, QStringLiteral("15"), QStringLiteral("14"),
                  QStringLiteral("P")),
        // A roper naming himself starts a team that the next roper naming
        // him joins, whichever of them comes first.
        entryLine(QStringLiteral("Self, Gus"), QString(), tr, QStringLiteral("16"), QStringLiteral("16"),
                  QStringLiteral("P")),
        entryLine(QStringLiteral("Join, Hal"), QString(), tr, QStringLiteral("17"), QStringLiteral("16"),
                  QStringLiteral("S")),
        entryLine(QStringLiteral("Back, Jo"), QString(), tr, QStringLiteral("19"), QStringLiteral("20"),
                  QStringLiteral("S")),
        entryLine(QStringLiteral("Own, Kai"), QString(), tr, QStringLiteral("20"), QStringLiteral("20"),
                  QStringLiteral("P")),
        // Alone with his own number; a partner who names no partner.
        entryLine(QStringLiteral("Alone, Ike"), QString(), tr, QStringLiteral("18"), QStringLiteral("18"),
                  QStringLiteral("P")),
        entryLine(QStringLiteral("Odd, Lu"), QString(), tr, QStringLiteral("21"), QStringLiteral("22"),
                  QStringLiteral("P")),
        entryLine(QStringLiteral("None, Mo"), QString(), tr, QStringLiteral("22")),
    };
    const ImportSummary s = import(lines, all);
    ASSERT_EQ(s.outcome, ImportSummary::Outcome::Imported);
    EXPECT_EQ(s.teams, 4);
    ASSERT_EQ(db->teams().size(), 4);
    const TeamRec first = db->teams().at(0);
    EXPECT_EQ(first.plrId1, contestant(QStringLiteral("Head")).plrId);
    EXPECT_EQ(first.plrId2, contestant(QStringLiteral("Heel")).plrId);
    EXPECT_EQ(db->teams().at(1).plrId2, contestant(QStringLiteral("Both")).plrId + 1);
    EXPECT_EQ(db->teams().at(2).plrId1, contestant(QStringLiteral("Self")).plrId);
    EXPECT_EQ(db->teams().at(2).plrId2, contestant(QStringLiteral("Join")).plrId);
    EXPECT_EQ(db->teams().at(3).plrId1, contestant(QStringLiteral("Own")).plrId);
    EXPECT_EQ(db->teams().at(3).plrId2, contestant(QStringLiteral("Back")).plrId);
    // Each team entered once, nobody on his own.
    EXPECT_EQ(rows(QStringLiteral("Times WHERE EvId = 'TR'")), 4);
    EXPECT_EQ(rows(QStringLiteral("Times WHERE EvId = 'TR' AND ptId = ?"), {first.tmId}), 1);
    // One line for each roper not entered, with the reason that holds.
    EXPECT_EQ(s.notes,
              (QStringList{QStringLiteral("Line 3: Cy Late: partner 10 is in a complete team already"),
                           QStringLiteral("Line 4: Di Lone: partner 99 was not found"),
                           QStringLiteral("Line 11: Ike Alone: partner 18 is his own number and no "
                                          "other roper names him"),
                           QStringLiteral("Line 12: Lu Odd: partner 22 names no partner"),
                           QStringLiteral("Line 13: Mo None: Team Roping without a partner")}))
        << s.text().toStdString();

    // Without "Team Roping" chosen nobody is paired.
    exec(QStringLiteral("DELETE FROM Teams"));
    exec(QStringLiteral("DELETE FROM Times"));
    reopen();
    resolution.decision = ResolutionPrompts::Leave;
    EXPECT_EQ(import(lines, {QStringLiteral("Barrel Racing")}).teams, 0);
    EXPECT_EQ(rows(QStringLiteral("Teams")), 0);
}

TEST_F(ImportTest, MalformedLinesAreSkippedAndListed)
{
    const QString good =
        entryLine(QStringLiteral("Good, One"), QString(), {QStringLiteral("TD")}, QStringLiteral("1"));
    const QStringList lines{
        good,
        QStringLiteral("\"Open, Quote,town,1,2"),
        QString(good).replace(QStringLiteral("One"), QStringLiteral("Two")) + QStringLiteral(",extra"),
        // An exported file's empty field at the end of every line is read past.
        entryLine(QStringLiteral("Good, Three"), QString(), {QStringLiteral("TD")}, QStringLiteral("3"), {},
                  QStringLiteral("P")) +
            QLatin1Char(','),
        QStringLiteral("too,few"),
        QString(),
        entryLine(QStringLiteral("Good, Four"), QString(), {QStringLiteral("TD")}, QStringLiteral("4")),
        QStringLiteral("\"Town, Comma\",Austin,TX,1200,300,misc,Y,N,N,N,N,N,N,N,N,N,N,8,,"),
        entryLine(QStringLiteral("Good, Five"), QString(), {QStringLiteral("TD")}, QStringLiteral("5")) +
            QStringLiteral(",,"),
    };
    const ImportSummary s = import(lines, all);
    ASSERT_EQ(s.outcome, ImportSummary::Outcome::Imported);
    QStringList skipped;
    for (const auto& k : s.skipped)
        skipped << QStringLiteral("%1 %2").arg(k.line).arg(k.reason);
    EXPECT_EQ(skipped,
              (QStringList{QStringLiteral("2 a quote is not closed"),
                           QStringLiteral("3 more fields than the layout has"),
                           QStringLiteral("5 fewer fields than the layout has"),
                           QStringLiteral("8 the name or the home town holds a comma that is not in quotes"),
                           QStringLiteral("9 the line ends with more empty fields than the layout has")}));
    EXPECT_EQ(s.contestants, 3);
    EXPECT_EQ(s.entries, 3);
    EXPECT_TRUE(s.text().startsWith(QStringLiteral("Imported 3 contestants and 3 entries (0 teams).")));
    EXPECT_TRUE(s.text().contains(QStringLiteral("Line 3: more fields than the layout has")));
}

TEST_F(ImportTest, LongValuesAreCutAndCounted)
{
    const QString longText(500, QLatin1Char('z'));
    const ImportSummary s = import(
        {entryLine(QStringLiteral("Doe, ") + longText, longText, {QStringLiteral("TD")}, longText)}, all);
    ASSERT_EQ(s.outcome, ImportSummary::Outcome::Imported);
    const ContestantRec c = contestant(QStringLiteral("Doe"));
    EXPECT_EQ(c.firstName.size(), Capacity::FirstName);
    EXPECT_EQ(c.homeTown.size(), Capacity::HomeTown);
    EXPECT_EQ(c.bib.size(), Capacity::Bib);
    EXPECT_EQ(s.valuesCut, 3);
    EXPECT_TRUE(s.text().contains(QStringLiteral("3 values were longer than their fields and were cut.")));
}

TEST_F(ImportTest, CancelOrFailureLeavesTheSeasonAsItWas)
{
    insertContestant(QStringLiteral("Old"), QStringLiteral("Timer"));
    reopen();
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << entryLine(QStringLiteral("Last%1, First").arg(i), QString(),
                           {QStringLiteral("TD"), QStringLiteral("SB")}, QString::number(i));
    for (const char* stage : {"Reading", "Adding", "Entering"}) {
        CancelAt cancel(QString::fromLatin1(stage));
        EXPECT_EQ(import(lines, all, &cancel).outcome, ImportSummary::Outcome::Cancelled) << stage;
        EXPECT_EQ(rows(QStringLiteral("Rosters")), 1) << stage;
        EXPECT_EQ(rows(QStringLiteral("Scores")) + rows(QStringLiteral("Times")), 0) << stage;
        expectWorkingCopyMatchesRows();
    }

    // A row that cannot be written fails the whole file.
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Scores WHEN NEW.ptId > 250 "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const ImportSummary failed = import(lines, all);
    EXPECT_EQ(failed.outcome, ImportSummary::Outcome::Failed);
    EXPECT_EQ(failed.entries, 0);
    EXPECT_EQ(rows(QStringLiteral("Rosters")), 1);
    EXPECT_EQ(rows(QStringLiteral("Times")), 0);
    expectWorkingCopyMatchesRows();
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to insert the competition entry.")));
}

TEST_F(ImportTest, ASecondImportKeepsTheEntriesThereAre)
{
    const QStringList lines{
        entryLine(QStringLiteral("Doe, John"), QString(), {QStringLiteral("BR")}, QStringLiteral("1"))};
    import(lines, all);
    exec(QStringLiteral("UPDATE Times SET PerfId = 3, Ord = 2 WHERE GoId = 1"));
    reopen();
    const ImportSummary again = import(lines, all);
    EXPECT_EQ(resolution.asked, 1); // same name: the operator was asked
    EXPECT_EQ(again.alreadyEntered, 2);
    EXPECT_EQ(again.entries, 0);
    EXPECT_EQ(rows(QStringLiteral("Rosters")), 1);
    EXPECT_EQ(rows(QStringLiteral("Times WHERE PerfId = 3 AND Ord = 2")), 1);
}

TEST_F(ImportTest, HostileFilesNeverCrashNorWriteHalfAFile)
{
    const QString valid = entryLine(QStringLiteral("Doe, John"), QStringLiteral("Austin,TX"),
                                    {QStringLiteral("TD")}, QStringLiteral("7"));
    const QString other =
        entryLine(QStringLiteral("Roe, Jane"), QString(), {QStringLiteral("TD")}, QStringLiteral("8"));
    QByteArray tenThousand;
    for (int i = 0; i < 10000; ++i)
        tenThousand += (i % 3 ? QStringLiteral("Row%1, Name,,,,Y,N,N,N,N,N,N,N,N,N,N,%1,,").arg(i)
                              : QStringLiteral("\"broken %1,").arg(i))
                           .toUtf8() +
                       "\r\n";
    const struct
    {
        const char* name;
        QByteArray bytes;
        int contestants;
        int skipped;
    } cases[] = {
        {"empty", QByteArray(), 0, 0},
        {"CR LF and BOM", "\xEF\xBB\xBF" + valid.toUtf8() + "\r\n" + other.toUtf8() + "\r\n", 2, 0},
        {"Windows-1252",
         QByteArray("\"O\x92Ren\xE9"
                    "e, C\xF4t\xE9\",,,,,N,N,N,N,N,N,N,N,N,N,N,1,,\n"),
         1, 0},
        {"unclosed quote", "\"" + valid.toUtf8() + "\n" + valid.toUtf8(), 1, 1},
        {"1 MB line", QByteArray(1024 * 1024, 'q') + "\n" + valid.toUtf8(), 1, 1},
        {"10,000 lines", tenThousand, 6666, 3334},
        // Each repetition is one line (and an empty one); the last NUL one more.
        {"binary", QByteArray("\0\xFF\xFE,\"\r\r\n\0", 10).repeated(500), 0, 501},
    };
    for (const auto& c : cases) {
        exec(QStringLiteral("DELETE FROM Rosters"));
        exec(QStringLiteral("DELETE FROM Times"));
        reopen();
        const ImportSummary s = importBytes(c.bytes, all);
        EXPECT_EQ(s.outcome, ImportSummary::Outcome::Imported) << c.name;
        EXPECT_EQ(s.contestants, c.contestants) << c.name;
        EXPECT_EQ(s.skipped.size(), c.skipped) << c.name;
        EXPECT_EQ(rows(QStringLiteral("Rosters")), c.contestants) << c.name;
        expectWorkingCopyMatchesRows();
        if (QByteArray(c.name) == "Windows-1252") {
            EXPECT_EQ(contestant(QString::fromUtf8("O’Renée")).firstName, QStringLiteral("Côté"));
        }
    }
}

TEST_F(ImportTest, TheOverwriteQuestionLeavesOutRefusedEvents)
{
    insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), 1,
                insertContestant(QStringLiteral("A"), QStringLiteral("B")), 1);
    reopen();
    const QVector<EntryImporter::EventChoice> rowsShown{
        {QStringLiteral("BR"), QStringLiteral("Barrel Racing"), true},
        {QStringLiteral("SB"), QStringLiteral("Saddle Bronc"), true},
        {QStringLiteral("TD"), QStringLiteral("Tie Down Roping"), false}};
    for (int answer : {int(UserPrompt::No), int(UserPrompt::Yes)}) {
        prompt.clear();
        prompt.answers = {answer};
        const QStringList chosen = EntryImporter::chooseEvents(*db, prompt, rowsShown);
        EXPECT_EQ(chosen.contains(QStringLiteral("Barrel Racing")), answer == UserPrompt::Yes);
        EXPECT_TRUE(chosen.contains(QStringLiteral("Saddle Bronc")));
        EXPECT_FALSE(chosen.contains(QStringLiteral("Tie Down Roping")));
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown.first().text,
                  QStringLiteral(
                      "Barrel Racing has cowboys assigned to it for this rodeo.\nContinuing will overwrite "
                      "these cowboys.\nDo you want to continue?"));
        EXPECT_EQ(prompt.shown.first().caption, QStringLiteral("Import Event"));
    }

    EntryImporter importer(*db, prompt);
    const QString missing = root() + QStringLiteral("nowhere/file.dta");
    EXPECT_EQ(importer.run(missing, {}).outcome, ImportSummary::Outcome::CannotOpen);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Couldn't open the import file:\n") + missing);
}

} // namespace
