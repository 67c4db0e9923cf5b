// The main window's tests: a window over a small library whose titles are
// real tone files, the engine rendering offline, the clock in the test's hand.
#pragma once

#include "controls/QVTrayIcon.h"
#include "core/Clock.h"
#include "core/LibraryDatabase.h"
#include "core/Settings.h"
#include "platform/KeyState.h"
#include "sound/System.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/WindowTest.h"
#include "ui/dialogs/frmMiniPlayer.h"
#include "ui/main/frmMain.h"

#include <QAction>

#include <memory>
#include <vector>

class MainWindowTest : public WindowTest {
protected:
    static void SetUpTestSuite()
    {
        tones_ = new QTemporaryDir;
        for (const auto& [name, seconds, freq] :
             {std::tuple{"a.wav", 1.0, 1000}, {"b.wav", 1.0, 3000}, {"long.wav", 10.5, 500}})
            ASSERT_TRUE(MakeToneFile(Tone(name), FixtureFormat::Wav, seconds, freq, 48000));
    }
    static void TearDownTestSuite() { delete std::exchange(tones_, nullptr); }

    void SetUp() override
    {
        WindowTest::SetUp();
        ResetDatabase(Library);
        SetMonotonicClock([this] { return now; });
        SetWallClock([] { return QDateTime(QDate(2026, 3, 1), QTime(12, 0)); });
        ASSERT_TRUE(InitAudio());
        NewWindow();
    }
    // The hooks a test sets go back to the program's own before the window goes.
    void TearDown() override
    {
        SetTrayHostCheck({}), SetBalloonPresenter({}), SetExitProgram({}), SetFadeSleep({});
        SetKeySource({}), SetMiniPlayerInputSource({});
        w.reset();
    }
    // A fresh window whose timers run only when the test calls them.
    void NewWindow()
    {
        w.reset();
        w = std::make_unique<frmMain>();
        w->tmrActualizeDisp->stop();
        w->tmrAudioSys->stop();
    }

    static QString Tone(const char* name) { return tones_->filePath(QString::fromLatin1(name)); }
    // Library records: a.wav, b.wav, long.wav, then those given.
    static void MakeLibrary(std::vector<LibraryEntry> more = {})
    {
        Library.Files.clear();
        for (const auto& [file, title, artist, album, len] :
             {std::tuple{"a.wav", "Alpha", "Ann", "First", 1}, {"b.wav", "Beta", "Bob", "", 1},
              {"long.wav", "Long", "", "Far", 10}}) {
            LibraryEntry e;
            e.FileName = Tone(file);
            e.Tags = {.Title = title, .Artist = artist, .Album = album, .Lenght = len};
            e.PlayTime = QStringLiteral("(noch nie)");
            Library.Files.append(e);
        }
        for (LibraryEntry& e : more) Library.Files.append(e);
        ClearListSets(Library);
    }
    static QVector<int32_t>& Queue() { return Library.ListSets[PlayingQueue].Entries[0].Items; }
    static ListEntry& View() { return Library.ListSets[ViewList].Entries[0]; }
    QAction* Action(const char* name, int index = -1) const { return w->MenuAction(QString::fromLatin1(name), index); }
    bool Checked(const char* name, int index = -1) const { return Action(name, index)->isChecked(); }
    void Trigger(const char* name, int index = -1) { Action(name, index)->trigger(); }

    // Sound moves only as it is rendered: every 10 ms the fades step and a
    // block is mixed; every 100 ms the display tick runs.
    void Advance(double seconds)
    {
        std::vector<float> block(480 * 2);
        const int steps = int(seconds * 100 + 0.5);
        for (int k = 1; k <= steps; ++k) {
            now += 0.01;
            UpdateFades();
            AudioSystem()->Render(block.data(), 480);
            if (k % 10 == 0) w->tmrActualizeDisp_Timer();
        }
    }

    std::unique_ptr<frmMain> w;
    double now = 1000.0;

private:
    static inline QTemporaryDir* tones_ = nullptr;
};
