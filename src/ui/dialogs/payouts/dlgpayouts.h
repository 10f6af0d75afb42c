#pragma once

#include <QDialog>

class CDatabaseManager;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QTextBrowser;
class TextGridModel;
class UserPrompt;

// "Payouts": the money the open rodeo pays. On the first page the operator
// chooses an event (or the whole rodeo), sets its purse (added money, fee,
// paid entries, deductions, schedule, ground money and where the purse goes)
// and sees the payout sheet with its arithmetic; the sheets are written to the
// HTML folder beside the other reports and print to PDF. "Post Earnings"
// adds each contestant's total to their earnings this season; "Undo Posting"
// takes it back. The second page shows the season standings from the
// postings, per event and all-around, sortable by amount.
//
// The first time a season pays, it is given the built-in schedules to start
// from (Schedules... edits them).
class CDlgPayouts : public QDialog
{
    Q_OBJECT
public:
    // htmlFolder ends with "/" (the data folder's "Html/").
    CDlgPayouts(CDatabaseManager& db, UserPrompt& prompt, const QString& htmlFolder,
                QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    QComboBox* event() const { return m_event; }
    QTextBrowser* page() const { return m_page; }
    QLabel* status() const { return m_status; }
    QTableView* split() const { return m_split; }
    QTableView* standings() const { return m_standings; }
    QComboBox* standingsOf() const { return m_standingsOf; }
    // The page shown, as HTML (what Print PDF prints).
    QString pageHtml() const { return m_pageHtml; }

private:
    QWidget* makePayoutsPage();
    QWidget* makeStandingsPage();
    void fillSchedules();
    void eventChosen();
    void showPayouts();
    void saveSettings();
    void removeSettings();
    void editSchedules();
    void printPage();
    void post();
    void undo();
    void fillStandingsChoice();
    void showStandings();
    QString chosenEvent() const;

    CDatabaseManager& m_db;
    UserPrompt& m_prompt;
    QString m_htmlFolder;
    QString m_pageHtml;
    QString m_pageTitle;

    QTabWidget* m_tabs = nullptr;
    QComboBox* m_event = nullptr;
    QGroupBox* m_settings = nullptr;
    QLineEdit* m_added = nullptr;
    QLineEdit* m_fee = nullptr;
    QLabel* m_feeLabel = nullptr;
    QCheckBox* m_counted = nullptr;
    QLineEdit* m_entries = nullptr;
    QLineEdit* m_deductPercent = nullptr;
    QLineEdit* m_deductFixed = nullptr;
    QComboBox* m_schedule = nullptr;
    QComboBox* m_ground = nullptr;
    QTableView* m_split = nullptr;
    TextGridModel* m_splitModel = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_notPaid = nullptr;
    QTextBrowser* m_page = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_post = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_print = nullptr;

    QComboBox* m_standingsOf = nullptr;
    QTableView* m_standings = nullptr;
    TextGridModel* m_standingsModel = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
};
