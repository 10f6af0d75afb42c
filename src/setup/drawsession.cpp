#include "drawsession.h"

#include "draw/performancedraw.h"
#include "draw/runningorder.h"
#include "draw/stockdraw.h"

#include <QSet>
#include <algorithm>

namespace {

Draw::Request::Kind kindOf(DrawRequestRec::Kind kind)
{
    switch (kind) {
    case DrawRequestRec::Kind::Up:
        return Draw::Request::Up;
    case DrawRequestRec::Kind::Out:
        return Draw::Request::Out;
    case DrawRequestRec::Kind::Buddies:
        return Draw::Request::Buddies;
    case DrawRequestRec::Kind::SamePerformance:
        break;
    }
    return Draw::Request::SamePerformanceAllowed;
}

bool byPlace(const DrawSession::Row& a, const DrawSession::Row& b)
{
    // Unplaced entries last.
    const int pa = a.perf > 0 ? a.perf : 0x10000;
    const int pb = b.perf > 0 ? b.perf : 0x10000;
    return pa != pb ? pa < pb : a.ord != b.ord ? a.ord < b.ord : a.key < b.key;
}

} // namespace

// --- What the go-round holds ------------------------------------------------------

QVector<RegEntry> DrawSession::entriesOf(const QString& eventId, int goRound) const
{
    const EventCfg* event = m_db.GetEvent(eventId);
    if (!event)
        return {};
    QVector<RegEntry> out;
    for (const RegEntry& e :
         (event->isTeam() ? m_db.teamEntries() : m_db.playerEntries()).entries(eventId, goRound))
        if (e.ptId != 0)
            out.append(e);
    return out;
}

int DrawSession::entryCount(const QString& eventId, int goRound) const
{
    return int(entriesOf(eventId, goRound).size());
}

int DrawSession::performanceCount(const QString& eventId, int goRound)
{
    return std::max(1, m_db.PerformanceCount(eventId, goRound));
}

QVector<int> DrawSession::capacities(const QString& eventId, int goRound, int performances)
{
    const QVector<int> even = Draw::evenCapacities(entryCount(eventId, goRound), performances);
    const QHash<int, int> saved = m_db.GetDrawCapacities(eventId, goRound);
    if (saved.isEmpty())
        return even;
    QVector<int> places;
    for (int p = 1; p <= performances; ++p)
        places.append(saved.value(p, even[p - 1]));
    return places;
}

bool DrawSession::saveCapacities(const QString& eventId, int goRound, const QVector<int>& places)
{
    return m_db.SetDrawCapacities(eventId, goRound, places);
}

bool DrawSession::drawsStock(const QString& eventId) const
{
    const EventCfg* event = m_db.GetEvent(eventId);
    return event && event->isScored() && !event->isTeam();
}

int DrawSession::penSize(const QString& eventId, bool rerides) const
{
    int n = 0;
    for (const StockRec& s : m_db.stock())
        n += s.pen == eventId && !s.out && s.reride == rerides;
    return n;
}

bool DrawSession::isFinal(const QString& eventId, int goRound) const
{
    const EventCfg* event = m_db.GetEvent(eventId);
    return event && goRound == event->goRoundCount() + 1;
}

// --- Names ---------------------------------------------------------------------------

QString DrawSession::contestantName(quint32 plrId) const
{
    const ContestantRec* c = m_db.contestants().find(plrId);
    return c ? QStringLiteral("%1 %2").arg(c->firstName, c->lastName).trimmed()
             : QStringLiteral("contestant %1").arg(plrId);
}

QVector<quint32> DrawSession::peopleOf(const EventCfg& event, quint32 ptId) const
{
    if (!event.isTeam())
        return {ptId};
    QVector<quint32> people;
    if (const TeamRec* t = m_db.teams().find(ptId))
        for (quint32 p : {t->plrId1, t->plrId2, t->plrId3})
            if (p != 0)
                people.append(p);
    return people;
}

QString DrawSession::competitorName(const EventCfg& event, quint32 ptId, int plrEnt) const
{
    QString name;
    if (event.isTeam()) {
        const TeamRec* t = m_db.teams().find(ptId);
        QStringList members;
        for (quint32 p : peopleOf(event, ptId))
            members << contestantName(p);
        name = QStringLiteral("%1 (%2)").arg(t ? t->name : QString::number(ptId),
                                             members.join(QStringLiteral(", ")));
    } else {
        const ContestantRec* c = m_db.contestants().find(ptId);
        name = c ? QStringLiteral("%1, %2").arg(c->lastName, c->firstName)
                 : QStringLiteral("contestant %1").arg(ptId);
    }
    return plrEnt > 1 ? QStringLiteral("%1 (entry %2)").arg(name).arg(plrEnt) : name;
}

