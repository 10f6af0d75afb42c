#pragma once

#include "db/records.h"
#include "results/resultrecord.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/views/workview.h"

#include <optional>

class CDlgBarEdit;
class CDlgBarEditScores;
class CDlgBarEditTimes;
class CMainFrame;
class CSyncGridPair;
class EntryListEditor;
class QComboBox;
class QStackedWidget;
class QTableView;
class RunPerfModel;

// Box Entry: every entry of one event across its go-rounds, for entering and
// correcting results away from the running order. A contestant's result goes
// in through the score or time bar, or is typed straight into a go-round
// cell; the Find bar finds a contestant in the list and enters a new one.
//
// The view keeps only its selections: the event, the entry loaded into the
// bar and the go-round chosen last (the column of the last results cell
// clicked; -1 for none). The database manager's current entry is the event's
// last regular go-round, performance 0, except while a results cell is
// typed into: then it is that entry in that go-round. User-interface thread
// only.
class CViewBoxEntry : public CWorkView, public FindBarOwner
{
    Q_OBJECT
public:
    explicit CViewBoxEntry(CMainFrame& frame, QWidget* parent = nullptr);

    void activated() override;
    void deactivated() override;
    // A result saved for an entry (by a bar, a results cell or the timing console).
    void resultSaved(const RegEntry& entry, const ResultRecord& record);

    RunPerfModel* model() const { return m_model; }
    CSyncGridPair* lists() const { return m_grid; }
    CDlgBarFindPlr* findBar() const { return m_find; }
    QComboBox* eventSelector() const { return m_eventBox; }
    CDlgBarEdit* visibleBar() const;
    EntryKey selectedKey() const { return m_selected; }
    int lastGoRound() const { return m_lastGo; }

    // FindBarOwner: the contestant list (in a team event, the first members).
    int findRowCount() const override;
    QString findText(int row, int field) const override;
    void showFound(int row) override;
    void addFound(const QString& bib, const QString& first, const QString& last) override;

protected:
    void reload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillEvents();
    void eventChanged();
    void giveBar(int row, int goRound);
    void cellPressed(QTableView* table, const QModelIndex& index);
    bool listKey(QTableView* table, int key);
    std::optional<std::pair<QString, QString>> beginResultEdit(const QModelIndex& index);
    bool commitResultEdit(const QModelIndex& index, const QString& display);
    void fitColumns();

    CMainFrame& m_frame;
    RunPerfModel* m_model;
    CSyncGridPair* m_grid;
    QComboBox* m_eventBox;
    CDlgBarFindPlr* m_find;
    QStackedWidget* m_bars;
    CDlgBarEditScores* m_scoreBar;
    CDlgBarEditTimes* m_timeBar;
    EntryListEditor* m_editor;
    EntryKey m_selected = 0;
    int m_lastGo = -1;
    int m_editGo = 0; // the go-round of the results cell being typed into
};
