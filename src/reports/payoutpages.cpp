#include "payoutpages.h"

#include "db/databasemanager.h"
#include "reportbuilder.h"

#include <QDir>
#include <algorithm>

namespace {

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

// Full width in browsers and in the program's own page pane alike (the
// latter does not read the style sheet's width).
QString tableStart()
{
    return QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">\n");
}

QString money(Cents amount)
{
    return Money::format(amount);
}

QString percent(int share)
{
    return Percent::format(share) + QStringLiteral(" %");
}

QString head(const QString& title)
{
    return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n<html><head>"
                          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
                          "<title>%1</title><style type=\"text/css\">body { margin: 0; } "
                          "table { width: 100%; font-size: 10px; } td { white-space: nowrap; } "
                          ".problem { color: #B00000; }</style></head><body>\n")
        .arg(esc(title));
}

QString titleRow(const QString& text, int columns)
{
    return QStringLiteral("<tr><td colspan=\"%1\" align=\"center\"><b>%2</b></td></tr>\n")
        .arg(columns)
        .arg(esc(text));
}

QString headerRow(const QStringList& cells)
{
    QString row = QStringLiteral("<tr bgcolor=\"#000088\">");
    for (const QString& c : cells)
        row +=
            QStringLiteral("<td align=\"center\"><font color=\"#FFFFFF\"><b>%1</b></font></td>").arg(esc(c));
    return row + QStringLiteral("</tr>\n");
}

// A data row; every second one shaded. Cells are escaped; alignment per cell
// ("l", "c" or "r").
QString dataRow(int index, const QStringList& cells, const QString& align)
{
    QString row = index % 2 == 1 ? QStringLiteral("<tr bgcolor=\"#E0E0E0\">") : QStringLiteral("<tr>");
    for (int i = 0; i < cells.size(); ++i) {
        const QChar a = i < align.size() ? align.at(i) : QLatin1Char('c');
        const char* word = a == QLatin1Char('l') ? "left" : a == QLatin1Char('r') ? "right" : "center";
        row += QStringLiteral("<td align=\"%1\">%2</td>").arg(QLatin1String(word), esc(cells.at(i)));
    }
    return row + QStringLiteral("</tr>\n");
}

QString placesText(const PaidLine& l)
{
    if (l.ground)
        return QStringLiteral("Ground money");
    if (l.tiedWith == 1)
        return QString::number(l.firstPlace);
    return QStringLiteral("%1-%2 (tie of %3)").arg(l.firstPlace).arg(l.lastPlace).arg(l.tiedWith);
}

QString shareText(const PaidLine& l)
{
    const QString share = percent(l.groupShare);
    return l.tiedWith == 1 ? share : QStringLiteral("%1 / %2").arg(share).arg(l.tiedWith);
}

} // namespace

QString PayoutPages::eventFileName(const QString& eventId)
{
    QString safe;
    for (const QChar c : eventId)
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            safe += c;
    return QStringLiteral("Payouts-%1.html").arg(safe);
}

QString PayoutPages::contestantName(quint32 plrId) const
{
    const ContestantRec* c = m_db.contestants().find(plrId);
    return c ? QStringLiteral("%1, %2").arg(c->lastName, c->firstName)
             : QStringLiteral("Contestant %1").arg(plrId);
}

QString PayoutPages::entryName(const EventPayout& event, EntryKey key) const
{
    const quint32 id = entryKeyId(key);
    QString name;
    if (event.team) {
        const TeamRec* t = m_db.teams().find(id);
        if (!t)
            return QStringLiteral("Team %1").arg(id);
        QStringList members;
        for (quint32 m : {t->plrId1, t->plrId2, t->plrId3})
            if (m)
                members << contestantName(m);
        name = members.join(QStringLiteral(" / "));
    } else {
        name = contestantName(id);
    }
    if (entryKeyNumber(key) > 1)
        name += QStringLiteral(" (entry %1)").arg(entryKeyNumber(key));
    return name;
}

QString PayoutPages::titleRows(int columns) const
{
    const RodeoInfo& r = m_db.rodeoInfo();
    QString rows;
    for (const QString& line : {r.dispName1, r.dispName2, r.dispName3, r.dispDates, r.dispLoc})
        if (!line.isEmpty())
            rows += titleRow(line, columns);
    if (rows.isEmpty())
        rows = titleRow(r.name, columns);
    return rows;
}

