#pragma once

#include "seasonactions.h"

#include <QDialog>

class CDatabaseManager;
class FileMgr;
class QListWidget;
class QPushButton;
class QTabBar;
class SeasonBackups;
class UserPrompt;

// "Configure Season": lists the seasons of the data folder and adds, edits and
// deletes them. The season of the open rodeo is never edited or deleted. Its
// "Utilities" tab copies a season ("Backup") and compacts one after a copy
// ("Compact"): the season selected, or the open one when none is; the copy
// is written in the background while the program goes on working.
class CDlgSeasonCfg : public QDialog
{
    Q_OBJECT
public:
    enum Tab { SeasonsTab = 0, UtilitiesTab = 1 };

    CDlgSeasonCfg(CDatabaseManager& db, FileMgr& files, UserPrompt& prompt, QWidget* parent = nullptr);

    // Replaces the season form that "Add" and "Edit" open.
    void setSeasonFormRunner(SeasonFormRunner runner) { m_runForm = std::move(runner); }

    // What "Backup" and "Compact" use; without it they stay disabled.
    void setBackups(SeasonBackups* backups);
    // The season "Backup" and "Compact" work on.
    QString utilitySeason() const;

    // The season selected in the list; empty when none is.
    QString selectedSeason() const;

private:
    void refill();
    void updateButtons();
    void onAdd();
    void onEdit();
    void onDelete();
    // Refuses (with the message) when the season is the open one.
    bool refuseOpenSeason(const QString& season);
    void onBackup(bool compact);
    void backupFinished(const QString& season, bool ok, const QString& pathOrError);

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    SeasonFormRunner m_runForm;
    SeasonBackups* m_backups = nullptr;
    // The copy this dialog started and whether a compaction follows it.
    QString m_pendingSeason;
    bool m_pendingCompact = false;

    QTabBar* m_tabs;
    QListWidget* m_list;
    QPushButton* m_first;  // "Add" / "Backup"
    QPushButton* m_second; // "Edit" / "Compact"
    QPushButton* m_delete;
    QPushButton* m_update;
    QPushButton* m_help;
    QPushButton* m_close;
};
