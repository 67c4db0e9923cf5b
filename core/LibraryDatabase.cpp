#include "core/LibraryDatabase.h"

#include "core/DbText.h"
#include "core/Runtime.h"
#include "core/VbHelpers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QVarLengthArray>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

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

std::function<void(const QString&)>& SaveFailureReporter()
{
    static std::function<void(const QString&)> reporter;
    return reporter;
}

std::function<bool(const QString&)>& WriteCheck()
{
    static std::function<bool(const QString&)> check;
    return check;
}

// ---------------------------------------------------------------- lines

// The lines of a text: CR LF, a lone LF and a lone CR all end a line, so no
// value read from the file ever holds a line break. A final line end does not
// start another line.
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

// "<n>" (opening) or "</n>" (closing) with n written as a plain decimal; -1 otherwise.
int64_t RecordMark(QStringView line, bool closing)
{
    const qsizetype first = closing ? 2 : 1;
    const qsizetype digits = line.size() - first - 1;
    if (digits < 1 || digits > 10 || line[0] != u'<' || line.back() != u'>') return -1;
    if (closing && line[1] != u'/') return -1;
    int64_t n = 0;
    for (qsizetype i = first; i < first + digits; ++i) {
        const char16_t c = line[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c - u'0');
    }
    // A leading zero would not be the plain decimal the writer makes.
    if (digits > 1 && line[first] == u'0') return -1;
    return n;
}

bool IsCloseTag(QStringView line, qsizetype from, QLatin1StringView key)
{
    // "</" key ">" at the very end of the line, starting at or after `from`.
    const qsizetype len = key.size() + 3;
    if (line.size() - from < len) return false;
    const QStringView tail = line.last(len);
    return tail[0] == u'<' && tail[1] == u'/' && tail.back() == u'>' && tail.sliced(2, key.size()) == key;
}

int KeyOf(QStringView name)
{
    for (int k = 0; k < kKeyCount; ++k)
        if (kKeys[k].size() == name.size() && kKeys[k] == name) return k;
    return -1;
}

// ---------------------------------------------------------------- record values

// The value of every key in one record, each taken the way GetTagValue takes
// the first occurrence: "<key>" at the start of a line, "</key>" at the end of
// that line or a later one, the lines between joined without a separator.
struct RecordValues {
    std::optional<QStringView> view[kKeyCount];
    QString joined[kKeyCount]; // backing store of values that spanned lines

    void Scan(const QVarLengthArray<QStringView, 32>& lines)
    {
        bool decided[kKeyCount] = {};
        for (qsizetype li = 0; li < lines.size(); ++li) {
            const QStringView line = lines[li];
            if (line.size() < 3 || line[0] != u'<') continue;
            const qsizetype gt = line.indexOf(u'>', 1);
            if (gt < 2) continue;
            const int k = KeyOf(line.sliced(1, gt - 1));
            if (k < 0 || decided[k]) continue;
            decided[k] = true;
            const QLatin1StringView key = kKeys[k];
            const qsizetype start = gt + 1;
            if (IsCloseTag(line, start, key)) {
                view[k] = line.sliced(start, line.size() - start - (key.size() + 3));
                continue;
            }
            for (qsizetype lj = li + 1; lj < lines.size(); ++lj) {
                if (!IsCloseTag(lines[lj], 0, key)) continue;
                QString& text = joined[k];
                text = line.sliced(start).toString();
                for (qsizetype m = li + 1; m < lj; ++m) text += lines[m];
                text += lines[lj].chopped(key.size() + 3);
                view[k] = QStringView(text);
                break;
            }
        }
    }
};

// Repeated texts (artists, albums, genres, formats, "(unbekannt)", "(noch nie)")
// share one copy across the library, so a loaded title costs little memory.
class InternPool {
public:
    QString Get(QStringView text)
    {
        if (text.isEmpty()) return QString();
        auto it = pool_.constFind(text);
        if (it != pool_.constEnd()) return it.value();
        QString copy = text.toString();
        pool_.insert(QStringView(copy), copy); // the key views the stored copy's own characters
        return copy;
    }

private:
    QHash<QStringView, QString> pool_;
};

