#include "scoreentry.h"

#include "values.h"

namespace {

int judgesInUse(const QString& judgeCount)
{
    const int n = judgeCount.toInt();
    return n == 1 || n == 2 ? n : ScoreEntry::Judges;
}

} // namespace

QString ScoreEntry::markMask() const
{
    return fraction() ? QStringLiteral("[0-9][0-9].[0-9]") : QStringLiteral("[0-9][0-9]");
}

void ScoreEntry::selectEvent(const ScoringSettings& settings)
{
    m_settings = settings;
    load(std::nullopt);
}

void ScoreEntry::load(const std::optional<ResultRecord>& stored)
{
    m_record = stored ? *stored : ResultRecord();
    m_changed = false;
    show();
}

QString ScoreEntry::markDigits(quint32 value) const
{
    if (value == 0)
        return QString();
    // The digits a masked field is filled with, with the point its mask shows.
    const QString digits = FormatScoreTotal(value, 1, fraction(), false, padWidth());
    return fraction() ? digits.left(digits.size() - 1) + QLatin1Char('.') + digits.right(1) : digits;
}

void ScoreEntry::show()
{
    for (int j = 0; j < Judges; ++j) {
        m_marks[Rider][j] = markDigits(m_record.JR[j]);
        m_marks[Stock][j] = markDigits(m_record.JS[j]);
        m_marks[Subtotal][j] =
            m_record.JR[j] != 0 ? markDigits(quint32(m_record.JR[j]) + m_record.JS[j]) : QString();
    }
    m_time = FormatTimeText(m_record.time, m_settings.precision);
    m_scoreTotal = FormatScoreTotal(m_record.score, 1, fraction(), true);
    recomputeTotals(false);
}

quint32 ScoreEntry::mark(Row row, int judge) const
{
    return ParseScoreText(m_marks[row][judge], fraction());
}

void ScoreEntry::recomputeTotals(bool withScore)
{
    quint32 rider = 0;
    quint32 stock = 0;
    for (int j = 0; j < Judges; ++j) {
        rider += mark(Rider, j);
        stock += mark(Stock, j);
    }
    m_riderTotal = FormatScoreTotal(rider, divisor(), fraction(), true);
    m_stockTotal = FormatScoreTotal(stock, divisor(), fraction(), true);
    if (withScore)
        m_scoreTotal = FormatScoreTotal(rider > 0 ? rider + stock : 0, divisor(), fraction(), true);
}

bool ScoreEntry::isMarkEnabled(Row row, int judge) const
{
    if (!hasEntry() || judge < 0 || judge >= judgesInUse(m_settings.judgeCount))
        return false;
    const QString& mode = m_settings.judgeMode;
    const bool noScore = m_record.hasStatus(StatusNoResult);
    switch (row) {
    case Rider:
        return mode == JudgeSeparate && !noScore;
    case Stock:
        return mode == JudgeSeparate || mode == JudgeSubtotal;
    case Subtotal:
        return (mode == JudgeSubtotal || mode == JudgeCombined) && !noScore;
    }
    return false;
}

int ScoreEntry::highestMark(Row row) const
{
    const MarkRow r = row == Rider ? MarkRow::Rider : row == Stock ? MarkRow::Stock : MarkRow::Subtotal;
    return HighestAllowedMark(m_settings.judgeCount, m_settings.judgeMode, r);
}

void ScoreEntry::typeMark(Row row, int judge, const QString& text)
{
    if (judge < 0 || judge >= Judges)
        return;
    // Kept as typed and checked when the field is left or saved: a mark on
    // its way ("2" of "21") is not judged at its first key.
    m_marks[row][judge] = text;
    m_changed = true;
}

void ScoreEntry::typeTime(const QString& text)
{
    m_time = text;
    m_changed = true;
}

EntryCheck ScoreEntry::checkMark(Row row, int judge) const
{
    if (judge < 0 || judge >= Judges)
        return EntryCheck::fail(QStringLiteral("There is no such judge."));
    return CheckMarkText(m_marks[row][judge], fraction(), highestMark(row));
}

