#include "livepages.h"

namespace {

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

// root: "" for the pages' relative links, "/" for a page the server
// answers at any depth (the page for a name that is not there).
QString head(const QString& title, const QString& pageTitle, const QString& root = QString())
{
    const QString full = pageTitle.isEmpty() ? title : pageTitle + QStringLiteral(" \u2013 ") + title;
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                          "<title>%1</title>\n<link rel=\"stylesheet\" href=\"%3live.css\">\n"
                          "<script src=\"%3live.js\" defer></script>\n</head>\n<body>\n"
                          "<header><h1>%2</h1><nav><a href=\"%3now.html\">Now</a> "
                          "<a href=\"%3index.html\">Events</a></nav></header>\n")
        .arg(esc(full), esc(title.isEmpty() ? QStringLiteral("Live Results") : title), root);
}

QString foot()
{
    return QStringLiteral("<footer><span id=\"live-state\"></span></footer>\n</body>\n</html>\n");
}

// The competitor cell: back number, name, team members and animal.
QString who(const LiveRow& row)
{
    QString html;
    if (!row.bib.isEmpty())
        html += QStringLiteral("<span class=\"bib\">%1</span> ").arg(esc(row.bib));
    html += QStringLiteral("<span class=\"name\">%1</span>").arg(esc(row.name));
    if (!row.members.isEmpty())
        html +=
            QStringLiteral("<span class=\"more\">%1</span>").arg(esc(row.members.join(QStringLiteral(", "))));
    if (!row.stock.isEmpty())
        html += QStringLiteral("<span class=\"more\">%1</span>").arg(esc(row.stock));
    return html;
}

QString place(const LiveRow& row)
{
    return row.place > 0 ? QString::number(row.place) : QString();
}

// Score and time cells; a status ("NO SCORE", ...) follows the value it
// is about: the score of a scored event, the time of a timed one.
QString resultCells(const LiveRow& row, bool scored)
{
    const QString value = esc(scored ? row.score : row.time);
    QString marked = value;
    if (!row.status.isEmpty())
        marked += (value.isEmpty() ? QString() : QStringLiteral(" ")) +
                  QStringLiteral("<span class=\"status\">%1</span>").arg(esc(row.status));
    if (scored)
        return QStringLiteral("<td class=\"num\">%1</td><td class=\"num\">%2</td>")
            .arg(marked, esc(row.time));
    return QStringLiteral("<td class=\"num\">%1</td>").arg(marked);
}

QString resultHeads(bool scored)
{
    return scored ? QStringLiteral("<th class=\"num\">Score</th><th class=\"num\">Time</th>")
                  : QStringLiteral("<th class=\"num\">Time</th>");
}

QString standingTable(const LiveStanding& standing, bool scored, bool overall)
{
    QString html = QStringLiteral("<section>\n<h3>%1</h3>\n").arg(esc(standing.title));
    if (standing.rows.empty())
        return html + QStringLiteral("<p class=\"empty\">No results yet.</p>\n</section>\n");
    html +=
        QStringLiteral(
            "<table>\n<thead><tr><th class=\"num\">Place</th><th>Contestant</th>%1%2</tr></thead>\n"
            "<tbody>\n")
            .arg(resultHeads(scored), overall ? QStringLiteral("<th class=\"num\">Runs</th>") : QString());
    for (const LiveRow& row : standing.rows) {
        html +=
            QStringLiteral("<tr><td class=\"num\">%1</td><td>%2</td>%3%4</tr>\n")
                .arg(place(row), who(row), resultCells(row, scored),
                     overall ? QStringLiteral("<td class=\"num\">%1</td>").arg(esc(row.rides)) : QString());
    }
    return html + QStringLiteral("</tbody>\n</table>\n</section>\n");
}

QString updated(const LiveSnapshot& snapshot)
{
    return QStringLiteral("<p class=\"updated\">Updated %1</p>\n")
        .arg(esc(snapshot.published.toLocalTime().toString(QStringLiteral("HH:mm:ss"))));
}

QString closedNotice()
{
    return QStringLiteral("<p class=\"empty\">No rodeo is open at the scoring table.</p>\n");
}

} // namespace

namespace LivePages {

QString eventFileName(const QString& eventId)
{
    QString name = QStringLiteral("event-");
    for (const QChar c : eventId) {
        const ushort u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) {
            name += c;
        } else {
            for (const char byte : QString(c).toUtf8())
                name += QStringLiteral("_%1").arg(uchar(byte), 2, 16, QLatin1Char('0'));
        }
    }
    return name + QStringLiteral(".html");
}

