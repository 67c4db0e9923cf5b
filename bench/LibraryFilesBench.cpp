// Loading and saving the library files with a generated library of 100,000
// titles (paths of about 80 characters, 5,000 artists, 10,000 albums, a dozen
// genres), each against the bare file work it cannot avoid: reading the file
// and splitting it into lines, and writing the same bytes through QSaveFile
// (what the program used before) and through the program's own whole-file
// writer (every byte checked, data and folder synced).
#include "core/LibraryDatabase.h"
#include "core/Runtime.h"
#include "core/WholeFile.h"
#include "bench/BenchScratch.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <random>

namespace {

constexpr int kTitles = 100000;

LibraryDatabase MakeLibrary()
{
    static const char* const genres[] = {"Rock", "Pop", "Jazz", "Blues", "Classical", "Metal",
                                          "Techno", "Hip-Hop", "Folk", "Soundtrack", "Reggae", "Country"};
    static const char* const words[] = {"Liebe", "Nacht", "Sommer", "Regen", "Stadt", "Herz", "Licht",
                                         "Zeit", "Wind", "Meer", "Feuer", "Traum", "Straße", "Himmel"};
    std::mt19937 rng(1);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    LibraryDatabase store;
    store.Files.reserve(kTitles);
    const QDateTime base(QDate(2024, 3, 1), QTime(10, 0, 0));
    for (int i = 0; i < kTitles; ++i) {
        const int album = pick(10000);
        const int artist = album % 5000;
        LibraryEntry e;
        e.Tags.Artist = QStringLiteral("Interpret %1").arg(artist);
        e.Tags.Album = QStringLiteral("Album Nummer %1").arg(album);
        e.Tags.Title = QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(words[pick(14)]), QString::fromUtf8(words[pick(14)]))
                           .arg(i);
        e.Tags.Track = QString::number(1 + i % 14);
        e.Tags.Year = QString::number(1960 + album % 60);
        e.Tags.Genre = QString::fromLatin1(genres[album % 12]);
        e.Tags.Format = QStringLiteral("MPEG");
        e.Tags.Bitrate = int16_t(album % 3 ? 192 : 320);
        e.Tags.Lenght = 120 + pick(300);
        e.FileName = QStringLiteral("/home/benutzer/Musik/%1/%2/%3 - %4.mp3")
                         .arg(e.Tags.Artist, e.Tags.Album, e.Tags.Track.rightJustified(2, u'0'), e.Tags.Title);
        e.AddTime = base.addSecs(i / 20); // a synchronisation adds many titles per second
        e.PlayCNT = i % 3 ? 0 : pick(50);
        e.PlayTime = e.PlayCNT ? QVariant(base.addSecs(86400 + i * 37)) : QVariant(QStringLiteral("(noch nie)"));
        e.TagVer = QStringLiteral("(unbekannt)");
        e.Rating = int16_t(i % 7 == 0 ? 1 + pick(5) : 0);
        e.SizeInMB = e.Tags.Lenght * e.Tags.Bitrate / 8.0 / 1024.0;
        store.Files.append(e);
    }
    BuildListSets(store);
    QVector<int32_t>& queue = store.ListSets[PlayingQueue].Entries[0].Items;
    queue.clear();
    for (int i = 0; i < 200; ++i) queue.append(pick(kTitles));
    return store;
}

struct Fixture {
    QTemporaryDir home{BenchScratchBase() + QStringLiteral("/sarovin-libfiles-XXXXXX")};
    LibraryDatabase library;
    QByteArray filesDb;
    Fixture()
    {
        qputenv("SAROVIN_HOME", home.path().toUtf8());
        LibraryDatabase made = MakeLibrary();
        SaveDatabase(made);
        // Saved as the exit procedure saves it: the library loaded at start.
        LoadDatabase(library);
        QFile f(DataFile(QStringLiteral("Files.db")));
        f.open(QIODevice::ReadOnly);
        filesDb = f.readAll();
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

void BM_LoadDatabase(benchmark::State& state)
{
    Data();
    LibraryDatabase store;
    for (auto _ : state) {
        state.PauseTiming(); // freeing the last library is not part of loading
        store = LibraryDatabase();
        ResetDatabase(store);
        state.ResumeTiming();
        LoadDatabase(store);
        benchmark::DoNotOptimize(store.Files.size());
    }
}
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The part of loading that files every title under its artist, album, genre,
// bitrate and year.
void BM_BuildListSets(benchmark::State& state)
{
    Data();
    LibraryDatabase store;
    LoadDatabase(store);
    for (auto _ : state) BuildListSets(store);
}
BENCHMARK(BM_BuildListSets)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadAllAndSplitLines(benchmark::State& state)
{
    Data();
    QList<QByteArray> lines;
    for (auto _ : state) {
        state.PauseTiming();
        lines = QList<QByteArray>();
        state.ResumeTiming();
        QFile f(DataFile(QStringLiteral("Files.db")));
        f.open(QIODevice::ReadOnly);
        lines = f.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(BM_ReadAllAndSplitLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveDatabase(benchmark::State& state)
{
    Fixture& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(SaveDatabase(d.library));
}
BENCHMARK(BM_SaveDatabase)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RawSaveFileWrite(benchmark::State& state)
{
    Fixture& d = Data();
    for (auto _ : state) {
        QSaveFile f(DataFile(QStringLiteral("Files.db")));
        f.open(QIODevice::WriteOnly);
        f.write(d.filesDb);
        benchmark::DoNotOptimize(f.commit());
    }
    state.counters["file_MB"] = double(d.filesDb.size()) / 1e6;
}
BENCHMARK(BM_RawSaveFileWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RawWholeFileWrite(benchmark::State& state)
{
    Fixture& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(WriteWholeFile(DataFile(QStringLiteral("Files.db")), d.filesDb));
    state.counters["file_MB"] = double(d.filesDb.size()) / 1e6;
}
BENCHMARK(BM_RawWholeFileWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Heap in use by a loaded library (records and list sets), per title.
void BM_LoadedMemoryPerTitle(benchmark::State& state)
{
    Data();
    double perTitle = 0;
    for (auto _ : state) {
        malloc_trim(0);
        // Large blocks (the array of records) are mapped apart from the heap: hblkhd.
        const auto inUse = [] { const struct mallinfo2 m = mallinfo2(); return m.uordblks + m.hblkhd; };
        const size_t before = inUse();
        auto* store = new LibraryDatabase;
        LoadDatabase(*store);
        const size_t after = inUse();
        perTitle = double(after - before) / double(store->Files.size());
        delete store;
    }
    state.counters["bytes_per_title"] = perTitle;
    state.counters["record_bytes"] = double(sizeof(LibraryEntry));
}
BENCHMARK(BM_LoadedMemoryPerTitle)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
