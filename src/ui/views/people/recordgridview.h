#pragma once

#include "recordgridmodel.h"
#include "ui/bars/dlgbarfindplr.h"

#include <QTableView>

// A grid over one collection of the season (contestants, animals): a row per
// record in the collection's order and the new-entry row last, each cell edited
// in place and saved at once. A click on a column title sorts the collection
// itself (every view reading it then sees that order). Serves its Find bar's
// search; "Delete" is on the context menu. Subclasses say how the collection
// is read, sorted, edited and deleted from. User-interface thread only.
class RecordGridView : public QTableView, public FindBarOwner
{
    Q_OBJECT
public:
    // The view was shown or asked to reload: the collection in its default
    // order, and every row written again.
    void refresh();
    // A column title clicked: the collection sorted by that column.
    void sortByColumn(int column);
    // A typed text for a cell; false when nothing changed.
    virtual bool editCell(int row, int column, const QString& text) = 0;
    // "Delete" of the context menu, with its refusals.
    virtual void deleteRow(int row) = 0;

    RecordGridModel* gridModel() const { return m_model; }
    quint32 idAt(int row) const { return m_model->idAt(row); }

    int findRowCount() const override { return m_model->recordCount(); }
    // Find bar fields are the grid's columns after the marker.
    QString findText(int row, int field) const override;
    void showFound(int row) override;

protected:
    // menuName names the context menu, for tests that find it.
    RecordGridView(QVector<RecordGridModel::Column> columns, RecordGridModel::Text text, QString menuName,
                   QWidget* parent);

    // Sorts the collection by a key of its own; defaultSortKey() for refresh().
    virtual void sortCollection(int key) = 0;
    virtual int defaultSortKey() const = 0;
    virtual int sortKeyForColumn(int column) const = 0;
    // The collection's record identities in its order.
    virtual QVector<quint32> collectionIds() const = 0;

    void contextMenuEvent(QContextMenuEvent* event) override;
    void writeRows();
    // Makes a row current (none for a negative row) and shows it.
    void selectRow(int row);
    // The same once the cell's editor has closed.
    void selectLater(int row);

    RecordGridModel* m_model;

private:
    RecordGridModel::Text m_text;
    QString m_menuName;
};
