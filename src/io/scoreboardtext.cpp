#include "scoreboardtext.h"

#include "app/log.h"
#include "db/databasemanager.h"
#include "outputcontext.h"
#include "results/values.h"
#include "scoreboardfields.h"
#include "scoreboardstate.h"

namespace F = ScoreboardFields;
using ScoreboardLayout::block;

namespace {

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

// Widths that differ between the layouts: Serial first, Network second.
struct Widths
{
    int slot;          // one member's contestant block in B2
    int shortName;     // back number and name
    int longName;      // back number, last, first and name
    int goLeaderLine;  // B6
    int goPageLine;    // B6
    int overallLeader; // B7
    int overallPage;   // B7
    int cutLine;       // B7
    int linesInBlock;  // page lines a leader block holds
};
constexpr Widths kSerial{159, 35, 70, 240, 135, 247, 142, 246, 4};
constexpr Widths kNetwork{195, 43, 86, 304, 175, 323, 194, 318, 12};
constexpr int kContinuationLines = 8; // page lines 13 to 20 of a Network page

const Widths& widths(bool network)
{
    return network ? kNetwork : kSerial;
}

} // namespace

ScoreboardRun ScoreboardText::build(int code, BlockRange range, bool network, OutputContext& context,
                                    ScoreboardState& state)
{
    CDatabaseManager* db = context.database();
    if (!db)
        return {}; // nothing to show anything from
    const RegEntry& current = db->curEntry();
    // Without a current event nothing on the boards would be right: the
    // whole image is cleared.
    bool known = true;
    if (!db->isRodeoOpen() || current.eventId.isEmpty()) {
        logReport("Failed to get current run perf. FormatRIPUpdate");
        known = false;
    } else if (!db->GetEvent(current.eventId)) {
        logReport("Failed to get the event. FormatRIPUpdate Event:%s", current.eventId);
        known = false;
    }
    if (!known) {
        ScoreboardRun blank;
        blank.text = spaces(ScoreboardLayout::ImageLength);
        return blank;
    }
    return ScoreboardBlocks::build(code, range, network, context, state);
}

void ScoreboardText::beginRun(int, bool network, OutputContext& context, ScoreboardState& state)
{
    m_context = &context;
    m_state = &state;
    m_db = context.database();
    m_profile = context.currentProfile();
    m_names.emplace(*m_db, m_profile);
    m_entry = m_db->curEntry();
    m_key = makeEntryKey(m_entry.ptId, m_entry.plrEnt);
    m_event = m_db->GetEvent(m_entry.eventId);
    m_network = network;
    m_p = network ? QStringLiteral("    ") : QString();
    m_scored = m_event->isScored();
    m_team = m_event->isTeam();
    m_fraction = m_event->fraction == QLatin1String("Fraction");
    m_precision = PrecisionDigits(m_event->precision);
    m_goContinuation.clear();
    m_overallContinuation.clear();
}

std::optional<QString> ScoreboardText::buildBlock(int index, bool)
{
    switch (index) {
    case 0:
        return rodeoLines();
    case 1:
        return eventLine();
    case 2:
        return competitor();
    case 3:
        return message();
    case 4:
        return animal();
    case 5:
        return result();
    case 6:
        return goLeaders();
    case 7:
        return overallLeaders();
    default:
        return std::nullopt;
    }
}

QString ScoreboardText::continuationText(int, bool network)
{
    // The two continuations stand next to each other in the image (6740 and
    // 8140), so when both lists were built they go out as one text.
    if (!network)
        return QString();
    return m_goContinuation + m_overallContinuation;
}

void ScoreboardText::endRun(int code)
{
    // These codes show the lists afresh: no "needed for lead" until the next.
    if (code == 1 || code == 2) {
        m_state->goLeaderValue = 0;
        m_state->overallLeaderValue = 0;
    } else if (code == 3) {
        m_state->goLeaderValue = 0;
    }
    m_names.reset();
}

// --- B0 to B4 ------------------------------------------------------------------

QString ScoreboardText::rodeoLines() const
{
    const RodeoInfo& r = m_db->rodeoInfo();
    QString out;
    for (const QString& line : {r.dispName1, r.dispName2, r.dispName3, r.dispDates, r.dispLoc})
        out += m_p + F::left(line, 21);
    return out;
}

