#include "reports/reportbuilder.h"
#include "reports/reporttemplates.h"
#include "reportsfixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

using namespace ReportKey;

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// The cells of each data row of a page (header and title rows left out).
QList<QStringList> dataRows(const QString& html)
{
    QList<QStringList> rows;
    static const QRegularExpression row(QStringLiteral("<tr align=\"center\"[^>]*>(.*?)</tr>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
    for (auto r = row.globalMatch(html); r.hasNext();) {
        const QString inner = r.next().captured(1);
        if (inner.contains(QLatin1String("colspan")))
            continue; // a title row
        QStringList cells;
        for (auto c = cell.globalMatch(inner); c.hasNext();)
            cells << c.next().captured(1);
        rows << cells;
    }
    return rows;
}

class ReportsTest : public ReportsFixture
{
protected:
    void SetUp() override
    {
        ReportsFixture::SetUp();
        html = root() + QStringLiteral("Html/");
        ASSERT_TRUE(templates.load());
        templates.setPath(QStringLiteral("file:///reports/"));
        builder = std::make_unique<ReportBuilder>(
            *db, templates, [this](const RegEntry& e) { return db->SetCurEntry(e); }, html);
        ASSERT_TRUE(builder->refresh());
    }

    quint32 key(quint32 level, const QString& event = QString(), int go = 0, int perf = 0)
    {
        return make(level, event.isEmpty() ? 0 : eventIndex(event), go, perf);
    }
    QString page(const QString& name) { return readText(html + name); }

    QString html;
    ReportTemplates templates;
    std::unique_ptr<ReportBuilder> builder;
};

TEST_F(ReportsTest, TheTreeShowsGoRoundsTheBuiltFinalAndPerformances)
{
    const ReportNode tree = builder->tree();
    EXPECT_EQ(tree.label, QStringLiteral("Spring"));
    EXPECT_EQ(tree.key, make(Rodeo, 0, 0, 0));
    QStringList events;
    for (const ReportNode& e : tree.children)
        events << e.label;
    EXPECT_EQ(events, (QStringList{QStringLiteral("Barrel Racing"), QStringLiteral("Saddle Bronc"),
                                   QStringLiteral("Team Roping")}));

    const ReportNode& sb = tree.children.at(eventIndex(QStringLiteral("SB")));
    EXPECT_EQ(sb.key, make(Event, 1, 4, 0)); // the event carries the final's go number
    QStringList gos;
    for (const ReportNode& g : sb.children)
        gos << g.label + QLatin1Char('/') + QString::number(g.children.size());
    // Go-round 1 has two performances, 2 and 3 none; the final holds entries.
    EXPECT_EQ(gos, (QStringList{QStringLiteral("Go Round 1/2"), QStringLiteral("Go Round 2/0"),
                                QStringLiteral("Go Round 3/0"), QStringLiteral("Final/1")}));
    EXPECT_EQ(sb.children.at(0).children.at(1).label, QStringLiteral("Performance 2"));
    EXPECT_EQ(sb.children.at(0).children.at(1).key, make(Performance, 1, 1, 2));
    EXPECT_EQ(sb.children.at(3).key, make(GoRound, 1, 4, 0));

    // Without entries in its final, an event has no "Final" node.
    const ReportNode& br = tree.children.at(eventIndex(QStringLiteral("BR")));
    EXPECT_EQ(br.children.size(), 2);
}

TEST_F(ReportsTest, EachLevelWritesItsPagesInOrder)
{
    const QStringList rodeo{QStringLiteral("Index.html"), QStringLiteral("RegRodeo.html")};
    const QStringList event =
        rodeo + QStringList{QStringLiteral("RegEvent.html"), QStringLiteral("StandingAvg.html")};
    const QStringList go{QStringLiteral("Index.html"), QStringLiteral("RegRodeo.html"),
                         QStringLiteral("RegEvent.html"), QStringLiteral("StandingGo.html"),
                         QStringLiteral("StandingAvg.html")};
    const QStringList perf{QStringLiteral("Index.html"),      QStringLiteral("RegRodeo.html"),
                           QStringLiteral("RegEvent.html"),   QStringLiteral("RegPerf.html"),
                           QStringLiteral("StandingGo.html"), QStringLiteral("StandingPerf.html"),
                           QStringLiteral("StandingAvg.html")};
    const struct
    {
        quint32 key;
        QStringList pages;
        QStringList links;
    } cases[] = {
        {key(Rodeo), rodeo, {QStringLiteral("Rodeo Registration List")}},
        {key(Event, QStringLiteral("SB"), 4),
         event,
         {QStringLiteral("Rodeo Registration List"), QStringLiteral("Event Registration List"),
          QStringLiteral("Average Standing")}},
        {key(GoRound, QStringLiteral("SB"), 2),
         go,
         {QStringLiteral("Rodeo Registration List"), QStringLiteral("Event Registration List"),
          QStringLiteral("Average Standing"), QStringLiteral("Go Round Standing")}},
        {key(Performance, QStringLiteral("SB"), 1, 1),
         perf,
         {QStringLiteral("Rodeo Registration List"), QStringLiteral("Event Registration List"),
          QStringLiteral("Performance Registration List"), QStringLiteral("Average Standing"),
          QStringLiteral("Go Round Standing"), QStringLiteral("Performance Standing")}},
    };
    for (const auto& c : cases) {
        QDir(html).removeRecursively();
        EXPECT_EQ(builder->select(c.key), c.pages) << c.key;
        EXPECT_EQ(QDir(html).entryList(QDir::Files, QDir::Name).size(), c.pages.size()) << c.key;
        QStringList links;
        static const QRegularExpression link(
            QStringLiteral("<a href=\"file:///reports/(\\w+)\\.html\">([^<]*)</a>"));
        for (auto m = link.globalMatch(page(QStringLiteral("Index.html"))); m.hasNext();)
            links << m.next().captured(2);
        EXPECT_EQ(links, c.links) << c.key;
    }
}

TEST_F(ReportsTest, TheFinalIsSelectedAsFinals)
{
    builder->select(key(GoRound, QStringLiteral("SB"), 4));
    const XmlNode root = builder->database().root();
    EXPECT_EQ(root.attribute(QStringLiteral("level")), QStringLiteral("4"));
    EXPECT_EQ(root.attribute(QStringLiteral("curEvn")), QStringLiteral("SB"));
    EXPECT_EQ(root.attribute(QStringLiteral("curGo")), QStringLiteral("FINALS"));
    EXPECT_EQ(root.attribute(QStringLiteral("curPerf")), QString());
    // The final's standing lists its two entries, the higher score first.
    const QList<QStringList> rows = dataRows(page(QStringLiteral("StandingGo.html")));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).at(1), QStringLiteral("Smith, Ann"));
    EXPECT_EQ(rows.at(0).at(5), QStringLiteral("84.5"));

    // An event marked in whole points shows whole points, cut as the lists,
    // the entry bar and the scoreboards cut them.
    exec(QStringLiteral("UPDATE RodeoEvents SET ReFraction = 'F' WHERE EvId = 'SB'"));
    db->CloseRodeo();
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    ASSERT_TRUE(builder->refresh());
    builder->select(key(GoRound, QStringLiteral("SB"), 4));
    EXPECT_EQ(dataRows(page(QStringLiteral("StandingGo.html"))).at(0).at(5), QStringLiteral("84"));
}

