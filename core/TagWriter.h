// The tag writer as the library code sees it: sets some fields of an audio
// file's own tag (ID3v2 or APE of MPEG, the Xiph comment, MP4 atoms, the ASF
// tag, APE of Monkey's Audio and Musepack). The program's writer lives in
// platform/; the ID3v1 block is ours alone (core/Id3v1Writer).
#pragma once

#include <QString>

struct TagWrite {
    // Bits of `fields`; the order is the one SaveTags compares in.
    enum Field : unsigned { Title = 1, Artist = 2, Album = 4, Year = 8, Track = 16, Genre = 32, Comment = 64 };
    unsigned fields = 0;  // the fields to set; the others keep what the file holds
    QString title, artist, album, track, genre, comment;  // "" removes the field
    unsigned year = 0;                                     // 0 removes it
};

class TagWriter {
public:
    virtual ~TagWriter() = default;
    // Writes into the file at path, in place, and never an ID3v1 block (one
    // the file has is left as it is). False when the file cannot be opened or
    // saved or has no tag this writer knows.
    virtual bool Write(const QString& path, const TagWrite& write) = 0;
};

// The writer the tag editor's save uses; none until the program or a test
// installs one. Not owned.
void SetTagWriter(TagWriter* writer);
TagWriter* CurrentTagWriter();
