#include "entrybarharness.h"

#include "db/databasemanager.h"
#include "dlgbareditscores.h"
#include "dlgbaredittimes.h"
#include "ui/mainframe.h"

#include <QVBoxLayout>

CEntryBarHarness::CEntryBarHarness(CMainFrame& frame, const QString& eventId, int goRound, int perf,
                                   EntryKey key, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CEntryBarHarness"));
    setWindowTitle(QStringLiteral("Entry bar"));
    CDatabaseManager& db = frame.database();
    const EventCfg* event = db.GetEvent(eventId);
    auto* layout = new QVBoxLayout(this);
    if (!event)
        return;
    RegEntry current;
    current.eventId = eventId;
    current.goRound = static_cast<quint16>(goRound);
    current.perf = static_cast<quint16>(perf);
    frame.SelectCompetition(current);
    if (event->isScored())
        m_bar = new CDlgBarEditScores(db, frame, frame.prompt(), this);
    else
        m_bar = new CDlgBarEditTimes(db, frame, frame.prompt(), this);
    m_bar->selectEvent(*event);
    m_bar->SetComp(key, goRound);
    layout->addWidget(m_bar);
}
