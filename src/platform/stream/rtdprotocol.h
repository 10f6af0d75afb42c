#pragma once

#include "txpendingsend.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <chrono>

class TxMessageBatch;
class TxStream;

// The display controller's protocol object. While its stream is open it frames
// scoreboard text blocks and display commands as RTD messages (the format is
// described in docs/rtd-protocol.md) and sends them on the stream.
//
// All send operations may be called from any thread; each returns 0 once the
// stream accepted its messages (written, or queued for a slow receiver; see
// TxStream) and a negative TxStream status on failure (the stream's
// lastError() says why). Every message is handed to the stream whole and is
// queued or dropped whole, so messages from two threads never interleave on the
// wire; the pieces of two long text blocks sent at the same time may alternate,
// which is harmless because each piece carries its own offset.
class RtdProtocol
{
public:
    // Length of the scoreboard image and the offset of the update trigger (one
    // past the image and its spare position).
    static constexpr int ImageLength = 9693;
    static constexpr int UpdateTriggerOffset = 9694;
    // Longest piece of a text block sent with breakup.
    static constexpr int PieceLength = 475;

    // Framing: a 10-byte header, the payload, a 4-byte CRC-32. One frame always
    // fits into one UDP datagram (65507 bytes).
    static constexpr int HeaderSize = 10;
    static constexpr int CrcSize = 4;
    static constexpr int MaxPayload = 65493;
    static constexpr int MaxFrameSize = HeaderSize + MaxPayload + CrcSize;
    // A text block's payload is its 4-byte offset followed by the text.
    static constexpr int MaxTextPerMessage = MaxPayload - 4;

    enum MessageType : quint8 { TextBlockMessage = 1, PlaySequenceMessage = 2, ShowFrameMessage = 3 };
    static constexpr quint8 UpdateFlag = 0x01;
    // Flag bits 1 to 7 number the messages a stream sends: 1 to 127, then 1
    // again; 0 means "not numbered". A receiver that sees a number jump knows
    // how many messages it missed (a lost UDP datagram, a message dropped from
    // a full queue). Receivers that do not know the number ignore these bits.
    static constexpr int NumberShift = 1;
    static constexpr quint8 HighestNumber = 127;

    explicit RtdProtocol(TxStream& stream);
    RtdProtocol(const RtdProtocol&) = delete;
    RtdProtocol& operator=(const RtdProtocol&) = delete;

    // True while the stream is open (the stream attaches its protocol object
    // before it opens its device and detaches it when it closes).
    bool isAttached() const { return m_attached.load(); }

    // Places text at a character offset of the receiving sign's image. With
    // breakupPackets a text longer than PieceLength goes out as consecutive
    // pieces of at most PieceLength characters, each at offset + the piece's
    // position, with a pause (2 ms) after handing over each piece. Otherwise the whole text is
    // sent once at offset; a text too long for one message (MaxTextPerMessage)
    // is then split at that length, so nothing is ever lost. An empty text is
    // sent as an empty block.
    int sendTextBlock(const QString& text, bool update, int offset, bool breakupPackets);
    // The update trigger: one space at UpdateTriggerOffset with the update flag.
    int sendUpdateTrigger();
    // Starts a stored display sequence.
    int playSequence(int sign, int mode, int times, const QString& drive, const QString& library,
                     const QString& sequence);
    // Shows a stored frame.
    int showFrame(int sign, int frame);

    // Several messages in one hand-over (a refresh: its texts, then the
    // display command or the update trigger). The append functions add the
    // messages to batch as the functions above would send them; a failure
    // (negative, lastError() says why) adds nothing. sendBatch numbers them
    // and hands them to the stream without waiting (TxStream::Delivery::
    // HandOver): the sender goes on while the pieces go out with their
    // pauses; with WaitUnlessPaused the caller waits unless the batch holds
    // pieces with pauses or follows such pieces still going out, as
    // sendTextBlock does. The batch may be cleared and used again afterwards.
    enum class Delivery { HandOver, WaitUnlessPaused };
    int appendTextBlock(TxMessageBatch& batch, QByteArrayView wireText, bool update, int offset,
                        bool breakupPackets);
    int appendPlaySequence(TxMessageBatch& batch, int sign, int mode, int times, const QString& drive,
                           const QString& library, const QString& sequence);
    void appendShowFrame(TxMessageBatch& batch, int sign, int frame);
    void appendUpdateTrigger(TxMessageBatch& batch);
    int sendBatch(TxMessageBatch& batch, Delivery delivery = Delivery::HandOver);
    // Hands the batch over and leaves the waiting to the caller
    // (TxStream::startBatch), so that several streams send at once; with
    // WaitUnlessPaused a batch that sendBatch would hand over without waiting
    // (pieces with pauses, or any batch behind such pieces still going out)
    // is handed over so, and there is nothing left to wait for.
    TxPendingSend startBatch(TxMessageBatch& batch, Delivery delivery);

    // The pause after each piece of a broken-up text block (2 ms). Benchmarks set
    // it to zero to measure the sending alone.
    void setPieceDelay(std::chrono::microseconds delay) { m_pieceDelayUs.store(delay.count()); }
    std::chrono::microseconds pieceDelay() const { return std::chrono::microseconds(m_pieceDelayUs.load()); }

    // Text as it goes on the wire: one byte per character, Latin-1; characters
    // above 255 become "?" (so character offsets stay byte offsets).
    static QByteArray toWireText(const QString& text);

    // Complete frames. An empty result means the content does not fit into one
    // message (text longer than MaxTextPerMessage, or the three texts of a play
    // sequence together too long).
    static QByteArray encodeTextBlock(qint32 offset, const QByteArray& wireText, bool update);
    static QByteArray encodePlaySequence(qint32 sign, qint32 mode, qint32 times, const QByteArray& drive,
                                         const QByteArray& library, const QByteArray& sequence);
    static QByteArray encodeShowFrame(qint32 sign, qint32 frame);
    // The frame with its message number (1 to HighestNumber) in the flags and
    // its CRC made anew; a frame too short to be one is returned as it is.
    static QByteArray numbered(const QByteArray& frame, quint8 number);
    // The number after number: 1 to HighestNumber, then 1 again.
    static quint8 nextNumber(quint8 number) { return number >= HighestNumber ? 1 : quint8(number + 1); }

private:
    friend class TxStream;
    void attach() { m_attached.store(true); }
    void detach() { m_attached.store(false); }
    // Numbers the messages and hands them over in one go, so that numbers
    // reach the wire in order even when two threads send at once.
    int sendNumbered(TxMessageBatch& batch, bool handOver, const QString& what);
    bool handsOver(const TxMessageBatch& batch, Delivery delivery);
    // Numbers and seals the frames in place; the number lock must be held.
    void numberFrames(TxMessageBatch& batch);
    bool refuseDetached(const QString& what);

    TxStream& m_stream;
    std::atomic<bool> m_attached{false};
    std::atomic<qint64> m_pieceDelayUs{2000};
    QMutex m_numberMutex; // held while numbering and handing over
    quint8 m_lastNumber = 0;
};
