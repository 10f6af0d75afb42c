#include "seasongenerator.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"

#include <QDir>
#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

// Nobody answers questions while a season is generated.
class SilentPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

const char* const kFirstNames[] = {"Cody",   "Tuf",     "Ty",     "Trevor", "Wade", "Jesse",  "Casey",
                                   "Rusty",  "Shane",   "Clint",  "Kaycee", "Lisa", "Sherry", "Hailey",
                                   "Jordan", "Stetson", "Tanner", "Brody",  "Colt", "Dusty",  "Jake",
                                   "Logan",  "Riley",   "Sage",   "Tate"};
const char* const kLastNames[] = {"Wright",   "Cooper",  "Murray",   "Brazile",   "Mote",   "Ferguson",
                                  "Lambert",  "Hess",    "Sorensen", "Pettigrew", "Feist",  "Cervi",
                                  "Harrison", "Etbauer", "Lockhart", "Taillon",   "Rhodes", "Branquinho",
                                  "Craig",    "Lawson",  "Nelson",   "Sweeney",   "Tryan",  "Smith",
                                  "Johnson",  "Brown",   "Miller",   "Davis",     "Garcia", "Wilson"};
const char* const kTowns[] = {"Cheyenne, WY",   "Pendleton, OR", "Stephenville, TX", "Salinas, CA",
                              "Ellensburg, WA", "Prescott, AZ",  "Calgary, AB",      "Ogden, UT",
                              "Dodge City, KS", "Greeley, CO",   "Fort Worth, TX",   "Reno, NV"};

template <size_t N> QString pick(const char* const (&list)[N], std::mt19937& rng)
{
    return QString::fromLatin1(list[rng() % N]);
}

int between(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

} // namespace

SeasonGenerator::SeasonGenerator(const QString& dataFolder, const QString& templateDatabase)
    : m_dataFolder(dataFolder), m_templateDatabase(templateDatabase)
{
    if (!m_dataFolder.endsWith(QLatin1Char('/')))
        m_dataFolder += QLatin1Char('/');
}

bool SeasonGenerator::fail(const QString& text)
{
    m_error = text;
    return false;
}

