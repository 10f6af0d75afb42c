#include "timerfeed.h"

#include "results/values.h"

#include <limits>

namespace {

// Image positions of the console's fields.
constexpr int RunningTimeAt = 0, RunningTimeLength = 9;
constexpr int StopFlagAt = 27;
constexpr int ScoreAt = 34, ScoreLength = 5;
constexpr int ScoredStatusAt = 204;
constexpr int TimedStatusAt = 205;
constexpr int RunTimeAt = 230, RunTimeLength = 9;
constexpr int PenaltyAt = 239, PenaltyLength = 8;
constexpr int CombinedScoreAt = 304, CombinedScoreLength = 5;
constexpr int ScoringTypeAt = 309;
constexpr int RiderMarkAt = 343, StockMarkAt = 359, MarkLength = 4;
constexpr int Judges = 4;

constexpr quint32 MaxValue = std::numeric_limits<quint32>::max();

quint32 plus(quint32 a, quint32 b)
{
    return a > MaxValue - b ? MaxValue : a + b;
}

// The field of length len at image position pos, when the block covers all of it.
std::optional<QString> field(const QString& text, qint64 offset, int pos, int len)
{
    if (offset > pos || pos + len > offset + text.size())
        return std::nullopt;
    return text.mid(qsizetype(pos - offset), len);
}

bool isBlank(const QString& text)
{
    for (QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

// A field that is there and not all spaces.
std::optional<QString> presentField(const QString& text, qint64 offset, int pos, int len)
{
    std::optional<QString> f = field(text, offset, pos, len);
    if (f && isBlank(*f))
        return std::nullopt;
    return f;
}

int judgesInUse(const QString& judgeCount)
{
    const int n = judgeCount.toInt();
    return n == 1 || n == 2 ? n : Judges;
}

QString pointsText(quint32 hundredths)
{
    return hundredths % 100 == 0
               ? QString::number(hundredths / 100)
               : QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

bool TimerSnapshot::sameEntry(const TimerSnapshot& other) const
{
    return entry.eventId == other.entry.eventId && entry.goRound == other.entry.goRound &&
           entry.perf == other.entry.perf && entry.ptId == other.entry.ptId &&
           entry.plrEnt == other.entry.plrEnt;
}

std::optional<quint32> TimerTimeValue(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    if (end == 0)
        return std::nullopt;
    QString digits = text.left(end);
    for (QChar& c : digits) {
        if (c == u' ')
            c = u'0';
        else if (!(c >= u'0' && c <= u'9') && c != u':' && c != u'.')
            return std::nullopt;
    }
    return ParseTimeText(digits);
}

std::optional<quint32> TimerScoreValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    quint64 whole = 0;
    quint64 decimals = 0;
    int decimalDigits = 0;
    bool point = false;
    bool digit = false;
    for (QChar c : t) {
        if (c == u'.') {
            if (point)
                return std::nullopt;
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            digit = true;
            const unsigned d = c.unicode() - u'0';
            if (!point)
                whole = qMin<quint64>(whole * 10 + d, MaxValue);
            else if (decimalDigits < 2) // finer than hundredths is not kept
                decimals = decimals * 10 + d, ++decimalDigits;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    while (decimalDigits < 2)
        decimals *= 10, ++decimalDigits;
    return quint32(qMin<quint64>(whole * 100 + decimals, MaxValue));
}

bool TimerFeed::isReadable(const QString& text, qint64 offset)
{
    if (text.isEmpty() || offset < -ImageMargin || offset + text.size() > ImageLength + ImageMargin)
        return false;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

std::optional<quint32> TimerFeed::lastSubtotal(int judge) const
{
    return judge >= 0 && judge < Judges ? m_lastSubtotals[std::size_t(judge)] : std::nullopt;
}

void TimerFeed::forgetEntry()
{
    m_addedPenalty = 0;
    m_running = false;
    m_lastCombined.reset();
    m_lastSubtotals = {};
}

void TimerFeed::setSnapshot(std::optional<TimerSnapshot> snapshot)
{
    const bool same = m_snapshot && snapshot && m_snapshot->sameEntry(*snapshot);
    if (!same)
        forgetEntry();
    m_snapshot = std::move(snapshot);
}

TimerFeed::Outcome TimerFeed::onData(const QString& text, int offset)
{
    Outcome out;
    const qint64 o = offset;
    const qint64 n = text.size();
    if (!isReadable(text, o)) {
        out.ignored = true;
        return out;
    }

    // 1. The running time: the block reaches past the clock's last character.
    std::optional<QString> runningText;
    if (o < 1 && o + n > RunningTimeLength) {
        runningText = text.mid(qsizetype(RunningTimeAt - o), RunningTimeLength);
        out.runningTime = runningText;
    }
    // 2. Nothing of a result before the stop flag.
    if (o + n < StopFlagAt)
        return out;
    // 3. A current entry with a place in its go-round, and not "no result".
    if (!m_snapshot || !m_snapshot->stored || m_snapshot->stored->hasStatus(StatusNoResult))
        return out;

    ResultRecord r = *m_snapshot->stored;
    const bool taken =
        m_snapshot->scoring.isScored() ? readScored(text, o, runningText, r, out) : readTimed(text, o, r);
    // 6. Hand over what changed; it is the base of the next block until the
    // user-interface thread publishes what it saved.
    if (taken && !(r == *m_snapshot->stored)) {
        m_snapshot->stored = r;
        out.result = r;
        out.entry = m_snapshot->entry;
    }
    return out;
}

bool TimerFeed::readTimed(const QString& text, qint64 o, ResultRecord& r)
{
    bool taken = false;
    if (const auto f = presentField(text, o, PenaltyAt, PenaltyLength)) {
        if (const std::optional<quint32> p = TimerTimeValue(*f)) {
            taken = true;
            if (*p < 1) {
                // The console cleared its penalty: what was added comes off,
                // unless the result no longer holds that much (the operator
                // changed it meanwhile).
                if (m_addedPenalty > 0 && m_addedPenalty <= r.penalty) {
                    r.penalty -= m_addedPenalty;
                    r.time = r.time >= m_addedPenalty ? r.time - m_addedPenalty : 0;
                }
                m_addedPenalty = 0;
            } else if (m_addedPenalty == 0) {
                r.penalty = plus(r.penalty, *p);
                r.time = plus(r.time, *p);
                m_addedPenalty = *p;
            }
            if (r.penalty == 0 && r.hasStatus(StatusPenalty))
                r.setStatus(QString());
            else if (r.penalty != 0 && !r.hasStatus(StatusPenalty))
                r.setStatus(StatusPenalty);
        }
    }
    if (const auto f = presentField(text, o, RunTimeAt, RunTimeLength)) {
        if (const std::optional<quint32> t = TimerTimeValue(*f); t && *t > 0) {
            r.time = plus(*t, r.penalty);
            taken = true;
        }
    }
    if (const auto f = presentField(text, o, TimedStatusAt, 1)) {
        r.setStatus(*f);
        taken = true;
    }
    return taken;
}

bool TimerFeed::readScored(const QString& text, qint64 o, const std::optional<QString>& runningText,
                           ResultRecord& r, Outcome& out)
{
    const ScoringSettings& event = m_snapshot->scoring;
    bool taken = false;

    // 1. The ride stops: the running time of this block is the ride time.
    if (const auto f = field(text, o, StopFlagAt, 1)) {
        if (f->at(0).toLower() != u's') {
            m_running = true;
        } else if (m_running && runningText) {
            if (const std::optional<quint32> t = TimerTimeValue(*runningText); t && *t > 0) {
                r.time = *t;
                m_running = false;
                taken = true;
            }
        }
    }
    // 3. The status (a blank one leaves an operator's re-ride as it is).
    if (const auto f = presentField(text, o, ScoredStatusAt, 1)) {
        r.setStatus(f->trimmed());
        taken = true;
    }

    // 4. The console's configuration against the event's, and the first
    // judge's text against the event's fraction setting.
    std::optional<int> configCode;
    if (const auto f = presentField(text, o, ScoringTypeAt, 1))
        configCode = TimerConfigCode(f->at(0));
    const std::optional<QString> firstMark = field(text, o, RiderMarkAt, MarkLength);
    QString message = TimerAgreementMessage(event, configCode, firstMark);
    bool checked = configCode.has_value() || (firstMark && !firstMark->trimmed().isEmpty());
    const bool agrees = message.isEmpty();

    // 2. and 4. The score, or the combined score of a console without judges.
    if (agrees) {
        if (const auto f = presentField(text, o, ScoreAt, ScoreLength)) {
            if (const std::optional<quint32> v = TimerScoreValue(*f)) {
                r.score = *v;
                taken = true;
            }
        }
        if (configCode && *configCode % 10 == 0) {
            if (const auto f = presentField(text, o, CombinedScoreAt, CombinedScoreLength)) {
                if (const std::optional<quint32> v = TimerScoreValue(*f)) {
                    m_lastCombined = *v;
                    r.score = *v;
                    taken = true;
                }
            }
        }
    }

    // 5. The judges' marks, each checked before any is taken.
    const QString& mode = event.judgeMode;
    const bool subtotals = mode == JudgeSubtotal;
    const bool combined = mode == JudgeCombined;
    std::array<std::optional<quint32>, Judges> riders, stocks, newSubtotals;
    bool marksRead = false;
    QString refusal;
    for (int j = 0; j < judgesInUse(event.judgeCount); ++j) {
        std::optional<quint32> first, stock;
        if (const auto f = presentField(text, o, RiderMarkAt + MarkLength * j, MarkLength))
            first = TimerScoreValue(*f);
        if (!combined) {
            if (const auto f = presentField(text, o, StockMarkAt + MarkLength * j, MarkLength))
                stock = TimerScoreValue(*f);
        }
        if (!first && !stock)
            continue;
        marksRead = true;
        const auto over = [&](quint32 value, MarkRow row) {
            const int highest = HighestAllowedMark(event.judgeCount, mode, row);
            if (value <= quint32(highest) * 100)
                return false;
            if (refusal.isEmpty())
                refusal =
                    QStringLiteral("Judge %1: the mark %2 from the timer is over %3; no mark was taken.")
                        .arg(j + 1)
                        .arg(pointsText(value))
                        .arg(highest);
            return true;
        };
        if (stock && over(*stock, MarkRow::Stock))
            continue;
        if (subtotals) {
            if (first && over(*first, MarkRow::Subtotal))
                continue;
            const std::optional<quint32> subtotal = first ? first : m_lastSubtotals[std::size_t(j)];
            const quint32 stockMark = stock ? *stock : r.JS[j];
            if (subtotal && *subtotal < stockMark) {
                if (refusal.isEmpty())
                    refusal =
                        QStringLiteral("Judge %1: the subtotal from the timer is below the stock mark; no "
                                       "mark was taken.")
                            .arg(j + 1);
                continue;
            }
            newSubtotals[std::size_t(j)] = first;
            stocks[std::size_t(j)] = stockMark;
            if (subtotal)
                riders[std::size_t(j)] = *subtotal - stockMark;
        } else {
            if (first && over(*first, combined ? MarkRow::Subtotal : MarkRow::Rider))
                continue;
            riders[std::size_t(j)] = first;
            stocks[std::size_t(j)] = stock;
        }
    }
    checked = checked || marksRead;
    if (message.isEmpty())
        message = refusal;

    // 6. The marks, and the total they make.
    if (agrees && marksRead && refusal.isEmpty()) {
        for (int j = 0; j < Judges; ++j) {
            const std::size_t k = std::size_t(j);
            if (riders[k])
                r.JR[j] = quint16(*riders[k]);
            if (stocks[k])
                r.JS[j] = quint16(*stocks[k]);
            else if (combined && riders[k])
                r.JS[j] = 0; // a combined mark is the whole subtotal
            if (newSubtotals[k])
                m_lastSubtotals[k] = newSubtotals[k];
        }
        quint32 rider = 0;
        quint32 stock = 0;
        for (int j = 0; j < Judges; ++j) {
            rider += r.JR[j];
            stock += r.JS[j];
        }
        const quint32 divisor = event.judgeCount == QLatin1String("4") ? 2 : 1;
        r.score =
            ParseScoreText(FormatScoreTotal(rider > 0 ? rider + stock : 0, divisor, event.isFraction(), true),
                           event.isFraction());
        taken = true;
    }
    if (taken)
        r.success = r.score != 0 ? 1 : 0;

    if (checked && (!m_clockShown || *m_clockShown != message)) {
        m_clockShown = message;
        out.clockMessage = message;
    }
    return taken;
}
