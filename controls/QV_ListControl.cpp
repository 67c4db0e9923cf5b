#include "controls/QV_ListControl.h"

#include "controls/SymbolGlyphs.h"
#include "controls/VbKeys.h"
#include "controls/WinColor.h"
#include "core/Units.h"
#include "core/VbHelpers.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <exception>

using namespace ListGeometry;

namespace {

constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kOddBand = 0xFFF0F0;
constexpr quint32 kSelection = 0xFF8080;
constexpr quint32 kHeader = 0xFFC0C0;
constexpr quint32 kSeparator = 0xC0C0C0;
constexpr quint32 kThumb = 0xFF8080;
constexpr quint32 kTrack = 0xE0E0E0;
constexpr quint32 kHighlightText = 0x800000;
constexpr quint32 kWindowText = 0x80000008; // system colour of the header rule

const QString kDefaultFont = QStringLiteral("MS Sans Serif");

// Nothing may leave an event handler; a failing step is skipped and the
// control goes on.
template <typename F>
void Guarded(F&& body) noexcept
{
    try {
        body();
    } catch (const std::exception& e) {
        qWarning("QV_ListControl: %s", e.what());
    } catch (...) {
        qWarning("QV_ListControl: unknown failure");
    }
}

struct SortItem {
    ListCell::View value; // the cells stay put while the items are sorted
    qint32 row;
};

// Hoare partition sort of a[lo - base .. hi - base] with the middle element
// (halves to the even index) as pivot. Recursing only into the smaller part
// bounds the depth by log2 n; the scans are bounded too, since mixed cell
// kinds do not form a strict order (empty equals both 0 and "").
void HoareSort(std::vector<SortItem>& a, qint32 lo, qint32 hi, qint32 base)
{
    auto at = [&](qint32 k) -> SortItem& { return a[size_t(k - base)]; };
    while (lo < hi) {
        const qint32 m = RoundToInt32((double(lo) + double(hi)) / 2);
        const ListCell::View pivot = at(m).value;
        qint32 i = lo, j = hi;
        do {
            while (i < hi && CompareCells(at(i).value, pivot) < 0)
                ++i;
            while (j > lo && CompareCells(at(j).value, pivot) > 0)
                --j;
            if (i > j)
                break;
            std::swap(at(i), at(j));
            ++i;
            --j;
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j)
                HoareSort(a, lo, j, base);
            lo = i;
        } else {
            if (i < hi)
                HoareSort(a, i, hi, base);
            hi = j;
        }
    }
}

} // namespace

QV_ListControl::QV_ListControl(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // the resize arrow over the header strip
    setAttribute(Qt::WA_OpaquePaintEvent);
    headerFont_ = QFont(kDefaultFont);
    headerFont_.setPointSizeF(8);
    stored_.font = font(); // the host's ambient font
    columns_.resize(1);
    ApplyColumnStyles();
    DrawRows();
}

QV_ListControl::~QV_ListControl() = default;

// --- geometry -------------------------------------------------------------

double QV_ListControl::WidthTwips() const { return PixelsToTwips(width(), logicalDpiX()); }
double QV_ListControl::HeightTwips() const { return PixelsToTwips(height(), logicalDpiY()); }
int QV_ListControl::VisibleRows() const { return ListGeometry::VisibleRows(HeightTwips()); }
double QV_ListControl::TrackHeight() const { return HeightTwips() - kRowHeight; }
int QV_ListControl::PxX(double twips) const { return TwipsToPixels(twips, logicalDpiX()); }
int QV_ListControl::PxY(double twips) const { return TwipsToPixels(twips, logicalDpiY()); }

ListGeometry::ScrollBar QV_ListControl::ScrollBarNow() const
{
    return ComputeScrollBar(itemCount_, VisibleRows(), TrackHeight(), topRow_);
}

const ListCell& QV_ListControl::CellAt(const CachedRow& row, int column) const
{
    static const ListCell empty;
    static const ListCell emptyText{QString()};
    if (!row.filled)
        return empty;
    return size_t(column) < row.cells.size() ? row.cells[size_t(column)] : emptyText;
}

// --- columns --------------------------------------------------------------

