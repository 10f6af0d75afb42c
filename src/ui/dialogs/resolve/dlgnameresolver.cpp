#include "dlgnameresolver.h"

#include "ui/messageboxprompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgNameResolver::CDlgNameResolver(const QString& fullName, const QString& first, const QString& last,
                                   QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Name Resolver"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Which part of \"%1\" is the first name?").arg(fullName), this));
    auto* form = new QFormLayout;
    m_first = new QLineEdit(first, this);
    m_last = new QLineEdit(last, this);
    form->addRow(QStringLiteral("First Name"), m_first);
    form->addRow(QStringLiteral("Last Name"), m_last);
    layout->addLayout(form);
    const int words = int(fullName.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
    m_later =
        new QCheckBox(QStringLiteral("Split every later name of %1 words the same way").arg(words), this);
    layout->addWidget(m_later);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

NameResolverPrompt::Answer CDlgNameResolver::answer() const
{
    return {m_first->text(), m_last->text(), m_later->isChecked()};
}

NameResolverPrompt::Answer NameResolverDialogs::resolveName(const QString& fullName, const QString& first,
                                                            const QString& last)
{
    if (MessageBoxPrompt::isHeadless())
        return {first, last, false};
    CDlgNameResolver dlg(fullName, first, last, m_parent);
    // The import shows the wait cursor; the question needs the normal one.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    dlg.exec(); // closing it otherwise also takes what the fields hold
    if (waiting)
        QApplication::restoreOverrideCursor();
    return dlg.answer();
}
