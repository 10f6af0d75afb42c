#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QtGlobal>

// One entry's result in one go-round, or (in the overall standing) the sums of
// one entry over every go-round. Scores are hundredths of a point, times are
// packed as minutes * 100000 + seconds * 1000 + thousandths; 0 means "none".
struct ResultRecord
{
    quint32 key = 0;     // EntryKey
    qint16 position = 0; // place in the standing holding the record, 0 = none
    quint32 time = 0;    // timed: ride + penalty; scored: time on the animal
    quint32 score = 0;   // scored: the total (JTot)
    QString status;      // "", "R", "N" or "P"; at most one character
    quint8 success = 0;  // go-round: Suc; overall: number of successful go-rounds
    quint8 ride = 0;     // go-round: has a result; overall: number of go-rounds run
    quint32 penalty = 0; // penalty time, already part of time
    quint16 JR[4] = {};  // rider marks of judges 1..4
    quint16 JS[4] = {};  // stock marks of judges 1..4

    void clear() { *this = ResultRecord(); }

    // Keeps only the first character: the column holds one letter.
    void setStatus(const QString& code) { status = code.left(1); }
    bool hasStatus(QLatin1StringView code) const { return status == code; }

    bool operator==(const ResultRecord& other) const;
};

// Result status codes.
inline constexpr QLatin1StringView StatusReride{"R"};   // re-ride or option granted
inline constexpr QLatin1StringView StatusNoResult{"N"}; // no score / no time
inline constexpr QLatin1StringView StatusPenalty{"P"};  // a penalty is part of the time

// The status texts shown on scoreboards.
inline constexpr QLatin1StringView RerideText{"**RERIDE/OPTION**"};
inline constexpr QLatin1StringView NoScoreText{"**NO SCORE**"};
inline constexpr QLatin1StringView NoTimeText{"**NO TIME**"};
inline constexpr QLatin1StringView PenaltyText{"**PENALTY**"};

// The display text of a status: "N" reads "no score" for a scored event and
// "no time" for a timed one. A normal (empty) or unknown status gives "".
QString StatusDisplayText(const QString& status, bool scored);

// An entry of a competitor (contestant or team) in an event: the id in the
// upper 24 bits, the entry number in the low 8 bits.
using EntryKey = quint32;

// Only the low 8 bits of the entry number take part (entry 300 becomes 44).
constexpr EntryKey makeEntryKey(quint32 ptId, int plrEnt)
{
    return (ptId << 8) | (static_cast<quint32>(plrEnt) & 0xFFu);
}
constexpr quint32 entryKeyId(EntryKey key)
{
    return key >> 8;
}
constexpr int entryKeyNumber(EntryKey key)
{
    return static_cast<int>(key & 0xFFu);
}
