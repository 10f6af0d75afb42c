#include "scoreboardwindow.h"

#include "sim/boardlayout.h"
#include "sim/simports.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

ScoreboardWindow::ScoreboardWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Scoreboard Simulator"));
    m_clock.start();

    m_kind = new QComboBox;
    m_kind->addItems({QStringLiteral("UDP"), QStringLiteral("TCP"), QStringLiteral("Serial")});
    m_port = new QSpinBox;
    m_port->setRange(1, 65535);
    m_port->setValue(SimPorts::ScoreboardPort);
    m_device = new QLineEdit;
    m_device->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    m_device->setEnabled(false);
    auto* listenButton = new QPushButton(QStringLiteral("Listen"));
    m_status = new QLabel(QStringLiteral("Closed"));
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int kind) {
        m_port->setEnabled(kind != ScoreboardListener::Serial);
        m_device->setEnabled(kind == ScoreboardListener::Serial);
    });
    connect(listenButton, &QPushButton::clicked, this, [this] { listen(); });
    connect(&m_listener, &ScoreboardListener::statusChanged, this,
            [this] { m_status->setText(m_listener.statusText()); });

    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(m_kind);
    linkRow->addWidget(new QLabel(QStringLiteral("Port:")));
    linkRow->addWidget(m_port);
    linkRow->addWidget(new QLabel(QStringLiteral("Device:")));
    linkRow->addWidget(m_device, 1);
    linkRow->addWidget(listenButton);

    m_layout = new QComboBox;
    m_layout->addItems({QStringLiteral("Serial layout"), QStringLiteral("Network layout")});
    connect(m_layout, &QComboBox::currentIndexChanged, this, [this] {
        m_shownUpdates = -1;
        refresh();
    });
    m_placed = new QCheckBox(QStringLiteral("Show text as it arrives"));
    m_placed->setToolTip(QStringLiteral("A sign shows its image only when told to (update flag, update trigger "
                                        "or a display command); this shows every text at once."));
    connect(m_placed, &QCheckBox::toggled, this, [this] {
        m_shownUpdates = -1;
        refresh();
    });
    m_record = new QPushButton(QStringLiteral("Record..."));
    auto* replayButton = new QPushButton(QStringLiteral("Replay..."));
    auto* clearButton = new QPushButton(QStringLiteral("Clear"));
    connect(m_record, &QPushButton::clicked, this, &ScoreboardWindow::startRecording);
    connect(replayButton, &QPushButton::clicked, this, &ScoreboardWindow::chooseReplay);
    connect(clearButton, &QPushButton::clicked, this, &ScoreboardWindow::clearBoard);
    auto* toolRow = new QHBoxLayout;
    toolRow->addWidget(m_layout);
    toolRow->addWidget(m_placed);
    toolRow->addStretch(1);
    toolRow->addWidget(m_record);
    toolRow->addWidget(replayButton);
    toolRow->addWidget(clearButton);

    m_board = new QPlainTextEdit;
    m_board->setReadOnly(true);
    m_board->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    m_board->setFont(fixed);
    m_board->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #101010; color: #ffb000; }"));
    m_board->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QString(RowWidth + 6, QLatin1Char('M'))),
                            360);

    m_command = new QLabel;
    m_traffic = new QLabel;
    m_bad = new QLabel;
    m_bad->setStyleSheet(QStringLiteral("QLabel { color: #d00000; font-weight: bold; }"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(linkRow);
    layout->addWidget(m_status);
    layout->addLayout(toolRow);
    layout->addWidget(m_board, 1);
    layout->addWidget(m_command);
    layout->addWidget(m_traffic);
    layout->addWidget(m_bad);

    connect(&m_listener, &ScoreboardListener::datagramReceived, this,
            [this](const QByteArray& bytes, const QString& sender) { m_receiver.datagram(bytes, now(), sender); });
    connect(&m_listener, &ScoreboardListener::bytesReceived, this,
            [this](const QByteArray& bytes) { m_receiver.streamBytes(bytes, now()); });
    connect(&m_listener, &ScoreboardListener::streamEnded, this, [this] { m_receiver.endOfStream(now()); });

    m_refresh.setInterval(200);
    connect(&m_refresh, &QTimer::timeout, this, &ScoreboardWindow::refresh);
    m_refresh.start();
    refresh();
}

void ScoreboardWindow::setShowPlacedText(bool on)
{
    m_placed->setChecked(on);
}

void ScoreboardWindow::setUdpPort(int port)
{
    m_kind->setCurrentIndex(ScoreboardListener::Udp);
    m_port->setValue(port);
}

bool ScoreboardWindow::listen()
{
    ScoreboardListener::Settings settings;
    settings.kind = ScoreboardListener::Kind(m_kind->currentIndex());
    settings.port = m_port->value();
    settings.device = m_device->text().trimmed();
    const bool ok = m_listener.open(settings);
    m_status->setText(m_listener.statusText());
    return ok;
}

QString ScoreboardWindow::boardText() const
{
    return m_board->toPlainText();
}

QString ScoreboardWindow::commandLine() const
{
    return m_command->text();
}

QString ScoreboardWindow::trafficLine() const
{
    return m_traffic->text();
}

QString ScoreboardWindow::badMark() const
{
    return m_bad->text();
}

void ScoreboardWindow::refresh()
{
    for (const SimRecordEntry& entry : m_replay.due(now())) {
        if (entry.kind == SimRecordEntry::Datagram)
            m_receiver.datagram(entry.bytes, now(), QString::fromLatin1(entry.sender));
        else
            m_receiver.streamBytes(entry.bytes, now());
    }
    m_receiver.tick(now());

    const ScoreboardImage& image = m_receiver.image();
    const bool placed = m_placed->isChecked();
    if (image.updates() != m_shownUpdates || (placed && m_receiver.messages() != m_shownMessages)) {
        m_shownUpdates = image.updates();
        m_shownMessages = m_receiver.messages();
        const bool network = m_layout->currentIndex() == 1;
        const QByteArray& text = placed ? image.placed() : image.shown();
        QStringList lines;
        for (int block = 0; block < BoardLayout::BlockCount; ++block) {
            lines << QStringLiteral("%1 %2").arg(BoardLayout::blockName(block)).arg(QString(), RowWidth,
                                                                                    QChar(u'-'))
                         .left(RowWidth + 3);
            for (const QString& row : BoardLayout::blockRows(text, block, network, RowWidth))
                lines << QStringLiteral("   ") + row;
        }
        m_board->setPlainText(lines.join(QLatin1Char('\n')));
    }
    const quint8 number = m_receiver.lastNumber();
    m_command->setText(QStringLiteral("Command: %1    Message number: %2")
                           .arg(image.commandText(), number ? QString::number(number) : QStringLiteral("none")));
    const qint64 t = now();
    QString traffic = QStringLiteral("%1 packets/s, %2 bytes/s    %3")
                          .arg(m_receiver.traffic().packetsPerSecond(t))
                          .arg(m_receiver.traffic().bytesPerSecond(t))
                          .arg(m_receiver.countsText());
    if (m_receiver.recorder().isRecording())
        traffic += QStringLiteral("    Recording (%1 entries)").arg(m_receiver.recorder().entries());
    if (m_replay.isPlaying())
        traffic += QStringLiteral("    Replaying");
    m_traffic->setText(traffic);
    QStringList marks;
    if (m_receiver.badPackets() > 0) {
        const qint64 ago = (t - m_receiver.lastBadAt().value_or(t)) / 1000;
        marks << QStringLiteral("Bad packets: %1 (failed their check; the last %2 s ago)")
                     .arg(m_receiver.badPackets())
                     .arg(ago);
    }
    if (m_receiver.lostMessages() > 0)
        marks << QStringLiteral("Lost messages: %1").arg(m_receiver.lostMessages());
    m_bad->setText(marks.isEmpty() ? QString() : QStringLiteral("\u25CF ") + marks.join(QStringLiteral("    ")));
}

void ScoreboardWindow::startRecording()
{
    if (m_receiver.recorder().isRecording()) {
        m_receiver.stopRecording();
        m_record->setText(QStringLiteral("Record..."));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Record To"), QString(),
                                                      QStringLiteral("Recordings (*.scvrec)"));
    if (path.isEmpty())
        return;
    if (!m_receiver.startRecording(path, now())) {
        m_status->setText(QStringLiteral("Cannot record: %1").arg(m_receiver.recorder().error()));
        return;
    }
    m_record->setText(QStringLiteral("Stop Recording"));
}

void ScoreboardWindow::chooseReplay()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Replay"), QString(),
                                                      QStringLiteral("Recordings (*.scvrec)"));
    if (!path.isEmpty())
        replay(path);
}

bool ScoreboardWindow::replay(const QString& path)
{
    QString error;
    std::optional<SimRecording> recording = SimRecording::read(path, &error);
    if (!recording) {
        m_status->setText(QStringLiteral("Cannot replay: %1").arg(error));
        return false;
    }
    if (recording->truncated)
        m_status->setText(QStringLiteral("The recording was cut short; replaying what it holds."));
    clearBoard();
    m_replay.start(std::move(*recording), now());
    refresh();
    return true;
}

void ScoreboardWindow::clearBoard()
{
    m_receiver.clear();
    m_shownUpdates = -1;
    refresh();
}
