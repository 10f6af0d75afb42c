#pragma once

#include "setup/drawsession.h"

#include <QDialog>
#include <functional>
#include <optional>

class DrawPlacesModel;
class DrawRequestsModel;
class DrawRowsModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;
class UserPrompt;

// "Draw": the draw of one event's go-round. The secretary chooses what to
// draw (performances with their running order, or the running order within
// the performances as they are; the animals of the event's pen; or animals
// for the go-round's re-rides), sets the places of each performance, keeps
// the requests, and presses "Draw": the draw from the seed shown is listed,
// with what it could not honour, and nothing is written until "Accept". The
// last draw can be undone until a result is saved, and the draw sheet is
// written beside the reports. The dialog keeps only what it shows; the
// session does the work.
class CDlgDraw : public QDialog
{
    Q_OBJECT
public:
    // The standing of an event (its final's running order, leaders last): rank 1 the leader.
    using Ranks = std::function<QHash<EntryKey, int>(const QString& eventId)>;
    // Shows a written draw sheet (its HTML and PDF paths).
    using ShowSheet = std::function<void(const QString& htmlPath, const QString& pdfPath)>;

    CDlgDraw(CDatabaseManager& db, UserPrompt& prompt, const QString& htmlFolder, QWidget* parent = nullptr);

    void setRanks(Ranks ranks) { m_ranks = std::move(ranks); }
    void setShowSheet(ShowSheet show) { m_showSheet = std::move(show); }
    // The event and go-round drawn; false when the rodeo has no such.
    bool select(const QString& eventId, int goRound);
    void setSeed(quint64 seed);

    QComboBox* eventBox() const { return m_event; }
    QComboBox* goRoundBox() const { return m_goRound; }
    QRadioButton* performancesButton() const { return m_drawPerformances; }
    QRadioButton* orderOnlyButton() const { return m_orderOnly; }
    QRadioButton* noOrderButton() const { return m_noOrder; }
    QCheckBox* stockBox() const { return m_stock; }
    QCheckBox* reridesBox() const { return m_rerides; }
    QCheckBox* leadersLastBox() const { return m_leadersLast; }
    QCheckBox* twoEventsBox() const { return m_twoEvents; }
    QSpinBox* performancesBox() const { return m_performances; }
    QTableView* placesView() const { return m_placesView; }
    QTableView* requestsView() const { return m_requestsView; }
    QTableView* rowsView() const { return m_rowsView; }
    QLineEdit* seedEdit() const { return m_seed; }
    QLabel* statusLabel() const { return m_status; }
    QLabel* unmetLabel() const { return m_unmet; }
    QPushButton* drawButton() const { return m_draw; }
    QPushButton* acceptButton() const { return m_accept; }
    QPushButton* undoButton() const { return m_undo; }
    QPushButton* sheetButton() const { return m_sheet; }
    QPushButton* newSeedButton() const { return m_newSeed; }
    QPushButton* addRequestButton() const { return m_addRequest; }
    QPushButton* removeRequestButton() const { return m_removeRequest; }
    QPushButton* closeButton() const { return m_close; }

    void draw();
    void acceptDraw();
    void undoDraw();
    void writeSheet();
    void addRequest();
    void removeRequest();

private:
    QString eventId() const;
    int goRound() const;
    void eventChosen();
    void goRoundChosen();
    void performancesChanged();
    void optionsChanged();
    void showGoRound();
    void loadRequests();
    void dropPlan();

    CDatabaseManager& m_db;
    DrawSession m_session;
    UserPrompt& m_prompt;
    QString m_htmlFolder;
    Ranks m_ranks;
    ShowSheet m_showSheet;
    std::optional<DrawSession::Plan> m_plan; // drawn, not written yet

    QComboBox* m_event;
    QComboBox* m_goRound;
    QRadioButton* m_drawPerformances;
    QRadioButton* m_orderOnly;
    QRadioButton* m_noOrder;
    QCheckBox* m_stock;
    QCheckBox* m_rerides;
    QCheckBox* m_leadersLast;
    QCheckBox* m_twoEvents;
    QSpinBox* m_performances;
    QTableView* m_placesView;
    QTableView* m_requestsView;
    QTableView* m_rowsView;
    DrawPlacesModel* m_places;
    DrawRequestsModel* m_requests;
    DrawRowsModel* m_rows;
    QLineEdit* m_seed;
    QLabel* m_status;
    QLabel* m_unmet;
    QPushButton* m_newSeed;
    QPushButton* m_addRequest;
    QPushButton* m_removeRequest;
    QPushButton* m_draw;
    QPushButton* m_accept;
    QPushButton* m_undo;
    QPushButton* m_sheet;
    QPushButton* m_close;
};
