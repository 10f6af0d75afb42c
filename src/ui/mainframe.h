#pragma once

#include "db/records.h"
#include "io/timersink.h"
#include "live/livesettings.h"
#include "results/resultrecord.h"
#include "ui/bars/entrybarhost.h"
#include "ui/rodeoactivator.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class ArenaContext;
class LivePublisher;
class LiveService;
class QPushButton;
class CBarLeader;
class CBarMessage;
class CViewBoxEntry;
class CViewRunPerf;
class CDatabaseManager;
class CWorkView;
class FileMgr;
class OutputManager;
class QAction;
class SeasonBackups;
class QDockWidget;
class QLabel;
class QTimer;
class QStackedWidget;
class QTabBar;
class ResolutionDialogs;
class ScoreboardWindow;
class TimingConsoleWindow;
class TimerMailbox;
class UserPrompt;

// The program's single top-level window. It owns the long-lived services
// (database manager, configuration files), carries the menus, the view
// selector and the two docking bars, and holds the work views stacked in one
// area of which exactly one is visible. It decides which view is current and
// remembers that choice and the window's placement in the state file.
//
// The timing console's input reaches it as a TimerSink: the running time, the
// clock's message and finished results are queued (coalesced, see
// TimerMailbox) to the user-interface thread, where results are saved through
// SaveResult. The main window publishes the current entry to the timer input
// after SelectCompetition and after every SaveResult; once a rodeo opens or
// closes nothing is current for it until the next SelectCompetition
// (mainframe_timer.cpp).
class CMainFrame : public QMainWindow, public RodeoActivator, public EntryBarHost, public TimerSink
{
    Q_OBJECT
public:
    struct Setup
    {
        QString dataFolder;       // ends with "/"
        QString templateDatabase; // "Tallyra.mdb" beside the program
        UserPrompt* prompt = nullptr;
    };