QString PayoutPages::eventBody(const EventPayout& e) const
{
    const PurseBreakdown& p = e.purse;
    const PurseSettings& s = p.settings;
    QString html = tableStart();
    html += titleRow(e.eventName + QStringLiteral(" Payouts"), 5);
    for (const QString& problem : e.problems)
        html +=
            QStringLiteral("<tr><td colspan=\"5\" class=\"problem\"><font color=\"#B00000\"><b>Not ready to "
                           "pay: %1</b></font></td></tr>\n")
                .arg(esc(problem));

    // The purse arithmetic.
    html += headerRow({QStringLiteral("Purse"), QString(), QString(), QString(), QStringLiteral("Amount")});
    int row = 0;
    const auto line = [&](const QString& what, const QString& how, Cents amount) {
        html += dataRow(row++, {what, how, QString(), QString(), money(amount)}, QStringLiteral("llccr"));
    };
    const QString per = e.team ? QStringLiteral(" per roper") : QString();
    line(QStringLiteral("Added money") + per, QString(), s.addedMoney);
    line(QStringLiteral("Entry fees"),
         QStringLiteral("%1 %2 x %3%4")
             .arg(s.paidEntries)
             .arg(e.team ? QStringLiteral("teams") : QStringLiteral("entries"), money(s.entryFee), per),
         p.fees);
    line(QStringLiteral("Money taken in"), QString(), p.gross);
    if (s.deductionShare)
        line(QStringLiteral("Less deduction"),
             QStringLiteral("%1 of %2").arg(percent(s.deductionShare), money(p.gross)), -p.percentDeduction);
    if (s.deductionFixed)
        line(QStringLiteral("Less deduction"), QStringLiteral("fixed"), -s.deductionFixed);
    line(e.team ? QStringLiteral("Purse per roper") : QStringLiteral("Purse"), QString(), p.purse);
    if (e.placesPaid > 0)
        html += dataRow(row++,
                        {QStringLiteral("Schedule"),
                         QStringLiteral("%1: %2 entries pay %3 %4")
                             .arg(e.scheduleName)
                             .arg(s.paidEntries)
                             .arg(e.placesPaid)
                             .arg(e.placesPaid == 1 ? QStringLiteral("place") : QStringLiteral("places")),
                         QString(), QString(), QString()},
                        QStringLiteral("llccr"));

    for (const EventPart& part : e.parts) {
        const PartPayout& pp = part.payout;
        html += titleRow(QString(), 5);
        html += titleRow(QStringLiteral("%1: %2 of the purse = %3")
                             .arg(part.name.text(), percent(part.purseShare), money(pp.money)),
                         5);
        if (pp.noResults) {
            html += dataRow(0,
                            {QStringLiteral("No results yet: nothing is paid."), QString(), QString(),
                             QString(), QString()},
                            QStringLiteral("lcccr"));
            continue;
        }
        html += headerRow({QStringLiteral("Place"), QStringLiteral("Contestant"), QStringLiteral("Result"),
                           QStringLiteral("Percentage"), QStringLiteral("Amount")});
        int r = 0;
        for (const PaidLine& l : pp.lines) {
            QString amount = money(l.amount);
            if (l.oddCents)
                amount += QStringLiteral(" *");
            html += dataRow(r++, {placesText(l), entryName(e, l.key), l.result, shareText(l), amount},
                            QStringLiteral("clccr"));
        }
        const bool odd =
            std::any_of(pp.lines.cbegin(), pp.lines.cend(), [](const PaidLine& l) { return l.oddCents; });
        QStringList notes;
        if (odd)
            notes << QStringLiteral("* with the cents that do not divide, which go to the first of the tied "
                                    "contestants in running order.");
        if (pp.groundMoney > 0) {
            const QString unpaid =
                QStringLiteral("%1 qualified for %2 places paid: %3 of places nobody qualified for")
                    .arg(pp.qualified)
                    .arg(pp.placeShares.size())
                    .arg(money(pp.groundMoney));
            notes << (pp.kept > 0
                          ? unpaid + QStringLiteral(" is kept.")
                          : unpaid + QStringLiteral(" is ground money, split equally among the %1 who "
                                                    "competed.")
                                         .arg(pp.competed));
        }
        for (const QString& n : notes)
            html += QStringLiteral("<tr><td colspan=\"5\" align=\"left\">%1</td></tr>\n").arg(esc(n));
    }
    html += titleRow(QString(), 5);
    html += dataRow(0, {QStringLiteral("Paid"), QString(), QString(), QString(), money(e.paid())},
                    QStringLiteral("lcccr"));
    html += dataRow(1, {QStringLiteral("Kept"), QString(), QString(), QString(), money(e.kept())},
                    QStringLiteral("lcccr"));
    if (e.team)
        html +=
            QStringLiteral("<tr><td colspan=\"5\" align=\"left\">%1</td></tr>\n")
                .arg(esc(QStringLiteral("Team event: the purse is counted per roper; each member of a placed "
                                        "team is paid the amount shown.")));
    return html + QStringLiteral("</table>\n");
}

QString PayoutPages::eventPage(const EventPayout& e) const
{
    QString html = head(e.eventName + QStringLiteral(" Payouts"));
    html += tableStart() + titleRows(5) + QStringLiteral("</table>\n");
    html += eventBody(e);
    return html + QStringLiteral("</body></html>\n");
}

