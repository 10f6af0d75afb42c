#include "dlgpayouts.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "dlgpayoutschedules.h"
#include "framework/headerpanel.h"
#include "payouts/payoutforms.h"
#include "reports/pagepdf.h"
#include "reports/payoutpages.h"
#include "reports/reportbuilder.h"
#include "textgridmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QLineEdit* field(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAlignment(Qt::AlignRight);
    return e;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QString when(const PayoutPosting& p)
{
    return p.when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString plainPage(const QString& text)
{
    return QStringLiteral("<html><body><p>%1</p></body></html>").arg(text.toHtmlEscaped());
}

constexpr int kAllAround = 0;

} // namespace

CDlgPayouts::CDlgPayouts(CDatabaseManager& db, UserPrompt& prompt, const QString& htmlFolder, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt), m_htmlFolder(htmlFolder)
{
    setWindowTitle(QStringLiteral("Payouts"));
    QVector<PayoutSchedule> schedules;
    if (m_db.GetPayoutSchedules(schedules) && schedules.isEmpty())
        m_db.AddBuiltInPayoutSchedules();

    auto* header =
        new HeaderPanel(QStringLiteral("Payouts"),
                        QStringLiteral("The purse of each event, who won how much, and the season's "
                                       "earnings."),
                        this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(makePayoutsPage(), QStringLiteral("Rodeo Payouts"));
    m_tabs->addTab(makeStandingsPage(), QStringLiteral("Season Standings"));
    auto* content = new QVBoxLayout;
    content->addWidget(m_tabs, 1);

    m_print = button(QStringLiteral("Print PDF..."), "print", this);
    m_print->setToolTip(QStringLiteral("Print the page shown to a PDF file"));
    m_post = button(QStringLiteral("Post Earnings"), "post", this);
    m_post->setToolTip(QStringLiteral("Add each contestant's total to their earnings this season"));
    m_undo = button(QStringLiteral("Undo Posting"), "undo", this);
    m_undo->setToolTip(QStringLiteral("Take the posted earnings back"));
    auto* close = button(QStringLiteral("Close"), "close", this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_print);
    buttons->addSpacing(12);
    buttons->addWidget(m_post);
    buttons->addWidget(m_undo);
    buttons->addStretch(1);
    buttons->addWidget(close);
    header->arrangeWithButtonColumn(this, content, buttons);

    connect(m_print, &QPushButton::clicked, this, &CDlgPayouts::printPage);
    connect(m_post, &QPushButton::clicked, this, &CDlgPayouts::post);
    connect(m_undo, &QPushButton::clicked, this, &CDlgPayouts::undo);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            fillStandingsChoice();
        else
            showPayouts();
    });

    // Enter in a purse field saves the settings; it never posts.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    m_save->setDefault(true);

    fillSchedules();
    eventChosen();
}

