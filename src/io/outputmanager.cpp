// Construction, ports and communications.
#include "outputmanager.h"

#include "announcerpage.h"
#include "app/log.h"
#include "app/userprompt.h"
#include "monitorpages.h"
#include "scoreboardtext.h"

OutputManager::OutputManager(const QString& dataFolder, UserPrompt& prompt)
    : m_dataFolder(dataFolder), m_prompt(prompt), m_context(&m_nullContext),
      m_blocks(std::make_unique<ScoreboardText>()), m_pages(std::make_unique<AnnouncerPage>()),
      m_gate(std::make_shared<Gate>()), m_uiContext(std::make_unique<QObject>()),
      m_thread(QStringLiteral("CTxThread"))
{
    m_gate->manager = this;
    if (!m_dataFolder.isEmpty() && !m_dataFolder.endsWith(QLatin1Char('/')))
        m_dataFolder.append(QLatin1Char('/'));
    m_thread.setErrorPrompt(&m_prompt, m_uiContext.get());
    m_thread.Start();
}

OutputManager::~OutputManager()
{
    // Posted work first: a refresh under way ends, later ones find no manager.
    {
        QMutexLocker lock(&m_gate->mutex);
        m_gate->manager = nullptr;
    }
    StopCommunications();
    ClosePorts();
    m_thread.Stop(m_threadStopTimeoutMs);
}

void OutputManager::CopyConfiguration(IoConfiguration& copy) const
{
    QMutexLocker lock(&m_refreshMutex);
    copy = m_config.clone();
}

bool OutputManager::ApplyDialogChanges(IoConfiguration& copy, bool runPerformanceShown)
{
    if (runPerformanceShown)
        StopCommunications();
    ClosePorts();
    const bool saved = ApplyConfiguration(copy);
    OpenPorts();
    if (runPerformanceShown) {
        StartCommunications();
        Refresh(1);
    }
    return saved;
}

StreamPort* OutputManager::FindPort(int number) const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_config.port(number);
}

void OutputManager::OpenPorts()
{
    QMutexLocker lock(&m_refreshMutex);
    for (auto& port : m_config.ports)
        port->open();
}

void OutputManager::ClosePorts()
{
    // Not under the refresh lock: closing waits for each port's thread, which
    // may itself be waiting to refresh.
    for (auto& port : m_config.ports)
        port->close();
}

ThreadErrorOptions OutputManager::threadErrors() const
{
    return {&m_prompt, m_uiContext.get(), m_showThreadErrors};
}

void OutputManager::StartCommunications(OutputContext* context)
{
    // The sinks first, without the refresh lock: connecting waits for each
    // port's thread, and a port already delivering may be waiting to refresh.
    for (auto& port : m_config.ports)
        port->connectSink();
    QMutexLocker lock(&m_refreshMutex);
    if (context)
        m_context = context;
    const ThreadErrorOptions errors = threadErrors();
    m_config.timer->StartThread(errors);
    for (auto& rip : m_config.rips)
        rip->StartThread(errors);
    for (auto& monitor : m_config.monitors)
        monitor->StartThread(errors);
    m_commsStarted = true;
}

QStringList OutputManager::RetryFailedPorts()
{
    QStringList recovered;
    for (auto& port : m_config.ports) {
        if (!port->hasFailed() || !port->tryAgain())
            continue;
        recovered << port->name();
        logReport("The port works again.  Mgr::RetryPorts  Port:%s", port->name());
    }
    return recovered;
}

QStringList OutputManager::FailedPorts() const
{
    QStringList failed;
    for (const auto& port : m_config.ports)
        if (port->hasFailed())
            failed << QStringLiteral("%1: %2").arg(port->name(), port->statusText());
    return failed;
}

void OutputManager::StopCommunications()
{
    // The sinks are disconnected without the refresh lock: a delivery under
    // way on a port's thread may be waiting for it.
    for (auto& port : m_config.ports)
        port->disconnectSink();
    QMutexLocker lock(&m_refreshMutex);
    stopCommunicationsLocked();
}

void OutputManager::stopCommunicationsLocked()
{
    m_config.timer->StopThread();
    for (auto& rip : m_config.rips)
        rip->StopThread();
    for (auto& request : m_config.requests)
        request->StopThread();
    for (auto& monitor : m_config.monitors)
        monitor->StopThread();
    m_commsStarted = false;
}

bool OutputManager::PostRefresh(int code)
{
    // The work keeps the gate alive, never the manager: the thread may outlive
    // the manager when a stop gives up on it.
    return m_thread.Post([gate = m_gate, code] {
        QMutexLocker lock(&gate->mutex);
        if (!gate->manager) {
            logReport("The output manager is gone; the refresh is dropped.  Mgr::PostRefresh  Code:%d", code);
            return;
        }
        gate->manager->Refresh(code);
    });
}

bool OutputManager::holding() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_holding;
}

void OutputManager::setHolding(bool on)
{
    QMutexLocker lock(&m_refreshMutex);
    m_holding = on;
}

bool OutputManager::networkLayout() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_networkLayout;
}

int OutputManager::goPage() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_state.goPage;
}

void OutputManager::setGoPage(int page)
{
    QMutexLocker lock(&m_refreshMutex);
    m_state.goPage = page;
}

int OutputManager::overallPage() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_state.overallPage;
}

void OutputManager::setOverallPage(int page)
{
    QMutexLocker lock(&m_refreshMutex);
    m_state.overallPage = page;
}

int OutputManager::messageNumber() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_state.messageNumber;
}

ScoreboardState OutputManager::scoreboardState() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_state;
}

QStringList OutputManager::monitorPage() const
{
    QMutexLocker lock(&m_refreshMutex);
    return m_monitorPage;
}

void OutputManager::setScoreboardBlocks(std::unique_ptr<ScoreboardBlocks> blocks)
{
    QMutexLocker lock(&m_refreshMutex);
    m_blocks = blocks ? std::move(blocks) : std::make_unique<ScoreboardText>();
}

void OutputManager::setMonitorPages(std::unique_ptr<MonitorPages> pages)
{
    QMutexLocker lock(&m_refreshMutex);
    m_pages = pages ? std::move(pages) : std::make_unique<AnnouncerPage>();
}
