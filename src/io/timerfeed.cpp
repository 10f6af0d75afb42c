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

struct FieldSpan
{
    int at;
    int length;
};

// Every field of the image, in the order of TimerFeed::Field.
constexpr FieldSpan kFields[TimerFeed::FieldCount] = {
    {StopFlagAt, 1},
    {ScoreAt, ScoreLength},
    {ScoredStatusAt, 1},
    {TimedStatusAt, 1},
    {RunTimeAt, RunTimeLength},
    {PenaltyAt, PenaltyLength},
    {CombinedScoreAt, CombinedScoreLength},
    {ScoringTypeAt, 1},
    {RiderMarkAt, MarkLength},
    {RiderMarkAt + MarkLength, MarkLength},
    {RiderMarkAt + 2 * MarkLength, MarkLength},
    {RiderMarkAt + 3 * MarkLength, MarkLength},
    {StockMarkAt, MarkLength},
    {StockMarkAt + MarkLength, MarkLength},
    {StockMarkAt + 2 * MarkLength, MarkLength},
    {StockMarkAt + 3 * MarkLength, MarkLength},
};

bool sameRegEntry(const RegEntry& a, const RegEntry& b)
{
    return a.eventId == b.eventId && a.goRound == b.goRound && a.perf == b.perf && a.ptId == b.ptId &&
           a.plrEnt == b.plrEnt;
}

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
    return sameRegEntry(entry, other.entry);
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

std::optional<TimerFeed::Readable> TimerFeed::readablePart(const QString& text, qint64 offset)
{
    // Line ends and other control characters after the last printable one.
    qsizetype n = text.size();
    while (n > 0 && text[n - 1].unicode() < 0x20)
        --n;
    if (n == 0)
        return std::nullopt;
    const qint64 from = qMax<qint64>(offset, 0);
    const qint64 to = qMin<qint64>(offset + n, ImageLength);
    if (from >= to)
        return std::nullopt; // wholly outside the image
    Readable part;
    part.offset = int(from);
    part.text = text.mid(qsizetype(from - offset), qsizetype(to - from));
    part.cut = from != offset || to != offset + n;
    // A character that is not printable ASCII spoils the field it lies in;
    // between the fields it is of no account.
    for (qsizetype i = 0; i < part.text.size(); ++i) {
        const ushort c = part.text[i].unicode();
        if (c >= 0x20 && c <= 0x7E)
            continue;
        const int pos = part.offset + int(i);
        if (pos < RunningTimeAt + RunningTimeLength)
            return std::nullopt; // the clock
        for (const FieldSpan& f : kFields)
            if (pos >= f.at && pos < f.at + f.length)
                return std::nullopt;
        part.text[i] = QLatin1Char(' ');
    }
    return part;
}

std::optional<quint32> TimerFeed::lastSubtotal(int judge) const
{
    return judge >= 0 && judge < Judges ? m_lastSubtotals[std::size_t(judge)] : std::nullopt;
}

bool TimerFeed::ownsRun() const
{
    return m_owner && m_snapshot && sameRegEntry(*m_owner, m_snapshot->entry);
}

void TimerFeed::forgetEntry()
{
    m_addedPenalty = 0;
    m_running = false;
    m_lastCombined.reset();
    m_lastSubtotals = {};
}

void TimerFeed::forgetRun()
{
    forgetEntry();
    m_freshRun = false;
}

void TimerFeed::setSnapshot(std::optional<TimerSnapshot> snapshot)
{
    const bool same = m_snapshot && snapshot && m_snapshot->sameEntry(*snapshot);
    if (!same)
        forgetEntry();
    m_snapshot = std::move(snapshot);
}

