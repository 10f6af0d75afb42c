#include "viewregentry.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "framework/celldelegates.h"
#include "framework/syncgrid.h"
#include "regentrymodel.h"
#include "reports/reporttree.h"
#include "results/finalists.h"
#include "setup/entryedits.h"
#include "ui/dialogs/draw/dlgdraw.h"
#include "ui/dialogs/resolve/dlgregresolver.h"
#include "ui/mainframe.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int KeyRole = Qt::UserRole + 1;
using K = RegEntryModel::Kind;

QStandardItem* itemFor(const ReportNode& node)
{
    auto* item = new QStandardItem(node.label);
    item->setEditable(false);
    item->setData(node.key, KeyRole);
    for (const ReportNode& child : node.children)
        item->appendRow(itemFor(child));
    return item;
}

const QString kMessage = QStringLiteral("Message");

} // namespace

CViewRegEntry::CViewRegEntry(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::PerformanceEntry, parent), m_frame(frame)
{
    m_treeModel = new QStandardItemModel(this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("rodeoTree"));
    m_tree->setModel(m_treeModel);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CViewRegEntry::showTreeMenu);

    auto* modeBox = new QGroupBox(QStringLiteral("View"), this);
    auto* modeLayout = new QVBoxLayout(modeBox);
    m_modes = new QButtonGroup(this);
    const std::pair<const char*, EntryRows::Mode> modes[] = {{"Season", EntryRows::Season},
                                                             {"Rodeo", EntryRows::Rodeo},
                                                             {"Event", EntryRows::Event},
                                                             {"Performances", EntryRows::Performances},
                                                             {"Unassigned", EntryRows::Unassigned}};
    for (const auto& [caption, id] : modes) {
        auto* button = new QRadioButton(QString::fromLatin1(caption), modeBox);
        m_modes->addButton(button, id);
        modeLayout->addWidget(button);
    }
    m_modes->button(EntryRows::Rodeo)->setChecked(true);

    m_addPerf = new QPushButton(QStringLiteral("Add Perf"), this);
    m_removePerf = new QPushButton(QStringLiteral("Remove Perf"), this);
    m_buildFinal = new QPushButton(QStringLiteral("Build Final"), this);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_tree, 1);
    sideLayout->addWidget(modeBox);
    for (QPushButton* b : {m_addPerf, m_removePerf, m_buildFinal})
        sideLayout->addWidget(b);

    m_model = new RegEntryModel(frame.database(), this);
    m_model->setEditHandler([this](int row, int column, const QString& text, int picked) {
        return editCell(row, column, text, picked);
    });
    m_grid = new CSyncGridPair(this);
    m_grid->setModel(m_model, 0);
    setUpEditors();
    for (QTableView* t : {m_grid->left(), m_grid->right()}) {
        t->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(t, &QWidget::customContextMenuRequested, this,
                [this, t](const QPoint& at) { showMenu(t->viewport()->mapToGlobal(at)); });
    }

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->addWidget(side);
    m_splitter->addWidget(m_grid);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setSizes({220, 800});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_splitter);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_building)
            nodeChosen();
    });
    connect(m_modes, &QButtonGroup::idClicked, this, [this] { loadLists(); });
    connect(m_addPerf, &QPushButton::clicked, this, &CViewRegEntry::addPerformance);
    connect(m_removePerf, &QPushButton::clicked, this, &CViewRegEntry::removePerformance);
    connect(m_buildFinal, &QPushButton::clicked, this, &CViewRegEntry::buildFinal);
    updateButtons();
}

// --- Selection and its memory -----------------------------------------------------

QString CViewRegEntry::state(const char* attr, const char* element) const
{
    QString v;
    m_frame.files().GetCfgAtt(v, 2, QString::fromLatin1(attr), QString::fromLatin1(element));
    return v;
}

