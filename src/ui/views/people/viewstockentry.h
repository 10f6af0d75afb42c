#pragma once

#include "recordentryview.h"

class CSyncGridListCtrlStocks;

// Stock Entry: every animal of the season in a grid edited in place, the Find
// bar (bib, name, home town, with "Add"), deleting from the context menu, and
// copying animals from another season.
class CViewStockEntry : public RecordEntryView
{
    Q_OBJECT
public:
    explicit CViewStockEntry(CMainFrame& frame, QWidget* parent = nullptr);

    CSyncGridListCtrlStocks* grid() const { return m_grid; }

protected:
    void runCopyDialog() override;

private:
    CViewStockEntry(CMainFrame& frame, CSyncGridListCtrlStocks* grid, QWidget* parent);

    CSyncGridListCtrlStocks* m_grid;
};
