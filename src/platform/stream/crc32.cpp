#include "crc32.h"

#include <array>

namespace {

using Tables = std::array<std::array<quint32, 256>, 8>;

// Table 0 is the classic byte-at-a-time table; table k advances a byte that
// is followed by k more bytes, so that eight bytes are taken per step.
constexpr Tables makeTables()
{
    Tables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        t[0][i] = c;
    }
    for (size_t k = 1; k < t.size(); ++k)
        for (quint32 i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
    return t;
}

constexpr Tables T = makeTables();

quint32 readLittleEndian32(const unsigned char* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

} // namespace

quint32 crc32(const char* data, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    quint32 c = 0xFFFFFFFFu;
    // Every text piece of a scoreboard refresh is checked once per stream:
    // eight bytes a step instead of one.
    for (; size >= 8; size -= 8, p += 8) {
        const quint32 low = c ^ readLittleEndian32(p);
        const quint32 high = readLittleEndian32(p + 4);
        c = T[7][low & 0xFFu] ^ T[6][(low >> 8) & 0xFFu] ^ T[5][(low >> 16) & 0xFFu] ^ T[4][low >> 24] ^
            T[3][high & 0xFFu] ^ T[2][(high >> 8) & 0xFFu] ^ T[1][(high >> 16) & 0xFFu] ^ T[0][high >> 24];
    }
    for (; size > 0; --size, ++p)
        c = T[0][(c ^ *p) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}
