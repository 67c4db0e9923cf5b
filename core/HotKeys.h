// Global hot keys: the text of a key combination, as the settings store it,
// and the decisions of the window's 50 ms hot-key tick.
#pragma once

#include "core/Settings.h"

#include <QString>
#include <cstdint>
#include <vector>

// Windows virtual-key codes ascending, each once, joined by " + "
// ("17 + 18 + 36 + 162 + 164"); no codes give "".
QString HotKeyText(std::vector<int> codes);

// What a hot key does; the tick tests them in this order.
enum class HotKeyAction { Pause, Stop, Next, Prev, ShowMe, VolPlus, VolMinus };

// The command of a transport key ("Audio:Pause", "Audio:Stop", "Audio:Next",
// "Audio:Prev"); "" for ShowMe (ToggleTray) and the volume keys.
QString HotKeyCommand(HotKeyAction action);
// The volume a volume key hands to SetVol (which clamps): 1000 up or down,
// rounded half to even. Other keys leave it as it is.
int32_t HotKeyVolume(HotKeyAction action, double volume);

// The tick's memory: the last combination held and when it changed.
class HotKeyPoll {
public:
    // One tick with the combination held now. Returns every action whose stored
    // text equals it, in the order above; "" never acts. A new combination acts
    // at once; held on, it is silent for 0.5 s, then acts on every tick.
    std::vector<HotKeyAction> Tick(const QString& combo, const SettingsRecord& settings);

private:
    QString lastCombo;
    double lastChange = 0; // MonotonicSeconds, fraction kept
};
