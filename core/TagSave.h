// The tag editor's save: the edited fields go into the tag the reader reads
// for the file, and into the ID3v1 block where the program keeps one, by way
// of a copy beside the file that replaces it only once the copy reads back
// right and still carries the same audio (core/TagSaveJob).
#pragma once

#include "core/LibraryTypes.h"
#include "core/TagSaveJob.h"

enum class TagSaveResult {
    Saved,
    Failed,              // the mark stays; the file is as it was, or holds the edit
                         // already where its folder could not be synced after the rename
    FormatNotSupported,  // no tag of this format is written; the file is left alone
};

// Writes the record's title, artist, album, year, track, genre and comment
// into its file and then removes every "Tag;" from Actions. Fields whose
// reading already equals the edit keep their bytes ("3/12" stays when the
// track reads 3; a track typed with a total is written when the file holds
// another total). MPEG, MONKEY and MPP files also get the ID3v1 block.
// The program's runner turns the event loop while the copy is written and
// holds the busy state meanwhile: pass a record of your own, not one inside
// Library.Files, which a pumped event may move.
TagSaveResult SaveTags(LibraryEntry& entry);

// True while a save waits for its runner.
bool TagSaveRunning();
// Ends a running save at once and removes its copy, for the exit: its own
// save of the library must not wait for the helper. The save then fails.
void CancelTagSave();

void SetTagSaveFailure(TagSaveStep step);
