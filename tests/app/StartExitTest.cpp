#include "app/CommandLine.h"
#include "app/StartSteps.h"
#include "audio/fmodAudio.h"
#include "audio/EngineAccess.h"
#include "audio/modEqualizer.h"
#include "sound/System.h"
#include "controls/QVTrayIcon.h"
#include "core/Busy.h"
#include "core/LibraryDatabase.h"
#include "core/LibrarySync.h"
#include "core/PeriodicSave.h"
#include "core/TagReader.h"
#include "core/TagWriter.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "tests/controls/ListControlTestSupport.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/StartTest.h"
#include "ui/dialogs/frmAudioProperties.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/dialogs/frmPlaylistDynamic.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/frmMain.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QLockFile>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <QWheelEvent>
#include <optional>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

const QString UncleanText = QStringLiteral(
    "Die Anwendung wurde nicht korrekt beendet.\r\n"
    "Bitte melden Sie Probleme und häufig auftretende Fehler\r\n"
    "auf https://sarovin.example.org/probleme");
const QString GreetingText = QStringLiteral(
    "Sie starten Sarovin zum ersten Mal.\r\n"
    "Bitte nehmen Sie unter \"Optionen...\" ihre Einstellungen vor.");

// Every file of a folder with its bytes: "not touched" means this is unchanged.
QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(QDir(folder).filePath(name));
        if (f.open(QIODevice::ReadOnly)) files.insert(name, f.readAll());
    }
    return files;
}

class StartExit : public StartTest {
protected:
    StartExit() { onTerminate = [this] { lockAtEnd = QFile::exists(LockPath()); }; }

    QString LockPath() const { return home.filePath(QStringLiteral("Sarovin.lock")); }

    // What the next run finds on disk.
    SettingsRecord OnDisk() const
    {
        QFile f(home.filePath(QStringLiteral("Settings.ini")));
        SettingsRecord r;
        if (f.open(QIODevice::ReadOnly)) SettingsFromBytes(f.readAll(), r);
        return r;
    }
    // StartCount, CleanExit, CleanExitCount on disk.
    std::array<int, 3> Counts() const
    {
        const SettingsRecord r = OnDisk();
        return {r.StartCount, r.CleanExit, r.CleanExitCount};
    }

    // Settings.ini as an earlier run left it, with what `edit` changes.
    void WriteSettings(int32_t startCount, Switch cleanExit, int32_t cleanExitCount,
                       const std::function<void(SettingsRecord&)>& edit = {})
    {
        Settings = SettingsRecord{};
        Settings.StartCount = startCount;
        Settings.CleanExit = cleanExit;
        Settings.CleanExitCount = cleanExitCount;
        Settings.Shuffle = 0;  // not the default: shows whether the defaults were loaded
        Settings.LibraryFolders = QStringLiteral("/home/ute/Musik");
        Settings.LastTrack = 12;
        if (edit) edit(Settings);
        ASSERT_TRUE(SaveSettings());
        Settings = SettingsRecord{};
    }

    // Files.db of tone files added as the program adds them, and Playing.db.
    void WriteToneLibrary(const std::vector<std::pair<const char*, double>>& tones, const QVector<int32_t>& queue)
    {
        SetTagReader(&ProgramTagReader());
        ResetDatabase(Library);
        for (const auto& [name, seconds] : tones) {
            const QString path = home.filePath(QString::fromLatin1(name));
            ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Wav, seconds, 440, 44100));
            ASSERT_TRUE(AddFile(Library, path));
        }
        SetTagReader(nullptr);
        Library.ListSets[PlayingQueue].Entries[0].Items = queue;
        ASSERT_TRUE(SaveDatabase(Library));
        ResetDatabase(Library);
    }

    bool lockAtEnd = true;
};

// The step text on screen: Label5 of the splash as each paint shows it.
class StepPaints : public QObject {
public:
    QStringList texts;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        frmSplash* s = SplashWindow();
        if (event->type() == QEvent::Paint && s && watched == s->Label5
            && (texts.isEmpty() || texts.last() != s->Label5->text()))
            texts << s->Label5->text();
        return false;
    }
};

