#include "viewrodeosetup.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "setupeventsmodel.h"
#include "ui/dialogs/rodeo/waitcursor.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* fixedList(const QStringList& items, bool sorted, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    QStringList texts = items;
    if (sorted)
        texts.sort(Qt::CaseInsensitive);
    box->addItems(texts);
    return box;
}

// Selects the item with the text, or nothing when the list lacks it.
void selectText(QComboBox* box, const QString& text)
{
    box->setCurrentIndex(box->findText(text));
}

} // namespace

CViewRodeoSetup::CViewRodeoSetup(CMainFrame& frame, QWidget* parent)
    : CWorkView(32801, parent), m_frame(frame), m_sheet(frame.database(), frame.prompt())
{
    m_model = new SetupEventsModel(m_sheet, this);
    buildForm();
    connectControls();
    setEdited(false);
}

void CViewRodeoSetup::buildForm()
{
    auto* system = new QGroupBox(QStringLiteral("System Information"), this);
    auto* systemForm = new QFormLayout(system);
    m_season = new QLineEdit(system);
    m_season->setReadOnly(true);
    m_name = new QLineEdit(system);
    m_name->setMaxLength(RodeoSetupSheet::RodeoNameLimit);
    m_date = new QDateEdit(system);
    m_date->setCalendarPopup(true);
    m_profile = new QComboBox(system);
    systemForm->addRow(QStringLiteral("Season"), m_season);
    systemForm->addRow(QStringLiteral("Name"), m_name);
    systemForm->addRow(QStringLiteral("Start Date"), m_date);
    systemForm->addRow(QStringLiteral("Display Profile"), m_profile);

    auto* display = new QGroupBox(QStringLiteral("Display Text"), this);
    auto* displayForm = new QFormLayout(display);
    for (size_t i = 0; i < m_display.size(); ++i) {
        m_display[i] = new QLineEdit(display);
        m_display[i]->setMaxLength(RodeoSetupSheet::DisplayTextLimit);
    }
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    for (int i = 0; i < 3; ++i)
        names->addWidget(m_display[size_t(i)]);
    displayForm->addRow(QStringLiteral("Name"), names);
    displayForm->addRow(QStringLiteral("Dates"), m_display[RodeoSetupSheet::Dates]);
    displayForm->addRow(QStringLiteral("Location"), m_display[RodeoSetupSheet::Location]);
    auto* note =
        new QLabel(QStringLiteral("The Maximum Length of Each Display String Is 21 Characters"), display);
    note->setWordWrap(true);
    displayForm->addRow(note);

    auto* eventsGroup = new QGroupBox(QStringLiteral("Event Information"), this);
    auto* eventsLayout = new QHBoxLayout(eventsGroup);
    m_events = new QTableView(eventsGroup);
    m_events->setModel(m_model);
    m_events->setSelectionMode(QAbstractItemView::SingleSelection);
    m_events->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_events->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_events->verticalHeader()->hide();
    m_events->horizontalHeader()->setHighlightSections(false);
    m_events->setColumnWidth(0, 150);
    m_events->setColumnWidth(1, 50);
    m_events->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_events->setMinimumWidth(150 + 50 + 24);
    m_events->setMaximumWidth(150 + 50 + 40);
    eventsLayout->addWidget(m_events);

    auto* settings = new QFormLayout;
    m_eventName = new QComboBox(eventsGroup);
    m_eventName->setEditable(true);
    m_eventName->setInsertPolicy(QComboBox::NoInsert);
    m_resultKind = fixedList({QStringLiteral("Scored"), QStringLiteral("Timed")}, true, eventsGroup);
    m_competitorKind = fixedList({QStringLiteral("Individual"), QStringLiteral("Team")}, true, eventsGroup);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(m_resultKind);
    kinds->addWidget(m_competitorKind);
    m_goRounds = new QSpinBox(eventsGroup);
    m_goRounds->setRange(1, 99);
    m_finals = new QSpinBox(eventsGroup);
    m_finals->setRange(0, 999);
    m_judges = fixedList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}, true, eventsGroup);
    m_scoreEntry =
        fixedList({QStringLiteral("Combined"), QStringLiteral("Subtotal"), QStringLiteral("Separate")}, true,
                  eventsGroup);
    m_fraction = fixedList({QStringLiteral("Full"), QStringLiteral("Fraction")}, false, eventsGroup);
    m_precision = fixedList({QStringLiteral("0.1"), QStringLiteral("0.01"), QStringLiteral("0.001")}, true,
                            eventsGroup);
    m_ranking = fixedList({QStringLiteral("Longest to Shortest"), QStringLiteral("Shortest to Longest")},
                          true, eventsGroup);
    m_judgesLabel = new QLabel(QStringLiteral("Number of Judges"), eventsGroup);
    m_scoreEntryLabel = new QLabel(QStringLiteral("Score Entry"), eventsGroup);
    m_rankingLabel = new QLabel(QStringLiteral("Ranking Order"), eventsGroup);
    auto* entry = new QHBoxLayout;
    entry->addWidget(m_scoreEntry);
    entry->addWidget(m_fraction);
    settings->addRow(QStringLiteral("Display Name"), m_eventName);
    settings->addRow(QStringLiteral("Type"), kinds);
    settings->addRow(QStringLiteral("Number of Go-Rounds\n(1-99)"), m_goRounds);
    settings->addRow(QStringLiteral("Number of Competitors\nIn Final (0 - 999)"), m_finals);
    settings->addRow(m_judgesLabel, m_judges);
    settings->addRow(m_scoreEntryLabel, entry);
    settings->addRow(QStringLiteral("Precision"), m_precision);
    settings->addRow(m_rankingLabel, m_ranking);
    eventsLayout->addLayout(settings, 1);

    m_new = new QPushButton(QStringLiteral("New"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_new, m_delete, m_save, m_cancel})
        buttons->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(system, 1);
    top->addWidget(display, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(eventsGroup, 1);
    layout->addLayout(buttons);
}

