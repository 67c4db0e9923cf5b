// Reading the library files: Files.db's bytes into records, Playing.db into
// the now-playing queue.
#pragma once

#include "core/LibraryTypes.h"

#include <QString>
#include <QVector>

#include <string_view>

namespace dbfile {

// How far Files.db was read: whole, up to a format error (the queue is then
// not read), or with something left unread that the rules would not stop at.
enum class ReadEnd { Complete, FormatError, Lossy };

struct FilesDbResult {
    QVector<LibraryEntry> records;
    ReadEnd end = ReadEnd::Complete;
};

// The records of Files.db's UTF-8 bytes, up to the first error.
FilesDbResult ReadFilesDb(std::string_view text);

// Keeps the file that did not load whole under a new name before a save can
// replace it: Files.db.bad, then Files.db.bad.1, ...; never over an older copy.
void KeepBadCopy(const QString& path);

// The queue stored in Playing.db: only -1 and indices of the store's real
// records; [-1] when there is none.
QVector<int32_t> ReadPlayingDb(const LibraryDatabase& store);

} // namespace dbfile
