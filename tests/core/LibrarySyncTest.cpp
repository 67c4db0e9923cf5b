// Synchronisation over a temporary folder tree, with a reader that takes any
// regular file unless its content says "kaputt".
#include "core/Busy.h"
#include "core/Clock.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
#include "tests/support/ProgramTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FakeReader : public TagReader {
public:
    TagReading Open(const QString& path) override
    {
        opened.append(path);
        now += step;  // reading takes time on the test's clock
        TagReading r;
        QFile f(path);
        if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly) || f.readAll() == "kaputt") return r;
        r.Format = 1;
        r.Size = f.size();
        r.Duration = 61.5;
        r.Genre = QStringLiteral("17");
        return r;
    }
    QStringList opened;
    double now = 0, step = 0;
};

QStringList Names(const LibraryDatabase& store)
{
    QStringList out;
    for (const LibraryEntry& e : store.Files) out.append(e.FileName);
    return out;
}

class LibrarySyncTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ASSERT_TRUE(tree_.isValid());
        SetTagReader(&reader_);
        SetMonotonicClock([this] { return reader_.now; });
        ResetDatabase(Library);
        captionSub_ = SubscribeCaption([this](const QString& c) {
            captions_.append(c);
            if (onCaption_) onCaption_(c);
        });
    }

    QString P(const char* rel) const { return tree_.path() + u'/' + QString::fromUtf8(rel); }
    QStringList Ps(std::initializer_list<const char*> rels) const
    {
        QStringList out;
        for (const char* r : rels) out.append(P(r));
        return out;
    }
    void Touch(std::initializer_list<const char*> rels, const QByteArray& content = "x")
    {
        for (const QString& path : Ps(rels)) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
    }
    // The folders as the settings hold them, one per CR-separated line.
    SyncResult::Status Sync(int mode, std::initializer_list<const char*> folders)
    {
        return SyncLibrary(int16_t(mode), Ps(folders).join(QChar(13))).status;
    }
    QString FilesDb() const
    {
        QFile f(home.filePath(QStringLiteral("Files.db")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir tree_;
    FakeReader reader_;
    QStringList captions_;
    std::function<void(const QString&)> onCaption_;
    Subscription captionSub_;
};

TEST(LibraryFolders, NormalisedAndNestedOnesSkipped)
{
    EXPECT_EQ(NormaliseLibraryFolders(QStringLiteral("/m/Musik/\r\r/m//Rock/../Pop\r/")),
              (QStringList{"/m/Musik", "/m/Pop", "/"}));
    EXPECT_EQ(NormaliseLibraryFolders(QString()), QStringList());

    const struct { const char *path, *folder; bool want; } inside[] = {
        {"/m/Musik/a.mp3", "/m/Musik", true}, {"/m/Musik2/a.mp3", "/m/Musik", false},
        {"/m/Musik", "/m/Musik", false},      {"/m/MusikRock", "/m/Musik", false},
        {"/a.mp3", "/", true},                {"/", "/", false},
        {"/m/Musik/a.mp3", "", false},
    };
    for (const auto& c : inside)
        EXPECT_EQ(IsInsideFolder(QString::fromLatin1(c.path), QString::fromLatin1(c.folder)), c.want) << c.path;

    const struct { QStringList folders, want; } scans[] = {
        {{"/m/Musik", "/m/Musik/Rock", "/m/Musik2"}, {"/m/Musik", "/m/Musik2"}},
        {{"/m/Musik/Rock", "/m/Musik"}, {"/m/Musik"}},
        {{"/m/Musik", "/m/Musik"}, {"/m/Musik"}},
        {{"/m/Rock", "/", "/m"}, {"/"}},
    };
    for (const auto& c : scans) EXPECT_EQ(FoldersToScan(c.folders), c.want) << c.folders.join(u',').toStdString();
}

TEST(LibraryFolders, FallbackTitle)
{
    const struct { const char *path, *want; } cases[] = {
        {"/m/Lied.mp3", "Lied"}, {"/m/Lied.live.mp3", "Lied.live"}, {"/m/Lied", "Lied"},
        {"/m/a.b/Lied", "Lied"}, {"Lied.mp3", "Lied"},
    };
    for (const auto& c : cases) EXPECT_EQ(FallbackTitle(QString::fromLatin1(c.path)), QString::fromLatin1(c.want));
}

TEST_F(LibrarySyncTest, RebuildTakesAcceptedFilesInNameOrderSubfoldersFirst)
{
    Touch({"root/b.mp3", "root/a.ogg", "root/Lied.MP3", "root/x.flac", "root/y.wav", "root/z.txt", "root/Sub/c.m4a",
           "root/Alpha/d.wma", "root/.versteckt/e.mp3", "root2/f.mp3"});
    Touch({"root/kaputt.mp3"}, "kaputt");
    ASSERT_EQ(mkfifo(QFile::encodeName(P("root/pipe.mp3")).constData(), 0600), 0);

    // The nested and the repeated entry scan nothing twice; root2 is no part of root.
    EXPECT_EQ(Sync(1, {"root/", "root/Sub", "root", "root2"}), SyncResult::Done);
    EXPECT_EQ(Names(Library),
              Ps({"root/Alpha/d.wma", "root/Sub/c.m4a", "root/Lied.MP3", "root/a.ogg", "root/b.mp3", "root2/f.mp3"}));
    EXPECT_FALSE(reader_.opened.contains(P("root/pipe.mp3")));
    EXPECT_EQ(Library.Files[0].Tags.Genre, QStringLiteral("Rock"));
    EXPECT_EQ(Library.Files[0].Tags.Lenght, 62);
    EXPECT_TRUE(FilesDb().contains(P("root2/f.mp3")));
}

TEST_F(LibrarySyncTest, UpdateKeepsOrderAndPlayStateAppendsNewDropsGone)
{
    Touch({"m/a.mp3", "m/b.mp3", "m/c.mp3", "alt/d.mp3"});
    Settings.LibraryFolders = Ps({"m", "alt"}).join(QChar(13));
    ASSERT_EQ(SyncLibrary(1).status, SyncResult::Done);
    Settings.LibraryFolders.clear();
    ASSERT_EQ(Library.Files.size(), 4);  // m/a, m/b, m/c, alt/d
    Library.Files[1].PlayCNT = 5;
    Library.Files[1].Rating = 4;
    Library.Files[2].PlayCNT = 2;
    QFile::remove(P("m/a.mp3"));
    Touch({"m/0.mp3", "m/neu/e.mp3"});

    // alt is no library folder any more.
    ASSERT_EQ(Sync(2, {"m/"}), SyncResult::Done);
    EXPECT_EQ(Names(Library), Ps({"m/b.mp3", "m/c.mp3", "m/neu/e.mp3", "m/0.mp3"}));
    EXPECT_EQ(Library.Files[0].PlayCNT, 5);
    EXPECT_EQ(Library.Files[0].Rating, 4);
    EXPECT_EQ(Library.Files[1].PlayCNT, 2);

    // Unchanged tree: nothing read again, nothing added twice.
    reader_.opened.clear();
    ASSERT_EQ(Sync(2, {"m", "m"}), SyncResult::Done);
    EXPECT_EQ(Library.Files.size(), 4);
    EXPECT_TRUE(reader_.opened.isEmpty());

    // Every file gone: the placeholder remains.
    QDir(P("m")).removeRecursively();
    QDir().mkpath(P("m"));
    ASSERT_EQ(Sync(2, {"m"}), SyncResult::Done);
    EXPECT_EQ(Names(Library), QStringList{QString()});
}

// Records the scan does not list: kept while their file exists, in any order.
TEST_F(LibrarySyncTest, UpdateLooksUpUnlistedRecordsOnDisk)
{
    Touch({"m/a.mp3", "m/b.mp3", "m/weg.mp3", "m/x.flac", "m/.versteckt/e.mp3"});
    QDir().mkpath(P("m/ordner.mp3"));
    ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
    ASSERT_EQ(Names(Library), Ps({"m/a.mp3", "m/b.mp3", "m/weg.mp3"}));
    ASSERT_TRUE(AddFile(Library, P("m/x.flac")) && AddFile(Library, P("m/.versteckt/e.mp3")));
    for (const char* rel : {"m/ordner.mp3", "m/a.mp3"}) Library.Files.append(LibraryEntry{P(rel)});
    QFile::remove(P("m/weg.mp3"));
    Touch({"m/c.mp3"});
    ASSERT_EQ(Sync(2, {"m"}), SyncResult::Done);
    EXPECT_EQ(Names(Library), Ps({"m/a.mp3", "m/b.mp3", "m/x.flac", "m/.versteckt/e.mp3", "m/a.mp3", "m/c.mp3"}));
}

TEST_F(LibrarySyncTest, WhatHappensDuringTheSyncIsKept)
{
    Touch({"m/a.mp3", "m/b.mp3", "draussen/x.mp3"});
    for (int mode : {2, 1}) {
        SCOPED_TRACE(mode);
        QFile::remove(P("m/c.mp3"));
        ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
        Library.Files[0].Actions = QStringLiteral("Tag;");
        Touch({"m/c.mp3"});
        // Runs as if from a pumped event: a play, a rating, a tag edit and a dropped file.
        bool done = false;
        onCaption_ = [&](const QString& c) {
            if (done || !c.startsWith(QStringLiteral("Sarovin (Synchronisiere"))) return;
            done = true;
            Library.Files[1].PlayCNT = 1;
            Library.Files[1].PlayTime = QStringLiteral("heute");
            Library.Files[1].Rating = 3;
            Library.Files[0].Tags.Title = QStringLiteral("Neu");
            ASSERT_TRUE(AddFile(Library, P("draussen/x.mp3")));
        };
        ASSERT_EQ(Sync(mode, {"m"}), SyncResult::Done);
        onCaption_ = {};
        ASSERT_TRUE(done);
        EXPECT_EQ(Names(Library), Ps({"m/a.mp3", "m/b.mp3", "m/c.mp3", "draussen/x.mp3"}));
        const LibraryEntry &a = Library.Files[0], &b = Library.Files[1];
        EXPECT_EQ(std::tuple(b.PlayCNT, b.Rating, b.PlayTime.toString(), a.Tags.Title),
                  std::tuple(1, 3, QStringLiteral("heute"), QStringLiteral("Neu")));
        EXPECT_TRUE(FilesDb().contains(P("draussen/x.mp3")));
    }
}

// Both modes keep what the user made of the files still there and the queue's
// titles at their new places; d.mp3's tags are read afresh by a rebuild only.
TEST_F(LibrarySyncTest, SyncKeepsRatingsCountsTimesAndTheQueue)
{
    const struct { int mode; QStringList names; QVector<int32_t> queue; const char* dTitle; } rows[] = {
        {1, Ps({"m/a.mp3", "m/b.mp3", "m/d.mp3"}), {-1, 2, 1}, "d"},
        {2, Ps({"m/b.mp3", "m/d.mp3", "m/a.mp3"}), {-1, 1, 0}, "Alt"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        QDir(P("m")).removeRecursively();
        Touch({"m/b.mp3", "m/c.mp3", "m/d.mp3"});
        ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
        LibraryEntry &b = Library.Files[0], &d = Library.Files[2];
        b.Actions = QStringLiteral("Tag;");
        b.Tags.Title = QStringLiteral("Neu");
        d.Tags.Title = QStringLiteral("Alt");
        d.Rating = 4;
        d.PlayCNT = 5;
        d.PlayTime = QStringLiteral("gestern");
        d.AddTime = QStringLiteral("vorgestern");
        Library.ListSets[PlayingQueue].Entries[0].Items = {-1, 2, 1, 0};
        QFile::remove(P("m/c.mp3"));
        Touch({"m/a.mp3"});

        ASSERT_EQ(Sync(r.mode, {"m"}), SyncResult::Done);
        ASSERT_EQ(Names(Library), r.names);
        EXPECT_EQ(Library.ListSets[PlayingQueue].Entries[0].Items, r.queue);
        const LibraryEntry &newB = Library.Files[r.queue[2]], &newD = Library.Files[r.queue[1]];
        EXPECT_EQ(std::tuple(newB.Tags.Title, newB.Actions), std::tuple(QStringLiteral("Neu"), QStringLiteral("Tag;")));
        EXPECT_EQ(std::tuple(newD.Rating, newD.PlayCNT, newD.PlayTime.toString(), newD.AddTime.toString()),
                  std::tuple(int16_t(4), 5, QStringLiteral("gestern"), QStringLiteral("vorgestern")));
        EXPECT_EQ(newD.Tags.Title, QString::fromLatin1(r.dTitle));
    }
}

// The count changes the caption at most every 100 ms; the last one always shows.
TEST_F(LibrarySyncTest, CountCaptionIsThrottled)
{
    for (int i = 0; i < 10; ++i) Touch({QStringLiteral("m/%1.mp3").arg(i).toUtf8().constData()});
    const struct { double step; QVector<int> counts; } rows[] = {
        {0, {0, 9}}, {0.0625, {0, 2, 4, 6, 8, 9}}, {0.125, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.step);
        reader_.step = r.step;
        captions_.clear();
        ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
        QStringList want;
        for (int n : r.counts) want.append(QStringLiteral("Sarovin (Synchronisiere %1)").arg(n));
        want << "Sarovin (Views...)" << "Sarovin (Speichern...)" << "Sarovin";
        EXPECT_EQ(captions_, want);
    }
}

TEST_F(LibrarySyncTest, CaptionsEndIdleOnEveryPath)
{
    Touch({"m/a.mp3", "m/b.mp3"});
    const QString m = P("m"), gone = P("abgesteckt"), cr(QChar(13));
    const struct { int mode; QString folders; SyncResult::Status status; QStringList captions; } cases[] = {
        {1, m, SyncResult::Done,
         {"Sarovin (Synchronisiere 0)", "Sarovin (Synchronisiere 1)", "Sarovin (Views...)", "Sarovin (Speichern...)",
          "Sarovin"}},
        {2, m, SyncResult::Done,
         {"Sarovin (Dateien entfernen...)", "Sarovin (Views...)", "Sarovin (Speichern...)", "Sarovin"}},
        {2, cr, SyncResult::NoFolders, {"Sarovin (Dateien entfernen...)", "Sarovin"}},
        {1, QString(), SyncResult::NoFolders, {}},
        {1, m + cr + gone, SyncResult::FolderUnreadable, {}},
        {2, gone, SyncResult::FolderUnreadable, {"Sarovin (Dateien entfernen...)", "Sarovin"}},
        {3, m, SyncResult::InvalidMode, {}},
        {0, m, SyncResult::InvalidMode, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SCOPED_TRACE(c.folders.toStdString());
        captions_.clear();
        EXPECT_EQ(SyncLibrary(int16_t(c.mode), c.folders).status, c.status);
        EXPECT_EQ(captions_, c.captions);
        EXPECT_FALSE(IsBusy());
        EXPECT_EQ(BusyCaption(), IdleCaption);
    }
}

TEST_F(LibrarySyncTest, UnreadableFolderLeavesLibraryAndFilesAlone)
{
    Touch({"m/a.mp3"});
    ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
    Library.Files[0].PlayCNT = 9;
    const QString db = FilesDb();
    for (int mode : {1, 2}) {
        shown.clear();
        EXPECT_EQ(Sync(mode, {"m", "usb"}), SyncResult::FolderUnreadable);
        EXPECT_EQ(shown, QStringList{QStringLiteral("48|Sarovin|Der Ordner ") + P("usb") +
                                         QStringLiteral(" kann nicht gelesen werden. Die Bibliothek bleibt unverändert.")});
        ASSERT_EQ(Library.Files.size(), 1);
        EXPECT_EQ(Library.Files[0].PlayCNT, 9);
        EXPECT_EQ(FilesDb(), db);
    }
}

TEST_F(LibrarySyncTest, LinkedFoldersAreFollowedOnce)
{
    Touch({"m/a/x.mp3"});
    // A loop back to the top and a second way into a.
    ASSERT_EQ(symlink(QFile::encodeName(P("m")).constData(), QFile::encodeName(P("m/a/schleife")).constData()), 0);
    ASSERT_EQ(symlink(QFile::encodeName(P("m/a")).constData(), QFile::encodeName(P("m/b")).constData()), 0);
    ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
    EXPECT_EQ(Names(Library), Ps({"m/a/x.mp3"}));
}

TEST_F(LibrarySyncTest, SecondSyncWhileOneRunsIsRefused)
{
    Touch({"m/a.mp3", "m/b.mp3"});
    QVector<SyncResult::Status> inner;
    onCaption_ = [&](const QString& c) {
        if (c == QStringLiteral("Sarovin (Synchronisiere 0)")) inner.append(Sync(2, {"m"}));
    };
    EXPECT_EQ(Sync(1, {"m"}), SyncResult::Done);
    EXPECT_EQ(inner, QVector<SyncResult::Status>{SyncResult::Busy});
    EXPECT_EQ(Library.Files.size(), 2);
    BusyGuard other;  // another long operation holds the state the same way
    EXPECT_EQ(Sync(1, {"m"}), SyncResult::Busy);
}

TEST_F(LibrarySyncTest, ReplacementIsReportedSoIndicesCanMove)
{
    Touch({"m/b.mp3", "m/c.mp3"});
    ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);
    Touch({"m/a.mp3"});
    QFile::remove(P("m/b.mp3"));
    Library.Files.append(LibraryEntry{P("m/c.mp3")});  // a second record of c goes where the first goes
    QVector<int32_t> moved;
    const Subscription sub = SubscribeLibraryReplaced([&](const LibraryDatabase& previous) {
        for (int32_t i : {0, 1, 2, -1, 7}) moved.append(RemapLibraryIndex(previous, i));
    });
    ASSERT_EQ(Sync(1, {"m"}), SyncResult::Done);  // a, c
    EXPECT_EQ(moved, (QVector<int32_t>{-1, 1, 1, -1, -1}));
}

} // namespace
