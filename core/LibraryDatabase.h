// The library files: Files.db (the records) and Playing.db (the now-playing
// queue) in the data folder, and the list sets built from the records.
#pragma once

#include "core/LibraryTypes.h"
#include "core/WholeFile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// Resets Library to the empty library (one placeholder record).
void InitAudioDatabase();
// The store becomes one placeholder record with cleared list sets.
void ResetDatabase(LibraryDatabase& store);
// Reads Files.db and Playing.db into the store and builds its list sets.
void LoadDatabase(LibraryDatabase& store);
// Writes the store's records and queue; false when a file could not be written
// (the old file is kept and the user is told).
bool SaveDatabase(LibraryDatabase& store);

// SaveDatabase without telling anyone: the files that could not be written
// and why. When Files.db fails, Playing.db is not written either, so the kept
// pair still matches (unless the new Files.db is in place all the same and
// only its folder's sync failed: then the queue follows it). For callers that report later (the exit procedure).
// Waits for a running periodic write first.
SaveFailures WriteDatabase(const LibraryDatabase& store);
// The periodic writer's pieces: the records [from, to) as Files.db holds them
// (numbered by their index), Playing.db's bytes, and a file written whole from
// chunks ("" on success, else the reason, and in *replaced whether the new
// file is in place all the same; the write check is asked as for the other
// writes). The last runs on any thread.
QByteArray FilesDbRecordBytes(const LibraryDatabase& store, qsizetype from, qsizetype to);
QByteArray PlayingDbBytes(const LibraryDatabase& store);
QString WriteFileChunks(const QString& path, const QByteArrayList& chunks, bool* replaced = nullptr);
// "Die Datei ... konnte nicht gespeichert werden. ..." for one path, and the
// reason on a line of its own when there is one.
QString SaveFailedText(const QString& path, const QString& reason = {});
// The same text on one line of stderr.
void TellSaveFailureOnStderr(const SaveFailure& failure);
// Tells the user about files that could not be written, one message box each
// (style 16, caption "Sarovin"); while the session ends MsgBox sends them to
// stderr instead.
void ReportSaveFailures(const SaveFailures& failures);
// Test seam: asked before each library file is committed; returning false makes
// that write fail the way a full disk would. Asked on the writing thread, which
// is the periodic writer's worker for its writes.
void SetDatabaseWriteCheck(std::function<bool(const QString& path)> check);

// The value between "<key>" and "</key>" in a record's text; nothing when missing.
QVariant GetTagValue(const QString& text, const QString& key, int occurrence = 0);

// List sets: every slot becomes one empty entry ([-1]).
void ClearListSets(LibraryDatabase& store);
// Clears all slots (the queue too) and fills the category slots from the records.
void BuildListSets(LibraryDatabase& store);
// Adds an index to the slot's entry with that caption; 1 when the entry was made, else 0.
int AddToListSet(LibraryDatabase& store, int slot, int32_t index, const QString& caption);
// Appends an index to Library's now-playing queue unless it is queued; -1 when appended, else 0.
int16_t AddToPlaying(int16_t ignored, int32_t index);
