#include "dlgdraw.h"

#include "app/userprompt.h"
#include "dlgdrawrequest.h"
#include "dlgdrawsheet.h"
#include "draw/drawrandom.h"
#include "drawmodels.h"
#include "framework/headerpanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("Draw");

QTableView* table(QAbstractItemModel* model, const QString& name, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

} // namespace

CDlgDraw::CDlgDraw(CDatabaseManager& db, UserPrompt& prompt, const QString& htmlFolder, QWidget* parent)
    : QDialog(parent), m_db(db), m_session(db), m_prompt(prompt), m_htmlFolder(htmlFolder)
{
    setWindowTitle(kCaption);
    auto* header =
        new HeaderPanel(kCaption,
                        QStringLiteral("Performances, running order and animals drawn from a seed; "
                                       "nothing is written until you accept."),
                        this);
    m_event = new QComboBox(this);
    m_event->setObjectName(QStringLiteral("event"));
    for (const EventCfg& e : m_db.events())
        m_event->addItem(e.label, e.id);
    m_goRound = new QComboBox(this);
    m_goRound->setObjectName(QStringLiteral("goRound"));

    auto* what = new QGroupBox(QStringLiteral("Draw"), this);
    m_drawPerformances = new QRadioButton(QStringLiteral("Performances and running order"), what);
    m_drawPerformances->setObjectName(QStringLiteral("performances"));
    m_orderOnly = new QRadioButton(QStringLiteral("Running order within the performances"), what);
    m_orderOnly->setObjectName(QStringLiteral("orderOnly"));
    m_noOrder = new QRadioButton(QStringLiteral("No running order"), what);
    m_noOrder->setObjectName(QStringLiteral("noOrder"));
    auto* order = new QButtonGroup(this);
    for (QRadioButton* b : {m_drawPerformances, m_orderOnly, m_noOrder})
        order->addButton(b);
    m_drawPerformances->setChecked(true);
    m_stock = new QCheckBox(what);
    m_stock->setObjectName(QStringLiteral("stock"));
    m_rerides = new QCheckBox(what);
    m_rerides->setObjectName(QStringLiteral("rerides"));
    m_leadersLast = new QCheckBox(QStringLiteral("Leaders last (the final, by the standing)"), what);
    m_leadersLast->setObjectName(QStringLiteral("leadersLast"));
    m_twoEvents = new QCheckBox(QStringLiteral("Anyone may ride two events in one performance"), what);
    m_twoEvents->setObjectName(QStringLiteral("twoEvents"));
    auto* whatLayout = new QVBoxLayout(what);
    for (QWidget* w : std::initializer_list<QWidget*>{m_drawPerformances, m_orderOnly, m_noOrder, m_stock,
                                                      m_rerides, m_leadersLast, m_twoEvents})
        whatLayout->addWidget(w);
    whatLayout->addStretch(1);

    auto* perfBox = new QGroupBox(QStringLiteral("Performances"), this);
    m_performances = new QSpinBox(perfBox);
    m_performances->setObjectName(QStringLiteral("performanceCount"));
    m_performances->setRange(1, 255);
    m_places = new DrawPlacesModel(this);
    m_placesView = table(m_places, QStringLiteral("places"), perfBox);
    auto* count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("Performances:"), perfBox));
    count->addWidget(m_performances);
    count->addStretch(1);
    auto* perfLayout = new QVBoxLayout(perfBox);
    perfLayout->addLayout(count);
    perfLayout->addWidget(m_placesView, 1);

    auto* requestBox = new QGroupBox(QStringLiteral("Requests"), this);
    m_requests = new DrawRequestsModel(this);
    m_requestsView = table(m_requests, QStringLiteral("requests"), requestBox);
    m_requestsView->horizontalHeader()->hide();
    m_addRequest = new QPushButton(QStringLiteral("Add Request..."), requestBox);
    m_addRequest->setObjectName(QStringLiteral("addRequest"));
    m_removeRequest = new QPushButton(QStringLiteral("Remove Request"), requestBox);
    m_removeRequest->setObjectName(QStringLiteral("removeRequest"));
    auto* requestButtons = new QHBoxLayout;
    requestButtons->addWidget(m_addRequest);
    requestButtons->addWidget(m_removeRequest);
    requestButtons->addStretch(1);
    auto* requestLayout = new QVBoxLayout(requestBox);
    requestLayout->addWidget(m_requestsView, 1);
    requestLayout->addLayout(requestButtons);

    m_seed = new QLineEdit(this);
    m_seed->setObjectName(QStringLiteral("seed"));
    m_seed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{1,20}")), m_seed));
    m_newSeed = new QPushButton(QStringLiteral("New Seed"), this);
    m_newSeed->setObjectName(QStringLiteral("newSeed"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_rows = new DrawRowsModel(this);
    m_rowsView = table(m_rows, QStringLiteral("rows"), this);
    m_rowsView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_rowsView->horizontalHeader()->setStretchLastSection(true);
    m_unmet = new QLabel(this);
    m_unmet->setObjectName(QStringLiteral("unmet"));
    m_unmet->setWordWrap(true);
    m_unmet->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("Event:"), this));
    choose->addWidget(m_event, 1);
    choose->addWidget(new QLabel(QStringLiteral("Go-round:"), this));
    choose->addWidget(m_goRound);
    choose->addSpacing(12);
    choose->addWidget(new QLabel(QStringLiteral("Seed:"), this));
    choose->addWidget(m_seed, 1);
    choose->addWidget(m_newSeed);
    auto* boxes = new QHBoxLayout;
    what->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    perfBox->setMaximumWidth(240);
    boxes->addWidget(what);
    boxes->addWidget(perfBox);
    boxes->addWidget(requestBox, 1);
    auto* content = new QVBoxLayout;
    content->addLayout(choose);
    content->addLayout(boxes);
    content->addWidget(m_status);
    content->addWidget(m_rowsView, 1);
    content->addWidget(m_unmet);

    m_draw = new QPushButton(QStringLiteral("Draw"), this);
    m_draw->setObjectName(QStringLiteral("draw"));
    m_accept = new QPushButton(QStringLiteral("Accept"), this);
    m_accept->setObjectName(QStringLiteral("accept"));
    m_undo = new QPushButton(QStringLiteral("Undo Last Draw"), this);
    m_undo->setObjectName(QStringLiteral("undo"));
    m_sheet = new QPushButton(QStringLiteral("Draw Sheet"), this);
    m_sheet->setObjectName(QStringLiteral("sheet"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_draw, m_accept, m_undo, m_sheet})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    header->arrangeWithButtonColumn(this, content, buttons);
    resize(1100, 700);

    m_showSheet = [this](const QString& page, const QString& pdf) {
        CDlgDrawSheet sheet(page, pdf, this);
        sheet.exec();
    };
    connect(m_event, &QComboBox::currentIndexChanged, this, &CDlgDraw::eventChosen);
    connect(m_goRound, &QComboBox::currentIndexChanged, this, &CDlgDraw::goRoundChosen);
    connect(m_performances, &QSpinBox::valueChanged, this, &CDlgDraw::performancesChanged);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             m_drawPerformances, m_orderOnly, m_noOrder, m_stock, m_rerides, m_leadersLast, m_twoEvents})
        connect(b, &QAbstractButton::toggled, this, &CDlgDraw::optionsChanged);
    connect(m_places, &QAbstractItemModel::dataChanged, this, &CDlgDraw::dropPlan);
    connect(m_seed, &QLineEdit::textEdited, this, &CDlgDraw::dropPlan);
    connect(m_newSeed, &QPushButton::clicked, this, [this] { setSeed(DrawRandom::freshSeed()); });
    connect(m_addRequest, &QPushButton::clicked, this, &CDlgDraw::addRequest);
    connect(m_removeRequest, &QPushButton::clicked, this, &CDlgDraw::removeRequest);
    connect(m_draw, &QPushButton::clicked, this, &CDlgDraw::draw);
    connect(m_accept, &QPushButton::clicked, this, &CDlgDraw::acceptDraw);
    connect(m_undo, &QPushButton::clicked, this, &CDlgDraw::undoDraw);
    connect(m_sheet, &QPushButton::clicked, this, &CDlgDraw::writeSheet);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    setSeed(DrawRandom::freshSeed());
    loadRequests();
    eventChosen();
}

