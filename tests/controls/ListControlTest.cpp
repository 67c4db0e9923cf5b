#include "ListControlTestSupport.h"

#include <gtest/gtest.h>

namespace {

using ListControl = ListFixture;

} // namespace

TEST_F(ListControl, ItemCountFetchesTheDrawnRowsOnceAndForceReNewDataOneRow)
{
    list.resize(600, 256); // 15 rows fit, 51 are drawn
    list.SetItemCount(99);
    EXPECT_EQ(host.Take(), NeedDataRange(0, 50) << "ItemCountChange 99");
    EXPECT_EQ(list.TopRow(), 0);
    list.SetHighlighted(-1); // a redraw asks nothing more
    EXPECT_TRUE(host.Take().isEmpty());
    EXPECT_EQ(ListControlProbe::Caption(list, 50, 1), "T50");

    list.ForceReNewData(1007);
    EXPECT_EQ(host.Take(), QStringList{"NeedData 7"});
    list.ForceReNewData(424242); // no row has it: row 0
    EXPECT_EQ(host.Take(), QStringList{"NeedData 0"});
    list.SetTopRow(60);
    host.Take();
    list.ForceReNewData(1010); // not drawn now: asked when next drawn
    EXPECT_TRUE(host.Take().isEmpty());
    list.SetTopRow(0);
    list.SetItemCount(-1);
    list.ForceReNewData(1000); // an empty list has no row 0
    EXPECT_EQ(host.Take(), (QStringList{"NeedData 10", "ItemCountChange -1"}));
}

TEST_F(ListControl, TallControlFetchesEveryRowThatShows)
{
    list.resize(600, 1000); // 15000 twips: 61 visible rows, 62 label rows show
    list.SetItemCount(200);
    EXPECT_EQ(host.Take().filter("NeedData").size(), 62);
    list.resize(600, 1300); // growing shows new label rows, which are fetched
    EXPECT_EQ(ListControlProbe::Caption(list, 80, 1), "T80");
}

TEST_F(ListControl, NoDataStopsTheRedrawAndIsAskedAgain)
{
    bool refuse = true;
    host.noData = [&](qint32 i) { return refuse && i == 5; };
    list.SetItemCount(99);
    EXPECT_EQ(host.Take(), NeedDataRange(0, 5) << "ItemCountChange 99");
    EXPECT_EQ(ListControlProbe::Caption(list, 4, 1) + "|" + ListControlProbe::Caption(list, 5, 1), "T4|");
    refuse = false;
    list.SetHighlighted(-1);
    EXPECT_EQ(host.Take(), NeedDataRange(5, 50));
    EXPECT_EQ(ListControlProbe::Caption(list, 5, 1), "T5");
}

TEST_F(ListControl, ShortDataLeavesTheOtherColumnsBlank)
{
    host.rows = [](qint32 i) { return QList<ListCell>{i, "b", "c"}; };
    list.SetItemCount(3);
    // Column 3 has no cell; row 4 lies below the last row.
    const QStringList captions{ListControlProbe::Caption(list, 2, 0), ListControlProbe::Caption(list, 2, 2),
                               ListControlProbe::Caption(list, 2, 3), ListControlProbe::Caption(list, 4, 0)};
    EXPECT_EQ(captions, (QStringList{"2", "c", "", ""}));
}

TEST_F(ListControl, SelectedIndexSetting)
{
    list.SetSelectedIndex(0); // empty list: nothing is stored
    EXPECT_EQ(list.SelectedIndex(), -1);
    list.SetItemCount(99);
    host.Take();
    for (qint32 bad : {-1, 100, 5000})
        list.SetSelectedIndex(bad);
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_TRUE(host.Take().isEmpty());
    list.SetSelectedIndex(70); // not yet drawn: fetched so the event has its key
    const QStringList log = host.Take();
    EXPECT_EQ(log.filter("70"), (QStringList{"NeedData 70", "ItemSelect 70 -1 1070"}));
    EXPECT_EQ(list.SelectedKey(), ListCell(1070));
    EXPECT_EQ(list.TopRow(), 51); // 70 - 20 + 1
}

