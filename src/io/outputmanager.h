#pragma once

#include "ctxthread.h"
#include "displayactions.h"
#include "ioconfiguration.h"
#include "outputcontext.h"
#include "platform/xml/xmldocument.h"
#include "rtdcommand.h"
#include "scoreboardblocks.h"
#include "scoreboardstate.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct EventCfg;
class MonitorPages;
class QThread;
class UserPrompt;
class XmlNode;

// The one object through which the program talks to arena equipment. It owns
// the input/output configuration ("IO.xml" in the data folder) and its ports,
// starts and stops communications, and on every refresh rebuilds the
// scoreboard text, sends it on every RIP stream, starts the display
// controller's sequence and updates the announcer monitors.
//
// Threads. Loading, applying, opening and closing ports and starting or
// stopping communications belong to the user-interface thread. Refresh may be
// called from any thread; refreshes are serialised by one lock, and each RIP
// stream and monitor guards its own pending text. Sending is synchronous.
class OutputManager
{
public:
    // Refresh run on the manager's own thread (PostRefresh).
    static constexpr int RefreshMessage = 2024;
    static constexpr int SecondTextOffset = 6740;
    static constexpr int OverallSecondTextOffset = 8140;

    OutputManager(const QString& dataFolder, UserPrompt& prompt);
    ~OutputManager();
    OutputManager(const OutputManager&) = delete;
    OutputManager& operator=(const OutputManager&) = delete;

    QString dataFolder() const { return m_dataFolder; }
    QString configurationPath() const { return m_dataFolder + m_configurationFile; }
    // The configuration file's name in the data folder: "IO.xml", or another
    // file (the loopback copy, see LoopbackSetup) that loading and saving then
    // use instead. User-interface thread, with communications stopped.
    QString configurationFileName() const { return m_configurationFile; }
    void setConfigurationFileName(const QString& name) { m_configurationFile = name; }

    // --- configuration --------------------------------------------------------
    // Reads data folder + "IO.xml" and opens every port. A failure is shown in
    // a message box; what was read so far stays and the ports stay closed.
    // Returns 0 on success, negative on failure. With openPorts false the
    // file is only read (the parser's fuzzer: a made-up file must never
    // reach a device or the network).
    int LoadConfiguration(bool openPorts = true);
    // A full copy for the Input/Output dialog.
    void CopyConfiguration(IoConfiguration& copy) const;
    // Takes over the edited copy (which receives the replaced lists), attaches
    // users again and rewrites the changed parts of "IO.xml". Ports are not
    // opened or closed here; running communications are stopped first.
    //
    // After a load that did not read the whole file, the first save keeps the
    // file as it was beside it ("IO.xml.bad", see UnreadableFile) and tells the
    // operator so, once. A file that was not read at all is then written anew;
    // in one that was read in part, the elements that were not read stay as
    // they are and new items are counted on from the highest count there. When
    // the file cannot be kept, nothing is written and false is returned.
    bool ApplyConfiguration(IoConfiguration& copy);
    // The Input/Output dialog's OK: stop communications when the Run
    // Performance view is shown, close the ports, apply and save, open the
    // ports, and in that view start communications again and refresh with 1.
    bool ApplyDialogChanges(IoConfiguration& copy, bool runPerformanceShown);

    const IoConfiguration& configuration() const { return m_config; }
    // The timer input of the configuration in force. Loading and applying a
    // configuration replace the object; the new one takes over the sink and
    // the snapshot of the old. User-interface thread.
    TimerInput& timerInput() const { return *m_config.timer; }
    StreamPort* FindPort(int number) const;

    // --- ports and communications ---------------------------------------------
    void OpenPorts();
    void ClosePorts();
    // Remembers the context (null keeps the one given before), connects every
    // port's sink and starts the threads of the timer input, the RIP streams and
    // the monitors.
    void StartCommunications(OutputContext* context = nullptr);
    void StopCommunications();
    // Ports that could not be opened, or could not start receiving while
    // communications run, try again (their first failure was logged). Those
    // that work now are logged and named.
    QStringList RetryFailedPorts();
    // "<port name>: <its status>" for every port that has failed.
    QStringList FailedPorts() const;
    bool communicationsStarted() const { return m_commsStarted.load(); }

    // --- outputs ----------------------------------------------------------------
    void Refresh(int code);
    // The code of the last refresh asked for, 0 before the first.
    int lastRefreshCode() const { return m_lastRefreshCode.load(); }
    // Refresh on the manager's own thread; false when it is not running. The
    // posted work reaches the manager only through its gate, so a refresh still
    // queued on a thread that a stop gave up on finds the manager gone (logged)
    // instead of using it.
    bool PostRefresh(int code);
    // The manager's own thread, null when it is not running.
    QThread* refreshThread() const { return m_thread.thread(); }
    // How long destruction waits for the manager's own thread to end before it
    // leaves the thread running (logged).
    void setThreadStopTimeout(int ms) { m_threadStopTimeoutMs = ms; }
    // Every RIP stream: the text at offset (each stream adds its own offset).
    void SetText(const QString& text, int offset);
    // Every RIP stream: a display-controller command.
    void SetCommand(const RtdCommand& command);
    // Every RIP stream: the update trigger.
    void SendUpdateTrigger();

