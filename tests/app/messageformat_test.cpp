#include "app/messageformat.h"

#include <gtest/gtest.h>

TEST(MessageFormat, ConversionsAndWidths)
{
    EXPECT_EQ(formatMessage("SQL:%s, Error:%s", QStringLiteral("SELECT 1"), ""), QStringLiteral("SQL:SELECT 1, Error:"));
    EXPECT_EQ(formatMessage("ID:%d", -12), QStringLiteral("ID:-12"));
    EXPECT_EQ(formatMessage("%4ld|%-4d|%04d", 7L, 3, -5), QStringLiteral("   7|3   |-005"));
    EXPECT_EQ(formatMessage("HRESULT=%x", 0x8000FFFFu), QStringLiteral("HRESULT=8000ffff"));
    EXPECT_EQ(formatMessage("100%% %c", QChar(u'Z')), QStringLiteral("100% Z"));
    EXPECT_EQ(formatMessage("Error:%d", -1), QStringLiteral("Error:-1"));
}

TEST(MessageFormat, ArgumentsAreNeverFormats)
{
    // A name typed by the operator may hold '%' or "%s"; it is printed as it is.
    EXPECT_EQ(formatMessage("Season:%s, Rodeo:%s", QStringLiteral("50%s off"), QStringLiteral("\"Q\"")),
              QStringLiteral("Season:50%s off, Rodeo:\"Q\""));
}

TEST(MessageFormat, MissingArgumentsAndOddFormats)
{
    EXPECT_EQ(formatMessage("a %s b %d c"), QStringLiteral("a  b  c"));
    EXPECT_EQ(formatMessage("trailing %"), QStringLiteral("trailing %"));
    EXPECT_EQ(formatMessage("%q stays", 1), QStringLiteral("%q stays"));
    EXPECT_EQ(formatMessage("%d", QStringLiteral("text")), QStringLiteral("text"));
}
