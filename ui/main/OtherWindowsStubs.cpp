// Bodies of the procedures whose window is not built yet. A window that is
// built defines its procedures in its own source and removes them from here.
#include "ui/main/OtherWindows.h"

void LoadFunctionTree() {}
void ShowToggleStates() {}
void DrawSpectrum() {}
void LoadOptionsTree() {}
void LoadOptions() {}
void ShowOptions(const QString&) {}
void MiniPlayerTitle(const QString&) {}
void MiniPlayerShowVol(double) {}
void MiniPlayerIdle() {}
void LoadMiniPlayer() {}
void UnloadMiniPlayer() {}
void OpenEqualizer() {}
void OpenDeviceWizard() {}
void UnloadEqualizer() {}
void UnloadDeviceWizard() {}
void UnloadOptionsWindow() {}
