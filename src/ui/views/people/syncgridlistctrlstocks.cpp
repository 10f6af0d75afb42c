#include "syncgridlistctrlstocks.h"

#include "app/textnumber.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "ui/mainframe.h"

namespace {

const QVector<RecordGridModel::Column> kColumns = {
    {"", 15, 0},    {"Bib", 50, 5},    {"Name", 75, 20}, {"Home Town", 150, 25}, {"Stock Contractor", 75, 31},
    {"Age", 50, 2}, {"Weight", 50, 4}, {"Pen", 45, 7},   {"Re-ride", 55, 3},     {"Out", 40, 3}};

const QString kYes = QStringLiteral("Yes");

// A cell's text; a record that is gone shows nothing.
QString stockText(CMainFrame& frame, quint32 id, int column)
{
    CDatabaseManager& db = frame.database();
    const StockRec* s = db.stock().find(id);
    if (!s)
        return QString();
    switch (column) {
    case CSyncGridListCtrlStocks::Bib:
        return s->bib;
    case CSyncGridListCtrlStocks::Name:
        return s->name;
    case CSyncGridListCtrlStocks::HomeTown:
        return s->homeTown;
    case CSyncGridListCtrlStocks::Contractor: {
        if (s->coId == 0)
            return QString();
        ContractorRec c;
        c.coId = s->coId;
        return db.GetContractor(c) ? c.name : QString();
    }
    case CSyncGridListCtrlStocks::Age:
        return QString::number(s->age);
    case CSyncGridListCtrlStocks::Weight:
        return QString::number(s->weight);
    case CSyncGridListCtrlStocks::Pen:
        return s->pen;
    case CSyncGridListCtrlStocks::Reride:
        return s->reride ? kYes : QString();
    case CSyncGridListCtrlStocks::Out:
        return s->out ? kYes : QString();
    default:
        return QString();
    }
}

} // namespace

CSyncGridListCtrlStocks::CSyncGridListCtrlStocks(CMainFrame& frame, QWidget* parent)
    : RecordGridView(
          kColumns, [&frame](quint32 id, int column) { return stockText(frame, id, column); },
          QStringLiteral("Stock Context"), parent),
      m_frame(frame)
{
    setObjectName(QStringLiteral("CSyncGridListCtrlStocks"));
    setItemDelegate(new TextOrComboDelegate(
        [](const QModelIndex& index) {
            return index.column() >= Contractor && index.column() != Age && index.column() != Weight;
        },
        [this](const QModelIndex& index) {
            QStringList items;
            if (index.column() == Contractor) {
                m_frame.database().GetContractors(items);
            } else if (index.column() == Pen) {
                // The events an animal is drawn for: scored events of single riders.
                items << QString();
                for (const EventCfg& e : m_frame.database().events())
                    if (e.isScored() && !e.isTeam())
                        items << e.id;
            } else {
                items << QString() << kYes;
            }
            return items;
        },
        [](const QModelIndex& index) { return kColumns.value(index.column()).limit; }, this));
}

int CSyncGridListCtrlStocks::sortKeyOf(int column)
{
    // Marker: name; bib, name, home town with case ignored; the contractor by
    // its identity; age and weight as numbers.
    static const int keys[] = {3, 2, 3, 4, 7, 5, 6};
    return column >= 0 && column < 7 ? keys[column] : 3; // the draw's marks sort by name
}

QVector<quint32> CSyncGridListCtrlStocks::collectionIds() const
{
    QVector<quint32> ids;
    const StockList& all = m_frame.database().stock();
    ids.reserve(all.size());
    for (const StockRec& s : all)
        ids.append(s.stId);
    return ids;
}

void CSyncGridListCtrlStocks::sortCollection(int key)
{
    m_frame.database().SortStock(key);
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
    case Pen:
        animal.pen = typed.trimmed().toUpper().left(7);
        break;
    case Reride:
        animal.reride = typed.trimmed().compare(kYes, Qt::CaseInsensitive) == 0;
        break;
    case Out:
        animal.out = typed.trimmed().compare(kYes, Qt::CaseInsensitive) == 0;
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
