#include "qrcodeimage.h"

#include <QPainter>
#include <memory>
#include <qrencode.h>

QImage QrCodeImage(const QString& text, int moduleSize)
{
    constexpr int quietZone = 4;
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), QRcode_free);
    if (!code || code->width <= 0 || moduleSize <= 0)
        return QImage();
    const int modules = code->width + 2 * quietZone;
    QImage image(modules * moduleSize, modules * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1) // bit 0: a dark module
                painter.fillRect((x + quietZone) * moduleSize, (y + quietZone) * moduleSize, moduleSize,
                                 moduleSize, Qt::black);
    return image;
}
