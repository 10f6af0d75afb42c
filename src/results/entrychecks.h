#pragma once

#include <QString>

// The checks of what the operator types into the entry bars. A failed check
// carries its message (shown as typed) and the characters it is about, so the
// field can select them.
struct EntryCheck
{
    QString message;
    int start = 0;
    int length = 0;

    bool ok() const { return message.isEmpty(); }
    static EntryCheck fail(const QString& message, int start = 0, int length = 0)
    {
        return {message, start, length};
    }
};

// While a time is typed: at most one ".", one ":" before it, digits otherwise;
// two-digit minutes and seconds up to 59; at most precisionDigits decimals.
EntryCheck CheckTimeText(const QString& text, int precisionDigits);
// When a time field is left: two seconds digits after a ":", a digit after a ".".
EntryCheck CheckTimeComplete(const QString& text);
// A judge's mark or a subtotal: digits (and "." for a fraction event), at most
// highestMark points.
EntryCheck CheckMarkText(const QString& text, bool fraction, int highestMark);
