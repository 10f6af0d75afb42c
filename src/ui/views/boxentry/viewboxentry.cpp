#include "viewboxentry.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "framework/maskededit.h"
#include "framework/syncgrid.h"
#include "resultcelldelegate.h"
#include "resultcellmask.h"
#include "ui/bars/dlgbareditscores.h"
#include "ui/bars/dlgbaredittimes.h"
#include "ui/mainframe.h"
#include "ui/views/runperf/entrylisteditor.h"
#include "ui/views/runperf/runperfmodel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const char* const kView = "CViewBoxEntry";

} // namespace

CViewBoxEntry::CViewBoxEntry(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::BoxEntry, parent), m_frame(frame),
      m_model(new RunPerfModel(frame.database(), this)), m_grid(new CSyncGridPair(this)),
      m_eventBox(new QComboBox), m_find(new CDlgBarFindPlr), m_bars(new QStackedWidget),
      m_scoreBar(new CDlgBarEditScores(frame.database(), frame, frame.prompt())),
      m_timeBar(new CDlgBarEditTimes(frame.database(), frame, frame.prompt()))
{
    setObjectName(QString::fromLatin1(kView));
    m_eventBox->setObjectName(QStringLiteral("event"));
    m_eventBox->setMinimumContentsLength(24);
    connect(m_eventBox, &QComboBox::activated, this, [this] { eventChanged(); });
    m_find->setOwner(this);

    m_model->setResultsEditable(true);
    m_grid->setModel(m_model, m_model->leftColumnCount());
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { m_grid->setSplitColumn(m_model->leftColumnCount()); });
    // Letters are the list keys: the contestant list edits on a double click
    // or F2; a digit typed in the results list starts the cell's editor.
    m_grid->left()->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_grid->right()->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
    for (QTableView* t : {m_grid->left(), m_grid->right()}) {
        t->installEventFilter(this);
        connect(t, &QTableView::pressed, this,
                [this, t](const QModelIndex& index) { cellPressed(t, index); });
    }
    m_editor = new EntryListEditor(frame, *m_model, *m_grid->left(), *this);
    m_editor->setEntryAdded([this] {
        m_model->load(m_model->eventId(), m_model->goRound(), 0);
        fitColumns();
    });
    m_grid->right()->setItemDelegate(new ResultCellDelegate(
        [this](const QModelIndex& index) -> std::optional<ResultCellDelegate::Start> {
            const auto start = beginResultEdit(index);
            if (!start)
                return std::nullopt;
            return ResultCellDelegate::Start{start->first, start->second};
        },
        [this](const QModelIndex& index, const QString& display) { return commitResultEdit(index, display); },
        this));

    m_bars->addWidget(m_scoreBar);
    m_bars->addWidget(m_timeBar);
    // After a save from a bar the list keys work again without a click, once
    // the bar has put its own focus back.
    for (CDlgBarEdit* bar : {static_cast<CDlgBarEdit*>(m_scoreBar), static_cast<CDlgBarEdit*>(m_timeBar)})
        connect(
            bar, &CDlgBarEdit::saved, this,
            [this] {
                if (QTableView* t = m_grid->lastFocused(); t && isVisible())
                    t->setFocus();
            },
            Qt::QueuedConnection);
    // What the bars save here is recorded in the result history as Box Entry.
    m_scoreBar->setChangeSource(ChangeSource::BoxEntry);
    m_timeBar->setChangeSource(ChangeSource::BoxEntry);

    auto* top = new QHBoxLayout;
    auto* prompt = new QVBoxLayout;
    prompt->addWidget(new QLabel(QStringLiteral("Select The Event")));
    prompt->addWidget(m_eventBox);
    prompt->addStretch();
    top->addLayout(prompt);
    top->addSpacing(20);
    top->addWidget(m_find);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_bars);
}

CDlgBarEdit* CViewBoxEntry::visibleBar() const
{
    return static_cast<CDlgBarEdit*>(m_bars->currentWidget());
}

void CViewBoxEntry::reload()
{
    CWorkView::reload();
    if (isVisible())
        activated();
}

void CViewBoxEntry::activated()
{
    m_frame.settleTypedResults();
    fillEvents();
}

void CViewBoxEntry::deactivated()
{
    m_eventBox->setFocus();
}

void CViewBoxEntry::fillEvents()
{
    CDatabaseManager& db = m_frame.database();
    QString remembered;
    m_frame.files().GetCfgAtt(remembered, 2, QStringLiteral("curEvn"), QString::fromLatin1(kView));
    m_eventBox->clear();
    for (const EventCfg& e : db.events())
        m_eventBox->addItem(e.label, e.id);
    const int index = m_eventBox->findData(remembered);
    m_eventBox->setCurrentIndex(index >= 0 ? index : 0);
    if (m_eventBox->count() > 0)
        eventChanged();
    else
        m_model->load(QString(), 0, 0);
}

