#pragma once

#include <QString>
#include <compare>

// The order in which people read names: case is ignored and an accented
// letter sorts right after its base letter ("Eric" < "Éric" < "Frank").
// Names that differ only in case compare equal, so that a stable sort keeps
// "de la Cruz" and "De La Cruz" together in the order they had.
struct CollationKey
{
    QString base;   // case-folded, accents taken off
    QString folded; // case-folded with its accents; empty when it has none

    friend std::strong_ordering operator<=>(const CollationKey& a, const CollationKey& b)
    {
        if (const int c = QString::compare(a.base, b.base); c != 0)
            return c < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
        const int c = QString::compare(a.folded, b.folded);
        return c < 0   ? std::strong_ordering::less
               : c > 0 ? std::strong_ordering::greater
                       : std::strong_ordering::equal;
    }
    friend bool operator==(const CollationKey& a, const CollationKey& b)
    {
        return a.base == b.base && a.folded == b.folded;
    }
};

CollationKey collationKey(const QString& text);
