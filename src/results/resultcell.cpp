#include "resultcell.h"

#include "values.h"

QString ResultCellText(const ResultRecord& r, bool scored, bool fraction, const QString& precision)
{
    if (r.position == 0 && r.status.isEmpty())
        return QString();
    const bool noResult = r.hasStatus(StatusNoResult);
    const QString time = FormatTimeText(r.time, precision);
    if (scored) {
        if (noResult)
            return QString(18, QLatin1Char(' ')) + time.rightJustified(4);
        return QStringLiteral("%1    %2    %3")
            .arg(r.position, 3)
            .arg(FormatScoreOutput(r.score, fraction, true), 7)
            .arg(time, 4);
    }
    if (noResult)
        return QString();
    return QStringLiteral("%1  %2").arg(r.position, 3).arg(time, 7);
}