void CViewRegEntry::remember(const Node& node)
{
    const QString element = QString::fromLatin1(StateElement);
    FileMgr& files = m_frame.files();
    files.SetCfgAtt(node.eventId, 2, QStringLiteral("curEvn"), element);
    files.SetCfgAtt(node.go > 0 ? QString::number(node.go) : QString(), 2, QStringLiteral("curGo"), element);
    files.SetCfgAtt(node.perf > 0 ? QString::number(node.perf) : QString(), 2, QStringLiteral("curPerf"),
                    element);
}

CViewRegEntry::Node CViewRegEntry::nodeOf(const QModelIndex& index) const
{
    Node node;
    if (!index.isValid())
        return node;
    const quint32 key = index.data(KeyRole).toUInt();
    const quint32 level = ReportKey::level(key);
    const QVector<EventCfg>& events = m_frame.database().events();
    node.valid = true;
    if (level == ReportKey::Rodeo)
        return node;
    const int e = ReportKey::eventIndex(key);
    if (e < 0 || e >= events.size())
        return Node();
    node.eventId = events[e].id;
    if (level == ReportKey::GoRound || level == ReportKey::Performance)
        node.go = ReportKey::goNumber(key);
    if (level == ReportKey::Performance)
        node.perf = ReportKey::performance(key);
    return node;
}

CViewRegEntry::Node CViewRegEntry::selectedNode() const
{
    return nodeOf(m_tree->selectionModel()->currentIndex());
}

QStandardItem* CViewRegEntry::findItem(const Node& node) const
{
    QStandardItem* root = m_treeModel->item(0);
    if (!root || node.eventId.isEmpty())
        return root;
    for (int e = 0; e < root->rowCount(); ++e) {
        QStandardItem* ev = root->child(e);
        if (nodeOf(ev->index()).eventId != node.eventId)
            continue;
        if (node.go == 0)
            return ev;
        for (int g = 0; g < ev->rowCount(); ++g) {
            QStandardItem* go = ev->child(g);
            if (ReportKey::goNumber(go->data(KeyRole).toUInt()) != node.go)
                continue;
            if (node.perf == 0)
                return go;
            for (int p = 0; p < go->rowCount(); ++p)
                if (ReportKey::performance(go->child(p)->data(KeyRole).toUInt()) == node.perf)
                    return go->child(p);
            return nullptr;
        }
        return nullptr;
    }
    return nullptr;
}

void CViewRegEntry::buildTree(const Node& select)
{
    m_building = true;
    m_treeModel->clear();
    const ReportNode root = buildReportTree(m_frame.database());
    if (!root.label.isEmpty())
        m_treeModel->appendRow(itemFor(root));
    m_tree->expandToDepth(0);
    QStandardItem* item = select.valid ? findItem(select) : nullptr;
    if (item) {
        m_tree->expand(item->index().parent());
        m_tree->selectionModel()->setCurrentIndex(item->index(), QItemSelectionModel::ClearAndSelect);
        m_tree->scrollTo(item->index());
    }
    m_building = false;
}

bool CViewRegEntry::selectNode(const QString& eventId, int go, int perf)
{
    Node node;
    node.eventId = eventId;
    node.go = go;
    node.perf = perf;
    node.valid = true;
    QStandardItem* item = findItem(node);
    if (!item)
        return false;
    m_tree->expand(item->index().parent());
    m_tree->selectionModel()->setCurrentIndex(item->index(), QItemSelectionModel::ClearAndSelect);
    return true;
}

void CViewRegEntry::setMode(EntryRows::Mode mode)
{
    if (QAbstractButton* b = m_modes->button(mode)) {
        b->setChecked(true);
        loadLists();
    }
}

EntryRows::Mode CViewRegEntry::mode() const
{
    const int id = m_modes->checkedId();
    return id > 0 ? EntryRows::Mode(id) : EntryRows::Rodeo;
}

void CViewRegEntry::nodeChosen()
{
    const Node node = selectedNode();
    if (node.valid)
        remember(node);
    loadLists();
}

bool CViewRegEntry::isTeamEvent() const
{
    const EventCfg* e = m_frame.database().GetEvent(m_model->selection().eventId);
    return e && e->isTeam();
}

