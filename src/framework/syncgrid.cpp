#include "syncgrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>

namespace {

QTableView* makeTable(QWidget* parent, const char* name)
{
    auto* t = new QTableView(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    t->verticalHeader()->hide();
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setWordWrap(false);
    t->horizontalHeader()->setHighlightSections(false);
    return t;
}

} // namespace

CSyncGridPair::CSyncGridPair(QWidget* parent)
    : QWidget(parent), m_left(makeTable(this, "leftList")), m_right(makeTable(this, "rightList")),
      m_lastFocused(m_left)
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->addWidget(m_left);
    m_splitter->addWidget(m_right);
    m_splitter->setChildrenCollapsible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    // One scroll position for both: the left table's bar is the one shown.
    m_right->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_left->verticalScrollBar(), &QScrollBar::valueChanged, m_right->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_right->verticalScrollBar(), &QScrollBar::valueChanged, m_left->verticalScrollBar(),
            &QScrollBar::setValue);
    for (QTableView* t : {m_left, m_right}) {
        t->installEventFilter(this);
        t->viewport()->installEventFilter(this);
    }
}

void CSyncGridPair::setModel(QAbstractItemModel* model, int splitColumn)
{
    m_model = model;
    m_left->setModel(model);
    m_right->setModel(model);
    // The selection is the model's, shared by both tables.
    QItemSelectionModel* shared = m_left->selectionModel();
    QItemSelectionModel* own = m_right->selectionModel();
    m_right->setSelectionModel(shared);
    delete own;
    connect(shared, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit rowSelected(current.isValid() ? current.row() : -1); });
    m_split = splitColumn;
    applySplit();
}

void CSyncGridPair::setSplitColumn(int splitColumn)
{
    m_split = splitColumn;
    applySplit();
}

void CSyncGridPair::applySplit()
{
    const int columns = m_model ? m_model->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        m_left->setColumnHidden(c, c >= m_split);
        m_right->setColumnHidden(c, c < m_split);
    }
}

QItemSelectionModel* CSyncGridPair::selectionModel() const
{
    return m_left->selectionModel();
}

int CSyncGridPair::currentRow() const
{
    const QModelIndex current = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    return current.isValid() ? current.row() : -1;
}

void CSyncGridPair::widenColumnsFor(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    for (QTableView* t : {m_left, m_right}) {
        for (int c = 0; c < m_model->columnCount(); ++c) {
            if (t->isColumnHidden(c))
                continue;
            const int wanted = t->sizeHintForIndex(m_model->index(row, c)).width();
            if (wanted > t->columnWidth(c))
                t->setColumnWidth(c, wanted);
        }
    }
}

void CSyncGridPair::setCurrentRow(int row)
{
    if (!m_model || !selectionModel())
        return;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const int column = m_lastFocused == m_right ? m_split : 0;
    selectionModel()->setCurrentIndex(m_model->index(row, qMin(column, m_model->columnCount() - 1)),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool CSyncGridPair::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == m_left || watched == m_right))
        m_lastFocused = static_cast<QTableView*>(watched);
    if (event->type() != QEvent::KeyPress || !m_model || (watched != m_left && watched != m_right))
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* table = static_cast<QTableView*>(watched);
    const QModelIndex current = table->currentIndex();
    if (!current.isValid() || key->modifiers() != Qt::NoModifier)
        return QWidget::eventFilter(watched, event);
    // Crossing between the tables at the split.
    int lastLeft = m_split - 1;
    while (lastLeft > 0 && m_left->isColumnHidden(lastLeft))
        --lastLeft;
    if (key->key() == Qt::Key_Right && table == m_left && current.column() >= lastLeft &&
        m_split < m_model->columnCount()) {
        m_right->setFocus(Qt::OtherFocusReason);
        m_right->setCurrentIndex(m_model->index(current.row(), m_split));
        return true;
    }
    if (key->key() == Qt::Key_Left && table == m_right && current.column() <= m_split && m_split > 0) {
        m_left->setFocus(Qt::OtherFocusReason);
        m_left->setCurrentIndex(m_model->index(current.row(), qMax(lastLeft, 0)));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
