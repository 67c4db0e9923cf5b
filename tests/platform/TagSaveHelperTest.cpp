// The tag save through its helper process, over files damaged at test time in
// one size field each: whatever the helper's libraries make of them, the save
// fails, the file keeps every byte and no copy stays behind. Also the limits
// the helper runs under, and the read-back that refuses a wrong write.
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "core/WholeFile.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/HelperScript.h"
#include "tests/support/TagSaveTest.h"

#include <QFile>
#include <QThread>
#include <QTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

using Patch = std::function<bool(QByteArray&)>;

// The offset of the atom at the end of path ("moov/udta/meta/free"), -1 if none.
qsizetype FindAtom(const QByteArray& file, const QStringList& path)
{
    qsizetype at = 0, end = file.size();
    qsizetype found = -1;
    for (const QString& name : path) {
        found = -1;
        while (at + 8 <= end) {
            const qsizetype size = qFromBigEndian<quint32>(file.constData() + at);
            if (size < 8 || at + size > end) return -1;
            if (file.mid(at + 4, 4) == name.toLatin1()) {
                found = at;
                break;
            }
            at += size;
        }
        if (found < 0) return -1;
        end = found + qFromBigEndian<quint32>(file.constData() + found);
        at = found + (name == "meta" ? 12 : 8);  // meta carries a version and flags before its children
    }
    return found;
}

Patch AtomSize(const QString& path, quint32 size)
{
    return [=](QByteArray& file) {
        const qsizetype at = FindAtom(file, path.split('/'));
        if (at < 0) return false;
        qToBigEndian(size, file.data() + at);
        return true;
    };
}

// The ASF header object's size, relative to what it is (absolute when set).
Patch AsfHeaderSize(qint64 delta, std::optional<quint64> absolute = std::nullopt)
{
    return [=](QByteArray& file) {
        if (file.size() < 24) return false;
        const quint64 now = qFromLittleEndian<quint64>(file.constData() + 16);
        qToLittleEndian<quint64>(absolute ? *absolute : now + quint64(delta), file.data() + 16);
        return true;
    };
}

Patch ApeFooterSize(qint32 delta)
{
    return [=](QByteArray& file) {
        const qsizetype footer = file.lastIndexOf("APETAGEX");
        if (footer < 0 || footer + 32 > file.size()) return false;
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(file.constData() + footer + 12) + quint32(delta),
                                 file.data() + footer + 12);
        return true;
    };
}

bool AddApeTag(const QString& path)
{
    TagLib::MPEG::File f(QFile::encodeName(path).constData());
    if (!f.isValid()) return false;
    f.APETag(true)->setTitle("Ape");
    return f.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3);
}

// A cover picture, which FFmpeg shows as a video stream of its own beside the audio.
bool AddCover(const QString& path, FixtureFormat fmt)
{
    const QByteArray jpeg = "\xff\xd8\xff\xe0" + QByteArray(2000, '\x11') + "\xff\xd9";
    const TagLib::ByteVector picture(jpeg.constData(), unsigned(jpeg.size()));
    const QByteArray name = QFile::encodeName(path);
    switch (fmt) {
    case FixtureFormat::Mp3: {
        TagLib::MPEG::File f(name.constData());
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(picture);
        f.ID3v2Tag(true)->addFrame(frame);
        return f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3);
    }
    case FixtureFormat::M4a: {
        TagLib::MP4::File f(name.constData());
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, picture));
        f.tag()->setItem("covr", covers);
        return f.save();
    }
    case FixtureFormat::Flac: {
        TagLib::FLAC::File f(name.constData());
        auto* cover = new TagLib::FLAC::Picture;
        cover->setMimeType("image/jpeg");
        cover->setType(TagLib::FLAC::Picture::FrontCover);
        cover->setData(picture);
        f.addPicture(cover);
        return f.save();
    }
    default:
        return false;
    }
}

class TagSaveHelperTest : public TagSaveTest {
protected:
    // Saves a new title into the file; expects a clean failure.
    void ExpectCleanFailure(const QString& path, const QString& title, const std::string& what)
    {
        SCOPED_TRACE(what);
        const QByteArray before = ReadRawFile(path);
        LibraryEntry e = Load(path);
        ASSERT_GT(e.Tags.Format.size(), 0);
        e.Tags.Title = title;
        e.Actions = "Tag;";
        EXPECT_EQ(SaveTags(e), TagSaveResult::Failed);
        EXPECT_EQ(e.Actions, "Tag;");
        EXPECT_TRUE(ReadRawFile(path) == before);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{QFileInfo(path).fileName()});
        EXPECT_FALSE(TagSaveRunning());
    }
};

