#include "displayactions.h"

#include "app/log.h"
#include "db/databasemanager.h"
#include "outputcontext.h"
#include "scoreboardstate.h"

QString profileEventName(const EventCfg& event)
{
    // Only the standard events have keys of their own in a profile.
    if (event.standard.compare(QLatin1String("Y"), Qt::CaseInsensitive) != 0)
        return event.isScored() ? QStringLiteral("Custom Score") : QStringLiteral("Custom Time");
    return event.name;
}

void DisplayActions::remember(const XmlNode& functionKey, const QString& keyText, const QString& profileEvent)
{
    m_key = functionKey;
    m_keyText = keyText;
    m_event = profileEvent;
}

bool DisplayActions::hasResult(const OutputContext& context, bool* known)
{
    *known = false;
    const CDatabaseManager* db = context.database();
    if (!db || !context.hasCurrentRunPerformance())
        return false;
    *known = true;
    const RegEntry& cur = db->curEntry();
    const ResultRecord* r = db->standings().find(cur.goRound, makeEntryKey(cur.ptId, cur.plrEnt));
    return r && (r->time != 0 || r->score != 0 || !r->status.isEmpty());
}

int DisplayActions::StartSeq(const OutputContext& context, const SendCommand& send) const
{
    bool known = false;
    const bool result = hasResult(context, &known);
    if (!known) {
        logReport("Failed to get the cur run perf. Mgr::StartSeq");
        return -1;
    }
    if (!result && ParseSeq(QStringLiteral("Timer"), send) >= 0)
        return 0;
    return ParseSeq(QStringLiteral("Result"), send);
}

bool DisplayActions::SetMessageNumber(const OutputContext& context, ScoreboardState& state) const
{
    bool known = false;
    const bool result = hasResult(context, &known);
    if (!known) {
        logReport("Failed to get the cur run perf. Mgr::SetMessageNumber");
        return false;
    }
    if (!result && ParseMessageNumber(QStringLiteral("Timer"), state))
        return true;
    return ParseMessageNumber(QStringLiteral("Result"), state);
}

bool DisplayActions::readCommand(const XmlNode& action, RtdCommand& command) const
{
    if (action.isNull() || action.attributes().isEmpty()) {
        logReport("Failed to get attributes. Parse Seq Event:%s Key%s", m_event, m_keyText);
        return false;
    }
    struct Required
    {
        const char* name;
        const char* failure;
    };
    static const Required required[] = {
        {"sign", "Failed to get the named item for sign #. Parse Seq Event:%s Key%s"},
        {"mode", "Failed to get the named item for mode. Parse Seq Event:%s Key%s"},
        {"times", "Failed to get the name item for # of times. Parse Seq Event:%s Key%s"},
        {"frame", "Failed to get frame #. Parse Seq Event:%s Key%s"},
        {"drive", "Failed to get drive. Parse Seq Event:%s Key%s"},
        {"library", "Failed to get library. Parse Seq Event:%s Key%s"},
        {"sequence", "Failed to get sequence. Parse Seq Event:%s Key%s"},
    };
    for (const Required& r : required) {
        if (!action.hasAttribute(QString::fromLatin1(r.name))) {
            logReport(r.failure, m_event, m_keyText);
            return false;
        }
    }
    command = RtdCommand();
    command.sign = action.attribute(QStringLiteral("sign")).trimmed().toInt();
    command.mode = action.attribute(QStringLiteral("mode")).trimmed().toInt();
    command.times = action.attribute(QStringLiteral("times")).trimmed().toInt();
    command.frame = action.attribute(QStringLiteral("frame")).trimmed().toInt();
    const QString drive = action.attribute(QStringLiteral("drive"));
    command.drive = drive.isEmpty() ? QChar() : drive.at(0);
    command.library = action.attribute(QStringLiteral("library"));
    command.sequence = action.attribute(QStringLiteral("sequence"));
    return true;
}

int DisplayActions::ParseSeq(const QString& element, const SendCommand& send) const
{
    RtdCommand command;
    if (!readCommand(m_key.firstChildElement(element), command))
        return -1;
    send(command);
    return 0;
}

bool DisplayActions::ParseMessageNumber(const QString& element, ScoreboardState& state) const
{
    const XmlNode action = m_key.firstChildElement(element);
    if (action.isNull()) {
        logReport("Failed to select node. Parse Message Number Event:%s Key:%s XPath:%s", m_event, m_keyText,
                  QStringLiteral("//Event[@name = '%1']/FunctionKey[@sequence = '%2']/%3")
                      .arg(m_event, m_keyText, element));
        return false;
    }
    if (action.attributes().isEmpty()) {
        logReport("Failed to get attributes. Parse Message Number Event:%s Key:%s Node:%s", m_event,
                  m_keyText, element);
        return false;
    }
    if (!action.hasAttribute(QStringLiteral("message"))) {
        logReport("Failed to get the named item for message #. Parse Message Number Event:%s Key%s", m_event,
                  m_keyText);
        return false;
    }
    const int number = action.attribute(QStringLiteral("message")).trimmed().toInt();
    if (number == state.messageNumber)
        return false;
    state.messageNumber = number;
    return true;
}
