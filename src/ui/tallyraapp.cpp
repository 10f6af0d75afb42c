#include "tallyraapp.h"

#include "app/datafolder.h"
#include "app/filemgr.h"
#include "app/log.h"
#include "app/startenvironment.h"
#include "resultfeed.h"
#include "ui/mainframe.h"
#include "ui/messageboxprompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

CTallyraApp::CTallyraApp() : m_prompt(std::make_unique<MessageBoxPrompt>()) {}

CTallyraApp::~CTallyraApp()
{
    // The main window goes first: it records its state, the state file is
    // written and the database closed, all while the log is still open.
    m_frame.reset();
    if (m_instanceLock)
        m_instanceLock->unlock();
}

QString CTallyraApp::lockFilePath(const QString& dataFolder)
{
    if (DataFolder::ensureExists(dataFolder))
        return dataFolder + QStringLiteral("Tallyra.lock");
    return QDir::tempPath() + QStringLiteral("/Tallyra-%1.lock").arg(::getuid());
}

bool CTallyraApp::InitInstance()
{
    const QString dataFolder = DataFolder::path();

    // One running copy. A lock left by a copy that crashed is taken over.
    m_instanceLock = std::make_unique<QLockFile>(lockFilePath(dataFolder));
    m_instanceLock->setStaleLockTime(0);
    if (!m_instanceLock->tryLock(0) && m_instanceLock->error() == QLockFile::LockFailedError) {
        m_prompt->inform(QStringLiteral("The rodeo result software is running!"),
                         QStringLiteral("Scorvane\u00ae Rodeo"));
        m_instanceLock.reset();
        return false;
    }

    // Watched from here on: a request to end that arrives while the window is
    // still being built waits in the pipe and closes it once the loop runs.
    watchTerminationSignals();

    DataFolder::ensureExists(dataFolder);
    theLog().Open(dataFolder + QStringLiteral("Tallyra.log"), 41, 255, 1, 10, 1024);

    CMainFrame::Setup setup;
    setup.dataFolder = dataFolder;
    setup.templateDatabase = !m_templateDatabase.isEmpty()
                                 ? m_templateDatabase
                                 : StartEnvironment::installedFile(QCoreApplication::applicationDirPath(),
                                                                   QStringLiteral("Tallyra.mdb"));
    setup.prompt = m_prompt.get();
    m_frame = std::make_unique<CMainFrame>(setup);
    m_prompt->setParent(m_frame.get());

    m_frame->CreateViews();
    m_frame->showWithStoredState();

    if (m_openDemo)
        m_frame->OpenDemoSeason();
    else if (!m_frame->RestoreLastRodeo())
        m_frame->offerDemoSeason();
    ResultFeed::fromEnvironment(*m_frame);
    return true;
}

void CTallyraApp::watchTerminationSignals()
{
    // A request to end (logout, shutdown, Ctrl+C) closes the window the normal
    // way, without the exit question, so the state file is still written.
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    m_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        if (m_frame)
            m_frame->closeWithoutAsking();
    });
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}