// The checked timed page is in thousandths; the other precisions cut, never round.
TEST_F(ReportsTest, TimesAreCutToTheEventsPrecision)
{
    const struct
    {
        int precision;
        const char* cells; // the go-round's cell and the total of both rows
    } cases[] = {
        {1, "17.3 17.3/1 1:5.2 1:5.2/1"},
        {2, "17.34 17.34/1 1:5.20 1:5.20/1"},
        {7, "17.3 17.3/1 1:5.2 1:5.2/1"},
    };
    for (const auto& c : cases) {
        exec(QStringLiteral("UPDATE RodeoEvents SET RePrecision = %1 WHERE EvId = 'BR'").arg(c.precision));
        ASSERT_TRUE(builder->refresh());
        builder->select(key(GoRound, QStringLiteral("BR"), 1));
        const QList<QStringList> rows = dataRows(page(QStringLiteral("StandingGo.html")));
        ASSERT_EQ(rows.size(), 2) << c.precision;
        const QStringList cells{rows[0][2], rows[0][5], rows[1][2], rows[1][5]};
        EXPECT_EQ(cells.join(u' ').toStdString(), c.cells) << c.precision;
    }
}

// A team whose roster row or whose member is gone from the season still
// stands with its time; the parts that cannot be found are empty.
TEST_F(ReportsTest, ATeamWithAPartMissingStillStands)
{
    const struct
    {
        const char* removal;
        const char* competitor;
    } cases[] = {
        {"DELETE FROM Rosters WHERE PlrId = 6", "14 Lee,  "},
        {"DELETE FROM Teams WHERE TmId = 1", " ,  "},
    };
    for (const auto& c : cases) {
        exec(QString::fromLatin1(c.removal));
        ASSERT_TRUE(builder->refresh());
        builder->select(key(GoRound, QStringLiteral("TR"), 1));
        const QList<QStringList> rows = dataRows(page(QStringLiteral("StandingGo.html")));
        ASSERT_EQ(rows.size(), 1) << c.removal;
        EXPECT_EQ(rows[0].mid(1).join(u'|').toStdString(), std::string(c.competitor) + "|8.5||8.5/1")
            << c.removal;
    }
}

