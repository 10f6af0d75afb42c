#include "trafficmeter.h"

void TrafficMeter::add(qint64 nowMs, qint64 bytes)
{
    forgetBefore(nowMs);
    m_window.push_back({nowMs, bytes});
    m_windowBytes += bytes;
    ++m_totalPackets;
    m_totalBytes += bytes;
}

void TrafficMeter::forgetBefore(qint64 nowMs)
{
    while (!m_window.empty() && m_window.front().at <= nowMs - WindowMs) {
        m_windowBytes -= m_window.front().bytes;
        m_window.pop_front();
    }
}

qint64 TrafficMeter::packetsPerSecond(qint64 nowMs)
{
    forgetBefore(nowMs);
    return qint64(m_window.size());
}

qint64 TrafficMeter::bytesPerSecond(qint64 nowMs)
{
    forgetBefore(nowMs);
    return m_windowBytes;
}

void TrafficMeter::clear()
{
    m_window.clear();
    m_windowBytes = 0;
    m_totalPackets = 0;
    m_totalBytes = 0;
}
