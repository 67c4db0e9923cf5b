#include "controls/ListGeometry.h"

#include "core/VbHelpers.h"

#include <algorithm>
#include <cmath>

namespace ListGeometry {

int VisibleRows(double heightTwips)
{
    return static_cast<int>(VbInt(heightTwips / kRowHeight)) - 1;
}

int LabelRows(int visibleRows)
{
    return std::max(kMinLabelRows, visibleRows + 1);
}

qint32 MaxTopRow(qint32 itemCount, int visibleRows)
{
    return static_cast<qint32>(std::max<qint64>(0, qint64(itemCount) + 1 - visibleRows));
}

qint32 ClampTopRow(qint64 value, qint32 itemCount, int visibleRows)
{
    if (value < 0)
        value = 0;
    if (value > qint64(itemCount) - visibleRows)
        value = qint64(itemCount) - visibleRows + 1;
    if (value < 0)
        value = 0;
    return static_cast<qint32>(value);
}

static double Ratio(qint32 itemCount, int visibleRows)
{
    if (itemCount < 0)
        return 1;
    return std::min(1.0, double(visibleRows) / (double(itemCount) + 1));
}

ScrollBar ComputeScrollBar(qint32 itemCount, int visibleRows, double trackHeight, qint32 topRow)
{
    ScrollBar s;
    s.ratio = Ratio(itemCount, visibleRows);
    s.visible = s.ratio != 1;
    s.thumbHeight = std::max<double>(kMinThumb, trackHeight * s.ratio);
    s.freeLength = trackHeight - s.thumbHeight;
    s.maxTop = MaxTopRow(itemCount, visibleRows);
    s.thumbTop = s.maxTop == 0 ? 0 : double(topRow) * s.freeLength / s.maxTop;
    return s;
}

std::optional<qint32> DragTopRow(double startTop, double startY, double y, qint32 itemCount,
                                 int visibleRows, double trackHeight)
{
    const ScrollBar s = ComputeScrollBar(itemCount, visibleRows, trackHeight, 0);
    const double free = VbInt(s.freeLength);
    if (free <= 0)
        return std::nullopt;
    const double pos = std::clamp(startTop + (y - startY), 0.0, s.freeLength);
    if (s.maxTop <= 0)
        return 0;
    return static_cast<qint32>(VbInt(pos / free * s.maxTop));
}

std::array<ColumnPlace, kColumns> LayoutColumns(const std::vector<ColumnDef>& columns)
{
    std::array<ColumnPlace, kColumns> places{};
    int x = 0;
    const int n = std::min<int>(kColumns, int(columns.size()));
    for (int c = 0; c < n; ++c) {
        const ColumnDef& col = columns[size_t(c)];
        places[size_t(c)].shown = col.visible;
        places[size_t(c)].left = x + kTextInset;
        places[size_t(c)].inner = col.width < kTextInset ? 0 : col.width - kTextInset;
        if (col.visible)
            x += col.width;
        places[size_t(c)].edge = x;
    }
    return places;
}

int ResizeColumnAt(const std::vector<ColumnDef>& columns, double x)
{
    int edge = 0, column = 0;
    const int n = std::min<int>(kColumns, int(columns.size()));
    for (int c = 0; c < n; ++c) {
        // A hidden column has no edge of its own: resizing it would move nothing.
        if (!columns[size_t(c)].visible)
            continue;
        edge += columns[size_t(c)].width;
        if (x >= edge)
            column = c;
    }
    return column;
}

} // namespace ListGeometry
