// The start and the exit of the program.
#pragma once

#include <QString>
#include <chrono>
#include <functional>

// Creates the application, runs the start procedure and the message loop.
int RunSarovin(int argc, char** argv);

// The start procedure: single-instance check, settings, then the steps of
// StartSteps.h in order. Main() takes the program's own command line.
void Main();
void Main(const QString& commandLine);

// The one orderly end: saves the library and the settings, releases the
// instance lock and ends the process. Runs once; later calls return at once.
void ExitProgram();

// The desktop session ends or an ending signal came: the save-and-exit path without
// anything modal.
void EndSession();
// SIGTERM, SIGINT, SIGHUP and the desktop's log-off all lead to EndSession.
void InstallSessionEndHandlers();

// The arguments after the program's path, joined by blanks.
QString ProgramCommandLine();

// How often the running program saves what changed (a minute; tests shorten it).
void SetPeriodicSaveInterval(std::chrono::milliseconds interval);

// How the process ends; the default flushes and exits at once. Tests replace it
// (an empty function restores the default).
void SetTerminateHook(std::function<void(int exitCode)> hook);

// Forget an earlier run inside this process (tests run several).
void ResetProgramState();

// Where users report problems; shown after an unclean end.
extern const QString ProblemReportAddress;
