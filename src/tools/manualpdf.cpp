// Turns the user manual's Markdown chapters into one PDF with Qt's own
// Markdown reader and PDF writer:
//   tallyra-manual <manual folder> <output.pdf>
// Fails (status 1) when a chapter links an image or chapter that is not there.
#include "app/manuallinks.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

namespace {

// Images wider than the text are scaled down to its width, keeping their
// proportions. The pictures are read from the manual's folder here: the
// document only loads its resources while it lays itself out, too late to
// size them.
void fitImages(QTextDocument& doc, const QString& folder, qreal width, qreal scale)
{
    struct Found
    {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Found> found;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            if (image.isValid())
                found.append({fragment.position(), fragment.length(), image});
        }
    }
    // Changed after the walk: a changed format splits and merges fragments.
    for (Found& f : found) {
        const QImage picture(QDir(folder).filePath(QUrl(f.format.name()).path()));
        // The document draws a picture's pixels at the device's dots per
        // inch over 96: the size given is in those pixels too.
        if (picture.isNull() || picture.width() * scale <= width)
            continue;
        f.format.setWidth(width / scale);
        f.format.setHeight(picture.height() * width / scale / picture.width());
        QTextCursor cursor(&doc);
        cursor.setPosition(f.position);
        cursor.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(f.format);
    }
}

// Every chapter (a first-level heading) starts on a new page.
void breakBeforeChapters(QTextDocument& doc)
{
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1)
            continue;
        if (!first) {
            QTextCursor cursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
        }
        first = false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tallyra-manual <manual folder> <output.pdf>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QStringList broken = ManualLinks::broken(folder);
    for (const QString& link : broken)
        std::fprintf(stderr, "broken link: %s\n", qPrintable(link));
    if (!broken.isEmpty())
        return 1;

    // The chapters one after another, each from a new page.
    QString markdown;
    for (const QString& chapter : ManualLinks::chapters(folder)) {
        QFile file(QDir(folder).filePath(chapter));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        QString text = QString::fromUtf8(file.readAll());
        // Links between chapters mean nothing on paper: keep their text.
        static const QRegularExpression chapterLink(
            QStringLiteral(R"((?<!!)\[([^\]]+)\]\([^)\s]+\.md[^)]*\))"));
        text.replace(chapterLink, QStringLiteral("\\1"));
        markdown += text + QStringLiteral("\n\n");
    }

    QPdfWriter pdf(output);
    pdf.setTitle(QStringLiteral("Scorvane Rodeo Software Manual"));
    pdf.setCreator(QStringLiteral("Scorvane Rodeo"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                  QPageLayout::Millimeter));
    pdf.setResolution(144);

    QTextDocument doc;
    // Fonts measured at the PDF's resolution, not the screen's.
    doc.documentLayout()->setPaintDevice(&pdf);
    doc.setBaseUrl(QUrl::fromLocalFile(QDir(folder).absolutePath() + QLatin1Char('/')));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setMarkdown(markdown);
    const QRectF page = pdf.pageLayout().paintRectPixels(pdf.resolution());
    doc.setPageSize(page.size());
    fitImages(doc, folder, page.width() - 8, pdf.logicalDpiX() / 96.0);
    breakBeforeChapters(doc);
    doc.print(&pdf);
    if (!QFile::exists(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
