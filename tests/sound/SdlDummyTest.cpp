// The real output path (SDL's audio thread calling the mixer) on SDL's silent
// "dummy" driver, which keeps time like a device.
#include "SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace snd;
using namespace soundtest;

namespace {

TEST(SdlDummy, ToneRunsThroughTheCallbackToItsEnd)
{
    ScratchDir dir;
    System sys;
    ASSERT_EQ(sys.Init(32), Result::Ok);
    int rate = 0;
    ASSERT_EQ(sys.GetOutputFormat(&rate, nullptr), Result::Ok);
    const std::string tone = Tone(dir, "tone.wav", FixtureFormat::Wav, 0.3, 1000.0, rate);
    StreamHandle s = 0;
    ChannelHandle c = 0;
    ASSERT_EQ(sys.CreateStream(tone, &s), Result::Ok);
    ASSERT_EQ(sys.Play(s, false, &c), Result::Ok);

    const auto start = std::chrono::steady_clock::now();
    bool playing = true, heard = false;
    uint32_t last = 0;
    // Polled like the display timer; the bound only keeps a broken run from hanging.
    while (playing && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        uint32_t ms = 0;
        if (sys.GetPosition(c, &ms) == Result::Ok) {
            EXPECT_GE(ms, last);
            EXPECT_LE(ms, 300u);
            last = ms;
        }
        float mag[System::kSpectrumBins];
        sys.GetSpectrum(0, mag);
        heard = heard || mag[static_cast<int>(1000.0 * 1024 / rate + 0.5)] > 0.2f;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        sys.IsPlaying(c, &playing);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(playing);
    EXPECT_TRUE(heard);
    EXPECT_GT(last, 0u);
    // The pace is reported, not asserted: timings do not belong in a test.
    std::printf("dummy driver at %d Hz: 0.300 s of sound took %.3f s (%.1f%% of real time)\n", rate, elapsed,
                100.0 * 0.3 / elapsed);
    EXPECT_EQ(sys.Close(), Result::Ok);
}

TEST(SdlDummy, FallsBackToDummyWhenNoDriverOpens)
{
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before ? before : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    System sys;
    EXPECT_EQ(sys.Init(32), Result::Ok);
    int channels = 0;
    EXPECT_EQ(sys.GetOutputFormat(nullptr, &channels), Result::Ok);
    EXPECT_EQ(channels, 2);
    sys.Close();
    if (before)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

} // namespace
