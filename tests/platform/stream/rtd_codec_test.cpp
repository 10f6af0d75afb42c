// The RTD wire format: the encoder against the worked examples of
// docs/rtd-protocol.md, and the decoder's handling of damaged and mixed input.
#include "platform/stream/crc32.h"
#include "platform/stream/rtddecoder.h"
#include "platform/stream/rtdprotocol.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// The ```hex blocks of the protocol page, in order.
QList<QByteArray> documentedExamples()
{
    QFile file(QStringLiteral(TALLYRA_SOURCE_DIR "/docs/rtd-protocol.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression block(QStringLiteral("```hex\\n([0-9A-Fa-f \\n]+)```"));
    QList<QByteArray> out;
    for (auto it = block.globalMatch(text); it.hasNext();) {
        QString hex = it.next().captured(1);
        hex.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
        out.append(QByteArray::fromHex(hex.toLatin1()));
    }
    return out;
}

// A frame with any header values and payload, with a correct CRC.
QByteArray craft(quint8 type, quint8 flags, const QByteArray& payload, int length = -1, int check = -1)
{
    const quint16 n = static_cast<quint16>(length < 0 ? payload.size() : length);
    QByteArray out("RTD\x01", 4);
    out.append(static_cast<char>(type));
    out.append(static_cast<char>(flags));
    char field[2];
    qToBigEndian<quint16>(n, field);
    out.append(field, 2);
    qToBigEndian<quint16>(static_cast<quint16>(check < 0 ? (n ^ 0xFFFF) : check), field);
    out.append(field, 2);
    out.append(payload);
    char crc[4];
    qToBigEndian<quint32>(crc32(out), crc);
    out.append(crc, 4);
    return out;
}

QByteArray i32(qint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

} // namespace

TEST(RtdCodec, BothCrcImplementationsGiveTheStandardCheckValue)
{
    EXPECT_EQ(crc32(QByteArray("123456789")), 0xCBF43926u);
    EXPECT_EQ(RtdDecoder::crc32(QByteArray("123456789")), 0xCBF43926u);
    const QByteArray data = allByteValues().repeated(3);
    EXPECT_EQ(crc32(data), RtdDecoder::crc32(data));
    // Eight bytes a step, the rest one by one, from any start.
    for (int from = 0; from < 8; ++from)
        for (int size = 0; size <= 40; ++size)
            ASSERT_EQ(crc32(data.constData() + from, size), RtdDecoder::crc32(data.mid(from, size)))
                << from << " " << size;
}

TEST(RtdCodec, EncoderProducesTheDocumentedExamplesByteForByte)
{
    const QList<QByteArray> examples = documentedExamples();
    ASSERT_EQ(examples.size(), 5) << "the protocol page should hold five hex examples";
    EXPECT_EQ(RtdProtocol::encodeTextBlock(137, "HELLO", false).toHex(' '), examples[0].toHex(' '));
    EXPECT_EQ(RtdProtocol::encodeTextBlock(RtdProtocol::UpdateTriggerOffset, " ", true).toHex(' '),
              examples[1].toHex(' '));
    EXPECT_EQ(RtdProtocol::encodePlaySequence(1, 0, 0, "C", "RODEO", "INTRO").toHex(' '),
              examples[2].toHex(' '));
    EXPECT_EQ(RtdProtocol::encodeShowFrame(1, 20).toHex(' '), examples[3].toHex(' '));
    EXPECT_EQ(
        RtdProtocol::numbered(RtdProtocol::encodeTextBlock(RtdProtocol::UpdateTriggerOffset, " ", true), 1)
            .toHex(' '),
        examples[4].toHex(' '));
}

// Message numbers live in flag bits 1 to 7: they keep the update flag, make a
// new CRC, wrap from 127 to 1 and are read back by the decoder.
TEST(RtdCodec, MessageNumbersKeepTheFrameValid)
{
    const QByteArray plain = RtdProtocol::encodeTextBlock(806, "12.34", true);
    for (quint8 number : {quint8(1), quint8(64), quint8(127)}) {
        const QByteArray numbered = RtdProtocol::numbered(plain, number);
        ASSERT_EQ(numbered.size(), plain.size());
        EXPECT_EQ(quint8(numbered[5]), quint8(number << 1 | 1));
        const auto message = RtdDecoder::decodeFrame(numbered);
        ASSERT_TRUE(message) << int(number);
        EXPECT_EQ(message->number, number);
        EXPECT_TRUE(message->update);
        EXPECT_EQ(message->text(), QStringLiteral("12.34"));
    }
    EXPECT_EQ(RtdDecoder::decodeFrame(plain)->number, 0);
    EXPECT_EQ(RtdProtocol::nextNumber(127), 1);
    EXPECT_EQ(RtdProtocol::nextNumber(0), 1);
    EXPECT_EQ(RtdProtocol::numbered(QByteArray("short"), 3), QByteArray("short"));
}

TEST(RtdCodec, DecoderReadsTheDocumentedExamples)
{
    const QList<QByteArray> examples = documentedExamples();
    ASSERT_EQ(examples.size(), 5);

    const auto text = RtdDecoder::decodeFrame(examples[0]);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, RtdMessage::TextBlock);
    EXPECT_EQ(text->offset, 137);
    EXPECT_EQ(text->text(), QStringLiteral("HELLO"));
    EXPECT_FALSE(text->update);

    const auto trigger = RtdDecoder::decodeFrame(examples[1]);
    ASSERT_TRUE(trigger);
    EXPECT_EQ(trigger->offset, 9694);
    EXPECT_EQ(trigger->text(), QStringLiteral(" "));
    EXPECT_TRUE(trigger->update);

    const auto play = RtdDecoder::decodeFrame(examples[2]);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->type, RtdMessage::PlaySequence);
    EXPECT_EQ(play->sign, 1);
    EXPECT_EQ(play->mode, 0);
    EXPECT_EQ(play->times, 0);
    EXPECT_EQ(play->drive, "C");
    EXPECT_EQ(play->library, "RODEO");
    EXPECT_EQ(play->sequence, "INTRO");

    const auto show = RtdDecoder::decodeFrame(examples[3]);
    ASSERT_TRUE(show);
    EXPECT_EQ(show->type, RtdMessage::ShowFrame);
    EXPECT_EQ(show->sign, 1);
    EXPECT_EQ(show->frame, 20);
}

