#include "core/PlaylistExport.h"
#include "tests/support/AudioFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

LibraryEntry Entry(const QString& file, const QString& title, const QString& artist = {},
                   const QString& album = {}, int seconds = 0)
{
    LibraryEntry e;
    e.FileName = file;
    e.Tags = TagInfo{.Title = title, .Artist = artist, .Album = album, .Lenght = seconds};
    return e;
}

LibraryDatabase ViewOf(QVector<LibraryEntry> files, QVector<int32_t> items)
{
    LibraryDatabase db;
    db.Files = std::move(files);
    db.ListSets[ViewList].Entries = {ListEntry{QStringLiteral("Ansicht"), std::move(items)}};
    return db;
}

class Export : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray Read(const char* name) { return ReadRawFile(Path(name)); }
    // Four titles among items that name nothing or cannot stand on one line.
    LibraryDatabase db = ViewOf(
        {
            Entry("/music/Rock & Roll.mp3", "Rock & Roll", "Bill <H>", "Gold", 181),
            Entry("/music/ä b.ogg", "Grüße\r\nNeu"),
            Entry("", "placeholder"),
            Entry("/music/bad\nname.mp3", "bad"),
            Entry("/music/x.mp3", "a]]>b", "Zed", "", 5),
            Entry("/music/y.mp3", "Song", "", "Gold", 7),
        },
        {0, -1, 1, 2, 3, 99, 4, 5});
};

} // namespace

TEST_F(Export, M3UGolden)
{
    ASSERT_TRUE(SaveM3U(db, ViewList, Path("list.m3u")));
    EXPECT_EQ(Read("list.m3u"), QByteArray("#EXTM3U\r\n"
                                           "#EXTINF:181,Rock & Roll - by 'Gold' from 'Bill <H>'\r\n"
                                           "/music/Rock & Roll.mp3\r\n"
                                           "#EXTINF:0,Grüße  Neu\r\n"
                                           "/music/ä b.ogg\r\n"
                                           "#EXTINF:5,a]]>b - from 'Zed'\r\n"
                                           "/music/x.mp3\r\n"
                                           "#EXTINF:7,Song - by 'Gold' \r\n"
                                           "/music/y.mp3\r\n"));
}

TEST_F(Export, XSPFGolden)
{
    const auto track = [](const char* title, const char* creator, const char* location) {
        return QByteArray("    <track>\r\n      <title>") + title + "</title>\r\n      <creator>" + creator +
               "</creator>\r\n      <location>file:///music/" + location + "</location>\r\n    </track>\r\n";
    };
    ASSERT_TRUE(SaveXSPF(db, ViewList, Path("list.xspf")));
    EXPECT_EQ(Read("list.xspf"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\r\n  <trackList>\r\n" +
                                     track("Rock &amp; Roll", "Bill &lt;H&gt;", "Rock%20&amp;%20Roll.mp3") +
                                     track("Grüße  Neu", "", "%C3%A4%20b.ogg") + track("a]]&gt;b", "Zed", "x.mp3") +
                                     track("Song", "", "y.mp3") + "  </trackList>\r\n</playlist>\r\n");
}

TEST_F(Export, HostileTitlesParseBack)
{
    const QString hostile[] = {
        QStringLiteral("<![CDATA[x]]>"), QStringLiteral("</title><evil/>"), QStringLiteral("&amp;&#0;"),
        QString::fromUtf16(u"emoji \U0001F3B5"), QString::fromUtf16(u"nul\0tab\tbell\a", 13),
        QString::fromUtf16(u"\xFFFF\xFFFE\xD800 lone"),
    };
    const QString want[] = {hostile[0], hostile[1], hostile[2], hostile[3], "nultabbell", " lone"};
    QVector<LibraryEntry> files;
    for (const QString& t : hostile) files.append(Entry("/m/" + QString::number(files.size()), t, t));
    ASSERT_TRUE(SaveXSPF(ViewOf(files, {0, 1, 2, 3, 4, 5}), ViewList, Path("h.xspf")));

    QXmlStreamReader xml(Read("h.xspf"));
    QStringList titles;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"title") titles << xml.readElementText();
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(titles, QStringList(std::begin(want), std::end(want)));
}

TEST_F(Export, EmptyViewGivesTheFixedLinesAndFailuresAreReported)
{
    const LibraryDatabase empty = ViewOf({LibraryEntry()}, {-1});
    ASSERT_TRUE(SaveM3U(empty, ViewList, Path("e.m3u")));
    ASSERT_TRUE(SaveXSPF(empty, ViewList, Path("e.xspf")));
    EXPECT_EQ(Read("e.m3u"), QByteArray("#EXTM3U\r\n"));
    EXPECT_EQ(Read("e.xspf").count("\r\n"), 5);

    EXPECT_FALSE(SaveM3U(db, ViewList, Path("no/dir/list.m3u")));
    EXPECT_FALSE(SaveXSPF(db, ViewList, Path("no/dir/list.xspf")));
    EXPECT_FALSE(SaveM3U(db, ListSetCount, Path("bad.m3u")));
    EXPECT_FALSE(QFile::exists(Path("bad.m3u")));
}
