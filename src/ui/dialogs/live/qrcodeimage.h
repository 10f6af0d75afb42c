#pragma once

#include <QImage>
#include <QString>

// A QR code of a text (the live results' address), made by libqrencode:
// black modules on white with the four-module quiet zone a scanner needs,
// each module moduleSize pixels. A null image when the text cannot be
// encoded (too long for any QR version).
QImage QrCodeImage(const QString& text, int moduleSize = 8);
