#pragma once

#include "payouts/chequelist.h"
#include "payouts/eventpayout.h"

#include <QDateTime>
#include <QString>
#include <QVector>

// The purse settings of one event of the open rodeo, as the season keeps
// them. An event without stored settings pays nothing; its settings read
// back as the defaults to start from.
struct EventPurse
{
    QString eventId;
    bool stored = false;
    PurseSettings purse;        // paidEntries: the number in use
    bool entriesCounted = true; // paid entries counted from the entries, not typed
    PurseSplit split;
    qint64 scheduleId = 0;
    GroundMoney ground = GroundMoney::Split;
};

// The payouts of the open rodeo: every event with a purse, and what each
// contestant is paid over all of them.
struct RodeoPayout
{
    QVector<EventPayout> events;
    QVector<ChequeLine> cheques;

    bool canPay() const
    {
        for (const EventPayout& e : events)
            if (!e.canPay())
                return false;
        return true;
    }
    Cents total() const
    {
        Cents sum = 0;
        for (const ChequeLine& c : cheques)
            sum += c.total;
        return sum;
    }
};

// A posting of the open rodeo's earnings that stands (was not undone).
struct PayoutPosting
{
    qint64 id = 0;
    QDateTime when; // UTC
    Cents total = 0;
    int contestants = 0;
};
