#pragma once

#include "db/records.h"

#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>

class CMainFrame;
class QTableView;
class QWidget;
class RunPerfModel;

// The editing of the contestant and team lists that Run Performance and Box
// Entry share: a contestant's bib and names, the drawn animal, a team's name
// and members, and the empty last row, which enters a competitor at the
// model's go-round and performance (the operator's questions and the
// "Resolve Performance Entry" dialog included). Every change goes to the
// database manager through the main window. User-interface thread only.
class EntryListEditor : public QObject
{
    Q_OBJECT
public:
    // list: the left table of the view, which gets the cell editors;
    // dialogParent: the window the questions belong to.
    EntryListEditor(CMainFrame& frame, RunPerfModel& model, QTableView& list, QWidget& dialogParent);

    // Called after a competitor was entered, so that the view shows it.
    void setEntryAdded(std::function<void()> entryAdded) { m_entryAdded = std::move(entryAdded); }

    bool editCell(int row, int column, const QString& text, int picked);
    // A contestant typed as bib and names: after the same-name question,
    // added to the season and entered where the model's entries are. One
    // change: when the entry is not made the contestant is not kept either.
    // On success typed holds the new contestant's identity.
    bool addTypedContestant(ContestantRec& typed);

private:
    bool editContestant(int row, int column, const QString& text, int picked);
    bool editStock(int row, int column, const QString& text, int picked);
    bool editTeam(int row, int column, const QString& text, int picked);
    bool addEntry(quint32 ptId, bool team);
    void entryAdded();
    QStringList pickList(const QModelIndex& index);
    void setUpEditors(QTableView& list);

    CMainFrame& m_frame;
    RunPerfModel& m_model;
    QWidget& m_dialogParent;
    std::function<void()> m_entryAdded;
    // The ids behind the items of the drop-down open now.
    QVector<quint32> m_pickIds;
};