TEST_F(ReportsTest, StatisticsAreAddedOncePerEvent)
{
    builder->select(key(GoRound, QStringLiteral("SB"), 1));
    builder->select(key(Performance, QStringLiteral("SB"), 1, 2));
    const auto totals =
        builder->database().selectNodes(QStringLiteral("//Event[@id = 'SB']/data[@go = 'TOTAL']"));
    EXPECT_EQ(totals.size(), 1);
    // Positions of the go-round standing are in the rows.
    EXPECT_EQ(
        builder->database()
            .selectSingleNode(QStringLiteral("//Event[@id = 'SB']/data[@go = '1']/row[@ptId = '2']/@pos"))
            .text(),
        QStringLiteral("2"));
}

// Pages compared with what a person checked once (tests/reports/data).
// TALLYRA_UPDATE_GOLDEN=1 writes them instead.
TEST_F(ReportsTest, PagesMatchTheCheckedOnes)
{
    const struct
    {
        quint32 key;
        const char* page;
        const char* golden;
    } cases[] = {
        {key(Rodeo), "Index.html", "index-rodeo.html"},
        {key(Rodeo), "RegRodeo.html", "regrodeo.html"},
        {key(Event, QStringLiteral("SB"), 4), "StandingAvg.html", "standingavg-scored.html"},
        {key(GoRound, QStringLiteral("BR"), 1), "StandingGo.html", "standinggo-timed.html"},
        {key(Event, QStringLiteral("TR"), 2), "RegEvent.html", "regevent-team.html"},
        {key(Event, QStringLiteral("TR"), 2), "StandingAvg.html", "standingavg-team.html"},
        {key(Performance, QStringLiteral("SB"), 1, 1), "RegPerf.html", "regperf.html"},
        {key(Performance, QStringLiteral("SB"), 1, 1), "StandingPerf.html", "standingperf.html"},
    };
    const bool update = qEnvironmentVariableIntValue("TALLYRA_UPDATE_GOLDEN") == 1;
    for (const auto& c : cases) {
        builder->select(c.key);
        const QString written = page(QString::fromLatin1(c.page));
        const QString golden = QStringLiteral(TALLYRA_TEST_DATA_DIR "/") + QString::fromLatin1(c.golden);
        if (update) {
            ASSERT_TRUE(ReportBuilder::writePage(golden, written));
            continue;
        }
        EXPECT_EQ(written, readText(golden)) << c.golden;
    }
}

TEST_F(ReportsTest, TwoJudgesKeepThePointsAndGoRoundsTakeTheirOrdinals)
{
    exec(QStringLiteral("UPDATE RodeoEvents SET ReJudges = 'C2', ReGos = 23 WHERE EvId = 'SB'"));
    db->CloseRodeo();
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    ASSERT_TRUE(builder->refresh());
    builder->select(key(Event, QStringLiteral("SB"), 24));
    const QString html = page(QStringLiteral("StandingAvg.html"));
    static const QRegularExpression header(QStringLiteral("<b>(\\d+\\w\\w GO)</b>"));
    QStringList labels;
    for (auto m = header.globalMatch(html); m.hasNext();)
        labels << m.next().captured(1);
    ASSERT_EQ(labels.size(), 23);
    EXPECT_EQ(labels.mid(0, 4), (QStringList{QStringLiteral("1ST GO"), QStringLiteral("2ND GO"),
                                             QStringLiteral("3RD GO"), QStringLiteral("4TH GO")}));
    EXPECT_EQ(labels.mid(10, 3),
              (QStringList{QStringLiteral("11TH GO"), QStringLiteral("12TH GO"), QStringLiteral("13TH GO")}));
    EXPECT_EQ(labels.mid(20, 3),
              (QStringList{QStringLiteral("21ST GO"), QStringLiteral("22ND GO"), QStringLiteral("23RD GO")}));
    // Go-round 4 is now a regular one: 169 in it, 171.01 in the first.
    const QList<QStringList> rows = dataRows(html);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.at(0).at(2), QStringLiteral("171.01"));
    EXPECT_EQ(rows.at(0).at(5), QStringLiteral("169"));
}