void ScoreEntry::deriveRiders()
{
    for (int j = 0; j < Judges; ++j) {
        const quint32 subtotal = mark(Subtotal, j);
        const quint32 stock = mark(Stock, j);
        m_marks[Rider][j] = markDigits(subtotal > stock ? subtotal - stock : 0);
    }
}

void ScoreEntry::leaveSubtotal()
{
    if (!m_changed)
        return;
    deriveRiders();
    recomputeTotals(true);
}

void ScoreEntry::leaveMark()
{
    if (!m_changed)
        return;
    if (m_settings.judgeMode == JudgeSubtotal)
        deriveRiders();
    for (int j = 0; j < Judges; ++j) {
        const quint32 rider = mark(Rider, j);
        m_marks[Subtotal][j] = rider != 0 ? markDigits(rider + mark(Stock, j)) : QString();
    }
    recomputeTotals(true);
}

EntryCheck ScoreEntry::leaveTime()
{
    EntryCheck check = CheckTimeComplete(m_time.trimmed());
    if (check.ok())
        check = CheckTimeText(m_time, PrecisionDigits(m_settings.precision));
    if (check.ok() && m_changed)
        m_record.time = ParseTimeText(m_time);
    return check;
}

void ScoreEntry::clear()
{
    const quint32 key = m_record.key;
    m_record = ResultRecord();
    m_record.key = key;
    m_changed = true;
    show();
}

void ScoreEntry::reride(bool inDialog)
{
    if (inDialog || m_record.hasStatus(StatusReride))
        m_record.setStatus(QString());
    else
        m_record.setStatus(StatusReride);
    m_changed = true;
}

void ScoreEntry::noScore(quint32 latestTimerTime)
{
    if (!m_record.hasStatus(StatusNoResult)) {
        m_record.setStatus(StatusNoResult);
        for (quint16& jr : m_record.JR)
            jr = 0;
        m_record.score = 0;
        if (m_record.time == 0)
            m_record.time = latestTimerTime;
        show();
    } else {
        m_record.setStatus(QString());
    }
    m_changed = true;
}

std::optional<ScoreEntry::SaveFailure> ScoreEntry::prepareSave()
{
    // Subtotals typed but not left yet (the focus went straight to Save).
    for (int j = 0; j < Judges; ++j) {
        if (!isMarkEnabled(Subtotal, j))
            continue;
        const EntryCheck check = CheckMarkText(m_marks[Subtotal][j], fraction(), highestMark(Subtotal));
        if (!check.ok())
            return SaveFailure{Subtotal, j, check};
    }
    for (Row row : {Rider, Stock}) {
        for (int j = 0; j < Judges; ++j) {
            const EntryCheck check = CheckMarkText(m_marks[row][j], fraction(), highestMark(row));
            if (!check.ok())
                return SaveFailure{row, j, check};
            const quint32 value = mark(row, j);
            (row == Rider ? m_record.JR[j] : m_record.JS[j]) = quint16(qMin<quint32>(value, 0xFFFF));
        }
    }
    recomputeTotals(true);
    m_record.score = ParseScoreText(m_scoreTotal, fraction());
    m_record.success = m_record.score != 0 ? 1 : 0;
    EntryCheck time = CheckTimeText(m_time, PrecisionDigits(m_settings.precision));
    if (time.ok())
        time = CheckTimeComplete(m_time.trimmed());
    if (!time.ok())
        return SaveFailure{Rider, -1, time};
    m_record.time = ParseTimeText(m_time);
    // The subtotals follow the marks that are saved.
    for (int j = 0; j < Judges; ++j)
        m_marks[Subtotal][j] =
            m_record.JR[j] != 0 ? markDigits(quint32(m_record.JR[j]) + m_record.JS[j]) : QString();
    return std::nullopt;
}
