#include "viewrunperf.h"

#include "app/commandids.h"
#include "app/displaykeys.h"
#include "app/filemgr.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "entrylisteditor.h"
#include "framework/literaltext.h"
#include "framework/maskededit.h"
#include "framework/syncgrid.h"
#include "io/displayactions.h"
#include "io/outputmanager.h"
#include "runperfmodel.h"
#include "ui/arenacontext.h"
#include "ui/bars/dlgbareditscores.h"
#include "ui/bars/dlgbaredittimes.h"
#include "ui/dialogs/resolve/dlgregresolver.h"
#include "ui/dialogs/results/dlgresulthistory.h"
#include "ui/dialogs/results/dlgscoretimecfg.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const char* const kView = "CViewRunPerf";

QFont clockFont(int points)
{
    QFont f(QStringLiteral("Arial Black"), points);
    // Where the face is missing, the heaviest sans serif there is.
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Black);
    return f;
}

} // namespace

CViewRunPerf::CViewRunPerf(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::RunPerformance, parent), m_frame(frame),
      m_model(new RunPerfModel(frame.database(), this)), m_grid(new CSyncGridPair(this)),
      m_eventBox(new QComboBox), m_goBox(new QComboBox), m_perfBox(new QComboBox), m_clock(new QLabel),
      m_bars(new QStackedWidget), m_scoreBar(new CDlgBarEditScores(frame.database(), frame, frame.prompt())),
      m_timeBar(new CDlgBarEditTimes(frame.database(), frame, frame.prompt())), m_displayGroup(new QGroupBox)
{
    setObjectName(QString::fromLatin1(kView));
    m_eventBox->setObjectName(QStringLiteral("event"));
    m_goBox->setObjectName(QStringLiteral("goRound"));
    m_perfBox->setObjectName(QStringLiteral("performance"));
    m_eventBox->setMinimumContentsLength(20);
    m_clock->setObjectName(QStringLiteral("clock"));
    m_clock->setFont(clockFont(ClockFontPoints));
    m_clock->setText(QStringLiteral("  0.00"));
    m_clock->setMinimumWidth(m_clock->fontMetrics().horizontalAdvance(QStringLiteral("0:00.000")) + 20);

    auto* selectors = new QHBoxLayout;
    for (const auto& [label, box] : {std::pair{"Event:", m_eventBox}, std::pair{"Go-Round:", m_goBox},
                                     std::pair{"Performance:", m_perfBox}}) {
        selectors->addWidget(new QLabel(QString::fromLatin1(label)));
        selectors->addWidget(box);
    }
    selectors->addStretch();
    selectors->addWidget(m_clock);
    connect(m_eventBox, &QComboBox::activated, this, [this] { eventChanged(); });
    connect(m_goBox, &QComboBox::activated, this, [this] { goRoundChanged(); });
    connect(m_perfBox, &QComboBox::activated, this, [this] { performanceChanged(); });

    m_grid->setModel(m_model, m_model->leftColumnCount());
    for (QTableView* t : {m_grid->left(), m_grid->right()}) {
        // Letters are the list keys here: only a double click or F2 edits.
        t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
        t->installEventFilter(this);
        connect(t, &QTableView::doubleClicked, this, &CViewRunPerf::cellActivated);
        t->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(t, &QTableView::customContextMenuRequested, this, [this, t](const QPoint& at) {
            const QModelIndex index = t->indexAt(at);
            const EntryKey key = index.isValid() ? m_model->keyAt(index.row()) : 0;
            if (key == 0)
                return;
            QMenu menu(this);
            QAction* history = menu.addAction(QStringLiteral("Result &History..."));
            if (menu.exec(t->viewport()->mapToGlobal(at)) == history)
                showResultHistory(key);
        });
    }
    connect(m_grid, &CSyncGridPair::rowSelected, this, &CViewRunPerf::rowSelected);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { m_grid->setSplitColumn(m_model->leftColumnCount()); });
    m_editor = new EntryListEditor(frame, *m_model, *m_grid->left(), *this);
    m_editor->setEntryAdded([this] {
        m_model->load(m_model->eventId(), m_model->goRound(), m_model->performance());
        updateHighlight();
    });

    m_bars->addWidget(m_scoreBar);
    m_bars->addWidget(m_timeBar);
    // After a save (Enter in a field, or a toggle) the keys act on the list
    // again without a click: once the bar has put its own focus back.
    for (CDlgBarEdit* bar : {static_cast<CDlgBarEdit*>(m_scoreBar), static_cast<CDlgBarEdit*>(m_timeBar)})
        connect(bar, &CDlgBarEdit::saved, this, &CViewRunPerf::focusList, Qt::QueuedConnection);

    auto* keys = new QGridLayout(m_displayGroup);
    const char* const rows[] = {"", "CTRL", "SHIFT"};
    for (int c = 0; c < DisplayKeys::PerRow; ++c)
        keys->addWidget(new QLabel(QStringLiteral("F%1").arg(c + 2)), 0, c + 1, Qt::AlignHCenter);
    for (int r = 0; r < 3; ++r) {
        keys->addWidget(new QLabel(QString::fromLatin1(rows[r])), r + 1, 0);
        for (int c = 0; c < DisplayKeys::PerRow; ++c) {
            const int index = r * DisplayKeys::PerRow + c;
            auto* b = new QPushButton;
            b->setObjectName(DisplayKeys::text(index));
            b->setFocusPolicy(Qt::NoFocus);
            b->setMinimumWidth(70);
            // Eleven to a row: a size smaller keeps the longer captions whole.
            QFont small = b->font();
            small.setPointSizeF(small.pointSizeF() * 0.9);
            b->setFont(small);
            connect(b, &QPushButton::clicked, this, [this, index] { pressDisplayButton(index); });
            m_keys[size_t(index)] = b;
            keys->addWidget(b, r + 1, c + 1);
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(selectors);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_bars);
    layout->addWidget(m_displayGroup);
}

