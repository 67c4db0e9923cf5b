// The equalizer chain on the engine's system, measured on its output.
#include "audio/modEqualizer.h"
#include "audio/EngineAccess.h"

#include "../sound/SoundTestUtil.h"
#include "audio/fmodAudio.h"
#include "tests/support/EngineTest.h"

#include <array>

using namespace soundtest;

namespace {

// Sends a gain (0 only asks); returns the gain in force.
float Gain(int band, float gain)
{
    SetBandGain(band, gain);
    return gain;
}

class Equalizer : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_TRUE(InitAudio());
        InitEqualizer();
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

TEST_F(Equalizer, BandNineActsAtItsCentreOnly)
{
    // Band 9 is centred on 1920 Hz; two octaves away it leaves the sound flat.
    const struct {
        double freq;
        float gain;
        double db, tolerance;
    } cases[] = {{1920, 3.0f, 9.54, 0.3}, {480, 3.0f, 0, 0.5}, {7680, 3.0f, 0, 0.5}, {1920, 0.05f, -26.02, 0.3}};
    for (auto k : cases) {
        Gain(9, 1.0f);
        const double flat = Level(k.freq);
        EXPECT_EQ(Gain(9, k.gain), k.gain);
        EXPECT_NEAR(20.0 * std::log10(Level(k.freq) / flat), k.db, k.tolerance) << k.freq << " Hz at " << k.gain;
    }
    EXPECT_EQ(Gain(9, 7.0f), 0.05f);  // refused: the gain in force comes back
    EXPECT_EQ(Gain(9, 0.0f), 0.05f);
}

TEST_F(Equalizer, AtGainOneOrRemovedTheOutputIsBitExact)
{
    // Through a boost and back: the band is bypassed again, not merely close.
    Gain(3, 3.0f);
    Out(1000);
    Gain(3, 1.0f);
    const auto flat = Out(1000);
    Gain(3, 3.0f);
    RemoveEqualizer();
    EXPECT_TRUE(Out(1000) == flat);
}

TEST_F(Equalizer, AllBandsAtFullBoostKeepTheOutputFinite)
{
    float centre = 0;
    AudioSystem()->GetUnitParameter(EqUnit(16), 0, &centre);
    EXPECT_EQ(centre, 8000.0f);  // its 28.4 kHz is beyond the unit's range
    for (int band = 0; band < kEqBands; ++band) Gain(band, 3.0f);
    const auto out = Out(8000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x) && std::abs(x) <= 1.0f; }));
}

TEST_F(Equalizer, StoredSliderPositionsComeBackAtStart)
{
    // The factory default 21 stays at gain 1 (not 1.064); 40 is beyond the
    // slider (no gain); band 16 has no slider and is never restored.
    const std::array<float, 17> positions{21, 21, 0, 21, 21, 16, 21, 40, 21, 21, 21, 21, 21, 21, 21, 32, 0};
    const std::array<float, 17> gains{1, 1, 3, 1, 1, 1.525f, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.05f, 1};
    RestoreEqGains(positions);
    for (int band = 0; band < kEqBands; ++band) EXPECT_EQ(Gain(band, 0.0f), gains[band]) << band;
}

using EqualizerWithoutSystem = EngineTest;

TEST_F(EqualizerWithoutSystem, EveryCallFailsQuietly)
{
    InitEqualizer();
    EXPECT_EQ(Gain(3, 2.0f), 2.0f);
    EXPECT_EQ(EqUnit(3), 0u);
}

} // namespace
