// Every format the fixture generator makes plays to its end on the offline
// output, whole and cut short. (Monkey's Audio has no encoder on this system,
// so it has no fixture here.)
#include "SoundTestUtil.h"

#include <filesystem>

using namespace snd;
using namespace soundtest;

namespace {

struct Played {
    bool opened = false;
    bool ended = false;
    size_t lastSounding = 0;  // frames up to the last audible one
    std::vector<float> out;
};

Played PlayToTheEnd(const std::string& file)
{
    Played p;
    System sys;
    EXPECT_EQ(sys.Init(32, Offline()), Result::Ok);
    StreamHandle s = 123;
    ChannelHandle c = 0;
    p.opened = sys.CreateStream(file, &s) == Result::Ok;
    if (!p.opened) {
        EXPECT_EQ(s, 0u);
        return p;
    }
    EXPECT_EQ(sys.Play(s, false, &c), Result::Ok);
    bool playing = true;
    for (int blocks = 0; playing && blocks < 500; ++blocks) {
        const auto b = Render(sys, kBlock);
        p.out.insert(p.out.end(), b.begin(), b.end());
        sys.IsPlaying(c, &playing);
    }
    p.ended = !playing;
    p.lastSounding = p.out.size() / 2;
    while (p.lastSounding > 0 && std::abs(p.out[2 * (p.lastSounding - 1)]) < 1e-3f) --p.lastSounding;
    return p;
}

class EveryFormat : public ::testing::TestWithParam<FixtureFormat> {};

TEST_P(EveryFormat, PlaysToTheEndWholeAndCutShort)
{
    QTemporaryDir dir;
    const std::string file = Tone(dir, "tone" + FixtureExtension(GetParam()), GetParam(), 3.0, 1000.0, 44100);
    Played p = PlayToTheEnd(file);
    ASSERT_TRUE(p.opened);
    EXPECT_TRUE(p.ended);
    // Encoders pad the start and the end a little.
    EXPECT_GE(p.lastSounding, size_t(kRate * 2.97));
    EXPECT_LE(p.lastSounding, size_t(kRate * 3.10));
    for (int ch = 0; ch < 2; ++ch) EXPECT_NEAR(ToneAmplitude(p.out, ch, 1000.0, kRate / 4, kRate / 2), kAmp, 0.05);

    // Cut in the sound, not in the headers: what decodes plays, then the title ends.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) * 6 / 10);
    p = PlayToTheEnd(file);
    // MP4 keeps its index at the end: without it nothing can be found to play.
    if (GetParam() == FixtureFormat::M4a) {
        EXPECT_FALSE(p.opened);
        return;
    }
    ASSERT_TRUE(p.opened);
    EXPECT_TRUE(p.ended);
    EXPECT_GE(p.lastSounding, size_t(kRate * 0.9));
    EXPECT_LE(p.lastSounding, size_t(kRate * 2.4));
}

INSTANTIATE_TEST_SUITE_P(Sound, EveryFormat, ::testing::Values(FixtureFormat::Mp3, FixtureFormat::Ogg, FixtureFormat::Flac,
                                                               FixtureFormat::Wav, FixtureFormat::M4a, FixtureFormat::Wma,
                                                               FixtureFormat::Mpc),
                         [](const auto& info) { return FixtureExtension(info.param).mid(1).toStdString(); });

} // namespace
