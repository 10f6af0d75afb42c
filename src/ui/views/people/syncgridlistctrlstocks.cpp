#include "syncgridlistctrlstocks.h"

#include "app/textnumber.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "entryviewlayout.h"
#include "recordgridmodel.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

namespace {

const QVector<RecordGridModel::Column> kColumns = {
    {"", 15, 0},    {"Bib", 50, 5},   {"Name", 75, 20}, {"Home Town", 150, 25}, {"Stock Contractor", 75, 31},
    {"Age", 50, 2}, {"Weight", 50, 4}};

} // namespace

CSyncGridListCtrlStocks::CSyncGridListCtrlStocks(CMainFrame& frame, QWidget* parent)
    : QTableView(parent), m_frame(frame),
      m_model(new RecordGridModel(
          kColumns, [this](quint32 id, int column) { return text(id, column); }, this))
{
    setObjectName(QStringLiteral("CSyncGridListCtrlStocks"));
    setModel(m_model);
    m_model->setEditHandler(
        [this](int row, int column, const QString& typed, int) { return editCell(row, column, typed); });
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    // Widths are fitted once, to the first rows the grid shows: a sort or a
    // refresh keeps them, and costs no measuring.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this, fitted = false]() mutable {
        if (fitted || m_model->recordCount() == 0)
            return;
        fitted = true;
        QVector<int> widths;
        for (const RecordGridModel::Column& c : kColumns)
            widths << c.width;
        fitGridColumns(*this, widths);
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CSyncGridListCtrlStocks::sortByColumn);
    setItemDelegate(new TextOrComboDelegate(
        [](const QModelIndex& index) { return index.column() == Contractor; },
        [this](const QModelIndex&) {
            QStringList names;
            m_frame.database().GetContractors(names);
            return names;
        },
        [](const QModelIndex& index) { return kColumns.value(index.column()).limit; }, this));
}

QString CSyncGridListCtrlStocks::text(quint32 id, int column) const
{
    CDatabaseManager& db = m_frame.database();
    const StockRec* s = db.stock().find(id);
    if (!s)
        return QString();
    switch (column) {
    case Bib:
        return s->bib;
    case Name:
        return s->name;
    case HomeTown:
        return s->homeTown;
    case Contractor: {
        if (s->coId == 0)
            return QString();
        ContractorRec c;
        c.coId = s->coId;
        return db.GetContractor(c) ? c.name : QString();
    }
    case Age:
        return QString::number(s->age);
    case Weight:
        return QString::number(s->weight);
    default:
        return QString();
    }
}

quint32 CSyncGridListCtrlStocks::idAt(int row) const
{
    return m_model->idAt(row);
}

int CSyncGridListCtrlStocks::sortKeyOf(int column)
{
    // Marker: name; bib, name, home town with case ignored; the contractor by
    // its identity; age and weight as numbers.
    static const int keys[] = {3, 2, 3, 4, 7, 5, 6};
    return column >= 0 && column < 7 ? keys[column] : 3;
}

void CSyncGridListCtrlStocks::writeRows()
{
    QVector<quint32> ids;
    const StockList& all = m_frame.database().stock();
    ids.reserve(all.size());
    for (const StockRec& s : all)
        ids.append(s.stId);
    m_model->setIds(std::move(ids));
}

void CSyncGridListCtrlStocks::refresh()
{
    m_frame.database().SortStock(3);
    horizontalHeader()->setSortIndicatorShown(false);
    writeRows();
}

void CSyncGridListCtrlStocks::sortByColumn(int column)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_frame.database().SortStock(sortKeyOf(column));
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    writeRows();
    QApplication::restoreOverrideCursor();
}

void CSyncGridListCtrlStocks::selectLater(int row)
{
    // After the cell's editor has closed: moving the current cell while it
    // is open would hand the editor's text over a second time.
    QTimer::singleShot(0, this, [this, row] { selectRow(row); });
}

