#pragma once

#include <QDialog>

class CDatabaseManager;
class HeaderPanel;
class QComboBox;
class QPushButton;
class RodeoActivator;
class UserPrompt;

// Chooses a season and one of its rodeos, then opens that rodeo ("Open Rodeo")
// or deletes it ("Delete Rodeo"). The open rodeo itself is never deleted.
class CDlgRodeoOpen : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Open, Delete };

    // season: the season to select first; empty selects the first of the list.
    CDlgRodeoOpen(CDatabaseManager& db, UserPrompt& prompt, RodeoActivator& activator, Mode mode,
                  const QString& season = QString(), QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    QString selectedSeason() const;
    QString selectedRodeo() const;

private:
    void onSeasonChosen();
    void fillRodeos();
    void onFirstButton();
    void openRodeo(const QString& season, const QString& rodeo);
    void deleteRodeo(const QString& season, const QString& rodeo);

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    RodeoActivator& m_activator;
    const Mode m_mode;
    QString m_lastSeason; // the season whose rodeos the list shows

    QComboBox* m_season;
    QComboBox* m_rodeo;
    QPushButton* m_first;
    QPushButton* m_close;
};
