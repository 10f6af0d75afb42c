#pragma once

#include "ui/views/workview.h"

#include <functional>

class CDlgBarFindPlr;
class CMainFrame;
class CSyncGridListCtrlContestants;
class QPushButton;

// Contestant Entry: every contestant ("cowboy") of the season in a grid
// edited in place, the Find bar, deleting from the context menu, and copying
// contestants from another season. The message bar follows the contestant
// whose cell is entered. Holds nothing but the grid's rows.
class CViewContEntry : public CWorkView
{
    Q_OBJECT
public:
    explicit CViewContEntry(CMainFrame& frame, QWidget* parent = nullptr);

    CSyncGridListCtrlContestants* grid() const { return m_grid; }
    CDlgBarFindPlr* findBar() const { return m_find; }
    QPushButton* copyButton() const { return m_copy; }
    // "Copy From ...": the copy dialog, modal; the view reloads afterwards.
    void copyFromSeason();

protected:
    void reload() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CMainFrame& m_frame;
    CSyncGridListCtrlContestants* m_grid;
    CDlgBarFindPlr* m_find;
    QPushButton* m_copy;
};
