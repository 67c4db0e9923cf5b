// The keys held now, as Windows virtual-key codes: the numbers the stored
// hot-key texts are made of.
#pragma once

#include <functional>
#include <vector>

// Codes held now, ascending, each once. Under X11 read from the keyboard's
// state (sided Shift, Ctrl and Alt also give their generic code); elsewhere
// none, so hot keys are silently off. Mouse buttons are never reported.
std::vector<int> HeldKeys();

// Tests give the keys held; an empty function restores the platform's source.
void SetKeySource(std::function<std::vector<int>()> source);

// The codes one X keysym stands for; empty for a key that has none.
std::vector<int> VirtualKeysForKeysym(unsigned long keysym);
