// Saves that fail underneath the program: what the periodic save and the exit
// keep, retry and tell.
#include "app/StartSteps.h"
#include "core/LibraryDatabase.h"
#include "core/PeriodicSave.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "core/WholeFile.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/StartTest.h"
#include "ui/main/frmMain.h"

#include <QFile>

#include <array>
#include <atomic>
#include <cerrno>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray TwoTitles = "<1>\r\n<FileName>/musik/a.mp3</FileName>\r\n</1>\r\n"
                             "<2>\r\n<FileName>/musik/b.mp3</FileName>\r\n</2>\r\n";

// Which syncs fail: the data of the files named (bits as SavedFile), and
// the next so many syncs of a folder.
struct FailingSyncs {
    std::atomic<unsigned> data = 0;
    std::atomic<int> folders = 0;
};

// The file name behind a descriptor, as the system knows it.
QByteArray NameOf(int fd)
{
    char target[4096];
    const ssize_t n = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), target, sizeof target);
    if (n <= 0) return {};
    const QByteArray path(target, n);
    return path.mid(path.lastIndexOf('/') + 1);
}

class SaveFailure : public StartTest {
protected:
    void SetUp() override
    {
        StartTest::SetUp();
        Settings.StartCount = 3;
        Settings.CleanExit = -1;
        Settings.CleanExitCount = 3;
        Settings.LastTrack = -1;  // nothing resumed: the queue stays [1, 0]
        ASSERT_TRUE(SaveSettings());
        Settings = SettingsRecord{};
        ASSERT_TRUE(WriteRawFile(HomeFile("Files.db"), TwoTitles));
        ASSERT_TRUE(WriteRawFile(HomeFile("Playing.db"), "1;0\r\n"));
        Main(QString());
        ASSERT_TRUE(MainWindow());
        Save();
        SetWholeFileSync([this](int fd) {
            struct stat st = {};
            ::fstat(fd, &st);
            const QByteArray name = NameOf(fd);
            const bool fail = S_ISDIR(st.st_mode) ? syncs.folders-- > 0
                                                  : (syncs.data & SavedFilesDb && name.startsWith("Files.db.")) ||
                                                        (syncs.data & SavedPlayingDb && name.startsWith("Playing.db.")) ||
                                                        (syncs.data & SavedSettingsIni && name.startsWith("Settings.ini."));
            if (!fail) return ::fsync(fd);
            errno = EIO;
            return -1;
        });
    }
    ~SaveFailure() override { SetWholeFileSync({}); }

    QString Told(const char* file) const { return SaveFailedText(HomeFile(file), SystemErrorText(EIO)); }

    FailingSyncs syncs;
};

// A failed Files.db keeps its queue back with it; a later write, for any
// change, writes both once it can. A failed folder sync leaves the new file
// in place (its queue follows it) but still unsaved, so the next write
// writes it again.
TEST_F(SaveFailure, APeriodicSaveAfterAFailureWritesWhatIsStillUnsaved)
{
    frmMain* w = MainWindow();
    const auto rate = [w](int rating) {
        w->CurrentTrack = 1;
        w->RatePlaying(rating);
    };
    const struct {
        const char* step;
        unsigned failData;
        int failFolders;
        std::function<void()> change;
        std::array<bool, 3> written;  // Files.db, Playing.db, Settings.ini
    } rows[] = {
        {"rating and queue, Files.db fails", SavedFilesDb, 0,
         [&] { rate(4); Library.ListSets[PlayingQueue].Entries[0].Items = {0}; }, {false, false, false}},
        {"then only the volume", 0, 0, [w] { w->SetVol(1234); }, {true, true, true}},
        {"rating and queue, Files.db's folder fails", 0, 1,
         [&] { rate(5); Library.ListSets[PlayingQueue].Entries[0].Items = {1}; }, {true, true, false}},
        {"then only the volume again", 0, 0, [w] { w->SetVol(2345); }, {true, false, true}},
    };
    testing::internal::CaptureStderr();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.step);
        syncs.data = r.failData;
        syncs.folders = r.failFolders;
        const auto before = Inodes();
        r.change();
        Save();
        const auto after = Inodes();
        for (int f = 0; f < 3; ++f) EXPECT_EQ(after[f] != before[f], r.written[f]) << f;
        if (r.step == rows[0].step) {
            EXPECT_EQ(ReadRawFile(HomeFile("Files.db")), TwoTitles);
            EXPECT_EQ(ReadRawFile(HomeFile("Playing.db")), "1;0\r\n");
        }
    }
    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_TRUE(err.contains(Told("Files.db").replace(u'\n', u' '))) << err.toStdString();
    EXPECT_EQ(ReadRawFile(HomeFile("Playing.db")), "1\r\n");
    EXPECT_TRUE(ReadRawFile(HomeFile("Files.db")).contains("<Rating>5</Rating>"));
    CheckPeriodicSave();  // shows what the last write left to tell: the run's one box
    EXPECT_EQ(shown, QStringList{"16|Sarovin|" + Told("Files.db")});
}

