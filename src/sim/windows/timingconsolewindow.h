#pragma once

#include "sim/timingconsoledriver.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The timing-console simulator's window: where the blocks go, the clock, the
// run's buttons (Start, Stop, Penalty +5 s, No Time, Reset), the marks panel
// for scored events and the script player.
class TimingConsoleWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TimingConsoleWindow(QWidget* parent = nullptr);

    TimingConsoleDriver& driver() { return m_driver; }
    // Connects as the fields say (the Connect button).
    bool connectLink();
    void setUdpTarget(const QString& host, int port);
    bool playScript(const QString& path);
    QString clockText() const;
    QString statusText() const;

private:
    void showState();
    void sendMarks();
    void chooseScript();

    TimingConsoleDriver m_driver;

    QComboBox* m_kind;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_device;
    QLabel* m_status;
    QLabel* m_clock;
    QLabel* m_runState;
    QComboBox* m_judges;
    QComboBox* m_mode;
    std::array<QLineEdit*, TimingConsole::Judges> m_rider{};
    std::array<QLineEdit*, TimingConsole::Judges> m_stock{};
    QLabel* m_script;
};