CDlgBarEdit* CViewRunPerf::visibleBar() const
{
    return static_cast<CDlgBarEdit*>(m_bars->currentWidget());
}

QString CViewRunPerf::state(const char* attr) const
{
    QString v;
    m_frame.files().GetCfgAtt(v, 2, QString::fromLatin1(attr), QString::fromLatin1(kView));
    return v;
}

void CViewRunPerf::setRemembered(const char* attr, const QString& value)
{
    m_frame.files().SetCfgAtt(value, 2, QString::fromLatin1(attr), QString::fromLatin1(kView));
}

void CViewRunPerf::remember()
{
    // The event chosen, not the one the list still shows: the list loads after.
    m_frame.files().SetCfgAtt(m_eventBox->currentData().toString(), 2, QStringLiteral("curEvn"),
                              QString::fromLatin1(kView));
    m_frame.files().SetCfgAtt(m_goBox->currentText(), 2, QStringLiteral("curGo"), QString::fromLatin1(kView));
    m_frame.files().SetCfgAtt(m_perfBox->currentText(), 2, QStringLiteral("curPerf"),
                              QString::fromLatin1(kView));
}

void CViewRunPerf::raise(int code)
{
    if (m_pending == 0 || code < m_pending)
        m_pending = code;
}

void CViewRunPerf::reload()
{
    CWorkView::reload();
    if (isVisible())
        activated();
}

void CViewRunPerf::activated()
{
    m_frame.settleTypedResults();
    if (m_pending == 0)
        m_pending = 1;
    m_displayGroup->setTitle(QStringLiteral("Profile: ") + literalCaption(m_frame.files().curProfileName()));
    fillEvents();
}

void CViewRunPerf::deactivated()
{
    m_eventBox->setFocus();
}

void CViewRunPerf::fillEvents()
{
    CDatabaseManager& db = m_frame.database();
    m_filling = true;
    m_eventBox->clear();
    for (int i = 0; i < db.events().size(); ++i)
        m_eventBox->addItem(db.events()[i].name, db.events()[i].id);
    const int remembered = m_eventBox->findData(state("curEvn"));
    m_eventBox->setCurrentIndex(remembered >= 0 ? remembered : 0);
    m_filling = false;
    if (m_eventBox->count() > 0)
        eventChanged();
    else
        m_model->load(QString(), 0, 0);
    focusList();
}

void CViewRunPerf::eventChanged()
{
    CDatabaseManager& db = m_frame.database();
    const EventCfg* event = db.GetEvent(m_eventBox->currentData().toString());
    if (!event)
        return;
    const EventCfg ev = *event;
    m_frame.settleTypedResults();
    m_frame.showContestantMessages(0);
    raise(2);
    const bool sameEvent = state("curEvn") == ev.id;
    m_goBox->clear();
    for (int g = 1; g <= ev.goRoundCount(); ++g)
        m_goBox->addItem(QString::number(g));
    m_goBox->addItem(QStringLiteral("F"));
    const int go = sameEvent ? m_goBox->findText(state("curGo")) : 0;
    m_goBox->setCurrentIndex(go >= 0 ? go : 0);
    // The bar of the event's kind.
    CDlgBarEdit* bar = ev.isScored() ? static_cast<CDlgBarEdit*>(m_scoreBar) : m_timeBar;
    m_bars->setCurrentWidget(bar);
    bar->selectEvent(ev);
    goRoundChanged();
    reloadDisplayButtons();
    focusList();
}

