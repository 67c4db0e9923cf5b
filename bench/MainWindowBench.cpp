// The main window's search box over the 100,000 generated titles, offscreen:
// one keystroke with warm search texts against the bare match loop of the
// same run, the first keystroke after the window showed, and the idle-time
// making of the search texts (its longest slice and its memory per title).
#include "core/Search.h"
#include "core/Settings.h"
#include "tests/support/GeneratedLibrary.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>

namespace {

constexpr int kTitles = 100000;
const QString kBefore = QStringLiteral("lo b");
const QString kAfter = QStringLiteral("lo be");

std::unique_ptr<frmMain> ShowWindow()
{
    auto w = std::make_unique<frmMain>();
    w->tmrActualizeDisp->stop();
    w->tmrAudioSys->stop();
    w->resize(1100, 700);
    w->show();
    QApplication::processEvents();
    return w;
}

// The idle slices run until every search text is made; the longest slice is
// what a user's input could wait for.
double RunIdleSlices(frmMain& w, double* longestMs)
{
    QElapsedTimer total, slice;
    total.start();
    *longestMs = 0;
    while (!w.SearchTextReady()) {
        slice.start();
        QApplication::processEvents(QEventLoop::AllEvents);
        *longestMs = std::max(*longestMs, slice.nsecsElapsed() / 1e6);
    }
    return total.nsecsElapsed() / 1e6;
}

void Keystroke(frmMain& w, const QString& text)
{
    w.txtSearch->setText(text);  // view, summary
    w.QV_ListControl1->repaint();
}

// Each iteration types the letter and, untimed, runs the bare match loop over
// the same records, so both see the same heap (the loop's time depends on
// where the search texts lie by a factor of two between runs).
void BM_KeystrokeWarm(benchmark::State& state)
{
    Library = MakeGeneratedLibrary(kTitles, true);
    auto w = ShowWindow();
    double longest = 0;
    RunIdleSlices(*w, &longest);
    qsizetype hits = 0;
    double bareNs = 0;
    QElapsedTimer bare;
    for (auto _ : state) {
        state.PauseTiming();
        Keystroke(*w, kBefore);
        bare.start();
        int n = 0;
        for (const LibraryEntry& e : std::as_const(Library.Files)) n += MatchesSearchText(e, kAfter);
        benchmark::DoNotOptimize(n);
        bareNs += double(bare.nsecsElapsed());
        state.ResumeTiming();
        Keystroke(*w, kAfter);
        hits = w->QV_ListControl1->ItemCount() + 1;
    }
    state.counters["hits"] = double(hits);
    state.counters["bare_loop_ms"] = bareNs / 1e6 / double(state.iterations());
}
BENCHMARK(BM_KeystrokeWarm)->Unit(benchmark::kMillisecond);

// A fresh library and window: the search texts are made in idle slices after
// the window shows; then the first letter is typed.
void BM_FirstKeystrokeAfterShow(benchmark::State& state)
{
    double idleMs = 0, longestMs = 0, bytesPerTitle = 0, libraryBytesPerTitle = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Library = LibraryDatabase();
        const double empty = double(mallinfo2().uordblks);
        Library = MakeGeneratedLibrary(kTitles, true);
        const double before = double(mallinfo2().uordblks);
        auto w = ShowWindow();
        const double withWindow = double(mallinfo2().uordblks);
        idleMs = RunIdleSlices(*w, &longestMs);
        bytesPerTitle = (double(mallinfo2().uordblks) - withWindow) / kTitles;
        libraryBytesPerTitle = (before - empty) / kTitles + bytesPerTitle;
        state.ResumeTiming();
        Keystroke(*w, QStringLiteral("l"));
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["idle_ms"] = idleMs;
    state.counters["longest_slice_ms"] = longestMs;
    state.counters["search_text_bytes_per_title"] = bytesPerTitle;
    state.counters["library_bytes_per_title"] = libraryBytesPerTitle;
}
BENCHMARK(BM_FirstKeystrokeAfterShow)->Unit(benchmark::kMillisecond)->Iterations(3);

// For comparison: the first letter with no search text made yet.
void BM_FirstKeystrokeCold(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Library = MakeGeneratedLibrary(kTitles, true);
        auto w = std::make_unique<frmMain>();  // never shown: no idle slices
        w->tmrActualizeDisp->stop();
        w->tmrAudioSys->stop();
        state.ResumeTiming();
        Keystroke(*w, QStringLiteral("l"));
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstKeystrokeCold)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