// At the probe, the step on the splash; then events run until the splash's
// timer has made its copy.
class ProbeReader : public TagReader {
public:
    QString stepAtOpen;
    bool copyShown = false;
    TagReading Open(const QString&) override
    {
        frmSplash* s = SplashWindow();
        if (!s) return {};
        stepAtOpen = s->Label5->text();
        const QDeadlineTimer bound(10000);
        while (!s->SecondSplash() && !bound.hasExpired()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        copyShown = s->SecondSplash() && s->SecondSplash()->isVisible();
        return {};
    }
};

// A start with its splash watched; a message notes the step the splash shows.
class SplashDuringStart : public StartExit {
protected:
    void SetUp() override
    {
        StartExit::SetUp();
        SetTagReader(&reader);
        qApp->installEventFilter(&paints);
        onMessage = [this] {
            const frmSplash* s = SplashWindow();
            stepAtMessage = s && s->isVisible() ? s->Label5->text() : QStringLiteral("(kein Splash)");
        };
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&paints);
        SetTagReader(nullptr);
    }
    static bool SplashLeft()
    {
        const auto all = QApplication::allWidgets();
        return std::any_of(all.begin(), all.end(), [](QWidget* w) { return qobject_cast<frmSplash*>(w); });
    }

    ProbeReader reader;
    StepPaints paints;
    QString stepAtMessage;
};

