// The keys held down now, as Windows virtual-key codes, for the hot-key
// capture. The program installs its key-state source; tests install a fake.
#pragma once

#include <QList>
#include <functional>

using HeldKeysSource = std::function<QList<int>()>;
// An empty function removes the source: then no key is held.
void SetHeldKeysSource(HeldKeysSource source);
QList<int> HeldKeys();
