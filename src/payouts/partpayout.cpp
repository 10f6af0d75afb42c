#include "partpayout.h"

#include "purse.h"

#include <algorithm>

Cents PartPayout::paid() const
{
    Cents sum = 0;
    for (const PaidLine& l : lines)
        sum += l.amount;
    return sum;
}

namespace {

bool runsEarlier(const Placing& a, const Placing& b)
{
    if (a.runningOrder != b.runningOrder)
        return a.runningOrder < b.runningOrder;
    return a.key < b.key;
}

// money shared by the entries, in running order: the first takes the cents
// that do not divide.
void share(QVector<Placing> group, Cents money, PaidLine line, QVector<PaidLine>& out)
{
    std::sort(group.begin(), group.end(), runsEarlier);
    const Cents each = money / group.size();
    const Cents odd = money % group.size();
    line.tiedWith = int(group.size());
    line.groupMoney = money;
    for (int i = 0; i < group.size(); ++i) {
        line.key = group.at(i).key;
        line.result = group.at(i).result;
        line.amount = each + (i == 0 ? odd : 0);
        line.oddCents = i == 0 && odd != 0;
        out << line;
    }
}

} // namespace

PartPayout PartPayouts::pay(Cents money, const QVector<int>& placeShares, QVector<Placing> placings,
                            GroundMoney ground)
{
    PartPayout part;
    part.money = money;
    part.placeShares = placeShares;
    part.placeMoney = Purse::divide(money, placeShares);
    const int places = int(placeShares.size());

    QVector<Placing> qualified;
    QVector<Placing> competed;
    for (const Placing& p : placings) {
        if (p.qualified && p.position > 0)
            qualified << p;
        if (p.competed || p.qualified)
            competed << p;
    }
    part.qualified = int(qualified.size());
    part.competed = int(competed.size());
    if (competed.isEmpty()) {
        part.noResults = true;
        part.kept = money;
        return part;
    }
    std::sort(qualified.begin(), qualified.end(), [](const Placing& a, const Placing& b) {
        return a.position != b.position ? a.position < b.position : runsEarlier(a, b);
    });

    int next = 0; // the first place not yet taken (0-based)
    for (int i = 0; i < qualified.size() && next < places;) {
        int j = i;
        while (j < qualified.size() && qualified.at(j).position == qualified.at(i).position)
            ++j;
        const int k = j - i;
        PaidLine line;
        line.firstPlace = next + 1;
        line.lastPlace = next + k;
        Cents groupMoney = 0;
        for (int p = next; p < std::min(next + k, places); ++p) {
            groupMoney += part.placeMoney.at(p);
            line.groupShare += placeShares.at(p);
        }
        share(qualified.mid(i, k), groupMoney, line, part.lines);
        next += k;
        i = j;
    }

    for (int p = next; p < places; ++p)
        part.groundMoney += part.placeMoney.at(p);
    if (part.groundMoney > 0) {
        if (ground == GroundMoney::Split) {
            PaidLine line;
            line.ground = true;
            for (int p = next; p < places; ++p)
                line.groupShare += placeShares.at(p);
            share(competed, part.groundMoney, line, part.lines);
        } else {
            part.kept = part.groundMoney;
        }
    }
    return part;
}
