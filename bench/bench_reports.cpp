// The reports module: importing a 5,000-line entry file into an empty season,
// and writing the seven report pages of a performance of a 500-entry event
// (the event's standings added on the way, as on its first selection); each
// beside raw SQLite doing the same inserts, or reading the event's rows and
// writing them as text.
#include "app/userprompt.h"
#include "benchmain.h"
#include "benchsmoke.h"
#include "db/databasemanager.h"
#include "rawsql.h"
#include "reports/entryimporter.h"
#include "reports/reportbuilder.h"
#include "reports/reporttemplates.h"
#include "seasongenerator.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

class SilentPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// 5,000 contestants with distinct names, each in two or three events; every
// fourth pair of lines is a team of ropers naming each other.
QByteArray entryFile(int lines)
{
    QByteArray out;
    const char* flags[] = {"Y,N,N,Y,N,N,N,N,N,N,N", "N,Y,N,N,Y,N,N,N,N,N,N", "N,N,Y,N,N,N,Y,N,N,N,N",
                           "N,N,Y,N,N,Y,N,N,N,N,Y"};
    for (int i = 0; i < lines; ++i) {
        const int kind = i % 4;
        const int partner = kind >= 2 ? (kind == 2 ? i + 1 : i - 1) + 1000 : 0;
        out += QStringLiteral("\"Last%1, First%1\",\"Town%2,ST\",%3,%4,,%5,%6,%7,%8\r\n")
                   .arg(i)
                   .arg(i % 97)
                   .arg(i * 13 % 50000)
                   .arg(i * 7 % 20000)
                   .arg(QString::fromLatin1(flags[kind]))
                   .arg(i + 1000)
                   .arg(partner == 0 ? QString() : QString::number(partner))
                   .arg(kind == 2   ? QStringLiteral("P")
                        : kind == 3 ? QStringLiteral("S")
                                    : QString())
                   .toUtf8();
    }
    return out;
}

void BM_ImportEntryFile(benchmark::State& state)
{
    const QByteArray file = entryFile(int(state.range(0)));
    int round = 0;
    ImportSummary summary;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(data);
        SilentPrompt prompt;
        CDatabaseManager db(data, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
        const QString season = QStringLiteral("Import %1").arg(++round);
        if (!db.CreateSeason(season, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")) ||
            !db.CreateRodeo(season, QStringLiteral("Rodeo"), QStringLiteral("1/1/2026"),
                            QStringLiteral("ProfileDefault")) ||
            !db.OpenRodeo(season, QStringLiteral("Rodeo"))) {
            state.SkipWithError("cannot make the season");
            return;
        }
        QStringList events;
        for (const EventCfg& e : db.events())
            events << e.name;
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        EntryImporter importer(db, prompt);
        state.ResumeTiming();

        summary = importer.run(buffer, events);

        state.PauseTiming();
        if (summary.outcome != ImportSummary::Outcome::Imported)
            state.SkipWithError("the import failed");
        state.ResumeTiming();
    }
    state.counters["contestants"] = summary.contestants;
    state.counters["entries"] = summary.entries;
    state.counters["teams"] = summary.teams;
}
BENCHMARK(BM_ImportEntryFile)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(5));

// The rows an import added to each table of a season, with an empty copy of
// the season taken before it.
class ImportedRows
{
public:
    struct Table
    {
        QString name;
        int columns = 0;
        std::vector<sqlite3_value*> values; // row after row
    };

    ~ImportedRows()
    {
        for (Table& t : tables)
            for (sqlite3_value* v : t.values)
                sqlite3_value_free(v);
    }