// Each file plays (FFmpeg demuxes it) and reads; a save would crash TagLib,
// write without end, or keep a file whose audio is cut or no longer decodes.
TEST_F(TagSaveHelperTest, DamagedFilesFailCleanly)
{
    const QString longTitle = QString(3000, u'l');
    const struct { const char* name; FixtureFormat fmt; Patch patch; QString title; bool apeTag = false; } rows[] = {
        {"ASF header size 0", FixtureFormat::Wma, AsfHeaderSize(0, 0), "Neu"},
        {"ASF header size 2^64-1", FixtureFormat::Wma, AsfHeaderSize(0, ~quint64(0)), "Neu"},
        {"ASF header size +300", FixtureFormat::Wma, AsfHeaderSize(300), "Neu"},
        {"ASF header size -300", FixtureFormat::Wma, AsfHeaderSize(-300), "Neu"},
        {"M4A free atom of 4 GiB", FixtureFormat::M4a, AtomSize("moov/udta/meta/free", 0xffffffffu), longTitle},
        {"M4A stco of 19 bytes", FixtureFormat::M4a, AtomSize("moov/trak/mdia/minf/stbl/stco", 19), "Neu"},
        {"MP3 APE tag 1000 bytes longer", FixtureFormat::Mp3, ApeFooterSize(1000), "Neu", true},
    };
    for (const auto& r : rows) {
        const QString path = dir_.filePath("lied" + FixtureExtension(r.fmt));
        ASSERT_TRUE(MakeToneFile(path, r.fmt, 1.0) && WriteFixtureTags(path, {.Title = "Alt", .Id3v2Version = 3}));
        if (r.apeTag) {
            ASSERT_TRUE(AddApeTag(path));
        }
        QByteArray bytes = ReadRawFile(path);
        ASSERT_TRUE(r.patch(bytes)) << r.name;
        ASSERT_TRUE(WriteRawFile(path, bytes));
        ASSERT_FALSE(AudioPayload(path).isEmpty()) << r.name;
        ExpectCleanFailure(path, r.title, r.name);
        QFile::remove(path);
    }
}

// A helper that dies, hangs, grows the copy without end or says it failed
// fails the save; one that leaves a good copy and exits 0 lets it succeed.
TEST_F(TagSaveHelperTest, HelperFaultsFailTheSave)
{
    const QString path = dir_.filePath("lied.mp3");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) && WriteFixtureTags(path, {.Title = "Alt"}));
    const QString script = dir_.filePath("helfer"), missing = dir_.filePath("fehlt");
    // The script gets the file and the copy as $1 and $2, the job on its input.
    const struct { const char* name; QByteArray body; bool saved; } rows[] = {
        {"stopped by its file size limit", "exec head -c 100000000 /dev/zero >\"$2\"", false},
        {"hangs", "exec sleep 600", false},
        {"a good copy, then status 1", "cp \"$1\" \"$2\"; exit 1", false},
        {"a good copy, then a crash", "cp \"$1\" \"$2\"; kill -SEGV $$", false},
        {"cannot be started", {}, false},
        {"a good copy, status 0", "cp \"$1\" \"$2\"", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QFile::remove(script);
        if (!r.body.isEmpty()) {
            ASSERT_TRUE(WriteHelperScript(script, r.body));
        }
        TagSaveProcess helper(r.body.isEmpty() ? missing : script);
        helper.SetTimeout(std::chrono::milliseconds(300));
        SetTagSaveRunner(&helper);
        const QByteArray before = ReadRawFile(path);
        LibraryEntry e = Load(path);
        e.Tags.Title = "Neu";
        e.Actions = "Tag;";
        EXPECT_EQ(SaveTags(e), r.saved ? TagSaveResult::Saved : TagSaveResult::Failed);
        EXPECT_EQ(e.Actions, r.saved ? "" : "Tag;");
        EXPECT_TRUE(ReadRawFile(path) == before);
        QStringList left = FilesUnder(dir_.path());
        left.removeAll("helfer");
        EXPECT_EQ(left, QStringList{"lied.mp3"});
    }
    SetTagSaveRunner(&runner_);
}