// Plain decimal digits are the common case and need no conversion through double.
std::optional<double> ParseNumber(QStringView text)
{
    const qsizetype n = text.size();
    if (n > 0 && n <= 9) {
        qsizetype i = text[0] == u'-' ? 1 : 0;
        if (i < n) {
            int64_t v = 0;
            for (; i < n; ++i) {
                const char16_t c = text[i].unicode();
                if (c < u'0' || c > u'9') break;
                v = v * 10 + (c - u'0');
            }
            if (i == n) return double(text[0] == u'-' ? -v : v);
        }
    }
    return ParseDbNumber(text);
}

// A whole number of the field's width; anything that is not a number, or does
// not fit the field, reads as 0 and loading goes on.
template <typename Int>
Int WholeNumber(const std::optional<QStringView>& text)
{
    if (!text) return 0;
    const std::optional<double> v = ParseNumber(*text);
    if (!v) return 0;
    const double r = RoundHalfEven(*v);
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max())) return 0;
    return Int(r);
}

LibraryEntry MakeEntry(const RecordValues& v, InternPool& pool)
{
    auto text = [&](int k) { return v.view[k] ? v.view[k]->toString() : QString(); };
    auto shared = [&](int k) { return v.view[k] ? pool.Get(*v.view[k]) : QString(); };
    // An empty date reads as nothing, as it would after the next save.
    auto variant = [&](int k) { return v.view[k] && !v.view[k]->isEmpty() ? QVariant(pool.Get(*v.view[k])) : QVariant(); };

    LibraryEntry e;
    e.Actions = shared(kActions);
    e.AddTime = variant(kAddTime);
    e.FileName = text(kFileName);
    e.newPath = text(kNewPath);
    e.PlayCNT = WholeNumber<int32_t>(v.view[kPlayCNT]);
    e.PlayTime = variant(kPlayTime);
    e.Rating = WholeNumber<int16_t>(v.view[kRating]);
    if (v.view[kSizeInMB]) e.SizeInMB = ParseNumber(*v.view[kSizeInMB]).value_or(0.0);
    e.Tags.Album = shared(kAlbum);
    e.Tags.Artist = shared(kArtist);
    e.Tags.Bitrate = WholeNumber<int16_t>(v.view[kBitrate]);
    e.Tags.Comment = shared(kComment);
    e.Tags.Format = shared(kFormat);
    e.Tags.Genre = shared(kGenre);
    e.Tags.Lenght = WholeNumber<int32_t>(v.view[kLenght]);
    e.Tags.Title = text(kTitle);
    e.Tags.Track = shared(kTrack);
    e.Tags.Year = shared(kYear);
    e.TagVer = shared(kTagVer);
    return e;
}

// ---------------------------------------------------------------- loading

enum class ReadEnd { Complete, FormatError, Lossy };

struct FilesDbResult {
    QVector<LibraryEntry> records;
    ReadEnd end = ReadEnd::Complete;
};

