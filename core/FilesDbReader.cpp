#include "core/FilesDbReader.h"

#include "core/DbText.h"
#include "core/FilesDbKeys.h"
#include "core/HugePages.h"
#include "core/InternPool.h"
#include "core/Runtime.h"
#include "core/TextLines.h"
#include "core/VbHelpers.h"

#include <QFile>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace dbfile {

namespace {

// "<n>" (opening) or "</n>" (closing) with n written as a plain decimal; -1 otherwise.
int64_t RecordMark(Bytes line, bool closing)
{
    const size_t first = closing ? 2 : 1;
    if (line.size() < first + 2 || line.size() > first + 11) return -1;
    const size_t digits = line.size() - first - 1;
    if (line[0] != '<' || line.back() != '>' || (closing && line[1] != '/')) return -1;
    // A leading zero would not be the plain decimal the writer makes.
    if (digits > 1 && line[first] == '0') return -1;
    int64_t n = 0;
    for (size_t i = first; i < first + digits; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// "</" key ">" at the very end of the line, starting at or after `from`.
bool IsCloseTag(Bytes line, size_t from, Bytes key)
{
    const size_t len = key.size() + 3;
    if (line.size() < from + len) return false;
    const char* tail = line.data() + line.size() - len;
    return tail[0] == '<' && tail[1] == '/' && tail[len - 1] == '>' && Bytes(tail + 2, key.size()) == key;
}

// The key of a tag name; the search starts at `hint`, the key that usually
// comes next, since the writer keeps the keys in order.
int KeyOf(Bytes name, int hint)
{
    for (int i = 0; i < kKeyCount; ++i) {
        const int k = (hint + i) % kKeyCount;
        if (size_t(kKeys[k].size()) == name.size() && KeyBytes(k) == name) return k;
    }
    return -1;
}

// The value of every key in one record, each taken the way GetTagValue takes
// the first occurrence: "<key>" at the start of a line, "</key>" at the end of
// that line or a later one, the lines between joined without a separator.
struct RecordValues {
    std::optional<Bytes> value[kKeyCount];
    std::string joined[kKeyCount]; // backing store of values that spanned lines

    void Scan(const std::vector<Bytes>& lines)
    {
        for (auto& v : value) v.reset();
        bool decided[kKeyCount] = {};
        int next = 0;
        for (size_t li = 0; li < lines.size(); ++li) {
            const Bytes line = lines[li];
            if (line.size() < 3 || line[0] != '<') continue;
            const size_t gt = line.find('>', 1);
            if (gt == Bytes::npos || gt < 2) continue;
            const int k = KeyOf(line.substr(1, gt - 1), next);
            if (k < 0 || decided[k]) continue;
            next = k + 1;
            decided[k] = true;
            const Bytes key = KeyBytes(k);
            const size_t start = gt + 1;
            if (IsCloseTag(line, start, key)) {
                value[k] = line.substr(start, line.size() - start - (key.size() + 3));
                continue;
            }
            for (size_t lj = li + 1; lj < lines.size(); ++lj) {
                if (!IsCloseTag(lines[lj], 0, key)) continue;
                std::string& text = joined[k];
                text.assign(line.substr(start));
                for (size_t m = li + 1; m < lj; ++m) text += lines[m];
                text += lines[lj].substr(0, lines[lj].size() - (key.size() + 3));
                value[k] = Bytes(text);
                break;
            }
        }
    }
};

// Plain decimal digits are the common case and need no conversion through text.
std::optional<double> ParseNumber(Bytes text)
{
    const size_t n = text.size();
    if (n > 0 && n <= 12) {
        size_t i = text[0] == '-' ? 1 : 0;
        if (i < n) {
            int64_t v = 0;
            for (; i < n; ++i) {
                const char c = text[i];
                if (c < '0' || c > '9') break;
                v = v * 10 + (c - '0');
            }
            if (i == n) return double(text[0] == '-' ? -v : v);
        }
    }
    return ParseDbNumber(Decode(text));
}

// A whole number of the field's width; anything that is not a number, or does
// not fit the field, reads as 0 and loading goes on.
template <typename Int>
Int WholeNumber(const std::optional<Bytes>& text)
{
    if (!text) return 0;
    const std::optional<double> v = ParseNumber(*text);
    if (!v) return 0;
    const double r = RoundHalfEven(*v);
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max())) return 0;
    return Int(r);
}

struct Pools {
    InternPool actions, album, artist, comment, format, genre, track, year, tagVer, playTime;
    LastValue addTime;
};

void FillEntry(LibraryEntry& e, const RecordValues& v, Pools& pools)
{
    auto text = [&](int k) { return v.value[k] ? Decode(*v.value[k]) : QString(); };
    auto shared = [&](int k, InternPool& pool) { return v.value[k] ? pool.Get(*v.value[k]) : QString(); };
    // The two large pools first: see InternPool::Prefetch.
    const Bytes album = v.value[kAlbum].value_or(Bytes());
    const Bytes artist = v.value[kArtist].value_or(Bytes());
    const size_t albumHash = pools.album.Prefetch(album);
    const size_t artistHash = pools.artist.Prefetch(artist);

    e.Actions = shared(kActions, pools.actions);
    // An empty date reads as nothing, as it would after the next save.
    if (v.value[kAddTime] && !v.value[kAddTime]->empty()) e.AddTime = pools.addTime.Get(*v.value[kAddTime]);
    e.FileName = text(kFileName);
    e.newPath = text(kNewPath);
    e.PlayCNT = WholeNumber<int32_t>(v.value[kPlayCNT]);
    if (v.value[kPlayTime] && !v.value[kPlayTime]->empty()) {
        // "(noch nie)" is shared; the times of plays are nearly all different.
        const Bytes played = *v.value[kPlayTime];
        e.PlayTime = played[0] >= '0' && played[0] <= '9' ? Decode(played) : pools.playTime.Get(played);
    }
    e.Rating = WholeNumber<int16_t>(v.value[kRating]);
    if (v.value[kSizeInMB]) e.SizeInMB = ParseNumber(*v.value[kSizeInMB]).value_or(0.0);
    e.Tags.Album = pools.album.Get(album, albumHash);
    e.Tags.Artist = pools.artist.Get(artist, artistHash);
    e.Tags.Bitrate = WholeNumber<int16_t>(v.value[kBitrate]);
    e.Tags.Comment = shared(kComment, pools.comment);
    e.Tags.Format = shared(kFormat, pools.format);
    e.Tags.Genre = shared(kGenre, pools.genre);
    e.Tags.Lenght = WholeNumber<int32_t>(v.value[kLenght]);
    e.Tags.Title = text(kTitle);
    e.Tags.Track = shared(kTrack, pools.track);
    e.Tags.Year = shared(kYear, pools.year);
    e.TagVer = shared(kTagVer, pools.tagVer);
}

} // namespace

