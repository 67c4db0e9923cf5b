// Mouse-wheel scrolling of the main window's list: an event filter on the
// main window turns whole wheel notches into calls of a dispatch function.
#pragma once

#include <functional>

class QWidget;

// What the wheel scrolls. ScrollUp moves the list further down, ScrollDown
// back up (the names are the list host's own).
class WheelScroller {
public:
    virtual ~WheelScroller() = default;
    virtual void ScrollUp() = 0;
    virtual void ScrollDown() = 0;
};

// One notch: +1 away from the user calls ScrollDown, -1 towards the user
// ScrollUp; other counts do nothing.
void DispatchWheel(WheelScroller& target, int notches);

// Sums the wheel deltas of the window (whatever keys are held) and calls
// dispatch with +1 or -1 for every whole 120 units; a turn of direction drops
// what was gathered. The window still gets every event. Installing again
// replaces the earlier hook.
void InstallWheelHook(QWidget* window, std::function<void(int notches)> dispatch);
// Safe when nothing is installed.
void RemoveWheelHook();