QString DrawSession::animalName(quint32 stId) const
{
    const StockRec* s = stId ? m_db.stock().find(stId) : nullptr;
    return s ? QStringLiteral("%1 %2").arg(s->bib, s->name).trimmed() : QString();
}

QString DrawSession::describe(const DrawRequestRec& r) const
{
    const auto member = [&](const DrawRequestRec::Member& m) {
        return m.eventId.isEmpty() ? contestantName(m.plrId)
                                   : QStringLiteral("%1 (%2)").arg(contestantName(m.plrId), m.eventId);
    };
    QStringList members;
    for (const DrawRequestRec::Member& m : r.members)
        members << member(m);
    const QString who = members.join(QStringLiteral(", "));
    const QString go = r.goRound > 0 ? QStringLiteral(", go-round %1").arg(r.goRound) : QString();
    switch (r.kind) {
    case DrawRequestRec::Kind::Up:
        return QStringLiteral("Up: %1 in performance %2%3").arg(who).arg(r.perf).arg(go);
    case DrawRequestRec::Kind::Out:
        return QStringLiteral("Out: %1 of performance %2%3").arg(who).arg(r.perf).arg(go);
    case DrawRequestRec::Kind::Buddies:
        return QStringLiteral("Buddies: %1%2").arg(who, go);
    case DrawRequestRec::Kind::SamePerformance:
        break;
    }
    return QStringLiteral("Two events in one performance: %1%2").arg(who, go);
}

QString DrawSession::check(const DrawRequestRec& r)
{
    QVector<quint32> people;
    for (const DrawRequestRec::Member& m : r.members) {
        if (m.plrId == 0)
            return QStringLiteral("Choose the contestant.");
        for (const DrawRequestRec::Member& other : r.members)
            if (&other != &m && other.plrId == m.plrId && other.eventId == m.eventId)
                return QStringLiteral("A contestant is named twice.");
    }
    const bool buddies = r.kind == DrawRequestRec::Kind::Buddies;
    if (buddies && (r.members.size() < 2 || r.members.size() > 4))
        return QStringLiteral("Buddies are 2 to 4 contestants.");
    if (!buddies && r.members.size() != 1)
        return QStringLiteral("Choose the contestant.");
    if ((r.kind == DrawRequestRec::Kind::Up || r.kind == DrawRequestRec::Kind::Out) &&
        (r.perf < 1 || r.perf > 255))
        return QStringLiteral("Choose the performance (1 to 255).");
    return QString();
}

QVector<DrawRequestRec> DrawSession::requests()
{
    QVector<DrawRequestRec> all;
    m_db.GetDrawRequests(all);
    return all;
}

// --- Drawing -------------------------------------------------------------------------

