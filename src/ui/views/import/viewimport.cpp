#include "viewimport.h"

#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "importeventsmodel.h"
#include "ui/mainframe.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

CViewImport::CViewImport(CMainFrame& frame, QWidget* parent)
    : CWorkView(ViewTable::Import, parent), m_frame(frame)
{
    // Everything in one column at the top left, at widths that fit a path and
    // the event list.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(new QLabel(QStringLiteral("Select the Import File:"), this));
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("importPath"));
    m_path->setMinimumWidth(420);
    pathRow->addWidget(m_path);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setFixedWidth(32);
    pathRow->addWidget(browse);
    pathRow->addStretch(1);
    layout->addLayout(pathRow);

    m_model = new ImportEventsModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("importEvents"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    m_list->setColumnWidth(0, 70);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setFixedWidth(300);
    // Room for the eleven standard events without scrolling.
    m_list->setMinimumHeight(12 * (m_list->fontMetrics().height() + 8) + 8);
    layout->addWidget(m_list, 1);

    m_import = new QPushButton(QStringLiteral("Import"), this);
    m_import->setObjectName(QStringLiteral("importButton"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_import);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    layout->addStretch(0);

    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    connect(m_list, &QTableView::clicked, this,
            [this](const QModelIndex& index) { m_model->toggle(index.row()); });
    connect(m_import, &QPushButton::clicked, this, [this] { importFile(); });
}

void CViewImport::reload()
{
    CWorkView::reload();
    // The choices of events the rodeo still has are kept.
    QVector<EntryImporter::EventChoice> rows;
    for (const EventCfg& e : m_frame.database().events()) {
        bool chosen = false;
        for (const EntryImporter::EventChoice& old : m_model->events())
            if (old.id == e.id)
                chosen = old.import;
        rows.append({e.id, e.name, chosen});
    }
    m_model->setEvents(rows);
}

void CViewImport::browse()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), m_path->text(),
                                                      QStringLiteral("PRCA Files (*.dta);;All Files (*)"));
    if (!path.isEmpty() && QFileInfo(path).isFile())
        m_path->setText(path);
}

bool CViewImport::importFile()
{
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        m_frame.prompt().inform(QStringLiteral("Please select a file to be imported."),
                                QStringLiteral("Import File"));
        return false;
    }
    const QStringList chosen =
        EntryImporter::chooseEvents(m_frame.database(), m_frame.prompt(), m_model->events());
    return m_frame.ImportEntries(path, chosen);
}
