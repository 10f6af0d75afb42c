#pragma once

#include "eventpayout.h"

#include <QString>
#include <QVector>
#include <functional>

// What one contestant is paid at a rodeo: the total (the cheque) and the
// amount of each event, in the order of the events.
struct ChequeLine
{
    quint32 plrId = 0;
    Cents total = 0;
    QVector<QPair<QString, Cents>> events; // event id, amount
};

namespace ChequeList {

// The contestants an entry pays: the contestant, or each member of a team.
using MembersOf = std::function<QVector<quint32>(const EventPayout& event, EntryKey key)>;

// Every contestant paid something by the events, by contestant id. A team's
// amount goes to each of its members in full (the purse is per roper).
QVector<ChequeLine> build(const QVector<EventPayout>& events, const MembersOf& membersOf);

} // namespace ChequeList
