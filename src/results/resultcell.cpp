#include "resultcell.h"

#include "values.h"

ResultCellParts ResultCellPieces(const ResultRecord& r, bool scored, bool fraction, const QString& precision)
{
    ResultCellParts parts;
    if (r.position == 0 && r.status.isEmpty())
        return parts;
    const bool noResult = r.hasStatus(StatusNoResult);
    if (!scored && noResult)
        return parts;
    parts.shown = true;
    parts.time = FormatTimeText(r.time, precision);
    // A scored entry without a score still shows the time it stayed on.
    if (scored && noResult)
        return parts;
    parts.place = r.position;
    if (scored)
        parts.score = FormatScoreOutput(r.score, fraction, true);
    return parts;
}

QString ResultCellText(const ResultRecord& r, bool scored, bool fraction, const QString& precision)
{
    const ResultCellParts p = ResultCellPieces(r, scored, fraction, precision);
    if (!p.shown)
        return QString();
    if (!scored)
        return QStringLiteral("%1  %2").arg(r.position, 3).arg(p.time, 7);
    if (r.hasStatus(StatusNoResult))
        return QString(18, QLatin1Char(' ')) + p.time.rightJustified(4);
    return QStringLiteral("%1    %2    %3").arg(r.position, 3).arg(p.score, 7).arg(p.time, 4);
}
