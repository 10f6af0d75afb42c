#include "drawsheet.h"

#include "app/log.h"
#include "reportbuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace {

QString cell(const QString& text, const char* tag = "td")
{
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), text.toHtmlEscaped());
}

} // namespace

QString DrawSheet::baseName(const QString& eventId, int goRound)
{
    // Event ids are letters and digits; anything else would not be a file name.
    QString id = eventId;
    for (QChar& c : id)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return QStringLiteral("Draw %1 Go %2").arg(id).arg(goRound);
}

QString DrawSheet::html(const DrawSheetData& d)
{
    const int columns = d.withAnimals ? 4 : 3;
    QString page = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"><title>Draw</title>"
        "<style>body{font-family:sans-serif;font-size:10pt} table{width:100%;border-collapse:collapse}"
        "td,th{padding:2px 6px;white-space:nowrap} th{background:#000088;color:white;text-align:left}"
        "tr.alt{background:#E0E0E0} .title{font-weight:bold;text-align:center} .perf td{font-weight:bold;"
        "border-top:1px solid #000088}</style></head><body><table>");
    for (const QString& title : d.titles)
        if (!title.isEmpty())
            page += QStringLiteral("<tr><td class=\"title\" colspan=\"%1\">%2</td></tr>")
                        .arg(columns)
                        .arg(title.toHtmlEscaped());
    page += QStringLiteral("<tr><td class=\"title\" colspan=\"%1\">Draw: %2, %3</td></tr>")
                .arg(columns)
                .arg(d.event.toHtmlEscaped(), d.goRound.toHtmlEscaped());
    const QString how = d.drawn
                            ? QStringLiteral("Drawn %1 (%2 UTC), seed %3")
                                  .arg(d.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                       d.when.toUTC().toString(QStringLiteral("HH:mm:ss")))
                                  .arg(d.seed)
                            : QStringLiteral("Not drawn: the running order as entered");
    page += QStringLiteral("<tr><td class=\"title\" colspan=\"%1\">%2</td></tr>").arg(columns).arg(how);
    page += QStringLiteral("<tr>") + cell(QStringLiteral("Performance"), "th") +
            cell(QStringLiteral("Order"), "th") + cell(QStringLiteral("Contestant"), "th") +
            (d.withAnimals ? cell(QStringLiteral("Animal"), "th") : QString()) + QStringLiteral("</tr>");
    int row = 0;
    for (const DrawSheetData::Row& r : d.rows) {
        page += QStringLiteral("<tr%1>").arg(row++ % 2 ? QStringLiteral(" class=\"alt\"") : QString()) +
                cell(r.perf > 0 ? QString::number(r.perf) : QStringLiteral("Unplaced")) +
                cell(r.ord > 0 ? QString::number(r.ord) : QString()) + cell(r.competitor) +
                (d.withAnimals ? cell(r.animal) : QString()) + QStringLiteral("</tr>");
    }
    page += QStringLiteral("</table>");
    if (!d.unmet.isEmpty()) {
        page += QStringLiteral("<p><b>Not honoured, accepted by the secretary:</b></p><ul>");
        for (const QString& u : d.unmet)
            page += QStringLiteral("<li>%1</li>").arg(u.toHtmlEscaped());
        page += QStringLiteral("</ul>");
    }
    return page + QStringLiteral("</body></html>");
}

bool DrawSheet::write(const DrawSheetData& data, const QString& htmlPath, const QString& pdfPath,
                      QString* error)
{
    const QString page = html(data);
    if (!ReportBuilder::writePage(htmlPath, page)) {
        if (error)
            *error = QStringLiteral("The page %1 cannot be written.").arg(htmlPath);
        return false;
    }
    // The PDF goes beside under another name first: a reader holding the old
    // one open never sees half a file.
    const QString part = pdfPath + QStringLiteral(".part");
    bool written = false;
    {
        QPdfWriter writer(part);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Draw: %1, %2").arg(data.event, data.goRound));
        QTextDocument doc;
        doc.setHtml(page);
        doc.print(&writer);
        written = QFileInfo(part).size() > 0;
    }
    written =
        written && (!QFileInfo::exists(pdfPath) || QFile::remove(pdfPath)) && QFile::rename(part, pdfPath);
    if (!written) {
        QFile::remove(part);
        logReport("Failed to write the draw sheet.  DrawSheet::Write  File:%s", pdfPath);
        if (error)
            *error = QStringLiteral("The PDF %1 cannot be written.").arg(pdfPath);
        return false;
    }
    return true;
}
