#pragma once

#include <QtGlobal>
#include <deque>

// Packets and bytes per second over the last second, from the times (in
// milliseconds, any steady clock) at which they arrived.
class TrafficMeter
{
public:
    static constexpr qint64 WindowMs = 1000;

    void add(qint64 nowMs, qint64 bytes);
    // Packets and bytes that arrived in the second before nowMs.
    qint64 packetsPerSecond(qint64 nowMs);
    qint64 bytesPerSecond(qint64 nowMs);
    qint64 totalPackets() const { return m_totalPackets; }
    qint64 totalBytes() const { return m_totalBytes; }
    void clear();

private:
    void forgetBefore(qint64 nowMs);

    struct Arrival
    {
        qint64 at;
        qint64 bytes;
    };
    std::deque<Arrival> m_window;
    qint64 m_windowBytes = 0;
    qint64 m_totalPackets = 0;
    qint64 m_totalBytes = 0;
};
