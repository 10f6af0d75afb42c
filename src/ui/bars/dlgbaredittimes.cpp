#include "dlgbaredittimes.h"

#include "app/log.h"
#include "entrybarhost.h"
#include "framework/maskededit.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgBarEditTimes::CDlgBarEditTimes(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt,
                                   QWidget* parent)
    : CDlgBarEdit(db, host, prompt, parent)
{
    setObjectName(QStringLiteral("CDlgBarEditTimes"));
    m_group = new QGroupBox(this);
    m_ride = new CMaskedEdit;
    m_ride->setObjectName(QStringLiteral("ride"));
    m_penalty = new CMaskedEdit;
    m_penalty->setObjectName(QStringLiteral("penalty"));
    m_total = new QLineEdit;
    m_total->setObjectName(QStringLiteral("total"));
    m_total->setReadOnly(true);
    m_total->setFocusPolicy(Qt::NoFocus);
    const int width = m_ride->fontMetrics().horizontalAdvance(QStringLiteral("000.0000")) + 16;
    for (QLineEdit* f : {static_cast<QLineEdit*>(m_ride), static_cast<QLineEdit*>(m_penalty), m_total})
        f->setMaximumWidth(width);
    connect(m_ride, &QLineEdit::textEdited, this, [this] { typed(TimeEntry::Ride); });
    connect(m_penalty, &QLineEdit::textEdited, this, [this] { typed(TimeEntry::Penalty); });
    watch(m_ride);
    watch(m_penalty);

    m_penaltyButton = new QPushButton(QStringLiteral("Penalty"));
    m_noTime = new QPushButton(QStringLiteral("No Time"));
    m_noTime->setCheckable(true);
    m_clear = new QPushButton(QStringLiteral("&Clear"));
    m_save = new QPushButton(QStringLiteral("Save"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    for (QPushButton* b : {m_penaltyButton, m_noTime, m_clear, m_save, m_cancel}) {
        b->setAutoDefault(false);
        watch(b);
    }
    connect(m_penaltyButton, &QPushButton::clicked, this, &CDlgBarEditTimes::penalty);
    connect(m_noTime, &QPushButton::clicked, this, &CDlgBarEditTimes::noTime);
    connect(m_clear, &QPushButton::clicked, this, &CDlgBarEditTimes::clear);
    connect(m_save, &QPushButton::clicked, this, &CDlgBarEditTimes::save);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgBarEditTimes::cancel);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Ride Time:"), m_ride);
    fields->addRow(QStringLiteral("Penalty Time:"), m_penalty);
    fields->addRow(QStringLiteral("Total Time:"), m_total);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_penaltyButton, m_noTime, m_clear, m_save, m_cancel})
        buttons->addWidget(b);
    auto* inner = new QVBoxLayout(m_group);
    inner->addLayout(fields);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_group);
    refresh();
}

void CDlgBarEditTimes::logLookupFailure(LookupFailure failure, quint32 id, quint32 team) const
{
    switch (failure) {
    case LookupFailure::Team:
        logReport("Failed to get the team.  DlgBarEditTimes::SetComp  ID:%d", id);
        break;
    case LookupFailure::FirstContestant:
        logReport("Failed to get the first contestant in the team.  DLGBarEditTimes::SetComp  ID:%d, Team:%d",
                  id, team);
        break;
    case LookupFailure::Contestant:
        logReport("Failed to get the contestant.  DlgBarEditTimes::SetComp  ID:%d", id);
        break;
    }
}

void CDlgBarEditTimes::selectEvent(const EventCfg& event)
{
    m_event = event;
    m_model.selectEvent(event.scoring());
    m_ride->setEditMask(m_model.rideMask());
    m_penalty->setEditMask(TimeEntry::penaltyMask());
    refresh();
}

void CDlgBarEditTimes::loadRecord(const std::optional<ResultRecord>& stored)
{
    m_model.load(stored);
}

