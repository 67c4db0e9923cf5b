// Playlist export (modM3U, modXSPF): a list set written as an extended M3U or
// an XSPF file, every entry's items in order.
#pragma once

#include "core/LibraryTypes.h"

#include <QString>
#include <cstdint>

// Both writers skip items that name no title (-1, not a library index, no file
// name, a file name with a line break) and write the file whole: false when it
// could not be written, with the system's reason in *reason; an existing file
// is then left as it was, and no file is made where there was none.
bool SaveM3U(const LibraryDatabase& store, int listIndex, const QString& path, QString* reason = nullptr);
bool SaveM3U(int listIndex, const QString& path, QString* reason = nullptr);  // from Library
bool SaveXSPF(const LibraryDatabase& store, int listIndex, const QString& path, QString* reason = nullptr);
bool SaveXSPF(int listIndex, const QString& path, QString* reason = nullptr);  // from Library

// The display text of an M3U entry: "Title - by 'Album' from 'Artist'", the
// parts with an empty field left out; "" for an invalid index.
QString GetM3UTitle(const LibraryDatabase& store, int64_t index);
QString GetM3UTitle(int64_t index);  // from Library
