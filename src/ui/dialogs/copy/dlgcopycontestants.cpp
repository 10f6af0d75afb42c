#include "dlgcopycontestants.h"

#include "app/userprompt.h"
#include "copylist.h"
#include "db/databasemanager.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QPushButton>

namespace {

ContestantRec fromCells(const QStringList& cells)
{
    ContestantRec c;
    c.bib = cells.value(0);
    c.firstName = cells.value(1);
    c.lastName = cells.value(2);
    c.homeTown = cells.value(3);
    c.year = cells.value(4);
    c.earnLast = cells.value(5);
    c.earnCur = cells.value(6);
    c.misc = cells.value(7);
    return c;
}

} // namespace

CDlgCopyContestants::CDlgCopyContestants(CMainFrame& frame, QWidget* parent)
    : CDlgCopySeason(frame, new CSyncGridListCtrlCopyContestants, QStringLiteral("Copy Contestants"),
                     "DlgCopyPlrs", parent)
{
    setObjectName(QStringLiteral("CDlgCopyContestants"));
    fillSeasons();
    copyButton()->setDefault(true);
}

bool CDlgCopyContestants::readSeason(const QString& season, QVector<QStringList>& rows, QString& error)
{
    QVector<ContestantRec> read;
    if (!m_frame.database().ReadSeasonContestants(season, read, error))
        return false;
    rows.clear();
    rows.reserve(read.size());
    for (const ContestantRec& c : read)
        rows.append({c.bib, c.firstName, c.lastName, c.homeTown, c.year, c.earnLast, c.earnCur, c.misc});
    return true;
}

bool CDlgCopyContestants::copyTicked()
{
    CDatabaseManager& db = m_frame.database();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QList<TickKey> done;
    bool written = false;
    {
        CDatabaseManager::WriteScope change(db);
        if (change.isActive()) {
            int decision = 0;
            for (auto it = m_ticks.cbegin(); it != m_ticks.cend(); ++it) {
                if (it->copied)
                    continue;
                ContestantRec arriving = fromCells(it->cells);
                decision = db.ResolveContestant(arriving, true, decision);
                done << it.key();
            }
            written = change.commit();
        }
    }
    QApplication::restoreOverrideCursor();
    if (!written)
        return false;
    for (const TickKey& key : done)
        m_ticks[key].copied = true;
    list()->listModel()->rowsChanged();
    return true;
}

void CDlgCopyContestants::copy()
{
    if (!copyTicked()) {
        m_frame.prompt().inform(QStringLiteral("The contestants could not be copied."));
        return;
    }
    m_frame.prompt().inform(QStringLiteral("The copying action is done!"));
}

void CDlgCopyContestants::reject()
{
    const int pending = pendingCount();
    if (pending > 0) {
        const QString question =
            pending == 1
                ? QStringLiteral("There is one selected contestant not copied yet. Do you want copy?")
                : QStringLiteral("There are selected contestants not copied yet. Do you want copy?");
        if (m_frame.prompt().ask(question, QStringLiteral("Message"), UserPrompt::Buttons::YesNo,
                                 UserPrompt::Icon::Question) == UserPrompt::Yes &&
            !copyTicked()) {
            // Nothing of it was written: the dialog stays, with the ticks.
            m_frame.prompt().inform(QStringLiteral("The contestants could not be copied."));
            return;
        }
    }
    CDlgCopySeason::reject();
}
