#include "timingconsoledriver.h"

TimingConsoleDriver::TimingConsoleDriver(QObject* parent) : QObject(parent)
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &TimingConsoleDriver::tick);
    m_timer.start();
}

void TimingConsoleDriver::sendImage()
{
    m_link.send(m_console.image(now()));
    m_lastImageMs = now();
    emit changed();
}

void TimingConsoleDriver::start()
{
    m_console.start(now());
    m_link.send(m_console.runningBlock(now()));
    emit changed();
}

void TimingConsoleDriver::stop()
{
    m_console.stop(now());
    sendImage();
}

void TimingConsoleDriver::addPenalty()
{
    m_console.addPenalty();
    sendImage();
}

void TimingConsoleDriver::noTime()
{
    m_console.noTime(now());
    sendImage();
}

void TimingConsoleDriver::reset()
{
    m_console.reset();
    sendImage();
}

void TimingConsoleDriver::setScoring(int judges, TimingConsole::MarkMode mode)
{
    m_console.setScoring(judges, mode);
    emit changed();
}

void TimingConsoleDriver::setMark(int judge, const QString& rider, const QString& stock)
{
    m_console.setMark(judge, rider, stock);
    emit changed();
}

void TimingConsoleDriver::playScript(const ConsoleScript& script)
{
    m_player = ConsoleScriptPlayer(script);
    m_player.start(now());
    tick();
}

void TimingConsoleDriver::stopScript()
{
    m_player.stop();
    emit changed();
}

void TimingConsoleDriver::perform(const ConsoleStep& step)
{
    if (const std::optional<ConsoleBlock> block = PerformStep(m_console, step, now())) {
        m_link.send(*block);
        emit changed();
        return;
    }
    // A start shows in the running block that tick() sends next; every other
    // change of the run sends the image.
    if (step.action != ConsoleStep::Start && step.action != ConsoleStep::Judges &&
        step.action != ConsoleStep::Mark)
        sendImage();
    emit changed();
}

void TimingConsoleDriver::tick()
{
    for (const ConsoleStep& step : m_player.due(now()))
        perform(step);
    if (!m_link.isOpen())
        return;
    if (m_console.isRunning()) {
        m_link.send(m_console.runningBlock(now()));
        emit changed();
    } else if (m_lastImageMs >= 0 && now() - m_lastImageMs >= RepeatMs) {
        sendImage();
    }
}
