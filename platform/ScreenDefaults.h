// The factory settings for the screen the program runs on.
#pragma once

// ResetSettings with the primary screen's size in twips (800 x 600 pixels
// without a screen).
void ResetSettingsForScreen();