void CViewRunPerf::goRoundChanged()
{
    m_frame.settleTypedResults();
    raise(3);
    CDatabaseManager& db = m_frame.database();
    const QString eventId = m_eventBox->currentData().toString();
    const int go = m_goBox->currentIndex() + 1;
    const bool same = state("curEvn") == eventId && state("curGo") == m_goBox->currentText();
    m_perfBox->clear();
    const int n = qMax(1, db.PerformanceCount(eventId, go));
    for (int p = 1; p <= n; ++p)
        m_perfBox->addItem(QString::number(p));
    const int perf = same ? m_perfBox->findText(state("curPerf")) : 0;
    m_perfBox->setCurrentIndex(perf >= 0 ? perf : 0);
    performanceChanged();
}

void CViewRunPerf::performanceChanged()
{
    m_frame.settleTypedResults();
    raise(4);
    const QString eventId = m_eventBox->currentData().toString();
    // The contestant selected here before (this run, or before a restart),
    // read before the selection is cleared.
    const bool samePlace = state("curEvn") == eventId && state("curGo") == m_goBox->currentText() &&
                           state("curPerf") == m_perfBox->currentText();
    const EntryKey rememberedKey = samePlace ? state("curKey").toUInt() : 0;
    m_grid->selectionModel()->clear();
    const int go = m_goBox->currentIndex() + 1;
    const int perf = qMax(1, m_perfBox->currentIndex() + 1);
    if (!m_filling)
        remember();
    m_selected = 0;
    m_frame.arenaContext().clearDisplayed();
    RegEntry current;
    current.eventId = eventId;
    current.goRound = static_cast<quint16>(go);
    current.perf = static_cast<quint16>(perf);
    current.ptId = 0;
    if (!m_frame.SelectCompetition(current)) {
        m_frame.prompt().inform(QStringLiteral("Failed to set the current perfromance settings"));
        m_pending = 0;
        return;
    }
    visibleBar()->SetComp(0, 0);
    m_model->load(eventId, go, perf);
    updateHighlight();
    fitColumns();
    if (const int row = rememberedKey ? m_model->rowOf(rememberedKey) : -1; row >= 0)
        m_grid->setCurrentRow(row); // selects it and gives it to the bar
    else
        setRemembered("curKey", QString());
    focusList();
}

void CViewRunPerf::focusList()
{
    if (!isVisible())
        return;
    QTableView* t = m_grid->lastFocused();
    if (!t || !t->isVisible())
        t = m_grid->left();
    t->setFocus();
}

void CViewRunPerf::fitColumns()
{
    // The columns take what their texts need. A jackpot's performance can
    // hold thousands of rows: the widths come from the first few hundred
    // (every row of a rodeo's performance) and the ones in view, as measuring
    // them all would take longer than the rest of the fill.
    constexpr int MeasuredRows = 300;
    for (QTableView* t : {m_grid->left(), m_grid->right()}) {
        t->horizontalHeader()->setMinimumHeight(t->fontMetrics().height() * 2 + 8);
        t->horizontalHeader()->setResizeContentsPrecision(MeasuredRows);
        t->resizeColumnsToContents();
    }
    m_grid->left()->setColumnWidth(0, 16);
}

void CViewRunPerf::updateHighlight()
{
    const RegEntry& cur = m_frame.database().curEntry();
    m_model->setHighlight(cur.ptId ? makeEntryKey(cur.ptId, cur.plrEnt) : 0,
                          m_frame.arenaContext().displayedCompetitor());
}

void CViewRunPerf::rowSelected(int row)
{
    const EntryKey key = m_model->keyAt(row);
    if (key == 0)
        m_selected = 0;
    else if (visibleBar()->SetComp(key, 0))
        m_selected = key;
    setRemembered("curKey", m_selected ? QString::number(m_selected) : QString());
    m_frame.runPerformanceSelectionChanged();
}

void CViewRunPerf::pressDisplayButton(int keyIndex)
{
    const QString keyText = DisplayKeys::text(keyIndex);
    if (keyText.isEmpty() || m_model->eventId().isEmpty())
        return;
    if (!m_frame.PressDisplayButton(m_model->eventId(), keyText, m_selected, m_pending)) {
        m_frame.prompt().inform(QStringLiteral("Display button failed."));
        return;
    }
    m_pending = 0;
    updateHighlight();
    if (QTableView* t = m_grid->lastFocused())
        t->setFocus();
}

