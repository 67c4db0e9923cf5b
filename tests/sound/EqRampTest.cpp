// A gain change must not click: the peak fourth difference of a tone through
// one band, over the two blocks after the change, against the steady levels.
#include "SoundTestUtil.h"
#include "sound/ParametricEq.h"

using namespace snd;
using namespace soundtest;

namespace {

// Gain of equalizer slider position p (0..32).
double SliderGain(double p) { return (1.0 - p / 32.0) * 2.95 + 0.05; }

class ToneThroughBand {
public:
    ToneThroughBand(int band, double freq) : freq_(freq)
    {
        eq_.Set(ParametricEq::Centre, float(60.0 * std::pow(2.0, band / 1.8)));
        eq_.Set(ParametricEq::Bandwidth, 1.0f);
    }
    void Set(double gain) { eq_.Set(ParametricEq::Gain, float(gain)); }
    // Runs blocks and returns the peak fourth difference over them, the
    // block's edge with what came before included.
    double Run(int blocks)
    {
        double peak = 0;
        for (int b = 0; b < blocks; ++b) {
            std::vector<float> x(2 * kBlock);
            for (int i = 0; i < kBlock; ++i, ++n_)
                x[2 * i] = x[2 * i + 1] = float(kAmp * std::sin(2 * std::numbers::pi * freq_ * double(n_) / kRate));
            ParametricEq* units[] = {&eq_};
            ParametricEq::ProcessChain(units, x.data(), kBlock);
            for (int i = 0; i < kBlock; ++i) {
                std::copy(last_ + 1, last_ + 5, last_);
                last_[4] = x[2 * i];
                if (n_ - kBlock + i < 4) continue;
                peak = std::max(peak, std::abs(last_[4] - 4 * last_[3] + 6 * last_[2] - 4 * last_[1] + last_[0]));
            }
        }
        return peak;
    }

private:
    ParametricEq eq_{kRate};
    double freq_;
    int64_t n_ = 0;
    double last_[5] = {};
};

double Db(double v) { return 20 * std::log10(v); }

TEST(EqRamp, GainChangesStayNearTheSteadyLevel)
{
    const struct { int band; double freq; } tones[] = {{0, 60}, {2, 129}, {7, 1000}};
    const struct { double from, to; } moves[] = {
        {1.0, 3.0}, {3.0, 0.05}, {0.05, 3.0}, {SliderGain(31), SliderGain(32)}, {SliderGain(22), SliderGain(21)},
    };
    constexpr int kSettle = 60;
    auto steady = [&](int band, double freq, double gain) {
        ToneThroughBand t(band, freq);
        t.Set(gain);
        t.Run(kSettle);
        return t.Run(2);
    };
    for (const auto& tone : tones)
        for (const auto& m : moves) {
            ToneThroughBand t(tone.band, tone.freq);
            t.Set(m.from);
            t.Run(kSettle);
            t.Set(m.to);
            const double peak = t.Run(2);
            const double limit = std::max(2.0 * std::max(steady(tone.band, tone.freq, m.from),
                                                         steady(tone.band, tone.freq, m.to)),
                                          std::pow(10.0, -70.0 / 20));
            EXPECT_LE(peak, limit) << tone.freq << " Hz, " << m.from << " -> " << m.to << ": " << Db(peak)
                                   << " dBFS against " << Db(limit);
        }
}

TEST(EqRamp, BackAtGainOneTheBandPassesItsInputBitForBit)
{
    ParametricEq eq(kRate);
    eq.Set(ParametricEq::Centre, 1000.0f);
    eq.Set(ParametricEq::Gain, 3.0f);
    std::vector<float> x(2 * kBlock, 0.25f);
    ParametricEq* units[] = {&eq};
    ParametricEq::ProcessChain(units, x.data(), kBlock);
    eq.Set(ParametricEq::Gain, 1.0f);
    EXPECT_FALSE(eq.Bypassed());  // the block after the change moves it back
    ParametricEq::ProcessChain(units, x.data(), kBlock);
    EXPECT_TRUE(eq.Bypassed());
    const std::vector<float> in(2 * kBlock, 0.125f);
    x = in;
    ParametricEq::ProcessChain(units, x.data(), kBlock);
    EXPECT_EQ(x, in);
}

} // namespace
