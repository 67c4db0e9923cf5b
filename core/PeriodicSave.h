// Saving what the user made while the program runs, not only at the exit: after
// a change of the records (a rating, a counted play, a tag edit, the end of a
// synchronisation), of the now-playing queue or of the settings (the last title
// and its position), the changed files among Files.db, Playing.db and
// Settings.ini are written again within one interval, and only then. A crash
// or a power cut loses at most that interval. CleanExit stays off on disk, so
// a crash still shows at the next start.
//
// Threads: the records are turned into bytes on the UI thread, a few
// milliseconds per turn of the event loop, from Library itself (sharing the
// array with another thread would make the UI thread's next change copy all of
// it); a record changed meanwhile is marked and written again with the next
// write. One worker thread then writes the bytes, the queue's and the settings'
// (taken in the turn the records end) through temporary files; it touches
// nothing but its bytes. Its end is taken on the UI thread.
#pragma once

#include "core/LibraryTypes.h"

#include <chrono>
#include <functional>

// Records changed in place are marked with MarkLibraryChanged (LibraryTypes.h);
// added or removed records, the queue and the settings are noticed without a call.

// Checks every interval from now on. Before each check storeState() puts into
// Settings what otherwise only the exit keeps (the last title, its position,
// the volume). The queue and the settings count as saved where the files hold
// them; what the start changed of them is written with the first check.
void StartPeriodicSave(std::function<void()> storeState,
                       std::chrono::milliseconds interval = std::chrono::minutes(1));
// No further checks; waits for a running write. The exit's own save follows.
void StopPeriodicSave();
// The check the timer runs: writes the files changed since the last write on
// the worker, unless a synchronisation or a write is running.
void CheckPeriodicSave();
// Waits for a running write. Every save on the UI thread calls this first, so
// an older snapshot can never land over a newer file.
void WaitForPeriodicWrite();
// True from the start of a write until its end is taken on the UI thread.
bool PeriodicWriteRunning();

// The files this object writes, as bits.
enum SavedFile : unsigned { SavedFilesDb = 1, SavedPlayingDb = 2, SavedSettingsIni = 4 };
// A save on the UI thread wrote these files from Library and Settings as they
// are now: nothing left to write for them.
void NoteFilesSaved(unsigned files);
