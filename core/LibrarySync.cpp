#include "core/LibrarySync.h"

#include "core/Busy.h"
#include "core/Clock.h"
#include "core/Genres.h"
#include "core/LibraryDatabase.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
#include "core/VbHelpers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <bit>
#include <dirent.h>
#include <limits>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

const QString kInvalidModeText = QStringLiteral("ungültiger Synchronisations-Modus");

HookList<const LibraryDatabase&>& ReplacedListeners()
{
    static HookList<const LibraryDatabase&> listeners;
    return listeners;
}

// The extensions a scan takes, compared with the lower-cased last four
// characters of the path (FLAC and WAV files are not scanned; AddFile takes them).
bool IsAcceptedExtension(const QString& path)
{
    if (path.size() < 4) return false;
    const QString ext = path.right(4).toLower();
    return ext == u".mp3" || ext == u".m4a" || ext == u".wma" || ext == u".ogg";
}

QString JoinPath(const QString& dir, const QString& name)
{
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

// Whole-text number as the tag reader may give a genre: "17", " 17 ", "1.7e1".
bool IsNumericText(const QString& text)
{
    // Nearly every genre is a name; only these can start a number.
    if (text.isEmpty() || !(text[0].isDigit() || text[0] == u' ' || text[0] == u'+' || text[0] == u'-' || text[0] == u'.'))
        return false;
    static const QRegularExpression number(
        QStringLiteral("^ *[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)? *$"));
    return number.match(text).hasMatch();
}

QString GenreText(const QString& genre)
{
    if (!IsNumericText(genre)) return genre;
    const double n = RoundHalfEven(Val(genre));
    if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max()) return QString();
    return GetGenreName(int(n));
}

int16_t SaturateInt16(int64_t v)
{
    return int16_t(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

bool FileExists(const QString& path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsInsideAny(const QString& path, const QStringList& folders)
{
    for (const QString& f : folders)
        if (IsInsideFolder(path, f)) return true;
    return false;
}

// Appends a record, reusing an empty last one (the placeholder of an empty store).
void AppendRecord(LibraryDatabase& store, LibraryEntry record)
{
    if (!store.Files.isEmpty() && store.Files.last().FileName.isEmpty())
        store.Files.last() = std::move(record);
    else
        store.Files.append(std::move(record));
}

// The accepted files under one or more folders in the order a scan takes
// them: each folder's sub-folders first, then its own files, each directory
// in name order. A directory reached twice (by device and inode, so a link
// back up the tree ends) is listed once, so no path occurs twice.
class FolderListing {
public:
    // False when the folder itself cannot be opened; a sub-folder that
    // cannot be is skipped.
    bool Add(const QString& folder)
    {
        std::vector<QString> dirs;
        std::vector<QString> files;
        if (!List(folder, &dirs, &files)) return false;
        for (const QString& d : dirs) {
            PumpIfDue();
            Add(d);
        }
        for (QString& f : files)
            if (IsAcceptedExtension(f)) files_.push_back(std::move(f));
        return true;
    }

    const std::vector<QString>& Files() const { return files_; }

    // The position of a path in Files(), -1 when not listed. Records made by
    // a scan come in the listing's order, so the place after the last one
    // found is tried first; the table is made at the first miss only.
    qsizetype Find(const QString& path)
    {
        if (next_ < files_.size() && files_[next_] == path) return qsizetype(next_++);
        if (!indexed_) {
            index_.reserve(qsizetype(files_.size()));
            for (size_t i = 0; i < files_.size(); ++i) {
                PumpIfDue();
                index_.insert(files_[i], qsizetype(i));
            }
            indexed_ = true;
        }
        const auto it = index_.constFind(path);
        if (it == index_.constEnd()) return -1;
        next_ = size_t(*it) + 1;
        return *it;
    }

private:
    // The folder's sub-folders and regular files (links followed), hidden
    // entries left out, each list sorted by name. An already listed folder
    // lists as empty. False when the folder cannot be opened.
    bool List(const QString& folder, std::vector<QString>* dirs, std::vector<QString>* files)
    {
        const QByteArray encoded = QFile::encodeName(folder);
        DIR* d = opendir(encoded.constData());
        if (!d) return false;
        struct stat self;
        if (fstat(dirfd(d), &self) != 0) {
            closedir(d);
            return false;
        }
        const QPair<quint64, quint64> id(quint64(self.st_dev), quint64(self.st_ino));
        if (seen_.contains(id)) {
            closedir(d);
            return true;
        }
        seen_.insert(id);
        std::vector<QByteArray> dirNames;
        std::vector<QByteArray> fileNames;
        const QByteArray prefix = encoded.endsWith('/') ? encoded : encoded + '/';
        while (dirent* e = readdir(d)) {
            PumpIfDue();  // a folder may hold many thousands of files
            if (e->d_name[0] == '.') continue;
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                struct stat st;
                if (stat((prefix + e->d_name).constData(), &st) != 0) continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR) dirNames.emplace_back(e->d_name);
            else if (type == DT_REG) fileNames.emplace_back(e->d_name);
        }
        closedir(d);
        std::sort(dirNames.begin(), dirNames.end());
        std::sort(fileNames.begin(), fileNames.end());
        for (const QByteArray& n : dirNames) dirs->push_back(JoinPath(folder, QFile::decodeName(n)));
        for (const QByteArray& n : fileNames) files->push_back(JoinPath(folder, QFile::decodeName(n)));
        return true;
    }

    std::vector<QString> files_;
    QSet<QPair<quint64, quint64>> seen_;
    QHash<QString, qsizetype> index_;
    bool indexed_ = false;
    size_t next_ = 0;
};

// Adds the listed files the store does not hold yet (held[i] false), in the
// listing's order, the caption counting along. The count changes the caption
// at most every 100 ms: a caption per file (thousands a second) floods the
// window system, which then lags far behind. The last count is always shown.
void AddListed(LibraryDatabase& store, const FolderListing& listing, const std::vector<char>& held, BusyGuard* guard)
{
    constexpr double kCaptionInterval = 0.1;
    const std::vector<QString>& files = listing.Files();
    // Room for all at once: growing a large array step by step moves it
    // several times, each time a long wait for the event loop.
    const auto fresh = std::count(held.begin(), held.end(), 0);
    if (fresh > 0) store.Files.reserve(store.Files.size() + qsizetype(fresh));
    const auto showCount = [&] { guard->SetCaption(QStringLiteral("Sarovin (Synchronisiere %1)").arg(store.Files.size() - 1)); };
    double shownAt = 0;
    bool shown = false, behind = false;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!held[i]) {
            AddFile(store, files[i]);
            if (guard) {
                const double now = MonotonicSeconds();
                behind = shown && now - shownAt < kCaptionInterval;
                if (!behind) {
                    showCount();
                    shownAt = now;
                    shown = true;
                }
            }
        }
        PumpIfDue();
    }
    if (behind) showCount();
}

