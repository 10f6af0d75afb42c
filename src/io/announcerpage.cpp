#include "announcerpage.h"

#include "app/log.h"
#include "db/databasemanager.h"
#include "outputcontext.h"
#include "results/values.h"
#include "scoreboardfields.h"
#include "scoreboardstate.h"

namespace F = ScoreboardFields;

namespace {

constexpr int kGoColumns[] = {25, 34, 43, 52, 61};
constexpr int kTotalColumn = 71;
constexpr int kNameColumn = 5;
constexpr int kDetailColumn = 9;

} // namespace

void AnnouncerPage::write(QStringList& page, int row, int column, const QString& text)
{
    while (page.size() <= row)
        page.append(QString());
    QString& line = page[row];
    if (line.size() < column + text.size())
        line = line.leftJustified(column + int(text.size()));
    line.replace(column, text.size(), text);
}

void AnnouncerPage::clearRow(QStringList& page, int row)
{
    write(page, row, 0, QString(Width, QLatin1Char(' ')));
}

void AnnouncerPage::format(int code, QStringList& page, OutputContext& context, const ScoreboardState& state)
{
    if (code < 1 || code > 10 || code == 6 || code == 7)
        return;
    m_db = context.database();
    if (!m_db)
        return;
    const RegEntry& cur = m_db->curEntry();
    if (!m_db->isRodeoOpen() || cur.eventId.isEmpty()) {
        logReport("Failed to get the cur run perf. FormatMonitorUpdate");
        return;
    }
    m_event = m_db->GetEvent(cur.eventId);
    if (!m_event) {
        logReport("Failed to get the event. FormatMonitorUpdate Event:%s", cur.eventId);
        return;
    }
    m_names.emplace(*m_db, context.currentProfile());
    m_go = cur.goRound;
    m_key = makeEntryKey(cur.ptId, cur.plrEnt);
    m_scored = m_event->isScored();
    m_team = m_event->isTeam();
    m_fraction = m_event->fraction == QLatin1String("Fraction");
    m_precision = PrecisionDigits(m_event->precision);

    if (code <= 4)
        headers(page);
    if (code <= 5 || code == 8) {
        const bool written = currentCompetitor(page);
        if (code == 5 || (!written && code != 1)) {
            m_names.reset();
            return;
        }
    }
    if (code != 10)
        leaders(page, false, state.goPage, state.linesPerPage);
    leaders(page, true, state.overallPage, state.linesPerPage);
    m_names.reset();
}

int AnnouncerPage::firstShownGoRound() const
{
    // The last five go-rounds up to the current one.
    return qMax(1, m_go - 4);
}

void AnnouncerPage::columnTitles(QStringList& page, int row) const
{
    clearRow(page, row);
    write(page, row, 0, QStringLiteral("POS  CONTESTANT"));
    for (int g = firstShownGoRound(), i = 0; g <= m_go && i < 5; ++g, ++i)
        write(page, row, kGoColumns[i], F::number(g, 4) + F::ordinalSuffix(g) + QStringLiteral(" GO"));
    write(page, row, kTotalColumn, F::right(QStringLiteral("TOTAL"), 9));
}

void AnnouncerPage::headers(QStringList& page) const
{
    clearRow(page, 0);
    write(page, 0, 0,
          F::left(m_event->name +
                      QStringLiteral(" %1%2 GO-ROUND STANDING").arg(m_go, 2).arg(F::ordinalSuffix(m_go)),
                  Width)
              .trimmed());
    columnTitles(page, 1);
    clearRow(page, 10);
    write(page, 10, 0,
          F::left(m_event->name + QStringLiteral(" OVERALL STANDINGS - TOTAL ON %1").arg(m_go), Width)
              .trimmed());
    columnTitles(page, 11);
}

QString AnnouncerPage::valueText(quint32 value) const
{
    return m_scored ? F::score(value, 6, m_fraction, 2) : F::time(value, 6, m_precision);
}

