#include "core/LibraryDatabase.h"
#include "core/PlaylistExport.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/WholeFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ProgramTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

mode_t ModeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// "" when the failures name only this file, with its reason; else something
// that is neither success nor the limit's reason.
QString ReasonFor(const SaveFailures& failures, const QString& file)
{
    if (failures.isEmpty()) return {};
    if (failures.size() != 1 || !failures[0].path.endsWith(file)) return QStringLiteral("another file failed");
    return failures[0].reason;
}

class WholeFileTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ResetDatabase(store_);
    }
    void TearDown() override { SetWholeFileSync({}); }

    // A library of n titles whose view and queue hold every one.
    void MakeLibrary(int n)
    {
        store_.Files.clear();
        QVector<int32_t> all;
        for (int i = 0; i < n; ++i) {
            LibraryEntry e;
            e.FileName = QStringLiteral("/musik/Interpret %1/Album/%2 - Straße & Lied.mp3").arg(i % 50).arg(i);
            e.Tags.Title = QStringLiteral("Lied %1 <Live>").arg(i);
            e.Tags.Artist = QStringLiteral("Interpret %1").arg(i % 50);
            e.Tags.Album = QStringLiteral("Album");
            e.Tags.Lenght = 180 + i % 60;
            e.TagVer = QStringLiteral("(unbekannt)");
            e.PlayTime = QStringLiteral("(noch nie)");
            store_.Files << e;
            all << i;
        }
        store_.ListSets[ViewList].Entries[0].Items = all;
        store_.ListSets[PlayingQueue].Entries[0].Items = all;
    }

    LibraryDatabase store_;
};

// Each kind of file the program writes, written the way the program writes it,
// cut short by a real size limit: at 0, in the middle and one byte short of
// the new file. The old file stays byte for byte (or none appears where there
// was none), nothing is left beside it, nothing else is written, and the
// limit's reason comes back.
TEST_F(WholeFileTest, ASizeLimitNeverCutsAFileShort)
{
    const QString view = HomeFile("Ansicht");
    const struct {
        const char* kind;
        QString file;
        int titles;
        std::function<QString()> write;
    } rows[] = {
        {"Files.db of a few titles", DataFile("Files.db"), 2,
         [&] { return ReasonFor(WriteDatabase(store_), "Files.db"); }},
        {"Files.db larger than the write buffer", DataFile("Files.db"), 9000,
         [&] { return ReasonFor(WriteDatabase(store_), "Files.db"); }},
        {"Files.db in the periodic writer's pieces", DataFile("Files.db"), 3000,
         [&] {
             return WriteFileChunks(DataFile("Files.db"), {FilesDbRecordBytes(store_, 0, 1000),
                                                           FilesDbRecordBytes(store_, 1000, 3000)});
         }},
        {"Playing.db of the periodic writer", DataFile("Playing.db"), 3,
         [&] { return WriteFileChunks(DataFile("Playing.db"), {PlayingDbBytes(store_)}); }},
        {"Settings.ini", DataFile("Settings.ini"), 0,
         [] {
             QString reason;
             return SaveSettings(&reason) ? QString() : reason;
         }},
        {"an M3U export", view + ".m3u", 4,
         [&] {
             QString reason;
             return SaveM3U(store_, ViewList, view + ".m3u", &reason) ? QString() : reason;
         }},
        {"an XSPF export", view + ".xml", 4,
         [&] {
             QString reason;
             return SaveXSPF(store_, ViewList, view + ".xml", &reason) ? QString() : reason;
         }},
    };
    Settings.LibraryFolders = QStringLiteral("/musik");
    Settings.HotKeyPause = QStringLiteral("17 + 18 + 36 + 162 + 164");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kind);
        MakeLibrary(r.titles);
        ASSERT_EQ(r.write(), QString());
        const qint64 size = QFileInfo(r.file).size();
        ASSERT_GT(size, 1);
        const bool big = QByteArrayView(r.kind).contains("buffer");
        EXPECT_EQ(size > (1 << 20), big) << size;
        // Last, with no old file: none appears.
        for (const auto& [limit, old] : {std::pair{qint64(0), true}, {size / 2, true}, {size - 1, true}, {size / 2, false}}) {
            SCOPED_TRACE(limit);
            Put(r.file, QByteArray("alt: ") + r.kind);
            if (!old) QFile::remove(r.file);
            Put(DataFile("Playing.db"), "1;0\r\n");
            const auto before = FolderSnapshot(home.path());
            EXPECT_EQ(RunWithFileSizeLimit(limit, [&] { return StatusForLimitedWrite(r.write()); }), 0);
            EXPECT_EQ(FolderSnapshot(home.path()), before);
        }
    }
}