FilesDbResult ReadFilesDb(Bytes text)
{
    FilesDbResult result;
    Pools pools;
    std::vector<Bytes> lines;
    RecordValues values;
    int64_t n = 1;
    bool inside = false;

    // Room for more records than a file of this size holds in practice; the
    // rest is given back below without touching it.
    result.records.reserve(qsizetype(text.size() / 256 + 1));
    AskForHugePages(result.records.data(), size_t(result.records.capacity()) * sizeof(LibraryEntry));
    ByteLines reader(text);
    Bytes line;
    while (reader.Next(line)) {
        if (!line.empty() && line[0] == '<') {
            const int64_t open = RecordMark(line, false);
            if (open == n) {
                if (inside) { result.end = ReadEnd::FormatError; break; }
                inside = true;
                lines.clear();
                continue;
            }
            if (RecordMark(line, true) == n) {
                if (!inside) { result.end = ReadEnd::FormatError; break; }
                values.Scan(lines);
                FillEntry(result.records.emplace_back(), values, pools);
                ++n;
                inside = false;
                continue;
            }
            // A record of another number outside a record: a gap in the
            // numbering, so it and what follows it is not read.
            if (!inside && open >= 0) result.end = ReadEnd::Lossy;
        }
        if (inside) lines.push_back(line);
    }
    if (inside && result.end == ReadEnd::Complete) result.end = ReadEnd::Lossy;
    if (result.end == ReadEnd::Complete && result.records.isEmpty() && !text.empty()) result.end = ReadEnd::Lossy;
    result.records.squeeze();
    return result;
}

void KeepBadCopy(const QString& path)
{
    for (int i = 0; i < 10000; ++i) {
        const QString target = path + QStringLiteral(".bad") + (i ? u'.' + QString::number(i) : QString());
        if (QFile::exists(target)) continue;
        if (!QFile::copy(path, target))
            std::fprintf(stderr, "Sarovin: %s could not be copied to %s\n", qPrintable(path), qPrintable(target));
        return;
    }
}

QVector<int32_t> ReadPlayingDb(const LibraryDatabase& store)
{
    QFile file(DataFile(kPlayingDb));
    QVector<int32_t> items;
    if (!file.open(QIODevice::ReadOnly)) return {-1};
    const QString text = QString::fromUtf8(file.readAll()).remove(u'\r').remove(u'\n');
    const qsizetype count = store.Files.size();
    for (QStringView part : QStringView(text).split(u';')) {
        bool ok = false;
        const qlonglong index = part.toLongLong(&ok);
        if (!ok) continue;
        // Only -1 and indices of real records: the rest of the program relies on it.
        if (index == -1 || (index >= 0 && index < count && !store.Files[index].FileName.isEmpty()))
            items.append(int32_t(index));
    }
    if (items.isEmpty()) items.append(-1);
    return items;
}

} // namespace dbfile
