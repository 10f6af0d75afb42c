#include "viewreports.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "ui/dialogs/results/dlgresulthistory.h"
#include "ui/mainframe.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextBrowser>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kKeyRole = Qt::UserRole + 1;

QStandardItem* itemFor(const ReportNode& node)
{
    auto* item = new QStandardItem(node.label);
    item->setEditable(false);
    item->setData(node.key, kKeyRole);
    for (const ReportNode& child : node.children)
        item->appendRow(itemFor(child));
    return item;
}

} // namespace

CViewReports::CViewReports(CMainFrame& frame, const QString& htmlFolder, QWidget* parent)
    : CWorkView(ViewTable::Reports, parent), m_frame(frame),
      m_builder(
          frame.database(), m_templates, [&frame](const RegEntry& e) { return frame.SelectCompetition(e); },
          htmlFolder)
{
    // The stylesheets are compiled once; a record that fails leaves its
    // pages unwritten (and logged).
    m_templates.load();
    m_templates.setPath(ReportBuilder::pathParameter(m_builder.htmlFolder()));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);

    m_model = new QStandardItemModel(this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("reportTree"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setMinimumWidth(200);
    m_tree->setMaximumWidth(280);
    layout->addWidget(m_tree);

    auto* right = new QVBoxLayout;
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("reportBrowser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    // A long page appearing would bring the scroll bar, narrow the pane and
    // lay the whole page out a second time: at a jackpot's standings (5,000
    // lines) that second pass is most of a second.
    m_browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    right->addWidget(m_browser, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_open = new QPushButton(QStringLiteral("Open in Browser"), this);
    m_open->setToolTip(QStringLiteral("Open the page shown in the system's web browser, to print it"));
    buttons->addWidget(m_open);
    auto* history = new QPushButton(QStringLiteral("Result History..."), this);
    history->setObjectName(QStringLiteral("resultHistory"));
    history->setToolTip(
        QStringLiteral("Every change of an entry's results: when, where from, before and after"));
    buttons->addWidget(history);
    connect(history, &QPushButton::clicked, this, [this] {
        CDlgResultHistory dialog(m_frame.database(), m_frame.prompt(), this);
        dialog.exec();
    });
    auto* payouts = new QPushButton(QStringLiteral("Payouts..."), this);
    payouts->setObjectName(QStringLiteral("payouts"));
    payouts->setToolTip(
        QStringLiteral("The purse of each event, who won how much, and the season's earnings"));
    buttons->addWidget(payouts);
    connect(payouts, &QPushButton::clicked, this, [this] { m_frame.showPayouts(); });
    right->addLayout(buttons);
    layout->addLayout(right, 1);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { nodeChosen(); });
    connect(m_open, &QPushButton::clicked, this, [this] { openInBrowser(); });

    showIndex();
}

void CViewReports::reload()
{
    CWorkView::reload();
    // Hidden, the view waits until it is shown: the report data of a large
    // rodeo is not made for nobody.
    if (isVisible())
        showRodeo();
}

void CViewReports::activated()
{
    showRodeo();
}

void CViewReports::showRodeo()
{
    m_builder.refresh();
    const QSignalBlocker block(m_tree->selectionModel());
    m_model->clear();
    const ReportNode root = m_builder.tree();
    if (root.label.isEmpty())
        return;
    QStandardItem* item = itemFor(root);
    m_model->appendRow(item);
    m_tree->expand(item->index());
    m_tree->selectionModel()->setCurrentIndex(item->index(), QItemSelectionModel::ClearAndSelect);
    nodeChosen();
}

void CViewReports::nodeChosen()
{
    const QModelIndex current = m_tree->selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    m_lastPages = m_builder.select(current.data(kKeyRole).toUInt());
    showIndex();
}

void CViewReports::showIndex()
{
    const QString index = m_builder.indexPage();
    if (!QFileInfo::exists(index)) {
        m_browser->clear();
        m_open->setEnabled(false);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(index);
    // Setting the same page again would keep the old text.
    if (m_browser->source() == url)
        m_browser->reload();
    else
        m_browser->setSource(url);
    m_open->setEnabled(true);
}

void CViewReports::openInBrowser()
{
    const QUrl page = m_browser->source();
    if (page.isEmpty())
        return;
    if (!QDesktopServices::openUrl(page)) {
        logReport("Failed to open the page in the browser.  CViewReports::OpenInBrowser  URL:%s",
                  page.toString());
        m_frame.prompt().inform(
            QStringLiteral("The page could not be opened in a web browser:\n%1").arg(page.toLocalFile()));
    }
}
