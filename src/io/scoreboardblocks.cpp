#include "scoreboardblocks.h"

BlockRange blocksForRefresh(int code, bool anyLeadersFlag, bool holdingWithFirstLeadersFlag)
{
    switch (code) {
    case 1:
        return {0, 7};
    case 2:
        return {1, 7};
    case 3:
        return {1, 6};
    case 4:
        return {1, anyLeadersFlag ? 7 : 5};
    case 5:
        return {2, anyLeadersFlag ? 7 : 5};
    case 6:
        return {3, 3};
    case 7:
        return {4, 7};
    case 8:
        if (holdingWithFirstLeadersFlag)
            return {};
        return {5, 7};
    case 9:
        return {6, 7};
    case 10:
        return {7, 7};
    default:
        return {};
    }
}

ScoreboardRun ScoreboardBlocks::build(int code, BlockRange range, bool network, OutputContext& context,
                                      ScoreboardState& state)
{
    ScoreboardRun run;
    if (range.isEmpty() || range.first >= ScoreboardLayout::BlockCount)
        return run;
    const int last = qMin(range.last, ScoreboardLayout::BlockCount - 1);
    beginRun(code, network, context, state);
    run.offset = ScoreboardLayout::block(range.first, network).offset;
    const ScoreboardLayout::Span lastBlock = ScoreboardLayout::block(last, network);
    run.text.reserve(lastBlock.offset + lastBlock.width - run.offset);
    for (int b = range.first; b <= last; ++b) {
        const int width = ScoreboardLayout::block(b, network).width;
        std::optional<QString> text = buildBlock(b, network);
        if (!text) {
            if (b == ScoreboardLayout::ResultBlock) {
                run.endedBeforeResult = true;
                break;
            }
            text = QString(width, QLatin1Char(' '));
        }
        // Always the full width: the next block must land at its own offset.
        run.text.append(text->leftJustified(width, QLatin1Char(' '), true));
    }
    run.second = continuationText(code, network);
    endRun(code);
    if (run.text.isEmpty())
        run.offset = 0;
    return run;
}

void ScoreboardBlocks::beginRun(int, bool, OutputContext&, ScoreboardState&) {}

QString ScoreboardBlocks::continuationText(int, bool)
{
    return QString();
}

void ScoreboardBlocks::endRun(int) {}

