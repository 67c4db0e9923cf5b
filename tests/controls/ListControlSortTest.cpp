#include "ListControlTestSupport.h"

#include <QRandomGenerator>

namespace {

class ListSort : public ListFixture
{
protected:
    // Column 1 of row i is titles[i].
    void Load(const QList<ListCell>& titles)
    {
        host.rows = [titles](qint32 i) { return QList<ListCell>{i, titles[i]}; };
        list.SetItemCount(qint32(titles.size()) - 1);
        host.Take();
    }
    QStringList Shown(int rows)
    {
        QStringList l;
        for (int r = 0; r < rows; ++r) l << ListControlProbe::Caption(list, r, 1);
        return l;
    }
};

} // namespace

TEST_F(ListSort, KeysHighlightSelectionAndRefetchFollowTheirRows)
{
    Load({"d", "b", "a", "c"});
    list.SetHighlighted(1002);    // "a"
    Click(list, CellPoint(0, 1)); // selects "d"
    host.Take();
    list.SortAsColumn(1);
    EXPECT_EQ(Shown(4), (QStringList{"a", "b", "c", "d"}));
    QList<qint64> keys;
    for (int r = 0; r < 4; ++r) keys << ListControlProbe::Key(list, r).Number();
    EXPECT_EQ(keys, (QList<qint64>{1002, 1001, 1003, 1000}));
    EXPECT_TRUE(ListControlProbe::Label(list, 0, 1).bold && !ListControlProbe::Label(list, 2, 1).bold);
    EXPECT_EQ(ListControlProbe::Label(list, 0, 1).foreColor, 0x800000u);
    EXPECT_EQ(std::pair(list.SelectedIndex(), list.TopRow()), std::pair(3, 0));
    EXPECT_EQ(list.SelectedKey(), ListCell(1000));
    EXPECT_TRUE(host.Take().isEmpty()); // no ItemSelect
    list.ForceReNewData(1002); // asked under the row number it was fetched with
    EXPECT_EQ(host.Take(), QStringList{"NeedData 2"});
    EXPECT_EQ(ListControlProbe::Caption(list, 0, 1), "a");
    Key(list, Qt::Key_Up);
    EXPECT_EQ(host.Take().last(), "ItemSelect 2 -1 1003");
    Click(list, CellPoint(0, 1));
    EXPECT_TRUE(host.Take().contains("ItemClick 0 1 1002"));
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
    EXPECT_EQ(host.Take(), NeedDataRange(0, 39) + NeedDataRange(91, 99));
    EXPECT_EQ(ListControlProbe::Cell(list, 95, 1), "T95");
    list.SortAsColumn(1); // everything is loaded now
    EXPECT_TRUE(host.Take().isEmpty());
}

TEST_F(ListSort, OneLoadedRowAndBadArgumentsChangeNothing)
{
    Load({"only"});
    for (qint32 column : {1, -1, 16}) list.SortAsColumn(column);
    list.QuickSort(0, 5, 1); // beyond the last row
    EXPECT_TRUE(host.Take().isEmpty());
    list.SetItemCount(-1);
    host.Take();
    list.SortAsColumn(1);
    list.GetAllData();
    EXPECT_TRUE(host.Take().isEmpty());
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
        for (qint32 i = 0; i < n; ++i) values[size_t(i)] = c.value(i);
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
