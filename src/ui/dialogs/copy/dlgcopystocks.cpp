#include "dlgcopystocks.h"

#include "app/textnumber.h"
#include "app/userprompt.h"
#include "copylist.h"
#include "db/databasemanager.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/mainframe.h"

#include <QApplication>

CDlgCopyStocks::CDlgCopyStocks(CMainFrame& frame, QWidget* parent)
    : CDlgCopySeason(frame, new CSyncGridListCtrlCopyStocks, QStringLiteral("Copy Stocks"), "DlgCopyStocks",
                     parent)
{
    setObjectName(QStringLiteral("CDlgCopyStocks"));
    fillSeasons();
    findBar()->setLabels(QStringLiteral("Bib"), QStringLiteral("Name"), QStringLiteral("Home Town"));
}

bool CDlgCopyStocks::readSeason(const QString& season, QVector<QStringList>& rows, QString& error)
{
    QVector<StockRec> read;
    if (!m_frame.database().ReadSeasonStock(season, read, error))
        return false;
    rows.clear();
    rows.reserve(read.size());
    for (const StockRec& s : read)
        rows.append(
            {s.bib, s.name, s.homeTown, QString(), QString::number(s.age), QString::number(s.weight)});
    return true;
}

void CDlgCopyStocks::copy()
{
    if (m_ticks.isEmpty())
        return;
    CDatabaseManager& db = m_frame.database();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool written = false;
    {
        CDatabaseManager::WriteScope change(db);
        if (change.isActive()) {
            for (const Tick& t : std::as_const(m_ticks)) {
                StockRec animal;
                animal.bib = t.cells.value(0);
                animal.name = t.cells.value(1);
                animal.homeTown = t.cells.value(2);
                animal.age = static_cast<quint8>(qBound(0, leadingInt(t.cells.value(4)), 255));
                animal.weight = static_cast<quint32>(qMax(0, leadingInt(t.cells.value(5))));
                db.AddStock(animal); // false for an animal the season has already
            }
            written = change.commit();
        }
    }
    QApplication::restoreOverrideCursor();
    if (!written) {
        m_frame.prompt().inform(QStringLiteral("The stock could not be copied."));
        return;
    }
    m_ticks.clear();
    list()->listModel()->rowsChanged();
    m_frame.prompt().inform(QStringLiteral("The copying action is done!"));
}
