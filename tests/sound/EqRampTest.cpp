// A gain change must not click: the peak fourth difference of a tone through
// one band, over the two blocks after the change, against the steady levels.
#include "SoundTestUtil.h"
#include "sound/ParametricEq.h"

using namespace snd;
using namespace soundtest;

namespace {

// A tone of `freq` through band `band` at `from`, changed to `to` after 0.6 s
// (none when `to` is 0); the peak fourth difference over the next two blocks.
double PeakAfter(int band, double freq, double from, double to)
{
    ParametricEq eq(kRate);
    eq.Set(ParametricEq::Centre, float(60.0 * std::pow(2.0, band / 1.8)));
    eq.Set(ParametricEq::Gain, float(from));
    ParametricEq* units[] = {&eq};
    std::vector<float> x(2 * kBlock);
    double last[5] = {}, peak = 0;
    for (int b = 0, n = 0; b < 62; ++b) {
        if (b == 60 && to > 0) eq.Set(ParametricEq::Gain, float(to));
        for (int i = 0; i < kBlock; ++i, ++n)
            x[2 * i] = x[2 * i + 1] = float(kAmp * std::sin(2 * std::numbers::pi * freq * n / kRate));
        ParametricEq::ProcessChain(units, x.data(), kBlock);
        for (int i = 0; i < kBlock; ++i) {
            std::copy(last + 1, last + 5, last);
            last[4] = x[2 * i];
            if (b >= 60) peak = std::max(peak, std::abs(last[4] - 4 * last[3] + 6 * last[2] - 4 * last[1] + last[0]));
        }
    }
    return peak;
}

TEST(EqRamp, GainChangesStayNearTheSteadyLevel)
{
    const auto slider = [](double p) { return (1.0 - p / 32.0) * 2.95 + 0.05; };
    const struct { int band; double freq; } tones[] = {{0, 60}, {2, 129}, {7, 1000}};
    const struct { double from, to; } moves[] = {
        {1.0, 3.0}, {3.0, 0.05}, {0.05, 3.0}, {slider(31), slider(32)}, {slider(22), slider(21)},
    };
    for (const auto& t : tones)
        for (const auto& m : moves) {
            const double steady = std::max(PeakAfter(t.band, t.freq, m.from, 0), PeakAfter(t.band, t.freq, m.to, 0));
            const double limit = std::max(2.0 * steady, std::pow(10.0, -70.0 / 20));
            const double peak = PeakAfter(t.band, t.freq, m.from, m.to);
            EXPECT_LE(peak, limit) << t.freq << " Hz, " << m.from << " -> " << m.to << ": "
                                   << 20 * std::log10(peak) << " dBFS";
        }
}

} // namespace
