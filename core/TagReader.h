// The tag reader as the library code sees it: one call that opens an audio
// file and tells its format, tags and properties. The program's reader lives in
// platform/; tests install their own.
#pragma once

#include <QString>
#include <cstdint>

struct TagReading {
    int16_t Format = 0;     // 0 unusable, 1..9 an index into FileTypes
    QString Album;
    QString Artist;
    QString Comment;
    QString Genre;          // a genre name, or a genre number as decimal text
    QString Title;          // "" when the file has none
    QString Year;           // "" when the file has none
    QString Track;          // as stored, e.g. "3/12"
    int32_t Bitrate = 0;    // kbit/s
    double Duration = 0;    // seconds, with fraction
    int64_t Size = 0;       // bytes
};

class TagReader {
public:
    virtual ~TagReader() = default;
    // Reads one file. A file that cannot be opened, or is no audio file the
    // reader knows, comes back with Format 0.
    virtual TagReading Open(const QString& path) = 0;
};

// The reader AddFile and the start's probe use; none (every file unusable)
// until the program or a test installs one. Not owned.
void SetTagReader(TagReader* reader);
TagReader* CurrentTagReader();
