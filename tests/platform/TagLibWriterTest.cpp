// The tag editor's save over real files made at test time: TagLib writes each
// format's own tag, our writer the ID3v1 block, through a copy of the file.
#include "core/Id3v1Writer.h"
#include "core/LibrarySync.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TagSaveTest.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

class TagLibWriterTest : public TagSaveTest {
protected:
    static QStringList Fields(const TagInfo& t) { return {t.Title, t.Artist, t.Album, t.Year, t.Track, t.Genre, t.Comment}; }
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
        EXPECT_EQ(after.mid(0, 4), before.mid(0, 4));  // "ID3" and the major version; each format's own mark
        const bool id3v1 = e.Tags.Format == "MPEG" || e.Tags.Format == "MPP";
        EXPECT_EQ(after.right(128) == MakeID3v1Block(e.Tags), id3v1);
        EXPECT_EQ(FilesUnder(dir_.path()), QStringList{QFileInfo(path).fileName()});
        QFile::remove(path);
    }
}

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

// A failure at any step leaves the file byte for byte, the mark, and no copy behind.
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

// The editor shows the number alone: a number typed without a total keeps the
// total the tag has, one with a total sets it, an empty one removes the track.
TEST_F(TagLibWriterTest, ATrackTypedWithoutATotalKeepsTheFilesTotal)
{
    const struct { FixtureFormat fmt; const char* stored; const char* typed; const char* after; } rows[] = {
        {FixtureFormat::Mp3, "3/10", "4", "4/10"},  // ID3v2 TRCK
        {FixtureFormat::Mp3, "3/10", "4/12", "4/12"},
        {FixtureFormat::Mp3, "3/10", "", ""},
        {FixtureFormat::Mp3, "3", "4", "4"},
        {FixtureFormat::Mpc, "3/10", "4", "4/10"},  // APE TRACK
        {FixtureFormat::Mpc, "3/10", "4/12", "4/12"},
        {FixtureFormat::Mpc, "3/10", "", ""},
        {FixtureFormat::M4a, "3/10", "4", "4/10"},  // trkn (3, 10)
        {FixtureFormat::M4a, "3/10", "4/12", "4/12"},
        {FixtureFormat::M4a, "3/10", "", ""},
        {FixtureFormat::Flac, "3/10", "4", "4/10"},  // a total kept inside TRACKNUMBER
        // The same number with another total: the typed total is written.
        {FixtureFormat::Mp3, "3/10", "3/12", "3/12"},
        {FixtureFormat::Mpc, "3/10", "3/12", "3/12"},
        {FixtureFormat::M4a, "3/10", "3/12", "3/12"},
        {FixtureFormat::Flac, "3/10", "3/12", "3/12"},
        {FixtureFormat::Mp3, "3", "3/12", "3/12"},
        {FixtureFormat::Mp3, "3/12", "3", "3/12"},  // no total typed: the file's bytes stay
        {FixtureFormat::Mp3, "3/12", "3/", "3/12"},
    };
    for (const auto& r : rows) {
        const QString path = dir_.filePath("lied" + FixtureExtension(r.fmt));
        SCOPED_TRACE((path + " " + r.stored + " -> " + r.typed).toStdString());
        ASSERT_TRUE(MakeToneFile(path, r.fmt, 0.5) && WriteFixtureTags(path, {.Title = "T", .Track = r.stored}));
        ASSERT_EQ(reader_.Open(path).Track, r.stored);
        LibraryEntry e = Load(path);
        e.Tags.Track = r.typed;
        e.Actions = "Tag;";
        ASSERT_EQ(SaveTags(e), TagSaveResult::Saved);
        EXPECT_EQ(reader_.Open(path).Track.toStdString(), r.after);
        QFile::remove(path);
    }
}

// Saved twice, the file still ends in one ID3v1 block: the second save
// replaces the first block instead of adding another.
TEST_F(TagLibWriterTest, NoSecondId3v1BlockAfterASave)
{
    for (const FixtureFormat fmt : {FixtureFormat::Mp3, FixtureFormat::Mpc}) {
        const QString path = dir_.filePath("lied" + FixtureExtension(fmt));
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(MakeToneFile(path, fmt, 0.5) && WriteFixtureTags(path, {.Title = "Alt", .Id3v1Genre = 17}));
        for (const char* title : {"Erster", "Zweiter"}) {
            LibraryEntry e = Load(path);
            e.Tags.Title = title;
            ASSERT_EQ(SaveTags(e), TagSaveResult::Saved);
            const QByteArray raw = ReadRawFile(path);
            EXPECT_EQ(raw.right(128), MakeID3v1Block(e.Tags)) << title;
            EXPECT_NE(raw.mid(raw.size() - 256, 3), "TAG") << title;
        }
        QFile::remove(path);
    }
}

// An ID3v2.2 tag as other programs left it: TagLib reads 2.2 but cannot write
// it, so the bytes are put together here. A title "Alt" and an artist "Wer".
QByteArray Id3v22Tag()
{
    QByteArray frames;
    for (const auto& [id, text] : {std::pair{"TT2", "Alt"}, {"TP1", "Wer"}}) {
        const QByteArray body = QByteArray(1, '\0') + text;  // Latin-1
        frames += QByteArray(id) + char(0) + char(0) + char(body.size()) + body;
    }
    frames += QByteArray(64, '\0');  // padding
    QByteArray header("ID3\x02\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7) header += char((frames.size() >> shift) & 0x7f);  // sync-safe size
    return header + frames;
}

// Players that read no 2.4 still read what the editor saved: a file with a
// 2.2 tag or none gets 2.3, and what the 2.2 tag held beside the edit stays.
TEST_F(TagLibWriterTest, AnMp3WithAnId3v22TagOrNoneGets23)
{
    const QString path = dir_.filePath("lied.mp3");
    for (const bool v22 : {true, false}) {
        SCOPED_TRACE(v22 ? "2.2" : "none");
        ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5));
        {
            TagLib::MPEG::File f(QFile::encodeName(path).constData());
            ASSERT_TRUE(f.strip(TagLib::MPEG::File::AllTags));
        }
        const QByteArray bare = ReadRawFile(path), audio = AudioPayload(path);
        ASSERT_FALSE(bare.startsWith("ID3") || audio.isEmpty());
        if (v22) {
            ASSERT_TRUE(WriteRawFile(path, Id3v22Tag() + bare));
        }
        LibraryEntry e = Load(path);
        ASSERT_EQ(e.Tags.Artist, v22 ? "Wer" : "");
        e.Tags.Title = "Neu";
        ASSERT_EQ(SaveTags(e), TagSaveResult::Saved);
        const QByteArray after = ReadRawFile(path);
        EXPECT_EQ(after.left(4), QByteArray("ID3\x03", 4));
        const LibraryEntry back = Load(path);
        EXPECT_EQ(back.Tags.Title + "|" + back.Tags.Artist, v22 ? "Neu|Wer" : "Neu|");
        EXPECT_EQ(AudioPayload(path), audio);
        QFile::remove(path);
    }
}

} // namespace