bool SeasonGenerator::generate(const QString& season, const Options& o, Result& out)
{
    m_error.clear();
    out = Result();
    out.season = season;
    out.rodeo = QStringLiteral("Big Rodeo");

    if (o.rodeos <= 0 || o.contestants <= 0)
        return fail(QStringLiteral("At least one rodeo and one contestant are needed."));

    if (!QDir().mkpath(m_dataFolder))
        return fail(QStringLiteral("The data folder %1 could not be created.").arg(m_dataFolder));
    SilentPrompt prompt;
    QString databasePath;
    {
        CDatabaseManager db(m_dataFolder, m_templateDatabase, prompt);
        if (!db.CreateSeason(season, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")))
            return fail(
                QStringLiteral("The season %1 could not be created in %2.").arg(season, m_dataFolder));
        databasePath = db.DatabasePath(season);
    }

    SqlConnection conn;
    if (!conn.open(databasePath))
        return fail(conn.lastError());
    std::mt19937 rng(o.seed);
    const auto exec = [&](const QString& sql, const QVariantList& params = {}) {
        if (!conn.execute(sql, params)) {
            m_error = conn.lastError() + QStringLiteral(" in ") + conn.lastStatement();
            return false;
        }
        return true;
    };
    // One transaction and no syncing: the file is scratch until it is done.
    if (!exec(QStringLiteral("PRAGMA synchronous=OFF")) || !exec(QStringLiteral("BEGIN")))
        return false;

    for (int i = 1; i <= o.contractors; ++i)
        if (!exec(QStringLiteral("INSERT INTO Contractors (CoName) VALUES (?)"),
                  {QStringLiteral("Contractor %1").arg(i)}))
            return false;
    for (int i = 1; i <= o.animals; ++i) {
        if (!exec(QStringLiteral("INSERT INTO Stocks (CoId, StBib, StName, StHomeTown, StWeight, StAge) "
                                 "VALUES (?, ?, ?, ?, ?, ?)"),
                  {between(rng, 0, o.contractors), QString::number(between(rng, 1, 999)),
                   QStringLiteral("%1 %2").arg(pick(kLastNames, rng)).arg(i), pick(kTowns, rng),
                   between(rng, 900, 2000), between(rng, 3, 15)}))
            return false;
    }
    for (int i = 1; i <= o.contestants; ++i) {
        if (!exec(QStringLiteral("INSERT INTO Rosters (AfId, PlrBib, PlrFirstName, PlrLastName, PlrYear, "
                                 "PlrHomeTown, PlrEarnLast, PlrEarnCur, PlrMisc, LeagueId) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  {between(rng, 0, 5), QString::number(between(rng, 1, 9999)), pick(kFirstNames, rng),
                   pick(kLastNames, rng), QString::number(between(rng, 1990, 2008)), pick(kTowns, rng),
                   QStringLiteral("$%L1").arg(between(rng, 0, 250000)),
                   QStringLiteral("$%L1").arg(between(rng, 0, 250000)),
                   QStringLiteral("Card %1").arg(between(rng, 1, 99999)), between(rng, 0, 3)}))
            return false;
    }

    // The event catalogue: the template's standard events, then custom ones
    // alternating between scored and timed.
    struct Event
    {
        QString id;
        bool scored;
        bool team;
    };
    std::vector<Event> events;
    {
        auto rs = conn.query(QStringLiteral("SELECT EvId, EvType FROM Events ORDER BY EvId"));
        if (!rs)
            return fail(conn.lastError());
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const QString type = rs->toText(QStringLiteral("EvType"));
            events.push_back({rs->toText(QStringLiteral("EvId")), type.startsWith(QLatin1Char('S')),
                              type.size() == 2 && type.at(1) == QLatin1Char('T')});
        }
    }
    const std::vector<Event> standard = events;
    for (int n = 1; int(events.size()) < o.events; ++n) {
        const bool scored = n % 2 == 1;
        const Event e{QStringLiteral("C%1").arg(n), scored, false};
        if (!exec(QStringLiteral("INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) "
                                 "VALUES (?, ?, 'C', ?, 0)"),
                  {e.id, QStringLiteral("Custom %1").arg(n),
                   scored ? QStringLiteral("SI") : QStringLiteral("TI")}))
            return false;
        events.push_back(e);
    }
    events.resize(std::min<size_t>(events.size(), size_t(std::max(o.events, 0))));

    const auto addRodeoEvent = [&](int roId, const Event& e, int goRounds) {
        return exec(
            QStringLiteral("INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, RePrecision, "
                           "ReFraction) VALUES (?, ?, ?, 20, ?, ?, ?)"),
            {roId, e.id, goRounds, e.scored ? QVariant(QStringLiteral("C2")) : QVariant(),
             e.id == QLatin1String("BR") ? 2 : 1, e.scored ? QVariant(QStringLiteral("F")) : QVariant()});
    };
    for (int r = 0; r < o.rodeos; ++r) {
        const QString name =
            r == 0 ? out.rodeo : QStringLiteral("Rodeo %1").arg(r + 1, 2, 10, QLatin1Char('0'));
        if (!exec(QStringLiteral(
                      "INSERT INTO Rodeos (RoName, RoDate, RoProfile, RoDispName1, RoDispDates, RoDispLoc) "
                      "VALUES (?, ?, 'ProfileDefault', ?, ?, ?)"),
                  {name, QStringLiteral("7/%1/2026").arg(r + 1), name.toUpper(),
                   QStringLiteral("JULY %1").arg(r + 1), pick(kTowns, rng)}))
            return false;
        const int roId = int(conn.lastInsertRowId());
        if (r == 0) {
            out.rodeoId = roId;
            for (const Event& e : events)
                if (!addRodeoEvent(roId, e, o.goRounds))
                    return false;
        } else {
            for (const Event& e : standard)
                if (!addRodeoEvent(roId, e, 1))
                    return false;
        }
    }
    // The big rodeo's teams: two contestants each.
    std::vector<quint32> everyone(size_t(std::max(o.contestants, 0)));
    std::iota(everyone.begin(), everyone.end(), 1u);
    const int entries = std::min(o.entriesPerGoRound, o.contestants);
    for (int t = 1; t <= entries; ++t) {
        const quint32 a = quint32(between(rng, 1, o.contestants));
        quint32 b = quint32(between(rng, 1, o.contestants));
        if (b == a)
            b = a % quint32(o.contestants) + 1;
        if (!exec(QStringLiteral("INSERT INTO Teams (TmId, RoId, TmName, PlrId1, PlrId2, PlrId3) "
                                 "VALUES (?, ?, ?, ?, ?, 0)"),
                  {t, out.rodeoId, QStringLiteral("Team %1").arg(t), a, b}))
            return false;
    }

    const int performanceSize = std::max(o.performanceSize, 1);
    for (const Event& e : events) {
        out.eventIds << e.id;
        if (e.team && out.teamEvent.isEmpty())
            out.teamEvent = e.id;
        else if (!e.team && e.scored && out.scoredEvent.isEmpty())
            out.scoredEvent = e.id;
        else if (!e.team && !e.scored && out.timedEvent.isEmpty())
            out.timedEvent = e.id;

        std::vector<quint32> competitors;
        if (e.team) {
            for (int t = 1; t <= entries; ++t)
                competitors.push_back(quint32(t));
        } else {
            // A different draw of contestants per event.
            for (int i = 0; i < entries; ++i) {
                std::swap(everyone[size_t(i)], everyone[size_t(between(rng, i, o.contestants - 1))]);
                competitors.push_back(everyone[size_t(i)]);
            }
        }
        const QString insert =
            e.scored ? QStringLiteral(
                           "INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord, StId, JTot, "
                           "JR1, JR2, JS1, JS2, RideTime, Status, Suc) "
                           "VALUES (?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                     : QStringLiteral(
                           "INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord, StId, "
                           "RideTime, PenTime, Status, Suc) VALUES (?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?)");
        for (int go = 1; go <= o.goRounds; ++go) {
            std::shuffle(competitors.begin(), competitors.end(), rng);
            for (int i = 0; i < int(competitors.size()); ++i) {
                const int perf = i / performanceSize + 1;
                const int ord = i % performanceSize + 1;
                const bool run = go < o.goRounds || i < int(competitors.size()) / 2;
                const bool noResult = run && between(rng, 1, 20) == 1; // a "no score" / "no time"
                QVariantList values{out.rodeoId, e.id, go, competitors[size_t(i)], perf, ord};
                if (e.scored) {
                    int marks[4] = {0, 0, 0, 0};
                    if (run && !noResult)
                        for (int& m : marks)
                            m = between(rng, 15, 23) * 100 + (between(rng, 0, 1) * 50);
                    const int total = marks[0] + marks[1] + marks[2] + marks[3];
                    values << between(rng, 1, o.animals) << total << marks[0] << marks[1] << marks[2]
                           << marks[3] << (run && !noResult ? 8000 : 0)
                           << QString(noResult ? QStringLiteral("N") : QString()) << (total > 0 ? 1 : 0);
                } else {
                    const int time = run && !noResult ? between(rng, 3500, 20000) : 0;
                    const int penalty = time > 0 && between(rng, 1, 10) == 1 ? 5000 : 0;
                    values << 0 << time << penalty
                           << QString(noResult  ? QStringLiteral("N")
                                      : penalty ? QStringLiteral("P")
                                                : QString())
                           << 0;
                }
                if (!exec(insert, values))
                    return false;
                ++out.entryRows;
            }
        }
    }

    if (!exec(QStringLiteral("COMMIT")))
        return false;
    conn.close();
    return true;
}
