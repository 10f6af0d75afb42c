#pragma once

#include "money.h"

#include <QString>
#include <QVector>

// Earnings across the season's rodeos, from the postings: per event, and the
// all-around (every event together, for contestants who won money in two
// events or more).
struct EarningsRow
{
    quint32 plrId = 0;
    QString eventId;
    Cents amount = 0;
};

struct StandingLine
{
    quint32 plrId = 0;
    Cents amount = 0;
    int events = 0; // events with money (the all-around's count)
};

namespace SeasonStandings {

// The contestants with money in the event, the largest amount first (equal
// amounts by contestant id).
QVector<StandingLine> forEvent(const QVector<EarningsRow>& rows, const QString& eventId);

// The contestants with money in two events or more, their sum over every
// event, the largest first.
QVector<StandingLine> allAround(const QVector<EarningsRow>& rows);

} // namespace SeasonStandings
