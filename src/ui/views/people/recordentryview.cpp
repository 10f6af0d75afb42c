#include "recordentryview.h"

#include "entryviewlayout.h"
#include "recordgridview.h"
#include "ui/bars/dlgbarfindplr.h"

#include <QPushButton>

namespace {

// Made a child before the bar and the button, so that it comes first in the
// focus chain.
RecordGridView* adopted(RecordGridView* grid, QWidget* parent)
{
    grid->setParent(parent);
    return grid;
}

} // namespace

RecordEntryView::RecordEntryView(int viewId, CMainFrame& frame, RecordGridView* grid, const QString& copyCaption,
                                 QWidget* parent)
    : CWorkView(viewId, parent), m_frame(frame), m_records(adopted(grid, this)), m_find(new CDlgBarFindPlr(this)),
      m_copy(new QPushButton(copyCaption, this))
{
    m_copy->setObjectName(QStringLiteral("copyFrom"));
    m_find->setOwner(m_records);
    connect(m_copy, &QPushButton::clicked, this, &RecordEntryView::copyFromSeason);
}

void RecordEntryView::reload()
{
    CWorkView::reload();
    m_records->refresh();
}

void RecordEntryView::copyFromSeason()
{
    runCopyDialog();
    reload();
}

void RecordEntryView::resizeEvent(QResizeEvent* event)
{
    CWorkView::resizeEvent(event);
    layOutEntryView(*this, *m_find, *m_copy, *m_records);
}
