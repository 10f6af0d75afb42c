#pragma once

#include <QRect>
#include <QSize>

// Where the main window goes when the state file holds no placement it can be
// restored to. Without one, the window would open at its bare minimum (about
// 257 by 100 pixels), which an X server without a window manager keeps and the
// state file would then remember.
namespace WindowPlacement {

// The size a first start opens at, when the screen has room for it.
inline constexpr QSize DefaultSize{1024, 700};
// Below this the views' lists are of no use.
inline constexpr QSize MinimumSize{640, 480};

// MinimumSize, or the available area where that is smaller.
QSize minimumSize(const QRect& available);
// DefaultSize (each side cut to the available area where that is smaller),
// centred in the available area.
QRect defaultPlacement(const QRect& available);
// A stored placement is restored, and a placement stored, only when it is at
// least minimum on both sides.
bool isUsable(const QRect& placement, const QSize& minimum);

} // namespace WindowPlacement