TEST_F(SplashDuringStart, FirstStartNamesEachStepGreetsAndCountsAtOnce)
{
    Main(QString());
    EXPECT_EQ(shown, QStringList{"64|Sarovin|" + GreetingText});
    EXPECT_EQ(stepAtMessage, QStringLiteral("Einstellungen"));
    EXPECT_EQ(reader.stepAtOpen, QStringLiteral("Tag-Reader"));
    EXPECT_EQ(paints.texts, (QStringList{QString(), QStringLiteral("Einstellungen"), QStringLiteral("Bibliothek Audio"),
                                         QStringLiteral("Benutzeroberfläche"), QStringLiteral("Audio-Treiber"),
                                         QStringLiteral("Equalizer"), QStringLiteral("Tag-Reader")}));
    EXPECT_TRUE(reader.copyShown);
    EXPECT_FALSE(SplashLeft());
    EXPECT_EQ(Counts(), (std::array{1, 0, 0}));
    EXPECT_EQ(OnDisk().Shuffle, -1);  // the defaults
    EXPECT_TRUE(QFile::exists(LockPath()));
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(SplashDuringStart, SessionEndDuringTheGreetingEndsTheStartAndLeavesNoSplash)
{
    const std::function<void()> note = onMessage;
    onMessage = [&] { note(), EndSession(); };
    Main(QString());
    EXPECT_EQ(stepAtMessage, QStringLiteral("Einstellungen"));
    EXPECT_FALSE(SplashLeft());
    ASSERT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_EQ(Counts(), (std::array{0, -1, 1}));  // the start went no further
}

TEST_F(StartExit, StartAfterAnUncleanEndWarnsAndGoesOn)
{
    WriteSettings(3, 0, 2);
    Main(QString());
    EXPECT_EQ(shown, QStringList{"0|Sarovin|" + UncleanText});
    EXPECT_EQ(Counts(), (std::array{4, 0, 2}));
    EXPECT_EQ(OnDisk().Shuffle, 0);  // no defaults loaded
}

TEST_F(StartExit, CleanStartAndExit)
{
    WriteSettings(3, -1, 3);
    Main(QString());
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(OnDisk().CleanExit, 0);

    Settings.LastTrack = 7;  // state kept in memory reaches the file at exit
    ExitProgram();
    ASSERT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_FALSE(lockAtEnd);  // released before the process ends
    EXPECT_EQ(Counts(), (std::array{4, -1, 4}));
    EXPECT_EQ(OnDisk().LastTrack, 7);
    EXPECT_EQ(OnDisk().LibraryFolders, QStringLiteral("/home/ute/Musik"));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Files.db"), QStringLiteral("Playing.db"), QStringLiteral("Settings.ini")}));

    // Reached again, e.g. from a window's unload handler: nothing more happens.
    const QByteArray before = Snapshot(home.path()).value(QStringLiteral("Settings.ini"));
    Settings.CleanExitCount = 99;
    ExitProgram();
    EXPECT_EQ(exitCodes.size(), 1u);
    EXPECT_EQ(Snapshot(home.path()).value(QStringLiteral("Settings.ini")), before);
}

TEST_F(StartExit, OpenPlaylistEditorIsWrittenBackBeforeTheSettingsAreSaved)
{
    WriteSettings(3, -1, 3);
    Main(QString());
    OpenPlaylistEditor();
    ASSERT_TRUE(PlaylistEditor());
    PlaylistEditor()->cmdNew->click();
    ExitProgram();
    EXPECT_EQ(PlaylistEditor(), nullptr);
    EXPECT_EQ(OnDisk().DynPlaylists[0].Name, QStringLiteral("Neue Playlist"));
}

TEST_F(StartExit, StartOpensSoundAndRestoresBandsExitClosesIt)
{
    WriteSettings(2, -1, 2, [](SettingsRecord& r) {
        r.EqGains.fill(21.0f);
        r.EqGains[4] = 0.0f;
    });
    Main(QString());
    ASSERT_TRUE(AudioSystemExists());
    EXPECT_EQ(OutputChannelCount(), 2);
    float gain4 = -1, gain5 = -1;
    AudioSystem()->GetUnitParameter(EqUnit(4), 2, &gain4);
    AudioSystem()->GetUnitParameter(EqUnit(5), 2, &gain5);
    EXPECT_EQ(gain4, 3.0f);
    EXPECT_EQ(gain5, 1.0f); // at the default position: the unit's own flat gain
    ExitProgram();
    EXPECT_FALSE(AudioSystemExists());
}

// A library of two titles as Files.db holds it; the second one played `plays` times.
QByteArray TwoTitles(int plays)
{
    QByteArray out = "<1>\r\n<FileName>/musik/a.mp3</FileName>\r\n</1>\r\n<2>\r\n<FileName>/musik/b.mp3</FileName>\r\n";
    if (plays) out += "<PlayCNT>" + QByteArray::number(plays) + "</PlayCNT>\r\n";
    return out + "</2>\r\n";
}

TEST_F(StartExit, LibraryIsLoadedAtStartAndSavedAtExit)
{
    WriteSettings(3, -1, 3);
    ASSERT_TRUE(WriteRawFile(home.filePath(QStringLiteral("Files.db")), TwoTitles(0)));
    ASSERT_TRUE(WriteRawFile(home.filePath(QStringLiteral("Playing.db")), "1;0\r\n"));

    Main(QString());
    ASSERT_EQ(Library.Files.size(), 2);
    EXPECT_EQ(Library.Files[1].FileName, QStringLiteral("/musik/b.mp3"));
    EXPECT_EQ(Library.ListSets[PlayingQueue].Entries[0].Items, (QVector<int32_t>{1, 0}));

    Library.Files[1].PlayCNT = 5;  // kept in memory until the exit
    Library.ListSets[PlayingQueue].Entries[0].Items = {0};
    ExitProgram();
    const auto after = Snapshot(home.path());
    EXPECT_EQ(after.value(QStringLiteral("Files.db")), TwoTitles(5));
    EXPECT_EQ(after.value(QStringLiteral("Playing.db")), QByteArray("0\r\n"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(StartExit, FailedLibrarySaveIsShownAfterTheSettingsAreSavedButNotAtASessionEnd)
{
    WriteSettings(3, -1, 3);
    Main(QString());
    SetDatabaseWriteCheck([](const QString&) { return false; });
    int cleanExitWhenShown = 0;
    onMessage = [&] { cleanExitWhenShown = OnDisk().CleanExit; };
    ExitProgram();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("16|Sarovin|Die Datei ") && shown[0].contains("Files.db")) << shown[0].toStdString();
    EXPECT_EQ(cleanExitWhenShown, -1);
    EXPECT_EQ(exitCodes, std::vector<int>{0});

    ResetProgramState();
    shown.clear();
    exitCodes.clear();
    Main(QString());
    EndSession();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_EQ(OnDisk().CleanExitCount, 5);
}

// The desktop's log-off, Ctrl+C in a terminal and a closed terminal.
TEST_F(StartExit, EndingSignalsSaveAndExitWithoutMessages)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ResetProgramState();
        exitCodes.clear();
        WriteSettings(3, -1, 3);
        InstallSessionEndHandlers();
        Main(QString());
        ASSERT_TRUE(MainWindow());
        MainWindow()->SetVol(1234);  // the window's volume is what a session end keeps
        std::raise(signal);
        for (int i = 0; i < 1000 && exitCodes.empty(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        ASSERT_EQ(exitCodes, std::vector<int>{0});
        EXPECT_TRUE(SessionEnding());
        EXPECT_TRUE(shown.empty());
        EXPECT_FALSE(lockAtEnd);
        EXPECT_EQ(Counts(), (std::array{4, -1, 4}));
        EXPECT_EQ(OnDisk().SavedVolume, 1234);
    }
}

TEST_F(StartExit, TermSignalBeforeTheSettingsAreReadWritesNothing)
{
    WriteSettings(3, 0, 2);
    const auto before = Snapshot(home.path());
    InstallSessionEndHandlers();
    std::raise(SIGTERM);  // handled at the first pump of the start
    Main(QString());
    ASSERT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_FALSE(lockAtEnd);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Snapshot(home.path()), before);
}

// The program started on TwoTitles(0) with the queue [1, 0]; what the start
// itself changed (no title plays) already written.
class PeriodicSave : public StartExit {
protected:
    void SetUp() override
    {
        StartExit::SetUp();
        WriteSettings(3, -1, 3);
        ASSERT_TRUE(WriteRawFile(HomeFile("Files.db"), TwoTitles(0)));
        ASSERT_TRUE(WriteRawFile(HomeFile("Playing.db"), "1;0\r\n"));
        Main(QString());
        ASSERT_TRUE(MainWindow());
        Save();
    }
};

TEST_F(PeriodicSave, WritesWhatChangedAndOnlyThat)
{
    frmMain* w = MainWindow();
    // A library check or a device copy holds the busy state for long; only a
    // synchronisation holds the write back.
    const struct { const char* change; std::function<void()> make; std::array<bool, 3> written; bool busy = false; } rows[] = {
        {"nothing", [] {}, {false, false, false}},
        {"rating during a device copy", [w] { w->CurrentTrack = 1; w->RatePlaying(2); }, {true, false, false}, true},
        {"rating", [w] { w->CurrentTrack = 1; w->RatePlaying(4); }, {true, false, false}},
        {"queue", [] { Library.ListSets[PlayingQueue].Entries[0].Items = {0}; }, {false, true, false}},
        {"volume", [w] { w->SetVol(1234); }, {false, false, true}},
        {"nothing again", [] {}, {false, false, false}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.change);
        const auto before = Inodes();
        r.make();
        std::optional<BusyGuard> busy;
        if (r.busy) busy.emplace();
        Save();
        const auto after = Inodes();
        for (int f = 0; f < 3; ++f) EXPECT_EQ(after[f] != before[f], r.written[f]) << f;
    }
    const auto files = Snapshot(home.path());
    EXPECT_TRUE(files.value("Files.db").contains("<Rating>4</Rating>"));
    EXPECT_EQ(files.value("Playing.db"), QByteArray("0\r\n"));
    EXPECT_EQ(OnDisk().SavedVolume, 1234);
    EXPECT_EQ(OnDisk().CleanExit, 0);  // a crash now still shows at the next start
    EXPECT_TRUE(shown.empty());
}

TEST_F(PeriodicSave, FailedWriteIsToldOnceAndTriedAgainWithTheNextChange)
{
    std::atomic<int> tries = 0;  // Files.db and Playing.db
    std::atomic<bool> fail = true;
    SetDatabaseWriteCheck([&](const QString&) { return ++tries, !fail; });
    const auto rate = [](int rating) { return [rating] { MainWindow()->CurrentTrack = 1; MainWindow()->RatePlaying(rating); }; };
    const struct { const char* change; std::function<void()> make; bool fail; int tries; } rows[] = {
        {"rating", rate(2), true, 1},
        {"nothing", [] {}, true, 1},  // not tried again without a change
        {"rating again", rate(3), true, 2},
        {"queue", [] { Library.ListSets[PlayingQueue].Entries[0].Items = {0}; }, false, 4},  // Files.db too
    };
    testing::internal::CaptureStderr();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.change);
        fail = r.fail;
        r.make();
        Save();
        CheckPeriodicSave();  // shows what the last write left to tell
        EXPECT_EQ(tries, r.tries);
        EXPECT_EQ(shown.size(), 1u);
    }
    const QString told = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(told.count(QStringLiteral("Files.db")), 1) << told.toStdString();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith("16|Sarovin|Die Datei ") && shown[0].contains("Files.db")) << shown[0].toStdString();
    EXPECT_TRUE(Snapshot(home.path()).value("Files.db").contains("<Rating>3</Rating>"));
}

