// Configure > Simulators: the scoreboard and timing-console simulators in
// their own windows, and the loopback setup that points the ports at them.
#include "app/userprompt.h"
#include "io/loopbacksetup.h"
#include "io/outputmanager.h"
#include "sim/simports.h"
#include "sim/windows/scoreboardwindow.h"
#include "sim/windows/timingconsolewindow.h"
#include "ui/mainframe.h"

ScoreboardWindow* CMainFrame::showScoreboardSimulator()
{
    if (!m_scoreboardSim) {
        m_scoreboardSim = new ScoreboardWindow(this);
        m_scoreboardSim->setAttribute(Qt::WA_DeleteOnClose);
        m_scoreboardSim->listen();
    }
    m_scoreboardSim->show();
    m_scoreboardSim->raise();
    return m_scoreboardSim;
}

TimingConsoleWindow* CMainFrame::showTimingConsoleSimulator()
{
    if (!m_timerSim) {
        m_timerSim = new TimingConsoleWindow(this);
        m_timerSim->setAttribute(Qt::WA_DeleteOnClose);
        m_timerSim->connectLink();
    }
    m_timerSim->show();
    m_timerSim->raise();
    return m_timerSim;
}

bool CMainFrame::isLoopbackOn() const
{
    return LoopbackSetup::isOn(*m_output);
}

bool CMainFrame::setLoopback(bool on)
{
    const bool ok = on ? LoopbackSetup::switchOn(*m_output, SimPorts::ScoreboardPort, SimPorts::TimerPort,
                                                 SimPorts::AnnouncerPort)
                       : LoopbackSetup::switchOff(*m_output);
    if (!ok)
        m_prompt->inform(on ? QStringLiteral("The loopback copy of the Input/Output configuration could not be "
                                             "written; the ports are unchanged.")
                            : QStringLiteral("The Input/Output configuration could not be loaded again."));
    updateCommandStates();
    showPortStatus();
    return ok;
}
