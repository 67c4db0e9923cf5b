// The TagLib reader and AddFile over real files made at test time.
#include "core/Clock.h"
#include "core/LibrarySync.h"
#include "core/LibraryTypes.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/PlatformTest.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <random>
#include <sys/stat.h>

namespace {

class TagLibReaderTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_TRUE(dir_.isValid());
        SetTagReader(&reader_);
    }

    QString Make(const QString& name, FixtureFormat fmt, const FixtureTags* tags = nullptr, double seconds = 1.0)
    {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(MakeToneFile(path, fmt, seconds) && (!tags || WriteFixtureTags(path, *tags))) << name.toStdString();
        return path;
    }

    QTemporaryDir dir_;
    TagLibReader reader_;
};

// Files of 4 s with a comment larger than the reader's cache: its cached
// stream must give TagLib the same bytes TagLib's own file access does.
TEST_F(TagLibReaderTest, EachFormatGivesItsCodeAndTags)
{
    struct Case { FixtureFormat fmt; int16_t code; };
    const Case cases[] = {
        {FixtureFormat::Mp3, 1}, {FixtureFormat::Wma, 2}, {FixtureFormat::Flac, 4}, {FixtureFormat::Wav, 5},
        {FixtureFormat::Ogg, 6}, {FixtureFormat::Mpc, 7}, {FixtureFormat::M4a, 9},
    };
    const FixtureTags tags{.Title = QStringLiteral("Grüße aus Köln"), .Artist = QStringLiteral("Interpret"),
                           .Album = QStringLiteral("Album"), .Comment = QString(40000, u'k') + QStringLiteral("ende"),
                           .Genre = QStringLiteral("Rock & Roll"), .Track = QStringLiteral("3/12"), .Year = 1999};
    for (const Case& c : cases) {
        const QString path = Make(QStringLiteral("lied") + FixtureExtension(c.fmt), c.fmt, &tags, 4.0);
        SCOPED_TRACE(path.toStdString());
        const TagReading r = reader_.Open(path);
        EXPECT_EQ(r.Format, c.code);
        EXPECT_EQ(QStringList({r.Title, r.Artist, r.Album, r.Genre, r.Year}),
                  QStringList({tags.Title, tags.Artist, tags.Album, tags.Genre, "1999"}));
        EXPECT_EQ(r.Track.section(u'/', 0, 0), QStringLiteral("3"));
        TagLib::FileRef ref(QFile::encodeName(path).constData());
        ASSERT_FALSE(ref.isNull());
        EXPECT_EQ(r.Comment, QString::fromStdWString(ref.tag()->comment().toWString())); // WMA cuts it
        EXPECT_TRUE(r.Comment.startsWith(QStringLiteral("kkk")));
        EXPECT_DOUBLE_EQ(r.Duration, ref.audioProperties()->lengthInMilliseconds() / 1000.0);
        EXPECT_NEAR(r.Duration, 4.0, 0.1);
        EXPECT_EQ(r.Bitrate, ref.audioProperties()->bitrate());
        EXPECT_EQ(r.Size, QFileInfo(path).size());
    }
    const TagReading untagged = reader_.Open(Make(QStringLiteral("leer.ogg"), FixtureFormat::Ogg));
    EXPECT_EQ(untagged.Format, 6);
    EXPECT_EQ(untagged.Title + untagged.Year + untagged.Track + untagged.Genre, QString());
}

TEST_F(TagLibReaderTest, WhatIsNoAudioFileIsUnusable)
{
    std::mt19937 gen(7);
    QByteArray noise(64 * 1024, '\0');
    for (char& b : noise) b = char(gen());
    const std::pair<const char*, QByteArray> raw[] = {
        {"text.mp3", QByteArray("Dies ist kein Lied.\n").repeated(200)}, {"noise.mp3", noise}, {"noise.ogg", noise},
        {"noise.m4a", noise}, {"noise.wma", noise}, {"empty.mp3", {}}, {"lied.txt", "x"}};
    for (const auto& [name, bytes] : raw) ASSERT_TRUE(WriteRawFile(dir_.filePath(QString::fromLatin1(name)), bytes));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("ordner.mp3")));
    // A named pipe would block a reader that opens it.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir_.filePath(QStringLiteral("pipe.mp3"))).constData(), 0600), 0);
    QFile(Make(QStringLiteral("cut.mp3"), FixtureFormat::Mp3)).resize(100); // a real MP3 cut after its first bytes

    for (const char* name : {"text.mp3", "noise.mp3", "noise.ogg", "noise.m4a", "noise.wma", "empty.mp3",
                             "lied.txt", "ordner.mp3", "pipe.mp3", "cut.mp3", "fehlt.mp3"}) {
        EXPECT_EQ(reader_.Open(dir_.filePath(QString::fromLatin1(name))).Format, 0) << name;
        LibraryDatabase store;
        store.Files.append(LibraryEntry());
        EXPECT_FALSE(AddFile(store, dir_.filePath(QString::fromLatin1(name)))) << name;
        EXPECT_EQ(store.Files.size(), 1);
    }
}

