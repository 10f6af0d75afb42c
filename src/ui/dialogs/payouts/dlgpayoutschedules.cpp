#include "dlgpayoutschedules.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"
#include "payouts/payoutforms.h"
#include "textgridmodel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column { From, To, Shares, Places, Total };

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QStringList rowOf(const ScheduleLineTexts& l)
{
    return {l.from, l.to, l.shares};
}

} // namespace

CDlgPayoutSchedules::CDlgPayoutSchedules(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("Payout Schedules"));
    auto* header =
        new HeaderPanel(QStringLiteral("Payout Schedules"),
                        QStringLiteral("The places paid and their percentages by number of entries."), this);
    m_schedules = new QComboBox(this);
    m_schedules->setObjectName(QStringLiteral("schedules"));
    m_startFrom = new QComboBox(this);
    m_startFrom->setObjectName(QStringLiteral("startFrom"));
    m_startFrom->addItem(QStringLiteral("Empty"));
    for (const PayoutSchedule& s : PayoutSchedules::builtIn())
        m_startFrom->addItem(s.name);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));

    m_model = new TextGridModel({QStringLiteral("Entries From"), QStringLiteral("To (empty: and more)"),
                                 QStringLiteral("Percentages (place 1 first)"), QStringLiteral("Places"),
                                 QStringLiteral("Total")},
                                this);
    m_model->setEditableColumns({From, To, Shares});
    m_model->setAlignment(QStringLiteral("cclcc"));
    m_model->setComputed(Places, [](const QStringList& row) {
        QVector<int> shares;
        return PayoutSchedules::parseShares(row.value(Shares), shares) ? QString::number(shares.size())
                                                                       : QString();
    });
    // The total as it is typed, so that a line that is off shows before Save.
    m_model->setComputed(Total, [](const QStringList& row) {
        QVector<int> shares;
        if (!PayoutSchedules::parseShares(row.value(Shares), shares))
            return QStringLiteral("?");
        qint64 sum = 0;
        for (int s : shares)
            sum += s;
        return Percent::format(int(std::min<qint64>(sum, 999999))) + QStringLiteral(" %");
    });
    m_lines = new QTableView(this);
    m_lines->setObjectName(QStringLiteral("lines"));
    m_lines->setModel(m_model);
    m_lines->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lines->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lines->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_lines->verticalHeader()->setDefaultSectionSize(m_lines->fontMetrics().height() + 8);
    m_lines->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_lines->horizontalHeader()->setSectionResizeMode(Shares, QHeaderView::Stretch);
    m_lines->setMinimumSize(680, 300);

    auto* top = new QFormLayout;
    auto* pick = new QHBoxLayout;
    pick->addWidget(m_schedules, 1);
    auto* deleteButton = button(QStringLiteral("Delete"), "delete", this);
    pick->addWidget(deleteButton);
    top->addRow(QStringLiteral("Schedule:"), pick);
    auto* start = new QHBoxLayout;
    start->addWidget(m_startFrom, 1);
    auto* newButton = button(QStringLiteral("New"), "new", this);
    start->addWidget(newButton);
    top->addRow(QStringLiteral("New from:"), start);
    top->addRow(QStringLiteral("Name:"), m_name);
    auto* lineButtons = new QHBoxLayout;
    auto* addLineButton = button(QStringLiteral("Add Line"), "addLine", this);
    auto* removeLineButton = button(QStringLiteral("Remove Line"), "removeLine", this);
    lineButtons->addWidget(addLineButton);
    lineButtons->addWidget(removeLineButton);
    lineButtons->addStretch(1);
    auto* content = new QVBoxLayout;
    content->addLayout(top);
    content->addWidget(m_lines, 1);
    content->addLayout(lineButtons);

    auto* saveButton = button(QStringLiteral("Save"), "save", this);
    auto* closeButton = button(QStringLiteral("Close"), "close", this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    header->arrangeWithButtonColumn(this, content, buttons);
    // Enter saves; it never deletes or starts over.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    saveButton->setDefault(true);

    connect(m_schedules, &QComboBox::currentIndexChanged, this, &CDlgPayoutSchedules::showSchedule);
    connect(newButton, &QPushButton::clicked, this, &CDlgPayoutSchedules::startNew);
    connect(deleteButton, &QPushButton::clicked, this, &CDlgPayoutSchedules::remove);
    connect(saveButton, &QPushButton::clicked, this, &CDlgPayoutSchedules::save);
    connect(addLineButton, &QPushButton::clicked, this, &CDlgPayoutSchedules::addLine);
    connect(removeLineButton, &QPushButton::clicked, this, &CDlgPayoutSchedules::removeLine);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    fillSchedules(0);
}

