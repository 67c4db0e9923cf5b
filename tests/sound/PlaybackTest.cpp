// Streams and channels on the offline backend: ends, positions, seeking,
// pausing, stopping, and calls on dead handles.
#include "SoundTestUtil.h"
#include "tests/support/ProgramTest.h"

#include <random>

using namespace snd;
using namespace soundtest;

namespace {

class Playback : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ASSERT_EQ(sys.Init(32, kOffline), Result::Ok);
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
    // Frame i of the 1 kHz tone as its 16-bit file holds it.
    static float Expected(int64_t i)
    {
        return float(std::lrint(kAmp * std::sin(2 * std::numbers::pi * 1000.0 * double(i) / kRate) * 32767)) / 32768.0f;
    }

    QTemporaryDir dir;
    System sys;
    std::string tone = Tone(dir, "tone.wav", FixtureFormat::Wav, 1.0, 1000.0);
};

TEST_F(Playback, EndsAfterExactlyItsFramesWithPositionsPerBlock)
{
    const ChannelHandle c = Start(sys, tone);
    std::vector<float> all;
    for (int b = 0; b < 100; ++b) {
        ASSERT_TRUE(Playing(c)) << "block " << b;
        EXPECT_EQ(Position(c), uint32_t(10 * b));
        const auto block = Render(sys, kBlock);
        all.insert(all.end(), block.begin(), block.end());
    }
    // The last sample went out in block 99: the channel is over, not a block later.
    EXPECT_FALSE(Playing(c));
    for (int64_t i = kBlock; i < kRate; ++i) ASSERT_EQ(all[2 * i], Expected(i)) << "frame " << i;
    EXPECT_EQ(Peak(Render(sys, kBlock), 0, kBlock), 0.0);
}

TEST_F(Playback, SeekTakesEffectAtOnce)
{
    const ChannelHandle c = Start(sys, tone);
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
        const ChannelHandle d = Start(sys, tone);
        ASSERT_EQ(sys.SetPosition(d, ms), Result::Ok);
        EXPECT_EQ(Peak(Render(sys, kBlock), 0, kBlock), 0.0);
        EXPECT_FALSE(Playing(d)) << ms;
    }
}

TEST_F(Playback, PauseFreezesPositionAndStillCountsAsPlaying)
{
    const ChannelHandle c = Start(sys, tone);
    Render(sys, 5 * kBlock);
    ASSERT_EQ(sys.SetPaused(c, true), Result::Ok);
    Render(sys, kBlock);  // fades out over one block
    EXPECT_EQ(Position(c), 60u);
    EXPECT_EQ(Peak(Render(sys, 50 * kBlock), 0, 50 * kBlock), 0.0);
    EXPECT_EQ(Position(c), 60u);
    bool paused = false;
    EXPECT_EQ(sys.GetPaused(c, &paused), Result::Ok);
    EXPECT_TRUE(paused && Playing(c));

    ASSERT_EQ(sys.SetPaused(c, false), Result::Ok);
    Render(sys, kBlock);
    EXPECT_EQ(Position(c), 70u);
}

TEST_F(Playback, StopAndReleaseRampToSilenceWithinOneBlock)
{
    for (bool release : {false, true}) {
        StreamHandle s = 0;
        const ChannelHandle c = Start(sys, tone, &s);
        Render(sys, 5 * kBlock);
        ASSERT_EQ(release ? sys.ReleaseStream(s) : sys.Stop(c), Result::Ok);
        EXPECT_FALSE(Playing(c));  // the handle is dead at once
        const auto out = Render(sys, 2 * kBlock);
        for (int j = 0; j < kBlock; ++j) ASSERT_LE(std::abs(out[2 * j]), kAmp * (1.0 - (j + 1.0) / kBlock) + 1e-6) << j;
        EXPECT_GT(Peak(out, 0, kBlock / 4), kAmp * 0.5);  // it did sound at first
        EXPECT_EQ(Peak(out, kBlock, 2 * kBlock), 0.0);
        EXPECT_EQ(sys.ReleaseStream(s), release ? Result::InvalidHandle : Result::Ok);
    }
}

TEST_F(Playback, CallsOnDeadHandlesFailCleanly)
{
    StreamHandle released = 0, kept = 0;
    const ChannelHandle ofReleased = Start(sys, tone, &released);
    ASSERT_EQ(sys.ReleaseStream(released), Result::Ok);
    const ChannelHandle stopped = Start(sys, tone);
    ASSERT_EQ(sys.Stop(stopped), Result::Ok);
    const ChannelHandle ended = Start(sys, tone);
    ASSERT_EQ(sys.SetPosition(ended, 2000), Result::Ok);
    Render(sys, 2 * kBlock);  // frees the voices above for reuse
    const ChannelHandle live = Start(sys, tone, &kept);

    // None, of a released stream, stopped, ended, a stream handle, made up.
    for (ChannelHandle h : {ChannelHandle(0), ofReleased, stopped, ended, ChannelHandle(kept), ChannelHandle(0x2000FFFFu)}) {
        uint32_t ms;
        float vol;
        bool flag = true;
        for (Result r : {sys.GetPosition(h, &ms), sys.SetPosition(h, 0), sys.SetVolume(h, 1.0f), sys.GetVolume(h, &vol),
                         sys.SetPaused(h, true), sys.GetPaused(h, &flag), sys.Stop(h), sys.IsPlaying(h, &flag)})
            EXPECT_EQ(r, Result::InvalidHandle) << std::hex << h;
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
    std::mt19937 rng(7);
    QByteArray noise(65536, 0);
    for (char& b : noise) b = char(rng());
    ASSERT_TRUE(WriteRawFile(dir.filePath("text.mp3"), "Dies ist keine Musik.\n"));
    ASSERT_TRUE(WriteRawFile(dir.filePath("noise.mp3"), noise));
    const std::pair<std::string, Result> cases[] = {{"", Result::FileNotFound},
                                                    {dir.filePath("missing.mp3").toStdString(), Result::FileNotFound},
                                                    {dir.path().toStdString(), Result::FileUnreadable},
                                                    {dir.filePath("text.mp3").toStdString(), Result::FileUnreadable},
                                                    {dir.filePath("noise.mp3").toStdString(), Result::FileUnreadable}};
    for (const auto& [path, expected] : cases) {
        StreamHandle s = 123;
        EXPECT_EQ(sys.CreateStream(path, &s), expected) << path;
        EXPECT_EQ(s, 0u) << path;
    }
}

} // namespace
