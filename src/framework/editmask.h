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
    // Typing a number as it is read, key by key. A whole-number run (input
    // positions side by side that do not follow a ".") whose positions from
    // the cursor on are empty takes the digits from the right, the way they
    // are read: "9" shows " 9", then "12" shows "12". A character equal to the
    // literal that ends the run (the "." of a time, the space between a score
    // and its time) closes the run and moves the cursor past that literal; a
    // digit typed into a full run goes on after it. Everywhere else the
    // character is typed as typeAt() types it, except that a refused
    // character equal to the literal ending the run the cursor is in moves the
    // cursor past that literal. entry carries the run being filled from one
    // key to the next; a default one starts afresh.
    struct NumberEntry
    {
        int runStart = -1;
        int runEnd = -1; // the position after the run
        QString digits;
        bool active() const { return runStart >= 0; }
    };
    bool typeNumber(QString& display, int& cursor, QChar c, NumberEntry& entry) const;
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
    // The input run that holds pos: [start, end).
    void runAround(int pos, int& start, int& end) const;
    // A leading position of a whole-number run that holds nothing.
    QChar padAt(int pos) const;
    bool isEmptyAt(const QString& display, int pos) const;
    // Writes digits right-aligned into [start, end); false when a position
    // refuses its character.
    bool placeRight(QString& display, int start, int end, const QString& digits) const;

    struct Position
    {
        QChar literal;
        QString ranges; // first and last character of each listed range; empty for a literal
    };

    QChar emptyAt(int pos) const;

    QString m_mask;
    QList<Position> m_positions;
};
