// The search box's free-text match and dynamic-playlist queries over a
// generated library of 100,000 titles.
#include "core/Search.h"
#include "tests/support/GeneratedLibrary.h"

#include <benchmark/benchmark.h>

#include <string_view>
#include <vector>

namespace {

constexpr int kTitles = 100000;

LibraryDatabase& Loaded()
{
    static LibraryDatabase db = MakeGeneratedLibrary(kTitles, true);
    return db;
}

LibraryDatabase& MadeThisRun()
{
    static LibraryDatabase db = MakeGeneratedLibrary(kTitles, false);
    return db;
}

const QString kSearch = QStringLiteral("lo be");

void BM_SearchTwoWords(benchmark::State& state)
{
    const LibraryDatabase& db = Loaded();
    for (const LibraryEntry& e : db.Files) MatchesSearchText(e, kSearch);  // fill the caches
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const LibraryEntry& e : db.Files) hits += MatchesSearchText(e, kSearch);
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_SearchTwoWords)->Unit(benchmark::kMillisecond);

// The floor: the same words against lower-case haystacks made beforehand.
void BM_BareSubstringScan(benchmark::State& state)
{
    const LibraryDatabase& db = Loaded();
    std::vector<QString> haystacks;
    haystacks.reserve(db.Files.size());
    for (const LibraryEntry& e : db.Files) {
        const TagInfo& t = e.Tags;
        haystacks.push_back(QStringList{t.Album, t.Artist, t.Genre, t.Title, t.Track, t.Year}.join(u' ').toLower());
    }
    // The same search routine as MatchesSearchText, so the difference is the cache.
    const auto view = [](const QString& s) {
        return std::u16string_view(reinterpret_cast<const char16_t*>(s.constData()), size_t(s.size()));
    };
    const QStringList words = kSearch.split(u' ');
    const std::u16string_view w0 = view(words[0]), w1 = view(words[1]);
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const QString& h : haystacks) hits += view(h).find(w0) != view(h).npos && view(h).find(w1) != view(h).npos;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_BareSubstringScan)->Unit(benchmark::kMillisecond);

// The first search after loading, or after every record changed: all
// haystacks are built.
void BM_SearchTwoWordsColdCache(benchmark::State& state)
{
    LibraryDatabase db = Loaded();
    for (auto _ : state) {
        state.PauseTiming();
        for (LibraryEntry& e : db.Files) e.Haystack.Clear();
        state.ResumeTiming();
        int hits = 0;
        for (const LibraryEntry& e : db.Files) hits += MatchesSearchText(e, kSearch);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_SearchTwoWordsColdCache)->Unit(benchmark::kMillisecond);

void RunQueryOn(benchmark::State& state, LibraryDatabase& db, const char* script)
{
    const QString s = QString::fromLatin1(script);
    for (auto _ : state) RunQuery(db, s);
    const auto& items = db.ListSets[ViewList].Entries[0].Items;
    state.counters["hits"] = items.size() == 1 && items[0] < 0 ? 0 : items.size();
}

void BM_RunQuery_GenreRock(benchmark::State& s) { RunQueryOn(s, Loaded(), "genre=rock"); }
void BM_RunQuery_RatingAtLeast3(benchmark::State& s) { RunQueryOn(s, Loaded(), "rating>=3"); }
void BM_RunQuery_AddedAfter2007_06(benchmark::State& s) { RunQueryOn(s, Loaded(), "addtime>2007.06"); }
void BM_RunQuery_AddedAfter2007_06_DatesMadeThisRun(benchmark::State& s)
{
    RunQueryOn(s, MadeThisRun(), "addtime>2007.06");
}
void BM_RunQuery_AllThree(benchmark::State& s) { RunQueryOn(s, Loaded(), "genre=rock\r\nrating>=3\r\naddtime>2007.06"); }
void BM_RunQuery_Top100Played(benchmark::State& s) { RunQueryOn(s, Loaded(), "rating>=1\r\n100 top timesplayed"); }
BENCHMARK(BM_RunQuery_GenreRock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery_RatingAtLeast3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery_AddedAfter2007_06)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery_AddedAfter2007_06_DatesMadeThisRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery_AllThree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery_Top100Played)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
