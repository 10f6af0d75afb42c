#pragma once

class QTableView;
class QWidget;

// Sizes given in dialog units (a quarter of the average character width
// across, an eighth of the character height down) turned into pixels of the
// widget's own font, so lists keep their proportions at any font size.
namespace DialogUnits {

int toPixelsX(const QWidget* widget, int units);
int toPixelsY(const QWidget* widget, int units);

// Column widths of a list in dialog units, with compact one-line rows.
void setColumnWidths(QTableView* table, const int* units, int count);
// A list exactly tall enough for its header and the given number of rows.
void fitHeightToRows(QTableView* table, int rows);

} // namespace DialogUnits
