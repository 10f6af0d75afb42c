#include "consolescript.h"

#include <QRegularExpression>
#include <cmath>

namespace {

bool readMode(const QString& word, TimingConsole::MarkMode* mode)
{
    if (word == QLatin1String("combined"))
        *mode = TimingConsole::MarkMode::Combined;
    else if (word == QLatin1String("separate"))
        *mode = TimingConsole::MarkMode::Separate;
    else if (word == QLatin1String("subtotal"))
        *mode = TimingConsole::MarkMode::Subtotal;
    else
        return false;
    return true;
}

// The step of one line (without its time), or the reason it is none.
std::optional<ConsoleStep> readStep(const QString& command, const QString& rest, QString* why)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList args = rest.split(space, Qt::SkipEmptyParts);
    ConsoleStep step;
    const auto noArgs = [&](ConsoleStep::Action action) -> std::optional<ConsoleStep> {
        if (!args.isEmpty()) {
            *why = QStringLiteral("\"%1\" takes nothing after it.").arg(command);
            return std::nullopt;
        }
        step.action = action;
        return step;
    };
    if (command == QLatin1String("reset"))
        return noArgs(ConsoleStep::Reset);
    if (command == QLatin1String("start"))
        return noArgs(ConsoleStep::Start);
    if (command == QLatin1String("stop"))
        return noArgs(ConsoleStep::Stop);
    if (command == QLatin1String("penalty"))
        return noArgs(ConsoleStep::Penalty);
    if (command == QLatin1String("notime"))
        return noArgs(ConsoleStep::NoTime);
    bool ok = false;
    if (command == QLatin1String("judges")) {
        step.action = ConsoleStep::Judges;
        step.number = args.value(0).toInt(&ok);
        if (args.size() != 2 || !ok || !(step.number == 0 || step.number == 1 || step.number == 2 ||
                                          step.number == 4) || !readMode(args[1], &step.mode)) {
            *why = QStringLiteral("\"judges\" needs 0, 1, 2 or 4 and combined, separate or subtotal.");
            return std::nullopt;
        }
        return step;
    }
    if (command == QLatin1String("mark")) {
        step.action = ConsoleStep::Mark;
        step.number = args.value(0).toInt(&ok);
        if (args.size() < 2 || args.size() > 3 || !ok || step.number < 1 || step.number > 4) {
            *why = QStringLiteral("\"mark\" needs a judge from 1 to 4, a rider mark and perhaps a stock mark.");
            return std::nullopt;
        }
        step.first = args[1];
        step.second = args.value(2);
        return step;
    }
    if (command == QLatin1String("block")) {
        static const QRegularExpression form(QStringLiteral("^\\s*(-?\\d+)\\s+\"(.*)\"\\s*$"));
        const QRegularExpressionMatch m = form.match(rest);
        if (!m.hasMatch()) {
            *why = QStringLiteral("\"block\" needs an image position and a text in double quotes.");
            return std::nullopt;
        }
        step.action = ConsoleStep::Block;
        step.number = m.captured(1).toInt(&ok);
        step.first = m.captured(2);
        if (!ok) {
            *why = QStringLiteral("the image position is out of range.");
            return std::nullopt;
        }
        return step;
    }
    *why = QStringLiteral("\"%1\" is no step.").arg(command);
    return std::nullopt;
}

} // namespace

std::optional<ConsoleScript> ConsoleScript::parse(const QString& text, QString* error)
{
    static const QRegularExpression line(QStringLiteral("^\\s*(\\S+)\\s+(\\S+)(.*)$"));
    ConsoleScript script;
    const QStringList lines = text.split(QLatin1Char('\n'));
    qint64 last = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString content = lines[i];
        if (content.endsWith(QLatin1Char('\r')))
            content.chop(1);
        const QString trimmed = content.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        QString why;
        const QRegularExpressionMatch m = line.match(content);
        bool ok = false;
        const double seconds = m.hasMatch() ? m.captured(1).toDouble(&ok) : 0.0;
        std::optional<ConsoleStep> step;
        if (!m.hasMatch())
            why = QStringLiteral("a time and a step are needed.");
        else if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 24 * 3600)
            why = QStringLiteral("\"%1\" is no time in seconds.").arg(m.captured(1));
        else
            step = readStep(m.captured(2), m.captured(3), &why);
        if (step) {
            step->atMs = qint64(std::llround(seconds * 1000));
            if (step->atMs < last) {
                why = QStringLiteral("the time goes back.");
                step.reset();
            }
        }
        if (!step) {
            if (error)
                *error = QStringLiteral("Line %1: %2").arg(i + 1).arg(why);
            return std::nullopt;
        }
        last = step->atMs;
        script.steps.append(*step);
    }
    return script;
}

void ConsoleScriptPlayer::start(qint64 nowMs)
{
    m_startMs = nowMs;
    m_next = 0;
    m_playing = true;
}

QList<ConsoleStep> ConsoleScriptPlayer::due(qint64 nowMs)
{
    QList<ConsoleStep> out;
    while (m_playing && m_next < m_script.steps.size() &&
           m_script.steps[m_next].atMs <= nowMs - m_startMs)
        out.append(m_script.steps[m_next++]);
    return out;
}

std::optional<ConsoleBlock> PerformStep(TimingConsole& console, const ConsoleStep& step, qint64 nowMs)
{
    switch (step.action) {
    case ConsoleStep::Reset:
        console.reset();
        break;
    case ConsoleStep::Start:
        console.start(nowMs);
        break;
    case ConsoleStep::Stop:
        console.stop(nowMs);
        break;
    case ConsoleStep::Penalty:
        console.addPenalty();
        break;
    case ConsoleStep::NoTime:
        console.noTime(nowMs);
        break;
    case ConsoleStep::Judges:
        console.setScoring(step.number, step.mode);
        break;
    case ConsoleStep::Mark:
        console.setMark(step.number, step.first, step.second);
        break;
    case ConsoleStep::Block:
        return ConsoleBlock{step.number, step.first};
    }
    return std::nullopt;
}
