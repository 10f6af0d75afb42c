#include "recordgridview.h"

#include "entryviewlayout.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

RecordGridView::RecordGridView(QVector<RecordGridModel::Column> columns, RecordGridModel::Text text,
                               QString menuName, QWidget* parent)
    : QTableView(parent), m_model(new RecordGridModel(columns, text, this)), m_text(std::move(text)),
      m_menuName(std::move(menuName))
{
    setModel(m_model);
    m_model->setEditHandler(
        [this](int row, int column, const QString& typed, int) { return editCell(row, column, typed); });
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows of one height: the list lays out thousands of rows without
    // measuring them.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    // Widths are fitted once, to the first rows the grid shows: a sort or a
    // refresh keeps them, and costs no measuring.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this, columns, fitted = false]() mutable {
        if (fitted || m_model->recordCount() == 0)
            return;
        fitted = true;
        QVector<int> widths;
        for (const RecordGridModel::Column& c : columns)
            widths << c.width;
        fitGridColumns(*this, widths);
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RecordGridView::sortByColumn);
}

void RecordGridView::writeRows()
{
    m_model->setIds(collectionIds());
}

void RecordGridView::refresh()
{
    sortCollection(defaultSortKey());
    horizontalHeader()->setSortIndicatorShown(false);
    writeRows();
}

void RecordGridView::sortByColumn(int column)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sortCollection(sortKeyForColumn(column));
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    writeRows();
    QApplication::restoreOverrideCursor();
}

void RecordGridView::selectLater(int row)
{
    // After the cell's editor has closed: moving the current cell while it
    // is open would hand the editor's text over a second time.
    // A Tab from the cell has moved on along the same row meanwhile: the
    // operator is typing the record's next cell, which stays where it is.
    QTimer::singleShot(0, this, [this, row] {
        if (currentIndex().row() != row)
            selectRow(row);
    });
}

void RecordGridView::selectRow(int row)
{
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex first = m_model->index(row, 1);
    setCurrentIndex(first);
    scrollTo(first);
    setFocus();
}

QString RecordGridView::findText(int row, int field) const
{
    const quint32 id = m_model->idAt(row);
    return id ? m_text(id, field + 1) : QString();
}

void RecordGridView::showFound(int row)
{
    const QModelIndex first = m_model->index(row, 1);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
}

void RecordGridView::contextMenuEvent(QContextMenuEvent* event)
{
    // A click arrives through the viewport, in its coordinates; the menu key
    // acts on the current row.
    const QModelIndex index =
        event->reason() == QContextMenuEvent::Keyboard ? currentIndex() : indexAt(event->pos());
    if (!index.isValid())
        return;
    const int row = index.row();
    auto* menu = new QMenu(this);
    menu->setObjectName(m_menuName);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Delete"), this, [this, row] { deleteRow(row); });
    menu->popup(event->globalPos());
}
