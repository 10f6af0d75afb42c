#include "dlgbareditscores.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "entrybarhost.h"
#include "framework/maskededit.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kRowTitles[] = {"Rider:", "Stock:", "Subtotal:"};

} // namespace

CDlgBarEditScores::CDlgBarEditScores(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt,
                                     QWidget* parent)
    : CDlgBarEdit(db, host, prompt, parent)
{
    setObjectName(QStringLiteral("CDlgBarEditScores"));
    m_group = new QGroupBox(this);
    auto* grid = new QGridLayout;
    for (int j = 0; j < ScoreEntry::Judges; ++j)
        grid->addWidget(new QLabel(QStringLiteral("J%1").arg(j + 1)), 0, j + 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Total")), 0, ScoreEntry::Judges + 1, Qt::AlignHCenter);
    for (int row = 0; row < 3; ++row) {
        m_rowTitles[row] = new QLabel(QString::fromLatin1(kRowTitles[row]));
        grid->addWidget(m_rowTitles[row], row + 1, 0);
        for (int j = 0; j < ScoreEntry::Judges; ++j) {
            auto* field = new CMaskedEdit;
            field->setObjectName(QStringLiteral("mark%1%2").arg(row).arg(j + 1));
            field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000.00")) + 16);
            const auto r = static_cast<ScoreEntry::Row>(row);
            connect(field, &QLineEdit::textEdited, this, [this, r, j] { typed(r, j); });
            watch(field);
            m_marks[row][j] = field;
            grid->addWidget(field, row + 1, j + 1);
        }
        auto* total = new QLineEdit;
        total->setReadOnly(true);
        total->setFocusPolicy(Qt::NoFocus);
        total->setObjectName(QStringLiteral("total%1").arg(row));
        total->setMaximumWidth(total->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 16);
        m_totals[row] = total;
        grid->addWidget(total, row + 1, ScoreEntry::Judges + 1);
    }

    m_time = new CMaskedEdit;
    m_time->setObjectName(QStringLiteral("time"));
    m_time->setMaximumWidth(m_time->fontMetrics().horizontalAdvance(QStringLiteral("00.00")) + 16);
    connect(m_time, &QLineEdit::textEdited, this, [this] { typed(ScoreEntry::Rider, -1); });
    watch(m_time);
    m_reride = new QPushButton(QStringLiteral("&ReRide"));
    m_reride->setCheckable(true);
    m_noScore = new QPushButton(QStringLiteral("&No Score"));
    m_noScore->setCheckable(true);
    m_clear = new QPushButton(QStringLiteral("&Clear"));
    m_save = new QPushButton(QStringLiteral("Save"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    for (QPushButton* b : {m_reride, m_noScore, m_clear, m_save, m_cancel}) {
        b->setAutoDefault(false);
        watch(b);
    }
    connect(m_reride, &QPushButton::clicked, this, &CDlgBarEditScores::reride);
    connect(m_noScore, &QPushButton::clicked, this, &CDlgBarEditScores::noScore);
    connect(m_clear, &QPushButton::clicked, this, &CDlgBarEditScores::clear);
    connect(m_save, &QPushButton::clicked, this, &CDlgBarEditScores::save);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgBarEditScores::cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Time")));
    buttons->addWidget(m_time);
    buttons->addStretch();
    for (QPushButton* b : {m_reride, m_noScore, m_clear, m_save, m_cancel})
        buttons->addWidget(b);
    auto* inner = new QVBoxLayout(m_group);
    inner->addLayout(grid);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_group);
    refresh();
}

void CDlgBarEditScores::logLookupFailure(LookupFailure failure, quint32 id, quint32) const
{
    switch (failure) {
    case LookupFailure::Team:
        logReport("Failed to get the team.  DlgBarEditScores::SetComp  ID:%d", id);
        break;
    case LookupFailure::FirstContestant:
        logReport("Failed to get first contestant in team.  DlgBarEditScores::SetComp  ID:%d", id);
        break;
    case LookupFailure::Contestant:
        logReport("Failed to get contestant.  DlgBarEditScores::SetComp  ID:%d", id);
        break;
    }
}

void CDlgBarEditScores::selectEvent(const EventCfg& event)
{
    m_event = event;
    m_model.selectEvent(event.scoring());
    for (auto& row : m_marks)
        for (CMaskedEdit* field : row)
            field->setEditMask(m_model.markMask());
    m_time->setEditMask(ScoreEntry::timeMask());
    // In "Combined" mode the last row holds each judge's whole mark.
    m_rowTitles[ScoreEntry::Subtotal]->setText(event.scoring().judgeMode == JudgeCombined
                                                   ? QStringLiteral("Marks:")
                                                   : QString::fromLatin1(kRowTitles[ScoreEntry::Subtotal]));
    refresh();
}

void CDlgBarEditScores::loadRecord(const std::optional<ResultRecord>& stored)
{
    m_model.load(stored);
}

void CDlgBarEditScores::setDialogMode(bool inDialog)
{
    CDlgBarEdit::setDialogMode(inDialog);
    if (inDialog && m_marks[ScoreEntry::Rider][0]->isEnabled()) {
        m_marks[ScoreEntry::Rider][0]->setFocus();
        m_marks[ScoreEntry::Rider][0]->selectAll();
    }
}

void CDlgBarEditScores::refresh()
{
    const bool entry = m_model.hasEntry();
    for (int row = 0; row < 3; ++row) {
        const auto r = static_cast<ScoreEntry::Row>(row);
        for (int j = 0; j < ScoreEntry::Judges; ++j) {
            show(m_marks[row][j], m_model.markText(r, j));
            m_marks[row][j]->setEnabled(m_model.isMarkEnabled(r, j));
        }
    }
    show(m_totals[ScoreEntry::Rider], m_model.riderTotal());
    show(m_totals[ScoreEntry::Stock], m_model.stockTotal());
    show(m_totals[ScoreEntry::Subtotal], m_model.scoreTotal());
    show(m_time, m_model.timeText());
    m_time->setEnabled(m_model.isTimeEnabled());
    for (QPushButton* b : {m_clear, m_reride, m_noScore})
        b->setEnabled(entry);
    m_save->setEnabled(m_model.areSaveAndCancelEnabled());
    m_cancel->setEnabled(m_model.areSaveAndCancelEnabled() || isInDialog());
    const ResultRecord& r = m_model.record();
    m_reride->setChecked(r.hasStatus(StatusReride));
    m_noScore->setChecked(r.hasStatus(StatusNoResult));
    // In "Edit Results" a re-ride can only be taken off, so the button shows
    // only while there is one.
    m_reride->setVisible(!isInDialog() || r.hasStatus(StatusReride));
}

void CDlgBarEditScores::typed(ScoreEntry::Row row, int judge)
{
    CMaskedEdit* field = judge < 0 ? m_time : m_marks[row][judge];
    if (judge < 0)
        m_model.typeTime(field->text());
    else
        m_model.typeMark(row, judge, field->text());
    m_save->setEnabled(m_model.areSaveAndCancelEnabled());
    m_cancel->setEnabled(m_model.areSaveAndCancelEnabled() || isInDialog());
}

void CDlgBarEditScores::left(QWidget* field)
{
    if (field == m_time) {
        const EntryCheck check = m_model.leaveTime();
        if (!check.ok()) {
            complainOnLeaving(m_time, check);
            return;
        }
        refresh();
        return;
    }
    for (int j = 0; j < ScoreEntry::Judges; ++j) {
        for (ScoreEntry::Row row : {ScoreEntry::Rider, ScoreEntry::Stock, ScoreEntry::Subtotal}) {
            if (field != m_marks[row][j])
                continue;
            // The mark is judged now that it is complete.
            if (m_model.isChanged()) {
                if (const EntryCheck check = m_model.checkMark(row, j); !check.ok()) {
                    complainOnLeaving(m_marks[row][j], check);
                    return;
                }
            }
            if (row == ScoreEntry::Subtotal)
                m_model.leaveSubtotal();
            else
                m_model.leaveMark();
            refresh();
            return;
        }
    }
}

bool CDlgBarEditScores::eventFilter(QObject* watched, QEvent* event)
{
    if (isLeaving(event))
        left(qobject_cast<QWidget*>(watched));
    return CDlgBarEdit::eventFilter(watched, event);
}

bool CDlgBarEditScores::save()
{
    // Leaving the field being typed in takes its value first.
    const FocusReturn back(m_save);
    if (!m_model.hasEntry())
        return false;
    if (const auto failure = m_model.prepareSave()) {
        CMaskedEdit* field = failure->judge < 0 ? m_time : m_marks[failure->row][failure->judge];
        refresh();
        complain(field, failure->check.message, failure->check.start, failure->check.length);
        return false;
    }
    refresh();
    if (!saveRecord(m_model.record(), "Failed to set the scores.\nSave Failed."))
        return false;
    m_model.setChanged(false);
    refresh();
    return true;
}

void CDlgBarEditScores::clear()
{
    m_model.clear();
    refresh();
}

void CDlgBarEditScores::toggled()
{
    refresh();
    if (!isInDialog())
        save();
}

void CDlgBarEditScores::reride()
{
    m_model.reride(isInDialog());
    toggled();
}

void CDlgBarEditScores::noScore()
{
    m_model.noScore(quint32(qMax<qint32>(m_host.latestTimerTime(), 0)));
    toggled();
}

bool CDlgBarEditScores::isOpen(QWidget* w) const
{
    return w && w->isEnabled() && !w->isHidden();
}

QWidget* CDlgBarEditScores::tabTarget(QWidget* from, bool forward)
{
    using R = ScoreEntry;
    const auto first = [&](std::initializer_list<QWidget*> candidates) -> QWidget* {
        for (QWidget* w : candidates)
            if (isOpen(w))
                return w;
        return m_time;
    };
    if (forward) {
        for (int j = 0; j < R::Judges; ++j) {
            if (from == m_marks[R::Rider][j])
                return j < 3
                           ? first({m_marks[R::Rider][j + 1], m_marks[R::Stock][0], m_marks[R::Subtotal][0]})
                           : first({m_marks[R::Stock][0], m_marks[R::Subtotal][0]});
            if (from == m_marks[R::Stock][j])
                return j < 3 ? first({m_marks[R::Stock][j + 1], m_marks[R::Subtotal][0]})
                             : first({m_marks[R::Subtotal][0]});
            if (from == m_marks[R::Subtotal][j])
                return j < 3 ? first({m_marks[R::Subtotal][j + 1]}) : m_time;
        }
        if (from == m_time)
            return first({m_marks[R::Rider][0], m_marks[R::Stock][0], m_marks[R::Subtotal][0]});
        if (from == m_cancel && !isInDialog())
            return nullptr;
        return this; // the other buttons keep the focus
    }

    // Backwards: Cancel, Save, No Score, ReRide, the time field, then the mark
    // fields in reverse order.
    QList<QWidget*> ring{m_cancel, m_save, m_noScore, m_reride, m_time};
    for (int row = 2; row >= 0; --row)
        for (int j = R::Judges - 1; j >= 0; --j)
            ring << m_marks[row][j];
    const qsizetype at = ring.indexOf(from);
    if (at < 0)
        return nullptr;
    for (qsizetype i = at + 1; i < ring.size(); ++i)
        if (isOpen(ring[i]))
            return ring[i];
    // From the first mark field: round to the buttons in the dialog.
    if (!isInDialog())
        return nullptr;
    for (QWidget* w :
         {static_cast<QWidget*>(m_cancel), static_cast<QWidget*>(m_save), static_cast<QWidget*>(m_noScore)})
        if (isOpen(w))
            return w;
    return this;
}

bool CDlgBarEditScores::entersPress(QAbstractButton* button) const
{
    return button == m_reride || button == m_noScore || button == m_cancel;
}