TEST(RtdCodec, WireTextIsOneLatin1BytePerCharacter)
{
    // A character above 255 becomes "?", one outside the basic plane (two
    // UTF-16 units) "??": the byte count always equals the QString length.
    const QString text =
        QStringLiteral("A\u00C4\u20AC") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("\x1B");
    const QByteArray wire = RtdProtocol::toWireText(text);
    EXPECT_EQ(wire.size(), text.size());
    EXPECT_EQ(wire, QByteArray("A\xC4???\x1B"));
}

TEST(RtdCodec, AnyTextContentSurvivesARoundTrip)
{
    // Every byte value, including the magic itself and line breaks, inside a text.
    QByteArray text = allByteValues() + QByteArray("RTD\x01", 4) + allByteValues();
    const QByteArray frame = RtdProtocol::encodeTextBlock(-5, text, true);
    const RtdMessage message = RtdDecoder::decodeDatagram(frame);
    ASSERT_EQ(message.type, RtdMessage::TextBlock);
    EXPECT_EQ(message.bytes, text);
    EXPECT_EQ(message.offset, -5);
    EXPECT_TRUE(message.update);

    const RtdMessage empty = RtdDecoder::decodeDatagram(RtdProtocol::encodeTextBlock(0, QByteArray(), false));
    EXPECT_EQ(empty.type, RtdMessage::TextBlock);
    EXPECT_TRUE(empty.bytes.isEmpty());

    const RtdMessage play = RtdDecoder::decodeDatagram(
        RtdProtocol::encodePlaySequence(-1, 3, 2147483647, QByteArray(), "\"lib\"\n", allByteValues()));
    ASSERT_EQ(play.type, RtdMessage::PlaySequence);
    EXPECT_EQ(play.sign, -1);
    EXPECT_EQ(play.times, 2147483647);
    EXPECT_TRUE(play.drive.isEmpty());
    EXPECT_EQ(play.library, "\"lib\"\n");
    EXPECT_EQ(play.sequence, allByteValues());
}

