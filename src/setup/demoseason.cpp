#include "demoseason.h"

#include "db/databasemanager.h"
#include "results/resultrecord.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <cmath>

namespace {

QString attr(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(name)).toString();
}

// "20.5" points as hundredths.
quint16 hundredths(const QString& text, bool& ok)
{
    const double value = text.toDouble(&ok);
    ok = ok && value >= 0 && value < 600;
    return ok ? static_cast<quint16>(std::lround(value * 100)) : 0;
}

} // namespace

QByteArray DemoSeason::builtInDescription()
{
    QFile file(QStringLiteral(":/demo/demo-season.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool DemoSeason::names(const QByteArray& description, QString& season, QString& rodeo, QString* firstEvent)
{
    QXmlStreamReader xml(description);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("DemoSeason"))
        return false;
    season = attr(xml, "season");
    rodeo = attr(xml, "rodeo");
    while (firstEvent && firstEvent->isEmpty() && xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Event"))
            *firstEvent = attr(xml, "id");
        xml.skipCurrentElement();
    }
    return !season.isEmpty() && !rodeo.isEmpty();
}

bool DemoSeason::fail(const QString& text)
{
    if (m_error.isEmpty()) // the first failure is the one to tell
        m_error = text;
    return false;
}

DemoSeason::Outcome DemoSeason::create(const QByteArray& description)
{
    m_error.clear();
    QXmlStreamReader xml(description);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("DemoSeason")) {
        fail(QStringLiteral("The demo season's description cannot be read."));
        return Outcome::Failed;
    }
    const QString season = attr(xml, "season");
    const QString rodeo = attr(xml, "rodeo");
    QStringList seasons;
    m_db.EnumSeasons(seasons);
    if (seasons.contains(season, Qt::CaseInsensitive))
        return Outcome::Exists;
    if (!m_db.CreateSeason(season, attr(xml, "profile"), attr(xml, "rule"))) {
        fail(QStringLiteral("The season \"%1\" cannot be created.").arg(season));
        return Outcome::Failed;
    }
    bool ok = m_db.CreateRodeo(season, rodeo, attr(xml, "date"), attr(xml, "profile")) && m_db.OpenRodeo(season, rodeo);
    if (!ok)
        fail(QStringLiteral("The rodeo \"%1\" cannot be created.").arg(rodeo));

    QHash<QString, quint32> contestants; // description id -> PlrId
    QHash<QString, quint16> stock;       // bib -> StId
    QHash<QString, int> perfs;           // "event/go" -> performances there
    const auto place = [&](RegEntry entry, int perf, int ord, quint16 animal) {
        // Each go-round of the event gets the entry in the same performance.
        const EventCfg* event = m_db.GetEvent(entry.eventId);
        for (int go = 1; ok && event && go <= event->goRoundCount(); ++go) {
            const QString where = QStringLiteral("%1/%2").arg(entry.eventId).arg(go);
            while (ok && perfs.value(where) < perf) {
                const int added = m_db.AddPerformance(entry.eventId, go);
                ok = added > 0;
                perfs[where] = added;
            }
            RegEntry unplaced = entry;
            unplaced.goRound = static_cast<quint16>(go);
            unplaced.perf = 0;
            unplaced.ord = 0;
            unplaced.stock = 0;
            RegEntry placed = unplaced;
            placed.perf = static_cast<quint16>(perf);
            placed.ord = static_cast<quint16>(ord);
            placed.stock = go == 1 ? animal : 0;
            ok = ok && m_db.UpdateCompEntry(unplaced, placed);
        }
        if (!ok)
            fail(QStringLiteral("An entry of %1 cannot be placed.").arg(entry.eventId));
    };
    const auto result = [&](RegEntry entry, const QXmlStreamReader& at) {
        ResultRecord r;
        r.key = entry.key();
        entry.goRound = 1;
        const QString status = attr(at, "status");
        const QString marks = attr(at, "marks");
        const QString time = attr(at, "time");
        if (status.isEmpty() && marks.isEmpty() && time.isEmpty())
            return;
        r.setStatus(status);
        r.ride = 1;
        bool good = true;
        if (!marks.isEmpty()) {
            // Judge by judge: the rider's mark, then the animal's.
            const QStringList parts = marks.split(u',');
            for (int i = 0; i < parts.size() && i < 8 && good; ++i) {
                const quint16 m = hundredths(parts[i], good);
                (i % 2 == 0 ? r.JR : r.JS)[i / 2] = m;
                r.score += m;
            }
            r.success = 1;
        } else if (!time.isEmpty()) {
            const double seconds = time.toDouble(&good);
            r.time = good ? static_cast<quint32>(std::lround(seconds * 1000)) : 0;
            r.success = 1;
        }
        ok = ok && good && m_db.SetStatsPerformance(entry, r);
        if (!ok)
            fail(QStringLiteral("A result of %1 cannot be saved.").arg(entry.eventId));
    };

    QString eventId;
    while (ok && xml.readNextStartElement()) {
        const auto name = xml.name();
        if (name == QLatin1String("Contractor")) {
            ContractorRec contractor;
            contractor.name = attr(xml, "name");
            ok = m_db.AddContractor(contractor);
            while (ok && xml.readNextStartElement()) {
                StockRec animal;
                animal.coId = contractor.coId;
                animal.bib = attr(xml, "bib");
                animal.name = attr(xml, "name");
                animal.pen = attr(xml, "pen");
                animal.reride = attr(xml, "reride") == QLatin1String("1");
                ok = m_db.AddStock(animal);
                stock.insert(animal.bib, static_cast<quint16>(animal.stId));
                xml.skipCurrentElement();
            }
            if (!ok)
                fail(QStringLiteral("The stock cannot be added."));
        } else if (name == QLatin1String("Contestants")) {
            while (ok && xml.readNextStartElement()) {
                ContestantRec rec;
                rec.bib = attr(xml, "bib");
                rec.firstName = attr(xml, "first");
                rec.lastName = attr(xml, "last");
                rec.homeTown = attr(xml, "town");
                ok = m_db.AddContestant(rec);
                contestants.insert(attr(xml, "id"), rec.plrId);
                xml.skipCurrentElement();
            }
            if (!ok)
                fail(QStringLiteral("The contestants cannot be added."));
        } else if (name == QLatin1String("Event")) {
            eventId = attr(xml, "id");
            QVector<EventCfg> events = m_db.events();
            bool found = false;
            for (EventCfg& e : events) {
                if (e.id != eventId)
                    continue;
                found = true;
                e.goRounds = attr(xml, "goRounds");
                e.finals = attr(xml, "finals");
                if (!attr(xml, "judges").isEmpty())
                    e.judgeCount = attr(xml, "judges");
                if (!attr(xml, "precision").isEmpty())
                    e.precision = attr(xml, "precision");
                e.changed = 1;
            }
            ok = found && m_db.SaveSetup(nullptr, events);
            if (!ok)
                fail(QStringLiteral("The event %1 cannot be set up.").arg(eventId));
            while (ok && xml.readNextStartElement()) {
                RegEntry entry;
                entry.eventId = eventId;
                entry.goRound = 1;
                if (xml.name() == QLatin1String("Team")) {
                    TeamRec team;
                    team.plrId1 = contestants.value(attr(xml, "header"));
                    team.plrId2 = contestants.value(attr(xml, "heeler"));
                    int decision = 0;
                    ok = team.plrId1 && team.plrId2 && m_db.AddTeam(team, decision);
                    entry.ptId = team.tmId;
                    entry.teamFlag = RegEntry::TeamEntry;
                } else {
                    entry.ptId = contestants.value(attr(xml, "contestant"));
                }
                ok = ok && entry.ptId != 0 &&
                     m_db.AddCompetitorEntry(entry, nullptr) == CDatabaseManager::EntryAddition::Added;
                if (!ok)
                    fail(QStringLiteral("An entry of %1 cannot be added.").arg(eventId));
                place(entry, attr(xml, "perf").toInt(), attr(xml, "ord").toInt(), stock.value(attr(xml, "stock")));
                result(entry, xml);
                xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (ok && xml.hasError())
        ok = fail(QStringLiteral("The demo season's description cannot be read: %1").arg(xml.errorString()));
    if (!ok) {
        // Nothing half-made stays behind.
        m_db.CloseRodeo();
        m_db.DeleteSeason(season);
        return Outcome::Failed;
    }
    return Outcome::Created;
}
