// Geometry of the list control in twips: the fixed grid, the scroll track and
// the column layout, as pure functions so the numbers can be checked alone.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace ListGeometry {

constexpr int kRowHeight = 240;   // header row and each data row
constexpr int kBandHeight = 255;  // row bands, selection bar, header band
constexpr int kLabelHeight = 210; // cell labels
constexpr int kTextInset = 100;   // gap left of a column's labels
constexpr int kMinLabelRows = 51;
constexpr int kColumns = 16;
constexpr int kTrackWidth = 255;
constexpr int kMinThumb = 240;

// Rows that fit entirely below the header: Int(height / 240) - 1.
int VisibleRows(double heightTwips);
// Label rows drawn and fetched: all that show, never fewer than 51.
int LabelRows(int visibleRows);

// The largest top row that still fills the view.
qint32 MaxTopRow(qint32 itemCount, int visibleRows);
// A top row as the TopRow property stores it.
qint32 ClampTopRow(qint64 value, qint32 itemCount, int visibleRows);

struct ScrollBar {
    bool visible = false; // only when not all rows fit
    double ratio = 1;
    double thumbTop = 0;
    double thumbHeight = 0;
    double freeLength = 0;
    qint32 maxTop = 0;
};
ScrollBar ComputeScrollBar(qint32 itemCount, int visibleRows, double trackHeight, qint32 topRow);

// Top row for a thumb dragged to startTop + (y - startY); nothing when the
// track has no free length to drag in.
std::optional<qint32> DragTopRow(double startTop, double startY, double y, qint32 itemCount,
                                 int visibleRows, double trackHeight);

struct ColumnDef {
    QString caption;
    int width = 0; // inset included
    bool bold = false;
    QString fontName; // "" for the default font
    bool visible = false;
    float fontSize = 0; // 0 for 8 pt
};

struct ColumnPlace {
    bool shown = false; // header label, separator and cell labels visible
    int left = 0;       // of the header and cell labels
    int inner = 0;      // their width
    int edge = 0;       // x of the separator line, the column's right edge
};

// Places of the 16 columns; columns above the defined ones stay hidden at 0.
std::array<ColumnPlace, kColumns> LayoutColumns(const std::vector<ColumnDef>& columns);

// The column a press at x in the header strip resizes: the last visible column
// whose right edge lies at or left of x; column 0 when there is none.
int ResizeColumnAt(const std::vector<ColumnDef>& columns, double x);

} // namespace ListGeometry
