// QV_ListControl: a list view that owns no data. It knows how many rows there
// are, asks its host for a row the first time the row is shown (NeedData),
// keeps the answer in its row cache and paints the whole grid itself in one
// pass. Geometry is kept in twips and converted with the widget's logical dpi.
//
// Events that hand values back (KeyDown, NeedData) go through the host
// interface; the others are signals. Every call out may change the control
// (even reset ItemCount); the control re-reads its state after each one.
#pragma once

#include "controls/ListCell.h"
#include "controls/ListGeometry.h"

#include <QFont>
#include <QList>
#include <QStaticText>
#include <QWidget>
#include <vector>

class QV_ListControlHost
{
public:
    virtual ~QV_ListControlHost() = default;
    // Raised first for every key press; the control goes on with the code and
    // shift mask as the handler leaves them.
    virtual void KeyDown(int& keyCode, int& shift)
    {
        (void)keyCode;
        (void)shift;
    }
    // Fills data (element c is column c; at most 16 are used, fewer are allowed)
    // and key for the host's row index. Returning false answers "no data".
    virtual bool NeedData(qint32 index, QList<ListCell>& data, ListCell& key) = 0;
};

class QV_ListControl : public QWidget
{
    Q_OBJECT

public:
    explicit QV_ListControl(QWidget* parent = nullptr);
    ~QV_ListControl() override;

    void SetHost(QV_ListControlHost* host) { host_ = host; }

    // Columns are defined in ascending order; a lower index drops the columns above it.
    void SetHeader(int index, const QString& caption, int width, bool bold = false,
                   const QString& fontName = QString(), bool visible = true, float fontSize = 0);
    QString GetHeader(int index, int& width) const;
    void SetColumnVisibility(int index, bool visible);
    // Loads the row with that key again at the next redraw (row 0 when no row has it).
    void ForceReNewData(const ListCell& key);
    void SortAsColumn(qint32 column);
    void GetAllData();
    void QuickSort(qint32 lo, qint32 hi, qint32 column);
    // Label editing is not offered.
    ListCell StartLabelEdit() { return {}; }

    // Highest row index, -1 for an empty list. Setting starts the cache over.
    qint32 ItemCount() const { return itemCount_; }
    void SetItemCount(qint32 n);
    // Key of the row drawn bold and dark blue, -1 for none.
    qint32 Highlighted() const { return highlighted_; }
    void SetHighlighted(qint32 key);
    qint32 SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(qint32 index);
    ListCell SelectedKey() const { return selectedKey_; }
    void SetSelectedKey(const ListCell& key) { selectedKey_ = key; }
    qint32 TopRow() const { return topRow_; }
    void SetTopRow(qint64 row);

    // Stored only: they change neither drawing nor behaviour.
    qint32 BackColor() const { return stored_.backColor; }
    void SetBackColor(qint32 v) { stored_.backColor = v; }
    qint16 BorderStyle() const { return stored_.borderStyle; }
    void SetBorderStyle(qint16 v) { stored_.borderStyle = v; }
    qint32 FillColor() const { return stored_.fillColor; }
    void SetFillColor(qint32 v) { stored_.fillColor = v; }
    bool Enabled() const { return stored_.enabled; } // not QWidget::isEnabled
    void SetEnabled(bool v) { stored_.enabled = v; }
    QFont Font() const { return stored_.font; }
    void SetFont(const QFont& v) { stored_.font = v; }
    bool FontBold() const { return stored_.fontBold; }
    void SetFontBold(bool v) { stored_.fontBold = v; }
    bool FontItalic() const { return stored_.fontItalic; }
    void SetFontItalic(bool v) { stored_.fontItalic = v; }
    QString FontName() const { return stored_.fontName; }
    void SetFontName(const QString& v) { stored_.fontName = v; }
    float FontSize() const { return stored_.fontSize; }
    void SetFontSize(float v) { stored_.fontSize = v; }
    bool FontStrikethru() const { return stored_.fontStrikethru; }
    void SetFontStrikethru(bool v) { stored_.fontStrikethru = v; }
    bool FontUnderline() const { return stored_.fontUnderline; }
    void SetFontUnderline(bool v) { stored_.fontUnderline = v; }
    qint32 ForeColor() const { return stored_.foreColor; }
    void SetForeColor(qint32 v) { stored_.foreColor = v; }
    bool HideSelection() const { return stored_.hideSelection; }
    void SetHideSelection(bool v) { stored_.hideSelection = v; }
    qint32 hWnd() const { return stored_.hWnd; }
    void SethWnd(qint32 v) { stored_.hWnd = v; }
    qint16 ScrollBars() const { return stored_.scrollBars; }
    void SetScrollBars(qint16 v) { stored_.scrollBars = v; }
    qint32 SelLength() const { return stored_.selLength; }
    void SetSelLength(qint32 v) { stored_.selLength = v; }
    qint32 SelStart() const { return stored_.selStart; }
    void SetSelStart(qint32 v) { stored_.selStart = v; }
    QString SelText() const { return stored_.selText; }
    void SetSelText(const QString& v) { stored_.selText = v; }
    bool WordWrap() const { return stored_.wordWrap; }
    void SetWordWrap(bool v) { stored_.wordWrap = v; }
    bool AutoLabelEdit() const { return stored_.autoLabelEdit; }
    void SetAutoLabelEdit(bool v) { stored_.autoLabelEdit = v; }
    bool AllowColumnReorder() const { return stored_.allowColumnReorder; }
    void SetAllowColumnReorder(bool v) { stored_.allowColumnReorder = v; }
    // Column resizing by dragging works whatever this says.
    bool AllowColumnResize() const { return stored_.allowColumnResize; }
    void SetAllowColumnResize(bool v) { stored_.allowColumnResize = v; }

signals:
    void ItemClick(qint32 row, int column, const ListCell& key);
    void ItemDblClick(qint32 row, int column, const ListCell& key);
    // Column is -1 when the keyboard or SelectedIndex moved the selection.
    void ItemSelect(qint32 index, int column, const ListCell& key);
    void ItemKeyDown(int keyCode, int shift, qint32 index, const ListCell& key);
    void ItemMouseDown(qint32 row, int column, const ListCell& key, int button, int shift);
    void ItemMouseUp(qint32 row, int column, const ListCell& key, int button, int shift);
    void HeaderClick(qint32 columnIndex, const QString& caption);
    void HeaderMouseDown(qint32 columnIndex, const QString& caption, int button, int shift);
    void HeaderMouseUp(qint32 columnIndex, const QString& caption, int button, int shift);
    // Last step of every setting of ItemCount.
    void ItemCountChange(qint32 newCount);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    friend struct ListControlProbe; // tests read the drawn grid

