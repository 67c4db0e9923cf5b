#include "core/LibraryDatabase.h"

#include "core/DbText.h"
#include "core/Runtime.h"
#include "core/UiServices.h"
#include "core/VbHelpers.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include <sys/mman.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The keys of Files.db in the order they are written.
enum Key : int {
    kActions, kAddTime, kFileName, kNewPath, kPlayCNT, kPlayTime, kRating, kSizeInMB,
    kAlbum, kArtist, kBitrate, kComment, kFormat, kGenre, kLenght, kTitle, kTrack, kYear,
    kTagVer, kKeyCount
};

constexpr QLatin1StringView kKeys[kKeyCount] = {
    QLatin1StringView("Actions"), QLatin1StringView("AddTime"), QLatin1StringView("FileName"),
    QLatin1StringView("newPath"), QLatin1StringView("PlayCNT"), QLatin1StringView("PlayTime"),
    QLatin1StringView("Rating"), QLatin1StringView("SizeInMB"), QLatin1StringView("Tags.Album"),
    QLatin1StringView("Tags.Artist"), QLatin1StringView("Tags.Bitrate"), QLatin1StringView("Tags.Comment"),
    QLatin1StringView("Tags.Format"), QLatin1StringView("Tags.Genre"), QLatin1StringView("Tags.Lenght"),
    QLatin1StringView("Tags.Title"), QLatin1StringView("Tags.Track"), QLatin1StringView("Tags.Year"),
    QLatin1StringView("TagVer"),
};

const QString kFilesDb = QStringLiteral("Files.db");
const QString kPlayingDb = QStringLiteral("Playing.db");

std::function<bool(const QString&)>& WriteCheck()
{
    static std::function<bool(const QString&)> check;
    return check;
}

// ---------------------------------------------------------------- lines

// The lines of a text: CR LF, a lone LF and a lone CR all end a line, so no
// value read from the file ever holds a line break. A final line end does not
// start another line. (GetTagValue's form; the loader reads bytes, below.)
class LineReader {
public:
    explicit LineReader(QStringView text) : text_(text) {}

