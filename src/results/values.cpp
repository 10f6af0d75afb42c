#include "results/values.h"

#include <QStringView>
#include <limits>

namespace {

constexpr quint32 MaxValue = std::numeric_limits<quint32>::max();

quint32 saturatingAdd(quint32 a, quint32 b)
{
    return (a > MaxValue - b) ? MaxValue : a + b;
}

quint32 saturatingMul(quint32 a, quint32 b)
{
    const quint64 product = quint64(a) * quint64(b);
    return product > MaxValue ? MaxValue : quint32(product);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The leading run of ASCII digits as a number, saturating; *count receives the
// number of digits in the run and *limited how many of them to read at most.
quint32 leadingNumber(QStringView text, qsizetype* count = nullptr, qsizetype limit = -1)
{
    quint32 value = 0;
    qsizetype n = 0;
    while (n < text.size() && isAsciiDigit(text[n])) {
        if (limit < 0 || n < limit)
            value = saturatingAdd(saturatingMul(value, 10), quint32(text[n].unicode() - u'0'));
        ++n;
    }
    if (count)
        *count = n;
    return value;
}

quint32 leadingNumberAfterSpaces(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    return leadingNumber(text.mid(start));
}

enum class LongFraction { CutToThousandths, TakeAsIs };

quint32 parsePackedTime(const QString& input, LongFraction longFraction)
{
    QString text = input;
    text.replace(u' ', u'0');
    const QStringView view(text);

    quint32 value = 0;
    qsizetype secondsStart = 0;
    const qsizetype colon = view.indexOf(u':');
    if (colon >= 0) {
        value = saturatingMul(leadingNumber(view.left(colon)), 100000);
        secondsStart = colon + 1;
    }

    // Only a point after the minutes can start the fraction.
    const qsizetype point = view.indexOf(u'.', secondsStart);
    if (point < 0)
        return saturatingAdd(value, saturatingMul(leadingNumber(view.mid(secondsStart)), 1000));

    const quint32 seconds = leadingNumber(view.mid(secondsStart, point - secondsStart));
    value = saturatingAdd(value, saturatingMul(seconds, 1000));

    qsizetype digits = 0;
    const QStringView fractionText = view.mid(point + 1);
    quint32 fraction = leadingNumber(fractionText, &digits);
    switch (digits) {
    case 0:
        fraction = 0;
        break;
    case 1:
        fraction *= 100;
        break;
    case 2:
        fraction *= 10;
        break;
    case 3:
        break;
    default:
        if (longFraction == LongFraction::CutToThousandths)
            fraction = leadingNumber(fractionText, nullptr, 3);
        break;
    }
    return saturatingAdd(value, fraction);
}

// "%0*u": the number with leading zeros up to width digits.
QString zeroPadded(quint32 value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

quint32 divideRoundingHalfUp(quint32 value, quint32 divisor)
{
    if (divisor <= 1)
        return value;
    quint32 q = value / divisor;
    if (value % divisor >= divisor / 2)
        ++q;
    return q;
}

// Hundredths as "%.2f" would print them, from integers only.
QString hundredthsText(quint32 q)
{
    return QString::number(q / 100) + u'.' + zeroPadded(q % 100, 2);
}

} // namespace

int PrecisionDigits(const QString& precision)
{
    if (precision == QLatin1StringView("0.1"))
        return 1;
    if (precision == QLatin1StringView("0.01"))
        return 2;
    return 3;
}

quint32 ParseTimeText(const QString& text)
{
    return parsePackedTime(text, LongFraction::CutToThousandths);
}

quint32 ParseRunningTimeText(const QString& text)
{
    return parsePackedTime(text, LongFraction::TakeAsIs);
}

QString FormatTimeText(quint32 value, const QString& precision, int width)
{
    int decimals = 1;
    quint32 shown = value % 1000 / 100;
    if (precision == QLatin1StringView("0.001")) {
        decimals = 3;
        shown = value % 1000;
    } else if (precision == QLatin1StringView("0.01")) {
        decimals = 2;
        shown = value % 1000 / 10;
    }
    QString text = QString::number(value / 1000) + u'.' + zeroPadded(shown, decimals);
    if (width >= 0)
        text = text.left(width).rightJustified(width, u' ');
    return text;
}

QString ZeroTimeText(int decimals)
{
    return QStringLiteral("0.") + zeroPadded(0, qMax(decimals, 1));
}

QString ZeroTimeText(const QString& precision)
{
    return ZeroTimeText(PrecisionDigits(precision));
}

QString FormatScoreTotal(quint32 value, quint32 divisor, bool fraction, bool total, int padWidth)
{
    const quint32 q = divideRoundingHalfUp(value, divisor);
    QString text;
    if (!fraction)
        text = QString::number(q / 100);
    else if (total)
        text = hundredthsText(q);
    else
        text = QString::number(q / 10);
    if (text.size() < padWidth)
        text = text.rightJustified(padWidth, u'0');
    return text;
}

QString FormatScoreOutput(quint32 value, bool fraction, bool spacePad, quint32 divisor)
{
    const quint32 q = divideRoundingHalfUp(value, divisor);
    // Whole points are cut, as the entry bar and the scoreboard cut them: a
    // ride reads the same everywhere.
    if (!fraction)
        return QString::number(q / 100);

    QString text = hundredthsText(q);
    // Drop trailing zeros and a bare point; the first character always stays,
    // so a zero score still reads "0".
    for (qsizetype i = text.size() - 1; i > 0; --i) {
        const QChar c = text[i];
        if (c != u'0' && c != u'.')
            break;
        if (spacePad)
            text[i] = u' ';
        else
            text.truncate(i);
        if (c == u'.')
            break;
    }
    return text;
}

quint32 ParseScoreText(const QString& text, bool fraction)
{
    if (!fraction)
        return saturatingMul(leadingNumberAfterSpaces(text), 100);

    qsizetype point = text.indexOf(u'.');
    if (point < 0)
        point = text.size();
    QString digits = text;
    digits.remove(u'.');
    // Pad to two decimals so the number reads as hundredths.
    if (digits.size() < point + 2)
        digits.append(QString(point + 2 - digits.size(), u'0'));
    return leadingNumberAfterSpaces(digits);
}
