#pragma once

#include "framework/editmask.h"

#include <QLineEdit>

// A line edit that keeps its text in the shape of an EditMask (the entry
// fields of results). text() is the displayed text, literals included. With an
// empty mask it is a plain line edit.
//
// Keys type a number as it is read (EditMask::typeNumber): "4.87" typed into
// an emptied time field shows " 4.87", "9" shows " 9.00". Pasted text fills
// by the mask's fill rule. The cursor skips literals. Backspace empties the input
// position before the cursor and steps back onto it, Delete empties the one at
// the cursor and steps past it; nothing ever shifts along the mask. With a
// selection, typing, Backspace, Delete and Cut empty its input positions
// first and the cursor goes to its start (a refused character leaves the
// selection alone). Paste types the clipboard text from the cursor by the
// fill rule. textEdited is emitted for every change made from the keyboard or
// the mouse, editingFinished and returnPressed as in QLineEdit.
//
// Set texts with setMaskedText(): QLineEdit::setText() puts a text in as it
// stands. While a mask is set the field uses a validator of its own, so that
// no other editing of QLineEdit's can break the mask; do not set another.
// QLineEdit's inputMask is not used.
class CMaskedEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CMaskedEdit(QWidget* parent = nullptr);

    // Fills the current text into the new mask and puts the cursor on the
    // first input position.
    void setEditMask(const QString& mask);
    QString editMask() const { return m_mask.mask(); }

    // Shows text filled into the mask (EditMask::filled), with the cursor on
    // the first input position. Like setText(), it is not an edit.
    void setMaskedText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    class Validator;

    // Types text from the cursor, or over the selection; nothing changes
    // when the mask takes none of it. Keys type numbers; pasting fills.
    void typeMasked(const QString& text, bool keys = false);
    void eraseSelection();
    void moveCursorTo(int pos, bool mark);
    void apply(const QString& display, int cursor);

    EditMask m_mask;
    Validator* m_validator;
    // The run being typed key by key, valid while the field still shows what
    // the last key left (its text and cursor).
    EditMask::NumberEntry m_entry;
    QString m_entryText;
    int m_entryCursor = -1;
};
