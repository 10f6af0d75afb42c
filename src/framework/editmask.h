#pragma once

#include <QList>
#include <QString>

// The rules of the masked edit field, without a widget.
//
// A mask is a sequence of positions. A bracketed list ("[ 0-9]") is one input
// position that accepts any character listed in it, with ranges such as "0-9"
// (a "-" first or last is listed as itself). A "\" before "[" or "]" makes
// that bracket a literal, inside a list too. Every other character is a literal
// position: shown as itself and skipped by the cursor. A "[" without its "]",
// and "[]", are literal text.
//
// A display text has one character per position: each literal as itself, each
// input position one character it accepts. An input position that holds
// nothing shows "0" (a position that refuses "0" shows a space if it takes one,
// else the first character listed), so the text always reads as a number and
// stays valid for the mask.
//
// Cursor positions lie between characters: cursor p stands before position p.
// Editing never shifts characters from one position to another; the text
// keeps its length and its literals.
class EditMask
{
public:
    explicit EditMask(const QString& mask = QString());

    QString mask() const { return m_mask; }
    bool isEmpty() const { return m_positions.isEmpty(); }
    int length() const { return int(m_positions.size()); }
    bool isInput(int pos) const;
    // False for literals and for positions outside the mask.
    bool accepts(int pos, QChar c) const;
    // The literal shown at pos; a null QChar for an input position.
    QChar literalAt(int pos) const;

    // The display for a text: each input position from the left takes the next
    // character of text that it accepts, passing over the ones it does not, and
    // the input positions left over hold nothing. " 9.5" fills "[ 0-9][0-9].[0-9]"
    // as " 9.5" but "9.5" as "95.0", so callers pad texts to the field's width.
    // An empty mask returns the text as it is.
    QString filled(const QString& text) const;
    // True when display is a text this mask can show (any text for an empty mask).
    bool matches(const QString& display) const;
    // The characters of the input positions, e.g. " 8552" for "  85   5.2".
    QString inputText(const QString& display) const;

    // The first input position at or after pos (where a character typed with
    // the cursor at pos lands), -1 when there is none.
    int nextInput(int pos) const;
    // The last input position before pos (the one Backspace at pos clears),
    // -1 when there is none.
    int previousInput(int pos) const;

    // Editing a display of this mask in place. Each returns false, changing
    // neither display nor cursor, when it has nothing to do or display does
    // not have the mask's length.
    //
    // Types c at the first input position at or after cursor: when that
    // position accepts c it replaces the character there and the cursor moves
    // just past it. A character the position refuses changes nothing.
    bool typeAt(QString& display, int& cursor, QChar c) const;
    // Types each character of text in turn from cursor, passing over those
    // refused: pasting follows the same rule as filled(). True when any was typed.
    bool typeText(QString& display, int& cursor, const QString& text) const;
    // Backspace: empties the input position before the cursor and moves the
    // cursor back onto it, over any literals in between.
    bool backspace(QString& display, int& cursor) const;
    // Delete: empties the input position at or after the cursor and moves the
    // cursor past it, so that repeated presses clear the field to the right
    // as they would in a plain field.
    bool deleteAt(QString& display, int& cursor) const;
    // Empties every input position in [from, to). True when the text changed.
    bool clear(QString& display, int from, int to) const;

private:
    struct Position
    {
        QChar literal;
        QString ranges; // first and last character of each listed range; empty for a literal
    };

    QChar emptyAt(int pos) const;

    QString m_mask;
    QList<Position> m_positions;
};