// The exit's save waits for a write still running: the worker is held before
// it commits Files.db until the exit has committed its own (its Playing.db
// comes next), or for half a second when the exit rightly waits for it.
TEST_F(PeriodicSave, ExitWaitsForARunningWrite)
{
    std::mutex m;
    std::condition_variable exitWrote;
    bool exitWriting = false;
    const auto ui = std::this_thread::get_id();
    SetDatabaseWriteCheck([&](const QString& path) {
        std::unique_lock lock(m);
        if (std::this_thread::get_id() == ui && path.endsWith(QStringLiteral("Playing.db"))) {
            exitWriting = true;
            exitWrote.notify_all();
        } else if (std::this_thread::get_id() != ui && path.endsWith(QStringLiteral("Files.db"))) {
            exitWrote.wait_for(lock, std::chrono::milliseconds(500), [&] { return exitWriting; });
        }
        return true;
    });
    Library.Files[1].PlayCNT = 5;
    MarkLibraryChanged();
    CheckPeriodicSave();
    Library.Files[1].PlayCNT = 7;
    ExitProgram();
    WaitForPeriodicWrite();
    EXPECT_EQ(Snapshot(home.path()).value("Files.db"), TwoTitles(7));
}

// What the user makes reaches the disk with the next periodic save, whichever
// way he makes it, with no exit in between. Each row starts the program on the
// same files: the titles a.mp3 and b.mp3 in the library folder, the queue
// [0, 1]; c.mp3 lies outside the folder. The timer is left to the test.
class UserDataSave : public StartExit {
protected:
    void SetUp() override
    {
        StartExit::SetUp();
        const QString music = home.filePath(QStringLiteral("Musik"));
        ASSERT_TRUE(QDir().mkpath(music) && QDir().mkpath(home.filePath(QStringLiteral("Neu"))));
        for (const auto& [path, title] : {std::pair{music + "/a.mp3", "Alpha"}, {music + "/b.mp3", "Beta"},
                                          {home.filePath(QStringLiteral("Neu/c.mp3")), "Gamma"}})
            ASSERT_TRUE(MakeToneFile(path, FixtureFormat::Mp3, 0.5) && WriteFixtureTags(path, {.Title = title}));
        WriteSettings(3, -1, 3, [&](SettingsRecord& s) { s.LibraryFolders = music, s.ShowMiniPlayer = SwitchOn; });
        SetTagReader(&ProgramTagReader());
        SetTagWriter(&ProgramTagWriter());
        ResetDatabase(Library);
        ASSERT_TRUE(AddFile(Library, music + "/a.mp3") && AddFile(Library, music + "/b.mp3"));
        Library.ListSets[PlayingQueue].Entries[0].Items = {0, 1};
        ASSERT_TRUE(SaveDatabase(Library));
        ResetDatabase(Library);
        start = Snapshot(home.path());
        SetPeriodicSaveInterval(std::chrono::hours(1));
    }
    void TearDown() override
    {
        SetPeriodicSaveInterval(std::chrono::minutes(1));
        SetDatabaseWriteCheck({});
        SetTagWriter(nullptr);
    }
    // The timer's tick, then the worker's end.
    static void Tick()
    {
        CheckPeriodicSave();
        WaitForPeriodicWrite();
    }
    // The library view with the row of a library index selected.
    static void SelectTitle(frmMain& w, int32_t index)
    {
        w.Command(QStringLiteral("AudioLibrary"));
        for (qint32 row = 0; row <= w.QV_ListControl1->ItemCount(); ++row) {
            w.QV_ListControl1->SetSelectedIndex(row);
            if (w.QV_ListControl1->SelectedKey().Number() == index) return;
        }
        ADD_FAILURE() << "no row shows title " << index;
    }
    // A context-menu entry as the user picks it: the menu opens on the selected row.
    static void PickFromContextMenu(frmMain& w, const char* entry, int index = -1)
    {
        QMenu* menu = w.PopupMenu(QStringLiteral("mContextAudio"));
        menu->popup({});
        w.MenuAction(QString::fromLatin1(entry), index)->trigger();
        menu->hide();
    }
    // What the next start finds: the records and the queue, read from disk.
    static LibraryDatabase OnDiskLibrary()
    {
        LibraryDatabase disk;
        LoadDatabase(disk);
        return disk;
    }
    static QString FileNames(const LibraryDatabase& db)
    {
        QStringList names;
        for (const LibraryEntry& e : db.Files) names << QFileInfo(e.FileName).fileName();
        return names.join(u',');
    }
    static QString QueueText(const LibraryDatabase& db)
    {
        QStringList items;
        for (const int32_t i : db.ListSets[PlayingQueue].Entries.value(0).Items) items << QString::number(i);
        return items.join(u';');
    }

