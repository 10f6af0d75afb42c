#include "timingconsolewindow.h"

#include "sim/simports.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TimingConsoleWindow::TimingConsoleWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Timing Console Simulator"));

    m_kind = new QComboBox;
    m_kind->addItems({QStringLiteral("UDP"), QStringLiteral("TCP"), QStringLiteral("Serial"),
                      QStringLiteral("Pseudo-terminal")});
    m_host = new QLineEdit(QStringLiteral("127.0.0.1"));
    m_port = new QSpinBox;
    m_port->setRange(1, 65535);
    m_port->setValue(SimPorts::TimerPort);
    m_device = new QLineEdit;
    m_device->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    m_device->setEnabled(false);
    m_host->setMinimumWidth(
        QFontMetrics(m_host->font()).horizontalAdvance(QStringLiteral("255.255.255.255  ")));
    m_device->setMinimumWidth(
        QFontMetrics(m_device->font()).horizontalAdvance(QStringLiteral("/dev/ttyUSB10  ")));
    auto* connectButton = new QPushButton(QStringLiteral("Connect"));
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int kind) {
        const bool network = kind == ConsoleLink::Udp || kind == ConsoleLink::Tcp;
        m_host->setEnabled(network);
        m_port->setEnabled(network);
        m_device->setEnabled(kind == ConsoleLink::Serial);
    });
    connect(connectButton, &QPushButton::clicked, this, [this] { connectLink(); });
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(m_kind);
    linkRow->addWidget(new QLabel(QStringLiteral("Host:")));
    linkRow->addWidget(m_host, 1);
    linkRow->addWidget(new QLabel(QStringLiteral("Port:")));
    linkRow->addWidget(m_port);
    linkRow->addWidget(new QLabel(QStringLiteral("Device:")));
    linkRow->addWidget(m_device, 1);
    linkRow->addWidget(connectButton);
    m_status = new QLabel(QStringLiteral("Closed"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_clock = new QLabel;
    QFont clockFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    clockFont.setPointSize(28);
    clockFont.setBold(true);
    m_clock->setFont(clockFont);
    m_clock->setAlignment(Qt::AlignCenter);
    m_clock->setStyleSheet(QStringLiteral("QLabel { background: #101010; color: #ff3030; padding: 6px; }"));
    m_runState = new QLabel;
    m_runState->setAlignment(Qt::AlignCenter);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, void (TimingConsoleDriver::*action)()) {
        auto* b = new QPushButton(text);
        connect(b, &QPushButton::clicked, &m_driver, action);
        buttons->addWidget(b);
    };
    button(QStringLiteral("Start"), &TimingConsoleDriver::start);
    button(QStringLiteral("Stop"), &TimingConsoleDriver::stop);
    button(QStringLiteral("Penalty +5 s"), &TimingConsoleDriver::addPenalty);
    button(QStringLiteral("No Time"), &TimingConsoleDriver::noTime);
    button(QStringLiteral("Reset"), &TimingConsoleDriver::reset);

    auto* marks = new QGroupBox(QStringLiteral("Marks"));
    auto* grid = new QGridLayout(marks);
    m_judges = new QComboBox;
    m_judges->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")});
    m_judges->setCurrentIndex(2);
    m_mode = new QComboBox;
    m_mode->addItems({QStringLiteral("Combined"), QStringLiteral("Separate"), QStringLiteral("Subtotal")});
    m_mode->setCurrentIndex(1);
    grid->addWidget(new QLabel(QStringLiteral("Judges:")), 0, 0);
    grid->addWidget(m_judges, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Marks:")), 0, 2);
    grid->addWidget(m_mode, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Rider")), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Stock")), 1, 2);
    for (int j = 0; j < TimingConsole::Judges; ++j) {
        grid->addWidget(new QLabel(QStringLiteral("Judge %1").arg(j + 1)), 2 + j, 0);
        m_rider[std::size_t(j)] = new QLineEdit;
        m_stock[std::size_t(j)] = new QLineEdit;
        m_rider[std::size_t(j)]->setMaxLength(4);
        m_stock[std::size_t(j)]->setMaxLength(4);
        grid->addWidget(m_rider[std::size_t(j)], 2 + j, 1);
        grid->addWidget(m_stock[std::size_t(j)], 2 + j, 2);
    }
    auto* sendMarksButton = new QPushButton(QStringLiteral("Send Marks"));
    connect(sendMarksButton, &QPushButton::clicked, this, &TimingConsoleWindow::sendMarks);
    grid->addWidget(sendMarksButton, 5, 3);

    auto* scriptRow = new QHBoxLayout;
    auto* playButton = new QPushButton(QStringLiteral("Play Script..."));
    auto* stopButton = new QPushButton(QStringLiteral("Stop Script"));
    m_script = new QLabel(QStringLiteral("No script"));
    connect(playButton, &QPushButton::clicked, this, &TimingConsoleWindow::chooseScript);
    connect(stopButton, &QPushButton::clicked, &m_driver, &TimingConsoleDriver::stopScript);
    scriptRow->addWidget(playButton);
    scriptRow->addWidget(stopButton);
    scriptRow->addWidget(m_script, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(linkRow);
    layout->addWidget(m_status);
    layout->addWidget(m_clock);
    layout->addWidget(m_runState);
    layout->addLayout(buttons);
    layout->addWidget(marks);
    layout->addLayout(scriptRow);

    connect(&m_driver, &TimingConsoleDriver::changed, this, &TimingConsoleWindow::showState);
    auto* clockTimer = new QTimer(this);
    clockTimer->setInterval(TimingConsoleDriver::TickMs);
    connect(clockTimer, &QTimer::timeout, this, &TimingConsoleWindow::showState);
    clockTimer->start();
    showState();
}

