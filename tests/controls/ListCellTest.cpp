#include "controls/ListCell.h"
#include "controls/SymbolGlyphs.h"

#include <gtest/gtest.h>

TEST(ListCell, SortOrderTextAndKeys)
{
    struct Case { ListCell a, b; int expected; };
    const Case cases[] = {
        {"a", "b", -1},
        {"10", "9", -1},    // texts compare by character
        {"Abc", "abc", -1}, // capital first
        {"ab", "a", 1},
        {"x", "x", 0},
        {9, 10, -1},        // numbers numerically
        {-5, 3, -1},
        {99999, "0", -1},   // a number before any text
        {ListCell(), 0, 0}, // empty counts as 0 ...
        {ListCell(), -1, 1},
        {ListCell(), QString(), 0}, // ... and as ""
        {ListCell(), "a", -1},
        {ListCell(), ListCell(), 0},
        {QString(QChar(0xE000)), QString::fromUcs4(U"\U0001F600"), 1}, // code units, not code points
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareCells(c.a, c.b), c.expected) << c.a.Text().toStdString() << " vs " << c.b.Text().toStdString();
        EXPECT_EQ(CompareCells(c.b, c.a), -c.expected);
    }
    EXPECT_EQ(ListCell(qint64(-7)).Text() + "|" + ListCell().Text(), "-7|");
    EXPECT_TRUE(SameKey(5, 5));
    EXPECT_FALSE(SameKey(5, "5") || SameKey(ListCell(), ListCell()) || SameKey(ListCell(), 0));
}

TEST(SymbolGlyphs, SymbolFontsMapKnownCharacters)
{
    const QString stars(3, QChar(171));
    EXPECT_EQ(SymbolGlyphText("wingdings", QString(QChar(171)) + "x"), QString(QChar(0x2605)) + "x");
    EXPECT_EQ(SymbolGlyphText("MS Sans Serif", stars), stars);
    EXPECT_TRUE(IsSymbolFont("Webdings"));
    EXPECT_FALSE(IsSymbolFont(""));
}
