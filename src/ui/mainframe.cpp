#include "mainframe.h"

#include "app/filemgr.h"
#include "app/log.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "io/outputmanager.h"
#include "io/timermailbox.h"
#include "live/livepublisher.h"
#include "live/liveservice.h"
#include "results/values.h"
#include "setup/demoseason.h"
#include "ui/arenacontext.h"
#include "ui/bars/barleader.h"
#include "ui/bars/barmessage.h"
#include "ui/bars/dlgbaredit.h"
#include "ui/dialogs/resolve/resolutiondialogs.h"
#include "ui/views/boxentry/viewboxentry.h"
#include "ui/views/import/viewimport.h"
#include "ui/views/logo/tallyraview.h"
#include "ui/views/pending/pendingview.h"
#include "ui/views/people/viewcontentry.h"
#include "ui/views/people/viewstockentry.h"
#include "ui/views/regentry/viewregentry.h"
#include "ui/views/reports/viewreports.h"
#include "ui/views/runperf/viewrunperf.h"
#include "ui/views/setup/viewrodeosetup.h"
#include "ui/views/workview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

namespace {

const QString kYes = QStringLiteral("Yes");

QString stateAttr(FileMgr& files, int level, const char* attr, const char* elem1 = "")
{
    QString v;
    files.GetCfgAtt(v, level, QString::fromLatin1(attr), QString::fromLatin1(elem1));
    return v;
}

} // namespace

CMainFrame::CMainFrame(const Setup& setup, QWidget* parent) : QMainWindow(parent), m_prompt(setup.prompt)
{
    Q_ASSERT(m_prompt);
    setWindowTitle(QStringLiteral("Scorvane\u00ae Rodeo"));
    setObjectName(QStringLiteral("CMainFrame"));

    // The services, in the order the rest of the program relies on.
    m_db = std::make_unique<CDatabaseManager>(setup.dataFolder, setup.templateDatabase, *m_prompt);
    m_backups = std::make_unique<SeasonBackups>(setup.dataFolder);
    connect(m_backups.get(), &SeasonBackups::finished, this,
            [this](const QString&, bool ok, const QString& pathOrError) {
                if (!ok)
                    showStatus(QStringLiteral("The season could not be backed up: %1").arg(pathOrError));
            });
    m_files = std::make_unique<FileMgr>(setup.dataFolder);
    m_files->Create();
    // The state goes to disk shortly after it changes, not only at the end:
    // after a crash the program starts where the operator was.
    m_stateSave = new QTimer(this);
    m_stateSave->setSingleShot(true);
    m_stateSave->setInterval(StateSaveDelayMs);
    connect(m_stateSave, &QTimer::timeout, this, [this] { m_files->SaveCfg(); });
    m_files->setOnChange([this] { m_stateSave->start(); });
    m_db->Create(QString(), QString()); // opens nothing; the rodeo is reopened after the views exist
    m_resolutionDialogs = std::make_unique<ResolutionDialogs>(this);
    m_db->setResolutionPrompts(m_resolutionDialogs.get());
    m_arena = std::make_unique<ArenaContext>(*m_db, *m_files,
                                             [this](const RegEntry& e) { return SelectCompetition(e); });
    m_output = std::make_unique<OutputManager>(setup.dataFolder, *m_prompt);

    m_stack = new QStackedWidget(this);
    setCentralWidget(m_stack);
    auto* logo = new CTallyraView(m_stack);
    connect(logo, &CTallyraView::demoRequested, this, [this] { OpenDemoSeason(); });
    m_stack->addWidget(logo);
    m_views.insert(ViewTable::Logo, logo);
    m_currentView = ViewTable::Logo;
    m_activeView = ViewTable::Logo;

    createBars();
    createMenus();
    createShortcuts();
    applyStoredPlacement();
    updateCommandStates();
    // Last: a file that could not be read is reported over a complete window.
    for (const QString& notice : m_files->takeNotices())
        m_prompt->inform(notice);
    m_output->LoadConfiguration();
    connectTimerInput();
    createPortWatch();
    startLiveResults();
}

