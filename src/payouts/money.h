#pragma once

#include <QString>
#include <QtGlobal>

// Money is counted in whole cents and percentages in hundredths of a
// percent, both as integers: no amount ever passes through floating point,
// so the cheques of an event add up to its purse to the cent.
using Cents = qint64;

// 10000 hundredths of a percent are the whole.
inline constexpr int WholeShare = 10000;

namespace Money {

// The largest amount a field takes: 99,999,999.99.
inline constexpr Cents MaxAmount = 9'999'999'999;

// A typed amount: digits with at most two decimals, an optional "$" in front
// and "," between thousands ("1,250", "$75.50", "0.5"). Refused, with the
// reason in why: an empty text, a negative amount, letters, a third decimal,
// more than MaxAmount.
bool parse(const QString& text, Cents& out, QString* why = nullptr);

// "1,234.56"; a negative amount "-1,234.56".
QString format(Cents amount);

// The amount as the contestants' earnings columns hold it: no "$" and no
// thousands separator, the cents only when there are any ("1234.56", "1234").
QString formatEarnings(Cents amount);

// An earnings text as operators and entry files have always written it: ""
// (nothing yet) is 0; "$", "," and blanks are ignored; up to two decimals.
// False for anything else (a negative amount, letters, "n/a"): such a text is
// never guessed at.
bool parseEarnings(const QString& text, Cents& out);

// value * numerator / denominator rounded down, without overflow for any
// amount and share this program handles (denominator > 0).
Cents mulDiv(Cents value, qint64 numerator, qint64 denominator);

} // namespace Money

namespace Percent {

// "50", "33.33", "12.5", "0" (an optional "%" after it); 0 to 100 with at
// most two decimals, as hundredths of a percent. Refused, with the reason in
// why, otherwise.
bool parse(const QString& text, int& out, QString* why = nullptr);

// "50", "33.33", "12.5".
QString format(int share);

} // namespace Percent