void QV_ListControl::SetHeader(int index, const QString& caption, int width, bool bold,
                               const QString& fontName, bool visible, float fontSize)
{
    if (index < 0 || index >= kColumns)
        return;
    columns_.resize(size_t(index) + 1);
    columns_[size_t(index)] = ColumnDef{caption, width, bold, fontName, visible, fontSize};
    ApplyColumnStyles();
}

QString QV_ListControl::GetHeader(int index, int& width) const
{
    if (index < 0 || size_t(index) >= columns_.size())
        return QString();
    width = columns_[size_t(index)].width;
    return columns_[size_t(index)].caption;
}

void QV_ListControl::SetColumnVisibility(int index, bool visible)
{
    if (index < 0 || size_t(index) >= columns_.size())
        return;
    columns_[size_t(index)].visible = visible;
    ApplyColumnStyles();
}

void QV_ListControl::ApplyColumnStyles()
{
    for (int c = 0; c < kColumns; ++c) {
        QString family = kDefaultFont;
        double size = 8;
        bool bold = false;
        if (size_t(c) < columns_.size()) {
            const ColumnDef& col = columns_[size_t(c)];
            if (!col.fontName.isEmpty())
                family = col.fontName;
            if (col.fontSize > 0)
                size = col.fontSize;
            bold = col.bold;
        }
        ColumnStyle& style = styles_[size_t(c)];
        style.symbols = IsSymbolFont(family);
        style.normal = QFont(style.symbols ? kDefaultFont : family);
        style.normal.setPointSizeF(size);
        style.bold = style.normal;
        style.bold.setBold(true);
        for (size_t i = size_t(c); i < labels_.size(); i += kColumns) {
            labels_[i].bold = bold;
            labels_[i].textReady = false;
        }
        headerTexts_[size_t(c)] = QStaticText();
    }
    LayoutColumns();
}

void QV_ListControl::LayoutColumns()
{
    places_ = ListGeometry::LayoutColumns(columns_);
    update();
}

QString QV_ListControl::HeaderCaption(int column) const
{
    return size_t(column) < columns_.size() ? columns_[size_t(column)].caption : QString();
}

// --- rows -----------------------------------------------------------------

void QV_ListControl::SetItemCount(qint32 n)
{
    n = std::max<qint32>(n, -1);
    itemCount_ = n;
    selectedIndex_ = -1;
    topRow_ = 0;
    rows_.clear();
    rows_.resize(size_t(qint64(n) + 1));
    for (qint32 i = 0; i <= n; ++i)
        rows_[size_t(i)].origin = i;
    const quint64 generation = ++generation_;
    ResizeLayout();
    DrawRows();
    if (generation == generation_) // else a newer setting has reported itself
        emit ItemCountChange(n);
}

void QV_ListControl::SetHighlighted(qint32 key)
{
    highlighted_ = key;
    DrawRows();
}

void QV_ListControl::ForceReNewData(const ListCell& key)
{
    if (itemCount_ < 0)
        return;
    qint32 last = 0;
    for (qint32 i = 0; i <= itemCount_; ++i)
        if (SameKey(rows_[size_t(i)].key, key))
            last = i;
    rows_[size_t(last)].loaded = false;
    DrawRows();
}

bool QV_ListControl::FetchRow(qint32 row, bool keepKeyWithoutData)
{
    if (!host_)
        return false;
    QList<ListCell> data;
    ListCell key;
    const quint64 generation = generation_;
    const bool answered = host_->NeedData(rows_[size_t(row)].origin, data, key);
    if (generation != generation_ || row > itemCount_)
        return false; // the host started over or sorted: this answer belongs to no row now
    CachedRow& r = rows_[size_t(row)];
    if (!answered) {
        if (keepKeyWithoutData)
            r.key = std::move(key);
        return false;
    }
    r.key = std::move(key);
    const qsizetype used = std::min<qsizetype>(data.size(), kColumns);
    r.cells.assign(data.begin(), data.begin() + used);
    r.filled = true;
    r.loaded = true;
    return true;
}

ListCell QV_ListControl::SelectionKey(qint32 row)
{
    // A selection event must carry the row's real key, so a row that was never
    // drawn is fetched first.
    if (row < 0 || row > itemCount_)
        return {};
    if (!rows_[size_t(row)].loaded)
        FetchRow(row, true);
    if (row > itemCount_)
        return {};
    return rows_[size_t(row)].key;
}

