#include "core/DbText.h"
#include "core/VbHelpers.h"
#include "tests/support/CommaLocale.h"

#include <QStringList>
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
    for (const auto& [in, out] : {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-2.5, -2.0}, {2.51, 3.0}})
        EXPECT_EQ(RoundHalfEven(in), out) << in;
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.25, 1), 1.2);
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.35, 1), 1.4);
    for (const auto& [in, out] : {std::pair{2.5, 2}, {1e20, INT32_MAX}, {-1e20, INT32_MIN}, {std::nan(""), 0}})
        EXPECT_EQ(RoundToInt32(in), out) << in;
    EXPECT_EQ(std::pair(VbInt(-0.5), VbInt(2.99)), std::pair(-1.0, 2.0));
}

TEST(Trim, RemovesBlanksOnly)
{
    const QString s = QStringLiteral("  a ");
    EXPECT_EQ(QStringList({Trim(s), LTrim(s), RTrim(s), Trim(QStringLiteral("\ta\t")), Trim(QStringLiteral("   "))}),
              QStringList({"a", "a ", "  a", "\ta\t", ""}));
}

TEST(NumberText, ShortestFormWithTheSeparatorGiven)
{
    const struct { double value; QChar separator; const char* text; } rows[] = {
        {3.5, u',', "3,5"}, {3.5, u'.', "3.5"}, {192, u',', "192"}, {0, u',', "0"}, {0.1 + 0.2, u',', "0,3"},
        {123456789012345.0, u',', "123456789012345"}, {1e15, u',', "1E+15"}, {-0.00001, u',', "-1E-05"},
    };
    for (const auto& r : rows) EXPECT_EQ(NumberText(r.value, r.separator), QString::fromLatin1(r.text)) << r.text;
}

// A German desktop puts "," into the C library's numbers; the language's
// numbers keep their "." and the separator given, the database's its ",".
TEST(NumberText, NumbersIgnoreTheDesktopLocale)
{
    CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no de_DE locale here";
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("2007.06")), 2007.06);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("1.5E2")), 150);
    EXPECT_EQ(NumberText(3.5, u'.'), QStringLiteral("3.5"));
    EXPECT_EQ(NumberText(-0.00001, u'.'), QStringLiteral("-1E-05"));
    EXPECT_EQ(NumberText(3.5, u','), QStringLiteral("3,5"));
    EXPECT_EQ(ParseDbNumber(u"1,5E-05"), 1.5e-05);
    EXPECT_EQ(FormatDbNumber(3.5), QStringLiteral("3,5"));
}
