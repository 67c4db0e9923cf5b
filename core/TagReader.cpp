#include "core/TagReader.h"

namespace {
TagReader* g_reader = nullptr;
}

void SetTagReader(TagReader* reader)
{
    g_reader = reader;
}

TagReader* CurrentTagReader()
{
    return g_reader;
}
