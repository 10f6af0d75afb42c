#include "dlgseasoncfg.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "dlgseasonnew.h"
#include "framework/headerpanel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

CDlgSeasonCfg::CDlgSeasonCfg(CDatabaseManager& db, FileMgr& files, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("Configure Season"));
    m_runForm = [this, &files](const SeasonInfo& initial) {
        return CDlgSeasonNew::run(files, m_prompt, initial, this);
    };

    auto* header =
        new HeaderPanel(QStringLiteral("Configure Season"),
                        QStringLiteral("Create new season, edit, or delete existing season."), this);
    header->setObjectName(QStringLiteral("header"));

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(QStringLiteral("Seasons"));
    m_tabs->addTab(QStringLiteral("Utilities"));
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("seasonList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(260, 200);

    auto makeButton = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_first = makeButton("first");
    m_second = makeButton("second");
    m_delete = makeButton("delete");
    m_delete->setText(QStringLiteral("&Delete"));
    m_update = makeButton("update");
    m_update->setText(QStringLiteral("&Update"));
    m_help = makeButton("help");
    m_help->setText(QStringLiteral("&Help"));
    m_close = makeButton("close");
    m_close->setText(QStringLiteral("Close"));

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_first, m_second, m_delete, m_update, m_help})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_close);

    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(0);
    listColumn->addWidget(m_tabs);
    listColumn->addWidget(m_list, 1);

    header->arrangeWithButtonColumn(this, listColumn, buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, &CDlgSeasonCfg::updateButtons);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CDlgSeasonCfg::updateButtons);
    connect(m_first, &QPushButton::clicked, this, [this] {
        if (m_tabs->currentIndex() == SeasonsTab)
            onAdd();
        else
            onBackup(false);
    });
    connect(m_second, &QPushButton::clicked, this, [this] {
        if (m_tabs->currentIndex() == SeasonsTab)
            onEdit();
        else
            onBackup(true);
    });
    connect(m_delete, &QPushButton::clicked, this, &CDlgSeasonCfg::onDelete);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_tabs, m_list);
    setTabOrder(m_list, m_first);
    setTabOrder(m_first, m_second);
    setTabOrder(m_second, m_delete);
    setTabOrder(m_delete, m_close);

    refill();
    m_list->setFocus();
}