QByteArray index(const LiveSnapshot& snapshot)
{
    QString html = head(snapshot.title, QStringLiteral("Events"));
    html += QStringLiteral("<main id=\"live\">\n");
    if (!snapshot.rodeoOpen) {
        html += closedNotice();
    } else {
        html += QStringLiteral("<h2>%1</h2>\n").arg(esc(snapshot.rodeo));
        if (!snapshot.date.trimmed().isEmpty())
            html += QStringLiteral("<p class=\"date\">%1</p>\n").arg(esc(snapshot.date));
        const LiveNow& now = snapshot.now;
        if (now.running)
            html += QStringLiteral(
                        "<p class=\"nowlink\"><a href=\"now.html\">Now: %1, %2, Performance %3</a></p>\n")
                        .arg(esc(now.eventName), esc(now.round), QString::number(now.performance));
        html += QStringLiteral("<ul class=\"events\">\n");
        for (const auto& e : snapshot.events) {
            const int count = e->resultCount();
            html +=
                QStringLiteral("<li><a href=\"%1\">%2</a> <span class=\"more\">%3</span></li>\n")
                    .arg(esc(eventFileName(e->id)), esc(e->name),
                         count == 1 ? QStringLiteral("1 result") : QStringLiteral("%1 results").arg(count));
        }
        html += QStringLiteral("</ul>\n");
    }
    html += updated(snapshot) + QStringLiteral("</main>\n") + foot();
    return html.toUtf8();
}

QByteArray event(const QString& title, const LiveEvent& event)
{
    QString html = head(title, event.name);
    html += QStringLiteral("<main id=\"live\">\n<h2>%1</h2>\n").arg(esc(event.name));
    for (const LiveStanding& s : event.goRounds)
        html += standingTable(s, event.scored, false);
    if (event.hasFinal)
        html += standingTable(event.final, event.scored, false);
    html += standingTable(event.overall, event.scored, true);
    html += QStringLiteral("</main>\n") + foot();
    return html.toUtf8();
}

QByteArray now(const LiveSnapshot& snapshot)
{
    QString html = head(snapshot.title, QStringLiteral("Now"));
    html += QStringLiteral("<main id=\"live\">\n");
    const LiveNow& now = snapshot.now;
    if (!snapshot.rodeoOpen) {
        html += closedNotice();
    } else if (!now.running) {
        html += QStringLiteral("<p class=\"empty\">Nothing is being run right now.</p>\n");
    } else {
        html += QStringLiteral(
                    "<h2><a href=\"%1\">%2</a></h2>\n<p class=\"round\">%3 \u00b7 Performance %4</p>\n")
                    .arg(esc(eventFileName(now.eventId)), esc(now.eventName), esc(now.round),
                         QString::number(now.performance));
        if (now.hasUp)
            html += QStringLiteral("<div class=\"up\" id=\"up\"><span class=\"label\">Up</span> %1</div>\n")
                        .arg(who(now.up));
        html +=
            QStringLiteral("<section>\n<h3>Running order</h3>\n<table>\n<thead><tr><th class=\"num\">#</th>"
                           "<th>Contestant</th><th class=\"num\">Place</th>%1</tr></thead>\n<tbody>\n")
                .arg(resultHeads(now.scored));
        for (const LiveRow& row : now.order) {
            const bool isUp = now.hasUp && row.key == now.up.key;
            html +=
                QStringLiteral("<tr%1><td class=\"num\">%2</td><td>%3</td><td class=\"num\">%4</td>%5</tr>\n")
                    .arg(isUp ? QStringLiteral(" class=\"up\"") : QString(),
                         row.order > 0 ? QString::number(row.order) : QString(), who(row), place(row),
                         resultCells(row, now.scored));
        }
        html += QStringLiteral("</tbody>\n</table>\n</section>\n");
    }
    if (snapshot.rodeoOpen) {
        html += QStringLiteral("<section>\n<h3>Last results</h3>\n");
        if (now.recent.empty()) {
            html += QStringLiteral("<p class=\"empty\">No results saved yet.</p>\n");
        } else {
            html += QStringLiteral("<ol class=\"recent\" id=\"recent\">\n");
            for (const LiveRecent& r : now.recent) {
                QString result = r.row.status;
                if (r.row.place > 0)
                    result = QStringList{QStringLiteral("%1.").arg(r.row.place), r.row.score, r.row.time}
                                 .join(QLatin1Char(' '))
                                 .simplified();
                else if (result.isEmpty() && r.row.shown)
                    result = QStringList{r.row.score, r.row.time}.join(QLatin1Char(' ')).simplified();
                html +=
                    QStringLiteral("<li><span class=\"at\">%1</span> %2 <span class=\"more\">%3, %4</span> "
                                   "<span class=\"result\">%5</span></li>\n")
                        .arg(esc(r.at), who(r.row), esc(r.eventName), esc(r.round), esc(result));
            }
            html += QStringLiteral("</ol>\n");
        }
        html += QStringLiteral("</section>\n");
    }
    html += updated(snapshot) + QStringLiteral("</main>\n") + foot();
    return html.toUtf8();
}

QByteArray notFound()
{
    return (head(QStringLiteral("Live Results"), QStringLiteral("Not found"), QStringLiteral("/")) +
            QStringLiteral("<main id=\"live\">\n<p class=\"empty\">There is no such page. "
                           "<a href=\"/index.html\">All events</a></p>\n</main>\n") +
            foot())
        .toUtf8();
}

} // namespace LivePages
