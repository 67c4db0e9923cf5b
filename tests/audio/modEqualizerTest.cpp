// The equalizer chain on the engine's system, measured on its output.
#include "audio/modEqualizer.h"

#include "../sound/SoundTestUtil.h"
#include "audio/fmodAudio.h"

#include <array>

using namespace soundtest;

namespace {

class Equalizer : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAudioOutput(kOffline);
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
    // 0.3 s of a tone at half volume (room for a boost) through the chain.
    std::vector<float> Out(double freq)
    {
        StopSound(0);
        Render(*AudioSystem(), kBlock);  // the last title ramps out
        const QString name = QString("t%1.wav").arg(freq);
        PlayFile(QString::fromStdString(Tone(dir, name, FixtureFormat::Wav, 0.3, freq)), 0, 1, 0, 0, 16384);
        UpdateFades();
        return Render(*AudioSystem(), kRate * 3 / 10);
    }
    // From 0.1 s on, filter settled, 9600 frames: whole periods of every test tone.
    double Level(double freq) { return ToneAmplitude(Out(freq), 0, freq, 4800, 9600); }
    QTemporaryDir dir;
};

TEST_F(Equalizer, SetBandGainWritesBackTheGainInForce)
{
    const std::pair<float, float> cases[] = {{3.0f, 3.0f},   {0.0f, 3.0f},   {-1.0f, 3.0f},
                                             {0.05f, 0.05f}, {7.0f, 0.05f}, {1.0f, 1.0f}};
    for (auto [sent, held] : cases) {
        SetBandGain(4, sent);
        EXPECT_EQ(sent, held);
    }
}

TEST_F(Equalizer, BandNineActsAtItsCentreOnly)
{
    // Band 9 is centred on 1920 Hz; two octaves away it leaves the sound flat.
    const struct {
        double freq;
        float gain;
        double db, tolerance;
    } cases[] = {{1920, 3.0f, 9.54, 0.3}, {480, 3.0f, 0, 0.5}, {7680, 3.0f, 0, 0.5}, {1920, 0.05f, -26.02, 0.3}};
    for (auto k : cases) {
        float g = 1.0f;
        SetBandGain(9, g);
        const double flat = Level(k.freq);
        SetBandGain(9, k.gain);
        EXPECT_NEAR(20.0 * std::log10(Level(k.freq) / flat), k.db, k.tolerance) << k.freq << " Hz at " << k.gain;
    }
}

TEST_F(Equalizer, AtGainOneOrRemovedTheOutputIsBitExact)
{
    // Through a boost and back: the band is bypassed again, not merely close.
    float g = 3.0f;
    SetBandGain(3, g);
    Out(1000);
    g = 1.0f;
    SetBandGain(3, g);
    const auto flat = Out(1000);
    SetBandGain(3, g = 3.0f);
    RemoveEqualizer();
    EXPECT_TRUE(Out(1000) == flat);
}

TEST_F(Equalizer, AllBandsAtFullBoostKeepTheOutputFinite)
{
    EXPECT_EQ(Param(16, 0), 8000.0f);  // its 28.4 kHz is beyond the unit's range
    for (int band = 0; band < kEqBands; ++band) {
        float g = 3.0f;
        SetBandGain(band, g);
    }
    const auto out = Out(8000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x) && std::abs(x) <= 1.0f; }));
}

TEST_F(Equalizer, StoredSliderPositionsComeBackAtStart)
{
    std::array<float, 17> positions;
    positions.fill(21.0f);
    positions[2] = 0.0f;
    positions[5] = 16.0f;
    positions[15] = 32.0f;
    positions[7] = 40.0f;   // out of the slider's range: no gain, the band stays flat
    positions[16] = 0.0f;   // no slider: never restored
    RestoreEqGains(positions);
    for (int band = 0; band < kEqBands; ++band) {
        const float expected = band == 2 ? 3.0f : band == 5 ? 1.525f : band == 15 ? 0.05f : 1.0f;
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
