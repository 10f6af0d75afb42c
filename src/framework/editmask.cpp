#include "framework/editmask.h"

namespace {

bool isEscapedBracket(const QString& mask, qsizetype i)
{
    return mask[i] == u'\\' && i + 1 < mask.size() && (mask[i + 1] == u'[' || mask[i + 1] == u']');
}

} // namespace

EditMask::EditMask(const QString& mask) : m_mask(mask)
{
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (isEscapedBracket(mask, i)) {
            m_positions.append({mask[++i], QString()});
            continue;
        }
        if (mask[i] == u'[') {
            QString ranges;
            qsizetype j = i + 1;
            for (; j < mask.size() && mask[j] != u']'; ++j) {
                if (isEscapedBracket(mask, j))
                    ++j;
                const QChar first = mask[j];
                QChar last = first;
                if (j + 2 < mask.size() && mask[j + 1] == u'-' && mask[j + 2] != u']') {
                    j += 2;
                    if (isEscapedBracket(mask, j))
                        ++j;
                    last = mask[j];
                }
                ranges += first;
                ranges += last;
            }
            if (j < mask.size() && !ranges.isEmpty()) {
                m_positions.append({QChar(), ranges});
                i = j;
                continue;
            }
        }
        m_positions.append({mask[i], QString()});
    }
}

bool EditMask::isInput(int pos) const
{
    return pos >= 0 && pos < length() && !m_positions[pos].ranges.isEmpty();
}

bool EditMask::accepts(int pos, QChar c) const
{
    if (!isInput(pos))
        return false;
    const QString& ranges = m_positions[pos].ranges;
    for (qsizetype k = 0; k + 1 < ranges.size(); k += 2) {
        if (ranges[k] <= c && c <= ranges[k + 1])
            return true;
    }
    return false;
}

QChar EditMask::literalAt(int pos) const
{
    return pos >= 0 && pos < length() ? m_positions[pos].literal : QChar();
}

QChar EditMask::emptyAt(int pos) const
{
    if (accepts(pos, u'0'))
        return u'0';
    if (accepts(pos, u' '))
        return u' ';
    return m_positions[pos].ranges[0];
}

QString EditMask::filled(const QString& text) const
{
    if (isEmpty())
        return text;
    QString display;
    display.reserve(length());
    for (int pos = 0; pos < length(); ++pos)
        display += isInput(pos) ? emptyAt(pos) : literalAt(pos);
    int cursor = 0;
    typeText(display, cursor, text);
    return display;
}

bool EditMask::matches(const QString& display) const
{
    if (isEmpty())
        return true;
    if (display.size() != length())
        return false;
    for (int pos = 0; pos < length(); ++pos) {
        if (isInput(pos) ? !accepts(pos, display[pos]) : display[pos] != literalAt(pos))
            return false;
    }
    return true;
}

QString EditMask::inputText(const QString& display) const
{
    QString input;
    for (int pos = 0; pos < length() && pos < display.size(); ++pos) {
        if (isInput(pos))
            input += display[pos];
    }
    return input;
}

int EditMask::nextInput(int pos) const
{
    for (int p = qMax(pos, 0); p < length(); ++p) {
        if (isInput(p))
            return p;
    }
    return -1;
}

int EditMask::previousInput(int pos) const
{
    for (int p = qMin(pos, length()) - 1; p >= 0; --p) {
        if (isInput(p))
            return p;
    }
    return -1;
}

bool EditMask::typeAt(QString& display, int& cursor, QChar c) const
{
    const int pos = nextInput(cursor);
    if (display.size() != length() || !accepts(pos, c))
        return false;
    display[pos] = c;
    cursor = pos + 1;
    return true;
}

void EditMask::runAround(int pos, int& start, int& end) const
{
    start = pos;
    while (isInput(start - 1))
        --start;
    end = pos;
    while (isInput(end))
        ++end;
}

QChar EditMask::padAt(int pos) const
{
    return accepts(pos, u' ') ? QChar(u' ') : emptyAt(pos);
}

bool EditMask::isEmptyAt(const QString& display, int pos) const
{
    return display[pos] == emptyAt(pos) || (accepts(pos, u' ') && display[pos] == u' ');
}

bool EditMask::placeRight(QString& display, int start, int end, const QString& digits) const
{
    QString run;
    for (int pos = start; pos < end - digits.size(); ++pos)
        run += padAt(pos);
    run += digits;
    for (int i = 0; i < run.size(); ++i)
        if (!accepts(start + i, run[i]))
            return false;
    display.replace(start, run.size(), run);
    return true;
}

bool EditMask::typeNumber(QString& display, int& cursor, QChar c, NumberEntry& entry) const
{
    if (display.size() != length())
        return false;
    if (entry.active() && cursor == entry.runEnd) {
        if (c == literalAt(entry.runEnd)) {
            cursor = entry.runEnd + 1; // past the literal
            entry = NumberEntry();
            return true;
        }
        if (entry.digits.size() < entry.runEnd - entry.runStart) {
            if (!placeRight(display, entry.runStart, entry.runEnd, entry.digits + c))
                return false;
            entry.digits += c;
            return true;
        }
        entry = NumberEntry(); // full: the digit goes on after the run
    }
    const int pos = nextInput(cursor);
    if (pos < 0)
        return false;
    int start = 0;
    int end = 0;
    runAround(pos, start, end);
    const bool whole = start == 0 || literalAt(start - 1) != u'.';
    bool emptyOn = true;
    for (int p = pos; p < end && emptyOn; ++p)
        emptyOn = isEmptyAt(display, p);
    if (whole && emptyOn && end - pos > 1 && placeRight(display, pos, end, QString(c))) {
        entry = NumberEntry{pos, end, QString(c)};
        cursor = end;
        return true;
    }
    entry = NumberEntry();
    if (typeAt(display, cursor, c))
        return true;
    // The literal that ends the run the cursor is in: go past it.
    if (pos == nextInput(cursor) && c == literalAt(end) && !c.isNull()) {
        cursor = end + 1;
        return true;
    }
    return false;
}

bool EditMask::typeText(QString& display, int& cursor, const QString& text) const
{
    bool typed = false;
    for (const QChar c : text)
        typed = typeAt(display, cursor, c) || typed;
    return typed;
}

bool EditMask::backspace(QString& display, int& cursor) const
{
    const int pos = previousInput(cursor);
    if (display.size() != length() || pos < 0)
        return false;
    display[pos] = emptyAt(pos);
    cursor = pos;
    return true;
}

bool EditMask::deleteAt(QString& display, int& cursor) const
{
    const int pos = nextInput(cursor);
    if (display.size() != length() || pos < 0)
        return false;
    display[pos] = emptyAt(pos);
    cursor = pos + 1;
    return true;
}

bool EditMask::clear(QString& display, int from, int to) const
{
    if (display.size() != length())
        return false;
    bool changed = false;
    for (int pos = qMax(from, 0); pos < qMin(to, length()); ++pos) {
        if (isInput(pos) && display[pos] != emptyAt(pos)) {
            display[pos] = emptyAt(pos);
            changed = true;
        }
    }
    return changed;
}