void CDlgPayoutSchedules::fillSchedules(qint64 select)
{
    QVector<PayoutSchedule> all;
    m_db.GetPayoutSchedules(all);
    const QSignalBlocker block(m_schedules);
    m_schedules->clear();
    for (const PayoutSchedule& s : all)
        m_schedules->addItem(s.name, s.id);
    const int at = m_schedules->findData(select);
    m_schedules->setCurrentIndex(at >= 0 ? at : 0);
    showSchedule();
}

void CDlgPayoutSchedules::showSchedule()
{
    const qint64 id = m_schedules->currentData().toLongLong();
    QVector<PayoutSchedule> all;
    m_db.GetPayoutSchedules(all);
    PayoutSchedule shown;
    for (const PayoutSchedule& s : all)
        if (s.id == id)
            shown = s;
    m_currentId = shown.id;
    m_name->setText(shown.name);
    QVector<QStringList> rows;
    for (const ScheduleLineTexts& l : PayoutForms::scheduleTexts(shown))
        rows << rowOf(l);
    m_model->setRows(rows);
}

void CDlgPayoutSchedules::startNew()
{
    PayoutSchedule start;
    for (const PayoutSchedule& s : PayoutSchedules::builtIn())
        if (s.name == m_startFrom->currentText())
            start = s;
    m_currentId = 0;
    m_name->setText(start.name.isEmpty() ? QStringLiteral("New Schedule")
                                         : start.name + QStringLiteral(" (mine)"));
    QVector<QStringList> rows;
    for (const ScheduleLineTexts& l : PayoutForms::scheduleTexts(start))
        rows << rowOf(l);
    if (rows.isEmpty())
        rows << QStringList{QStringLiteral("1"), QString(), QStringLiteral("100")};
    m_model->setRows(rows);
    m_name->setFocus();
    m_name->selectAll();
}

void CDlgPayoutSchedules::save()
{
    QVector<ScheduleLineTexts> lines;
    for (const QStringList& row : m_model->rows())
        lines << ScheduleLineTexts{row.value(From), row.value(To), row.value(Shares)};
    PayoutSchedule schedule;
    QString why;
    if (!PayoutForms::readSchedule(m_name->text(), lines, schedule, &why)) {
        m_prompt.warn(why);
        return;
    }
    schedule.id = m_currentId;
    if (!m_db.SavePayoutSchedule(schedule, &why)) {
        m_prompt.warn(why);
        return;
    }
    fillSchedules(schedule.id);
}

void CDlgPayoutSchedules::remove()
{
    if (m_currentId == 0) {
        // A new schedule not saved yet: back to the one chosen.
        showSchedule();
        return;
    }
    if (!m_prompt.askYesNo(QStringLiteral("Delete the schedule \"%1\"?").arg(m_schedules->currentText())))
        return;
    QString why;
    if (!m_db.DeletePayoutSchedule(m_currentId, &why)) {
        m_prompt.warn(why);
        return;
    }
    fillSchedules(0);
}

void CDlgPayoutSchedules::addLine()
{
    // The new line starts where the last one ends.
    int from = 1;
    if (!m_model->rows().isEmpty())
        from = m_model->rows().last().value(To).toInt() + 1;
    m_model->insertGridRow(m_model->rowCount(), {QString::number(std::max(from, 1)), QString(), QString()});
    m_lines->setCurrentIndex(m_model->index(m_model->rowCount() - 1, Shares));
}

void CDlgPayoutSchedules::removeLine()
{
    const QModelIndex current = m_lines->currentIndex();
    if (current.isValid())
        m_model->removeGridRow(current.row());
}