void CViewRunPerf::release()
{
    m_selected = 0;
    m_grid->selectionModel()->clear();
    m_frame.arenaContext().clearDisplayed();
    m_frame.showContestantMessages(0);
    RegEntry current = m_frame.database().curEntry();
    current.ptId = 0;
    current.plrEnt = 1;
    m_frame.SelectCompetition(current);
    visibleBar()->SetComp(0, 0);
    m_frame.outputs().Refresh(m_pending == 0 || m_pending > 5 ? 5 : m_pending);
    m_pending = 0;
    updateHighlight();
}

void CViewRunPerf::resultSaved(const RegEntry&, const ResultRecord& record)
{
    const int row = m_model->rowOf(record.key);
    if (row < 0)
        return; // an entry of another performance: nothing shown changes
    if (record.key == m_selected && visibleBar()->entry().goRound == m_model->goRound() &&
        !visibleBar()->isChanged())
        visibleBar()->SetComp(m_selected, 0);
    m_model->refreshAll();
    updateHighlight();
    // A first result in an empty performance needs its room; only this row
    // changed, so only its cells are measured (a jackpot's performance holds
    // thousands of rows, and fitting them all again took tens of milliseconds
    // a save).
    m_grid->widenColumnsFor(row);
}

void CViewRunPerf::showRunningTime(const QString& text)
{
    if (m_clockMessage.isEmpty())
        m_clock->setText(text);
}

void CViewRunPerf::showClockMessage(const QString& text)
{
    m_clockMessage = text;
    QPalette p = m_clock->palette();
    p.setColor(QPalette::WindowText, text.isEmpty() ? Qt::black : Qt::red);
    m_clock->setPalette(p);
    m_clock->setFont(clockFont(text.isEmpty() ? ClockFontPoints : MessageFontPoints));
    m_clock->setText(text.isEmpty() ? QStringLiteral("  0.00") : text);
}

void CViewRunPerf::reloadDisplayButtons()
{
    const EventCfg* event = m_frame.database().GetEvent(m_eventBox->currentData().toString());
    const QStringList captions =
        event ? m_frame.files().GetKeyCaptions(profileEventName(*event)) : QStringList(DisplayKeys::Count);
    for (int i = 0; i < DisplayKeys::Count; ++i) {
        m_keys[size_t(i)]->setText(literalCaption(captions.value(i)));
        m_keys[size_t(i)]->setToolTip(DisplayKeys::text(i) + QStringLiteral(": ") + captions.value(i));
    }
    m_displayGroup->setTitle(QStringLiteral("Profile: ") + literalCaption(m_frame.files().curProfileName()));
}

void CViewRunPerf::focusEntry()
{
    if (CDlgBarEditScores* scores = qobject_cast<CDlgBarEditScores*>(visibleBar())) {
        for (ScoreEntry::Row row : {ScoreEntry::Rider, ScoreEntry::Subtotal, ScoreEntry::Stock})
            if (scores->markField(row, 0)->isEnabled()) {
                scores->markField(row, 0)->setFocus();
                return;
            }
        scores->timeField()->setFocus();
    } else if (m_timeBar->rideField()->isEnabled()) {
        m_timeBar->rideField()->setFocus();
    }
}

bool CViewRunPerf::listKey(int key)
{
    CDlgBarEdit* bar = visibleBar();
    auto* scores = qobject_cast<CDlgBarEditScores*>(bar);
    switch (key) {
    case Qt::Key_C:
        scores ? scores->clear() : m_timeBar->clear();
        return true;
    case Qt::Key_E:
        focusEntry();
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
    case Qt::Key_U:
        release();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (bar->saveButton()->isEnabled())
            bar->save();
        return true;
    case Qt::Key_Escape:
        bar->cancel();
        return true;
    default:
        return false;
    }
}

bool CViewRunPerf::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_grid->left() || watched == m_grid->right())) {
        // While a cell is edited its editor has the keys, not the table.
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) &&
            listKey(key->key()))
            return true;
    }
    return CWorkView::eventFilter(watched, event);
}

void CViewRunPerf::showResultHistory(EntryKey key)
{
    CDlgResultHistory dialog(m_frame.database(), m_frame.prompt(), this);
    dialog.selectEntry(m_model->eventId(), key);
    dialog.exec();
}

void CViewRunPerf::cellActivated(const QModelIndex& index)
{
    const int go = m_model->goRoundOfColumn(index.column());
    const EntryKey key = m_model->keyAt(index.row());
    // The results of the go-round being run are typed into the bar below.
    if (go == 0 || key == 0 || go == m_model->goRound())
        return;
    CDlgScoreTimeCfg dialog(m_frame.database(), m_frame, m_frame.prompt(), key, go, this);
    if (dialog.isReady())
        dialog.exec();
    m_model->refreshAll();
}