// The exit cancels a running save: the helper is gone and the copy removed
// before CancelTagSave returns, and the save then fails with the file untouched.
TEST_F(TagSaveHelperTest, CancelEndsTheHelperAndRemovesTheCopyAtOnce)
{
    const QString path = dir_.filePath("lied.flac");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Flac, 0.3) && WriteFixtureTags(path, {.Title = "Alt"}));
    QTemporaryDir aside;
    const QString script = aside.filePath("helfer"), pidFile = aside.filePath("pid"), gate = aside.filePath("tor");
    ASSERT_TRUE(WriteGatedHelper(script, pidFile, gate, SAROVIN_TAG_HELPER));
    TagSaveProcess helper(script);
    SetTagSaveRunner(&helper);
    const QByteArray before = ReadRawFile(path);
    LibraryEntry e = Load(path);
    e.Tags.Title = "Neu";
    e.Actions = "Tag;";
    QStringList filesWhileRunning, filesAfterCancel;
    bool runningBefore = false, runningAfter = true, helperAlive = true;
    QTimer::singleShot(0, [&] {
        // The script has started once its process id is there.
        for (int i = 0; i < 100000 && ReadRawFile(pidFile).isEmpty(); ++i) QThread::usleep(100);
        filesWhileRunning = FilesUnder(dir_.path());
        runningBefore = TagSaveRunning();
        CancelTagSave();
        runningAfter = TagSaveRunning();
        filesAfterCancel = FilesUnder(dir_.path());
        helperAlive = ::kill(pid_t(ReadRawFile(pidFile).trimmed().toLongLong()), 0) == 0;
        WriteRawFile(gate, "");  // were it still there, it may end now
    });
    EXPECT_EQ(SaveTags(e), TagSaveResult::Failed);
    EXPECT_TRUE(runningBefore);
    EXPECT_FALSE(runningAfter);
    EXPECT_EQ(filesWhileRunning.size(), 2);  // the file and its copy
    EXPECT_EQ(filesAfterCancel, QStringList{"lied.flac"});
    EXPECT_FALSE(helperAlive);
    EXPECT_EQ(e.Actions, "Tag;");
    EXPECT_TRUE(ReadRawFile(path) == before);
    EXPECT_EQ(FilesUnder(dir_.path()), QStringList{"lied.flac"});
    SetTagSaveRunner(&runner_);
}

// The saved file keeps its mode, a read-only one too (the helper fills the copy first).
TEST_F(TagSaveHelperTest, SavedFileKeepsItsPermissions)
{
    const QString path = dir_.filePath("lied.ogg");
    using P = QFile::Permission;
    for (const QFile::Permissions mode : {P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther,
                                          QFile::Permissions(P::ReadOwner | P::ReadGroup)}) {
        ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Ogg, 0.3) && WriteFixtureTags(path, {.Title = "Alt"}));
        ASSERT_TRUE(QFile::setPermissions(path, mode));
        LibraryEntry e = Load(path);
        e.Tags.Title = "Neu";
        EXPECT_EQ(SaveTags(e), TagSaveResult::Saved);
        EXPECT_EQ(QFile::permissions(path) & 0x7077, mode);  // owner, group, others
        EXPECT_EQ(reader_.Open(path).Title, "Neu");
        QFile::setPermissions(path, P::ReadOwner | P::WriteOwner);
        QFile::remove(path);
    }
}

// The limits grow with the file and the new texts, and leave room for a tag's padding.
TEST(TagHelperLimitsTest, FileSizeCoversFileTagsAndPadding)
{
    const TagWrite small{.fields = 1, .title = "T"};
    TagWrite large = small;
    large.title = QString(5000, u'x');
    const TagHelperLimits a = LimitsFor(5'000'000, small), b = LimitsFor(5'000'000, large), c = LimitsFor(0, small);
    EXPECT_GE(a.fileSize, 5'000'000u + 4096u + 1024u);
    EXPECT_GE(b.fileSize - a.fileSize, 2u * 5000u * 4u);  // UTF-16 with its mark, in two tags
    EXPECT_LT(c.fileSize, 4u << 20);                       // no runaway may fill a disk
    EXPECT_GT(LimitsFor(int64_t(2) << 30, small).wallClock, a.wallClock);
}

// A writer that stores another title than asked fails the save at the read-back.
TEST_F(TagSaveHelperTest, ReadBackRefusesAWriterThatWroteSomethingElse)
{
    struct Liar : TagWriter {
        TagLibWriter real;
        QString title;
        bool Write(const QString& path, const TagWrite& write) override
        {
            TagWrite other = write;
            if (!title.isNull()) other.title = title;
            return real.Write(path, other);
        }
    };
    const QString path = dir_.filePath("lied.ogg");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Ogg, 0.3) && WriteFixtureTags(path, {.Title = "Alt"}));
    SetTagSaveRunner(nullptr);  // in this process, through the writer installed here
    const struct { QString written; TagSaveResult result; } rows[] = {
        {"Anders", TagSaveResult::Failed}, {"neu", TagSaveResult::Failed}, {{}, TagSaveResult::Saved}};
    for (const auto& r : rows) {
        Liar liar;
        liar.title = r.written;
        SetTagWriter(&liar);
        const QByteArray before = ReadRawFile(path);
        LibraryEntry e = Load(path);
        e.Tags.Title = "Neu";
        EXPECT_EQ(SaveTags(e), r.result) << r.written.toStdString();
        EXPECT_EQ(ReadRawFile(path) == before, r.result == TagSaveResult::Failed);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{"lied.ogg"});
    }
    EXPECT_EQ(reader_.Open(path).Title, "Neu");
}