    QMap<QString, QByteArray> start;
};

TEST_F(UserDataSave, EveryChangeReachesThePeriodicSave)
{
    const QString c = home.filePath(QStringLiteral("Neu/c.mp3"));
    std::atomic<int> filesDbWrites = 0;
    const struct {
        const char* change;
        QString commandLine;
        std::function<void(frmMain&)> make;
        std::function<QString(const LibraryDatabase&)> onDisk;
        QString expected;
    } rows[] = {
        {"context-menu rating", {},
         [](frmMain& w) { SelectTitle(w, 1), PickFromContextMenu(w, "mCARate", 4); },
         [](const LibraryDatabase& d) { return QString::number(d.Files.value(1).Rating); }, "4"},
        {"title added from the command line", c + " /play", [](frmMain&) {},
         [](const LibraryDatabase& d) { return FileNames(d) + "|" + QString::number(d.Files.value(2).PlayCNT); },
         "a.mp3,b.mp3,c.mp3|1"},
        {"title dropped on the mini player", {},
         [c](frmMain&) {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(c)});
             // As the window system delivers it: the widget that takes the enter gets the drop.
             QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             ASSERT_TRUE(frmMiniPlayer::Loaded());
             QApplication::sendEvent(frmMiniPlayer::Loaded(), &enter);
             QApplication::sendEvent(frmMiniPlayer::Loaded(), &drop);
             ASSERT_TRUE(drop.isAccepted());
         },
         [](const LibraryDatabase& d) { return FileNames(d) + "|" + QueueText(d); }, "a.mp3,b.mp3,c.mp3|0;1;2"},
        {"tag save", {},
         [](frmMain& w) {
             SelectTitle(w, 1);
             w.Command(QStringLiteral("AudioProp"));
             frmAudioProperties* editor = TagEditor();
             ASSERT_TRUE(editor);
             editor->tagTitel->setText(QStringLiteral("Neu"));
             Tick();  // the edit is saved with its mark
             ASSERT_TRUE(OnDiskLibrary().Files.value(1).Actions.contains(QStringLiteral("Tag;")));
             editor->cmdSave->click();
         },
         [](const LibraryDatabase& d) { return d.Files.value(1).Tags.Title + "|" + d.Files.value(1).Actions; },
         "Neu|"},
        {"queue edit", {},
         [](frmMain& w) { SelectTitle(w, 1), PickFromContextMenu(w, "mCAPlayNext"); },
         [](const LibraryDatabase& d) { return QueueText(d); }, "0;1;1"},
        // The synchronisation writes the library itself; when that fails, the
        // periodic save writes it later.
        {"synchronisation's end", {},
         [&](frmMain& w) {
             ASSERT_TRUE(WriteFixtureTags(home.filePath(QStringLiteral("Musik/a.mp3")), {.Title = "Anders"}));
             SetDatabaseWriteCheck([&](const QString& path) { return !path.endsWith("Files.db") || ++filesDbWrites > 1; });
             w.MenuAction(QStringLiteral("mAudioReloadLibrary"))->trigger();
             ASSERT_EQ(filesDbWrites, 1);
         },
         [](const LibraryDatabase& d) { return FileNames(d) + "|" + d.Files.value(0).Tags.Title; }, "a.mp3,b.mp3|Anders"},
        {"counted play", {},
         [](frmMain& w) { w.Command(QStringLiteral("Audio:Next")); },
         [](const LibraryDatabase& d) { return QString::number(d.Files.value(1).PlayCNT) + "|" + QueueText(d); },
         "1|1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.change);
        ResetProgramState();
        for (auto it = start.cbegin(); it != start.cend(); ++it) ASSERT_TRUE(WriteRawFile(home.filePath(it.key()), it.value()));
        Main(r.commandLine);
        ASSERT_TRUE(MainWindow());
        Tick();  // what the start changed
        r.make(*MainWindow());
        Tick();
        EXPECT_EQ(r.onDisk(OnDiskLibrary()).toStdString(), r.expected.toStdString());
        SetDatabaseWriteCheck({});
    }
}

