#include "stockdraw.h"

#include <algorithm>

namespace {

using Draw::Rider;

// Riders matched to animals they have not had: a first pass in the random
// orders, then augmenting paths for those left over (Kuhn's algorithm).
class StockMatching
{
public:
    StockMatching(const QVector<Rider>& riders, const QVector<quint32>& animals,
                  const QHash<quint32, QSet<quint32>>& hadBefore)
        : m_riders(riders), m_animals(animals), m_hadBefore(hadBefore), m_animalOf(riders.size(), -1),
          m_riderOf(animals.size(), -1)
    {
    }

    void run()
    {
        for (int r = 0; r < m_riders.size(); ++r)
            for (int a = 0; a < m_animals.size(); ++a)
                if (m_riderOf[a] < 0 && isNew(r, a)) {
                    take(r, a);
                    break;
                }
        for (int r = 0; r < m_riders.size(); ++r) {
            if (m_animalOf[r] >= 0)
                continue;
            QVector<bool> seen(m_animals.size(), false);
            augment(r, seen);
        }
    }

    int animalOf(int rider) const { return m_animalOf[rider]; }
    bool isFree(int animal) const { return m_riderOf[animal] < 0; }
    void take(int r, int a)
    {
        m_animalOf[r] = a;
        m_riderOf[a] = r;
    }

private:
    bool isNew(int r, int a) const { return !m_hadBefore.value(m_riders[r].person).contains(m_animals[a]); }

    bool augment(int r, QVector<bool>& seen)
    {
        for (int a = 0; a < m_animals.size(); ++a) {
            if (seen[a] || !isNew(r, a))
                continue;
            seen[a] = true;
            if (m_riderOf[a] < 0 || augment(m_riderOf[a], seen)) {
                take(r, a);
                return true;
            }
        }
        return false;
    }

    const QVector<Rider>& m_riders;
    const QVector<quint32>& m_animals;
    const QHash<quint32, QSet<quint32>>& m_hadBefore;
    QVector<int> m_animalOf;
    QVector<int> m_riderOf;
};

} // namespace

Draw::StockDrawResult Draw::drawStock(const StockDrawInput& input, DrawRandom& random)
{
    QVector<Rider> riders = input.riders;
    std::sort(riders.begin(), riders.end(), [](const Rider& a, const Rider& b) { return a.key < b.key; });
    QVector<quint32> animals = input.animals;
    animals.removeAll(0u);
    std::sort(animals.begin(), animals.end());
    animals.erase(std::unique(animals.begin(), animals.end()), animals.end());
    random.shuffle(riders);
    random.shuffle(animals);

    StockMatching matching(riders, animals, input.hadBefore);
    matching.run();

    StockDrawResult out;
    int nextFree = 0;
    for (int r = 0; r < riders.size(); ++r) {
        int a = matching.animalOf(r);
        if (a < 0) {
            // Every animal he has not had is taken: one he had, if any is left.
            while (nextFree < animals.size() && !matching.isFree(nextFree))
                ++nextFree;
            if (nextFree < animals.size()) {
                a = nextFree;
                matching.take(r, a);
                out.repeated.append(riders[r].key);
            } else {
                out.withoutAnimal.append(riders[r].key);
            }
        }
        out.drawn.append({riders[r].key, a >= 0 ? animals[a] : 0u});
    }
    std::sort(out.drawn.begin(), out.drawn.end());
    std::sort(out.repeated.begin(), out.repeated.end());
    std::sort(out.withoutAnimal.begin(), out.withoutAnimal.end());
    return out;
}
