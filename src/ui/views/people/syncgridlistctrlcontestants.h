#pragma once

#include "ui/bars/dlgbarfindplr.h"

#include <QTableView>

class CMainFrame;
class RecordGridModel;

// The grid of Contestant Entry: every contestant of the season in the
// collection's order, each cell edited in place and saved at once, the
// new-entry row last. A click on a column title sorts the collection itself
// (every view reading it then sees that order). Owns its Find bar's search
// and "Add". User-interface thread only.
class CSyncGridListCtrlContestants : public QTableView, public FindBarOwner
{
    Q_OBJECT
public:
    explicit CSyncGridListCtrlContestants(CMainFrame& frame, QWidget* parent = nullptr);

    // The view was shown or asked to reload: last name, then first name, and
    // every row written again.
    void refresh();
    // A column title clicked: the collection sorted by that column.
    void sortByColumn(int column);
    // A typed text for a cell; false when nothing changed.
    bool editCell(int row, int column, const QString& text);
    // "Delete" of the context menu, with its refusals.
    void deleteRow(int row);

    RecordGridModel* gridModel() const { return m_model; }
    quint32 idAt(int row) const;

    int findRowCount() const override;
    QString findText(int row, int field) const override;
    void showFound(int row) override;
    void addFound(const QString& bib, const QString& first, const QString& last) override;

    // Sort keys of the collection, by column.
    static int sortKeyOf(int column);

signals:
    // The operator entered a cell of this contestant (0: the new-entry row).
    void contestantEntered(quint32 plrId);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void writeRows();
    void selectRow(int row);
    void selectLater(int row);

    CMainFrame& m_frame;
    RecordGridModel* m_model;
};
