#include "entrychecks.h"

#include "values.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The number a run of the text stands for; spaces count as "0", as the masked
// fields show unfilled digits as spaces.
int numberIn(const QString& text, int from, int to)
{
    int n = 0;
    for (int i = from; i < to && i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isDigit(c))
            n = qMin(n * 10 + (c.unicode() - u'0'), 1000000);
        else if (c == u' ')
            n = qMin(n * 10, 1000000);
    }
    return n;
}

} // namespace

EntryCheck CheckTimeText(const QString& text, int precisionDigits)
{
    int colon = -1;
    int point = -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'.') {
            if (point >= 0)
                return EntryCheck::fail(QStringLiteral("Only 1 period is allowed in the time."), i, 1);
            point = i;
        } else if (c == u':') {
            if (point >= 0)
                return EntryCheck::fail(QStringLiteral("The colon can not be after the period."), i, 1);
            if (colon >= 0)
                return EntryCheck::fail(QStringLiteral("Only 1 colon is allowed in the time."), i, 1);
            colon = i;
        } else if (!isDigit(c) && c != u' ') {
            // Spaces are the masked field's unfilled digits, not typed characters.
            return EntryCheck::fail(
                QStringLiteral("The control will only take digits, a period, or a colon as input"), i, 1);
        }
    }
    if (colon >= 3)
        return EntryCheck::fail(QStringLiteral("Only 2 digits are acceptable for minutes."), 0, colon);
    if (colon >= 0 && numberIn(text, 0, colon) >= 60)
        return EntryCheck::fail(QStringLiteral("Minutes can only be up to 59."), 0, colon);
    const int secondsStart = colon + 1;
    if (point >= 0) {
        if (point - secondsStart > 2)
            return EntryCheck::fail(QStringLiteral("Only 2 digits are acceptable for seconds."), secondsStart,
                                    point - secondsStart);
        if (numberIn(text, secondsStart, point) >= 60)
            return EntryCheck::fail(QStringLiteral("Seconds can only be up to 59."), secondsStart,
                                    point - secondsStart);
    } else if (text.size() - secondsStart > 2) {
        return EntryCheck::fail(QStringLiteral("Only 2 digits are acceptable for seconds."), secondsStart,
                                int(text.size()) - secondsStart);
    }
    if (point >= 0) {
        // Trailing spaces are unfilled places, not typed digits.
        const int decimals = int(QStringView(text).mid(point + 1).trimmed().size());
        if (decimals > precisionDigits)
            return EntryCheck::fail(
                QStringLiteral("Only %1 digit(s) is(are) acceptable for milliseconds.").arg(precisionDigits),
                point + 1, decimals);
    }
    return {};
}

EntryCheck CheckTimeComplete(const QString& text)
{
    const int colon = int(text.indexOf(u':'));
    const int point = int(text.indexOf(u'.'));
    if (colon >= 0) {
        const int end = point >= 0 ? point : int(text.size());
        if (end - colon - 1 != 2)
            return EntryCheck::fail(QStringLiteral("Two digits are required for the seconds."), colon + 1,
                                    qMax(0, end - colon - 1));
    }
    if (point >= 0 && point == text.size() - 1)
        return EntryCheck::fail(QStringLiteral("At least 1 digit is required for the milliseconds."), point,
                                1);
    return {};
}

EntryCheck CheckMarkText(const QString& text, bool fraction, int highestMark)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isDigit(c) || c == u' ' || (fraction && c == u'.'))
            continue;
        return EntryCheck::fail(fraction
                                    ? QStringLiteral("The control will only take digits or a period as input")
                                    : QStringLiteral("The control will only take digits as input"),
                                i, 1);
    }
    if (ParseScoreText(text, fraction) > quint32(highestMark) * 100)
        return EntryCheck::fail(QStringLiteral("The score cannot be over %1").arg(highestMark), 0,
                                int(text.size()));
    return {};
}
