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

    // At gain 1 the unit passes its input untouched, bit for bit.
    bool Bypassed() const { return value_[Gain] == 1.0f; }

    // Runs the units one after the other, in place over interleaved stereo;
    // bypassed units are skipped. Frame by frame through all units, so the
    // bands overlap in the processor instead of waiting on one another.
    static void ProcessChain(std::span<ParametricEq* const> units, float* interleaved, int frames);

private:
    // Left and right side by side, one vector register.
    typedef double Pair __attribute__((vector_size(16)));

    void Design();

    int sampleRate_;
    float value_[3];
    // Normalised coefficients (same on both sides) and transposed direct
    // form II state per channel.
    Pair b0_{1, 1}, b1_{}, b2_{}, a1_{}, a2_{};
    Pair s1_{}, s2_{};
};

} // namespace snd