void CViewBoxEntry::eventChanged()
{
    CDatabaseManager& db = m_frame.database();
    const EventCfg* found = db.GetEvent(m_eventBox->currentData().toString());
    if (!found)
        return;
    const EventCfg event = *found;
    m_frame.settleTypedResults();
    m_find->clearFields();
    RegEntry current;
    current.eventId = event.id;
    current.goRound = static_cast<quint16>(event.goRoundCount());
    current.perf = 0;
    current.ptId = 0;
    if (!m_frame.SelectCompetition(current)) {
        m_frame.prompt().inform(QStringLiteral("Failed to set the current perfromance settings"));
        return;
    }
    m_selected = 0;
    m_lastGo = -1;
    m_grid->selectionModel()->clear();
    m_model->load(event.id, event.goRoundCount(), 0);
    fitColumns();
    // No Add in a team event: a contestant is not entered alone into one.
    m_find->setAddShown(!event.isTeam());
    CDlgBarEdit* bar = event.isScored() ? static_cast<CDlgBarEdit*>(m_scoreBar) : m_timeBar;
    m_bars->setCurrentWidget(bar);
    bar->selectEvent(event);
    bar->SetComp(0, 0);
    m_frame.files().SetCfgAtt(event.id, 2, QStringLiteral("curEvn"), QString::fromLatin1(kView));
}

void CViewBoxEntry::fitColumns()
{
    // Column widths from the header and the first rows only: an event may
    // hold many entries, and the list fills only the rows it shows.
    for (QTableView* t : {m_grid->left(), m_grid->right()}) {
        t->horizontalHeader()->setMinimumHeight(t->fontMetrics().height() * 2 + 8);
        t->horizontalHeader()->setResizeContentsPrecision(20);
        t->resizeColumnsToContents();
    }
    m_grid->left()->setColumnWidth(0, 16);
}

void CViewBoxEntry::giveBar(int row, int goRound)
{
    const EntryKey key = m_model->keyAt(row);
    if (key == 0)
        return;
    if (visibleBar()->SetComp(key, goRound))
        m_selected = key;
}

void CViewBoxEntry::cellPressed(QTableView* table, const QModelIndex& index)
{
    if (!index.isValid() || m_model->keyAt(index.row()) == 0)
        return;
    if (table == m_grid->right()) {
        // The go-round of the cell is the one loaded into the bar.
        m_lastGo = m_model->goRoundOfColumn(index.column());
        giveBar(index.row(), m_lastGo);
    } else if (m_model->isTeam()) {
        giveBar(index.row(), m_lastGo);
    } else {
        // A contestant: his name in the bar, no go-round to edit.
        m_lastGo = -1;
        giveBar(index.row(), -1);
    }
}

bool CViewBoxEntry::listKey(QTableView* table, int key)
{
    CDlgBarEdit* bar = visibleBar();
    auto* scores = qobject_cast<CDlgBarEditScores*>(bar);
    switch (key) {
    case Qt::Key_C:
        scores ? scores->clear() : m_timeBar->clear();
        return true;
    case Qt::Key_E:
        if (scores) {
            for (ScoreEntry::Row r : {ScoreEntry::Rider, ScoreEntry::Subtotal, ScoreEntry::Stock})
                if (scores->markField(r, 0)->isEnabled()) {
                    scores->markField(r, 0)->setFocus();
                    return true;
                }
            if (scores->timeField()->isEnabled())
                scores->timeField()->setFocus();
        } else if (m_timeBar->rideField()->isEnabled()) {
            m_timeBar->rideField()->setFocus();
        }
        return true;
    case Qt::Key_N:
        scores ? scores->noScore() : m_timeBar->noTime();
        return true;
    case Qt::Key_R:
        if (scores)
            scores->reride();
        return true;
    case Qt::Key_P:
        if (!scores)
            m_timeBar->penalty();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // In the results list Enter belongs to the cell editor.
        if (table == m_grid->right())
            return false;
        if (bar->saveButton()->isEnabled())
            bar->save();
        return true;
    case Qt::Key_Escape:
        if (table == m_grid->right())
            return false;
        bar->cancel();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // In the results list the new row's entry goes to the bar with the
        // go-round of the column; in the other lists only the selection moves.
        if (table != m_grid->right())
            return false;
        const QModelIndex current = table->currentIndex();
        const int row = current.row() + (key == Qt::Key_Up ? -1 : 1);
        if (!current.isValid() || row < 0 || row >= m_model->rowCount())
            return true;
        table->setCurrentIndex(m_model->index(row, current.column()));
        giveBar(row, m_model->goRoundOfColumn(current.column()));
        return true;
    }
    default:
        return false;
    }
}

