#pragma once

#include <QString>
#include <array>

// One block of the timing console's image: text at an image position.
struct ConsoleBlock
{
    int offset = 0;
    QString text;

    bool operator==(const ConsoleBlock&) const = default;
};

// The timing console's state and the blocks it sends (the program's timer
// input reads them; the image positions are those of docs/rtd-protocol.md,
// "The timing console's image"). Times are milliseconds of any steady clock,
// given by the caller, so that the console can be driven without waiting.
//
// A run: start() sets the clock going; runningBlock() is what the console
// sends ten times a second meanwhile; stop() ends the run and image() then
// holds the run time, the penalty and the stop flag. Penalty +5 s and No Time
// apply to the current run. Judges' marks are for scored events.
class TimingConsole
{
public:
    static constexpr int ImageLength = 375;
    static constexpr int PenaltyStepMs = 5000;
    static constexpr int Judges = 4;
    // How a scored console reports its marks (the scoring type of its code).
    enum class MarkMode { Combined = 3, Separate = 4, Subtotal = 5 };

    void start(qint64 nowMs);
    void stop(qint64 nowMs);
    void addPenalty();
    void noTime(qint64 nowMs);
    // Ready for the next run: clock, penalty, status and marks cleared.
    void reset();

    bool isRunning() const { return m_running; }
    // The clock's time: running, or where it stopped.
    qint64 elapsedMs(qint64 nowMs) const;
    qint64 penaltyMs() const { return m_penaltyMs; }
    bool isNoTime() const { return m_noTime; }

    // Scored events: 0 (no judges), 1, 2 or 4 judges; marks as the judges
    // enter them ("21.5"), empty for none. Other judge numbers are ignored.
    void setScoring(int judges, MarkMode mode);
    void setMark(int judge, const QString& rider, const QString& stock);
    int judges() const { return m_judges; }

    // The clock as the console shows it: seconds with hundredths, right
    // aligned in eight characters, and a space ("   12.34 ").
    static QString clockText(qint64 ms);
    // What the console sends while the clock runs: the clock and the stop
    // flag's position (a space: running).
    ConsoleBlock runningBlock(qint64 nowMs) const;
    // The whole image: clock, stop flag ("s" once stopped), run time,
    // penalty, status ("N" for No Time) and, with judges, the scoring code
    // and the marks.
    ConsoleBlock image(qint64 nowMs) const;

private:
    bool m_running = false;
    bool m_stopped = false;
    qint64 m_startMs = 0;
    qint64 m_stopMs = 0;
    qint64 m_penaltyMs = 0;
    bool m_noTime = false;
    int m_judges = 0;
    MarkMode m_mode = MarkMode::Separate;
    std::array<QString, Judges> m_rider;
    std::array<QString, Judges> m_stock;
};
