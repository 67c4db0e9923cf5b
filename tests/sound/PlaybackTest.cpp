// Streams and channels on the offline backend: ends, positions, seeking,
// pausing, stopping, and calls on dead handles.
#include "SoundTestUtil.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace snd;
using namespace soundtest;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;  // 10 ms
constexpr double kAmp = 0.5;

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(sys.Init(32, {OutputConfig::Kind::Offline, kRate, kBlock}), Result::Ok);
        tone = Tone(dir, "tone.wav", FixtureFormat::Wav, 1.0, 1000.0, kRate);
    }
    ChannelHandle Start(const std::string& path, StreamHandle* stream = nullptr)
    {
        StreamHandle s = 0;
        ChannelHandle c = 0;
        EXPECT_EQ(sys.CreateStream(path, &s), Result::Ok);
        EXPECT_EQ(sys.Play(s, false, &c), Result::Ok);
        if (stream) *stream = s;
        return c;
    }
    bool Playing(ChannelHandle c)
    {
        bool p = true;
        sys.IsPlaying(c, &p);
        return p;
    }
    uint32_t Position(ChannelHandle c)
    {
        uint32_t ms = 0;
        EXPECT_EQ(sys.GetPosition(c, &ms), Result::Ok);
        return ms;
    }
    static float Expected(int64_t frame) { return ToneSample(frame, 1000.0, kRate) / 32768.0f; }

    ScratchDir dir;
    System sys;
    std::string tone;
};

TEST_F(Playback, EndsAfterExactlyItsFramesWithPositionsPerBlock)
{
    const ChannelHandle c = Start(tone);
    std::vector<float> all;
    for (int b = 0; b < 100; ++b) {
        ASSERT_TRUE(Playing(c)) << "block " << b;
        const auto block = Render(sys, kBlock);
        all.insert(all.end(), block.begin(), block.end());
        if (b < 99) {
            EXPECT_EQ(Position(c), uint32_t(10 * (b + 1)));
        }
    }
    // The last sample went out in block 99: the channel is over, not a block later.
    EXPECT_FALSE(Playing(c));
    for (int64_t i = kBlock; i < kRate; ++i) ASSERT_EQ(all[2 * i], Expected(i)) << "frame " << i;
    EXPECT_EQ(Peak(Render(sys, kBlock), 0, kBlock), 0.0);
}

TEST_F(Playback, SeekTakesEffectAtOnce)
{
    const ChannelHandle c = Start(tone);
    Render(sys, 10 * kBlock);
    ASSERT_EQ(sys.SetPosition(c, 500), Result::Ok);
    EXPECT_EQ(Position(c), 500u);
    const auto out = Render(sys, kBlock);
    for (int j = 0; j < kBlock; ++j) ASSERT_EQ(out[2 * j], Expected(kRate / 2 + j)) << j;
    EXPECT_EQ(Position(c), 510u);

    // Backwards, then to 1 ms before the end: 48 frames remain.
    ASSERT_EQ(sys.SetPosition(c, 0), Result::Ok);
    EXPECT_EQ(Render(sys, kBlock)[2 * 100], Expected(100));
    ASSERT_EQ(sys.SetPosition(c, 999), Result::Ok);
    const auto tail = Render(sys, kBlock);
    EXPECT_EQ(tail[2 * 47], Expected(kRate - 1));
    EXPECT_EQ(Peak(tail, 48, kBlock), 0.0);
    EXPECT_FALSE(Playing(c));

    // At or past the end: the title is over after the next block.
    for (uint32_t ms : {1000u, 5000u}) {
        const ChannelHandle d = Start(tone);
        ASSERT_EQ(sys.SetPosition(d, ms), Result::Ok);
        EXPECT_EQ(Peak(Render(sys, kBlock), 0, kBlock), 0.0);
        EXPECT_FALSE(Playing(d)) << ms;
    }
}

TEST_F(Playback, PauseFreezesPositionAndStillCountsAsPlaying)
{
    const ChannelHandle c = Start(tone);
    Render(sys, 5 * kBlock);
    ASSERT_EQ(sys.SetPaused(c, true), Result::Ok);
    Render(sys, kBlock);  // fades out over one block
    const uint32_t frozen = Position(c);
    EXPECT_EQ(frozen, 60u);
    const auto silent = Render(sys, 50 * kBlock);
    EXPECT_EQ(Peak(silent, 0, 50 * kBlock), 0.0);
    EXPECT_EQ(Position(c), frozen);
    bool paused = false;
    EXPECT_EQ(sys.GetPaused(c, &paused), Result::Ok);
    EXPECT_TRUE(paused);
    EXPECT_TRUE(Playing(c));

    ASSERT_EQ(sys.SetPaused(c, false), Result::Ok);
    Render(sys, kBlock);
    EXPECT_EQ(Position(c), frozen + 10);
}

