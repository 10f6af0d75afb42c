#pragma once

#include <QWidget>

class QAbstractItemModel;
class QItemSelectionModel;
class QSplitter;
class QTableView;

// Two tables showing one model side by side: the columns before the split in
// the left table, the rest in the right one. They share the selection and the
// vertical scroll, so a row is one row across both, and the arrow keys cross
// from one to the other (Right at the left table's last column, Left at the
// right table's first). Cell colours come from the model (BackgroundRole,
// ForegroundRole); cell editors are delegates set on either table.
//
// The model is not owned. User-interface thread only.
class CSyncGridPair : public QWidget
{
    Q_OBJECT
public:
    explicit CSyncGridPair(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model, int splitColumn);
    // Columns before split show in the left table; call after the model's
    // columns changed.
    void setSplitColumn(int splitColumn);
    int splitColumn() const { return m_split; }

    QTableView* left() const { return m_left; }
    QTableView* right() const { return m_right; }
    // The handle between the two tables.
    QSplitter* splitter() const { return m_splitter; }
    QItemSelectionModel* selectionModel() const;

    // The row both tables show as current, -1 for none.
    int currentRow() const;
    void setCurrentRow(int row);
    // The table that had the keyboard focus last.
    QTableView* lastFocused() const { return m_lastFocused; }
    // Widens the shown columns of both tables that the cells of row need;
    // never narrows one. Cheaper than fitting every column to every row
    // again when only one row changed.
    void widenColumnsFor(int row);

signals:
    // A row was chosen by click or arrow key in either table.
    void rowSelected(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySplit();

    QTableView* m_left;
    QTableView* m_right;
    QTableView* m_lastFocused;
    QSplitter* m_splitter;
    QAbstractItemModel* m_model = nullptr;
    int m_split = 0;
};