TEST_F(StartExit, DataFolderThatCannotBeMadeIsToldAndEndsWithAnError)
{
    ASSERT_TRUE(WriteRawFile(HomeFile("Datei"), "x"));
    QLockFile other(LockPath());
    ASSERT_TRUE(other.tryLock(0));
    const struct { const char* home; const char* told; int code; } rows[] = {
        {"/Datei", "Datei kann nicht angelegt werden: An seiner Stelle liegt eine Datei.", 1},
        {"/Datei/Sarovin", "Datei ist kein Ordner.", 1},
        {"", "", 0},  // another instance holds the lock: silent
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.home);
        ResetProgramState();
        shown.clear();
        exitCodes.clear();
        qputenv("SAROVIN_HOME", QFile::encodeName(home.path() + QString::fromUtf8(r.home)));
        testing::internal::CaptureStderr();
        Main(QString());
        const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(exitCodes, std::vector<int>{r.code});
        const QString told = err.section(QStringLiteral("Sarovin: "), 1).trimmed();
        EXPECT_EQ(shown, *r.told ? QStringList{"16|Sarovin|" + told} : QStringList{});
        EXPECT_EQ(told.contains(home.path()) && told.contains(QString::fromUtf8(r.told)), *r.told != 0) << err.toStdString();
    }
    qputenv("SAROVIN_HOME", QFile::encodeName(home.path()));
}

