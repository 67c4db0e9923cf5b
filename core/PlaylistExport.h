// Playlist export (modM3U, modXSPF): a list set written as an extended M3U or
// an XSPF file, every entry's items in order.
#pragma once

#include "core/LibraryTypes.h"

#include <QString>
#include <cstdint>

// Both writers skip items that name no title (-1, not a library index, no file
// name, a file name with a line break) and return false when the file could
// not be written; an existing file is then left as it was.
bool SaveM3U(const LibraryDatabase& store, int listIndex, const QString& path);
bool SaveM3U(int listIndex, const QString& path);  // from Library
bool SaveXSPF(const LibraryDatabase& store, int listIndex, const QString& path);
bool SaveXSPF(int listIndex, const QString& path);  // from Library

// The display text of an M3U entry: "Title - by 'Album' from 'Artist'", the
// parts with an empty field left out; "" for an invalid index.
QString GetM3UTitle(const LibraryDatabase& store, int64_t index);
QString GetM3UTitle(int64_t index);  // from Library
