#pragma once

#include "dlgcopyseason.h"

// "Copy Contestants": ticks contestants of other seasons and copies them into
// the open season with the same-name resolution ("Apply to all the items"
// carries through one copy). Copied rows stay grey, and their ticks cannot be
// set again, while the dialog is open. Closing asks about ticked contestants
// not copied yet.
class CDlgCopyContestants : public CDlgCopySeason
{
    Q_OBJECT
public:
    explicit CDlgCopyContestants(CMainFrame& frame, QWidget* parent = nullptr);

    // Copies every ticked contestant not copied yet; one change of the open
    // season. False (and nothing marked copied) when it could not be written.
    bool copyTicked();

public slots:
    void reject() override;

protected:
    bool readSeason(const QString& season, QVector<QStringList>& rows, QString& error) override;
    void copy() override;
    bool copiedToggles() const override { return false; }
};
