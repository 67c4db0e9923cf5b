// The playback engine over the offline backend, with the clock in the test's hand.
#include "audio/fmodAudio.h"
#include "audio/EngineAccess.h"

#include "../sound/SoundTestUtil.h"
#include "core/Clock.h"
#include "tests/support/EngineTest.h"

using namespace soundtest;

namespace {

class Engine : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        SetMonotonicClock([this] { return now; });
        ASSERT_TRUE(InitAudio());
    }
    void Play(const std::string& file, int slot, int32_t fade, int32_t volume)
    {
        PlayFile(QString::fromStdString(file), slot, 1 - slot, fade, fade, volume);
    }
    // One audio tick: the clock moves 10 ms, the fades move, 10 ms are mixed.
    std::vector<float> Tick()
    {
        now += 0.01;
        UpdateFades();
        return Render(*AudioSystem(), kBlock);
    }
    static double Level(const std::vector<float>& w, double freq) { return ToneAmplitude(w, 0, freq, 0, kBlock); }

    QTemporaryDir dir;
    std::string a = Tone(dir, "a.wav", FixtureFormat::Wav, 4.0, 1000.0);
    std::string b = Tone(dir, "b.wav", FixtureFormat::Wav, 4.0, 3000.0);
    double now = 86399.5;  // just before midnight: the clock is monotonic, fades go on
};

TEST_F(Engine, CrossfadeIsLinearPerTickThenFadeTimeZeroSwitchesAtOnce)
{
    Play(a, 0, 0, 32768);
    for (int k = 0; k < 5; ++k) Tick();
    const snd::StreamHandle oldSound = AudioSlotState(0).Sound;

    const int32_t target = 20000;
    Play(b, 1, 2, target);
    UpdateFades();
    for (int k = 1; k <= 200; ++k) {
        const auto w = Tick();
        // The volume ramps within the tick from its value at k - 1 to that at k.
        const double mid = (k - 0.5) / 200.0;
        ASSERT_NEAR(Level(w, 1000.0), kAmp * (1.0 - mid), 2e-3) << "tick " << k;
        ASSERT_NEAR(Level(w, 3000.0), kAmp * target / 32768.0 * mid, 2e-3) << "tick " << k;
        ASSERT_TRUE(k == 200 || AudioSlotState(0).Sound != 0) << "released early, tick " << k;
    }
    // The fade is over at the first tick with p >= 1: this one, or the next
    // when the clock's sum rounds just below.
    const auto after = Tick();
    EXPECT_NEAR(Level(after, 1000.0), 0.0, 1e-6);
    EXPECT_NEAR(Level(after, 3000.0), kAmp * target / 32768.0, 1e-3);
    EXPECT_EQ(AudioSlotState(0).Sound, 0u);
    EXPECT_EQ(AudioSlotState(0).Channel, 0u);
    EXPECT_EQ(AudioSystem()->ReleaseStream(oldSound), snd::Result::InvalidHandle);
    EXPECT_EQ(ChannelVolume(-1, 1), target);

    Play(a, 0, 0, 32768);
    UpdateFades();
    EXPECT_EQ(AudioSlotState(1).Sound, 0u);
    EXPECT_EQ(ChannelVolume(-1, 0), 32768);
    Tick();  // the old title ramps out within this block, the new one in
    const auto w = Tick();
    EXPECT_NEAR(Level(w, 3000.0), 0.0, 1e-4);  // the 1 kHz tone's quantisation has a trace at 3 kHz
    EXPECT_NEAR(Level(w, 1000.0), kAmp, 1e-3);
}

