#include "scoreboardfields.h"

namespace ScoreboardFields {

namespace {

QString stars(int width)
{
    return QString(width, QLatin1Char('*'));
}

// The digits of n from the highest place down, zeros before the first
// non-zero digit as spaces; stars when n has more digits than places.
QString digits(quint64 n, int places)
{
    quint64 limit = 1;
    for (int i = 0; i < places; ++i)
        limit *= 10;
    if (n >= limit)
        return stars(places);
    QString out(places, QLatin1Char(' '));
    bool seen = false;
    quint64 divisor = 1;
    for (int i = 1; i < places; ++i)
        divisor *= 10;
    for (int i = 0; i < places; ++i) {
        const int d = int((n / divisor) % 10);
        seen = seen || d != 0;
        if (seen)
            out[i] = QLatin1Char(char('0' + d));
        divisor /= 10;
    }
    return out;
}

} // namespace

QString left(const QString& text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '), true);
}

QString right(const QString& text, int width)
{
    return text.left(width).rightJustified(width, QLatin1Char(' '));
}

QString number(qint64 n, int width, bool blankZero)
{
    if (blankZero && n == 0)
        return QString(width, QLatin1Char(' '));
    const QString text = QString::number(n);
    // Cut, a number would show other digits than its own.
    return text.size() > width ? stars(width) : right(text, width);
}

QString score(quint32 value, int width, bool fraction, int decimals)
{
    if (value == 0)
        return QString(width, QLatin1Char(' '));
    const int places = width - 3;
    QString out = digits(value / 100, places);
    if (out.startsWith(QLatin1Char('*')))
        return stars(width); // too many points for the field
    if (!fraction)
        return out + QStringLiteral("   ");
    const quint32 hundredths = value % 100;
    if (decimals <= 1)
        return out + QLatin1Char('.') + QLatin1Char(char('0' + hundredths / 10)) + QLatin1Char(' ');
    return out + QLatin1Char('.') + QLatin1Char(char('0' + hundredths / 10)) +
           QLatin1Char(char('0' + hundredths % 10));
}

QString time(quint32 value, int width, int precisionDigits)
{
    if (value == 0)
        return QString(width, QLatin1Char(' '));
    const quint32 minutes = value / 100000;
    const quint32 seconds = (value % 100000) / 1000;
    const quint32 thousandths = value % 1000;
    // Width 7 has a place for one minutes digit; width 6 shows a time of a
    // minute or more as its seconds while they fit in two places.
    const int places = width >= 7 ? 3 : 2;
    const quint64 whole = width >= 7 ? quint64(minutes) * 100 + seconds : quint64(minutes) * 60 + seconds;
    if ((width >= 7 && minutes > 9) || whole >= (width >= 7 ? 1000u : 100u))
        return stars(width);
    QString out = digits(whole, places);
    out += QLatin1Char('.');
    const QString fraction = QStringLiteral("%1").arg(thousandths, 3, 10, QLatin1Char('0'));
    const int shown = qBound(0, precisionDigits, 3);
    out += fraction.left(shown) + QString(3 - shown, QLatin1Char(' '));
    return right(out, width);
}

QString ordinalSuffix(int n)
{
    const int lastTwo = qAbs(n) % 100;
    if (lastTwo >= 11 && lastTwo <= 13)
        return QStringLiteral("th");
    switch (qAbs(n) % 10) {
    case 1:
        return QStringLiteral("st");
    case 2:
        return QStringLiteral("nd");
    case 3:
        return QStringLiteral("rd");
    default:
        return QStringLiteral("th");
    }
}

QString earnings(const QString& stored)
{
    // Commas typed with the amount are put where they belong again.
    QString text = stored.trimmed();
    text.remove(QLatin1Char(','));
    QString out;
    int run = 0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (run == 3 && c.isDigit()) {
            out.prepend(QLatin1Char(','));
            run = 0;
        }
        out.prepend(c);
        run = c.isDigit() ? run + 1 : 0;
    }
    // Too long with its commas: without them; too long even so: stars, never
    // a number cut short.
    constexpr int Width = 9;
    if (out.size() > Width)
        out = text;
    return out.size() > Width ? stars(Width) : right(out, Width);
}

QString name(const QString& format, const QString& first, const QString& last)
{
    const auto is = [&](const char* f) {
        return format.compare(QLatin1String(f), Qt::CaseInsensitive) == 0;
    };
    if (is("Last, First"))
        return last + QStringLiteral(", ") + first;
    if (is("First Last"))
        return first + QLatin1Char(' ') + last;
    if (is("Last, Initial."))
        return last + QStringLiteral(", ") + first.left(1);
    if (is("Initial. Last"))
        return first.left(1) + QLatin1Char(' ') + last;
    return last;
}

} // namespace ScoreboardFields