TEST(RtdCodec, FramesAreLimitedToOneUdpDatagram)
{
    const QByteArray longest(RtdProtocol::MaxTextPerMessage, 'x');
    const QByteArray frame = RtdProtocol::encodeTextBlock(0, longest, false);
    EXPECT_EQ(frame.size(), 65507);
    EXPECT_EQ(RtdDecoder::decodeDatagram(frame).bytes.size(), RtdProtocol::MaxTextPerMessage);

    EXPECT_TRUE(RtdProtocol::encodeTextBlock(0, longest + 'x', false).isEmpty());
    EXPECT_TRUE(RtdProtocol::encodePlaySequence(1, 0, 1, "C", QByteArray(40000, 'l'), QByteArray(30000, 's'))
                    .isEmpty());
}

TEST(RtdCodec, DecoderRejectsDamagedOrMalformedFrames)
{
    const QByteArray good = RtdProtocol::encodeTextBlock(10, "SCORE", false);
    ASSERT_TRUE(RtdDecoder::decodeFrame(good));

    for (qsizetype i = 0; i < good.size(); ++i) {
        QByteArray damaged = good;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
        EXPECT_FALSE(RtdDecoder::decodeFrame(damaged)) << "flipped byte " << i;
    }
    EXPECT_FALSE(RtdDecoder::decodeFrame(good.left(good.size() - 1)));
    EXPECT_FALSE(RtdDecoder::decodeFrame(good + 'x'));
    EXPECT_FALSE(RtdDecoder::decodeFrame(QByteArray()));

    // Correct CRCs around shapes that are wrong.
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(4, 0, i32(1))));                   // unknown type
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(1, 0, "abc")));                    // text block without offset
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(3, 0, i32(1) + i32(2) + "x")));    // show frame not 8 bytes
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(1, 0, i32(1) + "x", -1, 0x1234))); // wrong length check
    const QByteArray numbers = i32(1) + i32(0) + i32(1);
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(2, 0,
                                               numbers + QByteArray("\0\x01"
                                                                    "C\0\x01"
                                                                    "L\0\x05"
                                                                    "S",
                                                                    9))));
    EXPECT_FALSE(RtdDecoder::decodeFrame(craft(2, 0,
                                               numbers + QByteArray("\0\x01"
                                                                    "C\0\x01"
                                                                    "L\0\x01"
                                                                    "SS",
                                                                    10))));
    EXPECT_TRUE(RtdDecoder::decodeFrame(craft(2, 0,
                                              numbers + QByteArray("\0\x01"
                                                                   "C\0\x01"
                                                                   "L\0\x01"
                                                                   "S",
                                                                   9))));
    // Reserved flag bits are ignored.
    const auto flagged = RtdDecoder::decodeFrame(craft(1, 0xFE, i32(3) + "x"));
    ASSERT_TRUE(flagged);
    EXPECT_FALSE(flagged->update);
}

TEST(RtdCodec, DatagramThatIsNoSingleFrameIsRawAsItStands)
{
    const QByteArray two = RtdProtocol::encodeShowFrame(1, 2) + RtdProtocol::encodeShowFrame(1, 3);
    const RtdMessage message = RtdDecoder::decodeDatagram(two);
    EXPECT_EQ(message.type, RtdMessage::Raw);
    EXPECT_EQ(message.bytes, two);
    EXPECT_EQ(RtdDecoder::decodeDatagram(QByteArray()).type, RtdMessage::Raw);
}