TEST_F(Engine, FadeFollowsTheClockWithItsFractionAndKeepsAFadeToSilence)
{
    struct Case {
        double elapsed;
        int32_t target, volume;
    } cases[] = {{-5.0, 32768, 0},     {0.0, 32768, 0},     {0.25, 32768, 4096}, {1.0, 32768, 16384},
                 {1.5, 32768, 24576}, {2.0, 32768, 32768}, {3600.0, 32768, 32768}, {2.0, 0, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.elapsed);
        const double start = now;
        const snd::ChannelHandle replaced = AudioSlotState(0).Channel;
        Play(a, 0, 2, k.target);  // the first title: slot 1 is empty
        now = start + k.elapsed;
        UpdateFades();
        bool on = false;
        EXPECT_EQ(AudioSystem()->IsPlaying(replaced, &on), snd::Result::InvalidHandle);  // the slot's last title
        EXPECT_EQ(ChannelVolume(-1, 0), k.volume);
        EXPECT_EQ(AudioSlotState(0).Fading, k.elapsed < 2.0);
        EXPECT_TRUE(ChannelIsPlaying(0));  // a fade-in, also to 0, keeps its title
        EXPECT_EQ(AudioSlotState(1).Sound, 0u);
        EXPECT_EQ(AudioSlotState(1).Channel, 0u);
        now = start + 10.0;
    }
}

TEST_F(Engine, VolumeRoundTripIsExactForEveryStep)
{
    Play(a, 0, 0, 32768);
    for (int n = 0; n <= 32768; ++n) ASSERT_EQ(ChannelVolume(static_cast<float>(n), 0), n);
}

TEST_F(Engine, PositionPauseAndStop)
{
    Play(a, 0, 0, 32768);
    EXPECT_DOUBLE_EQ(ChannelPosition(1.5, 0), 1.5);
    Tick();
    EXPECT_DOUBLE_EQ(ChannelPosition(-1, 0), 1.51);
    EXPECT_EQ(GetPositionText(0), "00:02");

    EXPECT_EQ(ChannelPaused(1, 0), 1);
    EXPECT_EQ(ChannelPaused(-1, 0), 1);
    Tick();
    EXPECT_TRUE(ChannelIsPlaying(0));
    EXPECT_EQ(ChannelPaused(0, 0), 0);

    StopSound(0);
    EXPECT_EQ(AudioSlotState(0).Sound, 0u);
    EXPECT_FALSE(ChannelIsPlaying(0));
    EXPECT_EQ(ChannelPosition(-1, 0), -1);
}

TEST_F(Engine, WithoutATitleOrASystemCallsAnswerQuietly)
{
    const auto quiet = [](int slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(AudioSlotState(slot).Sound, 0u);
        EXPECT_EQ(AudioSlotState(slot).Channel, 0u);
        EXPECT_EQ(ChannelVolume(1000, slot), 0);
        EXPECT_EQ(ChannelPosition(3, slot), -1);
        EXPECT_EQ(ChannelPaused(-1, slot), -1);
        EXPECT_FALSE(ChannelIsPlaying(slot));
        EXPECT_EQ(GetPositionText(slot), "00:00");
        StopSound(slot);
    };
    // Slot 0's file cannot be opened, slot 1 was never used.
    Play(dir.filePath("missing.mp3").toStdString(), 0, 0, 32768);
    UpdateFades();
    quiet(0);
    quiet(1);
    float mag[512];
    EXPECT_TRUE(AudioSystemExists());
    EXPECT_EQ(OutputChannelCount(), 2);
    EXPECT_TRUE(GetSpectrum(1, mag));
    EXPECT_FALSE(GetSpectrum(2, mag));
    EXPECT_FALSE(InitAudio());  // one system

    // Closed while a title plays (the fixture closes again: then there is nothing to do).
    Play(a, 0, 0, 32768);
    EXPECT_TRUE(CloseAudio());
    EXPECT_FALSE(AudioSystemExists());
    EXPECT_EQ(OutputChannelCount(), 0);
    EXPECT_FALSE(GetSpectrum(0, mag));
    Play(a, 0, 0, 32768);
    UpdateFades();
    quiet(0);
    quiet(1);
}

TEST(FormatDuration, MinutesAndSecondsRoundedHalfToEven)
{
    const std::pair<double, const char*> cases[] = {
        {119.6, "02:00"}, {59, "00:59"},     {0.5, "00:00"},    {1.5, "00:02"},  {2.5, "00:02"},          {59.5, "01:00"},
        {3600, "60:00"},  {6000, "100:00"}, {-1, "00:00"},     {-0.4, "00:00"}, {std::nan(""), "00:00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), QString(text)) << seconds;
}

} // namespace
