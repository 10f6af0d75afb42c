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

namespace {

// The fields the dialog compares, by their column names.
const char* const kFields[] = {"PlrBib",  "PlrFirstName", "PlrLastName", "PlrHomeTown",
                               "PlrYear", "PlrEarnLast",  "PlrEarnCur"};

QStringList values(const ContestantRec& c)
{
    return {c.bib, c.firstName, c.lastName, c.homeTown, c.year, c.earnLast, c.earnCur};
}

QTableView* fieldTable(const QString& column, const ContestantRec& c, QWidget* parent)
{
    auto* model = new QStandardItemModel(0, 1, parent);
    model->setHorizontalHeaderLabels({column});
    const QStringList v = values(c);
    for (int i = 0; i < v.size(); ++i) {
        auto* item = new QStandardItem(v.at(i));
        item->setEditable(false);
        model->appendRow(item);
        model->setHeaderData(i, Qt::Vertical, QString::fromLatin1(kFields[i]));
    }
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionMode(QAbstractItemView::NoSelection);
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

CDlgContestantResolver::CDlgContestantResolver(const ContestantRec& arriving, const ContestantRec& existing,
                                               QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Resolve contestants"));
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("The New Contestant"), this));
    left->addWidget(fieldTable(QStringLiteral("New Contestant"), arriving, this));
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("The Existing Contestants"), this));
    right->addWidget(fieldTable(QStringLiteral("Contestant %1").arg(1), existing, this));
    lists->addLayout(left);
    lists->addLayout(right);
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
        connect(b, &QPushButton::clicked, this, [this, decision] {
            m_decision = decision;
            accept();
        });
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    resize(560, 320);
}

bool CDlgContestantResolver::applyToAll() const
{
    return m_all->isChecked();
}

std::optional<ResolutionPrompts::ContestantChoice>
ResolutionDialogs::resolveContestant(const ContestantRec& arriving, const ContestantRec& existing)
{
    if (MessageBoxPrompt::isHeadless()) {
        std::fprintf(stderr, "PROMPT [Resolve contestants] %s %s: Leave\n", qPrintable(arriving.firstName),
                     qPrintable(arriving.lastName));
        return ContestantChoice{Leave, false, existing};
    }
    NormalCursor cursor;
    CDlgContestantResolver dlg(arriving, existing, m_parent);
    dlg.exec();
    return ContestantChoice{dlg.decision(), dlg.applyToAll(), existing};
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
