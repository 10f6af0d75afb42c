#include "dlgmonitorports.h"

#include "framework/dialogunits.h"
#include "framework/headerpanel.h"
#include "io/outputmanager.h"
#include "platform/stream/dialogs/streamtrafficviewer.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CDlgMonitorPorts::CDlgMonitorPorts(OutputManager& manager, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_prompt(prompt), m_selection(manager.configuration()),
      m_opener([](TxStream& stream, QWidget* owner, std::function<QString()> note) {
          StreamTrafficViewer::showFor(stream, owner)->setStatusNote(std::move(note));
      })
{
    setWindowTitle(QStringLiteral("Monitor Ports"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new HeaderPanel(
        QStringLiteral("Monitor Ports"),
        QStringLiteral("Select the ports to view the data that is being sent/received."), this));

    const auto cols = MonitorPortsSelection::columns();
    m_table = new QTableWidget(m_selection.rowCount(), int(cols.size()), this);
    m_table->setObjectName(QStringLiteral("ports"));
    QStringList titles;
    for (const auto& c : cols)
        titles << c.title;
    m_table->setHorizontalHeaderLabels(titles);
    QVector<int> widths;
    for (const auto& c : cols)
        widths << c.width;
    DialogUnits::setColumnWidths(m_table, widths.constData(), int(widths.size()));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < m_selection.rowCount(); ++row)
        fillRow(row);
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) { toggleRow(row); });
    layout->addWidget(m_table);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* again = buttons->addButton(QStringLiteral("Try Again"), QDialogButtonBox::ActionRole);
    again->setToolTip(QStringLiteral("The ports that failed try to open and receive again."));
    connect(again, &QPushButton::clicked, this, [this] {
        if (m_retry)
            m_retry();
        for (int row = 0; row < m_selection.rowCount(); ++row)
            fillRow(row);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgMonitorPorts::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(DialogUnits::toPixelsX(this, 420), DialogUnits::toPixelsY(this, 200));
}

void CDlgMonitorPorts::fillRow(int row)
{
    for (int c = 0; c < m_table->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(m_selection.text(row, c));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, c, item);
    }
}

void CDlgMonitorPorts::toggleRow(int row)
{
    m_selection.toggle(row);
    if (row >= 0 && row < m_selection.rowCount())
        fillRow(row);
}

void CDlgMonitorPorts::accept()
{
    // The note reads the configuration in use when it is asked (the viewer
    // asks only while its stream, and so the manager, exists).
    OutputManager* manager = &m_manager;
    for (StreamPort* port : m_selection.markedPorts()) {
        TxStream* stream = &port->stream();
        m_opener(*stream, parentWidget(), [manager, stream] {
            return MonitorPortsSelection::statusNote(manager->configuration(), *stream);
        });
    }
    QDialog::accept();
}
