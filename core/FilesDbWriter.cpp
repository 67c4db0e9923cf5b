// Writing the library files: Files.db and Playing.db, each whole or not at all.
#include "core/LibraryDatabase.h"

#include "core/DbText.h"
#include "core/FilesDbKeys.h"
#include "core/PeriodicSave.h"
#include "core/Runtime.h"
#include "core/UiServices.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QStringEncoder>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

using namespace dbfile;

namespace {

std::function<bool(const QString&)>& WriteCheck()
{
    static std::function<bool(const QString&)> check;
    return check;
}

// Where the bytes go, a buffer at a time; false when they did not all arrive.
using ByteSink = std::function<bool(QByteArrayView)>;

// Writes a file's UTF-8 bytes without a text form in between, through a
// buffer small enough to stay in cache.
class Utf8Writer {
public:
    explicit Utf8Writer(ByteSink sink) : sink_(std::move(sink)) { buf_.resize(kChunk); }

    void Ascii(std::string_view text)
    {
        char* p = Room(qsizetype(text.size()));
        std::memcpy(p, text.data(), text.size());
        used_ += qsizetype(text.size());
    }

    void Number(qint64 value)
    {
        char* p = Room(24);
        used_ += std::to_chars(p, p + 24, value).ptr - p;
    }

    // Line breaks become blanks so a value can never end its record early.
    void Value(QStringView text)
    {
        char* const start = Room(3 * text.size());
        char* p = start;
        const char16_t* in = text.utf16();
        const qsizetype n = text.size();
        // Most values are plain ASCII without line breaks: two simple loops
        // the compiler turns into vector code.
        unsigned special = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const unsigned c = in[i];
            special |= unsigned(c >= 0x80) | unsigned(c == '\r') | unsigned(c == '\n');
        }
        if (!special) {
            for (qsizetype i = 0; i < n; ++i) p[i] = char(in[i]);
            used_ += n;
            return;
        }
        for (qsizetype i = 0; i < n;) {
            const char16_t c = in[i];
            if (c < 0x80) {
                *p++ = c == u'\r' || c == u'\n' ? ' ' : char(c);
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < n && in[j] >= 0x80) ++j;
            QStringEncoder encoder(QStringConverter::Utf8);
            p = encoder.appendToBuffer(p, text.sliced(i, j - i));
            i = j;
        }
        used_ += p - start;
    }

    // True when every byte reached the file.
    bool Finish()
    {
        Flush();
        return ok_;
    }

private:
    static constexpr qsizetype kChunk = 1 << 20;

    char* Room(qsizetype n)
    {
        if (used_ + n > buf_.size()) {
            Flush();
            if (n > buf_.size()) buf_.resize(n);
        }
        return buf_.data() + used_;
    }

    void Flush()
    {
        if (used_ && ok_) ok_ = sink_(QByteArrayView(buf_.constData(), used_));
        used_ = 0;
    }

    ByteSink sink_;
    QByteArray buf_;
    qsizetype used_ = 0;
    bool ok_ = true;
};

void WriteField(Utf8Writer& out, int k, QStringView value)
{
    if (value.isEmpty()) return;
    const std::string_view key = KeyBytes(k);
    out.Ascii("<");
    out.Ascii(key);
    out.Ascii(">");
    out.Value(value);
    out.Ascii("</");
    out.Ascii(key);
    out.Ascii(">\r\n");
}

void WriteNumber(Utf8Writer& out, int k, qint64 value)
{
    if (value == 0) return;
    const std::string_view key = KeyBytes(k);
    out.Ascii("<");
    out.Ascii(key);
    out.Ascii(">");
    out.Number(value);
    out.Ascii("</");
    out.Ascii(key);
    out.Ascii(">\r\n");
}

// AddTime and PlayTime have no line when they hold nothing, "" or 0.
void WriteDate(Utf8Writer& out, int k, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return;
    if (value.typeId() == QMetaType::QString) return WriteField(out, k, *static_cast<const QString*>(value.constData()));
    bool numeric = false;
    if (value.toDouble(&numeric) == 0 && numeric) return;
    WriteField(out, k, DbValueText(value));
}

void WriteFilesDbRange(Utf8Writer& out, const LibraryDatabase& store, qsizetype from, qsizetype to)
{
    qint64 n = from;
    for (qsizetype i = from; i < to; ++i) {
        const LibraryEntry& e = store.Files[i];
        ++n;
        out.Ascii("<");
        out.Number(n);
        out.Ascii(">\r\n");
        WriteField(out, kActions, e.Actions);
        WriteDate(out, kAddTime, e.AddTime);
        WriteField(out, kFileName, e.FileName);
        WriteField(out, kNewPath, e.newPath);
        WriteNumber(out, kPlayCNT, e.PlayCNT);
        WriteDate(out, kPlayTime, e.PlayTime);
        WriteNumber(out, kRating, e.Rating);
        if (e.SizeInMB != 0) WriteField(out, kSizeInMB, FormatDbNumber(e.SizeInMB));
        WriteField(out, kAlbum, e.Tags.Album);
        WriteField(out, kArtist, e.Tags.Artist);
        WriteNumber(out, kBitrate, e.Tags.Bitrate);
        WriteField(out, kComment, e.Tags.Comment);
        WriteField(out, kFormat, e.Tags.Format);
        WriteField(out, kGenre, e.Tags.Genre);
        WriteNumber(out, kLenght, e.Tags.Lenght);
        WriteField(out, kTitle, e.Tags.Title);
        WriteField(out, kTrack, e.Tags.Track);
        WriteField(out, kYear, e.Tags.Year);
        WriteField(out, kTagVer, e.TagVer);
        out.Ascii("</");
        out.Number(n);
        out.Ascii(">\r\n");
    }
}

