#pragma once

#include "payouts/payoutschedule.h"

#include <QDialog>

class CDatabaseManager;
class QComboBox;
class QLineEdit;
class QTableView;
class TextGridModel;
class UserPrompt;

// "Payout Schedules": the season's schedules, one at a time: its name and its
// lines (entries from, to, and the percentages of the places paid, with the
// places and the total worked out as they are typed). "New" starts a schedule
// from a built-in one (or empty); "Save" refuses a schedule whose lines do not
// hold, naming the line that is off, and writes nothing then.
class CDlgPayoutSchedules : public QDialog
{
    Q_OBJECT
public:
    CDlgPayoutSchedules(CDatabaseManager& db, UserPrompt& prompt, QWidget* parent = nullptr);

    QComboBox* schedules() const { return m_schedules; }
    QComboBox* startFrom() const { return m_startFrom; }
    QLineEdit* name() const { return m_name; }
    QTableView* lines() const { return m_lines; }
    TextGridModel* linesModel() const { return m_model; }
    // The schedule shown; 0 for a new one not saved yet.
    qint64 currentId() const { return m_currentId; }

private:
    void fillSchedules(qint64 select);
    void showSchedule();
    void startNew();
    void save();
    void remove();
    void addLine();
    void removeLine();

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    qint64 m_currentId = 0;
    QComboBox* m_schedules;
    QComboBox* m_startFrom;
    QLineEdit* m_name;
    QTableView* m_lines;
    TextGridModel* m_model;
};
