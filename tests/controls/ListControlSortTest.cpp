#include "ListControlTestSupport.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class ListSort : public ::testing::Test
{
protected:
    ListSort() : host(list)
    {
        SetUpThreeColumns(list);
        list.show();
    }
    // Column 1 of row i is titles[i].
    void Load(const QList<ListCell>& titles)
    {
        host.rows = [titles](qint32 i) { return QList<ListCell>{i, titles[i]}; };
        list.SetItemCount(qint32(titles.size()) - 1);
        host.Take();
    }
    QStringList Shown(int rows, int column = 1)
    {
        QStringList l;
        for (int r = 0; r < rows; ++r)
            l << ListControlProbe::Caption(list, r, column);
        return l;
    }
    QV_ListControl list;
    RecordingHost host;
};

} // namespace

TEST_F(ListSort, CasesOfTheTextColumn)
{
    struct Case { QList<ListCell> titles; QStringList sorted; };
    const Case cases[] = {
        {{"b", "a", "c"}, {"a", "b", "c"}},
        {{"10", "9", "100"}, {"10", "100", "9"}},
        {{"abc", "Abc", "aBc"}, {"Abc", "aBc", "abc"}},
        {{"x", 10, 9, "a", -1}, {"-1", "9", "10", "a", "x"}}, // numbers first
        {{5, ListCell(), -2}, {"-2", "", "5"}},                 // empty as 0 ...
        {{"b", ListCell(), "a"}, {"", "a", "b"}},               // ... and as ""
    };
    for (const Case& c : cases) {
        Load(c.titles);
        list.SortAsColumn(1);
        EXPECT_EQ(Shown(int(c.sorted.size())), c.sorted);
    }
}

TEST_F(ListSort, KeysAndHighlightMoveWithTheirRows)
{
    Load({"b", "a", "c"});
    list.SetHighlighted(1000); // the row titled "b"
    list.SortAsColumn(1);
    EXPECT_EQ(ListControlProbe::Key(list, 0), ListCell(1001));
    EXPECT_EQ(ListControlProbe::Key(list, 1), ListCell(1000));
    EXPECT_EQ(ListControlProbe::Key(list, 2), ListCell(1002));
    EXPECT_TRUE(ListControlProbe::Bold(list, 1, 1));
    EXPECT_EQ(ListControlProbe::Fore(list, 1, 1), 0x800000u);
    EXPECT_FALSE(ListControlProbe::Bold(list, 0, 1));
    host.Take();
    Click(list, CellPoint(0, 1));
    EXPECT_TRUE(host.Take().contains("ItemClick 0 1 1001"));
}

TEST_F(ListSort, GetAllDataAsksEachMissingRowOnce)
{
    host.noData = [](qint32 i) { return i == 0; }; // nothing drawn yet
    host.rows = [](qint32 i) { return QList<ListCell>{i, QStringLiteral("T%1").arg(i)}; };
    list.SetItemCount(99);
    host.noData = nullptr;
    list.SetTopRow(40); // draws rows 40..90
    host.Take();
    list.GetAllData();
    QStringList expected;
    for (int i = 0; i <= 39; ++i)
        expected << QStringLiteral("NeedData %1").arg(i);
    for (int i = 91; i <= 99; ++i)
        expected << QStringLiteral("NeedData %1").arg(i);
    EXPECT_EQ(host.Take(), expected);
    EXPECT_EQ(ListControlProbe::Cell(list, 95, 1), "T95");
    list.SortAsColumn(1); // everything is loaded now
    EXPECT_TRUE(host.Take().isEmpty());
}

TEST_F(ListSort, OneLoadedRowAndBadArgumentsChangeNothing)
{
    Load({"only"});
    list.SortAsColumn(1);
    EXPECT_TRUE(host.Take().isEmpty());
    for (qint32 column : {-1, 16})
        list.SortAsColumn(column);
    list.QuickSort(0, 5, 1); // beyond the last row
    list.SetItemCount(-1);
    host.Take();
    list.SortAsColumn(1);
    list.GetAllData();
    EXPECT_TRUE(host.Take().isEmpty());
}

