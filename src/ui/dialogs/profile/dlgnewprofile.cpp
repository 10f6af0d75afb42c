#include "dlgnewprofile.h"

#include "app/profileeditor.h"
#include "app/userprompt.h"
#include "framework/headerpanel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDlgNewProfile::CDlgNewProfile(const QStringList& existingProfiles, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_existing(existingProfiles), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("New Profile"));
    auto* header = new HeaderPanel(
        QStringLiteral("New Profile"),
        QStringLiteral("Enter the name and select the starting settings for the profile."), this);
    header->setObjectName(QStringLiteral("header"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_default = new QRadioButton(QStringLiteral("&Default"), this);
    m_default->setObjectName(QStringLiteral("default"));
    m_default->setChecked(true);
    m_blank = new QRadioButton(QStringLiteral("&Blank"), this);
    m_blank->setObjectName(QStringLiteral("blank"));

    auto* settings = new QGroupBox(QStringLiteral("Button Settings"), this);
    auto* choices = new QVBoxLayout(settings);
    choices->addWidget(m_default);
    choices->addWidget(m_blank);

    auto* content = new QVBoxLayout;
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("&Name:"), m_name);
    content->addLayout(form);
    content->addWidget(settings);
    content->addStretch(1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    header->arrangeWithButtonColumn(this, content, buttons);

    connect(ok, &QPushButton::clicked, this, &CDlgNewProfile::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(420);
    m_name->setFocus();
}

QString CDlgNewProfile::name() const
{
    return m_name->text();
}

BuiltInProfiles::Kind CDlgNewProfile::start() const
{
    return m_blank->isChecked() ? BuiltInProfiles::Kind::Blank : BuiltInProfiles::Kind::Default;
}

void CDlgNewProfile::onOk()
{
    QString refusal;
    if (!ProfileEditor::isValidName(name()))
        refusal = ProfileEditor::invalidNameMessage();
    else if (m_existing.contains(name(), Qt::CaseInsensitive))
        refusal = QStringLiteral("There is one profile with the same name in the system!");
    if (!refusal.isEmpty()) {
        m_prompt.warn(refusal);
        m_name->setFocus();
        m_name->selectAll();
        return;
    }
    accept();
}
