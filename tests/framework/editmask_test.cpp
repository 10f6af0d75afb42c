// The mask model: parsing, filling a text and typing.
#include "framework/editmask.h"

#include <gtest/gtest.h>

namespace {

// "#" for each input position, the literal itself for the others.
QString shape(const EditMask& mask)
{
    QString s;
    for (int pos = 0; pos < mask.length(); ++pos)
        s += mask.isInput(pos) ? QChar(u'#') : mask.literalAt(pos);
    return s;
}

const QString timeMask = QStringLiteral("[ 0-9][0-9].[0-9]");

TEST(EditMaskTest, ParsesListsRangesAndEscapedBrackets)
{
    struct Case
    {
        QString mask, shape, accepted, refused; // accepted and refused at the first input position
    };
    const Case cases[] = {
        {timeMask, "##.#", " 059", "a./:"},
        {"[0-8].[0-9]", "#.#", "08", "9 "},
        {R"(\[[A-Ca-c]\])", "[#]", "ABCabc", "Dd[]"},
        {"[-+0]", "#", "-+0", ",1"},
        {R"([\]x])", "#", "]x", "\\"},
        {R"(a\b)", R"(a\b)", "", ""},
        {"[0-9", "[0-9", "", ""}, // never closed: literal text
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask.toStdString());
        const EditMask mask(c.mask);
        EXPECT_EQ(shape(mask), c.shape);
        EXPECT_EQ(mask.isEmpty(), c.shape.isEmpty());
        const int first = mask.nextInput(0);
        for (QChar ch : c.accepted)
            EXPECT_TRUE(mask.accepts(first, ch)) << QString(ch).toStdString();
        for (QChar ch : c.refused)
            EXPECT_FALSE(mask.accepts(first, ch)) << QString(ch).toStdString();
    }
}

TEST(EditMaskTest, FillsEachInputPositionWithTheNextCharacterItAccepts)
{
    struct Case
    {
        QString mask, text, display, input;
    };
    const QString cellMask = QStringLiteral("              [ 0-9][0-9][0-9]     [0-9].[0-9]");
    const Case cases[] = {
        {timeMask, "12.3", "12.3", "123"},
        {timeMask, "9.5", "95.0", "950"}, // unpadded, the time slides left
        {timeMask, " 9.5", " 9.5", " 95"},
        {timeMask, "", "00.0", "000"},
        // A fraction mark of 8.5 reaches the field in tenths, padded ("085");
        // as "8.5" it would read as 85.0.
        {"[0-9][0-9].[0-9]", "085", "08.5", "085"},
        {"[0-9][0-9].[0-9]", "8.5", "85.0", "850"},
        {"[0-8].[0-9]", "5.2", "5.2", "52"},
        {"[0-8].[0-9]", "9.1", "1.0", "10"}, // the 9 and the point are passed over
        {cellMask, " 8552", "               85     5.2", " 8552"},
        {"[A-Z]-[ A-Z]", "", "A- ", "A "}, // empty positions that refuse "0"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.mask + " <- '" + c.text + "'").toStdString());
        const EditMask mask(c.mask);
        const QString display = mask.filled(c.text);
        EXPECT_EQ(display, c.display);
        EXPECT_TRUE(mask.matches(display));
        EXPECT_EQ(mask.inputText(display), c.input);
    }
}

TEST(EditMaskTest, TypingOverwritesTheNextInputPositionThatTakesTheCharacter)
{
    struct Case
    {
        const char* what;
        QString mask, start;
        int cursor;
        QString typed, display;
        int cursorAfter;
        bool lastTaken;
    };
    const Case cases[] = {
        {"the point is skipped", timeMask, "00.0", 0, "123", "12.3", 4, true},
        {"the cursor steps by one, up to the point", timeMask, "00.0", 0, "45", "45.0", 2, true},
        {"a refused character changes nothing", timeMask, "12.3", 2, "x", "12.3", 2, false},
        {"a space where one is listed", timeMask, "12.3", 0, " ", " 2.3", 1, true},
        {"a space where none is listed", timeMask, "12.3", 1, " ", "12.3", 1, false},
        {"leading literals are skipped", "  [0-9]", "  0", 0, "7", "  7", 3, true},
        {"nothing after the cursor", "[0-9][0-9]", "12", 2, "5", "12", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EditMask mask(c.mask);
        QString display = c.start;
        int cursor = c.cursor;
        bool taken = false;
        for (QChar ch : c.typed)
            taken = mask.typeAt(display, cursor, ch);
        EXPECT_EQ(display, c.display);
        EXPECT_EQ(cursor, c.cursorAfter);
        EXPECT_EQ(taken, c.lastTaken);
    }
}

// Keys type a number as the operator reads it: the whole part fills from the
// right until it is full or its "." (or the space before a time) is typed.
// A field that already shows a number is overwritten where the cursor is.
TEST(EditMaskTest, KeysTypeANumberAsItIsRead)
{
    const QString time2 = QStringLiteral("[ 0-9][0-9].[0-9][0-9]");
    const QString boxScore = QStringLiteral("  [ 0-9][0-9][0-9]  [0-9].[0-9]");
    struct Case
    {
        QString mask, start, keys, display;
    };
    const Case cases[] = {
        {time2, " 0.00", "4.87", " 4.87"},
        {time2, " 0.00", "9", " 9.00"},
        {time2, "00.00", "12", "12.00"},
        {time2, " 0.00", "1234", "12.34"},
        {time2, " 0.00", "12.3", "12.30"},
        {time2, " 0.00", "123.4", "12.34"}, // the whole part is full: 3 goes on
        {time2, "12.34", "4.87", "42.87"},  // a filled field is overwritten
        {timeMask, " 0.0", "9.5", " 9.5"},
        {"[0-9][0-9]", "00", "9", "09"},
        {"[0-9][0-9]", "00", "215", "21"},
        {"[0-9][0-9].[0-9]", "00.0", "9.5", "09.5"},
        {boxScore, "   00  0.0", "78", "   78  0.0"},
        {boxScore, "   00  0.0", "78 85", "   78  8.5"},
        {boxScore, "   00  0.0", "085", "  085  0.0"},
        {"  [0-9][0-9].[0-9][0-9]", "  00.00", "4.87", "  04.87"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.mask + QStringLiteral(" | ") + c.keys).toStdString());
        const EditMask mask(c.mask);
        ASSERT_TRUE(mask.matches(c.start));
        QString display = c.start;
        int cursor = 0;
        EditMask::NumberEntry entry;
        for (QChar ch : c.keys)
            mask.typeNumber(display, cursor, ch, entry);
        EXPECT_EQ(display, c.display);
        EXPECT_TRUE(mask.matches(display));
    }
}

} // namespace
