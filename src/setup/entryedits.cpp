#include "entryedits.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"

namespace {

const QString kSameContestant = QStringLiteral(
    "There is at least one contestant with the same name in the database.\nDo you want continue the update?");
const QString kSameStock = QStringLiteral(
    "There is at least one stock with the same name in the database.\nDo you want continue the update?");

QString& fieldOf(ContestantRec& c, EntryEdits::Field field)
{
    return field == EntryEdits::Bib ? c.bib : field == EntryEdits::FirstName ? c.firstName : c.lastName;
}

} // namespace

EntryEdits::PickList EntryEdits::contestants(Field field)
{
    PickList list;
    const int sort = field == Bib ? 1 : field == FirstName ? 2 : 4;
    auto rs = m_db.SearchContestants(ContestantRec(), 0, sort);
    for (rs && rs->moveFirst(); rs && !rs->isEof(); rs->moveNext()) {
        list.ids << rs->toUInt(QStringLiteral("PlrId"));
        const QString bib = rs->toText(QStringLiteral("PlrBib"));
        const QString first = rs->toText(QStringLiteral("PlrFirstName"));
        const QString last = rs->toText(QStringLiteral("PlrLastName"));
        list.items << (field == Bib ? bib + QStringLiteral(" - ") + first + QLatin1Char(' ') + last
                       : field == FirstName
                           ? first + QLatin1Char(' ') + last + QStringLiteral(" (") + bib + QLatin1Char(')')
                           : last + QStringLiteral(", ") + first + QStringLiteral(" (") + bib + QLatin1Char(')'));
    }
    return list;
}

EntryEdits::PickList EntryEdits::stock(bool byBib)
{
    PickList list;
    auto rs = m_db.SearchStock(StockRec(), 0, byBib ? 2 : 3);
    for (rs && rs->moveFirst(); rs && !rs->isEof(); rs->moveNext()) {
        list.ids << rs->toUInt(QStringLiteral("StId"));
        const QString bib = rs->toText(QStringLiteral("StBib"));
        const QString name = rs->toText(QStringLiteral("StName"));
        list.items << (byBib ? bib + QStringLiteral(" - ") + name : name + QStringLiteral(" (") + bib + QLatin1Char(')'));
    }
    return list;
}

bool EntryEdits::sameNameAllowed(const ContestantRec& c)
{
    return !m_db.ContestantNameTaken(c) || m_prompt.askYesNo(kSameContestant);
}

bool EntryEdits::renameContestant(quint32 plrId, Field field, const QString& text)
{
    const ContestantRec* old = m_db.contestants().find(plrId);
    if (!old)
        return false;
    ContestantRec before = *old;
    ContestantRec changed = before;
    fieldOf(changed, field) = text.left(limitOf(field));
    if (fieldOf(changed, field) == fieldOf(before, field))
        return false;
    return sameNameAllowed(changed) && m_db.UpdateContestant(changed);
}

quint32 EntryEdits::addContestant(Field field, const QString& text)
{
    ContestantRec arriving;
    fieldOf(arriving, field) = text.left(limitOf(field));
    if (!sameNameAllowed(arriving) || !m_db.AddContestant(arriving))
        return 0;
    return arriving.plrId;
}

quint32 EntryEdits::typedStock(quint16 drawn, bool bib, const QString& text, bool* ok)
{
    *ok = false;
    const QString typed = text.left(bib ? StockBibLimit : StockNameLimit);
    if (drawn != 0) {
        const StockRec* old = m_db.stock().find(drawn);
        if (!old)
            return 0;
        StockRec changed = *old;
        (bib ? changed.bib : changed.name) = typed;
        if (m_db.StockTaken(changed) && !m_prompt.askYesNo(kSameStock))
            return 0;
        *ok = m_db.UpdateStock(changed);
        return 0;
    }
    StockRec animal;
    (bib ? animal.bib : animal.name) = typed;
    // An identical animal already there is drawn instead of a second copy.
    if (!m_db.AddStock(animal) && animal.stId == 0)
        return 0;
    *ok = true;
    return animal.stId;
}

bool EntryEdits::drawStock(const RegEntry& entry, quint32 stId)
{
    if (stId == entry.stock || stId > 0xFFFF)
        return false;
    RegEntry changed = entry;
    changed.stock = static_cast<quint16>(stId);
    return m_db.UpdateCompEntry(entry, changed);
}

bool EntryEdits::setTeamMember(TeamRec& team, int member, Field field, const QString& text, quint32 pickedId)
{
    if (member < 0 || member > 2)
        return false;
    quint32* slot = member == 0 ? &team.plrId1 : member == 1 ? &team.plrId2 : &team.plrId3;
    if (pickedId != 0) {
        *slot = pickedId;
        return true;
    }
    if (*slot != 0)
        return renameContestant(*slot, field, text);
    ContestantRec c;
    fieldOf(c, field) = text.left(limitOf(field));
    m_db.ResolveContestant(c, true, 0);
    if (c.plrId == 0)
        return false;
    *slot = c.plrId;
    return true;
}
