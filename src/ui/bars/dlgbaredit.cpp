#include "dlgbaredit.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "entrybarhost.h"
#include "framework/editmask.h"
#include "framework/literaltext.h"
#include "framework/maskededit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>

CDlgBarEdit::CDlgBarEdit(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent), m_db(db), m_host(host), m_prompt(prompt)
{
}

void CDlgBarEdit::watch(QWidget* w)
{
    w->installEventFilter(this);
}

bool CDlgBarEdit::isLeaving(QEvent* event)
{
    if (event->type() != QEvent::FocusOut || m_complaining)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool CDlgBarEdit::goingToSave() const
{
    return QApplication::focusWidget() && QApplication::focusWidget() == m_save;
}

void CDlgBarEdit::complainOnLeaving(QLineEdit* field, const EntryCheck& check)
{
    // On the way to Save the field says nothing: Save checks every field
    // again and says why it cannot save, once.
    if (!goingToSave())
        complain(field, check.message, check.start, check.length);
}

bool CDlgBarEdit::SetComp(EntryKey key, int goRound)
{
    if (key != 0 && isChanged() && !m_caption.isEmpty()) {
        // The operator moved on: what was typed is not saved, and he is told so.
        m_host.showStatus(QStringLiteral("The result typed for %1 was not saved.").arg(m_caption));
    }
    if (key == 0) {
        m_key = 0;
        m_entry = RegEntry();
        m_caption.clear();
        loadRecord(std::nullopt);
        setCaption();
        refresh();
        return true;
    }

    const quint32 id = entryKeyId(key);
    const ContestantRec* person = nullptr;
    if (m_event.isTeam()) {
        const TeamRec* team = m_db.teams().find(id);
        if (!team) {
            logLookupFailure(LookupFailure::Team, id, 0);
            return false;
        }
        person = m_db.contestants().find(team->plrId1);
        if (!person) {
            logLookupFailure(LookupFailure::FirstContestant, team->plrId1, id);
            return false;
        }
    } else {
        person = m_db.contestants().find(id);
        if (!person) {
            logLookupFailure(LookupFailure::Contestant, id, 0);
            return false;
        }
    }
    m_caption = QStringLiteral("%1 %2").arg(person->firstName, person->lastName).trimmed();
    m_host.showContestantMessages(m_event.isTeam() ? 0 : id);

    m_key = key;
    if (goRound == -1) {
        m_entry = RegEntry();
        loadRecord(std::nullopt);
    } else {
        m_entry = m_db.curEntry();
        m_entry.ptId = id;
        m_entry.plrEnt = static_cast<quint16>(entryKeyNumber(key));
        if (goRound > 0)
            m_entry.goRound = static_cast<quint16>(goRound);
        const std::optional<ResultRecord> stored = storedResult();
        // Not registered in that go-round: nothing can be edited.
        if (!stored)
            m_entry = RegEntry();
        loadRecord(stored);
    }
    setCaption();
    refresh();
    return true;
}

std::optional<ResultRecord> CDlgBarEdit::storedResult() const
{
    if (m_key == 0 || m_entry.eventId.isEmpty())
        return std::nullopt;
    if (const ResultRecord* r = m_db.standings().find(m_entry.goRound, m_key))
        return *r;
    return std::nullopt;
}

void CDlgBarEdit::setDialogMode(bool inDialog)
{
    m_inDialog = inDialog;
    m_save->setText(inDialog ? QStringLiteral("OK") : QStringLiteral("Save"));
    m_cancel->setText(QStringLiteral("Cancel"));
    setCaption();
    refresh();
}

void CDlgBarEdit::setCaption()
{
    QString caption = m_caption;
    if (m_inDialog && m_key != 0)
        caption += QStringLiteral("    %1    Go: %2").arg(m_event.name).arg(m_entry.goRound);
    m_group->setTitle(literalCaption(caption));
}

void CDlgBarEdit::cancel()
{
    loadRecord(storedResult());
    refresh();
    emit cancelled();
}

void CDlgBarEdit::show(CMaskedEdit* field, const QString& text)
{
    // What the field would show for the text, with its mask's literals and
    // unfilled places: only a different text is put in.
    const QString shown = EditMask(field->editMask()).filled(text);
    if (field->text() != shown)
        field->setMaskedText(text);
}

void CDlgBarEdit::show(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

void CDlgBarEdit::complain(QLineEdit* field, const QString& message, int start, int length)
{
    // Moving the focus back must not count as leaving another field.
    m_complaining = true;
    m_prompt.inform(message);
    field->setFocus();
    field->setSelection(start, length);
    m_complaining = false;
}

CDlgBarEdit::FocusReturn::FocusReturn(QWidget* save) : m_before(QApplication::focusWidget()), m_save(save)
{
    save->setFocus(Qt::OtherFocusReason);
}

CDlgBarEdit::FocusReturn::~FocusReturn()
{
    // Save disabled by a successful save has already passed the focus on.
    const bool onSave = m_save && (QApplication::focusWidget() == m_save || !m_save->isEnabled());
    if (m_before && onSave && m_before->isEnabled() && m_before->isVisible())
        m_before->setFocus(Qt::OtherFocusReason);
}

bool CDlgBarEdit::saveRecord(const ResultRecord& record, const char* failure)
{
    if (!m_host.SaveResult(m_entry, record, m_inDialog ? ChangeSource::EditResults : m_source)) {
        // The typed result stays in the bar, still marked as changed, so that
        // nothing the operator typed is lost without his knowing.
        m_prompt.inform(QString::fromLatin1(failure));
        return false;
    }
    emit saved();
    return true;
}

bool CDlgBarEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool noModifier = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        QWidget* target = tabTarget(widget, forward);
        if (!target)
            return false; // normal handling
        if (target != this) {
            target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(target))
                edit->selectAll();
        }
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!noModifier)
            return false;
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && entersPress(button)) {
            button->click();
            return true;
        }
        if (m_save->isEnabled())
            save();
        return true;
    case Qt::Key_Escape:
        if (m_cancel->isEnabled() || m_inDialog)
            cancel();
        if (!m_inDialog)
            m_host.FocusEntry();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
