#include "txmessagebatch.h"

#include <cstring>

char* TxMessageBatch::add(qsizetype size, std::chrono::microseconds pauseAfter)
{
    const qsizetype at = m_bytes.size();
    m_bytes.resize(at + size);
    m_messages.append({at, size, pauseAfter});
    return m_bytes.data() + at;
}

void TxMessageBatch::add(QByteArrayView bytes, std::chrono::microseconds pauseAfter)
{
    char* to = add(bytes.size(), pauseAfter);
    if (!bytes.isEmpty())
        std::memcpy(to, bytes.data(), size_t(bytes.size()));
}

void TxMessageBatch::append(const TxMessageBatch& other)
{
    const qsizetype base = m_bytes.size();
    m_bytes.append(other.m_bytes);
    for (const Message& m : other.m_messages)
        m_messages.append({base + m.at, m.size, m.pauseAfter});
}

TxMessageBatch TxMessageBatch::tail(qsizetype first) const
{
    TxMessageBatch rest;
    for (qsizetype i = first; i < count(); ++i)
        rest.add(message(i), pauseAfter(i));
    return rest;
}

void TxMessageBatch::clear()
{
    m_bytes.clear();
    m_messages.clear();
}

QByteArrayView TxMessageBatch::message(qsizetype i) const
{
    const Message& m = m_messages.at(i);
    return QByteArrayView(m_bytes.constData() + m.at, m.size);
}

char* TxMessageBatch::data(qsizetype i)
{
    return m_bytes.data() + m_messages.at(i).at;
}
