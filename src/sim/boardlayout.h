#pragma once

#include <QByteArray>
#include <QStringList>

// Where the blocks B0 to B7 stand in the 9693-character scoreboard image, as
// docs/rtd-protocol.md lists them for its two layouts. The simulator takes the
// table from the page rather than from the program, like any receiver would.
namespace BoardLayout {

constexpr int ImageLength = 9693;
constexpr int BlockCount = 8;

struct Span
{
    int offset;
    int width;
};

constexpr Span Serial[BlockCount] = {{0, 105},  {105, 32},  {137, 497},  {634, 96},
                                     {730, 76}, {806, 229}, {1035, 780}, {1815, 1061}};
constexpr Span Network[BlockCount] = {{0, 125},   {125, 52},  {177, 609},   {786, 112},
                                      {898, 100}, {998, 369}, {1367, 2404}, {3771, 2969}};

// "B0 rodeo" ... "B7 overall leaders".
QString blockName(int block);

// The block's text cut into rows of width characters (the last row may be
// shorter); rows that hold only spaces at the end of the block are left out,
// so an empty block gives no row. An image shorter than the block gives what
// there is. Latin-1, one character per byte.
QStringList blockRows(const QByteArray& image, int block, bool network, int width);

} // namespace BoardLayout
