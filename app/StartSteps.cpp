#include "app/StartSteps.h"

#include "app/CommandLine.h"
#include "audio/fmodAudio.h"
#include "audio/modEqualizer.h"
#include "core/LibraryDatabase.h"
#include "core/LibraryTypes.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/TagReader.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/OtherWindows.h"

#include <QApplication>
#include <QWidget>

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

void StepLoadLibrary()
{
    InitAudioDatabase();
    LoadDatabase(Library);
}
void StepLoadMainWindow() {}
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
void StepInstallWheelHook() {}
void StepActOnCommandLine(const CommandLineRequest& request)
{
    if (request.kind != CommandLineRequest::Play) return;
    // Playing the title (and resuming the last one) comes with the main window.
    LibraryIndexForPlay(Library, request.path);
}
void StepOpenFirstView() {}
void StepShowMainWindow() {}

bool MainWindowLoaded()
{
    return false;
}

void SessionEndMainWindow() {}

void ExitRemoveWheelHook() {}

void ExitUnloadWindows()
{
    SplashUnload();
    // The playlist editor writes its table into Settings as it closes, which
    // must come before the settings are saved.
    UnloadTagEditor();
    UnloadPlaylistEditor();
    // Nothing runs after the exit procedure; hiding is all the other windows need.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
}

namespace {
// Files the exit could not write; reported once the settings are saved.
QStringList pendingSaveFailures;
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

void ExitReportSaveFailures()
{
    ReportSaveFailures(std::exchange(pendingSaveFailures, {}));
}
