#pragma once

#include "results/entryindex.h"
#include "results/resultrecord.h"
#include "results/standingorder.h"

#include <QString>
#include <vector>

class XmlNode;

// The standings of the event being run: one per go-round (the last one is the
// final) and one overall standing that sums every go-round per entry.
//
// The owner reads the rows itself and feeds them in:
//   beginRebuild(goRounds, scored, longestFirst);
//   addRecord(goRound, record) for every row;
//   finishRebuild();
// and after each saved result calls applySaved(goRound, record).
//
// Not thread-safe: one owner uses it from one thread (every sort runs with the
// standing type and round count passed in, so nothing is shared between two
// Standings objects either).
class Standings
{
public:
    // The largest go-round count taken; the round count (go-rounds + final)
    // then still fits the 8-bit ride counts of the overall standing.
    static constexpr int MaxGoRounds = 254;

    // Empties every standing; afterwards there is no current event.
    void clear();

    // Starts a full rebuild for an event with goRounds regular go-rounds
    // (goRounds + 1 standings, the last the final). Fails, leaving the
    // standings empty, for a count outside 0..MaxGoRounds.
    bool beginRebuild(int goRounds, bool scored, bool longestFirst);
    // Adds one row of go-round goRound (1-based) and counts it into the overall
    // standing. Rows without a competitor, outside a rebuild, beyond the
    // standings or repeating a key already added to that go-round are refused.
    bool addRecord(int goRound, ResultRecord record);
    // Orders and numbers the overall standing, then every go-round standing.
    void finishRebuild();

    // Takes one saved result into its go-round standing and rebuilds the
    // entry's overall element from every go-round. False when there is no such
    // go-round standing (or no competitor, or a rebuild is open).
    //
    // Only the entry moves: it is taken out of each of the two lists and put
    // back where ordering the whole list again would put it (the lists are
    // kept in StandingSortKey order, which ordering again never changes), and
    // the positions are numbered again. The cost grows with the entries
    // between its old and its new place, not with a sort of every entry.
    bool applySaved(int goRound, const ResultRecord& record);

    // The two scoreboard flags for a result about to be saved.
    OutputFlags outputFlags(int goRound, const ResultRecord& record) const;

    bool hasEvent() const { return m_hasEvent; }
    bool isScored() const { return m_scored; }
    int goRoundCount() const { return int(m_goRounds.size()); } // including the final
    int regularGoRounds() const { return m_goRounds.empty() ? 0 : goRoundCount() - 1; }
    StandingType goRoundType() const { return m_goRoundType; }
    StandingType overallType() const { return m_overallType; }
    quint8 roundCount() const { return m_roundCount; }

    const ResultRecord* find(int goRound, EntryKey key) const;
    const ResultRecord* findOverall(EntryKey key) const;
    // The records in standing order (an empty list for an unknown go-round).
    const std::vector<ResultRecord>& goRound(int goRound) const;
    const std::vector<ResultRecord>& overall() const { return m_overall.items; }

    // The overall standing as report data: "<data go='TOTAL'>" rows "</data>";
    // empty when there is no current event.
    QString totalXml() const;

    // Writes each go-round position into the report data of the event: the
    // row of every entry under data go = 1..n, the final under "FINALS".
    // Returns the number of rows given a position, -1 for a null node.
    int copyPositions(const XmlNode& eventNode) const;

private:
    struct Standing
    {
        std::vector<ResultRecord> items;
        std::vector<quint64> keys; // StandingSortKey of each item, once ordered
        EntryIndex index;

        ResultRecord* find(EntryKey key);
        const ResultRecord* find(EntryKey key) const;
        void reindex();
        void order(StandingType type, quint8 roundCount);
        // Puts the item at index back into order after its values changed.
        void reorder(qsizetype index, StandingType type, quint8 roundCount);
        // Adds an item in front (where a new entry is listed), then orders it.
        void addInFront(const ResultRecord& record, StandingType type, quint8 roundCount);
    };

    void countIntoOverall(const ResultRecord& record);
    void recountOverall(EntryKey key);

    std::vector<Standing> m_goRounds;
    Standing m_overall;
    StandingType m_goRoundType = StandingType::ScoredGoRound;
    StandingType m_overallType = StandingType::ScoredOverall;
    quint8 m_roundCount = 0;
    bool m_scored = true;
    bool m_hasEvent = false;
    bool m_building = false;
};