    bool Next(QStringView& line)
    {
        const qsizetype size = text_.size();
        if (pos_ >= size) return false;
        const QChar* data = text_.data();
        qsizetype end = pos_;
        while (end < size && data[end] != u'\n' && data[end] != u'\r') ++end;
        line = text_.sliced(pos_, end - pos_);
        pos_ = end;
        if (pos_ < size) {
            if (data[pos_] == u'\r' && pos_ + 1 < size && data[pos_ + 1] == u'\n') ++pos_;
            ++pos_;
        }
        return true;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

// The loader works on the UTF-8 bytes of Files.db and decodes only the values
// it keeps: line ends and tags are ASCII, so they never occur inside the bytes
// of another character.
using Bytes = std::string_view;

class ByteLines {
public:
    explicit ByteLines(Bytes text) : text_(text) {}

    bool Next(Bytes& line)
    {
        if (pos_ >= text_.size()) return false;
        const char* base = text_.data() + pos_;
        const size_t rest = text_.size() - pos_;
        const size_t len = LineLength(base, rest);
        size_t step = len;
        if (len < rest) step += base[len] == '\r' && len + 1 < rest && base[len + 1] == '\n' ? 2 : 1;
        pos_ += step;
        line = Bytes(base, len);
        return true;
    }

private:
    // Bytes before the first CR or LF.
    static size_t LineLength(const char* p, size_t n)
    {
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
            if (mask) return i + size_t(__builtin_ctz(unsigned(mask)));
        }
#endif
        for (; i < n; ++i)
            if (p[i] == '\r' || p[i] == '\n') return i;
        return n;
    }

    Bytes text_;
    size_t pos_ = 0;
};

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

Bytes KeyBytes(int k)
{
    return Bytes(kKeys[k].data(), size_t(kKeys[k].size()));
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

QString Decode(Bytes bytes)
{
    // Most values are plain ASCII, which Latin-1 decodes the same and faster.
    for (const char c : bytes) {
        if (uchar(c) < 0x80) continue;
        // A value may start with a byte order mark (titles from UTF-16 tags
        // do); it is part of the text and must survive the next save.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// ---------------------------------------------------------------- record values

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

// Repeated texts share one copy across the library, so a loaded title costs
// little memory, and a repeated text is decoded only once. One small pool per
// field keeps each table short and in cache.
class InternPool {
public:
    static size_t Hash(Bytes bytes) { return std::hash<Bytes>()(bytes); }

    QString Get(Bytes bytes)
    {
        if (bytes.empty()) return QString();
        // Titles of one album usually follow each other.
        if (last_ < slots_.size() && slots_[last_].Holds(bytes)) return slots_[last_].value;
        return Find(bytes, Hash(bytes));
    }

    // With the hash of the bytes already known (from Prefetch).
    QString Get(Bytes bytes, size_t hash)
    {
        if (bytes.empty()) return QString();
        if (last_ < slots_.size() && slots_[last_].Holds(bytes)) return slots_[last_].value;
        return Find(bytes, hash);
    }

    // Starts loading the slot a coming Get of these bytes reads: in a pool of
    // thousands of names it is rarely in cache, and it can arrive while the
    // record's other fields are decoded. Gives the hash for that Get.
    size_t Prefetch(Bytes bytes)
    {
        const size_t hash = Hash(bytes);
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
        return hash;
    }

private:
    // The text is compared with the bytes directly, without a copy of them:
    // its characters are read anyway when it is shared.
    struct Slot {
        size_t hash = 0;
        qsizetype bytes = 0;  // length of the UTF-8 form; 0 marks a free slot
        QString value;
        // The bytes themselves where the text cannot stand for them: several
        // undecodable bytes all read as U+FFFD.
        std::unique_ptr<std::string> raw;

        bool Holds(Bytes b) const
        {
            if (qsizetype(b.size()) != bytes) return false;
            if (raw) return *raw == b;
            // One character per byte and nothing undecodable: ASCII.
            if (value.size() == bytes) {
                const auto* c = reinterpret_cast<const char16_t*>(value.constData());
                for (size_t i = 0; i < b.size(); ++i)
                    if (c[i] != char16_t(uchar(b[i]))) return false;
                return true;
            }
            return QtPrivate::equalStrings(value, QUtf8StringView(b.data(), qsizetype(b.size())));
        }
    };

    QString Find(Bytes bytes, size_t hash)
    {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.bytes == 0) {
                slot = Slot{hash, qsizetype(bytes.size()), Decode(bytes), nullptr};
                if (slot.value.contains(QChar::ReplacementCharacter)) slot.raw = std::make_unique<std::string>(bytes);
                ++count_;
                last_ = i;
                return slot.value;
            }
            if (slot.hash == hash && slot.Holds(bytes)) {
                last_ = i;
                return slot.value;
            }
        }
    }

    void Grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (Slot& s : old) {
            if (s.bytes == 0) continue;
            size_t i = s.hash & mask;
            while (slots_[i].bytes != 0) i = (i + 1) & mask;
            slots_[i] = std::move(s);
        }
        last_ = slots_.size();
    }

    // Open addressing over a flat array: a lookup touches few cache lines
    // where a node-based map chases several pointers.
    std::vector<Slot> slots_;
    size_t count_ = 0;
    size_t last_ = 0;
};

// The same text as the record before shares its copy: the titles of one
// synchronisation carry the same few times of adding.
class LastValue {
public:
    QString Get(Bytes bytes)
    {
        if (bytes.empty()) return QString();
        if (bytes != last_) {
            last_.assign(bytes);
            text_ = Decode(bytes);
        }
        return text_;
    }

private:
    std::string last_;
    QString text_;
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

// ---------------------------------------------------------------- loading

// The records of a large library fill tens of megabytes that are touched
// once, in order: in huge pages that is a few hundred page faults instead of
// thousands. Only a hint; where the system has none nothing changes.
void AskForHugePages(void* data, size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHuge = 2 << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

enum class ReadEnd { Complete, FormatError, Lossy };

struct FilesDbResult {
    QVector<LibraryEntry> records;
    ReadEnd end = ReadEnd::Complete;
};

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

// Keeps the file that did not load whole under a new name before a save can
// replace it: Files.db.bad, then Files.db.bad.1, ...; never over an older copy.
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

// ---------------------------------------------------------------- saving

// Writes a file's UTF-8 bytes without a text form in between, through a
// buffer small enough to stay in cache.
class Utf8Writer {
public:
    explicit Utf8Writer(QIODevice& sink) : sink_(sink) { buf_.resize(kChunk); }

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
        if (used_ && ok_) ok_ = sink_.write(buf_.constData(), used_) == used_;
        used_ = 0;
    }

    QIODevice& sink_;
    QByteArray buf_;
    qsizetype used_ = 0;
    bool ok_ = true;
};

void WriteField(Utf8Writer& out, int k, QStringView value)
{
    if (value.isEmpty()) return;
    const std::string_view key(kKeys[k].data(), size_t(kKeys[k].size()));
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
    const std::string_view key(kKeys[k].data(), size_t(kKeys[k].size()));
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

void WriteFilesDb(Utf8Writer& out, const LibraryDatabase& store)
{
    qint64 n = 0;
    for (const LibraryEntry& e : store.Files) {
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

// Whole file or nothing: the old file stays until the new one is complete.
bool WriteWhole(const QString& path, void (*write)(Utf8Writer&, const LibraryDatabase&), const LibraryDatabase& store)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    Utf8Writer out(file);
    write(out, store);
    if (!out.Finish() || (WriteCheck() && !WriteCheck()(path))) file.cancelWriting();
    return file.commit();
}

} // namespace

// ---------------------------------------------------------------- interface

void InitAudioDatabase()
{
    // FileTypes is a constant table, filled when the program is loaded.
    ResetDatabase(Library);
}

void ResetDatabase(LibraryDatabase& store)
{
    store.Files = QVector<LibraryEntry>(1);
    ClearListSets(store);
}

void LoadDatabase(LibraryDatabase& store)
{
    const QString path = DataFile(kFilesDb);
    FilesDbResult result;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            BuildListSets(store);
            return;
        }
        // Read, not mapped: another program shortening the file while it is
        // mapped would kill us with SIGBUS. In huge pages the read costs no
        // more than the mapping.
        const qint64 size = file.size();
        QByteArray bytes;
        qint64 got = 0;
        if (size > 0) {
            bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
            AskForHugePages(bytes.data(), size_t(size));
            got = std::max<qint64>(0, file.read(bytes.data(), size));
            bytes.truncate(qsizetype(got));
        }
        result = ReadFilesDb(Bytes(bytes.constData(), size_t(bytes.size())));
        // A read error leaves part of the library unread: keep the file aside
        // before the next save can replace it with what was read.
        if (got != size && result.end == ReadEnd::Complete) result.end = ReadEnd::Lossy;
    }
    if (result.end != ReadEnd::Complete) KeepBadCopy(path);
    if (!result.records.isEmpty()) store.Files = std::move(result.records);
    BuildListSets(store);
    // After a format error the queue stays empty: its indices may name records that were not read.
    if (result.end == ReadEnd::FormatError) return;
    store.ListSets[PlayingQueue].Entries[0].Items = ReadPlayingDb(store);
}

QStringList WriteDatabase(const LibraryDatabase& store)
{
    const QString filesPath = DataFile(kFilesDb);
    if (!WriteWhole(filesPath, WriteFilesDb, store)) {
        // The queue's indices belong to the records; with the old records kept,
        // the old queue is kept too.
        return {filesPath};
    }
    const QString playingPath = DataFile(kPlayingDb);
    if (!WriteWhole(playingPath, WritePlayingDb, store)) return {playingPath};
    return {};
}

bool SaveDatabase(LibraryDatabase& store)
{
    const QStringList failed = WriteDatabase(store);
    ReportSaveFailures(failed);
    return failed.isEmpty();
}

QString SaveFailedText(const QString& path)
{
    return QStringLiteral("Die Datei ") + QDir::toNativeSeparators(path) +
           QStringLiteral(" konnte nicht gespeichert werden. Die bisherige Datei bleibt erhalten.");
}

void ReportSaveFailures(const QStringList& paths)
{
    for (const QString& path : paths) MsgBox(SaveFailedText(path), 16, QStringLiteral("Sarovin"));
}

void SetDatabaseWriteCheck(std::function<bool(const QString& path)> check)
{
    WriteCheck() = std::move(check);
}

QVariant GetTagValue(const QString& text, const QString& key, int occurrence)
{
    // Same rule as the loader: "<key>" only at the start of a line, "</key>"
    // only at the end of one; the lines between are joined without a separator.
    const QString open = u'<' + key + u'>';
    const QString close = QStringLiteral("</") + key + u'>';
    QVarLengthArray<QStringView, 32> lines;
    LineReader reader(text);
    QStringView line;
    while (reader.Next(line)) lines.append(line);

    qsizetype li = 0;
    for (int occ = 0; occ <= occurrence; ++occ) {
        while (li < lines.size() && !lines[li].startsWith(open)) ++li;
        if (li == lines.size()) return QVariant();
        const qsizetype start = open.size();
        qsizetype lj = li;
        auto closes = [&](qsizetype j) {
            const qsizetype from = j == li ? start : 0;
            return lines[j].size() - from >= close.size() && lines[j].endsWith(close);
        };
        while (lj < lines.size() && !closes(lj)) ++lj;
        if (lj == lines.size()) return QVariant();
        if (occ == occurrence) {
            if (lj == li) return lines[li].sliced(start, lines[li].size() - start - close.size()).toString();
            QString value = lines[li].sliced(start).toString();
            for (qsizetype m = li + 1; m < lj; ++m) value += lines[m];
            value += lines[lj].chopped(close.size());
            return value;
        }
        li = lj + 1;
    }
    return QVariant();
}
