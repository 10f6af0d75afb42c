#pragma once

#include "db/records.h"
#include "framework/handlereditmodel.h"
#include "setup/entryrows.h"

#include <QVector>

class CDatabaseManager;

// The Performance Entry lists as one model: the competitor columns (a
// contestant's bib and names, or a team and its members; at a performance
// node the running order there; at go-round and performance nodes the
// animal drawn) before the split, then the entry counts per event, the place
// in each go-round of the selected event ("P%d-%d") and the running order in
// each performance of the selected go-round (highest first). Rows are keys;
// texts are read from the database manager's working copy when a row is
// shown. An empty last row takes a new competitor. User-interface thread only.
class RegEntryModel : public HandlerEditModel
{
    Q_OBJECT
public:
    enum class Kind {
        Marker,
        Bib,
        FirstName,
        LastName,
        RunningOrder, // of the selected performance
        StockBib,
        StockName,
        TeamName,
        MemberBib,
        MemberFirstName,
        MemberLastName,
        EventCount, // number: event index
        GoPlace,    // number: go-round
        PerfOrder,  // number: performance
        Filler
    };
    struct Column
    {
        Kind kind;
        int number = 0; // event index, go-round, performance or member (0..2)
    };

    explicit RegEntryModel(CDatabaseManager& db, QObject* parent = nullptr);

    // The rows and columns for a node and list mode. performances: the
    // selected go-round's performance count (go-round and performance nodes).
    void load(const EntryRows::Selection& selection, int performances);
    // Texts again, keeping the rows.
    void refreshAll();
    const EntryRows::Selection& selection() const { return m_sel; }
    // The go-round the lists show (go-round 1 at an event node).
    int goRound() const { return m_sel.goRound > 0 ? m_sel.goRound : 1; }
    int splitColumn() const { return m_split; }
    const Column& column(int c) const { return m_columns[c]; }
    int columnOf(Kind kind, int number = 0) const;

    EntryKey keyAt(int row) const;
    bool isEntered(int row) const;
    bool isNewRow(int row) const { return row == int(m_rows.size()) && m_hasNewRow; }
    // The name typed into the new team row before its first member: the team
    // is made with it when a member is given.
    void setNewTeamName(const QString& name)
    {
        m_newTeamName = name;
        const int row = int(m_rows.size());
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    QString newTeamName() const { return m_newTeamName; }
    int rowOf(EntryKey key) const;
    // The entry of the row in the shown go-round of the selected event, as
    // the database manager holds it (go-round, performance, order, animal).
    RegEntry entryAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString text(int row, const Column& column) const;
    bool isEditable(int row, const Column& column) const;

    CDatabaseManager& m_db;
    EntryRows::Selection m_sel;
    QVector<Column> m_columns;
    QVector<EntryRows::Row> m_rows;
    int m_split = 0;
    bool m_hasNewRow = false;
    QString m_newTeamName;
};
