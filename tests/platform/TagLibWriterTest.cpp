// The tag editor's save over real files made at test time: TagLib writes each
// format's own tag, our writer the ID3v1 block, through a copy of the file.
#include "core/Id3v1Writer.h"
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/PlatformTest.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

class TagLibWriterTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        SetTagReader(&reader_);
        SetTagWriter(&writer_);
        SetTagSaveRunner(&runner_);
    }
    void TearDown() override
    {
        SetTagWriter(nullptr);
        SetTagSaveRunner(nullptr);
        SetTagSaveFailure(TagSaveStep::None);
    }
    // The record a synchronisation makes of the file.
    static LibraryEntry Load(const QString& path)
    {
        LibraryDatabase store;
        EXPECT_TRUE(AddFile(store, path)) << path.toStdString();
        return store.Files.value(0);
    }
    static QStringList Fields(const TagInfo& t) { return {t.Title, t.Artist, t.Album, t.Year, t.Track, t.Genre, t.Comment}; }

    QTemporaryDir dir_;
    TagLibReader reader_;
    TagLibWriter writer_;
    TagSaveProcess runner_{SAROVIN_TAG_HELPER};
};

// A title far longer than the tag had makes every tag grow and the file be rewritten.
TEST_F(TagLibWriterTest, EachFormatReadsBackWhatWasSaved)
{
    const struct { FixtureFormat fmt; int id3v2; int id3v1Genre; } rows[] = {
        {FixtureFormat::Mp3, 3, 17}, {FixtureFormat::Mp3, 4, -1}, {FixtureFormat::Ogg, 0, -1},
        {FixtureFormat::Flac, 0, -1}, {FixtureFormat::M4a, 0, -1}, {FixtureFormat::Wma, 0, -1},
        {FixtureFormat::Mpc, 0, -1},
    };
    const FixtureTags old{.Title = "Alt", .Artist = "Wer", .Album = "Platte", .Comment = "c", .Genre = "Rock",
                          .Track = "3/12", .Year = 1999};
    const TagInfo edit{.Title = "Grüße – " + QString(600, u'x'), .Artist = "Künstlerin", .Album = "Neu", .Year = "2024",
                       .Comment = "Anmerkung ✓", .Genre = "Jazz", .Track = "7"};
    for (const auto& r : rows) {
        FixtureTags tags = old;
        tags.Id3v1Genre = r.id3v1Genre;
        tags.Id3v2Version = r.id3v2;
        const QString path = dir_.filePath("lied" + FixtureExtension(r.fmt));
        ASSERT_TRUE(MakeToneFile(path, r.fmt, 0.5) && WriteFixtureTags(path, tags)) << path.toStdString();
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = ReadRawFile(path), audio = AudioPayload(path);
        ASSERT_FALSE(audio.isEmpty());
        LibraryEntry e = Load(path);
        e.Tags = {.Title = edit.Title, .Artist = edit.Artist, .Album = edit.Album, .Year = edit.Year,
                  .Comment = edit.Comment, .Format = e.Tags.Format, .Genre = edit.Genre, .Track = edit.Track};
        e.Actions = "RTag;";
        ASSERT_EQ(SaveTags(e), TagSaveResult::Saved);
        EXPECT_EQ(e.Actions, "R");
        const QByteArray after = ReadRawFile(path);
        EXPECT_EQ(Fields(Load(path).Tags), Fields(edit));
        EXPECT_EQ(AudioPayload(path), audio);
        EXPECT_EQ(after.mid(0, 4), r.id3v2 ? before.mid(0, 4) : after.mid(0, 4));  // "ID3" and the major version
        const bool id3v1 = e.Tags.Format == "MPEG" || e.Tags.Format == "MPP";
        EXPECT_EQ(after.right(128) == MakeID3v1Block(e.Tags), id3v1);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{QFileInfo(path).fileName()});
        QFile::remove(path);
    }
}

// A failure at any step leaves the file byte for byte, the mark, and no copy behind.
// Clearing the comment takes the plain comment only; another program's
// described comment frame stays and is not read as the comment.
TEST_F(TagLibWriterTest, ClearedCommentKeepsOtherProgramsCommentFrames)
{
    const QString path = dir_.filePath("lied.mp3");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) &&
                WriteFixtureTags(path, {.Title = "T", .Comment = "weg", .Id3v2Version = 3}));
    const QByteArray name = QFile::encodeName(path);
    {
        TagLib::MPEG::File f(name.constData());
        auto* gain = new TagLib::ID3v2::CommentsFrame(TagLib::String::Latin1);
        gain->setDescription("iTunNORM");
        gain->setText("0000");
        f.ID3v2Tag()->addFrame(gain);
        ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3));
    }
    LibraryEntry e = Load(path);
    e.Tags.Comment.clear();
    ASSERT_EQ(SaveTags(e), TagSaveResult::Saved);
    EXPECT_EQ(Load(path).Tags.Comment, "");
    TagLib::MPEG::File f(name.constData());
    QStringList descriptions;
    for (TagLib::ID3v2::Frame* c : f.ID3v2Tag()->frameList("COMM"))
        descriptions << QString::fromStdString(static_cast<TagLib::ID3v2::CommentsFrame*>(c)->description().to8Bit(true));
    EXPECT_TRUE(descriptions.contains("iTunNORM")) << descriptions.join('|').toStdString();
}

TEST_F(TagLibWriterTest, AFailedSaveLeavesTheFileAsItWas)
{
    const QString path = dir_.filePath("lied.mp3");
    ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) && WriteFixtureTags(path, {.Title = "Alt"}));
    const QByteArray before = ReadRawFile(path);
    for (TagSaveStep step : {TagSaveStep::Copy, TagSaveStep::Write, TagSaveStep::Verify, TagSaveStep::Rename}) {
        SetTagSaveFailure(step);
        LibraryEntry e = Load(path);
        e.Tags.Title = QString(300, u'n');
        e.Actions = "Tag;";
        EXPECT_EQ(SaveTags(e), TagSaveResult::Failed) << int(step);
        EXPECT_EQ(e.Actions, "Tag;");
        EXPECT_TRUE(ReadRawFile(path) == before) << int(step);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{"lied.mp3"}) << int(step);
    }
}

} // namespace
