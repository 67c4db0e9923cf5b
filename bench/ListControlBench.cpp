// The list control's redraw and sort against the plain library work they
// stand on: a loop drawing the same texts with QStaticText, and std::sort of
// the same keys.
#include "controls/QV_ListControl.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStaticText>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

constexpr qint32 kRows = 100000;
constexpr QSize kSize(1400, 850);

QString Word(QRandomGenerator& rng)
{
    static const char* const words[] = {"Liebe", "Nacht", "Sommer", "Regen", "Stadt", "Herz",
                                        "Licht", "Zeit", "Wind", "Traum", "Meer", "Feuer"};
    return QString::fromUtf8(words[rng.bounded(12)]);
}

// Rows shaped like the library list's: texts, a rating in the symbol font,
// numbers for bitrate and play count.
QList<ListCell> DemoRow(qint32 i)
{
    QRandomGenerator rng(quint32(i) * 2654435761u + 1);
    const QString title = Word(rng) + " " + Word(rng) + " " + Word(rng);
    return {QString::number(i % 20 + 1), title, "Band " + Word(rng), Word(rng) + " (Album)", "Pop",
            QStringLiteral("%1:%2").arg(rng.bounded(2, 9), 2, 10, QChar('0')).arg(rng.bounded(60), 2, 10, QChar('0')),
            QString(int(rng.bounded(6)), QChar(171)), 192 + i % 3 * 64,
            "/home/musik/" + title + ".mp3", ListCell(), "2009", "MPEG", "(noch nie)", i % 50};
}

struct DemoHost : QV_ListControlHost {
    int calls = 0;
    std::function<QList<ListCell>(qint32)> rows = DemoRow;
    bool NeedData(qint32 index, QList<ListCell>& data, ListCell& key) override
    {
        ++calls;
        data = rows(index);
        key = ListCell(index);
        return true;
    }
};

void SetUpLibraryColumns(QV_ListControl& list)
{
    struct Col { const char* caption; int width; };
    const Col cols[] = {{"Nr.", 200}, {"Titel", 3000}, {"Interpret", 2000}, {"Album", 2000},
                        {"Genre", 1500}, {"Dauer", 700}, {"Bewertung", 1000}, {"Bitrate", 700},
                        {"Dateiname", 2500}, {"Dateigrösse", 500}, {"Jahr", 900}, {"Format", 900},
                        {"Zuletzt gespielt", 1500}, {"Zähler", 500}};
    for (int c = 0; c < 14; ++c) {
        if (c == 6)
            list.SetHeader(c, QString::fromUtf8(cols[c].caption), cols[c].width, false, "Wingdings", true, 12);
        else if (c == 9)
            list.SetHeader(c, QString::fromUtf8(cols[c].caption), cols[c].width, false, "MS Sans Serif", false);
        else
            list.SetHeader(c, QString::fromUtf8(cols[c].caption), cols[c].width);
    }
}

void BM_ListFullRepaint(benchmark::State& state)
{
    QV_ListControl list;
    DemoHost host;
    list.SetHost(&host);
    SetUpLibraryColumns(list);
    list.resize(kSize);
    list.SetItemCount(kRows - 1);
    list.SetTopRow(5000);
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    list.render(&image); // texts laid out once
    host.calls = 0;
    for (auto _ : state) {
        list.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["NeedData"] = host.calls;
}
BENCHMARK(BM_ListFullRepaint)->Unit(benchmark::kMillisecond);

// Scrolling one row: every label shows another row, one new row is fetched.
void BM_ListScrollOneRowAndRepaint(benchmark::State& state)
{
    QV_ListControl list;
    DemoHost host;
    list.SetHost(&host);
    SetUpLibraryColumns(list);
    list.resize(kSize);
    list.SetItemCount(kRows - 1);
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    qint32 top = 0;
    host.calls = 0;
    for (auto _ : state) {
        list.SetTopRow(++top);
        list.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["NeedData/redraw"] = benchmark::Counter(host.calls, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ListScrollOneRowAndRepaint)->Unit(benchmark::kMillisecond);

// The same cell texts at the same places, prepared once, drawn in a bare loop.
void BM_BareStaticTextLoop(benchmark::State& state)
{
    const int widths[] = {200, 3000, 2000, 2000, 1500, 700, 1000, 700, 2500, 0, 900, 900, 1500, 500};
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8);
    struct Item { QPoint at; QStaticText text; };
    std::vector<Item> items;
    const int visibleRows = 850 * 15 / 240; // label rows that show
    for (int r = 0; r < visibleRows; ++r) {
        const QList<ListCell> row = DemoRow(5000 + r);
        int x = 0;
        for (int c = 0; c < 14; ++c) {
            if (widths[c] > 0 && !row[c].Text().isEmpty()) {
                QStaticText t(row[c].Text());
                t.setTextFormat(Qt::PlainText);
                t.prepare(QTransform(), font);
                items.push_back({QPoint((x + 100) / 15, (240 + 240 * r) / 15), t});
            }
            x += widths[c];
        }
    }
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::white);
        p.setFont(font);
        for (const Item& item : items)
            p.drawStaticText(item.at, item.text);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_BareStaticTextLoop)->Unit(benchmark::kMillisecond);

QString Title(qint32 i)
{
    QRandomGenerator rng(quint32(i) * 40503u + 7);
    return Word(rng) + " " + Word(rng) + " " + QString::number(rng.bounded(100000));
}

void BM_SortAsColumn(benchmark::State& state)
{
    QV_ListControl list;
    DemoHost host;
    host.rows = [](qint32 i) { return QList<ListCell>{i, Title(i)}; };
    list.SetHost(&host);
    SetUpLibraryColumns(list);
    list.resize(kSize);
    for (auto _ : state) {
        state.PauseTiming();
        list.SetItemCount(kRows - 1);
        list.GetAllData();
        state.ResumeTiming();
        list.SortAsColumn(1);
    }
}
BENCHMARK(BM_SortAsColumn)->Unit(benchmark::kMillisecond);

void BM_StdSortQStrings(benchmark::State& state)
{
    std::vector<QString> keys;
    for (qint32 i = 0; i < kRows; ++i)
        keys.push_back(Title(i));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<QString> work = keys;
        state.ResumeTiming();
        std::sort(work.begin(), work.end());
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(BM_StdSortQStrings)->Unit(benchmark::kMillisecond);

} // namespace
