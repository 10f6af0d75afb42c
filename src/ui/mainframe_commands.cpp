// The main window's menus, shortcuts, help commands and window placement.
#include "app/commandids.h"
#include "app/filemgr.h"
#include "app/manualresult.h"
#include "app/startenvironment.h"
#include "app/textnumber.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "io/outputmanager.h"
#include "mainframe.h"
#include "ui/dialogs/about/aboutdialog.h"
#include "ui/dialogs/io/dlgioconfig.h"
#include "ui/dialogs/io/dlgmonitorports.h"
#include "ui/dialogs/payouts/dlgpayouts.h"
#include "ui/dialogs/profile/dlgdisplayprofcfg.h"
#include "ui/dialogs/rodeo/dlgrodeonew.h"
#include "ui/dialogs/rodeo/dlgrodeoopen.h"
#include "ui/dialogs/season/dlgseasoncfg.h"
#include "ui/views/runperf/viewrunperf.h"
#include "ui/windowplacement.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QWindow>

void CMainFrame::addCommand(QMenu* menu, int id, const QString& text, std::function<void()> handler,
                            bool checkable)
{
    QAction* a = menu->addAction(text);
    a->setData(id);
    a->setCheckable(checkable);
    m_actions.insert(id, a);
    if (handler) {
        m_handlers.insert(id, handler);
        connect(a, &QAction::triggered, this, [this, id] {
            if (const auto h = m_handlers.value(id))
                h();
        });
    }
}

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    addCommand(file, CommandId::NewRodeo, QStringLiteral("New Rodeo..."), [this] {
        CDlgRodeoNew dlg(*m_db, *m_files, *m_prompt, *this, m_db->GetSeasonName(), this);
        dlg.exec();
    });
    addCommand(file, CommandId::OpenRodeo, QStringLiteral("Open Rodeo..."), [this] {
        CDlgRodeoOpen dlg(*m_db, *m_prompt, *this, CDlgRodeoOpen::Mode::Open, m_db->GetSeasonName(), this);
        dlg.exec();
    });
    addCommand(file, CommandId::CloseRodeo, QStringLiteral("Close Rodeo"), [this] { CloseRodeo(); });
    addCommand(file, CommandId::DeleteRodeo, QStringLiteral("Delete Rodeo..."), [this] {
        CDlgRodeoOpen dlg(*m_db, *m_prompt, *this, CDlgRodeoOpen::Mode::Delete, m_db->GetSeasonName(), this);
        dlg.exec();
    });
    file->addSeparator();
    addCommand(file, CommandId::Payouts, QStringLiteral("Payouts..."), [this] { showPayouts(); });
    file->addSeparator();
    addCommand(file, CommandId::RefreshOutputs, QStringLiteral("Refresh Outputs"),
               [this] { m_output->Refresh(1); });
    file->addSeparator();
    addCommand(file, CommandId::Exit, QStringLiteral("E&xit"), [this] { close(); });

    QMenu* configure = menuBar()->addMenu(QStringLiteral("Configure"));
    addCommand(configure, CommandId::ConfigureSeason, QStringLiteral("Season..."), [this] {
        CDlgSeasonCfg dlg(*m_db, *m_files, *m_prompt, this);
        dlg.setBackups(m_backups.get());
        dlg.exec();
    });
    addCommand(configure, CommandId::DisplayButtons, QStringLiteral("Display Buttons..."),
               [this] { configureDisplayButtons(); });
    addCommand(configure, CommandId::InputOutput, QStringLiteral("Input / Output..."), [this] {
        CDlgIoConfig dlg(*m_output, *m_prompt, this);
        if (dlg.exec() == QDialog::Accepted)
            m_output->ApplyDialogChanges(dlg.configuration(), m_currentView == ViewTable::RunPerformance);
        showPortStatus();
    });
    addCommand(configure, CommandId::LiveResults, QStringLiteral("Live Results..."),
               [this] { configureLiveResults(); });
    QMenu* simulators = configure->addMenu(QStringLiteral("Simulators"));
    addCommand(simulators, CommandId::ScoreboardSimulator, QStringLiteral("Scoreboard..."),
               [this] { showScoreboardSimulator(); });
    addCommand(simulators, CommandId::TimingConsoleSimulator, QStringLiteral("Timing Console..."),
               [this] { showTimingConsoleSimulator(); });
    simulators->addSeparator();
    addCommand(
        simulators, CommandId::LoopbackSetup, QStringLiteral("Loopback to the Simulators"),
        [this] { setLoopback(!isLoopbackOn()); }, true);

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    int count = 0;
    const ViewTable::Entry* views = ViewTable::workViews(&count);
    for (int i = 0; i < count; ++i) {
        const int id = views[i].id;
        addCommand(
            viewMenu, id, QString::fromLatin1(views[i].caption), [this, id] { SwitchView(id); }, true);
    }
    viewMenu->addSeparator();
    QMenu* toolbars = viewMenu->addMenu(QStringLiteral("&Toolbars"));
    addCommand(
        toolbars, CommandId::ToggleViewSelector, QStringLiteral("View Selector"),
        [this] { m_selectorDock->setVisible(!m_selectorDock->isVisible()); }, true);
    addCommand(
        toolbars, CommandId::ToggleMessageBar, QStringLiteral("Message Box"),
        [this] { toggleBar(m_messageDock, "CBarMessage"); }, true);
    addCommand(
        toolbars, CommandId::ToggleLeaderBoard, QStringLiteral("Leader Board"),
        [this] { toggleBar(m_leaderDock, "CBarLeader"); }, true);
    viewMenu->addSeparator();
    addCommand(viewMenu, CommandId::MonitorPorts, QStringLiteral("Monitor Ports"), [this] {
        CDlgMonitorPorts dlg(*m_output, *m_prompt, this);
        dlg.setRetry([this] { retryPorts(); });
        dlg.exec();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addCommand(help, CommandId::UsersManual, QStringLiteral("View Users Manual"), [this] { openManual(); });
    addCommand(help, CommandId::About, QStringLiteral("&About Scorvane Rodeo..."), [this] { showAbout(); });

    for (QMenu* m : {file, configure, simulators, viewMenu, toolbars, help})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
}

void CMainFrame::createShortcuts()
{
    const Qt::KeyboardModifier modifiers[] = {Qt::NoModifier, Qt::ControlModifier, Qt::ShiftModifier};
    for (int m = 0; m < 3; ++m) {
        for (int i = 0; i <= 10; ++i) {
            const int id = CommandId::displayButton(m, i);
            auto* shortcut = new QShortcut(QKeySequence(modifiers[m] | (Qt::Key_F2 + i)), this);
            shortcut->setContext(Qt::WindowShortcut);
            const int keyIndex = m * 11 + i;
            connect(shortcut, &QShortcut::activated, this, [this, id, keyIndex] {
                emit displayButtonPressed(id);
                if (m_runPerf && m_currentView == ViewTable::RunPerformance)
                    m_runPerf->pressDisplayButton(keyIndex);
            });
        }
    }
}

void CMainFrame::toggleBar(QDockWidget* dock, const char* element)
{
    const bool show = !dock->isVisible();
    dock->setVisible(show);
    // The bar remembers whether the operator wants it shown.
    m_files->SetCfgAtt(show ? QStringLiteral("Yes") : QStringLiteral("No"), 2, QStringLiteral("show"),
                       QString::fromLatin1(element));
}

void CMainFrame::updateCommandStates()
{
    const bool rodeoOpen = m_db->isRodeoOpen();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const int id = it.key();
        QAction* a = it.value();
        bool enabled = m_handlers.contains(id); // commands whose work is not built stay disabled
        bool checked = false;
        if (ViewTable::isWorkView(id)) {
            enabled = enabled && rodeoOpen;
            checked = id == m_currentView;
        } else if (id == CommandId::Payouts) {
            enabled = enabled && rodeoOpen;
        } else if (id == CommandId::RefreshOutputs) {
            enabled = enabled && m_currentView == ViewTable::RunPerformance;
        } else if (id == CommandId::ToggleViewSelector) {
            enabled = enabled && m_currentView != ViewTable::Logo;
            checked = m_selectorDock->isVisible();
        } else if (id == CommandId::ToggleMessageBar) {
            enabled = enabled && (m_currentView == ViewTable::ContestantEntry ||
                                  m_currentView == ViewTable::RunPerformance);
            checked = m_messageDock->isVisible();
        } else if (id == CommandId::ToggleLeaderBoard) {
            enabled = enabled && m_currentView == ViewTable::RunPerformance;
            checked = m_leaderDock->isVisible();
        } else if (id == CommandId::LoopbackSetup) {
            checked = isLoopbackOn();
        }
        a->setEnabled(enabled);
        if (a->isCheckable())
            a->setChecked(checked);
    }
}

