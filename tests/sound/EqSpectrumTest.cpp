// EQ unit parameters and the spectrum of the offline output. What the units
// do to the sound is measured through the equalizer chain in tests/audio.
#include "SoundTestUtil.h"

using namespace snd;
using namespace soundtest;

namespace {

TEST(Eq, ParametersOutOfRangeAreRefusedAndTheOldValueKept)
{
    System sys;
    UnitHandle u = 0;
    ASSERT_EQ(sys.Init(32, kOffline), Result::Ok);
    ASSERT_EQ(sys.CreateEqUnit(&u), Result::Ok);
    struct Case {
        int index;
        float initial, low, high, below, above;
    } cases[] = {{0, 8000.0f, 20.0f, 22000.0f, 19.9f, 28442.87f},
                 {1, 1.0f, 0.2f, 5.0f, 0.19f, 5.01f},
                 {2, 1.0f, 0.05f, 3.0f, 0.0f, 3.01f}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.index);
        const auto get = [&] {
            float v = -1;
            EXPECT_EQ(sys.GetUnitParameter(u, k.index, &v), Result::Ok);
            return v;
        };
        EXPECT_EQ(get(), k.initial);
        for (float bad : {k.below, k.above, std::nanf("")}) {
            EXPECT_EQ(sys.SetUnitParameter(u, k.index, bad), Result::InvalidParam);
            EXPECT_EQ(get(), k.initial);
        }
        for (float good : {k.low, k.high}) {
            EXPECT_EQ(sys.SetUnitParameter(u, k.index, good), Result::Ok);
            EXPECT_EQ(get(), good);
        }
    }
    EXPECT_EQ(sys.SetUnitParameter(u, 3, 1.0f), Result::InvalidParam);
    EXPECT_EQ(sys.AddUnit(0), Result::InvalidHandle);
}

TEST(Spectrum, ToneShowsInItsBinOnEachChannel)
{
    QTemporaryDir dir;
    System sys;
    ASSERT_EQ(sys.Init(32, kOffline), Result::Ok);
    Start(sys, Tone(dir, "t.wav", FixtureFormat::Wav, 0.25, 1000.0));
    Render(sys, 4 * kBlock);
    float mag[System::kSpectrumBins] = {};
    for (int ch = 0; ch < 2; ++ch) {
        ASSERT_EQ(sys.GetSpectrum(ch, mag), Result::Ok);
        EXPECT_EQ(std::max_element(mag, mag + System::kSpectrumBins) - mag, 21) << ch;  // 1000 * 1024 / 48000 = 21.3
        EXPECT_NEAR(mag[21], 0.5, 0.15);
        EXPECT_LT(mag[100], 0.01f);
    }
    EXPECT_EQ(sys.GetSpectrum(2, mag), Result::InvalidParam);
}

} // namespace
