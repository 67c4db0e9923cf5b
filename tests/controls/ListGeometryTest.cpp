#include "controls/ListGeometry.h"

#include <gtest/gtest.h>

using namespace ListGeometry;

TEST(ListGeometry, ScrollBarOfThousandRowsTwentyVisible)
{
    struct Case { qint32 top; double thumbTop; };
    for (const Case c : {Case{980, 4560}, Case{490, 2280}, Case{0, 0}}) {
        const ScrollBar s = ComputeScrollBar(999, 20, 4800, c.top);
        EXPECT_TRUE(s.visible);
        EXPECT_DOUBLE_EQ(s.ratio, 0.02);
        EXPECT_DOUBLE_EQ(s.thumbHeight, 240); // 96 raised to the minimum
        EXPECT_DOUBLE_EQ(s.freeLength, 4560);
        EXPECT_EQ(s.maxTop, 980);
        EXPECT_DOUBLE_EQ(s.thumbTop, c.thumbTop) << c.top;
    }
}

TEST(ListGeometry, TrackHiddenWhenAllRowsFit)
{
    EXPECT_FALSE(ComputeScrollBar(9, 20, 4800, 0).visible);
    EXPECT_FALSE(ComputeScrollBar(-1, 20, 4800, 0).visible);
    EXPECT_TRUE(ComputeScrollBar(20, 20, 4800, 0).visible);
}

TEST(ListGeometry, TopRowClamping)
{
    struct Case { qint64 value; qint32 itemCount; int visible; qint32 expected; };
    const Case cases[] = {
        {5, 9, 20, 0},        // 10 rows, 20 visible
        {-3, 999, 20, 0},
        {979, 999, 20, 979},
        {980, 999, 20, 980},
        {5000, 999, 20, 980}, // beyond the end: ItemCount - visible + 1
        {0, -1, 20, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampTopRow(c.value, c.itemCount, c.visible), c.expected) << c.value;
}

TEST(ListGeometry, VisibleAndLabelRows)
{
    EXPECT_EQ(VisibleRows(5040), 20);
    EXPECT_EQ(VisibleRows(5039), 19);
    EXPECT_EQ(VisibleRows(3825), 14);
    EXPECT_EQ(VisibleRows(100), -1);
    EXPECT_EQ(LabelRows(14), 51);
    EXPECT_EQ(LabelRows(60), 61); // a tall control draws every row that shows
}

TEST(ListGeometry, ThumbDrag)
{
    // From the top to the end of the free length reaches the last top row.
    EXPECT_EQ(DragTopRow(0, 300, 300 + 4560, 999, 20, 4800), 980);
    EXPECT_EQ(DragTopRow(0, 300, 300 + 9000, 999, 20, 4800), 980);
    EXPECT_EQ(DragTopRow(100, 300, 0, 999, 20, 4800), 0); // above the track stops at 0
    EXPECT_EQ(DragTopRow(0, 0, 2280, 999, 20, 4800), 490);
    // No free length (thumb as high as the track): the drag does nothing.
    EXPECT_EQ(DragTopRow(0, 0, 100, 20, 20, 240), std::nullopt);
}

TEST(ListGeometry, ColumnLayout)
{
    std::vector<ColumnDef> cols(4);
    cols[0] = {"A", 500, false, "", true, 0};
    cols[1] = {"B", 80, false, "", true, 0};   // narrower than the inset
    cols[2] = {"C", 1000, false, "", false, 0}; // hidden
    cols[3] = {"D", 700, false, "", true, 0};
    const auto p = LayoutColumns(cols);
    EXPECT_EQ(p[0].left, 100);
    EXPECT_EQ(p[0].inner, 400);
    EXPECT_EQ(p[0].edge, 500);
    EXPECT_EQ(p[1].inner, 0);
    EXPECT_EQ(p[1].edge, 580);
    EXPECT_FALSE(p[2].shown);
    EXPECT_EQ(p[2].edge, 580); // takes no room
    EXPECT_EQ(p[3].left, 680);
    EXPECT_EQ(p[3].edge, 1280);
    for (int c = 4; c < kColumns; ++c)
        EXPECT_FALSE(p[size_t(c)].shown);
}

TEST(ListGeometry, ResizeColumnPick)
{
    std::vector<ColumnDef> cols(4);
    for (int c = 0; c < 4; ++c)
        cols[size_t(c)] = {"", 1000, false, "", true, 0};
    struct Case { double x; int expected; };
    // The gap left of column 3 (edge of column 2 at 3000) picks column 2.
    for (const Case c : {Case{3050, 2}, Case{500, 0}, Case{1000, 0}, Case{2000, 1}, Case{9999, 3}})
        EXPECT_EQ(ResizeColumnAt(cols, c.x), c.expected) << c.x;
    // Hidden columns after column 1 share its edge but are never picked.
    cols[2].visible = false;
    EXPECT_EQ(ResizeColumnAt(cols, 2050), 1);
}
