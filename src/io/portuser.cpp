#include "portuser.h"

PortUser::~PortUser() = default;

void PortUser::OnData(const QString& text, int offset)
{
    Q_UNUSED(text);
    Q_UNUSED(offset);
}

QString PortUser::userLabel() const
{
    static const char* const roles[] = {"Timer", "RIP", "Request", "Monitor"};
    return QString::fromLatin1(roles[static_cast<int>(m_role)]) + QLatin1Char(':') + name();
}

QString PortUser::threadName() const
{
    return QStringLiteral("CTxThread");
}

bool PortUser::StartThread(const ThreadErrorOptions& errors, int waitTimeoutMs)
{
    if (!m_thread)
        m_thread = std::make_unique<CTxThread>(threadName());
    m_thread->setErrorPrompt(errors.prompt, errors.uiContext);
    m_thread->setShowErrors(errors.showErrors);
    const bool ok = m_thread->Start(waitTimeoutMs);
    m_started = ok;
    return ok;
}

bool PortUser::StopThread(int timeoutMs)
{
    m_started = false;
    if (!m_thread)
        return true;
    const bool ended = m_thread->Stop(timeoutMs);
    m_thread.reset();
    return ended;
}
