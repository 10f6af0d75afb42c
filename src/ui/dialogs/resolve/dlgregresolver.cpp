#include "dlgregresolver.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString CDlgRegResolver::text(int existing)
{
    if (existing == 1)
        return QStringLiteral(
            "There is one entry for the contestant existing in the event. Please make the "
            "decision to replace the existing one, leave as what it is, or add a new entry.");
    return QStringLiteral(
               "There are %1 entries for the contestant existing in the event. Please make the decision "
               "to replace an existing one, leave as what it is, or add a new entry.")
        .arg(existing);
}

namespace {

QTreeWidget* entryList(bool team, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({team ? QStringLiteral("Team ID") : QStringLiteral("Player ID"),
                           QStringLiteral("Entry"), QStringLiteral("Event ID"), QStringLiteral("Goround"),
                           QStringLiteral("Performance"), QStringLiteral("Running Order")});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

void addRow(QTreeWidget* list, const QString& label, const RegEntry& e)
{
    auto* item = new QTreeWidgetItem(list);
    item->setText(0, QString::number(e.ptId));
    item->setText(1, label);
    item->setText(2, e.eventId);
    item->setText(3, QString::number(e.goRound));
    item->setText(4, QString::number(e.perf));
    item->setText(5, QString::number(e.ord));
}

} // namespace

PerformanceEntryPrompt::Choice CDlgRegResolver::resolvePerformanceEntry(const RegEntry& arriving,
                                                                        const QVector<RegEntry>& existing)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("CDlgRegResolver"));
    dialog.setWindowTitle(QStringLiteral("Resolve Performance Entry"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(CDlgRegResolver::text(int(existing.size())));
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addWidget(new QLabel(QStringLiteral("New Performance Entry")));
    QTreeWidget* fresh = entryList(m_team, &dialog);
    addRow(fresh, QStringLiteral("New Contestant"), arriving);
    fresh->setMaximumHeight(fresh->sizeHintForRow(0) * 2 + fresh->header()->sizeHint().height() + 6);
    layout->addWidget(fresh);
    layout->addWidget(new QLabel(QStringLiteral("Existing Performance Entry")));
    QTreeWidget* old = entryList(m_team, &dialog);
    for (const RegEntry& e : existing)
        addRow(old, QStringLiteral("Entry %1").arg(e.plrEnt), e);
    layout->addWidget(old);

    Choice choice;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto button = [&](const char* caption, PerformanceEntryPrompt::Decision decision) {
        auto* b = new QPushButton(QString::fromLatin1(caption));
        buttons->addWidget(b);
        QObject::connect(b, &QPushButton::clicked, &dialog, [&, decision] {
            if (decision == Replace) {
                const int row = existing.size() == 1 ? 0 : old->indexOfTopLevelItem(old->currentItem());
                if (row < 0) {
                    QMessageBox::information(&dialog, QStringLiteral("Message"),
                                             QStringLiteral("Please select an entry to replace!"));
                    return;
                }
                choice.replacedEntry = existing[row].plrEnt;
            }
            choice.decision = decision;
            dialog.accept();
        });
    };
    button("Add New", AddNew);
    button("Replace", Replace);
    button("Leave", Leave);
    layout->addLayout(buttons);
    dialog.resize(560, 320);
    if (dialog.exec() != QDialog::Accepted)
        return Choice{Leave, 0};
    return choice;
}
