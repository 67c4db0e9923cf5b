// The now-playing queue's rules as pure list work, so the main window, the
// mini player and the tray share them without touching widgets. A queue is a
// list of library indices; the single item -1 is the empty queue, and a -1 at
// the head means nothing is queued to play now.
#pragma once

#include <QVector>
#include <cstdint>
#include <functional>

using QueueItems = QVector<int32_t>;

// "Next": drops the head (with repeatAll: moves it to the end) and returns the
// new head. A -1 head is dropped even with repeatAll when titles follow, so it
// cannot stop the queue once per cycle. A one-item queue becomes [-1], or
// stays as it is with repeatAll.
int32_t QueueNext(QueueItems& items, bool repeatAll);

// "Previous": the entry before the first occurrence of current, wrapping from
// the head to the last entry; the head when current is not queued. -1 when
// that entry is -1 (nothing to play).
int32_t QueuePrevious(const QueueItems& items, int32_t current);

// The list rotated so that the first occurrence of key heads it, the rest in
// list order behind it; unchanged when key is not in it.
void RotateToKey(QueueItems& items, int32_t key);

// Moves the first occurrence of key to the head by one swap; false when absent.
bool SwapKeyToHead(QueueItems& items, int32_t key);

// Count + 1 random pair swaps (a == b leaves both); draw(low, high) gives a
// whole number in [low, high].
void ShuffleQueue(QueueItems& items, const std::function<int(int, int)>& draw);

// Play now: a title not yet queued joins at the end; the order stays, so the
// head is what "Next" drops or rotates later.
void QueuePlayNow(QueueItems& items, int32_t key);
// Play next: the title goes behind the head (the empty queue keeps its -1 head).
void QueuePlayNext(QueueItems& items, int32_t key);
