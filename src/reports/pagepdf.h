#pragma once

#include <QString>

// A report page printed to a PDF file (A4, portrait) with Qt's own HTML
// reader and PDF writer, as the user manual is made. Needs a
// QGuiApplication. The file is written beside its place and renamed into it,
// so a failed print leaves no half-written PDF and an older one stays.
namespace PagePdf {

bool write(const QString& html, const QString& path, const QString& title, QString* why = nullptr);

} // namespace PagePdf
