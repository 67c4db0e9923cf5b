#include "core/Clock.h"
#include "core/LibraryDatabase.h"
#include "core/Runtime.h"
#include "core/UiServices.h"
#include "tests/support/ProgramTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

namespace {

// Bytes as std::string, so that a failure shows a readable diff.
std::string ReadBytes(const QString& name)
{
    QFile f(DataFile(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

void WriteBytes(const QString& name, const std::string& bytes)
{
    QFile f(DataFile(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
}

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* l : lines) out += std::string(l) + "\r\n";
    return out;
}

QVector<int32_t> Queue(const LibraryDatabase& store) { return store.ListSets[PlayingQueue].Entries[0].Items; }

// A record as the synchronisation makes it for a file just added.
LibraryEntry NewRecord(const QString& path)
{
    return LibraryEntry{.FileName = path, .AddTime = CurrentDateTime(), .PlayTime = QStringLiteral("(noch nie)"),
                        .TagVer = QStringLiteral("(unbekannt)")};
}

class LibraryFiles : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        SetWallClock([] { return QDateTime(QDate(2026, 12, 5), QTime(15, 7, 38)); });
        ResetDatabase(store_);
    }

    // Loads the files as the start procedure does.
    LibraryDatabase Load()
    {
        LibraryDatabase store;
        ResetDatabase(store);
        LoadDatabase(store);
        return store;
    }
    QStringList BadCopies() const
    {
        return QDir(home.path()).entryList({QStringLiteral("Files.db.bad*")}, QDir::Files, QDir::Name);
    }
    // Written byte for byte, and what is loaded from it saves to the same bytes.
    void ExpectGolden(const std::string& files, const std::string& playing)
    {
        ASSERT_TRUE(SaveDatabase(store_));
        EXPECT_EQ(ReadBytes("Files.db"), files);
        EXPECT_EQ(ReadBytes("Playing.db"), playing);
        LibraryDatabase loaded = Load();
        ASSERT_TRUE(SaveDatabase(loaded));
        EXPECT_EQ(ReadBytes("Files.db"), files);
        EXPECT_EQ(ReadBytes("Playing.db"), playing);
        EXPECT_TRUE(BadCopies().isEmpty());
    }

    LibraryDatabase store_;
};

TEST_F(LibraryFiles, WorkedExampleByteForByte)
{
    LibraryEntry& e = store_.Files[0] = NewRecord(QStringLiteral("C:\\Musik\\Lied.mp3"));
    e.SizeInMB = 3.5;
    e.Tags = TagInfo{"Lied", "Interpret", "Album", "1999", 215, 192, {}, "MPEG", "Rock", "3"};
    ExpectGolden(Lines({"<1>", "<AddTime>05.12.2026 15:07:38</AddTime>", "<FileName>C:\\Musik\\Lied.mp3</FileName>",
                        "<PlayTime>(noch nie)</PlayTime>", "<SizeInMB>3,5</SizeInMB>", "<Tags.Album>Album</Tags.Album>",
                        "<Tags.Artist>Interpret</Tags.Artist>", "<Tags.Bitrate>192</Tags.Bitrate>",
                        "<Tags.Format>MPEG</Tags.Format>", "<Tags.Genre>Rock</Tags.Genre>",
                        "<Tags.Lenght>215</Tags.Lenght>", "<Tags.Title>Lied</Tags.Title>", "<Tags.Track>3</Tags.Track>",
                        "<Tags.Year>1999</Tags.Year>", "<TagVer>(unbekannt)</TagVer>", "</1>"}),
                 "-1\r\n");
}

TEST_F(LibraryFiles, AllNineteenKeysInOrder)
{
    store_.Files.append(LibraryEntry{"/musik/Ä/歌.flac", "/neu/歌.flac",
                                     TagInfo{"Titel", "Künstler", "Album", "2001", 3600, -1, "Kommentar", "FLAC",
                                             "Psychadelic", "0"},
                                     "Tag;R", QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                                     QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)), 2147483647, "ID3v2.4", 5,
                                     0.000123456789012345});
    store_.ListSets[PlayingQueue].Entries[0].Items = {-1, 1};
    ExpectGolden(Lines({"<1>", "</1>", "<2>", "<Actions>Tag;R</Actions>", "<AddTime>03.02.2001 04:05:06</AddTime>",
                        "<FileName>/musik/\xc3\x84/\xe6\xad\x8c.flac</FileName>",
                        "<newPath>/neu/\xe6\xad\x8c.flac</newPath>", "<PlayCNT>2147483647</PlayCNT>",
                        "<PlayTime>01.01.2026 00:00:00</PlayTime>", "<Rating>5</Rating>",
                        "<SizeInMB>0,000123456789012345</SizeInMB>", "<Tags.Album>Album</Tags.Album>",
                        "<Tags.Artist>K\xc3\xbcnstler</Tags.Artist>", "<Tags.Bitrate>-1</Tags.Bitrate>",
                        "<Tags.Comment>Kommentar</Tags.Comment>", "<Tags.Format>FLAC</Tags.Format>",
                        "<Tags.Genre>Psychadelic</Tags.Genre>", "<Tags.Lenght>3600</Tags.Lenght>",
                        "<Tags.Title>Titel</Tags.Title>", "<Tags.Track>0</Tags.Track>", "<Tags.Year>2001</Tags.Year>",
                        "<TagVer>ID3v2.4</TagVer>", "</2>"}),
                 "-1;1\r\n");
}

