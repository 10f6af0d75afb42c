#include "dialogunits.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace DialogUnits {

int toPixelsX(const QWidget* widget, int units)
{
    return units * QFontMetrics(widget->font()).averageCharWidth() / 4;
}

int toPixelsY(const QWidget* widget, int units)
{
    return units * QFontMetrics(widget->font()).height() / 8;
}

void setColumnWidths(QTableView* table, const int* units, int count)
{
    // Never narrower than the column's title.
    for (int c = 0; c < count; ++c)
        table->setColumnWidth(c, qMax(toPixelsX(table, units[c]), table->horizontalHeader()->sectionSizeHint(c)));
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(QFontMetrics(table->font()).height() + 8);
}

void fitHeightToRows(QTableView* table, int rows)
{
    // The header may not be laid out yet: its height follows from the font.
    const int header = table->horizontalHeader()->isHidden()
                           ? 0
                           : qMax(table->horizontalHeader()->sizeHint().height(),
                                  QFontMetrics(table->horizontalHeader()->font()).height() + 10);
    const int height = header + rows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth();
    table->setFixedHeight(height);
}

} // namespace DialogUnits
