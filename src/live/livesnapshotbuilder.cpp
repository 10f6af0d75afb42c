#include "livesnapshotbuilder.h"

#include "db/databasemanager.h"
#include "results/resultcell.h"
#include "results/standings.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

QString roundTitle(int goRound, int goRounds)
{
    return goRound > goRounds ? QStringLiteral("Final") : QStringLiteral("Go-Round %1").arg(goRound);
}

QString personName(const ContestantRec& c)
{
    return QStringList{c.firstName.trimmed(), c.lastName.trimmed()}.join(QLatin1Char(' ')).trimmed();
}

// The status as a page shows it: the scoreboard text without its stars.
QString statusText(const ResultRecord& r, bool scored)
{
    QString text = StatusDisplayText(r.status, scored);
    text.remove(QLatin1Char('*'));
    return text;
}

void takeResult(LiveRow& row, const ResultRecord& r, const EventCfg& event)
{
    const ResultCellParts parts =
        ResultCellPieces(r, event.isScored(), event.fraction == QLatin1String("Fraction"), event.precision);
    row.shown = parts.shown;
    row.place = parts.place;
    row.score = parts.score.trimmed();
    row.time = parts.time;
    row.status = statusText(r, event.isScored());
}

} // namespace

void LiveSnapshotBuilder::invalidateAll(bool anotherRodeo)
{
    m_allChanged = true;
    if (!anotherRodeo)
        return;
    // Nothing of the rodeo before may show, not even for a moment.
    m_events.clear();
    m_recent.clear();
}

void LiveSnapshotBuilder::noteSaved(const RegEntry& entry, const QDateTime& localTime)
{
    m_changed.insert(entry.eventId);
    m_saved.insert(entry.eventId);
    // A corrected result replaces the one listed before it.
    const EntryKey key = entry.key();
    std::erase_if(m_recent, [&](const Saved& s) {
        return s.eventId == entry.eventId && s.goRound == entry.goRound && s.key == key;
    });
    m_recent.push_front({entry.eventId, entry.goRound, key, localTime.toString(QStringLiteral("HH:mm:ss"))});
    while (m_recent.size() > size_t(RecentCount))
        m_recent.pop_back();
}

LiveRow LiveSnapshotBuilder::competitor(const EventCfg& event, EntryKey key, int goRound) const
{
    LiveRow row;
    row.key = key;
    const quint32 id = entryKeyId(key);
    if (event.isTeam()) {
        if (const TeamRec* team = m_db.teams().find(id)) {
            row.name = team->name;
            for (quint32 member : {team->plrId1, team->plrId2, team->plrId3})
                if (const ContestantRec* c = member ? m_db.contestants().find(member) : nullptr)
                    row.members << personName(*c);
        }
    } else if (const ContestantRec* c = m_db.contestants().find(id)) {
        row.bib = c->bib.trimmed();
        row.name = personName(*c);
    }
    const RegEntryCollection::Lookup slot = m_db.LookupEntry(key, event.id, goRound);
    row.order = slot.found ? slot.ord : 0;
    if (const StockRec* s = slot.stock ? m_db.stock().find(slot.stock) : nullptr)
        row.stock = QStringList{s->bib.trimmed(), s->name.trimmed()}.join(QLatin1Char(' ')).trimmed();
    return row;
}

LiveStanding LiveSnapshotBuilder::makeStanding(const EventCfg& event,
                                               const std::vector<ResultRecord>& records, int goRound,
                                               const QString& title) const
{
    LiveStanding standing;
    standing.goRound = goRound;
    standing.title = title;
    for (const ResultRecord& r : records) {
        // Overall rows carry no animal: the go-round's drawing is for go-round 1.
        LiveRow row = competitor(event, r.key, goRound > 0 ? goRound : 1);
        takeResult(row, r, event);
        if (!row.shown && row.status.isEmpty())
            continue; // entered, not run yet
        if (goRound == 0) {
            row.rides = QStringLiteral("%1 / %2").arg(r.success).arg(r.ride);
            row.stock.clear();
            row.order = 0;
        }
        standing.rows.push_back(std::move(row));
    }
    return standing;
}

std::shared_ptr<const LiveEvent> LiveSnapshotBuilder::makeEvent(const EventCfg& event,
                                                                const Standings& standings) const
{
    auto live = std::make_shared<LiveEvent>();
    live->id = event.id;
    live->name = event.name;
    live->scored = event.isScored();
    live->team = event.isTeam();
    const int goRounds = standings.regularGoRounds();
    for (int g = 1; g <= goRounds; ++g)
        live->goRounds.push_back(makeStanding(event, standings.goRound(g), g, roundTitle(g, goRounds)));
    const RegEntryCollection& entries = event.isTeam() ? m_db.teamEntries() : m_db.playerEntries();
    live->hasFinal = standings.goRoundCount() > 0 && !entries.entries(event.id, goRounds + 1).isEmpty();
    if (live->hasFinal)
        live->final = makeStanding(event, standings.goRound(goRounds + 1), goRounds + 1,
                                   roundTitle(goRounds + 1, goRounds));
    live->overall = makeStanding(event, standings.overall(), 0, QStringLiteral("Overall"));
    return live;
}