CMainFrame::~CMainFrame()
{
    // The live results stop reading the rodeo before anything of it goes.
    m_livePublisher.reset();
    m_live.reset();
    m_files->setOnChange(nullptr);
    if (!m_stateStored && isVisible())
        storeShowState();
    m_output->StopCommunications();
    m_output->timerInput().setSink(nullptr);
    if (m_db->isRodeoOpen())
        m_backups->rodeoClosing(m_db->GetSeasonName());
    // Views and bars go before the services they use (children would otherwise
    // outlive the members and still send their signals).
    for (QDockWidget* dock : {m_selectorDock, m_leaderDock, m_messageDock})
        disconnect(dock, nullptr, this, nullptr);
    delete m_selectorDock;
    delete m_leaderDock;
    delete m_messageDock;
    delete takeCentralWidget();
    m_views.clear();
    m_db->setResolutionPrompts(nullptr);
}

void CMainFrame::createBars()
{
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    m_selectorDock = new QDockWidget(QStringLiteral("VIEW"), this);
    m_selectorDock->setObjectName(QStringLiteral("ViewSelector"));
    m_tabs = new QTabBar(m_selectorDock);
    m_tabs->setObjectName(QStringLiteral("viewtabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    int count = 0;
    const ViewTable::Entry* views = ViewTable::workViews(&count);
    for (int i = 0; i < count; ++i) {
        const int index = m_tabs->addTab(QString::fromLatin1(views[i].caption));
        m_tabs->setTabData(index, views[i].id);
    }
    // A tab chosen by mouse, keyboard or wheel: the tab goes back to the view
    // shown until that view has asked its questions, then moves with it.
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0)
            return;
        const int wanted = m_tabs->tabData(index).toInt();
        for (int i = 0; i < m_tabs->count(); ++i) {
            if (m_tabs->tabData(i).toInt() == m_currentView) {
                const QSignalBlocker block(m_tabs);
                m_tabs->setCurrentIndex(i);
            }
        }
        SwitchView(wanted);
    });
    // A click on the tab already current (the logo shown) switches too.
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0)
            SwitchView(m_tabs->tabData(index).toInt());
    });
    m_selectorDock->setWidget(m_tabs);
    m_selectorDock->setMinimumHeight(40);
    addDockWidget(Qt::TopDockWidgetArea, m_selectorDock);

    m_leaderDock = new QDockWidget(QStringLiteral("Leader Board"), this);
    m_leaderDock->setObjectName(QStringLiteral("CBarLeader"));
    m_leaderBoard = new CBarLeader(m_leaderDock);
    m_leaderDock->setWidget(m_leaderBoard);
    m_leaderDock->widget()->setMinimumSize(200, 150);
    addDockWidget(Qt::RightDockWidgetArea, m_leaderDock);

    m_messageDock = new QDockWidget(QStringLiteral("Messages"), this);
    m_messageDock->setObjectName(QStringLiteral("CBarMessage"));
    m_messages = new CBarMessage(*m_db, *m_prompt, m_messageDock);
    m_messageDock->setWidget(m_messages);
    m_messageDock->widget()->setMinimumSize(200, 150);
    // Both bars beside the view, one over the other: the list keeps the
    // height of the window for its rows.
    addDockWidget(Qt::RightDockWidgetArea, m_messageDock);
    splitDockWidget(m_leaderDock, m_messageDock, Qt::Vertical);

    // What to do next in Run Performance, while no other message is shown.
    m_keysHint =
        new QLabel(QStringLiteral("Select a contestant, press a display key (F2-F12) to show him, E to "
                                  "type his result, Enter to save."),
                   this);
    m_keysHint->setObjectName(QStringLiteral("keysHint"));
    statusBar()->addWidget(m_keysHint, 1);
    m_keysHint->hide();

    for (QDockWidget* dock : {m_selectorDock, m_leaderDock, m_messageDock}) {
        dock->hide();
        connect(dock, &QDockWidget::visibilityChanged, this, [this] { updateCommandStates(); });
    }
}