TEST_F(LibraryFiles, HostileValuesRoundTrip)
{
    struct Case { QString value; QString back; } cases[] = {
        {"Eins, zwei; \"drei\"", {}}, {"   führende Blanks", {}}, {"Tom & Jerry <3>", {}}, {"</1>", {}},
        {"<Tags.Genre>x</Tags.Genre>", {}}, {"x</Tags.Comment>", {}}, {"東京 / Ölmühle ß", {}},
        {"trailing blank ", {}}, {"Zeile\r\nzwei\rdrei\nvier", "Zeile  zwei drei vier"}, {"\r\n", "  "},
        {QStringLiteral("\uFEFFmit Bytefolgemarke"), {}}, {QStringLiteral("\uFEFF"), {}},
    };
    store_.Files.clear();
    for (const Case& c : cases) {
        LibraryEntry e = NewRecord(QStringLiteral("/音楽/") + c.value + QStringLiteral(".mp3"));
        e.Tags.Title = e.Tags.Comment = e.Tags.Artist = e.Tags.Album = e.Tags.Genre = e.Tags.Year = c.value;
        e.Actions = e.newPath = c.value;
        store_.Files.append(e);
    }
    ASSERT_TRUE(SaveDatabase(store_));
    const LibraryDatabase loaded = Load();
    ASSERT_EQ(loaded.Files.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString want = cases[i].back.isNull() ? cases[i].value : cases[i].back;
        const LibraryEntry& e = loaded.Files[int(i)];
        for (const QString& got : {e.Tags.Title, e.Tags.Comment, e.Tags.Artist, e.Tags.Album, e.Tags.Genre,
                                   e.Tags.Year, e.Actions, e.newPath})
            EXPECT_EQ(got, want) << i;
        EXPECT_EQ(e.FileName, QStringLiteral("/音楽/") + want + QStringLiteral(".mp3"));
    }
    EXPECT_TRUE(BadCopies().isEmpty());
}

TEST_F(LibraryFiles, NumbersReadBothSeparatorsAndBadOnesAsZero)
{
    WriteBytes("Files.db", Lines({
        "<1>", "<SizeInMB>3,5</SizeInMB>", "<Tags.Bitrate>32767</Tags.Bitrate>", "<PlayCNT>2,5</PlayCNT>", "</1>",
        "<2>", "<SizeInMB>3.5</SizeInMB>", "<Tags.Bitrate>32768</Tags.Bitrate>", "<Rating>-32769</Rating>",
        "<PlayCNT>2147483648</PlayCNT>", "<Tags.Lenght>drei</Tags.Lenght>", "</2>",
        "<3>", "<SizeInMB>1e999</SizeInMB>", "<Tags.Lenght>3.5</Tags.Lenght>", "<Rating> 4 </Rating>", "</3>",
    }));
    const LibraryDatabase s = Load();
    ASSERT_EQ(s.Files.size(), 3);
    const auto numbers = [&](int i) {
        const LibraryEntry& e = s.Files[i];
        return std::tuple(e.SizeInMB, e.Tags.Bitrate, e.PlayCNT, e.Rating, e.Tags.Lenght);
    };
    EXPECT_EQ(numbers(0), std::tuple(3.5, 32767, 2, 0, 0));  // halves go to the even neighbour
    EXPECT_EQ(numbers(1), std::tuple(3.5, 0, 0, 0, 0));
    EXPECT_EQ(numbers(2), std::tuple(0.0, 0, 0, 4, 4));
    EXPECT_TRUE(BadCopies().isEmpty());
}