void CDlgBarEditTimes::setDialogMode(bool inDialog)
{
    CDlgBarEdit::setDialogMode(inDialog);
    if (inDialog && m_ride->isEnabled()) {
        m_ride->setFocus();
        m_ride->selectAll();
    }
}

void CDlgBarEditTimes::refresh()
{
    const bool entry = m_model.hasEntry();
    show(m_ride, m_model.rideText());
    show(m_penalty, m_model.penaltyText());
    show(m_total, m_model.totalText());
    m_ride->setEnabled(m_model.areTimesEnabled());
    m_penalty->setEnabled(m_model.areTimesEnabled());
    for (QPushButton* b : {m_penaltyButton, m_noTime, m_clear})
        b->setEnabled(entry);
    m_save->setEnabled(m_model.areSaveAndCancelEnabled());
    m_cancel->setEnabled(m_model.areSaveAndCancelEnabled() || isInDialog());
    m_noTime->setChecked(m_model.record().hasStatus(StatusNoResult));
}

void CDlgBarEditTimes::typed(TimeEntry::Field field)
{
    CMaskedEdit* edit = field == TimeEntry::Ride ? m_ride : m_penalty;
    m_model.type(field, edit->text());
    m_save->setEnabled(m_model.areSaveAndCancelEnabled());
    m_cancel->setEnabled(m_model.areSaveAndCancelEnabled() || isInDialog());
}

bool CDlgBarEditTimes::eventFilter(QObject* watched, QEvent* event)
{
    if (isLeaving(event) && (watched == m_ride || watched == m_penalty)) {
        const TimeEntry::Field field = watched == m_ride ? TimeEntry::Ride : TimeEntry::Penalty;
        const EntryCheck check = m_model.leave(field);
        if (!check.ok())
            complainOnLeaving(field == TimeEntry::Ride ? m_ride : m_penalty, check);
        else
            refresh();
    }
    return CDlgBarEdit::eventFilter(watched, event);
}

bool CDlgBarEditTimes::save()
{
    const FocusReturn back(m_save);
    if (!m_model.hasEntry())
        return false;
    if (const auto failure = m_model.prepareSave()) {
        complain(failure->field == TimeEntry::Ride ? m_ride : m_penalty, failure->check.message,
                 failure->check.start, failure->check.length);
        return false;
    }
    refresh();
    if (!saveRecord(m_model.record(), "Failed to set the times.\nSave Failed."))
        return false;
    m_model.setChanged(false);
    refresh();
    return true;
}

void CDlgBarEditTimes::clear()
{
    m_model.clear();
    refresh();
}

void CDlgBarEditTimes::toggled()
{
    refresh();
    if (!isInDialog())
        save();
}

void CDlgBarEditTimes::penalty()
{
    m_model.penalty();
    toggled();
}

void CDlgBarEditTimes::noTime()
{
    m_model.noTime();
    toggled();
}

QWidget* CDlgBarEditTimes::tabTarget(QWidget* from, bool forward)
{
    QList<QWidget*> ring{m_ride, m_penalty, m_penaltyButton, m_noTime, m_save, m_cancel};
    const qsizetype at = ring.indexOf(from);
    if (at < 0)
        return nullptr;
    // Outside the dialog the ring opens at its ends: Tab on Cancel and
    // Shift+Tab on the ride field leave the bar.
    if (!isInDialog() && ((forward && from == m_cancel) || (!forward && from == m_ride)))
        return nullptr;
    const qsizetype n = ring.size();
    for (qsizetype step = 1; step < n; ++step) {
        QWidget* w = ring[(at + (forward ? step : n - step)) % n];
        if (w->isEnabled() && !w->isHidden())
            return w;
    }
    return nullptr;
}

bool CDlgBarEditTimes::entersPress(QAbstractButton* button) const
{
    return button == m_penaltyButton || button == m_noTime || button == m_cancel;
}
