#include "core/TagSaveJob.h"

#include "core/Id3v1Writer.h"
#include "core/LibrarySync.h"
#include "core/LibraryTypes.h"
#include "core/VbHelpers.h"

#include <QDataStream>
#include <QFile>
#include <QIODevice>

#include <unistd.h>

namespace {

// Changes whenever the layout below does: the helper beside an older program refuses the job.
constexpr quint32 kJobMagic = 0x53544a31;  // "STJ1"

TagSaveRunner* g_runner = nullptr;

bool CopyInto(const QString& from, const QString& to)
{
    QFile in(from), out(to);
    // The copy must exist already: the helper never creates a file of its own.
    if (!in.open(QIODevice::ReadOnly) ||
        !out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size()) return false;
    return in.error() == QFileDevice::NoError;
}

bool SyncFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && ::fsync(f.handle()) == 0;
}

} // namespace

TagFields ReloadedFields(const TagReading& r, const QString& name)
{
    return {r.Title.isEmpty() ? FallbackTitle(name) : r.Title, r.Artist, r.Album, r.Year, NumberText(Val(r.Track)),
            LibraryGenre(r.Genre), r.Comment};
}

QByteArray SerializeTagSaveJob(const TagSaveJob& job)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kJobMagic << job.original << job.copy << job.name << quint32(job.write.fields) << job.write.title
        << job.write.artist << job.write.album << job.write.track << job.write.genre << job.write.comment
        << quint32(job.write.year);
    for (const QString& field : job.want) out << field;
    out << qint16(job.format) << job.id3v1 << qint32(job.failAt);
    return bytes;
}

std::optional<TagSaveJob> ParseTagSaveJob(const QByteArray& bytes)
{
    QDataStream in(bytes);
    TagSaveJob job;
    quint32 magic = 0, fields = 0, year = 0;
    qint16 format = 0;
    qint32 failAt = 0;
    in >> magic;
    if (magic != kJobMagic) return std::nullopt;
    in >> job.original >> job.copy >> job.name >> fields >> job.write.title >> job.write.artist >> job.write.album >>
        job.write.track >> job.write.genre >> job.write.comment >> year;
    for (QString& field : job.want) in >> field;
    in >> format >> job.id3v1 >> failAt;
    if (in.status() != QDataStream::Ok || !in.atEnd() || failAt < 0 || failAt > int(TagSaveStep::Rename))
        return std::nullopt;
    job.write.fields = fields;
    job.write.year = year;
    job.format = format;
    job.failAt = TagSaveStep(failAt);
    return job;
}

TagJobStatus RunTagSaveJob(const TagSaveJob& job, TagWriter& writer, TagReader& reader, const AudioCheck& audioSame)
{
    if (job.original.isEmpty() || job.copy.isEmpty()) return TagJobStatus::BadJob;
    if (job.failAt == TagSaveStep::Copy || !CopyInto(job.original, job.copy)) return TagJobStatus::CopyFailed;

    LibraryEntry scratch;
    scratch.FileName = job.copy;
    if (job.failAt == TagSaveStep::Write) return TagJobStatus::WriteFailed;
    if (job.write.fields && !writer.Write(job.copy, job.write)) return TagJobStatus::WriteFailed;
    if (!job.id3v1.isEmpty() && !WriteTagBlock(scratch, job.id3v1)) return TagJobStatus::WriteFailed;

    // Read back as a reload would: a writer that stored something else fails here.
    const TagReading back = reader.Open(job.copy);
    if (job.failAt == TagSaveStep::Verify || back.Format != job.format || ReloadedFields(back, job.name) != job.want)
        return TagJobStatus::ReadBackDiffers;
    if (audioSame && !audioSame(job.original, job.copy)) return TagJobStatus::AudioDiffers;
    return SyncFile(job.copy) ? TagJobStatus::Done : TagJobStatus::SyncFailed;
}

void SetTagSaveRunner(TagSaveRunner* runner)
{
    g_runner = runner;
}

TagSaveRunner* CurrentTagSaveRunner()
{
    return g_runner;
}
