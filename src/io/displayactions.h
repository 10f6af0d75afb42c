#pragma once

#include "platform/xml/xmldocument.h"
#include "rtdcommand.h"

#include <QString>
#include <functional>

class OutputContext;
struct EventCfg;
struct ScoreboardState;

// The event whose keys a display profile holds for an event of the rodeo: a
// custom event uses "Custom Score" or "Custom Time", any other its own name.
QString profileEventName(const EventCfg& event);

// The display-controller side of the last display button pressed: its key
// element of the profile, whose "Timer" action runs while the current entry
// has no result yet and whose "Result" action runs once it has one, and whose
// "message" picks the contestant message the scoreboards show.
//
// Used under the output manager's refresh lock.
class DisplayActions
{
public:
    using SendCommand = std::function<void(const RtdCommand&)>;

    // Remembers the key (its FunctionKey element) for the refreshes that follow.
    void remember(const XmlNode& functionKey, const QString& keyText, const QString& profileEvent);
    // A key was pressed since the actions were last forgotten.
    bool keyPressed() const { return !m_key.isNull(); }
    void forget() { *this = DisplayActions(); }

    // Sends the key's action for the current entry through send; negative when
    // none could be found (the caller then sends the update trigger).
    int StartSeq(const OutputContext& context, const SendCommand& send) const;
    // Takes the key's message number for the current entry; true when the
    // number changed.
    bool SetMessageNumber(const OutputContext& context, ScoreboardState& state) const;

    // One action element ("Timer" or "Result") of the remembered key.
    int ParseSeq(const QString& element, const SendCommand& send) const;
    bool ParseMessageNumber(const QString& element, ScoreboardState& state) const;

    // The command an action element describes; false (and a log line) when
    // the element or one of its attributes is missing.
    bool readCommand(const XmlNode& action, RtdCommand& command) const;

private:
    // The current entry has a result in its go-round: try "Result" only.
    static bool hasResult(const OutputContext& context, bool* known);

    XmlNode m_key;
    QString m_keyText;
    QString m_event;
};
