#pragma once

#include "recordentryview.h"

class CSyncGridListCtrlContestants;

// Contestant Entry: every contestant ("cowboy") of the season in a grid
// edited in place, the Find bar, deleting from the context menu, and copying
// contestants from another season. The message bar follows the contestant
// whose cell is entered.
class CViewContEntry : public RecordEntryView
{
    Q_OBJECT
public:
    explicit CViewContEntry(CMainFrame& frame, QWidget* parent = nullptr);

    CSyncGridListCtrlContestants* grid() const { return m_grid; }

protected:
    void runCopyDialog() override;

private:
    CViewContEntry(CMainFrame& frame, CSyncGridListCtrlContestants* grid, QWidget* parent);

    CSyncGridListCtrlContestants* m_grid;
};