QString ScoreboardText::eventLine() const
{
    const int go = m_entry.goRound;
    const int perf = m_entry.perf;
    return m_p + F::left(m_event->name, 20) + m_p + F::number(go, 2) + m_p +
           F::left(F::number(go, 2) + F::ordinalSuffix(go), 4) + m_p + F::number(perf, 2) + m_p +
           F::left(F::number(perf, 2) + F::ordinalSuffix(perf), 4);
}

QString ScoreboardText::contestantBlock(const ContestantRec& c) const
{
    return m_p + F::left(c.bib, 5) + m_p + F::left(c.lastName, 20) + m_p + F::left(c.firstName, 15) + m_p +
           F::left(m_names->name(c), 30) + m_p + F::left(c.homeTown, 25) + m_p + spaces(25) + m_p +
           F::earnings(c.earnLast) + m_p + F::earnings(c.earnCur) + m_p + F::right(c.misc, 21);
}

std::optional<QString> ScoreboardText::competitor() const
{
    const Widths& w = widths(m_network);
    if (m_entry.ptId == 0)
        return std::nullopt; // nobody is up: the block stays blank
    if (!m_team) {
        const ContestantRec* c = m_names->contestant(m_entry.ptId);
        if (!c) {
            logReport("Failed to get the contestant. UpdateRIPCowboy ID:%d", m_entry.ptId);
            return std::nullopt;
        }
        return m_p + spaces(20) + contestantBlock(*c) + spaces(2 * w.slot);
    }
    const TeamRec* team = m_names->team(m_entry.ptId);
    if (!team) {
        logReport("Failed to get the team from the system.  GetTeam ID:%d", m_entry.ptId);
        return std::nullopt;
    }
    QString out = m_p + F::left(m_names->teamName(*team), 20);
    for (const ContestantRec* member : m_names->members(*team))
        out += member ? contestantBlock(*member) : spaces(w.slot);
    return out;
}

std::optional<QString> ScoreboardText::message() const
{
    if (m_team || m_entry.ptId == 0)
        return std::nullopt;
    if (!m_names->contestant(m_entry.ptId)) {
        logReport("Failed to get the contestant. UpdateRIPMessage ID:%d", m_entry.ptId);
        return std::nullopt;
    }
    const Stamp stamp = m_db->dataStamp();
    if (!m_message || m_message->stamp != stamp || m_message->plrId != m_entry.ptId ||
        m_message->number != m_state->messageNumber) {
        MessageCache cache{stamp, m_entry.ptId, m_state->messageNumber, std::nullopt};
        QVector<MessageRec> messages;
        if (m_db->GetPlrMessages(m_entry.ptId, messages)) {
            for (const MessageRec& m : std::as_const(messages)) {
                if (m.number == m_state->messageNumber) {
                    cache.lines = QStringList{m.lines[0], m.lines[1], m.lines[2], m.lines[3]};
                    break;
                }
            }
        }
        m_message = cache;
    }
    if (!m_message->lines)
        return std::nullopt;
    QString out;
    for (const QString& line : *m_message->lines)
        out += m_p + F::left(line, 24);
    return out;
}

std::optional<QString> ScoreboardText::animal() const
{
    if (m_entry.ptId == 0)
        return std::nullopt;
    const RegEntryCollection& entries = m_team ? m_db->teamEntries() : m_db->playerEntries();
    if (!entries.contains(m_key)) {
        logReport("Contestant does not exist in the system.  UpdateRIPStock ID:%d Entry:%d", m_entry.ptId,
                  m_entry.plrEnt);
        return std::nullopt;
    }
    const RegEntryCollection::Lookup drawn = entries.lookup(m_key, m_event->id, m_entry.goRound);
    if (!drawn.found) {
        logReport("Go Round does not exist in the system.  UpdateRIPStock ID:%s, Go:%d", m_event->id,
                  m_entry.goRound);
        return std::nullopt;
    }
    const StockRec* s = drawn.stock != 0 ? m_db->stock().find(drawn.stock) : nullptr;
    if (!s)
        return std::nullopt; // no animal drawn yet
    ContractorRec contractor;
    contractor.coId = s->coId;
    const QString contractorName =
        s->coId != 0 && m_db->GetContractor(contractor) ? contractor.name : QString();
    return m_p + F::left(s->bib, 5) + m_p + F::left(s->name, 20) + m_p + F::left(contractorName, 20) + m_p +
           F::number(s->age, 2) + m_p + F::number(s->weight, 4) + m_p + F::left(s->homeTown, 25);
}