TEST_F(ListSort, RefetchAfterSortKeepsTheTitle)
{
    Load({"d", "b", "a", "c"});
    list.SortAsColumn(1); // a b c d: row 0 holds the host's row 2
    host.Take();
    list.ForceReNewData(1002);
    EXPECT_EQ(host.Take(), QStringList{"NeedData 2"});
    EXPECT_EQ(ListControlProbe::Caption(list, 0, 1), "a");
    EXPECT_EQ(ListControlProbe::Key(list, 0), ListCell(1002));
}

TEST_F(ListSort, SelectionFollowsItsRow)
{
    Load({"d", "b", "a", "c"});
    list.SetTopRow(0);
    Click(list, CellPoint(0, 1)); // "d"
    host.Take();
    list.SortAsColumn(1);
    EXPECT_EQ(list.SelectedIndex(), 3);
    EXPECT_EQ(list.SelectedKey(), ListCell(1000));
    EXPECT_EQ(list.TopRow(), 0);
    EXPECT_TRUE(host.Take().isEmpty()); // no ItemSelect
    Key(list, Qt::Key_Up);
    EXPECT_EQ(host.Take().last(), "ItemSelect 2 -1 1003");
}

TEST_F(ListSort, UnloadedRowKeepsItsOwnRowNumber)
{
    // Row 2 has no data at first: it takes part as empty cells and is asked
    // again under its own number wherever it lands.
    bool refuse = true;
    host.noData = [&](qint32 i) { return refuse && i == 2; };
    host.rows = [](qint32 i) { return QList<ListCell>{i, QString(QChar('e' - i))}; };
    list.SetItemCount(4);
    list.SortAsColumn(1);
    refuse = false;
    host.Take();
    list.SetHighlighted(-1);
    EXPECT_EQ(host.Take(), QStringList{"NeedData 2"});
    EXPECT_EQ(Shown(5), (QStringList{"b", "a", "c", "d", "e"}));
}

TEST_F(ListSort, HundredThousandRows)
{
    constexpr int n = 100000;
    QRandomGenerator rng(7);
    struct Case { const char* name; std::function<ListCell(qint32)> value; };
    const Case cases[] = {
        {"sorted", [](qint32 i) { return ListCell(QStringLiteral("%1").arg(i, 6, 10, QChar('0'))); }},
        {"reversed", [](qint32 i) { return ListCell(QStringLiteral("%1").arg(n - i, 6, 10, QChar('0'))); }},
        {"all equal", [](qint32) { return ListCell("same"); }},
        {"mixed kinds", [&](qint32) {
             const quint32 r = rng.bounded(4u);
             return r == 0 ? ListCell() : r == 1 ? ListCell(qint64(rng.bounded(5))) : r == 2 ? ListCell("")
                                                                                     : ListCell("t");
         }},
    };
    for (const Case& c : cases) {
        std::vector<ListCell> values(n);
        for (qint32 i = 0; i < n; ++i)
            values[size_t(i)] = c.value(i);
        host.rows = [&](qint32 i) { return QList<ListCell>{i, values[size_t(i)]}; };
        list.SetItemCount(n - 1);
        list.SortAsColumn(1);
        host.Take();
        std::vector<bool> seen(n, false);
        for (qint32 i = 0; i < n; ++i) {
            const qint64 key = ListControlProbe::Key(list, i).Number() - 1000;
            ASSERT_TRUE(key >= 0 && key < n && !seen[size_t(key)]) << c.name; // still a permutation
            seen[size_t(key)] = true;
        }
        if (std::string(c.name) != "mixed kinds") { // empty is both 0 and "": no total order
            for (qint32 i = 1; i < n; ++i)
                ASSERT_LE(ListControlProbe::Cell(list, i - 1, 1), ListControlProbe::Cell(list, i, 1)) << c.name;
        }
    }
}