DrawSession::Plan DrawSession::draw(const Options& o) const
{
    Plan plan;
    plan.options = o;
    const EventCfg* event = m_db.GetEvent(o.eventId);
    if (!event || o.goRound < 1 || o.goRound > event->goRoundCount() + 1) {
        plan.error = QStringLiteral("Choose an event and a go-round of the rodeo.");
        return plan;
    }
    const bool final = isFinal(o.eventId, o.goRound);
    const bool performances = o.performances && !o.rerides;
    const bool order = (o.runningOrder || performances) && !o.rerides;
    const bool stock = (o.stock || o.rerides) && drawsStock(o.eventId);
    if (performances && final) {
        plan.error =
            QStringLiteral("The final's performance comes from Build Final; draw its running order.");
        return plan;
    }
    if (!performances && !order && !stock) {
        plan.error = QStringLiteral("Choose what to draw.");
        return plan;
    }
    if (!o.rerides && m_db.GoRoundHasResults(o.eventId, o.goRound)) {
        plan.error = QStringLiteral("The go-round holds results: it cannot be drawn again.");
        return plan;
    }
    plan.what = QString(performances ? QStringLiteral("P")
                        : order      ? QStringLiteral("O")
                                     : QString()) +
                (o.rerides ? QStringLiteral("R")
                 : stock   ? QStringLiteral("S")
                           : QString());

    const QVector<RegEntry> entries = entriesOf(o.eventId, o.goRound);
    if (entries.isEmpty()) {
        plan.error = QStringLiteral("The go-round holds no entries to draw.");
        return plan;
    }
    QHash<EntryKey, Row> rows;
    for (const RegEntry& e : entries)
        rows.insert(e.key(), {e.key(), e.perf, e.ord, e.stock, competitorName(*event, e.ptId, e.plrEnt), {}});

    DrawRandom random(o.seed);
    QVector<Draw::Placement> placements;
    if (performances) {
        Draw::PerformanceDrawInput in;
        in.eventId = o.eventId;
        in.samePerformanceAllowed = o.samePerformanceAllowed;
        for (int p = 0; p < o.capacities.size(); ++p)
            in.performances.append(Draw::Performance{p + 1, o.capacities[p]});
        for (const RegEntry& e : entries)
            in.entries.append(Draw::Entry{e.key(), peopleOf(*event, e.ptId)});
        // Where the contestants ride in the go-round's other events.
        for (const EventCfg& other : m_db.events()) {
            if (other.id == o.eventId)
                continue;
            for (const RegEntry& e : entriesOf(other.id, o.goRound))
                if (e.perf > 0)
                    for (quint32 person : peopleOf(other, e.ptId))
                        in.placed.append({person, other.id, e.perf});
        }
        QVector<DrawRequestRec> requests;
        m_db.GetDrawRequests(requests);
        QHash<qint64, QString> described;
        QSet<qint64> several; // requests of more than one contestant name the one concerned
        for (const DrawRequestRec& r : std::as_const(requests)) {
            if (r.goRound != 0 && r.goRound != o.goRound)
                continue;
            Draw::Request d;
            d.id = r.id;
            d.kind = kindOf(r.kind);
            d.perf = r.perf;
            for (const DrawRequestRec::Member& m : r.members)
                d.members.append({m.plrId, m.eventId});
            in.requests.append(d);
            described.insert(r.id, describe(r));
            if (r.members.size() > 1)
                several.insert(r.id);
        }
        const Draw::PerformanceDrawResult drawn = Draw::drawPerformances(in, random);
        if (!drawn.ok()) {
            plan.error = drawn.error;
            return plan;
        }
        placements = drawn.placements;
        for (const Draw::Problem& p : drawn.unmet) {
            const QString who =
                p.requestId == 0
                    ? QStringLiteral("%1 in two events of one performance").arg(contestantName(p.person))
                    : described.value(p.requestId);
            const QString reason = several.contains(p.requestId)
                                       ? QStringLiteral("%1 (%2)").arg(p.reason, contestantName(p.person))
                                       : p.reason;
            plan.unmet << QStringLiteral("%1: %2").arg(who, reason);
        }
    } else if (order) {
        for (const RegEntry& e : entries)
            placements.append({e.key(), e.perf, e.ord});
        placements = Draw::shuffleRunningOrder(placements, random);
    }
    if (order && o.leadersLast)
        placements = Draw::leadersLast(placements, o.ranks, random);
    for (const Draw::Placement& p : std::as_const(placements)) {
        rows[p.key].perf = p.perf;
        rows[p.key].ord = p.ord;
    }

    QSet<EntryKey> touched;
    if (performances || order)
        for (const RegEntry& e : entries)
            touched.insert(e.key());
    if (stock) {
        Draw::StockDrawInput in;
        QVector<EntryKey> riders;
        if (o.rerides) {
            riders = m_db.ReRideEntries(o.eventId, o.goRound);
            if (riders.isEmpty()) {
                plan.error = QStringLiteral("The go-round holds no re-ride.");
                return plan;
            }
        } else {
            // Those placed in a performance ride (in a final, the finalists);
            // while nobody is placed, everyone.
            for (const Row& r : std::as_const(rows))
                if (r.perf > 0)
                    riders.append(r.key);
            if (riders.isEmpty())
                for (const RegEntry& e : entries)
                    riders.append(e.key());
        }
        const QSet<EntryKey> riding(riders.cbegin(), riders.cend());
        QSet<quint32> taken; // a re-ride draws none of the go-round's animals
        for (const RegEntry& e : entries)
            if (o.rerides && !riding.contains(e.key()) && e.stock)
                taken.insert(e.stock);
        for (const StockRec& s : m_db.stock())
            if (s.pen == o.eventId && !s.out && s.reride == o.rerides && !taken.contains(s.stId))
                in.animals.append(s.stId);
        if (in.animals.isEmpty()) {
            plan.error =
                QStringLiteral("No %1animal of the pen of %2 can be drawn: mark the pen in Stock Entry.")
                    .arg(o.rerides ? QStringLiteral("re-ride ") : QString(), event->label);
            return plan;
        }
        for (EntryKey key : std::as_const(riders))
            in.riders.append({key, entryKeyId(key)});
        // The animals each rider had before: in the earlier go-rounds, and for
        // a re-ride the one he had in this one.
        for (const RegEntry& e : m_db.playerEntries().entries(o.eventId))
            if (e.stock && (e.goRound < o.goRound || (o.rerides && e.goRound == o.goRound)))
                in.hadBefore[e.ptId].insert(e.stock);
        const Draw::StockDrawResult drawn = Draw::drawStock(in, random);
        for (const auto& [key, animal] : drawn.drawn) {
            rows[key].stock = animal;
            touched.insert(key);
        }
        for (EntryKey key : drawn.repeated)
            plan.unmet << QStringLiteral("%1: drew an animal he had before: no other was free")
                              .arg(rows.value(key).competitor);
        for (EntryKey key : drawn.withoutAnimal)
            plan.unmet << QStringLiteral("%1: no animal left (%2 in the pen for %3 riders)")
                              .arg(rows.value(key).competitor)
                              .arg(in.animals.size())
                              .arg(in.riders.size());
    }
    for (EntryKey key : std::as_const(touched)) {
        Row row = rows.value(key);
        row.animal = animalName(row.stock);
        plan.rows.append(row);
    }
    std::sort(plan.rows.begin(), plan.rows.end(), byPlace);
    return plan;
}

