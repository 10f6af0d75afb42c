#include "io/scoreboardfields.h"

#include <gtest/gtest.h>

namespace F = ScoreboardFields;

namespace {

struct ScoreCase
{
    quint32 value;
    int width;
    bool fraction;
    int decimals;
    const char* text;
};

TEST(ScoreboardFields, ScoresKeepTheirWidthAndBlankTheirLeadingZeros)
{
    const ScoreCase cases[] = {
        {8150, 6, true, 2, " 81.50"},
        {8150, 6, true, 1, " 81.5 "},
        {8150, 6, false, 2, " 81   "},
        {50, 6, true, 2, "   .50"},
        {10005, 6, true, 2, "100.05"},
        {0, 6, true, 2, "      "},
        {0, 7, true, 2, "       "},
        {165050, 7, true, 2, "1650.50"},
        {17000, 7, true, 2, " 170.00"},
        {2150, 6, true, 1, " 21.5 "},
        // Too many points for the field: stars, never other digits.
        {100000, 6, true, 2, "******"},
        {1000000, 7, false, 2, "*******"},
    };
    for (const ScoreCase& c : cases)
        EXPECT_EQ(F::score(c.value, c.width, c.fraction, c.decimals), QString::fromLatin1(c.text)) << c.value;
}

struct TimeCase
{
    quint32 value;
    int width;
    int precision;
    const char* text;
};

TEST(ScoreboardFields, TimesShowThePrecisionAndSpaceTheRest)
{
    const TimeCase cases[] = {
        {12345, 6, 2, "12.34 "},
        {5100, 6, 1, " 5.1  "},
        {5100, 6, 3, " 5.100"},
        {500, 6, 2, "  .50 "},
        {105300, 7, 1, "105.3  "},
        {112345, 7, 3, "112.345"},
        {17210, 7, 2, " 17.21 "},
        {0, 6, 2, "      "},
        // A minute or more in a field without a minutes place: its seconds
        // while they fit, else stars; ten minutes do not fit width 7.
        {105000, 6, 2, "65.00 "},
        {200000, 6, 2, "******"},
        {1000000, 7, 2, "*******"},
    };
    for (const TimeCase& c : cases)
        EXPECT_EQ(F::time(c.value, c.width, c.precision), QString::fromLatin1(c.text)) << c.value;
}

TEST(ScoreboardFields, OrdinalsEarningsAndNames)
{
    const std::pair<int, const char*> ordinals[] = {
        {1, "st"},  {2, "nd"},  {3, "rd"},   {4, "th"},   {11, "th"},  {12, "th"},  {13, "th"},
        {21, "st"}, {22, "nd"}, {111, "th"}, {112, "th"}, {121, "st"}, {100, "th"}, {0, "th"}};
    for (const auto& [n, suffix] : ordinals)
        EXPECT_EQ(F::ordinalSuffix(n), QString::fromLatin1(suffix)) << n;

    const std::pair<const char*, const char*> earnings[] = {{"12500", "   12,500"},
                                                            {"1250000", "1,250,000"},
                                                            {"$1,250", "   $1,250"},
                                                            {"", "         "},
                                                            {"900", "      900"},
                                                            // Too long with commas: without them, else stars.
                                                            {"12345678", " 12345678"},
                                                            {"1234567890", "*********"}};
    for (const auto& [stored, shown] : earnings)
        EXPECT_EQ(F::earnings(QString::fromLatin1(stored)), QString::fromLatin1(shown)) << stored;

    // A number that does not fit its field is never cut to other digits.
    EXPECT_EQ(F::number(5, 2), QStringLiteral(" 5"));
    EXPECT_EQ(F::number(100, 2), QStringLiteral("**"));
    EXPECT_EQ(F::number(-10, 2), QStringLiteral("**"));

    const std::pair<const char*, const char*> names[] = {
        {"Last, First", "Doe, John"}, {"last, first", "Doe, John"}, {"First Last", "John Doe"},
        {"Last, Initial.", "Doe, J"}, {"Initial. Last", "J Doe"},   {"Last", "Doe"},
        {"anything", "Doe"}};
    for (const auto& [format, shown] : names)
        EXPECT_EQ(F::name(QString::fromLatin1(format), QStringLiteral("John"), QStringLiteral("Doe")),
                  QString::fromLatin1(shown))
            << format;
}

} // namespace