TimerFeed::Outcome TimerFeed::onData(const QString& raw, int rawOffset)
{
    Outcome out;
    const std::optional<Readable> part = readablePart(raw, rawOffset);
    if (!part) {
        out.ignored = true;
        return out;
    }
    out.cut = part->cut;
    const QString& text = part->text;
    const qint64 o = part->offset;
    const qint64 n = text.size();

    // 1. The running time: the block reaches past the clock's last character.
    const std::optional<QString> clock = field(text, o, RunningTimeAt, RunningTimeLength);
    std::optional<QString> runningText;
    if (clock && qint64(rawOffset) < 1 && qint64(rawOffset) + raw.size() > RunningTimeLength) {
        runningText = clock;
        out.runningTime = runningText;
    }

    // The console's side: has a run begun, ended, or is one going on?
    bool restart = false;
    bool running = false;
    bool clockAtZero = false;
    if (clock) {
        const quint32 v = TimerTimeValue(*clock).value_or(0);
        if (m_lastClock) {
            restart = v > 0 && (*m_lastClock == 0 || v < *m_lastClock);
            running = v > 0 && v != *m_lastClock;
        }
        m_lastClock = v;
        clockAtZero = v == 0;
    }
    bool showsResult = false; // a result field holds something
    for (int f : {RunTime, TimedStatus, ScoredStatus, Score, CombinedScore})
        showsResult = showsResult || presentField(text, o, kFields[f].at, kFields[f].length).has_value();
    for (int j = 0; j < 2 * Judges; ++j)
        showsResult =
            showsResult || presentField(text, o, RiderMarkAt + MarkLength * j, MarkLength).has_value();
    const bool reset = clockAtZero && !showsResult;

    const bool current = m_snapshot.has_value();
    const bool mayOwn = current && !m_snapshot->otherSelected;
    if (reset) {
        m_owner.reset();
        forgetRun();
    } else if (restart || (running && !m_owner)) {
        // A new run: the current entry's, unless another contestant is selected.
        m_owner = mayOwn ? std::optional<RegEntry>(m_snapshot->entry) : std::nullopt;
        forgetRun();
        m_freshRun = m_owner.has_value();
        for (int f = 0; f < FieldCount; ++f)
            if (f != ScoringType)
                m_seen[std::size_t(f)] = QString(); // whatever the run shows is new
    }

    // What the console changed since it last sent each field.
    Usable changed{};
    Usable shown{};
    for (int f = 0; f < FieldCount; ++f) {
        const std::optional<QString> t = field(text, o, kFields[f].at, kFields[f].length);
        if (!t)
            continue;
        shown[std::size_t(f)] = true;
        std::optional<QString>& seen = m_seen[std::size_t(f)];
        changed[std::size_t(f)] = seen && *seen != *t;
        seen = *t;
    }

    // New marks, a new score or a new status start a run for the current
    // entry when it does not own the console's run.
    if (!reset && mayOwn && !ownsRun()) {
        bool marksOrStatus =
            changed[Score] || changed[CombinedScore] || changed[ScoredStatus] || changed[TimedStatus];
        for (int j = 0; j < 2 * Judges; ++j)
            marksOrStatus = marksOrStatus || changed[std::size_t(FirstRiderMark + j)];
        if (marksOrStatus) {
            // The block is the new run's image: all of it counts.
            m_owner = m_snapshot->entry;
            forgetRun();
            changed = shown;
        }
    }

    // 2. Nothing of a result before the stop flag.
    if (o + n < StopFlagAt)
        return out;
    // 3. A current entry with a place in its go-round, and not "no result".
    if (!m_snapshot || !m_snapshot->stored || m_snapshot->stored->hasStatus(StatusNoResult))
        return out;

    const ResultRecord& stored = *m_snapshot->stored;
    const bool scored = m_snapshot->scoring.isScored();
    const bool owned = ownsRun();
    QString checkMessage;
    bool checked = false;
    QString runMessage;
    bool aboutRun = clock.has_value() || showsResult;
    if (owned) {
        ResultRecord r = stored;
        if (m_freshRun && !scored) {
            // A new run of a timed event: nothing of the last one carries over.
            r.time = 0;
            r.penalty = 0;
            r.setStatus(QString());
        }
        const bool taken = scored ? readScored(text, o, runningText, changed, true, r, checkMessage, checked)
                                  : readTimed(text, o, changed, m_addedPenalty, r);
        // 6. Hand over what changed; it is the base of the next block until the
        // user-interface thread publishes what it saved.
        if (taken) {
            m_freshRun = false;
            if (!(r == stored)) {
                m_snapshot->stored = r;
                out.result = r;
                out.entry = m_snapshot->entry;
            }
        }
    } else {
        // Not this entry's run: nothing is taken. Would the image change the
        // entry's result if it were?
        ResultRecord r = stored;
        quint32 added = 0;
        const bool differs =
            (scored ? readScored(text, o, runningText, shown, false, r, checkMessage, checked)
                    : readTimed(text, o, shown, added, r)) &&
            !(r == stored);
        if (m_snapshot->otherSelected && (running || (showsResult && differs)))
            runMessage = TimerOtherSelectedMessage;
        else if (!reset && ((showsResult && differs) || (running && m_owner)))
            runMessage = TimerEarlierRunMessage;
    }

    const QString message = !checkMessage.isEmpty() ? checkMessage : runMessage;
    if ((checked || aboutRun) && (!m_clockShown || *m_clockShown != message)) {
        m_clockShown = message;
        out.clockMessage = message;
    }
    return out;
}

