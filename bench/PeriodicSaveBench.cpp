// The periodic save at 100,000 titles, seen from the event loop: the longest
// wait between two turns of the loop while a save of Files.db, Playing.db and
// Settings.ini runs, from the check that starts it until its end is taken.
//   PeriodicWriteGap/0      nothing else happens meanwhile
//   PeriodicWriteGap/1      a rating every turn while the write runs
//   RecordsDetachAndFree    what sharing the records with the worker would
//                           cost the UI thread instead: the first change
//                           copies the array, and the old one is freed later
//   UiThreadSave            the same save on the UI thread (what the loop
//                           would wait without the periodic writer)
// gap_ms is the longest wait of all runs; write_ms the mean time from the check
// to the taken end.
#include "core/LibraryDatabase.h"
#include "core/PeriodicSave.h"
#include "core/Settings.h"
#include "tests/support/GeneratedLibrary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kTitles = 100000;

struct Fixture {
    QTemporaryDir home;
    Fixture()
    {
        qputenv("SAROVIN_HOME", home.path().toUtf8());
        Library = MakeGeneratedLibrary(kTitles, true);
        BuildListSets(Library);
        QVector<int32_t>& queue = Library.ListSets[PlayingQueue].Entries[0].Items;
        queue.clear();
        for (int i = 0; i < 500; ++i) queue.append(i * 197 % kTitles);
        SaveDatabase(Library);
        SaveSettings();
    }
};

void Setup()
{
    static Fixture fixture;
}

void BM_PeriodicWriteGap(benchmark::State& state)
{
    Setup();
    const bool rate = state.range(0) != 0;
    // No timer: the benchmark runs the checks itself.
    StartPeriodicSave({}, std::chrono::hours(1));
    qint64 gap = 0, total = 0;
    int runs = 0, turn = 0;
    for (auto _ : state) {
        Library.Files[runs].Rating = int16_t(1 + runs % 5);
        MarkLibraryChanged();
        Library.ListSets[PlayingQueue].Entries[0].Items.append(runs);
        Settings.LastPosition += 1;
        QElapsedTimer since;
        QElapsedTimer whole;
        bool started = false;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (started) gap = std::max(gap, since.nsecsElapsed());
            since.start();
            if (!started) {
                started = true;
                whole.start();
                CheckPeriodicSave();
                return;
            }
            if (rate && PeriodicWriteRunning()) {
                ++turn;
                Library.Files[turn % kTitles].Rating = int16_t(turn % 6);
                MarkLibraryChanged();
            }
            if (!PeriodicWriteRunning()) QCoreApplication::exit();
        });
        tick.start(0);
        QCoreApplication::exec();
        total += whole.nsecsElapsed();
        ++runs;
        state.PauseTiming();
        WaitForPeriodicWrite();
        state.ResumeTiming();
    }
    StopPeriodicSave();
    state.counters["gap_ms"] = double(gap) / 1e6;
    state.counters["write_ms"] = double(total) / 1e6 / runs;
}
BENCHMARK(BM_PeriodicWriteGap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RecordsDetachAndFree(benchmark::State& state)
{
    Setup();
    qint64 detach = 0, release = 0;
    for (auto _ : state) {
        QVector<LibraryEntry> snapshot = Library.Files;
        QElapsedTimer t;
        t.start();
        Library.Files[0].Rating = int16_t((Library.Files[0].Rating + 1) % 6);
        detach += t.nsecsElapsed();
        t.start();
        snapshot = {};
        release += t.nsecsElapsed();
    }
    state.counters["detach_ms"] = double(detach) / 1e6 / double(state.iterations());
    state.counters["free_ms"] = double(release) / 1e6 / double(state.iterations());
}
BENCHMARK(BM_RecordsDetachAndFree)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_UiThreadSave(benchmark::State& state)
{
    Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SaveDatabase(Library));
        benchmark::DoNotOptimize(SaveSettings());
    }
}
BENCHMARK(BM_UiThreadSave)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