void CViewRodeoSetup::connectControls()
{
    const auto rodeoText = [this](QLineEdit* field, auto apply, auto held) {
        connect(field, &QLineEdit::textChanged, this, [this, field, apply, held](const QString& text) {
            if (!m_filling)
                rodeoTextEdited(field, apply(text), held());
        });
    };
    rodeoText(
        m_name, [this](const QString& t) { return m_sheet.setRodeoName(t); },
        [this] { return m_sheet.rodeo().name; });
    for (int i = 0; i < 5; ++i) {
        const auto which = RodeoSetupSheet::DisplayText(i);
        rodeoText(
            m_display[size_t(i)],
            [this, which](const QString& t) { return m_sheet.setDisplayText(which, t); },
            [this, which] { return m_sheet.displayText(which); });
    }
    connect(m_date, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!m_filling && m_sheet.setDate(date))
            setEdited(true);
    });
    connect(m_profile, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!m_filling && m_sheet.setProfile(text))
            setEdited(true);
    });

    // The controls follow the selected row, by click or by key.
    connect(m_events->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_filling)
            showSelectedEvent();
    });
    connect(m_eventName->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& t) { eventNameTyped(t); });
    connect(m_eventName, &QComboBox::activated, this, [this](int item) { eventNamePicked(item); });
    connect(m_resultKind, &QComboBox::activated, this, [this](int) {
        if (m_sheet.setResultKind(selectedEvent(), m_resultKind->currentText())) {
            showSelectedEvent();
            afterEventEdit(true);
        } else {
            showSelectedEvent();
        }
    });
    const auto choice = [this](QComboBox* box, RodeoSetupSheet::Choice which) {
        connect(box, &QComboBox::activated, this, [this, box, which](int) {
            const bool taken = m_sheet.setChoice(selectedEvent(), which, box->currentText());
            if (!taken)
                showSelectedEvent(); // a refused pick shows the held value again
            afterEventEdit(taken);
        });
    };
    choice(m_competitorKind, RodeoSetupSheet::CompetitorKind);
    choice(m_scoreEntry, RodeoSetupSheet::ScoreEntry);
    choice(m_fraction, RodeoSetupSheet::Fraction);
    choice(m_precision, RodeoSetupSheet::Precision);
    choice(m_ranking, RodeoSetupSheet::Ranking);
    connect(m_goRounds, &QSpinBox::textChanged, this, [this](const QString& t) { goRoundsTyped(t); });
    connect(m_finals, &QSpinBox::textChanged, this, [this](const QString& t) { finalsTyped(t); });
    connect(m_judges, &QComboBox::activated, this, [this](int item) { judgesPicked(item); });

    connect(m_new, &QPushButton::clicked, this, &CViewRodeoSetup::newEvent);
    connect(m_delete, &QPushButton::clicked, this, &CViewRodeoSetup::deleteEvent);
    connect(m_save, &QPushButton::clicked, this, &CViewRodeoSetup::save);
    connect(m_cancel, &QPushButton::clicked, this, &CViewRodeoSetup::cancel);
}

// --- Loading ---------------------------------------------------------------------

void CViewRodeoSetup::reload()
{
    CWorkView::reload();
    fill(false);
}

