#pragma once

#include <QString>

// Reads a decimal integer the way the C library's atoi does: leading blanks,
// an optional sign, then the leading digits; anything else ends the number and
// no digits give 0. Values beyond the int range saturate.
int leadingInt(const QString& text);
