#pragma once

#include "timingconsole.h"

#include <QList>
#include <QString>
#include <optional>

// A rehearsal script for the timing console: one step a line, at a time in
// seconds from the script's start, times never going back. "#" begins a
// comment; blank lines are skipped.
//
//   0     reset
//   2.5   start
//   14.27 stop
//   15    penalty
//   16    notime
//   20    judges 2 separate        (0, 1, 2 or 4; combined, separate, subtotal)
//   21    mark 1 21.5 22           (judge, rider mark, stock mark)
//   30    block 230 "    12.34"    (any text at an image position)
struct ConsoleStep
{
    enum Action { Reset, Start, Stop, Penalty, NoTime, Judges, Mark, Block };

    qint64 atMs = 0;
    Action action = Reset;
    int number = 0;                 // judges, judge, or block offset
    TimingConsole::MarkMode mode = TimingConsole::MarkMode::Separate;
    QString first;                  // rider mark, or the block's text
    QString second;                 // stock mark

    bool operator==(const ConsoleStep&) const = default;
};

struct ConsoleScript
{
    QList<ConsoleStep> steps;

    // None, and "Line <n>: <why>" in error, for a script with a line it
    // cannot read.
    static std::optional<ConsoleScript> parse(const QString& text, QString* error = nullptr);
};

// Plays a script against a clock: each call hands out the steps that are due.
class ConsoleScriptPlayer
{
public:
    explicit ConsoleScriptPlayer(ConsoleScript script = {}) : m_script(std::move(script)) {}

    void start(qint64 nowMs);
    // The steps due by nowMs that were not handed out yet, in order.
    QList<ConsoleStep> due(qint64 nowMs);
    bool isFinished() const { return m_next >= m_script.steps.size(); }
    bool isPlaying() const { return m_playing && !isFinished(); }
    void stop() { m_playing = false; }

private:
    ConsoleScript m_script;
    qsizetype m_next = 0;
    qint64 m_startMs = 0;
    bool m_playing = false;
};

// Carries out a step on the console; returns the block that the step itself
// sends (a block step) or none (the console then sends its image).
std::optional<ConsoleBlock> PerformStep(TimingConsole& console, const ConsoleStep& step, qint64 nowMs);
