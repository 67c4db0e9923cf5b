// The TagLib reader and AddFile over real files made at test time.
#include "core/Clock.h"
#include "core/LibrarySync.h"
#include "core/LibraryTypes.h"
#include "platform/TagLibReader.h"
#include "tests/support/AudioFixtures.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <random>
#include <sys/stat.h>

namespace {

class TagLibReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        SetTagReader(&reader_);
    }
    void TearDown() override
    {
        SetTagReader(nullptr);
        SetWallClock({});
    }

    QString Make(const QString& name, FixtureFormat fmt, const FixtureTags* tags = nullptr, double seconds = 1.0)
    {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(MakeToneFile(path, fmt, seconds)) << name.toStdString();
        if (tags) {
            EXPECT_TRUE(WriteFixtureTags(path, *tags)) << name.toStdString();
        }
        return path;
    }

    QTemporaryDir dir_;
    TagLibReader reader_;
};

TEST_F(TagLibReaderTest, EachFormatGivesItsCodeAndTags)
{
    struct Case { FixtureFormat fmt; int16_t code; };
    const Case cases[] = {
        {FixtureFormat::Mp3, 1}, {FixtureFormat::Wma, 2}, {FixtureFormat::Flac, 4}, {FixtureFormat::Wav, 5},
        {FixtureFormat::Ogg, 6}, {FixtureFormat::Mpc, 7}, {FixtureFormat::M4a, 9},
    };
    FixtureTags tags;
    tags.Title = QStringLiteral("Grüße aus Köln");
    tags.Artist = QStringLiteral("Interpret");
    tags.Album = QStringLiteral("Album");
    tags.Comment = QStringLiteral("Kommentar");
    tags.Genre = QStringLiteral("Rock & Roll");
    tags.Track = QStringLiteral("3/12");
    tags.Year = 1999;
    for (const Case& c : cases) {
        const QString path = Make(QStringLiteral("lied") + FixtureExtension(c.fmt), c.fmt, &tags);
        SCOPED_TRACE(path.toStdString());
        const TagReading r = reader_.Open(path);
        EXPECT_EQ(r.Format, c.code);
        EXPECT_EQ(r.Title, tags.Title);
        EXPECT_EQ(r.Artist, tags.Artist);
        EXPECT_EQ(r.Album, tags.Album);
        EXPECT_EQ(r.Comment, tags.Comment);
        EXPECT_EQ(r.Genre, tags.Genre);
        EXPECT_EQ(r.Year, QStringLiteral("1999"));
        EXPECT_EQ(r.Track.section(u'/', 0, 0), QStringLiteral("3"));
        EXPECT_NEAR(r.Duration, 1.0, 0.1);
        EXPECT_GT(r.Bitrate, 0);
        EXPECT_EQ(r.Size, QFileInfo(path).size());
    }
}

// The reader's cached stream must give TagLib the same bytes its own file
// access does: tags larger than the cache, and files longer than it.
TEST_F(TagLibReaderTest, CachedStreamReadsWhatTagLibReadsItself)
{
    int n = 0;
    const FixtureFormat* all = AllFixtureFormats(&n);
    FixtureTags tags;
    tags.Title = QStringLiteral("Lang");
    tags.Comment = QString(40000, u'k') + QStringLiteral("ende");
    for (int i = 0; i < n; ++i) {
        const QString path = Make(QStringLiteral("lang") + FixtureExtension(all[i]), all[i], &tags, 4.0);
        SCOPED_TRACE(path.toStdString());
        const TagReading r = reader_.Open(path);
        TagLib::FileRef ref(QFile::encodeName(path).constData());
        ASSERT_FALSE(ref.isNull());
        EXPECT_EQ(r.Title, QString::fromStdWString(ref.tag()->title().toWString()));
        EXPECT_EQ(r.Comment, QString::fromStdWString(ref.tag()->comment().toWString()));
        EXPECT_DOUBLE_EQ(r.Duration, ref.audioProperties()->lengthInMilliseconds() / 1000.0);
        EXPECT_EQ(r.Bitrate, ref.audioProperties()->bitrate());
        EXPECT_NEAR(r.Duration, 4.0, 0.1);
    }
}