LiveNow LiveSnapshotBuilder::makeNow(const LiveSnapshot& snapshot, const RegEntry* current) const
{
    LiveNow now;
    const EventCfg* event = current ? m_db.GetEvent(current->eventId) : nullptr;
    const LiveEvent* live = event ? snapshot.event(event->id) : nullptr;
    if (live && current->ptId != 0) {
        now.running = true;
        now.eventId = event->id;
        now.eventName = event->name;
        now.scored = event->isScored();
        now.goRound = current->goRound;
        now.round = roundTitle(current->goRound, event->goRoundCount());
        now.performance = current->perf;
        const LiveStanding* standing = live->standing(current->goRound);
        const auto withResult = [&](EntryKey key) {
            LiveRow row = competitor(*event, key, current->goRound);
            if (standing) {
                const auto it = std::find_if(standing->rows.begin(), standing->rows.end(),
                                             [key](const LiveRow& r) { return r.key == key; });
                if (it != standing->rows.end()) {
                    row.shown = it->shown;
                    row.place = it->place;
                    row.score = it->score;
                    row.time = it->time;
                    row.status = it->status;
                }
            }
            return row;
        };
        now.hasUp = true;
        now.up = withResult(current->key());
        const RegEntryCollection& entries = event->isTeam() ? m_db.teamEntries() : m_db.playerEntries();
        for (const RegEntry& e : entries.entries(event->id, current->goRound))
            if (e.ptId != 0 && e.perf == current->perf && e.teamFlag != RegEntry::MemberEntry)
                now.order.push_back(withResult(e.key()));
        std::stable_sort(now.order.begin(), now.order.end(),
                         [](const LiveRow& a, const LiveRow& b) { return a.order < b.order; });
    }
    for (const Saved& s : m_recent) {
        const LiveEvent* e = snapshot.event(s.eventId);
        const EventCfg* cfg = m_db.GetEvent(s.eventId);
        if (!e || !cfg)
            continue;
        LiveRecent recent;
        recent.eventId = e->id;
        recent.eventName = e->name;
        recent.round = roundTitle(s.goRound, cfg->goRoundCount());
        recent.at = s.at;
        const LiveStanding* standing = e->standing(s.goRound);
        const auto it = standing ? std::find_if(standing->rows.begin(), standing->rows.end(),
                                                [&](const LiveRow& r) { return r.key == s.key; })
                                 : std::vector<LiveRow>::const_iterator();
        recent.row = standing && it != standing->rows.end() ? *it : competitor(*cfg, s.key, s.goRound);
        now.recent.push_back(std::move(recent));
    }
    return now;
}

std::shared_ptr<const LiveSnapshot> LiveSnapshotBuilder::build(const RegEntry* current, int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    auto snapshot = std::make_shared<LiveSnapshot>();
    snapshot->version = ++m_version;
    snapshot->published = QDateTime::currentDateTimeUtc();
    snapshot->rodeoOpen = m_db.isRodeoOpen();
    m_readLastBuild = 0;
    if (!snapshot->rodeoOpen) {
        m_events.clear();
        m_changed.clear();
        m_saved.clear();
        snapshot->title = m_title;
        return snapshot;
    }
    const RodeoInfo& rodeo = m_db.rodeoInfo();
    snapshot->rodeo = rodeo.name;
    snapshot->date = rodeo.date;
    snapshot->title = m_title.isEmpty() ? rodeo.name : m_title;
    if (m_allChanged) {
        for (const EventCfg& event : m_db.events())
            m_changed.insert(event.id);
        m_allChanged = false;
    }

    const auto read = [&](const EventCfg& event) {
        ++m_readLastBuild;
        const Standings& held = m_db.standings();
        if (current && current->eventId == event.id && held.hasEvent() &&
            held.regularGoRounds() == event.goRoundCount())
            return makeEvent(event, held);
        Standings standings;
        m_db.ReadStandings(event, standings); // an event that cannot be read shows no results
        return makeEvent(event, standings);
    };
    // First the events with a saved result and those never read: they are
    // read whatever it takes. Then the others while the budget lasts; the
    // rest keep what they showed until a later build.
    QHash<QString, std::shared_ptr<const LiveEvent>> kept;
    for (const EventCfg& event : m_db.events()) {
        std::shared_ptr<const LiveEvent> live = m_events.value(event.id);
        if (!live || (m_saved.contains(event.id) && m_changed.contains(event.id))) {
            live = read(event);
            m_changed.remove(event.id);
        }
        kept.insert(event.id, live);
    }
    for (const EventCfg& event : m_db.events()) {
        // One event at least, so that a build always gets on.
        const bool spent = budgetMs >= 0 && clock.elapsed() >= budgetMs && m_readLastBuild > 0;
        if (!m_changed.contains(event.id) || spent)
            continue;
        kept.insert(event.id, read(event));
        m_changed.remove(event.id);
    }
    for (const EventCfg& event : m_db.events())
        snapshot->events.push_back(kept.value(event.id));
    // Events that are gone are forgotten with what was pending for them.
    for (auto it = m_changed.begin(); it != m_changed.end();)
        it = kept.contains(*it) ? std::next(it) : m_changed.erase(it);
    m_events = std::move(kept);
    m_saved.clear();
    snapshot->now = makeNow(*snapshot, current);
    return snapshot;
}