// --- Display buttons ------------------------------------------------------------------

void CMainFrame::configureDisplayButtons()
{
    CDlgDisplayProfCfg dlg(*m_files, *m_prompt, this);
    dlg.exec();
    // The current profile is held in memory as it was read: one written in the
    // dialog is read again, so the key presses follow the change.
    const QString current = m_files->curProfileName();
    if (!current.isEmpty() && dlg.writtenProfiles().contains(current))
        m_files->SetCurProf(current);
    // The buttons of Run Performance show the keys' captions.
    if (m_runPerf && m_currentView == ViewTable::RunPerformance)
        m_runPerf->reloadDisplayButtons();
}

// --- Payouts ------------------------------------------------------------------------

void CMainFrame::showPayouts()
{
    if (!m_db->isRodeoOpen())
        return;
    settlePendingEdits();
    CDlgPayouts dialog(*m_db, *m_prompt, m_files->dataFolder() + QStringLiteral("Html/"), this);
    dialog.exec();
    // Posting changes the contestants' earnings this season.
    UpdateAllViews(0);
}

// --- Help ---------------------------------------------------------------------

void CMainFrame::showAbout()
{
    CAboutDialog dlg(m_files->dataFolder(), this);
    dlg.exec();
}

void CMainFrame::openManual()
{
    // The manual is installed with the program, not in whatever folder it was started from.
    const QString path = StartEnvironment::installedFile(QCoreApplication::applicationDirPath(),
                                                         QString::fromLatin1(ManualResult::ManualFileName));
    int result = ManualResult::checkManual(path);
    if (result > 32 && !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        result = ManualResult::NoAssociation;
    if (result <= 32)
        m_prompt->inform(ManualResult::message(result), QStringLiteral("Scorvane\u00ae Rodeo"));
}

// --- Placement --------------------------------------------------------------------

int CMainFrame::showCommand() const
{
    if (isHidden())
        return 0;
    if (isMinimized())
        return 2;
    if (isMaximized())
        return 3;
    return 1;
}

void CMainFrame::applyStoredPlacement()
{
    // The normal placement is always set before the window is shown, so that
    // it never opens at its bare minimum; the stored style is applied on top
    // when the window is shown (showWithStoredState).
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available =
        screen ? screen->availableGeometry() : QRect(QPoint(0, 0), WindowPlacement::DefaultSize);
    setMinimumSize(WindowPlacement::minimumSize(available));
    QRect placement = WindowPlacement::defaultPlacement(available);

    QString style;
    WindowRect r;
    if (m_files->GetCfgAtt(style, 1, QStringLiteral("style")) && style == QLatin1String("1") &&
        m_files->GetSize(r, 1)) {
        // A placement smaller than the minimum (an earlier version stored the
        // bare minimum) gives way to the default.
        const QRect stored(r.left, r.top, r.width(), r.height());
        if (WindowPlacement::isUsable(stored, minimumSize()))
            placement = stored;
    }
    setGeometry(placement);
}

void CMainFrame::showWithStoredState()
{
    QString style;
    const int command = m_files->GetCfgAtt(style, 1, QStringLiteral("style")) ? leadingInt(style) : 0;
    switch (command) {
    case 3:
        showMaximized();
        break;
    case 2:
    case 6:
    case 7:
    case 11:
        showMinimized();
        break;
    default:
        showNormal(); // also for a missing, unreadable, zero or negative style
        break;
    }
    repaint();
}

void CMainFrame::storePlacement()
{
    const QRect g = geometry();
    // Nothing is remembered that could not be restored.
    if (!WindowPlacement::isUsable(g, minimumSize()))
        return;
    m_files->SetSize({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, 1);
}

void CMainFrame::storeShowState()
{
    const int command = showCommand();
    m_files->SetCfgAtt(QString::number(command), 1, QStringLiteral("style"));
    // Also when the window was never moved: a placement the start gave up on
    // (too small) is then replaced by the one in use.
    if (command == 1)
        storePlacement();
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (isVisible() && showCommand() == 1)
        storePlacement();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isVisible())
        return;
    const int command = showCommand();
    if (command == 1)
        storePlacement();
    else
        m_files->SetCfgAtt(QString::number(command), 1, QStringLiteral("style"));
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Also back to normal: a window taken out of its maximised start keeps
    // its own place at the next start.
    if (event->type() == QEvent::WindowStateChange && isVisible())
        storeShowState();
}