    // Imports file into a new season under folder; empty is where the season
    // is copied before the import.
    bool make(const QString& folder, const QByteArray& file, const QString& empty)
    {
        const QString data = folder + QStringLiteral("/data/");
        QDir().mkpath(data);
        SilentPrompt prompt;
        CDatabaseManager db(data, QStringLiteral(TALLYRA_TEMPLATE_DB), prompt);
        const QString season = QStringLiteral("Raw");
        if (!db.CreateSeason(season, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")) ||
            !db.CreateRodeo(season, QStringLiteral("Rodeo"), QStringLiteral("1/1/2026"),
                            QStringLiteral("ProfileDefault")) ||
            !db.OpenRodeo(season, QStringLiteral("Rodeo")))
            return false;
        rawsql::Connection raw;
        if (!raw.open(data + season + QLatin1Char('/') + season + QStringLiteral(".mdb")) ||
            !raw.execute(QStringLiteral("VACUUM INTO '%1'").arg(empty).toUtf8().constData()))
            return false;
        // Where each table's rows end before the import.
        QByteArray names;
        if (!raw.prepare({QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                                         "LIKE 'sqlite_%'")}) ||
            raw.runPrepared(&names) < 0)
            return false;
        QList<QPair<QString, qint64>> ends;
        for (const QByteArray& name : names.trimmed().split('\n')) {
            QByteArray end;
            if (!raw.prepare({QStringLiteral("SELECT coalesce(max(rowid), 0) FROM \"%1\"")
                                  .arg(QString::fromUtf8(name))}) ||
                raw.runPrepared(&end) != 1)
                return false;
            ends.append({QString::fromUtf8(name), end.trimmed().toLongLong()});
        }

        QStringList events;
        for (const EventCfg& e : db.events())
            events << e.name;
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        EntryImporter importer(db, prompt);
        if (importer.run(buffer, events).outcome != ImportSummary::Outcome::Imported)
            return false;

        for (const auto& [name, end] : ends) {
            sqlite3_stmt* stmt = nullptr;
            const QByteArray sql =
                QStringLiteral("SELECT * FROM \"%1\" WHERE rowid > %2").arg(name).arg(end).toUtf8();
            if (sqlite3_prepare_v2(raw.handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
                return false;
            Table table{name, sqlite3_column_count(stmt), {}};
            while (sqlite3_step(stmt) == SQLITE_ROW)
                for (int c = 0; c < table.columns; ++c)
                    table.values.push_back(sqlite3_value_dup(sqlite3_column_value(stmt, c)));
            sqlite3_finalize(stmt);
            if (!table.values.empty())
                tables.push_back(std::move(table));
        }
        return true;
    }

    // Inserts the rows into the database at path in one transaction, one
    // prepared statement a table; the rows inserted, or -1.
    qint64 insertInto(const QString& path) const
    {
        rawsql::Connection raw;
        if (!raw.open(path) || !raw.execute("PRAGMA journal_mode=WAL") ||
            !raw.execute("PRAGMA synchronous=FULL") || !raw.execute("BEGIN"))
            return -1;
        qint64 rows = 0;
        for (const Table& t : tables) {
            QStringList marks;
            for (int c = 0; c < t.columns; ++c)
                marks << QStringLiteral("?");
            const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" VALUES (%2)")
                                       .arg(t.name, marks.join(QLatin1Char(',')))
                                       .toUtf8();
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(raw.handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
                return -1;
            for (size_t at = 0; at < t.values.size(); at += size_t(t.columns)) {
                for (int c = 0; c < t.columns; ++c)
                    sqlite3_bind_value(stmt, c + 1, t.values[at + size_t(c)]);
                const int rc = sqlite3_step(stmt);
                sqlite3_reset(stmt);
                if (rc != SQLITE_DONE) {
                    sqlite3_finalize(stmt);
                    return -1;
                }
                ++rows;
            }
            sqlite3_finalize(stmt);
        }
        return raw.execute("COMMIT") ? rows : -1;
    }

    std::vector<Table> tables;
};

// The baseline of the import: the rows the same import added, inserted into
// the same empty season in one transaction with prepared statements.
void BM_RawSqliteInsertOfTheImportedRows(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString empty = dir.path() + QStringLiteral("/empty.mdb");
    ImportedRows rows;
    if (!rows.make(dir.path(), entryFile(int(state.range(0))), empty)) {
        state.SkipWithError("the import to copy failed");
        return;
    }
    const QString target = dir.path() + QStringLiteral("/target.mdb");
    qint64 inserted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-wal"));
        QFile::remove(target + QStringLiteral("-shm"));
        const bool copied = QFile::copy(empty, target);
        state.ResumeTiming();
        inserted = copied ? rows.insertInto(target) : -1;
        if (inserted < 0) {
            state.SkipWithError("the raw insert failed");
            break;
        }
    }
    state.counters["rows"] = double(inserted);
    state.counters["tables"] = double(rows.tables.size());
}
BENCHMARK(BM_RawSqliteInsertOfTheImportedRows)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(benchsmoke::repetitions(5));

// A season with one rodeo of three events, 500 entries in each of three
// go-rounds, spread over performances of 50.
class ReportSeason
{
public:
    static ReportSeason& get()
    {
        static ReportSeason s;
        return s;
    }
    bool ready = false;
    std::unique_ptr<CDatabaseManager> db;
    QString dataFolder() const { return m_dir.path() + QStringLiteral("/data/"); }
    SeasonGenerator::Result info;

private:
    ReportSeason()
    {
        const QString data = m_dir.path() + QStringLiteral("/data/");
        SeasonGenerator generator(data, QStringLiteral(TALLYRA_TEMPLATE_DB));
        SeasonGenerator::Options options;
        options.contestants = 2000;
        options.animals = 200;
        options.rodeos = 1;
        options.events = 11;
        if (!generator.generate(QStringLiteral("Reports"), options, info))
            return;
        db = std::make_unique<CDatabaseManager>(data, QStringLiteral(TALLYRA_TEMPLATE_DB), m_prompt);
        ready = db->OpenRodeo(info.season, info.rodeo);
    }
    QTemporaryDir m_dir;
    SilentPrompt m_prompt;
};

// A report builder as the Reports view makes one, writing into a folder of
// its own.
class ReportPages
{
public:
    explicit ReportPages(CDatabaseManager& db)
        : builder(
              db, m_templates, [&db](const RegEntry& e) { return db.SetCurEntry(e); },
              m_html.path() + QStringLiteral("/"))
    {
        m_templates.load();
    }

private:
    QTemporaryDir m_html;
    ReportTemplates m_templates;

public:
    ReportBuilder builder;
};

void BM_WriteEventPages(benchmark::State& state)
{
    ReportSeason& season = ReportSeason::get();
    if (!season.ready) {
        state.SkipWithError("cannot make the season");
        return;
    }
    CDatabaseManager& db = *season.db;
    const QString eventId = state.range(0) ? season.info.timedEvent : season.info.scoredEvent;
    int index = 0;
    while (index < db.events().size() && db.events().at(index).id != eventId)
        ++index;
    ReportPages reports(db);
    ReportBuilder& builder = reports.builder;
    const quint32 key = ReportKey::make(ReportKey::Performance, index, 1, 1);
    const quint32 rodeo = ReportKey::make(ReportKey::Rodeo, 0, 0, 0);
    qsizetype pages = 0;
    const bool withStandings = state.range(1) != 0;
    builder.refresh();
    builder.select(rodeo);
    for (auto _ : state) {
        if (withStandings) {
            state.PauseTiming();
            // As the view is shown: a new document, the rodeo's pages written.
            // The standings go into the document on the way.
            builder.refresh();
            builder.select(rodeo);
            state.ResumeTiming();
        }
        pages = builder.select(key).size();
    }
    state.counters["pages"] = double(pages);
}
// Second argument: 1 for the first selection of the event (its standings are
// added to the document), 0 for a later one (only the pages are written). In
// both the rodeo's registration list is the one written when the rodeo's node
// was chosen, as the view chooses it when shown: six pages are made.
BENCHMARK(BM_WriteEventPages)
    ->ArgNames({"timed", "first"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(benchsmoke::repetitions(5));

// The Reports view shown: a new report document, then the rodeo's node
// selected (its index and registration list written), as the view does.
void BM_ShowReports(benchmark::State& state)
{
    ReportSeason& season = ReportSeason::get();
    if (!season.ready) {
        state.SkipWithError("cannot make the season");
        return;
    }
    CDatabaseManager& db = *season.db;
    ReportPages reports(db);
    ReportBuilder& builder = reports.builder;
    const quint32 key = ReportKey::make(ReportKey::Rodeo, 0, 0, 0);
    qsizetype pages = 0;
    for (auto _ : state) {
        if (!builder.refresh()) {
            state.SkipWithError("no report document");
            return;
        }
        pages = builder.select(key).size();
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_ShowReports)->Unit(benchmark::kMillisecond)->Repetitions(benchsmoke::repetitions(5));

// The baseline of the pages: the season's contestants (the rodeo's
// registration list; second argument 1), the event's rows in every go-round
// with the contestants' names (in standings order) and the performance's rows
// (in running order), read with raw SQLite and written as text into as many
// files as the pages (seven with the registration list, six without).
void BM_RawSqliteEventRowsAsText(benchmark::State& state)
{
    ReportSeason& season = ReportSeason::get();
    if (!season.ready) {
        state.SkipWithError("cannot make the season");
        return;
    }
    const bool timed = state.range(0) != 0;
    const bool contestants = state.range(1) != 0;
    const QString eventId = timed ? season.info.timedEvent : season.info.scoredEvent;
    const QString table = timed ? QStringLiteral("Times") : QStringLiteral("Scores");
    const QString order = timed ? QStringLiteral("s.RideTime + s.PenTime") : QStringLiteral("s.JTot DESC");
    rawsql::Connection raw;
    const QString database = season.dataFolder() + season.info.season + QLatin1Char('/') +
                             season.info.season + QStringLiteral(".mdb");
    QStringList statements{
        QStringLiteral("SELECT s.*, r.PlrFirstName, r.PlrLastName, r.PlrHomeTown FROM %1 s "
                       "JOIN Rosters r ON r.PlrId = s.ptId WHERE s.RoId = %2 AND s.EvId = '%3' "
                       "ORDER BY s.GoId, %4")
            .arg(table)
            .arg(season.info.rodeoId)
            .arg(eventId, order),
        QStringLiteral("SELECT s.*, r.PlrFirstName, r.PlrLastName, r.PlrHomeTown FROM %1 s "
                       "JOIN Rosters r ON r.PlrId = s.ptId WHERE s.RoId = %2 AND s.EvId = '%3' "
                       "AND s.GoId = 1 AND s.PerfId = 1 ORDER BY s.Ord")
            .arg(table)
            .arg(season.info.rodeoId)
            .arg(eventId)};
    if (contestants)
        statements.prepend(
            QStringLiteral("SELECT PlrBib, PlrLastName, PlrFirstName, PlrHomeTown, PlrEarnLast, "
                           "PlrEarnCur FROM Rosters"));
    if (!raw.open(database) || !raw.prepare(statements)) {
        state.SkipWithError(qPrintable(raw.error()));
        return;
    }
    QTemporaryDir html;
    const int Pages = contestants ? 7 : 6;
    qint64 rows = 0;
    for (auto _ : state) {
        QByteArray text;
        rows = raw.runPrepared(&text);
        const qsizetype part = text.size() / Pages + 1;
        for (int p = 0; p < Pages; ++p) {
            QFile page(html.path() + QStringLiteral("/page%1.txt").arg(p));
            if (rows < 0 || !page.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                page.write(text.mid(p * part, part)) < 0) {
                state.SkipWithError("the rows could not be read or written");
                return;
            }
        }
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_RawSqliteEventRowsAsText)
    ->ArgNames({"timed", "contestants"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(benchsmoke::repetitions(5));

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
