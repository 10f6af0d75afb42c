#include "windowplacement.h"

QSize WindowPlacement::minimumSize(const QRect& available)
{
    return MinimumSize.boundedTo(available.size());
}

QRect WindowPlacement::defaultPlacement(const QRect& available)
{
    QRect placement(QPoint(0, 0), DefaultSize.boundedTo(available.size()));
    placement.moveCenter(available.center());
    return placement;
}

bool WindowPlacement::isUsable(const QRect& placement, const QSize& minimum)
{
    return placement.width() >= minimum.width() && placement.height() >= minimum.height();
}