QString CDlgSeasonCfg::selectedSeason() const
{
    const QList<QListWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void CDlgSeasonCfg::refill()
{
    m_list->clear();
    m_list->addItems(SeasonActions::seasons(m_db));
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
    updateButtons();
}

void CDlgSeasonCfg::updateButtons()
{
    const bool seasonsTab = m_tabs->currentIndex() == SeasonsTab;
    const bool selected = !selectedSeason().isEmpty();
    if (seasonsTab) {
        m_first->setText(QStringLiteral("&Add"));
        m_second->setText(QStringLiteral("&Edit"));
        m_first->setEnabled(true);
        m_second->setEnabled(selected);
        m_delete->setEnabled(selected);
    } else {
        m_first->setText(QStringLiteral("&Backup"));
        m_second->setText(QStringLiteral("&Compact"));
        const bool usable =
            m_backups && !m_backups->isRunning() && m_pendingSeason.isEmpty() && !utilitySeason().isEmpty();
        m_first->setEnabled(usable);
        m_second->setEnabled(usable);
    }
    m_delete->setVisible(seasonsTab);
    m_update->setVisible(seasonsTab);
    m_update->setEnabled(false);
    m_help->setEnabled(false);
}

bool CDlgSeasonCfg::refuseOpenSeason(const QString& season)
{
    const QString open = SeasonActions::openSeason(m_db);
    if (open.isEmpty() || open != season)
        return false;
    m_prompt.inform(QStringLiteral("The Season Database Is In Use!"));
    return true;
}

void CDlgSeasonCfg::onAdd()
{
    if (m_tabs->currentIndex() != SeasonsTab)
        return;
    if (const auto values = m_runForm(SeasonInfo()))
        SeasonActions::createSeason(m_db, m_prompt, *values);
    refill();
}

void CDlgSeasonCfg::onEdit()
{
    const QString season = selectedSeason();
    if (m_tabs->currentIndex() != SeasonsTab || season.isEmpty())
        return;
    if (refuseOpenSeason(season))
        return;

    SeasonInfo current;
    if (!m_db.GetSeason(season, current)) {
        logReport("Failed to get the season.  DlgSeasonCfg::OnBtnEdit  Season:%s", season);
        return;
    }
    if (const auto values = m_runForm(current)) {
        if (values->name == current.name && values->profile == current.profile &&
            values->rule == current.rule) {
            m_prompt.inform(QStringLiteral("Nothing has been changed!"));
        } else if (values->name.isEmpty()) {
            m_prompt.inform(QStringLiteral("Please Enter All The Information Required!"));
        } else if (!CDatabaseManager::IsValidSeasonName(values->name)) {
            m_prompt.inform(SeasonActions::invalidNameMessage());
        } else {
            // The rename reports its own failures (a name in use, a vanished folder).
            m_db.EditSeason(season, values->name, values->profile, values->rule);
        }
    }
    refill();
}

void CDlgSeasonCfg::onDelete()
{
    const QString season = selectedSeason();
    if (m_tabs->currentIndex() != SeasonsTab || season.isEmpty())
        return;
    if (refuseOpenSeason(season))
        return;
    if (m_prompt.askYesNo(QStringLiteral("Are You Sure You Want To Delete This Season!"))) {
        if (!m_db.DeleteSeason(season))
            m_prompt.inform(QStringLiteral("Deleting Season Database Failed!"));
    }
    refill();
}

void CDlgSeasonCfg::setBackups(SeasonBackups* backups)
{
    if (m_backups)
        disconnect(m_backups, nullptr, this, nullptr);
    m_backups = backups;
    if (m_backups)
        connect(m_backups, &SeasonBackups::finished, this, &CDlgSeasonCfg::backupFinished);
    updateButtons();
}

QString CDlgSeasonCfg::utilitySeason() const
{
    const QString selected = selectedSeason();
    return selected.isEmpty() ? SeasonActions::openSeason(m_db) : selected;
}

void CDlgSeasonCfg::onBackup(bool compact)
{
    const QString season = utilitySeason();
    if (!m_backups || season.isEmpty() || !m_pendingSeason.isEmpty())
        return;
    if (!m_backups->start(season)) {
        m_prompt.inform(QStringLiteral("A copy of a season is being written; try again when it is done."));
        return;
    }
    m_pendingSeason = season;
    m_pendingCompact = compact;
    updateButtons();
}

void CDlgSeasonCfg::backupFinished(const QString& season, bool ok, const QString& pathOrError)
{
    // The automatic copies end here too; only the one this dialog asked for is told.
    if (m_pendingSeason.isEmpty() || season != m_pendingSeason)
        return;
    const bool compact = m_pendingCompact;
    m_pendingSeason.clear();
    m_pendingCompact = false;
    if (!ok) {
        m_prompt.inform(QStringLiteral("The season \"%1\" could not be backed up:\n%2%3")
                            .arg(season, pathOrError,
                                 compact ? QStringLiteral("\nIt has not been compacted.") : QString()));
    } else if (!compact) {
        m_prompt.inform(QStringLiteral("The season \"%1\" was backed up to:\n%2").arg(season, pathOrError));
    } else if (m_db.CompactSeason(season)) {
        m_prompt.inform(QStringLiteral("The season \"%1\" was compacted.\nA copy was made first:\n%2")
                            .arg(season, pathOrError));
    } else {
        m_prompt.inform(QStringLiteral("The season \"%1\" could not be compacted; it is as it was.\n"
                                       "A copy was made first:\n%2")
                            .arg(season, pathOrError));
    }
    updateButtons();
}