void QV_ListControl::EnsureLabelGrid()
{
    const size_t labelRows = size_t(LabelRows(VisibleRows()));
    if (bands_.size() == labelRows)
        return;
    const size_t before = labels_.size();
    labels_.resize(labelRows * kColumns);
    for (size_t i = before; i < labels_.size(); ++i) {
        const size_t c = i % kColumns;
        labels_[i].bold = c < columns_.size() && columns_[c].bold;
    }
    bands_.resize(labelRows, 0);
}

void QV_ListControl::DrawRows()
{
    EnsureLabelGrid();
    update(); // scroll bar and selection bar follow from the state when painting
    const quint64 generation = generation_;
    const quint64 serial = ++drawSerial_;
    const ListCell highlighted = highlighted_ == -1 ? ListCell() : ListCell(highlighted_);
    for (size_t r = 0; r < bands_.size(); ++r) {
        const qint64 d = qint64(topRow_) + qint64(r);
        const bool exists = d <= itemCount_;
        bands_[r] = exists ? (d % 2 ? 2 : 1) : 0;
        if (exists && !rows_[size_t(d)].loaded) {
            // No data stops the redraw: this row and those below keep what they showed.
            if (!FetchRow(qint32(d), true))
                return;
            if (generation != generation_ || serial != drawSerial_ || r >= bands_.size())
                return; // a newer redraw has done the work
        }
        for (int c = 0; c < kColumns; ++c) {
            Label& label = labels_[r * kColumns + size_t(c)];
            QString caption;
            if (exists) {
                const CachedRow& row = rows_[size_t(d)];
                const bool lit = SameKey(row.key, highlighted);
                const bool bold = (size_t(c) < columns_.size() && columns_[size_t(c)].bold) || lit;
                const quint32 fore = lit ? kHighlightText : 0;
                if (bold != label.bold || fore != label.foreColor) {
                    label.bold = bold;
                    label.foreColor = fore;
                    label.textReady = false;
                }
                caption = CellAt(row, c).Text();
            }
            if (caption != label.caption) {
                label.caption = std::move(caption);
                label.textReady = false;
            }
        }
    }
}

// --- sorting --------------------------------------------------------------

void QV_ListControl::GetAllData()
{
    for (qint32 i = 0; i <= itemCount_; ++i) {
        if (rows_[size_t(i)].loaded)
            continue;
        if (!FetchRow(i, false))
            return; // no data ("Kein Array"): the rest stays unloaded, nobody is told
    }
}

void QV_ListControl::SortAsColumn(qint32 column)
{
    if (itemCount_ < 0 || column < 0 || column >= kColumns)
        return;
    const quint64 generation = generation_;
    GetAllData();
    if (generation != generation_)
        return;
    QuickSort(0, itemCount_, column);
    DrawRows();
}

void QV_ListControl::QuickSort(qint32 lo, qint32 hi, qint32 column)
{
    if (itemCount_ < 0 || lo < 0 || hi > itemCount_ || lo >= hi || column < 0 || column >= kColumns)
        return;
    const bool followSelection = selectedIndex_ >= lo && selectedIndex_ <= hi;
    const qint32 selectedOrigin = followSelection ? rows_[size_t(selectedIndex_)].origin : -1;
    SortRange(lo, hi, column);
    ++generation_;
    if (followSelection) {
        for (qint32 i = lo; i <= hi; ++i)
            if (rows_[size_t(i)].origin == selectedOrigin) {
                selectedIndex_ = i;
                break;
            }
    }
}

void QV_ListControl::SortRange(qint32 lo, qint32 hi, int column)
{
    // Sort the column's values with their row numbers, then move the rows once.
    std::vector<SortItem> items;
    items.reserve(size_t(hi - lo + 1));
    for (qint32 r = lo; r <= hi; ++r)
        items.push_back({CellAt(rows_[size_t(r)], column).ViewOf(), r});
    HoareSort(items, lo, hi, lo);
    std::vector<CachedRow> sorted;
    sorted.reserve(items.size());
    for (const SortItem& item : items)
        sorted.push_back(std::move(rows_[size_t(item.row)]));
    std::move(sorted.begin(), sorted.end(), rows_.begin() + lo);
}

