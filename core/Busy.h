// The busy state of long library operations (synchronisation, library check,
// device copy). While one runs, pumped events see the program busy: closing,
// reloading and a second synchronisation test IsBusy() and hold back. The
// main window's caption follows the state through a hook.
#pragma once

#include "core/Hooks.h"

#include <QString>
#include <cstddef>
#include <functional>

// The idle caption; any other caption names a running operation.
extern const QString IdleCaption;  // "Sarovin"

bool IsBusy();
// The caption the operation last set, IdleCaption when idle.
QString BusyCaption();

// The main window's caption follows here; tests record the sequence.
using CaptionHook = std::function<void(const QString& caption)>;
[[nodiscard]] Subscription SubscribeCaption(CaptionHook hook);
// Listeners subscribed now (tests check that a closed window stopped listening).
std::size_t CaptionListenerCount();

// The message that a long operation runs and the action must wait (style 48,
// title "Synchronisieren"), through MsgBox.
void ShowBusyMessage();

// Holds the busy state for its lifetime and gives the caption back to
// IdleCaption on every way out. Only one operation runs at a time: a second
// guard made while one is held does not acquire and changes nothing.
class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    bool Acquired() const { return acquired_; }
    void SetCaption(const QString& caption);

private:
    bool acquired_ = false;
};
