// The steps of the start and exit procedures that belong to other parts of the
// program. Each is called once, in order, by Main or ExitProgram; the part that
// owns a step fills in its body here and leaves the procedures alone.
#pragma once

#include <QString>

struct CommandLineRequest;

// The splash window (shown from the first step to the last).
void SplashShow();
void SplashCaption(const QString& text);
void SplashTimer(bool enabled);
void SplashUnload();

// Writes Settings.ini with the start counted. A failure is told on stderr,
// not in a box: the start goes on, and the first periodic save writes the
// file again (and tells its own failure).
void StepSaveSettings();
// "Bibliothek Audio": InitAudioDatabase, then LoadDatabase on Library.
void StepLoadLibrary();
// "Benutzeroberfläche": load frmMain, define the list columns, apply their visibility.
void StepLoadMainWindow();
// "Audio-Treiber": InitAudio; its result does not stop the start.
void StepInitAudio();
// "Equalizer": InitEqualizer.
void StepInitEqualizer();
// "Tag-Reader": open Test.mp3 from the program folder once; the result is ignored.
void StepProbeTagReader();
// Wheel scrolling for the main window, when it is a WheelScroller.
void StepInstallWheelHook();
// Resume, play or do nothing; FindLibraryFile and ResumePointFor give the targets.
void StepActOnCommandLine(const CommandLineRequest& request);
// "AudioLibrary" when the queue's head is negative, else "AudioPlaying".
void StepOpenFirstView();
// Shows frmMain unless Settings.InTray.
void StepShowMainWindow();
// True once frmMain exists; until then the program ends after its start.
bool MainWindowLoaded();
// Frees frmMain (a test's next start loads a new one).
void DestroyMainWindow();

// The main window's part of a session end: store volume, last title, position
// and pause state in Settings, with no tray branch, no busy refusal and no
// message. ExitProgram follows.
void SessionEndMainWindow();

// Exit steps. They may run although the matching start step never did (a
// session end during the start), so each must be safe then.
void ExitRemoveWheelHook();
void ExitUnloadWindows();
// Only called when the library was loaded.
void ExitSaveDatabase();
void ExitRemoveEqualizer();
void ExitCloseAudio();
// Writes Settings.ini; a failure is reported with the others.
void ExitSaveSettings();
// Failed saves, named with their reason on stderr and, unless the session
// ends, in a message box each; after the settings are written.
void ExitReportSaveFailures();
