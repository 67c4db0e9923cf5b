// Library synchronisation against its floors, over one generated tree of tagged
// files (MP3, Ogg, M4A and WMA in equal parts, artist/album folders):
//   TagLibFloor      a bare TagLib FileRef loop reading the fields AddFile reads
//   ReaderOnly       the program's tag reader alone over the same files
//   SyncRebuild      SyncLibrary mode 1 (includes BuildListSets and SaveDatabase)
//   SaveDatabase     SaveDatabase of the same library alone
//   SyncUpdate       SyncLibrary mode 2 over the unchanged tree
//   ListStatSave     recursive listing + one stat per file + SaveDatabase
//   CarryOver        the rebuild's step that keeps ratings, counts and times:
//                    CarryUserData of a freshly read library against the old
//                    one (every path found, as in a reload of an unchanged tree)
// The scan rate is files / (SyncRebuild - SaveDatabase). SAROVIN_BENCH_FILES
// sets the number of files (default 10000).
// SyncRebuild and SyncUpdate also report how long the event loop waited for
// its next turn: gap_ms, the longest wait outside the final list-set build
// and save (the longest of all runs), and build_ms and save_ms, those two
// steps, which let no event run (mean of the runs; save_ms runs from the
// "Speichern" caption until SyncLibrary returns, so it also holds freeing the
// library replaced), and captions, the caption changes of one run.
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/LibraryTypes.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace {

struct Tree {
    QTemporaryDir root;
    QTemporaryDir home;
    QStringList files;
};

Tree* g_tree = nullptr;

bool BuildTree(Tree& t, int count)
{
    const FixtureFormat formats[] = {FixtureFormat::Mp3, FixtureFormat::Ogg, FixtureFormat::M4a, FixtureFormat::Wma};
    QStringList templates;
    for (FixtureFormat f : formats) {
        const QString p = t.home.filePath(QStringLiteral("template") + FixtureExtension(f));
        if (!MakeToneFile(p, f, 0.5)) return false;
        templates.append(p);
    }
    for (int i = 0; i < count; ++i) {
        const int artist = i / 100, album = (i / 10) % 10;
        const QString dir = t.root.path() + QStringLiteral("/Interpret %1/Album %2").arg(artist).arg(album);
        if (i % 10 == 0) QDir().mkpath(dir);
        const int kind = i % 4;
        const QString path = dir + QStringLiteral("/%1 Titel").arg(i % 10, 2, 10, QChar(u'0')) +
                             FixtureExtension(formats[kind]);
        if (!QFile::copy(templates[kind], path)) return false;
        FixtureTags tags;
        tags.Title = QStringLiteral("Titel %1").arg(i);
        tags.Artist = QStringLiteral("Interpret %1").arg(artist);
        tags.Album = QStringLiteral("Album %1").arg(album);
        tags.Genre = QStringLiteral("Rock");
        tags.Track = QStringLiteral("%1/10").arg(i % 10 + 1);
        tags.Year = 1990 + artist % 30;
        if (!WriteFixtureTags(path, tags)) return false;
        t.files.append(path);
    }
    // The order a name-sorted directory walk reads them in, so every variant
    // meets the file system's caches the same way.
    std::sort(t.files.begin(), t.files.end(),
              [](const QString& a, const QString& b) { return QFile::encodeName(a) < QFile::encodeName(b); });
    return true;
}

// A zero timer fires at every turn of the event loop; the captions mark where
// the list sets are built and the library is saved.
class LoopGaps {
public:
    LoopGaps()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
        captions_ = SubscribeCaption([this](const QString& c) {
            ++captionCount_;
            if (c == QStringLiteral("Sarovin (Views...)")) {
                Turn();
                building_ = true;
                buildFrom_ = clock_.nsecsElapsed();
            } else if (c == QStringLiteral("Sarovin (Speichern...)")) {
                saveFrom_ = clock_.nsecsElapsed();
                build_ += saveFrom_ - buildFrom_;
            }
        });
    }

    void Begin()
    {
        building_ = false;
        clock_.start();
        last_ = 0;
        timer_.start();
    }

    void End()
    {
        save_ += clock_.nsecsElapsed() - saveFrom_;
        timer_.stop();
        ++runs_;
    }

    void Report(benchmark::State& state) const
    {
        state.counters["gap_ms"] = double(gap_) / 1e6;
        state.counters["build_ms"] = double(build_) / 1e6 / std::max(1, runs_);
        state.counters["save_ms"] = double(save_) / 1e6 / std::max(1, runs_);
        state.counters["captions"] = double(captionCount_) / std::max(1, runs_);
    }

private:
    void Turn()
    {
        if (building_) return;
        const qint64 now = clock_.nsecsElapsed();
        gap_ = std::max(gap_, now - last_);
        last_ = now;
    }

    QTimer timer_;
    Subscription captions_;
    QElapsedTimer clock_;
    bool building_ = false;
    qint64 last_ = 0, gap_ = 0, buildFrom_ = 0, saveFrom_ = 0, build_ = 0, save_ = 0;
    int runs_ = 0;
    qint64 captionCount_ = 0;
};

