#pragma once

#include "drawrandom.h"
#include "drawtypes.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <utility>

namespace Draw {

struct Rider
{
    EntryKey key = 0;
    quint32 person = 0;
};

struct StockDrawInput
{
    QVector<Rider> riders;
    QVector<quint32> animals;                // those that may be drawn (not out, not taken)
    QHash<quint32, QSet<quint32>> hadBefore; // person -> animals he had in earlier go-rounds
};

struct StockDrawResult
{
    QVector<std::pair<EntryKey, quint32>> drawn; // every rider by key; animal 0: none left
    QVector<EntryKey> repeated;                  // drew an animal he had before: no other was free
    QVector<EntryKey> withoutAnimal;             // the pen has fewer animals than riders
};

// Draws an animal for each rider: each animal at most once, every rider's
// animal equally likely among the pen's. A rider gets an animal he had in an
// earlier go-round only when no other can be freed for him (the draw keeps
// as many riders off their old animals as the pen allows). The same seed and
// input give the same draw; the input's order does not matter.
StockDrawResult drawStock(const StockDrawInput& input, DrawRandom& random);

} // namespace Draw
