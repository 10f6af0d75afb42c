#include "eventpayout.h"

QString PartName::text() const
{
    switch (kind) {
    case Average:
        return QStringLiteral("Average");
    case Final:
        return QStringLiteral("Final");
    case GoRound:
        break;
    }
    return QStringLiteral("Go-Round %1").arg(goRound);
}

Cents EventPayout::paid() const
{
    Cents sum = 0;
    for (const EventPart& p : parts)
        sum += p.payout.paid();
    return sum;
}

Cents EventPayout::kept() const
{
    Cents sum = unallocated;
    for (const EventPart& p : parts)
        sum += p.payout.kept;
    return sum;
}

QHash<EntryKey, Cents> EventPayout::byEntry() const
{
    QHash<EntryKey, Cents> out;
    for (const EventPart& p : parts)
        for (const PaidLine& l : p.payout.lines)
            out[l.key] += l.amount;
    return out;
}

EventPayout EventPayouts::compute(const EventPayoutInput& in)
{
    EventPayout out;
    out.eventId = in.eventId;
    out.eventName = in.eventName;
    out.team = in.team;
    out.scheduleName = in.schedule.name;
    out.ground = in.ground;

    QString why;
    if (!Purse::compute(in.purse, out.purse, &why)) {
        out.purse.settings = in.purse;
        out.problems << why;
        return out;
    }
    out.unallocated = out.purse.purse;
    const QString splitFault = in.split.check();
    if (!splitFault.isEmpty())
        out.problems << splitFault;
    if (in.split.goRounds.size() != in.goRounds.size())
        out.problems << QStringLiteral("The event has %1 go-rounds and its purse is split for %2: set where "
                                       "its purse goes again.")
                            .arg(in.goRounds.size())
                            .arg(in.split.goRounds.size());
    const QString scheduleFault = in.schedule.check();
    const ScheduleBand* band = scheduleFault.isEmpty() ? in.schedule.bandFor(in.purse.paidEntries) : nullptr;
    if (!scheduleFault.isEmpty())
        out.problems << scheduleFault;
    else if (!band)
        out.problems << QStringLiteral("The schedule \"%1\" has no line for %2 entries.")
                            .arg(in.schedule.name)
                            .arg(in.purse.paidEntries);
    if (!out.problems.isEmpty())
        return out;
    out.placesPaid = int(band->shares.size());

    QVector<PartName> names;
    QVector<int> shares;
    QVector<const QVector<Placing>*> standings;
    for (int g = 0; g < in.split.goRounds.size(); ++g) {
        names << PartName{PartName::GoRound, g + 1};
        shares << in.split.goRounds.at(g);
        standings << &in.goRounds.at(g);
    }
    names << PartName{PartName::Average, 0} << PartName{PartName::Final, 0};
    shares << in.split.average << in.split.finalRound;
    standings << &in.average << &in.finalRound;

    const QVector<Cents> money = Purse::divide(out.purse.purse, shares);
    out.unallocated = 0;
    for (int i = 0; i < names.size(); ++i) {
        if (shares.at(i) == 0)
            continue;
        EventPart part;
        part.name = names.at(i);
        part.purseShare = shares.at(i);
        part.payout = PartPayouts::pay(money.at(i), band->shares, *standings.at(i), in.ground);
        if (part.payout.noResults && part.payout.money > 0)
            out.problems
                << QStringLiteral("%1 of %2 has no results yet.").arg(part.name.text(), in.eventName);
        out.parts << part;
    }
    return out;
}
