#pragma once

#include "ui/dialogs/season/seasonactions.h"

#include <QDialog>

class CDatabaseManager;
class FileMgr;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class RodeoActivator;
class UserPrompt;

// "New Rodeo": creates rodeos in a season, one after the other ("Save") or
// creating one and opening it at once ("Save / Open"). A season can be made
// on the way ("New Season...").
class CDlgRodeoNew : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxNameLength = 25;

    // season: the season to select first; empty selects the first of the list.
    CDlgRodeoNew(CDatabaseManager& db, FileMgr& files, UserPrompt& prompt, RodeoActivator& activator,
                 const QString& season = QString(), QWidget* parent = nullptr);

    // Replaces the season form that "New Season..." opens.
    void setSeasonFormRunner(SeasonFormRunner runner) { m_runForm = std::move(runner); }

    // The start date as it is stored: the picker's date in the short date
    // format of the operator's locale.
    QString dateText() const;

private:
    void fillSeasons(const QString& select);
    void onSeasonChosen();
    bool save();
    void onSave();
    void onSaveOpen();
    void onNewSeason();

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    RodeoActivator& m_activator;
    SeasonFormRunner m_runForm;

    QComboBox* m_season;
    QLineEdit* m_name;
    QDateEdit* m_date;
    QComboBox* m_profile;
    QPushButton* m_saveOpen;
    QPushButton* m_save;
    QPushButton* m_newSeason;
    QPushButton* m_close;
};
