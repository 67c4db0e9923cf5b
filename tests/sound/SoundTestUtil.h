// Helpers of the sound tests: a scratch folder, tone files from the fixture
// generator, rendering and measuring the output.
#pragma once

#include "sound/System.h"
#include "tests/support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace soundtest {

class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("sarovin-sound-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sample i of the fixture tone as 16-bit PCM stores it (half full scale).
inline int16_t ToneSample(int64_t i, double freq, int rate)
{
    const double v = 0.5 * std::sin(2 * std::numbers::pi * freq * double(i) / rate);
    return static_cast<int16_t>(std::lrint(v * 32767));
}

// A stereo tone file made by the shared fixture generator.
inline std::string Tone(const ScratchDir& dir, const std::string& name, FixtureFormat fmt, double seconds, double freq,
                        int rate)
{
    const std::string path = dir.File(name);
    EXPECT_TRUE(MakeToneFile(QString::fromStdString(path), fmt, seconds, freq, rate, 2)) << name;
    return path;
}

inline std::vector<float> Render(snd::System& system, int frames)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    system.Render(out.data(), frames);
    return out;
}

// Amplitude of a sine of `freq` in one channel of interleaved stereo, over
// frames [from, from + count); exact when the span holds whole periods.
inline double ToneAmplitude(const std::vector<float>& x, int channel, double freq, int rate, size_t from, size_t count)
{
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        const double ph = 2.0 * std::numbers::pi * freq * static_cast<double>(i) / rate;
        re += x[2 * (from + i) + channel] * std::cos(ph);
        im += x[2 * (from + i) + channel] * std::sin(ph);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

inline double Peak(const std::vector<float>& x, size_t fromFrame, size_t toFrame)
{
    double p = 0;
    for (size_t i = 2 * fromFrame; i < 2 * toFrame && i < x.size(); ++i) p = std::max(p, std::abs(double(x[i])));
    return p;
}

} // namespace soundtest