void CViewRodeoSetup::fill(bool eventsAgain)
{
    if (!m_sheet.reload(eventsAgain))
        return;
    m_filling = true;
    const RodeoInfo& rodeo = m_sheet.rodeo();
    m_season->setText(m_frame.database().GetSeasonName());
    m_name->setText(rodeo.name);
    const QDate date = m_sheet.date();
    m_date->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    if (date.isValid())
        m_date->setDate(date);
    m_profile->clear();
    QStringList profiles = m_frame.files().GetProfileNames();
    profiles.sort(Qt::CaseInsensitive);
    m_profile->addItems(profiles);
    selectText(m_profile, rodeo.profile);
    for (int i = 0; i < 5; ++i)
        m_display[size_t(i)]->setText(m_sheet.displayText(RodeoSetupSheet::DisplayText(i)));

    m_model->reset();
    m_eventName->clear();
    for (const EventCfg& e : m_sheet.events())
        addEventName(e.name);
    m_filling = false;
    selectEvent(0);
    showSelectedEvent();
}

void CViewRodeoSetup::addEventName(const QString& name)
{
    // Names the list holds already (or that one of its names begins with) are not added twice.
    for (int i = 0; i < m_eventName->count(); ++i)
        if (m_eventName->itemText(i).startsWith(name, Qt::CaseInsensitive))
            return;
    const QSignalBlocker block(m_eventName);
    int at = 0;
    while (at < m_eventName->count() &&
           QString::compare(m_eventName->itemText(at), name, Qt::CaseInsensitive) < 0)
        ++at;
    m_eventName->insertItem(at, name);
}

