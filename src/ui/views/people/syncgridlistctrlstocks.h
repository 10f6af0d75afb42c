#pragma once

#include "ui/bars/dlgbarfindplr.h"

#include <QTableView>

class CMainFrame;
class RecordGridModel;

// The grid of Stock Entry: every animal of the season in the collection's
// order, edited in place and saved at once, the new-entry row last; the
// contractor cell picks or names a stock contractor. A click on a column
// title sorts the collection itself. Owns its Find bar's search and "Add".
// User-interface thread only.
class CSyncGridListCtrlStocks : public QTableView, public FindBarOwner
{
    Q_OBJECT
public:
    enum Column { Marker, Bib, Name, HomeTown, Contractor, Age, Weight };

    explicit CSyncGridListCtrlStocks(CMainFrame& frame, QWidget* parent = nullptr);

    void refresh();
    void sortByColumn(int column);
    bool editCell(int row, int column, const QString& text);
    void deleteRow(int row);

    RecordGridModel* gridModel() const { return m_model; }
    quint32 idAt(int row) const;
    static int sortKeyOf(int column);

    int findRowCount() const override;
    QString findText(int row, int field) const override;
    void showFound(int row) override;
    void addFound(const QString& bib, const QString& name, const QString& homeTown) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString text(quint32 id, int column) const;
    void writeRows();
    void selectRow(int row);
    void selectLater(int row);
    // The contractor named by a typed text: found, or added; 0 for none.
    quint32 contractorNamed(const QString& name);

    CMainFrame& m_frame;
    RecordGridModel* m_model;
};
