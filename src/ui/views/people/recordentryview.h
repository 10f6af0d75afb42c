#pragma once

#include "ui/views/workview.h"

class CDlgBarFindPlr;
class CMainFrame;
class QPushButton;
class RecordGridView;

// What Contestant Entry and Stock Entry share: a grid of the season's records
// edited in place, the Find bar above it, and "Copy From" for copying records
// from another season. Laid out again at every resize. Holds nothing but the
// grid's rows.
class RecordEntryView : public CWorkView
{
    Q_OBJECT
public:
    CDlgBarFindPlr* findBar() const { return m_find; }
    QPushButton* copyButton() const { return m_copy; }
    // "Copy From": the copy dialog, modal; the view reloads afterwards.
    void copyFromSeason();

protected:
    // Takes grid over as a child.
    RecordEntryView(int viewId, CMainFrame& frame, RecordGridView* grid, const QString& copyCaption,
                    QWidget* parent);

    // Shows the season copy dialog of these records until it is closed.
    virtual void runCopyDialog() = 0;

    void reload() override;
    void resizeEvent(QResizeEvent* event) override;

    CMainFrame& m_frame;

private:
    RecordGridView* m_records;
    CDlgBarFindPlr* m_find;
    QPushButton* m_copy;
};
