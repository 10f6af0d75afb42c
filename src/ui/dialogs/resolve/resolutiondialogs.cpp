#include "resolutiondialogs.h"

#include "ui/messageboxprompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <cstdio>
#include <iterator>

namespace {

// The fields the dialog compares, by their column names.
const char* const kFields[] = {"PlrBib",  "PlrFirstName", "PlrLastName", "PlrHomeTown",
                               "PlrYear", "PlrEarnLast",  "PlrEarnCur"};

QStringList values(const ContestantRec& c)
{
    return {c.bib, c.firstName, c.lastName, c.homeTown, c.year, c.earnLast, c.earnCur};
}

QTableView* fieldTable(const QStringList& headers, const QVector<ContestantRec>& people, QWidget* parent)
{
    auto* model = new QStandardItemModel(0, int(people.size()), parent);
    model->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < int(std::size(kFields)); ++i) {
        QList<QStandardItem*> row;
        for (const ContestantRec& c : people) {
            auto* item = new QStandardItem(values(c).at(i));
            item->setEditable(false);
            row << item;
        }
        model->appendRow(row);
        model->setHeaderData(i, Qt::Vertical, QString::fromLatin1(kFields[i]));
    }
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

// Dialogs asked during an import show the normal cursor over its wait cursor.
class NormalCursor
{
public:
    NormalCursor() : m_waiting(QApplication::overrideCursor() != nullptr)
    {
        if (m_waiting)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor()
    {
        if (m_waiting)
            QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_waiting;
};

} // namespace

CDlgContestantResolver::CDlgContestantResolver(const ContestantRec& arriving,
                                               const QVector<ContestantRec>& existing, QWidget* parent)
    : QDialog(parent), m_existing(existing)
{
    setWindowTitle(QStringLiteral("Resolve contestants"));
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("The New Contestant"), this));
    QTableView* newList = fieldTable({QStringLiteral("New Contestant")}, {arriving}, this);
    newList->setSelectionMode(QAbstractItemView::NoSelection);
    left->addWidget(newList);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("The Existing Contestants"), this));
    QStringList headers;
    for (int i = 0; i < existing.size(); ++i)
        headers << QStringLiteral("Contestant %1").arg(i + 1);
    m_existingList = fieldTable(headers, existing, this);
    m_existingList->setObjectName(QStringLiteral("existing"));
    m_existingList->setSelectionBehavior(QAbstractItemView::SelectColumns);
    m_existingList->setSelectionMode(QAbstractItemView::SingleSelection);
    if (existing.size() == 1)
        m_existingList->selectColumn(0);
    right->addWidget(m_existingList);
    lists->addLayout(left, 1);
    lists->addLayout(right, 2);
    layout->addLayout(lists);

    m_all = new QCheckBox(QStringLiteral("Apply to all the items"), this);
    layout->addWidget(m_all);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const struct
    {
        const char* text;
        int decision;
    } choices[] = {{"Replace", ResolutionPrompts::Replace},
                   {"Merge", ResolutionPrompts::Merge},
                   {"Leave", ResolutionPrompts::Leave},
                   {"Add New", ResolutionPrompts::AddNew}};
    for (const auto& c : choices) {
        auto* b = new QPushButton(QString::fromLatin1(c.text), this);
        const int decision = c.decision;
        connect(b, &QPushButton::clicked, this, [this, decision] { choose(decision); });
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    resize(qMin(420 + 140 * int(existing.size()), 1000), 320);
}

int CDlgContestantResolver::chosenColumn() const
{
    if (m_existing.size() == 1)
        return 0;
    const QModelIndexList columns = m_existingList->selectionModel()->selectedColumns();
    return columns.isEmpty() ? -1 : columns.first().column();
}

ContestantRec CDlgContestantResolver::chosen() const
{
    const int column = chosenColumn();
    return column >= 0 && column < m_existing.size() ? m_existing[column] : ContestantRec();
}

void CDlgContestantResolver::choose(int decision)
{
    // Replacing or merging needs to know whom.
    if ((decision == ResolutionPrompts::Replace || decision == ResolutionPrompts::Merge) &&
        chosenColumn() < 0) {
        MessageBoxPrompt(this).inform(QStringLiteral("Please select a contestant to replace!"));
        return;
    }
    m_decision = decision;
    accept();
}

bool CDlgContestantResolver::applyToAll() const
{
    return m_all->isChecked();
}

std::optional<ResolutionPrompts::ContestantChoice>
ResolutionDialogs::resolveContestant(const ContestantRec& arriving, const ContestantRec& existing)
{
    return resolveContestantAmong(arriving, {existing});
}

std::optional<ResolutionPrompts::ContestantChoice>
ResolutionDialogs::resolveContestantAmong(const ContestantRec& arriving,
                                          const QVector<ContestantRec>& existing)
{
    if (existing.isEmpty())
        return std::nullopt;
    if (MessageBoxPrompt::isHeadless()) {
        std::fprintf(stderr, "PROMPT [Resolve contestants] %s %s: Leave\n", qPrintable(arriving.firstName),
                     qPrintable(arriving.lastName));
        return ContestantChoice{Leave, false, existing.first()};
    }
    NormalCursor cursor;
    CDlgContestantResolver dlg(arriving, existing, m_parent);
    dlg.exec();
    ContestantRec chosen = dlg.chosen();
    if (chosen.plrId == 0)
        chosen = existing.first();
    return ContestantChoice{dlg.decision(), dlg.applyToAll(), chosen};
}

int ResolutionDialogs::sameTeamFound(const TeamRec&, bool& applyToAll)
{
    const QString text = QStringLiteral(
        "There is at least one team with the same players.  Do you want continue adding a new team?");
    if (MessageBoxPrompt::isHeadless()) {
        std::fprintf(stderr, "PROMPT [Same Team Found] %s: No\n", qPrintable(text));
        applyToAll = false;
        return 7;
    }
    NormalCursor cursor;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Same Team Found"), text,
                    QMessageBox::Ok | QMessageBox::No, m_parent);
    auto* all = new QCheckBox(QStringLiteral("Apply to All"), &box);
    box.setCheckBox(all);
    const int answer = box.exec() == QMessageBox::No ? 7 : 6;
    applyToAll = all->isChecked();
    return answer;
}