// With itemCount rows and the selection on `selected` (-1 for none), the key
// gives these events and leaves the selection on `after`.
TEST_F(ListControl, KeysMoveTheSelectionWithinTheList)
{
    const struct {
        qint32 itemCount, selected;
        int key;
        Qt::KeyboardModifiers mods;
        qint32 after;
        QStringList events;
    } rows[] = {
        {99, 3, Qt::Key_Down, {}, 4, {"KeyDown 40 0", "ItemSelect 4 -1 1004"}},
        {12, 12, Qt::Key_Down, {}, 12, {"KeyDown 40 0"}},
        {99, 3, Qt::Key_Down, Qt::ShiftModifier, 3, {"KeyDown 40 1"}},
        {99, 3, Qt::Key_Up, {}, 2, {"KeyDown 38 0", "ItemSelect 2 -1 1002"}},
        {99, 0, Qt::Key_Up, {}, 0, {"KeyDown 38 0"}},
        {12, 5, Qt::Key_PageDown, {}, 12, {"KeyDown 34 0", "ItemSelect 12 -1 1012"}},
        {12, 12, Qt::Key_PageDown, {}, 12, {"KeyDown 34 0"}},
        {99, 30, Qt::Key_PageUp, {}, 10, {"KeyDown 33 0", "ItemSelect 10 -1 1010"}},
        {99, 0, Qt::Key_PageUp, {}, 0, {"KeyDown 33 0"}},
        {99, -1, Qt::Key_Down, {}, 0, {"KeyDown 40 0", "ItemSelect 0 -1 1000"}},
        {99, -1, Qt::Key_Up, {}, -1, {"KeyDown 38 0"}},
        {99, -1, Qt::Key_PageDown, {}, 19, {"KeyDown 34 0", "ItemSelect 19 -1 1019"}},
        {7, -1, Qt::Key_PageDown, {}, 7, {"KeyDown 34 0", "ItemSelect 7 -1 1007"}},
        {99, -1, Qt::Key_PageUp, {}, 0, {"KeyDown 33 0", "ItemSelect 0 -1 1000"}},
        {-1, -1, Qt::Key_Down, {}, -1, {"KeyDown 40 0"}},
        {99, 3, Qt::Key_Return, {}, 3, {"KeyDown 13 0", "ItemKeyDown 13 0 3 1003"}},
        {99, 3, Qt::Key_Space, Qt::ControlModifier, 3, {"KeyDown 32 2", "ItemKeyDown 32 2 3 1003"}},
    };
    for (const auto& r : rows) {
        list.SetItemCount(r.itemCount);
        if (r.selected >= 0) list.SetSelectedIndex(r.selected);
        host.Take();
        Key(list, r.key, r.mods);
        EXPECT_EQ(host.Take(), r.events) << r.events.join(u';').toStdString();
        EXPECT_EQ(list.SelectedIndex(), r.after) << r.events.join(u';').toStdString();
    }
}

