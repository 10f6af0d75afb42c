#include "streamtrafficviewer.h"

#include "trafficlogmodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

StreamTrafficViewer::StreamTrafficViewer(TxStream& stream, QWidget* parent)
    : QWidget(parent, Qt::Window), m_stream(&stream)
{
    setWindowTitle(tr("Traffic - %1").arg(stream.name().isEmpty() ? tr("(unnamed port)") : stream.name()));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);

    m_model = new TrafficLogModel(MaxLines, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("trafficView"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideRight);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    QHeaderView* header = m_view->horizontalHeader();
    header->setStretchLastSection(true);
    const QFontMetrics metrics = m_view->fontMetrics();
    header->resizeSection(TrafficLogModel::TimeColumn,
                          metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 24);
    header->resizeSection(TrafficLogModel::DirectionColumn, metrics.horizontalAdvance(tr("Received")) + 24);
    header->resizeSection(TrafficLogModel::OffsetColumn,
                          metrics.horizontalAdvance(QStringLiteral("Offset00")) + 16);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countLabel"));
    m_clear = new QPushButton(tr("Clear"), this);
    m_clear->setObjectName(QStringLiteral("clearButton"));
    connect(m_clear, &QPushButton::clicked, this, &StreamTrafficViewer::clear);
    auto* closeButton = new QPushButton(tr("Close"), this);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_clear);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    resize(760, 420);

    // Queued to this window's thread: the stream reports from its I/O thread.
    connect(&stream, &TxStream::traffic, this, &StreamTrafficViewer::onTraffic, Qt::QueuedConnection);
    connect(&stream, &TxStream::statusChanged, this, &StreamTrafficViewer::updateStatus,
            Qt::QueuedConnection);
    connect(&stream, &QObject::destroyed, this, &StreamTrafficViewer::updateStatus, Qt::QueuedConnection);
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &StreamTrafficViewer::updateStatus);
    refresh->start(StatusRefreshMs);
    updateStatus();
}

StreamTrafficViewer* StreamTrafficViewer::showFor(TxStream& stream, QWidget* parent)
{
    auto* viewer = new StreamTrafficViewer(stream, parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
    return viewer;
}

void StreamTrafficViewer::clear()
{
    m_model->clear();
    m_sentDecoder.clear();
    m_receivedDecoder.clear();
    m_count->setText(tr("%n line(s)", nullptr, 0));
}

void StreamTrafficViewer::setStatusNote(StatusNote note)
{
    m_note = std::move(note);
    updateStatus();
}

void StreamTrafficViewer::updateStatus()
{
    if (!m_stream) {
        m_status->setText(tr("The port no longer exists."));
        return;
    }
    QString status = tr("%1: %2 - %3")
                         .arg(m_stream->name().isEmpty() ? tr("(unnamed port)") : m_stream->name(),
                              m_stream->settingsText(), m_stream->statusText());
    if (const QString note = m_note ? m_note() : QString(); !note.isEmpty())
        status += QLatin1Char('\n') + note;
    m_status->setText(status);
    if (m_model)
        m_count->setText(tr("%n line(s)", nullptr, m_model->rowCount()));
}

void StreamTrafficViewer::onTraffic(TxStream::Direction direction, const QByteArray& bytes,
                                    qint64 msecsSinceEpoch)
{
    QList<RtdMessage> messages;
    if (m_stream && m_stream->kind() == TxStream::Udp) {
        messages.append(RtdDecoder::decodeDatagram(bytes));
    } else if (direction == TxStream::Sent) {
        // Each send is a whole message or a whole text, never a fragment.
        m_sentDecoder.feed(bytes);
        m_sentDecoder.flush();
        messages = m_sentDecoder.takeMessages();
    } else {
        m_receivedDecoder.feed(bytes);
        messages = m_receivedDecoder.takeMessages();
    }

    QList<TrafficLine> lines;
    for (const RtdMessage& message : messages) {
        TrafficLine line;
        line.msecsSinceEpoch = msecsSinceEpoch;
        line.direction = direction;
        if (message.type == RtdMessage::TextBlock)
            line.offset = QString::number(message.offset);
        line.data = RtdDecoder::describe(message, 300);
        lines.append(line);
    }
    if (lines.isEmpty())
        return;

    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_model->append(lines);
    if (atEnd)
        m_view->scrollToBottom();
    m_count->setText(tr("%n line(s)", nullptr, m_model->rowCount()));
}