void CMainFrame::CreateViews()
{
    int count = 0;
    const ViewTable::Entry* views = ViewTable::workViews(&count);
    for (int i = 0; i < count; ++i) {
        if (m_views.contains(views[i].id))
            continue;
        CWorkView* v = nullptr;
        if (views[i].id == ViewTable::RunPerformance)
            v = m_runPerf = new CViewRunPerf(*this, m_stack);
        else if (views[i].id == ViewTable::Reports)
            v = new CViewReports(*this, m_files->dataFolder() + QStringLiteral("Html/"), m_stack);
        else if (views[i].id == ViewTable::Import)
            v = new CViewImport(*this, m_stack);
        else if (views[i].id == ViewTable::ContestantEntry)
            v = new CViewContEntry(*this, m_stack);
        else if (views[i].id == ViewTable::StockEntry)
            v = new CViewStockEntry(*this, m_stack);
        else if (views[i].id == ViewTable::BoxEntry)
            v = m_boxEntry = new CViewBoxEntry(*this, m_stack);
        else if (views[i].id == ViewTable::RodeoSetup)
            v = new CViewRodeoSetup(*this, m_stack);
        else if (views[i].id == ViewTable::PerformanceEntry)
            v = new CViewRegEntry(*this, m_stack);
        else
            v = new CPendingView(views[i].id, QString::fromLatin1(views[i].caption), m_stack);
        v->setObjectName(QString::fromLatin1(views[i].className));
        m_stack->addWidget(v);
        m_views.insert(views[i].id, v);
        v->OnUpdate(views[i].id); // the initial update
    }
}

void CMainFrame::UpdateAllViews(int hint)
{
    for (CWorkView* v : std::as_const(m_views))
        v->OnUpdate(hint);
}

void CMainFrame::eventsChanged(int exceptView)
{
    for (CWorkView* v : std::as_const(m_views))
        if (v->viewId() != exceptView)
            v->OnUpdate(v->viewId());
}

bool CMainFrame::RefreshView(int viewId)
{
    CWorkView* v = view(viewId);
    if (!v)
        return false;
    v->OnUpdate(viewId);
    return true;
}

void CMainFrame::SwitchView(int viewId)
{
    if (viewId == m_currentView || !ViewTable::isView(viewId))
        return;

    CWorkView* next = view(viewId);
    if (next && viewId != m_activeView) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        UpdateAllViews(viewId); // only the new view reloads
        if (CWorkView* old = view(m_activeView))
            old->deactivated();
        // Communications with the arena run only while Run Performance is shown.
        if (m_activeView == ViewTable::RunPerformance)
            m_output->StopCommunications();
        m_stack->setCurrentWidget(next);
        m_activeView = viewId;
        // Run Performance shows the keys of the rodeo's profile and talks to
        // the arena while it is shown: once it has set its own current entry,
        // so that nothing the timing console sends meanwhile reaches an entry
        // another view left current.
        if (viewId == ViewTable::RunPerformance)
            m_files->SetCurProf(m_db->rodeoInfo().profile);
        next->activated();
        if (viewId == ViewTable::RunPerformance)
            m_output->StartCommunications(m_arena.get());
        showPortStatus();
        QApplication::restoreOverrideCursor();
    }
    m_currentView = viewId;
    // The tab moves once the view it leaves has asked its questions.
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabData(i).toInt() == viewId) {
            const QSignalBlocker block(m_tabs);
            m_tabs->setCurrentIndex(i);
        }
    }

    if (viewId == ViewTable::Logo)
        m_selectorDock->hide();
    else if (m_selectorDock->isHidden())
        m_selectorDock->show();

    const bool messagesWanted =
        (viewId == ViewTable::ContestantEntry || viewId == ViewTable::RunPerformance) &&
        stateAttr(*m_files, 2, "show", "CBarMessage") == kYes;
    m_messageDock->setVisible(messagesWanted);
    const bool leadersWanted =
        viewId == ViewTable::RunPerformance && stateAttr(*m_files, 2, "show", "CBarLeader") == kYes;
    m_leaderDock->setVisible(leadersWanted);
    m_keysHint->setVisible(viewId == ViewTable::RunPerformance);

    if (viewId != ViewTable::Logo)
        m_files->SetCfgAtt(ViewTable::className(viewId), 1, QStringLiteral("curView"));
    updateCommandStates();
}

void CMainFrame::settlePendingEdits()
{
    if (!m_db->isRodeoOpen())
        return;
    saveTypedResults(false);
    for (CWorkView* v : std::as_const(m_views))
        v->settlePendingEdits();
}

