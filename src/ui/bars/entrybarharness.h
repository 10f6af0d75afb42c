#pragma once

#include "results/resultrecord.h"

#include <QWidget>

class CDlgBarEdit;
class CMainFrame;

// A window that holds one entry bar for one entry of an event, saving through
// the main window as the views do. For trying a bar without the views: the
// tests and the screenshots use it.
class CEntryBarHarness : public QWidget
{
    Q_OBJECT
public:
    // Makes the entry's go-round and performance current (as a view selecting
    // it does), then shows the entry in the bar of the event's kind.
    CEntryBarHarness(CMainFrame& frame, const QString& eventId, int goRound, int perf, EntryKey key,
                     QWidget* parent = nullptr);

    CDlgBarEdit* bar() const { return m_bar; }

private:
    CDlgBarEdit* m_bar = nullptr;
};
