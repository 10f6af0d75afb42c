#pragma once

#include "results/resultrecord.h"

#include <vector>

// Where each entry stands in a list: EntryKey to index, in one flat table
// (open addressing, linear probing). A standing moves a block of entries by
// one place after a saved result; this makes re-pointing each of them a few
// instructions instead of a hash node update.
//
// Key 0 is never stored (no competitor has id 0); entries are never removed
// one by one, only all at once.
class EntryIndex
{
public:
    void clear();
    // Room for count entries without growing.
    void reserve(qsizetype count);
    // Sets (or adds) the index of key; key 0 is ignored.
    void set(EntryKey key, qsizetype index);
    // The index of key, -1 when absent.
    qsizetype find(EntryKey key) const;
    bool contains(EntryKey key) const { return find(key) >= 0; }
    qsizetype size() const { return m_count; }

private:
    struct Slot
    {
        EntryKey key = 0;
        qint32 index = 0;
    };
    size_t slotOf(EntryKey key) const;
    void grow(size_t capacity);

    std::vector<Slot> m_slots; // a power of two in size, at most half full
    qsizetype m_count = 0;
};
