// Refreshing the outputs: scoreboard text, display-controller sequence,
// announcer monitors.
#include "app/log.h"
#include "monitorpages.h"
#include "outputmanager.h"
#include "platform/stream/rtdprotocol.h"

#include <algorithm>
#include <vector>

void OutputManager::Refresh(int code)
{
    // One refresh at a time, whichever thread asks.
    QMutexLocker lock(&m_refreshMutex);
    m_lastRefreshCode = code;

    if (code == 2) {
        m_state.goPage = 0;
        m_state.overallPage = 0;
    }

    const auto& rips = m_config.rips;
    if (!rips.empty() && rips.front()->isStarted()) {
        m_networkLayout = std::any_of(rips.begin(), rips.end(),
                                      [](const auto& rip) { return rip->type() == RipStream::Network; });
        // Whatever the refresh sends on a stream goes in one hand-over at the
        // end: texts, then the display command or the update trigger.
        for (const auto& rip : rips)
            rip->beginBatch();
        const OutputContext& ctx = context();
        m_state.linesPerPage = ScoreboardLayout::linesPerPage(m_networkLayout, ctx.currentProfile().paging);
        const bool anyLeaders = ctx.leadersFlag(0) || ctx.leadersFlag(1);
        const BlockRange range = blocksForRefresh(code, anyLeaders, m_holding && ctx.leadersFlag(0));
        const ScoreboardRun run = m_blocks->build(code, range, m_networkLayout, *m_context, m_state);
        if (!run.text.isEmpty())
            SetText(run.text, run.offset);
        if (!run.second.isEmpty() && ctx.currentProfile().paging > 12 && m_networkLayout)
            SetText(run.second, code == 10 ? OverallSecondTextOffset : SecondTextOffset);
        // The signs show their image on a display command. Without one, the
        // update trigger asks them to: when the last key's action cannot be
        // found, and also when text went out but no command did (no key
        // pressed since start, or an action that sends nothing), so that a
        // sign never keeps the first texts to itself.
        bool commandSent = false;
        int status = 0;
        if (m_actions.keyPressed()) {
            status = m_actions.StartSeq(*m_context, [&](const RtdCommand& command) {
                commandSent = command.sendsSomething();
                SetCommand(command);
            });
        }
        const bool textSent = !run.text.isEmpty() || !run.second.isEmpty();
        if (status < 0 || (textSent && !commandSent))
            SendUpdateTrigger();
        // Every stream sends at once; the refresh ends when all have sent.
        std::vector<RipStream::Sending> sending;
        sending.reserve(rips.size());
        for (const auto& rip : rips)
            sending.push_back(rip->startBatch(m_config.port(rip->port())));
        for (size_t i = 0; i < rips.size(); ++i)
            rips[i]->finishBatch(sending[i], m_config.port(rips[i]->port()));
    } else if (!rips.empty()) {
        logReport("Communications not started for RIP");
    } else {
        logReport("There are no RIP streams configured");
    }

    const auto& monitors = m_config.monitors;
    if (monitors.empty()) {
        logReport("There are no Monitor streams configured");
    } else if (!monitors.front()->isStarted()) {
        logReport("Communications not started for Monitors");
    } else {
        if (code == 1) {
            // Every line goes out again.
            for (const auto& monitor : monitors) {
                if (monitor->isStarted())
                    monitor->clearSent();
            }
        }
        m_pages->format(code, m_monitorPage, *m_context, m_state);
        for (const auto& monitor : monitors)
            monitor->SetPage(m_monitorPage, m_config.port(monitor->port()));
    }
}

void OutputManager::SetText(const QString& text, int offset)
{
    QMutexLocker lock(&m_refreshMutex);
    // A failure on one stream is logged by it and does not stop the others.
    const QByteArray wire = RtdProtocol::toWireText(text);
    for (const auto& rip : m_config.rips)
        rip->SetText(text, wire, offset, m_config.port(rip->port()));
}

void OutputManager::SetCommand(const RtdCommand& command)
{
    QMutexLocker lock(&m_refreshMutex);
    for (const auto& rip : m_config.rips)
        rip->SetCommand(command, m_config.port(rip->port()));
}

void OutputManager::SendUpdateTrigger()
{
    QMutexLocker lock(&m_refreshMutex);
    for (const auto& rip : m_config.rips)
        rip->SendUpdateTrigger(m_config.port(rip->port()));
}
