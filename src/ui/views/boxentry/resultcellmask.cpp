#include "resultcellmask.h"

#include "framework/editmask.h"
#include "results/scoringsettings.h"
#include "results/values.h"

namespace {

QString digitPositions(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QStringLiteral("[0-9]");
    return s;
}

QString zeroPadded(quint32 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

ResultCellMask::ResultCellMask(const EventCfg& event)
    : m_scored(event.isScored()), m_fraction(event.fraction == FractionFraction),
      m_combined(event.judgeMode == JudgeCombined), m_digits(PrecisionDigits(event.precision))
{
    if (!m_scored) {
        // Twenty places in all, the time's at the right.
        m_mask = QString(16 - (m_digits - 1), QLatin1Char(' ')) + digitPositions(2) + QLatin1Char('.') +
                 digitPositions(m_digits);
    } else {
        m_mask = QString(14, QLatin1Char(' ')) + QStringLiteral("[ 0-9]") + digitPositions(2) +
                 (m_fraction ? QStringLiteral(".[0-9]") : QString()) +
                 QString(5 - (m_digits - 1), QLatin1Char(' ')) + digitPositions(1) + QLatin1Char('.') +
                 digitPositions(m_digits);
    }
}

QString ResultCellMask::emptyText() const
{
    if (!m_scored)
        return QString(2 + m_digits, QLatin1Char('0'));
    return QLatin1Char(' ') + QString((m_fraction ? 3 : 2) + m_digits + 1, QLatin1Char('0'));
}

QString ResultCellMask::initialText(const ResultRecord* stored) const
{
    if (!stored || (stored->time == 0 && (!m_scored || stored->score == 0)))
        return emptyText();
    const quint32 divisor = m_digits == 1 ? 100 : m_digits == 2 ? 10 : 1;
    QString time = zeroPadded(stored->time / divisor, m_digits + 1);
    if (!m_scored) {
        while (time.size() < m_digits + 2)
            time.prepend(QLatin1Char('0'));
        return time;
    }
    QString score = m_fraction ? zeroPadded(stored->score / 10, 4) : zeroPadded(stored->score / 100, 3);
    if (score.size() == 2)
        score.prepend(QLatin1Char(' '));
    return score + time;
}

ResultCellMask::Typed ResultCellMask::parse(const QString& display) const
{
    const QString input = EditMask(m_mask).inputText(display);
    Typed typed;
    if (!m_scored) {
        typed.time = input.left(input.size() - m_digits) + QLatin1Char('.') + input.right(m_digits);
        return typed;
    }
    const QString time = input.right(m_digits + 1);
    typed.time = time.left(1) + QLatin1Char('.') + time.mid(1);
    QString score = input.left(input.size() - (m_digits + 1)).trimmed();
    if (m_fraction && !score.isEmpty())
        score = score.left(score.size() - 1) + QLatin1Char('.') + score.right(1);
    typed.score = score;
    return typed;
}

EntryCheck ResultCellMask::check(const Typed& typed) const
{
    const EntryCheck time = CheckTimeText(typed.time, m_digits);
    if (!time.ok() || !m_scored)
        return time;
    return CheckMarkText(typed.score, m_fraction, m_combined ? 100 : 50);
}

ResultRecord ResultCellMask::record(const Typed& typed, EntryKey key) const
{
    ResultRecord r;
    r.key = key;
    r.time = ParseTimeText(typed.time);
    if (m_scored)
        r.score = ParseScoreText(typed.score, m_fraction);
    return r;
}
