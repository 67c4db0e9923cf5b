#include "core/TagSave.h"

#include "core/Busy.h"
#include "core/Id3v1Writer.h"
#include "core/VbHelpers.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>

namespace {

TagWriter* g_writer = nullptr;
TagSaveStep g_failAt = TagSaveStep::None;

// The save waiting for its runner: its copy, which the player owns.
struct RunningSave {
    QString copy;
    bool cancelled = false;
};
RunningSave* g_running = nullptr;

unsigned YearNumber(const QString& year)
{
    const double v = Val(year);
    return v >= 1 && v < 4294967296.0 ? unsigned(v) : 0;
}

TagFields Edited(const TagInfo& t, const QString& path)
{
    const unsigned year = YearNumber(t.Year);
    return ReloadedFields({.Album = t.Album, .Artist = t.Artist, .Comment = t.Comment, .Genre = t.Genre,
                           .Title = t.Title, .Year = year ? QString::number(year) : QString(), .Track = t.Track},
                          path);
}

// The track compares by its number ("3/12" stays when the track reads 3),
// unless the edit carries a total of its own: then it must be the file's.
bool TotalDiffers(const QString& typed, const QString& stored)
{
    const QString total = typed.section(u'/', 1, 1).trimmed();
    return !total.isEmpty() && Val(total) != Val(stored.section(u'/', 1, 1));
}

// The formats the program keeps an ID3v1 block in, written by its own writer.
bool HasId3v1Block(const LibraryEntry& entry)
{
    static const QStringList kFormats = {QStringLiteral("MPEG"), QStringLiteral("MONKEY"), QStringLiteral("MPP")};
    return kFormats.contains(entry.Tags.Format);
}

// The mode bits as they stand (Qt's permissions mix in what the current user
// may do, which for root is everything).
bool CopyMode(const QString& from, const QString& to)
{
    struct stat st {};
    return ::stat(QFile::encodeName(from).constData(), &st) == 0 &&
           ::chmod(QFile::encodeName(to).constData(), st.st_mode & 07777) == 0;
}

// Without an installed runner: the job in this process, without the audio check.
class InProcessRunner : public TagSaveRunner {
public:
    bool Run(const TagSaveJob& job) override
    {
        TagReader* reader = CurrentTagReader();
        return g_writer && reader && RunTagSaveJob(job, *g_writer, *reader, {}) == TagJobStatus::Done;
    }
    void Cancel() override {}
};

// An empty file beside the target for the runner to fill. It gets the
// target's permissions only once it is filled: the helper opens it by name,
// which a read-only mode would refuse.
QString MakeCopyName(const QFileInfo& target)
{
    QTemporaryFile copy(target.absolutePath() + QStringLiteral("/.sarovin-tag-XXXXXX.") + target.suffix());
    if (!copy.open()) return {};
    copy.setAutoRemove(false);
    return copy.fileName();
}

// The runner fills the copy (same folder, same extension, so it is read as the
// same kind of file); the copy is renamed over the file only once the runner
// succeeded. The file is never opened for writing, so a crash, a full disk or
// a damaged file leaves it as it was.
bool WriteThroughCopy(TagSaveJob job)
{
    // A link keeps pointing at the file, which is replaced where it lies.
    const QFileInfo info(QFileInfo(job.name).canonicalFilePath());
    job.original = info.filePath();
    if (job.original.isEmpty()) return false;
    RunningSave running{MakeCopyName(info)};
    if (running.copy.isEmpty()) return false;
    job.copy = running.copy;
    job.failAt = g_failAt;

    static InProcessRunner inProcess;
    TagSaveRunner* runner = CurrentTagSaveRunner() ? CurrentTagSaveRunner() : &inProcess;
    BusyGuard busy;  // no synchronisation renumbers the library meanwhile
    g_running = &running;
    const bool done = runner->Run(job);
    g_running = nullptr;
    if (running.cancelled) return false;  // the copy went with the cancel
    if (!done || g_failAt == TagSaveStep::Rename || !CopyMode(job.original, running.copy) ||
        std::rename(QFile::encodeName(running.copy).constData(), QFile::encodeName(job.original).constData()) != 0) {
        QFile::remove(running.copy);
        return false;
    }
    // The tags are in the file now, but a power loss could still undo the
    // rename: the edit stays marked, and the next save finds the file as
    // edited and only takes the mark away.
    if (const int error = SyncFolderOf(job.original)) {
        std::fprintf(stderr, "Sarovin: %s: Tags geschrieben, Ordner nicht gesichert (%s); die Änderung bleibt markiert.\n",
                     qUtf8Printable(QDir::toNativeSeparators(job.original)),
                     qUtf8Printable(SystemErrorText(error)));
        std::fflush(stderr);
        return false;
    }
    return true;
}

} // namespace

void SetTagWriter(TagWriter* writer)
{
    g_writer = writer;
}

TagWriter* CurrentTagWriter()
{
    return g_writer;
}

void SetTagSaveFailure(TagSaveStep step)
{
    g_failAt = step;
}

bool TagSaveRunning()
{
    return g_running && !g_running->cancelled;
}

void CancelTagSave()
{
    if (!TagSaveRunning()) return;
    g_running->cancelled = true;
    if (TagSaveRunner* runner = CurrentTagSaveRunner()) runner->Cancel();
    QFile::remove(g_running->copy);
}

TagSaveResult SaveTags(LibraryEntry& entry)
{
    static const QStringList kFormats = {QStringLiteral("MPEG"), QStringLiteral("WMA"), QStringLiteral("MONKEY"),
                                         QStringLiteral("FLAC"), QStringLiteral("OGG"), QStringLiteral("MPP"),
                                         QStringLiteral("MP4")};
    if (!kFormats.contains(entry.Tags.Format)) return TagSaveResult::FormatNotSupported;
    TagReader* reader = CurrentTagReader();
    // One save at a time: the copy is the one the exit removes.
    if (!reader || entry.FileName.isEmpty() || TagSaveRunning()) return TagSaveResult::Failed;
    const TagReading now = reader->Open(entry.FileName);
    if (now.Format <= 0) return TagSaveResult::Failed;

    TagSaveJob job;
    job.name = entry.FileName;
    job.want = Edited(entry.Tags, entry.FileName);
    job.format = now.Format;
    const TagFields have = ReloadedFields(now, entry.FileName);
    const TagInfo& t = entry.Tags;
    job.write = {0, t.Title, t.Artist, t.Album, t.Track, t.Genre, t.Comment, YearNumber(t.Year)};
    for (size_t i = 0; i < job.want.size(); ++i)
        if (job.want[i] != have[i]) job.write.fields |= 1u << i;
    if (TotalDiffers(t.Track, now.Track)) job.write.fields |= TagWrite::Track;
    if (HasId3v1Block(entry)) job.id3v1 = MakeID3v1Block(entry.Tags);
    // Nothing to change in the file: no copy is made.
    if ((job.write.fields || !job.id3v1.isEmpty()) && !WriteThroughCopy(job)) return TagSaveResult::Failed;
    entry.Actions.remove(QStringLiteral("Tag;"));
    return TagSaveResult::Saved;
}
