#include "viewstockentry.h"

#include "app/viewtable.h"
#include "syncgridlistctrlstocks.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/dialogs/copy/dlgcopystocks.h"
#include "ui/mainframe.h"

CViewStockEntry::CViewStockEntry(CMainFrame& frame, QWidget* parent)
    : CViewStockEntry(frame, new CSyncGridListCtrlStocks(frame), parent)
{
}

CViewStockEntry::CViewStockEntry(CMainFrame& frame, CSyncGridListCtrlStocks* grid, QWidget* parent)
    : RecordEntryView(ViewTable::StockEntry, frame, grid, QStringLiteral("Copy From..."), parent), m_grid(grid)
{
    findBar()->setLabels(QStringLiteral("Bib"), QStringLiteral("Name"), QStringLiteral("Home Town"));
    findBar()->setLimits(5, 15, 15);
    findBar()->setAddShown(true);
}

void CViewStockEntry::runCopyDialog()
{
    CDlgCopyStocks dialog(m_frame, this);
    dialog.exec();
}
