// The procedures through which the main window, the tray and the start and
// exit procedures open or feed the other windows. Each window's own source
// defines its procedures.
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

// The main window as the owner of modeless and modal windows; nullptr before it exists.
QWidget* MainWindowOwner();

// Navigation tree and menus: rebuilds the tree `Functions` and the dynamic
// playlist menu; shows the five toggle checks and the toggle buttons' colours.
void LoadFunctionTree();
void ShowToggleStates();

// Spectrum bars in the main window and the mini player; every audio tick.
void DrawSpectrum();

// Options page in the main window's pane frOptions.
void LoadOptionsTree();
void LoadOptions();
void ShowOptions(const QString& key);

// Tag editor. OpenTagEditor shows the record of a library index on the editor's
// second tab and shows the editor modeless; false when nothing was shown.
// TagEditorShowProps follows the main list's selection while the editor is open.
bool OpenTagEditor(int32_t index);
void TagEditorShowProps(int32_t index);

// Dynamic-playlist editor, modeless.
void OpenPlaylistEditor();

// Mini player. The title line; the volume view (0..32768); the idle line
// "keine Wiedergabe"; load (and show per its timer) and unload.
void MiniPlayerTitle(const QString& titleLine);
void MiniPlayerShowVol(double volume);
void MiniPlayerIdle();
void LoadMiniPlayer();
void UnloadMiniPlayer();

// Windows the menus open, modeless.
void OpenEqualizer();
void OpenDeviceWizard();
void OpenInfo();

// Each window's unload, for the exit; harmless when the window was never loaded.
void UnloadTagEditor();
void UnloadPlaylistEditor();
void UnloadEqualizer();
void UnloadDeviceWizard();
void UnloadInfo();
void UnloadOptionsWindow();
