#pragma once

#include <QVector>
#include <QtGlobal>
#include <random>
#include <utility>

// The random source of a draw: a 64-bit Mersenne Twister started from the
// seed recorded with the draw. The bounded draw and the shuffle are our own
// (rejection sampling, Fisher-Yates) because std::uniform_int_distribution
// and std::shuffle may give other sequences with another standard library:
// a seed must redraw the same result on every build of the program.
class DrawRandom
{
public:
    explicit DrawRandom(quint64 seed) : m_engine(seed) {}

    // A uniform value in [0, n); n must be above 0.
    quint64 below(quint64 n);

    // Every order of v equally likely.
    template <typename T> void shuffle(QVector<T>& v)
    {
        for (qsizetype i = v.size() - 1; i > 0; --i)
            std::swap(v[i], v[qsizetype(below(quint64(i) + 1))]);
    }

    // A seed for a new draw, from the system's entropy source.
    static quint64 freshSeed();

private:
    std::mt19937_64 m_engine;
};
