#include "dlgscoretimecfg.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"
#include "ui/bars/dlgbareditscores.h"
#include "ui/bars/dlgbaredittimes.h"

#include <QVBoxLayout>

CDlgScoreTimeCfg::CDlgScoreTimeCfg(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt, EntryKey key,
                                   int goRound, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CDlgScoreTimeCfg"));
    setWindowTitle(QStringLiteral("Edit Results"));
    const RegEntry current = db.curEntry();
    if (current.eventId.isEmpty() || !db.isRodeoOpen()) {
        prompt.inform(QStringLiteral("Failed to get the current event state."));
        return;
    }
    const EventCfg* event = db.GetEvent(current.eventId);
    if (!event) {
        prompt.inform(QStringLiteral("Failed to get the current event settings."));
        return;
    }
    auto* header =
        new HeaderPanel(QStringLiteral("Edit Result"),
                        QStringLiteral("Edits the results for a rider for a previous go-round."), this);
    if (event->isScored())
        m_bar = new CDlgBarEditScores(db, host, prompt, this);
    else
        m_bar = new CDlgBarEditTimes(db, host, prompt, this);
    m_bar->selectEvent(*event);
    m_bar->SetComp(key, goRound);
    m_bar->setDialogMode(true);
    connect(m_bar, &CDlgBarEdit::saved, this, &QDialog::accept);
    connect(m_bar, &CDlgBarEdit::cancelled, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(9, 9, 9, 9);
    body->addWidget(m_bar);
    layout->addLayout(body);
    adjustSize();
}