TEST_F(LibraryFiles, BrokenFilesKeepWhatWasReadAndACopy)
{
    const std::string one = Lines({"<1>", "<FileName>/a.mp3</FileName>", "</1>"});
    struct Case {
        const char* what;
        std::optional<std::string> files;  // none: no Files.db at all
        int records;                       // records loaded (0: the placeholder stays)
        bool queueRead;                    // Playing.db "0" is read
        bool copied;
    } cases[] = {
        {"complete", one + Lines({"<2>", "<FileName>/b.mp3</FileName>", "</2>"}), 2, true, false},
        {"gap", one + Lines({"<3>", "<FileName>/c.mp3</FileName>", "</3>"}), 1, true, true},
        {"second open", one + Lines({"<2>", "<FileName>/b.mp3</FileName>", "<2>", "</2>"}), 1, false, true},
        {"stray close", one + Lines({"</2>", "<2>", "</2>"}), 1, false, true},
        {"open at end", one + Lines({"<2>", "<FileName>/b.mp3</FileName>"}), 1, true, true},
        {"no record", Lines({"Unsinn", "<01>", "</01>"}), 0, false, true},
        {"blank line", std::string("\r\n"), 0, false, true},
        {"empty", std::string(), 0, false, false},
        {"missing", std::nullopt, 0, false, false},
        {"lines outside", Lines({"Kopf"}) + one + Lines({"Fuss", "</7>"}), 1, true, false},
        {"LF and CR ends", std::string("<1>\n<FileName>/a.mp3</FileName>\r</1>"), 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& f : QDir(home.path()).entryList(QDir::Files)) QFile::remove(home.filePath(f));
        if (c.files) WriteBytes("Files.db", *c.files);
        WriteBytes("Playing.db", "0\r\n");
        const LibraryDatabase s = Load();
        ASSERT_EQ(s.Files.size(), std::max(c.records, 1));
        EXPECT_EQ(s.Files[0].FileName, c.records ? QStringLiteral("/a.mp3") : QString());
        EXPECT_EQ(Queue(s), QVector<int32_t>{c.queueRead && c.records ? 0 : -1});
        EXPECT_EQ(s.ListSets[AlbumSet].Entries[0].Items.size(), std::max(c.records, 1));
        EXPECT_EQ(BadCopies(), c.copied ? QStringList{QStringLiteral("Files.db.bad")} : QStringList{});
        EXPECT_EQ(ReadBytes("Files.db.bad"), c.copied ? *c.files : std::string("<missing>"));
    }
}

TEST_F(LibraryFiles, BadCopiesNeverOverwriteOlderOnes)
{
    WriteBytes("Files.db", "<2>\r\n");
    WriteBytes("Files.db.bad", "erste");
    WriteBytes("Files.db.bad.1", "zweite");
    Load();
    Load();
    EXPECT_EQ(BadCopies(), (QStringList{"Files.db.bad", "Files.db.bad.1", "Files.db.bad.2", "Files.db.bad.3"}));
    EXPECT_EQ(ReadBytes("Files.db.bad"), std::string("erste"));
    EXPECT_EQ(ReadBytes("Files.db.bad.1"), std::string("zweite"));
    EXPECT_EQ(ReadBytes("Files.db.bad.3"), std::string("<2>\r\n"));
}

TEST_F(LibraryFiles, PlayingDbKeepsOnlyValidItems)
{
    // Records 0..3; record 2 is an empty placeholder-like record.
    WriteBytes("Files.db", Lines({"<1>", "<FileName>/a</FileName>", "</1>", "<2>", "<FileName>/b</FileName>", "</2>",
                                  "<3>", "<Tags.Title>leer</Tags.Title>", "</3>", "<4>", "<FileName>/d</FileName>", "</4>"}));
    struct Case { std::optional<std::string> playing; QVector<int32_t> queue; } cases[] = {
        {"-1\r\n", {-1}}, {"3;0\r\n", {3, 0}}, {"3;x;999\r\n", {3}}, {"1;0\n", {1, 0}}, {"1;\r\n0\r\n", {1, 0}},
        {"", {-1}}, {"\r\n", {-1}}, {"2", {-1}}, {"-1;3;-2;4", {-1, 3}}, {"99999999999;1.5;1", {1}},
        {std::nullopt, {-1}},
    };
    for (const Case& c : cases) {
        if (c.playing) WriteBytes("Playing.db", *c.playing);
        else QFile::remove(DataFile("Playing.db"));
        EXPECT_EQ(Queue(Load()), c.queue) << c.playing.value_or("(missing)");
    }
}

