#pragma once

#include <QString>
#include <optional>

class OutputContext;
struct ScoreboardState;

// Where the blocks of the 9693-character scoreboard image stand. Two layouts:
// Serial (no field prefix) and Network (every field preceded by four spaces),
// the latter used as soon as one RIP stream is of type Network.
namespace ScoreboardLayout {

constexpr int ImageLength = 9693;
constexpr int BlockCount = 8; // B0 to B7
constexpr int ResultBlock = 5;

struct Span
{
    int offset;
    int width;
};

// B0 rodeo lines, B1 event and go-round, B2 competitor, B3 contestant message,
// B4 animal, B5 result, B6 go-round leaders, B7 overall leaders.
constexpr Span SerialBlocks[BlockCount] = {{0, 105},  {105, 32},  {137, 497},  {634, 96},
                                           {730, 76}, {806, 229}, {1035, 780}, {1815, 1061}};
constexpr Span NetworkBlocks[BlockCount] = {{0, 125},   {125, 52},  {177, 609},   {786, 112},
                                            {898, 100}, {998, 369}, {1367, 2404}, {3771, 2969}};
// Leader lines 13 to 20 of a Network page.
constexpr Span GoLeadersContinuation = {6740, 1400};
constexpr Span OverallLeadersContinuation = {8140, 1553};

inline Span block(int index, bool network)
{
    return network ? NetworkBlocks[index] : SerialBlocks[index];
}

// Leader lines on one page of a list: the profile's paging (at most 20) in
// the Network layout, 4 in the Serial layout. The announcer's page turns with
// the board's.
inline int linesPerPage(bool network, int profilePaging)
{
    return network ? (profilePaging >= 1 ? (profilePaging < 20 ? profilePaging : 20) : 4) : 4;
}

} // namespace ScoreboardLayout

// The contiguous run of blocks a refresh sends (first to last), or none.
struct BlockRange
{
    int first = -1;
    int last = -1;

    bool isEmpty() const { return first < 0 || last < first; }
    bool contains(int block) const { return !isEmpty() && block >= first && block <= last; }
    bool operator==(const BlockRange&) const = default;
};

// The blocks of a refresh code: 1 B0-B7, 2 B1-B7, 3 B1-B6, 4 B1-B5, 5 B2-B5
// (both with B6 and B7 when a leaders flag is set), 6 B3, 7 B4-B7, 8 B5-B7
// (none while holding with the first leaders flag set), 9 B6-B7, 10 B7;
// any other code none.
BlockRange blocksForRefresh(int code, bool anyLeadersFlag, bool holdingWithFirstLeadersFlag);

// What a refresh sends on every RIP stream: the text of a run of blocks and the
// offset of its first character, and possibly a second text (the continuation
// of a leader list on the Network layout).
struct ScoreboardRun
{
    QString text;
    int offset = 0;
    QString second;
    // The run ended before the result block because it could not be built.
    bool endedBeforeResult = false;
};

// Builds the scoreboard text for a refresh. Each block is produced at its full
// width so that consecutive blocks sent as one text land at their offsets; a
// result block that cannot be built (no current result) ends the run before it.
class ScoreboardBlocks
{
public:
    virtual ~ScoreboardBlocks() = default;

    // The blocks are formatted from what context holds; state carries the
    // page indexes and leader values from one refresh to the next.
    virtual ScoreboardRun build(int code, BlockRange range, bool network, OutputContext& context,
                                ScoreboardState& state);

protected:
    virtual void beginRun(int code, bool network, OutputContext& context, ScoreboardState& state);
    // The text of one block, or nothing when it cannot be built: the result
    // block then ends the run, any other block is sent as spaces.
    virtual std::optional<QString> buildBlock(int block, bool network) = 0;
    // The continuation text of the run just built, empty for none.
    virtual QString continuationText(int code, bool network);
    virtual void endRun(int code);
};
