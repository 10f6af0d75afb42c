#include "viewcontentry.h"

#include "app/viewtable.h"
#include "syncgridlistctrlcontestants.h"
#include "ui/dialogs/copy/dlgcopycontestants.h"
#include "ui/mainframe.h"

CViewContEntry::CViewContEntry(CMainFrame& frame, QWidget* parent)
    : CViewContEntry(frame, new CSyncGridListCtrlContestants(frame), parent)
{
}

CViewContEntry::CViewContEntry(CMainFrame& frame, CSyncGridListCtrlContestants* grid, QWidget* parent)
    : RecordEntryView(ViewTable::ContestantEntry, frame, grid, QStringLiteral("Copy From ..."), parent),
      m_grid(grid)
{
    connect(m_grid, &CSyncGridListCtrlContestants::contestantEntered, this,
            [this](quint32 plrId) { m_frame.showContestantMessages(plrId); });
}

void CViewContEntry::runCopyDialog()
{
    CDlgCopyContestants dialog(m_frame, this);
    dialog.exec();
}
