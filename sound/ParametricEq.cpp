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

namespace {

// A cascade of N sections with coefficients and state held in registers for
// the whole span; N is fixed so the inner loop unrolls completely.
template <int N, class Pair>
void RunSections(Pair (*c)[7], Pair* v, int frames)
{
    Pair b0[N], b1[N], b2[N], a1[N], a2[N], s1[N], s2[N];
    for (int k = 0; k < N; ++k) {
        b0[k] = c[k][0]; b1[k] = c[k][1]; b2[k] = c[k][2]; a1[k] = c[k][3]; a2[k] = c[k][4];
        s1[k] = c[k][5]; s2[k] = c[k][6];
    }
    for (int i = 0; i < frames; ++i) {
        Pair x = v[i];
        for (int k = 0; k < N; ++k) {
            const Pair y = b0[k] * x + s1[k];
            s1[k] = b1[k] * x - a1[k] * y + s2[k];
            s2[k] = b2[k] * x - a2[k] * y;
            x = y;
        }
        v[i] = x;
    }
    for (int k = 0; k < N; ++k) {
        c[k][5] = s1[k];
        c[k][6] = s2[k];
    }
}

// All sections over one span, four at a time.
template <class Pair>
void RunChain(Pair (*c)[7], int n, Pair* v, int frames)
{
    int k = 0;
    for (; k + 4 <= n; k += 4) RunSections<4>(c + k, v, frames);
    switch (n - k) {
    case 3: RunSections<3>(c + k, v, frames); break;
    case 2: RunSections<2>(c + k, v, frames); break;
    case 1: RunSections<1>(c + k, v, frames); break;
    default: break;
    }
}

} // namespace

void ParametricEq::ProcessChain(std::span<ParametricEq* const> units, float* x, int frames)
{
    constexpr int kMaxUnits = 64;
    constexpr int kSpan = 256;
    ParametricEq* active[kMaxUnits];
    int n = 0;
    for (ParametricEq* u : units)
        if (!u->Bypassed() && n < kMaxUnits) active[n++] = u;
    if (n == 0) return;
    Pair c[kMaxUnits][7];
    for (int k = 0; k < n; ++k) {
        const ParametricEq& u = *active[k];
        c[k][0] = u.b0_; c[k][1] = u.b1_; c[k][2] = u.b2_; c[k][3] = u.a1_; c[k][4] = u.a2_;
        c[k][5] = u.s1_; c[k][6] = u.s2_;
    }
    Pair v[kSpan];
    for (int at = 0; at < frames; at += kSpan) {
        const int m = std::min(kSpan, frames - at);
        float* p = x + 2 * at;
        for (int i = 0; i < m; ++i) v[i] = Pair{p[2 * i], p[2 * i + 1]};
        RunChain(c, n, v, m);
        for (int i = 0; i < m; ++i) {
            p[2 * i] = static_cast<float>(v[i][0]);
            p[2 * i + 1] = static_cast<float>(v[i][1]);
        }
    }
    // Silence decays the state into subnormal numbers, which are slow.
    for (int k = 0; k < n; ++k) {
        ParametricEq& u = *active[k];
        u.s1_ = c[k][5];
        u.s2_ = c[k][6];
        for (int ch = 0; ch < kChannels; ++ch) {
            if (std::abs(u.s1_[ch]) < 1e-30) u.s1_[ch] = 0.0;
            if (std::abs(u.s2_[ch]) < 1e-30) u.s2_[ch] = 0.0;
        }
    }
}

} // namespace snd