// The records fit, the queue does not: the new records stay, the old queue
// too, and the failure names Playing.db.
TEST_F(WholeFileTest, ASizeLimitOnThePlayingQueueKeepsTheOldQueue)
{
    MakeLibrary(1);
    store_.ListSets[PlayingQueue].Entries[0].Items = QVector<int32_t>(200, 0);
    ASSERT_TRUE(WriteDatabase(store_).isEmpty());
    const QByteArray files = Read(DataFile("Files.db"));
    const qint64 queue = QFileInfo(DataFile("Playing.db")).size();
    ASSERT_LT(files.size(), queue);
    for (const qint64 limit : {qint64(files.size()), queue - 1}) {
        SCOPED_TRACE(limit);
        Put(DataFile("Files.db"), "alt");
        Put(DataFile("Playing.db"), "0\r\n");
        EXPECT_EQ(RunWithFileSizeLimit(limit, [&] { return StatusForLimitedWrite(ReasonFor(WriteDatabase(store_), "Playing.db")); }), 0);
        EXPECT_EQ(Read(DataFile("Files.db")), files);
        EXPECT_EQ(Read(DataFile("Playing.db")), "0\r\n");
        EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
}

// What the target is stays what it was: a link stays a link (and its file is
// replaced), an existing file keeps its mode, a new file gets the umask's.
TEST_F(WholeFileTest, LinksAndPermissionsAreKept)
{
    const QString real = HomeFile("echt.ini");
    const auto put = [](const QString& path, mode_t mode) {
        Put(path, "alt");
        ::chmod(QFile::encodeName(path).constData(), mode);
    };
    const struct {
        const char* target;
        std::function<void()> make;
        QString replaced;  // the file that gets the new bytes
        mode_t umask;
        mode_t mode;
    } rows[] = {
        {"a file of mode 0640", [&] { put(real, 0640); }, real, 022, 0640},
        {"a file of mode 0604", [&] { put(real, 0604); }, real, 077, 0604},
        {"a new file under umask 022", [] {}, real, 022, 0644},
        {"a new file under umask 077", [] {}, real, 077, 0600},
        {"a relative link", [&] { put(real, 0640); QFile::link("echt.ini", HomeFile("ziel")); }, real, 022, 0640},
        {"a link to a link in another folder",
         [&] {
             QDir(home.path()).mkdir("sub");
             put(HomeFile("sub/echt"), 0664);
             QFile::link("sub/echt", HomeFile("mitte"));
             QFile::link(HomeFile("mitte"), HomeFile("ziel"));
         },
         HomeFile("sub/echt"), 022, 0664},
        {"a link to no file yet", [&] { QFile::link("echt.ini", HomeFile("ziel")); }, real, 022, 0644},
        // The link's ".." leaves the folder the link really lies in, not the
        // linked name it was reached by.
        {"a link whose target climbs out of a linked folder",
         [&] {
             QDir(home.path()).mkpath("tief/sub");
             put(HomeFile("tief/echt"), 0640);
             QFile::link(HomeFile("tief/sub"), HomeFile("zugang"));
             QFile::link("../echt", HomeFile("tief/sub/datei"));
             QFile::link("zugang/datei", HomeFile("ziel"));
         },
         HomeFile("tief/echt"), 022, 0640},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.target);
        for (const QString& name : QDir(home.path()).entryList(QDir::Files | QDir::System)) QFile::remove(HomeFile(name));
        r.make();
        const QString path = QFileInfo(HomeFile("ziel")).isSymLink() ? HomeFile("ziel") : real;
        const QString link = QFileInfo(path).symLinkTarget();
        const mode_t old = ::umask(r.umask);
        const QString reason = WriteWholeFile(path, QByteArray("neu"));
        ::umask(old);
        EXPECT_EQ(reason, QString());
        EXPECT_EQ(Read(r.replaced), "neu");
        EXPECT_EQ(ModeOf(r.replaced), r.mode);
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), link);
        const QFileInfo replaced(r.replaced);
        EXPECT_EQ(replaced.dir().entryList(QDir::Files | QDir::Hidden).filter(replaced.fileName() + '.').size(), 0);
    }
}

// Descriptors this process holds open.
int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// A target that cannot take the new file fails with the system's reason and
// leaves its folder as it was: no temporary file, no descriptor left open,
// whichever step failed.
TEST_F(WholeFileTest, ATargetThatCannotBeReplacedIsLeftAsItWas)
{
    const struct {
        const char* target;
        std::function<void()> make;
        const char* path;
        int error;
    } rows[] = {
        {"a folder", [&] { QDir(home.path()).mkpath("ziel/drin"); }, "ziel", EISDIR},
        {"a link to a folder", [&] { QDir(home.path()).mkpath("ort/drin"); QFile::link("ort", HomeFile("ziel")); },
         "ziel", EISDIR},
        {"a link into a folder that does not exist", [&] { QFile::link("fehlt/datei", HomeFile("ziel")); }, "ziel",
         ENOENT},
        {"a circle of links",
         [&] {
             QFile::link("zwei", HomeFile("eins"));
             QFile::link("eins", HomeFile("zwei"));
         },
         "eins", ELOOP},
        {"a file inside a file", [&] { Put(HomeFile("datei"), "alt"); }, "datei/ziel", ENOTDIR},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.target);
        QDir(home.path()).removeRecursively();
        QDir().mkpath(home.path());
        r.make();
        const auto before = FolderSnapshot(home.path());
        const QStringList names = QDir(home.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);
        const int open = OpenDescriptors();
        EXPECT_EQ(WriteWholeFile(HomeFile(r.path), QByteArray("neu")), SystemErrorText(r.error));
        EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), names);
        EXPECT_EQ(FolderSnapshot(home.path()), before);
        EXPECT_EQ(OpenDescriptors(), open);
    }
}

