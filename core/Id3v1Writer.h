// modID3Tag: the ID3v1 block the tag editor's save writes into MPEG, Monkey's
// Audio and Musepack files, the last 128 bytes of the file.
#pragma once

#include "core/LibraryTypes.h"

#include <QByteArray>

// The 128-byte block: "TAG", title, artist, album (30 bytes each), year (4),
// comment (30), genre number (255 for a name not in the genre list). Texts are
// Latin-1, "?" for each character outside it, cut to size and padded with blanks.
QByteArray MakeID3v1Block(const TagInfo& tags);

// Writes the block over the file's last 128 bytes when they are an ID3v1
// block, else appends it. Never creates a file; false when the file is missing,
// shorter than 128 bytes or cannot be written.
bool WriteTagBlock(const LibraryEntry& entry, const QByteArray& block);

// Tests make the write of the block fail as on a full disk or a read-only
// file: they run as root, where permission bits do not stop a write.
void SetTagWriteFailure(bool fail);