// --- scrolling and selection ----------------------------------------------

void QV_ListControl::SetTopRow(qint64 row)
{
    topRow_ = ClampTopRow(row, itemCount_, VisibleRows());
    DrawRows();
}

void QV_ListControl::SetSelectedIndex(qint32 index)
{
    if (itemCount_ < 0 || index < 0 || index > itemCount_)
        return;
    const quint64 generation = generation_;
    selectedIndex_ = index;
    const ListCell key = SelectionKey(index);
    if (generation != generation_)
        return;
    selectedKey_ = key;
    EnsureVisible();
    if (generation != generation_)
        return;
    update();
    emit ItemSelect(index, -1, key);
}

void QV_ListControl::EnsureVisible()
{
    const qint32 old = topRow_;
    const int visible = VisibleRows();
    if (qint64(selectedIndex_) >= qint64(topRow_) + visible)
        topRow_ = selectedIndex_ - visible + 1;
    if (selectedIndex_ < topRow_)
        topRow_ = selectedIndex_;
    if (topRow_ != old)
        DrawRows();
}

void QV_ListControl::ResizeLayout()
{
    const size_t before = bands_.size();
    EnsureLabelGrid();
    if (VisibleRows() >= itemCount_) {
        topRow_ = 0;
        DrawRows();
    } else if (bands_.size() > before) {
        DrawRows(); // a taller control shows label rows that were never filled
    }
    update();
}

void QV_ListControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Guarded([&] { ResizeLayout(); });
}

// --- keyboard -------------------------------------------------------------