FilesDbResult ReadFilesDb(QStringView text)
{
    FilesDbResult result;
    InternPool pool;
    QVarLengthArray<QStringView, 32> lines;
    RecordValues values;
    int64_t n = 1;
    bool inside = false;

    LineReader reader(text);
    QStringView line;
    while (reader.Next(line)) {
        if (!line.isEmpty() && line[0] == u'<') {
            const int64_t open = RecordMark(line, false);
            if (open == n) {
                if (inside) { result.end = ReadEnd::FormatError; return result; }
                inside = true;
                lines.clear();
                continue;
            }
            if (RecordMark(line, true) == n) {
                if (!inside) { result.end = ReadEnd::FormatError; return result; }
                values = RecordValues();
                values.Scan(lines);
                result.records.append(MakeEntry(values, pool));
                ++n;
                inside = false;
                continue;
            }
            // A record of another number outside a record: a gap in the
            // numbering, so it and what follows it is not read.
            if (!inside && open >= 0) result.end = ReadEnd::Lossy;
        }
        if (inside) lines.append(line);
    }
    if (inside) result.end = ReadEnd::Lossy;
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

// Values are written as they are, except that line breaks become blanks so a
// value can never end its record early.
void AppendValue(QString& out, QStringView value)
{
    const qsizetype at = out.size();
    out += value;
    for (qsizetype i = at; i < out.size(); ++i) {
        QChar& c = out.data()[i];
        if (c == u'\r' || c == u'\n') c = u' ';
    }
}

void AppendField(QString& out, int k, QStringView value)
{
    if (value.isEmpty()) return;
    out += u'<';
    out += kKeys[k];
    out += u'>';
    AppendValue(out, value);
    out += u"</";
    out += kKeys[k];
    out += u">\r\n";
}

void AppendNumber(QString& out, int k, qint64 value)
{
    if (value != 0) AppendField(out, k, QString::number(value));
}

bool IsEmptyDate(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return true;
    bool numeric = false;
    const double d = value.toDouble(&numeric);
    return value.typeId() != QMetaType::QString && numeric && d == 0;
}

QString FilesDbText(const LibraryDatabase& store)
{
    QString out;
    out.reserve(store.Files.size() * 400);
    qsizetype n = 0;
    for (const LibraryEntry& e : store.Files) {
        ++n;
        out += u'<';
        out += QString::number(n);
        out += u">\r\n";
        AppendField(out, kActions, e.Actions);
        if (!IsEmptyDate(e.AddTime)) AppendField(out, kAddTime, DbValueText(e.AddTime));
        AppendField(out, kFileName, e.FileName);
        AppendField(out, kNewPath, e.newPath);
        AppendNumber(out, kPlayCNT, e.PlayCNT);
        if (!IsEmptyDate(e.PlayTime)) AppendField(out, kPlayTime, DbValueText(e.PlayTime));
        AppendNumber(out, kRating, e.Rating);
        if (e.SizeInMB != 0) AppendField(out, kSizeInMB, FormatDbNumber(e.SizeInMB));
        AppendField(out, kAlbum, e.Tags.Album);
        AppendField(out, kArtist, e.Tags.Artist);
        AppendNumber(out, kBitrate, e.Tags.Bitrate);
        AppendField(out, kComment, e.Tags.Comment);
        AppendField(out, kFormat, e.Tags.Format);
        AppendField(out, kGenre, e.Tags.Genre);
        AppendNumber(out, kLenght, e.Tags.Lenght);
        AppendField(out, kTitle, e.Tags.Title);
        AppendField(out, kTrack, e.Tags.Track);
        AppendField(out, kYear, e.Tags.Year);
        AppendField(out, kTagVer, e.TagVer);
        out += u"</";
        out += QString::number(n);
        out += u">\r\n";
    }
    return out;
}

QString PlayingDbText(const LibraryDatabase& store)
{
    const QVector<ListEntry>& entries = store.ListSets[PlayingQueue].Entries;
    QString out;
    if (!entries.isEmpty()) {
        for (int32_t item : entries[0].Items) {
            if (!out.isEmpty()) out += u';';
            out += QString::number(item);
        }
    }
    if (out.isEmpty()) out = QStringLiteral("-1");
    return out + QStringLiteral("\r\n");
}

// Whole file or nothing: the old file stays until the new one is complete.
bool WriteWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
    } else if (WriteCheck() && !WriteCheck()(path)) {
        file.cancelWriting();
    }
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        BuildListSets(store);
        return;
    }
    QByteArray bytes = file.readAll();
    file.close();
    FilesDbResult result;
    {
        const QString text = QString::fromUtf8(bytes);
        const bool hadContent = !bytes.isEmpty();
        bytes = QByteArray();
        result = ReadFilesDb(text);
        if (result.end == ReadEnd::Complete && result.records.isEmpty() && hadContent) result.end = ReadEnd::Lossy;
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
    if (!WriteWhole(filesPath, FilesDbText(store).toUtf8())) {
        // The queue's indices belong to the records; with the old records kept,
        // the old queue is kept too.
        return {filesPath};
    }
    const QString playingPath = DataFile(kPlayingDb);
    if (!WriteWhole(playingPath, PlayingDbText(store).toUtf8())) return {playingPath};
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

void ReportSaveFailures(const QStringList& paths, bool showMessage)
{
    for (const QString& path : paths) {
        const QString text = SaveFailedText(path);
        std::fprintf(stderr, "Sarovin: %s\n", qPrintable(text));
        if (showMessage && SaveFailureReporter()) SaveFailureReporter()(text);
    }
}

void SetSaveFailureReporter(std::function<void(const QString& text)> reporter)
{
    SaveFailureReporter() = std::move(reporter);
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
