#include "dlgcopyseason.h"

#include "app/log.h"
#include "copylist.h"
#include "db/databasemanager.h"
#include "platform/errortext.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDlgCopySeason::CDlgCopySeason(CMainFrame& frame, CopyGrid* list, const QString& title, const char* logName,
                               QWidget* parent)
    : QDialog(parent), m_frame(frame), m_seasons(new QComboBox), m_list(list), m_find(new CDlgBarFindPlr),
      m_copy(new QPushButton(QStringLiteral("Copy"))), m_close(new QPushButton(QStringLiteral("Close"))),
      m_logName(logName)
{
    setWindowTitle(title);
    m_seasons->setObjectName(QStringLiteral("season"));
    m_copy->setObjectName(QStringLiteral("copy"));
    m_close->setObjectName(QStringLiteral("close"));
    m_find->setOwner(m_list);
    m_find->setLimits(5, 15, 15);
    m_find->setAddShown(false);
    m_list->listModel()->setStates([this](int row) { return isTicked(row); },
                                   [this](int row) { return isCopied(row); });

    auto* label = new QLabel(QStringLiteral("Select The Season\n To Copy From"));
    label->setFixedWidth(110);
    m_seasons->setFixedWidth(110);
    auto* seasonColumn = new QVBoxLayout;
    seasonColumn->addWidget(label);
    seasonColumn->addWidget(m_seasons);
    seasonColumn->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(seasonColumn);
    top->addStretch();
    top->addWidget(m_find);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(780, 480);

    connect(m_list, &CopyGrid::toggleRequested, this, &CDlgCopySeason::toggle);
    connect(m_copy, &QPushButton::clicked, this, [this] { copy(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_seasons, &QComboBox::currentIndexChanged, this, [this] { loadSeason(); });
}

void CDlgCopySeason::fillSeasons()
{
    // Every season but the open one, alphabetically.
    QStringList seasons;
    m_frame.database().EnumSeasons(seasons);
    seasons.removeAll(m_frame.database().GetSeasonName());
    seasons.sort();
    const QSignalBlocker block(m_seasons);
    m_seasons->addItems(seasons);
    if (!seasons.isEmpty()) {
        m_seasons->setCurrentIndex(0);
        loadSeason();
    }
}

void CDlgCopySeason::loadSeason()
{
    const int position = m_seasons->currentIndex();
    if (position < 0)
        return;
    QVector<QStringList> rows;
    QString error;
    if (!readSeason(m_seasons->currentText(), rows, error)) {
        // The list keeps the rows of the season it showed.
        logReport("Failed to open the recordset.  %s::OnSelchangeSeason  Error:%s", m_logName,
                  errorDescription(error));
        return;
    }
    m_shown = position;
    m_list->listModel()->setRows(std::move(rows));
}

bool CDlgCopySeason::isTicked(int row) const
{
    const auto it = m_ticks.constFind({m_shown, row});
    return it != m_ticks.cend() && !it->copied;
}

bool CDlgCopySeason::isCopied(int row) const
{
    const auto it = m_ticks.constFind({m_shown, row});
    return it != m_ticks.cend() && it->copied;
}

int CDlgCopySeason::pendingCount() const
{
    int n = 0;
    for (const Tick& t : m_ticks)
        n += t.copied ? 0 : 1;
    return n;
}

void CDlgCopySeason::toggle(int row)
{
    if (m_shown < 0 || row < 0 || row >= m_list->listModel()->rowCount())
        return;
    const TickKey key{m_shown, row};
    const auto it = m_ticks.find(key);
    if (it != m_ticks.end() && it->copied && !copiedToggles())
        return;
    if (it != m_ticks.end() && !it->copied)
        m_ticks.erase(it);
    else
        m_ticks.insert(key, Tick{m_list->listModel()->rows().at(row), false});
    m_list->listModel()->rowsChanged();
}
