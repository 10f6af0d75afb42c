#include "pagepdf.h"

#include "app/log.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>

bool PagePdf::write(const QString& html, const QString& path, const QString& title, QString* why)
{
    const auto fail = [&](const QString& text) {
        logReport("Failed to print the page.  PagePdf::Write  Path:%s, Error:%s", path, text);
        if (why)
            *why = text;
        return false;
    };
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    {
        QPdfWriter pdf(part);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Scorvane Rodeo"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        pdf.setResolution(144);
        QTextDocument doc;
        // Fonts measured at the PDF's resolution, not the screen's.
        doc.documentLayout()->setPaintDevice(&pdf);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(8);
        doc.setDefaultFont(font);
        doc.setHtml(html);
        doc.setPageSize(pdf.pageLayout().paintRectPixels(pdf.resolution()).size());
        doc.print(&pdf);
    }
    if (QFileInfo(part).size() <= 0) {
        QFile::remove(part);
        return fail(QStringLiteral("The PDF file %1 could not be written.").arg(path));
    }
    QFile::remove(path);
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        return fail(QStringLiteral("The PDF file %1 could not be written.").arg(path));
    }
    return true;
}