// The update's removal pass: a record stays when its file exists and lies
// inside one of the folders; the listed files of the records that stay are
// marked held. A listed file exists and lies inside a folder, so only the
// records the listing does not name are looked up on disk.
void DropGone(LibraryDatabase& work, const QStringList& folders, FolderListing& listing, std::vector<char>& held)
{
    // work is the sync's own copy: no pumped event changes it.
    const QVector<LibraryEntry>& files = work.Files;
    std::vector<char> keep(size_t(files.size()));
    bool dropped = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        PumpIfDue();
        const QString& name = files[i].FileName;
        if (name.isEmpty()) {
            dropped = true;
            continue;
        }
        const qsizetype at = listing.Find(name);
        if (at >= 0) held[size_t(at)] = 1;
        keep[size_t(i)] = at >= 0 || (IsInsideAny(name, folders) && FileExists(name));
        dropped = dropped || !keep[size_t(i)];
    }
    // Nothing gone: the records stay shared with Library, nothing is copied.
    if (!dropped) return;
    QVector<LibraryEntry> kept;
    kept.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        PumpIfDue();
        if (keep[size_t(i)]) kept.append(files[i]);
    }
    if (kept.isEmpty()) kept.append(LibraryEntry());
    work.Files = std::move(kept);
}

void TellFolderUnreadable(const QString& folder)
{
    MsgBox(QStringLiteral("Der Ordner ") + folder +
               QStringLiteral(" kann nicht gelesen werden. Die Bibliothek bleibt unverändert."),
           48, IdleCaption);
}

// Records added to Library while the sync pumped events (a dropped file, the
// command line) join the working copy at its end.
void TakeAddedMeanwhile(LibraryDatabase& work, const QVector<LibraryEntry>& atStart)
{
    QSet<QString> known;
    known.reserve(atStart.size() + work.Files.size());
    for (const LibraryEntry& rec : atStart) known.insert(rec.FileName);
    for (const LibraryEntry& rec : work.Files) known.insert(rec.FileName);
    for (const LibraryEntry& now : std::as_const(Library.Files)) {
        if (now.FileName.isEmpty() || known.contains(now.FileName)) continue;
        known.insert(now.FileName);
        AppendRecord(work, now);
    }
}

// While the listeners of a replacement run: the library they are handed and
// where each of its indices went, so that RemapLibraryIndex needs no search.
const LibraryDatabase* g_replaced = nullptr;
const std::vector<int32_t>* g_moved = nullptr;

} // namespace

