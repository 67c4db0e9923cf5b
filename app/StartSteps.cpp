#include "app/StartSteps.h"

#include "app/CommandLine.h"

#include <QApplication>
#include <QWidget>

void SplashShow() {}
void SplashCaption(const QString&) {}
void SplashTimer(bool) {}
void SplashUnload() {}

void StepLoadLibrary() {}
void StepLoadMainWindow() {}
void StepInitAudio() {}
void StepInitEqualizer() {}
void StepProbeTagReader() {}
void StepInstallWheelHook() {}
void StepActOnCommandLine(const CommandLineRequest&) {}
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
    // Nothing runs after the exit procedure; hiding is all the windows need.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
}

void ExitSaveDatabase() {}
void ExitRemoveEqualizer() {}
void ExitCloseAudio() {}
void ExitReportSaveFailures() {}