QString PayoutPages::chequeList(const RodeoPayout& payout) const
{
    QHash<QString, QString> names;
    for (const EventPayout& e : payout.events)
        names.insert(e.eventId, e.eventName);
    QVector<ChequeLine> cheques = payout.cheques;
    std::stable_sort(cheques.begin(), cheques.end(), [this](const ChequeLine& a, const ChequeLine& b) {
        return contestantName(a.plrId).compare(contestantName(b.plrId), Qt::CaseInsensitive) < 0;
    });
    QString html = tableStart();
    html += titleRow(QStringLiteral("Cheque List"), 4);
    html += headerRow({QStringLiteral("Bib"), QStringLiteral("Contestant"), QStringLiteral("Events"),
                       QStringLiteral("Total")});
    int row = 0;
    for (const ChequeLine& c : cheques) {
        QStringList events;
        for (const auto& [id, amount] : c.events)
            events << QStringLiteral("%1 %2").arg(names.value(id, id), money(amount));
        const ContestantRec* rec = m_db.contestants().find(c.plrId);
        html += dataRow(row++,
                        {rec ? rec->bib : QString(), contestantName(c.plrId),
                         events.join(QStringLiteral("; ")), money(c.total)},
                        QStringLiteral("cllr"));
    }
    html += dataRow(row, {QString(), QStringLiteral("Total"), QString(), money(payout.total())},
                    QStringLiteral("clrr"));
    return html + QStringLiteral("</table>\n");
}

QString PayoutPages::rodeoPage(const RodeoPayout& payout, const PayoutPosting* posting) const
{
    QString html = head(QStringLiteral("Payouts"));
    html += tableStart() + titleRows(4);
    html += titleRow(QStringLiteral("Payouts"), 4);
    html += titleRow(posting ? QStringLiteral("Posted to the earnings on %1 (UTC): %2 to %3 contestants")
                                   .arg(posting->when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                        money(posting->total))
                                   .arg(posting->contestants)
                             : QStringLiteral("Not posted to the earnings"),
                     4);
    html += headerRow(
        {QStringLiteral("Event"), QStringLiteral("Purse"), QStringLiteral("Paid"), QStringLiteral("Kept")});
    int row = 0;
    for (const EventPayout& e : payout.events)
        html += dataRow(row++, {e.eventName, money(e.purse.purse), money(e.paid()), money(e.kept())},
                        QStringLiteral("lrrr"));
    if (payout.events.isEmpty())
        html += dataRow(0, {QStringLiteral("No event has a purse set up."), QString(), QString(), QString()},
                        QStringLiteral("lrrr"));
    html += QStringLiteral("</table>\n<br>\n");
    for (const EventPayout& e : payout.events)
        html += eventBody(e) + QStringLiteral("<br>\n");
    html += chequeList(payout);
    return html + QStringLiteral("</body></html>\n");
}

QString PayoutPages::seasonPage(const QVector<EarningsRow>& rows,
                                const QHash<QString, QString>& eventNames) const
{
    QString html = head(QStringLiteral("Season Standings"));
    html += tableStart();
    html += titleRow(QStringLiteral("Season Standings"), 3);
    html += titleRow(QStringLiteral("Earnings posted from the season's rodeos"), 3);
    QStringList events;
    for (const EarningsRow& r : rows)
        if (!events.contains(r.eventId))
            events << r.eventId;
    std::sort(events.begin(), events.end(), [&](const QString& a, const QString& b) {
        return eventNames.value(a, a).compare(eventNames.value(b, b), Qt::CaseInsensitive) < 0;
    });
    const auto table = [&](const QString& title, const QVector<StandingLine>& lines, bool allAround) {
        html += titleRow(QString(), 3) + titleRow(title, 3);
        html += headerRow({QStringLiteral("Place"), QStringLiteral("Contestant"),
                           allAround ? QStringLiteral("Earnings (events)") : QStringLiteral("Earnings")});
        int place = 0;
        Cents last = -1;
        for (int i = 0; i < lines.size(); ++i) {
            if (lines.at(i).amount != last)
                place = i + 1;
            last = lines.at(i).amount;
            QString amount = money(lines.at(i).amount);
            if (allAround)
                amount += QStringLiteral(" (%1)").arg(lines.at(i).events);
            html += dataRow(i, {QString::number(place), contestantName(lines.at(i).plrId), amount},
                            QStringLiteral("clr"));
        }
        if (lines.isEmpty())
            html += dataRow(0, {QString(), QStringLiteral("Nobody yet"), QString()}, QStringLiteral("clr"));
    };
    for (const QString& id : events)
        table(eventNames.value(id, id), SeasonStandings::forEvent(rows, id), false);
    table(QStringLiteral("All-Around"), SeasonStandings::allAround(rows), true);
    return html + QStringLiteral("</table>\n</body></html>\n");
}

QStringList PayoutPages::writeRodeo(const RodeoPayout& payout, const PayoutPosting* posting,
                                    const QString& folder, QString* why) const
{
    QStringList written;
    if (!QDir().mkpath(folder)) {
        if (why)
            *why = QStringLiteral("The folder %1 cannot be made.").arg(folder);
        return {};
    }
    const auto write = [&](const QString& name, const QString& html) {
        if (!ReportBuilder::writePage(folder + name, html)) {
            if (why)
                *why = QStringLiteral("The page %1 cannot be written.").arg(folder + name);
            return false;
        }
        written << name;
        return true;
    };
    if (!write(rodeoFileName(), rodeoPage(payout, posting)))
        return {};
    for (const EventPayout& e : payout.events)
        if (!write(eventFileName(e.eventId), eventPage(e)))
            return {};
    return written;
}