TEST_F(Playback, StopAndReleaseRampToSilenceWithinOneBlock)
{
    for (bool release : {false, true}) {
        StreamHandle s = 0;
        const ChannelHandle c = Start(tone, &s);
        Render(sys, 5 * kBlock);
        ASSERT_EQ(release ? sys.ReleaseStream(s) : sys.Stop(c), Result::Ok);
        EXPECT_FALSE(Playing(c));  // the handle is dead at once
        const auto out = Render(sys, 2 * kBlock);
        for (int j = 0; j < kBlock; ++j) {
            const double envelope = 1.0 - (j + 1.0) / kBlock;
            ASSERT_LE(std::abs(out[2 * j]), kAmp * envelope + 1e-6) << j;
        }
        EXPECT_GT(Peak(out, 0, kBlock / 4), kAmp * 0.5);  // it did sound at first
        EXPECT_EQ(Peak(out, kBlock, 2 * kBlock), 0.0);
        if (!release) {
            EXPECT_EQ(sys.ReleaseStream(s), Result::Ok);
        }
    }
}

TEST_F(Playback, CallsOnDeadHandlesFailCleanly)
{
    StreamHandle released = 0, kept = 0;
    const ChannelHandle ofReleased = Start(tone, &released);
    ASSERT_EQ(sys.ReleaseStream(released), Result::Ok);
    const ChannelHandle stopped = Start(tone);
    ASSERT_EQ(sys.Stop(stopped), Result::Ok);
    const ChannelHandle ended = Start(tone);
    ASSERT_EQ(sys.SetPosition(ended, 2000), Result::Ok);
    Render(sys, 2 * kBlock);  // frees the voices above for reuse
    const ChannelHandle live = Start(tone, &kept);

    struct Case {
        const char* what;
        ChannelHandle handle;
    } cases[] = {{"none", 0},         {"of a released stream", ofReleased}, {"stopped", stopped},
                 {"ended", ended},    {"a stream handle", kept},            {"made up", 0x2000FFFFu}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        uint32_t ms = 7;
        float vol = 0;
        bool flag = true;
        EXPECT_EQ(sys.GetPosition(k.handle, &ms), Result::InvalidHandle);
        EXPECT_EQ(sys.SetPosition(k.handle, 0), Result::InvalidHandle);
        EXPECT_EQ(sys.SetVolume(k.handle, 1.0f), Result::InvalidHandle);
        EXPECT_EQ(sys.GetVolume(k.handle, &vol), Result::InvalidHandle);
        EXPECT_EQ(sys.SetPaused(k.handle, true), Result::InvalidHandle);
        EXPECT_EQ(sys.GetPaused(k.handle, &flag), Result::InvalidHandle);
        EXPECT_EQ(sys.Stop(k.handle), Result::InvalidHandle);
        EXPECT_EQ(sys.IsPlaying(k.handle, &flag), Result::InvalidHandle);
        EXPECT_FALSE(flag);
    }
    EXPECT_TRUE(Playing(live));  // reuses a freed slot; the old handles still fail
    EXPECT_EQ(sys.ReleaseStream(released), Result::InvalidHandle);
    ChannelHandle again = 0;
    EXPECT_EQ(sys.Play(released, false, &again), Result::InvalidHandle);
    EXPECT_EQ(sys.Play(kept, false, &again), Result::StreamBusy);
    EXPECT_EQ(again, 0u);

    ASSERT_EQ(sys.Close(), Result::Ok);
    bool flag = true;
    EXPECT_EQ(sys.IsPlaying(live, &flag), Result::NotInitialized);
    EXPECT_FALSE(flag);
    EXPECT_EQ(sys.ReleaseStream(kept), Result::InvalidHandle);
}

TEST_F(Playback, FilesThatAreNotAudioGiveNoStream)
{
    const std::string text = dir.File("notes.mp3"), noise = dir.File("noise.mp3");
    std::ofstream(text) << "Dies ist keine Musik.\n";
    std::mt19937 rng(7);
    std::ofstream f(noise, std::ios::binary);
    for (int i = 0; i < 65536; ++i) f.put(static_cast<char>(rng()));
    f.close();
    struct Case {
        std::string path;
        Result expected;
    } cases[] = {{"", Result::FileNotFound},
                 {dir.File("missing.mp3"), Result::FileNotFound},
                 {dir.File(""), Result::FileUnreadable},  // the folder itself
                 {text, Result::FileUnreadable},
                 {noise, Result::FileUnreadable}};
    for (const Case& k : cases) {
        StreamHandle s = 123;
        EXPECT_EQ(sys.CreateStream(k.path, &s), k.expected) << k.path;
        EXPECT_EQ(s, 0u) << k.path;
    }
}

} // namespace