TEST_F(TagLibReaderTest, UntaggedFileHasEmptyTexts)
{
    const TagReading r = reader_.Open(Make(QStringLiteral("leer.ogg"), FixtureFormat::Ogg));
    EXPECT_EQ(r.Format, 6);
    EXPECT_EQ(r.Title, QString());
    EXPECT_EQ(r.Year, QString());
    EXPECT_EQ(r.Track, QString());
    EXPECT_EQ(r.Genre, QString());
}

TEST_F(TagLibReaderTest, WhatIsNoAudioFileIsUnusable)
{
    std::mt19937 gen(7);
    QByteArray noise(64 * 1024, '\0');
    for (char& b : noise) b = char(gen());
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("text.mp3")), QByteArray("Dies ist kein Lied.\n").repeated(200)));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("noise.mp3")), noise));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("noise.ogg")), noise));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("noise.m4a")), noise));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("noise.wma")), noise));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("empty.mp3")), QByteArray()));
    ASSERT_TRUE(WriteRawFile(dir_.filePath(QStringLiteral("lied.txt")), QByteArray("x")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("ordner.mp3")));
    // A named pipe would block a reader that opens it.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir_.filePath(QStringLiteral("pipe.mp3"))).constData(), 0600), 0);
    // A real MP3 cut after its first bytes.
    const QString cut = Make(QStringLiteral("cut.mp3"), FixtureFormat::Mp3);
    QFile(cut).resize(100);

    for (const char* name : {"text.mp3", "noise.mp3", "noise.ogg", "noise.m4a", "noise.wma", "empty.mp3",
                             "lied.txt", "ordner.mp3", "pipe.mp3", "cut.mp3", "fehlt.mp3"}) {
        EXPECT_EQ(reader_.Open(dir_.filePath(QString::fromLatin1(name))).Format, 0) << name;
        LibraryDatabase store;
        store.Files.append(LibraryEntry());
        EXPECT_FALSE(AddFile(store, dir_.filePath(QString::fromLatin1(name)))) << name;
        EXPECT_EQ(store.Files.size(), 1);
    }
}

TEST_F(TagLibReaderTest, NumericGenresComeBackAsNumbers)
{
    struct Case { const char* name; const char* tcon; int id3v1; bool v1only; const char* want; };
    const Case cases[] = {
        {"tcon.mp3", "17", -1, false, "17"},
        {"paren.mp3", "(17)", -1, false, "17"},
        {"v1.mp3", "", 17, false, "17"},
        {"v1only.mp3", "", 17, true, "17"},
        {"v1high.mp3", "", 200, true, "200"},
        {"v1none.mp3", "", 255, true, ""},
        {"text.mp3", "Jazz", 17, false, "Jazz"},   // the ID3v2 text comes first
    };
    for (const Case& c : cases) {
        FixtureTags tags;
        tags.Title = QStringLiteral("T");
        tags.Genre = QString::fromLatin1(c.tcon);
        tags.Id3v1Genre = c.id3v1;
        tags.Id3v1Only = c.v1only;
        const TagReading r = reader_.Open(Make(QString::fromLatin1(c.name), FixtureFormat::Mp3, &tags, 0.3));
        EXPECT_EQ(r.Format, 1) << c.name;
        EXPECT_EQ(r.Genre, QString::fromLatin1(c.want)) << c.name;
    }
}