void QV_ListControl::keyPressEvent(QKeyEvent* event)
{
    int keyCode = VbKeyCode(*event);
    if (keyCode == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    Guarded([&] {
        int shift = VbShiftMask(event->modifiers());
        if (host_)
            host_->KeyDown(keyCode, shift);
        const bool navigation = keyCode == 40 || keyCode == 38 || keyCode == 34 || keyCode == 33;
        if (navigation) {
            if (shift == 0 && itemCount_ >= 0)
                MoveSelectionByKey(keyCode);
            return;
        }
        if (selectedIndex_ < 0 || selectedIndex_ > itemCount_)
            return;
        const qint32 index = selectedIndex_;
        const ListCell key = SelectionKey(index);
        emit ItemKeyDown(keyCode, shift, index, key);
    });
}

void QV_ListControl::MoveSelectionByKey(int keyCode)
{
    const qint32 old = selectedIndex_;
    const int visible = VisibleRows();
    qint64 next = old;
    switch (keyCode) {
    case 40:
        if (qint64(old) + 1 > itemCount_)
            return;
        next = qint64(old) + 1;
        break;
    case 38:
        if (qint64(old) - 1 < 0)
            return;
        next = qint64(old) - 1;
        break;
    case 34:
        next = std::clamp<qint64>(qint64(old) + visible, 0, itemCount_);
        break;
    case 33:
        next = std::clamp<qint64>(qint64(old) - visible, 0, itemCount_);
        break;
    default:
        return;
    }
    const quint64 generation = generation_;
    selectedIndex_ = qint32(next);
    const ListCell key = SelectionKey(selectedIndex_);
    if (generation != generation_)
        return;
    selectedKey_ = key;
    if (next != old) {
        emit ItemSelect(qint32(next), -1, key);
        if (generation != generation_)
            return;
    }
    update();
    if (selectedIndex_ >= 0 && selectedIndex_ <= itemCount_)
        EnsureVisible();
}

// --- mouse ----------------------------------------------------------------

QV_ListControl::Hit QV_ListControl::HitTest(const QPointF& pos) const
{
    const double x = PixelsToTwips(pos.x(), logicalDpiX());
    const double y = PixelsToTwips(pos.y(), logicalDpiY());
    const double w = WidthTwips();
    const size_t defined = std::min<size_t>(columns_.size(), kColumns);
    auto columnAt = [&](double px) -> int {
        for (size_t c = 0; c < defined; ++c) {
            const ColumnPlace& p = places_[c];
            if (p.shown && p.inner > 0 && px >= p.left && px < p.left + p.inner)
                return int(c);
        }
        return -1;
    };
    if (ScrollBarNow().visible && x >= w - kTrackWidth && y >= kRowHeight)
        return {HitKind::Track, 0};
    if (y < kRowHeight) {
        const int c = columnAt(x);
        return c >= 0 ? Hit{HitKind::HeaderLabel, c} : Hit{HitKind::ResizeStrip, 0};
    }
    const int labelRow = int(VbInt((y - kRowHeight) / kRowHeight));
    if (size_t(labelRow) < bands_.size() && y - kRowHeight * (labelRow + 1) < kLabelHeight) {
        const int c = columnAt(x);
        if (c >= 0)
            return {HitKind::CellLabel, labelRow * kColumns + c};
    }
    // The surface stands for column 0 of the row under the pointer.
    return {HitKind::Surface, labelRow * kColumns};
}

void QV_ListControl::mousePressEvent(QMouseEvent* event)
{
    Guarded([&] {
        const int button = VbButton(event->button());
        const int shift = VbShiftMask(event->modifiers());
        const bool left = event->button() == Qt::LeftButton;
        pressed_ = HitTest(event->position());
        pressGeneration_ = generation_;
        pressIsDoubleClick_ = false;
        dragThumb_ = dragColumn_ = false;
        const double x = PixelsToTwips(event->position().x(), logicalDpiX());
        const double y = PixelsToTwips(event->position().y(), logicalDpiY());
        switch (pressed_.kind) {
        case HitKind::Track:
            if (left) {
                dragThumb_ = true;
                dragStartY_ = y;
                dragStartTop_ = RoundToInt32(ScrollBarNow().thumbTop);
            }
            break;
        case HitKind::ResizeStrip:
            if (left) {
                dragColumn_ = true;
                resizeStartX_ = x;
                resizeColumn_ = ResizeColumnAt(columns_, x);
                resizeStartWidth_ = columns_[size_t(resizeColumn_)].width;
            }
            break;
        case HitKind::HeaderLabel: {
            emit HeaderMouseDown(pressed_.index, HeaderCaption(pressed_.index), button, shift);
            break;
        }
        case HitKind::CellLabel:
        case HitKind::Surface: {
            const qint64 d = qint64(pressed_.index / kColumns) + topRow_;
            if (d <= itemCount_) {
                const ListCell key = rows_[size_t(d)].key;
                emit ItemMouseDown(qint32(d), pressed_.index % kColumns, key, button, shift);
            }
            break;
        }
        case HitKind::None:
            break;
        }
    });
}

void QV_ListControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the left button double-clicks; the second press of any other is a press.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    Guarded([&] {
        pressed_ = HitTest(event->position());
        pressGeneration_ = generation_;
        pressIsDoubleClick_ = true;
        dragThumb_ = dragColumn_ = false;
        if (pressed_.kind == HitKind::CellLabel)
            DoubleClickLabel(pressed_.index);
    });
}

void QV_ListControl::mouseReleaseEvent(QMouseEvent* event)
{
    Guarded([&] {
        const int button = VbButton(event->button());
        const int shift = VbShiftMask(event->modifiers());
        const bool click = event->button() == Qt::LeftButton && !pressIsDoubleClick_;
        if (event->button() == Qt::LeftButton)
            dragThumb_ = dragColumn_ = false;
        const Hit pressed = pressed_;
        const Hit over = HitTest(event->position());
        switch (pressed.kind) {
        case HitKind::HeaderLabel:
            emit HeaderMouseUp(pressed.index, HeaderCaption(pressed.index), button, shift);
            if (click && over.kind == HitKind::HeaderLabel && over.index == pressed.index)
                emit HeaderClick(pressed.index, HeaderCaption(pressed.index));
            break;
        case HitKind::CellLabel: {
            const qint64 d = qint64(pressed.index / kColumns) + topRow_;
            if (d <= itemCount_) {
                const ListCell key = rows_[size_t(d)].key;
                emit ItemMouseUp(qint32(d), pressed.index % kColumns, key, button, shift);
            }
            if (click && over.kind == HitKind::CellLabel && over.index == pressed.index)
                ClickLabel(pressed.index);
            break;
        }
        case HitKind::Surface:
            if (click && over.kind == HitKind::Surface)
                ClickLabel(pressed.index);
            break;
        default:
            break;
        }
    });
}