std::vector<int32_t> CarryUserData(LibraryDatabase& work, const LibraryDatabase& old, bool keepUserData)
{
    const QVector<LibraryEntry>& was = old.Files;
    std::vector<int32_t> moved(size_t(was.size()), -1);
    // Old paths by open addressing over one flat array: no node per record
    // and no path copied, at most half full.
    struct Slot {
        size_t hash = 0;
        qsizetype index = -1;
    };
    std::vector<Slot> table(std::bit_ceil(size_t(was.size()) * 2 + 2));
    const size_t mask = table.size() - 1;
    const auto slotOf = [&](const QString& name, size_t hash) -> Slot& {
        for (size_t k = hash & mask;; k = (k + 1) & mask) {
            Slot& s = table[k];
            if (s.index < 0 || (s.hash == hash && was[s.index].FileName == name)) return s;
        }
    };
    for (qsizetype j = 0; j < was.size(); ++j) {
        const QString& name = was[j].FileName;
        if (name.isEmpty()) continue;
        const size_t hash = qHash(name);
        Slot& s = slotOf(name, hash);
        if (s.index < 0) s = Slot{hash, j};  // the first of equal names holds the slot
    }
    const QVector<LibraryEntry>& now = std::as_const(work.Files);
    for (qsizetype i = 0; i < now.size(); ++i) {
        const QString& name = now[i].FileName;
        if (name.isEmpty()) continue;
        const qsizetype j = slotOf(name, qHash(name)).index;
        if (j < 0) continue;
        if (moved[size_t(j)] < 0) moved[size_t(j)] = int32_t(i);
        // Only a carry writes: an update that changed nothing stays shared with Library.
        if (!keepUserData) continue;
        LibraryEntry& rec = work.Files[i];
        const LibraryEntry& from = was[j];
        rec.Rating = from.Rating;
        rec.PlayCNT = from.PlayCNT;
        rec.PlayTime = from.PlayTime;
        rec.AddTime = from.AddTime;
        if (from.Actions.contains(QStringLiteral("Tag;"))) {
            rec.Actions = from.Actions;
            rec.Tags = from.Tags;
        }
    }
    // A record whose path an earlier one holds too goes where that one went.
    for (qsizetype j = 0; j < was.size(); ++j) {
        const QString& name = was[j].FileName;
        if (moved[size_t(j)] < 0 && !name.isEmpty()) moved[size_t(j)] = moved[size_t(slotOf(name, qHash(name)).index)];
    }
    return moved;
}

QStringList NormaliseLibraryFolders(const QString& libraryFolders)
{
    QStringList out;
    for (const QString& part : libraryFolders.split(QChar(13))) {
        if (part.isEmpty()) continue;
        QString f = QDir::cleanPath(part);
        while (f.size() > 1 && f.endsWith(u'/')) f.chop(1);
        if (!f.isEmpty()) out.append(f);
    }
    return out;
}

bool IsInsideFolder(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.size() <= folder.size() || !path.startsWith(folder)) return false;
    return folder.endsWith(u'/') || path[folder.size()] == u'/';
}

QStringList FoldersToScan(const QStringList& folders)
{
    QStringList out;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString& f = folders[i];
        bool skip = folders.indexOf(f) < i;
        for (qsizetype j = 0; j < folders.size() && !skip; ++j)
            skip = j != i && IsInsideFolder(f, folders[j]);
        if (!skip) out.append(f);
    }
    return out;
}

QString FallbackTitle(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.left(dot) : name;
}

QString LibraryGenre(const QString& genre)
{
    return GenreText(genre);
}

bool AddFile(LibraryDatabase& store, const QString& path)
{
    TagReader* reader = CurrentTagReader();
    if (!reader || path.isEmpty()) return false;
    const TagReading r = reader->Open(path);
    if (r.Format <= 0 || r.Format >= int(FileTypes.size())) return false;

    LibraryEntry e;
    e.FileName = path;
    e.Tags.Album = r.Album;
    e.Tags.Artist = r.Artist;
    e.Tags.Genre = GenreText(r.Genre);
    e.Tags.Title = r.Title.isEmpty() ? FallbackTitle(path) : r.Title;
    e.Tags.Year = r.Year;
    e.Tags.Bitrate = SaturateInt16(r.Bitrate);
    e.Tags.Comment = r.Comment;
    e.Tags.Lenght = RoundToInt32(r.Duration);
    e.Tags.Track = NumberText(Val(r.Track));
    e.Tags.Format = FileTypes[size_t(r.Format)];
    e.AddTime = CurrentDateTime();
    e.PlayTime = QStringLiteral("(noch nie)");
    e.TagVer = QStringLiteral("(unbekannt)");
    e.SizeInMB = double(r.Size) / (1024.0 * 1024.0);
    AppendRecord(store, std::move(e));
    if (&store == &Library) MarkLibraryChanged();  // the placeholder reused leaves the count as it was
    return true;
}

