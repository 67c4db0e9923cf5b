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

    LibraryEntry MakeFile(const char* name, const QByteArray& content)
    {
        LibraryEntry e;
        e.FileName = dir.filePath(QString::fromLatin1(name));
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

// A failed write leaves the file as it was, never half a block.
TEST_F(Id3v1, ReplacesAnExistingBlockAppendsOneOrChangesNothing)
{
    const QByteArray block = MakeID3v1Block(TagInfo{.Title = "Title", .Genre = "Rock"});
    const struct { const char* name; QByteArray content; bool writeFails, written; } cases[] = {
        {"old", WithOldTag(), false, true},
        {"none", kAudio, false, true},
        {"missing", {}, false, false},  // a missing file stays missing
        {"tiny", QByteArray(127, 'a'), false, false},
        {"locked", kAudio, true, false},
        {"lockedOld", WithOldTag(), true, false},
    };
    for (const auto& c : cases) {
        SetTagWriteFailure(c.writeFails);
        const LibraryEntry e = MakeFile(c.name, c.content);
        EXPECT_EQ(WriteTagBlock(e, block), c.written) << c.name;
        EXPECT_EQ(QFile::exists(e.FileName), !c.content.isNull()) << c.name;
        EXPECT_EQ(ReadRawFile(e.FileName), c.written ? kAudio + block : c.content) << c.name;
    }
}