void CViewRegEntry::loadLists()
{
    CDatabaseManager& db = m_frame.database();
    const Node node = selectedNode();
    const EntryKey current = m_model->keyAt(m_grid->currentRow());
    EntryRows::Selection sel;
    sel.mode = mode();
    sel.eventId = node.eventId;
    sel.goRound = node.go;
    sel.perf = node.perf;
    const EventCfg* event = db.GetEvent(node.eventId);
    sel.team = event && event->isTeam();
    const int performances = node.go > 0 ? std::min(db.PerformanceCount(node.eventId, node.go), 255) : 0;
    m_model->load(sel, performances);
    m_grid->setSplitColumn(m_model->splitColumn());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const K kind = m_model->column(c).kind;
        const bool narrow = kind == K::Marker || kind == K::EventCount || kind == K::PerfOrder ||
                            kind == K::RunningOrder || kind == K::GoPlace;
        QTableView* t = c < m_model->splitColumn() ? m_grid->left() : m_grid->right();
        t->setColumnWidth(c, kind == K::Marker                        ? 18
                             : narrow                                 ? 44
                             : kind == K::Bib || kind == K::MemberBib ? 52
                                                                      : 100);
    }
    const int row = m_model->rowOf(current);
    if (row >= 0)
        m_grid->setCurrentRow(row);
    updateButtons();
}

void CViewRegEntry::updateButtons()
{
    const Node node = selectedNode();
    m_addPerf->setEnabled(node.valid && node.go > 0);
    m_removePerf->setEnabled(node.valid && node.perf > 0);
    m_buildFinal->setEnabled(node.valid && !node.eventId.isEmpty() && node.go == 0);
}

// --- Showing ------------------------------------------------------------------------

void CViewRegEntry::reload()
{
    CWorkView::reload();
    if (!m_frame.database().isRodeoOpen()) {
        m_treeModel->clear();
        m_model->load(EntryRows::Selection(), 0);
        updateButtons();
        return;
    }
    Node remembered;
    const QString eventId = state("curEvn");
    // The remembered event, compared exactly; else nothing in particular.
    for (const EventCfg& e : m_frame.database().events()) {
        if (e.id != eventId)
            continue;
        remembered.valid = true;
        remembered.eventId = e.id;
        remembered.go = state("curGo").toInt();
        remembered.perf = remembered.go > 0 ? state("curPerf").toInt() : 0;
    }
    buildTree(remembered);
    loadLists();
}

void CViewRegEntry::activated()
{
    restoreRectangles();
}

void CViewRegEntry::deactivated()
{
    storeRectangles();
}

void CViewRegEntry::storeRectangles()
{
    FileMgr& files = m_frame.files();
    const auto store = [&](QWidget* w, const char* element) {
        const QRect r(w->mapTo(this, QPoint(0, 0)), w->size());
        const QString e = QString::fromLatin1(element);
        files.SetCfgAtt(QString::number(r.left()), 2, QStringLiteral("left"), e);
        files.SetCfgAtt(QString::number(r.left() + r.width()), 2, QStringLiteral("right"), e);
        files.SetCfgAtt(QString::number(r.top()), 2, QStringLiteral("top"), e);
        files.SetCfgAtt(QString::number(r.top() + r.height()), 2, QStringLiteral("bottom"), e);
    };
    if (!isVisible())
        return;
    store(m_grid->left(), isTeamEvent() ? "IDC_LIST_TEAMS" : "IDC_LIST_COMPETITORS");
    for (const char* e : {"IDC_LIST_EVENTS", "IDC_LIST_GO_ROUNDS", "IDC_LIST_PERFS"})
        store(m_grid->right(), e);
}