TEST_F(ReportsTest, PagesAreUtf8WithTheirCharsetAndReplaceWhole)
{
    QDir().mkpath(html);
    // An older page of a different length is replaced, and nothing else stays behind.
    ASSERT_TRUE(
        ReportBuilder::writePage(html + QStringLiteral("RegRodeo.html"), QString(100000, QLatin1Char('x'))));
    builder->select(key(Rodeo));
    QFile f(html + QStringLiteral("RegRodeo.html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("\xFF\xFE"));
    EXPECT_TRUE(bytes.contains("charset=UTF-8"));
    EXPECT_TRUE(bytes.contains("C\xC3\xB4t\xC3\xA9, Ren\xC3\xA9"
                               "e")); // Côté, Renée
    EXPECT_FALSE(bytes.contains("xxxxxxxx"));
    EXPECT_EQ(QDir(html).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// The rodeo's registration list is the same for every node: made once per
// report document, and again after a refresh or when its file was removed or
// replaced meanwhile.
TEST_F(ReportsTest, TheRodeoRegistrationListIsMadeOncePerReportDocument)
{
    const QString list = html + QStringLiteral("RegRodeo.html");
    const auto inode = [&list] {
        struct stat st = {};
        return ::stat(QFile::encodeName(list).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    ASSERT_EQ(builder->select(key(Rodeo)).size(), 2);
    const ino_t made = inode();
    EXPECT_TRUE(builder->select(key(Performance, QStringLiteral("SB"), 1, 1))
                    .contains(QStringLiteral("RegRodeo.html")));
    EXPECT_EQ(inode(), made);

    exec(QStringLiteral("UPDATE Rosters SET PlrLastName = 'Renamed' WHERE PlrId = 6"));
    ASSERT_TRUE(builder->refresh());
    builder->select(key(Event, QStringLiteral("SB"), 4));
    EXPECT_TRUE(page(QStringLiteral("RegRodeo.html")).contains(QStringLiteral("Renamed, ")));

    ASSERT_TRUE(QFile::remove(list));
    builder->select(key(Rodeo));
    EXPECT_TRUE(page(QStringLiteral("RegRodeo.html")).contains(QStringLiteral("Renamed, ")));
    ASSERT_TRUE(ReportBuilder::writePage(list, QStringLiteral("another page")));
    EXPECT_TRUE(builder->select(key(Rodeo)).contains(QStringLiteral("RegRodeo.html")));
    EXPECT_TRUE(page(QStringLiteral("RegRodeo.html")).contains(QStringLiteral("Renamed, ")));
}

TEST_F(ReportsTest, AFolderThatCannotBeMadeWritesNothingAndSaysWhy)
{
    QFile blocker(root() + QStringLiteral("Blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    ReportBuilder blocked(*db, templates, {}, root() + QStringLiteral("Blocked/Html/"));
    ASSERT_TRUE(blocked.refresh());
    EXPECT_TRUE(blocked.select(key(Rodeo)).isEmpty());
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to create the report folder.")));
}

TEST_F(ReportsTest, WithoutStandingsTheStandingPagesHaveNoRows)
{
    ReportBuilder refused(
        *db, templates, [](const RegEntry&) { return false; }, html);
    ASSERT_TRUE(refused.refresh());
    EXPECT_EQ(refused.select(key(Event, QStringLiteral("SB"), 4)).size(), 4);
    EXPECT_TRUE(dataRows(page(QStringLiteral("StandingAvg.html"))).isEmpty());
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to select the competition.")));

    // A go-round's standing still lists its rows with their own results, as
    // many cells as the header has, however often it is tried again.
    refused.select(key(GoRound, QStringLiteral("SB"), 1));
    refused.select(key(GoRound, QStringLiteral("SB"), 1));
    const QString go = page(QStringLiteral("StandingGo.html"));
    const QList<QStringList> rows = dataRows(go);
    ASSERT_FALSE(rows.isEmpty());
    for (const QStringList& row : rows)
        EXPECT_EQ(row.size(), go.count(QLatin1String("<font color")));
    EXPECT_EQ(rows.at(0).at(2), QStringLiteral("85.51"));
}

} // namespace
