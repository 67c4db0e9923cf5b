// Every format the fixture generator makes plays to its end on the offline
// output, whole and cut short. (Monkey's Audio has no encoder on this system,
// so it has no fixture here.)
#include "SoundTestUtil.h"

#include <filesystem>
#include <optional>

using namespace snd;
using namespace soundtest;

namespace {

// Plays a file until it ends; nothing when it does not open.
std::optional<std::vector<float>> PlayToTheEnd(const std::string& file)
{
    System sys;
    EXPECT_EQ(sys.Init(32, kOffline), Result::Ok);
    StreamHandle s = 123;
    ChannelHandle c = 0;
    if (sys.CreateStream(file, &s) != Result::Ok) {
        EXPECT_EQ(s, 0u);
        return std::nullopt;
    }
    EXPECT_EQ(sys.Play(s, false, &c), Result::Ok);
    std::vector<float> out;
    for (bool playing = true; playing && out.size() < 10u * kRate; sys.IsPlaying(c, &playing)) {
        const auto b = Render(sys, kBlock);
        out.insert(out.end(), b.begin(), b.end());
    }
    EXPECT_LT(out.size(), 10u * kRate) << "never ends";
    return out;
}

// Seconds up to the last audible frame.
double SoundingSeconds(const std::vector<float>& x)
{
    size_t n = x.size() / 2;
    while (n > 0 && std::abs(x[2 * (n - 1)]) < 1e-3f) --n;
    return double(n) / kRate;
}

class EveryFormat : public ::testing::TestWithParam<FixtureFormat> {};

TEST_P(EveryFormat, PlaysToTheEndWholeAndCutShort)
{
    QTemporaryDir dir;
    const std::string file = Tone(dir, "tone" + FixtureExtension(GetParam()), GetParam(), 3.0, 1000.0, 44100);
    const auto whole = PlayToTheEnd(file);
    ASSERT_TRUE(whole);
    // Encoders pad the start and the end a little.
    EXPECT_GE(SoundingSeconds(*whole), 2.97);
    EXPECT_LE(SoundingSeconds(*whole), 3.10);
    for (int ch = 0; ch < 2; ++ch) EXPECT_NEAR(ToneAmplitude(*whole, ch, 1000.0, kRate / 4, kRate / 2), kAmp, 0.05);

    // Cut in the sound, not in the headers: what decodes plays, then the title ends.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) * 6 / 10);
    const auto cut = PlayToTheEnd(file);
    // MP4 keeps its index at the end: without it nothing can be found to play.
    ASSERT_EQ(bool(cut), GetParam() != FixtureFormat::M4a);
    if (cut) {
        EXPECT_GE(SoundingSeconds(*cut), 0.9);
        EXPECT_LE(SoundingSeconds(*cut), 2.4);
    }
}

INSTANTIATE_TEST_SUITE_P(Sound, EveryFormat, ::testing::Values(FixtureFormat::Mp3, FixtureFormat::Ogg, FixtureFormat::Flac,
                                                               FixtureFormat::Wav, FixtureFormat::M4a, FixtureFormat::Wma,
                                                               FixtureFormat::Mpc),
                         [](const auto& info) { return FixtureExtension(info.param).mid(1).toStdString(); });

} // namespace
