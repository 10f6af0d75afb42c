// The scoreboard simulator's receiving side without sockets: placing text,
// showing the image, message numbers, traffic, bad packets, the byte stream's
// recovery and the recording file.
#include "platform/stream/rtdprotocol.h"
#include "sim/boardlayout.h"
#include "sim/lostmessagecounter.h"
#include "sim/scoreboardreceiver.h"
#include "sim/simrecording.h"
#include "sim/timingconsole.h"
#include "sim/trafficmeter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

RtdMessage text(qint32 offset, const QByteArray& bytes, bool update = false)
{
    RtdMessage m;
    m.type = RtdMessage::TextBlock;
    m.offset = offset;
    m.bytes = bytes;
    m.update = update;
    return m;
}

QByteArray frame(qint32 offset, const QByteArray& bytes, bool update = false, quint8 number = 0)
{
    const QByteArray f = RtdProtocol::encodeTextBlock(offset, bytes, update);
    return number ? RtdProtocol::numbered(f, number) : f;
}

} // namespace

struct PlaceCase
{
    qint32 offset;
    QByteArray bytes;
    int at;           // where to look
    QByteArray shows; // what stands there afterwards
};

class ScoreboardImagePlacing : public ::testing::TestWithParam<PlaceCase>
{};

TEST_P(ScoreboardImagePlacing, PutsTheCharactersThatFallInside)
{
    const PlaceCase& c = GetParam();
    ScoreboardImage image;
    image.apply(text(c.offset, c.bytes));
    EXPECT_EQ(image.placed().size(), BoardLayout::ImageLength);
    EXPECT_EQ(image.placed().mid(c.at, c.shows.size()), c.shows);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, ScoreboardImagePlacing,
    ::testing::Values(PlaceCase{137, "HELLO", 136, " HELLO "}, PlaceCase{-3, "abcdef", 0, "def "},
                      PlaceCase{9690, "WXYZ", 9689, " WXY"}, PlaceCase{9694, " ", 9692, " "},
                      PlaceCase{2147483640, "far", 0, " "}, PlaceCase{-2147483647 - 1, "x", 0, " "}));

TEST(ScoreboardImageShowing, TheUpdateFlagAndDisplayCommandsShowWhatWasPlaced)
{
    ScoreboardImage image;
    EXPECT_FALSE(image.apply(text(0, "FIRST")));
    EXPECT_TRUE(image.shown().startsWith("     ")) << "placed, not yet shown";
    EXPECT_TRUE(image.apply(text(RtdProtocol::UpdateTriggerOffset, " ", true)));
    EXPECT_TRUE(image.shown().startsWith("FIRST"));

    image.apply(text(0, "NEXT "));
    RtdMessage frameCommand;
    frameCommand.type = RtdMessage::ShowFrame;
    frameCommand.sign = 1;
    frameCommand.frame = 20;
    EXPECT_TRUE(image.apply(frameCommand));
    EXPECT_TRUE(image.shown().startsWith("NEXT "));
    EXPECT_EQ(image.commandText(), QStringLiteral("Show frame: sign 1, frame 20"));
    EXPECT_EQ(image.updates(), 2);

    const RtdMessage play = *RtdDecoder::decodeFrame(RtdProtocol::encodePlaySequence(1, 3, 2, "C", "RODEO", "INTRO"));
    image.apply(play);
    EXPECT_EQ(image.commandText(), QStringLiteral("Play sequence: sign 1, # Times, 2 times, C:RODEO/INTRO"));

    RtdMessage raw;
    raw.bytes = "noise";
    EXPECT_FALSE(image.apply(raw));
    EXPECT_EQ(image.updates(), 3);
}

struct NumberCase
{
    std::vector<quint8> numbers;
    qint64 lost;
};

class LostMessages : public ::testing::TestWithParam<NumberCase>
{};

TEST_P(LostMessages, AreCountedFromTheGapsInTheNumbers)
{
    LostMessageCounter counter;
    for (quint8 n : GetParam().numbers)
        counter.seen(n);
    EXPECT_EQ(counter.lost(), GetParam().lost);
}

INSTANTIATE_TEST_SUITE_P(Numbers, LostMessages,
                         ::testing::Values(NumberCase{{1, 2, 3, 4}, 0}, NumberCase{{1, 2, 5}, 2},
                                           NumberCase{{126, 127, 1, 2}, 0}, // wraps without a 0
                                           NumberCase{{127, 3}, 2}, NumberCase{{0, 0, 0}, 0},
                                           NumberCase{{5, 0, 9}, 0}, // unnumbered: start afresh
                                           NumberCase{{9}, 0}, NumberCase{{4, 4}, 126}));

TEST(TrafficMeterTest, CountsTheLastSecondOnly)
{
    TrafficMeter meter;
    meter.add(0, 100);
    meter.add(500, 50);
    meter.add(999, 10);
    EXPECT_EQ(meter.packetsPerSecond(999), 3);
    EXPECT_EQ(meter.bytesPerSecond(999), 160);
    EXPECT_EQ(meter.packetsPerSecond(1000), 2);
    EXPECT_EQ(meter.bytesPerSecond(1499), 60);
    EXPECT_EQ(meter.bytesPerSecond(1500), 10);
    EXPECT_EQ(meter.packetsPerSecond(5000), 0);
    EXPECT_EQ(meter.totalBytes(), 160);
    EXPECT_EQ(meter.totalPackets(), 3);
}

