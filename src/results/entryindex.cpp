#include "results/entryindex.h"

#include <algorithm>
#include <utility>

namespace {

// Entry keys are ids shifted by 8 bits: mixing spreads neighbouring ids.
size_t mix(EntryKey key)
{
    quint32 h = key;
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

} // namespace

void EntryIndex::clear()
{
    m_slots.clear();
    m_count = 0;
}

void EntryIndex::reserve(qsizetype count)
{
    size_t capacity = 16;
    while (capacity < size_t(std::max<qsizetype>(count, 0)) * 2)
        capacity *= 2;
    if (capacity > m_slots.size())
        grow(capacity);
}

size_t EntryIndex::slotOf(EntryKey key) const
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = mix(key) & mask;
    while (m_slots[slot].key != 0 && m_slots[slot].key != key)
        slot = (slot + 1) & mask;
    return slot;
}

void EntryIndex::grow(size_t capacity)
{
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(capacity));
    for (const Slot& s : old) {
        if (s.key != 0)
            m_slots[slotOf(s.key)] = s;
    }
}

void EntryIndex::set(EntryKey key, qsizetype index)
{
    if (key == 0)
        return;
    if (m_slots.empty() || size_t(m_count + 1) * 2 > m_slots.size())
        grow(std::max<size_t>(16, m_slots.size() * 2));
    Slot& s = m_slots[slotOf(key)];
    if (s.key == 0) {
        s.key = key;
        ++m_count;
    }
    s.index = qint32(index);
}

qsizetype EntryIndex::find(EntryKey key) const
{
    if (key == 0 || m_slots.empty())
        return -1;
    const Slot& s = m_slots[slotOf(key)];
    return s.key == key ? s.index : -1;
}
