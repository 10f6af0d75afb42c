#pragma once

#include "recordgridview.h"

class CMainFrame;

// The grid of Stock Entry: every animal of the season in the collection's
// order, edited in place and saved at once, the new-entry row last; the
// contractor cell picks or names a stock contractor; the pen cell picks the
// event the animal is drawn for, and two cells mark it kept for re-rides or
// out (injured). A click on a column
// title sorts the collection itself. Owns its Find bar's "Add".
// User-interface thread only.
class CSyncGridListCtrlStocks : public RecordGridView
{
    Q_OBJECT
public:
    // Pen, Reride and Out mark the animals for the draw.
    enum Column { Marker, Bib, Name, HomeTown, Contractor, Age, Weight, Pen, Reride, Out };

    explicit CSyncGridListCtrlStocks(CMainFrame& frame, QWidget* parent = nullptr);

    bool editCell(int row, int column, const QString& text) override;
    void deleteRow(int row) override;
    static int sortKeyOf(int column);

    void addFound(const QString& bib, const QString& name, const QString& homeTown) override;

protected:
    void sortCollection(int key) override;
    int defaultSortKey() const override { return 3; }
    int sortKeyForColumn(int column) const override { return sortKeyOf(column); }
    QVector<quint32> collectionIds() const override;

private:
    // The contractor named by a typed text: found, or added; 0 for none.
    quint32 contractorNamed(const QString& name);

    CMainFrame& m_frame;
};