void CViewRegEntry::restoreRectangles()
{
    // The competitor list's rectangle places both splits: the tree ends
    // where it begins, the entry lists begin where it ends.
    const char* element = isTeamEvent() ? "IDC_LIST_TEAMS" : "IDC_LIST_COMPETITORS";
    bool ok1 = false;
    bool ok2 = false;
    const int left = state("left", element).toInt(&ok1);
    const int right = state("right", element).toInt(&ok2);
    if (!ok1 || !ok2 || left < 100 || right - left < 100 || right > width() + 2000)
        return;
    const int total = m_splitter->width();
    m_splitter->setSizes({left, std::max(200, total - left)});
    const int inner = m_grid->splitter()->width();
    m_grid->splitter()->setSizes({right - left, std::max(100, inner - (right - left))});
}

// --- Performances and the final -------------------------------------------------

void CViewRegEntry::addPerformance()
{
    const Node node = selectedNode();
    if (!node.valid || node.go == 0)
        return;
    if (m_frame.database().AddPerformance(node.eventId, node.go) == 0) {
        m_frame.prompt().inform(QStringLiteral("Failed to add a new performance!"));
        return;
    }
    buildTree(node);
    loadLists();
}

void CViewRegEntry::removePerformance()
{
    const Node node = selectedNode();
    if (!node.valid || node.perf == 0)
        return;
    CDatabaseManager& db = m_frame.database();
    const EventCfg* event = db.GetEvent(node.eventId);
    if (!event)
        return;
    RegEntry probe;
    probe.eventId = node.eventId;
    probe.goRound = static_cast<quint16>(node.go);
    probe.ptId = 0;
    probe.plrEnt = 0;
    probe.perf = static_cast<quint16>(node.perf);
    if (db.HasStats(probe, db.GetEventTable(node.eventId), event->isTeam())) {
        m_frame.prompt().inform(QStringLiteral("There is stats in the performance. Action failed!"));
        return;
    }
    if (m_frame.prompt().ask(QStringLiteral("Are you sure to remove this performance?"), kMessage,
                             UserPrompt::Buttons::OkCancel, UserPrompt::Icon::Question) != UserPrompt::Ok)
        return;
    if (!db.RemovePerformance(node.eventId, node.go, node.perf))
        m_frame.prompt().inform(QStringLiteral("Removing the performance failed!"));
    Node go = node;
    go.perf = 0;
    buildTree(go);
    remember(go);
    loadLists();
}

void CViewRegEntry::buildFinal()
{
    const Node node = selectedNode();
    if (!node.valid || node.eventId.isEmpty() || node.go != 0)
        return;
    CDatabaseManager& db = m_frame.database();
    const EventCfg* event = db.GetEvent(node.eventId);
    if (!event)
        return;
    const QString eventId = event->id;
    const int finalGo = event->goRoundCount() + 1;
    const int places = event->finals.toInt();
    UserPrompt& prompt = m_frame.prompt();

    RegEntry selection;
    selection.eventId = eventId;
    selection.goRound = static_cast<quint16>(finalGo);
    if (!m_frame.SelectCompetition(selection)) {
        prompt.inform(QStringLiteral("Building finals failed!"));
        return;
    }
    if (db.finalHoldsEntries(eventId) &&
        !prompt.askYesNo(QStringLiteral("The final has been built. Do you want rebuild it?")))
        return;
    const QVector<EntryKey> finalists = ChooseFinalists(db.standings().overall(), places);
    switch (db.BuildFinal(eventId, finalists)) {
    case CDatabaseManager::FinalBuild::ClearFailed:
        prompt.inform(QStringLiteral("Clearing the old registration entries failed!"));
        return;
    case CDatabaseManager::FinalBuild::BuildFailed:
        prompt.inform(QStringLiteral("Building the final goround failed!"));
        return;
    case CDatabaseManager::FinalBuild::Built:
        break;
    }
    m_frame.SelectCompetition(selection); // the standings now hold the final
    Node final;
    final.valid = true;
    final.eventId = eventId;
    final.go = finalGo;
    buildTree(final);
    remember(final);
    loadLists();
}

// --- The draw --------------------------------------------------------------------------

