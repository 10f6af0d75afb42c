#include "scoreboardimage.h"

#include "boardlayout.h"

ScoreboardImage::ScoreboardImage()
{
    clear();
}

void ScoreboardImage::clear()
{
    m_placed = QByteArray(BoardLayout::ImageLength, ' ');
    m_shown = m_placed;
    m_updates = 0;
    m_commands = 0;
    m_command.reset();
}

bool ScoreboardImage::apply(const RtdMessage& message)
{
    switch (message.type) {
    case RtdMessage::TextBlock: {
        // Characters outside the image are left out; 64-bit positions so that
        // an offset near the ends of the 32-bit range cannot wrap.
        const qint64 first = qMax<qint64>(0, message.offset);
        const qint64 end = qMin<qint64>(BoardLayout::ImageLength, qint64(message.offset) + message.bytes.size());
        for (qint64 at = first; at < end; ++at)
            m_placed[at] = message.bytes[at - message.offset];
        break;
    }
    case RtdMessage::PlaySequence:
    case RtdMessage::ShowFrame:
        m_command = message;
        ++m_commands;
        m_shown = m_placed;
        ++m_updates;
        return true;
    case RtdMessage::Raw:
        return false;
    }
    if (!message.update)
        return false;
    m_shown = m_placed;
    ++m_updates;
    return true;
}

QString ScoreboardImage::modeName(qint32 mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral("Continuous");
    case 1:
        return QStringLiteral("Single Step");
    case 2:
        return QStringLiteral("Selected Frame");
    case 3:
        return QStringLiteral("# Times");
    default:
        return QStringLiteral("Mode %1").arg(mode);
    }
}

QString ScoreboardImage::commandText() const
{
    if (!m_command)
        return QStringLiteral("No command yet");
    const RtdMessage& c = *m_command;
    if (c.type == RtdMessage::ShowFrame)
        return QStringLiteral("Show frame: sign %1, frame %2").arg(c.sign).arg(c.frame);
    return QStringLiteral("Play sequence: sign %1, %2, %3 times, %4:%5/%6")
        .arg(c.sign)
        .arg(modeName(c.mode))
        .arg(c.times)
        .arg(QString::fromLatin1(c.drive), QString::fromLatin1(c.library), QString::fromLatin1(c.sequence));
}
