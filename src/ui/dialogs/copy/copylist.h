#pragma once

#include "ui/bars/dlgbarfindplr.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QTableView>
#include <QVector>
#include <functional>

// The rows of another season's table as the copy dialogs list them: a tick
// cell ("TRUE" or "FALSE", drawn as a check box) and the row's texts. Rows
// already copied are drawn grey. Read-only but for the tick.
class CopyListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        const char* title;
        int width;
    };
    CopyListModel(QVector<Column> columns, QObject* parent = nullptr);

    // Each row: the texts of columns 1 and on.
    void setRows(QVector<QStringList> rows);
    const QVector<QStringList>& rows() const { return m_rows; }
    // Ticks and grey rows, by row number.
    using State = std::function<bool(int row)>;
    void setStates(State ticked, State copied);
    void rowsChanged();
    const QVector<Column>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<Column> m_columns;
    QVector<QStringList> m_rows;
    State m_ticked;
    State m_copied;
};

// The list of a copy dialog with its Find bar's search (columns 1 to 3). A
// click on any cell of a row, or Space, toggles the row's tick.
class CopyGrid : public QTableView, public FindBarOwner
{
    Q_OBJECT
public:
    CopyGrid(QVector<CopyListModel::Column> columns, QWidget* parent = nullptr);
    CopyListModel* listModel() const { return m_model; }

    int findRowCount() const override;
    QString findText(int row, int field) const override;
    void showFound(int row) override;
    void addFound(const QString&, const QString&, const QString&) override {}

signals:
    void toggleRequested(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CopyListModel* m_model;
};

// "Copy Contestants": Copy, Bib, First Name, Last Name, Home Town, Year,
// Last Year Earnings, This Year Earnings, Miscellaneous.
class CSyncGridListCtrlCopyContestants : public CopyGrid
{
    Q_OBJECT
public:
    explicit CSyncGridListCtrlCopyContestants(QWidget* parent = nullptr);
};

// "Copy Stocks": the tick, Bib, Name, Home Town, Stock Contractor (always
// empty: contractors are not copied), Age, Weight.
class CSyncGridListCtrlCopyStocks : public CopyGrid
{
    Q_OBJECT
public:
    explicit CSyncGridListCtrlCopyStocks(QWidget* parent = nullptr);
};
