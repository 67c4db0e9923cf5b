// One parametric EQ unit: an RBJ peaking biquad per output channel.
// Not thread-safe: the mixer guards its units.
#pragma once

#include "sound/Result.h"

#include <span>

namespace snd {

class ParametricEq {
public:
    enum Param { Centre = 0, Bandwidth = 1, Gain = 2 };
    struct Range {
        float min, max, initial;
    };
    // Centre in Hz, bandwidth in octaves, gain as a linear factor (1 = flat).
    static constexpr Range kRanges[3] = {{20.0f, 22000.0f, 8000.0f}, {0.2f, 5.0f, 1.0f}, {0.05f, 3.0f, 1.0f}};
    static constexpr int kChannels = 2;

    explicit ParametricEq(int sampleRate);

    // A value out of range (or not a number) is refused and the old one kept.
    Result Set(int index, float value);
    Result Get(int index, float* value) const;

    // At gain 1 the unit passes its input untouched, bit for bit, once the
    // block after the change has moved it there.
    bool Bypassed() const { return value_[Gain] == 1.0f && !ramp_; }

    // Runs the units one after the other, in place over interleaved stereo;
    // bypassed units are skipped. Frame by frame through all units, so the
    // bands overlap in the processor instead of waiting on one another.
    // A unit changed since the last call moves its coefficients linearly
    // across this block and ends exactly on the new ones: switching at once
    // over the old state would click. (The region of stable (a1, a2) is
    // convex, so every step on the way is stable.)
    static void ProcessChain(std::span<ParametricEq* const> units, float* interleaved, int frames);

private:
    // Left and right side by side, one vector register.
    typedef double Pair __attribute__((vector_size(16)));

    struct Coefficients {
        Pair b0{1, 1}, b1{}, b2{}, a1{}, a2{};
    };
    Coefficients Design(float gain) const;

    int sampleRate_;
    float value_[3];
    // Normalised coefficients (same on both sides): those in force and, while
    // ramp_, those the next block moves to; transposed direct form II state
    // per channel.
    Coefficients now_, next_;
    bool ramp_ = false;
    Pair s1_{}, s2_{};
};

} // namespace snd
