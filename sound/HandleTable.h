// Generation-checked table behind the handles: a handle names a slot and the
// generation the slot had when the handle was made, so a released or reused
// slot never answers an old handle.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace snd {

enum class HandleKind : uint32_t { Stream = 1, Channel = 2, Unit = 3 };

// kind in bits 28..31, generation in 12..27, slot index in 0..11.
constexpr uint32_t kHandleIndexBits = 12;
constexpr uint32_t kHandleMaxSlots = 1u << kHandleIndexBits;

constexpr uint32_t MakeHandle(HandleKind kind, uint32_t generation, uint32_t index)
{
    return (static_cast<uint32_t>(kind) << 28) | ((generation & 0xFFFFu) << kHandleIndexBits)
        | (index & (kHandleMaxSlots - 1));
}
constexpr HandleKind KindOf(uint32_t handle) { return static_cast<HandleKind>(handle >> 28); }
constexpr uint32_t IndexOf(uint32_t handle) { return handle & (kHandleMaxSlots - 1); }
constexpr uint32_t GenerationOf(uint32_t handle) { return (handle >> kHandleIndexBits) & 0xFFFFu; }

// Not thread-safe: the owner guards it.
template <class T>
class HandleTable {
public:
    explicit HandleTable(HandleKind kind) : kind_(kind) {}

    // 0 when the table is full.
    uint32_t Add(T value)
    {
        for (uint32_t i = 0; i < slots_.size(); ++i) {
            if (!slots_[i].value) {
                slots_[i].value = std::move(value);
                return MakeHandle(kind_, slots_[i].generation, i);
            }
        }
        if (slots_.size() >= kHandleMaxSlots) return 0;
        slots_.push_back(Slot{std::move(value), 1});
        return MakeHandle(kind_, 1, static_cast<uint32_t>(slots_.size() - 1));
    }

    T* Find(uint32_t handle)
    {
        if (handle == 0 || KindOf(handle) != kind_) return nullptr;
        const uint32_t i = IndexOf(handle);
        if (i >= slots_.size() || !slots_[i].value) return nullptr;
        if ((slots_[i].generation & 0xFFFFu) != GenerationOf(handle)) return nullptr;
        return &*slots_[i].value;
    }

    // The value leaves the table; the handle is dead from now on.
    std::optional<T> Remove(uint32_t handle)
    {
        if (!Find(handle)) return std::nullopt;
        Slot& s = slots_[IndexOf(handle)];
        std::optional<T> out = std::move(s.value);
        s.value.reset();
        s.generation = NextGeneration(s.generation);
        return out;
    }

    template <class F>
    void ForEach(F&& f)
    {
        for (Slot& s : slots_)
            if (s.value) f(*s.value);
    }

    std::vector<T> TakeAll()
    {
        std::vector<T> out;
        for (Slot& s : slots_) {
            if (s.value) {
                out.push_back(std::move(*s.value));
                s.value.reset();
                s.generation = NextGeneration(s.generation);
            }
        }
        return out;
    }

private:
    struct Slot {
        std::optional<T> value;
        uint32_t generation;
    };
    static uint32_t NextGeneration(uint32_t g) { return (g & 0xFFFFu) == 0xFFFFu ? 1 : g + 1; }

    HandleKind kind_;
    std::vector<Slot> slots_;
};

} // namespace snd