TEST(RtdCodec, StreamDecoderSeparatesFramesFromOtherBytesFedOneByteAtATime)
{
    const QByteArray first = RtdProtocol::encodeTextBlock(230, "0:12.345", true);
    const QByteArray second = RtdProtocol::encodeShowFrame(2, 7);
    const QByteArray input =
        QByteArray("\x1B=  line") + first + QByteArray("RT") + second + QByteArray("tail");

    RtdDecoder decoder;
    for (const char byte : input)
        decoder.feed(QByteArray(1, byte));
    decoder.flush();
    const QList<RtdMessage> messages = decoder.takeMessages();

    ASSERT_EQ(messages.size(), 5);
    EXPECT_EQ(messages[0].type, RtdMessage::Raw);
    EXPECT_EQ(messages[0].bytes, QByteArray("\x1B=  line"));
    EXPECT_EQ(messages[1].type, RtdMessage::TextBlock);
    EXPECT_EQ(messages[1].text(), QStringLiteral("0:12.345"));
    EXPECT_EQ(messages[1].offset, 230);
    EXPECT_EQ(messages[2].bytes, QByteArray("RT"));
    EXPECT_EQ(messages[3].type, RtdMessage::ShowFrame);
    EXPECT_EQ(messages[3].frame, 7);
    EXPECT_EQ(messages[4].bytes, QByteArray("tail"));
}

TEST(RtdCodec, StreamDecoderHoldsBackOnlyWhatCouldStartAFrame)
{
    RtdDecoder decoder;
    decoder.feed("abcRT");
    QList<RtdMessage> messages = decoder.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].bytes, QByteArray("abc"));
    EXPECT_EQ(decoder.heldBytes(), 2);

    decoder.feed("X");
    messages = decoder.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].bytes, QByteArray("RTX"));
    EXPECT_EQ(decoder.heldBytes(), 0);
}

TEST(RtdCodec, StreamDecoderFindsItsWayBackAfterDamage)
{
    QByteArray corrupt = RtdProtocol::encodeTextBlock(0, "BROKEN", false);
    corrupt[12] = 'X'; // inside the offset: the CRC no longer matches
    const QByteArray good = RtdProtocol::encodeTextBlock(475, "GOOD", false);

    RtdDecoder decoder;
    decoder.feed(corrupt + good);
    QList<RtdMessage> messages = decoder.takeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].type, RtdMessage::Raw);
    EXPECT_EQ(messages[0].bytes, corrupt);
    EXPECT_EQ(messages[1].text(), QStringLiteral("GOOD"));

    // A false header promising 1000 bytes swallows a real frame until those
    // bytes are there; the real frame is then found again.
    decoder.clear();
    const QByteArray fakeHeader = craft(1, 0, QByteArray(), 1000).left(10);
    decoder.feed(fakeHeader + good);
    EXPECT_TRUE(decoder.takeMessages().isEmpty());
    decoder.feed(QByteArray(1000, '.'));
    messages = decoder.takeMessages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0].bytes, fakeHeader);
    EXPECT_EQ(messages[1].text(), QStringLiteral("GOOD"));
    EXPECT_EQ(messages[2].bytes, QByteArray(1000, '.'));
}

TEST(RtdCodec, DescriptionsAreReadableAndEscapeControlBytes)
{
    RtdMessage raw;
    raw.bytes = QByteArray("A\x1B=\"\\\r\n\t\x7F\xE9", 10);
    EXPECT_EQ(RtdDecoder::describe(raw), QStringLiteral("10 bytes: \"A\\x1B=\\\"\\\\\\r\\n\\t\\x7F\u00E9\""));
    EXPECT_EQ(RtdDecoder::describe(RtdMessage()), QStringLiteral("0 bytes"));

    const RtdMessage text =
        RtdDecoder::decodeDatagram(RtdProtocol::encodeTextBlock(806, QByteArray(500, 'x'), true));
    const QString line = RtdDecoder::describe(text, 20);
    EXPECT_TRUE(line.startsWith(
        QStringLiteral("Text block at 806 (update), 500 chars: \"xxxxxxxxxxxxxxxxxxxx... (480 more)\"")))
        << line.toStdString();

    EXPECT_EQ(RtdDecoder::describe(RtdDecoder::decodeDatagram(RtdProtocol::encodeShowFrame(1, 20))),
              QStringLiteral("Show frame: sign 1, frame 20"));
    EXPECT_EQ(
        RtdDecoder::describe(
            RtdDecoder::decodeDatagram(RtdProtocol::encodePlaySequence(1, 0, 2, "C", "L", "S"))),
        QStringLiteral("Play sequence: sign 1, mode 0, times 2, drive \"C\", library \"L\", sequence \"S\""));
}
