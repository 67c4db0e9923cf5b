#include "core/PeriodicSave.h"

#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/UiServices.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// What one write takes to the worker and brings back. The UI thread fills the
// bytes; the worker writes them and fills failed.
struct WriteJob {
    unsigned files = 0;
    QByteArrayList records;  // Files.db in pieces
    QByteArray playing, settings;
    QString filesPath, playingPath, settingsPath;
    SaveFailures failed;
    unsigned failedFiles = 0;

    // False when the file could not be written; the failure is kept.
    bool Write(const QString& path, const QByteArrayList& chunks, unsigned file, bool* replaced = nullptr)
    {
        QString reason = WriteFileChunks(path, chunks, replaced);
        if (reason.isEmpty()) return true;
        failed << SaveFailure{path, std::move(reason)};
        failedFiles |= file;
        return false;
    }

    void Run()
    {
        bool replaced = false;
        if (files & SavedFilesDb && !Write(filesPath, records, SavedFilesDb, &replaced) && !replaced) {
            // The queue's indices belong to the records: with the old records
            // kept, the old queue is kept too, and both are still to write.
            failedFiles |= files & SavedPlayingDb;
        } else if (files & SavedPlayingDb) {
            Write(playingPath, {playing}, SavedPlayingDb);
        }
        if (files & SavedSettingsIni) Write(settingsPath, {settings}, SavedSettingsIni);
    }
};

struct PeriodicState {
    bool started = false;
    std::function<void()> storeState;
    QTimer* timer = nullptr;
    Subscription librarySub;

    // What the last check saw; a difference is a change.
    bool recordsMarked = false;
    qsizetype seenRecords = 0;
    QVector<int32_t> seenQueue;
    QByteArray seenSettings;

    unsigned pending = 0;   // files that may be older on disk than in memory
    bool fresh = false;     // a change came after the last write began
    bool failing = false;   // the last write failed and stderr was told
    bool failureShown = false;
    QString failureText;    // to show in the run's one box

    // A write: first the records are turned into bytes a slice per turn of
    // the event loop (next..count of the array at identity), then the worker
    // writes.
    std::unique_ptr<WriteJob> job;
    qsizetype next = 0, count = 0;
    const LibraryEntry* identity = nullptr;
    unsigned generation = 0;
    QThread* worker = nullptr;
};

PeriodicState& State()
{
    static PeriodicState state;
    return state;
}

// Receives the worker's end on the UI thread; lives as long as the program.
QObject& Context()
{
    static QObject context;
    return context;
}

const QVector<int32_t>& QueueOf(const LibraryDatabase& store)
{
    static const QVector<int32_t> none;
    const QVector<ListEntry>& entries = store.ListSets[PlayingQueue].Entries;
    return entries.isEmpty() ? none : entries[0].Items;
}

void StartWrite();
void Collect(bool wait);

// The one message box of a run about a failed write, once no save of the UI
// thread is under way (that one reports its own failures).
void ShowFailure()
{
    PeriodicState& s = State();
    if (s.started && !s.failureText.isEmpty() && !std::exchange(s.failureShown, true))
        MsgBox(std::exchange(s.failureText, {}), 16, QStringLiteral("Sarovin"));
}

// A write given up before the worker began: its files are still to write.
void Abandon()
{
    PeriodicState& s = State();
    if (!s.job || s.worker) return;
    s.pending |= s.job->files;
    s.fresh = true;
    s.job.reset();
    ++s.generation;
}

// The bytes are complete: the queue and the settings as they are now (in the
// same turn as the last records, so the queue's indices match them) go to
// the worker with the records.
void Launch()
{
    PeriodicState& s = State();
    WriteJob& job = *s.job;
    if (job.files & SavedPlayingDb) job.playing = PlayingDbBytes(Library);
    if (job.files & SavedSettingsIni) job.settings = SettingsFileBytes(Settings);
    s.worker = QThread::create([j = &job] { j->Run(); });
    QObject::connect(s.worker, &QThread::finished, &Context(), [] { Collect(false); }, Qt::QueuedConnection);
    s.worker->start();
}

// Records as bytes for a few milliseconds, then the next turn of the event
// loop. A changed array (a synchronisation replaced it, records were added)
// or a long operation starting gives the write up; the next check starts over.
void Slice(unsigned generation)
{
    PeriodicState& s = State();
    if (!s.job || s.worker || generation != s.generation) return;
    const QVector<LibraryEntry>& files = std::as_const(Library.Files);
    if (SyncRunning() || files.size() != s.count || files.constData() != s.identity) {
        Abandon();
        return;
    }
    constexpr qsizetype kPiece = 256;
    constexpr qint64 kSliceNs = 4'000'000;
    QElapsedTimer slice;
    slice.start();
    while (s.next < s.count && slice.nsecsElapsed() < kSliceNs) {
        const qsizetype to = std::min(s.next + kPiece, s.count);
        s.job->records << FilesDbRecordBytes(Library, s.next, to);
        s.next = to;
    }
    if (s.next < s.count)
        QTimer::singleShot(0, &Context(), [generation] { Slice(generation); });
    else
        Launch();
}