void WriteFilesDb(Utf8Writer& out, const LibraryDatabase& store)
{
    WriteFilesDbRange(out, store, 0, store.Files.size());
}

void WritePlayingDb(Utf8Writer& out, const LibraryDatabase& store)
{
    const QVector<ListEntry>& entries = store.ListSets[PlayingQueue].Entries;
    bool first = true;
    if (!entries.isEmpty()) {
        for (int32_t item : entries[0].Items) {
            if (!first) out.Ascii(";");
            out.Number(item);
            first = false;
        }
    }
    if (first) out.Ascii("-1");
    out.Ascii("\r\n");
}

// A write the test seam fails the way a full disk would.
bool RefusedByCheck(const QString& path)
{
    return WriteCheck() && !WriteCheck()(path);
}

// Whole file or nothing: the old file stays until the new one is complete.
// "" on success, else the reason; *replaced tells whether the new file is in
// place all the same (only its folder's sync failed).
QString WriteWhole(const QString& path, void (*write)(Utf8Writer&, const LibraryDatabase&), const LibraryDatabase& store,
                   bool* replaced)
{
    WholeFile file(path);
    Utf8Writer out([&file](QByteArrayView bytes) { return file.Write(bytes); });
    write(out, store);
    if (out.Finish() && RefusedByCheck(path)) file.Abandon(ENOSPC);
    file.Commit();
    *replaced = file.Replaced();
    return file.Error();
}

// The bytes a writer makes, in memory.
QByteArray BytesOf(const std::function<void(Utf8Writer&)>& write)
{
    QByteArray bytes;
    Utf8Writer out([&bytes](QByteArrayView piece) {
        bytes.append(piece);
        return true;
    });
    write(out);
    out.Finish();
    return bytes;
}

} // namespace

QByteArray FilesDbRecordBytes(const LibraryDatabase& store, qsizetype from, qsizetype to)
{
    return BytesOf([&](Utf8Writer& out) { WriteFilesDbRange(out, store, from, to); });
}

QByteArray PlayingDbBytes(const LibraryDatabase& store)
{
    return BytesOf([&](Utf8Writer& out) { WritePlayingDb(out, store); });
}

QString WriteFileChunks(const QString& path, const QByteArrayList& chunks, bool* replaced)
{
    WholeFile file(path);
    for (const QByteArray& chunk : chunks)
        if (!file.Write(chunk)) break;
    if (file.Error().isEmpty() && RefusedByCheck(path)) file.Abandon(ENOSPC);
    file.Commit();
    if (replaced) *replaced = file.Replaced();
    return file.Error();
}

SaveFailures WriteDatabase(const LibraryDatabase& store)
{
    WaitForPeriodicWrite();
    const bool mine = &store == &Library;
    SaveFailures failures;
    bool replaced = false;
    const QString filesPath = DataFile(kFilesDb);
    if (QString reason = WriteWhole(filesPath, WriteFilesDb, store, &replaced); !reason.isEmpty()) {
        failures << SaveFailure{filesPath, reason};
        // The queue's indices belong to the records: with the old records kept,
        // the old queue is kept too; new records in place take the new queue.
        if (!replaced) return failures;
    } else if (mine) {
        NoteFilesSaved(SavedFilesDb);
    }
    const QString playingPath = DataFile(kPlayingDb);
    if (QString reason = WriteWhole(playingPath, WritePlayingDb, store, &replaced); !reason.isEmpty())
        failures << SaveFailure{playingPath, reason};
    else if (mine)
        NoteFilesSaved(SavedPlayingDb);
    return failures;
}

bool SaveDatabase(LibraryDatabase& store)
{
    const SaveFailures failed = WriteDatabase(store);
    ReportSaveFailures(failed);
    return failed.isEmpty();
}

QString SaveFailedText(const QString& path, const QString& reason)
{
    QString text = QStringLiteral("Die Datei ") + QDir::toNativeSeparators(path) +
                   QStringLiteral(" konnte nicht gespeichert werden. Die bisherige Datei bleibt erhalten.");
    if (!reason.isEmpty()) text += QStringLiteral("\nGrund: ") + reason;
    return text;
}

void TellSaveFailureOnStderr(const SaveFailure& failure)
{
    const QString text = SaveFailedText(failure.path, failure.reason).replace(u'\n', u' ');
    std::fprintf(stderr, "Sarovin: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

void ReportSaveFailures(const SaveFailures& failures)
{
    for (const SaveFailure& f : failures) MsgBox(SaveFailedText(f.path, f.reason), 16, QStringLiteral("Sarovin"));
}

void SetDatabaseWriteCheck(std::function<bool(const QString& path)> check)
{
    WriteCheck() = std::move(check);
}
