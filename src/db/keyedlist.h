#pragma once

#include <QHash>
#include <QVector>

#include <algorithm>
#include <functional>
#include <utility>

// An ordered list of records with an index by identity. Adding a record whose
// identity is already present replaces that record in place.
template <typename Rec, typename Key>
class KeyedList
{
public:
    using KeyOf = Key (*)(const Rec&);

    explicit KeyedList(KeyOf keyOf) : m_keyOf(keyOf) {}

    void clear()
    {
        m_items.clear();
        m_index.clear();
    }

    // Appends, or replaces the record of the same identity where it stands.
    void add(const Rec& rec)
    {
        const Key k = m_keyOf(rec);
        const auto it = m_index.constFind(k);
        if (it != m_index.cend()) {
            m_items[*it] = rec;
            return;
        }
        m_index.insert(k, static_cast<int>(m_items.size()));
        m_items.append(rec);
    }

    bool remove(Key k)
    {
        const auto it = m_index.constFind(k);
        if (it == m_index.cend())
            return false;
        m_items.remove(*it);
        reindex();
        return true;
    }

    const Rec* find(Key k) const
    {
        const auto it = m_index.constFind(k);
        return it == m_index.cend() ? nullptr : &m_items[*it];
    }
    Rec* find(Key k)
    {
        const auto it = m_index.constFind(k);
        return it == m_index.cend() ? nullptr : &m_items[*it];
    }
    bool contains(Key k) const { return m_index.contains(k); }

    int size() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const Rec& at(int i) const { return m_items.at(i); }
    Rec& operator[](int i) { return m_items[i]; }
    const QVector<Rec>& items() const { return m_items; }
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }

    // Stable ascending sort by a key computed once per record (so that costly
    // keys such as case-folded names are not rebuilt for every comparison).
    template <typename KeyFn>
    void sortBy(KeyFn keyFn)
    {
        using SortKey = decltype(keyFn(std::declval<const Rec&>()));
        QVector<std::pair<SortKey, int>> keyed;
        keyed.reserve(m_items.size());
        for (int i = 0; i < m_items.size(); ++i)
            keyed.append({keyFn(m_items[i]), i});
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QVector<Rec> sorted;
        sorted.reserve(m_items.size());
        for (const auto& k : keyed)
            sorted.append(std::move(m_items[k.second]));
        m_items = std::move(sorted);
        reindex();
    }

private:
    void reindex()
    {
        m_index.clear();
        m_index.reserve(m_items.size());
        for (int i = 0; i < m_items.size(); ++i)
            m_index.insert(m_keyOf(m_items[i]), i);
    }

    KeyOf m_keyOf;
    QVector<Rec> m_items;
    QHash<Key, int> m_index;
};
