#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>
#include <chrono>

// Messages for one hand-over to a stream: their bytes back to back in one
// buffer, each with the pause to wait after giving it to the device (the
// pieces of a long scoreboard text). Built by the sender, then read by the
// stream's I/O thread; a batch handed over is shared, never changed again.
class TxMessageBatch
{
public:
    // Adds a message of size bytes and returns where to write them; valid
    // until the next call that adds.
    char* add(qsizetype size, std::chrono::microseconds pauseAfter = std::chrono::microseconds(0));
    void add(QByteArrayView bytes, std::chrono::microseconds pauseAfter = std::chrono::microseconds(0));
    // Another batch's messages after this one's.
    void append(const TxMessageBatch& other);
    void clear();
    // The messages from first on, as a batch of their own.
    TxMessageBatch tail(qsizetype first) const;

    bool isEmpty() const { return m_messages.isEmpty(); }
    qsizetype count() const { return m_messages.size(); }
    qsizetype totalBytes() const { return m_bytes.size(); }
    QByteArrayView message(qsizetype i) const;
    // The message as a byte array of its own (a copy).
    QByteArray copy(qsizetype i) const { return message(i).toByteArray(); }
    char* data(qsizetype i);
    std::chrono::microseconds pauseAfter(qsizetype i) const { return m_messages.at(i).pauseAfter; }

private:
    struct Message
    {
        qsizetype at = 0;
        qsizetype size = 0;
        std::chrono::microseconds pauseAfter{0};
    };
    QByteArray m_bytes;
    QVector<Message> m_messages;
};
