// Synchronisation over a temporary folder tree, with a reader that takes any
// regular file unless its content says "kaputt".
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"

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
};

QStringList Names(const LibraryDatabase& store)
{
    QStringList out;
    for (const LibraryEntry& e : store.Files) out.append(e.FileName);
    return out;
}

class LibrarySyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid() && tree_.isValid());
        oldHome_ = qgetenv("SAROVIN_HOME");
        qputenv("SAROVIN_HOME", QFile::encodeName(home_.path()));
        SetTagReader(&reader_);
        ResetDatabase(Library);
        SetCaptionHook([this](const QString& c) {
            captions_.append(c);
            if (onCaption_) onCaption_(c);
        });
        SetMessageBoxService([this](const QString& text, int style, const QString& caption) {
            messages_.append(QStringLiteral("%1|%2|%3").arg(style).arg(caption, text));
            return int(MsgOk);
        });
    }
    void TearDown() override
    {
        SetCaptionHook({});
        SetMessageBoxService({});
        SetLibraryReplacedHook({});
        SetTagReader(nullptr);
        ResetDatabase(Library);
        qputenv("SAROVIN_HOME", oldHome_);
    }

    QString P(const QString& rel) const { return tree_.path() + u'/' + rel; }
    void Touch(const QString& rel, const QByteArray& content = "x")
    {
        QDir().mkpath(QFileInfo(P(rel)).path());
        QFile f(P(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QString FilesDb() const
    {
        QFile f(home_.filePath(QStringLiteral("Files.db")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir home_;
    QTemporaryDir tree_;
    QByteArray oldHome_;
    FakeReader reader_;
    QStringList captions_;
    QStringList messages_;
    std::function<void(const QString&)> onCaption_;
};

TEST(LibraryFolders, NormalisedAndNestedOnesSkipped)
{
    const QChar cr(13);
    EXPECT_EQ(NormaliseLibraryFolders(QStringLiteral("/m/Musik/") + cr + cr + QStringLiteral("/m//Rock/../Pop") + cr +
                                      QStringLiteral("/")),
              (QStringList{QStringLiteral("/m/Musik"), QStringLiteral("/m/Pop"), QStringLiteral("/")}));
    EXPECT_EQ(NormaliseLibraryFolders(QString()), QStringList());

    struct Inside { const char* path; const char* folder; bool want; };
    const Inside inside[] = {
        {"/m/Musik/a.mp3", "/m/Musik", true}, {"/m/Musik2/a.mp3", "/m/Musik", false},
        {"/m/Musik", "/m/Musik", false},      {"/m/MusikRock", "/m/Musik", false},
        {"/a.mp3", "/", true},                {"/", "/", false},
        {"/m/Musik/a.mp3", "", false},
    };
    for (const Inside& c : inside)
        EXPECT_EQ(IsInsideFolder(QString::fromLatin1(c.path), QString::fromLatin1(c.folder)), c.want) << c.path;

    struct Scan { QStringList folders; QStringList want; };
    const Scan scans[] = {
        {{"/m/Musik", "/m/Musik/Rock", "/m/Musik2"}, {"/m/Musik", "/m/Musik2"}},
        {{"/m/Musik/Rock", "/m/Musik"}, {"/m/Musik"}},
        {{"/m/Musik", "/m/Musik"}, {"/m/Musik"}},
        {{"/m/Rock", "/", "/m"}, {"/"}},
    };
    for (const Scan& c : scans) EXPECT_EQ(FoldersToScan(c.folders), c.want) << c.folders.join(u',').toStdString();
}

TEST(LibraryFolders, FallbackTitle)
{
    struct Case { const char* path; const char* want; };
    const Case cases[] = {
        {"/m/Lied.mp3", "Lied"}, {"/m/Lied.live.mp3", "Lied.live"}, {"/m/Lied", "Lied"},
        {"/m/a.b/Lied", "Lied"}, {"Lied.mp3", "Lied"},
    };
    for (const Case& c : cases) EXPECT_EQ(FallbackTitle(QString::fromLatin1(c.path)), QString::fromLatin1(c.want));
}

TEST_F(LibrarySyncTest, RebuildTakesAcceptedFilesInNameOrderSubfoldersFirst)
{
    for (const char* f : {"root/b.mp3", "root/a.ogg", "root/Lied.MP3", "root/x.flac", "root/y.wav", "root/z.txt",
                          "root/Sub/c.m4a", "root/Alpha/d.wma", "root/.versteckt/e.mp3", "root2/f.mp3"})
        Touch(QString::fromLatin1(f));
    Touch(QStringLiteral("root/kaputt.mp3"), "kaputt");
    ASSERT_EQ(mkfifo(QFile::encodeName(P(QStringLiteral("root/pipe.mp3"))).constData(), 0600), 0);
    Library.ListSets[PlayingQueue].Entries = {ListEntry{QString(), {0}}};

    const QChar cr(13);
    // The nested and the repeated entry scan nothing twice; root2 is no part of root.
    const SyncResult r = SyncLibrary(1, P(QStringLiteral("root/")) + cr + P(QStringLiteral("root/Sub")) + cr +
                                            P(QStringLiteral("root")) + cr + P(QStringLiteral("root2")));
    EXPECT_EQ(r.status, SyncResult::Done);
    EXPECT_EQ(Names(Library), (QStringList{P(QStringLiteral("root/Alpha/d.wma")), P(QStringLiteral("root/Sub/c.m4a")),
                                          P(QStringLiteral("root/Lied.MP3")), P(QStringLiteral("root/a.ogg")),
                                          P(QStringLiteral("root/b.mp3")), P(QStringLiteral("root2/f.mp3"))}));
    EXPECT_FALSE(reader_.opened.contains(P(QStringLiteral("root/pipe.mp3"))));
    EXPECT_EQ(Library.Files[0].Tags.Genre, QStringLiteral("Rock"));
    EXPECT_EQ(Library.Files[0].Tags.Lenght, 62);
    EXPECT_EQ(Library.ListSets[PlayingQueue].Entries.value(0).Items, QVector<int32_t>{-1});
    EXPECT_TRUE(FilesDb().contains(P(QStringLiteral("root2/f.mp3"))));
    EXPECT_FALSE(IsBusy());
}

TEST_F(LibrarySyncTest, UpdateKeepsOrderAndPlayStateAppendsNewDropsGone)
{
    for (const char* f : {"m/a.mp3", "m/b.mp3", "m/c.mp3", "alt/d.mp3"}) Touch(QString::fromLatin1(f));
    const QChar cr(13);
    Settings.LibraryFolders = P(QStringLiteral("m")) + cr + P(QStringLiteral("alt"));
    ASSERT_EQ(SyncLibrary(1).status, SyncResult::Done);
    Settings.LibraryFolders.clear();
    ASSERT_EQ(Library.Files.size(), 4);  // m/a, m/b, m/c, alt/d
    Library.Files[1].PlayCNT = 5;
    Library.Files[1].Rating = 4;
    Library.Files[2].PlayCNT = 2;
    QFile::remove(P(QStringLiteral("m/a.mp3")));
    Touch(QStringLiteral("m/0.mp3"));
    Touch(QStringLiteral("m/neu/e.mp3"));

    // alt is no library folder any more.
    ASSERT_EQ(SyncLibrary(2, P(QStringLiteral("m/"))).status, SyncResult::Done);
    EXPECT_EQ(Names(Library), (QStringList{P(QStringLiteral("m/b.mp3")), P(QStringLiteral("m/c.mp3")),
                                          P(QStringLiteral("m/neu/e.mp3")), P(QStringLiteral("m/0.mp3"))}));
    EXPECT_EQ(Library.Files[0].PlayCNT, 5);
    EXPECT_EQ(Library.Files[0].Rating, 4);
    EXPECT_EQ(Library.Files[1].PlayCNT, 2);

    // Unchanged tree: nothing read again, nothing added twice.
    reader_.opened.clear();
    ASSERT_EQ(SyncLibrary(2, P(QStringLiteral("m")) + cr + P(QStringLiteral("m"))).status, SyncResult::Done);
    EXPECT_EQ(Library.Files.size(), 4);
    EXPECT_TRUE(reader_.opened.isEmpty());

    // Every file gone: the placeholder remains.
    QDir(P(QStringLiteral("m"))).removeRecursively();
    QDir().mkpath(P(QStringLiteral("m")));
    ASSERT_EQ(SyncLibrary(2, P(QStringLiteral("m"))).status, SyncResult::Done);
    EXPECT_EQ(Names(Library), QStringList{QString()});
}

TEST_F(LibrarySyncTest, WhatHappensDuringTheSyncIsKept)
{
    for (const char* f : {"m/a.mp3", "m/b.mp3", "draussen/x.mp3"}) Touch(QString::fromLatin1(f));
    ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
    Library.Files[0].Actions = QStringLiteral("Tag;");
    Touch(QStringLiteral("m/c.mp3"));

    for (int mode : {2, 1}) {
        SCOPED_TRACE(mode);
        bool done = false;
        // Runs as if from a pumped event: a play, a rating, a tag edit and a dropped file.
        onCaption_ = [&](const QString& c) {
            if (done || !c.startsWith(QStringLiteral("Sarovin (Synchronisiere"))) return;
            done = true;
            Library.Files[1].PlayCNT += 1;
            Library.Files[1].PlayTime = QStringLiteral("heute");
            Library.Files[1].Rating = 3;
            Library.Files[0].Tags.Title = QStringLiteral("Neu");
            ASSERT_TRUE(AddFile(Library, P(QStringLiteral("draussen/x.mp3"))));
        };
        const int playsBefore = Library.Files[1].PlayCNT;
        ASSERT_EQ(SyncLibrary(int16_t(mode), P(QStringLiteral("m"))).status, SyncResult::Done);
        ASSERT_TRUE(done);
        EXPECT_EQ(Names(Library), (QStringList{P(QStringLiteral("m/a.mp3")), P(QStringLiteral("m/b.mp3")),
                                              P(QStringLiteral("m/c.mp3")), P(QStringLiteral("draussen/x.mp3"))}));
        if (mode == 2) {
            EXPECT_EQ(Library.Files[1].PlayCNT, playsBefore + 1);
            EXPECT_EQ(Library.Files[1].Rating, 3);
            EXPECT_EQ(Library.Files[1].PlayTime.toString(), QStringLiteral("heute"));
            EXPECT_EQ(Library.Files[0].Tags.Title, QStringLiteral("Neu"));
        } else {
            // A rebuild starts afresh by design.
            EXPECT_EQ(Library.Files[1].PlayCNT, 0);
            EXPECT_EQ(Library.Files[0].Tags.Title, QStringLiteral("a"));
        }
        EXPECT_TRUE(FilesDb().contains(P(QStringLiteral("draussen/x.mp3"))));
        onCaption_ = {};
        ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
        Library.Files[0].Actions = QStringLiteral("Tag;");
    }
}

TEST_F(LibrarySyncTest, CaptionsEndIdleOnEveryPath)
{
    Touch(QStringLiteral("m/a.mp3"));
    Touch(QStringLiteral("m/b.mp3"));
    const QString m = P(QStringLiteral("m"));
    const QString gone = P(QStringLiteral("abgesteckt"));
    const QString cr(QChar(13));
    struct Case { int mode; QString folders; SyncResult::Status status; QStringList captions; };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SCOPED_TRACE(c.folders.toStdString());
        captions_.clear();
        EXPECT_EQ(SyncLibrary(int16_t(c.mode), c.folders).status, c.status);
        EXPECT_EQ(captions_, c.captions);
        EXPECT_FALSE(IsBusy());
        EXPECT_EQ(BusyCaption(), IdleCaption);
    }
    const SyncResult bad = SyncLibrary(7, m);
    EXPECT_EQ(bad.ErrorNumber, 78);
    EXPECT_EQ(bad.Description, QStringLiteral("ungültiger Synchronisations-Modus"));
}

TEST_F(LibrarySyncTest, UnreadableFolderLeavesLibraryAndFilesAlone)
{
    Touch(QStringLiteral("m/a.mp3"));
    ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
    Library.Files[0].PlayCNT = 9;
    const QString db = FilesDb();
    const QString gone = P(QStringLiteral("usb"));
    for (int mode : {1, 2}) {
        messages_.clear();
        EXPECT_EQ(SyncLibrary(int16_t(mode), P(QStringLiteral("m")) + QChar(13) + gone).status,
                  SyncResult::FolderUnreadable);
        EXPECT_EQ(messages_, QStringList{QStringLiteral("48|Sarovin|Der Ordner ") + gone +
                                         QStringLiteral(" kann nicht gelesen werden. Die Bibliothek bleibt unverändert.")});
        ASSERT_EQ(Library.Files.size(), 1);
        EXPECT_EQ(Library.Files[0].PlayCNT, 9);
        EXPECT_EQ(FilesDb(), db);
    }
}

TEST_F(LibrarySyncTest, LinkedFoldersAreFollowedOnce)
{
    Touch(QStringLiteral("m/a/x.mp3"));
    // A loop back to the top and a second way into a.
    ASSERT_EQ(symlink(QFile::encodeName(P(QStringLiteral("m"))).constData(),
                      QFile::encodeName(P(QStringLiteral("m/a/schleife"))).constData()), 0);
    ASSERT_EQ(symlink(QFile::encodeName(P(QStringLiteral("m/a"))).constData(),
                      QFile::encodeName(P(QStringLiteral("m/b"))).constData()), 0);
    ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
    EXPECT_EQ(Names(Library), QStringList{P(QStringLiteral("m/a/x.mp3"))});
}

TEST_F(LibrarySyncTest, SecondSyncWhileOneRunsIsRefused)
{
    Touch(QStringLiteral("m/a.mp3"));
    Touch(QStringLiteral("m/b.mp3"));
    QVector<SyncResult::Status> inner;
    onCaption_ = [&](const QString& c) {
        if (c == QStringLiteral("Sarovin (Synchronisiere 0)")) inner.append(SyncLibrary(2, P(QStringLiteral("m"))).status);
    };
    EXPECT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
    EXPECT_EQ(inner, QVector<SyncResult::Status>{SyncResult::Busy});
    EXPECT_EQ(Library.Files.size(), 2);
    // Another long operation holds the state the same way.
    {
        BusyGuard other;
        EXPECT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Busy);
    }
    EXPECT_FALSE(IsBusy());
}

TEST_F(LibrarySyncTest, ReplacementIsReportedSoIndicesCanMove)
{
    Touch(QStringLiteral("m/b.mp3"));
    Touch(QStringLiteral("m/c.mp3"));
    ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);
    Touch(QStringLiteral("m/a.mp3"));
    QFile::remove(P(QStringLiteral("m/b.mp3")));
    QVector<int32_t> moved;
    SetLibraryReplacedHook([&](const LibraryDatabase& previous) {
        for (int32_t i : {0, 1, -1, 7}) moved.append(RemapLibraryIndex(previous, i));
    });
    ASSERT_EQ(SyncLibrary(1, P(QStringLiteral("m"))).status, SyncResult::Done);  // a, c
    EXPECT_EQ(moved, (QVector<int32_t>{-1, 1, -1, -1}));
}

} // namespace
