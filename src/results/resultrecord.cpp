#include "results/resultrecord.h"

#include <algorithm>

bool ResultRecord::operator==(const ResultRecord& other) const
{
    return key == other.key && position == other.position && time == other.time && score == other.score &&
           status == other.status && success == other.success && ride == other.ride &&
           penalty == other.penalty && std::equal(std::begin(JR), std::end(JR), std::begin(other.JR)) &&
           std::equal(std::begin(JS), std::end(JS), std::begin(other.JS));
}

QString StatusDisplayText(const QString& status, bool scored)
{
    if (status == StatusReride)
        return RerideText;
    if (status == StatusNoResult)
        return scored ? QString(NoScoreText) : QString(NoTimeText);
    if (status == StatusPenalty)
        return PenaltyText;
    return QString();
}
