// Display buttons: what a key of the display profile does to the scoreboards,
// the announcer and the display controller.
#include "db/records.h"
#include "outputmanager.h"

namespace {

bool isYes(const XmlNode& key, const char* attribute)
{
    return key.attribute(QString::fromLatin1(attribute)) == QLatin1String("Yes");
}

// The pending code when one is pending and it is at most limit, else limit.
int pendingOr(int pending, int limit)
{
    return pending == 0 || pending > limit ? limit : pending;
}

} // namespace

bool OutputManager::DisplayButtonPressed(const EventCfg& event, const QString& keyText, EntryKey selected,
                                         const XmlNode& functionKey, int pendingCode)
{
    if (functionKey.isNull())
        return false;
    int code = -1;
    {
        QMutexLocker lock(&m_refreshMutex);
        m_actions.remember(functionKey, keyText, profileEventName(event));
        if (isYes(functionKey, "display"))
            m_context->displayCompetitor(selected);
        if (isYes(functionKey, "announcer"))
            m_context->setAnnouncerCompetitor(selected);
        m_holding = isYes(functionKey, "holding");
        const bool messageChanged = m_actions.SetMessageNumber(*m_context, m_state);
        code = refreshForKey(functionKey, messageChanged, pendingCode);
    }
    if (code >= 0)
        Refresh(code);
    return true;
}

int OutputManager::refreshForKey(const XmlNode& key, bool messageChanged, int pending)
{
    QMutexLocker lock(&m_refreshMutex);
    if (isYes(key, "display") || isYes(key, "announcer"))
        return pendingOr(pending, 5);
    if (messageChanged)
        return pendingOr(pending, 6);
    const QString direction = key.attribute(QStringLiteral("pagedir"));
    // A key without a page direction refreshes with what is pending, so that
    // its display action starts; an empty direction reads the same.
    if (direction.isEmpty())
        return pending > 9 ? 9 : pending;
    if (direction == QLatin1String("Top")) {
        m_state.goPage = 0;
        m_state.overallPage = 0;
    } else if (direction == QLatin1String("Forward")) {
        if (!m_state.goLastPage)
            ++m_state.goPage;
        if (!m_state.overallLastPage)
            ++m_state.overallPage;
    } else if (direction == QLatin1String("Backward")) {
        if (m_state.goPage > 0)
            --m_state.goPage;
        if (m_state.overallPage > 0)
            --m_state.overallPage;
    } else if (direction != QLatin1String("Cut")) {
        return -1; // a direction this program does not know: nothing happens
    }
    return pendingOr(pending, 9);
}

int OutputManager::StartSeq()
{
    QMutexLocker lock(&m_refreshMutex);
    return m_actions.StartSeq(*m_context, [this](const RtdCommand& command) { SetCommand(command); });
}

bool OutputManager::SetMessageNumber()
{
    QMutexLocker lock(&m_refreshMutex);
    return m_actions.SetMessageNumber(*m_context, m_state);
}

void OutputManager::forgetDisplayButton()
{
    QMutexLocker lock(&m_refreshMutex);
    m_actions.forget();
}
