#include "sound/ParametricEq.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace snd {

ParametricEq::ParametricEq(int sampleRate) : sampleRate_(sampleRate)
{
    for (int i = 0; i < 3; ++i) value_[i] = kRanges[i].initial;
    Design();
}

Result ParametricEq::Set(int index, float value)
{
    if (index < 0 || index > 2) return Result::InvalidParam;
    if (!(value >= kRanges[index].min && value <= kRanges[index].max)) return Result::InvalidParam;
    const bool wasBypassed = Bypassed();
    value_[index] = value;
    // Coming out of bypass, the old state belongs to sound long gone.
    if (wasBypassed && !Bypassed()) s1_ = s2_ = Pair{};
    Design();
    return Result::Ok;
}

Result ParametricEq::Get(int index, float* value) const
{
    if (index < 0 || index > 2 || !value) return Result::InvalidParam;
    *value = value_[index];
    return Result::Ok;
}

void ParametricEq::Design()
{
    // A centre close to half the rate makes the bandwidth term blow up; keep
    // it below, where it is inaudible anyway, so the filter stays finite.
    const double f = std::min<double>(value_[Centre], 0.45 * sampleRate_);
    const double w0 = 2.0 * std::numbers::pi * f / sampleRate_;
    const double a = std::sqrt(static_cast<double>(value_[Gain]));  // peak gain is a^2
    const double sn = std::sin(w0);
    const double alpha = sn * std::sinh(std::numbers::ln2 / 2.0 * value_[Bandwidth] * w0 / sn);
    const double cs = std::cos(w0);
    const double a0 = 1.0 + alpha / a;
    const auto pair = [](double v) { return Pair{v, v}; };
    b0_ = pair((1.0 + alpha * a) / a0);
    b1_ = pair(-2.0 * cs / a0);
    b2_ = pair((1.0 - alpha * a) / a0);
    a1_ = pair(-2.0 * cs / a0);
    a2_ = pair((1.0 - alpha / a) / a0);
}

void ParametricEq::ProcessChain(std::span<ParametricEq* const> units, float* x, int frames)
{
    constexpr int kMaxUnits = 64;
    ParametricEq* active[kMaxUnits];
    int n = 0;
    for (ParametricEq* u : units)
        if (!u->Bypassed() && n < kMaxUnits) active[n++] = u;
    if (n == 0) return;
    for (int i = 0; i < frames; ++i) {
        Pair v{x[2 * i], x[2 * i + 1]};
        for (int k = 0; k < n; ++k) {
            ParametricEq& u = *active[k];
            const Pair y = u.b0_ * v + u.s1_;
            u.s1_ = u.b1_ * v - u.a1_ * y + u.s2_;
            u.s2_ = u.b2_ * v - u.a2_ * y;
            v = y;
        }
        x[2 * i] = static_cast<float>(v[0]);
        x[2 * i + 1] = static_cast<float>(v[1]);
    }
    // Silence decays the state into subnormal numbers, which are slow.
    for (int k = 0; k < n; ++k) {
        ParametricEq& u = *active[k];
        for (int c = 0; c < kChannels; ++c) {
            if (std::abs(u.s1_[c]) < 1e-30) u.s1_[c] = 0.0;
            if (std::abs(u.s2_[c]) < 1e-30) u.s2_[c] = 0.0;
        }
    }
}

} // namespace snd