void CViewRegEntry::showTreeMenu(const QPoint& at)
{
    const QModelIndex index = m_tree->indexAt(at);
    const Node node = nodeOf(index);
    if (!node.valid || node.eventId.isEmpty() || node.perf != 0)
        return; // the draw is of an event's go-round
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    QMenu menu(this);
    QAction* draw = menu.addAction(QStringLiteral("Draw..."));
    if (menu.exec(m_tree->viewport()->mapToGlobal(at)) == draw)
        openDraw(node.eventId, node.go > 0 ? node.go : 1);
}

void CViewRegEntry::openDraw(const QString& eventId, int go)
{
    CDatabaseManager& db = m_frame.database();
    CDlgDraw dialog(db, m_frame.prompt(), m_frame.files().dataFolder() + QStringLiteral("Html/"), this);
    // The final's running order by the standing, as Build Final orders it.
    dialog.setRanks([this, &db](const QString& id) {
        QHash<EntryKey, int> ranks;
        const EventCfg* event = db.GetEvent(id);
        RegEntry selection;
        selection.eventId = id;
        selection.goRound = static_cast<quint16>(event ? event->goRoundCount() + 1 : 1);
        if (event && m_frame.SelectCompetition(selection))
            for (const ResultRecord& r : db.standings().overall())
                if (r.position > 0)
                    ranks.insert(r.key, r.position);
        return ranks;
    });
    dialog.select(eventId, go);
    dialog.exec();
    Node node = selectedNode();
    buildTree(node);
    loadLists();
}

// --- Entering and deleting ---------------------------------------------------------

bool CViewRegEntry::enter(quint32 ptId)
{
    CDatabaseManager& db = m_frame.database();
    const EntryRows::Selection& sel = m_model->selection();
    UserPrompt& prompt = m_frame.prompt();
    if (sel.mode == EntryRows::Season) {
        const bool held =
            sel.team ? db.teamEntries().holdsCompetitor(ptId) : db.playerEntries().holdsCompetitor(ptId);
        if (held) {
            prompt.inform(sel.team ? QStringLiteral("There is already an entry of the team in the list!")
                                   : QStringLiteral("There Is Already An Entry Of The Player In The List!"));
            return false;
        }
    }
    if (sel.eventId.isEmpty())
        return false; // the competitor is in the season; entering needs an event
    RegEntry entry;
    entry.eventId = sel.eventId;
    entry.goRound = static_cast<quint16>(m_model->goRound());
    entry.perf = static_cast<quint16>(sel.perf);
    entry.ord =
        sel.perf > 0 ? static_cast<quint16>(db.FreeRunningOrder(sel.eventId, entry.goRound, sel.perf)) : 0;
    entry.ptId = ptId;
    entry.teamFlag = sel.team ? RegEntry::TeamEntry : RegEntry::OwnEntry;
    CDlgRegResolver resolver(sel.team, this);
    const auto outcome = db.AddCompetitorEntry(entry, &resolver);
    return outcome == CDatabaseManager::EntryAddition::Added ||
           outcome == CDatabaseManager::EntryAddition::Replaced;
}

bool CViewRegEntry::addEntryFor(int row)
{
    const EntryKey key = m_model->keyAt(row);
    if (key == 0 || !enter(entryKeyId(key)))
        return false;
    loadLists();
    return true;
}

bool CViewRegEntry::deleteEntryAt(int row)
{
    CDatabaseManager& db = m_frame.database();
    const EntryRows::Selection& sel = m_model->selection();
    const EntryKey key = m_model->keyAt(row);
    if (key == 0 || sel.eventId.isEmpty())
        return false;
    const RegEntryCollection& entries = sel.team ? db.teamEntries() : db.playerEntries();
    const RegEntryCollection::CompetitorEntry* c = entries.find(key);
    if (!c || !c->event(sel.eventId))
        return false;
    if (!sel.team && c->teamFlag == RegEntry::MemberEntry) {
        m_frame.prompt().inform(QStringLiteral("Please delete the team containing this player first!"));
        return false;
    }
    RegEntry entry = m_model->entryAt(row);
    if (!db.DeletePlrEntry(entry, db.GetEventTable(sel.eventId), sel.team))
        return false;
    m_frame.RefreshView(ViewTable::PerformanceEntry);
    return true;
}