QString CDlgDraw::eventId() const
{
    return m_event->currentData().toString();
}

int CDlgDraw::goRound() const
{
    return m_goRound->currentData().toInt();
}

bool CDlgDraw::select(const QString& eventId, int goRound)
{
    const int e = m_event->findData(eventId);
    if (e < 0)
        return false;
    m_event->setCurrentIndex(e);
    const int g = m_goRound->findData(goRound);
    if (g < 0)
        return false;
    m_goRound->setCurrentIndex(g);
    return true;
}

void CDlgDraw::setSeed(quint64 seed)
{
    m_seed->setText(QString::number(seed));
    dropPlan();
}

void CDlgDraw::eventChosen()
{
    const EventCfg* event = m_db.GetEvent(eventId());
    const QSignalBlocker quiet(m_goRound);
    m_goRound->clear();
    if (event) {
        for (int g = 1; g <= event->goRoundCount(); ++g)
            m_goRound->addItem(QStringLiteral("Go Round %1").arg(g), g);
        if (m_db.finalHoldsEntries(event->id))
            m_goRound->addItem(QStringLiteral("Final"), event->goRoundCount() + 1);
    }
    goRoundChosen();
}

void CDlgDraw::goRoundChosen()
{
    const QSignalBlocker quiet(m_performances);
    m_performances->setValue(m_session.performanceCount(eventId(), goRound()));
    showGoRound();
}

