#include "logoart.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace LogoArt {

QPixmap pixmap(const QSize& size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (size.isEmpty())
        return pm;

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient bg(r.topLeft(), r.bottomLeft());
    bg.setColorAt(0, QColor(122, 28, 24));
    bg.setColorAt(1, QColor(64, 14, 12));
    p.setPen(QPen(QColor(212, 170, 90), qMax(1.0, size.height() / 60.0)));
    p.setBrush(bg);
    const qreal radius = qMin(r.width(), r.height()) / 10.0;
    p.drawRoundedRect(r, radius, radius);

    // Horseshoe: a thick open arc, points down, in the upper part.
    const qreal h = r.height();
    const qreal shoe = h * 0.5;
    const QRectF shoeRect(r.center().x() - shoe / 2, r.top() + h * 0.08, shoe, shoe);
    QPen shoePen(QColor(212, 170, 90), shoe * 0.16, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shoePen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(shoeRect.adjusted(shoe * 0.1, shoe * 0.1, -shoe * 0.1, -shoe * 0.1), -30 * 16, 240 * 16);

    // Product name below.
    QFont f;
    f.setBold(true);
    f.setPixelSize(qMax(6, static_cast<int>(h * 0.16)));
    p.setFont(f);
    p.setPen(QColor(245, 232, 200));
    const QRectF textRect(r.left(), r.top() + h * 0.62, r.width(), h * 0.2);
    p.drawText(textRect, Qt::AlignCenter, QStringLiteral("SCORVANE"));
    f.setPixelSize(qMax(5, static_cast<int>(h * 0.11)));
    f.setBold(false);
    f.setLetterSpacing(QFont::PercentageSpacing, 130);
    p.setFont(f);
    p.drawText(QRectF(r.left(), r.top() + h * 0.8, r.width(), h * 0.14), Qt::AlignCenter, QStringLiteral("RODEO"));
    return pm;
}

} // namespace LogoArt
