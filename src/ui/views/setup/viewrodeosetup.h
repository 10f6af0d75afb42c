#pragma once

#include "setup/rodeosetupsheet.h"
#include "ui/views/workview.h"

#include <array>

class CMainFrame;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class SetupEventsModel;

// Rodeo Setup: the open rodeo's name, date, display profile and scoreboard
// texts, and its events with their scoring settings. Edits go into a working
// copy and reach the database with Save (or OK to the question asked when
// the operator leaves the view); Cancel drops them. New and Delete of an
// event are written at once. User-interface thread only.
class CViewRodeoSetup : public CWorkView
{
    Q_OBJECT
public:
    explicit CViewRodeoSetup(CMainFrame& frame, QWidget* parent = nullptr);

    void deactivated() override;
    // Asks the leaving question when edits are pending (also before another
    // rodeo opens or this one closes); true when nothing is pending afterwards.
    void settlePendingEdits() override;

    void newEvent();
    void deleteEvent();
    void save();
    void cancel();

    const RodeoSetupSheet& sheet() const { return m_sheet; }
    int selectedEvent() const;
    void selectEvent(int index);

    // Controls, for the tests.
    QLineEdit* rodeoName() const { return m_name; }
    QLineEdit* displayText(int which) const { return m_display[size_t(which)]; }
    QDateEdit* dateField() const { return m_date; }
    QComboBox* profileList() const { return m_profile; }
    QTableView* eventList() const { return m_events; }
    QComboBox* eventName() const { return m_eventName; }
    QComboBox* resultKind() const { return m_resultKind; }
    QComboBox* competitorKind() const { return m_competitorKind; }
    QSpinBox* goRounds() const { return m_goRounds; }
    QSpinBox* finals() const { return m_finals; }
    QComboBox* judges() const { return m_judges; }
    QComboBox* scoreEntry() const { return m_scoreEntry; }
    QComboBox* fraction() const { return m_fraction; }
    QComboBox* precision() const { return m_precision; }
    QComboBox* ranking() const { return m_ranking; }
    QPushButton* newButton() const { return m_new; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reload() override;

private:
    void buildForm();
    void connectControls();
    void fill(bool eventsAgain);
    void showSelectedEvent();
    void setEdited(bool edited);
    void afterEventEdit(bool accepted);
    void addEventName(const QString& name);
    void rodeoTextEdited(QLineEdit* field, RodeoSetupSheet::Outcome outcome, const QString& held);
    void eventNameTyped(const QString& text);
    void eventNamePicked(int item);
    void goRoundsTyped(const QString& text);
    void finalsTyped(const QString& text);
    void judgesPicked(int item);

    CMainFrame& m_frame;
    RodeoSetupSheet m_sheet;
    SetupEventsModel* m_model;
    bool m_filling = false;

    QLineEdit* m_season = nullptr;
    QLineEdit* m_name = nullptr;
    QDateEdit* m_date = nullptr;
    QComboBox* m_profile = nullptr;
    std::array<QLineEdit*, 5> m_display{};
    QTableView* m_events = nullptr;
    QComboBox* m_eventName = nullptr;
    QComboBox* m_resultKind = nullptr;
    QComboBox* m_competitorKind = nullptr;
    QSpinBox* m_goRounds = nullptr;
    QSpinBox* m_finals = nullptr;
    QLabel* m_judgesLabel = nullptr;
    QComboBox* m_judges = nullptr;
    QLabel* m_scoreEntryLabel = nullptr;
    QComboBox* m_scoreEntry = nullptr;
    QComboBox* m_fraction = nullptr;
    QComboBox* m_precision = nullptr;
    QLabel* m_rankingLabel = nullptr;
    QComboBox* m_ranking = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
