#include "core/VbHelpers.h"
#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>
#include <cmath>

TEST(Val, ReadsTheLeadingNumberLikeTheLanguage)
{
    struct Case { const char* text; double want; } cases[] = {
        {"", 0}, {"abc", 0}, {"12", 12}, {"  12abc", 12}, {"1 2 3", 123},
        {"-4.5", -4.5}, {"- 4", -4}, {"+7", 7}, {".5", 0.5}, {"1.2.3", 1.2},
        {"3,5", 3}, {"1e3", 1000}, {"2D2", 200}, {"1e", 1}, {"1e+", 1},
        {"&H10", 16}, {"&HFFFF", -1}, {"&HFFFFF", 1048575}, {"&O17", 15},
        {"&X1", 0}, {"\t\n42", 42}, {"2007.06", 2007.06}, {"1e999", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.want) << c.text;
}

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.25, 1), 1.2);
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.35, 1), 1.4);
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(1e20), INT32_MAX);
    EXPECT_EQ(RoundToInt32(-1e20), INT32_MIN);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(VbInt(-0.5), -1);
    EXPECT_EQ(VbInt(2.99), 2);
}

TEST(Trim, RemovesBlanksOnly)
{
    EXPECT_EQ(Trim(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(Trim(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    EXPECT_EQ(Trim(QStringLiteral("   ")), QString());
    EXPECT_EQ(LTrim(QStringLiteral("  a ")), QStringLiteral("a "));
    EXPECT_EQ(RTrim(QStringLiteral("  a ")), QStringLiteral("  a"));
}

TEST(NumberText, ShortestFormWithTheSeparatorGiven)
{
    EXPECT_EQ(NumberText(3.5, u','), QStringLiteral("3,5"));
    EXPECT_EQ(NumberText(3.5, u'.'), QStringLiteral("3.5"));
    EXPECT_EQ(NumberText(192, u','), QStringLiteral("192"));
    EXPECT_EQ(NumberText(0, u','), QStringLiteral("0"));
    EXPECT_EQ(NumberText(0.1 + 0.2, u','), QStringLiteral("0,3"));
    EXPECT_EQ(NumberText(123456789012345.0, u','), QStringLiteral("123456789012345"));
    EXPECT_EQ(NumberText(1e15, u','), QStringLiteral("1E+15"));
    EXPECT_EQ(NumberText(-0.00001, u','), QStringLiteral("-1E-05"));
}

// A German desktop puts "," into the C library's numbers; the language's
// numbers keep their "." and the separator given.
TEST(NumberText, ValAndNumberTextIgnoreTheDesktopLocale)
{
    CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no de_DE locale here";
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("2007.06")), 2007.06);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("1.5E2")), 150);
    EXPECT_EQ(NumberText(3.5, u'.'), QStringLiteral("3.5"));
    EXPECT_EQ(NumberText(-0.00001, u'.'), QStringLiteral("-1E-05"));
    EXPECT_EQ(NumberText(3.5, u','), QStringLiteral("3,5"));
}
