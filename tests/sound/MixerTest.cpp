// The mixer alone, fed by a scripted source, so a decoder that lags can be
// made to underrun at an exact frame.
#include "sound/Mixer.h"
#include "sound/Source.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

using namespace snd;

namespace {

constexpr int kBlock = 100;

// Plays pieces of constant frames; a piece of 0 frames is one underrun.
class ScriptedSource : public Source {
public:
    explicit ScriptedSource(std::deque<int> pieces) : pieces_(std::move(pieces)) {}

    uint32_t RequestSeek(int64_t) override { return 0; }
    State Peek(uint32_t, const float** samples, int* frames) override
    {
        if (pieces_.empty()) return State::Ended;
        if (pieces_.front() == 0) {
            pieces_.pop_front();
            return State::Underrun;
        }
        ones_.assign(2 * size_t(pieces_.front()), 1.0f);
        *samples = ones_.data();
        *frames = pieces_.front();
        return State::Data;
    }
    void Consume(int frames) override
    {
        if ((pieces_.front() -= frames) == 0) pieces_.pop_front();
    }
    void WaitForData() override {}

private:
    std::deque<int> pieces_;
    std::vector<float> ones_;
};

// The left channel of one block, as a device would take it.
std::vector<float> Block(Mixer& mixer)
{
    std::vector<float> out(2 * kBlock);
    mixer.Mix(out.data(), kBlock, false);
    std::vector<float> left(kBlock);
    for (int i = 0; i < kBlock; ++i) left[size_t(i)] = out[2 * size_t(i)];
    return left;
}

// A block cut short by an underrun leaves the volume ramp where the sound
// stopped; the next block goes on from there instead of jumping.
TEST(Mixer, RampResumesWhereAnUnderrunStoppedIt)
{
    const struct {
        const char* name;
        float volume;      // set after a first, whole block at full volume (none: a fresh start)
        int beforeGap;     // frames of sound before the underrun
        float resumesAt;   // gain of the first frame after the gap
    } cases[] = {
        {"ramp in from a fresh start", -1.0f, 40, 0.406f},
        {"ramp in, no frame before the gap", -1.0f, 0, 0.01f},
        {"ramp down to half", 0.5f, 50, 0.7475f},
        {"no ramp", 1.0f, 30, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool warm = c.volume >= 0;
        std::deque<int> pieces{0, 10 * kBlock};
        if (c.beforeGap) pieces.push_front(c.beforeGap);
        if (warm) pieces.push_front(kBlock);
        Mixer mixer(48000, 4);
        ChannelHandle channel = 0;
        ASSERT_EQ(mixer.Start(std::make_shared<ScriptedSource>(pieces), false, &channel), Result::Ok);
        const float target = warm ? c.volume : 1.0f;
        if (warm) {
            Block(mixer);
            ASSERT_EQ(mixer.SetVolume(channel, c.volume), Result::Ok);
        }
        const std::vector<float> cut = Block(mixer);
        for (int i = c.beforeGap; i < kBlock; ++i) ASSERT_EQ(cut[size_t(i)], 0.0f) << i;
        const std::vector<float> next = Block(mixer);
        EXPECT_NEAR(next.front(), c.resumesAt, 1e-5);
        EXPECT_NEAR(next.back(), target, 1e-5);
        EXPECT_NEAR(Block(mixer).front(), target, 1e-5);
    }
}

} // namespace
