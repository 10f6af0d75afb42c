#include "drawrandom.h"

quint64 DrawRandom::below(quint64 n)
{
    Q_ASSERT(n > 0);
    // Values under 2^64 mod n would make the low results likelier; they are
    // drawn again (at most about half the time, for n just above 2^63).
    const quint64 threshold = (0 - n) % n;
    quint64 r = m_engine();
    while (r < threshold)
        r = m_engine();
    return r % n;
}

quint64 DrawRandom::freshSeed()
{
    std::random_device device;
    return (quint64(device()) << 32) ^ quint64(device());
}
