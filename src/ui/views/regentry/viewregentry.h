#pragma once

#include "setup/entryrows.h"
#include "ui/views/workview.h"

#include <QVector>

class CMainFrame;
class CSyncGridPair;
class QButtonGroup;
class QModelIndex;
class QPushButton;
class QSplitter;
class QStandardItem;
class QStandardItemModel;
class QTreeView;
class RegEntryModel;

// Performance Entry: the rodeo as a tree (events, go-rounds, performances)
// beside the competitor list and its entry lists. The operator enters
// competitors into events, places them in performances at a running order,
// adds and removes performances and builds the final from the standings.
// Every change goes through the database manager; the view keeps only its
// selection (remembered in the state file) and the list mode.
// User-interface thread only.
class CViewRegEntry : public CWorkView
{
    Q_OBJECT
public:
    static constexpr const char* StateElement = "CViewRegEntry";

    explicit CViewRegEntry(CMainFrame& frame, QWidget* parent = nullptr);

    void activated() override;
    void deactivated() override;

    // The tree node selected, by its parts: an empty event id selects the
    // rodeo; go 0 the event; perf 0 the go-round. False when there is none.
    bool selectNode(const QString& eventId, int go = 0, int perf = 0);
    void setMode(EntryRows::Mode mode);
    EntryRows::Mode mode() const;

    void addPerformance();
    void removePerformance();
    void buildFinal();
    // "Draw..." on an event or go-round node: the draw dialog for that event
    // and go-round (go-round 1 for an event), the tree and lists reloaded after.
    void openDraw(const QString& eventId, int go);
    // The row's competitor entered into the selected event, go-round and
    // performance (the list's "Add Entry").
    bool addEntryFor(int row);
    // The row's entry taken out of the selected event (the list's "Delete").
    bool deleteEntryAt(int row);

    QTreeView* tree() const { return m_tree; }
    RegEntryModel* model() const { return m_model; }
    CSyncGridPair* lists() const { return m_grid; }
    QPushButton* addPerfButton() const { return m_addPerf; }
    QPushButton* removePerfButton() const { return m_removePerf; }
    QPushButton* buildFinalButton() const { return m_buildFinal; }

protected:
    void reload() override;

private:
    struct Node
    {
        QString eventId;
        int go = 0;
        int perf = 0;
        bool valid = false;
    };
    void buildTree(const Node& select);
    Node nodeOf(const QModelIndex& index) const;
    Node selectedNode() const;
    QStandardItem* findItem(const Node& node) const;
    void nodeChosen();
    void loadLists();
    void updateButtons();
    void remember(const Node& node);
    QString state(const char* attr, const char* element = StateElement) const;
    void storeRectangles();
    void restoreRectangles();
    void showMenu(const QPoint& at);
    void showTreeMenu(const QPoint& at);
    bool editCell(int row, int column, const QString& text, int picked);
    bool editContestant(int row, int field, const QString& text, int picked);
    bool editTeam(int row, int column, const QString& text, int picked);
    bool enter(quint32 ptId);
    QStringList pickList(const QModelIndex& index);
    void setUpEditors();
    bool isTeamEvent() const;

    CMainFrame& m_frame;
    QSplitter* m_splitter;
    QTreeView* m_tree;
    QStandardItemModel* m_treeModel;
    QButtonGroup* m_modes;
    QPushButton* m_addPerf;
    QPushButton* m_removePerf;
    QPushButton* m_buildFinal;
    CSyncGridPair* m_grid;
    RegEntryModel* m_model;
    bool m_building = false;
    QVector<quint32> m_pickIds;
};