    struct CachedRow {
        std::vector<ListCell> cells; // as answered; missing columns read as ""
        ListCell key;
        qint32 origin = 0;   // host row index the row is fetched with; moves with the row
        bool filled = false; // cells hold an answer (else all cells are empty values)
        bool loaded = false;
    };
    struct Label {
        QString caption;
        bool bold = false;
        quint32 foreColor = 0;
        QStaticText text;
        bool textReady = false;
    };
    struct ColumnStyle {
        QFont normal, bold;
        bool symbols = false; // a symbol font drawn through the glyph map
    };
    enum class HitKind { None, Track, HeaderLabel, CellLabel, ResizeStrip, Surface };
    struct Hit {
        HitKind kind = HitKind::None;
        int index = 0; // header column or cell label index
    };
    struct Stored {
        qint32 backColor = 0, fillColor = 0, foreColor = 0, hWnd = 0, selLength = 0, selStart = 0;
        qint16 borderStyle = 0, scrollBars = 0;
        bool enabled = false, fontBold = false, fontItalic = false, fontStrikethru = false,
             fontUnderline = false, hideSelection = false, wordWrap = false,
             autoLabelEdit = false, allowColumnReorder = false, allowColumnResize = false;
        QFont font;
        QString fontName, selText;
        float fontSize = 0;
    };

    const ListCell& CellAt(const CachedRow& row, int column) const;
    double WidthTwips() const;
    double HeightTwips() const;
    int VisibleRows() const;
    double TrackHeight() const;
    ListGeometry::ScrollBar ScrollBarNow() const;
    int PxX(double twips) const;
    int PxY(double twips) const;

    QString HeaderCaption(int column) const;
    void ApplyColumnStyles();
    void LayoutColumns();
    void ResizeLayout();
    void DrawRows();
    void EnsureLabelGrid();
    bool FetchRow(qint32 row, bool keepKeyWithoutData);
    ListCell SelectionKey(qint32 row);
    void EnsureVisible();
    void SortRange(qint32 lo, qint32 hi, int column);

    Hit HitTest(const QPointF& pos) const;
    void ClickLabel(int labelIndex);
    void DoubleClickLabel(int labelIndex);
    void MoveSelectionByKey(int keyCode);

    QV_ListControlHost* host_ = nullptr;
    std::vector<ListGeometry::ColumnDef> columns_;
    std::array<ListGeometry::ColumnPlace, ListGeometry::kColumns> places_{};
    std::array<ColumnStyle, ListGeometry::kColumns> styles_;
    QFont headerFont_;
    std::array<QStaticText, ListGeometry::kColumns> headerTexts_;

    std::vector<CachedRow> rows_;
    std::vector<Label> labels_;      // 16 per label row
    std::vector<quint8> bands_;      // per label row: 0 hidden, 1 even, 2 odd
    qint32 itemCount_ = -1;
    qint32 selectedIndex_ = -1;
    ListCell selectedKey_ = ListCell(-1);
    qint32 highlighted_ = -1;
    qint32 topRow_ = 0;
    quint64 generation_ = 0; // counts resets and sorts of the cache
    quint64 drawSerial_ = 0; // counts redraws, so a nested one ends the outer
    Stored stored_;

    // Mouse state from a press to the next press.
    Hit pressed_;
    quint64 pressGeneration_ = 0;
    bool pressIsDoubleClick_ = false;
    bool dragThumb_ = false;
    double dragStartY_ = 0, dragStartTop_ = 0;
    bool dragColumn_ = false;
    int resizeColumn_ = 0, resizeStartWidth_ = 0;
    double resizeStartX_ = 0;
};