// What the start itself changed is not on disk yet and reaches the first
// periodic save: the queue a resumed title that does not open leaves (its file
// is gone), and settings whose save at the start failed (told on stderr then,
// without a box that would hold the start up).
TEST_F(SaveFailure, WhatTheStartChangedReachesTheFirstPeriodicSave)
{
    const struct {
        const char* start;
        int32_t lastTrack;
        unsigned failAtStart;
        QByteArray queue;  // Playing.db after the first periodic save
    } rows[] = {
        {"resuming a title that does not open", 1, 0, "0\r\n"},
        {"the settings' save fails", -1, SavedSettingsIni, "1;0\r\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.start);
        ResetProgramState();
        shown.clear();
        Settings = SettingsRecord{};
        Settings.StartCount = 3;
        Settings.CleanExit = -1;
        Settings.CleanExitCount = 3;
        Settings.LastTrack = r.lastTrack;
        ASSERT_TRUE(SaveSettings());
        Settings = SettingsRecord{};
        ASSERT_TRUE(WriteRawFile(HomeFile("Files.db"), TwoTitles));
        ASSERT_TRUE(WriteRawFile(HomeFile("Playing.db"), "1;0\r\n"));
        syncs.data = r.failAtStart;
        testing::internal::CaptureStderr();
        Main(QString());
        const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
        ASSERT_TRUE(MainWindow());
        EXPECT_EQ(err.count(Told("Settings.ini").replace(u'\n', u' ')), r.failAtStart ? 1 : 0) << err.toStdString();
        EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
        syncs.data = 0;
        Save();
        EXPECT_EQ(ReadRawFile(HomeFile("Playing.db")), r.queue);
        EXPECT_EQ(ReadRawFile(HomeFile("Playing.db")), PlayingDbBytes(Library));
        EXPECT_EQ(ReadRawFile(HomeFile("Settings.ini")), SettingsFileBytes(Settings));
        // A crash from here on shows at the next start.
        SettingsRecord onDisk;
        SettingsFromBytes(ReadRawFile(HomeFile("Settings.ini")), onDisk);
        EXPECT_EQ(onDisk.CleanExit, 0);
        EXPECT_EQ(onDisk.StartCount, 4);
    }
}

// The exit names every file it could not write, with the reason, in a box and
// on stderr; at a session end on stderr only. Playing.db is not written
// beside records that were not.
TEST_F(SaveFailure, TheExitTellsEveryFailedFileWithItsReason)
{
    for (const bool sessionEnd : {false, true}) {
        SCOPED_TRACE(sessionEnd);
        if (sessionEnd) {
            ResetProgramState();
            exitCodes.clear();
            Main(QString());
        }
        shown.clear();
        Library.Files[1].PlayCNT = 9;
        Library.ListSets[PlayingQueue].Entries[0].Items = {0};
        syncs.data = SavedFilesDb | SavedSettingsIni;
        const auto before = Inodes();
        testing::internal::CaptureStderr();
        if (sessionEnd) EndSession(); else ExitProgram();
        const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(Inodes(), before);
        for (const char* file : {"Files.db", "Settings.ini"})
            EXPECT_EQ(err.count(QString(Told(file)).replace(u'\n', u' ')), 1) << file << err.toStdString();
        EXPECT_FALSE(err.contains("Playing.db"));
        const QStringList boxes = {"16|Sarovin|" + Told("Files.db"), "16|Sarovin|" + Told("Settings.ini")};
        EXPECT_EQ(shown, sessionEnd ? QStringList{} : boxes);
        EXPECT_EQ(exitCodes, std::vector<int>{0});
    }
}

} // namespace
