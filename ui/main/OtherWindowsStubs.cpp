// Bodies of the procedures whose window is not built yet. A window that is
// built defines its procedures in its own source and removes them from here.
#include "ui/main/OtherWindows.h"

void LoadFunctionTree() {}
void ShowToggleStates() {}
void LoadOptionsTree() {}
void LoadOptions() {}
void ShowOptions(const QString&) {}
void UnloadOptionsWindow() {}
