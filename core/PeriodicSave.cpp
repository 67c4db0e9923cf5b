#include "core/PeriodicSave.h"

#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/UiServices.h"

#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

// What one write takes to the worker and brings back. The worker reads the
// snapshot and fills failed; everything else is the UI thread's.
struct WriteJob {
    unsigned files = 0;
    LibraryDatabase store;  // shared copies of Library's records and queue
    QByteArray settings;
    QString filesPath, playingPath, settingsPath;
    QStringList failed;
    unsigned failedFiles = 0;

    void Run()
    {
        failed = WriteDatabaseFiles(store, files & SavedFilesDb ? filesPath : QString(),
                                    files & SavedPlayingDb ? playingPath : QString());
        if (files & SavedSettingsIni && !WriteSettingsFile(settingsPath, settings)) failed << settingsPath;
        for (const QString& path : std::as_const(failed))
            failedFiles |= path == filesPath ? SavedFilesDb : path == playingPath ? SavedPlayingDb : SavedSettingsIni;
        // Files.db failed: Playing.db was left alone to keep the pair, so it is still to write.
        if (failedFiles & SavedFilesDb) failedFiles |= files & SavedPlayingDb;
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

    std::unique_ptr<WriteJob> job;
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

// The one message box of a run about a failed write, once no save of the UI
// thread is under way (that one reports its own failures).
void ShowFailure()
{
    PeriodicState& s = State();
    if (s.started && !s.failureText.isEmpty() && !std::exchange(s.failureShown, true))
        MsgBox(std::exchange(s.failureText, {}), 16, QStringLiteral("Sarovin"));
}

// Takes the result of an ended write; with wait, waits for it first. A failure
// is told on stderr once until a write succeeds again.
void Collect(bool wait)
{
    PeriodicState& s = State();
    if (!s.worker || (!wait && !s.worker->isFinished())) return;
    s.worker->wait();
    delete std::exchange(s.worker, nullptr);
    const std::unique_ptr<WriteJob> job = std::move(s.job);  // the snapshot is freed here, on this thread
    s.pending |= job->failedFiles;
    if (job->failed.isEmpty()) {
        s.failing = false;
    } else if (!std::exchange(s.failing, true)) {
        for (const QString& path : std::as_const(job->failed))
            std::fprintf(stderr, "Sarovin: %s\n", qPrintable(SaveFailedText(path)));
        std::fflush(stderr);
        if (!s.failureShown) s.failureText = SaveFailedText(job->failed.front());
    }
    if (wait) return;
    ShowFailure();
    // Changes that came during the write need not wait for the next check.
    if (s.started && s.fresh && s.pending && !s.worker && !IsBusy()) StartWrite();
}

void StartWrite()
{
    PeriodicState& s = State();
    auto job = std::make_unique<WriteJob>();
    job->files = std::exchange(s.pending, 0u);
    s.fresh = false;
    if (job->files & SavedFilesDb) job->store.Files = Library.Files;
    if (job->files & SavedPlayingDb) job->store.ListSets[PlayingQueue] = Library.ListSets[PlayingQueue];
    if (job->files & SavedSettingsIni) job->settings = s.seenSettings;
    job->filesPath = DataFile(QStringLiteral("Files.db"));
    job->playingPath = DataFile(QStringLiteral("Playing.db"));
    job->settingsPath = DataFile(QStringLiteral("Settings.ini"));
    s.job = std::move(job);
    s.worker = QThread::create([j = s.job.get()] { j->Run(); });
    QObject::connect(s.worker, &QThread::finished, &Context(), [] { Collect(false); }, Qt::QueuedConnection);
    s.worker->start();
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
    s.pending = 0;
    s.fresh = false;
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
    if (!s.fresh || !s.pending || s.worker || IsBusy()) return;
    StartWrite();
}

void WaitForPeriodicWrite()
{
    Collect(true);
}

bool PeriodicWriteRunning()
{
    return State().worker != nullptr;
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
