#pragma once

#include <QPixmap>
#include <QSize>

// The program's emblem, drawn at any size: a horseshoe over the product name.
namespace LogoArt {

QPixmap pixmap(const QSize& size);

} // namespace LogoArt
