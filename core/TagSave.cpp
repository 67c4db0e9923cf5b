#include "core/TagSave.h"

#include "core/Id3v1Writer.h"
#include "core/LibrarySync.h"
#include "core/TagReader.h"
#include "core/TagWriter.h"
#include "core/VbHelpers.h"

#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

TagWriter* g_writer = nullptr;
TagSaveStep g_failAt = TagSaveStep::None;

// The seven fields in TagWrite's bit order, as a reload puts them into a record.
using Fields = std::array<QString, 7>;

unsigned YearNumber(const QString& year)
{
    const double v = Val(year);
    return v >= 1 && v < 4294967296.0 ? unsigned(v) : 0;
}

Fields AsReloaded(const QString& title, const QString& artist, const QString& album, const QString& year,
                  const QString& track, const QString& genre, const QString& comment, const QString& path)
{
    return {title.isEmpty() ? FallbackTitle(path) : title, artist, album, year, NumberText(Val(track)),
            LibraryGenre(genre), comment};
}

Fields Read(const TagReading& r, const QString& path)
{
    return AsReloaded(r.Title, r.Artist, r.Album, r.Year, r.Track, r.Genre, r.Comment, path);
}

Fields Edited(const TagInfo& t, const QString& path)
{
    const unsigned year = YearNumber(t.Year);
    return AsReloaded(t.Title, t.Artist, t.Album, year ? QString::number(year) : QString(), t.Track, t.Genre,
                      t.Comment, path);
}

// The formats the program keeps an ID3v1 block in, written by its own writer.
bool HasId3v1Block(const LibraryEntry& entry)
{
    static const QStringList kFormats = {QStringLiteral("MPEG"), QStringLiteral("MONKEY"), QStringLiteral("MPP")};
    return kFormats.contains(entry.Tags.Format);
}

bool CopyFile(const QString& from, QFile& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (to.write(chunk) != chunk.size()) return false;
    return in.error() == QFileDevice::NoError && to.flush();
}

// Makes a rename in the folder survive a power loss.
void SyncFolder(const QString& folder)
{
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Writes into a copy beside the file (same folder, same extension, so the
// copy is read as the same kind of file) and renames it over the file once
// it reads back as edited. Until that rename the file is never opened for
// writing, so a crash or a full disk leaves it as it was.
bool WriteThroughCopy(const LibraryEntry& entry, const TagWrite& write, const Fields& want, int16_t format)
{
    // A link keeps pointing at the file, which is replaced where it lies.
    const QFileInfo info(QFileInfo(entry.FileName).canonicalFilePath());
    const QString target = info.filePath();
    QTemporaryFile copy(info.absolutePath() + QStringLiteral("/.sarovin-tag-XXXXXX.") + info.suffix());
    copy.setAutoRemove(true);
    if (g_failAt == TagSaveStep::Copy || target.isEmpty() || !copy.open() || !CopyFile(target, copy)) return false;
    copy.setPermissions(QFile::permissions(target));

    LibraryEntry scratch = entry;
    scratch.FileName = copy.fileName();
    if (g_failAt == TagSaveStep::Write) return false;
    if (write.fields && !g_writer->Write(scratch.FileName, write)) return false;
    if (HasId3v1Block(entry) && !WriteTagBlock(scratch, MakeID3v1Block(entry.Tags))) return false;

    const TagReading back = CurrentTagReader()->Open(scratch.FileName);
    if (g_failAt == TagSaveStep::Verify || back.Format != format || Read(back, entry.FileName) != want) return false;
    if (fsync(copy.handle()) != 0) return false;
    if (g_failAt == TagSaveStep::Rename ||
        std::rename(QFile::encodeName(scratch.FileName).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    copy.setAutoRemove(false);  // its name is the file's now
    SyncFolder(info.absolutePath());
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

TagSaveResult SaveTags(LibraryEntry& entry)
{
    static const QStringList kFormats = {QStringLiteral("MPEG"), QStringLiteral("WMA"), QStringLiteral("MONKEY"),
                                         QStringLiteral("FLAC"), QStringLiteral("OGG"), QStringLiteral("MPP"),
                                         QStringLiteral("MP4")};
    if (!kFormats.contains(entry.Tags.Format)) return TagSaveResult::FormatNotSupported;
    TagReader* reader = CurrentTagReader();
    if (!reader || !g_writer || entry.FileName.isEmpty()) return TagSaveResult::Failed;
    const TagReading now = reader->Open(entry.FileName);
    if (now.Format <= 0) return TagSaveResult::Failed;

    const Fields want = Edited(entry.Tags, entry.FileName);
    const Fields have = Read(now, entry.FileName);
    const TagInfo& t = entry.Tags;
    TagWrite write{0, t.Title, t.Artist, t.Album, t.Track, t.Genre, t.Comment, YearNumber(t.Year)};
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] != have[i]) write.fields |= 1u << i;
    // Nothing to change in the file: no copy is made.
    if ((write.fields || HasId3v1Block(entry)) && !WriteThroughCopy(entry, write, want, now.Format))
        return TagSaveResult::Failed;
    entry.Actions.remove(QStringLiteral("Tag;"));
    return TagSaveResult::Saved;
}