// A path relative to the current folder, even a bare name, is written there
// and that folder is the one synced after the rename.
TEST_F(WholeFileTest, ARelativePathSyncsTheFolderItNames)
{
    const struct {
        const char* path;
        const char* folder;
    } rows[] = {
        {"ziel", ""},
        {"sub/ziel", "sub"},
        {"./sub/../ziel", ""},
    };
    QDir(home.path()).mkdir("sub");
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        std::vector<ino_t> folders;
        SetWholeFileSync([&](int fd) {
            struct stat st = {};
            ::fstat(fd, &st);
            if (S_ISDIR(st.st_mode)) folders.push_back(st.st_ino);
            return 0;
        });
        EXPECT_EQ(WriteWholeFile(QString::fromLatin1(r.path), QByteArray("neu")), QString());
        struct stat folder = {};
        ::stat(QFile::encodeName(HomeFile(r.folder)).constData(), &folder);
        EXPECT_EQ(folders, std::vector<ino_t>{folder.st_ino});
        EXPECT_EQ(Read(HomeFile(r.folder) + "/ziel"), "neu");
        QFile::remove(HomeFile(r.folder) + "/ziel");
    }
    QDir::setCurrent(current);
}

// A program started while a file is being written (the tag save's helper)
// must not inherit the temporary file.
TEST_F(WholeFileTest, TheTemporaryFileIsNotInherited)
{
    WholeFile file(HomeFile("Settings.ini"));
    ASSERT_EQ(file.Error(), QString());
    int found = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (!QFile::symLinkTarget(fds.filePath(fd)).startsWith(HomeFile("Settings.ini."))) continue;
        ++found;
        EXPECT_TRUE(::fcntl(fd.toInt(), F_GETFD) & FD_CLOEXEC);
    }
    EXPECT_EQ(found, 1);
}

// A sync that fails fails the save and leaves no descriptor open. Before the
// rename the old file stays; the folder's sync comes after it, so the new
// bytes are there but the failure is still told (the periodic save keeps them
// marked unsaved).
TEST_F(WholeFileTest, AFailedSyncFailsTheSave)
{
    const struct {
        const char* sync;
        bool folder;
        int error;
    } rows[] = {
        {"the file's data", false, EIO},
        {"the file's data, disk full", false, ENOSPC},
        {"the folder", true, EIO},
    };
    const QString path = HomeFile("Settings.ini");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.sync);
        Put(path, "alt");
        SetWholeFileSync([&r](int fd) {
            struct stat st = {};
            ::fstat(fd, &st);
            if (S_ISDIR(st.st_mode) != r.folder) return 0;
            errno = r.error;
            return -1;
        });
        QString reason;
        const int open = OpenDescriptors();
        EXPECT_FALSE(SaveSettings(&reason));
        EXPECT_EQ(OpenDescriptors(), open);
        EXPECT_EQ(reason, SystemErrorText(r.error));
        EXPECT_EQ(Read(path), r.folder ? SettingsFileBytes(Settings) : QByteArray("alt"));
        EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"});
    }
    SetWholeFileSync({});
    EXPECT_TRUE(SaveSettings());
}

// New records in place, only their folder's sync failed: the queue follows
// them, so the next start does not read new records with an old queue.
TEST_F(WholeFileTest, RecordsInPlaceDespiteAFailedFolderSyncTakeTheQueueAlong)
{
    MakeLibrary(2);
    store_.ListSets[PlayingQueue].Entries[0].Items = {1, 0};
    Put(DataFile("Files.db"), "alt");
    Put(DataFile("Playing.db"), "0\r\n");
    int folderSyncs = 0;
    SetWholeFileSync([&](int fd) {
        struct stat st = {};
        ::fstat(fd, &st);
        if (!S_ISDIR(st.st_mode) || folderSyncs++ > 0) return 0;
        errno = EIO;
        return -1;
    });
    const SaveFailures failed = WriteDatabase(store_);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0].path, DataFile("Files.db"));
    EXPECT_EQ(failed[0].reason, SystemErrorText(EIO));
    EXPECT_EQ(Read(DataFile("Files.db")), FilesDbRecordBytes(store_, 0, 2));
    EXPECT_EQ(Read(DataFile("Playing.db")), "1;0\r\n");
}

} // namespace