void QV_ListControl::mouseMoveEvent(QMouseEvent* event)
{
    Guarded([&] {
        const bool leftHeld = event->buttons() & Qt::LeftButton;
        const double x = PixelsToTwips(event->position().x(), logicalDpiX());
        const double y = PixelsToTwips(event->position().y(), logicalDpiY());
        if (dragThumb_ && leftHeld) {
            const auto top = DragTopRow(dragStartTop_, dragStartY_, y, itemCount_, VisibleRows(),
                                        TrackHeight());
            if (top) {
                topRow_ = *top;
                DrawRows();
            }
            return;
        }
        if (dragColumn_ && leftHeld) {
            if (size_t(resizeColumn_) < columns_.size()) {
                columns_[size_t(resizeColumn_)].width
                    = std::max(0, resizeStartWidth_ + RoundToInt32(x - resizeStartX_));
                LayoutColumns();
            }
            return;
        }
        if (!event->buttons()) {
            const bool strip = HitTest(event->position()).kind == HitKind::ResizeStrip;
            if (strip)
                setCursor(Qt::SizeHorCursor);
            else
                unsetCursor();
        }
    });
}

void QV_ListControl::ClickLabel(int labelIndex)
{
    // A host that started over during the press or release took the row away.
    if (generation_ != pressGeneration_)
        return;
    const qint64 d = qint64(labelIndex / kColumns) + topRow_;
    const int c = labelIndex % kColumns;
    if (d > itemCount_)
        return;
    const qint32 row = qint32(d);
    const quint64 generation = generation_;
    selectedKey_ = ListCell();
    const ListCell key = rows_[size_t(row)].key;
    emit ItemClick(row, c, key);
    if (generation != generation_ || row > itemCount_)
        return;
    const qint32 old = selectedIndex_;
    selectedIndex_ = row;
    selectedKey_ = SelectionKey(row);
    if (generation != generation_)
        return;
    DrawRows();
    if (generation != generation_)
        return;
    if (selectedIndex_ != old)
        emit ItemSelect(row, c, ListCell(selectedKey_));
}

void QV_ListControl::DoubleClickLabel(int labelIndex)
{
    const qint64 d = qint64(labelIndex / kColumns) + topRow_;
    const int c = labelIndex % kColumns;
    if (d > itemCount_)
        return;
    const qint32 row = qint32(d);
    const quint64 generation = generation_;
    selectedKey_ = ListCell();
    const ListCell key = rows_[size_t(row)].key;
    emit ItemDblClick(row, c, key);
    if (generation != generation_ || row > itemCount_)
        return;
    selectedKey_ = SelectionKey(row);
    if (generation != generation_)
        return;
    selectedIndex_ = row;
    DrawRows();
}

// --- painting -------------------------------------------------------------