bool CMainFrame::ActivateRodeo(const QString& season, const QString& rodeo)
{
    settlePendingEdits(); // before the working copies belong to another rodeo
    // Nothing is current for the timer until the view selects an entry of
    // the rodeo now open.
    retireTimerEntry();
    // Opening another rodeo closes the one that is open: a copy of its season.
    if (m_db->isRodeoOpen() && (season != m_db->GetSeasonName() || rodeo != m_db->GetRodeoName()))
        m_backups->rodeoClosing(m_db->GetSeasonName());
    if (!m_db->OpenRodeo(season, rodeo))
        return false;
    // What the boards showed belongs to the rodeo that was open, and so did
    // the contestant the message bar showed (an id means another person in
    // another season).
    m_output->forgetDisplayButton();
    m_arena->clearDisplayed();
    showContestantMessages(0);
    UpdateAllViews(0);
    emit rodeoChanged();

    const QString storedSeason = stateAttr(*m_files, 0, "season");
    const QString storedRodeo = stateAttr(*m_files, 0, "rodeo");
    if (storedSeason != season || storedRodeo != rodeo) {
        m_files->SetCfgAtt(season, 0, QStringLiteral("season"));
        m_files->SetCfgAtt(rodeo, 0, QStringLiteral("rodeo"));
        m_files->SetCfgAtt(QString(), 1, QStringLiteral("curView"));
        for (const char* v : {"CViewRegEntry", "CViewRunPerf", "CViewBoxEntry"})
            for (const char* a : {"curEvn", "curGo", "curPerf"})
                m_files->SetCfgAtt(QString(), 2, QString::fromLatin1(a), QString::fromLatin1(v));
        SwitchView(ViewTable::RodeoSetup);
    } else {
        SwitchView(ViewTable::idForClassName(stateAttr(*m_files, 1, "curView")));
    }
    updateCommandStates();
    return true;
}

bool CMainFrame::RestoreLastRodeo()
{
    const QString season = stateAttr(*m_files, 0, "season");
    const QString rodeo = stateAttr(*m_files, 0, "rodeo");
    // The stored season names a folder: anything but a plain folder name opens nothing.
    if (season.isEmpty() || rodeo.isEmpty() || !CDatabaseManager::IsValidSeasonName(season))
        return false;
    return ActivateRodeo(season, rodeo);
}

bool CMainFrame::OpenDemoSeason()
{
    const QByteArray description = DemoSeason::builtInDescription();
    QString season;
    QString rodeo;
    QString event;
    if (!DemoSeason::names(description, season, rodeo, &event)) {
        m_prompt->warn(QStringLiteral("The demo season could not be made.\nIts description cannot be read."));
        return false;
    }
    if (m_db->isRodeoOpen())
        CloseRodeo();
    DemoSeason demo(*m_db);
    const DemoSeason::Outcome outcome = demo.create(description);
    m_db->CloseRodeo(); // opened again below, with the views
    if (outcome == DemoSeason::Outcome::Failed) {
        theLog().Report(1, QStringLiteral("The demo season could not be made. %1").arg(demo.lastError()));
        m_prompt->warn(QStringLiteral("The demo season could not be made.\n%1").arg(demo.lastError()));
        offerDemoSeason();
        return false;
    }
    if (!ActivateRodeo(season, rodeo))
        return false;
    if (outcome == DemoSeason::Outcome::Created) // start where the results are
        m_files->SetCfgAtt(event, 2, QStringLiteral("curEvn"), QStringLiteral("CViewRunPerf"));
    SwitchView(ViewTable::RunPerformance);
    return true;
}

void CMainFrame::offerDemoSeason()
{
    QStringList seasons;
    m_db->EnumSeasons(seasons);
    if (auto* logo = qobject_cast<CTallyraView*>(view(ViewTable::Logo)))
        logo->setDemoOffered(seasons.isEmpty() && !m_db->isRodeoOpen());
}

void CMainFrame::CloseRodeo()
{
    settlePendingEdits();
    retireTimerEntry();
    if (m_db->isRodeoOpen())
        m_backups->rodeoClosing(m_db->GetSeasonName());
    m_db->CloseRodeo();
    // The closed rodeo's leaders go with it.
    m_leaderBoard->refresh(*m_db, m_files->curProfileSettings());
    m_output->forgetDisplayButton();
    m_arena->clearDisplayed();
    showContestantMessages(0);
    SwitchView(ViewTable::Logo);
    m_files->SetCfgAtt(QString(), 1, QStringLiteral("curView"));
    m_files->SetCfgAtt(QString(), 0, QStringLiteral("season"));
    m_files->SetCfgAtt(QString(), 0, QStringLiteral("rodeo"));
    offerDemoSeason();
    updateCommandStates();
    emit rodeoChanged();
}

bool CMainFrame::SelectCompetition(const RegEntry& selection)
{
    const bool selected = m_db->SetCurEntry(selection);
    m_entrySelected = true;
    publishTimerSnapshot();
    m_leaderBoard->refresh(*m_db, m_files->curProfileSettings());
    emit currentEntryChanged();
    return selected;
}

