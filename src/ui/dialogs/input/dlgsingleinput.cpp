#include "dlgsingleinput.h"

#include "app/filemgr.h"
#include "app/userprompt.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/season/seasonactions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgSingleInput::CDlgSingleInput(FileMgr& files, UserPrompt& prompt, const QString& description,
                                 const QString& label, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_choiceMode(false)
{
    build(description, label);
    m_existing = files.GetProfileNames();
}

CDlgSingleInput::CDlgSingleInput(FileMgr& /*files*/, UserPrompt& prompt, const QString& description,
                                 const QString& label, const QStringList& choices, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_choiceMode(true)
{
    build(description, label);
    SeasonActions::fillCombo(m_choices, choices); // nothing chosen until the operator picks one
}

void CDlgSingleInput::build(const QString& description, const QString& label)
{
    setWindowTitle(QStringLiteral("Input Data"));
    auto* header = new HeaderPanel(QStringLiteral("Input Box"), description, this);
    header->setObjectName(QStringLiteral("header"));

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("text"));
    m_choices = new QComboBox(this);
    m_choices->setObjectName(QStringLiteral("choices"));
    m_choices->setMinimumContentsLength(20);
    QWidget* field = m_choiceMode ? static_cast<QWidget*>(m_choices) : m_edit;
    // Only one of the two fields is ever shown.
    (m_choiceMode ? static_cast<QWidget*>(m_edit) : m_choices)->hide();

    auto* caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("label"));
    caption->setBuddy(field);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setContentsMargins(12, 12, 12, 0);
    form->addRow(caption, field);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    buttons->setContentsMargins(12, 0, 12, 12);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSingleInput::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(buttons);

    setMinimumWidth(420);
    field->setFocus();
}

QString CDlgSingleInput::text() const
{
    return m_choiceMode ? m_choices->currentText() : m_edit->text();
}

void CDlgSingleInput::setChoicesEditable(bool editable)
{
    if (!m_choiceMode)
        return;
    m_choices->setEditable(editable);
    // Typing a name must not add it to the choices behind the operator's back.
    m_choices->setInsertPolicy(QComboBox::NoInsert);
    m_choices->setCurrentIndex(-1);
    m_choices->setFocus();
}

void CDlgSingleInput::onOk()
{
    const QString entered = text();
    const QString refusal = m_check ? m_check(entered) : QString();
    if (!refusal.isEmpty()) {
        m_prompt.ask(refusal, QStringLiteral("Message"), UserPrompt::Buttons::Ok, UserPrompt::Icon::Warning);
        (m_choiceMode ? static_cast<QWidget*>(m_choices) : m_edit)->setFocus();
        return;
    }
    if (m_existing.contains(entered, Qt::CaseInsensitive)) {
        m_prompt.ask(QStringLiteral("There is one profile with the same name in the system!"),
                     QStringLiteral("Message"), UserPrompt::Buttons::Ok, UserPrompt::Icon::Warning);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    accept();
}
