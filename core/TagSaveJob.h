// One tag save's work on the copy of a file, as the player hands it over:
// fill the copy, write the tags, add the ID3v1 block, read the copy back,
// check its audio, sync it. The player runs it through a TagSaveRunner
// (the program: in a helper process under limits, so that a library fault on
// a damaged file costs that process and never the player) and renames the
// copy over the file only after it succeeded.
#pragma once

#include "core/TagReader.h"
#include "core/TagWriter.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The seven fields in TagWrite's bit order, as a reload puts them into a record.
using TagFields = std::array<QString, 7>;

// What a reload of the file makes of the reading; name is the record's
// FileName, whose file name stands in for a missing title.
TagFields ReloadedFields(const TagReading& reading, const QString& name);

// Where a save is made to fail in tests (which run as root, so permission
// bits cannot make a write fail).
enum class TagSaveStep { None, Copy, Write, Verify, Rename };

struct TagSaveJob {
    QString original;  // the file, links resolved; only ever read
    QString copy;      // an existing file beside it that the player made and owns
    QString name;      // the record's FileName
    TagWrite write;
    TagFields want;    // what the copy must read back as
    int16_t format = 0;
    QByteArray id3v1;  // the 128-byte block to write, or empty for none
    TagSaveStep failAt = TagSaveStep::None;
};

// The job as bytes for the helper's standard input, and back; nullopt for
// bytes that are no complete job.
QByteArray SerializeTagSaveJob(const TagSaveJob& job);
std::optional<TagSaveJob> ParseTagSaveJob(const QByteArray& bytes);

// The outcome, also the helper's exit status.
enum class TagJobStatus : int {
    Done = 0,
    BadJob = 10,
    CopyFailed,
    WriteFailed,
    ReadBackDiffers,
    AudioDiffers,
    SyncFailed,
};

// True when the copy carries the original's audio. None skips the check.
using AudioCheck = std::function<bool(const QString& original, const QString& copy)>;

TagJobStatus RunTagSaveJob(const TagSaveJob& job, TagWriter& writer, TagReader& reader, const AudioCheck& audioSame);

// Runs jobs for SaveTags. Run may turn the event loop while it waits; Cancel,
// called from inside that loop (an exit), ends the work at once, after which
// Run returns false.
class TagSaveRunner {
public:
    virtual ~TagSaveRunner() = default;
    virtual bool Run(const TagSaveJob& job) = 0;
    virtual void Cancel() = 0;
};

// The runner SaveTags uses. None (the default) runs the job in this process
// through the current writer and reader without an audio check: for tests of
// the tag logic. The program installs its helper. Not owned.
void SetTagSaveRunner(TagSaveRunner* runner);
TagSaveRunner* CurrentTagSaveRunner();
