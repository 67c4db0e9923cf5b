// An exit while the tag editor's save waits for its helper: the helper is
// ended and its copy removed before the exit saves the library, which keeps
// the record's "Tag;", and the file keeps its bytes.
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/Settings.h"
#include "core/TagSave.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/HelperScript.h"
#include "tests/support/StartTest.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/frmMain.h"

#include <QThread>
#include <csignal>

namespace {

class TagSaveExit : public StartTest {
protected:
    void TearDown() override
    {
        SetTagSaveRunner(nullptr);
        SetTagWriter(nullptr);
        SetTagReader(nullptr);
    }
};

// Through TermSignal, and by closing the main window (which a long
// operation's busy state would refuse).
TEST_F(TagSaveExit, ExitDuringASaveEndsTheHelperBeforeTheLibraryIsSaved)
{
    for (const bool bySignal : {true, false}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "window closed");
        ResetProgramState();
        exitCodes.clear();
        shown.clear();
        QTemporaryDir music, aside;
        const QString song = music.filePath("lied.mp3"), pidFile = aside.filePath("pid"), gate = aside.filePath("tor");
        ASSERT_TRUE(MakeToneFile(song, FixtureFormat::Mp3, 0.3) && WriteFixtureTags(song, {.Title = "Alt"}));
        const QByteArray before = ReadRawFile(song);
        SetTagReader(&ProgramTagReader());
        ResetDatabase(Library);
        ASSERT_TRUE(AddFile(Library, song));
        ASSERT_TRUE(SaveDatabase(Library));
        ResetDatabase(Library);

        ASSERT_TRUE(WriteGatedHelper(aside.filePath("helfer"), pidFile, gate, SAROVIN_TAG_HELPER));
        TagSaveProcess helper(aside.filePath("helfer"));
        InstallSessionEndHandlers();
        Main(QString());
        Settings.CloseToTray = SwitchOff;
        SetTagWriter(&ProgramTagWriter());
        SetTagSaveRunner(&helper);
        ASSERT_TRUE(OpenTagEditor(0));
        TagEditor()->tagTitel->setText("Neu");

        const auto helperAlive = [&] { return ::kill(pid_t(ReadRawFile(pidFile).trimmed().toLongLong()), 0) == 0; };
        bool aliveAtEnd = true;
        QStringList filesAtEnd;
        onTerminate = [&] {
            aliveAtEnd = helperAlive();
            filesAtEnd = FilesUnder(music.path());
            WriteRawFile(gate, "");  // were it still there, it may end now
        };
        QTimer::singleShot(0, [&] {
            for (int i = 0; i < 100000 && ReadRawFile(pidFile).isEmpty(); ++i) QThread::usleep(100);
            if (bySignal) {
                std::raise(SIGTERM);
            } else {
                MainWindow()->close();
                WriteRawFile(gate, "");  // a refused close must not leave the save waiting
            }
        });
        TagEditor()->cmdSave->click();

        EXPECT_EQ(exitCodes, std::vector<int>{0});
        EXPECT_FALSE(aliveAtEnd);
        EXPECT_EQ(filesAtEnd, QStringList{"lied.mp3"});
        EXPECT_TRUE(ReadRawFile(song) == before);
        EXPECT_TRUE(ReadRawFile(home.filePath("Files.db")).contains("Tag;"));
        StopWatchingTermSignal();
    }
}

} // namespace
