#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using K = CommandLineRequest::Kind;

TEST(CommandLine, Requests)
{
    const QString cwd = QStringLiteral("/home/ute");
    const struct { const char* commandLine; K kind; const char* path; } rows[] = {
        {"", K::Resume, ""},
        {"/AutoRun", K::None, ""},
        {"/play", K::None, ""},                                   // empty file part
        {"\"\" /play", K::None, ""},
        {"Lied.mp3", K::None, ""},                                // no "/" at all
        {"/home/ute/Lied.mp3", K::None, ""},                      // switch "Lied.mp3"
        {"/home/ute/Lied.mp3 /play", K::Play, "/home/ute/Lied.mp3"},
        {"\"/home/ute/Mein Lied.MP3\" /play", K::Play, "/home/ute/Mein Lied.MP3"},  // case kept
        {"  /a/\"b\"c.mp3  /Play", K::Play, "/a/bc.mp3"},
        {"Musik/Lied.mp3 /play", K::Play, "/home/ute/Musik/Lied.mp3"},  // against the working folder
        {"./Musik/../Lied.mp3 /play", K::Play, "/home/ute/Lied.mp3"},
        {"/home/ute/Lied.mp3 /play now", K::None, ""},
        {"/home/ute/Grüße 日本.flac /play", K::Play, "/home/ute/Grüße 日本.flac"},
    };
    for (const auto& r : rows) {
        const CommandLineRequest req = ParseCommandLine(QString::fromUtf8(r.commandLine), cwd);
        EXPECT_EQ(std::pair(req.kind, req.path), std::pair(r.kind, QString::fromUtf8(r.path))) << r.commandLine;
    }
}

LibraryDatabase LibraryOf(std::initializer_list<const char*> names)
{
    LibraryDatabase store;
    for (const char* n : names) {
        LibraryEntry e;
        e.FileName = QString::fromUtf8(n);
        store.Files.append(e);
    }
    return store;
}

TEST(CommandLine, FindingTheFile)
{
    const LibraryDatabase store = LibraryOf(
        {"/m/a.mp3", "/m/B.mp3", "/m/b.mp3", "/m/Ä.mp3", "/m/a.mp3", "/m/X.mp3", "/m/x.MP3"});
    const struct { const char* path; int32_t index; } rows[] = {
        {"/m/a.mp3", 4},   // the last exact match wins, index 0 is found like any other
        {"/m/b.mp3", 2},   // an exact match beats a later one without regard to case
        {"/m/B.mp3", 1},
        {"/m/x.mp3", 6},   // no exact match: the last one regardless of case
        {"/m/ä.MP3", 3},
        {"/m/c.mp3", -1},
        {"", -1},
    };
    for (const auto& r : rows) EXPECT_EQ(FindLibraryFile(store, QString::fromUtf8(r.path)), r.index) << r.path;
    EXPECT_EQ(FindLibraryFile(LibraryOf({"/m/a.mp3"}), QStringLiteral("/m/a.mp3")), 0);
    EXPECT_EQ(FindLibraryFile(LibraryOf({""}), QString()), -1);  // never the placeholder
}

TEST(CommandLine, ResumePoint)
{
    LibraryDatabase store = LibraryOf({"/m/a.mp3", "/m/b.mp3"});
    store.Files[1].Tags.Lenght = 60;
    const LibraryDatabase empty = LibraryOf({""});
    // LastTrack, LastPosition, LastPaused, library empty -> track, position, paused
    const struct { int32_t lastTrack; double lastPosition; int16_t lastPaused; bool emptyLibrary;
                   int32_t track; double position; bool paused; } rows[] = {
        {1, 50, 1, false, 1, 49, true},
        {0, 50, 0, false, 0, 49, false},
        {1, 0.5, 0, false, 1, 0, false},    // never before the start
        {1, -7, 0, false, 1, 0, false},
        {1, 60, 0, false, 1, 59, false},
        {1, 1e12, 0, false, 1, 0, false},  // beyond the title's length
        {2, 50, 0, false, -1, 0, false},    // past the end of the library
        {0, 50, 0, true, -1, 0, false},     // the placeholder entry
        {-5, 50, 0, false, -1, 0, false},
    };
    for (const auto& r : rows) {
        SettingsRecord s;
        s.LastTrack = r.lastTrack;
        s.LastPosition = r.lastPosition;
        s.LastPaused = r.lastPaused;
        const ResumePoint p = ResumePointFor(s, r.emptyLibrary ? empty : store);
        EXPECT_EQ(std::tuple(p.track, p.position, p.paused), std::tuple(r.track, r.position, r.paused)) << r.lastTrack;
    }
}

} // namespace