// --- B5 --------------------------------------------------------------------------

QString ScoreboardText::valueField(quint32 value, int width) const
{
    // Width 8 is the overall lines' field: a total with a space before it.
    if (width > 7)
        return spaces(width - 7) + valueField(value, 7);
    return m_scored ? F::score(value, width, m_fraction, 2) : F::time(value, width, m_precision);
}

std::optional<QString> ScoreboardText::result() const
{
    const Standings& standings = m_db->standings();
    const ResultRecord* go = standings.find(m_entry.goRound, m_key);
    if (!go) {
        logReport("Failed to get the current stats. UpdateRIPScore");
        return std::nullopt;
    }
    ResultRecord total;
    if (const ResultRecord* t = standings.findOverall(m_key))
        total = *t;
    else
        logReport("Failed to get the current total stats. UpdateRIPScore");

    // The marks: four riders, their average, four stock marks, their average;
    // four judges' letters and totals. With four judges two panels mark the
    // same ride, so the average halves the sum.
    const int divisor = m_event->judgeCount == QLatin1String("4") ? 2 : 1;
    QString out;
    quint32 riderSum = 0;
    quint32 stockSum = 0;
    for (int j = 0; j < 4; ++j) {
        out += m_p + F::score(go->JR[j], 6, m_fraction, 1);
        riderSum += go->JR[j];
    }
    out += m_p + F::score(riderSum / divisor, 6, m_fraction, 2);
    for (int j = 0; j < 4; ++j) {
        out += m_p + F::score(go->JS[j], 6, m_fraction, 1);
        stockSum += go->JS[j];
    }
    out += m_p + F::score(stockSum / divisor, 6, m_fraction, 2);
    for (int j = 0; j < 4; ++j) {
        const bool marked = go->JR[j] != 0;
        out += m_p + (marked ? QString(QLatin1Char(char('A' + j))) : spaces(1)) + m_p +
               (marked ? F::score(go->JR[j] + go->JS[j], 6, m_fraction, 1) : spaces(6));
    }

    const quint32 ride = go->time >= go->penalty ? go->time - go->penalty : 0;
    out += m_p + F::time(ride, 6, m_precision) + m_p + F::time(go->penalty, 6, m_precision);
    out += m_p + F::number(go->position, 3, true);
    const quint32 goResult = CompetitorText::value(*go, m_scored);
    out += m_p + valueField(goResult, 6);
    const QString status = StatusDisplayText(go->status, m_scored);
    out += m_p + F::left(status, 17);
    QString name = status;
    if (name.isEmpty()) {
        if (m_team) {
            if (const TeamRec* team = m_names->team(m_entry.ptId))
                name = m_names->teamName(*team);
            else
                logReport("Failed to get the team.  UpdateRIPScore ID:%d", m_entry.ptId);
        } else if (const ContestantRec* c = m_names->contestant(m_entry.ptId)) {
            name = m_names->name(*c);
        } else {
            logReport("Failed to get the contestant. UpdateRIPScore ID:%d", m_entry.ptId);
        }
    }
    out += m_p + F::left(name, 25);
    out += m_p + F::number(total.position, 3, true);
    const quint32 totalValue = CompetitorText::value(total, m_scored);
    out += m_p + valueField(totalValue, 7);
    out += m_p + F::number(total.success, 2, true) + m_p +
           F::number(total.ride < 101 ? total.ride : 0, 2, true) + m_p +
           (total.success != 0 ? QStringLiteral("on") : spaces(2));

    // What the entry still needs: only before it has run in this go-round.
    const bool waiting = goResult == 0 && go->status.isEmpty();
    const auto needed = [&](const char* label, qint64 d, bool shown) {
        const QString text = QString::fromLatin1(label);
        if (!waiting || !shown || d < 1)
            return m_p + spaces(int(text.size())) + m_p + spaces(6);
        return m_p + text + m_p + valueField(quint32(d), 6);
    };
    const quint32 overallLeader = m_state->overallLeaderValue;
    const quint32 goLeader = m_state->goLeaderValue;
    out += needed("NEEDED FOR LEAD", qint64(overallLeader) - qint64(totalValue), overallLeader != 0);
    out += needed("NEEDED FOR LEAD", qint64(goLeader) - qint64(goResult), goLeader != 0);
    // The cut is made after the last regular go-round.
    const bool cutRound = m_entry.goRound == m_event->goRoundCount();
    const quint32 cut = m_state->cutValue;
    const bool reversed = !m_scored && m_event->ranking == QLatin1String("Longest to Shortest");
    const qint64 toCut = reversed ? qint64(totalValue) - qint64(cut) : qint64(cut) - qint64(totalValue);
    out += needed("NEEDED FOR CUT", toCut, cutRound && cut != 0);
    return out;
}

