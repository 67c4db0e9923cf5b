// The hot-key tick: the keys held now, as text, against the seven stored combinations.
#include "ui/main/frmMain.h"

#include "core/HotKeys.h"
#include "core/Settings.h"
#include "platform/KeyState.h"

#include <QTimer>

void frmMain::tmrHotKeys_Timer()
{
    const QString combo = HotKeyText(HeldKeys());
    for (HotKeyAction action : hotKeyPoll_.Tick(combo, Settings)) {
        switch (action) {
        case HotKeyAction::ShowMe: ToggleTray(); break;
        case HotKeyAction::VolPlus:
        case HotKeyAction::VolMinus: SetVol(HotKeyVolume(action, Volume)); break;
        default: Command(HotKeyCommand(action)); break;
        }
    }
}

bool frmMain::SetHotKeyTimer(bool enabled)
{
    const bool was = tmrHotKeys->isActive();
    if (enabled) tmrHotKeys->start();
    else tmrHotKeys->stop();
    return was;
}
