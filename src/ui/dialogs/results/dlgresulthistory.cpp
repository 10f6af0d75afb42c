#include "dlgresulthistory.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "framework/headerpanel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString entryLabel(const CDatabaseManager& db, const EventCfg& event, EntryKey key)
{
    const quint32 id = entryKeyId(key);
    QString name;
    if (event.isTeam()) {
        const TeamRec* team = db.teams().find(id);
        name = team ? team->name : QStringLiteral("Team %1").arg(id);
    } else {
        const ContestantRec* c = db.contestants().find(id);
        name = c ? QStringLiteral("%1, %2").arg(c->lastName, c->firstName)
                 : QStringLiteral("Contestant %1").arg(id);
    }
    if (entryKeyNumber(key) > 1)
        name += QStringLiteral("  (entry %1)").arg(entryKeyNumber(key));
    return name;
}

} // namespace

CDlgResultHistory::CDlgResultHistory(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("Result History"));
    auto* header = new HeaderPanel(QStringLiteral("Result History"),
                                   QStringLiteral("Every change of an entry's results, oldest first."), this);
    m_events = new QComboBox(this);
    m_events->setObjectName(QStringLiteral("events"));
    m_entries = new QComboBox(this);
    m_entries->setObjectName(QStringLiteral("entries"));
    m_table = new QTableWidget(0, 6, this);
    m_table->setObjectName(QStringLiteral("history"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("When (UTC)"), QStringLiteral("Go-Round"),
                                        QStringLiteral("Change"), QStringLiteral("Source"),
                                        QStringLiteral("Before"), QStringLiteral("After")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumSize(720, 260);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Event:"), m_events);
    form->addRow(QStringLiteral("Entry:"), m_entries);
    auto* content = new QVBoxLayout;
    content->addLayout(form);
    content->addWidget(m_table, 1);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    header->arrangeWithButtonColumn(this, content, buttons);

    for (const EventCfg& e : m_db.events())
        m_events->addItem(e.label, e.id);
    connect(m_events, &QComboBox::currentIndexChanged, this, &CDlgResultHistory::fillEntries);
    connect(m_entries, &QComboBox::currentIndexChanged, this, &CDlgResultHistory::fillHistory);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    fillEntries();
}

bool CDlgResultHistory::selectEntry(const QString& eventId, EntryKey key)
{
    const int event = m_events->findData(eventId);
    if (event < 0)
        return false;
    m_events->setCurrentIndex(event);
    const int entry = m_entries->findData(key);
    if (entry < 0)
        return false;
    m_entries->setCurrentIndex(entry);
    return true;
}

void CDlgResultHistory::fillEntries()
{
    const QSignalBlocker block(m_entries);
    m_entries->clear();
    const EventCfg* event = m_db.GetEvent(m_events->currentData().toString());
    if (event) {
        QVector<QPair<QString, EntryKey>> rows;
        const RegEntryCollection& held = event->isTeam() ? m_db.teamEntries() : m_db.playerEntries();
        for (const RegEntryCollection::CompetitorEntry& c : held.competitors()) {
            // A member's entry derived from a team entry has no rows of its own.
            const RegEntryCollection::EventRegistration* r = c.event(event->id);
            if (!r || r->teamFlag == RegEntry::MemberEntry)
                continue;
            rows.append({entryLabel(m_db, *event, c.key), c.key});
        }
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
        });
        for (const auto& [label, key] : rows)
            m_entries->addItem(label, key);
    }
    fillHistory();
}

void CDlgResultHistory::fillHistory()
{
    m_table->setRowCount(0);
    const EventCfg* event = m_db.GetEvent(m_events->currentData().toString());
    if (!event || m_entries->currentIndex() < 0)
        return;
    const EntryKey key = m_entries->currentData().toUInt();
    QVector<ResultChange> changes;
    if (!m_db.GetResultHistory(event->id, entryKeyId(key), entryKeyNumber(key), changes)) {
        m_prompt.inform(QStringLiteral("The result history could not be read."));
        return;
    }
    m_table->setRowCount(int(changes.size()));
    for (int row = 0; row < changes.size(); ++row) {
        const QStringList texts =
            ResultHistory::columns(changes[row], event->precision, event->goRoundCount());
        for (int column = 0; column < texts.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    m_table->resizeColumnsToContents();
    m_table->scrollToBottom();
}
