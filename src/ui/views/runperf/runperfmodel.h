#pragma once

#include "db/records.h"
#include "framework/handlereditmodel.h"
#include "results/resultrecord.h"

#include <QVector>

class CDatabaseManager;

// The entries of one performance in running order, as the Run Performance
// view lists them: the competitor's columns (contestant, or team and members),
// the overall result and the animal on the left, one result column per
// go-round (and the final, once it holds entries) on the right, and an empty
// last row for a new entry. Texts come from the database manager's working
// copy and the current event's standings when a row is shown; nothing is
// copied but the keys. User-interface thread only.
class RunPerfModel : public HandlerEditModel
{
    Q_OBJECT
public:
    // Columns of the left part.
    enum IndividualColumn { Marker, Bib, FirstName, LastName, Total, StockBib, StockName, IndividualFiller };
    enum TeamColumn { TeamMarker, TeamName, TeamTotal, MemberBib1, TeamFiller = MemberBib1 + 9 };

    explicit RunPerfModel(CDatabaseManager& db, QObject* parent = nullptr);

    // The entries of a performance; an unknown event empties the model.
    // Performance 0: every entry of the event, whatever its performance, by
    // name (contestants by last and first name, teams by team name), with
    // the animals drawn for goRound.
    void load(const QString& eventId, int goRound, int perf);
    // Box Entry: result cells that are typed into (the view gives them their
    // editor) and that keep the list's plain colours.
    void setResultsEditable(bool editable) { m_resultsEditable = editable; }
    // Texts again for every row (after a save, a new animal, ...), keeping the rows.
    void refreshAll();
    QString eventId() const { return m_eventId; }
    int goRound() const { return m_goRound; }
    int performance() const { return m_perf; }
    bool isTeam() const { return m_team; }
    bool isScored() const { return m_scored; }

    int leftColumnCount() const { return m_team ? TeamFiller + 1 : IndividualFiller + 1; }
    // The go-round a column shows the results of, 0 for the other columns.
    int goRoundOfColumn(int column) const;
    int columnOfGoRound(int goRound) const;
    EntryKey keyAt(int row) const;
    int rowOf(EntryKey key) const;
    bool isNewRow(int row) const { return row == int(m_rows.size()); }
    // The name typed into the new team row before its first member: the team
    // is made with it when a member is given.
    void setNewTeamName(const QString& name);
    QString newTeamName() const { return m_newTeamName; }
    int runningOrderAt(int row) const;
    quint16 stockAt(int row) const;

    // The rows the view paints apart: the entry the database manager holds as
    // current (white on black) and the one the displays show (green).
    void setHighlight(EntryKey current, EntryKey displayed);

    // Editing a cell is the view's (it asks questions): see HandlerEditModel.

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row
    {
        EntryKey key = 0;
        int ord = 0;
    };
    void loadWholeEvent(const class RegEntryCollection& entries);
    QString leftText(int row, int column) const;
    QString resultText(EntryKey key, int goRound) const;
    const ResultRecord* resultAt(EntryKey key, int goRound) const;
    QVariant colour(int row, int column, bool background) const;
    bool isEditable(int row, int column) const;

    CDatabaseManager& m_db;
    QString m_eventId;
    int m_goRound = 0;
    int m_perf = 0;
    int m_goRounds = 0;
    bool m_hasFinal = false;
    bool m_team = false;
    QString m_newTeamName;
    bool m_scored = true;
    bool m_fraction = false;
    QString m_precision;
    QVector<Row> m_rows;
    EntryKey m_current = 0;
    EntryKey m_displayed = 0;
    int m_pendingChoice = -1;
    bool m_resultsEditable = false;
    EditHandler m_edit;
};