void QV_ListControl::paintEvent(QPaintEvent*)
{
    Guarded([&] {
        QPainter p(this);
        const double w = WidthTwips();
        const int widthPx = width(), heightPx = height();
        p.fillRect(rect(), WinColorToQColor(kWhite));

        const QColor even = WinColorToQColor(kWhite), odd = WinColorToQColor(kOddBand);
        for (size_t r = 0; r < bands_.size(); ++r) {
            if (!bands_[r])
                continue;
            const double top = kRowHeight * (double(r) + 1);
            const int y = PxY(top);
            if (y >= heightPx)
                break;
            p.fillRect(QRect(0, y, widthPx, PxY(top + kBandHeight) - y), bands_[r] == 2 ? odd : even);
        }

        if (selectedIndex_ != -1) {
            const double top = kRowHeight + (double(selectedIndex_) - topRow_) * kRowHeight;
            const int y = PxY(top);
            p.fillRect(QRect(0, y, PxX(w + kTextInset), PxY(top + kBandHeight) - y),
                       WinColorToQColor(kSelection));
        }

        // The header band covers a selection bar scrolled above the first row.
        p.fillRect(QRect(0, 0, PxX(w + kTextInset), PxY(kBandHeight)), WinColorToQColor(kHeader));
        p.setPen(WinColorToQColor(kWindowText));
        p.drawLine(0, PxY(kRowHeight), PxX(w + kTextInset), PxY(kRowHeight));

        const size_t defined = std::min<size_t>(columns_.size(), kColumns);

        // Cell labels, a column at a time so that font, pen and clip change
        // rarely. A label clips its text; the column's strip does that sideways,
        // a font taller than the label needs each label clipped.
        const QColor black = WinColorToQColor(0), lit = WinColorToQColor(kHighlightText);
        std::vector<int> rowTops(bands_.size() + 1);
        for (size_t r = 0; r <= bands_.size(); ++r)
            rowTops[r] = PxY(kRowHeight * (double(r) + 1));
        const int labelHeightPx = PxY(kRowHeight + kLabelHeight) - PxY(kRowHeight);
        for (size_t c = 0; c < defined; ++c) {
            const ColumnPlace& place = places_[c];
            if (!place.shown || place.inner <= 0)
                continue;
            const int x = PxX(place.left);
            const QRect strip(x, 0, PxX(place.left + place.inner) - x, heightPx);
            const QString& family = columns_[c].fontName;
            p.setClipRect(strip);
            for (int pass = 0; pass < 2; ++pass) {
                const bool bold = pass == 1;
                const QFont& font = bold ? styles_[c].bold : styles_[c].normal;
                const bool tall = QFontMetrics(font, this).height() > labelHeightPx;
                p.setFont(font);
                quint32 pen = 0xFFFFFFFF;
                for (size_t r = 0; r < bands_.size() && rowTops[r] < heightPx; ++r) {
                    Label& label = labels_[r * kColumns + c];
                    if (label.bold != bold || label.caption.isEmpty())
                        continue;
                    if (!label.textReady) {
                        label.text.setTextFormat(Qt::PlainText);
                        label.text.setText(styles_[c].symbols ? SymbolGlyphText(family, label.caption)
                                                              : label.caption);
                        label.text.prepare(QTransform(), font);
                        label.textReady = true;
                    }
                    if (pen != label.foreColor) {
                        pen = label.foreColor;
                        p.setPen(pen == kHighlightText ? lit : black);
                    }
                    const QPoint at(x, rowTops[r]);
                    if (tall) {
                        p.setClipRect(QRect(at, QSize(strip.width(), labelHeightPx)));
                        p.drawStaticText(at, label.text);
                        p.setClipRect(strip);
                    } else {
                        p.drawStaticText(at, label.text);
                    }
                }
            }
        }
        p.setClipping(false);

        p.setFont(headerFont_);
        p.setPen(black);
        for (size_t c = 0; c < defined; ++c) {
            const ColumnPlace& place = places_[c];
            if (!place.shown || place.inner <= 0 || columns_[c].caption.isEmpty())
                continue;
            QStaticText& text = headerTexts_[c];
            if (text.text() != columns_[c].caption) {
                text.setTextFormat(Qt::PlainText);
                text.setText(columns_[c].caption);
                text.prepare(QTransform(), headerFont_);
            }
            const int x = PxX(place.left);
            p.setClipRect(QRect(x, 0, PxX(place.left + place.inner) - x, PxY(kRowHeight)));
            p.drawStaticText(QPoint(x, 0), text);
        }
        p.setClipping(false);

        p.setPen(WinColorToQColor(kSeparator));
        for (size_t c = 0; c < defined; ++c) {
            if (!places_[c].shown)
                continue;
            const int x = PxX(places_[c].edge);
            p.drawLine(x, 0, x, heightPx);
        }

        // The scroll track lies above everything else.
        const ScrollBar sb = ScrollBarNow();
        if (sb.visible) {
            const int left = PxX(w - kTrackWidth), top = PxY(kRowHeight);
            const QRect track(left, top, widthPx - left, heightPx - top);
            p.fillRect(track, WinColorToQColor(kTrack));
            const double thumbTop = kRowHeight + sb.thumbTop;
            const int ty = PxY(thumbTop);
            p.fillRect(QRect(left, ty, PxX(w - kTrackWidth + kTrackWidth) - left,
                             PxY(thumbTop + sb.thumbHeight) - ty),
                       WinColorToQColor(kThumb));
        }
    });
}
