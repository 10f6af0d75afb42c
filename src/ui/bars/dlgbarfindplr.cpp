#include "dlgbarfindplr.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgBarFindPlr::CDlgBarFindPlr(QWidget* parent)
    : QWidget(parent), m_group(new QGroupBox(QStringLiteral("Find"), this)),
      m_add(new QPushButton(QStringLiteral("Add"), m_group))
{
    setObjectName(QStringLiteral("CDlgBarFindPlr"));
    auto* grid = new QGridLayout(m_group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const char* const labels[] = {"Bib:", "First Name:", "Last Name:"};
    const char* const names[] = {"findBib", "findFirst", "findLast"};
    for (int i = 0; i < 3; ++i) {
        m_labels[size_t(i)] = new QLabel(QString::fromLatin1(labels[i]), m_group);
        auto* f = new QLineEdit(m_group);
        f->setObjectName(QString::fromLatin1(names[i]));
        f->setMinimumWidth(i == 0 ? 60 : 120);
        m_fields[size_t(i)] = f;
        m_labels[size_t(i)]->setBuddy(f);
        grid->addWidget(m_labels[size_t(i)], i, 0);
        grid->addWidget(f, i, 1);
        connect(f, &QLineEdit::textEdited, this, [this, i] { edited(i); });
    }
    m_add->setObjectName(QStringLiteral("findAdd"));
    m_add->setEnabled(false);
    m_add->setAutoDefault(false);
    m_add->installEventFilter(this);
    grid->addWidget(m_add, 2, 2);
    connect(m_add, &QPushButton::clicked, this, &CDlgBarFindPlr::add);
    // Bib, First Name, Last Name, then Add when it is enabled.
    setTabOrder(m_fields[0], m_fields[1]);
    setTabOrder(m_fields[1], m_fields[2]);
    setTabOrder(m_fields[2], m_add);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_group);
}

void CDlgBarFindPlr::setLabels(const QString& first, const QString& second, const QString& third)
{
    m_labels[0]->setText(first);
    m_labels[1]->setText(second);
    m_labels[2]->setText(third);
}

void CDlgBarFindPlr::setLimits(int first, int second, int third)
{
    m_limits = {first, second, third};
}

void CDlgBarFindPlr::setAddShown(bool shown)
{
    m_add->setVisible(shown);
}

void CDlgBarFindPlr::clearFields()
{
    for (QLineEdit* f : m_fields)
        f->clear();
    m_add->setEnabled(false);
}

int CDlgBarFindPlr::findFirst(const FindBarOwner& owner, const QString& first, const QString& second,
                              const QString& third)
{
    if (first.isEmpty() && second.isEmpty() && third.isEmpty())
        return -1;
    const QString* typed[] = {&first, &second, &third};
    const int rows = owner.findRowCount();
    for (int row = 0; row < rows; ++row) {
        bool match = true;
        for (int f = 0; f < 3 && match; ++f)
            match = typed[f]->isEmpty() || owner.findText(row, f).startsWith(*typed[f], Qt::CaseSensitive);
        if (match)
            return row;
    }
    return -1;
}

void CDlgBarFindPlr::edited(int i)
{
    QLineEdit* f = m_fields[size_t(i)];
    if (f->text().size() > m_limits[size_t(i)]) {
        f->setText(f->text().left(m_limits[size_t(i)]));
        f->setCursorPosition(int(f->text().size()));
    }
    const bool any =
        !m_fields[0]->text().isEmpty() || !m_fields[1]->text().isEmpty() || !m_fields[2]->text().isEmpty();
    m_add->setEnabled(any);
    if (!any || !m_owner)
        return;
    const int row = findFirst(*m_owner, m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text());
    if (row < 0)
        return;
    m_owner->showFound(row);
    f->setFocus(Qt::OtherFocusReason);
}

void CDlgBarFindPlr::add()
{
    if (m_owner && m_add->isEnabled())
        m_owner->addFound(m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text());
}

bool CDlgBarFindPlr::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_add && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            add();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
