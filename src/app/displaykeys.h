#pragma once

#include <QString>

// The 33 display buttons: F2 to F12, alone, with CTRL and with SHIFT. Their
// index orders them in lists and grids: "F2" 0 ... "F12" 10, "CTRL+F2" 11 ...
// "CTRL+F12" 21, "SHIFT+F2" 22 ... "SHIFT+F12" 32.
namespace DisplayKeys {

constexpr int Count = 33;
constexpr int PerRow = 11; // F2 to F12

// "F2", "CTRL+F5", "SHIFT+F12"; empty for an index outside 0..32.
QString text(int index);

// The index of a key text, -1 for none. Texts compare without regard to
// case, except the plain "F2", which must be written exactly so ("f2" is no
// key, "f3" is F3).
int index(const QString& text);

} // namespace DisplayKeys