    explicit CMainFrame(const Setup& setup, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- Views --------------------------------------------------------------
    void CreateViews();
    void SwitchView(int viewId);
    bool RefreshView(int viewId);
    // The framework's "update all views": hint 0 reloads every view.
    void UpdateAllViews(int hint);
    // The rodeo's events were added, deleted or changed (Rodeo Setup): every
    // other view reloads from the one event list there is now, so that none
    // holds a place in the list as it was.
    void eventsChanged(int exceptView);
    int currentView() const { return m_currentView; }
    CWorkView* view(int viewId) const { return m_views.value(viewId, nullptr); }

    // --- Rodeos ---------------------------------------------------------------
    bool ActivateRodeo(const QString& season, const QString& rodeo) override;
    void CloseRodeo();
    // Start-up: reopens the rodeo the state file names, if it names one.
    bool RestoreLastRodeo();
    // Creates the demo season (unless a season of its name exists) and opens
    // its rodeo. False, with a message, when it cannot be made or opened.
    bool OpenDemoSeason();
    // The logo page offers the demo season while there is no season at all.
    void offerDemoSeason();

    // --- Results ----------------------------------------------------------------
    bool SelectCompetition(const RegEntry& selection);
    // The Rodeo Setup view's Save: the rodeo's row (when given) and the
    // changed events in one transaction; the current standings are rebuilt
    // when the current event's go-round count changed.
    bool SaveRodeoSetup(const RodeoInfo* rodeo, const QVector<EventCfg>& events);
    // Writes the result (tagged with its source in the result history),
    // updates standings, outputs and views, and starts the periodic copy of
    // the season when one is due.
    bool SaveResult(const RegEntry& entry, const ResultRecord& result,
                    ChangeSource source = ChangeSource::Program) override;
    SeasonBackups& backups() { return *m_backups; }
    // "Payouts...": the open rodeo's payouts and the season standings (the
    // dialog, modal); the views reload afterwards, as earnings may change.
    void showPayouts();
    // Imports an entry file into the chosen events (names as the rodeo's
    // event list shows them) and tells the operator what came of it; on
    // success the Contestant Entry and Performance Entry views reload.
    bool ImportEntries(const QString& file, const QStringList& chosenEvents);
    // A display button of the Run Performance view: the key of the current
    // profile for the event does what the profile says. False when the
    // profile has no such key for the event.
    bool PressDisplayButton(const QString& eventId, const QString& keyText, EntryKey selected,
                            int pendingCode);
    ArenaContext& arenaContext() { return *m_arena; }
    void FocusEntry() override;
    // --- Timer input (mainframe_timer.cpp) -------------------------------------
    // Callable from any thread; each is handled on the user-interface thread,
    // only the newest of each kind (and per entry for results) when they come
    // faster than that thread takes them.
    // The running time as the timing console sends it: the latest timer time.
    void postRunningTime(const QString& text) override;
    // A finished result from the console: saved with SaveResult.
    void saveTimerResult(const RegEntry& entry, const ResultRecord& record) override;
    // The Run Performance view's clock message (empty: the clock shows the time).
    void showClockMessage(const QString& text) override;
    QString clockMessage() const { return m_clockMessage; }
    // Before a view drops what its bars show (another event, go-round or
    // performance, the view shown again): a typed result not saved is asked
    // about, saved (Yes) or dropped (No).
    void settleTypedResults() { saveTypedResults(false); }
    // Run Performance selected another row: the timer input is told whether
    // the selection still agrees with the current entry.
    void runPerformanceSelectionChanged() { publishTimerSnapshot(); }
    qint32 latestTimerTime() const override { return m_latestTimerTime; }
    // The message bar is to show this contestant's messages (0: none).
    void showContestantMessages(quint32 plrId) override;
    quint32 messageContestant() const { return m_messageContestant; }
    CBarLeader* leaderBoard() const { return m_leaderBoard; }
    CBarMessage* messages() const { return m_messages; }
    void showStatus(const QString& text) override;

    // --- Services -----------------------------------------------------------------
    CDatabaseManager& database() { return *m_db; }
    FileMgr& files() { return *m_files; }
    OutputManager& outputs() { return *m_output; }
    UserPrompt& prompt() { return *m_prompt; }

    // Start-up: show the window with the show command stored in the state file.
    void showWithStoredState();
    // Closes without the exit question (the system asked the program to end).
    void closeWithoutAsking();

    // Menu commands by id, for the command tests and the dialogs' callers.
    QAction* action(int commandId) const { return m_actions.value(commandId, nullptr); }
    void updateCommandStates();
    QDockWidget* viewSelector() const { return m_selectorDock; }
    QDockWidget* leaderBoardBar() const { return m_leaderDock; }
    QDockWidget* messageBar() const { return m_messageDock; }
    QTabBar* viewTabs() const { return m_tabs; }

signals:
    // A display button (function key) was pressed: its command id.
    void displayButtonPressed(int commandId);
    // The clock's message changed (empty: show the running time again).
    void clockMessageChanged(const QString& text);
    // A result was saved (SaveResult succeeded).
    void resultSaved(const RegEntry& entry, const ResultRecord& result);
    // Another entry is current (SelectCompetition).
    void currentEntryChanged();
    // A rodeo was opened or closed.
    void rodeoChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

public:
    // Configure > Simulators: the simulators' windows (made on first use,
    // kept while the main window lives) and the loopback setup.
    ScoreboardWindow* showScoreboardSimulator();
    TimingConsoleWindow* showTimingConsoleSimulator();
    // Ports that failed try again now (View > Monitor Ports, "Try Again").
    void retryPortsNow() { retryPorts(); }
    QLabel* portStatus() const { return m_portStatus; }
    // Points a copy of the IO configuration at the simulators, or back at
    // "IO.xml"; false when that failed (the operator is told).
    bool setLoopback(bool on);
    bool isLoopbackOn() const;

    // --- Live results (mainframe_live.cpp) --------------------------------------
    // Configure > Live Results: the dialog, then the choices stored and applied.
    void configureLiveResults();
    // Applies the choices: the server and the folder on or off. False when the
    // server could not listen (liveProblem() says why).
    bool applyLiveSettings(const LiveSettings& settings);
    const LiveSettings& liveSettings() const { return m_liveSettings; }
    QString liveProblem() const { return m_liveProblem; }
    // The address readers reach the server at; empty when it is not serving.
    QString liveUrl() const;
    LiveService* liveService() const { return m_live.get(); }
    QPushButton* liveStatus() const { return m_liveStatus; }

private:
    // Views holding edits of the open rodeo save or drop them now.
    void settlePendingEdits();
    void createBars();
    void createMenus();
    void createShortcuts();
    void addCommand(QMenu* menu, int id, const QString& text, std::function<void()> handler = {},
                    bool checkable = false);
    void applyStoredPlacement();
    void storePlacement();
    void storeShowState();
    int showCommand() const;
    void onRunningTime(const QString& text);
    void onClockMessage(const QString& text);
    // Gives the timer input its sink and the first snapshot.
    void connectTimerInput();
    // The current entry, its event and stored result, to the timer input.
    void publishTimerSnapshot();
    // Before another rodeo opens or this one closes: the timer input forgets
    // the entry and results it handed over for this rodeo are not saved.
    void retireTimerEntry();
    void toggleBar(QDockWidget* dock, const char* element);
    // Ports that failed (not opened, not receiving) try again every few
    // seconds; the status bar names the ports that have failed and says when
    // one works again (mainframe_ports.cpp).
    void createPortWatch();
    void retryPorts();
    void showPortStatus();
    // Asks about every bar holding a typed result that was not saved: Yes
    // saves it, No drops it. False when the operator cancelled (mayCancel:
    // closing the window) or a save failed there.
    bool saveTypedResults(bool mayCancel = true);
    static constexpr int StatusMessageMs = 15000;

    // The live results as the state file has them, at start; a server that
    // cannot listen is reported in the status bar only.
    void startLiveResults();
    void updateLiveStatus();
    void showLiveAddress();
    // The entry being run, for the live results; null when none is.
    const RegEntry* liveCurrentEntry() const;

    // "Display Buttons...": the display button configuration.
    void configureDisplayButtons();

    // Help commands.
    void showAbout();
    void openManual();

    std::unique_ptr<CDatabaseManager> m_db;
    std::unique_ptr<SeasonBackups> m_backups; // its copy ends before the database closes
    std::unique_ptr<FileMgr> m_files;
    std::unique_ptr<ArenaContext> m_arena;
    std::unique_ptr<OutputManager> m_output; // after the others: it is destroyed first
    UserPrompt* m_prompt;
    std::unique_ptr<ResolutionDialogs> m_resolutionDialogs;

    QStackedWidget* m_stack = nullptr;
    QHash<int, CWorkView*> m_views;
    int m_currentView = 0;
    int m_activeView = 0; // the view shown in the stack

    QDockWidget* m_selectorDock = nullptr;
    QTabBar* m_tabs = nullptr;
    QDockWidget* m_leaderDock = nullptr;
    QDockWidget* m_messageDock = nullptr;
    CBarLeader* m_leaderBoard = nullptr;
    CBarMessage* m_messages = nullptr;
    CViewRunPerf* m_runPerf = nullptr;
    CViewBoxEntry* m_boxEntry = nullptr;

    QHash<int, QAction*> m_actions;
    QHash<int, std::function<void()>> m_handlers;

    std::unique_ptr<TimerMailbox> m_timerMailbox;
    QLabel* m_portStatus = nullptr;
    QLabel* m_keysHint = nullptr;
    QTimer* m_stateSave = nullptr;
    static constexpr int StateSaveDelayMs = 300;
    QTimer* m_portRetry = nullptr;
    QPointer<ScoreboardWindow> m_scoreboardSim;
    QPointer<TimingConsoleWindow> m_timerSim;
    // SelectCompetition ran since the rodeo opened: the database manager's
    // current entry is one of this rodeo.
    bool m_entrySelected = false;
    QString m_clockMessage;
    qint32 m_latestTimerTime = 0;
    quint32 m_messageContestant = 0;
    bool m_askBeforeClosing = true;
    bool m_stateStored = false;

    // Last: they read the database manager until they go.
    LiveSettings m_liveSettings;
    QString m_liveProblem;
    QString m_liveFolderProblem;
    QPushButton* m_liveStatus = nullptr;
    std::unique_ptr<LiveService> m_live;
    std::unique_ptr<LivePublisher> m_livePublisher;
};