bool TimerFeed::readTimed(const QString& text, qint64 o, const Usable& use, quint32& added, ResultRecord& r)
{
    bool taken = false;
    if (use[Penalty]) {
        if (const auto f = field(text, o, PenaltyAt, PenaltyLength)) {
            // A blank penalty is no penalty, as "0.00" is.
            const std::optional<quint32> p = isBlank(*f) ? std::optional<quint32>(0) : TimerTimeValue(*f);
            if (p) {
                taken = true;
                if (*p != added) {
                    // The console's penalty replaces the one this reader added,
                    // unless the result no longer holds that much (the operator
                    // changed it meanwhile): then it comes on top of his.
                    const quint32 off = added <= r.penalty ? added : 0;
                    r.penalty = plus(r.penalty - off, *p);
                    r.time = plus(r.time >= off ? r.time - off : 0, *p);
                    added = *p;
                }
                if (r.penalty == 0 && r.hasStatus(StatusPenalty))
                    r.setStatus(QString());
                else if (r.penalty != 0 && !r.hasStatus(StatusPenalty))
                    r.setStatus(StatusPenalty);
            }
        }
    }
    if (use[RunTime]) {
        if (const auto f = presentField(text, o, RunTimeAt, RunTimeLength)) {
            if (const std::optional<quint32> t = TimerTimeValue(*f); t && *t > 0) {
                r.time = plus(*t, r.penalty);
                taken = true;
            }
        }
    }
    if (use[TimedStatus]) {
        if (const auto f = presentField(text, o, TimedStatusAt, 1)) {
            r.setStatus(*f);
            taken = true;
        }
    }
    return taken;
}

bool TimerFeed::readScored(const QString& text, qint64 o, const std::optional<QString>& runningText,
                           const Usable& use, bool owned, ResultRecord& r, QString& message, bool& checked)
{
    const ScoringSettings& event = m_snapshot->scoring;
    bool taken = false;

    // 1. The ride stops: the running time of this block is the ride time.
    if (owned) {
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
    }
    // 3. The status (a blank one leaves an operator's re-ride as it is).
    if (use[ScoredStatus]) {
        if (const auto f = presentField(text, o, ScoredStatusAt, 1)) {
            r.setStatus(f->trimmed());
            taken = true;
        }
    }

    // 4. The console's configuration against the event's, and the first
    // judge's text against the event's fraction setting.
    std::optional<int> configCode;
    if (const auto f = presentField(text, o, ScoringTypeAt, 1))
        configCode = TimerConfigCode(f->at(0));
    const std::optional<QString> firstMark = field(text, o, RiderMarkAt, MarkLength);
    message = TimerAgreementMessage(event, configCode, firstMark);
    checked = configCode.has_value() || (firstMark && !firstMark->trimmed().isEmpty());
    const bool agrees = message.isEmpty();

    // 2. and 4. The score, or the combined score of a console without judges.
    if (agrees) {
        if (use[Score]) {
            if (const auto f = presentField(text, o, ScoreAt, ScoreLength)) {
                if (const std::optional<quint32> v = TimerScoreValue(*f)) {
                    r.score = *v;
                    taken = true;
                }
            }
        }
        if (configCode && *configCode % 10 == 0 && use[CombinedScore]) {
            if (const auto f = presentField(text, o, CombinedScoreAt, CombinedScoreLength)) {
                if (const std::optional<quint32> v = TimerScoreValue(*f)) {
                    if (owned)
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
        if (use[std::size_t(FirstRiderMark + j)]) {
            if (const auto f = presentField(text, o, RiderMarkAt + MarkLength * j, MarkLength))
                first = TimerScoreValue(*f);
        }
        if (!combined && use[std::size_t(FirstStockMark + j)]) {
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
            if (newSubtotals[k] && owned)
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
    return taken;
}
