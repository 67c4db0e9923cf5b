// Single-producer single-consumer ring of fixed slots, lock-free.
//
// Threads: one producer thread calls BeginWrite/Commit, one consumer thread
// calls Front/Pop. The consumer may wait for a write (WaitForWrite, a futex
// wait on the counter, which never loses a wake-up); how the producer waits
// for room is its owner's business. Slots are written in place, so nothing is
// allocated after construction.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace snd {

template <class T>
class SpscRing {
public:
    explicit SpscRing(size_t slots) : slots_(slots) {}

    size_t Capacity() const { return slots_.size(); }

    // Producer: the next free slot, or nullptr when the ring is full.
    T* BeginWrite()
    {
        const uint64_t w = write_.load(std::memory_order_relaxed);
        if (w - read_.load(std::memory_order_acquire) >= slots_.size()) return nullptr;
        return &slots_[w % slots_.size()];
    }
    void Commit()
    {
        write_.fetch_add(1, std::memory_order_release);
        write_.notify_all();
    }

    // Consumer: the oldest filled slot, or nullptr when the ring is empty.
    T* Front()
    {
        const uint64_t r = read_.load(std::memory_order_relaxed);
        if (write_.load(std::memory_order_acquire) == r) return nullptr;
        return &slots_[r % slots_.size()];
    }
    void Pop() { read_.fetch_add(1, std::memory_order_release); }

    // Counters for waiting: read one, test the condition, then wait on the
    // value read; a change in between returns at once.
    uint64_t Written() const { return write_.load(std::memory_order_acquire); }
    uint64_t Read() const { return read_.load(std::memory_order_acquire); }
    void WaitForWrite(uint64_t seen) const { write_.wait(seen, std::memory_order_acquire); }

private:
    std::vector<T> slots_;
    alignas(64) std::atomic<uint64_t> write_{0};
    alignas(64) std::atomic<uint64_t> read_{0};
};

} // namespace snd
