#include "core/PlaylistExport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

LibraryEntry Entry(const QString& file, const QString& title, const QString& artist, const QString& album, int seconds)
{
    LibraryEntry e;
    e.FileName = file;
    e.Tags.Title = title;
    e.Tags.Artist = artist;
    e.Tags.Album = album;
    e.Tags.Lenght = seconds;
    return e;
}

LibraryDatabase ViewOf(QVector<LibraryEntry> files, QVector<int32_t> items)
{
    LibraryDatabase db;
    db.Files = std::move(files);
    db.ListSets[ViewList].Entries = {ListEntry{QStringLiteral("Ansicht"), std::move(items)}};
    return db;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

TEST(GetM3UTitle, AlbumAfterByArtistAfterFrom)
{
    const LibraryDatabase db = ViewOf({
        Entry("/a", "Song", "Abba", "Gold", 1), Entry("/b", "Song", "Abba", "", 1),
        Entry("/c", "Song", "", "Gold", 1), Entry("/d", "Song", "", "", 1)}, {});
    EXPECT_EQ(GetM3UTitle(db, 0), QStringLiteral("Song - by 'Gold' from 'Abba'"));
    EXPECT_EQ(GetM3UTitle(db, 1), QStringLiteral("Song - from 'Abba'"));
    EXPECT_EQ(GetM3UTitle(db, 2), QStringLiteral("Song - by 'Gold' "));
    EXPECT_EQ(GetM3UTitle(db, 3), QStringLiteral("Song"));
    EXPECT_EQ(GetM3UTitle(db, 4), QString());
    EXPECT_EQ(GetM3UTitle(db, -1), QString());
}

class Export : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }
    // Three titles, among them items that name nothing or cannot be a line.
    LibraryDatabase db = ViewOf(
        {
            Entry("/music/Rock & Roll.mp3", "Rock & Roll", "Bill <H>", "Gold", 181),
            Entry("/music/ä b.ogg", "Grüße\r\nNeu", "", "", 0),
            Entry("", "placeholder", "", "", 0),
            Entry("/music/bad\nname.mp3", "bad", "", "", 0),
            Entry("/music/x.mp3", "a]]>b", "Zed", "", 5),
        },
        {0, -1, 1, 2, 3, 99, 4});
};

TEST_F(Export, M3UGolden)
{
    ASSERT_TRUE(SaveM3U(db, ViewList, Path("list.m3u")));
    EXPECT_EQ(ReadAll(Path("list.m3u")),
              QByteArray("#EXTM3U\r\n"
                         "#EXTINF:181,Rock & Roll - by 'Gold' from 'Bill <H>'\r\n"
                         "/music/Rock & Roll.mp3\r\n"
                         "#EXTINF:0,Grüße  Neu\r\n"
                         "/music/ä b.ogg\r\n"
                         "#EXTINF:5,a]]>b - from 'Zed'\r\n"
                         "/music/x.mp3\r\n"));
}

TEST_F(Export, XSPFGolden)
{
    ASSERT_TRUE(SaveXSPF(db, ViewList, Path("list.xspf")));
    EXPECT_EQ(ReadAll(Path("list.xspf")),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\r\n"
                         "  <trackList>\r\n"
                         "    <track>\r\n"
                         "      <title>Rock &amp; Roll</title>\r\n"
                         "      <creator>Bill &lt;H&gt;</creator>\r\n"
                         "      <location>file:///music/Rock%20&amp;%20Roll.mp3</location>\r\n"
                         "    </track>\r\n"
                         "    <track>\r\n"
                         "      <title>Grüße  Neu</title>\r\n"
                         "      <creator></creator>\r\n"
                         "      <location>file:///music/%C3%A4%20b.ogg</location>\r\n"
                         "    </track>\r\n"
                         "    <track>\r\n"
                         "      <title>a]]&gt;b</title>\r\n"
                         "      <creator>Zed</creator>\r\n"
                         "      <location>file:///music/x.mp3</location>\r\n"
                         "    </track>\r\n"
                         "  </trackList>\r\n"
                         "</playlist>\r\n"));
}

TEST_F(Export, HostileTextsParseBack)
{
    const QString hostile[] = {
        QStringLiteral("<![CDATA[x]]>"), QStringLiteral("</title><evil/>"), QStringLiteral("&amp;&#0;"),
        QString::fromUtf16(u"nul\0tab\tbell\a", 13), QString::fromUtf16(u"\xFFFF\xFFFE\xD800 lone"),
        QString::fromUtf16(u"emoji \U0001F3B5"),
    };
    QVector<LibraryEntry> files;
    QVector<int32_t> items;
    for (const QString& t : hostile) {
        items.append(int32_t(files.size()));
        files.append(Entry(QStringLiteral("/m/") + QString::number(files.size()), t, t, t, 1));
    }
    ASSERT_TRUE(SaveXSPF(ViewOf(files, items), ViewList, Path("h.xspf")));

    QXmlStreamReader xml(ReadAll(Path("h.xspf")));
    QStringList titles;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"title") titles << xml.readElementText();
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    ASSERT_EQ(titles.size(), 6);
    EXPECT_EQ(titles[0], hostile[0]);
    EXPECT_EQ(titles[1], hostile[1]);
    EXPECT_EQ(titles[2], hostile[2]);
    EXPECT_EQ(titles[3], QStringLiteral("nultabbell"));
    EXPECT_EQ(titles[4], QStringLiteral(" lone"));
    EXPECT_EQ(titles[5], hostile[5]);
}

TEST_F(Export, EmptyViewWritesHeaderAndClosingLines)
{
    const LibraryDatabase empty = ViewOf({LibraryEntry()}, {-1});
    ASSERT_TRUE(SaveM3U(empty, ViewList, Path("e.m3u")));
    ASSERT_TRUE(SaveXSPF(empty, ViewList, Path("e.xspf")));
    EXPECT_EQ(ReadAll(Path("e.m3u")), QByteArray("#EXTM3U\r\n"));
    EXPECT_EQ(ReadAll(Path("e.xspf")).count("\r\n"), 5);
}

TEST_F(Export, FailureIsReportedAndKeepsTheOldFile)
{
    EXPECT_FALSE(SaveM3U(db, ViewList, Path("no/such/dir/list.m3u")));
    EXPECT_FALSE(SaveXSPF(db, ViewList, Path("no/such/dir/list.xspf")));
    QFile old(Path("old.m3u"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_FALSE(SaveM3U(db, 8, Path("old.m3u")));
    EXPECT_EQ(ReadAll(Path("old.m3u")), QByteArray("old"));
}
