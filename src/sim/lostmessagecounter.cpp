#include "lostmessagecounter.h"

#include "platform/stream/rtdprotocol.h"

int LostMessageCounter::seen(quint8 number)
{
    if (number == 0 || number > RtdProtocol::HighestNumber) {
        m_last = 0;
        return 0;
    }
    int missed = 0;
    if (m_last != 0) {
        missed = (int(number) - int(m_last) - 1 + RtdProtocol::HighestNumber) % RtdProtocol::HighestNumber;
        m_lost += missed;
    }
    m_last = number;
    return missed;
}

void LostMessageCounter::reset()
{
    m_last = 0;
    m_lost = 0;
}