    // --- display buttons (outputmanager_display.cpp) ---------------------------
    // A display button of the Run Performance view was pressed for event:
    // functionKey is the key's element of the current profile (null: the key
    // does nothing), selected the competitor of the selected row (0: none),
    // pendingCode the view's pending refresh code (0: none). Remembers the key
    // for the display controller, lets it choose the shown and the announced
    // competitor, the holding, the message and the leader pages, and refreshes
    // with the code it calls for. False when the key does nothing.
    bool DisplayButtonPressed(const EventCfg& event, const QString& keyText, EntryKey selected,
                              const XmlNode& functionKey, int pendingCode);
    // The refresh code a key calls for, or 0 for none (changes the pages for
    // "Top", "Forward" and "Backward").
    int refreshForKey(const XmlNode& functionKey, bool messageChanged, int pendingCode);
    // The remembered key's action for the current entry, to every RIP stream;
    // negative when there is none.
    int StartSeq();
    // The remembered key's message number for the current entry; true when it
    // changed.
    bool SetMessageNumber();
    // Forgets the last key pressed (a new rodeo, another profile).
    void forgetDisplayButton();

    // --- formatting parts -------------------------------------------------------
    void setScoreboardBlocks(std::unique_ptr<ScoreboardBlocks> blocks);
    void setMonitorPages(std::unique_ptr<MonitorPages> pages);
    // Show a message box when a worker thread ends on an exception.
    void setShowThreadErrors(bool on) { m_showThreadErrors = on; }

    // --- formatting state ---------------------------------------------------------
    // Read and changed under the refresh lock: a refresh may be running on
    // another thread. The monitor page is handed out as a copy.
    bool holding() const;
    void setHolding(bool on);
    bool networkLayout() const;
    int goPage() const;
    void setGoPage(int page);
    int overallPage() const;
    void setOverallPage(int page);
    int messageNumber() const;
    // The page indexes, last-page flags, leader and cut values and message number.
    ScoreboardState scoreboardState() const;
    QStringList monitorPage() const;
    OutputContext& context() const { return *m_context; }

private:
    // Loading, one section each; an empty text means success, else the text of
    // the message box.
    QString loadSections();
    QString loadPorts();
    QString loadTimer();
    QString loadRips();
    QString loadRequests();
    QString loadMonitors();

    // Saving, one section each. number is the element's count in the file.
    void SetPortConfiguration(int number, const StreamPort& port, bool append);
    void SetPortSettings(const XmlNode& portNode, const QString& portXPath, const StreamPort& port);
    // The Remove writers drop the elements of the items past keep.
    void RemovePorts(std::size_t keep);
    void SetTimerConfiguration(const TimerInput& timer);
    void SetRIPConfiguration(int number, const RipStream& rip, bool append);
    void RemoveRIPs(std::size_t keep);
    void SetRequestConfiguration(int number, const RequestLink& request, bool append);
    void RemoveRequests(std::size_t keep);
    void SetMonitorConfiguration(int number, const MonitorStream& monitor, bool append);
    void RemoveMonitors(std::size_t keep);
    bool saveDocument();
    // Keeps the file a failed load left unread before it is written over;
    // false when that failed. kept receives the kept file's path, if any.
    bool keepUnreadFile(QString& kept);

    ThreadErrorOptions threadErrors() const;
    void stopCommunicationsLocked();

    // The sections of "IO.xml" in the order they are loaded.
    enum Section { PortsSection, TimerSection, RipsSection, RequestsSection, MonitorsSection, SectionCount };
    // A load that stops at a broken section never reads the rest, so those
    // elements are missing from the lists; saving must not take that as their
    // removal.
    bool sectionRead(Section section) const { return section < m_sectionsRead; }
    // The count the next new element of a section gets: one past the highest
    // in the file, so that an element that was not read is never taken over.
    int nextCount(const char* section, const char* element) const;
    // A port number as the file knows it: the count of that port's element.
    int filePortNumber(int number) const;

    QString m_dataFolder;
    QString m_configurationFile = QStringLiteral("IO.xml");
    UserPrompt& m_prompt;
    XmlDocument m_doc;
    IoConfiguration m_config;
    int m_sectionsRead = SectionCount; // sections the last load read completely
    // For each list section (the timer's stays empty), the count of the element
    // in the file that holds each item in memory, in list order. Only these
    // elements are rewritten or removed by a save.
    std::array<std::vector<int>, SectionCount> m_fileCounts;
    // Why the last load did not read the whole file; empty when it did. Cleared
    // once the file as it was has been kept.
    QString m_unreadReason;

    // Serialises refreshes and changes of the lists. A standard mutex rather
    // than Qt's recursive one: its locking is visible to ThreadSanitizer.
    mutable std::recursive_mutex m_refreshMutex;
    std::atomic<bool> m_commsStarted{false};
    std::atomic<int> m_lastRefreshCode{0};

    NullOutputContext m_nullContext;
    OutputContext* m_context;
    std::unique_ptr<ScoreboardBlocks> m_blocks;
    std::unique_ptr<MonitorPages> m_pages;
    DisplayActions m_actions;

    bool m_holding = false;
    bool m_networkLayout = false;
    ScoreboardState m_state;
    QStringList m_monitorPage;

    // What posted work reaches the manager through. The destructor closes it
    // (manager null) under its lock, which a posted refresh holds while it
    // runs: no posted work ever touches a manager that is gone.
    struct Gate
    {
        QMutex mutex;
        OutputManager* manager = nullptr;
    };
    std::shared_ptr<Gate> m_gate;
    int m_threadStopTimeoutMs = CTxThread::StopTimeoutMs;

    bool m_showThreadErrors = false;
    // Lives on the user-interface thread: worker threads post their message
    // boxes through it.
    std::unique_ptr<QObject> m_uiContext;
    CTxThread m_thread;
};
