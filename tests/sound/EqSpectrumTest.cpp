// The EQ units and the spectrum, measured on the offline output.
#include "SoundTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace snd;
using namespace soundtest;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;

// A system with the 17 bands the equalizer builds (centre 60 * 2^(i/1.8) Hz).
struct Rig {
    explicit Rig(bool withBands = true)
    {
        EXPECT_EQ(sys.Init(32, {OutputConfig::Kind::Offline, kRate, kBlock}), Result::Ok);
        for (int i = 0; withBands && i < 17; ++i) {
            EXPECT_EQ(sys.CreateEqUnit(&band[i]), Result::Ok);
            sys.SetUnitParameter(band[i], 0, static_cast<float>(60.0 * std::pow(2.0, i / 1.8)));
            sys.SetUnitParameter(band[i], 1, 1.0f);
            EXPECT_EQ(sys.AddUnit(band[i]), Result::Ok);
        }
    }
    // The fixture's half-scale tone at half volume leaves room for a +9.5 dB boost.
    std::vector<float> Play(const std::string& file, int frames, float volume = 0.5f)
    {
        StreamHandle s = 0;
        ChannelHandle c = 0;
        EXPECT_EQ(sys.CreateStream(file, &s), Result::Ok);
        EXPECT_EQ(sys.Play(s, false, &c), Result::Ok);
        sys.SetVolume(c, volume);
        return Render(sys, frames);
    }
    System sys;
    UnitHandle band[17] = {};
};

// Level of a tone through the rig, in dB against the same tone without EQ.
double GainDb(ScratchDir& dir, double freq, float band9Gain)
{
    const std::string file = Tone(dir, "t" + std::to_string(int(freq)) + ".wav", FixtureFormat::Wav, 0.5, freq, kRate);
    Rig flat(false), eq;
    EXPECT_EQ(eq.sys.SetUnitParameter(eq.band[9], 2, band9Gain), Result::Ok);
    const auto ref = flat.Play(file, kRate / 2);
    const auto out = eq.Play(file, kRate / 2);
    // 9600 frames from 0.1 s on: whole periods of every test frequency, filter settled.
    return 20.0 * std::log10(ToneAmplitude(out, 0, freq, kRate, 4800, 9600) / ToneAmplitude(ref, 0, freq, kRate, 4800, 9600));
}

TEST(Eq, PeakingBandBoostsItsCentreAndLeavesTwoOctavesAwayFlat)
{
    ScratchDir dir;
    EXPECT_NEAR(GainDb(dir, 1920.0, 3.0f), 9.54, 0.3);
    EXPECT_NEAR(GainDb(dir, 480.0, 3.0f), 0.0, 0.5);
    EXPECT_NEAR(GainDb(dir, 7680.0, 3.0f), 0.0, 0.5);
    EXPECT_NEAR(GainDb(dir, 1920.0, 0.05f), -26.02, 0.3);
}

TEST(Eq, AllGainsOneIsBitExact)
{
    ScratchDir dir;
    const std::string file = Tone(dir, "t.wav", FixtureFormat::Wav, 0.25, 1000.0, kRate);
    Rig flat(false), eq;
    // Through a boost and back: the band is bypassed again, not merely close.
    eq.sys.SetUnitParameter(eq.band[3], 2, 3.0f);
    eq.sys.SetUnitParameter(eq.band[3], 2, 1.0f);
    EXPECT_TRUE(flat.Play(file, kRate / 4) == eq.Play(file, kRate / 4));
}

TEST(Eq, ParametersOutOfRangeAreRefusedAndTheOldValueKept)
{
    Rig rig(false);
    UnitHandle u = 0;
    ASSERT_EQ(rig.sys.CreateEqUnit(&u), Result::Ok);
    struct Case {
        int index;
        float initial, low, high, below, above;
    } cases[] = {{0, 8000.0f, 20.0f, 22000.0f, 19.9f, 28442.87f},
                 {1, 1.0f, 0.2f, 5.0f, 0.19f, 5.01f},
                 {2, 1.0f, 0.05f, 3.0f, 0.0f, 3.01f}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.index);
        float v = -1;
        EXPECT_EQ(rig.sys.GetUnitParameter(u, k.index, &v), Result::Ok);
        EXPECT_EQ(v, k.initial);
        for (float bad : {k.below, k.above, std::nanf("")}) {
            EXPECT_EQ(rig.sys.SetUnitParameter(u, k.index, bad), Result::InvalidParam);
            rig.sys.GetUnitParameter(u, k.index, &v);
            EXPECT_EQ(v, k.initial);
        }
        for (float good : {k.low, k.high}) {
            EXPECT_EQ(rig.sys.SetUnitParameter(u, k.index, good), Result::Ok);
            rig.sys.GetUnitParameter(u, k.index, &v);
            EXPECT_EQ(v, good);
        }
    }
    float v;
    EXPECT_EQ(rig.sys.SetUnitParameter(u, 3, 1.0f), Result::InvalidParam);
    EXPECT_EQ(rig.sys.GetUnitParameter(0, 2, &v), Result::InvalidHandle);
    EXPECT_EQ(rig.sys.AddUnit(0), Result::InvalidHandle);
}

TEST(Eq, TopBandKeepsItsCentreAndTheOutputFinite)
{
    ScratchDir dir;
    const std::string file = Tone(dir, "t.wav", FixtureFormat::Wav, 0.25, 8000.0, kRate);
    Rig rig;
    float centre = 0;
    rig.sys.GetUnitParameter(rig.band[16], 0, &centre);
    EXPECT_EQ(centre, 8000.0f);  // 28.4 kHz was refused
    for (int i = 0; i < 17; ++i) rig.sys.SetUnitParameter(rig.band[i], 2, 3.0f);
    const auto out = rig.Play(file, kRate / 4);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x) && std::abs(x) <= 1.0f; }));
}

TEST(Spectrum, ToneShowsInItsBinOnEachChannel)
{
    ScratchDir dir;
    const std::string file = Tone(dir, "t.wav", FixtureFormat::Wav, 0.25, 1000.0, kRate);
    Rig rig(false);
    rig.Play(file, 4 * kBlock, 1.0f);
    for (int ch = 0; ch < 2; ++ch) {
        float mag[System::kSpectrumBins] = {};
        ASSERT_EQ(rig.sys.GetSpectrum(ch, mag), Result::Ok);
        const int peak = static_cast<int>(std::max_element(mag, mag + System::kSpectrumBins) - mag);
        EXPECT_EQ(peak, 21) << ch;  // 1000 Hz * 1024 / 48000 = 21.3
        EXPECT_NEAR(mag[21], 0.5, 0.15);
        EXPECT_LT(mag[100], 0.01f);
    }
    float mag[System::kSpectrumBins];
    EXPECT_EQ(rig.sys.GetSpectrum(2, mag), Result::InvalidParam);
    int rate = 0, channels = 0;
    EXPECT_EQ(rig.sys.GetOutputFormat(&rate, &channels), Result::Ok);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, kRate);
}

} // namespace