TEST_F(LibraryFiles, FailedSaveKeepsTheOldFiles)
{
    WriteBytes("Files.db", "alt");
    WriteBytes("Playing.db", "0\r\n");
    store_.Files[0] = NewRecord(QStringLiteral("/a.mp3"));

    QStringList asked;
    SetDatabaseWriteCheck([&](const QString& path) { asked << QFileInfo(path).fileName(); return false; });
    EXPECT_FALSE(SaveDatabase(store_));
    EXPECT_EQ(asked, QStringList{"Files.db"});  // the queue is not written beside the old records
    EXPECT_EQ(ReadBytes("Files.db"), std::string("alt"));
    EXPECT_EQ(ReadBytes("Playing.db"), std::string("0\r\n"));
    EXPECT_EQ(shown, QStringList{QStringLiteral("16|Sarovin|Die Datei ") + QDir::toNativeSeparators(DataFile("Files.db")) +
                                     QStringLiteral(" konnte nicht gespeichert werden. Die bisherige Datei bleibt erhalten.\n"
                                                    "Grund: ") + SystemErrorText(ENOSPC)});

    // Only the queue fails: the records are new, the old queue stays.
    shown.clear();
    SetDatabaseWriteCheck([](const QString& path) { return !path.endsWith(QStringLiteral("Playing.db")); });
    EXPECT_FALSE(SaveDatabase(store_));
    EXPECT_NE(ReadBytes("Files.db"), std::string("alt"));
    EXPECT_EQ(ReadBytes("Playing.db"), std::string("0\r\n"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Playing.db")));
}

TEST_F(LibraryFiles, RepeatedTextsAreShared)
{
    store_.Files = {NewRecord(QStringLiteral("/a.mp3")), NewRecord(QStringLiteral("/b.mp3"))};
    for (LibraryEntry& e : store_.Files) e.Tags.Artist = QStringLiteral("Interpret");
    ASSERT_TRUE(SaveDatabase(store_));
    const LibraryDatabase s = Load();
    ASSERT_EQ(s.Files.size(), 2);
    EXPECT_EQ(s.Files[0].Tags.Artist.constData(), s.Files[1].Tags.Artist.constData());
    EXPECT_EQ(s.Files[0].TagVer.constData(), s.Files[1].TagVer.constData());
    EXPECT_EQ(s.Files[0].PlayTime.toString().constData(), s.Files[1].PlayTime.toString().constData());
}

// Shared texts are matched by their bytes: the same name in UTF-8 is one
// text; a byte that does not decode never matches an ASCII letter in its place.
TEST_F(LibraryFiles, SharedTextsMatchTheirBytesExactly)
{
    const char* const albums[] = {"K\xc3\xbcnstler", "x", "\xff", "K\xc3\xbcnstler", "\xff", "x"};
    std::string file;
    int n = 0;
    for (const char* album : albums) {
        ++n;
        file += Lines({("<" + std::to_string(n) + ">").c_str(), ("<FileName>/" + std::to_string(n) + "</FileName>").c_str(),
                       (std::string("<Tags.Album>") + album + "</Tags.Album>").c_str(), ("</" + std::to_string(n) + ">").c_str()});
    }
    WriteBytes(QStringLiteral("Files.db"), file);
    const LibraryDatabase s = Load();
    ASSERT_EQ(s.Files.size(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Files[i].Tags.Album, QString::fromUtf8(albums[i])) << i;
    EXPECT_EQ(s.Files[0].Tags.Album.constData(), s.Files[3].Tags.Album.constData());
    // Bytes that do not decode are shared too: a file in another encoding
    // would otherwise add a table slot per record, all on one probe chain.
    EXPECT_EQ(s.Files[2].Tags.Album.constData(), s.Files[4].Tags.Album.constData());
    const QVector<ListEntry>& set = s.ListSets[AlbumSet].Entries;
    ASSERT_EQ(set.size(), 4);
    EXPECT_EQ(set[0].Items, QVector<int32_t>{-1});
    EXPECT_EQ(set[1].Items, (QVector<int32_t>{0, 3}));
    EXPECT_EQ(set[2].Items, (QVector<int32_t>{1, 5}));
    EXPECT_EQ(set[3].Items, (QVector<int32_t>{2, 4}));
}

TEST(GetTagValue, KeysOnlyAtLineStartAndEnd)
{
    struct Case { const char* text; int occurrence; QVariant value; } cases[] = {
        {"<A>x</A>", 0, "x"},
        {"<A></A>", 0, ""},
        {"<B>x</B>", 0, {}},
        {"<C><A>x</A></C>", 0, {}},                // not at the start of a line
        {"<A>x</A>y", 0, {}},                       // not at the end of a line
        {"<A>x</A>y\n<A>z</A>", 0, "x</A>y<A>z"},   // the close tag ends a later line
        {"<A>x</A>y</A>", 0, "x</A>y"},
        {"<A>eins\r\nzwei\ndrei</A>", 0, "einszweidrei"},
        {"<A>1</A>\r\n<A>2</A>", 1, "2"},
        {"<A>1</A>\r\n<A>2</A>", 2, {}},
        {"<A>offen", 0, {}},
        {"<A>", 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetTagValue(QString::fromUtf8(c.text), QStringLiteral("A"), c.occurrence), c.value) << c.text;
}

} // namespace
