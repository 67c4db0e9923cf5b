// The tag reader of the program, backed by TagLib. The format code comes from
// the class TagLib opens the file with; genres that are stored as numbers come
// back as numbers, so the program's own genre table names them.
#pragma once

#include "core/TagReader.h"

class TagLibReader : public TagReader {
public:
    TagReading Open(const QString& path) override;
};

// The program's one reader, installed as the current reader by the start.
TagLibReader& ProgramTagReader();

namespace TagLib {
class Tag;
}
// The track of one tag as stored ("3/12"; an MP4 pair as "3/12"), "" for none.
QString StoredTrack(const TagLib::Tag* tag);
