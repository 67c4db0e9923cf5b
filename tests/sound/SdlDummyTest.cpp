// The real output path (SDL's audio thread calling the mixer) on SDL's silent
// "dummy" driver, which keeps time like a device.
#include "SoundTestUtil.h"

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace snd;
using namespace soundtest;

namespace {

TEST(SdlDummy, ToneRunsThroughTheCallbackToItsEnd)
{
    QTemporaryDir dir;
    System sys;
    ASSERT_EQ(sys.Init(32), Result::Ok);
    int rate = 0;
    ASSERT_EQ(sys.GetOutputFormat(&rate, nullptr), Result::Ok);
    const ChannelHandle c = Start(sys, Tone(dir, "tone.wav", FixtureFormat::Wav, 0.3, 1000.0, rate));

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool playing = true, heard = false;
    uint32_t last = 0, ms = 0;
    // Polled like the display timer; the bound only keeps a broken run from hanging.
    while (playing && Clock::now() - start < std::chrono::seconds(20)) {
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
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
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
    int channels = 0;
    EXPECT_EQ(sys.Init(32), Result::Ok);
    EXPECT_EQ(sys.GetOutputFormat(nullptr, &channels), Result::Ok);
    EXPECT_EQ(channels, 2);
    sys.Close();
    before ? setenv("SDL_AUDIODRIVER", saved.c_str(), 1) : unsetenv("SDL_AUDIODRIVER");
}

} // namespace