// After the start the stored volume is back, the wheel scrolls the list, and
// the widest value of a column fits its cells in the fonts the list draws
// with, plain and bold (the playing row).
TEST_F(StartExit, VolumeWheelAndColumnWidthsAreInPlaceAfterTheStart)
{
    WriteSettings(3, -1, 3, [](SettingsRecord& s) { s.SavedVolume = 12345; });
    Main(QString());
    frmMain* w = MainWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->CurrentVolume(), 12345);
    Library.Files.resize(200);
    w->Command("AudioLibrary");
    QWheelEvent e({5, 5}, {5, 5}, {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    EXPECT_EQ(w->QV_ListControl1->TopRow(), 5);
    const QV_ListControl& list = *w->QV_ListControl1;
    const struct { int column; QStringList values; } rows[] = {
        {0, {"00", "11", "22", "33", "44", "55", "66", "77", "88", "99"}},
        {6, {QString(5, QChar(171))}},
    };
    for (const auto& r : rows)
        for (const bool bold : {false, true})
            for (const QString& value : r.values) {
                const QFontMetrics metrics(ListControlProbe::CellFont(list, r.column, bold), &list);
                EXPECT_LE(metrics.horizontalAdvance(ListControlProbe::Drawn(list, r.column, value)),
                          ListControlProbe::InnerPx(list, r.column))
                    << r.column << ' ' << bold << ' ' << value.toStdString();
            }
    ExitProgram();
}

TEST_F(StartExit, StartResumesOpensItsViewAndMayStayInTheTray)
{
    const struct { bool inTray, host; QVector<int32_t> queue; int32_t lastTrack; int16_t paused;
                   bool shown; const char* view; } rows[] = {
        {false, true, {-1}, -1, 0, true, "Alle Titel"},
        {true, true, {3}, 1, 1, false, "Jukebox"},
        {true, false, {3}, 1, 0, true, "Jukebox"},  // no tray to come back from
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.view);
        ResetProgramState();
        WriteToneLibrary({{"a.wav", 5.0}, {"b.wav", 5.0}, {"c.wav", 5.0}, {"d.wav", 5.0}}, r.queue);
        WriteSettings(1, SwitchOn, 0, [&r](SettingsRecord& s) {
            std::tie(s.InTray, s.LastTrack, s.LastPosition, s.LastPaused) =
                std::tuple(r.inTray ? SwitchOn : SwitchOff, r.lastTrack, 3.0, r.paused);
        });
        SetTrayHostCheck([&r] { return r.host; });
        Main(QString());
        frmMain* w = MainWindow();
        ASSERT_TRUE(w);
        EXPECT_EQ(w->isVisible(), r.shown);
        EXPECT_EQ(IsOn(Settings.InTray), !r.shown);
        EXPECT_EQ(Library.ListSets[ViewList].Entries[0].Caption, QString::fromUtf8(r.view));
        EXPECT_EQ(ChannelIsPlaying(w->Channel), r.lastTrack >= 0);
        if (r.lastTrack >= 0) {
            EXPECT_EQ(w->CurrentTrack, r.lastTrack);
            EXPECT_EQ(Library.Files[r.lastTrack].PlayCNT, 0);  // resumed, not played anew
            EXPECT_EQ(ChannelPaused(-1, w->Channel), r.paused);
            if (r.paused) {
                EXPECT_NEAR(ChannelPosition(-1, w->Channel), 2.0, 0.05);  // a second before
            }
        }
        ExitProgram();
    }
    SetTrayHostCheck({});
}