void CViewRegEntry::showMenu(const QPoint& at)
{
    const int row = m_grid->currentRow();
    const EntryKey key = m_model->keyAt(row);
    if (key == 0)
        return;
    QMenu menu(this);
    QAction* add = menu.addAction(QStringLiteral("Add Entry"));
    add->setEnabled(!m_model->selection().eventId.isEmpty());
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    remove->setEnabled(!m_model->selection().eventId.isEmpty() && m_model->isEntered(row));
    QAction* chosen = menu.exec(at);
    if (chosen == add)
        addEntryFor(row);
    else if (chosen == remove)
        deleteEntryAt(row);
}

// --- Editing the lists ----------------------------------------------------------------

bool CViewRegEntry::editCell(int row, int column, const QString& text, int picked)
{
    CDatabaseManager& db = m_frame.database();
    const RegEntryModel::Column c = m_model->column(column);
    const EntryRows::Selection& sel = m_model->selection();
    bool changed = false;
    switch (c.kind) {
    case K::Bib:
    case K::FirstName:
    case K::LastName:
        changed = editContestant(row, int(c.kind) - int(K::Bib), text, picked);
        break;
    case K::TeamName:
    case K::MemberBib:
    case K::MemberFirstName:
    case K::MemberLastName:
        changed = editTeam(row, column, text, picked);
        break;
    case K::RunningOrder:
    case K::PerfOrder: {
        const int perf = c.kind == K::RunningOrder ? sel.perf : c.number;
        changed = db.PlaceEntry(m_model->entryAt(row), perf, text.toInt());
        break;
    }
    case K::StockBib:
    case K::StockName: {
        EntryEdits edits(db, m_frame.prompt());
        const RegEntry entry = m_model->entryAt(row);
        if (picked >= 0 && picked < m_pickIds.size()) {
            changed = edits.drawStock(entry, m_pickIds[picked]);
        } else {
            bool ok = false;
            const quint32 added = edits.typedStock(entry.stock, c.kind == K::StockBib, text, &ok);
            changed = ok && (added == 0 || edits.drawStock(entry, added));
        }
        break;
    }
    case K::EventCount: {
        const int count = text.toInt();
        if (count >= 1)
            changed = db.SetEventEntryCount(db.events()[c.number].id, entryKeyId(m_model->keyAt(row)), count);
        break;
    }
    default:
        break;
    }
    if (changed)
        loadLists();
    return changed;
}

bool CViewRegEntry::editContestant(int row, int field, const QString& text, int picked)
{
    EntryEdits edits(m_frame.database(), m_frame.prompt());
    const auto f = EntryEdits::Field(field);
    if (!m_model->isNewRow(row))
        return edits.renameContestant(entryKeyId(m_model->keyAt(row)), f, text);
    const bool season = m_model->selection().mode == EntryRows::Season;
    if (picked >= 0 && picked < m_pickIds.size()) {
        const quint32 id = m_pickIds[picked];
        // In "Season" every contestant is listed already.
        if (season && m_model->rowOf(makeEntryKey(id, 1)) >= 0 && m_model->selection().eventId.isEmpty()) {
            m_frame.prompt().inform(QStringLiteral("The Player already exists!"));
            return false;
        }
        return enter(id);
    }
    const quint32 id = edits.addContestant(f, text);
    if (id == 0)
        return false;
    enter(id);
    return true; // the contestant is in the season, entered or not
}

