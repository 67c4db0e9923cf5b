#include "platform/TagSaveProcess.h"

#include "core/Runtime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <utility>

namespace {

constexpr uint64_t kMiB = 1 << 20;

void SetLimit(int resource, uint64_t soft, uint64_t hard)
{
    const rlimit limit{rlim_t(soft), rlim_t(hard)};
    ::setrlimit(resource, &limit);
}

} // namespace

TagHelperLimits LimitsFor(int64_t originalSize, const TagWrite& write)
{
    const uint64_t size = uint64_t(std::max<int64_t>(originalSize, 0));
    const qsizetype chars = write.title.size() + write.artist.size() + write.album.size() + write.track.size() +
                            write.genre.size() + write.comment.size() + 10;
    TagHelperLimits limits;
    // UTF-8 takes up to 3 bytes a UTF-16 unit, UTF-16 with its mark 4, in
    // each of two tags (ID3v2 and APE); TagLib pads ID3v2 by about 1 KiB and
    // FLAC by 4 KiB. A rewrite that grows past this is a runaway.
    limits.fileSize = size + uint64_t(chars) * 16 + kMiB;
    // Copy, write, read back and two demuxes: well under a second a hundred megabytes.
    limits.cpuSeconds = 20 + size / (20 * kMiB);
    limits.wallClock = std::chrono::milliseconds(30'000 + size / (4 * kMiB) * 1000);
#ifndef SAROVIN_SANITIZED
    // TagLib may hold the file in memory more than once; the libraries' mappings need room of their own.
    limits.addressSpace = 2048 * kMiB + 4 * size;
#endif
    return limits;
}

TagSaveProcess::TagSaveProcess(QString helperPath)
    : helperPath_(std::move(helperPath))
{
}

bool TagSaveProcess::Run(const TagSaveJob& job)
{
    if (running_) return false;
    const TagHelperLimits limits = LimitsFor(QFileInfo(job.original).size(), job.write);
    QProcess process;
    process.setProgram(helperPath_);
    process.setArguments({job.original, job.copy});
    process.setStandardOutputFile(QProcess::nullDevice());
    // What the helper (or a sanitizer) says lands where the program's own
    // errors do, passed on through a pipe: were the helper to write there
    // itself, its file size limit would hold for the program's stderr too
    // when that is a file (a session's log), and one line past the limit
    // would kill it.
    process.setReadChannel(QProcess::StandardError);
    const auto passOn = [&process] {
        const QByteArray said = process.readAllStandardError();
        if (said.isEmpty()) return;
        std::fwrite(said.constData(), 1, size_t(said.size()), stderr);
        std::fflush(stderr);
    };
    process.setChildProcessModifier([limits] {
        // Only async-signal-safe calls between fork and exec.
        SetLimit(RLIMIT_FSIZE, limits.fileSize, limits.fileSize);
        SetLimit(RLIMIT_CPU, limits.cpuSeconds, limits.cpuSeconds + 1);
        SetLimit(RLIMIT_CORE, 0, 0);
        if (limits.addressSpace) SetLimit(RLIMIT_AS, limits.addressSpace, limits.addressSpace);
        // The helper never outlives a player that died.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted()) {
        std::fprintf(stderr, "Sarovin: %s: %s\n", qUtf8Printable(helperPath_), qUtf8Printable(process.errorString()));
        std::fflush(stderr);
        return false;
    }
    process.write(SerializeTagSaveJob(job));
    process.closeWriteChannel();

    running_ = &process;
    cancelled_ = false;
    const std::chrono::milliseconds timeout = timeout_.count() > 0 ? timeout_ : limits.wallClock;
    QElapsedTimer clock;
    clock.start();
    // Short waits and a pump between them: the windows paint and an exit can cancel.
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(10)) {
        passOn();
        Pump();
        if (cancelled_ || clock.elapsed() > timeout.count()) {
            process.kill();
            process.waitForFinished(-1);
        }
    }
    running_ = nullptr;
    passOn();
    return !cancelled_ && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void TagSaveProcess::Cancel()
{
    if (!running_) return;
    cancelled_ = true;
    // Ended here, not at the next turn of Run's loop: the exit goes on without returning there.
    running_->kill();
    running_->waitForFinished(-1);
}

TagSaveProcess& ProgramTagSaveRunner()
{
    static TagSaveProcess runner(QCoreApplication::applicationDirPath() + QStringLiteral("/sarovin-tagsave"));
    return runner;
}
