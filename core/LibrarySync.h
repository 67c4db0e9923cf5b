// Filling the library from the library folders: a rebuild (mode 1) or an
// update (mode 2) on a working copy that replaces Library at the end, and
// AddFile, which also serves the command line and dropped files.
#pragma once

#include "core/Hooks.h"
#include "core/LibraryTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

struct SyncResult {
    enum Status {
        Done,              // Library replaced and saved
        SaveFailed,        // Library replaced, but Files.db or Playing.db could not be written
        NoFolders,         // no library folder named: Library and the files untouched
        InvalidMode,       // error 78
        Busy,              // another long operation runs: refused, nothing changed
        FolderUnreadable,  // a library folder could not be opened: Library and the files untouched
    };
    Status status = Done;
    int ErrorNumber = 0;   // 78 for an invalid mode
    QString Description;
};

constexpr int SyncErrorInvalidMode = 78;

// Rebuilds (1) or updates (2) Library from Settings.LibraryFolders, or from the
// folders given (joined by CR), and saves it. Lets events run every few
// milliseconds until the list sets are built; refuses to run while busy. A folder that cannot be opened is reported
// to the user (style 48) and changes nothing.
SyncResult SyncLibrary(int16_t mode);
SyncResult SyncLibrary(int16_t mode, const QString& libraryFolders);

// Adds the accepted audio files of the folder and its sub-folders to the store,
// sub-folders first, each directory in name order, a folder reached twice
// (symbolic links) scanned once. In mode 1 every file is new; otherwise a file
// whose path is already in the store is skipped. False when the folder itself
// cannot be opened (its sub-folders that cannot be are skipped).
bool ScanFolder(LibraryDatabase& store, const QString& folder, int16_t mode);

// Reads the file with the tag reader and stores a new record at the end of the
// store (reusing an empty last record). False, store unchanged, when the file
// cannot be used.
bool AddFile(LibraryDatabase& store, const QString& path);

// Library folders as the sync uses them: split at CR, each cleaned (no
// trailing "/"), empty ones dropped, in list order.
QStringList NormaliseLibraryFolders(const QString& libraryFolders);
// True when path lies inside folder: folder followed by "/" begins it ("/"
// holds every absolute path). A folder does not lie inside itself.
bool IsInsideFolder(const QString& path, const QString& folder);
// The folders a rebuild scans: one dropped when it equals an earlier entry or
// lies inside another.
QStringList FoldersToScan(const QStringList& folders);

// The title a file without a title tag gets: its name up to its last ".".
QString FallbackTitle(const QString& path);
// The genre a record gets from the one read: a number becomes its name.
QString LibraryGenre(const QString& genre);

// After a synchronisation has replaced Library each listener gets the library
// as it was just before (valid during the call only), so that holders of
// library indices can move them to the new library with RemapLibraryIndex.
// True while a synchronisation runs (it holds the busy state meanwhile).
bool SyncRunning();

using LibraryReplacedHook = std::function<void(const LibraryDatabase& previous)>;
[[nodiscard]] Subscription SubscribeLibraryReplaced(LibraryReplacedHook hook);
std::size_t LibraryReplacedListenerCount();
// The index in Library of the file that had index in previous; -1 when gone.
// Takes no search while the listeners run.
int32_t RemapLibraryIndex(const LibraryDatabase& previous, int32_t index);
// Indices of previous moved to Library in their order: a title gone leaves,
// an entry that names no title (-1) stays; [-1] when nothing is left.
QVector<int32_t> RemapLibraryItems(const LibraryDatabase& previous, const QVector<int32_t>& items);

// The step of a synchronisation that keeps what the user made, matching the
// records of work and old by exact path (the first of equal paths counts).
// With keepUserData each record of work found in old takes its rating, play
// count, last play and add time, and its tags and actions when they hold an
// edit not yet in the file ("Tag;"); without it work is not written. Gives,
// by index of old, the index of that file in work, -1 when gone.
std::vector<int32_t> CarryUserData(LibraryDatabase& work, const LibraryDatabase& old, bool keepUserData);
