#include "money.h"

#include <QStringList>

namespace {

bool refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

bool allDigits(QStringView s)
{
    for (const QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The integer part of an amount: plain digits, or digits grouped by three
// with ",". "12,5" is refused rather than read as 125: a comma typed for a
// decimal point must not make ten times the money.
enum class Whole { Ok, NotANumber, TooLarge };

Whole readWhole(QStringView text, qint64 limit, qint64& out)
{
    if (text.isEmpty())
        return Whole::NotANumber;
    QString digits;
    if (text.contains(QLatin1Char(','))) {
        const QStringList groups = text.toString().split(QLatin1Char(','));
        for (int i = 0; i < groups.size(); ++i) {
            const QString& g = groups.at(i);
            if (g.isEmpty() || !allDigits(g) || (i > 0 && g.size() != 3) || (i == 0 && g.size() > 3))
                return Whole::NotANumber;
            digits += g;
        }
    } else {
        if (!allDigits(text))
            return Whole::NotANumber;
        digits = text.toString();
    }
    out = 0;
    for (const QChar c : digits) {
        out = out * 10 + (c.unicode() - '0');
        if (out > limit)
            return Whole::TooLarge;
    }
    return Whole::Ok;
}

// Digits with an optional point and up to `decimals` digits after it, scaled
// to whole units of 1 / 10^decimals. Empty parts around the point are
// allowed on one side only ("5." and ".5", not ".").
enum class Reading { Ok, NotANumber, TooManyDecimals, TooLarge };

Reading readDecimal(QString text, int decimals, qint64 limit, qint64& out)
{
    const int point = int(text.indexOf(QLatin1Char('.')));
    const QString whole = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || !allDigits(fraction))
        return Reading::NotANumber;
    if (fraction.size() > decimals)
        return Reading::TooManyDecimals;
    qint64 units = 0;
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    if (!whole.isEmpty()) {
        const Whole read = readWhole(whole, limit / scale + 1, units);
        if (read != Whole::Ok)
            return read == Whole::TooLarge ? Reading::TooLarge : Reading::NotANumber;
    }
    qint64 parts = 0;
    for (int i = 0; i < decimals; ++i)
        parts = parts * 10 + (i < fraction.size() ? fraction.at(i).unicode() - '0' : 0);
    out = units * scale + parts;
    return out > limit ? Reading::TooLarge : Reading::Ok;
}

QString grouped(qint64 whole)
{
    QString digits = QString::number(whole);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

} // namespace

bool Money::parse(const QString& input, Cents& out, QString* why)
{
    QString text = input.trimmed();
    if (text.isEmpty())
        return refuse(why, QStringLiteral("An amount is needed."));
    if (text.startsWith(QLatin1Char('-')))
        return refuse(why, QStringLiteral("An amount cannot be negative."));
    if (text.startsWith(QLatin1Char('$')))
        text = text.mid(1).trimmed();
    qint64 cents = 0;
    switch (readDecimal(text, 2, MaxAmount, cents)) {
    case Reading::Ok:
        out = cents;
        return true;
    case Reading::TooManyDecimals:
        return refuse(why, QStringLiteral("An amount has at most two decimals (cents)."));
    case Reading::TooLarge:
        return refuse(why, QStringLiteral("The amount is larger than %1.").arg(format(MaxAmount)));
    case Reading::NotANumber:
        break;
    }
    return refuse(why, QStringLiteral("\"%1\" is not an amount of money.").arg(input.trimmed()));
}

QString Money::format(Cents amount)
{
    const bool negative = amount < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(amount) : quint64(amount);
    const QString text = grouped(qint64(magnitude / 100)) + QLatin1Char('.') +
                         QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + text : text;
}

QString Money::formatEarnings(Cents amount)
{
    const QString whole = QString::number(amount / 100);
    const Cents cents = amount % 100;
    return cents == 0 ? whole : whole + QStringLiteral(".%1").arg(cents, 2, 10, QLatin1Char('0'));
}

bool Money::parseEarnings(const QString& input, Cents& out)
{
    QString text = input;
    text.remove(QLatin1Char('$'));
    text.remove(QLatin1Char(','));
    text.remove(QLatin1Char(' '));
    if (text.isEmpty()) {
        out = 0;
        return true;
    }
    qint64 cents = 0;
    if (readDecimal(text, 2, MaxAmount, cents) != Reading::Ok)
        return false;
    out = cents;
    return true;
}

Cents Money::mulDiv(Cents value, qint64 numerator, qint64 denominator)
{
    const __int128 product = static_cast<__int128>(value) * numerator;
    __int128 q = product / denominator;
    // Rounded down, also for a negative product.
    if (product % denominator != 0 && ((product < 0) != (denominator < 0)))
        --q;
    return static_cast<Cents>(q);
}

bool Percent::parse(const QString& input, int& out, QString* why)
{
    QString text = input.trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    text = text.trimmed();
    if (text.isEmpty())
        return refuse(why, QStringLiteral("A percentage is needed."));
    if (text.startsWith(QLatin1Char('-')))
        return refuse(why, QStringLiteral("A percentage cannot be negative."));
    if (text.contains(QLatin1Char(',')))
        return refuse(why, QStringLiteral("\"%1\" is not a percentage.").arg(input.trimmed()));
    qint64 share = 0;
    switch (readDecimal(text, 2, WholeShare, share)) {
    case Reading::Ok:
        out = int(share);
        return true;
    case Reading::TooManyDecimals:
        return refuse(why, QStringLiteral("A percentage has at most two decimals."));
    case Reading::TooLarge:
        return refuse(why, QStringLiteral("A percentage cannot be over 100."));
    case Reading::NotANumber:
        break;
    }
    return refuse(why, QStringLiteral("\"%1\" is not a percentage.").arg(input.trimmed()));
}

QString Percent::format(int share)
{
    QString text = QString::number(share / 100);
    const int rest = share % 100;
    if (rest != 0) {
        text += QStringLiteral(".%1").arg(rest, 2, 10, QLatin1Char('0'));
        if (text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    return text;
}