QWidget* CDlgPayouts::makePayoutsPage()
{
    auto* page = new QWidget(this);
    m_event = new QComboBox(page);
    m_event->setObjectName(QStringLiteral("event"));
    m_event->addItem(QStringLiteral("Whole rodeo"), QString());
    for (const EventCfg& e : m_db.events())
        m_event->addItem(e.label, e.id);

    m_settings = new QGroupBox(QStringLiteral("Purse of the event"), page);
    m_added = field("added", m_settings);
    m_fee = field("fee", m_settings);
    m_counted = new QCheckBox(QStringLiteral("Counted from the entries"), m_settings);
    m_counted->setObjectName(QStringLiteral("counted"));
    m_entries = field("entries", m_settings);
    m_deductPercent = field("deductPercent", m_settings);
    m_deductFixed = field("deductFixed", m_settings);
    m_schedule = new QComboBox(m_settings);
    m_schedule->setObjectName(QStringLiteral("schedule"));
    auto* schedules = button(QStringLiteral("Schedules..."), "schedules", m_settings);
    m_ground = new QComboBox(m_settings);
    m_ground->setObjectName(QStringLiteral("ground"));
    m_ground->addItem(QStringLiteral("Split among all who competed"));
    m_ground->addItem(QStringLiteral("Kept"));
    m_splitModel = new TextGridModel({QStringLiteral("Part"), QStringLiteral("% of the purse")}, this);
    m_splitModel->setEditableColumns({1});
    m_splitModel->setAlignment(QStringLiteral("lr"));
    m_split = new QTableView(m_settings);
    m_split->setObjectName(QStringLiteral("split"));
    m_split->setModel(m_splitModel);
    m_split->verticalHeader()->hide();
    m_split->verticalHeader()->setDefaultSectionSize(m_split->fontMetrics().height() + 8);
    m_split->horizontalHeader()->setStretchLastSection(true);
    m_split->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_split->setMinimumHeight(120);
    m_save = button(QStringLiteral("Save Settings"), "save", m_settings);
    m_notPaid = button(QStringLiteral("Not Paid"), "notPaid", m_settings);
    m_notPaid->setToolTip(QStringLiteral("The event pays nothing: its purse settings are removed"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Added money:"), m_added);
    m_feeLabel = new QLabel(QStringLiteral("Entry fee:"), m_settings);
    form->addRow(m_feeLabel, m_fee);
    auto* entries = new QHBoxLayout;
    entries->addWidget(m_entries, 1);
    entries->addWidget(m_counted);
    form->addRow(QStringLiteral("Paid entries:"), entries);
    form->addRow(QStringLiteral("Deduction (%):"), m_deductPercent);
    form->addRow(QStringLiteral("Fixed deduction:"), m_deductFixed);
    auto* schedule = new QHBoxLayout;
    schedule->addWidget(m_schedule, 1);
    schedule->addWidget(schedules);
    form->addRow(QStringLiteral("Schedule:"), schedule);
    form->addRow(QStringLiteral("Unpaid places:"), m_ground);
    auto* settings = new QVBoxLayout(m_settings);
    settings->addLayout(form);
    settings->addWidget(new QLabel(QStringLiteral("Where the purse goes:"), m_settings));
    settings->addWidget(m_split, 1);
    auto* save = new QHBoxLayout;
    save->addWidget(m_save);
    save->addWidget(m_notPaid);
    save->addStretch(1);
    settings->addLayout(save);
    m_settings->setFixedWidth(360);

    m_page = new QTextBrowser(page);
    m_page->setObjectName(QStringLiteral("page"));
    m_page->setMinimumSize(520, 420);
    m_status = new QLabel(page);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Event:"), page));
    top->addWidget(m_event, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_settings);
    middle->addWidget(m_page, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(m_status);

    connect(m_event, &QComboBox::currentIndexChanged, this, &CDlgPayouts::eventChosen);
    connect(m_counted, &QCheckBox::toggled, this, [this](bool counted) {
        m_entries->setReadOnly(counted);
        if (counted)
            m_entries->setText(QString::number(m_db.CountPaidEntries(chosenEvent())));
    });
    connect(schedules, &QPushButton::clicked, this, &CDlgPayouts::editSchedules);
    connect(m_save, &QPushButton::clicked, this, &CDlgPayouts::saveSettings);
    connect(m_notPaid, &QPushButton::clicked, this, &CDlgPayouts::removeSettings);
    return page;
}

QWidget* CDlgPayouts::makeStandingsPage()
{
    auto* page = new QWidget(this);
    m_standingsOf = new QComboBox(page);
    m_standingsOf->setObjectName(QStringLiteral("standingsOf"));
    m_standingsModel = new TextGridModel({QStringLiteral("Place"), QStringLiteral("Contestant"),
                                          QStringLiteral("Earnings"), QStringLiteral("Events")},
                                         this);
    m_standingsModel->setAlignment(QStringLiteral("clrc"));
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_standingsModel);
    m_sorted->setSortRole(Qt::UserRole);
    m_standings = new QTableView(page);
    m_standings->setObjectName(QStringLiteral("standings"));
    m_standings->setModel(m_sorted);
    m_standings->setSortingEnabled(true);
    m_standings->sortByColumn(2, Qt::DescendingOrder);
    m_standings->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_standings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_standings->verticalHeader()->hide();
    m_standings->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Standings:"), page));
    top->addWidget(m_standingsOf, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_standings, 1);
    layout->addWidget(
        new QLabel(QStringLiteral("From the earnings posted at the season's rodeos. The all-around "
                                  "counts the contestants who won money in two events or more."),
                   page));
    connect(m_standingsOf, &QComboBox::currentIndexChanged, this, &CDlgPayouts::showStandings);
    return page;
}

QString CDlgPayouts::chosenEvent() const
{
    return m_event->currentData().toString();
}

void CDlgPayouts::fillSchedules()
{
    const qint64 chosen = m_schedule->currentData().toLongLong();
    QVector<PayoutSchedule> all;
    m_db.GetPayoutSchedules(all);
    const QSignalBlocker block(m_schedule);
    m_schedule->clear();
    for (const PayoutSchedule& s : all)
        m_schedule->addItem(s.name, s.id);
    m_schedule->setCurrentIndex(m_schedule->findData(chosen));
}

void CDlgPayouts::eventChosen()
{
    const QString id = chosenEvent();
    const EventCfg* event = m_db.GetEvent(id);
    EventPurse purse;
    const bool known = event && m_db.GetEventPurse(id, purse);
    m_settings->setEnabled(known);
    m_settings->setTitle(known ? QStringLiteral("Purse of %1").arg(event->name)
                               : QStringLiteral("Purse of the event"));
    m_feeLabel->setText(known && event->isTeam() ? QStringLiteral("Entry fee per roper:")
                                                 : QStringLiteral("Entry fee:"));
    PurseFormTexts t = PayoutForms::purseTexts(purse.purse, purse.entriesCounted, purse.split);
    // Settings kept from before the event's go-round count changed: a row for
    // each go-round it has now (new ones at 0), for the operator to set again.
    if (known)
        t.goRounds.resize(event->goRoundCount(), QStringLiteral("0"));
    for (auto [edit, text] :
         {std::pair{m_added, t.addedMoney}, std::pair{m_fee, t.entryFee}, std::pair{m_entries, t.paidEntries},
          std::pair{m_deductPercent, t.deductionPercent}, std::pair{m_deductFixed, t.deductionFixed}})
        edit->setText(known ? text : QString());
    {
        const QSignalBlocker block(m_counted);
        m_counted->setChecked(purse.entriesCounted);
    }
    m_entries->setReadOnly(purse.entriesCounted);
    m_schedule->setCurrentIndex(m_schedule->findData(purse.scheduleId));
    m_ground->setCurrentIndex(purse.ground == GroundMoney::Kept ? 1 : 0);
    QVector<QStringList> rows;
    if (known) {
        for (int g = 0; g < t.goRounds.size(); ++g)
            rows << QStringList{QStringLiteral("Go-Round %1").arg(g + 1), t.goRounds.at(g)};
        rows << QStringList{QStringLiteral("Average"), t.average}
             << QStringList{QStringLiteral("Final"), t.finalRound};
    }
    m_splitModel->setRows(rows);
    m_notPaid->setEnabled(purse.stored);
    m_save->setText(purse.stored ? QStringLiteral("Save Settings") : QStringLiteral("Pay This Event"));
    showPayouts();
}

void CDlgPayouts::showPayouts()
{
    RodeoPayout payout;
    if (!m_db.ComputeRodeoPayout(payout)) {
        m_pageHtml = plainPage(QStringLiteral("The payouts could not be worked out (see the log)."));
        m_page->setHtml(m_pageHtml);
        return;
    }
    PayoutPosting posting;
    const bool posted = m_db.GetPayoutPosting(posting);
    const PayoutPages pages(m_db);
    // The sheets beside the other report pages; a folder that cannot be
    // written only loses the files, not the sheet shown here.
    pages.writeRodeo(payout, posted ? &posting : nullptr, m_htmlFolder);

    const QString id = chosenEvent();
    if (id.isEmpty()) {
        m_pageTitle = QStringLiteral("Payouts");
        m_pageHtml = pages.rodeoPage(payout, posted ? &posting : nullptr);
    } else {
        const auto it = std::find_if(payout.events.cbegin(), payout.events.cend(),
                                     [&](const EventPayout& e) { return e.eventId == id; });
        const EventCfg* event = m_db.GetEvent(id);
        m_pageTitle = (event ? event->name : id) + QStringLiteral(" Payouts");
        m_pageHtml =
            it != payout.events.cend()
                ? pages.eventPage(*it)
                : plainPage(QStringLiteral("%1 pays nothing yet: set its purse and press \"Pay This Event\".")
                                .arg(event ? event->name : id));
    }
    m_page->setHtml(m_pageHtml);

    QString status;
    if (posted) {
        status = QStringLiteral("Posted on %1 (UTC): %2 to %3 contestants' earnings this season.")
                     .arg(when(posting), Money::format(posting.total))
                     .arg(posting.contestants);
    } else if (payout.events.isEmpty()) {
        status = QStringLiteral("Not posted. No event pays yet.");
    } else if (!payout.canPay()) {
        QStringList problems;
        for (const EventPayout& e : payout.events)
            problems << e.problems;
        status = QStringLiteral("Not posted. Not ready: %1").arg(problems.join(QLatin1Char(' ')));
    } else {
        status = QStringLiteral("Not posted. %1 to %2 contestants.")
                     .arg(Money::format(payout.total()))
                     .arg(payout.cheques.size());
    }
    m_status->setText(status);
    m_post->setEnabled(!posted);
    m_undo->setEnabled(posted);
}

void CDlgPayouts::saveSettings()
{
    const QString id = chosenEvent();
    if (!m_db.GetEvent(id))
        return;
    PurseFormTexts t;
    t.addedMoney = m_added->text();
    t.entryFee = m_fee->text();
    t.entriesCounted = m_counted->isChecked();
    t.paidEntries = m_entries->text();
    t.deductionPercent = m_deductPercent->text();
    t.deductionFixed = m_deductFixed->text();
    const QVector<QStringList>& rows = m_splitModel->rows();
    for (int r = 0; r + 2 < rows.size(); ++r)
        t.goRounds << rows.at(r).value(1);
    t.average = rows.value(rows.size() - 2).value(1);
    t.finalRound = rows.value(rows.size() - 1).value(1);

    EventPurse p;
    p.eventId = id;
    p.entriesCounted = t.entriesCounted;
    p.scheduleId = m_schedule->currentData().toLongLong();
    p.ground = m_ground->currentIndex() == 1 ? GroundMoney::Kept : GroundMoney::Split;
    QString why;
    if (!PayoutForms::readPurse(t, m_db.CountPaidEntries(id), p.purse, p.split, &why) ||
        !m_db.SaveEventPurse(p, &why)) {
        m_prompt.warn(why);
        return;
    }
    eventChosen();
}

void CDlgPayouts::removeSettings()
{
    const EventCfg* event = m_db.GetEvent(chosenEvent());
    if (!event || !m_prompt.askYesNo(
                      QStringLiteral("Remove the purse of %1? The event will pay nothing.").arg(event->name)))
        return;
    if (!m_db.RemoveEventPurse(event->id))
        m_prompt.warn(QStringLiteral("The purse of %1 could not be removed.").arg(event->name));
    eventChosen();
}

void CDlgPayouts::editSchedules()
{
    CDlgPayoutSchedules dialog(m_db, m_prompt, this);
    dialog.exec();
    fillSchedules();
    showPayouts();
}

void CDlgPayouts::printPage()
{
    QDir().mkpath(m_htmlFolder);
    QString name = m_pageTitle;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    QFileDialog dialog(this, QStringLiteral("Print to PDF"), m_htmlFolder,
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setObjectName(QStringLiteral("pdfFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(name + QStringLiteral(".pdf"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // The program's own file dialog, the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    QString why;
    if (!PagePdf::write(m_pageHtml, path, m_pageTitle, &why)) {
        m_prompt.warn(why);
        return;
    }
    m_prompt.inform(QStringLiteral("The page is printed to %1.").arg(QDir::toNativeSeparators(path)));
}

void CDlgPayouts::post()
{
    RodeoPayout payout;
    // Asked only when the posting can go through; otherwise the refusal
    // says why.
    if (m_db.ComputeRodeoPayout(payout) && !payout.events.isEmpty() && payout.canPay() &&
        !payout.cheques.isEmpty() &&
        !m_prompt.askYesNo(
            QStringLiteral("Post the earnings of the rodeo \"%1\"? %2 go to %3 contestants' earnings "
                           "this season.")
                .arg(m_db.GetRodeoName(), Money::format(payout.total()))
                .arg(payout.cheques.size())))
        return;
    QString why;
    if (!m_db.PostEarnings(&why))
        m_prompt.warn(why);
    showPayouts();
}

void CDlgPayouts::undo()
{
    PayoutPosting posting;
    if (!m_db.GetPayoutPosting(posting)) {
        showPayouts();
        return;
    }
    if (!m_prompt.askYesNo(
            QStringLiteral("Undo the posting of %1 (%2 to %3 contestants)? Their earnings this season "
                           "go back to what they were before it.")
                .arg(when(posting), Money::format(posting.total))
                .arg(posting.contestants)))
        return;
    QString why;
    if (!m_db.UndoPayoutPosting(&why))
        m_prompt.warn(why);
    showPayouts();
}

void CDlgPayouts::fillStandingsChoice()
{
    QVector<EarningsRow> rows;
    m_db.GetSeasonEarnings(rows);
    QHash<QString, QString> names;
    if (auto rs = m_db.GetEvents(m_db.rodeoInfo().id, 1))
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            names.insert(rs->toText(QStringLiteral("EvId")), rs->toText(QStringLiteral("EvName")));
    const QString chosen = m_standingsOf->currentData().toString();
    const QSignalBlocker block(m_standingsOf);
    m_standingsOf->clear();
    m_standingsOf->addItem(QStringLiteral("All-Around"), QString());
    QStringList ids;
    for (const EarningsRow& r : rows)
        if (!ids.contains(r.eventId))
            ids << r.eventId;
    std::sort(ids.begin(), ids.end(), [&](const QString& a, const QString& b) {
        return names.value(a, a).compare(names.value(b, b), Qt::CaseInsensitive) < 0;
    });
    for (const QString& id : ids)
        m_standingsOf->addItem(names.value(id, id), id);
    m_standingsOf->setCurrentIndex(std::max(0, m_standingsOf->findData(chosen)));

    const PayoutPages pages(m_db);
    m_pageTitle = QStringLiteral("Season Standings");
    m_pageHtml = pages.seasonPage(rows, names);
    QDir().mkpath(m_htmlFolder);
    ReportBuilder::writePage(m_htmlFolder + PayoutPages::seasonFileName(), m_pageHtml);
    showStandings();
}

void CDlgPayouts::showStandings()
{
    QVector<EarningsRow> rows;
    m_db.GetSeasonEarnings(rows);
    const QString id = m_standingsOf->currentData().toString();
    const QVector<StandingLine> lines = m_standingsOf->currentIndex() == kAllAround
                                            ? SeasonStandings::allAround(rows)
                                            : SeasonStandings::forEvent(rows, id);
    const PayoutPages pages(m_db);
    QVector<QStringList> texts;
    QVector<QVariantList> keys;
    int place = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines.at(i).amount != lines.at(i - 1).amount)
            place = i + 1;
        const QString name = pages.contestantName(lines.at(i).plrId);
        texts << QStringList{QString::number(place), name, Money::format(lines.at(i).amount),
                             QString::number(lines.at(i).events)};
        keys << QVariantList{place, name.toLower(), QVariant::fromValue(lines.at(i).amount),
                             lines.at(i).events};
    }
    m_standingsModel->setRows(texts, keys);
}