bool CViewBoxEntry::eventFilter(QObject* watched, QEvent* event)
{
    auto* table = qobject_cast<QTableView*>(watched);
    if (event->type() == QEvent::KeyPress && table && (table == m_grid->left() || table == m_grid->right())) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) &&
            listKey(table, key->key()))
            return true;
    }
    return CWorkView::eventFilter(watched, event);
}

std::optional<std::pair<QString, QString>> CViewBoxEntry::beginResultEdit(const QModelIndex& index)
{
    CDatabaseManager& db = m_frame.database();
    const EntryKey key = m_model->keyAt(index.row());
    const int go = m_model->goRoundOfColumn(index.column());
    const EventCfg* found = db.GetEvent(m_model->eventId());
    if (key == 0 || go == 0 || !found)
        return std::nullopt;
    const EventCfg event = *found;
    // The current entry stays as this view set it (the event, no contestant):
    // a typed cell is saved for its own row, and making its contestant
    // current would hand him whatever the timing console sends next.
    m_editGo = go;
    const ResultCellMask mask(event);
    return std::pair{mask.mask(), mask.initialText(db.standings().find(go, key))};
}

bool CViewBoxEntry::commitResultEdit(const QModelIndex& index, const QString& display)
{
    CDatabaseManager& db = m_frame.database();
    const EntryKey key = m_model->keyAt(index.row());
    const EventCfg* found = db.GetEvent(m_model->eventId());
    if (key == 0 || !found || m_editGo == 0)
        return true; // nothing left to save into
    const EventCfg event = *found;
    const ResultCellMask mask(event);
    const ResultCellMask::Typed typed = mask.parse(display);
    const EntryCheck check = mask.check(typed);
    if (!check.ok()) {
        m_frame.prompt().inform(check.message);
        return false;
    }
    RegEntry entry;
    entry.eventId = event.id;
    entry.goRound = static_cast<quint16>(m_editGo);
    entry.ptId = entryKeyId(key);
    entry.plrEnt = static_cast<quint16>(entryKeyNumber(key));
    if (!m_frame.SaveResult(entry, mask.record(typed, key), ChangeSource::BoxEntry)) {
        m_frame.prompt().inform(event.isScored() ? QStringLiteral("Failed to set the scores.\nSave Failed.")
                                                 : QStringLiteral("Failed to set the times.\nSave Failed."));
        return false;
    }
    return true;
}

void CViewBoxEntry::resultSaved(const RegEntry& entry, const ResultRecord& record)
{
    if (entry.eventId != m_model->eventId())
        return;
    const int row = m_model->rowOf(record.key);
    if (row < 0)
        return;
    CDlgBarEdit* bar = visibleBar();
    if (record.key == m_selected && bar->entry().goRound == entry.goRound && !bar->isChanged() &&
        bar->entryKey() == record.key)
        bar->SetComp(m_selected, entry.goRound);
    m_model->refreshAll();
    // The columns were fitted to the first rows: a result further down may
    // need more room, which the columns take rather than cut it ("15.…").
    m_grid->widenColumnsFor(row);
    if (QTableView* t = m_grid->lastFocused(); t && isVisible())
        t->setFocus();
}

// --- The Find bar ---------------------------------------------------------------------

int CViewBoxEntry::findRowCount() const
{
    return qMax(0, m_model->rowCount() - 1); // not the empty last row
}

QString CViewBoxEntry::findText(int row, int field) const
{
    if (m_model->isTeam())
        return m_model->index(row, RunPerfModel::MemberBib1 + field).data().toString();
    return m_model->index(row, RunPerfModel::Bib + field).data().toString();
}

void CViewBoxEntry::showFound(int row)
{
    m_grid->setCurrentRow(row);
    m_grid->left()->scrollTo(m_model->index(row, RunPerfModel::Bib));
}

void CViewBoxEntry::addFound(const QString& bib, const QString& first, const QString& last)
{
    if (m_model->isTeam() || m_model->eventId().isEmpty())
        return;
    if (bib.size() > 5 || first.size() > 15 || last.size() > 15)
        m_frame.prompt().inform(QStringLiteral("The Data Enter Is Too Long, Truncated!"));
    ContestantRec typed;
    typed.bib = bib.left(5);
    typed.firstName = first.left(15);
    typed.lastName = last.left(15);
    if (!m_editor->addTypedContestant(typed)) {
        m_frame.prompt().inform(QStringLiteral("The Player already exists!"));
        return;
    }
    // The new entry, where its name puts it.
    for (int row = 0; row < findRowCount(); ++row) {
        if (entryKeyId(m_model->keyAt(row)) == typed.plrId) {
            showFound(row);
            break;
        }
    }
}
