// The tag editor's save of a 5 MB MP3 with an ID3v2.3 tag as the program does
// it: read, start the helper, which copies, writes through TagLib, adds the
// ID3v1 block, reads back, compares the audio of both files and syncs; then
// rename. Two edits:
//   Fits   a new title that fits the tag's padding (TagLib rewrites the tag only)
//   Grows  a title of 2000 characters: the tag grows and TagLib moves the audio
// InProcess/* is the same save in this process without the audio check (what
// the save was before the helper); AudioCheck is the comparison alone.
// Each iteration starts from the same file, restored outside the timing.
// SAROVIN_BENCH_TMP sets the folder (default /dev/shm; a disk adds its fsync).
#include "bench/BenchScratch.h"
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "sound/AudioCheck.h"
#include "tests/support/AudioFixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString g_pristine, g_path;

void Save(benchmark::State& state, const QString& title)
{
    LibraryDatabase store;
    if (!AddFile(store, g_pristine)) return state.SkipWithError("the MP3 cannot be read");
    const QByteArray original = ReadRawFile(g_pristine);
    for (auto _ : state) {
        state.PauseTiming();
        WriteRawFile(g_path, original);
        LibraryEntry e = store.Files[0];
        e.FileName = g_path;
        e.Tags.Title = title;
        state.ResumeTiming();
        if (SaveTags(e) != TagSaveResult::Saved) return state.SkipWithError("the save failed");
    }
    state.counters["file_MB"] = double(original.size()) / (1 << 20);
}

TagSaveProcess& Helper()
{
    static TagSaveProcess helper(QStringLiteral(SAROVIN_TAG_HELPER));
    return helper;
}

void Fits(benchmark::State& state)
{
    SetTagSaveRunner(&Helper());
    Save(state, QStringLiteral("Ein anderer Titel"));
}
void Grows(benchmark::State& state)
{
    SetTagSaveRunner(&Helper());
    Save(state, QString(2000, u't'));
}
void InProcessFits(benchmark::State& state)
{
    SetTagSaveRunner(nullptr);
    Save(state, QStringLiteral("Ein anderer Titel"));
}
void InProcessGrows(benchmark::State& state)
{
    SetTagSaveRunner(nullptr);
    Save(state, QString(2000, u't'));
}

void CheckAudio(benchmark::State& state)
{
    WriteRawFile(g_path, ReadRawFile(g_pristine));
    const std::string a = QFile::encodeName(g_pristine).toStdString(), b = QFile::encodeName(g_path).toStdString();
    for (auto _ : state)
        if (snd::CompareAudio(a, b) != snd::AudioMatch::Same) return state.SkipWithError("the audio differs");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const QString base = BenchScratchBase();
    QTemporaryDir scratch(base + QStringLiteral("/sarovin-tagsave-XXXXXX"));
    g_pristine = scratch.filePath(QStringLiteral("pristine.mp3"));
    g_path = scratch.filePath(QStringLiteral("lied.mp3"));
    std::fprintf(stderr, "encoding a 5 MB MP3 in %s...\n", qPrintable(scratch.path()));
    // 128 kbit/s: 330 s are 5.0 MiB.
    const FixtureTags tags{.Title = QStringLiteral("Lied"), .Artist = QStringLiteral("Interpret"),
                           .Album = QStringLiteral("Album"), .Track = QStringLiteral("1"), .Year = 2001,
                           .Id3v1Genre = 17, .Id3v2Version = 3};
    if (!scratch.isValid() || !MakeToneFile(g_pristine, FixtureFormat::Mp3, 330) || !WriteFixtureTags(g_pristine, tags)) {
        std::fprintf(stderr, "could not make the MP3\n");
        return 1;
    }
    SetTagReader(&ProgramTagReader());
    SetTagWriter(&ProgramTagWriter());
    benchmark::RegisterBenchmark("TagSave5MB/Fits", Fits)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TagSave5MB/Grows", Grows)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TagSave5MB/InProcess/Fits", InProcessFits)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TagSave5MB/InProcess/Grows", InProcessGrows)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TagSave5MB/AudioCheck", CheckAudio)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
