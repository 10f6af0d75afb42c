#include "dlgliveresults.h"

#include "app/userprompt.h"
#include "framework/headerpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CDlgLiveResults::CDlgLiveResults(const LiveSettings& settings, const QStringList& addresses,
                                 UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("Live Results"));
    auto* header = new HeaderPanel(
        QStringLiteral("Live Results"),
        QStringLiteral(
            "Phones, tablets and computers on the arena's network follow the results as they are saved."),
        this);
    header->setObjectName(QStringLiteral("header"));

    m_serve = new QCheckBox(QStringLiteral("Serve live results on the network"), this);
    m_serve->setObjectName(QStringLiteral("serve"));
    m_serve->setChecked(settings.serve);
    // As wide as its text: a click beside it is not a click on it.
    m_serve->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setRange(1, 65535);
    m_port->setValue(settings.port);
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("address"));
    m_address->addItem(QStringLiteral("All interfaces"), QString());
    for (const QString& a : addresses)
        m_address->addItem(a, a);
    if (!settings.address.isEmpty() && m_address->findData(settings.address) < 0)
        m_address->addItem(settings.address, settings.address); // kept, though not on this computer now
    m_address->setCurrentIndex(std::max(0, m_address->findData(settings.address)));
    m_title = new QLineEdit(settings.title, this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setPlaceholderText(QStringLiteral("The rodeo's name"));
    m_title->setMaxLength(80);

    auto* serveBox = new QGroupBox(QStringLiteral("Server"), this);
    auto* serveForm = new QFormLayout(serveBox);
    serveForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    serveForm->addRow(m_serve);
    serveForm->addRow(QStringLiteral("Port:"), m_port);
    serveForm->addRow(QStringLiteral("Listen on:"), m_address);
    serveForm->addRow(QStringLiteral("Page title:"), m_title);

    m_publish = new QCheckBox(QStringLiteral("Publish to folder after each save"), this);
    m_publish->setObjectName(QStringLiteral("publish"));
    m_publish->setChecked(settings.publishFolder);
    m_publish->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_folder = new QLineEdit(settings.folder, this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_browse = new QPushButton(QStringLiteral("Browse..."), this);
    m_browse->setObjectName(QStringLiteral("browse"));
    connect(m_browse, &QPushButton::clicked, this, &CDlgLiveResults::browse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    auto* folderBox = new QGroupBox(QStringLiteral("Folder"), this);
    auto* folderForm = new QFormLayout(folderBox);
    folderForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    folderForm->addRow(m_publish);
    folderForm->addRow(QStringLiteral("Folder:"), folderRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgLiveResults::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* content = new QVBoxLayout;
    content->setContentsMargins(12, 12, 12, 12);
    content->addWidget(serveBox);
    content->addWidget(folderBox);
    content->addStretch(1);
    content->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header);
    layout->addLayout(content);

    connect(m_serve, &QCheckBox::toggled, this, &CDlgLiveResults::updateStates);
    connect(m_publish, &QCheckBox::toggled, this, &CDlgLiveResults::updateStates);
    updateStates();
    setMinimumWidth(520);
}

void CDlgLiveResults::updateStates()
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_port), static_cast<QWidget*>(m_address), static_cast<QWidget*>(m_title)})
        w->setEnabled(m_serve->isChecked());
    m_folder->setEnabled(m_publish->isChecked());
    m_browse->setEnabled(m_publish->isChecked());
}

void CDlgLiveResults::browse()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Publish to Folder"), m_folder->text());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

LiveSettings CDlgLiveResults::values() const
{
    LiveSettings s;
    s.serve = m_serve->isChecked();
    s.port = quint16(m_port->value());
    s.address = m_address->currentData().toString();
    s.title = m_title->text().trimmed();
    s.publishFolder = m_publish->isChecked();
    s.folder = m_folder->text().trimmed();
    return s;
}

void CDlgLiveResults::onOk()
{
    const QString problem = values().problem();
    if (!problem.isEmpty()) {
        m_prompt.warn(problem);
        return;
    }
    accept();
}
