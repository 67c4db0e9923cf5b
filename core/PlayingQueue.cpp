#include "core/PlayingQueue.h"

#include <algorithm>

int32_t QueueNext(QueueItems& items, bool repeatAll)
{
    if (items.isEmpty()) items.append(-1);
    const int32_t first = items.front();
    if (items.size() == 1) {
        if (!repeatAll) items.front() = -1;
        return items.front();
    }
    items.removeFirst();
    if (repeatAll && first != -1) items.append(first);
    return items.front();
}

int32_t QueuePrevious(const QueueItems& items, int32_t current)
{
    if (items.isEmpty()) return -1;
    const qsizetype at = items.indexOf(current);
    qsizetype pos = at < 0 ? 0 : at - 1;
    if (pos < 0) pos = items.size() - 1;
    return items[pos];
}

void RotateToKey(QueueItems& items, int32_t key)
{
    const auto at = std::find(items.begin(), items.end(), key);
    if (at != items.end()) std::rotate(items.begin(), at, items.end());
}

bool SwapKeyToHead(QueueItems& items, int32_t key)
{
    const qsizetype at = items.indexOf(key);
    if (at < 0) return false;
    std::swap(items[0], items[at]);
    return true;
}

void ShuffleQueue(QueueItems& items, const std::function<int(int, int)>& draw)
{
    const int last = int(items.size()) - 1;
    for (int n = 0; n <= last; ++n) {
        const int a = draw(0, last);
        const int b = draw(0, last);
        std::swap(items[a], items[b]);
    }
}

void QueuePlayNow(QueueItems& items, int32_t key)
{
    if (!items.contains(key)) items.append(key);
}

void QueuePlayNext(QueueItems& items, int32_t key)
{
    if (items.isEmpty()) items.append(-1);
    items.insert(1, key);
}
