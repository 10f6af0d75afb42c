// The season database opener: whatever bytes a season's .mdb holds, opening
// its rodeo ends in an open rodeo or a refusal with a message, never a crash.
// An opened one is also read as the views and the reports read it, and a
// result is saved into it. The seeds are small seasons (512-byte pages) made
// by fuzz/make-seasondb-seed.
#include "db/databasemanager.h"
#include "fuzzsupport.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::application();
    static const QString folder = fuzz::dataFolder() + QStringLiteral("seasons/");
    static const QString season = folder + QStringLiteral("F/");
    QDir(season).removeRecursively();
    QDir().mkpath(season);
    fuzz::writeFile(season + QStringLiteral("F.mdb"), data, size);

    fuzz::QuietPrompt prompt;
    CDatabaseManager db(folder, QString(), prompt);
    if (!db.OpenRodeo(QStringLiteral("F"), QStringLiteral("R"))) {
        // A file that is no season at all (or a damaged one) is refused aloud;
        // only a sound season without that rodeo fails quietly.
        return 0;
    }
    fuzz::check(db.isRodeoOpen());
    for (const EventCfg& e : db.events()) {
        const RegEntryCollection& held = e.isTeam() ? db.teamEntries() : db.playerEntries();
        for (const RegEntryCollection::CompetitorEntry& c : held.competitors()) {
            const auto* r = c.event(e.id);
            if (!r || r->rounds.isEmpty())
                continue;
            RegEntry entry;
            entry.eventId = e.id;
            entry.goRound = r->rounds.first().goRound;
            entry.ptId = c.ptId();
            entry.plrEnt = quint16(c.plrEnt());
            db.SetCurEntry(entry);
            ResultRecord result;
            result.score = 8150;
            result.time = 12345;
            db.SetStatsPerformance(entry, result, ChangeSource::EntryBar);
            QVector<ResultChange> history;
            db.GetResultHistory(e.id, entry.ptId, entry.plrEnt, history);
            break;
        }
    }
    XmlDocument report;
    if (report.loadXml(QStringLiteral("<Database><Tables/></Database>")))
        db.BuildReportData(report);
    db.CloseRodeo();
    return 0;
}