// A file named on the command line with "/play" ends up in the library once.
TEST_F(StartExit, PlayRequestAddsANewFileOnceUnderItsOwnPath)
{
    const QString song = HomeFile(QStringLiteral("Mein Lied.MP3"));
    ASSERT_TRUE(MakeToneFile(song, FixtureFormat::Mp3, 0.3));
    SetTagReader(&ProgramTagReader());
    ResetDatabase(Library);
    // Into the placeholder, under the path as given (not lower-cased).
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("\"") + song + QStringLiteral("\" /play"), home.path()));
    ASSERT_EQ(Library.Files.size(), 1);
    EXPECT_EQ(Library.Files[0].FileName, song);
    EXPECT_EQ(Library.Files[0].Tags.Title, QStringLiteral("Mein Lied"));
    EXPECT_EQ(Library.Files[0].Tags.Format, QStringLiteral("MPEG"));
    EXPECT_EQ(LibraryIndexForPlay(Library, song), 0);
    EXPECT_EQ(LibraryIndexForPlay(Library, song.toLower()), 0); // found regardless of case
    EXPECT_EQ(LibraryIndexForPlay(Library, HomeFile(QStringLiteral("fehlt.mp3"))), -1);
    StepActOnCommandLine(ParseCommandLine(QStringLiteral("/AutoRun"), home.path()));
    EXPECT_EQ(Library.Files.size(), 1);
}

// The real program, where the process must really end.
class Process : public StartExit {
protected:
    // With reportTitles the program names each running title on stderr, which the test reads.
    void Start(bool reportTitles = false)
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("SAROVIN_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        if (reportTitles) env.insert("SAROVIN_REPORT_TITLES", "1");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(reportTitles ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(SAROVIN_BINARY), QStringList());
        EXPECT_TRUE(process.waitForStarted());
    }

    void ExpectEndsCleanly()
    {
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(LockPath()));
    }

    QProcess process;
};

// A library of three titles, the queue on the second; the program resumes it,
// plays on into the third and is ended by the desktop.
TEST_F(Process, ResumesPlaysOnAndKeepsEverythingAtTheEnd)
{
    WriteToneLibrary({{"nie.wav", 1.0}, {"kurz.wav", 1.0}, {"lang.wav", 60.0}}, {1, 2});
    // A clean end before: an unclean one would wait at its message for ever.
    WriteSettings(1, SwitchOn, 1, [](SettingsRecord& s) { s.LastTrack = 1, s.SavedVolume = 16384; });
    Start(true);
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("title 2 running") && process.waitForReadyRead(120000)) err += process.readAllStandardError();
    ASSERT_TRUE(err.contains("title 2 running")) << err.toStdString();
    ASSERT_EQ(process.state(), QProcess::Running);
    process.terminate();
    ExpectEndsCleanly();

    LoadDatabase(Library);
    ASSERT_EQ(Library.Files.size(), 3);
    // The resumed title was counted when it first played; only the one played on counts.
    for (int i : {0, 1, 2}) {
        EXPECT_EQ(Library.Files[i].PlayCNT, int(i == 2)) << i;
        EXPECT_EQ(Library.Files[i].PlayTime == QStringLiteral("(noch nie)"), i < 2) << i;
    }
    EXPECT_EQ(Library.ListSets[PlayingQueue].Entries[0].Items, QVector<int32_t>{2});
    const SettingsRecord after = OnDisk();
    EXPECT_EQ(after.LastTrack, 2);
    EXPECT_GT(after.LastPosition, 0);
    EXPECT_LT(after.LastPosition, 60);
    EXPECT_EQ(after.LastPaused, 0);
    EXPECT_EQ(Counts(), (std::array{2, -1, 2}));
    ResetDatabase(Library);
}

TEST_F(Process, SecondInstanceExitsWithoutTouchingAFile)
{
    WriteSettings(5, 0, 4);
    QLockFile first(LockPath());
    ASSERT_TRUE(first.tryLock(0));
    const auto before = Snapshot(home.path());
    Start();
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(Snapshot(home.path()), before); // nor a message: it would wait for ever
}

TEST_F(Process, TermSignalEndsItAndLosesNothing)
{
    // An unclean end before: the program stops at the message and waits there.
    WriteSettings(3, 0, 2);
    Start();
    // The lock appears once the signal is watched; the signal may then land
    // before the settings are read (nothing to save) or at the message.
    for (int i = 0; i < 6000 && !QFile::exists(LockPath()); ++i) {
        ASSERT_EQ(process.state(), QProcess::Running);
        QThread::msleep(10);
    }
    ASSERT_TRUE(QFile::exists(LockPath()));
    process.terminate();
    ExpectEndsCleanly();
    const auto after = Counts(); // unchanged when it landed before the settings were read
    EXPECT_TRUE(after == (std::array{3, 0, 2}) || after == (std::array{3, -1, 3}));
}

} // namespace
