#include "entryrows.h"

#include "db/databasemanager.h"

#include <algorithm>

namespace EntryRows {

namespace {

struct Sortable
{
    Row row;
    int group = 0; // 0 in the event, 1 not
    int place = 0; // 0 the selected performance, 1 another performance, 2 unplaced
    int perf = 0;
    int ord = 0;
    QString name; // folded for comparison
    int plrEnt = 0;
};

QString contestantName(const CDatabaseManager& db, quint32 plrId)
{
    const ContestantRec* c = db.contestants().find(plrId);
    return c ? (c->lastName + QChar(1) + c->firstName).toCaseFolded() : QString();
}

QString teamName(const CDatabaseManager& db, quint32 tmId)
{
    const TeamRec* t = db.teams().find(tmId);
    return t ? t->name.toCaseFolded() : QString();
}

} // namespace

QVector<Row> build(const CDatabaseManager& db, const Selection& s)
{
    const RegEntryCollection& entries = s.team ? db.teamEntries() : db.playerEntries();
    const bool rodeoNode = s.eventId.isEmpty();
    const int go = s.goRound > 0 ? s.goRound : 1;
    std::vector<Sortable> rows;
    rows.reserve(size_t(entries.size()));

    for (const RegEntryCollection::CompetitorEntry& c : entries.competitors()) {
        if (c.ptId() == 0)
            continue; // the rows that only keep a performance in existence
        if (rodeoNode && c.plrEnt() != 1)
            continue;
        const RegEntryCollection::EventRegistration* reg = rodeoNode ? nullptr : c.event(s.eventId);
        const RegEntryCollection::Slot* slot = reg ? reg->slot(go) : nullptr;
        const bool placed = slot && slot->perf != 0;
        if (!rodeoNode) {
            if (s.mode == Event && !reg)
                continue;
            if (s.mode == Performances && !(placed && (s.perf == 0 || slot->perf == s.perf)))
                continue;
            if (s.mode == Unassigned && !(reg && !placed))
                continue;
        }
        Sortable r;
        r.row.key = c.key;
        r.group = reg ? 0 : 1;
        if (placed) {
            r.place = s.perf != 0 && slot->perf != s.perf ? 1 : 0;
            r.perf = slot->perf;
            r.ord = slot->ord;
        } else {
            r.place = 2;
        }
        r.name = s.team ? teamName(db, c.ptId()) : contestantName(db, c.ptId());
        r.plrEnt = c.plrEnt();
        rows.push_back(std::move(r));
    }

    // Season: the season's contestants without an entry in the rodeo join the list.
    if (s.mode == Season && !s.team) {
        for (const ContestantRec& c : db.contestants()) {
            if (c.plrId == 0 || entries.holdsCompetitor(c.plrId))
                continue;
            Sortable r;
            r.row.key = makeEntryKey(c.plrId, 1);
            r.row.entered = false;
            r.group = 1;
            r.place = 2;
            r.name = (c.lastName + QChar(1) + c.firstName).toCaseFolded();
            r.plrEnt = 1;
            rows.push_back(std::move(r));
        }
    }

    std::stable_sort(rows.begin(), rows.end(), [rodeoNode](const Sortable& a, const Sortable& b) {
        if (!rodeoNode) {
            if (a.group != b.group)
                return a.group < b.group;
            if (a.place != b.place)
                return a.place < b.place;
            if (a.perf != b.perf)
                return a.perf < b.perf;
            if (a.ord != b.ord)
                return a.ord < b.ord;
        }
        if (a.name != b.name)
            return a.name < b.name;
        if (entryKeyId(a.row.key) != entryKeyId(b.row.key))
            return entryKeyId(a.row.key) < entryKeyId(b.row.key);
        return a.plrEnt < b.plrEnt;
    });
    QVector<Row> out;
    out.reserve(qsizetype(rows.size()));
    for (const Sortable& r : rows)
        out.append(r.row);
    return out;
}

} // namespace EntryRows
