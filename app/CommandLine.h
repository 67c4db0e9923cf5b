// What the command line asks of the start: nothing, resume the last title, or
// play a file. Pure functions, so the rules are tested without a window.
#pragma once

#include "core/LibraryTypes.h"
#include "core/Settings.h"

#include <QString>

struct CommandLineRequest {
    enum Kind { None, Resume, Play };
    Kind kind = None;
    QString path;  // Play: trimmed, unquoted, absolute, in its original case
};

// Empty: resume. Otherwise the text after the last "/" is the switch; only
// "play" (any case) acts, on the text before that "/" as a file path. An empty
// file part, or a text without "/", asks for nothing.
CommandLineRequest ParseCommandLine(const QString& commandLine, const QString& workingFolder);

// The library index of a file: the last exact match of FileName; without one,
// the last match regardless of case; -1 when neither exists (the caller then
// adds the file under the path it was given).
int32_t FindLibraryFile(const LibraryDatabase& store, const QString& path);

// The library index to play for a "/play" request: the file's record when the
// library has it (FindLibraryFile), else a record added with AddFile under the
// path as given; -1 when the file cannot be read.
int32_t LibraryIndexForPlay(LibraryDatabase& store, const QString& path);

// Where an empty command line resumes: the stored last title one second
// before its stored position (never below 0, and 0 when the position lies
// beyond the title's known length), paused when it was paused.
// A stored index that is no longer a real library entry resumes nothing.
struct ResumePoint {
    int32_t track = -1;
    double position = 0;
    bool paused = false;
};
ResumePoint ResumePointFor(const SettingsRecord& settings, const LibraryDatabase& store);
