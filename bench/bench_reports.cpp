// The reports module: importing a 5,000-line entry file into an empty season,
// and writing the seven report pages of a performance of a 500-entry event
// (the event's standings added on the way, as on its first selection).
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "reports/entryimporter.h"
#include "reports/reportbuilder.h"
#include "reports/reporttemplates.h"
#include "seasongenerator.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

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
BENCHMARK(BM_ImportEntryFile)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

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
    QTemporaryDir html;
    ReportTemplates templates;
    templates.load();
    ReportBuilder builder(
        db, templates, [&db](const RegEntry& e) { return db.SetCurEntry(e); },
        html.path() + QStringLiteral("/"));
    const quint32 key = ReportKey::make(ReportKey::Performance, index, 1, 1);
    qsizetype pages = 0;
    const bool withStandings = state.range(1) != 0;
    builder.refresh();
    for (auto _ : state) {
        if (withStandings) {
            state.PauseTiming();
            builder.refresh(); // the standings go into the new document on the way
            state.ResumeTiming();
        }
        pages = builder.select(key).size();
    }
    state.counters["pages"] = double(pages);
}
// Second argument: 1 for the first selection of the event (its standings are
// added to the document), 0 for a later one (only the pages are written).
BENCHMARK(BM_WriteEventPages)
    ->ArgNames({"timed", "first"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
