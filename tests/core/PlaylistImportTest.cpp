#include "core/PlaylistImport.h"

#include <gtest/gtest.h>

TEST(M3UPaths, LinesSplitAtLineFeedsWithOneCarriageReturnTaken)
{
    const struct {
        const char* bytes;
        QStringList paths;
    } rows[] = {
        {"#EXTM3U\r\n#EXTINF:1,a\r\n/m/a.mp3\r\n/m/b.mp3\r\n", {"/m/a.mp3", "/m/b.mp3"}},
        {"/m/a.mp3\n/m/b.mp3", {"/m/a.mp3", "/m/b.mp3"}},
        {"\xEF\xBB\xBF/m/a.mp3\n", {"/m/a.mp3"}},                         // byte order mark
        {"\n\r\n/m/a.mp3\nrel/b.mp3\n./c.mp3\n", {"/m/a.mp3"}},          // empty and relative
        {"/m/a.mp3\r\r\n /m/b.mp3\n/m/c d.mp3 \n", {"/m/a.mp3\r", "/m/c d.mp3 "}},
        {"/m/\xC3\xA4.mp3\n# /m/x.mp3\n", {QString::fromUtf8("/m/\xC3\xA4.mp3")}},
        {"", {}},
    };
    for (const auto& r : rows) EXPECT_EQ(M3UPaths(QByteArray(r.bytes)), r.paths) << r.bytes;
}