void CDlgDraw::performancesChanged()
{
    m_places->setPlaces(m_session.capacities(eventId(), goRound(), m_performances->value()));
    dropPlan();
}

void CDlgDraw::showGoRound()
{
    const QString id = eventId();
    const int go = goRound();
    const bool final = m_session.isFinal(id, go);
    const bool stock = m_session.drawsStock(id);
    m_stock->setText(QStringLiteral("Animals from the pen (%1)").arg(m_session.penSize(id, false)));
    m_rerides->setText(
        QStringLiteral("Re-ride animals for the re-rides only (%1)").arg(m_session.penSize(id, true)));
    m_stock->setEnabled(stock);
    m_rerides->setEnabled(stock);
    if (!stock) {
        m_stock->setChecked(false);
        m_rerides->setChecked(false);
    }
    // A final's performance comes from Build Final.
    m_drawPerformances->setEnabled(!final);
    if (final && m_drawPerformances->isChecked())
        m_orderOnly->setChecked(true);
    m_leadersLast->setEnabled(final);
    if (!final)
        m_leadersLast->setChecked(false);
    m_places->setPlaces(m_session.capacities(id, go, m_performances->value()));
    DrawRec last;
    const bool drawn = m_db.LastDraw(id, go, last);
    m_undo->setEnabled(drawn);
    m_status->setText(drawn
                          ? QStringLiteral("Drawn %1 with seed %2. %3 entries.")
                                .arg(last.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                                .arg(last.seed)
                                .arg(m_session.entryCount(id, go))
                          : QStringLiteral("Not drawn. %1 entries.").arg(m_session.entryCount(id, go)));
    m_rows->setRows(m_session.currentRows(id, go), stock);
    m_unmet->setText(drawn && !last.unmet.isEmpty()
                         ? QStringLiteral("Accepted without: ") + last.unmet.join(QStringLiteral("; "))
                         : QString());
    optionsChanged();
}

void CDlgDraw::optionsChanged()
{
    const bool rerides = m_rerides->isChecked();
    m_drawPerformances->setEnabled(!rerides && !m_session.isFinal(eventId(), goRound()));
    m_orderOnly->setEnabled(!rerides);
    m_noOrder->setEnabled(!rerides);
    m_stock->setEnabled(!rerides && m_session.drawsStock(eventId()));
    m_placesView->setEnabled(!rerides && m_drawPerformances->isChecked());
    m_performances->setEnabled(m_placesView->isEnabled());
    m_twoEvents->setEnabled(m_placesView->isEnabled());
    dropPlan();
}

void CDlgDraw::dropPlan()
{
    if (m_plan) {
        m_plan.reset();
        showGoRound();
        return;
    }
    m_accept->setEnabled(false);
}

void CDlgDraw::loadRequests()
{
    const QVector<DrawRequestRec> all = m_session.requests();
    QStringList texts;
    for (const DrawRequestRec& r : all)
        texts << m_session.describe(r);
    m_requests->setRequests(all, texts);
    m_removeRequest->setEnabled(!all.isEmpty());
}

// --- Drawing ---------------------------------------------------------------------------

void CDlgDraw::draw()
{
    bool ok = false;
    DrawSession::Options o;
    o.seed = m_seed->text().toULongLong(&ok);
    if (!ok) {
        m_prompt.inform(QStringLiteral("Type the seed as a whole number (up to 20 digits)."), kCaption);
        return;
    }
    o.eventId = eventId();
    o.goRound = goRound();
    o.rerides = m_rerides->isChecked();
    o.performances = !o.rerides && m_drawPerformances->isEnabled() && m_drawPerformances->isChecked();
    o.runningOrder = !o.rerides && (o.performances || m_orderOnly->isChecked());
    o.stock = !o.rerides && m_stock->isChecked();
    o.leadersLast = m_leadersLast->isChecked();
    o.samePerformanceAllowed = m_twoEvents->isChecked();
    o.capacities = m_places->places();
    if (o.leadersLast && m_ranks)
        o.ranks = m_ranks(o.eventId);
    DrawSession::Plan plan = m_session.draw(o);
    if (!plan.ok()) {
        m_prompt.inform(plan.error, kCaption);
        return;
    }
    m_plan = plan;
    m_rows->setRows(plan.rows, m_session.drawsStock(o.eventId));
    m_status->setText(
        QStringLiteral("Drawn with seed %1, not written yet: Accept keeps this draw.").arg(o.seed));
    m_unmet->setText(plan.unmet.isEmpty()
                         ? QString()
                         : QStringLiteral("Cannot be honoured: ") + plan.unmet.join(QStringLiteral("; ")));
    m_accept->setEnabled(true);
}

void CDlgDraw::acceptDraw()
{
    if (!m_plan)
        return;
    if (!m_plan->unmet.isEmpty() &&
        !m_prompt.askYesNo(QStringLiteral("These cannot be honoured:\n\n%1\n\nKeep the draw without them?")
                               .arg(m_plan->unmet.join(QLatin1Char('\n'))),
                           kCaption))
        return;
    const CDatabaseManager::DrawWrite written = m_session.accept(*m_plan);
    m_plan.reset();
    switch (written) {
    case CDatabaseManager::DrawWrite::Written:
        break;
    case CDatabaseManager::DrawWrite::HasResults:
        m_prompt.inform(QStringLiteral("The go-round holds results: it cannot be drawn again."), kCaption);
        break;
    case CDatabaseManager::DrawWrite::Failed:
        m_prompt.warn(QStringLiteral("The draw could not be written. Nothing was changed."), kCaption);
        break;
    }
    showGoRound();
}

void CDlgDraw::undoDraw()
{
    if (m_prompt.ask(QStringLiteral("Undo the last draw of %1, %2?")
                         .arg(m_event->currentText(), m_goRound->currentText()),
                     kCaption, UserPrompt::Buttons::OkCancel, UserPrompt::Icon::Question) != UserPrompt::Ok)
        return;
    switch (m_session.undo(eventId(), goRound())) {
    case CDatabaseManager::DrawUndo::Undone:
        break;
    case CDatabaseManager::DrawUndo::NothingToUndo:
        m_prompt.inform(QStringLiteral("The go-round has no draw to undo."), kCaption);
        break;
    case CDatabaseManager::DrawUndo::HasResults:
        m_prompt.inform(
            QStringLiteral("A result was saved in the go-round after the draw: it cannot be undone."),
            kCaption);
        break;
    case CDatabaseManager::DrawUndo::ChangedSince:
        m_prompt.inform(
            QStringLiteral("The go-round was changed by hand after the draw: it cannot be undone."),
            kCaption);
        break;
    case CDatabaseManager::DrawUndo::Failed:
        m_prompt.warn(QStringLiteral("The draw could not be undone. Nothing was changed."), kCaption);
        break;
    }
    m_plan.reset();
    showGoRound();
}

void CDlgDraw::writeSheet()
{
    QString error;
    const QString page = m_session.writeSheet(eventId(), goRound(), m_htmlFolder, &error);
    if (page.isEmpty()) {
        m_prompt.warn(QStringLiteral("The draw sheet could not be written.\n%1").arg(error), kCaption);
        return;
    }
    if (m_showSheet)
        m_showSheet(page, page.left(page.size() - 5) + QStringLiteral(".pdf"));
}

// --- Requests --------------------------------------------------------------------------

void CDlgDraw::addRequest()
{
    QVector<const ContestantRec*> people;
    for (const ContestantRec& c : m_db.contestants())
        if (c.registered)
            people.append(&c);
    std::sort(people.begin(), people.end(), [](const ContestantRec* a, const ContestantRec* b) {
        const int last = QString::compare(a->lastName, b->lastName, Qt::CaseInsensitive);
        return last != 0 ? last < 0 : QString::compare(a->firstName, b->firstName, Qt::CaseInsensitive) < 0;
    });
    QVector<CDlgDrawRequest::Choice> contestants;
    for (const ContestantRec* c : std::as_const(people))
        contestants.append({QStringLiteral("%1, %2").arg(c->lastName, c->firstName) +
                                (c->bib.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(c->bib)),
                            c->plrId});
    QVector<CDlgDrawRequest::Choice> events;
    int goRounds = 1;
    for (const EventCfg& e : m_db.events()) {
        events.append({e.label, e.id});
        goRounds = std::max(goRounds, e.goRoundCount());
    }
    CDlgDrawRequest dialog(contestants, events, goRounds, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    DrawRequestRec request = dialog.request();
    if (!m_session.addRequest(request))
        m_prompt.warn(QStringLiteral("The request could not be saved."), kCaption);
    loadRequests();
    dropPlan();
}

void CDlgDraw::removeRequest()
{
    const qint64 id = m_requests->idAt(m_requestsView->currentIndex().row());
    if (id == 0) {
        m_prompt.inform(QStringLiteral("Select the request to remove."), kCaption);
        return;
    }
    if (!m_session.removeRequest(id))
        m_prompt.warn(QStringLiteral("The request could not be removed."), kCaption);
    loadRequests();
    dropPlan();
}