// --- B6 and B7 ---------------------------------------------------------------------

void ScoreboardText::nameField(QString& out, const ContestantRec* c, bool longForm) const
{
    const Widths& w = widths(m_network);
    F::Writer write(out, m_p);
    if (!c) {
        write.blank(longForm ? w.longName : w.shortName);
        return;
    }
    write.p().left(c->bib, 5).p();
    if (longForm)
        write.left(c->lastName, 20).p().left(c->firstName, 15).p();
    write.left(m_names->name(*c), 30);
}

void ScoreboardText::competitorNames(QString& out, quint32 ptId, bool longForm) const
{
    const Widths& w = widths(m_network);
    const int field = longForm ? w.longName : w.shortName;
    F::Writer write(out, m_p);
    if (m_team) {
        const TeamRec* team = m_names->team(ptId);
        if (!team) {
            logReport("Failed to get the team from the system.  GetTeam ID:%d", ptId);
            write.p().blank(20 + 3 * field);
            return;
        }
        write.p().left(m_names->teamName(*team), 20);
        for (const ContestantRec* member : m_names->members(*team))
            nameField(out, member, longForm);
        return;
    }
    const ContestantRec* c = m_names->contestant(ptId);
    if (!c)
        logReport("Failed to get the contestant. UpdateRIPTraverseLeaders ID:%d", ptId);
    write.p().blank(20);
    nameField(out, c, longForm);
    write.blank(2 * field);
}

void ScoreboardText::leaderLine(QString& out, const ResultRecord& r, bool overall, bool longForm,
                                int valueWidth, bool endPrefix, int width) const
{
    const qsizetype start = out.size();
    F::Writer write(out, m_p);
    write.p().text(F::number(r.position, 3));
    competitorNames(out, entryKeyId(r.key), longForm);
    write.p().text(valueField(CompetitorText::value(r, m_scored), valueWidth)).p();
    if (overall) {
        write.text(F::number(r.success, 2))
            .p()
            .text(F::number(r.ride <= 100 ? r.ride : 0, 2))
            .p()
            .text(u"on");
        if (endPrefix)
            write.p();
    }
    write.fit(start, width);
}

namespace {

// A page of a leader list: the lines shown in the block, and those that
// continue it (Network pages longer than the block).
struct Page
{
    QString inBlock;
    QString continuation;
    bool last = false;
};

template <typename LineFn>
Page pageOf(const std::vector<ResultRecord>& list, int pageIndex, int linesPerPage, int lineWidth,
            int linesInBlock, bool network, LineFn line)
{
    Page page;
    page.inBlock.reserve(linesInBlock * lineWidth);
    const qsizetype start = qsizetype(qMax(pageIndex, 0)) * linesPerPage;
    const int total = network ? linesInBlock + kContinuationLines : linesInBlock;
    for (int i = 0; i < total; ++i) {
        QString& to = i < linesInBlock ? page.inBlock : page.continuation;
        const qsizetype idx = start + i;
        if (i < linesPerPage && idx < qsizetype(list.size()) && list[size_t(idx)].position > 0)
            line(to, list[size_t(idx)]);
        else
            to.resize(to.size() + lineWidth, QLatin1Char(' '));
    }
    // Pages count the entries that have a place: the ones without a result
    // would only be blank pages.
    const auto placed =
        std::count_if(list.begin(), list.end(), [](const ResultRecord& r) { return r.position > 0; });
    page.last = (qsizetype(qMax(pageIndex, 0)) + 1) * linesPerPage >= placed;
    return page;
}

} // namespace

