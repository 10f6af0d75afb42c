#include "framework/maskededit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>

// Refuses every text the mask cannot show, so that QLineEdit's own editing
// (drops, undo, key bindings of the platform) can never break the mask. The
// field's own edits go through setText(), which is not validated.
class CMaskedEdit::Validator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override { return mask.matches(input) ? Acceptable : Invalid; }

    EditMask mask;
};

CMaskedEdit::CMaskedEdit(QWidget* parent) : QLineEdit(parent), m_validator(new Validator(this)) {}

void CMaskedEdit::setEditMask(const QString& mask)
{
    const QString current = text();
    m_mask = EditMask(mask);
    m_validator->mask = m_mask;
    setValidator(m_mask.isEmpty() ? nullptr : m_validator);
    setMaskedText(current);
}

void CMaskedEdit::setMaskedText(const QString& text)
{
    setText(m_mask.filled(text));
    if (!m_mask.isEmpty())
        setCursorPosition(qMax(m_mask.nextInput(0), 0));
}

void CMaskedEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_mask.isEmpty() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int cursor = cursorPosition();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const QString typed = event->text();
    // Sequences first: Shift+Delete is Cut and Shift+Insert is Paste.
    if (event == QKeySequence::Paste) {
        typeMasked(QGuiApplication::clipboard()->text());
    } else if (event == QKeySequence::Cut) {
        copy();
        eraseSelection();
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        QString display = text();
        int at = cursor;
        if (hasSelectedText())
            eraseSelection();
        else if (event->key() == Qt::Key_Backspace ? m_mask.backspace(display, at)
                                                   : m_mask.deleteAt(display, at))
            apply(display, at);
    } else if (event->key() == Qt::Key_Left) {
        const int pos = m_mask.previousInput(cursor);
        moveCursorTo(pos < 0 ? cursor : pos, shift);
    } else if (event->key() == Qt::Key_Right) {
        const int pos = m_mask.nextInput(cursor);
        const int after = pos < 0 ? -1 : m_mask.nextInput(pos + 1);
        moveCursorTo(pos < 0 ? cursor : after < 0 ? pos + 1 : after, shift);
    } else if (event->key() == Qt::Key_Home) {
        moveCursorTo(qMax(m_mask.nextInput(0), 0), shift);
    } else if (event->key() == Qt::Key_End) {
        moveCursorTo(m_mask.previousInput(m_mask.length()) + 1, shift);
    } else if (!typed.isEmpty() && typed.at(0).isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        typeMasked(typed, true);
    } else {
        QLineEdit::keyPressEvent(event); // Return, Escape, Copy, Select All, ...
        return;
    }
    event->accept();
}

void CMaskedEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // QLineEdit inserts the X11 selection on a middle click; here it is typed in.
    if (!m_mask.isEmpty() && !isReadOnly() && event->button() == Qt::MiddleButton &&
        QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        typeMasked(QGuiApplication::clipboard()->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CMaskedEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_mask.isEmpty()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    // QLineEdit's menu inserts and removes text, which the mask refuses. There
    // is no Undo: each edit sets the text anew.
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    QMenu menu(this);
    menu.addAction(tr("Cu&t"), this,
                   [this] {
                       copy();
                       eraseSelection();
                   })
        ->setEnabled(editable && selected);
    menu.addAction(tr("&Copy"), this, &QLineEdit::copy)->setEnabled(selected);
    menu.addAction(tr("&Paste"), this, [this] { typeMasked(QGuiApplication::clipboard()->text()); })
        ->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
    menu.addAction(tr("Delete"), this, &CMaskedEdit::eraseSelection)->setEnabled(editable && selected);
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &QLineEdit::selectAll);
    menu.exec(event->globalPos());
}

void CMaskedEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (m_mask.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Composition has no place in fixed positions: only committed text is typed.
    if (!isReadOnly())
        typeMasked(event->commitString());
    event->accept();
}

void CMaskedEdit::typeMasked(const QString& typed, bool keys)
{
    QString display = text();
    int cursor = cursorPosition();
    // A run typed key by key goes on only where the last key left the field.
    if (hasSelectedText() || display != m_entryText || cursor != m_entryCursor)
        m_entry = EditMask::NumberEntry();
    if (hasSelectedText()) {
        cursor = selectionStart();
        m_mask.clear(display, cursor, selectionEnd());
    }
    bool typedAny = false;
    if (keys) {
        for (const QChar c : typed)
            typedAny = m_mask.typeNumber(display, cursor, c, m_entry) || typedAny;
    } else {
        m_entry = EditMask::NumberEntry();
        typedAny = m_mask.typeText(display, cursor, typed);
    }
    if (typedAny) {
        apply(display, cursor);
        m_entryText = display;
        m_entryCursor = cursor;
    }
}

void CMaskedEdit::eraseSelection()
{
    if (!hasSelectedText())
        return;
    QString display = text();
    const int from = selectionStart();
    m_mask.clear(display, from, selectionEnd());
    apply(display, from);
}

void CMaskedEdit::moveCursorTo(int pos, bool mark)
{
    const int steps = pos - cursorPosition();
    if (!mark) {
        deselect();
        setCursorPosition(pos);
    } else if (steps > 0) {
        cursorForward(true, steps);
    } else if (steps < 0) {
        cursorBackward(true, -steps);
    }
}

void CMaskedEdit::apply(const QString& display, int cursor)
{
    const bool changed = display != text();
    if (changed)
        setText(display);
    setCursorPosition(cursor);
    if (changed) {
        setModified(true);
        emit textEdited(display);
    }
}
