#include "resultcelldelegate.h"

#include "framework/maskededit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

ResultCellDelegate::ResultCellDelegate(Begin begin, Commit commit, QObject* parent)
    : QStyledItemDelegate(parent), m_begin(std::move(begin)), m_commit(std::move(commit))
{
}

QWidget* ResultCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const
{
    const std::optional<Start> start = m_begin ? m_begin(index) : std::nullopt;
    if (!start)
        return nullptr;
    auto* editor = new CMaskedEdit(parent);
    editor->setFrame(false);
    editor->setEditMask(start->mask);
    editor->setMaskedText(start->text);
    editor->setProperty("startText", editor->text());
    m_editing = index;
    return editor;
}

void ResultCellDelegate::setEditorData(QWidget*, const QModelIndex&) const
{
    // The editor was filled when it opened; a repaint of the row while the
    // operator types must not put the stored result back.
}

bool ResultCellDelegate::confirm(QWidget* editor) const
{
    auto* edit = qobject_cast<CMaskedEdit*>(editor);
    if (!edit || m_confirming || !m_editing.isValid())
        return true;
    // Nothing typed: nothing to save (saving would clear the go-round's marks).
    if (edit->text() == edit->property("startText").toString())
        return true;
    m_confirming = true;
    const bool ok = m_commit ? m_commit(m_editing, edit->text()) : true;
    m_confirming = false;
    if (ok)
        edit->setProperty("startText", edit->text());
    return ok;
}

void ResultCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const
{
    // The view moved on while the cell was edited: the typed result is saved
    // if it passes its checks (which say why when it does not).
    confirm(editor);
}

bool ResultCellDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (!editor)
        return QStyledItemDelegate::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            QPointer<QWidget> guard(editor);
            if (confirm(editor) && guard)
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            else if (guard)
                editor->setFocus();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // A message box of the checks or another window taking the focus does
        // not end the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (m_confirming || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
