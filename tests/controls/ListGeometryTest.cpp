#include "controls/ListGeometry.h"

#include <gtest/gtest.h>

using namespace ListGeometry;

// The widget tests drag the thumb and place columns; these are the edges.
TEST(ListGeometry, ScrollBarTopRowAndVisibleRows)
{
    const ScrollBar s = ComputeScrollBar(999, 20, 4800, 490);
    EXPECT_DOUBLE_EQ(s.thumbHeight, 240); // 96 raised to the minimum
    EXPECT_DOUBLE_EQ(s.thumbTop, 2280);
    EXPECT_DOUBLE_EQ(ComputeScrollBar(999, 20, 4800, 980).thumbTop, 4560);
    for (const qint32 count : {9, -1, 20}) // shown once the rows no longer fit
        EXPECT_EQ(ComputeScrollBar(count, 20, 4800, 0).visible, count == 20) << count;
    EXPECT_EQ(DragTopRow(0, 300, 300 + 9000, 999, 20, 4800), 980); // past the track
    EXPECT_EQ(DragTopRow(100, 300, 0, 999, 20, 4800), 0);          // above it
    struct Case { qint64 value; qint32 itemCount; qint32 expected; };
    for (const Case c : {Case{5, 9, 0}, Case{-3, 999, 0}, Case{981, 999, 980}, Case{0, -1, 0}})
        EXPECT_EQ(ClampTopRow(c.value, c.itemCount, 20), c.expected) << c.value;
    EXPECT_EQ(std::tuple(VisibleRows(5040), VisibleRows(5039), VisibleRows(100)), std::tuple(20, 19, -1));
}

TEST(ListGeometry, NarrowColumnsAndTheResizeGap)
{
    const auto p = LayoutColumns({{"A", 500, false, "", true, 0}, {"B", 80, false, "", true, 0}});
    EXPECT_EQ(std::tuple(p[1].left, p[1].inner, p[1].edge), std::tuple(600, 0, 580)); // narrower than the inset
    for (int c = 2; c < kColumns; ++c) EXPECT_FALSE(p[size_t(c)].shown);
    const std::vector<ColumnDef> cols(4, {"", 1000, false, "", true, 0});
    struct Case { double x; int expected; };
    for (const Case c : {Case{500, 0}, Case{1000, 0}, Case{2000, 1}, Case{9999, 3}})
        EXPECT_EQ(ResizeColumnAt(cols, c.x), c.expected) << c.x;
}
