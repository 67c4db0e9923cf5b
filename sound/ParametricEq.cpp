#include "sound/ParametricEq.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace snd {

ParametricEq::ParametricEq(int sampleRate) : sampleRate_(sampleRate)
{
    for (int i = 0; i < 3; ++i) value_[i] = kRanges[i].initial;
    now_ = next_ = Design(value_[Gain]);
}

Result ParametricEq::Set(int index, float value)
{
    if (index < 0 || index > 2) return Result::InvalidParam;
    if (!(value >= kRanges[index].min && value <= kRanges[index].max)) return Result::InvalidParam;
    const bool wasBypassed = Bypassed();
    value_[index] = value;
    // Coming out of bypass, the old state belongs to sound long gone; the
    // band's flat filter (gain 1, which passes its input) is where the move
    // starts. Otherwise it starts from what is in force, also when a change
    // before is still waiting for its block.
    if (wasBypassed) {
        s1_ = s2_ = Pair{};
        now_ = Design(1.0f);
    }
    next_ = Design(value_[Gain]);
    const auto same = [](Pair x, Pair y) { return x[0] == y[0] && x[1] == y[1]; };
    ramp_ = !(same(now_.b0, next_.b0) && same(now_.b1, next_.b1) && same(now_.b2, next_.b2) &&
              same(now_.a1, next_.a1) && same(now_.a2, next_.a2));
    return Result::Ok;
}

Result ParametricEq::Get(int index, float* value) const
{
    if (index < 0 || index > 2 || !value) return Result::InvalidParam;
    *value = value_[index];
    return Result::Ok;
}

ParametricEq::Coefficients ParametricEq::Design(float gain) const
{
    // A centre close to half the rate makes the bandwidth term blow up; keep
    // it below, where it is inaudible anyway, so the filter stays finite.
    const double f = std::min<double>(value_[Centre], 0.45 * sampleRate_);
    const double w0 = 2.0 * std::numbers::pi * f / sampleRate_;
    const double a = std::sqrt(static_cast<double>(gain));  // peak gain is a^2
    const double sn = std::sin(w0);
    const double alpha = sn * std::sinh(std::numbers::ln2 / 2.0 * value_[Bandwidth] * w0 / sn);
    const double cs = std::cos(w0);
    const double a0 = 1.0 + alpha / a;
    const auto pair = [](double v) { return Pair{v, v}; };
    return {pair((1.0 + alpha * a) / a0), pair(-2.0 * cs / a0), pair((1.0 - alpha * a) / a0), pair(-2.0 * cs / a0),
            pair((1.0 - alpha / a) / a0)};
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

// One section whose coefficients c[0..4] move by d[0..4] every frame.
template <class Pair>
void RunMovingSection(Pair* c, const Pair* d, Pair* v, int frames)
{
    Pair b0 = c[0], b1 = c[1], b2 = c[2], a1 = c[3], a2 = c[4], s1 = c[5], s2 = c[6];
    for (int i = 0; i < frames; ++i) {
        b0 += d[0]; b1 += d[1]; b2 += d[2]; a1 += d[3]; a2 += d[4];
        const Pair x = v[i];
        const Pair y = b0 * x + s1;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;
        v[i] = y;
    }
    c[0] = b0; c[1] = b1; c[2] = b2; c[3] = a1; c[4] = a2;
    c[5] = s1;
    c[6] = s2;
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
    Pair step[kMaxUnits][5];
    bool moving[kMaxUnits];
    const Pair perFrame = Pair{1.0, 1.0} / static_cast<double>(std::max(frames, 1));
    for (int k = 0; k < n; ++k) {
        const ParametricEq& u = *active[k];
        const Coefficients& now = u.now_;
        c[k][0] = now.b0; c[k][1] = now.b1; c[k][2] = now.b2; c[k][3] = now.a1; c[k][4] = now.a2;
        c[k][5] = u.s1_; c[k][6] = u.s2_;
        moving[k] = u.ramp_;
        if (!u.ramp_) continue;
        const Coefficients& to = u.next_;
        step[k][0] = (to.b0 - now.b0) * perFrame; step[k][1] = (to.b1 - now.b1) * perFrame;
        step[k][2] = (to.b2 - now.b2) * perFrame; step[k][3] = (to.a1 - now.a1) * perFrame;
        step[k][4] = (to.a2 - now.a2) * perFrame;
    }
    Pair v[kSpan];
    for (int at = 0; at < frames; at += kSpan) {
        const int m = std::min(kSpan, frames - at);
        float* p = x + 2 * at;
        for (int i = 0; i < m; ++i) v[i] = Pair{p[2 * i], p[2 * i + 1]};
        // Runs of steady units together, moving ones one by one, in chain order.
        for (int k = 0; k < n;) {
            if (moving[k]) {
                RunMovingSection(c[k], step[k], v, m);
                ++k;
                continue;
            }
            int end = k;
            while (end < n && !moving[end]) ++end;
            RunChain(c + k, end - k, v, m);
            k = end;
        }
        for (int i = 0; i < m; ++i) {
            p[2 * i] = static_cast<float>(v[i][0]);
            p[2 * i + 1] = static_cast<float>(v[i][1]);
        }
    }
    // Silence decays the state into subnormal numbers, which are slow.
    for (int k = 0; k < n; ++k) {
        ParametricEq& u = *active[k];
        if (u.ramp_ && frames > 0) {
            u.now_ = u.next_;  // exactly, whatever the steps summed to
            u.ramp_ = false;
        }
        u.s1_ = c[k][5];
        u.s2_ = c[k][6];
        for (int ch = 0; ch < kChannels; ++ch) {
            if (std::abs(u.s1_[ch]) < 1e-30) u.s1_[ch] = 0.0;
            if (std::abs(u.s2_[ch]) < 1e-30) u.s2_[ch] = 0.0;
        }
    }
}

} // namespace snd
