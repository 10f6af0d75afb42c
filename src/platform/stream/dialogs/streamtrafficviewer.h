#pragma once

#include "platform/stream/rtddecoder.h"
#include "platform/stream/txstream.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTableView;
class TrafficLogModel;

// A window listing what one stream sends and receives, as it happens: time,
// direction, the offset of text blocks and a readable rendering (RTD messages
// decoded, control bytes escaped). Keeps the newest MaxLines lines. Above the
// list it shows the stream's status with the bytes queued for sending and the
// messages dropped, and a note from whoever reads the stream (setStatusNote).
// It is not modal and may outlive its stream.
class StreamTrafficViewer : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 5000;
    // How often the status is read again: the queue changes without a signal.
    static constexpr int StatusRefreshMs = 500;

    // A line about the stream from its reader, asked for only while the stream
    // exists; an empty line shows nothing.
    using StatusNote = std::function<QString()>;

    explicit StreamTrafficViewer(TxStream& stream, QWidget* parent = nullptr);

    // Opens a viewer for stream as a window of its own that deletes itself
    // when closed.
    static StreamTrafficViewer* showFor(TxStream& stream, QWidget* parent);

    TrafficLogModel* model() const { return m_model; }
    void clear();
    void setStatusNote(StatusNote note);

private:
    void onTraffic(TxStream::Direction direction, const QByteArray& bytes, qint64 msecsSinceEpoch);
    void updateStatus();

    QPointer<TxStream> m_stream;
    StatusNote m_note;
    RtdDecoder m_sentDecoder;
    RtdDecoder m_receivedDecoder;
    QLabel* m_status = nullptr;
    QLabel* m_count = nullptr;
    QTableView* m_view = nullptr;
    QPushButton* m_clear = nullptr;
    TrafficLogModel* m_model = nullptr;
};