TEST(ScoreboardReceiverDatagrams, ACorruptedFrameIsABadPacketAndChangesNothing)
{
    ScoreboardReceiver receiver;
    receiver.datagram(frame(0, "GOOD", true, 1), 10);
    QByteArray damaged = frame(0, "EVIL", true, 2);
    damaged[12] = 'X'; // in the payload: the CRC no longer matches
    receiver.datagram(damaged, 20);
    receiver.datagram("plain announcer text", 30);
    EXPECT_EQ(receiver.badPackets(), 1);
    EXPECT_EQ(receiver.lastBadAt(), 20);
    EXPECT_EQ(receiver.messages(), 1);
    EXPECT_TRUE(receiver.image().shown().startsWith("GOOD"));
    EXPECT_EQ(receiver.bytesOutsideMessages(), damaged.size() + 20);
    receiver.datagram(frame(0, "NEXT", true, 3), 40);
    EXPECT_EQ(receiver.lostMessages(), 1) << "message 2 never arrived whole";
}

// Two of the program's streams may send to one board (the scoreboard's and
// the display controller's ports); each numbers its own messages.
TEST(ScoreboardReceiverDatagrams, NumbersAreFollowedPerSender)
{
    ScoreboardReceiver receiver;
    const QString rip = QStringLiteral("127.0.0.1:40001");
    const QString controller = QStringLiteral("127.0.0.1:40002");
    receiver.datagram(frame(0, "A", false, 1), 0, rip);
    receiver.datagram(frame(0, "B", false, 1), 1, controller);
    receiver.datagram(frame(0, "C", false, 2), 2, rip);
    receiver.datagram(frame(0, "D", false, 2), 3, controller);
    EXPECT_EQ(receiver.lostMessages(), 0);
    receiver.datagram(frame(0, "E", false, 5), 4, rip);
    EXPECT_EQ(receiver.lostMessages(), 2);
}

// A false header claiming a long frame must not hold the messages behind it
// back for ever: after StallMs it is given up and they come through.
TEST(ScoreboardReceiverStream, AFalseHeaderIsGivenUpAfterTheStallTime)
{
    ScoreboardReceiver receiver;
    QByteArray falseHeader = frame(0, QByteArray(1000, 'Z')).left(10); // claims 1004 payload bytes
    receiver.streamBytes(falseHeader + frame(0, "HELD", true), 0);
    EXPECT_EQ(receiver.messages(), 0);
    receiver.tick(ScoreboardReceiver::StallMs - 1);
    EXPECT_EQ(receiver.messages(), 0);
    receiver.tick(ScoreboardReceiver::StallMs);
    EXPECT_EQ(receiver.messages(), 1);
    EXPECT_TRUE(receiver.image().shown().startsWith("HELD"));
    EXPECT_EQ(receiver.badPackets(), 1);
}

TEST(ScoreboardReceiverStream, PiecesSplitAnywhereMakeTheSameImageAndTheEndReleasesTheRest)
{
    const QByteArray bytes = QByteArray("noise") + frame(475, "PIECE") + frame(9694, " ", true) + "RTD";
    for (int cut : {1, 7, 20, 40}) {
        ScoreboardReceiver receiver;
        receiver.streamBytes(bytes.left(cut), 0);
        receiver.streamBytes(bytes.mid(cut), 1);
        EXPECT_EQ(receiver.image().shown().mid(475, 5), "PIECE") << cut;
        EXPECT_EQ(receiver.bytesOutsideMessages(), 5) << "the magic's beginning is still held";
        receiver.endOfStream(2);
        EXPECT_EQ(receiver.bytesOutsideMessages(), 8);
        EXPECT_EQ(receiver.badPackets(), 0);
    }
}

TEST(SimRecordingTest, ReplayGivesTheSameImageAndACutFileKeepsWhatIsWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board.scvrec"));
    ScoreboardReceiver live;
    ASSERT_TRUE(live.startRecording(path, 1000));
    live.datagram(frame(0, "RODEO", false, 1), 1000);
    live.streamBytes(frame(806, "RESULT 12.34").left(9), 1200);
    live.streamBytes(frame(806, "RESULT 12.34").mid(9) + frame(9694, " ", true), 1300);
    live.stopRecording();
    EXPECT_EQ(live.recorder().entries(), 3);

    const std::optional<SimRecording> recording = SimRecording::read(path);
    ASSERT_TRUE(recording);
    ASSERT_EQ(recording->entries.size(), 3);
    EXPECT_EQ(recording->entries[2].atMs, 300u);
    ScoreboardReceiver replayed;
    replayed.replay(*recording);
    EXPECT_EQ(replayed.image().shown(), live.image().shown());
    EXPECT_EQ(replayed.image().shown().mid(806, 12), "RESULT 12.34");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - 3));
    file.close();
    const std::optional<SimRecording> cut = SimRecording::read(path);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->truncated);
    EXPECT_EQ(cut->entries.size(), 2);

    QFile other(dir.filePath(QStringLiteral("other")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("not a recording");
    other.close();
    QString error;
    EXPECT_FALSE(SimRecording::read(other.fileName(), &error));
    EXPECT_EQ(error, QStringLiteral("The file is not a simulator recording."));
}

TEST(BoardLayoutTest, BlocksAreCutIntoRowsWithoutTrailingBlankRows)
{
    QByteArray image(BoardLayout::ImageLength, ' ');
    image.replace(806, 6, "BARREL");
    image.replace(806 + 40, 5, "12.34");
    const QStringList rows = BoardLayout::blockRows(image, 5, false, 40);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("BARREL")));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("12.34")));
    EXPECT_TRUE(BoardLayout::blockRows(image, 6, false, 40).isEmpty());
    EXPECT_TRUE(BoardLayout::blockRows(image, 8, false, 40).isEmpty());
    EXPECT_EQ(BoardLayout::blockName(5), QStringLiteral("B5 result"));
}