// The folder cannot be synced after the copy took the file's place: the tags
// are in the file, but a power loss could still undo the rename, so the save
// is not reported as done and the edit stays marked; the next save finds the
// file as edited and only takes the mark away.
TEST_F(TagSaveHelperTest, AFailedFolderSyncKeepsTheMarkAndTheNextSaveOnlyTakesItAway)
{
    const QString path = dir_.filePath("lied.mp3");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) && WriteFixtureTags(path, {.Title = "Alt"}));
    LibraryEntry e = Load(path);
    e.Tags.Title = "Neu";
    e.Actions = "Tag;";
    int folderSyncs = 0;
    SetWholeFileSync([&](int fd) {
        struct stat st = {};
        if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
        ++folderSyncs;
        errno = EIO;
        return -1;
    });
    EXPECT_EQ(SaveTags(e), TagSaveResult::Failed);
    SetWholeFileSync({});
    EXPECT_EQ(folderSyncs, 1);
    EXPECT_EQ(e.Actions, "Tag;");
    EXPECT_EQ(reader_.Open(path).Title, "Neu");  // renamed before the sync
    EXPECT_EQ(FilesUnder(dir_.path()), QStringList{"lied.mp3"});

    const QByteArray saved = ReadRawFile(path);
    EXPECT_EQ(SaveTags(e), TagSaveResult::Saved);
    EXPECT_EQ(e.Actions, "");
    EXPECT_TRUE(ReadRawFile(path) == saved);
    EXPECT_EQ(FilesUnder(dir_.path()), QStringList{"lied.mp3"});
}

// The program's stderr is a file already larger than the helper may write (a
// session's log): what the helper says still gets there, and the save works.
TEST_F(TagSaveHelperTest, AHelperThatSpeaksIsNotStoppedByALargeStderrFile)
{
    const QString path = dir_.filePath("lied.mp3");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) && WriteFixtureTags(path, {.Title = "Alt"}));
    QTemporaryDir aside;
    const QString script = aside.filePath("helfer"), log = aside.filePath("log");
    ASSERT_TRUE(WriteHelperScript(script, QByteArray("echo gesagt >&2\nexec '") + SAROVIN_TAG_HELPER + "' \"$@\""));
    const int fd = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(64) << 20), 0);  // sparse, far past the limit of a small file
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    ::close(fd);
    TagSaveProcess helper(script);
    SetTagSaveRunner(&helper);
    LibraryEntry e = Load(path);
    e.Tags.Title = "Neu";
    const TagSaveResult result = SaveTags(e);
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    SetTagSaveRunner(&runner_);
    EXPECT_EQ(result, TagSaveResult::Saved);
    EXPECT_EQ(reader_.Open(path).Title, "Neu");
    QFile said(log);
    ASSERT_TRUE(said.open(QIODevice::ReadOnly) && said.seek((qint64(64) << 20)));
    EXPECT_EQ(said.readAll(), "gesagt\n");
}

// A cover is no audio: a file with one saves, and only its audio is compared.
TEST_F(TagSaveHelperTest, AFileWithACoverSaves)
{
    for (const FixtureFormat fmt : {FixtureFormat::Mp3, FixtureFormat::M4a, FixtureFormat::Flac}) {
        const QString path = dir_.filePath("lied" + FixtureExtension(fmt));
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(MakeToneFile(path, fmt, 0.5) && WriteFixtureTags(path, {.Title = "Alt", .Id3v2Version = 3}));
        ASSERT_TRUE(AddCover(path, fmt));
        const QByteArray audio = AudioPayload(path);
        LibraryEntry e = Load(path);
        e.Tags.Title = QString(500, u'n');
        EXPECT_EQ(SaveTags(e), TagSaveResult::Saved);
        EXPECT_EQ(reader_.Open(path).Title, e.Tags.Title);
        EXPECT_TRUE(AudioPayload(path) == audio);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{QFileInfo(path).fileName()});
        QFile::remove(path);
    }
}

} // namespace
