// Every format of the library plays to its end on the offline output.
// (Monkey's Audio has no encoder on this system, so it has no fixture here.)
#include "SoundTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace snd;
using namespace soundtest;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;

struct Format {
    const char* name;
    // Makes a 1.000 s 1 kHz tone at `path`; false when the format cannot be made here.
    std::function<bool(const std::string& path, ScratchDir& dir)> make;
    const char* extension;
};

bool MakeMusepack(const std::string& path, ScratchDir& dir)
{
    const std::string wav = dir.File("for-mpc.wav");
    WriteWavTone(wav, 44100, 44100, 1000.0, 0.5);
    const std::string cmd = "mpcenc --silent --overwrite '" + wav + "' '" + path + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

const Format kFormats[] = {
    {"WAV", [](const std::string& p, ScratchDir&) { WriteWavTone(p, kRate, kRate, 1000.0, 0.5); return true; }, "wav"},
    {"Musepack", MakeMusepack, "mpc"},
};

class EveryFormat : public ::testing::TestWithParam<Format> {};

TEST_P(EveryFormat, PlaysItsToneToTheEnd)
{
    ScratchDir dir;
    const Format& f = GetParam();
    const std::string file = dir.File(std::string("tone.") + f.extension);
    if (!f.make(file, dir)) GTEST_SKIP() << "no encoder for " << f.name;

    System sys;
    ASSERT_EQ(sys.Init(32, {OutputConfig::Kind::Offline, kRate, kBlock}), Result::Ok);
    StreamHandle s = 0;
    ChannelHandle c = 0;
    ASSERT_EQ(sys.CreateStream(file, &s), Result::Ok);
    ASSERT_EQ(sys.Play(s, false, &c), Result::Ok);
    std::vector<float> all;
    bool playing = true;
    int blocks = 0;
    for (; playing && blocks < 300; ++blocks) {
        const auto b = Render(sys, kBlock);
        all.insert(all.end(), b.begin(), b.end());
        sys.IsPlaying(c, &playing);
    }
    EXPECT_FALSE(playing);
    // Encoders pad the start and end with up to a few thousand frames.
    size_t last = all.size() / 2;
    while (last > 0 && std::abs(all[2 * (last - 1)]) < 1e-3f) --last;
    EXPECT_GE(last, size_t(kRate * 0.95));
    EXPECT_LE(last, size_t(kRate * 1.10));
    EXPECT_NEAR(ToneAmplitude(all, 0, 1000.0, kRate, kRate / 4, kRate / 2), 0.5, 0.05);
    EXPECT_NEAR(ToneAmplitude(all, 1, 1000.0, kRate, kRate / 4, kRate / 2), 0.5, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Sound, EveryFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
