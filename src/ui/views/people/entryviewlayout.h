#pragma once

#include <QPushButton>
#include <QHeaderView>
#include <QTableView>
#include <QVector>
#include <QWidget>

// The layout of Contestant Entry and Stock Entry, redone at every resize: the
// Find bar at the top, its left edge 100 pixels left of the middle (5 pixels
// from the left edge in a view of at most 200); the copy button 300 pixels to
// the right of the bar's left edge, 105 pixels from the top; the grid below
// both, filling the rest with margins of 5 on the left and 12 on the right
// and at the bottom.
inline void layOutEntryView(const QWidget& view, QWidget& findBar, QPushButton& copy, QTableView& grid)
{
    const int width = view.width();
    const int left = width <= 200 ? 5 : width / 2 - 100;
    const QSize bar = findBar.sizeHint();
    findBar.setGeometry(left, 5, bar.width(), bar.height());
    const QSize button = copy.sizeHint();
    copy.setGeometry(left + 300, 105, qMax(button.width(), 100), button.height());
    const int top = qMax(5 + bar.height(), 105 + button.height()) + 8;
    grid.setGeometry(5, top, qMax(0, width - 5 - 12), qMax(0, view.height() - top - 12));
}

// Column widths of an entry or copy grid: the width each column is given, or
// more when its title or the texts of its first rows need it (only a few
// rows are measured, so a grid of thousands sizes at once).
inline void fitGridColumns(QTableView& grid, const QVector<int>& widths)
{
    constexpr int measuredRows = 40;
    grid.verticalHeader()->setResizeContentsPrecision(measuredRows);
    const QAbstractItemView& view = grid; // the table's measure is public through its base
    for (int c = 0; c < widths.size(); ++c) {
        const int title = grid.horizontalHeader()->sectionSizeHint(c);
        grid.setColumnWidth(c, qMax(widths[c], qMax(title, view.sizeHintForColumn(c))));
    }
}
