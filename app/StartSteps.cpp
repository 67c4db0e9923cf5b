#include "app/StartSteps.h"

#include "app/CommandLine.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "controls/QVTrayIcon.h"
#include "core/LibraryDatabase.h"
#include "core/LibraryTypes.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "core/UiServices.h"
#include "platform/MouseWheel.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/OtherWindows.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QWidget>

#include <iterator>
#include <utility>

void SplashShow()
{
    ShowSplash();
}

void SplashCaption(const QString& text)
{
    SetSplashStep(text);
}

void SplashTimer(bool enabled)
{
    SetSplashTimer(enabled);
}

void SplashUnload()
{
    UnloadSplash();
}

void StepSaveSettings()
{
    QString reason;
    if (!SaveSettings(&reason)) TellSaveFailureOnStderr({SettingsPath(), reason});
}

void StepLoadLibrary()
{
    InitAudioDatabase();
    LoadDatabase(Library);
}
namespace {

struct ColumnHeader {
    const char16_t* caption;
    int width;  // twips
    bool custom = false;
    const char16_t* font = u"";
    bool visible = true;
    float fontSize = 0;
};

// "Nr." holds two digits and "Bewertung" five stars in the fonts found on Linux.
const ColumnHeader Columns[] = {
    {u"Nr.", 400},
    {u"Titel", 3000},
    {u"Interpret", 2000},
    {u"Album", 2000},
    {u"Genre", 1500},
    {u"Dauer", 700},
    {u"Bewertung", 1300, true, u"Wingdings", true, 12},
    {u"Bitrate", 700},
    {u"Dateiname", 2500},
    {u"Dateigrösse", 500, true, u"MS Sans Serif", false},
    {u"Jahr", 900},
    {u"Format", 900},
    {u"Zuletzt gespielt", 1500},
    {u"Zähler", 500},
};

} // namespace

void StepLoadMainWindow()
{
    auto* w = new frmMain;
    w->Form_Load();
    for (int i = 0; i < int(std::size(Columns)); ++i) {
        const ColumnHeader& c = Columns[i];
        const QString caption = QString::fromUtf16(c.caption);
        if (c.custom)
            w->QV_ListControl1->SetHeader(i, caption, c.width, false, QString::fromUtf16(c.font), c.visible, c.fontSize);
        else
            w->QV_ListControl1->SetHeader(i, caption, c.width);
    }
    w->LoadColumnVisibility();
}

void DestroyMainWindow()
{
    delete MainWindow();
}

namespace {
// Kept, not tested: the start goes on without sound.
bool audioStarted = false;
} // namespace

void StepInitAudio()
{
    audioStarted = InitAudio();
}

void StepInitEqualizer()
{
    InitEqualizer();
    // The slider positions of the last run; bands left at the default stay flat.
    RestoreEqGains(Settings.EqGains);
}

void StepProbeTagReader()
{
    if (TagReader* reader = CurrentTagReader()) reader->Open(DataFile(QStringLiteral("Test.mp3")));
}
void StepInstallWheelHook()
{
    QWidget* main = MainWindowOwner();
    auto* scroller = dynamic_cast<WheelScroller*>(main);
    if (!scroller) return;
    InstallWheelHook(main, [scroller](int notches) { DispatchWheel(*scroller, notches); });
}
void StepActOnCommandLine(const CommandLineRequest& request)
{
    frmMain* w = MainWindow();
    if (request.kind == CommandLineRequest::Resume) {
        const ResumePoint at = ResumePointFor(Settings, Library);
        if (!w || at.track < 0) return;
        w->AudioPlay(at.track, true);
        ChannelPosition(at.position, w->Channel);
        if (at.paused) w->Command(QStringLiteral("Audio:Pause"));
    } else if (request.kind == CommandLineRequest::Play) {
        const int32_t index = LibraryIndexForPlay(Library, request.path);
        if (w && index >= 0) w->AudioPlay(index);
    }
}

void StepOpenFirstView()
{
    frmMain* w = MainWindow();
    if (!w) return;
    const auto& queue = Library.ListSets[PlayingQueue].Entries;
    const bool empty = queue.isEmpty() || queue[0].Items.isEmpty() || queue[0].Items.front() < 0;
    w->Command(empty ? QStringLiteral("AudioLibrary") : QStringLiteral("AudioPlaying"));
}

void StepShowMainWindow()
{
    if (frmMain* w = MainWindow(); w && !IsOn(Settings.InTray)) w->show();
}

bool MainWindowLoaded()
{
    return MainWindow() != nullptr;
}

void SessionEndMainWindow()
{
    if (frmMain* w = MainWindow()) w->StoreExitState();
}

void ExitRemoveWheelHook()
{
    RemoveWheelHook();
}

void ExitUnloadWindows()
{
    SplashUnload();
    // The playlist editor writes its table into Settings as it closes, which
    // must come before the settings are saved.
    UnloadTagEditor();
    UnloadPlaylistEditor();
    // A copy to a device stops at its next block and keeps its complete files.
    UnloadDeviceWizard();
    UnloadEqualizer();
    UnloadInfo();
    UnloadOptionsWindow();
    UnloadMiniPlayer();
    if (frmMain* w = MainWindow()) w->QVTrayIcon1->RemoveIcon();
    // Nothing runs after the exit procedure; hiding is all the other windows need.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
}

namespace {
// Files the exit could not write; reported once the settings are saved.
SaveFailures pendingSaveFailures;
} // namespace

void ExitSaveDatabase()
{
    pendingSaveFailures = WriteDatabase(Library);
}

void ExitRemoveEqualizer()
{
    RemoveEqualizer();
}

void ExitCloseAudio()
{
    CloseAudio();
}

void ExitSaveSettings()
{
    QString reason;
    if (!SaveSettings(&reason)) pendingSaveFailures << SaveFailure{SettingsPath(), reason};
}

void ExitReportSaveFailures()
{
    const SaveFailures failures = std::exchange(pendingSaveFailures, {});
    // On stderr too: a box can go unseen, and at a session end it is not shown.
    for (const SaveFailure& failure : failures) TellSaveFailureOnStderr(failure);
    if (!SessionEnding()) ReportSaveFailures(failures);
}
