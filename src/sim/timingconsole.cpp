#include "timingconsole.h"

namespace {
constexpr int ClockAt = 0;
constexpr int StopFlagAt = 27;
constexpr int ScoredStatusAt = 204, TimedStatusAt = 205;
constexpr int RunTimeAt = 230, RunTimeLength = 9;
constexpr int PenaltyAt = 239, PenaltyLength = 8;
constexpr int ScoringCodeAt = 309;
constexpr int RiderMarkAt = 343, StockMarkAt = 359, MarkLength = 4;

QString seconds(qint64 ms, int width)
{
    const qint64 hundredths = qMax<qint64>(0, ms) / 10;
    return QStringLiteral("%1.%2")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'))
        .rightJustified(width, QLatin1Char(' '), true);
}

void put(QString& image, int at, const QString& text)
{
    image.replace(at, text.size(), text);
}
} // namespace

void TimingConsole::start(qint64 nowMs)
{
    if (m_running)
        return;
    m_running = true;
    m_stopped = false;
    m_noTime = false;
    m_startMs = nowMs;
}

void TimingConsole::stop(qint64 nowMs)
{
    if (!m_running)
        return;
    m_running = false;
    m_stopped = true;
    m_stopMs = nowMs;
}

void TimingConsole::addPenalty()
{
    m_penaltyMs += PenaltyStepMs;
}

void TimingConsole::noTime(qint64 nowMs)
{
    stop(nowMs);
    m_stopped = true;
    m_noTime = true;
}

void TimingConsole::reset()
{
    const int judges = m_judges;
    const MarkMode mode = m_mode;
    *this = TimingConsole();
    m_judges = judges;
    m_mode = mode;
}

qint64 TimingConsole::elapsedMs(qint64 nowMs) const
{
    if (m_running)
        return qMax<qint64>(0, nowMs - m_startMs);
    return m_stopped ? qMax<qint64>(0, m_stopMs - m_startMs) : 0;
}

void TimingConsole::setScoring(int judges, MarkMode mode)
{
    if (judges != 0 && judges != 1 && judges != 2 && judges != 4)
        return;
    m_judges = judges;
    m_mode = mode;
}

void TimingConsole::setMark(int judge, const QString& rider, const QString& stock)
{
    if (judge < 1 || judge > Judges)
        return;
    m_rider[std::size_t(judge - 1)] = rider.trimmed().left(MarkLength);
    m_stock[std::size_t(judge - 1)] = stock.trimmed().left(MarkLength);
}

QString TimingConsole::clockText(qint64 ms)
{
    return seconds(ms, 8) + QLatin1Char(' ');
}

ConsoleBlock TimingConsole::runningBlock(qint64 nowMs) const
{
    QString text(StopFlagAt + 1, QLatin1Char(' '));
    put(text, ClockAt, clockText(elapsedMs(nowMs)));
    return {0, text};
}

ConsoleBlock TimingConsole::image(qint64 nowMs) const
{
    QString text(ImageLength, QLatin1Char(' '));
    const qint64 elapsed = elapsedMs(nowMs);
    put(text, ClockAt, clockText(elapsed));
    if (m_stopped)
        put(text, StopFlagAt, QStringLiteral("s"));
    if (m_noTime) {
        put(text, TimedStatusAt, QStringLiteral("N"));
        put(text, ScoredStatusAt, QStringLiteral("N"));
    } else if (m_stopped && elapsed > 0) {
        put(text, RunTimeAt, seconds(elapsed, RunTimeLength));
    }
    // The penalty travels with every image so that clearing it (a new run)
    // reads as 0.00 rather than as an absent field.
    put(text, PenaltyAt, seconds(m_penaltyMs, PenaltyLength));
    if (m_judges > 0 || m_mode == MarkMode::Combined) {
        // The code's character: the scoring type and the number of judges as
        // two hexadecimal digits (type 4, 2 judges: 0x42 "B").
        const int code = (m_judges == 0 ? 3 : int(m_mode)) * 16 + m_judges;
        put(text, ScoringCodeAt, QString(QChar(char16_t(code))));
        for (int j = 0; j < m_judges; ++j) {
            put(text, RiderMarkAt + MarkLength * j, m_rider[std::size_t(j)].rightJustified(MarkLength));
            if (m_mode != MarkMode::Combined)
                put(text, StockMarkAt + MarkLength * j, m_stock[std::size_t(j)].rightJustified(MarkLength));
        }
    }
    return {0, text};
}