void TimingConsoleWindow::setUdpTarget(const QString& host, int port)
{
    m_kind->setCurrentIndex(ConsoleLink::Udp);
    m_host->setText(host);
    m_port->setValue(port);
}

bool TimingConsoleWindow::connectLink()
{
    ConsoleLink::Settings settings;
    settings.kind = ConsoleLink::Kind(m_kind->currentIndex());
    settings.host = m_host->text().trimmed();
    settings.port = m_port->value();
    settings.device = m_device->text().trimmed();
    const bool ok = m_driver.link().open(settings);
    // A console that is switched on sends its picture at once, then once a
    // second: a reader learns what it shows before anything changes.
    if (ok)
        m_driver.sendImage();
    showState();
    return ok;
}

QString TimingConsoleWindow::clockText() const
{
    return m_clock->text();
}

QString TimingConsoleWindow::statusText() const
{
    return m_status->text();
}

void TimingConsoleWindow::showState()
{
    const TimingConsole& console = m_driver.console();
    m_clock->setText(TimingConsole::clockText(console.elapsedMs(m_driver.now())).trimmed());
    QString state = console.isRunning()                     ? QStringLiteral("Running")
                    : console.isNoTime()                    ? QStringLiteral("No Time")
                    : console.elapsedMs(m_driver.now()) > 0 ? QStringLiteral("Stopped")
                                                            : QStringLiteral("Ready");
    if (console.penaltyMs() > 0)
        state += QStringLiteral(", penalty %1 s").arg(console.penaltyMs() / 1000);
    state += QStringLiteral("    %1 blocks sent").arg(m_driver.link().sentBlocks());
    m_runState->setText(state);
    m_status->setText(m_driver.link().statusText());
    if (!m_driver.isScriptPlaying() && m_script->text().startsWith(QStringLiteral("Playing")))
        m_script->setText(QStringLiteral("Script finished"));
}

void TimingConsoleWindow::sendMarks()
{
    static const TimingConsole::MarkMode modes[] = {TimingConsole::MarkMode::Combined,
                                                    TimingConsole::MarkMode::Separate,
                                                    TimingConsole::MarkMode::Subtotal};
    m_driver.setScoring(m_judges->currentText().toInt(), modes[qBound(0, m_mode->currentIndex(), 2)]);
    for (int j = 0; j < TimingConsole::Judges; ++j)
        m_driver.setMark(j + 1, m_rider[std::size_t(j)]->text(), m_stock[std::size_t(j)]->text());
    m_driver.sendImage();
}

void TimingConsoleWindow::chooseScript()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Play Script"), QString(),
                                     QStringLiteral("Scripts (*.txt *.script);;All files (*)"));
    if (!path.isEmpty())
        playScript(path);
}

bool TimingConsoleWindow::playScript(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_script->setText(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    QString error;
    const std::optional<ConsoleScript> script =
        ConsoleScript::parse(QString::fromUtf8(file.readAll()), &error);
    if (!script) {
        m_script->setText(error);
        return false;
    }
    m_script->setText(QStringLiteral("Playing %1 (%2 steps)").arg(path).arg(script->steps.size()));
    m_driver.playScript(*script);
    return true;
}
