#include "entrylisteditor.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "runperfmodel.h"
#include "ui/dialogs/resolve/dlgregresolver.h"
#include "ui/mainframe.h"

#include <QTableView>
#include <optional>

namespace {

// Limits of the typed texts: bib, first and last names.
int limitOf(int field)
{
    return field == 0 ? 5 : 15;
}

} // namespace

EntryListEditor::EntryListEditor(CMainFrame& frame, RunPerfModel& model, QTableView& list,
                                 QWidget& dialogParent)
    : QObject(&dialogParent), m_frame(frame), m_model(model), m_dialogParent(dialogParent)
{
    m_model.setEditHandler([this](int row, int column, const QString& text, int picked) {
        return editCell(row, column, text, picked);
    });
    setUpEditors(list);
}

bool EntryListEditor::editCell(int row, int column, const QString& text, int picked)
{
    if (m_model.isTeam())
        return editTeam(row, column, text, picked);
    if (column == RunPerfModel::StockBib || column == RunPerfModel::StockName)
        return editStock(row, column, text, picked);
    return editContestant(row, column, text, picked);
}

bool EntryListEditor::sameNameAllowed(const ContestantRec& c)
{
    return !m_frame.database().ContestantNameTaken(c) ||
           m_frame.prompt().askYesNo(
               QStringLiteral("There is at least one contestant with the same name in the "
                              "database.\nDo you want continue the update?"));
}

bool EntryListEditor::editContestant(int row, int column, const QString& text, int picked)
{
    CDatabaseManager& db = m_frame.database();
    const int field = column - RunPerfModel::Bib; // 0 bib, 1 first, 2 last
    if (field < 0 || field > 2)
        return false;
    const auto withField = [&](ContestantRec c) {
        QString& target = field == 0 ? c.bib : field == 1 ? c.firstName : c.lastName;
        target = text.left(limitOf(field));
        return c;
    };

    if (!m_model.isNewRow(row)) {
        const ContestantRec* old = db.contestants().find(entryKeyId(m_model.keyAt(row)));
        if (!old)
            return false;
        const ContestantRec changed = withField(*old);
        if (!sameNameAllowed(changed))
            return false;
        return db.UpdateContestant(changed);
    }

    // The empty last row: a contestant picked from the season, or typed.
    if (picked >= 0 && picked < m_pickIds.size()) {
        if (!addEntry(m_pickIds[picked], false))
            return false;
        entryAdded();
        return true;
    }
    ContestantRec typed = withField(ContestantRec());
    return addTypedContestant(typed);
}

bool EntryListEditor::addTypedContestant(ContestantRec& typed)
{
    CDatabaseManager& db = m_frame.database();
    ContestantRec& arriving = typed;
    if (!sameNameAllowed(arriving))
        return false;
    CDatabaseManager::WriteScope change(db);
    if (!change.isActive() || !db.AddContestant(arriving) || !addEntry(arriving.plrId, false))
        return false; // the scope takes the new contestant back
    if (!change.commit())
        return false;
    entryAdded();
    return true;
}

void EntryListEditor::entryAdded()
{
    // The current entry again, so that the standings hold the new entry.
    RegEntry current = m_frame.database().curEntry();
    m_frame.SelectCompetition(current);
    if (m_entryAdded)
        m_entryAdded();
}

bool EntryListEditor::addEntry(quint32 ptId, bool team)
{
    CDatabaseManager& db = m_frame.database();
    RegEntry entry;
    entry.eventId = m_model.eventId();
    entry.goRound = static_cast<quint16>(m_model.goRound());
    entry.perf = static_cast<quint16>(m_model.performance());
    entry.ord = static_cast<quint16>(db.FreeRunningOrder(entry.eventId, entry.goRound, entry.perf));
    entry.ptId = ptId;
    entry.teamFlag = team ? RegEntry::TeamEntry : RegEntry::OwnEntry;
    CDlgRegResolver resolver(team, &m_dialogParent);
    const CDatabaseManager::EntryAddition outcome = db.AddCompetitorEntry(entry, &resolver);
    if (outcome != CDatabaseManager::EntryAddition::Added &&
        outcome != CDatabaseManager::EntryAddition::Replaced)
        return false;
    return true;
}

bool EntryListEditor::editStock(int row, int column, const QString& text, int picked)
{
    CDatabaseManager& db = m_frame.database();
    if (m_model.isNewRow(row))
        return false;
    const EntryKey key = m_model.keyAt(row);
    const quint16 drawn = m_model.stockAt(row);
    quint32 assign = 0;
    if (picked >= 0 && picked < m_pickIds.size()) {
        assign = m_pickIds[picked];
        if (assign == drawn)
            return false;
    } else if (drawn != 0) {
        // A typed text renames the drawn animal, for every entry that drew it.
        const StockRec* old = db.stock().find(drawn);
        if (!old)
            return false;
        StockRec changed = *old;
        (column == RunPerfModel::StockBib ? changed.bib : changed.name) = text;
        if (db.StockTaken(changed) &&
            !m_frame.prompt().askYesNo(QStringLiteral("There is at least one stock with the same name in the "
                                                      "database.\nDo you want continue the update?")))
            return false;
        if (!db.UpdateStock(changed))
            return false;
        m_model.refreshAll();
        return true;
    } else {
        StockRec animal;
        (column == RunPerfModel::StockBib ? animal.bib : animal.name) = text;
        // An identical animal already there is drawn instead of a second copy.
        if (!db.AddStock(animal) && animal.stId == 0)
            return false;
        assign = animal.stId;
    }
    // The entry as it stands in the model's go-round: its performance and
    // running order stay where they are, only the animal changes.
    const RegEntryCollection::Lookup held = db.LookupEntry(key, m_model.eventId(), m_model.goRound());
    RegEntry old;
    old.eventId = m_model.eventId();
    old.goRound = static_cast<quint16>(m_model.goRound());
    old.ptId = entryKeyId(key);
    old.plrEnt = static_cast<quint16>(entryKeyNumber(key));
    old.perf = held.perf;
    old.ord = held.ord;
    old.stock = drawn;
    RegEntry changed = old;
    changed.stock = static_cast<quint16>(assign);
    return db.UpdateCompEntry(old, changed);
}