// Takes the result of an ended write; with wait, waits for it first (a write
// still being turned into bytes is given up: the save of the UI thread that
// waits writes newer data). A failure is told on stderr once until a write
// succeeds again.
void Collect(bool wait)
{
    PeriodicState& s = State();
    if (wait) Abandon();
    if (!s.worker || (!wait && !s.worker->isFinished())) return;
    s.worker->wait();
    delete std::exchange(s.worker, nullptr);
    const std::unique_ptr<WriteJob> job = std::move(s.job);
    s.pending |= job->failedFiles;
    if (job->failed.isEmpty()) {
        s.failing = false;
    } else if (!std::exchange(s.failing, true)) {
        for (const SaveFailure& failure : std::as_const(job->failed)) TellSaveFailureOnStderr(failure);
        const SaveFailure& first = job->failed.front();
        if (!s.failureShown) s.failureText = SaveFailedText(first.path, first.reason);
    }
    if (wait) return;
    ShowFailure();
    // Changes that came during the write need not wait for the next check.
    if (s.started && s.fresh && s.pending && !s.job && !SyncRunning()) StartWrite();
}

void StartWrite()
{
    PeriodicState& s = State();
    auto job = std::make_unique<WriteJob>();
    job->files = std::exchange(s.pending, 0u);
    s.fresh = false;
    job->filesPath = DataFile(QStringLiteral("Files.db"));
    job->playingPath = DataFile(QStringLiteral("Playing.db"));
    job->settingsPath = SettingsPath();
    s.job = std::move(job);
    ++s.generation;
    s.next = 0;
    s.count = Library.Files.size();
    s.identity = std::as_const(Library.Files).constData();
    if (s.job->files & SavedFilesDb)
        Slice(s.generation);
    else
        Launch();
}

// The bytes a file holds; none when it cannot be read.
QByteArray OnDisk(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SeeNow(PeriodicState& s)
{
    s.recordsMarked = false;
    s.seenRecords = Library.Files.size();
    s.seenQueue = QueueOf(Library);
    s.seenSettings = SettingsFileBytes(Settings);
}

} // namespace

void MarkLibraryChanged()
{
    State().recordsMarked = true;
}

void StartPeriodicSave(std::function<void()> storeState, std::chrono::milliseconds interval)
{
    PeriodicState& s = State();
    StopPeriodicSave();
    s.started = true;
    s.storeState = std::move(storeState);
    const bool marked = s.recordsMarked;  // a change during the start still counts
    SeeNow(s);
    s.recordsMarked = marked;
    // What the start changed itself (the queue a resumed title that does not
    // open leaves, settings whose save failed) is not on disk yet: the first
    // check writes it. Records the start added are marked already.
    s.pending = 0;
    if (OnDisk(DataFile(QStringLiteral("Playing.db"))) != PlayingDbBytes(Library)) s.pending |= SavedPlayingDb;
    if (OnDisk(SettingsPath()) != SettingsFileBytes(Settings)) s.pending |= SavedSettingsIni;
    s.fresh = s.pending != 0;
    s.failing = s.failureShown = false;
    s.failureText.clear();
    s.librarySub = SubscribeLibraryReplaced([](const LibraryDatabase&) { MarkLibraryChanged(); });
    s.timer = new QTimer(&Context());
    QObject::connect(s.timer, &QTimer::timeout, &Context(), CheckPeriodicSave);
    s.timer->start(interval);
}

void StopPeriodicSave()
{
    PeriodicState& s = State();
    s.started = false;
    delete std::exchange(s.timer, nullptr);
    s.librarySub.Reset();
    s.storeState = nullptr;
    WaitForPeriodicWrite();
}

void CheckPeriodicSave()
{
    PeriodicState& s = State();
    if (!s.started) return;
    Collect(false);
    ShowFailure();
    if (s.storeState) s.storeState();
    unsigned changed = 0;
    if (s.recordsMarked || Library.Files.size() != s.seenRecords) changed |= SavedFilesDb;
    if (QueueOf(Library) != s.seenQueue) changed |= SavedPlayingDb;
    if (SettingsFileBytes(Settings) != s.seenSettings) changed |= SavedSettingsIni;
    SeeNow(s);
    if (changed) {
        s.pending |= changed;
        s.fresh = true;
    }
    // A failed write is tried again only with the next change, not every interval.
    if (!s.fresh || !s.pending || s.job || SyncRunning()) return;
    StartWrite();
}

void WaitForPeriodicWrite()
{
    Collect(true);
}

bool PeriodicWriteRunning()
{
    return State().job != nullptr;
}

void NoteFilesSaved(unsigned files)
{
    PeriodicState& s = State();
    if (files & SavedFilesDb) {
        s.recordsMarked = false;
        s.seenRecords = Library.Files.size();
    }
    if (files & SavedPlayingDb) s.seenQueue = QueueOf(Library);
    if (files & SavedSettingsIni) s.seenSettings = SettingsFileBytes(Settings);
    s.pending &= ~files;
}
