// Copying titles to a device against `cp -r`, both from and to tmpfs, so the
// figures show our own cost (targets, folders, temporary files, flushes,
// renames) and not a disk's. 250 generated files of about 4 MB, records of 25
// artists with 2 albums each. One run alternates the two three times, each
// into a fresh folder that is removed afterwards, and reports the medians:
//   cp_ms     `cp -r` of the library folder
//   ours_ms   the plan (target paths) and the copier's worker to its end
//   ratio     ours_ms / cp_ms
// SAROVIN_BENCH_TMP sets the folder (default /dev/shm).
#include "bench/BenchScratch.h"
#include "core/DeviceSync.h"
#include "platform/DeviceCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr int Titles = 250;

struct TestLibrary {
    QString folder;
    LibraryDatabase store;
};

TestLibrary* g_library = nullptr;
QString g_scratch;

bool Generate(TestLibrary& lib)
{
    QByteArray block(4 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i) block[i] = char((i * 131) >> 7);
    for (int i = 0; i < Titles; ++i) {
        const int artist = i / 10, album = (i / 5) % 2;
        const QString dir = lib.folder + QStringLiteral("/Interpret %1/Album %2").arg(artist).arg(album);
        QDir().mkpath(dir);
        LibraryEntry e;
        e.FileName = dir + QStringLiteral("/%1 Titel.mp3").arg(i % 5 + 1);
        e.Tags.Artist = QStringLiteral("Interpret %1").arg(artist);
        e.Tags.Album = QStringLiteral("Album %1").arg(album);
        e.Tags.Title = QStringLiteral("Titel %1: Teil %2?").arg(i).arg(i % 3);
        QFile f(e.FileName);
        const QByteArray data = block.left(block.size() - i * 997);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) return false;
        e.SizeInMB = double(data.size()) / (1 << 20);
        lib.store.Files.append(e);
    }
    return true;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double RunCp(const QString& target)
{
    const auto start = std::chrono::steady_clock::now();
    const int rc = QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), g_library->folder, target});
    const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
    if (rc != 0) std::fprintf(stderr, "cp failed\n");
    return ms;
}

double RunOurs(const QString& target)
{
    const auto start = std::chrono::steady_clock::now();
    QDir().mkpath(target);
    struct stat st {};
    ::stat(QFile::encodeName(target).constData(), &st);
    CopyPlan plan;
    plan.Root = target;
    plan.Device = uint64_t(st.st_dev);
    for (const LibraryEntry& e : g_library->store.Files)
        plan.Jobs.append({e.FileName, SyncTargetPath(target, e), e.SizeInMB * 1024 * 1024});
    DeviceCopier copier(std::move(plan));
    copier.Start();
    copier.Wait();
    const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
    if (copier.Copied() != Titles) std::fprintf(stderr, "copied %d of %d\n", copier.Copied(), Titles);
    return ms;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void CopyAgainstCp(benchmark::State& state)
{
    std::vector<double> cp, ours;
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round) {
            const QString cpTarget = g_scratch + QStringLiteral("/cp"), ourTarget = g_scratch + QStringLiteral("/ours");
            cp.push_back(RunCp(cpTarget));
            QDir(cpTarget).removeRecursively();
            ours.push_back(RunOurs(ourTarget));
            QDir(ourTarget).removeRecursively();
        }
    }
    state.counters["cp_ms"] = Median(cp);
    state.counters["ours_ms"] = Median(ours);
    state.counters["ratio"] = Median(ours) / Median(cp);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const QString base = BenchScratchBase();
    QTemporaryDir scratch(base + QStringLiteral("/sarovin-devcopy-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "no scratch folder in %s\n", qPrintable(base));
        return 1;
    }
    TestLibrary lib{scratch.filePath(QStringLiteral("library")), {}};
    std::fprintf(stderr, "generating %d files in %s...\n", Titles, qPrintable(scratch.path()));
    if (!Generate(lib)) {
        std::fprintf(stderr, "could not generate the files\n");
        return 1;
    }
    g_library = &lib;
    g_scratch = scratch.path();
    benchmark::RegisterBenchmark("CopyAgainstCp", CopyAgainstCp)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