bool EntryListEditor::editTeam(int row, int column, const QString& text, int picked)
{
    CDatabaseManager& db = m_frame.database();
    const bool newRow = m_model.isNewRow(row);
    // A new row's team, its new members and its entry are one change.
    std::optional<CDatabaseManager::WriteScope> change;
    if (newRow) {
        change.emplace(db);
        if (!change->isActive())
            return false;
    }
    TeamRec team;
    if (!newRow) {
        const TeamRec* held = db.teams().find(entryKeyId(m_model.keyAt(row)));
        if (!held)
            return false;
        team = *held;
    }
    if (column == RunPerfModel::TeamName) {
        team.name = text.left(10);
    } else if (column >= RunPerfModel::MemberBib1 && column < RunPerfModel::TeamFiller) {
        const int member = (column - RunPerfModel::MemberBib1) / 3;
        const int field = (column - RunPerfModel::MemberBib1) % 3;
        quint32* slot = member == 0 ? &team.plrId1 : member == 1 ? &team.plrId2 : &team.plrId3;
        if (picked >= 0 && picked < m_pickIds.size()) {
            *slot = m_pickIds[picked];
        } else {
            const ContestantRec* old = *slot ? db.contestants().find(*slot) : nullptr;
            ContestantRec c = old ? *old : ContestantRec();
            QString& target = field == 0 ? c.bib : field == 1 ? c.firstName : c.lastName;
            target = text.left(limitOf(field));
            if (old) {
                if (!sameNameAllowed(c) || !db.UpdateContestant(c))
                    return false;
            } else {
                db.ResolveContestant(c, true, 0);
                if (c.plrId == 0)
                    return false;
                *slot = c.plrId;
            }
        }
    } else {
        return false;
    }
    if (!newRow)
        return db.UpdateTeam(team);
    int decision = 0;
    if ((!db.AddTeam(team, decision) && team.tmId == 0) || !addEntry(team.tmId, true) || !change->commit())
        return false;
    entryAdded();
    return true;
}

QStringList EntryListEditor::pickList(const QModelIndex& index)
{
    CDatabaseManager& db = m_frame.database();
    m_pickIds.clear();
    QStringList items;
    const int column = index.column();
    const bool stock =
        !m_model.isTeam() && (column == RunPerfModel::StockBib || column == RunPerfModel::StockName);
    if (stock) {
        auto rs = db.SearchStock(StockRec(), 0, column == RunPerfModel::StockBib ? 2 : 3);
        for (rs && rs->moveFirst(); rs && !rs->isEof(); rs->moveNext()) {
            m_pickIds << rs->toUInt(QStringLiteral("StId"));
            const QString bib = rs->toText(QStringLiteral("StBib"));
            const QString name = rs->toText(QStringLiteral("StName"));
            items << (column == RunPerfModel::StockBib
                          ? bib + QStringLiteral(" - ") + name
                          : name + QStringLiteral(" (") + bib + QLatin1Char(')'));
        }
        return items;
    }
    // Contestants, by the column being edited.
    const int field = m_model.isTeam() ? (column - RunPerfModel::MemberBib1) % 3 : column - RunPerfModel::Bib;
    const int sort = field == 0 ? 1 : field == 1 ? 2 : 4;
    auto rs = db.SearchContestants(ContestantRec(), 0, sort);
    for (rs && rs->moveFirst(); rs && !rs->isEof(); rs->moveNext()) {
        m_pickIds << rs->toUInt(QStringLiteral("PlrId"));
        const QString bib = rs->toText(QStringLiteral("PlrBib"));
        const QString first = rs->toText(QStringLiteral("PlrFirstName"));
        const QString last = rs->toText(QStringLiteral("PlrLastName"));
        items << (field == 0 ? bib + QStringLiteral(" - ") + first + QLatin1Char(' ') + last
                  : field == 1
                      ? first + QLatin1Char(' ') + last + QStringLiteral(" (") + bib + QLatin1Char(')')
                      : last + QStringLiteral(", ") + first + QStringLiteral(" (") + bib + QLatin1Char(')'));
    }
    return items;
}

void EntryListEditor::setUpEditors(QTableView& list)
{
    auto* delegate = new TextOrComboDelegate(
        [this](const QModelIndex& index) {
            const int c = index.column();
            if (m_model.isTeam())
                return c >= RunPerfModel::MemberBib1 && c < RunPerfModel::TeamFiller;
            return c == RunPerfModel::StockBib || c == RunPerfModel::StockName ||
                   m_model.isNewRow(index.row());
        },
        [this](const QModelIndex& index) { return pickList(index); },
        [this](const QModelIndex& index) {
            const int c = index.column();
            if (m_model.isTeam())
                return c == RunPerfModel::TeamName ? 10 : limitOf((c - RunPerfModel::MemberBib1) % 3);
            if (c == RunPerfModel::StockBib || c == RunPerfModel::Bib)
                return 5;
            return 15;
        },
        this);
    list.setItemDelegate(delegate);
}
