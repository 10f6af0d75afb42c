#include "results/scoringsettings.h"

#include <limits>

namespace {

// The number a text "reads as": its leading digits after any spaces, 0 when
// there are none. Signs are not digits, so "-1" reads as 0. Saturates.
int readsAs(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max();
    }
    return int(value);
}

SetupCheckOutcome outcome(SetupCheckOutcome::Action action, QLatin1StringView message, int value)
{
    return SetupCheckOutcome{action, QString(message), value};
}

} // namespace

SetupCheckOutcome CheckGoRoundCountChange(const QString& text, int oldValue,
                                          const GoRoundResultsQuery& holdsResults)
{
    const int value = readsAs(text);
    if (value == 0)
        return outcome(SetupCheckOutcome::RevertSilently, {}, oldValue);
    if (text.contains(u'.'))
        return outcome(SetupCheckOutcome::RevertWithMessage, DecimalNotAllowedMessage, oldValue);
    if (text.size() > 2 || value >= 100)
        return outcome(SetupCheckOutcome::RevertWithMessage, GoRoundsOver99Message, oldValue);
    if (value < oldValue && (!holdsResults || holdsResults(value + 1, oldValue)))
        return outcome(SetupCheckOutcome::RefuseWithMessage, GoRoundsHoldStatsMessage, oldValue);
    return outcome(SetupCheckOutcome::Take, {}, value);
}

SetupCheckOutcome CheckFinalsChange(const QString& text)
{
    if (text.contains(u'.'))
        return outcome(SetupCheckOutcome::RevertWithMessage, DecimalNotAllowedMessage, 0);
    return outcome(SetupCheckOutcome::Take, {}, readsAs(text));
}

SetupCheckOutcome CheckJudgesChange(const QString& text)
{
    const int value = readsAs(text);
    if (value == 3)
        return outcome(SetupCheckOutcome::RevertWithMessage, ThreeJudgesMessage, 0);
    if (value >= 5)
        return outcome(SetupCheckOutcome::RevertWithMessage, OverFourJudgesMessage, 0);
    return outcome(SetupCheckOutcome::Take, {}, value);
}

int TimerConfigCode(QChar c)
{
    return readsAs(QString::number(c.unicode(), 16));
}

QString TimerAgreementMessage(const ScoringSettings& event, std::optional<int> configCode,
                              const std::optional<QString>& firstScoreText)
{
    if (configCode) {
        const unsigned code = unsigned(*configCode);
        const unsigned type = code / 10 % 10;
        const unsigned judges = code % 10;
        bool typeFails = false;
        if (judges != 0) {
            typeFails = (event.judgeMode == JudgeCombined && type != 3) ||
                        (event.judgeMode == JudgeSeparate && type != 4) ||
                        (event.judgeMode == JudgeSubtotal && type != 5);
        } else {
            typeFails = event.judgeMode != JudgeCombined;
        }
        if (typeFails)
            return TimerScoringTypeMessage;
        if (judges != 0 && int(judges) != readsAs(event.judgeCount))
            return TimerJudgesMessage;
    }
    if (firstScoreText) {
        const QString text = firstScoreText->trimmed();
        if (!text.isEmpty()) {
            const bool hasPoint = text.contains(u'.');
            if ((event.fraction == FractionFraction && !hasPoint) ||
                (event.fraction == FractionFull && hasPoint))
                return TimerScoresMessage;
        }
    }
    return QString();
}