void AnnouncerPage::competitorRow(QStringList& page, int row, EntryKey key) const
{
    const quint32 id = entryKeyId(key);
    QString who;
    if (m_team) {
        if (const TeamRec* team = m_names->team(id))
            who = F::left(m_names->teamName(*team), 20);
    } else if (const ContestantRec* c = m_names->contestant(id)) {
        // A back number takes up to five characters, all of them shown.
        who = F::right(c->bib, 5) + QLatin1Char(' ') + F::left(m_names->name(*c), 14);
    } else {
        logReport("Failed to get the contestant. GetContestant ID:%d", id);
    }
    write(page, row, kNameColumn, F::left(who, 20));

    const Standings& standings = m_db->standings();
    for (int g = firstShownGoRound(), i = 0; g <= m_go && i < 5; ++g, ++i) {
        const ResultRecord* r = standings.find(g, key);
        if (!r && g == m_go)
            logReport("Failed to get the cur stats. SetScores ID:%d", id);
        const quint32 v = r ? CompetitorText::value(*r, m_scored) : 0;
        write(page, row, kGoColumns[i], F::right(valueText(v), 9));
    }
    const ResultRecord* total = standings.findOverall(key);
    if (!total) {
        logReport("Failed to get cur tot stats. SetScores ID:%d", id);
        return;
    }
    const quint32 v = CompetitorText::value(*total, m_scored);
    const QString totalText = m_scored ? F::score(v, 7, m_fraction, 2) : F::time(v, 7, m_precision);
    write(page, row, kTotalColumn,
          F::right(v == 0 ? QString() : totalText.trimmed() + QStringLiteral("/%1").arg(total->success), 9));
}

void AnnouncerPage::detailRow(QStringList& page, int row) const
{
    const ResultRecord* r = m_db->standings().find(m_go, m_key);
    const QString status = r ? r->status : QString();
    QString text;
    if (m_scored && (status == QLatin1String("R") || status == QLatin1String("N")))
        text = StatusDisplayText(status, true);
    else if (!m_scored && (status == QLatin1String("P") || status == QLatin1String("N")))
        text = StatusDisplayText(status, false);
    else if (m_team) {
        if (const TeamRec* team = m_names->team(entryKeyId(m_key)))
            text = m_names->teamName(*team);
    } else if (const ContestantRec* c = m_names->contestant(entryKeyId(m_key))) {
        text = F::left(c->homeTown, 15);
    }
    write(page, row, kDetailColumn, text);
}

bool AnnouncerPage::currentCompetitor(QStringList& page) const
{
    for (int row : {7, 8, 21, 22})
        clearRow(page, row);
    if (entryKeyId(m_key) == 0)
        return false;
    for (int row : {7, 21})
        competitorRow(page, row, m_key);
    for (int row : {8, 22})
        detailRow(page, row);
    return m_db->standings().find(m_go, m_key) != nullptr;
}

void AnnouncerPage::leaders(QStringList& page, bool overall, int pageIndex, int linesPerPage) const
{
    const Standings& standings = m_db->standings();
    const int rows = overall ? OverallLeaderRows : GoLeaderRows;
    const int firstRow = overall ? 12 : 2;
    static const std::vector<ResultRecord> none;
    const std::vector<ResultRecord>& list =
        overall ? standings.overall()
                : (m_go >= 1 && m_go <= standings.goRoundCount() ? standings.goRound(m_go) : none);
    // Page n starts where the board's page n starts: both show the same
    // leaders first, the page having room for rows of them.
    const qsizetype start = qsizetype(qMax(pageIndex, 0)) * qMax(linesPerPage, 1);
    for (int i = 0; i < rows; ++i) {
        const int row = firstRow + i;
        clearRow(page, row);
        const qsizetype idx = start + i;
        if (idx >= qsizetype(list.size()) || list[size_t(idx)].position <= 0)
            continue;
        const ResultRecord& r = list[size_t(idx)];
        write(page, row, 0, F::number(r.position, 3));
        competitorRow(page, row, r.key);
    }
}
