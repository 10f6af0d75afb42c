#pragma once

#include "consolelink.h"
#include "consolescript.h"
#include "timingconsole.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

// Runs the timing-console simulator: the buttons' actions change the console
// and send its image at once; while the clock runs a running block goes out
// ten times a second; otherwise the image is repeated once a second (a lost
// datagram is made good, as real consoles do). A script plays its steps on
// the same clock.
class TimingConsoleDriver : public QObject
{
    Q_OBJECT
public:
    static constexpr int TickMs = 100;
    static constexpr int RepeatMs = 1000;

    explicit TimingConsoleDriver(QObject* parent = nullptr);

    // The clock (milliseconds); tests set one they move themselves.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    qint64 now() const { return m_clock(); }

    ConsoleLink& link() { return m_link; }
    const TimingConsole& console() const { return m_console; }

    void start();
    void stop();
    void addPenalty();
    void noTime();
    void reset();
    void setScoring(int judges, TimingConsole::MarkMode mode);
    void setMark(int judge, const QString& rider, const QString& stock);
    // Sends the image now (the marks panel's "Send").
    void sendImage();

    void playScript(const ConsoleScript& script);
    void stopScript();
    bool isScriptPlaying() const { return m_player.isPlaying(); }

    // What the timer does: steps that are due, then the running block or the
    // repeated image. Public so that tests can tick without waiting.
    void tick();

signals:
    // After every change and every block sent, for the window to show.
    void changed();

private:
    void perform(const ConsoleStep& step);

    std::function<qint64()> m_clock;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    TimingConsole m_console;
    ConsoleLink m_link;
    ConsoleScriptPlayer m_player;
    qint64 m_lastImageMs = -1;
};