void TagLibFloor(benchmark::State& state)
{
    for (auto _ : state) {
        int64_t sum = 0;
        for (const QString& p : g_tree->files) {
            const QByteArray name = QFile::encodeName(p);
            TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
            if (ref.isNull()) continue;
            const TagLib::Tag* tag = ref.tag();
            sum += tag->title().size() + tag->artist().size() + tag->album().size() + tag->comment().size() +
                   tag->genre().size() + tag->year() + tag->track();
            sum += ref.audioProperties()->lengthInMilliseconds() + ref.audioProperties()->bitrate();
            sum += ref.file()->length();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["files/s"] = benchmark::Counter(double(g_tree->files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void ReaderOnly(benchmark::State& state)
{
    for (auto _ : state) {
        int64_t sum = 0;
        for (const QString& p : g_tree->files) sum += ProgramTagReader().Open(p).Format;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["files/s"] = benchmark::Counter(double(g_tree->files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void SyncRebuild(benchmark::State& state)
{
    LoopGaps gaps;
    for (auto _ : state) {
        gaps.Begin();
        const SyncResult r = SyncLibrary(1, g_tree->root.path());
        gaps.End();
        if (r.status != SyncResult::Done || Library.Files.size() != g_tree->files.size())
            state.SkipWithError("rebuild did not take every file");
    }
    gaps.Report(state);
    state.counters["files/s"] = benchmark::Counter(double(g_tree->files.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void SaveLibrary(benchmark::State& state)
{
    for (auto _ : state)
        if (!SaveDatabase(Library)) state.SkipWithError("save failed");
}

void SyncUpdate(benchmark::State& state)
{
    LoopGaps gaps;
    for (auto _ : state) {
        gaps.Begin();
        const SyncResult r = SyncLibrary(2, g_tree->root.path());
        gaps.End();
        if (r.status != SyncResult::Done || Library.Files.size() != g_tree->files.size())
            state.SkipWithError("update changed the library");
    }
    gaps.Report(state);
}

void ListStatSave(benchmark::State& state)
{
    for (auto _ : state) {
        int64_t n = 0;
        QDirIterator it(g_tree->root.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            struct stat st;
            if (stat(QFile::encodeName(it.next()).constData(), &st) == 0) ++n;
        }
        if (n != g_tree->files.size()) state.SkipWithError("listing missed files");
        if (!SaveDatabase(Library)) state.SkipWithError("save failed");
    }
}

void CarryOver(benchmark::State& state)
{
    if (Library.Files.size() != g_tree->files.size()) SyncLibrary(1, g_tree->root.path());
    // The records a rebuild reads: paths of their own, not shared with the old ones.
    LibraryDatabase work;
    work.Files = Library.Files;
    for (LibraryEntry& e : work.Files) e.FileName = QString(e.FileName.constData(), e.FileName.size());
    for (auto _ : state) benchmark::DoNotOptimize(CarryUserData(work, Library, true));
    state.counters["records"] = double(work.Files.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // so the sync's pumps do their real work
    benchmark::Initialize(&argc, argv);
    Tree tree;
    qputenv("SAROVIN_HOME", QFile::encodeName(tree.home.path()));
    const int count = qEnvironmentVariableIsSet("SAROVIN_BENCH_FILES") ? qEnvironmentVariableIntValue("SAROVIN_BENCH_FILES")
                                                                        : 10000;
    std::fprintf(stderr, "generating %d files...\n", count);
    if (!BuildTree(tree, count)) {
        std::fprintf(stderr, "could not generate the files\n");
        return 1;
    }
    g_tree = &tree;
    SetTagReader(&ProgramTagReader());
    InitAudioDatabase();

    // Warm the page cache once so every variant reads from memory.
    for (const QString& p : tree.files) TagLib::FileRef ref(QFile::encodeName(p).constData());

    benchmark::RegisterBenchmark("TagLibFloor", TagLibFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("ReaderOnly", ReaderOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("SyncRebuild", SyncRebuild)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("SaveDatabase", SaveLibrary)->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("SyncUpdate", SyncUpdate)->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("ListStatSave", ListStatSave)->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("CarryOver", CarryOver)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetTagReader(nullptr);
    return 0;
}
