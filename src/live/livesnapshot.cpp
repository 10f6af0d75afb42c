#include "livesnapshot.h"

const LiveStanding* LiveEvent::standing(int goRound) const
{
    if (goRound >= 1 && goRound <= int(goRounds.size()))
        return &goRounds[size_t(goRound - 1)];
    if (hasFinal && goRound == final.goRound)
        return &final;
    return nullptr;
}

int LiveEvent::resultCount() const
{
    int count = 0;
    for (const LiveStanding& s : goRounds)
        count += int(s.rows.size());
    return count + int(final.rows.size());
}

const LiveEvent* LiveSnapshot::event(const QString& id) const
{
    for (const auto& e : events)
        if (e->id == id)
            return e.get();
    return nullptr;
}