bool CViewRegEntry::editTeam(int row, int column, const QString& text, int picked)
{
    CDatabaseManager& db = m_frame.database();
    const RegEntryModel::Column c = m_model->column(column);
    const bool newRow = m_model->isNewRow(row);
    TeamRec team;
    if (!newRow) {
        const TeamRec* held = db.teams().find(entryKeyId(m_model->keyAt(row)));
        if (!held)
            return false;
        team = *held;
    }
    if (c.kind == K::TeamName) {
        const QString name = text.left(EntryEdits::TeamNameLimit);
        if (newRow) {
            // A team starts from its members: the name waits for the first.
            m_model->setNewTeamName(name);
            return true;
        }
        if (name == team.name)
            return false;
        team.name = name;
    } else {
        if (newRow)
            team.name = m_model->newTeamName();
        EntryEdits edits(db, m_frame.prompt());
        const auto field = EntryEdits::Field(int(c.kind) - int(K::MemberBib));
        const quint32 pickedId = picked >= 0 && picked < m_pickIds.size() ? m_pickIds[picked] : 0;
        const quint32 before = c.number == 0 ? team.plrId1 : c.number == 1 ? team.plrId2 : team.plrId3;
        if (!edits.setTeamMember(team, c.number, field, text, pickedId))
            return false;
        const quint32 after = c.number == 0 ? team.plrId1 : c.number == 1 ? team.plrId2 : team.plrId3;
        if (before == after && !newRow)
            return true; // the member's own record changed
    }
    if (!newRow)
        return db.UpdateTeam(team);
    int decision = 0;
    if (!db.AddTeam(team, decision) && team.tmId == 0)
        return false;
    m_model->setNewTeamName(QString());
    enter(team.tmId);
    return true;
}

QStringList CViewRegEntry::pickList(const QModelIndex& index)
{
    EntryEdits edits(m_frame.database(), m_frame.prompt());
    const K kind = m_model->column(index.column()).kind;
    EntryEdits::PickList list;
    if (kind == K::StockBib || kind == K::StockName)
        list = edits.stock(kind == K::StockBib);
    else if (kind == K::MemberBib || kind == K::MemberFirstName || kind == K::MemberLastName)
        list = edits.contestants(EntryEdits::Field(int(kind) - int(K::MemberBib)));
    else
        list = edits.contestants(EntryEdits::Field(int(kind) - int(K::Bib)));
    m_pickIds = list.ids;
    return list.items;
}

void CViewRegEntry::setUpEditors()
{
    const auto limit = [this](const QModelIndex& index) {
        switch (m_model->column(index.column()).kind) {
        case K::Bib:
        case K::MemberBib:
        case K::StockBib:
            return 5;
        case K::TeamName:
            return EntryEdits::TeamNameLimit;
        default:
            return 15;
        }
    };
    auto* names = new TextOrComboDelegate(
        [this](const QModelIndex& index) {
            const K kind = m_model->column(index.column()).kind;
            if (kind == K::StockBib || kind == K::StockName || kind == K::MemberBib ||
                kind == K::MemberFirstName || kind == K::MemberLastName)
                return true;
            return (kind == K::Bib || kind == K::FirstName || kind == K::LastName) &&
                   m_model->isNewRow(index.row());
        },
        [this](const QModelIndex& index) { return pickList(index); }, limit, this);
    auto* order = new DigitsDelegate(
        4,
        [this](const QModelIndex& index) {
            const RegEntryModel::Column c = m_model->column(index.column());
            const EntryRows::Selection& sel = m_model->selection();
            const int perf = c.kind == K::RunningOrder ? sel.perf : c.number;
            return QString::number(
                m_frame.database().FreeRunningOrder(sel.eventId, m_model->goRound(), perf));
        },
        this);
    auto* count = new DigitsDelegate(3, {}, this);
    m_grid->left()->setItemDelegate(names);
    m_grid->right()->setItemDelegate(names);
    // Column delegates follow the columns, which change with the node.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this, order, count] {
        for (QTableView* t : {m_grid->left(), m_grid->right()})
            for (int c = 0; c < m_model->columnCount() + 8; ++c)
                t->setItemDelegateForColumn(c, nullptr);
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const K kind = m_model->column(c).kind;
            QTableView* t = c < m_model->splitColumn() ? m_grid->left() : m_grid->right();
            if (kind == K::RunningOrder || kind == K::PerfOrder)
                t->setItemDelegateForColumn(c, order);
            else if (kind == K::EventCount)
                t->setItemDelegateForColumn(c, count);
        }
    });
}
