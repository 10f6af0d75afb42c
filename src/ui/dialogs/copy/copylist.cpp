#include "copylist.h"

#include "ui/views/people/entryviewlayout.h"

#include <QStyledItemDelegate>

#include <QColor>
#include <QHeaderView>
#include <QKeyEvent>

CopyListModel::CopyListModel(QVector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
}

void CopyListModel::setRows(QVector<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CopyListModel::setStates(State ticked, State copied)
{
    m_ticked = std::move(ticked);
    m_copied = std::move(copied);
}

void CopyListModel::rowsChanged()
{
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int CopyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CopyListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CopyListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const bool ticked = m_ticked && m_ticked(row);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return ticked ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        return m_rows[row].value(index.column() - 1);
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return ticked ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    case Qt::BackgroundRole:
        if (m_copied && m_copied(row))
            return QColor(176, 172, 173);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CopyListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_columns.size())
        return QVariant();
    return QString::fromLatin1(m_columns[section].title);
}

namespace {

// The tick cell: its "TRUE" or "FALSE" is drawn as the check box alone.
class TickDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text.clear();
        option->features &= ~QStyleOptionViewItem::HasDisplay;
    }
};

} // namespace

CopyGrid::CopyGrid(QVector<CopyListModel::Column> columns, QWidget* parent)
    : QTableView(parent), m_model(new CopyListModel(columns, this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setItemDelegateForColumn(0, new TickDelegate(this));
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        QVector<int> widths;
        for (const CopyListModel::Column& c : m_model->columns())
            widths << c.width;
        fitGridColumns(*this, widths);
    });
    for (int c = 0; c < columns.size(); ++c)
        setColumnWidth(c, columns[c].width);
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit toggleRequested(index.row());
    });
}

void CopyGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
        emit toggleRequested(currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(event);
}

int CopyGrid::findRowCount() const
{
    return m_model->rowCount();
}

QString CopyGrid::findText(int row, int field) const
{
    return m_model->rows().value(row).value(field);
}

void CopyGrid::showFound(int row)
{
    const QModelIndex first = m_model->index(row, 1);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
}

CSyncGridListCtrlCopyContestants::CSyncGridListCtrlCopyContestants(QWidget* parent)
    : CopyGrid({{"Copy", 50},
                {"Bib", 50},
                {"First Name", 75},
                {"Last Name", 75},
                {"Home Town", 150},
                {"Year", 75},
                {"Last Year Earnings", 50},
                {"This Year Earnings", 50},
                {"Miscellaneous", 150}},
               parent)
{
    setObjectName(QStringLiteral("CSyncGridListCtrlCopyContestants"));
}

CSyncGridListCtrlCopyStocks::CSyncGridListCtrlCopyStocks(QWidget* parent)
    : CopyGrid({{"", 15},
                {"Bib", 50},
                {"Name", 75},
                {"Home Town", 150},
                {"Stock Contractor", 75},
                {"Age", 50},
                {"Weight", 50}},
               parent)
{
    setObjectName(QStringLiteral("CSyncGridListCtrlCopyStocks"));
}
