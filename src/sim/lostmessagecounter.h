#pragma once

#include <QtGlobal>

// Counts the messages a receiver missed from the senders' message numbers
// (1 to 127, then 1 again; 0 is "not numbered", see docs/rtd-protocol.md).
// A number that does not follow the last one means the messages in between
// were lost. Unnumbered messages are not counted, and the first numbered
// message after them (or after a reset) starts the count afresh.
class LostMessageCounter
{
public:
    // The messages missed just before this one.
    int seen(quint8 number);
    qint64 lost() const { return m_lost; }
    void reset();

private:
    quint8 m_last = 0;
    qint64 m_lost = 0;
};