TEST_F(ListControl, KeyDownHandlerDecidesWhatTheKeyDoes)
{
    list.SetItemCount(99);
    list.SetSelectedIndex(3);
    host.Take();
    host.onKeyDown = [](int& code, int&) { if (code == 40) code = 13; };
    Key(list, Qt::Key_Down);
    EXPECT_EQ(host.Take(), (QStringList{"KeyDown 40 0", "ItemKeyDown 13 0 3 1003"}));
    host.onKeyDown = [](int& code, int& shift) { if (code == 13) { code = 40; shift = 0; } };
    Key(list, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(list.SelectedIndex(), 4);
}

TEST_F(ListControl, KeyboardKeepsTheSelectionInView)
{
    list.SetItemCount(99);
    list.SetSelectedIndex(19);
    EXPECT_EQ(list.TopRow(), 0);
    Key(list, Qt::Key_Down);
    EXPECT_EQ(list.TopRow(), 1);
    Key(list, Qt::Key_PageDown);
    EXPECT_EQ(list.SelectedIndex(), 40);
    EXPECT_EQ(list.TopRow(), 21);
    list.SetTopRow(70);
    Key(list, Qt::Key_Up);
    EXPECT_EQ(list.TopRow(), 39);
}

// Each act in turn on 99 rows, the events it raises in order and the selection
// after it with the selected row's key.
TEST_F(ListControl, ClicksRaiseTheirEventsInOrder)
{
    list.SetItemCount(99);
    host.Take();
    const auto click = [this](QPointF at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        return [=, this] { Click(list, at, button, mods); };
    };
    const struct { std::function<void()> act; const char* events; qint32 selected; } steps[] = {
        {click(CellPoint(3, 1)), "ItemMouseDown 3 1 1003 1 0;ItemMouseUp 3 1 1003 1 0;ItemClick 3 1 1003;ItemSelect 3 1 1003", 3},
        {click(CellPoint(3, 1)), "ItemMouseDown 3 1 1003 1 0;ItemMouseUp 3 1 1003 1 0;ItemClick 3 1 1003", 3},
        {[this] { DoubleClick(list, CellPoint(5, 2)); }, "ItemMouseDown 5 2 1005 1 0;ItemMouseUp 5 2 1005 1 0;"
                                                         "ItemClick 5 2 1005;ItemSelect 5 2 1005;ItemDblClick 5 2 1005;ItemMouseUp 5 2 1005 1 0", 5},
        {click(CellPoint(4, 0), Qt::RightButton, Qt::ControlModifier), "ItemMouseDown 4 0 1004 2 2;ItemMouseUp 4 0 1004 2 2", 5},
        {click(Tw(1000, 100)), "HeaderMouseDown 1 Titel 1 0;HeaderMouseUp 1 Titel 1 0;HeaderClick 1 Titel", 5},
        {click(Tw(1000, 100), Qt::RightButton), "HeaderMouseDown 1 Titel 2 0;HeaderMouseUp 1 Titel 2 0", 5},
        {click(Tw(550, 100)), "", 5},   // the resize gap raises nothing
        {click(Tw(4500, 100)), "", 5},  // right of the last column
        {[this] { list.SetTopRow(30), host.Take(), Click(list, Tw(550, 240 * 4 + 50)); },  // gap after column 0, label row 3
         "ItemMouseDown 33 0 1033 1 0;ItemClick 33 0 1033;ItemSelect 33 0 1033", 33},
        {click(Tw(700, 240 * 4 + 225)), "ItemMouseDown 33 0 1033 1 0;ItemClick 33 0 1033", 33},  // the strip below it
        {[this] {  // below the last row: nothing
             list.SetItemCount(2), host.Take(), Click(list, CellPoint(5, 1)), Click(list, Tw(5000, 240 * 6 + 50));
         }, "", -1},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(host.Take().join(u';').toStdString(), step.events);
        EXPECT_EQ(list.SelectedIndex(), step.selected) << step.events;
        if (step.selected >= 0) {
            EXPECT_EQ(list.SelectedKey(), ListCell(1000 + step.selected))
                << step.events << ": key " << list.SelectedKey().Text().toStdString();
        }
    }
}

TEST_F(ListControl, ClickIsDroppedWhenTheHostStartsOverMeanwhile)
{
    list.SetItemCount(99);
    host.onMouseUp = [&] { list.SetItemCount(5); }; // a filter applied on mouse-up
    host.Take();
    Click(list, CellPoint(3, 1));
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_FALSE(host.Take().join(';').contains("ItemClick"));
    host.onMouseUp = nullptr;
    host.onClick = [&] { list.SetItemCount(-1); }; // emptied from inside the click
    Click(list, CellPoint(3, 1));
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_FALSE(host.Take().join(';').contains("ItemSelect"));
}

TEST_F(ListControl, HostMayStartOverFromInsideNeedData)
{
    bool once = true;
    host.afterNeedData = [&](qint32 i) {
        if (i == 10 && once) {
            once = false;
            list.SetItemCount(4);
        }
    };
    list.SetItemCount(99);
    EXPECT_EQ(list.ItemCount(), 4);
    EXPECT_EQ(ListControlProbe::Caption(list, 4, 1) + "|" + ListControlProbe::Caption(list, 5, 1), "T4|");
    EXPECT_EQ(host.Take().filter("ItemCountChange"), QStringList{"ItemCountChange 4"}); // 99 superseded
}

TEST_F(ListControl, ColumnResizeByDraggingTheGap)
{
    const auto widths = [&] {
        QList<int> out;
        for (int c = 0; c < 3; ++c) list.GetHeader(c, out.emplace_back());
        return out;
    };
    // Gap left of column 2 (edge of column 1 at 2500): drag 300 twips left.
    Drag(list, Tw(2550, 100), Tw(2250, 100));
    // Never below zero: column 0 of width 500 dragged past its left end.
    Drag(list, Tw(510, 100), Tw(0, 100));
    EXPECT_EQ(widths(), (QList<int>{0, 1700, 1500}));
    // A hidden column after column 1 is not what the gap resizes.
    list.SetHeader(3, "Album", 1000);
    list.SetColumnVisibility(2, false);
    Drag(list, Tw(1750, 100), Tw(2050, 100)); // edge of column 1 is at 1700 now
    EXPECT_EQ(widths(), (QList<int>{0, 2000, 1500}));
    // Hit-testing follows the new layout: "Album" now starts at 2100.
    host.Take();
    Click(list, Tw(2200, 100));
    EXPECT_EQ(host.Take().value(0), "HeaderMouseDown 3 Album 1 0");
}

TEST_F(ListControl, ThumbDragAndTopRow)
{
    list.SetItemCount(999); // 20 visible, track 4800, thumb 240, free 4560
    const double trackX = 9000 - 100;
    Drag(list, Tw(trackX, 240 + 100), Tw(trackX, 240 + 100 + 4560));
    EXPECT_EQ(list.TopRow(), 980);
    Drag(list, Tw(trackX, 240 + 4560 + 100), Tw(trackX, 240 + 2280 + 100));
    EXPECT_EQ(list.TopRow(), 490);
    list.SetTopRow(5000); // clamped to the last full view
    EXPECT_EQ(list.TopRow(), 980);
    // No free track length: a drag changes nothing.
    list.resize(600, 32); // track 240 high, thumb 240
    list.SetItemCount(50);
    Drag(list, Tw(trackX, 250), Tw(trackX, 400));
    EXPECT_EQ(list.TopRow(), 0);
}
