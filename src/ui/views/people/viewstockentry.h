#pragma once

#include "ui/views/workview.h"

class CDlgBarFindPlr;
class CMainFrame;
class CSyncGridListCtrlStocks;
class QPushButton;

// Stock Entry: every animal of the season in a grid edited in place, the Find
// bar (bib, name, home town, with "Add"), deleting from the context menu, and
// copying animals from another season. Holds nothing but the grid's rows.
class CViewStockEntry : public CWorkView
{
    Q_OBJECT
public:
    explicit CViewStockEntry(CMainFrame& frame, QWidget* parent = nullptr);

    CSyncGridListCtrlStocks* grid() const { return m_grid; }
    CDlgBarFindPlr* findBar() const { return m_find; }
    QPushButton* copyButton() const { return m_copy; }
    void copyFromSeason();

protected:
    void reload() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CMainFrame& m_frame;
    CSyncGridListCtrlStocks* m_grid;
    CDlgBarFindPlr* m_find;
    QPushButton* m_copy;
};