void CSyncGridListCtrlStocks::selectRow(int row)
{
    const QModelIndex first = m_model->index(row, Bib);
    setCurrentIndex(first);
    scrollTo(first);
    setFocus();
}

quint32 CSyncGridListCtrlStocks::contractorNamed(const QString& name)
{
    CDatabaseManager& db = m_frame.database();
    ContractorRec c;
    c.name = name;
    if (db.GetContractor(c))
        return c.coId;
    c = ContractorRec();
    c.name = name;
    return db.AddContractor(c) ? c.coId : 0;
}

bool CSyncGridListCtrlStocks::editCell(int row, int column, const QString& typed)
{
    CDatabaseManager& db = m_frame.database();
    StockRec animal;
    if (!m_model->isNewRow(row)) {
        const StockRec* held = db.stock().find(m_model->idAt(row));
        if (!held)
            return false;
        animal = *held;
    }
    // A new contractor and the animal that names it are one change.
    CDatabaseManager::WriteScope change(db);
    if (!change.isActive())
        return false;
    switch (column) {
    case Bib:
        animal.bib = typed.left(5);
        break;
    case Name:
        animal.name = typed.left(20);
        break;
    case HomeTown:
        animal.homeTown = typed.left(25);
        break;
    case Contractor:
        animal.coId = typed.isEmpty() ? 0 : contractorNamed(typed);
        break;
    case Age:
        animal.age = static_cast<quint8>(qBound(0, leadingInt(typed), 255));
        break;
    case Weight:
        animal.weight = static_cast<quint32>(qMax(0, leadingInt(typed)));
        break;
    default:
        return false;
    }
    if (m_model->isNewRow(row)) {
        if (!db.AddStock(animal) || !change.commit())
            return false;
        m_model->insertId(row, animal.stId);
        selectLater(row);
        return true;
    }
    return db.UpdateStock(animal) && change.commit();
}

void CSyncGridListCtrlStocks::deleteRow(int row)
{
    const quint32 id = m_model->idAt(row);
    if (id == 0)
        return;
    CDatabaseManager& db = m_frame.database();
    if (db.StockUsed(id)) {
        m_frame.prompt().inform(QStringLiteral("The stock is in use in rodeo, deletion ia aborted!"));
        return;
    }
    // Refused also for an animal a timed result was marked on.
    if (!db.DeleteStock(id)) {
        m_frame.prompt().inform(QStringLiteral("Deleting the stock failed!"));
        return;
    }
    m_model->removeId(row);
}

void CSyncGridListCtrlStocks::contextMenuEvent(QContextMenuEvent* event)
{
    // A click arrives through the viewport, in its coordinates; the menu key
    // acts on the current row.
    const QModelIndex index =
        event->reason() == QContextMenuEvent::Keyboard ? currentIndex() : indexAt(event->pos());
    if (!index.isValid())
        return;
    const int row = index.row();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("Stock Context"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Delete"), this, [this, row] { deleteRow(row); });
    menu->popup(event->globalPos());
}

int CSyncGridListCtrlStocks::findRowCount() const
{
    return m_model->recordCount();
}

QString CSyncGridListCtrlStocks::findText(int row, int field) const
{
    return text(m_model->idAt(row), field + 1);
}

void CSyncGridListCtrlStocks::showFound(int row)
{
    const QModelIndex first = m_model->index(row, Bib);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
}

void CSyncGridListCtrlStocks::addFound(const QString& bib, const QString& name, const QString& homeTown)
{
    if (bib.size() > 5 || name.size() > 20 || homeTown.size() > 25)
        m_frame.prompt().inform(QStringLiteral("The Data Enter Is Too Long, Truncated!"));
    StockRec animal;
    animal.bib = bib.left(5);
    animal.name = name.left(20);
    animal.homeTown = homeTown.left(25);
    if (!m_frame.database().AddStock(animal))
        return; // an identical animal is there already, or the add failed
    const int row = m_model->recordCount();
    m_model->insertId(row, animal.stId);
    selectRow(row);
}
