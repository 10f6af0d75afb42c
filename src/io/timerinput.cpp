#include "timerinput.h"

void TimerInput::OnData(const QString& text, int offset)
{
    Q_UNUSED(text);
    Q_UNUSED(offset);
    ++m_received;
}

bool TimerInput::sameConfiguration(const TimerInput& other) const
{
    return m_name == other.m_name && m_port == other.m_port;
}

void TimerInput::copyConfiguration(const TimerInput& other)
{
    m_name = other.m_name;
    m_port = other.m_port;
}
