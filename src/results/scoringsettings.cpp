#include "results/scoringsettings.h"

namespace {

QString scoringKindFor(QChar c)
{
    if (c == u'S')
        return ScoringScored;
    if (c == u'T')
        return ScoringTimed;
    return QString();
}

QString entryKindFor(QChar c)
{
    if (c == u'I')
        return EntryIndividual;
    if (c == u'T')
        return EntryTeam;
    return QString();
}

QString judgeModeFor(QChar c)
{
    if (c == u'C')
        return JudgeCombined;
    if (c == u'S')
        return JudgeSubtotal;
    if (c == u'I')
        return JudgeSeparate;
    return QString();
}

} // namespace

void DecodeEventType(const QString& evType, QString* scoringKind, QString* entryKind)
{
    const bool decodes = evType.size() == 2;
    if (scoringKind)
        *scoringKind = decodes ? scoringKindFor(evType[0]) : QString();
    if (entryKind)
        *entryKind = decodes ? entryKindFor(evType[1]) : QString();
}

void DecodeJudges(const QString& reJudges, QString* judgeMode, QString* judgeCount)
{
    const bool decodes = reJudges.size() == 2;
    if (judgeMode)
        *judgeMode = decodes ? judgeModeFor(reJudges[0]) : QString();
    if (judgeCount)
        *judgeCount = decodes ? QString(reJudges[1]) : QString();
}

QString PrecisionText(int rePrecision)
{
    switch (rePrecision) {
    case 1:
        return PrecisionTenths;
    case 2:
        return PrecisionHundredths;
    case 3:
        return PrecisionThousandths;
    default:
        return QString();
    }
}

QString FractionText(const QString& reFraction)
{
    if (reFraction == QLatin1StringView("F"))
        return FractionFull;
    if (reFraction == QLatin1StringView("N"))
        return FractionFraction;
    return QString();
}

QString RankingText(int evRanking)
{
    return evRanking == 1 ? QString(RankingLongestFirst) : QString(RankingShortestFirst);
}

ScoringSettings DecodeScoring(const StoredScoring& stored)
{
    ScoringSettings s;
    DecodeEventType(stored.evType, &s.scoringKind, &s.entryKind);
    s.goRounds = QString::number(stored.goRounds);
    s.finals = QString::number(stored.finals);
    DecodeJudges(stored.judges, &s.judgeMode, &s.judgeCount);
    s.fraction = FractionText(stored.fraction);
    s.precision = PrecisionText(stored.precision);
    s.ranking = RankingText(stored.evRanking);
    return s;
}

QString EventTypeCode(const QString& scoringKind, const QString& entryKind)
{
    QString code;
    code += scoringKind == ScoringScored ? u'S' : u'T';
    code += entryKind == EntryTeam ? u'T' : u'I';
    return code;
}

int RankingCode(const QString& ranking)
{
    return ranking == RankingLongestFirst ? 1 : 0;
}

int PrecisionCode(const QString& precision)
{
    if (precision == PrecisionTenths)
        return 1;
    if (precision == PrecisionHundredths)
        return 2;
    if (precision == PrecisionThousandths)
        return 3;
    return 0;
}

QString JudgeModeLetter(const QString& judgeMode)
{
    if (judgeMode == JudgeCombined)
        return QStringLiteral("C");
    if (judgeMode == JudgeSubtotal)
        return QStringLiteral("S");
    if (judgeMode == JudgeSeparate)
        return QStringLiteral("I");
    return QString();
}

QString JudgesCode(const QString& judgeMode, const QString& judgeCount)
{
    return JudgeModeLetter(judgeMode) + judgeCount;
}

QString FractionCode(const QString& fraction)
{
    return fraction == FractionFraction ? QStringLiteral("N") : QStringLiteral("F");
}

StoredScoring EncodeScoring(const ScoringSettings& settings)
{
    StoredScoring stored;
    stored.evType = EventTypeCode(settings.scoringKind, settings.entryKind);
    stored.evRanking = RankingCode(settings.ranking);
    stored.goRounds = settings.goRounds.toInt();
    stored.finals = settings.finals.toInt();
    stored.precision = PrecisionCode(settings.precision);
    stored.writesJudges = settings.isScored();
    if (stored.writesJudges) {
        stored.judges = JudgesCode(settings.judgeMode, settings.judgeCount);
        stored.fraction = FractionCode(settings.fraction);
    }
    return stored;
}

StoredScoring StandardEventDefaults(const QString& eventId, const QString& evType)
{
    StoredScoring stored;
    stored.evType = evType;
    stored.goRounds = 1;
    stored.finals = 20;
    if (evType.startsWith(u'S')) {
        stored.judges = QStringLiteral("C2");
        stored.fraction = QStringLiteral("F");
        stored.precision = 1;
        stored.writesJudges = true;
    } else {
        // Barrel racing is timed to the hundredth.
        stored.precision = eventId == QLatin1StringView("BR") ? 2 : 1;
    }
    return stored;
}

ScoringSettings NewEventDefaults(const QString& scoringKind)
{
    ScoringSettings s;
    s.entryKind = EntryIndividual;
    s.goRounds = QStringLiteral("1");
    s.finals = QStringLiteral("20");
    s.precision = PrecisionTenths;
    if (scoringKind == ScoringScored) {
        s.scoringKind = ScoringScored;
        s.judgeCount = QStringLiteral("2");
        s.judgeMode = JudgeCombined;
        s.fraction = FractionFull;
    } else {
        s.scoringKind = ScoringTimed;
        s.ranking = RankingShortestFirst;
    }
    return s;
}

int HighestAllowedMark(const QString& judgeCount, const QString& judgeMode, MarkRow row)
{
    const bool subtotalLimit = row == MarkRow::Subtotal || judgeMode == JudgeCombined;
    if (judgeCount == QLatin1StringView("1"))
        return subtotalLimit ? 100 : 50;
    return subtotalLimit ? 50 : 25;
}
