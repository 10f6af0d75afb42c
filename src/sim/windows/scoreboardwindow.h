#pragma once

#include "sim/scoreboardlistener.h"
#include "sim/scoreboardreceiver.h"
#include "sim/simrecording.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// The scoreboard simulator's window: where it listens, the board (blocks B0
// to B7 as text on a dark board), the display command, the traffic and a red
// mark while packets fail their check; recording and replay.
class ScoreboardWindow : public QWidget
{
    Q_OBJECT
public:
    // Columns of one board row.
    static constexpr int RowWidth = 64;

    explicit ScoreboardWindow(QWidget* parent = nullptr);

    // Listens as the fields say (the Listen button).
    bool listen();
    void setUdpPort(int port);
    ScoreboardListener& listener() { return m_listener; }
    const ScoreboardReceiver& receiver() const { return m_receiver; }
    // Text of the board and of the lines below it, as shown.
    QString boardText() const;
    QString commandLine() const;
    QString trafficLine() const;
    QString badMark() const;
    // Shows the text as it is placed rather than as the sign shows it (only
    // on an update flag, the update trigger or a display command).
    void setShowPlacedText(bool on);
    // Replays a recording file at its pace onto a cleared board.
    bool replay(const QString& path);
    // Brings the shown texts up to date now (the window does it five times a second).
    void refresh();

private:
    void startRecording();
    void chooseReplay();
    void clearBoard();
    qint64 now() const { return m_clock.elapsed(); }

    ScoreboardListener m_listener;
    ScoreboardReceiver m_receiver;
    SimReplay m_replay;
    QElapsedTimer m_clock;
    QTimer m_refresh;
    long m_shownUpdates = -1;
    long m_shownMessages = -1;

    QComboBox* m_kind;
    QSpinBox* m_port;
    QLineEdit* m_device;
    QLabel* m_status;
    QComboBox* m_layout;
    QCheckBox* m_placed;
    QPlainTextEdit* m_board;
    QLabel* m_command;
    QLabel* m_traffic;
    QLabel* m_bad;
    QPushButton* m_record;
};
