#include "core/Id3v1Writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/AudioFixtures.h"
#include "tests/support/ProgramTest.h"

namespace {

class Id3v1 : public ProgramTest {
protected:
    QTemporaryDir dir;

    LibraryEntry MakeFile(const char* name, const QByteArray& content, const char* format = "MPEG")
    {
        LibraryEntry e;
        e.FileName = dir.filePath(QString::fromLatin1(name));
        e.Tags.Format = QString::fromLatin1(format);
        e.Tags.Title = QStringLiteral("Title");
        e.Tags.Genre = QStringLiteral("Rock");
        e.Actions = QStringLiteral("Tag;R");
        QFile f(e.FileName);
        if (!content.isNull() && f.open(QIODevice::WriteOnly)) f.write(content);  // null: no file
        return e;
    }
};

const QByteArray kAudio(1000, '\x5A');

QByteArray WithOldTag()
{
    return kAudio + "TAG" + QByteArray(125, 'o');
}

} // namespace

TEST(MakeID3v1Block, FieldsAreLatin1CutAndPadded)
{
    TagInfo t;
    t.Title = QString(40, u'x');
    t.Artist = QString::fromUtf8("Ä\U0001F3B5€b");  // one "?" per character, also outside the BMP
    t.Album = QString::fromUtf8("Grün");
    t.Year = QStringLiteral("07");
    t.Comment = QStringLiteral("c");
    t.Genre = QStringLiteral("Rock");
    const QByteArray b = MakeID3v1Block(t);
    ASSERT_EQ(b.size(), 128);
    EXPECT_EQ(b.left(3), QByteArray("TAG"));
    EXPECT_EQ(b.mid(3, 30), QByteArray(30, 'x'));
    EXPECT_EQ(b.mid(33, 30), QByteArray("\xC4??b") + QByteArray(26, ' '));
    EXPECT_EQ(b.mid(63, 5), QByteArray("Gr\xFCn "));
    EXPECT_EQ(b.mid(93, 4), QByteArray("07  "));
    EXPECT_EQ(b.mid(97, 30), QByteArray("c") + QByteArray(29, ' '));

    const struct { const char* genre; unsigned char want; } genres[] = {
        {"Rock", 17}, {"Blues", 0}, {"rock", 255}, {"", 255}};
    for (const auto& g : genres) {
        t.Genre = QString::fromLatin1(g.genre);
        EXPECT_EQ(static_cast<unsigned char>(MakeID3v1Block(t).at(127)), g.want) << g.genre;
    }
}

TEST_F(Id3v1, ReplacesAnExistingTagOrAppendsOne)
{
    const struct { QByteArray content; const char *format, *actions, *left; } cases[] = {
        {WithOldTag(), "MPEG", "Tag;R", "R"}, {kAudio, "MONKEY", "Tag;Tag;", ""}, {kAudio, "MPP", "", ""}};
    for (const auto& c : cases) {
        LibraryEntry e = MakeFile("a", c.content, c.format);
        e.Actions = QString::fromLatin1(c.actions);
        EXPECT_EQ(SaveID3v1Tag(e), TagSaveResult::Saved);
        EXPECT_EQ(ReadRawFile(e.FileName), kAudio + MakeID3v1Block(e.Tags));
        EXPECT_EQ(e.Actions, QString::fromLatin1(c.left));
    }
}

TEST_F(Id3v1, FailuresWriteNothingAndKeepTheMark)
{
    const struct { const char *name, *format; QByteArray content; bool writeFails; TagSaveResult want; } cases[] = {
        {"missing.mp3", "MPEG", {}, false, TagSaveResult::Failed},  // a missing file stays missing
        {"tiny.mp3", "MPEG", QByteArray(127, 'a'), false, TagSaveResult::Failed},
        {"a.ogg", "OGG", kAudio, false, TagSaveResult::FormatNotSupported},
        {"locked.mpc", "MPP", kAudio, true, TagSaveResult::Failed},
        {"locked.mpc", "MPP", WithOldTag(), true, TagSaveResult::Failed},
    };
    for (const auto& c : cases) {
        SetTagWriteFailure(c.writeFails);
        LibraryEntry e = MakeFile(c.name, c.content, c.format);
        EXPECT_EQ(SaveID3v1Tag(e), c.want) << c.name;
        EXPECT_EQ(QFile::exists(e.FileName), !c.content.isNull()) << c.name;
        EXPECT_EQ(ReadRawFile(e.FileName), c.content) << c.name;
        EXPECT_EQ(e.Actions, QStringLiteral("Tag;R")) << c.name;
    }
}
