#pragma once

#include "platform/stream/txmessagebatch.h"
#include "platform/stream/txpendingsend.h"
#include "portuser.h"
#include "rtdcommand.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QVector>
#include <memory>

class StreamPort;

// One scoreboard text stream ("Rodeo In Progress"): text blocks of the
// scoreboard image and display-controller commands go out on its port. It
// keeps the image of what its sign was last sent.
class RipStream : public PortUser
{
public:
    enum Type { Network = 1, Serial = 2 };
    static constexpr int ImageLength = 9693;

    RipStream();

    // "Network" / "Serial"; "Serial" in any case gives Serial, anything else Network.
    static QString typeText(int type);
    static int typeFromText(const QString& text);

    QString name() const override;
    void setName(const QString& name);
    int port() const;
    void setPort(int port);
    int type() const;
    void setType(int type);
    // Added to every text offset sent on this stream.
    int offset() const;
    void setOffset(int offset);
    bool breakupPackets() const;
    void setBreakupPackets(bool on);
    bool updateEveryPacket() const;
    void setUpdateEveryPacket(bool on);

    bool sameConfiguration(const RipStream& other) const;
    // The configuration and the image (the sign keeps what it was sent).
    std::unique_ptr<RipStream> clone() const;

    // Sends text at offset (+ the stream's offset) through port, then puts it
    // into the image. Without a port nothing is sent. Negative on failure.
    // wire is the text as it goes on the wire (RtdProtocol::toWireText), made
    // once for every stream of a refresh.
    int SetText(const QString& text, int offset, StreamPort* port);
    int SetText(const QString& text, const QByteArray& wire, int offset, StreamPort* port);
    // Sends the command through the port's protocol object: a sequence for mode
    // 0 with a sequence name, a frame for mode 2, nothing otherwise.
    int SetCommand(const RtdCommand& command, StreamPort* port);
    // One space at the update trigger offset with the update flag; the stream's
    // offset is not added.
    int SendUpdateTrigger(StreamPort* port);

    // Between beginBatch() and startBatch() the three calls above only gather
    // their messages (their result says whether they could be made);
    // startBatch() hands them to the port in one go and finishBatch() waits
    // until its I/O thread took them, then puts the texts into the image. A
    // batch of pieces with pauses between them is handed over without
    // waiting out the pauses, as a text sent on its own is: it is accepted
    // once the I/O thread has it, the command or trigger going out after the
    // last piece, and a failure on the way is reported by the stream. A
    // refresh sends this way: one hand-over per stream, every stream sending
    // at once, not one call per text and command. finishBatch() is negative
    // when the batch failed (logged).
    struct PendingText
    {
        QString text;
        int offset = 0;
    };
    struct Sending
    {
        TxPendingSend send;
        QVector<PendingText> texts;
        int kinds = 0;
    };
    void beginBatch();
    Sending startBatch(StreamPort* port);
    int finishBatch(Sending& sending, StreamPort* port);

    QString image() const;

protected:
    QString threadName() const override { return QStringLiteral("RIP ") + name(); }

private:
    mutable QMutex m_lock; // held while pending text or command is stored and sent
    QString m_name;
    int m_port = 0;
    int m_type = Network;
    int m_offset = 0;
    bool m_breakupPackets = true;
    bool m_updateEveryPacket = false;

    // The texts, commands and trigger gathered (in batch) or being sent.
    enum Gathered { TextGathered = 1, CommandGathered = 2, TriggerGathered = 4 };
    int sendOrGather(StreamPort* port, int kind);
    void logFailure(int kinds, StreamPort* port) const;
    void takeIntoImage(const QVector<PendingText>& texts);

    QString m_image;
    QVector<PendingText> m_pendingTexts;
    RtdCommand m_pendingCommand;
    bool m_commandPending = false;
    bool m_batching = false;
    int m_gathered = 0; // Gathered kinds in m_batch
    TxMessageBatch m_batch;
};
