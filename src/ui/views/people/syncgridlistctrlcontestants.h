#pragma once

#include "recordgridview.h"

class CMainFrame;

// The grid of Contestant Entry: every contestant of the season in the
// collection's order, each cell edited in place and saved at once, the
// new-entry row last. A click on a column title sorts the collection itself
// (every view reading it then sees that order). Owns its Find bar's "Add".
// User-interface thread only.
class CSyncGridListCtrlContestants : public RecordGridView
{
    Q_OBJECT
public:
    explicit CSyncGridListCtrlContestants(CMainFrame& frame, QWidget* parent = nullptr);

    bool editCell(int row, int column, const QString& text) override;
    void deleteRow(int row) override;

    void addFound(const QString& bib, const QString& first, const QString& last) override;

    // Sort keys of the collection, by column.
    static int sortKeyOf(int column);

signals:
    // The operator entered a cell of this contestant (0: the new-entry row).
    void contestantEntered(quint32 plrId);

protected:
    void sortCollection(int key) override;
    int defaultSortKey() const override { return 4; } // last name, then first name
    int sortKeyForColumn(int column) const override { return sortKeyOf(column); }
    QVector<quint32> collectionIds() const override;

private:
    CMainFrame& m_frame;
};