TEST_F(TagLibReaderTest, AddFileMakesTheRecord)
{
    const QDateTime now(QDate(2026, 12, 5), QTime(15, 7, 38));
    SetWallClock([now] { return now; });
    FixtureTags tags;
    tags.Title = QStringLiteral("Lied");
    tags.Artist = QStringLiteral("Interpret");
    tags.Album = QStringLiteral("Album");
    tags.Genre = QStringLiteral("17");
    tags.Track = QStringLiteral("3/12");
    tags.Year = 1999;
    const QString path = Make(QStringLiteral("lied.mp3"), FixtureFormat::Mp3, &tags, 2.0);

    LibraryDatabase store;
    store.Files.append(LibraryEntry());  // the placeholder is reused
    ASSERT_TRUE(AddFile(store, path));
    ASSERT_EQ(store.Files.size(), 1);
    const LibraryEntry& e = store.Files[0];
    EXPECT_EQ(e.FileName, path);
    EXPECT_EQ(e.newPath, QString());
    EXPECT_EQ(e.Tags.Title, QStringLiteral("Lied"));
    EXPECT_EQ(e.Tags.Artist, QStringLiteral("Interpret"));
    EXPECT_EQ(e.Tags.Genre, QStringLiteral("Rock"));
    EXPECT_EQ(e.Tags.Track, QStringLiteral("3"));
    EXPECT_EQ(e.Tags.Year, QStringLiteral("1999"));
    EXPECT_EQ(e.Tags.Format, QStringLiteral("MPEG"));
    EXPECT_EQ(e.Tags.Lenght, 2);
    EXPECT_NEAR(e.Tags.Bitrate, 128, 8);
    EXPECT_EQ(e.Actions, QString());
    EXPECT_EQ(e.AddTime.toDateTime(), now);
    EXPECT_EQ(e.PlayTime.toString(), QStringLiteral("(noch nie)"));
    EXPECT_EQ(e.PlayCNT, 0);
    EXPECT_EQ(e.TagVer, QStringLiteral("(unbekannt)"));
    EXPECT_EQ(e.Rating, 0);
    EXPECT_DOUBLE_EQ(e.SizeInMB, QFileInfo(path).size() / 1048576.0);

    // A second file grows the store.
    ASSERT_TRUE(AddFile(store, Make(QStringLiteral("zwei.ogg"), FixtureFormat::Ogg, nullptr, 0.3)));
    ASSERT_EQ(store.Files.size(), 2);
    EXPECT_EQ(store.Files[1].Tags.Format, QStringLiteral("OGG"));
}

TEST_F(TagLibReaderTest, AddFileFieldRules)
{
    struct Case { const char* name; FixtureFormat fmt; const char* title; const char* genre; int v1genre;
                  const char* track; const char* wantTitle; const char* wantGenre; const char* wantTrack; };
    const Case cases[] = {
        {"Lied.live.mp3", FixtureFormat::Mp3, "", "", -1, "", "Lied.live", "", "0"},
        {"ohnepunkt", FixtureFormat::Ogg, "", "", -1, "07", "ohnepunkt", "", "7"},
        {"g17.mp3", FixtureFormat::Mp3, "A", "", 17, "12", "A", "Rock", "12"},
        {"g200.mp3", FixtureFormat::Mp3, "A", "200", -1, "x", "A", "", "0"},
        {"gtext.ogg", FixtureFormat::Ogg, "A", "17", -1, "3/12", "A", "Rock", "3"},
        {"Lied.flac", FixtureFormat::Flac, "", "Jazz", -1, "", "Lied", "Jazz", "0"},
        {"Lied.wav", FixtureFormat::Wav, "", "", -1, "", "Lied", "", "0"},
    };
    for (const Case& c : cases) {
        FixtureTags tags;
        tags.Title = QString::fromLatin1(c.title);
        tags.Genre = QString::fromLatin1(c.genre);
        tags.Id3v1Genre = c.v1genre;
        tags.Track = QString::fromLatin1(c.track);
        const QString path = Make(QString::fromLatin1(c.name), c.fmt, &tags, 0.3);
        LibraryDatabase store;
        store.Files.append(LibraryEntry());
        ASSERT_TRUE(AddFile(store, path)) << c.name;
        const TagInfo& t = store.Files.last().Tags;
        EXPECT_EQ(t.Title, QString::fromLatin1(c.wantTitle)) << c.name;
        EXPECT_EQ(t.Genre, QString::fromLatin1(c.wantGenre)) << c.name;
        EXPECT_EQ(t.Track, QString::fromLatin1(c.wantTrack)) << c.name;
    }
}

} // namespace
