#include "viewstockentry.h"

#include "app/viewtable.h"
#include "entryviewlayout.h"
#include "syncgridlistctrlstocks.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/dialogs/copy/dlgcopystocks.h"
#include "ui/mainframe.h"

#include <QPushButton>

CViewStockEntry::CViewStockEntry(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::StockEntry, parent), m_frame(frame),
      m_grid(new CSyncGridListCtrlStocks(frame, this)), m_find(new CDlgBarFindPlr(this)),
      m_copy(new QPushButton(QStringLiteral("Copy From..."), this))
{
    m_copy->setObjectName(QStringLiteral("copyFrom"));
    m_find->setOwner(m_grid);
    m_find->setLabels(QStringLiteral("Bib"), QStringLiteral("Name"), QStringLiteral("Home Town"));
    m_find->setLimits(5, 15, 15);
    m_find->setAddShown(true);
    connect(m_copy, &QPushButton::clicked, this, &CViewStockEntry::copyFromSeason);
}

void CViewStockEntry::reload()
{
    CWorkView::reload();
    m_grid->refresh();
}

void CViewStockEntry::copyFromSeason()
{
    {
        CDlgCopyStocks dialog(m_frame, this);
        dialog.exec();
    }
    reload();
}

void CViewStockEntry::resizeEvent(QResizeEvent* event)
{
    CWorkView::resizeEvent(event);
    layOutEntryView(*this, *m_find, *m_copy, *m_grid);
}