int CViewRodeoSetup::selectedEvent() const
{
    // The current row: a click makes a row current before it selects it, and
    // the form must show (and edits go to) the row the operator clicked.
    const QModelIndex current = m_events->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CViewRodeoSetup::selectEvent(int index)
{
    if (index < 0 || index >= m_model->rowCount()) {
        m_events->selectionModel()->clear();
        return;
    }
    m_events->selectionModel()->setCurrentIndex(
        m_model->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CViewRodeoSetup::showSelectedEvent()
{
    const int index = selectedEvent();
    const EventCfg* e = m_sheet.event(index);
    if (!e)
        return;
    m_filling = true;
    const bool scored = e->isScored();
    const bool timed = e->scoringKind == QLatin1String("Timed");
    if (scored || timed) {
        for (QWidget* w : {static_cast<QWidget*>(m_judgesLabel), static_cast<QWidget*>(m_judges),
                           static_cast<QWidget*>(m_scoreEntryLabel), static_cast<QWidget*>(m_scoreEntry),
                           static_cast<QWidget*>(m_fraction)})
            w->setVisible(scored);
        m_rankingLabel->setVisible(timed);
        m_ranking->setVisible(timed);
    }
    addEventName(e->name);
    m_eventName->setEditText(e->name);
    selectText(m_resultKind, e->scoringKind);
    selectText(m_competitorKind, e->entryKind);
    m_goRounds->setValue(e->goRoundCount());
    m_finals->setValue(e->finals.toInt());
    selectText(m_precision, e->precision);
    if (scored) {
        selectText(m_judges, e->judgeCount);
        selectText(m_scoreEntry, e->judgeMode);
        selectText(m_fraction, e->fraction);
    } else if (timed) {
        selectText(m_ranking, e->ranking);
    }
    const bool standard = m_sheet.isStandard(index);
    const bool kinds = !standard && m_sheet.kindsEditable(index);
    m_eventName->setEnabled(!standard);
    m_resultKind->setEnabled(kinds);
    m_competitorKind->setEnabled(kinds);
    m_delete->setEnabled(kinds);
    m_filling = false;
}

void CViewRodeoSetup::setEdited(bool edited)
{
    m_save->setEnabled(edited);
    m_cancel->setEnabled(edited);
}

void CViewRodeoSetup::afterEventEdit(bool accepted)
{
    if (accepted)
        setEdited(true);
}

// --- Accepting changes ----------------------------------------------------------

void CViewRodeoSetup::rodeoTextEdited(QLineEdit* field, RodeoSetupSheet::Outcome outcome, const QString& held)
{
    using O = RodeoSetupSheet::Outcome;
    if (outcome == O::Taken || outcome == O::Truncated)
        setEdited(true);
    // A refused text stays typed; a cut one shows what was kept.
    if (outcome == O::Truncated) {
        const QSignalBlocker block(field);
        field->setText(held);
    }
}

void CViewRodeoSetup::eventNameTyped(const QString& text)
{
    const int index = selectedEvent();
    if (m_filling || index < 0)
        return;
    const auto outcome = m_sheet.setEventName(index, text, false);
    if (outcome == RodeoSetupSheet::Outcome::Truncated) {
        const QSignalBlocker block(m_eventName->lineEdit());
        m_eventName->lineEdit()->setText(m_sheet.event(index)->name);
    }
    if (outcome == RodeoSetupSheet::Outcome::Taken || outcome == RodeoSetupSheet::Outcome::Truncated) {
        m_model->nameChanged(index);
        setEdited(true);
    }
}

void CViewRodeoSetup::eventNamePicked(int item)
{
    const int index = selectedEvent();
    if (m_filling || index < 0 || item < 0)
        return;
    const auto outcome = m_sheet.setEventName(index, m_eventName->itemText(item), true);
    if (outcome == RodeoSetupSheet::Outcome::Taken || outcome == RodeoSetupSheet::Outcome::Truncated) {
        m_model->nameChanged(index);
        setEdited(true);
    }
    const QSignalBlocker block(m_eventName->lineEdit());
    m_eventName->setEditText(m_sheet.event(index)->name);
}

void CViewRodeoSetup::goRoundsTyped(const QString& text)
{
    const int index = selectedEvent();
    if (m_filling || index < 0)
        return;
    const SetupCheckOutcome o = m_sheet.setGoRounds(index, text);
    // An emptied field waits for the digits still to come.
    const bool putBack = o.action == SetupCheckOutcome::RevertWithMessage ||
                         (o.action == SetupCheckOutcome::RevertSilently && !text.trimmed().isEmpty());
    if (putBack) {
        m_filling = true;
        m_goRounds->setValue(m_sheet.event(index)->goRoundCount());
        m_filling = false;
    }
    afterEventEdit(o.action == SetupCheckOutcome::Take);
}

void CViewRodeoSetup::finalsTyped(const QString& text)
{
    const int index = selectedEvent();
    if (m_filling || index < 0)
        return;
    const SetupCheckOutcome o = m_sheet.setFinals(index, text);
    if (o.action == SetupCheckOutcome::RevertWithMessage) {
        m_filling = true;
        m_finals->setValue(o.value);
        m_filling = false;
    }
    afterEventEdit(o.action == SetupCheckOutcome::Take);
}

void CViewRodeoSetup::judgesPicked(int item)
{
    const int index = selectedEvent();
    if (m_filling || index < 0 || item < 0)
        return;
    const SetupCheckOutcome o = m_sheet.setJudges(index, m_judges->itemText(item));
    if (o.action != SetupCheckOutcome::Take) {
        const QSignalBlocker block(m_judges);
        selectText(m_judges, m_sheet.event(index)->judgeCount);
    }
    afterEventEdit(o.action == SetupCheckOutcome::Take);
}

// --- Buttons -----------------------------------------------------------------------

void CViewRodeoSetup::newEvent()
{
    const int index = m_sheet.addEvent();
    if (index < 0)
        return;
    m_model->reset();
    addEventName(m_sheet.event(index)->name);
    selectEvent(index);
    showSelectedEvent();
    setEdited(true);
    m_frame.eventsChanged(viewId()); // the event is written already
}

void CViewRodeoSetup::deleteEvent()
{
    const int index = selectedEvent();
    if (index < 0 || !m_sheet.deleteEvent(index))
        return;
    m_model->reset();
    selectEvent(0);
    showSelectedEvent();
    setEdited(true);
    m_frame.eventsChanged(viewId()); // the event is deleted already
}

void CViewRodeoSetup::save()
{
    // A name another rodeo has is refused; the other edits are saved.
    m_sheet.refuseTakenRodeoName();
    const WaitCursor wait;
    const RodeoInfo rodeo = m_sheet.rodeo();
    const bool saved = m_frame.SaveRodeoSetup(m_sheet.rodeoChanged() ? &rodeo : nullptr, m_sheet.events());
    fill(false);
    setEdited(false);
    m_frame.eventsChanged(viewId());
    if (!saved)
        m_frame.prompt().warn(QStringLiteral("The changes could not be saved; nothing of them was written.\n"
                                             "The settings as they are stored are shown again."));
}

void CViewRodeoSetup::cancel()
{
    const WaitCursor wait;
    // New and Delete wrote already: the list shows the rodeo's events as they are now.
    fill(m_sheet.eventsWritten());
    setEdited(false);
}

void CViewRodeoSetup::deactivated()
{
    settlePendingEdits();
}

void CViewRodeoSetup::settlePendingEdits()
{
    const QString question = m_sheet.leavingQuestion();
    if (question.isEmpty())
        return;
    const int answer = m_frame.prompt().ask(question, QStringLiteral("Message"),
                                            UserPrompt::Buttons::OkCancel, UserPrompt::Icon::Question);
    if (answer == UserPrompt::Ok)
        save();
    else
        cancel();
}
