#include "regentrycollection.h"

#include <algorithm>

const RegEntryCollection::Slot* RegEntryCollection::EventRegistration::slot(int goRound) const
{
    for (const Slot& s : rounds)
        if (s.goRound == goRound)
            return &s;
    return nullptr;
}

int RegEntryCollection::EventRegistration::highestGoRound() const
{
    int highest = 0;
    for (const Slot& s : rounds)
        highest = std::max<int>(highest, s.goRound);
    return highest;
}

const RegEntryCollection::EventRegistration*
RegEntryCollection::CompetitorEntry::event(const QString& eventId) const
{
    for (const EventRegistration& e : events)
        if (e.eventId == eventId)
            return &e;
    return nullptr;
}

void RegEntryCollection::clear()
{
    m_items.clear();
    m_index.clear();
    m_keysOfCompetitor.clear();
}

RegEntryCollection::CompetitorEntry& RegEntryCollection::ensure(quint32 key)
{
    const auto it = m_index.constFind(key);
    if (it != m_index.cend())
        return m_items[*it];
    CompetitorEntry c;
    c.key = key;
    m_index.insert(key, static_cast<int>(m_items.size()));
    m_keysOfCompetitor[key >> 8].append(key);
    m_items.append(c);
    return m_items.last();
}

bool RegEntryCollection::add(const RegEntry& entry)
{
    if (entry.eventId.isEmpty())
        return false;
    const quint32 key = entry.key();
    if (entry.plrEnt > 1 && entry.teamFlag != RegEntry::TeamEntry) {
        CompetitorEntry& first = ensure((entry.ptId << 8) | 1u);
        if (!first.event(entry.eventId))
            first.events.append({entry.eventId, entry.teamFlag, {}});
    }

    CompetitorEntry& c = ensure(key);
    c.text = entry.text;
    c.value = entry.value;
    EventRegistration* ev = nullptr;
    for (EventRegistration& e : c.events)
        if (e.eventId == entry.eventId)
            ev = &e;
    if (!ev) {
        c.events.append({entry.eventId, entry.teamFlag, {}});
        ev = &c.events.last();
    } else if (entry.teamFlag == RegEntry::OwnEntry) {
        ev->teamFlag = RegEntry::OwnEntry; // a row of his own there
    }
    for (Slot& s : ev->rounds) {
        if (s.goRound == entry.goRound) {
            s.perf = entry.perf;
            s.ord = entry.ord;
            s.stock = entry.stock;
            return true;
        }
    }
    ev->rounds.append({entry.goRound, entry.perf, entry.ord, entry.stock});
    return true;
}

bool RegEntryCollection::remove(const RegEntry& entry, RemoveMode mode)
{
    const auto it = m_index.constFind(entry.key());
    if (it == m_index.cend())
        return false;
    const int index = *it;
    CompetitorEntry& c = m_items[index];

    if (mode == RemoveCompetitor) {
        removeAt(index);
        return true;
    }

    const auto ev = std::find_if(c.events.begin(), c.events.end(),
                                 [&entry](const EventRegistration& e) { return e.eventId == entry.eventId; });
    if (ev == c.events.end())
        return false;

    if (mode == RemoveEvent) {
        c.events.erase(ev);
    } else {
        if (mode == RemoveHighestGoRound && entry.goRound != ev->highestGoRound())
            return false;
        const auto slot = std::find_if(ev->rounds.begin(), ev->rounds.end(),
                                       [&entry](const Slot& s) { return s.goRound == entry.goRound; });
        if (slot == ev->rounds.end())
            return false;
        ev->rounds.erase(slot);
        if (ev->rounds.isEmpty())
            c.events.erase(ev);
    }
    if (c.events.isEmpty())
        removeAt(index);
    return true;
}

void RegEntryCollection::removeAt(int index)
{
    const quint32 key = m_items[index].key;
    QVector<quint32>& keys = m_keysOfCompetitor[key >> 8];
    keys.removeOne(key);
    if (keys.isEmpty())
        m_keysOfCompetitor.remove(key >> 8);
    m_items.remove(index);
    reindex();
}

void RegEntryCollection::reindex()
{
    m_index.clear();
    m_index.reserve(m_items.size());
    for (int i = 0; i < m_items.size(); ++i)
        m_index.insert(m_items[i].key, i);
}

const RegEntryCollection::CompetitorEntry* RegEntryCollection::find(quint32 key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : &m_items[*it];
}

int RegEntryCollection::entryCount(quint32 ptId, const QString& eventId) const
{
    int count = 0;
    for (quint32 key : m_keysOfCompetitor.value(ptId)) {
        const CompetitorEntry* c = find(key);
        if (c && c->event(eventId))
            count = std::max(count, c->plrEnt());
    }
    return count;
}

RegEntryCollection::Lookup RegEntryCollection::lookup(quint32 key, const QString& eventId, int goRound) const
{
    Lookup out;
    out.entryCount = entryCount(key >> 8, eventId);
    const CompetitorEntry* c = find(key);
    if (!c)
        return out;
    const EventRegistration* ev = c->event(eventId);
    if (!ev)
        return out;
    if (const Slot* s = ev->slot(goRound)) {
        out.found = true;
        out.perf = s->perf;
        out.ord = s->ord;
        out.stock = s->stock;
    }
    return out;
}

QVector<RegEntry> RegEntryCollection::entries(const QString& eventId, int goRound) const
{
    QVector<RegEntry> out;
    for (const CompetitorEntry& c : m_items) {
        for (const EventRegistration& e : c.events) {
            if (!eventId.isEmpty() && e.eventId != eventId)
                continue;
            for (const Slot& s : e.rounds) {
                if (goRound > 0 && s.goRound != goRound)
                    continue;
                RegEntry r;
                r.text = c.text;
                r.value = c.value;
                r.teamFlag = e.teamFlag;
                r.eventId = e.eventId;
                r.goRound = s.goRound;
                r.ptId = c.ptId();
                r.plrEnt = static_cast<quint16>(c.plrEnt());
                r.perf = s.perf;
                r.ord = s.ord;
                r.stock = s.stock;
                out.append(r);
            }
        }
    }
    return out;
}
