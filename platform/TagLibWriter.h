// The tag writer of the program, backed by TagLib: each format's own tag, in
// the tag the reader prefers, the ID3v2 version the file has kept.
#pragma once

#include "core/TagWriter.h"

class TagLibWriter : public TagWriter {
public:
    bool Write(const QString& path, const TagWrite& write) override;
};

// The program's one writer, installed as the current writer by the start.
TagLibWriter& ProgramTagWriter();
