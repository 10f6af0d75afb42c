#include "viewcontentry.h"

#include "app/viewtable.h"
#include "entryviewlayout.h"
#include "syncgridlistctrlcontestants.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/dialogs/copy/dlgcopycontestants.h"
#include "ui/mainframe.h"

#include <QPushButton>

CViewContEntry::CViewContEntry(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::ContestantEntry, parent), m_frame(frame),
      m_grid(new CSyncGridListCtrlContestants(frame, this)), m_find(new CDlgBarFindPlr(this)),
      m_copy(new QPushButton(QStringLiteral("Copy From ..."), this))
{
    m_copy->setObjectName(QStringLiteral("copyFrom"));
    m_find->setOwner(m_grid);
    connect(m_copy, &QPushButton::clicked, this, &CViewContEntry::copyFromSeason);
    connect(m_grid, &CSyncGridListCtrlContestants::contestantEntered, this,
            [this](quint32 plrId) { m_frame.showContestantMessages(plrId); });
}

void CViewContEntry::reload()
{
    CWorkView::reload();
    m_grid->refresh();
}

void CViewContEntry::copyFromSeason()
{
    {
        CDlgCopyContestants dialog(m_frame, this);
        dialog.exec();
    }
    reload();
}

void CViewContEntry::resizeEvent(QResizeEvent* event)
{
    CWorkView::resizeEvent(event);
    layOutEntryView(*this, *m_find, *m_copy, *m_grid);
}
