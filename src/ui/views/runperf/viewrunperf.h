#pragma once

#include "db/records.h"
#include "results/resultrecord.h"
#include "ui/views/workview.h"

#include <array>

class CDlgBarEdit;
class CDlgBarEditScores;
class CDlgBarEditTimes;
class CMainFrame;
class CSyncGridPair;
class EntryListEditor;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class RunPerfModel;

// Run Performance: the operator picks event, go-round and performance, runs
// the entries of that performance in their order with the score or time bar,
// and drives the arena with the 33 display buttons.
//
// The view keeps only its selections: the event, go-round and performance
// shown, the pending refresh code (the smallest change since the last display
// action: 2 event, 3 go-round, 4 performance, 5 contestant released; 1 when
// the view is shown with nothing pending) and the entry loaded into the bar.
// The entry the database manager holds as current and the one the displays
// show are read from the main window. User-interface thread only.
class CViewRunPerf : public CWorkView
{
    Q_OBJECT
public:
    static constexpr int ClockFontPoints = 19;
    static constexpr int MessageFontPoints = 10;

    explicit CViewRunPerf(CMainFrame& frame, QWidget* parent = nullptr);

    void activated() override;
    void deactivated() override;

    // A display button (key index 0..32) as its shortcut or its button.
    void pressDisplayButton(int keyIndex);
    // A result saved for an entry (by a bar, "Edit Results" or the timing console).
    void resultSaved(const RegEntry& entry, const ResultRecord& record);
    // The running time from the timing console; shown unless a message is.
    void showRunningTime(const QString& text);
    // A message of the timing console's checks (red); empty returns to the time.
    void showClockMessage(const QString& text);
    // The captions of the display buttons, after the profile changed.
    void reloadDisplayButtons();
    // The entry field of the visible bar gets the focus.
    void focusEntry();
    // "Result History" for an entry of the current event (the lists' context menu).
    void showResultHistory(EntryKey key);

    int pendingCode() const { return m_pending; }
    EntryKey selectedKey() const { return m_selected; }
    RunPerfModel* model() const { return m_model; }
    CSyncGridPair* lists() const { return m_grid; }
    CDlgBarEdit* visibleBar() const;
    QComboBox* eventSelector() const { return m_eventBox; }
    QComboBox* goRoundSelector() const { return m_goBox; }
    QComboBox* performanceSelector() const { return m_perfBox; }
    QLabel* clock() const { return m_clock; }
    QPushButton* displayButton(int keyIndex) const { return m_keys[size_t(keyIndex)]; }
    QGroupBox* displayGroup() const { return m_displayGroup; }

protected:
    void reload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void raise(int code);
    void fillEvents();
    void eventChanged();
    void goRoundChanged();
    void performanceChanged();
    void rowSelected(int row);
    void release();
    void cellActivated(const QModelIndex& index);
    void updateHighlight();
    void fitColumns();
    // The keyboard focus to the list that had it last (the contestant list
    // at first), so that the list keys work without a click.
    void focusList();
    void remember();
    void setRemembered(const char* attr, const QString& value);
    QString state(const char* attr) const;
    bool listKey(int key);

    CMainFrame& m_frame;
    RunPerfModel* m_model;
    CSyncGridPair* m_grid;
    QComboBox* m_eventBox;
    QComboBox* m_goBox;
    QComboBox* m_perfBox;
    QLabel* m_clock;
    QString m_clockMessage;
    QStackedWidget* m_bars;
    CDlgBarEditScores* m_scoreBar;
    CDlgBarEditTimes* m_timeBar;
    QGroupBox* m_displayGroup;
    std::array<QPushButton*, 33> m_keys{};
    int m_pending = 0;
    EntryKey m_selected = 0;
    bool m_filling = false;
    EntryListEditor* m_editor;
};