bool ScanFolder(LibraryDatabase& store, const QString& folder, int16_t mode)
{
    FolderListing listing;
    if (!listing.Add(folder)) return false;
    std::vector<char> held(listing.Files().size());
    if (mode != 1) {
        for (qsizetype i = 0; i < store.Files.size(); ++i) {
            const qsizetype at = store.Files[i].FileName.isEmpty() ? -1 : listing.Find(store.Files[i].FileName);
            if (at >= 0) held[size_t(at)] = 1;
        }
    }
    AddListed(store, listing, held, nullptr);
    return true;
}

SyncResult SyncLibrary(int16_t mode)
{
    return SyncLibrary(mode, Settings.LibraryFolders);
}

namespace {
bool g_syncRunning = false;

struct SyncRunningFlag {
    SyncRunningFlag() { g_syncRunning = true; }
    ~SyncRunningFlag() { g_syncRunning = false; }
};
} // namespace

bool SyncRunning()
{
    return g_syncRunning;
}

SyncResult SyncLibrary(int16_t mode, const QString& libraryFolders)
{
    if (mode != 1 && mode != 2)
        return {SyncResult::InvalidMode, SyncErrorInvalidMode, kInvalidModeText};
    BusyGuard guard;
    if (!guard.Acquired()) return {SyncResult::Busy, 0, QString()};
    const SyncRunningFlag running;

    const QStringList folders = NormaliseLibraryFolders(libraryFolders);
    const QVector<LibraryEntry> atStart = Library.Files;  // shared, not copied

    LibraryDatabase work;
    QStringList scan;
    if (mode == 1) {
        if (folders.isEmpty()) return {SyncResult::NoFolders, 0, QString()};
        ResetDatabase(work);
        scan = FoldersToScan(folders);
    } else {
        work = Library;
        guard.SetCaption(QStringLiteral("Sarovin (Dateien entfernen...)"));
        Pump();
        if (folders.isEmpty()) return {SyncResult::NoFolders, 0, QString()};
        scan = folders;
    }
    // Everything is listed before anything is dropped: an unplugged drive
    // must not empty the library.
    FolderListing listing;
    for (const QString& f : scan) {
        if (!listing.Add(f)) {
            TellFolderUnreadable(f);
            return {SyncResult::FolderUnreadable, 0, f};
        }
    }
    std::vector<char> held(listing.Files().size());
    if (mode == 2) DropGone(work, folders, listing, held);
    AddListed(work, listing, held, &guard);

    // No event runs from here until Library is replaced. What the user made
    // stays with the files still there: in a rebuild their ratings, counts
    // and times, in an update what was changed while the sync ran.
    const bool changedMeanwhile = !Library.Files.isSharedWith(atStart);
    if (changedMeanwhile) TakeAddedMeanwhile(work, atStart);
    const std::vector<int32_t> moved = CarryUserData(work, Library, mode == 1 || changedMeanwhile);
    guard.SetCaption(QStringLiteral("Sarovin (Views...)"));
    BuildListSets(work);
    LibraryDatabase previous = std::exchange(Library, std::move(work));
    g_replaced = &previous;
    g_moved = &moved;
    Library.ListSets[PlayingQueue].Entries[0].Items =
        RemapLibraryItems(previous, previous.ListSets[PlayingQueue].Entries.value(0).Items);
    ReplacedListeners().Call(previous);
    g_replaced = nullptr;
    g_moved = nullptr;
    guard.SetCaption(QStringLiteral("Sarovin (Speichern...)"));
    // Saved from Library itself: whatever runs while a failure is reported
    // changes the library that is kept.
    const bool saved = SaveDatabase(Library);
    return {saved ? SyncResult::Done : SyncResult::SaveFailed, 0, QString()};
}

Subscription SubscribeLibraryReplaced(LibraryReplacedHook hook)
{
    return ReplacedListeners().Subscribe(std::move(hook));
}

std::size_t LibraryReplacedListenerCount()
{
    return ReplacedListeners().Size();
}

int32_t RemapLibraryIndex(const LibraryDatabase& previous, int32_t index)
{
    if (!IsValidLibraryIndex(previous, index)) return -1;
    if (&previous == g_replaced) return (*g_moved)[size_t(index)];
    const QString& name = previous.Files[index].FileName;
    if (name.isEmpty()) return -1;
    for (qsizetype i = 0; i < Library.Files.size(); ++i)
        if (Library.Files[i].FileName == name) return int32_t(i);
    return -1;
}

QVector<int32_t> RemapLibraryItems(const LibraryDatabase& previous, const QVector<int32_t>& items)
{
    QVector<int32_t> out;
    out.reserve(items.size());
    for (const int32_t i : items) {
        const int32_t to = i == -1 ? -1 : RemapLibraryIndex(previous, i);
        if (to >= 0 || i == -1) out.append(to);
    }
    if (out.isEmpty()) out.append(-1);
    return out;
}
