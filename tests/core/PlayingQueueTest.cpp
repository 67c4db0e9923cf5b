// The queue rules as tables: one row per rule or edge.
#include "core/PlayingQueue.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayingQueue, Next)
{
    const struct { QueueItems items; bool repeatAll; QueueItems after; int32_t head; } rows[] = {
        {{5, 8, 9}, false, {8, 9}, 8},
        {{5, 8, 9}, true, {8, 9, 5}, 8},
        {{5}, false, {-1}, -1},
        {{5}, true, {5}, 5},
        {{-1}, true, {-1}, -1},
        {{-1}, false, {-1}, -1},
        // A -1 head goes for good, also with repeat-all: it would stop the queue once per cycle.
        {{-1, 5, 8}, true, {5, 8}, 5},
        {{-1, 5, 8}, false, {5, 8}, 5},
        {{}, false, {-1}, -1},
    };
    for (const auto& r : rows) {
        QueueItems items = r.items;
        EXPECT_EQ(QueueNext(items, r.repeatAll), r.head) << testing::PrintToString(r.items);
        EXPECT_EQ(items, r.after) << testing::PrintToString(r.items);
    }
}

TEST(PlayingQueue, Previous)
{
    const struct { QueueItems items; int32_t current; int32_t want; } rows[] = {
        {{5, 8, 9}, 8, 5},
        {{5, 8, 9}, 5, 9},   // wraps from the head to the last
        {{5, 8, 9}, 7, 5},   // not queued: the head
        {{-1}, 5, -1},
        {{8, 5, 9, 5}, 5, 8}, // the first place counts
        {{}, 5, -1},
    };
    for (const auto& r : rows) EXPECT_EQ(QueuePrevious(r.items, r.current), r.want) << testing::PrintToString(r.items);
}

TEST(PlayingQueue, RotateAndSwapToHead)
{
    const struct { QueueItems items; int32_t key; QueueItems rotated, swapped; } rows[] = {
        {{1, 2, 3, 4}, 3, {3, 4, 1, 2}, {3, 2, 1, 4}},
        {{1, 2, 3, 2}, 2, {2, 3, 2, 1}, {2, 1, 3, 2}},
        {{1, 2}, 7, {1, 2}, {1, 2}},
        {{-1}, -1, {-1}, {-1}},
    };
    for (const auto& r : rows) {
        QueueItems a = r.items, b = r.items;
        RotateToKey(a, r.key);
        SwapKeyToHead(b, r.key);
        EXPECT_EQ(a, r.rotated) << r.key;
        EXPECT_EQ(b, r.swapped) << r.key;
    }
}

TEST(PlayingQueue, ShuffleSwapsDrawnPairsCountPlusOneTimes)
{
    const struct { QueueItems items; std::vector<int> draws; QueueItems after; } rows[] = {
        {{1, 2, 3}, {0, 2, 1, 1, 0, 1}, {2, 3, 1}},
        {{7}, {0, 0}, {7}},
        {{1, 2}, {0, 1, 1, 1}, {2, 1}},
    };
    for (const auto& r : rows) {
        QueueItems items = r.items;
        size_t next = 0;
        std::vector<std::pair<int, int>> ranges;
        ShuffleQueue(items, [&](int low, int high) {
            ranges.emplace_back(low, high);
            return r.draws.at(next++);
        });
        EXPECT_EQ(items, r.after);
        EXPECT_EQ(next, r.draws.size());
        for (const auto& [low, high] : ranges) EXPECT_TRUE(low == 0 && high == int(r.items.size()) - 1);
    }
}

TEST(PlayingQueue, PlayNowAndPlayNext)
{
    const struct { QueueItems items; int32_t key; QueueItems now, next; } rows[] = {
        {{5, 8, 9}, 3, {5, 8, 9, 3}, {5, 3, 8, 9}},
        {{5, 8, 9}, 9, {5, 8, 9}, {5, 9, 8, 9}},  // queued already: the order stays
        {{-1}, 3, {-1, 3}, {-1, 3}},             // the empty marker stays at the head
        {{5}, 3, {5, 3}, {5, 3}},
        {{}, 3, {3}, {-1, 3}},
    };
    for (const auto& r : rows) {
        QueueItems a = r.items, b = r.items;
        QueuePlayNow(a, r.key);
        QueuePlayNext(b, r.key);
        EXPECT_EQ(a, r.now) << testing::PrintToString(r.items);
        EXPECT_EQ(b, r.next) << testing::PrintToString(r.items);
    }
}

} // namespace
