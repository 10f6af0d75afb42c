#include "entrylisteditor.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "runperfmodel.h"
#include "setup/entryedits.h"
#include "ui/dialogs/resolve/dlgregresolver.h"
#include "ui/mainframe.h"

#include <QTableView>
#include <optional>

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

bool EntryListEditor::editContestant(int row, int column, const QString& text, int picked)
{
    const int field = column - RunPerfModel::Bib; // 0 bib, 1 first, 2 last
    if (field < 0 || field > 2)
        return false;
    EntryEdits edits(m_frame.database(), m_frame.prompt());
    if (!m_model.isNewRow(row))
        return edits.renameContestant(entryKeyId(m_model.keyAt(row)), EntryEdits::Field(field), text);

    // The empty last row: a contestant picked from the season, or typed.
    if (picked >= 0 && picked < m_pickIds.size()) {
        if (!addEntry(m_pickIds[picked], false))
            return false;
        entryAdded();
        return true;
    }
    ContestantRec typed;
    QString& target = field == 0 ? typed.bib : field == 1 ? typed.firstName : typed.lastName;
    target = text.left(EntryEdits::limitOf(EntryEdits::Field(field)));
    return addTypedContestant(typed);
}

bool EntryListEditor::addTypedContestant(ContestantRec& typed)
{
    CDatabaseManager& db = m_frame.database();
    CDatabaseManager::WriteScope change(db);
    if (!change.isActive())
        return false;
    typed.plrId = EntryEdits(db, m_frame.prompt()).addContestant(typed);
    if (typed.plrId == 0 || !addEntry(typed.plrId, false))
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
    // The entry as it stands in the model's go-round: its performance and
    // running order stay where they are, only the animal changes.
    const EntryKey key = m_model.keyAt(row);
    const RegEntryCollection::Lookup held = db.LookupEntry(key, m_model.eventId(), m_model.goRound());
    RegEntry entry;
    entry.eventId = m_model.eventId();
    entry.goRound = static_cast<quint16>(m_model.goRound());
    entry.ptId = entryKeyId(key);
    entry.plrEnt = static_cast<quint16>(entryKeyNumber(key));
    entry.perf = held.perf;
    entry.ord = held.ord;
    entry.stock = m_model.stockAt(row);
    EntryEdits edits(db, m_frame.prompt());
    if (picked >= 0 && picked < m_pickIds.size())
        return edits.drawStock(entry, m_pickIds[picked]);
    bool ok = false;
    const quint32 added = edits.typedStock(entry.stock, column == RunPerfModel::StockBib, text, &ok);
    if (ok && added == 0) {
        m_model.refreshAll(); // the drawn animal was renamed, for every entry that drew it
        return true;
    }
    return ok && edits.drawStock(entry, added);
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
        if (newRow) {
            // A team starts from its members: the name waits for the first.
            m_model.setNewTeamName(text.left(EntryEdits::TeamNameLimit));
            return true;
        }
        team.name = text.left(EntryEdits::TeamNameLimit);
    } else if (column >= RunPerfModel::MemberBib1 && column < RunPerfModel::TeamFiller) {
        if (newRow)
            team.name = m_model.newTeamName();
        EntryEdits edits(db, m_frame.prompt());
        const int member = (column - RunPerfModel::MemberBib1) / 3;
        const auto field = EntryEdits::Field((column - RunPerfModel::MemberBib1) % 3);
        const quint32 pickedId = picked >= 0 && picked < m_pickIds.size() ? m_pickIds[picked] : 0;
        const quint32 before = member == 0 ? team.plrId1 : member == 1 ? team.plrId2 : team.plrId3;
        if (!edits.setTeamMember(team, member, field, text, pickedId))
            return false;
        const quint32 after = member == 0 ? team.plrId1 : member == 1 ? team.plrId2 : team.plrId3;
        if (before == after && !newRow)
            return true; // the member's own record changed
    } else {
        return false;
    }
    if (!newRow)
        return db.UpdateTeam(team);
    int decision = 0;
    if ((!db.AddTeam(team, decision) && team.tmId == 0) || !addEntry(team.tmId, true) || !change->commit())
        return false;
    m_model.setNewTeamName(QString());
    entryAdded();
    return true;
}

QStringList EntryListEditor::pickList(const QModelIndex& index)
{
    EntryEdits edits(m_frame.database(), m_frame.prompt());
    const int column = index.column();
    const bool stock =
        !m_model.isTeam() && (column == RunPerfModel::StockBib || column == RunPerfModel::StockName);
    EntryEdits::PickList list;
    if (stock) {
        list = edits.stock(column == RunPerfModel::StockBib);
    } else {
        // Contestants, by the column being edited.
        const int field =
            m_model.isTeam() ? (column - RunPerfModel::MemberBib1) % 3 : column - RunPerfModel::Bib;
        list = edits.contestants(EntryEdits::Field(field));
    }
    m_pickIds = list.ids;
    return list.items;
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
                return c == RunPerfModel::TeamName
                           ? EntryEdits::TeamNameLimit
                           : EntryEdits::limitOf(EntryEdits::Field((c - RunPerfModel::MemberBib1) % 3));
            if (c == RunPerfModel::StockBib || c == RunPerfModel::Bib)
                return 5;
            return 15;
        },
        this);
    list.setItemDelegate(delegate);
}