TEST_F(TagLibReaderTest, AddFileMakesTheRecord)
{
    const QDateTime now(QDate(2026, 12, 5), QTime(15, 7, 38));
    SetWallClock([now] { return now; });
    const FixtureTags tags{.Title = QStringLiteral("Lied"), .Artist = QStringLiteral("Interpret"), .Year = 1999};
    const QString path = Make(QStringLiteral("lied.mp3"), FixtureFormat::Mp3, &tags, 2.0);

    LibraryDatabase store;
    store.Files.append(LibraryEntry()); // the placeholder is reused
    ASSERT_TRUE(AddFile(store, path));
    ASSERT_EQ(store.Files.size(), 1);
    const LibraryEntry& e = store.Files[0];
    EXPECT_EQ(QStringList({e.FileName, e.Tags.Title, e.Tags.Artist, e.Tags.Year, e.Tags.Format, e.PlayTime.toString(),
                           e.TagVer}),
              QStringList({path, "Lied", "Interpret", "1999", "MPEG", "(noch nie)", "(unbekannt)"}));
    EXPECT_EQ(e.Tags.Lenght, 2);
    EXPECT_NEAR(e.Tags.Bitrate, 128, 8);
    EXPECT_EQ(e.AddTime.toDateTime(), now);
    EXPECT_DOUBLE_EQ(e.SizeInMB, QFileInfo(path).size() / 1048576.0);

    ASSERT_TRUE(AddFile(store, Make(QStringLiteral("zwei.ogg"), FixtureFormat::Ogg, nullptr, 0.3)));
    ASSERT_EQ(store.Files.size(), 2); // a second file grows the store
    EXPECT_EQ(store.Files[1].Tags.Format, QStringLiteral("OGG"));
}

// Titles fall back to the file name, tracks are numbers, genre numbers
// (ID3v2 "17" or "(17)", or ID3v1 alone) are names; FLAC and WAV are taken.
TEST_F(TagLibReaderTest, AddFileFieldRules)
{
    struct Case { const char *name; FixtureFormat fmt; const char *title, *genre; int v1genre; bool v1only;
                  const char *track, *wantTitle, *wantGenre, *wantTrack; };
    const Case cases[] = {
        {"Lied.live.mp3", FixtureFormat::Mp3, "", "", -1, false, "", "Lied.live", "", "0"},
        {"ohnepunkt", FixtureFormat::Ogg, "", "", -1, false, "07", "ohnepunkt", "", "7"},
        {"g17.mp3", FixtureFormat::Mp3, "A", "", 17, false, "12", "A", "Rock", "12"},
        {"paren.mp3", FixtureFormat::Mp3, "A", "(17)", -1, false, "", "A", "Rock", "0"},
        {"v1only.mp3", FixtureFormat::Mp3, "A", "", 17, true, "", "A", "Rock", "0"},
        {"v1high.mp3", FixtureFormat::Mp3, "A", "", 200, true, "", "A", "", "0"},
        {"v1none.mp3", FixtureFormat::Mp3, "A", "", 255, true, "", "A", "", "0"},
        {"v2first.mp3", FixtureFormat::Mp3, "A", "Jazz", 17, false, "", "A", "Jazz", "0"},
        {"g200.mp3", FixtureFormat::Mp3, "A", "200", -1, false, "x", "A", "", "0"},
        {"gtext.ogg", FixtureFormat::Ogg, "A", "17", -1, false, "3/12", "A", "Rock", "3"},
        {"Lied.flac", FixtureFormat::Flac, "", "Jazz", -1, false, "", "Lied", "Jazz", "0"},
        {"Lied.wav", FixtureFormat::Wav, "", "", -1, false, "", "Lied", "", "0"},
    };
    for (const Case& c : cases) {
        const FixtureTags tags{.Title = QString::fromLatin1(c.title), .Genre = QString::fromLatin1(c.genre),
                               .Track = QString::fromLatin1(c.track), .Id3v1Genre = c.v1genre, .Id3v1Only = c.v1only};
        const QString path = Make(QString::fromLatin1(c.name), c.fmt, &tags, 0.3);
        LibraryDatabase store;
        store.Files.append(LibraryEntry());
        ASSERT_TRUE(AddFile(store, path)) << c.name;
        const TagInfo& t = store.Files.last().Tags;
        EXPECT_EQ(QStringList({t.Title, t.Genre, t.Track}),
                  QStringList({c.wantTitle, c.wantGenre, c.wantTrack})) << c.name;
    }
}

} // namespace
