// The timing console's input: what the timer input hands over, and the
// snapshot of the scoring table it works on.
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "io/outputmanager.h"
#include "io/timermailbox.h"
#include "mainframe.h"
#include "results/values.h"
#include "ui/views/runperf/viewrunperf.h"

void CMainFrame::connectTimerInput()
{
    m_timerMailbox = std::make_unique<TimerMailbox>(
        TimerMailbox::Receivers{[this](const QString& text) { onRunningTime(text); },
                                [this](const QString& text) { onClockMessage(text); },
                                [this](const RegEntry& entry, const ResultRecord& record) {
                                    SaveResult(entry, record, ChangeSource::TimingConsole);
                                }});
    m_output->timerInput().setSink(this);
    publishTimerSnapshot();
}

void CMainFrame::postRunningTime(const QString& text)
{
    m_timerMailbox->postRunningTime(text);
}

void CMainFrame::saveTimerResult(const RegEntry& entry, const ResultRecord& record)
{
    m_timerMailbox->postResult(entry, record);
}

void CMainFrame::showClockMessage(const QString& text)
{
    m_timerMailbox->postClockMessage(text);
}

void CMainFrame::onRunningTime(const QString& text)
{
    m_latestTimerTime = static_cast<qint32>(ParseRunningTimeText(text));
    if (m_runPerf)
        m_runPerf->showRunningTime(text);
}

void CMainFrame::onClockMessage(const QString& text)
{
    if (text == m_clockMessage)
        return;
    m_clockMessage = text;
    if (m_runPerf)
        m_runPerf->showClockMessage(text);
    emit clockMessageChanged(text);
}

void CMainFrame::publishTimerSnapshot()
{
    std::optional<TimerSnapshot> snapshot;
    const RegEntry& current = m_db->curEntry();
    // The database manager keeps its current entry when another rodeo opens:
    // only one selected since then is this rodeo's.
    const EventCfg* event =
        m_entrySelected && m_db->isRodeoOpen() ? m_db->GetEvent(current.eventId) : nullptr;
    if (event && current.ptId != 0) {
        TimerSnapshot s;
        s.entry = current;
        s.scoring = event->scoring();
        if (const ResultRecord* stored = m_db->standings().find(current.goRound, current.key()))
            s.stored = *stored;
        // A contestant selected in Run Performance but not made current: the
        // console's next run is not the current one's.
        if (m_runPerf && m_currentView == ViewTable::RunPerformance) {
            const EntryKey selected = m_runPerf->selectedKey();
            s.otherSelected = selected != 0 && selected != current.key();
        }
        snapshot = std::move(s);
    }
    m_output->timerInput().publishSnapshot(std::move(snapshot));
}

void CMainFrame::retireTimerEntry()
{
    // First the snapshot: once it is gone nothing more is handed over for this
    // rodeo, so the results dropped next are all there are.
    m_entrySelected = false;
    m_output->timerInput().publishSnapshot(std::nullopt);
    m_timerMailbox->discardResults();
}
