#include "syncgridlistctrlcontestants.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "ui/mainframe.h"

namespace {

const QVector<RecordGridModel::Column> kColumns = {{"", 20, 0},
                                                   {"Bib", 30, 5},
                                                   {"First Name", 100, 15},
                                                   {"Last Name", 100, 15},
                                                   {"Home Town", 150, 25},
                                                   {"Year", 100, 10},
                                                   {"Last Year Earnings", 50, 10},
                                                   {"This Year Earnings", 50, 10},
                                                   {"Miscellaneous", 150, 21}};

QString fieldOf(const ContestantRec& c, int column)
{
    switch (column) {
    case 1:
        return c.bib;
    case 2:
        return c.firstName;
    case 3:
        return c.lastName;
    case 4:
        return c.homeTown;
    case 5:
        return c.year;
    case 6:
        return c.earnLast;
    case 7:
        return c.earnCur;
    case 8:
        return c.misc;
    default:
        return QString();
    }
}

void setField(ContestantRec& c, int column, const QString& text)
{
    QString* fields[] = {nullptr, &c.bib,      &c.firstName, &c.lastName, &c.homeTown,
                         &c.year, &c.earnLast, &c.earnCur,   &c.misc};
    if (column >= 1 && column <= 8)
        *fields[column] = text.left(kColumns[column].limit);
}

bool sameData(const ContestantRec& a, const ContestantRec& b)
{
    for (int c = 1; c <= 8; ++c)
        if (fieldOf(a, c) != fieldOf(b, c))
            return false;
    return true;
}

} // namespace

CSyncGridListCtrlContestants::CSyncGridListCtrlContestants(CMainFrame& frame, QWidget* parent)
    : RecordGridView(
          kColumns,
          [&frame](quint32 id, int column) {
              const ContestantRec* c = frame.database().contestants().find(id);
              return c ? fieldOf(*c, column) : QString();
          },
          QStringLiteral("context"), parent),
      m_frame(frame)
{
    setObjectName(QStringLiteral("CSyncGridListCtrlContestants"));
    setItemDelegate(new TextOrComboDelegate(
        [](const QModelIndex&) { return false; }, {},
        [](const QModelIndex& index) { return kColumns.value(index.column()).limit; }, this));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            emit contestantEntered(m_model->idAt(current.row()));
    });
}

int CSyncGridListCtrlContestants::sortKeyOf(int column)
{
    // Marker and Miscellaneous: last name, then first name.
    static const int keys[] = {4, 1, 2, 4, 16, 8, 64, 32, 4};
    return column >= 0 && column < 9 ? keys[column] : 4;
}

QVector<quint32> CSyncGridListCtrlContestants::collectionIds() const
{
    QVector<quint32> ids;
    const ContestantList& all = m_frame.database().contestants();
    ids.reserve(all.size());
    for (const ContestantRec& c : all)
        ids.append(c.plrId);
    return ids;
}

void CSyncGridListCtrlContestants::sortCollection(int key)
{
    m_frame.database().SortContestants(key);
}

bool CSyncGridListCtrlContestants::editCell(int row, int column, const QString& text)
{
    CDatabaseManager& db = m_frame.database();
    if (m_model->isNewRow(row)) {
        ContestantRec added;
        setField(added, column, text);
        if (!db.AddContestant(added))
            return false;
        m_model->insertId(row, added.plrId);
        selectLater(row);
        return true;
    }
    const ContestantRec* held = db.contestants().find(m_model->idAt(row));
    if (!held)
        return false;
    const quint32 editedId = held->plrId;
    ContestantRec record = *held;
    setField(record, column, text);

    // Replacing or merging into another contestant of that name and removing
    // the edited one is one change.
    CDatabaseManager::WriteScope change(db);
    if (!change.isActive())
        return false;
    const int decision = db.ResolveContestant(record, false, 0) & 0xFFFF;
    if (decision == ResolutionPrompts::Replace || decision == ResolutionPrompts::Merge) {
        // The other contestant must hold the edit before the edited one goes.
        const ContestantRec* kept = db.contestants().find(record.plrId);
        if (record.plrId == editedId || !kept || !sameData(*kept, record))
            return false; // the scope puts everything back
        // His entries become the kept one's and he goes; refused, silently,
        // for one who has results or rides in a team (he then stays as he was).
        db.MergeContestants(editedId, record.plrId);
        if (!change.commit())
            return false;
        if (!db.contestants().contains(editedId))
            m_model->removeId(m_model->rowOf(editedId));
        m_model->refreshAll();
        return true;
    }
    if (decision == ResolutionPrompts::Leave && !db.UpdateContestant(record))
        return false;
    if (!change.commit())
        return false;
    m_model->refreshAll();
    return true;
}

void CSyncGridListCtrlContestants::deleteRow(int row)
{
    const quint32 id = m_model->idAt(row);
    if (id == 0)
        return; // the new-entry row has no record
    CDatabaseManager& db = m_frame.database();
    UserPrompt& prompt = m_frame.prompt();
    if (db.ContestantInTeam(id)) {
        prompt.inform(QStringLiteral("The cowboy is in team, deletion ia aborted!"));
        return;
    }
    if (db.ContestantHasEntries(id)) {
        prompt.inform(QStringLiteral("The cowboy is in rodeo, deletion ia aborted!"));
        return;
    }
    // The checking delete: a contestant a result of the season needs stays,
    // also when the checks above could not be made.
    if (!db.DeleteContestant(id)) {
        prompt.inform(QStringLiteral("Deleting the cowboy failed!"));
        return;
    }
    m_model->removeId(row);
}

void CSyncGridListCtrlContestants::addFound(const QString& bib, const QString& first, const QString& last)
{
    if (bib.size() > 5 || first.size() > 15 || last.size() > 15)
        m_frame.prompt().inform(QStringLiteral("The Data Enter Is Too Long, Truncated!"));
    ContestantRec arriving;
    arriving.bib = bib.left(5);
    arriving.firstName = first.left(15);
    arriving.lastName = last.left(15);
    const int decision = m_frame.database().ResolveContestant(arriving, true, 0) & 0xFFFF;
    if (decision != ResolutionPrompts::AddNew || arriving.plrId == 0) {
        // Replaced, merged or left: the season's contestant shows what it holds now.
        m_model->refreshAll();
        return;
    }
    int row = m_model->rowOf(arriving.plrId);
    if (row < 0) {
        row = m_model->recordCount();
        m_model->insertId(row, arriving.plrId);
    } else {
        m_model->refreshAll();
    }
    selectRow(row);
}
