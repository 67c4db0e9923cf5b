// The main window over the 100,000 generated titles, offscreen. The start:
// from Main to the first paint of the list showing rows, and the heap it adds,
// each against LoadDatabase alone. The search box: one keystroke with warm
// search texts against the bare match loop of the same run, the first
// keystroke after the window showed, and the idle-time making of the search
// texts (its longest slice and its memory per title).
#include "app/Main.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "core/LibraryDatabase.h"
#include "core/Search.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "tests/support/GeneratedLibrary.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
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

// ---- The start -------------------------------------------------------------

// A data folder holding the generated library as Files.db, the queue empty.
QTemporaryDir& StartHome()
{
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        qputenv("SAROVIN_HOME", d->path().toUtf8());
        Library = MakeGeneratedLibrary(kTitles, true);
        auto& queue = Library.ListSets[PlayingQueue].Entries;
        if (queue.isEmpty()) queue.resize(1);
        queue[0].Items = {-1};
        SaveDatabase(Library);
        Library = LibraryDatabase();
        return d;
    }();
    return *dir;
}

// The defaults after a clean run, nothing to resume: the first view is all
// titles, every column shown.
void WriteCleanSettings()
{
    Settings = SettingsRecord{};
    const QSizeF screen = PrimaryScreenTwips();
    ResetSettings(screen.width(), screen.height());
    Settings.StartCount = 1;
    Settings.CleanExit = SwitchOn;
    Settings.LastTrack = -1;
    SaveSettings();
}

// Sees the list's first paint while it has rows.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o->objectName() == u"QV_ListControl1") {
            const frmMain* w = MainWindow();
            if (w && w->QV_ListControl1->ItemCount() >= 0) painted = true;
        }
        return false;
    }
};

// Heap in use, as BM_LoadedMemoryPerTitle counts it: large blocks are mapped apart.
double HeapInUse()
{
    malloc_trim(0);
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

void EndStart()
{
    ResetProgramState();
    RemoveEqualizer();
    CloseAudio();
    Library = LibraryDatabase();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_LoadDatabaseAlone(benchmark::State& state)
{
    StartHome();
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Library = LibraryDatabase();
        const double before = HeapInUse();
        state.ResumeTiming();
        LoadDatabase(Library);
        state.PauseTiming();
        grown = HeapInUse() - before;
        Library = LibraryDatabase();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = grown / 1e6;
}
BENCHMARK(BM_LoadDatabaseAlone)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// Main with the splash, settings, library, window, sound and equalizer, until
// the list has painted its rows; the window then holds the heap it grew.
void BM_StartToFirstPaint(benchmark::State& state)
{
    StartHome();
    SetTerminateHook([](int) {});
    SetMessageBoxService([](const QString&, int, const QString&) { return int(MsgOk); });
    FirstPaint watch;
    qApp->installEventFilter(&watch);
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteCleanSettings();
        Library = LibraryDatabase();
        watch.painted = false;
        QApplication::processEvents();
        const double before = HeapInUse();
        state.ResumeTiming();
        Main(QString());
        while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        grown = HeapInUse() - before;
        // A picture of the window as the start left it, when asked for.
        if (qEnvironmentVariableIsSet("SAROVIN_SHOT")) MainWindow()->grab().save(qEnvironmentVariable("SAROVIN_SHOT"));
        EndStart();
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    state.counters["heap_MB"] = grown / 1e6;
}
BENCHMARK(BM_StartToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
