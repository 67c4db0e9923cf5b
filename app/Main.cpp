#include "app/Main.h"

#include "app/CommandLine.h"
#include "app/StartSteps.h"
#include "core/Clock.h"
#include "core/PeriodicSave.h"
#include "core/Runtime.h"
#include "core/Settings.h"
#include "core/TagSave.h"
#include "core/TagReader.h"
#include "core/TagWriter.h"
#include "core/UiServices.h"
#include "platform/QtUiServices.h"
#include "platform/ScreenDefaults.h"
#include "platform/SingleInstance.h"
#include "platform/TagLibReader.h"
#include "platform/TagLibWriter.h"
#include "platform/TagSaveProcess.h"
#include "platform/TermSignal.h"
#include "ui/main/frmMain.h"

#include "ProductInfo.h"

#include <QApplication>
#include <QDir>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <limits>

const QString ProblemReportAddress = QStringLiteral("https://sarovin.example.org/probleme");

namespace {

struct ProgramState {
    bool settingsLoaded = false;
    bool libraryLoaded = false;
    bool exitStarted = false;
};
ProgramState state;

std::chrono::milliseconds& PeriodicSaveInterval()
{
    static std::chrono::milliseconds interval = std::chrono::minutes(1);
    return interval;
}

std::function<void(int)>& TerminateHook()
{
    static std::function<void(int)> hook;
    return hook;
}

void TerminateProcess(int code)
{
    if (TerminateHook()) {
        TerminateHook()(code);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

void ShowStepText(const QString& text)
{
    SplashCaption(text);
    Pump();
}

void CountUp(int32_t& counter)
{
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

QString UncleanExitMessage()
{
    return QStringLiteral("Die Anwendung wurde nicht korrekt beendet.\r\n"
                          "Bitte melden Sie Probleme und häufig auftretende Fehler\r\n"
                          "auf ")
           + ProblemReportAddress;
}

QString GreetingMessage()
{
    return QStringLiteral("Sie starten Sarovin zum ersten Mal.\r\n"
                          "Bitte nehmen Sie unter \"Optionen...\" ihre Einstellungen vor.");
}

} // namespace

void Main()
{
    Main(ProgramCommandLine());
}

void Main(const QString& commandLine)
{
    // Every pump and every message box can end the program (a session end);
    // after that nothing of the start may run on.
    const auto ended = [] { return state.exitStarted; };
    SetExitProgram([] { ExitProgram(); });

    QString lockFailure;
    if (!AcquireSingleInstanceLock(&lockFailure)) {
        // Another instance ends this one silently; anything else is said.
        if (!lockFailure.isEmpty()) {
            std::fprintf(stderr, "Sarovin: %s\n", qPrintable(lockFailure));
            MsgBox(lockFailure, 16, QStringLiteral("Sarovin"));
        }
        TerminateProcess(lockFailure.isEmpty() ? 0 : 1);
        return;
    }

    SplashShow();
    Pump();
    if (ended()) return;
    Randomize(static_cast<uint64_t>(CurrentDateTime().toMSecsSinceEpoch()));

    ShowStepText(QStringLiteral("Einstellungen"));
    if (ended()) return;
    LoadSettings();
    state.settingsLoaded = true;
    if (!IsOn(Settings.CleanExit) && Settings.StartCount > 0) {
        MsgBox(UncleanExitMessage(), 0, QStringLiteral("Sarovin"));
        if (ended()) return;
    }
    if (Settings.StartCount == 0) {
        ResetSettingsForScreen();
        MsgBox(GreetingMessage(), 64, QStringLiteral("Sarovin"));
        if (ended()) return;
    }
    // Saved at once: a crash before the next clean exit shows at the next start.
    Settings.CleanExit = SwitchOff;
    CountUp(Settings.StartCount);
    StepSaveSettings();

    ShowStepText(QStringLiteral("Bibliothek Audio"));
    if (ended()) return;
    StepLoadLibrary();
    state.libraryLoaded = true;

    ShowStepText(QStringLiteral("Benutzeroberfläche"));
    if (ended()) return;
    StepLoadMainWindow();

    ShowStepText(QStringLiteral("Audio-Treiber"));
    if (ended()) return;
    StepInitAudio();

    ShowStepText(QStringLiteral("Equalizer"));
    if (ended()) return;
    StepInitEqualizer();

    SplashCaption(QStringLiteral("Tag-Reader"));
    SplashTimer(true);
    Pump();
    if (ended()) return;
    StepProbeTagReader();
    SplashTimer(false);

    StepInstallWheelHook();
    StepActOnCommandLine(ParseCommandLine(commandLine, QDir::currentPath()));
    if (ended()) return;
    StepOpenFirstView();
    if (ended()) return;
    StepShowMainWindow();

    // From here on what the user makes is saved within a minute, not only at the exit.
    StartPeriodicSave(SessionEndMainWindow, PeriodicSaveInterval());

    SplashUnload();
    Pump();
}

void ExitProgram()
{
    if (state.exitStarted) return;
    state.exitStarted = true;
    // A periodic write still running ends first: its older snapshot must not
    // land over what the exit writes.
    StopPeriodicSave();
    // A tag save still waiting for its helper ends with the helper gone and
    // its copy removed; the record keeps "Tag;" for the library's save below.
    CancelTagSave();

    ExitRemoveWheelHook();
    ExitUnloadWindows();
    // A session end during the start must not overwrite files with what was
    // never loaded.
    if (state.libraryLoaded) ExitSaveDatabase();
    ExitRemoveEqualizer();
    ExitCloseAudio();
    if (state.settingsLoaded) {
        Settings.CleanExit = SwitchOn;
        CountUp(Settings.CleanExitCount);
        ExitSaveSettings();
    }
    ExitReportSaveFailures();
    ReleaseSingleInstanceLock();
    TerminateProcess(0);
}

void EndSession()
{
    if (state.exitStarted) return;
    SetSessionEnding(true);
    SessionEndMainWindow();
    ExitProgram();
}

void InstallSessionEndHandlers()
{
    WatchTermSignal(EndSession);
    auto* app = qGuiApp;
    if (!app) return;
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager&) { EndSession(); });
#endif
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { EndSession(); });
}

QString ProgramCommandLine()
{
    return QCoreApplication::arguments().mid(1).join(u' ');
}

void SetPeriodicSaveInterval(std::chrono::milliseconds interval)
{
    PeriodicSaveInterval() = interval;
}

void SetTerminateHook(std::function<void(int)> hook)
{
    TerminateHook() = std::move(hook);
}

void ResetProgramState()
{
    StopPeriodicSave();
    DestroyMainWindow();
    state = ProgramState{};
    ReleaseSingleInstanceLock();
    SetSessionEnding(false);
}

int RunSarovin(int argc, char** argv)
{
    // No organization name: the data folder is ~/.local/share/Sarovin.
    QCoreApplication::setApplicationName(ProductName());
    QApplication app(argc, argv);
    // Hidden in the tray the program has no window; a closing mini player must not end it.
    app.setQuitOnLastWindowClosed(false);
    InstallQtUiServices();
    SetTagReader(&ProgramTagReader());
    SetTagWriter(&ProgramTagWriter());
    SetTagSaveRunner(&ProgramTagSaveRunner());
    InstallSessionEndHandlers();
    Main();
    // Only the exit procedure ends the program; without a window nothing could reach it.
    if (!MainWindowLoaded()) ExitProgram();
    return app.exec();
}