std::optional<QString> ScoreboardText::goLeaders()
{
    const Widths& w = widths(m_network);
    const Standings& standings = m_db->standings();
    const int go = m_entry.goRound;
    if (!standings.hasEvent() || go < 1 || go > standings.goRoundCount()) {
        logReport("Failed to get go round leaderer list.  UpdateRIPGoLeaders Event:%s, Go:%d", m_event->id,
                  go);
        // Its continuation is blank too, so that the overall list's, sent
        // with it, still lands at its own place.
        if (m_network)
            m_goContinuation = spaces(ScoreboardLayout::GoLeadersContinuation.width);
        return std::nullopt;
    }
    const std::vector<ResultRecord>& list = standings.goRound(go);
    const auto leader =
        std::find_if(list.begin(), list.end(), [](const ResultRecord& r) { return r.position > 0; });
    QString out;
    out.reserve(w.goLeaderLine + w.linesInBlock * w.goPageLine);
    if (leader != list.end()) {
        leaderLine(out, *leader, false, true, 7, true, w.goLeaderLine);
        m_state->goLeaderValue = CompetitorText::value(*leader, m_scored);
    } else {
        out = spaces(w.goLeaderLine);
        m_state->goLeaderValue = 0;
    }
    const int perPage = ScoreboardLayout::linesPerPage(m_network, m_profile.paging);
    const Page page = pageOf(
        list, m_state->goPage, perPage, w.goPageLine, w.linesInBlock, m_network,
        [&](QString& to, const ResultRecord& r) { leaderLine(to, r, false, false, 7, true, w.goPageLine); });
    m_state->goLastPage = page.last;
    m_goContinuation = F::left(page.continuation, ScoreboardLayout::GoLeadersContinuation.width);
    return out + page.inBlock;
}

std::optional<QString> ScoreboardText::overallLeaders()
{
    const Widths& w = widths(m_network);
    const Standings& standings = m_db->standings();
    if (!standings.hasEvent()) {
        logReport("Failed to get overall leaders list. UpdateRIPOverallLeaders Event:%s", m_event->id);
        return std::nullopt;
    }
    const std::vector<ResultRecord>& list = standings.overall();
    const auto leader =
        std::find_if(list.begin(), list.end(), [](const ResultRecord& r) { return r.position > 0; });
    QString out;
    out.reserve(w.overallLeader + w.linesInBlock * w.overallPage + w.cutLine);
    // A leader who has not run every go-round so far leads nothing yet.
    const int go = m_entry.goRound;
    const bool leaderUpToDate = leader != list.end() && leader->ride == go;
    if (leader != list.end())
        leaderLine(out, *leader, true, true, 8, true, w.overallLeader);
    else
        out = spaces(w.overallLeader);
    m_state->overallLeaderValue = leaderUpToDate ? CompetitorText::value(*leader, m_scored) : 0;

    const int perPage = ScoreboardLayout::linesPerPage(m_network, m_profile.paging);
    const Page page = pageOf(
        list, m_state->overallPage, perPage, w.overallPage, w.linesInBlock, m_network,
        [&](QString& to, const ResultRecord& r) { leaderLine(to, r, true, false, 8, true, w.overallPage); });
    m_state->overallLastPage = page.last;
    m_overallContinuation = F::left(page.continuation, ScoreboardLayout::OverallLeadersContinuation.width);
    out += page.inBlock;

    // The cut: the n-th entry from the leader, n the event's finalists, when
    // it has run as many go-rounds as the leader and the leader all of them.
    const int finalists = m_event->finals.toInt();
    m_state->cutValue = 0;
    if (leaderUpToDate && finalists >= 1) {
        const auto cutIndex = (leader - list.begin()) + finalists - 1;
        if (cutIndex < qsizetype(list.size()) && list[size_t(cutIndex)].ride == leader->ride) {
            const ResultRecord& cut = list[size_t(cutIndex)];
            m_state->cutValue = CompetitorText::value(cut, m_scored);
            leaderLine(out, cut, true, true, 7, false, w.cutLine);
            return out;
        }
    }
    return out + spaces(w.cutLine);
}
