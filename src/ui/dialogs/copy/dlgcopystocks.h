#pragma once

#include "dlgcopyseason.h"

// "Copy Stocks": ticks animals of other seasons and adds them to the open
// season (an animal with the same bib, name and home town is not added
// again; contractors are not copied). After a copy every tick is cleared, so
// the same animals can be ticked and copied again.
class CDlgCopyStocks : public CDlgCopySeason
{
    Q_OBJECT
public:
    explicit CDlgCopyStocks(CMainFrame& frame, QWidget* parent = nullptr);

protected:
    bool readSeason(const QString& season, QVector<QStringList>& rows, QString& error) override;
    void copy() override;
};
