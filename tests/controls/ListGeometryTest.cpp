#include "controls/ListGeometry.h"

#include <gtest/gtest.h>

using namespace ListGeometry;

// The widget tests drag the thumb to the ends and the middle; these are the edges.
TEST(ListGeometry, ScrollBarOfThousandRowsTwentyVisible)
{
    const ScrollBar s = ComputeScrollBar(999, 20, 4800, 490);
    EXPECT_TRUE(s.visible);
    EXPECT_DOUBLE_EQ(s.ratio, 0.02);
    EXPECT_DOUBLE_EQ(s.thumbHeight, 240); // 96 raised to the minimum
    EXPECT_DOUBLE_EQ(s.freeLength, 4560);
    EXPECT_EQ(s.maxTop, 980);
    EXPECT_DOUBLE_EQ(s.thumbTop, 2280);
    EXPECT_DOUBLE_EQ(ComputeScrollBar(999, 20, 4800, 980).thumbTop, 4560);
    EXPECT_FALSE(ComputeScrollBar(9, 20, 4800, 0).visible); // all rows fit
    EXPECT_FALSE(ComputeScrollBar(-1, 20, 4800, 0).visible);
    EXPECT_TRUE(ComputeScrollBar(20, 20, 4800, 0).visible);
    EXPECT_EQ(DragTopRow(0, 300, 300 + 9000, 999, 20, 4800), 980); // past the track
    EXPECT_EQ(DragTopRow(100, 300, 0, 999, 20, 4800), 0);          // above it
}

TEST(ListGeometry, TopRowClampingAndVisibleRows)
{
    struct Case { qint64 value; qint32 itemCount; qint32 expected; };
    const Case cases[] = {
        {5, 9, 0}, {-3, 999, 0}, {980, 999, 980}, {981, 999, 980}, {0, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampTopRow(c.value, c.itemCount, 20), c.expected) << c.value;
    EXPECT_EQ(VisibleRows(5040), 20);
    EXPECT_EQ(VisibleRows(5039), 19);
    EXPECT_EQ(VisibleRows(100), -1);
}

// The widget tests place normal and hidden columns; here the narrow and the undefined ones.
TEST(ListGeometry, ColumnLayout)
{
    const auto p = LayoutColumns({{"A", 500, false, "", true, 0}, {"B", 80, false, "", true, 0}});
    EXPECT_EQ(p[1].left, 600);
    EXPECT_EQ(p[1].inner, 0); // narrower than the inset
    EXPECT_EQ(p[1].edge, 580);
    for (int c = 2; c < kColumns; ++c)
        EXPECT_FALSE(p[size_t(c)].shown);
}

TEST(ListGeometry, ResizeColumnPick)
{
    const std::vector<ColumnDef> cols(4, {"", 1000, false, "", true, 0});
    struct Case { double x; int expected; };
    for (const Case c : {Case{500, 0}, Case{1000, 0}, Case{2000, 1}, Case{9999, 3}})
        EXPECT_EQ(ResizeColumnAt(cols, c.x), c.expected) << c.x;
}
