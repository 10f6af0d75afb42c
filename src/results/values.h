#pragma once

#include <QString>
#include <QtGlobal>

// Conversions between result values and their texts. Everything is integer
// arithmetic: no value ever passes through floating point, so a total cannot
// come out one hundredth off from what the judges' marks add up to.
//
// Hostile text (letters, empty text, only ":" or ".", digit runs far longer
// than any real value) never overflows: every number read from text
// SATURATES at 4294967295 (the largest value a result can hold) instead of
// wrapping round to a small value that would then rank as a good result.

// Decimals of a time for a precision text: "0.1" gives 1, "0.01" gives 2,
// any other text 3.
int PrecisionDigits(const QString& precision);

// Time text ("12.34", "1:05.2", " 9.5") to a packed time value. Spaces count as
// "0" (masked fields show unfilled digits as spaces). Each part is its leading
// run of digits; no digits give 0. The fraction is scaled to thousandths by its
// digit count (1 -> x100, 2 -> x10, 3 -> as is); digits past the third are finer
// than a time value keeps and are dropped.
quint32 ParseTimeText(const QString& text);

// The running time as the timing console sends it. Same layout as ParseTimeText
// but, as the console's own conversion has always done, a fraction of more than
// three digits is taken as it is rather than cut to thousandths.
quint32 ParseRunningTimeText(const QString& text);

// Time value to text with the precision's decimals, truncated (never rounded).
// "0.001" keeps 3 decimals, "0.01" 2, any other text 1. There is no minute
// separator: packed minutes print as they stand (105200 -> "105.2").
// A width >= 0 cuts the text to that many characters and right-aligns it with
// spaces; a negative width (-1) leaves it as it is.
QString FormatTimeText(quint32 value, const QString& precision, int width = -1);

// The text of a cleared time field: "0.0", "0.00" or "0.000".
QString ZeroTimeText(int decimals);
QString ZeroTimeText(const QString& precision);

// A score as the entry bar and the result lists show it. The value is divided
// by divisor (rounded half up when divisor > 1; a divisor of 0 counts as 1).
// Full: whole points, hundredths dropped. Fraction total: two decimals ("85.50").
// Fraction single mark: tenths without a point ("85" for 8.5). Texts shorter
// than padWidth get leading zeros.
QString FormatScoreTotal(quint32 value, quint32 divisor, bool fraction, bool total, int padWidth = 0);

// A score as the scoreboards and lists show it. Fraction: two decimals with the
// trailing zeros and a bare point removed (or, with spacePad, turned into spaces
// so the column keeps its width). Full: whole points, hundredths dropped (as
// FormatScoreTotal and the scoreboard's fields do).
QString FormatScoreOutput(quint32 value, bool fraction, bool spacePad, quint32 divisor = 1);

// The text of one mark or total field to a score value in hundredths.
// Fraction: "08.5" -> 850, "85.50" -> 8550, "85" -> 8500. Full: "85" -> 8500.
quint32 ParseScoreText(const QString& text, bool fraction);
