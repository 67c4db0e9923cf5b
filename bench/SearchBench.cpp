// The search box's free-text match and dynamic-playlist queries over a
// generated library of 100,000 titles.
#include "core/Genres.h"
#include "core/Search.h"

#include <QDateTime>
#include <benchmark/benchmark.h>

#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr int kTitles = 100000;

QString Word(std::mt19937& rng)
{
    static const char* const syllables[] = {"ka", "lo", "ve", "mi", "ra", "to", "be", "at", "son", "da",
                                            "ne", "ri", "mo", "tu", "el", "ha", "gi", "pa", "lu", "ze"};
    QString w;
    const int n = 2 + int(rng() % 3);
    for (int i = 0; i < n; ++i) w += QLatin1String(syllables[rng() % 20]);
    w[0] = w[0].toUpper();
    return w;
}

QString Words(std::mt19937& rng, int count)
{
    QStringList words;
    for (int i = 0; i < count; ++i) words << Word(rng);
    return words.join(u' ');
}

// AddTime as loaded from Files.db (text) or as made in this run (a date).
LibraryDatabase MakeLibrary(bool datesAsText)
{
    std::mt19937 rng(7);
    std::vector<QString> artists, albums;
    for (int i = 0; i < 5000; ++i) artists.push_back(Words(rng, 1 + int(rng() % 2)));
    for (int i = 0; i < 10000; ++i) albums.push_back(Words(rng, 1 + int(rng() % 3)));
    LibraryDatabase db;
    db.Files.reserve(kTitles);
    for (int i = 0; i < kTitles; ++i) {
        LibraryEntry e;
        e.Tags.Title = Words(rng, 2 + int(rng() % 4));
        e.Tags.Artist = artists[rng() % artists.size()];
        e.Tags.Album = albums[rng() % albums.size()];
        e.Tags.Genre = GetGenreName(int(rng() % 126));
        e.Tags.Year = QString::number(1960 + rng() % 50);
        e.Tags.Track = QString::number(1 + rng() % 20);
        e.Tags.Lenght = int(120 + rng() % 300);
        e.Tags.Bitrate = int16_t(128 + 32 * (rng() % 6));
        e.FileName = QStringLiteral("/home/user/Musik/%1/%2.mp3").arg(e.Tags.Artist, e.Tags.Title);
        e.Rating = int16_t(rng() % 6);
        e.PlayCNT = int(rng() % 50);
        const QDateTime added(QDate(2000 + int(rng() % 12), 1 + int(rng() % 12), 1 + int(rng() % 28)),
                              QTime(int(rng() % 24), int(rng() % 60), int(rng() % 60)));
        e.AddTime = datesAsText ? QVariant(added.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))) : QVariant(added);
        e.PlayTime = QStringLiteral("(noch nie)");
        db.Files.append(e);
    }
    return db;
}

LibraryDatabase& Loaded()
{
    static LibraryDatabase db = MakeLibrary(true);
    return db;
}

LibraryDatabase& MadeThisRun()
{
    static LibraryDatabase db = MakeLibrary(false);
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