CDatabaseManager::DrawWrite DrawSession::accept(const Plan& plan)
{
    if (!plan.ok() || plan.rows.isEmpty())
        return CDatabaseManager::DrawWrite::Failed;
    DrawRec record;
    record.eventId = plan.options.eventId;
    record.goRound = plan.options.goRound;
    record.what = plan.what;
    record.seed = plan.options.seed;
    record.unmet = plan.unmet;
    for (const Row& r : plan.rows) {
        DrawRowRec row;
        row.ptId = entryKeyId(r.key);
        row.plrEnt = entryKeyNumber(r.key);
        row.perf = r.perf;
        row.ord = r.ord;
        row.stock = r.stock;
        record.rows.append(row);
    }
    // The places go with the draw that used them.
    CDatabaseManager::WriteScope scope(m_db);
    if (!scope.isActive())
        return CDatabaseManager::DrawWrite::Failed;
    if (plan.what.contains(QLatin1Char('P')) &&
        !m_db.SetDrawCapacities(record.eventId, record.goRound, plan.options.capacities))
        return CDatabaseManager::DrawWrite::Failed;
    const CDatabaseManager::DrawWrite written = m_db.RecordDraw(record);
    if (written != CDatabaseManager::DrawWrite::Written)
        return written;
    return scope.commit() ? written : CDatabaseManager::DrawWrite::Failed;
}

QVector<DrawSession::Row> DrawSession::currentRows(const QString& eventId, int goRound) const
{
    QVector<Row> rows;
    const EventCfg* event = m_db.GetEvent(eventId);
    if (!event)
        return rows;
    for (const RegEntry& e : entriesOf(eventId, goRound))
        rows.append(
            {e.key(), e.perf, e.ord, e.stock, competitorName(*event, e.ptId, e.plrEnt), animalName(e.stock)});
    std::sort(rows.begin(), rows.end(), byPlace);
    return rows;
}

DrawSheetData DrawSession::sheet(const QString& eventId, int goRound)
{
    DrawSheetData d;
    const EventCfg* event = m_db.GetEvent(eventId);
    if (!event)
        return d;
    const RodeoInfo& rodeo = m_db.rodeoInfo();
    d.titles = {rodeo.dispName1, rodeo.dispName2, rodeo.dispName3, rodeo.dispDates, rodeo.dispLoc};
    if (d.titles.join(QString()).trimmed().isEmpty())
        d.titles = {rodeo.name};
    d.event = event->label;
    d.goRound =
        isFinal(eventId, goRound) ? QStringLiteral("Final") : QStringLiteral("Go Round %1").arg(goRound);
    DrawRec last;
    if (m_db.LastDraw(eventId, goRound, last)) {
        d.drawn = true;
        d.seed = last.seed;
        d.when = last.when;
        d.unmet = last.unmet;
    }
    d.withAnimals = drawsStock(eventId);
    for (const Row& r : currentRows(eventId, goRound))
        d.rows.append({r.perf, r.ord, r.competitor, r.animal});
    return d;
}

QString DrawSession::writeSheet(const QString& eventId, int goRound, const QString& htmlFolder,
                                QString* error)
{
    const QString base = htmlFolder + DrawSheet::baseName(eventId, goRound);
    const QString page = base + QStringLiteral(".html");
    return DrawSheet::write(sheet(eventId, goRound), page, base + QStringLiteral(".pdf"), error) ? page
                                                                                                 : QString();
}
