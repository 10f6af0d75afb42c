#pragma once

#include "results/resultrecord.h"

#include <QDialog>

class CDatabaseManager;
class CDlgBarEdit;
class EntryBarHost;
class UserPrompt;

// "Edit Results": the score or time bar of the current event for one entry in
// another go-round, to correct its result. OK saves (through the host) and
// closes; Cancel closes without saving; the bar's toggles do not save here.
class CDlgScoreTimeCfg : public QDialog
{
    Q_OBJECT
public:
    CDlgScoreTimeCfg(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt, EntryKey key, int goRound,
                     QWidget* parent = nullptr);

    // False when the current event could not be had (the operator was told):
    // the dialog is then not to be shown.
    bool isReady() const { return m_bar != nullptr; }
    CDlgBarEdit* bar() const { return m_bar; }

private:
    CDlgBarEdit* m_bar = nullptr;
};
