// The tag editor's save: the edited fields go into the tag the reader reads
// for the file, and into the ID3v1 block where the program keeps one, by way
// of a copy beside the file that replaces it only once it reads back right.
#pragma once

#include "core/LibraryTypes.h"

enum class TagSaveResult {
    Saved,
    Failed,              // the file is as it was; the mark stays
    FormatNotSupported,  // no tag of this format is written; the file is left alone
};

// Writes the record's title, artist, album, year, track, genre and comment
// into its file and then removes every "Tag;" from Actions. Fields whose
// reading already equals the edit keep their bytes ("3/12" stays when the
// track reads 3). MPEG, MONKEY and MPP files also get the ID3v1 block.
TagSaveResult SaveTags(LibraryEntry& entry);

// Where a save is made to fail in tests (which run as root, so permission
// bits cannot make a write fail).
enum class TagSaveStep { None, Copy, Write, Verify, Rename };
void SetTagSaveFailure(TagSaveStep step);
