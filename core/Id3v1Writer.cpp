#include "core/Id3v1Writer.h"

#include "core/Genres.h"

#include <QFile>

namespace {

constexpr qint64 kBlockSize = 128;
bool g_failWrites = false;

// Latin-1, one "?" per character outside it (a surrogate pair is one
// character), cut to `size` bytes and padded with blanks.
QByteArray Field(const QString& text, int size)
{
    QByteArray out;
    out.reserve(size);
    for (qsizetype i = 0; i < text.size() && out.size() < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        out += c.unicode() <= 0xFF ? char(c.unicode()) : '?';
    }
    out.append(size - out.size(), ' ');
    return out;
}

} // namespace

QByteArray MakeID3v1Block(const TagInfo& tags)
{
    const int genre = GetGenreNumber(tags.Genre);
    QByteArray block("TAG");
    block += Field(tags.Title, 30);
    block += Field(tags.Artist, 30);
    block += Field(tags.Album, 30);
    block += Field(tags.Year, 4);
    block += Field(tags.Comment, 30);
    block += char(genre >= 0 && genre <= 254 ? genre : 255);
    return block;
}

bool WriteTagBlock(const LibraryEntry& entry, const QByteArray& block)
{
    if (block.size() != kBlockSize || entry.FileName.isEmpty()) return false;
    // Written in place: the tag save hands over its copy of the file, which
    // replaces the file only once it reads back right. ExistingOnly, because
    // a tag is no reason to create a file.
    QFile file(entry.FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) return false;
    const qint64 size = file.size();
    if (size < kBlockSize || !file.seek(size - kBlockSize)) return false;
    const QByteArray old = file.read(kBlockSize);
    if (old.size() != kBlockSize) return false;
    const bool replace = old.startsWith("TAG");
    const qint64 at = replace ? size - kBlockSize : size;
    if (!file.seek(at)) return false;
    if (!g_failWrites && file.write(block) == kBlockSize) return true;
    // Never leave half a block behind.
    if (replace) {
        if (file.seek(at)) file.write(old);
    } else {
        file.resize(size);
    }
    return false;
}

void SetTagWriteFailure(bool fail)
{
    g_failWrites = fail;
}