bool CMainFrame::SaveRodeoSetup(const RodeoInfo* rodeo, const QVector<EventCfg>& events)
{
    const QString current = m_db->curEntry().eventId;
    const EventCfg* before = m_db->GetEvent(current);
    const int oldCount = before ? before->goRoundCount() : -1;
    if (!m_db->SaveSetup(rodeo, events))
        return false;
    // A renamed rodeo is still the one to reopen at the next start.
    if (rodeo && stateAttr(*m_files, 0, "rodeo") != m_db->GetRodeoName())
        m_files->SetCfgAtt(m_db->GetRodeoName(), 0, QStringLiteral("rodeo"));
    const EventCfg* after = m_db->GetEvent(current);
    if (!current.isEmpty() && after && after->goRoundCount() != oldCount) {
        m_db->ReloadCurStats();
        m_leaderBoard->refresh(*m_db, m_files->curProfileSettings());
    }
    return true;
}

void CMainFrame::showContestantMessages(quint32 plrId)
{
    m_messageContestant = plrId;
    m_messages->showContestant(plrId);
}

bool CMainFrame::PressDisplayButton(const QString& eventId, const QString& keyText, EntryKey selected,
                                    int pendingCode)
{
    const EventCfg* event = m_db->GetEvent(eventId);
    if (!event)
        return false;
    const EventCfg pressedFor = *event; // the key may set another current entry
    const XmlNode key = m_files->DisplayButtonPressed(profileEventName(pressedFor), keyText);
    return m_output->DisplayButtonPressed(pressedFor, keyText, selected, key, pendingCode);
}

bool CMainFrame::SaveResult(const RegEntry& entry, const ResultRecord& result, ChangeSource source)
{
    const bool saved = m_db->SetStatsPerformance(entry, result, source);
    // Also after a failure: the timer input's picture of the result is then
    // the stored one again.
    publishTimerSnapshot();
    if (!saved)
        return false;
    m_backups->resultSaved(m_db->GetSeasonName());
    m_output->Refresh(8);
    m_leaderBoard->refresh(*m_db, m_files->curProfileSettings());
    if (m_runPerf)
        m_runPerf->resultSaved(entry, result);
    if (m_boxEntry)
        m_boxEntry->resultSaved(entry, result);
    emit resultSaved(entry, result);
    return true;
}

void CMainFrame::showStatus(const QString& text)
{
    statusBar()->showMessage(text, StatusMessageMs);
}

void CMainFrame::FocusEntry()
{
    if (m_currentView != ViewTable::RunPerformance || !m_runPerf)
        return;
    m_runPerf->focusEntry();
}

void CMainFrame::closeWithoutAsking()
{
    m_askBeforeClosing = false;
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_askBeforeClosing &&
        m_prompt->ask(QStringLiteral("Exit from the rodeo program?"), QStringLiteral("Scorvane\u00ae Rodeo"),
                      UserPrompt::Buttons::YesNo, UserPrompt::Icon::Question) == UserPrompt::No) {
        event->ignore();
        return;
    }
    if (m_askBeforeClosing && !saveTypedResults()) {
        event->ignore();
        return;
    }
    if (m_askBeforeClosing)
        settlePendingEdits();
    storeShowState();
    m_stateStored = true;
    event->accept();
}

bool CMainFrame::saveTypedResults(bool mayCancel)
{
    // A result typed into a bar and not saved is never dropped without a word,
    // nor saved into another rodeo than the one it was typed for.
    for (CDlgBarEdit* bar : findChildren<CDlgBarEdit*>()) {
        if (!bar->isChanged() || bar->entryKey() == 0)
            continue;
        const int answer = m_prompt->ask(
            QStringLiteral("The result typed for %1 has not been saved.\nDo you want to save it?")
                .arg(bar->competitorName()),
            QStringLiteral("Scorvane\u00ae Rodeo"),
            mayCancel ? UserPrompt::Buttons::YesNoCancel : UserPrompt::Buttons::YesNo,
            UserPrompt::Icon::Question);
        if (answer == UserPrompt::Cancel)
            return false;
        if (answer == UserPrompt::Yes && !bar->save() && mayCancel)
            return false; // the bar said why; the window stays open with the result in it
        if (bar->isChanged())
            bar->cancel(); // not saved: dropped with its rodeo
    }
    return true;
}
