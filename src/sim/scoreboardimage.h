#pragma once

#include "platform/stream/rtddecoder.h"

#include <QByteArray>
#include <optional>

// A scoreboard's image as a sign keeps it (docs/rtd-protocol.md, section 5):
// text blocks are placed at their offsets, and the image the sign shows is
// taken when a block carries the update flag or a display command arrives.
class ScoreboardImage
{
public:
    ScoreboardImage();

    // Places a text block or takes a display command; raw bytes change nothing.
    // True when the sign shows its image anew.
    bool apply(const RtdMessage& message);
    void clear();

    // The image as placed so far, and as last shown.
    const QByteArray& placed() const { return m_placed; }
    const QByteArray& shown() const { return m_shown; }
    // How often the image was shown.
    long updates() const { return m_updates; }
    // The last play-sequence or show-frame command.
    const std::optional<RtdMessage>& command() const { return m_command; }
    // How many display commands arrived.
    long commands() const { return m_commands; }

    // "Play sequence: sign 1, Continuous, 1 times, C:RODEO/INTRO", "Show frame:
    // sign 1, frame 20", or "No command yet".
    QString commandText() const;
    // "Continuous", "Single Step", "Selected Frame", "# Times", or "Mode <n>".
    static QString modeName(qint32 mode);

private:
    QByteArray m_placed;
    QByteArray m_shown;
    long m_updates = 0;
    long m_commands = 0;
    std::optional<RtdMessage> m_command;
};
