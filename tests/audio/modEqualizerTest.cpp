// The equalizer chain on the engine's system.
#include "audio/modEqualizer.h"

#include "../sound/SoundTestUtil.h"
#include "audio/fmodAudio.h"
#include "sound/System.h"

#include <gtest/gtest.h>

#include <array>

using namespace soundtest;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;

class Equalizer : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAudioOutput({snd::OutputConfig::Kind::Offline, kRate, kBlock});
        ASSERT_TRUE(InitAudio());
        InitEqualizer();
    }
    void TearDown() override
    {
        RemoveEqualizer();
        EXPECT_TRUE(CloseAudio());
        SetAudioOutput({});
    }
    float Param(int band, int index)
    {
        float v = -1;
        EXPECT_EQ(AudioSystem()->GetUnitParameter(EqUnit(band), index, &v), snd::Result::Ok);
        return v;
    }
    // Level of a 1920 Hz tone (band 9's centre) on the output.
    double Level()
    {
        const std::string file = Tone(dir, "t.wav", FixtureFormat::Wav, 0.25, 1920.0, kRate);
        PlayFile(QString::fromStdString(file), 0, 1, 0, 0, 16384);  // headroom for the boost
        UpdateFades();
        const auto out = Render(*AudioSystem(), kRate / 5);
        return ToneAmplitude(out, 0, 1920.0, kRate, 4800, 4800);
    }
    ScratchDir dir;
};

TEST_F(Equalizer, SeventeenBandsStartFlatAtTheirCentres)
{
    for (int band = 0; band < kEqBands; ++band) {
        SCOPED_TRACE(band);
        EXPECT_NE(EqUnit(band), 0u);
        // Band 16 (about 28.4 kHz) is beyond the unit's range and keeps 8000 Hz.
        EXPECT_EQ(Param(band, 0), band == 16 ? 8000.0f : static_cast<float>(EqBandCentre(band)));
        EXPECT_EQ(Param(band, 1), 1.0f);
        EXPECT_EQ(Param(band, 2), 1.0f);
    }
    EXPECT_EQ(EqBandCentre(0), 60.0);
    EXPECT_EQ(EqBandCentre(9), 1920.0);
    EXPECT_NEAR(EqBandCentre(16), 28442.87, 0.01);
}

TEST_F(Equalizer, SetBandGainWritesBackTheGainInForce)
{
    struct Case {
        float sent, held;
    } cases[] = {{3.0f, 3.0f}, {0.0f, 3.0f}, {-1.0f, 3.0f}, {0.05f, 0.05f}, {7.0f, 0.05f}, {1.0f, 1.0f}};
    for (const Case& k : cases) {
        float g = k.sent;
        SetBandGain(4, g);
        EXPECT_EQ(g, k.held) << k.sent;
    }
}

TEST_F(Equalizer, ChainActsOnTheOutputUntilRemoved)
{
    const double flat = Level();
    float g = 3.0f;
    SetBandGain(9, g);
    EXPECT_NEAR(Level() / flat, 3.0, 0.1);
    RemoveEqualizer();
    EXPECT_NEAR(Level(), flat, 1e-4);
}

TEST_F(Equalizer, StoredSliderPositionsComeBackAtStart)
{
    EXPECT_DOUBLE_EQ(EqSliderGain(0), 3.0);
    EXPECT_DOUBLE_EQ(EqSliderGain(32), 0.05);
    EXPECT_DOUBLE_EQ(EqSliderGain(21), 1.0640625);
    EXPECT_DOUBLE_EQ(EqSliderGain(16), 1.525);

    std::array<float, 17> positions;
    positions.fill(21.0f);
    positions[2] = 0.0f;
    positions[15] = 32.0f;
    positions[7] = 40.0f;   // out of the slider's range: no gain, the band stays flat
    positions[16] = 0.0f;   // no slider: never restored
    RestoreEqGains(positions);
    for (int band = 0; band < kEqBands; ++band) {
        const float expected = band == 2 ? 3.0f : band == 15 ? 0.05f : 1.0f;
        EXPECT_EQ(Param(band, 2), expected) << band;
    }
}

TEST(EqualizerWithoutSystem, EveryCallFailsQuietly)
{
    InitEqualizer();
    float g = 2.0f;
    SetBandGain(3, g);
    EXPECT_EQ(g, 2.0f);
    EXPECT_EQ(EqUnit(3), 0u);
    RemoveEqualizer();
}

} // namespace
